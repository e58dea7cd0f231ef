#pragma once
// Widgets that mirror the editor models' control states (edits, combos, check boxes and radio
// buttons), and the 8-bit text the models keep. Shared by every page and dialog window.
#include "korvid/editor/check_state.h"
#include "korvid/editor/combo_state.h"
#include "korvid/editor/edit_state.h"

#include <QString>
#include <string>

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace korvid {

// Korvid keeps 8-bit text; Latin-1 maps every byte to one character and back.
inline QString text8(const std::string& s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}
inline QString text8(const char* s)
{
    return QString::fromLatin1(s);
}
inline std::string bytes8(const QString& s)
{
    return s.toLatin1().toStdString();
}

// Each shows the state without sending the widget's own change signals back to the window.
void show_edit(QLineEdit* edit, const EditState& state);
void show_combo(QComboBox* combo, const ComboState& state);
void show_check(QAbstractButton* button, const CheckState& state);

} // namespace korvid
