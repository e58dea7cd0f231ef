#pragma once
// What a name given to a writer turns out to be, and whether this user may replace it. Every
// writer asks here first, so the answer is the same for a save, an export, a copy and a
// conversion: a file that is not a regular file is written into, never replaced; a file the user
// may not write is refused, and so is one in a folder the user may not write; a file with other
// hard links is replaced only when the caller says so, since the other names would keep the old
// contents.
#include <string>
#include <sys/stat.h>

namespace common {

// Why a target was refused, for callers that offer a way round (Save As, --force).
enum class TargetRefusal
{
    None,
    Failed,            // a folder, a loop of links, a missing folder, ...
    ReadOnly,          // the file has no write permission for this user
    FolderNotWritable, // the file may be written, but not its folder, where the new file must go
    HardLinked,        // replacing would part the file from its other names
};

struct WriteTarget
{
    enum class Kind
    {
        Absent,  // a new file goes to `path`
        Regular, // `path` is replaced; `st` is its status
        Direct,  // written into `fd` as it is: a pipe, a terminal, a device, or standard output
    };
    Kind kind = Kind::Absent;
    std::string path;   // the name after its symbolic links: what is replaced or created
    std::string folder; // the folder of `path`, where the new file is staged
    struct stat st = {};
    int fd = -1; // Kind::Direct only; the caller owns it
};

// Part of every refusal for other hard links, for callers that print how to go on.
constexpr const char* HARD_LINK_REFUSAL = "other name(s) (hard links)";

struct WriteTargetOptions
{
    bool detach_hard_links = false;
};

// Looks at `name` as a writer would use it. "-" is standard output; /dev/stdout, /dev/fd/N and
// /proc/self/fd/N are the process's own descriptor N (its offset and append mode shared, as a
// shell's redirection means), never the file the descriptor happens to be open on. False with
// `reason` and `refusal` set when the name cannot be written.
bool resolve_write_target(const std::string& name,
                          WriteTarget& out,
                          std::string& reason,
                          TargetRefusal* refusal = nullptr,
                          const WriteTargetOptions& options = {});

// The checks of resolve_write_target for a regular file `path` (status `st`) about to be replaced.
bool may_replace(const std::string& path,
                 const struct stat& st,
                 std::string& reason,
                 TargetRefusal* refusal = nullptr,
                 const WriteTargetOptions& options = {});

// Whether this user may make files in `folder`; the reason names the folder.
bool may_write_in(const std::string& folder, std::string& reason);

// Gives a new file (descriptor `fd`) the permission bits of the file it replaces, and its owner
// and group where this user may set them. Failures to keep the owner are not errors.
void take_over_attributes(int fd, const struct stat& old);

// The folder of a path ("." for a bare name, "/" for a file at the root).
std::string folder_of(const std::string& path);

} // namespace common
