#include "dranfel/storage/receiver_path.h"

namespace dranfel {

std::string receiver_path_for(const std::string& abs_path, const std::vector<MountEntry>& mounts)
{
    std::string rel = abs_path;
    if (const MountEntry* m = mount_of(abs_path, mounts); m && m->mount_point != "/")
        rel = abs_path.substr(m->mount_point.size());
    if (rel.empty() || rel[0] != '/')
        rel.insert(rel.begin(), '/');
    for (char& c : rel)
        if (c == '/')
            c = '\\';
    return "C:" + rel;
}

std::string receiver_path_of(const std::string& path)
{
    return receiver_path_for(absolute_path(path), read_mount_table());
}

} // namespace dranfel
