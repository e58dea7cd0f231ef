#pragma once
// Files written under temporary names in the folder of their targets and renamed into place only
// when whole, so that a failure, a kill or a pulled disk never leaves a cut file under a real
// name, nor takes away the file that was to be replaced.
//
// Every temporary name is short whatever the target's length: ".kdtmp-" and six random
// characters name the area's lock file, and its staged files add ".N". The writer holds an
// exclusive flock on the lock file while it works; the kernel drops it when the writer dies.
// Whoever opens a staging area next in that folder takes the lock of every area it finds there:
// an area whose lock it gets belongs to a writer that is gone, and its files are removed.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace common {

constexpr std::string_view TEMP_PREFIX = ".kdtmp-";
constexpr size_t TEMP_TOKEN_LEN = 6;

inline bool is_temp_name(std::string_view name)
{
    return name.substr(0, TEMP_PREFIX.size()) == TEMP_PREFIX;
}

namespace staging_detail {

inline std::string join(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

inline bool same_inode(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The lock file's name of a temporary name: its first prefix + token characters.
inline std::string_view token_of(std::string_view name)
{
    return name.substr(0, std::min(name.size(), TEMP_PREFIX.size() + TEMP_TOKEN_LEN));
}

inline bool is_lock_name(std::string_view name)
{
    return is_temp_name(name) && name.size() == TEMP_PREFIX.size() + TEMP_TOKEN_LEN;
}

// A lock's name, a dot and a number: anything else that merely starts like ours is left alone.
inline bool is_staged_name(std::string_view name)
{
    const size_t dot = TEMP_PREFIX.size() + TEMP_TOKEN_LEN;
    if (!is_temp_name(name) || name.size() < dot + 2 || name[dot] != '.')
        return false;
    return std::all_of(name.begin() + long(dot) + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace staging_detail

// Removes what writers that are gone left in `folder`: the areas whose lock can be taken, and
// staged files whose lock file is missing. The areas of live writers are left alone.
inline void clear_stale_temps(const std::string& folder)
{
    using namespace staging_detail;
    std::vector<std::string> locks, staged;
    if (DIR* d = ::opendir(folder.empty() ? "." : folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string_view name = e->d_name;
            if (is_lock_name(name))
                locks.emplace_back(name);
            else if (is_staged_name(name))
                staged.emplace_back(name);
        }
        ::closedir(d);
    }
    std::vector<std::string> live;
    std::vector<int> held; // locks of dead areas, held until their files are gone
    std::vector<std::string> dead;
    for (const std::string& lock : locks) {
        std::string path = join(folder, lock);
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (errno != ENOENT)
                live.push_back(lock); // cannot tell: leave its files alone
            continue;
        }
        struct stat fst, nst;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            live.push_back(lock);
            ::close(fd);
            continue;
        }
        // The name must still be this file: another cleaner may have removed it meanwhile.
        if (::fstat(fd, &fst) == 0 && S_ISREG(fst.st_mode) && ::lstat(path.c_str(), &nst) == 0 &&
            same_inode(fst, nst)) {
            dead.push_back(lock);
            held.push_back(fd);
        } else {
            ::close(fd);
        }
    }
    for (const std::string& name : staged) {
        std::string_view token = token_of(name);
        bool owner_live = std::find(live.begin(), live.end(), token) != live.end();
        if (!owner_live)
            ::unlink(join(folder, name).c_str());
    }
    // The lock goes last, so that a cleaner killed halfway leaves a lock that names what is left.
    for (size_t i = 0; i < dead.size(); ++i) {
        ::unlink(join(folder, dead[i]).c_str());
        ::close(held[i]);
    }
}

class StagingArea
{
public:
    explicit StagingArea(std::string folder)
        : m_folder(folder.empty() ? std::string(".") : std::move(folder))
    {}
    ~StagingArea() { release(); }
    StagingArea(const StagingArea&) = delete;
    StagingArea& operator=(const StagingArea&) = delete;

    // Takes a lock file in the folder and clears what dead writers left there. False with
    // error() set (a read-only disk, a missing folder).
    bool open()
    {
        using namespace staging_detail;
        for (int attempt = 0; attempt < 100 && m_lock_fd < 0; ++attempt) {
            std::string tmpl = join(m_folder, std::string(TEMP_PREFIX) + "XXXXXX");
            int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
            if (fd < 0) {
                m_error = std::strerror(errno);
                return false;
            }
            // A cleaner may have taken the new, still unlocked file for a dead writer's: then the
            // name is gone or is another file, and a new one is made.
            struct stat fst, nst;
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &fst) == 0 &&
                ::lstat(tmpl.c_str(), &nst) == 0 && same_inode(fst, nst)) {
                m_lock_fd = fd;
                m_lock_path = tmpl;
            } else {
                ::close(fd);
            }
        }
        if (m_lock_fd < 0) {
            m_error = "could not lock a temporary file";
            return false;
        }
        clear_stale_temps(m_folder);
        return true;
    }

    bool is_open() const { return m_lock_fd >= 0; }

    // A new, empty staged file with permission bits `mode`; its descriptor (read and write,
    // owned by the caller) and its path in `path`, or -1 with error() set.
    int create(std::string& path, mode_t mode)
    {
        path = next_name();
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            m_error = std::strerror(errno);
            return -1;
        }
        m_staged.push_back(path);
        ::fchmod(fd, mode);
        return fd;
    }

    // Renames a staged file over `target`, which must be in the same folder. A symbolic link at
    // `target` is replaced, not written through.
    bool place(const std::string& staged, const std::string& target)
    {
        if (::rename(staged.c_str(), target.c_str()) != 0) {
            m_error = std::strerror(errno);
            return false;
        }
        forget(staged);
        return true;
    }

    // Moves an existing `target` aside under a staged name, from where place() can bring it back;
    // unless it is brought back it goes with the area. `staged` is empty when there was nothing.
    bool set_aside(const std::string& target, std::string& staged)
    {
        staged.clear();
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT)
                return true;
            m_error = std::strerror(errno);
            return false;
        }
        std::string name = next_name();
        if (::rename(target.c_str(), name.c_str()) != 0) {
            m_error = std::strerror(errno);
            return false;
        }
        m_staged.push_back(name);
        staged = name;
        return true;
    }

    // Removes a staged file now.
    void discard(const std::string& staged)
    {
        ::unlink(staged.c_str());
        forget(staged);
    }

    // Removes every staged file not placed, then the lock.
    void release()
    {
        for (const std::string& s : m_staged)
            ::unlink(s.c_str());
        m_staged.clear();
        if (m_lock_fd >= 0) {
            ::unlink(m_lock_path.c_str());
            ::close(m_lock_fd);
            m_lock_fd = -1;
        }
    }

    const std::string& folder() const { return m_folder; }
    const std::string& error() const { return m_error; }

private:
    std::string next_name() { return m_lock_path + "." + std::to_string(++m_next); }
    void forget(const std::string& staged)
    {
        auto it = std::find(m_staged.begin(), m_staged.end(), staged);
        if (it != m_staged.end())
            m_staged.erase(it);
    }

    std::string m_folder;
    std::string m_lock_path;
    std::string m_error;
    std::vector<std::string> m_staged;
    int m_lock_fd = -1;
    unsigned m_next = 0;
};

} // namespace common
