#pragma once
// One file written whole or not at all: the bytes go to a staged file beside the target, every
// write and the flush are checked, and a rename puts it in place, after which the folder is
// flushed. On any failure, and after a kill, the old file is as it was. A target that is no
// regular file (standard output, a pipe, a terminal, /dev/null) is written into directly.
#include "common/file_replacement/staging_area.h"
#include "common/file_replacement/write_target.h"

#include <cstddef>
#include <memory>
#include <string>

namespace common {

class AtomicFile
{
public:
    explicit AtomicFile(std::string target, WriteTargetOptions options = {})
        : m_target(std::move(target))
        , m_options(options)
    {}
    ~AtomicFile() { abandon(); }
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Looks at the target (see write_target.h for what is refused) and opens the file the new
    // contents go to. False with error() and refusal() set.
    bool open();

    // The descriptor the new contents go to, for writers of their own; -1 when not open.
    int fd() const { return m_fd; }
    // True when the target is written into as it is (a pipe, a device, standard output).
    bool direct() const { return m_target_info.kind == WriteTarget::Kind::Direct; }
    // True when open() found a regular file at the target's name.
    bool replaces() const { return m_target_info.kind == WriteTarget::Kind::Regular; }

    bool write(const void* data, size_t len);
    // For writers that use fd() themselves: the reason their write failed.
    void fail(int err);

    // Flushes, closes and renames over the target. False (and the target untouched) on failure.
    // Without `sync` the data is left to the system's write-back: safe against a kill, not
    // against a power cut; for output that can be made again.
    bool commit(bool sync = true);
    // Drops what was written; the target stays as it was.
    void abandon();

    const std::string& error() const { return m_error; }
    TargetRefusal refusal() const { return m_refusal; }

private:
    std::string m_target;
    WriteTargetOptions m_options;
    WriteTarget m_target_info;
    std::string m_temp;
    std::string m_error;
    TargetRefusal m_refusal = TargetRefusal::None;
    int m_fd = -1;
    bool m_failed = false;
    std::unique_ptr<StagingArea> m_area;
};

// The whole file at once. On failure `error` (when given) says why.
// `refusal`, when given, says why the target itself was refused (see write_target.h).
bool write_file_atomically(const std::string& path,
                           const void* data,
                           size_t len,
                           std::string* error = nullptr,
                           const WriteTargetOptions& options = {},
                           TargetRefusal* refusal = nullptr);

} // namespace common
