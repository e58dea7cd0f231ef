#pragma once
// The few steps every editor window takes to show a model's control state in a Qt control, and the
// 8-bit text the models keep. Korvid works with 8-bit text; Latin-1 maps every byte to one character
// and back, so a name survives the round trip through a widget unchanged.
#include "korvid/editor/check_state.h"
#include "korvid/editor/combo_state.h"
#include "korvid/editor/edit_state.h"

#include <QString>
#include <string>

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace korvid {

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

// Each leaves the control's signals quiet while it is set, so that showing never feeds back.
void show_edit(QLineEdit* edit, const EditState& state);
void show_combo(QComboBox* combo, const ComboState& state);
void show_check(QAbstractButton* button, const CheckState& state);

} // namespace korvid
