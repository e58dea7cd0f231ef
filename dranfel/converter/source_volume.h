#pragma once
// Whether a recording's source lies on an NTFS volume. Only there does the converter follow the
// information file to every part of a recording: the receiver's own disks hold one part file per
// recording piece, and a copy on NTFS is where the whole recording is known to be together.
#include <string>

namespace dranfel {

// `mount_table` is text in the /proc/self/mounts format; `source_path` is made absolute first.
bool source_on_ntfs(const std::string& mount_table, const std::string& source_path);

// The same against the running system's table.
bool source_on_ntfs(const std::string& source_path);

} // namespace dranfel
