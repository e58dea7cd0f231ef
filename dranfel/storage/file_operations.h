#pragma once
// Copy, move and delete of whole recordings and of single .mp3/.mem files, as an engine that knows
// nothing of windows. The GUI runs FileOperation::run on a worker thread and turns each report
// into a queued call; the command-line tool runs it on its main thread. A recording is its
// information file and all its part files, found through RecordingName from the part-1 name.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace common {
class StagingArea;
}

namespace dranfel {

// The codes of a progress report.
enum ProgressCode : int32_t
{
    PROGRESS_FILE_START = 1, // range = 100 for a recording, the file length for a single file
    PROGRESS_FILE_STEP = 2,  // position = percent of the recording, or bytes of the file
    PROGRESS_FILE_DONE = 3,
    PROGRESS_ALL_DONE = 4,  // index = count + 1
    FAIL_SOURCE = 101,      // a source file cannot be opened or read, or the recording is not whole
    FAIL_DESTINATION = 102, // a destination file cannot be created or written
    FAIL_INFO_SHORT = 103,  // the source information file is shorter than 8008 bytes
    FAIL_UNUSED = 104,      // never sent; a receiver treats it like the other failures
    FAIL_NO_MEMORY = 105,   // a work buffer cannot be allocated
};

inline bool is_failure_code(int32_t code)
{
    return code >= 101 && code <= 105;
}

// The six integers of one report.
struct ProgressReport
{
    int32_t count = 0; // entries in the selection
    int32_t index = 0; // 1-based entry being worked on
    int32_t code = 0;
    int32_t reserved = 0;
    int32_t range = 0;
    int32_t position = 0;

    std::array<int32_t, 6> block() const { return {count, index, code, reserved, range, position}; }
};

// Which entry failed and why; sent with every failure report.
struct FileOpFailure
{
    int32_t code = 0;
    int index = 0;            // 1-based entry
    std::string entry;        // the entry's name in the selection
    std::string file;         // the full path of the file that failed
    std::string reason;       // "could not create /x/y: No space left on device"
    bool hard_linked = false; // a destination with other hard links, which replace_linked would allow

    // "Could not copy NAME: REASON" (or move), for a message box or a terminal.
    std::string message(bool move) const;
};

enum class FileOpKind
{
    Copy = 1,
    Move = 2
};

struct FileOpParams
{
    std::string source_folder;
    std::string destination_folder;
    std::vector<std::string> names; // in processing order
    FileOpKind kind = FileOpKind::Copy;
    // A destination file with other hard links is replaced only when this says so (the other
    // names would keep the old contents).
    bool replace_linked = false;
};

enum class FileOpOutcome
{
    Done,
    Failed,
    Cancelled
};

// Bytes copied per step: the cancel flag is tested and progress reported after each.
constexpr size_t COPY_BLOCK_SIZE = 64 * 1024;

class FileOperation
{
public:
    // Called on the thread that runs the operation; each call completes before the copy goes on.
    std::function<void(const ProgressReport&)> on_progress;
    std::function<void(const FileOpFailure&)> on_failure;

    // Runs the whole selection; one FileOperation serves one run, so a cancel that arrives before
    // the run starts is not lost. Every write and each copy's final size are checked. Each file
    // is copied under a staged name in the destination folder, and an entry's files are put in
    // place as one group of the folder's staging area (common/file_replacement) only when all of
    // them are whole, so a failure, a cancel or a kill never leaves a cut file under a real name
    // nor takes away the files that were to be replaced: what a killed run left is recovered when
    // the next writer opens that folder. A move within one file system renames the files; across
    // file systems it deletes an entry's sources only once its copies and their names are on the
    // disk. A destination file the user may not write is refused, never replaced.
    FileOpOutcome run(const FileOpParams& params);

    // From any thread (or a signal handler): the copy stops after the current 64 KB block.
    void cancel() { m_cancel.store(1); }
    bool cancelled() const { return m_cancel.load() != 0; }

    const std::optional<FileOpFailure>& failure() const { return m_failure; }

    // Sources of a move that were copied whole but could not be deleted afterwards, as
    // "PATH: reason"; the move itself counts as done, since nothing was lost.
    const std::vector<std::string>& sources_left() const { return m_sources_left; }

    // What the run did that the user should know although nothing failed, one line each (an
    // information file that counts no parts, and which parts were taken instead).
    const std::vector<std::string>& notes() const { return m_notes; }

    // Bytes written to destinations in this run so far, for a speed figure.
    int64_t bytes_copied() const { return m_bytes.load(); }

    // The size of the copy buffer; only tests change it, to make its allocation fail for real.
    void set_buffer_size(size_t bytes) { m_buffer_size = bytes; }

private:
    struct Entry; // the files of one entry: the destinations made and the sources copied whole

    int copy_single(Entry& e);
    int copy_recording(Entry& e);
    int copy_file(const std::string& src,
                  const std::string& dst,
                  Entry& e,
                  int64_t progress_base,
                  int64_t total_size,
                  bool single,
                  size_t header_offset,
                  const std::string& receiver_path,
                  int64_t* copied_size);
    int put_in_place(Entry& e);
    int move_by_rename(Entry& e);
    bool take_back(Entry& e);
    std::vector<std::string> stale_parts(const Entry& e);
    int check_destination(Entry& e, const std::string& dst, const struct stat& src_st, struct stat* old);
    int fail(
        Entry& e, int32_t code, const std::string& file, const std::string& reason, bool hard_linked = false);
    void report(int32_t code, int32_t range, int32_t position);

    std::atomic<int> m_cancel{0};
    std::atomic<int64_t> m_bytes{0};
    std::optional<FileOpFailure> m_failure;
    std::vector<std::string> m_sources_left;
    std::vector<std::string> m_notes;
    common::StagingArea* m_area = nullptr; // the destination folder's, while a run goes on
    size_t m_buffer_size = COPY_BLOCK_SIZE;
    uint8_t* m_buffer = nullptr;
    int32_t m_count = 0;
    int32_t m_index = 0;
    bool m_move = false;
    bool m_rename = false; // a move within one file system
    bool m_replace_linked = false;
};

// Deletes one entry of a folder as a recording (its parts 1 to the part count of its information
// file, or 1 when that cannot be read whole, then the information file; names of any length, and
// in the case the named part's extension is written in) or as a single .mp3/.mem file; other
// extensions are left alone.
// `before_each` is given each file's full path before it is deleted. Files that are not there are
// passed over quietly; the other failures are returned as "PATH: reason" lines, and so is every
// part of the recording still there afterwards (one the count did not reach). A recording whose
// information file counts no parts loses the parts that follow on from part 1; when a part lies
// beyond a gap among them, nothing is deleted and one line names that part.
std::vector<std::string> delete_entry(const std::string& folder,
                                      const std::string& name,
                                      const std::function<void(const std::string&)>& before_each = {});

// The Delete command's work: every entry in order, as delete_entry.
std::vector<std::string> delete_entries(const std::string& folder,
                                        const std::vector<std::string>& names,
                                        const std::function<void(const std::string&)>& before_each = {});

// The selection list of a file list: for each selected row (in row order) its File Name when that
// is an .mp3/.mem name, else its Real File Name; sorted ascending without regard to case, keeping
// the row order of names that compare equal.
struct SelectedRow
{
    std::string file_name;
    std::string real_file_name;
};
std::vector<std::string> selection_list(const std::vector<SelectedRow>& rows);

} // namespace dranfel
