#include "dranfel/cli/transfer.h"

#include "common/cli/interrupt_scope.h"
#include "common/printable.h"
#include "dranfel/storage/commands.h"
#include "dranfel/storage/file_list.h"
#include "dranfel/storage/recording_name.h"

#include <chrono>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace dranfel::cli {

namespace {

// Called from the signal handler: cancel() only stores into a lock-free atomic.
void cancel_operation(void* op)
{
    static_cast<FileOperation*>(op)->cancel();
}

bool is_folder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::string check_entry_name(const std::string& name)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return name + ": give a file name inside the folder, not a path";
    if (!has_extension(name, ".avr") && !is_single_file_name(name))
        return name + ": not a recording's part-1 file (.AVR) nor an .mp3, .mem or .mpg file";
    return {};
}

int run_transfer(FileOpKind kind,
                 const std::string& source_folder,
                 const std::string& destination_folder,
                 const std::vector<std::string>& names,
                 bool replace_linked)
{
    CommandCheck check = check_copy_move(source_folder, !names.empty(), destination_folder);
    for (const std::string& m : check.messages)
        std::fprintf(stderr, "dranfel-cli: %s\n", common::printable_lines(m).c_str());
    if (!check.proceed || source_folder.empty())
        return 1;
    for (const std::string& folder : {source_folder, destination_folder}) {
        if (!is_folder(folder)) {
            std::fprintf(stderr, "dranfel-cli: %s is not a folder\n", common::printable(folder).c_str());
            return 1;
        }
    }
    for (const std::string& name : names) {
        if (std::string why = check_entry_name(name); !why.empty()) {
            std::fprintf(stderr, "dranfel-cli: %s\n", common::printable_lines(why).c_str());
            return 1;
        }
    }

    const bool move = kind == FileOpKind::Move;
    const bool terminal = ::isatty(STDERR_FILENO);
    const auto start = std::chrono::steady_clock::now();
    auto last_shown = start - std::chrono::seconds(1);
    FileOperation op;
    op.on_progress = [&](const ProgressReport& r) {
        if (!terminal || r.code > PROGRESS_FILE_DONE)
            return;
        auto now = std::chrono::steady_clock::now();
        if (r.code == PROGRESS_FILE_STEP && now - last_shown < std::chrono::milliseconds(100))
            return;
        last_shown = now;
        double seconds = std::chrono::duration<double>(now - start).count();
        double mb_per_s = seconds > 0 ? double(op.bytes_copied()) / seconds / 1e6 : 0;
        int percent = r.range > 0 ? int(int64_t(r.position) * 100 / r.range) : 0;
        if (r.code == PROGRESS_FILE_DONE)
            percent = 100;
        const std::string& name = names[size_t(r.index - 1)];
        std::fprintf(stderr, "\r\033[K%s file %d of %d  %3d%%  %.1f MB/s  %s", move ? "moving" : "copying",
                     r.index, r.count, percent, mb_per_s, common::printable(name).c_str());
        std::fflush(stderr);
    };

    FileOpParams params{source_folder, destination_folder, names, kind, replace_linked};
    FileOpOutcome outcome;
    {
        common::cli::InterruptScope scope(true, cancel_operation, &op);
        outcome = op.run(params);
    }
    if (terminal)
        std::fprintf(stderr, "\r\033[K");
    for (const std::string& note : op.notes())
        std::fprintf(stderr, "dranfel-cli: %s\n", common::printable_lines(note).c_str());

    switch (outcome) {
    case FileOpOutcome::Done:
        for (const std::string& left : op.sources_left())
            std::fprintf(stderr, "dranfel-cli: copied, but could not delete the source %s\n",
                         common::printable(left).c_str());
        return op.sources_left().empty() ? 0 : 1;
    case FileOpOutcome::Failed:
        std::fprintf(stderr, "dranfel-cli: %s\n",
                     op.failure() ? common::printable_lines(op.failure()->message(move)).c_str() : "failed");
        if (op.failure() && op.failure()->hard_linked)
            std::fprintf(stderr, "dranfel-cli: --force replaces it anyway\n");
        if (op.failure() && op.failure()->index > 1)
            std::fprintf(stderr, "dranfel-cli: the %d entries before it were %s\n", op.failure()->index - 1,
                         move ? "moved" : "copied");
        return 1;
    case FileOpOutcome::Cancelled:
        std::fprintf(stderr,
                     move ? "dranfel-cli: interrupted; the entry in progress was taken back, the entries "
                            "moved before it stay moved\n"
                          : "dranfel-cli: interrupted; nothing of this copy was left in the destination\n");
        return 130;
    }
    return 1;
}

} // namespace dranfel::cli
