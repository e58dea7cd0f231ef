#pragma once
// The checks and messages of the storage manager's commands, for the GUI and the command-line
// tool alike: each check gives the messages to show, in order, and whether the command goes on.
#include <string>
#include <vector>

namespace dranfel {

struct CommandCheck
{
    std::vector<std::string> messages;
    bool proceed = false;
};

// Copy and Move from a source half to a destination half. A missing source folder is said but the
// checks go on; no selected file, no destination folder or the same folder stop the command.
CommandCheck
check_copy_move(const std::string& source_folder, bool row_selected, const std::string& destination_folder);

// Delete in the half whose file list has the focus (`focus_in_list` false: neither list has it).
CommandCheck check_delete(bool focus_in_list, bool row_selected, const std::string& folder);

// New Folder in the half whose folder tree has the focus.
CommandCheck check_new_folder(bool focus_in_tree, const std::string& parent_folder);

// The menu's enabling rules.
bool copy_move_enabled(const std::string& source_folder,
                       bool row_selected,
                       const std::string& destination_folder);
bool delete_enabled(bool focus_in_list, bool row_selected, const std::string& folder);
// Whether a copy or move of `name` would replace something at the destination: the file, or for
// a recording its part 1 or its information file.
bool destination_taken(const std::string& destination_folder, const std::string& name);
// The question before such a replacement, and its buttons (Replace, Replace All, Skip, Cancel).
std::string replace_question(const std::string& destination_folder, const std::string& name);
const std::vector<std::string>& replace_buttons();
enum ReplaceChoice
{
    REPLACE = 0,
    REPLACE_ALL = 1,
    SKIP = 2,
    CANCEL = 3
};
// The question before a delete: "Delete 2 recordings and 1 file (12.5 MB)?".
std::string delete_question(const std::string& folder, const std::vector<std::string>& names);

// Two folders are the same when they are one folder on disk (same device and inode after every
// symbolic link: a trailing '/', "a/./b", ".."), or, when neither exists, when their normalised
// texts match. Case counts: "rec" and "REC" are two folders on this platform.
bool same_folder(const std::string& a, const std::string& b);
std::string same_folder_message();

// Why `name` cannot be a new folder's name, or empty when it can: one name, not empty, not "."
// or "..", without '/' or NUL. For the command line and the "Input Name" dialog alike.
std::string folder_name_problem(const std::string& name);

// Makes the folder PARENT/NAME. 1 when made; 0 for an empty name (nothing to do); -1 with
// `message` = "Could not make a folder, PATH" and `reason` = the system's reason, or the name's
// problem (folder_name_problem) when it is not one name, otherwise.
int make_folder(const std::string& parent,
                const std::string& name,
                std::string& message,
                std::string* reason = nullptr);

// The audio tool is a separate program, found by its window title and otherwise started by name
// with the storage manager's own command line (from its second character on) after it.
constexpr const char* AUDIO_TOOL_WINDOW_TITLE = "Melvane";
std::string audio_tool_command_line(const std::string& own_command_line);
constexpr const char* AUDIO_TOOL_ERROR_TEXT = "Can't execute Ostrel Melvane.";
constexpr const char* AUDIO_TOOL_ERROR_CAPTION = "Error";

} // namespace dranfel
