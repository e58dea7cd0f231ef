#pragma once
// The filter box above an editor list: what the user types goes to the page model as the list's
// filter text at every keystroke; Escape in it clears it (and so shows the whole list again), and
// Down moves the keyboard into the list. Escape in an empty box goes on to the window as before.
#include <QLineEdit>
#include <string>

namespace korvid {

class CListFilterEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CListFilterEdit(QWidget* parent = nullptr);
    static constexpr int HEIGHT = 22;

    // The 8-bit text the lists compare with. A character beyond Latin-1 becomes a NUL byte, which no
    // list text holds, so the filter then keeps nothing.
    static std::string list_text(const QString& typed);

signals:
    void filterChanged(const std::string& text);
    // Down was pressed: the list below should take the keyboard.
    void leaveDown();

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

} // namespace korvid
