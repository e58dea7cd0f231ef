#include "common/file_replacement/staging_area.h"

#include "common/fd_io.h"
#include "common/file_replacement/staging_journal.h"
#include "common/file_replacement/write_target.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

using namespace staging;

namespace {

constexpr const char TEMP_PREFIX[] = ".kdtmp-";
constexpr size_t PREFIX_LEN = sizeof TEMP_PREFIX - 1;
constexpr size_t TOKEN_LEN = 6;
// A journal this long is no journal of ours; it is not read.
constexpr off_t MAX_JOURNAL = 64 << 20;

bool is_lock_name(const std::string& name)
{
    return is_temp_name(name) && name.size() == PREFIX_LEN + TOKEN_LEN;
}

std::string random_token()
{
    static const char chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device rd;
    std::string t;
    for (size_t i = 0; i < TOKEN_LEN; ++i)
        t += chars[rd() % (sizeof chars - 1)];
    return t;
}

// flock that tells "held by another" from "this file system has no such locks".
enum class LockResult
{
    Taken,
    Busy,
    Unsupported
};

LockResult try_lock(int fd, bool wait)
{
    for (;;) {
        if (::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) == 0)
            return LockResult::Taken;
        if (errno == EINTR)
            continue;
        return errno == EWOULDBLOCK ? LockResult::Busy : LockResult::Unsupported;
    }
}

bool read_whole(int fd, std::string& text)
{
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_size > MAX_JOURNAL)
        return false;
    text.resize(size_t(st.st_size));
    const ssize_t got = read_all(fd, text.data(), text.size(), 0);
    text.resize(got < 0 ? 0 : size_t(got));
    return true;
}

