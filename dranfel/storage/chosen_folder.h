#pragma once
// A half's folder as it was chosen: its path, and the file system that held it then. A disk
// unmounted under the window leaves its empty mount point behind, under the same path, on the disk
// below; a copy or a new folder there would land on the wrong disk. So a folder that is no longer
// on the file system it was chosen on counts as gone, as one that vanished does.
#include <string>
#include <sys/types.h>

namespace dranfel {

class ChosenFolder
{
public:
    ChosenFolder() = default;
    // Takes the device of `path` now; an empty path is no folder at all.
    explicit ChosenFolder(std::string path);

    const std::string& path() const { return m_path; }
    bool empty() const { return m_path.empty(); }

    // Whether the path still leads to a folder on the file system it was on when chosen (after
    // links, as the copy will open it). False for no folder, and for one that was not there then.
    bool still_there() const;

private:
    std::string m_path;
    dev_t m_device = 0;
    bool m_known = false;
};

// What a command says when the folder it would work in is gone.
std::string folder_gone_message(const std::string& path);

} // namespace dranfel
