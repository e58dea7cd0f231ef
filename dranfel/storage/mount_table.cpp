#include "dranfel/storage/mount_table.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace dranfel {

namespace {

std::string unescape(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && std::isdigit(uint8_t(s[i + 1])) &&
            std::isdigit(uint8_t(s[i + 2])) && std::isdigit(uint8_t(s[i + 3]))) {
            out += char(((s[i + 1] - '0') << 6) | ((s[i + 2] - '0') << 3) | (s[i + 3] - '0'));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(uint8_t(c)));
    return s;
}

} // namespace

std::vector<MountEntry> parse_mount_table(const std::string& text)
{
    std::vector<MountEntry> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        MountEntry m;
        if (!(fields >> m.source >> m.mount_point >> m.fs_type))
            continue;
        fields >> m.options;
        m.source = unescape(m.source);
        m.mount_point = unescape(m.mount_point);
        m.options = unescape(m.options);
        if (m.mount_point.empty() || m.mount_point[0] != '/')
            continue;
        while (m.mount_point.size() > 1 && m.mount_point.back() == '/')
            m.mount_point.pop_back();
        out.push_back(std::move(m));
    }
    return out;
}

std::vector<MountEntry> read_mount_table()
{
    std::ifstream f("/proc/self/mounts");
    if (!f)
        return {};
    std::stringstream ss;
    ss << f.rdbuf();
    return parse_mount_table(ss.str());
}

const MountEntry* mount_of(const std::string& abs_path, const std::vector<MountEntry>& mounts)
{
    const MountEntry* best = nullptr;
    for (const MountEntry& m : mounts) {
        const std::string& mp = m.mount_point;
        bool holds = mp == "/" || (abs_path.compare(0, mp.size(), mp) == 0 &&
                                   (abs_path.size() == mp.size() || abs_path[mp.size()] == '/'));
        if (holds && (!best || mp.size() >= best->mount_point.size()))
            best = &m;
    }
    return best;
}

bool is_ntfs(const MountEntry& m)
{
    std::string type = lower(m.fs_type);
    if (type == "ntfs" || type == "ntfs3")
        return true;
    if (type == "fuseblk")
        return lower(m.source).find("ntfs") != std::string::npos ||
               lower(m.options).find("ntfs") != std::string::npos;
    return false;
}

bool is_ntfs_volume(const std::string& path)
{
    auto mounts = read_mount_table();
    const MountEntry* m = mount_of(absolute_path(path), mounts);
    return m && is_ntfs(*m);
}

std::string absolute_path(const std::string& path)
{
    std::error_code ec;
    auto p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    if (ec)
        return std::filesystem::absolute(path).lexically_normal().string();
    std::string s = p.string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

} // namespace dranfel
