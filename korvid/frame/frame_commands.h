#pragma once
// The command ids of Korvid's main window: its menus, accelerators and command buttons send them,
// and a view takes the ones it owns (FrameView). Plain numbers, so that the frame's rules and every
// window agree on them without sharing anything else.
#include <cstdint>

namespace korvid {

// Menu and accelerator commands.
constexpr uint32_t ID_FILE_OPEN = 57601;
constexpr uint32_t ID_FILE_SAVE = 57603;
constexpr uint32_t ID_FILE_SAVE_AS = 57604;
constexpr uint32_t ID_APP_ABOUT = 57664;
constexpr uint32_t ID_APP_EXIT = 57665;
constexpr uint32_t ID_SERIAL_PORT = 32771;
constexpr uint32_t ID_GOTO_DOWNLOADER = 32772;
constexpr uint32_t ID_GOTO_EDITOR = 32773;
constexpr uint32_t ID_DOWNLOAD_DB = 32775;
constexpr uint32_t ID_UPLOAD_DB = 32776;
constexpr uint32_t ID_SHOW_ALL_DB = 32777;
constexpr uint32_t ID_SAVE_CHANNELS = 32778;
constexpr uint32_t ID_USER_INSTRUCTION = 32779;
constexpr uint32_t ID_CHECK_DATABASE = 32780;
constexpr uint32_t ID_ORDER_LIKE = 32781;
// The edit commands of the accelerator table. A focused text field takes its own undo and redo
// keys; elsewhere in the editor mode they undo and redo changes of the database.
constexpr uint32_t ID_EDIT_UNDO = 57643;
constexpr uint32_t ID_EDIT_REDO = 57644;
constexpr uint32_t ID_EDIT_CUT = 57635;
constexpr uint32_t ID_EDIT_COPY = 57634;
constexpr uint32_t ID_EDIT_PASTE = 57637;
constexpr uint32_t ID_NEXT_PANE = 57680;
constexpr uint32_t ID_PREV_PANE = 57681;

} // namespace korvid
