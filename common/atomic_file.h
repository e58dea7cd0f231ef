#pragma once
// Replaces a file only once its new contents are safely on disk: the bytes go to a temporary file
// in the target's folder, every write and the flush are checked, and a rename puts it in place. On
// any failure the old file is untouched and the temporary file is removed, so a full disk or a
// pulled USB stick can never leave a cut file behind a report of success.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

namespace common {

// Writes all of [data, data+len) to fd, retrying short writes and interruptions.
inline bool write_all(int fd, const void* data, size_t len)
{
    auto p = static_cast<const uint8_t*>(data);
    while (len > 0) {
        ssize_t n = ::write(fd, p, len);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        p += n;
        len -= size_t(n);
    }
    return true;
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
        std::filesystem::path p(target_);
        std::string dir = p.has_parent_path() ? p.parent_path().string() : std::string(".");
        std::string tmpl = dir + "/." + p.filename().string() + ".XXXXXX";
        temp_ = tmpl;
        fd_ = ::mkstemp(temp_.data());
        if (fd_ < 0) {
            error_ = std::strerror(errno);
            temp_.clear();
            return false;
        }
        // Keep the permissions of the file being replaced; a new file gets the usual ones.
        struct stat st;
        mode_t mode;
        if (::stat(target_.c_str(), &st) == 0) {
            mode = st.st_mode & 07777;
        } else {
            mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(fd_, mode);
        return true;
    }

    bool write(const void* data, size_t len)
    {
        if (fd_ < 0 || failed_)
            return false;
        if (!write_all(fd_, data, len)) {
            error_ = std::strerror(errno);
            failed_ = true;
        }
        return !failed_;
    }

    // Flushes, closes and renames over the target. False (and the target untouched) on failure.
    bool commit()
    {
        if (fd_ < 0 || failed_) {
            abandon();
            return false;
        }
        bool ok = ::fsync(fd_) == 0;
        if (!ok)
            error_ = std::strerror(errno);
        if (::close(fd_) != 0 && ok) {
            ok = false;
            error_ = std::strerror(errno);
        }
        fd_ = -1;
        if (ok && ::rename(temp_.c_str(), target_.c_str()) != 0) {
            ok = false;
            error_ = std::strerror(errno);
        }
        if (!ok) {
            ::unlink(temp_.c_str());
        }
        temp_.clear();
        return ok;
    }

    void abandon()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        if (!temp_.empty())
            ::unlink(temp_.c_str());
        temp_.clear();
    }

    const std::string& error() const { return error_; }

private:
    std::string target_;
    std::string temp_;
    std::string error_;
    int fd_ = -1;
    bool failed_ = false;
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
