#include "dranfel/storage/file_operations.h"

#include "common/fd_io.h"
#include "common/file_replacement/staging_area.h"
#include "common/file_replacement/write_target.h"
#include "common/regular_file.h"
#include "dranfel/storage/commands.h"
#include "dranfel/storage/file_list.h"
#include "dranfel/storage/receiver_path.h"
#include "dranfel/storage/recording_name.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace dranfel {

namespace {

// Owns a file descriptor; close() reports the error a delayed write may only show there.
class Fd
{
public:
    explicit Fd(int fd = -1)
        : m_fd(fd)
    {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }
    bool close()
    {
        int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

std::string error_text(int err)
{
    return std::strerror(err);
}

// Reads up to n bytes at off; the count read, or -1 with err set.
ssize_t pread_full(int fd, uint8_t* p, size_t n, off_t off, int& err)
{
    const ssize_t got = common::read_all(fd, p, n, off);
    if (got < 0)
        err = errno;
    return got;
}

// "Attributes set to normal" before a delete: a read-only file becomes writable again.
bool remove_file(const std::string& path, std::string* error)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return true;
    if (error)
        *error = path + ": " + error_text(errno);
    return false;
}

bool on_one_file_system(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

// Writes the receiver path into the path field at `offset` of a recording file open on `fd`; a file
// too short to hold its header (8008 bytes for an information file, 134 for a part) is carried as
// it is. `old_field`, when given, receives what the field held. 0, or the system's error number.
int write_path_field(int fd, size_t offset, const std::string& receiver_path, std::vector<uint8_t>* old_field)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return errno;
    if (st.st_size < off_t(offset == AVF_PATH_OFFSET ? AVF_FILE_SIZE : AVR_HEADER_SIZE))
        return 0;
    uint8_t field[RECEIVER_PATH_FIELD_SIZE];
    int err = 0;
    ssize_t got = pread_full(fd, field, sizeof field, off_t(offset), err);
    if (got != ssize_t(sizeof field))
        return got < 0 ? err : EIO;
    if (old_field)
        old_field->assign(field, field + sizeof field);
    RecordingName::write_receiver_path(field, receiver_path);
    return common::write_all(fd, field, sizeof field, off_t(offset)) ? 0 : errno;
}

// The same for a file that a move renamed into place, flushed at once.
bool rewrite_receiver_path(const std::string& path,
                           size_t offset,
                           const std::string& receiver_path,
                           std::vector<uint8_t>* old_field,
                           std::string& error)
{
    Fd f(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    int err = f.ok() ? write_path_field(f.get(), offset, receiver_path, old_field) : errno;
    if (err == 0 && (::fdatasync(f.get()) != 0 || !f.close()))
        err = errno;
    if (err != 0)
        error = "could not write " + path + ": " + error_text(err);
    return err == 0;
}

} // namespace

std::string FileOpFailure::message(bool move) const
{
    return std::string(move ? "Could not move " : "Could not copy ") + entry + ": " + reason;
}

struct FileOperation::Entry
{
    struct Staged
    {
        std::string temp;               // the copy under its staged name, or the source a move renames
        std::string target;             // the name it goes to
        size_t path_offset = 0;         // a recording file's receiver path field, for a move by rename
        std::vector<uint8_t> old_field; // what that field held at the source
    };
    std::string name;
    std::string src;
    std::string dst;
    std::vector<Staged> staged;       // whole copies not yet in place, in the order they go in
    std::vector<Staged> moves;        // files a move on one file system renames, in that order
    std::vector<std::string> placed;  // destination names that now hold this entry's files
    std::vector<Entry::Staged> aside; // old destination files set aside, and their names
    std::vector<std::string> copied;  // source files copied whole, parts before the information file
    // A recording: what finds the parts of an older, longer recording of its name at the destination.
    bool recording = false;
    ParsedRecordingName dp;
    int parts = 0;
    std::string receiver_path;
    bool complete = false;
};

namespace {

enum class CopyMode
{
    Single,
    Info,
    Part
};

} // namespace

void FileOperation::report(int32_t code, int32_t range, int32_t position)
{
    if (on_progress) {
        ProgressReport r;
        r.count = m_count;
        r.index = m_index;
        r.code = code;
        r.range = range;
        r.position = position;
        on_progress(r);
    }
}

int FileOperation::fail(
    Entry& e, int32_t code, const std::string& file, const std::string& reason, bool hard_linked)
{
    FileOpFailure f;
    f.code = code;
    f.index = m_index;
    f.entry = e.name;
    f.file = file;
    f.reason = reason;
    f.hard_linked = hard_linked;
    m_failure = f;
    report(code, 0, 0);
    if (on_failure)
        on_failure(f);
    return -1;
}

// What stands at a destination name must be a file this user may replace, or nothing.
int FileOperation::check_destination(Entry& e,
                                     const std::string& dst,
                                     const struct stat& src_st,
                                     struct stat* old)
{
    struct stat st;
    if (::lstat(dst.c_str(), &st) != 0) {
        if (old)
            old->st_mode = 0;
        return 0;
    }
    if (old)
        *old = st;
    // A link at the destination is replaced, never followed; only the source's own name is refused.
    if (st.st_dev == src_st.st_dev && st.st_ino == src_st.st_ino)
        return fail(e, FAIL_DESTINATION, dst, "could not create " + dst + ": it is the source file itself");
    // Only files are replaced: a folder of that name stays where it is, and so does all it holds.
    if (S_ISDIR(st.st_mode))
        return fail(e, FAIL_DESTINATION, dst, "could not create " + dst + ": " + error_text(EISDIR));
    std::string why;
    common::WriteTargetOptions options;
    options.detach_hard_links = m_replace_linked;
    common::TargetRefusal refusal = common::TargetRefusal::None;
    if (S_ISREG(st.st_mode) && !common::may_replace(dst, st, why, &refusal, options)) {
        return fail(e, FAIL_DESTINATION, dst, "could not replace " + dst + ": " + why,
                    refusal == common::TargetRefusal::HardLinked);
    }
    return 0;
}

// Copies one file in 64 KB steps: inside the kernel where it can (copy_file_range), through the
// buffer where it cannot. Every step is checked, and so is the size of the finished copy. A
// recording's information file and parts then get the receiver path of the destination
// information file written into their header. A file that replaces another keeps that file's
// permissions; a new recording file takes the source's, a new single file the usual ones.
int FileOperation::copy_file(const std::string& src,
                             const std::string& dst,
                             Entry& e,
                             int64_t progress_base,
                             int64_t total_size,
                             bool single,
                             size_t header_offset,
                             const std::string& receiver_path,
                             int64_t* copied_size)
{
    const CopyMode mode = single                             ? CopyMode::Single
                          : header_offset == AVF_PATH_OFFSET ? CopyMode::Info
                                                             : CopyMode::Part;
    struct stat sst;
    std::string why;
    Fd in(common::open_regular_file(src, &why, &sst));
    if (!in.ok())
        return fail(e, FAIL_SOURCE, src, "could not open " + src + ": " + why);
    struct stat old;
    if (int r = check_destination(e, dst, sst, &old); r != 0)
        return r;
    // The copy grows under a staged name beside its target; what is at the target's name
    // stays as it is until the whole entry is there.
    std::string temp;
    Fd out(m_area->create(temp));
    if (!out.ok())
        return fail(e, FAIL_DESTINATION, dst, "could not create " + dst + ": " + m_area->error());
    e.staged.push_back({temp, dst, 0, {}});

    // A single file's bar counts bytes; past 2 GiB both ends are scaled down alike.
    int shift = 0;
    while ((int64_t(sst.st_size) >> shift) > INT32_MAX)
        ++shift;
    if (mode == CopyMode::Single)
        report(PROGRESS_FILE_START, int32_t(int64_t(sst.st_size) >> shift), 0);

    bool in_kernel = true;
    off_t off = 0;
    for (;;) {
        ssize_t n;
        if (in_kernel) {
            loff_t ioff = off, ooff = off;
            n = ::copy_file_range(in.get(), &ioff, out.get(), &ooff, COPY_BLOCK_SIZE, 0);
            if (n <= 0) {
                if (n < 0 && errno == EINTR)
                    continue;
                // Not possible here, or a failure: the buffered path below tells which side failed,
                // and a 0 is confirmed as the end by a plain read.
                in_kernel = false;
                continue;
            }
        } else {
            int err = 0;
            n = pread_full(in.get(), m_buffer, std::min(m_buffer_size, COPY_BLOCK_SIZE), off, err);
            if (n < 0)
                return fail(e, FAIL_SOURCE, src, "could not read " + src + ": " + error_text(err));
            if (n == 0)
                break;
            if (!common::write_all(out.get(), m_buffer, size_t(n), off))
                return fail(e, FAIL_DESTINATION, dst, "could not write " + dst + ": " + error_text(errno));
        }
        // The copy is flushed before its name is given (below); starting each block's write-back
        // now lets the disk work while the next blocks are read, so that flush has little left.
        ::sync_file_range(out.get(), off, n, SYNC_FILE_RANGE_WRITE);
        off += n;
        m_bytes.fetch_add(n);
        if (mode == CopyMode::Info)
            continue; // small, and part of the recording's start
        if (mode == CopyMode::Single) {
            report(PROGRESS_FILE_STEP, int32_t(int64_t(sst.st_size) >> shift),
                   int32_t(int64_t(off) >> shift));
        } else {
            __int128 done = __int128(progress_base) + off;
            int32_t percent = total_size > 0 ? int32_t(std::min<__int128>(100, done * 100 / total_size)) : 0;
            report(PROGRESS_FILE_STEP, 100, percent);
        }
        if (cancelled())
            return 1;
    }

    if (mode != CopyMode::Single)
        if (int err = write_path_field(out.get(), header_offset, receiver_path, nullptr); err != 0)
            return fail(e, FAIL_DESTINATION, dst, "could not write " + dst + ": " + error_text(err));
    if (S_ISREG(old.st_mode))
        common::take_over_attributes(out.get(), old);
    else if (mode != CopyMode::Single)
        ::fchmod(out.get(), sst.st_mode & 07777);
    struct stat dst_end;
    if (::fstat(out.get(), &dst_end) != 0 || dst_end.st_size != off)
        return fail(e, FAIL_DESTINATION, dst,
                    "could not write " + dst + ": the copy holds " + std::to_string(dst_end.st_size) +
                        " of " + std::to_string(off) + " bytes");
    // On the disk before its name says it is there: the user's only copy may be the one a move
    // is about to delete, and a disk pulled later must not show a named file with holes.
    if (::fsync(out.get()) != 0 || !out.close())
        return fail(e, FAIL_DESTINATION, dst, "could not write " + dst + ": " + error_text(errno));
    e.copied.push_back(src);
    if (copied_size)
        *copied_size = off;
    return 0;
}

// A move on one file system: the files are checked as a copy checks them, then renamed in by
// put_in_place. 2 when the system will not rename between the two folders after all (a bind
// mount): the caller copies instead.
int FileOperation::move_by_rename(Entry& e)
{
    int64_t size = 0;
    for (const Entry::Staged& m : e.moves) {
        struct stat sst;
        std::string why;
        Fd in(common::open_regular_file(m.temp, &why, &sst));
        if (!in.ok())
            return fail(e, FAIL_SOURCE, m.temp, "could not open " + m.temp + ": " + why);
        if (int r = check_destination(e, m.target, sst, nullptr); r != 0)
            return r;
        size += sst.st_size;
    }
    int shift = 0;
    while ((size >> shift) > INT32_MAX)
        ++shift;
    if (!e.recording)
        report(PROGRESS_FILE_START, int32_t(size >> shift), 0);
    int r = put_in_place(e);
    if (r != 0)
        return r;
    m_bytes.fetch_add(size);
    if (e.recording)
        report(PROGRESS_FILE_STEP, 100, 100);
    else
        report(PROGRESS_FILE_STEP, int32_t(size >> shift), int32_t(size >> shift));
    return 0;
}

int FileOperation::copy_single(Entry& e)
{
    if (m_rename) {
        e.moves.push_back({e.src, e.dst, 0, {}});
        int r = move_by_rename(e);
        e.moves.clear();
        if (r != 2) {
            if (r == 0)
                report(PROGRESS_FILE_DONE, 0, 0);
            return r;
        }
        m_rename = false;
    }
    int r = copy_file(e.src, e.dst, e, 0, 0, true, 0, {}, nullptr);
    if (r != 0)
        return r;
    if (int placed = put_in_place(e); placed != 0)
        return placed;
    report(PROGRESS_FILE_DONE, 0, 0);
    return 0;
}

// Part files of the recording in `sp`'s folder whose number is above `last`.
static std::vector<std::string> parts_above(const ParsedRecordingName& sp, int last)
{
    std::vector<std::string> found;
    std::string folder = sp.prefix.empty() ? std::string(".") : sp.prefix;
    DIR* d = ::opendir(folder.c_str());
    if (!d)
        return found;
    while (dirent* de = ::readdir(d)) {
        std::string name = de->d_name;
        if (!has_extension(name, ".avr"))
            continue;
        const ParsedRecordingName p = RecordingName::fields_of(name);
        if (p.title == sp.title && p.date == sp.date && p.suffix == sp.suffix && p.part > last &&
            name == RecordingName::part_file_name(p, p.part))
            found.push_back(name);
    }
    ::closedir(d);
    std::sort(found.begin(), found.end());
    return found;
}

// The parts of a recording whose information file counts none: the ones that follow on from
// part 1, and the first part beyond a gap (empty when there is none), which copy, move and delete
// alike would leave behind.
struct UncountedParts
{
    int found = 0;
    std::string beyond_gap; // a file name in the recording's folder
};

static UncountedParts uncounted_parts(const ParsedRecordingName& name)
{
    UncountedParts u;
    while (u.found < 999 && common::is_regular_file(RecordingName::part_file_name(name, u.found + 1)))
        ++u.found;
    std::vector<std::string> stray = parts_above(name, u.found);
    if (!stray.empty())
        u.beyond_gap = stray.front();
    return u;
}

// Why such a recording with a gap was refused; `done` is "copied", "moved" or "deleted".
static std::string gap_reason(const std::string& info, int counted, const UncountedParts& u, const char* done)
{
    return "the information file " + info + " counts " + std::to_string(counted) + " parts, and " +
           u.beyond_gap + " does not follow on from the " + std::to_string(u.found) +
           " found from part 1; the recording was not " + done;
}

int FileOperation::copy_recording(Entry& e)
{
    const std::string src_info = info_file_of(e.src);
    std::unique_ptr<uint8_t[]> info(new (std::nothrow) uint8_t[AVF_FILE_SIZE]);
    if (!info)
        return fail(e, FAIL_NO_MEMORY, src_info, "could not allocate a work buffer");
    {
        std::string why;
        Fd fi(common::open_regular_file(src_info, &why));
        if (!fi.ok())
            return fail(e, FAIL_SOURCE, src_info,
                        "could not open the information file " + src_info + ": " + why);
        int err = 0;
        ssize_t got = pread_full(fi.get(), info.get(), AVF_FILE_SIZE, 0, err);
        if (got < 0)
            return fail(e, FAIL_SOURCE, src_info, "could not read " + src_info + ": " + error_text(err));
        if (size_t(got) < AVF_FILE_SIZE)
            return fail(e, FAIL_INFO_SHORT, src_info,
                        "the information file " + src_info + " holds " + std::to_string(got) +
                            " bytes, less than 8008");
    }
    int parts = RecordingName::part_count(info.get(), AVF_FILE_SIZE);
    const int64_t total = RecordingName::total_size(info.get(), AVF_FILE_SIZE);

    // Recordings already on a disk are taken whatever the length of their names.
    const ParsedRecordingName sp = RecordingName::fields_of(e.src);
    const ParsedRecordingName dp = RecordingName::fields_of(e.dst);

    if (parts <= 0) {
        // An information file that counts no parts would otherwise be copied alone and the parts
        // left behind: take the parts that follow on from part 1 instead, and say so; a part
        // beyond a gap would still be left behind, so then nothing is copied.
        const UncountedParts u = uncounted_parts(sp);
        if (!u.beyond_gap.empty())
            return fail(e, FAIL_SOURCE, src_info,
                        gap_reason(src_info, parts, u, m_move ? "moved" : "copied"));
        m_notes.push_back("the information file " + src_info + " counts " + std::to_string(parts) +
                          " parts; the " + std::to_string(u.found) +
                          " part files found from part 1 on were " + (m_move ? "moved" : "copied"));
        parts = std::max(u.found, 1); // none found: part 1 itself fails to open, and says so
    }

    report(PROGRESS_FILE_START, 100, 0);
    const std::string dst_info = info_file_of(e.dst);
    const std::string rpath = receiver_path_of(dst_info);
    e.recording = true;
    e.dp = dp;
    e.parts = parts;
    e.receiver_path = rpath;

    if (m_rename) {
        for (int p = 1; p <= parts; ++p)
            e.moves.push_back({RecordingName::part_file_name(sp, p),
                               RecordingName::part_file_name(dp, p),
                               AVR_PATH_OFFSET,
                               {}});
        // The information file last: it is what makes the parts a recording.
        e.moves.push_back({src_info, dst_info, AVF_PATH_OFFSET, {}});
        int r = move_by_rename(e);
        e.moves.clear();
        if (r != 2) {
            if (r == 0)
                report(PROGRESS_FILE_DONE, 100, total > 0 ? 100 : 0);
            return r;
        }
        m_rename = false;
    }

    int64_t done = 0;
    for (int p = 1; p <= parts; ++p) {
        std::string from = RecordingName::part_file_name(sp, p);
        std::string to = RecordingName::part_file_name(dp, p);
        int64_t size = 0;
        if (int r = copy_file(from, to, e, done, total, false, AVR_PATH_OFFSET, rpath, &size); r != 0)
            return r;
        done += size;
    }
    // The information file last: it is what makes the parts a recording.
    if (int r = copy_file(src_info, dst_info, e, 0, 0, false, AVF_PATH_OFFSET, rpath, nullptr); r != 0)
        return r;
    if (int placed = put_in_place(e); placed != 0)
        return placed;
    report(PROGRESS_FILE_DONE, 100, total > 0 ? 100 : 0);
    return 0;
}

// Parts of an older, longer recording of the entry's name at the destination, which the new one
// would leave behind beside it. Read under the folder's lock, so that it is the recording that
// is there when the new one goes in.
std::vector<std::string> FileOperation::stale_parts(const Entry& e)
{
    std::vector<std::string> stale;
    if (!e.recording)
        return stale;
    const ParsedRecordingName& dp = e.dp;
    uint8_t old_info[AVF_FILE_SIZE];
    int err = 0;
    Fd oi(common::open_regular_file(info_file_of(e.dst)));
    if (oi.ok() && pread_full(oi.get(), old_info, sizeof old_info, 0, err) == ssize_t(sizeof old_info)) {
        int old_parts = std::min(RecordingName::part_count(old_info, sizeof old_info), 999);
        for (int p = e.parts + 1; p <= old_parts; ++p) {
            std::string part = RecordingName::part_file_name(dp, p);
            struct stat st;
            if (::lstat(part.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) // a folder is not a part
                stale.push_back(part);
        }
    }
    return stale;
}

// Puts the entry's files in place as one group of the destination's staging area: the old
// information file goes aside first, then the old files of the other names and the parts of a
// longer old recording, then the new files come in (a recording's parts first, its information
// file last), and the folder is flushed. At no moment does an information file stand
// beside parts that are not all its own, and a failure or a kill at any step gives back the old
// files. The old files stay aside until the run ends, so that a cancelled copy can bring them back.
int FileOperation::put_in_place(Entry& e)
{
    std::vector<Entry::Staged>& in = e.staged.empty() ? e.moves : e.staged;
    const bool moving = !e.moves.empty();
    if (in.empty())
        return 0;
    auto failed = [&](const std::string& target, const std::string& why) {
        if (moving && m_area->error_number() == EXDEV && e.placed.empty()) {
            m_area->roll_back();
            e.aside.clear();
            return 2;
        }
        std::string reason = "could not put " + target + " in place: " + why;
        if (!m_area->roll_back())
            reason += "; " + m_area->error();
        for (const Entry::Staged& m : e.moves)
            if (!m.old_field.empty()) { // back at the source, with the receiver path it had
                Fd f(::open(m.temp.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
                if (f.ok())
                    common::write_all(f.get(), m.old_field.data(), m.old_field.size(), off_t(m.path_offset));
            }
        e.placed.clear();
        e.aside.clear();
        return fail(e, FAIL_DESTINATION, target, reason);
    };
    auto set_aside = [&](const std::string& target) {
        std::string temp;
        if (!m_area->set_aside(target, temp))
            return false;
        if (!temp.empty())
            e.aside.push_back({temp, target, 0, {}});
        return true;
    };
    if (!m_area->begin())
        return failed(in.back().target, m_area->error());
    const std::vector<std::string> stale = stale_parts(e);
    if (!set_aside(in.back().target))
        return failed(in.back().target, m_area->error());
    for (size_t i = 0; i + 1 < in.size(); ++i)
        if (!set_aside(in[i].target))
            return failed(in[i].target, m_area->error());
    for (const std::string& old : stale)
        if (!set_aside(old))
            return failed(old, m_area->error());
    for (Entry::Staged& s : in) {
        if (moving) {
            if (!m_area->move_in(s.temp, s.target))
                return failed(s.target, m_area->error());
            std::string why;
            if (s.path_offset != 0 &&
                !rewrite_receiver_path(s.target, s.path_offset, e.receiver_path, &s.old_field, why))
                return failed(s.target, why);
        } else if (!m_area->place(s.temp, s.target)) {
            return failed(s.target, m_area->error());
        }
        e.placed.push_back(s.target);
    }
    if (!m_area->commit())
        return failed(in.back().target, m_area->error());
    e.staged.clear();
    return 0;
}

// Takes a finished entry back out of the destination, as one group: its files go aside, the old
// ones come back. False when that failed; the notes then say what is where.
bool FileOperation::take_back(Entry& e)
{
    bool ok = true;
    std::string junk;
    for (auto it = e.placed.rbegin(); ok && it != e.placed.rend(); ++it)
        ok = m_area->set_aside(*it, junk);
    for (auto it = e.aside.rbegin(); ok && it != e.aside.rend(); ++it)
        ok = m_area->place(it->temp, it->target);
    ok = ok && m_area->commit();
    if (!ok) {
        std::string why = m_area->error();
        if (!m_area->roll_back())
            why += "; " + m_area->error();
        m_notes.push_back("could not take back " + e.name + ": " + why);
    }
    e.placed.clear();
    e.aside.clear();
    return ok;
}

FileOpOutcome FileOperation::run(const FileOpParams& params)
{
    m_bytes.store(0);
    m_failure.reset();
    m_sources_left.clear();
    m_notes.clear();
    m_move = params.kind == FileOpKind::Move;
    m_replace_linked = params.replace_linked;
    m_count = int32_t(params.names.size());
    m_index = 1;

    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[m_buffer_size]);
    if (!buffer) {
        Entry first;
        first.name = params.names.empty() ? std::string() : params.names.front();
        fail(first, FAIL_NO_MEMORY, {}, "could not allocate the copy buffer");
        return FileOpOutcome::Failed;
    }
    m_buffer = buffer.get();

    if (!params.names.empty() && same_folder(params.source_folder, params.destination_folder)) {
        Entry first;
        first.name = params.names.front();
        fail(first, FAIL_DESTINATION, params.destination_folder, same_folder_message());
        return FileOpOutcome::Failed;
    }

    // Opening the area also recovers what an earlier writer that was killed left in this folder.
    common::StagingArea area(params.destination_folder);
    if (!params.names.empty() && !area.open()) {
        Entry first;
        first.name = params.names.front();
        std::string dst = join_path(params.destination_folder, first.name);
        fail(first, FAIL_DESTINATION, dst, "could not create " + dst + ": " + area.error());
        return FileOpOutcome::Failed;
    }
    m_area = &area;
    struct Unset
    {
        common::StagingArea*& p;
        ~Unset() { p = nullptr; }
    } unset{m_area};
    // A move within one file system renames: nothing is copied, and nothing can be cut.
    m_rename = m_move && on_one_file_system(params.source_folder, params.destination_folder);

    std::vector<Entry> done;
    auto take_back_all = [&] {
        for (auto it = done.rbegin(); it != done.rend(); ++it)
            take_back(*it);
    };
    for (size_t i = 0; i < params.names.size(); ++i) {
        m_index = int32_t(i + 1);
        if (cancelled()) {
            // Stopped between entries: a copy takes back what it did, a move keeps what it moved.
            if (!m_move)
                take_back_all();
            return FileOpOutcome::Cancelled;
        }
        Entry e;
        e.name = params.names[i];
        e.src = join_path(params.source_folder, e.name);
        e.dst = join_path(params.destination_folder, e.name);
        int r = 0;
        if (is_single_file_name(e.name))
            r = copy_single(e);
        else if (has_extension(e.name, ".avr"))
            r = copy_recording(e);

        if (r < 0)
            return FileOpOutcome::Failed; // put_in_place gave back what this entry had replaced
        if (r == 0) {
            e.complete = true;
            if (m_move && !e.copied.empty()) {
                // Only now that the copies and their names are on the disk. The parts go before
                // the information file that names them.
                for (const std::string& src : e.copied) {
                    std::string err;
                    if (!remove_file(src, &err))
                        m_sources_left.push_back(err);
                }
                common::sync_folder(params.source_folder);
            }
        }
        done.push_back(std::move(e));
        if (r == 1 || cancelled()) {
            // Moved entries stay moved; a copy cut short gives back everything it replaced.
            if (!m_move)
                take_back_all();
            return FileOpOutcome::Cancelled;
        }
    }
    m_index = m_count + 1;
    report(PROGRESS_ALL_DONE, 0, 0);
    return FileOpOutcome::Done;
}

std::vector<std::string> delete_entry(const std::string& folder,
                                      const std::string& name,
                                      const std::function<void(const std::string&)>& before_each)
{
    std::vector<std::string> errors;
    std::vector<std::string> failed;
    auto del = [&](const std::string& path) {
        if (before_each)
            before_each(path);
        std::string err;
        if (!remove_file(path, &err)) {
            errors.push_back(err);
            failed.push_back(path);
        }
    };
    const std::string path = join_path(folder, name);
    if (is_single_file_name(name)) {
        del(path);
        return errors;
    }
    if (!has_extension(name, ".avr"))
        return errors;

    const std::string info_path = info_file_of(path);
    int parts = 1;
    bool counted = false;
    int counted_parts = 0;
    {
        uint8_t info[AVF_FILE_SIZE];
        Fd fi(common::open_regular_file(info_path));
        int err = 0;
        if (fi.ok() && pread_full(fi.get(), info, sizeof info, 0, err) == ssize_t(sizeof info)) {
            parts = counted_parts = RecordingName::part_count(info, sizeof info);
            counted = true;
        }
    }
    const ParsedRecordingName p = RecordingName::fields_of(path);
    // An information file that counts no parts: the parts that follow on from part 1, as a copy
    // takes them, so that none is left behind without its information file; with a gap among them
    // the part beyond it would be, so then nothing is deleted.
    if (counted && parts <= 0) {
        const UncountedParts u = uncounted_parts(p);
        if (!u.beyond_gap.empty()) {
            errors.push_back(path + ": " + gap_reason(info_path, parts, u, "deleted"));
            return errors;
        }
        parts = u.found;
    }
    // An information file that counts no parts still leaves the named part to delete.
    bool named_done = false;
    for (int i = 1; i <= std::max(parts, 1); ++i) {
        std::string part = RecordingName::part_file_name(p, i);
        named_done = named_done || part == path;
        del(part);
    }
    if (!named_done)
        del(path);
    del(info_path);

    // A part the count did not reach is still there, and the row that showed the recording is
    // gone: say which, so that it is not lost from sight.
    const std::string why =
        counted ? "the information file " + info_path + " counts " + std::to_string(counted_parts) + " parts"
                : "the information file " + info_path + " could not be read, so only part 1 was deleted";
    for (const std::string& left : parts_above(p, 0)) {
        const std::string left_path = p.prefix + left;
        if (std::find(failed.begin(), failed.end(), left_path) == failed.end())
            errors.push_back(left_path + ": " + why);
    }
    return errors;
}

std::vector<std::string> delete_entries(const std::string& folder,
                                        const std::vector<std::string>& names,
                                        const std::function<void(const std::string&)>& before_each)
{
    std::vector<std::string> errors;
    for (const std::string& name : names) {
        auto e = delete_entry(folder, name, before_each);
        errors.insert(errors.end(), e.begin(), e.end());
    }
    return errors;
}

std::vector<std::string> selection_list(const std::vector<SelectedRow>& rows)
{
    std::vector<std::string> names;
    for (const SelectedRow& r : rows)
        names.push_back(is_single_file_name(r.file_name) ? r.file_name : r.real_file_name);
    // Neighbour swaps only on a strict "greater", so equal names keep their row order.
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return compare_no_case(a, b) < 0; });
    return names;
}

} // namespace dranfel
