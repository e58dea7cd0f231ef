#pragma once
// A push button drawn from the skin's button faces (normal, pressed, disabled, hovered) instead of
// the platform style: the buttons of the transfer windows, the About box and the editor pages.
#include <QAbstractButton>

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
    void leaveEvent(QEvent*) override;

private:
    bool m_hot = false;
};

} // namespace korvid
