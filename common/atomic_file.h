#pragma once
// Replaces a file only once its new contents are safely on disk: the bytes go to a temporary file
// in the target's folder (common/staging_area.h), every write and the flush are checked, and a
// rename puts it in place. On any failure the old file is untouched and the temporary file is
// removed, so a full disk or a pulled USB stick can never leave a cut file behind a report of
// success; a writer killed halfway leaves only a temporary file, which the next writer in that
// folder clears away.
//
// A target that is a symbolic link is followed to its final target, which is replaced beside it:
// the link stays a link. A target that is a FIFO or a device (/dev/stdout) is written directly.
#include "common/fd_io.h"
#include "common/staging_area.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

// The file a chain of symbolic links ends at (the path itself when it is no link, or does not
// exist yet); relative links count from the link's own folder. False on a loop.
inline bool final_target(const std::string& path, std::string& out, std::string* error = nullptr)
{
    std::string cur = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(cur.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            out = cur;
            return true;
        }
        char buf[PATH_MAX];
        ssize_t n = ::readlink(cur.c_str(), buf, sizeof buf - 1);
        if (n < 0) {
            if (error)
                *error = std::strerror(errno);
            return false;
        }
        std::string link(buf, size_t(n));
        if (link.empty() || link[0] != '/') {
            size_t slash = cur.rfind('/');
            link = (slash == std::string::npos ? std::string() : cur.substr(0, slash + 1)) + link;
        }
        cur = link;
    }
    if (error)
        *error = std::strerror(ELOOP);
    return false;
}

class AtomicFile
{
public:
    explicit AtomicFile(std::string target)
        : m_target(std::move(target))
    {}
    ~AtomicFile() { abandon(); }
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open()
    {
        abandon();
        m_failed = false;
        if (!final_target(m_target, m_final, &m_error))
            return false;
        struct stat st;
        bool exists = ::stat(m_final.c_str(), &st) == 0;
        if (exists && S_ISDIR(st.st_mode)) {
            m_error = std::strerror(EISDIR);
            return false;
        }
        if (exists && !S_ISREG(st.st_mode)) {
            // A pipe or a device has no folder to stage in and nothing to lose.
            m_fd = ::open(m_final.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
            if (m_fd < 0) {
                m_error = std::strerror(errno);
                return false;
            }
            m_direct = true;
            return true;
        }
        size_t slash = m_final.rfind('/');
        std::string folder =
            slash == std::string::npos ? std::string(".") : m_final.substr(0, slash ? slash : 1);
        m_area = std::make_unique<StagingArea>(folder);
        if (!m_area->open()) {
            m_error = m_area->error();
            m_area.reset();
            return false;
        }
        // Keep the permissions of the file being replaced; a new file gets the usual ones.
        mode_t mode;
        if (exists) {
            mode = st.st_mode & 07777;
        } else {
            mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        m_fd = m_area->create(m_temp, mode);
        if (m_fd < 0) {
            m_error = m_area->error();
            m_area.reset();
            return false;
        }
        return true;
    }

    // The descriptor the new contents go to, for writers of their own; -1 when not open.
    int fd() const { return m_fd; }

    bool write(const void* data, size_t len)
    {
        if (m_fd < 0 || m_failed)
            return false;
        if (!write_all(m_fd, data, len))
            fail(errno);
        return !m_failed;
    }

    // For writers that use fd() themselves: the reason their write failed.
    void fail(int err)
    {
        m_error = std::strerror(err);
        m_failed = true;
    }

    // Flushes, closes and renames over the target. False (and the target untouched) on failure.
    // Without `sync` the data is left to the system's write-back: safe against a kill, not
    // against a power cut; for output that can be made again.
    bool commit(bool sync = true)
    {
        if (m_fd < 0 || m_failed) {
            abandon();
            return false;
        }
        bool ok = m_direct || !sync || ::fsync(m_fd) == 0;
        if (!ok)
            m_error = std::strerror(errno);
        if (::close(m_fd) != 0 && ok) {
            ok = false;
            m_error = std::strerror(errno);
        }
        m_fd = -1;
        if (ok && !m_direct && !m_area->place(m_temp, m_final)) {
            ok = false;
            m_error = m_area->error();
        }
        abandon();
        return ok;
    }

    void abandon()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_area.reset(); // removes the temporary file unless it was placed
        m_temp.clear();
        m_direct = false;
    }

    const std::string& error() const { return m_error; }

private:
    std::string m_target;
    std::string m_temp;
    std::string m_error;
    int m_fd = -1;
    bool m_failed = false;
    std::string m_final; // m_target after its symbolic links
    std::unique_ptr<StagingArea> m_area;
    bool m_direct = false;
};

// The whole file at once. On failure `error` (when given) says why.
inline bool
write_file_atomically(const std::string& path, const void* data, size_t len, std::string* error = nullptr)
{
    AtomicFile f(path);
    bool ok = f.open() && f.write(data, len) && f.commit();
    if (!ok && error)
        *error = f.error();
    return ok;
}

} // namespace common
