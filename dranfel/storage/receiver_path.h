#pragma once
// The receiver sees the root of its disk as "C:". The receiver path of a file is "C:" followed by
// the file's path relative to the mount point of the file system that holds it, with '/' turned
// into '\': /media/u/USB/REC/a.AVF on a disk mounted at /media/u/USB is C:\REC\a.AVF.
#include "dranfel/storage/mount_table.h"

#include <string>
#include <vector>

namespace dranfel {

// For an absolute, normalised path and a given mount table.
std::string receiver_path_for(const std::string& abs_path, const std::vector<MountEntry>& mounts);

// For any path, made absolute, against the current mount table.
std::string receiver_path_of(const std::string& path);

} // namespace dranfel