bool same_inode(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Where the lock cannot tell (no flock here), the signature does: a writer of an earlier boot,
// or one whose process is gone, is dead.
bool writer_gone(const Signature& sig)
{
    if (sig.boot_id != current_boot_id())
        return true;
    return ::kill(pid_t(sig.pid), 0) != 0 && errno == ESRCH;
}

// One dead writer's area: its unfinished group undone, then its files and its lock removed.
// Anything that could not be put back keeps the whole area as it is.
void recover_area(const std::string& folder, const std::string& lock_path, int fd)
{
    std::string text;
    Signature sig;
    std::vector<Step> steps;
    if (!read_whole(fd, text) || !parse_journal(text, sig, steps))
        return;
    std::string error;
    if (!undo_steps(folder, lock_path, steps, committed_end(steps), steps.size(), error))
        return;
    sync_folder(folder);
    remove_staged_files(lock_path, steps);
    // The lock goes last, so that a recovery cut short leaves a journal that names what is left.
    ::unlink(lock_path.c_str());
}

std::string base_name(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int open_folder(const std::string& folder)
{
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

bool is_temp_name(const std::string& name)
{
    return name.compare(0, PREFIX_LEN, TEMP_PREFIX) == 0;
}

bool sync_folder(const std::string& folder)
{
    int fd = open_folder(folder);
    if (fd < 0)
        return false;
    int r = ::fsync(fd);
    int err = errno;
    ::close(fd);
    errno = err;
    // Some file systems cannot flush a folder at all; their renames are as safe as they get.
    return r == 0 || err == EINVAL || err == EROFS;
}

void clear_dead_areas(const std::string& folder)
{
    int dir_fd = open_folder(folder);
    if (dir_fd < 0)
        return;
    // A writer in the middle of a group holds the folder: its steps and a recovery must not
    // meet. Its area is live anyway; dead ones wait for the next writer.
    if (try_lock(dir_fd, false) == LockResult::Busy) {
        ::close(dir_fd);
        return;
    }
    std::vector<std::string> locks;
    if (DIR* d = ::fdopendir(::dup(dir_fd))) {
        while (dirent* e = ::readdir(d))
            if (is_lock_name(e->d_name))
                locks.emplace_back(e->d_name);
        ::closedir(d);
    }
    for (const std::string& name : locks) {
        std::string path = join(folder, name);
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat fst, nst;
        std::string text;
        Signature sig;
        std::vector<Step> steps;
        // Only this user's own signed areas: another user's journal is not ours to act on.
        bool ours = ::fstat(fd, &fst) == 0 && S_ISREG(fst.st_mode) && fst.st_uid == ::geteuid() &&
                    read_whole(fd, text) && parse_journal(text, sig, steps);
        if (ours) {
            LockResult lock = try_lock(fd, false);
            bool dead = lock == LockResult::Taken || (lock == LockResult::Unsupported && writer_gone(sig));
            // The name must still be this file: another cleaner may have removed it meanwhile.
            if (dead && ::lstat(path.c_str(), &nst) == 0 && same_inode(fst, nst))
                recover_area(folder, path, fd);
        }
        ::close(fd);
    }
    ::close(dir_fd); // drops the folder's lock
}

StagingArea::StagingArea(std::string folder)
    : m_folder(folder.empty() ? std::string(".") : std::move(folder))
{}

StagingArea::~StagingArea()
{
    release();
}

bool StagingArea::fail(const std::string& what, int err)
{
    m_errno = err;
    if (err == EACCES || err == EPERM)
        m_error = "cannot write in " + m_folder + ": save elsewhere";
    else
        m_error = what.empty() ? std::string(std::strerror(err)) : what + ": " + std::strerror(err);
    return false;
}

bool StagingArea::open()
{
    release();
    m_stuck = false;
    m_steps.clear();
    m_next = 0;
    m_dir_fd = open_folder(m_folder);
    if (m_dir_fd < 0)
        return fail({}, errno);
    Signature sig{long(::getpid()), current_boot_id()};
    const std::string signature = encode_signature(sig);

    // Made without a name, signed and locked, then linked in: no other writer ever sees the lock
    // file unsigned. Where the file system cannot do that, it is made under its name and signed
    // at once; a cleaner leaves an unsigned file alone.
    int fd = ::openat(m_dir_fd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    bool anonymous = fd >= 0;
    if (anonymous && !write_all(fd, signature.data(), signature.size())) {
        int err = errno;
        ::close(fd);
        return fail({}, err);
    }
    if (anonymous)
        try_lock(fd, false);
    for (int attempt = 0; attempt < 100 && m_lock_fd < 0; ++attempt) {
        std::string name = std::string(TEMP_PREFIX) + random_token();
        std::string path = join(m_folder, name);
        if (anonymous) {
            std::string self = "/proc/self/fd/" + std::to_string(fd);
            if (::linkat(AT_FDCWD, self.c_str(), m_dir_fd, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_lock_fd = fd;
                m_lock_path = path;
            } else if (errno != EEXIST) {
                // No /proc, or a file system that will not link it: the named way below.
                ::close(fd);
                anonymous = false;
            }
            continue;
        }
        int nfd = ::openat(m_dir_fd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (nfd < 0) {
            if (errno == EEXIST)
                continue;
            return fail({}, errno);
        }
        try_lock(nfd, false);
        if (!write_all(nfd, signature.data(), signature.size())) {
            int err = errno;
            ::unlinkat(m_dir_fd, name.c_str(), 0);
            ::close(nfd);
            return fail({}, err);
        }
        m_lock_fd = nfd;
        m_lock_path = path;
    }
    if (m_lock_fd < 0) {
        if (anonymous)
            ::close(fd);
        m_error = "could not make a temporary file in " + m_folder;
        return false;
    }
    clear_dead_areas(m_folder);
    return true;
}

std::string StagingArea::staged_path(unsigned n) const
{
    return m_lock_path + "." + std::to_string(n);
}

bool StagingArea::journal(const Step& step, bool durable)
{
    std::string line = encode_step(step);
    if (!write_all(m_lock_fd, line.data(), line.size()) ||
        (durable && ::fdatasync(m_lock_fd) != 0 && errno != EINVAL))
        return fail("could not write the journal " + m_lock_path, errno);
    m_steps.push_back(step);
    return true;
}

int StagingArea::create(std::string& path)
{
    if (m_lock_fd < 0) {
        m_error = std::strerror(EBADF);
        return -1;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned n = ++m_next;
        if (!journal({Op::Staged, n, 0, {}, {}}, false))
            return -1;
        path = staged_path(n);
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            fail({}, errno);
            return -1;
        }
    }
    m_error = std::strerror(EEXIST);
    return -1;
}

void StagingArea::discard(const std::string& staged)
{
    ::unlink(staged.c_str());
}

bool StagingArea::replace(const std::string& staged, const std::string& target)
{
    if (::rename(staged.c_str(), target.c_str()) != 0)
        return fail({}, errno);
    return true;
}

bool StagingArea::in_group() const
{
    return m_group_open;
}

bool StagingArea::begin()
{
    if (m_lock_fd < 0) {
        m_error = std::strerror(EBADF);
        return false;
    }
    if (m_group_open)
        return true;
    try_lock(m_dir_fd, true); // where folders cannot be locked, writers are not serialised
    m_group_open = true;
    m_group_start = m_steps.size();
    return true;
}

void StagingArea::end_group()
{
    if (!m_group_open)
        return;
    ::flock(m_dir_fd, LOCK_UN);
    m_group_open = false;
    m_group_start = m_steps.size();
}

bool StagingArea::set_aside(const std::string& target, std::string& staged)
{
    staged.clear();
    if (!begin())
        return false;
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return true;
        return fail(target, errno);
    }
    unsigned n = ++m_next;
    // On the disk before the rename: this line is the only way back to the old file.
    if (!journal({Op::Aside, n, st.st_ino, base_name(target), {}}, true))
        return false;
    std::string name = staged_path(n);
    if (::rename(target.c_str(), name.c_str()) != 0)
        return fail("could not set " + target + " aside", errno);
    staged = name;
    return true;
}

namespace {

// A rename that never replaces: the target was set aside, and finding a file there means another
// writer got in between, which must fail rather than destroy.
int rename_no_replace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

} // namespace

bool StagingArea::place(const std::string& staged, const std::string& target)
{
    if (!begin())
        return false;
    size_t dot = staged.rfind('.');
    unsigned n = dot == std::string::npos ? 0 : unsigned(std::strtoul(staged.c_str() + dot + 1, nullptr, 10));
    if (staged.compare(0, dot, m_lock_path) != 0 || n == 0) {
        m_error = staged + " is not a file of this area";
        return false;
    }
    struct stat st;
    if (::lstat(staged.c_str(), &st) != 0)
        return fail(staged, errno);
    if (!journal({Op::Place, n, st.st_ino, base_name(target), {}}, false))
        return false;
    if (rename_no_replace(staged, target) != 0)
        return fail("could not put " + target + " in place", errno);
    return true;
}

bool StagingArea::move_in(const std::string& source, const std::string& target)
{
    if (!begin())
        return false;
    std::string from = source;
    if (from.empty() || from[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            return fail({}, errno);
        from = join(cwd, from);
    }
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0)
        return fail(source, errno);
    if (!journal({Op::MoveIn, 0, st.st_ino, base_name(target), from}, false))
        return false;
    if (rename_no_replace(from, target) != 0)
        return fail("could not move " + source + " to " + target, errno);
    return true;
}

bool StagingArea::commit()
{
    if (!m_group_open)
        return true;
    // The folders the group moved files from lose their names only once the new ones are there.
    std::vector<std::string> sources;
    for (size_t i = m_group_start; i < m_steps.size(); ++i)
        if (m_steps[i].op == Op::MoveIn) {
            std::string f = folder_of(m_steps[i].source);
            if (std::find(sources.begin(), sources.end(), f) == sources.end())
                sources.push_back(f);
        }
    if (::fsync(m_dir_fd) != 0 && errno != EINVAL)
        return fail("could not flush the folder " + m_folder, errno);
    if (!journal({Op::Commit, 0, 0, {}, {}}, true))
        return false;
    for (const std::string& f : sources)
        sync_folder(f);
    end_group();
    return true;
}

bool StagingArea::roll_back()
{
    if (!m_group_open)
        return !m_stuck;
    std::string error;
    bool ok = undo_steps(m_folder, m_lock_path, m_steps, m_group_start, m_steps.size(), error);
    ::fsync(m_dir_fd);
    if (!ok) {
        m_stuck = true;
        m_error = error;
        end_group();
        return false;
    }
    // What was undone is now the folder's state: a later recovery must not undo it again.
    journal({Op::Commit, 0, 0, {}, {}}, true);
    end_group();
    return true;
}

void StagingArea::release()
{
    if (m_lock_fd >= 0) {
        roll_back();
        if (!m_stuck) {
            remove_staged_files(m_lock_path, m_steps);
            ::unlink(m_lock_path.c_str());
        }
        ::close(m_lock_fd);
        m_lock_fd = -1;
    }
    if (m_dir_fd >= 0) {
        ::close(m_dir_fd);
        m_dir_fd = -1;
    }
    m_steps.clear();
    m_group_open = false;
}

} // namespace common
