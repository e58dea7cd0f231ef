#pragma once
// A page window in the editor's tab control: painted in the page colour, deaf to Escape (a page is
// never closed by it), and able to show its model again after the model changed.
#include <QWidget>

namespace korvid {

class CEditorPageWnd : public QWidget
{
    Q_OBJECT
public:
    explicit CEditorPageWnd(QWidget* parent = nullptr);
    // Mirrors the page model on screen.
    virtual void sync() {}

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

// The window of a tab whose page has no window in this version: it says so instead of pretending to
// be empty data.
class CPendingPageWnd : public CEditorPageWnd
{
    Q_OBJECT
public:
    CPendingPageWnd(const QString& caption, QWidget* parent = nullptr);
    QString message() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_caption;
};

} // namespace korvid
