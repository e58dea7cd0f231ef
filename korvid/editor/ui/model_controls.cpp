#include "korvid/editor/ui/model_controls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringList>

namespace korvid {

void show_edit(QLineEdit* edit, const EditState& state)
{
    // Rewriting an unchanged text would put the cursor at the end while the user types.
    if (edit->text() != text8(state.text))
        edit->setText(text8(state.text));
    edit->setEnabled(state.enabled);
}

void show_combo(QComboBox* combo, const ComboState& state)
{
    const QSignalBlocker quiet(combo);
    QStringList entries;
    for (const std::string& e : state.entries)
        entries << text8(e);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown << combo->itemText(i);
    if (shown != entries) {
        combo->clear();
        combo->addItems(entries);
    }
    combo->setCurrentIndex(state.has_selection() ? state.selection : -1);
    combo->setEnabled(state.enabled);
}

void show_check(QAbstractButton* button, const CheckState& state)
{
    const QSignalBlocker quiet(button);
    button->setChecked(state.checked);
    button->setEnabled(state.enabled);
}

} // namespace korvid
