#pragma once
// The free-space check before a copy or move: what the selection will write at the destination
// and what the destination's file system has free, so that a selection that cannot fit is refused
// before anything is written rather than failing half-way on a full disk.
#include "dranfel/storage/file_operations.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dranfel {

// Bytes one entry writes at its destination: a recording's information file and every part its
// information file counts, or a single file's length. What cannot be read counts 0; the copy then
// says why by itself.
int64_t entry_bytes(const std::string& folder, const std::string& name);

// Bytes the destination must have free for the run: the whole selection, except for a move within
// one file system, which deletes each entry's sources before the next starts and so needs room for
// its largest entry only.
int64_t bytes_needed(const FileOpParams& params);

// The bytes an unprivileged writer may still use on the file system holding `folder`; -1 when
// that cannot be told.
int64_t free_bytes(const std::string& folder);

// "512 bytes", "12.5 KB", "3.4 MB", "1.20 GB" (units of 1024).
std::string size_text(int64_t bytes);

// Empty when the run fits (or the free space cannot be told); else the refusal to show:
// "Not enough free space in DEST: the selection needs X and Y is free."
std::string space_refusal(const std::string& destination_folder, int64_t needed, int64_t free);

// The check for a run as a whole.
std::string check_free_space(const FileOpParams& params);

} // namespace dranfel
