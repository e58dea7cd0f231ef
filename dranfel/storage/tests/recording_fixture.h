#pragma once
// Builds recordings and other files on disk for the storage tests. Payload bytes run through all
// 256 values, so a header rewrite that strays outside its field shows up in a byte comparison.
#include "common/testing/temp_dir.h"
#include "dranfel/storage/file_operations.h"
#include "dranfel/storage/recording_name.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace storage_test {

// A copy (or another operation) of `names` from one folder to another.
inline dranfel::FileOpParams params(const std::string& from,
                                    const std::string& to,
                                    std::vector<std::string> names,
                                    dranfel::FileOpKind kind = dranfel::FileOpKind::Copy)
{
    return dranfel::FileOpParams{from, to, std::move(names), kind};
}

inline std::vector<uint8_t> pattern(size_t size, unsigned seed)
{
    std::vector<uint8_t> v(size);
    for (size_t i = 0; i < size; ++i)
        v[i] = uint8_t((i * 131 + seed * 17 + (i >> 9)) & 0xFF);
    return v;
}

inline void write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> read_file(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

inline bool exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

inline std::vector<uint8_t> info_contents(int parts, int64_t total, unsigned seed = 7)
{
    auto info = pattern(dranfel::AVF_FILE_SIZE, seed);
    info[1740] = uint8_t(parts >> 8);
    info[1741] = uint8_t(parts);
    for (int i = 0; i < 8; ++i)
        info[1744 + size_t(i)] = uint8_t(uint64_t(total) >> (56 - 8 * i));
    return info;
}

struct Recording
{
    std::string part1;              // file name of part 1
    std::string info;               // file name of the information file
    std::vector<std::string> parts; // file names of all parts
    int64_t total = 0;
};

// A recording in `dir` whose information file (unless `with_info` is false) counts the parts given.
inline Recording make_recording(const std::string& dir,
                                const std::string& title,
                                const std::vector<size_t>& part_sizes,
                                const std::string& date = "200603012015",
                                int suffix = 0,
                                bool with_info = true)
{
    Recording r;
    for (size_t p = 0; p < part_sizes.size(); ++p) {
        std::string name = dranfel::RecordingName::part_file_name("", title, int(p + 1), date, suffix);
        auto bytes = pattern(part_sizes[p], unsigned(p + 1));
        if (bytes.size() >= dranfel::AVR_HEADER_SIZE) {
            bytes[8] = 0x00;
            bytes[9] = 0x86;
        }
        write_file(dir + "/" + name, bytes);
        r.parts.push_back(name);
        r.total += int64_t(part_sizes[p]);
    }
    r.part1 =
        r.parts.empty() ? dranfel::RecordingName::part_file_name("", title, 1, date, suffix) : r.parts[0];
    r.info = dranfel::RecordingName::info_file_name("", title, date, suffix);
    if (with_info)
        write_file(dir + "/" + r.info, info_contents(int(part_sizes.size()), r.total));
    return r;
}

using common::testing::TempDir;

inline std::vector<std::string> files_in(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (auto& e : std::filesystem::directory_iterator(dir, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace storage_test
