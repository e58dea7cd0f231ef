#pragma once
// "About Korvid": a frameless rounded box with the version line, an OK button and a close spot,
// dragged by its top strip.
#include <QDialog>

namespace korvid {

class CBitmapButton;

class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    CBitmapButton* ok_button() const { return m_ok; }
    QRect close_box() const { return QRect(width() - 25, 6, 16, 16); }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    CBitmapButton* m_ok = nullptr;
    QPixmap m_background;
    QPixmap m_picture;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

} // namespace korvid
