#pragma once
// The small up-down control beside a number edit: two arrow buttons, one over the other, that step
// the number while held. The Up and Down keys in the edit it is given step it too.
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace korvid {

class CUpDown : public QWidget
{
    Q_OBJECT
public:
    explicit CUpDown(QLineEdit* buddy, QWidget* parent = nullptr);
    static constexpr int WIDTH = 18;

    QToolButton* up_button() const { return m_up; }
    QToolButton* down_button() const { return m_down; }

signals:
    // +1 for up, -1 for down.
    void stepped(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent*) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
};

} // namespace korvid
