#pragma once
// A push button drawn from the skin's button faces (normal, pressed, disabled, hovered) instead of
// the platform style: the buttons of the transfer windows, the About box and the editor pages.
#include <QAbstractButton>

class QKeyEvent;

namespace korvid {

class CBitmapButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit CBitmapButton(const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {80, 34}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    // Enter and Return press a focused button, as Space does.
    void keyPressEvent(QKeyEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    bool m_hot = false;
};

// Enter or Return that reached a dialog of these buttons (no focused control took it): presses
// `ok` when it is shown and enabled. True when the key was taken.
bool press_ok_on_enter(QKeyEvent* e, CBitmapButton* ok);

} // namespace korvid
