#pragma once
// The self-drawn dialogs of Korvid (About, DB Transfer): frameless with rounded corners, the skin's
// dialog background, the title in the top strip, the close spot at the top right, and moved by the
// top strip (above y = 21, except the last 30 pixels on the right). A dialog draws its own content
// after this base has drawn the body.
#include <QDialog>
#include <QPixmap>

namespace korvid {

class CSkinnedDialog : public QDialog
{
    Q_OBJECT
public:
    CSkinnedDialog(const QString& title, QSize size, QWidget* parent = nullptr);

    QRect close_box() const { return QRect(width() - 25, 6, 16, 16); }
    // Where a press moves the window.
    bool in_grip(const QPoint& pos) const { return pos.y() < 21 && pos.x() < width() - 30; }

protected:
    // A click on the close spot; closes as Cancel does unless a dialog says otherwise.
    virtual void close_box_clicked() { reject(); }

    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    QString m_title;
    QPixmap m_background;
};

// A dialog with a title bar keeps the size it opens with: its controls are laid out for it, and a
// maximised one is an empty screen with a few controls in a corner. The window manager gets no
// maximise button and a fixed size once the dialog is first shown.
void keep_dialog_size(QDialog* dialog);

} // namespace korvid
