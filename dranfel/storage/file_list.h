#pragma once
// What the storage manager's panes show, without the widgets: the rows of a folder's file list
// and the subfolders of a tree item.
#include <cstdint>
#include <string>
#include <vector>

namespace dranfel {

// One row of a file list. A recording is shown by its part-1 file only: File Name is the title,
// Real File Name the part-1 file's name; an .mp3, .mem or .mpg file shows its own name in both.
struct FileRow
{
    std::string file_name;
    std::string real_file_name;
    std::string size_kb; // "1,234,567"
    std::string date;    // "2006-03-01 PM  8:15:00"
    // What a click on a column header orders by: the bytes behind the KB, and the date as
    // "YYYYMMDDhhmmss".
    int64_t bytes = 0;
    std::string date_key;
};

// A file that is listed, copied, moved and deleted by itself: an .mp3 or .mem file, or a program
// stream the converter made (.mpg). Anything else that is no recording is not shown.
bool is_single_file_name(const std::string& name);

// "%d" with a "," every three digits from the right.
std::string group_thousands(int64_t value);

// "%4d-%02d-%02d %s %2d:%02d:%02d" with "AM" below hour 13, else "PM" and the hour less 12; so
// 12:30 is AM 12:30 and 0:05 is AM  0:05.
std::string row_date(int year, int month, int day, int hour, int minute, int second);

// The row of one file of `folder`; false when the file gets no row (any other file, a recording
// part other than 1, a folder, a file that vanished).
bool file_row(const std::string& folder, const std::string& name, FileRow& row);

// The rows of a folder, in the order the file system returns its entries; empty when the folder
// cannot be read. A copy or move into the folder that was killed halfway is first put back as it
// was (common/file_replacement), so the rows show whole recordings, not what the kill left.
std::vector<FileRow> list_files(const std::string& folder);

// The subfolders of a folder, sorted ascending without regard to case; "." and ".." never.
std::vector<std::string> subfolders(const std::string& folder);
// Whether a folder has at least one subfolder (so that its tree item gets an expand button).
bool has_subfolders(const std::string& folder);

// Comparison without regard to case, byte by byte on lower-cased ASCII: <0, 0 or >0.
int compare_no_case(const std::string& a, const std::string& b);

// A folder path joined with a name by the platform separator.
std::string join_path(const std::string& folder, const std::string& name);

} // namespace dranfel
