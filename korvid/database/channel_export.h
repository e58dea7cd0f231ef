#pragma once
// "Save Channels...": the database as the receiver software's factory tables, a text file of
// initialised constant arrays meant to be compiled into the receiver. The text is produced here,
// without any window; the GUI and korvid-cli only choose the file and show the messages.
#include "common/file_replacement/write_target.h"
#include "korvid/database/database.h"

#include <string>

namespace common {
class Prompts;
struct FileDialogSpec;
} // namespace common

namespace korvid {

// The eight tables, exactly as the receiver's sources expect them ("\n" line ends). Appends to `out`.
void export_channel_tables(const Database& db, std::string& out);
std::string export_channel_tables(const Database& db);

enum class ChannelExport
{
    Ok,
    WrongSyscode,
    CannotCreate
};

// Checks the system code, then writes the text to `path` through a temporary file, so that a failed
// write (a full disk) leaves no cut file behind. Nothing is written unless the result is Ok.
// `reason` (when given) gets the system's reason when the file could not be created.
ChannelExport write_channel_tables_file(const Database& db,
                                        const std::string& path,
                                        std::string* reason = nullptr,
                                        const common::WriteTargetOptions& options = {});
// The text shown to the user for a failed export ("Wrong DB : syscode", "the file, %s, could not be
// created"); empty for Ok.
std::string channel_export_message(ChannelExport result, const std::string& path);

// The same with the message shown through `prompts`. 1 when the file was written, 0 otherwise.
int save_channel_tables(const Database& db, const std::string& path, common::Prompts& prompts);

// The Save dialog of the command: "txt", "All Files (*.txt)|*.*||", overwrite confirmed.
common::FileDialogSpec channel_export_dialog();
// The whole menu command. It does nothing outside the editor or without a database; otherwise it
// asks for the file (Cancel ends it) and saves. 1 when a file was written.
int save_channels_command(const Database& db, bool on_editor_page, common::Prompts& prompts);

} // namespace korvid
