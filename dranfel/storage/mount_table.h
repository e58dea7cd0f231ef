#pragma once
// The system's table of mounted file systems, read from /proc/self/mounts. Everything that needs
// to know which file system holds a path (the receiver path, the drive list, the NTFS test) takes
// the table as an argument, so tests can hand in a table of their own.
#include <string>
#include <vector>

namespace dranfel {

struct MountEntry
{
    std::string source;      // device or "tmpfs", ...
    std::string mount_point; // absolute, no trailing '/' except for "/" itself
    std::string fs_type;
    std::string options;
};

// Parses text in the /proc/mounts format (fields separated by blanks, octal escapes such as \040
// for a space). Malformed lines are skipped.
std::vector<MountEntry> parse_mount_table(const std::string& text);

// The current table; empty when /proc/self/mounts cannot be read.
std::vector<MountEntry> read_mount_table();

// The entry of the file system that holds an absolute, normalised path: the longest mount point
// that is the path or one of its parent folders; of several mounts on one point, the last. Null
// when none matches.
const MountEntry* mount_of(const std::string& abs_path, const std::vector<MountEntry>& mounts);

// NTFS is "ntfs" or "ntfs3", or a fuseblk mount whose source or options name ntfs.
bool is_ntfs(const MountEntry& m);
// Whether the file system holding `path` is NTFS; false when that cannot be told.
bool is_ntfs_volume(const std::string& path);

// An absolute path with "." and ".." and symbolic links resolved as far as the path exists.
std::string absolute_path(const std::string& path);

} // namespace dranfel
