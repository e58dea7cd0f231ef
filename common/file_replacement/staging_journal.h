#pragma once
// The journal inside a staging area's lock file: the signature that makes an area provably
// ours, one line per step, and the undoing of steps, which the writer itself (roll_back) and a
// later writer recovering a dead one's area share, so that both put a folder back the same way.
#include <string>
#include <sys/types.h>
#include <vector>

namespace common::staging {

enum class Op : char
{
    Staged = 'S', // a staged file .N was made
    Aside = 'A',  // target about to be renamed to .N
    Place = 'P',  // .N about to be renamed to target
    MoveIn = 'M', // source (absolute) about to be renamed to target
    Commit = 'C', // every step before this one is final
};

struct Step
{
    Op op = Op::Commit;
    unsigned n = 0;
    // The inode of the file the step moves: undoing touches a name only while it still holds
    // that very file, never one somebody put there since.
    unsigned long long ino = 0;
    std::string target; // a name in the area's folder, never a path
    std::string source; // MoveIn only: an absolute path
};

constexpr const char* MAGIC = "kd staging area 1";

struct Signature
{
    long pid = 0;
    std::string boot_id;
};

std::string current_boot_id();
std::string encode_signature(const Signature& sig);
std::string encode_step(const Step& step);

// Splits a lock file's contents; false when it does not begin with our signature. A last line
// without its line feed (a writer killed in the middle of it) is ignored; a line that does not
// read as a step ends the journal there.
bool parse_journal(const std::string& text, Signature& sig, std::vector<Step>& steps);

// Undoes steps [begin, end) in `folder`, last first, looking at what is on the disk for each:
// a step that never happened is passed over, so the journal may run ahead of the renames. The
// staged names are `lock_path` + "." + N. False when something could not be put back, with
// `error` saying what and where it is.
bool undo_steps(const std::string& folder,
                const std::string& lock_path,
                const std::vector<Step>& steps,
                size_t begin,
                size_t end,
                std::string& error);

// Removes the staged files the steps name (.N of Staged and Aside steps) that are still there.
void remove_staged_files(const std::string& lock_path, const std::vector<Step>& steps);

// Index one past the last Commit step, or 0.
size_t committed_end(const std::vector<Step>& steps);

std::string join(const std::string& folder, const std::string& name);

} // namespace common::staging
