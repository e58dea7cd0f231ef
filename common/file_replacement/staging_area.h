#pragma once
// A writer's place in one folder for files on their way in, and the journal of how it puts them
// there. See README.md beside this file for the rules; in short:
//
// - The area is a lock file ".kdtmp-XXXXXX" that begins with a signature (a fixed line, the
//   writer's pid and the boot id) and then journals every step; staged files are that name with
//   ".N". The writer holds an flock on it while it lives.
// - Steps that change real names come in groups: set_aside, place and move_in, ended by commit()
//   or roll_back(). Each step is journaled before it is done, and commit() flushes the folder
//   before it journals the group as done, so that whatever happens in between, a later writer
//   can put the folder back as it was before the group.
// - Whoever opens an area in a folder recovers the areas of writers that are gone: groups not
//   committed are undone (set-aside files come back), then the area's own files go. A file is
//   only ever removed when a signed journal names it; nothing else in the folder is touched.
#include <string>
#include <vector>

namespace common {

namespace staging {
struct Step; // one journaled step
}

class StagingArea
{
public:
    explicit StagingArea(std::string folder);
    // Rolls back a group not committed, then removes what the area holds, unless something could
    // not be put back: then all of it stays for a later writer (or the user) to find.
    ~StagingArea();
    StagingArea(const StagingArea&) = delete;
    StagingArea& operator=(const StagingArea&) = delete;

    // Signs a new area in the folder and recovers what writers that are gone left there. False
    // with error() set (a read-only disk, a missing folder, a folder this user may not write).
    bool open();

    // A new, empty staged file; its descriptor (read and write, owned by the caller) and its
    // path in `path`, or -1 with error() set. Made with mode 0666 less the umask.
    int create(std::string& path);
    // Removes a staged file that was never placed.
    void discard(const std::string& staged);

    // Renames a whole staged file over `target` (in this folder) at once: the old file, if any,
    // is gone with the rename. For single files, whose rename is their own commit.
    bool replace(const std::string& staged, const std::string& target);

    // Steps of a group. A group starts with begin() or its first step and waits for the folder's
    // lock, so that two writers never interleave their groups in one folder (what a writer reads
    // of the folder after begin() stays true until its commit); commit() and roll_back() release
    // the lock.
    bool begin();
    //
    // Moves `target` aside under a staged name (empty `staged` when there was nothing).
    bool set_aside(const std::string& target, std::string& staged);
    // Renames a staged file to `target`, which must not exist (it is set aside first).
    bool place(const std::string& staged, const std::string& target);
    // Renames `source`, on the same file system, to `target` in this folder, which must not exist.
    bool move_in(const std::string& source, const std::string& target);
    // Flushes the folder (and the folders files were moved from), then journals the group as
    // done: from here on its set-aside files are old and go with the area.
    bool commit();
    // Undoes the group's steps, last first. False when something could not be put back; error()
    // then says what and where it is, and the area keeps everything.
    bool roll_back();
    bool in_group() const;

    // Removes every file of the area and the lock; see the destructor.
    void release();

    const std::string& folder() const { return m_folder; }
    const std::string& error() const { return m_error; }
    // The system's error number of the last failure (EXDEV for a move across file systems).
    int error_number() const { return m_errno; }

private:
    bool journal(const staging::Step& step, bool durable);
    void end_group();
    std::string staged_path(unsigned n) const;
    bool fail(const std::string& what, int err);

    std::string m_folder;
    std::string m_lock_path;
    std::string m_error;
    std::vector<staging::Step> m_steps; // every step journaled by this area
    size_t m_group_start = 0;           // first step of the open group
    bool m_group_open = false;
    bool m_stuck = false; // something could not be put back: keep everything
    int m_lock_fd = -1;
    int m_dir_fd = -1;
    int m_errno = 0;
    unsigned m_next = 0;
};

// True for a name that starts like this system's staged names. Nothing is removed for its name
// alone: see clear_dead_areas.
bool is_temp_name(const std::string& name);

// Recovers the areas of writers that are gone in `folder` (StagingArea::open does it). Areas
// whose journal cannot be read as ours, and files no journal names, are left alone.
void clear_dead_areas(const std::string& folder);

// fsync of a folder, so that renames and removals in it are on the disk. False with errno set.
bool sync_folder(const std::string& folder);

} // namespace common
