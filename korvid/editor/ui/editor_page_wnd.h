#pragma once
// A page window in the editor's tab control: painted in the page colour, deaf to Escape (a page is
// never closed by it), and able to show its model again after the model changed.
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace korvid {

class CPageButton;

class CEditorPageWnd : public QWidget
{
    Q_OBJECT
public:
    explicit CEditorPageWnd(QWidget* parent = nullptr);
    // Mirrors the page model on screen.
    virtual void sync() {}
    // The page buttons in the model's order.
    const std::vector<CPageButton*>& buttons() const { return m_buttons; }

protected:
    // Height of the row of controls above the list.
    static constexpr int TOP_ROW_HEIGHT = 30;

    void keyPressEvent(QKeyEvent* e) override;
    // One button per caption; a click hands its caption to `pressed`.
    void add_buttons(const std::vector<std::string>& captions, std::function<void(const QString&)> pressed);
    // The list fills the page between the top row and the buttons, which stand side by side at the
    // bottom from the left.
    void place_list_and_buttons(QWidget* list);

private:
    std::vector<CPageButton*> m_buttons;
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
