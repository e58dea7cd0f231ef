#include "dranfel/storage/commands.h"

#include "common/strfmt.h"
#include "dranfel/storage/file_list.h"
#include "dranfel/storage/recording_name.h"
#include "dranfel/storage/transfer_space.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace dranfel {

namespace {

std::string without_trailing_slash(std::string s)
{
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

} // namespace

CommandCheck
check_copy_move(const std::string& source_folder, bool row_selected, const std::string& destination_folder)
{
    CommandCheck c;
    if (source_folder.empty())
        c.messages.push_back("You did not select a folder");
    if (!row_selected) {
        c.messages.push_back("You did not select a file");
        return c;
    }
    if (destination_folder.empty()) {
        c.messages.push_back("You did not select a destination folder");
        return c;
    }
    if (same_folder(source_folder, destination_folder)) {
        c.messages.push_back(same_folder_message());
        return c;
    }
    c.proceed = true;
    return c;
}

CommandCheck check_delete(bool focus_in_list, bool row_selected, const std::string& folder)
{
    CommandCheck c;
    if (!focus_in_list || !row_selected || folder.empty())
        c.messages.push_back("You did not select a file");
    else
        c.proceed = true;
    return c;
}

CommandCheck check_new_folder(bool focus_in_tree, const std::string& parent_folder)
{
    CommandCheck c;
    if (!focus_in_tree || parent_folder.empty())
        c.messages.push_back("You did not select a parent folder");
    else
        c.proceed = true;
    return c;
}

bool copy_move_enabled(const std::string& source_folder,
                       bool row_selected,
                       const std::string& destination_folder)
{
    return !source_folder.empty() && row_selected && !destination_folder.empty();
}

bool delete_enabled(bool focus_in_list, bool row_selected, const std::string& folder)
{
    return focus_in_list && (row_selected || !folder.empty());
}

bool same_folder(const std::string& a, const std::string& b)
{
    // What the names lead to decides, after every link: "rec" and "REC" are two folders here,
    // while "a/./b", "a/b/" and a link to a/b are one.
    struct stat sa, sb;
    bool has_a = ::stat(a.c_str(), &sa) == 0;
    bool has_b = ::stat(b.c_str(), &sb) == 0;
    if (has_a && has_b)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (has_a != has_b)
        return false;
    // Neither is there: only the spelling is left to compare.
    auto normal = [](const std::string& p) {
        return without_trailing_slash(std::filesystem::path(p).lexically_normal().string());
    };
    return normal(a) == normal(b);
}

std::string same_folder_message()
{
    return "Source Folder and Destination Folder is same";
}

std::string folder_name_problem(const std::string& name)
{
    if (name.empty())
        return "a folder needs a name";
    if (name == "." || name == "..")
        return "\"" + name + "\" names a folder that is already there";
    if (name.find('/') != std::string::npos)
        return "a folder name cannot hold '/'";
    if (name.find('\0') != std::string::npos)
        return "a folder name cannot hold a NUL character";
    return {};
}

int make_folder(const std::string& parent, const std::string& name, std::string& message, std::string* reason)
{
    message.clear();
    if (name.empty())
        return 0;
    std::string path = join_path(parent, name);
    // One name inside the parent: "../x" or "a/b" would make a folder somewhere else.
    if (std::string problem = folder_name_problem(name); !problem.empty()) {
        message = common::strfmt("Could not make a folder, %s", path.c_str());
        if (reason)
            *reason = problem;
        return -1;
    }
    if (::mkdir(path.c_str(), 0777) == 0)
        return 1;
    int err = errno;
    message = common::strfmt("Could not make a folder, %s", path.c_str());
    if (reason)
        *reason = std::strerror(err);
    return -1;
}

std::string audio_tool_command_line(const std::string& own_command_line)
{
    // The first character of a command line is the quote around the program's own path.
    std::string rest = own_command_line.size() > 1 ? own_command_line.substr(1) : std::string();
    return common::strfmt("%s %s", "MELVANE", rest.c_str());
}

std::string delete_question(const std::string& folder, const std::vector<std::string>& names)
{
    int recordings = 0, files = 0;
    int64_t bytes = 0;
    for (const std::string& name : names) {
        (has_extension(name, ".avr") ? recordings : files) += 1;
        bytes += entry_bytes(folder, name);
    }
    auto count = [](int n, const char* what) {
        return common::strfmt("%d %s%s", n, what, n == 1 ? "" : "s");
    };
    std::string what;
    if (recordings > 0)
        what = count(recordings, "recording");
    if (files > 0)
        what += (what.empty() ? "" : " and ") + count(files, "file");
    return "Delete " + what + " (" + size_text(bytes) + ")?";
}

bool destination_taken(const std::string& destination_folder, const std::string& name)
{
    const std::string path = join_path(destination_folder, name);
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0)
        return true;
    return has_extension(name, ".avr") && ::lstat(info_file_of(path).c_str(), &st) == 0;
}

std::string replace_question(const std::string& destination_folder, const std::string& name)
{
    const std::string what =
        has_extension(name, ".avr") ? "The recording " + RecordingName::title_of(name) : name;
    return what + " is already in " + destination_folder + ".\nReplace it?";
}

const std::vector<std::string>& replace_buttons()
{
    static const std::vector<std::string> buttons{"&Replace", "Replace &All", "&Skip", "&Cancel"};
    return buttons;
}

} // namespace dranfel
