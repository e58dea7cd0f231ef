#pragma once
// Widgets mirroring the editor's control states (ComboState, EditState, CheckState), and the 8-bit
// text the database keeps turned into screen text and back. Every page and dialog window shows its
// model through these, so a control looks the same wherever a model drives it.
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
QString text8(const std::string& s);
QString text8(const char* s);
std::string bytes8(const QString& s);

// Each leaves the widget's signals quiet while it sets it, so a mirror never reads as user input.
void show_edit(QLineEdit* edit, const EditState& state);
void show_combo(QComboBox* combo, const ComboState& state);
void show_check(QAbstractButton* button, const CheckState& state);

} // namespace korvid
