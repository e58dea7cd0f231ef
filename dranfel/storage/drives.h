#pragma once
// The drive list of the folder trees: the mounted file systems a user keeps files on (the root
// file system, /home when it is separate, and everything under /media, /mnt and /run/media), in a
// stable order, and the way back from a folder path to a drive and the folder names below it.
#include "dranfel/storage/mount_table.h"

#include <string>
#include <vector>

namespace dranfel {

struct Drive
{
    std::string mount_point; // what the tree root shows
    std::string fs_type;
    std::string source;

    bool operator==(const Drive&) const = default;
};

// "/" first, then "/home", then the removable places sorted by mount point. A mount point that is
// mounted more than once appears once, with its last (visible) mount.
std::vector<Drive> drive_list(const std::vector<MountEntry>& mounts);
std::vector<Drive> drive_list();

// Where a folder sits in the trees: the index of the drive whose mount point is the longest that
// holds the folder, and the folder names from that mount point down. drive is -1 when no drive
// holds it.
struct TreeLocation
{
    int drive = -1;
    std::vector<std::string> components;
};
TreeLocation locate_in_drives(const std::string& folder, const std::vector<Drive>& drives);

// The folder path of a tree item: the drive's mount point and the names below it.
std::string tree_item_path(const std::string& mount_point, const std::vector<std::string>& components);

// The index of the name that matches `name` without regard to case, or -1.
int find_no_case(const std::vector<std::string>& names, const std::string& name);

} // namespace dranfel
