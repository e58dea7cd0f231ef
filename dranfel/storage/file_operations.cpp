#include "dranfel/storage/file_operations.h"

#include "dranfel/storage/commands.h"
#include "dranfel/storage/file_list.h"
#include "dranfel/storage/receiver_path.h"
#include "dranfel/storage/recording_name.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

namespace dranfel {

namespace {

// Owns a file descriptor; close() reports the error a delayed write may only show there.
class Fd
{
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    bool close()
    {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

std::string error_text(int err) { return std::strerror(err); }

bool pwrite_all(int fd, const uint8_t* p, size_t n, off_t off, int& err)
{
    while (n > 0) {
        ssize_t w = ::pwrite(fd, p, n, off);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            err = w < 0 ? errno : ENOSPC;
            return false;
        }
        p += w;
        n -= size_t(w);
        off += w;
    }
    return true;
}

// Reads up to n bytes at off; the count read, or -1 with err set.
ssize_t pread_full(int fd, uint8_t* p, size_t n, off_t off, int& err)
{
    size_t got = 0;
    while (got < n) {
        ssize_t r = ::pread(fd, p + got, n - got, off + off_t(got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            err = errno;
            return -1;
        }
        if (r == 0)
            break;
        got += size_t(r);
    }
    return ssize_t(got);
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

bool is_single_file_name(const std::string& name)
{
    return has_extension(name, ".mp3") || has_extension(name, ".mem");
}

} // namespace

std::string FileOpFailure::message(bool move) const
{
    return std::string(move ? "Could not move " : "Could not copy ") + entry + ": " + reason;
}

struct FileOperation::Entry
{
    std::string name;
    std::string src;
    std::string dst;
    std::vector<std::string> created; // destination files this entry created or replaced
    std::vector<std::string> copied;  // source files copied whole, in copy order
    bool complete = false;

    void remove_destinations()
    {
        for (auto it = created.rbegin(); it != created.rend(); ++it)
            remove_file(*it, nullptr);
        created.clear();
    }
};

namespace {

enum class CopyMode { Single, Info, Part };

} // namespace

void FileOperation::report(int32_t code, int32_t range, int32_t position)
{
    if (on_progress) {
        ProgressReport r;
        r.count = count_;
        r.index = index_;
        r.code = code;
        r.range = range;
        r.position = position;
        on_progress(r);
    }
}

int FileOperation::fail(Entry& e, int32_t code, const std::string& file, const std::string& reason)
{
    FileOpFailure f;
    f.code = code;
    f.index = index_;
    f.entry = e.name;
    f.file = file;
    f.reason = reason;
    failure_ = f;
    report(code, 0, 0);
    if (on_failure)
        on_failure(f);
    return -1;
}

// Copies one file in 64 KB steps: inside the kernel where it can (copy_file_range), through the
// buffer where it cannot. Every step is checked, and so is the size of the finished copy. A
// recording's information file and parts then get the receiver path of the destination
// information file written into their header, and keep the source's permission bits.
int FileOperation::copy_file(const std::string& src,
                             const std::string& dst,
                             Entry& e,
                             int64_t progress_base,
                             int64_t total_size,
                             bool single,
                             size_t header_offset,
                             const std::string& receiver_path)
{
    const CopyMode mode = single ? CopyMode::Single : header_offset == AVF_PATH_OFFSET ? CopyMode::Info : CopyMode::Part;
    Fd in(::open(src.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.ok())
        return fail(e, FAIL_SOURCE, src, "could not open " + src + ": " + error_text(errno));
    struct stat sst;
    if (::fstat(in.get(), &sst) != 0)
        return fail(e, FAIL_SOURCE, src, "could not read " + src + ": " + error_text(errno));
    struct stat dst_st;
    if (::stat(dst.c_str(), &dst_st) == 0 && dst_st.st_dev == sst.st_dev && dst_st.st_ino == sst.st_ino)
        return fail(e, FAIL_DESTINATION, dst, "could not create " + dst + ": it is the source file itself");
    Fd out(::open(dst.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!out.ok())
        return fail(e, FAIL_DESTINATION, dst, "could not create " + dst + ": " + error_text(errno));
    e.created.push_back(dst);

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
            n = pread_full(in.get(), buffer_, std::min(buffer_size_, COPY_BLOCK_SIZE), off, err);
            if (n < 0)
                return fail(e, FAIL_SOURCE, src, "could not read " + src + ": " + error_text(err));
            if (n == 0)
                break;
            if (!pwrite_all(out.get(), buffer_, size_t(n), off, err))
                return fail(e, FAIL_DESTINATION, dst, "could not write " + dst + ": " + error_text(err));
        }
        off += n;
        bytes_.fetch_add(n);
        if (mode == CopyMode::Info)
            continue; // small, and part of the recording's start
        if (mode == CopyMode::Single) {
            report(PROGRESS_FILE_STEP, int32_t(int64_t(sst.st_size) >> shift), int32_t(int64_t(off) >> shift));
        } else {
            __int128 done = __int128(progress_base) + off;
            int32_t percent = total_size > 0 ? int32_t(std::min<__int128>(100, done * 100 / total_size)) : 0;
            report(PROGRESS_FILE_STEP, 100, percent);
        }
        if (cancelled())
            return 1;
    }

    if (mode != CopyMode::Single) {
        size_t header_size = mode == CopyMode::Info ? AVF_FILE_SIZE : AVR_HEADER_SIZE;
        // A part too short to hold its header is carried as it is.
        if (off >= off_t(header_size)) {
            uint8_t header[AVF_FILE_SIZE];
            int err = 0;
            ssize_t got = pread_full(out.get(), header, header_size, 0, err);
            if (got != ssize_t(header_size))
                return fail(e, FAIL_DESTINATION, dst,
                            "could not read back " + dst + ": " + error_text(got < 0 ? err : EIO));
            RecordingName::write_receiver_path(header + header_offset, receiver_path);
            if (!pwrite_all(out.get(), header, header_size, 0, err))
                return fail(e, FAIL_DESTINATION, dst, "could not write " + dst + ": " + error_text(err));
        }
        ::fchmod(out.get(), sst.st_mode & 07777);
    }
    struct stat dst_end;
    if (::fstat(out.get(), &dst_end) != 0 || dst_end.st_size != off)
        return fail(e, FAIL_DESTINATION, dst,
                    "could not write " + dst + ": the copy holds " + std::to_string(dst_end.st_size) + " of " +
                        std::to_string(off) + " bytes");
    if (!out.close())
        return fail(e, FAIL_DESTINATION, dst, "could not write " + dst + ": " + error_text(errno));
    e.copied.push_back(src);
    return 0;
}

int FileOperation::copy_single(Entry& e)
{
    int r = copy_file(e.src, e.dst, e, 0, 0, true, 0, {});
    if (r != 0)
        return r;
    report(PROGRESS_FILE_DONE, 0, 0);
    return 0;
}

int FileOperation::copy_recording(Entry& e)
{
    const std::string src_info = info_file_of(e.src);
    std::unique_ptr<uint8_t[]> info(new (std::nothrow) uint8_t[AVF_FILE_SIZE]);
    if (!info)
        return fail(e, FAIL_NO_MEMORY, src_info, "could not allocate a work buffer");
    {
        Fd fi(::open(src_info.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fi.ok())
            return fail(e, FAIL_SOURCE, src_info, "could not open the information file " + src_info + ": " + error_text(errno));
        int err = 0;
        ssize_t got = pread_full(fi.get(), info.get(), AVF_FILE_SIZE, 0, err);
        if (got < 0)
            return fail(e, FAIL_SOURCE, src_info, "could not read " + src_info + ": " + error_text(err));
        if (size_t(got) < AVF_FILE_SIZE)
            return fail(e, FAIL_INFO_SHORT, src_info,
                        "the information file " + src_info + " holds " + std::to_string(got) + " bytes, less than 8008");
    }
    const int parts = RecordingName::part_count(info.get(), AVF_FILE_SIZE);
    const int64_t total = RecordingName::total_size(info.get(), AVF_FILE_SIZE);

    ParsedRecordingName sp, dp;
    if (!RecordingName::parse(e.src, sp))
        return fail(e, FAIL_SOURCE, e.src, "the name " + e.name + " is not a recording name that can be parsed");
    if (!RecordingName::parse(e.dst, dp))
        return fail(e, FAIL_DESTINATION, e.dst, "the name " + e.dst + " is not a recording name that can be parsed");

    report(PROGRESS_FILE_START, 100, 0);
    const std::string dst_info = info_file_of(e.dst);
    const std::string rpath = receiver_path_of(dst_info);
    if (int r = copy_file(src_info, dst_info, e, 0, 0, false, AVF_PATH_OFFSET, rpath); r != 0)
        return r;

    int64_t done = 0;
    for (int p = 1; p <= parts; ++p) {
        std::string from = RecordingName::part_file_name(sp.prefix, sp.title, p, sp.date, sp.suffix);
        std::string to = RecordingName::part_file_name(dp.prefix, dp.title, p, dp.date, dp.suffix);
        if (int r = copy_file(from, to, e, done, total, false, AVR_PATH_OFFSET, rpath); r != 0)
            return r;
        struct stat st;
        if (::stat(to.c_str(), &st) == 0)
            done += st.st_size;
    }
    report(PROGRESS_FILE_DONE, 100, total > 0 ? 100 : 0);
    return 0;
}

FileOpOutcome FileOperation::run(const FileOpParams& params)
{
    bytes_.store(0);
    failure_.reset();
    sources_left_.clear();
    move_ = params.kind == FileOpKind::Move;
    count_ = int32_t(params.names.size());
    index_ = 1;

    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[buffer_size_]);
    if (!buffer) {
        Entry first;
        first.name = params.names.empty() ? std::string() : params.names.front();
        fail(first, FAIL_NO_MEMORY, {}, "could not allocate the copy buffer");
        return FileOpOutcome::Failed;
    }
    buffer_ = buffer.get();

    if (!params.names.empty() && same_folder(params.source_folder, params.destination_folder)) {
        Entry first;
        first.name = params.names.front();
        fail(first, FAIL_DESTINATION, params.destination_folder, same_folder_message());
        return FileOpOutcome::Failed;
    }

    std::vector<Entry> done;
    for (size_t i = 0; i < params.names.size(); ++i) {
        index_ = int32_t(i + 1);
        if (cancelled()) {
            // Stopped between entries: a copy takes back what it did, a move keeps what it moved.
            if (!move_)
                for (Entry& d : done)
                    d.remove_destinations();
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

        if (r < 0) {
            // Whatever of this entry reached the destination is incomplete.
            e.remove_destinations();
            return FileOpOutcome::Failed;
        }
        if (r == 0) {
            e.complete = true;
            if (move_) {
                // The parts go before the information file that names them.
                for (auto it = e.copied.rbegin(); it != e.copied.rend(); ++it) {
                    std::string err;
                    if (!remove_file(*it, &err))
                        sources_left_.push_back(err);
                }
            }
        }
        done.push_back(std::move(e));
        if (r == 1 || cancelled()) {
            if (move_) {
                // Moved entries stay moved; only a copy cut short is taken back.
                if (!done.back().complete)
                    done.back().remove_destinations();
            } else {
                for (Entry& d : done)
                    d.remove_destinations();
            }
            return FileOpOutcome::Cancelled;
        }
    }
    index_ = count_ + 1;
    report(PROGRESS_ALL_DONE, 0, 0);
    return FileOpOutcome::Done;
}

std::vector<std::string> delete_entry(const std::string& folder,
                                      const std::string& name,
                                      const std::function<void(const std::string&)>& before_each)
{
    std::vector<std::string> errors;
    auto del = [&](const std::string& path) {
        if (before_each)
            before_each(path);
        std::string err;
        if (!remove_file(path, &err))
            errors.push_back(err);
    };
    const std::string path = join_path(folder, name);
    if (is_single_file_name(name)) {
        del(path);
        return errors;
    }
    if (!has_extension(name, ".avr"))
        return errors;

    int parts = 1;
    {
        uint8_t info[AVF_FILE_SIZE];
        Fd fi(::open(info_file_of(path).c_str(), O_RDONLY | O_CLOEXEC));
        int err = 0;
        if (fi.ok() && pread_full(fi.get(), info, sizeof info, 0, err) == ssize_t(sizeof info))
            parts = RecordingName::part_count(info, sizeof info);
    }
    ParsedRecordingName p;
    if (!RecordingName::parse(path, p)) {
        del(path);
        return errors;
    }
    // An information file that counts no parts still leaves the named part to delete.
    bool named_done = false;
    for (int i = 1; i <= std::max(parts, 1); ++i) {
        std::string part = RecordingName::part_file_name(p.prefix, p.title, i, p.date, p.suffix);
        named_done = named_done || part == path;
        del(part);
    }
    if (!named_done)
        del(path);
    del(info_file_of(path));
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
