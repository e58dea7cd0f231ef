#include "common/file_replacement/write_target.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace common {

namespace {

bool all_digits(const std::string& s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The descriptor number N when `path` names one of this process's own descriptors through /proc
// (/proc/self/fd/N, /dev/fd/N, /proc/PID/task/TID/fd/N); -1 otherwise. Following such a link to
// the file behind it would replace the file a shell opened for us, offset and append mode lost.
int own_descriptor_of(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return -1;
    std::string number = path.substr(slash + 1);
    if (!all_digits(number) || number.size() > 9)
        return -1;
    char real[PATH_MAX];
    std::string dir = slash == 0 ? "/" : path.substr(0, slash);
    if (!::realpath(dir.c_str(), real))
        return -1;
    const std::string own = "/proc/" + std::to_string(::getpid());
    std::string r = real;
    bool ours = r == own + "/fd";
    if (!ours && r.rfind(own + "/task/", 0) == 0 && r.size() > 3 && r.compare(r.size() - 3, 3, "/fd") == 0) {
        std::string tid = r.substr(own.size() + 6, r.size() - own.size() - 6 - 3);
        ours = all_digits(tid);
    }
    return ours ? std::atoi(number.c_str()) : -1;
}

bool direct_descriptor(int n, WriteTarget& out, std::string& reason)
{
    int fd = ::fcntl(n, F_DUPFD_CLOEXEC, 3);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    out.kind = WriteTarget::Kind::Direct;
    out.fd = fd;
    ::fstat(fd, &out.st);
    return true;
}

bool refuse(std::string& reason, TargetRefusal* refusal, TargetRefusal why, std::string text)
{
    reason = std::move(text);
    if (refusal)
        *refusal = why;
    return false;
}

} // namespace

std::string folder_of(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool may_write_in(const std::string& folder, std::string& reason)
{
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0)
        return true;
    const int err = errno;
    if (err == EACCES || err == EPERM)
        reason = "cannot write in " + folder + ": save elsewhere";
    else
        reason = std::strerror(err);
    errno = err;
    return false;
}

bool may_replace(const std::string& path,
                 const struct stat& st,
                 std::string& reason,
                 TargetRefusal* refusal,
                 const WriteTargetOptions& options)
{
    // No write bit at all counts for everybody, the super-user included: it is how a user says
    // "keep this file".
    if ((st.st_mode & 0222) == 0 ||
        (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && (errno == EACCES || errno == EPERM)))
        return refuse(reason, refusal, TargetRefusal::ReadOnly, "read-only");
    std::string why;
    if (!may_write_in(folder_of(path), why))
        return refuse(reason, refusal,
                      errno == EACCES || errno == EPERM ? TargetRefusal::FolderNotWritable
                                                        : TargetRefusal::Failed,
                      why);
    if (st.st_nlink > 1 && !options.detach_hard_links)
        return refuse(reason, refusal, TargetRefusal::HardLinked,
                      "it has " + std::to_string(st.st_nlink - 1) + " " + HARD_LINK_REFUSAL +
                          ", which would keep the old contents");
    return true;
}

bool resolve_write_target(const std::string& name,
                          WriteTarget& out,
                          std::string& reason,
                          TargetRefusal* refusal,
                          const WriteTargetOptions& options)
{
    out = WriteTarget{};
    if (refusal)
        *refusal = TargetRefusal::Failed;
    if (name.empty())
        return refuse(reason, refusal, TargetRefusal::Failed, std::strerror(ENOENT));
    if (name == "-")
        return direct_descriptor(STDOUT_FILENO, out, reason);

    // The chain of symbolic links is followed by hand, one link at a time, so that a link into
    // /proc's descriptors is seen before the kernel jumps through it.
    std::string cur = name;
    for (int hops = 0;; ++hops) {
        if (hops == 40)
            return refuse(reason, refusal, TargetRefusal::Failed, std::strerror(ELOOP));
        if (int n = own_descriptor_of(cur); n >= 0)
            return direct_descriptor(n, out, reason);
        struct stat lst;
        if (::lstat(cur.c_str(), &lst) != 0 || !S_ISLNK(lst.st_mode))
            break;
        char buf[PATH_MAX];
        ssize_t n = ::readlink(cur.c_str(), buf, sizeof buf - 1);
        if (n < 0)
            return refuse(reason, refusal, TargetRefusal::Failed, std::strerror(errno));
        std::string link(buf, size_t(n));
        if (link.empty() || link[0] != '/') {
            size_t slash = cur.rfind('/');
            link = (slash == std::string::npos ? std::string() : cur.substr(0, slash + 1)) + link;
        }
        cur = link;
    }
    out.path = cur;
    out.folder = folder_of(cur);
    if (::stat(cur.c_str(), &out.st) != 0) {
        if (errno != ENOENT)
            return refuse(reason, refusal, TargetRefusal::Failed, std::strerror(errno));
        out.kind = WriteTarget::Kind::Absent;
        if (::faccessat(AT_FDCWD, out.folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0)
            return true;
        if (errno != EACCES && errno != EPERM)
            return refuse(reason, refusal, TargetRefusal::Failed, std::strerror(errno));
        return refuse(reason, refusal, TargetRefusal::FolderNotWritable,
                      "cannot write in " + out.folder + ": save elsewhere");
    }
    if (S_ISDIR(out.st.st_mode))
        return refuse(reason, refusal, TargetRefusal::Failed, std::strerror(EISDIR));
    if (!S_ISREG(out.st.st_mode)) {
        // A pipe or a device has no folder to stage in and nothing to lose.
        int fd = ::open(cur.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return refuse(reason, refusal, TargetRefusal::Failed, std::strerror(errno));
        out.kind = WriteTarget::Kind::Direct;
        out.fd = fd;
        return true;
    }
    out.kind = WriteTarget::Kind::Regular;
    return may_replace(cur, out.st, reason, refusal, options);
}

void take_over_attributes(int fd, const struct stat& old)
{
    // The owner first: a change of owner clears the set-id bits that the mode then puts back.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, uid_t(-1), old.st_gid);
    ::fchmod(fd, old.st_mode & 07777);
}

} // namespace common
