#pragma once
// The "Group Selection" box of the channel dialog: a drop-down list drawn by us in which every entry
// has a check box. A click on an entry of the open list, or the space bar, asks for that entry to be
// toggled and leaves the list open; the closed box shows the text the model gives (the checked
// names joined by the locale's list separator).
#include "korvid/editor/group_check_combo.h"

#include <QComboBox>

namespace korvid {

class CGroupCheckCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit CGroupCheckCombo(QWidget* parent = nullptr);

    void show_state(const GroupCheckCombo& state);
    QString closed_text() const { return m_closedText; }
    bool entry_checked(int entry) const;

signals:
    void entryToggled(int entry);

protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_closedText;
};

} // namespace korvid
