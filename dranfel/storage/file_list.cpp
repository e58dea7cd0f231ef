#include "dranfel/storage/file_list.h"

#include "common/file_replacement/staging_area.h"
#include "common/strfmt.h"
#include "dranfel/storage/recording_name.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>

namespace dranfel {

namespace {

bool is_directory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Calls f(name) for every entry of a folder other than "." and "..", in the order readdir gives.
template <typename F> void for_each_entry(const std::string& folder, F f)
{
    DIR* d = ::opendir(folder.c_str());
    if (!d)
        return;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        if (!f(name))
            break;
    }
    ::closedir(d);
}

} // namespace

std::string group_thousands(int64_t value)
{
    std::string digits = std::to_string(value);
    if (value < 0)
        digits.erase(0, 1);
    std::string out;
    int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ',';
        out += digits[size_t(i)];
    }
    return value < 0 ? "-" + out : out;
}

std::string row_date(int year, int month, int day, int hour, int minute, int second)
{
    bool pm = hour >= 13;
    return common::strfmt("%4d-%02d-%02d %s %2d:%02d:%02d", year, month, day, pm ? "PM" : "AM",
                          pm ? hour - 12 : hour, minute, second);
}

bool is_single_file_name(const std::string& name)
{
    return has_extension(name, ".mp3") || has_extension(name, ".mem") || has_extension(name, ".mpg");
}

bool file_row(const std::string& folder, const std::string& name, FileRow& row)
{
    std::string path = join_path(folder, name);
    // Only regular files get a row: reading a FIFO's or a device's information would block.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (has_extension(name, ".avr")) {
        if (RecordingName::part_of(name) != 1)
            return false;
        RecordingName::Date d = RecordingName::date_of(name);
        int64_t total = RecordingName::total_size_of(path);
        row.file_name = RecordingName::title_of(name);
        row.real_file_name = name;
        row.size_kb = group_thousands(total > 0 ? total / 1024 : 0);
        row.date = row_date(d.year, d.month, d.day, d.hour, d.minute, 0);
        row.bytes = std::max<int64_t>(total, 0);
        row.date_key = common::strfmt("%04d%02d%02d%02d%02d00", d.year, d.month, d.day, d.hour, d.minute);
        return true;
    }
    if (is_single_file_name(name)) {
        struct tm local;
        time_t t = st.st_mtime;
        if (!::localtime_r(&t, &local))
            return false;
        row.file_name = name;
        row.real_file_name = name;
        row.size_kb = group_thousands(int64_t(st.st_size) / 1024);
        row.date = row_date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                            local.tm_min, local.tm_sec);
        row.bytes = int64_t(st.st_size);
        row.date_key = common::strfmt("%04d%02d%02d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                                      local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
        return true;
    }
    return false;
}

std::vector<FileRow> list_files(const std::string& folder)
{
    common::clear_dead_areas(folder);
    std::vector<FileRow> rows;
    for_each_entry(folder, [&](const std::string& name) {
        FileRow row;
        if (file_row(folder, name, row))
            rows.push_back(std::move(row));
        return true;
    });
    return rows;
}

std::vector<std::string> subfolders(const std::string& folder)
{
    std::vector<std::string> out;
    for_each_entry(folder, [&](const std::string& name) {
        if (is_directory(join_path(folder, name)))
            out.push_back(name);
        return true;
    });
    std::stable_sort(out.begin(), out.end(),
                     [](const std::string& a, const std::string& b) { return compare_no_case(a, b) < 0; });
    return out;
}

bool has_subfolders(const std::string& folder)
{
    bool found = false;
    for_each_entry(folder, [&](const std::string& name) {
        found = is_directory(join_path(folder, name));
        return !found;
    });
    return found;
}

int compare_no_case(const std::string& a, const std::string& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower(uint8_t(a[i]));
        int cb = std::tolower(uint8_t(b[i]));
        if (ca != cb)
            return ca - cb;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

std::string join_path(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

} // namespace dranfel
