#include "dranfel/converter/source_volume.h"

#include "dranfel/storage/mount_table.h"

#include <fstream>
#include <sstream>

namespace dranfel {

bool source_on_ntfs(const std::string& mount_table, const std::string& source_path)
{
    std::vector<MountEntry> mounts = parse_mount_table(mount_table);
    const MountEntry* m = mount_of(absolute_path(source_path), mounts);
    return m && is_ntfs(*m);
}

bool source_on_ntfs(const std::string& source_path)
{
    std::ifstream in("/proc/self/mounts");
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    return source_on_ntfs(text.str(), source_path);
}

} // namespace dranfel
