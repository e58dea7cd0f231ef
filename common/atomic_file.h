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

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

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
    explicit AtomicFile(std::string target) : target_(std::move(target)) {}
    ~AtomicFile() { abandon(); }
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open()
    {
        abandon();
        failed_ = false;
        if (!final_target(target_, m_final, &error_))
            return false;
        struct stat st;
        bool exists = ::stat(m_final.c_str(), &st) == 0;
        if (exists && S_ISDIR(st.st_mode)) {
            error_ = std::strerror(EISDIR);
            return false;
        }
        if (exists && !S_ISREG(st.st_mode)) {
            // A pipe or a device has no folder to stage in and nothing to lose.
            fd_ = ::open(m_final.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
            if (fd_ < 0) {
                error_ = std::strerror(errno);
                return false;
            }
            m_direct = true;
            return true;
        }
        size_t slash = m_final.rfind('/');
        std::string folder = slash == std::string::npos ? std::string(".") : m_final.substr(0, slash ? slash : 1);
        m_area = std::make_unique<StagingArea>(folder);
        if (!m_area->open()) {
            error_ = m_area->error();
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
        fd_ = m_area->create(temp_, mode);
        if (fd_ < 0) {
            error_ = m_area->error();
            m_area.reset();
            return false;
        }
        return true;
    }

    // The descriptor the new contents go to, for writers of their own; -1 when not open.
    int fd() const { return fd_; }

    bool write(const void* data, size_t len)
    {
        if (fd_ < 0 || failed_)
            return false;
        if (!write_all(fd_, data, len))
            fail(errno);
        return !failed_;
    }

    // For writers that use fd() themselves: the reason their write failed.
    void fail(int err)
    {
        error_ = std::strerror(err);
        failed_ = true;
    }

    // Flushes, closes and renames over the target. False (and the target untouched) on failure.
    // Without `sync` the data is left to the system's write-back: safe against a kill, not
    // against a power cut; for output that can be made again.
    bool commit(bool sync = true)
    {
        if (fd_ < 0 || failed_) {
            abandon();
            return false;
        }
        bool ok = m_direct || !sync || ::fsync(fd_) == 0;
        if (!ok)
            error_ = std::strerror(errno);
        if (::close(fd_) != 0 && ok) {
            ok = false;
            error_ = std::strerror(errno);
        }
        fd_ = -1;
        if (ok && !m_direct && !m_area->place(temp_, m_final)) {
            ok = false;
            error_ = m_area->error();
        }
        abandon();
        return ok;
    }

    void abandon()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        m_area.reset(); // removes the temporary file unless it was placed
        temp_.clear();
        m_direct = false;
    }

    const std::string& error() const { return error_; }

private:
    std::string target_;
    std::string temp_;
    std::string error_;
    int fd_ = -1;
    bool failed_ = false;
    std::string m_final; // target_ after its symbolic links
    std::unique_ptr<StagingArea> m_area;
    bool m_direct = false;
};

// The whole file at once. On failure `error` (when given) says why.
inline bool write_file_atomically(const std::string& path, const void* data, size_t len, std::string* error = nullptr)
{
    AtomicFile f(path);
    bool ok = f.open() && f.write(data, len) && f.commit();
    if (!ok && error)
        *error = f.error();
    return ok;
}

} // namespace common
