#include "dranfel/storage/drives.h"

#include "dranfel/storage/file_list.h"

#include <algorithm>
#include <sstream>

namespace dranfel {

namespace {

bool under(const std::string& path, const std::string& top)
{
    return path == top ||
           (path.size() > top.size() && path.compare(0, top.size(), top) == 0 && path[top.size()] == '/');
}

int rank(const std::string& mp)
{
    if (mp == "/")
        return 0;
    if (mp == "/home")
        return 1;
    if (under(mp, "/media") || under(mp, "/mnt") || under(mp, "/run/media"))
        return 2;
    return -1;
}

} // namespace

std::vector<Drive> drive_list(const std::vector<MountEntry>& mounts)
{
    std::vector<Drive> out;
    for (const MountEntry& m : mounts) {
        if (rank(m.mount_point) < 0 || m.fs_type == "autofs")
            continue;
        auto same = std::find_if(out.begin(), out.end(),
                                 [&](const Drive& d) { return d.mount_point == m.mount_point; });
        Drive d{m.mount_point, m.fs_type, m.source};
        if (same != out.end())
            *same = d;
        else
            out.push_back(d);
    }
    std::stable_sort(out.begin(), out.end(), [](const Drive& a, const Drive& b) {
        int ra = rank(a.mount_point), rb = rank(b.mount_point);
        return ra != rb ? ra < rb : a.mount_point < b.mount_point;
    });
    return out;
}

std::vector<Drive> drive_list()
{
    return drive_list(read_mount_table());
}

TreeLocation locate_in_drives(const std::string& folder, const std::vector<Drive>& drives)
{
    TreeLocation loc;
    size_t best = 0;
    for (size_t i = 0; i < drives.size(); ++i) {
        const std::string& mp = drives[i].mount_point;
        bool holds = mp == "/" ? !folder.empty() && folder[0] == '/' : under(folder, mp);
        if (holds && (loc.drive < 0 || mp.size() > best)) {
            loc.drive = int(i);
            best = mp.size();
        }
    }
    if (loc.drive < 0)
        return loc;
    std::string rest = folder.substr(drives[size_t(loc.drive)].mount_point == "/" ? 0 : best);
    std::istringstream in(rest);
    std::string part;
    while (std::getline(in, part, '/'))
        if (!part.empty())
            loc.components.push_back(part);
    return loc;
}

std::string tree_item_path(const std::string& mount_point, const std::vector<std::string>& components)
{
    std::string path = mount_point;
    for (const std::string& c : components)
        path = join_path(path, c);
    return path;
}

int find_no_case(const std::vector<std::string>& names, const std::string& name)
{
    for (size_t i = 0; i < names.size(); ++i)
        if (compare_no_case(names[i], name) == 0)
            return int(i);
    return -1;
}

} // namespace dranfel
