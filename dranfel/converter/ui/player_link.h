#pragma once
// Playing a recording from the storage manager's window: the player is found and started on the
// window thread, and the conversion into its pipe runs on a thread of its own, which waits for
// the player to end. A failure comes back as a message box; a player closed early says nothing.
#include <QString>

class QWidget;

namespace common {
class Prompts;
}

namespace dranfel {

void play_in_player(QWidget* parent, common::Prompts& prompts, const QString& source);

} // namespace dranfel
