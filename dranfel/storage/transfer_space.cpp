#include "dranfel/storage/transfer_space.h"

#include "common/strfmt.h"
#include "dranfel/storage/file_list.h"
#include "dranfel/storage/recording_name.h"

#include <algorithm>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace dranfel {

namespace {

int64_t file_size(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? int64_t(st.st_size) : 0;
}

bool same_device(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

} // namespace

int64_t entry_bytes(const std::string& folder, const std::string& name)
{
    const std::string path = join_path(folder, name);
    if (is_single_file_name(name))
        return file_size(path);
    if (!has_extension(name, ".avr"))
        return 0;
    const ParsedRecordingName p = RecordingName::fields_of(path);
    const int parts = RecordingName::part_count_of(path);
    if (parts <= 0)
        return file_size(info_file_of(path));
    int64_t total = file_size(info_file_of(path));
    for (int i = 1; i <= parts; ++i)
        total += file_size(RecordingName::part_file_name(p, i));
    return total;
}

int64_t bytes_needed(const FileOpParams& params)
{
    const bool in_place =
        params.kind == FileOpKind::Move && same_device(params.source_folder, params.destination_folder);
    int64_t total = 0, largest = 0;
    for (const std::string& name : params.names) {
        int64_t n = entry_bytes(params.source_folder, name);
        total += n;
        largest = std::max(largest, n);
    }
    return in_place ? largest : total;
}

int64_t free_bytes(const std::string& folder)
{
    struct statvfs sv;
    if (::statvfs(folder.c_str(), &sv) != 0)
        return -1;
    return int64_t(sv.f_bavail) * int64_t(sv.f_frsize);
}

std::string size_text(int64_t bytes)
{
    if (bytes < 1024)
        return common::strfmt("%lld bytes", static_cast<long long>(bytes));
    const char* units[] = {"KB", "MB", "GB", "TB"};
    double v = double(bytes) / 1024.0;
    int u = 0;
    while (v >= 1024.0 && u < 3) {
        v /= 1024.0;
        ++u;
    }
    return common::strfmt(u >= 2 ? "%.2f %s" : "%.1f %s", v, units[u]);
}

std::string space_refusal(const std::string& destination_folder, int64_t needed, int64_t free)
{
    if (free < 0 || needed <= free)
        return {};
    return common::strfmt("Not enough free space in %s: the selection needs %s and %s is free.",
                          destination_folder.c_str(), size_text(needed).c_str(), size_text(free).c_str());
}

std::string check_free_space(const FileOpParams& params)
{
    return space_refusal(params.destination_folder, bytes_needed(params),
                         free_bytes(params.destination_folder));
}

} // namespace dranfel
