#pragma once
// The .ird file: buyer and model codes big-endian in four bytes, then the database image in host
// order. No magic number: validity is the system code inside the image.
#include "common/file_replacement/write_target.h"
#include "korvid/database/database.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

constexpr int IRD_HEADER_SIZE = 4;
constexpr int IRD_FILE_SIZE = IRD_HEADER_SIZE + DB_IMAGE_SIZE; // 475,140
constexpr size_t IRD_WORK_BUFFER_SIZE = 1u << 20;

enum class IrdLoad
{
    Ok,
    CantOpen,
    TooLarge
};

// Reads a whole .ird file into `buffer`, which becomes the zero-filled 1 MiB work buffer. Files
// longer than the buffer are refused before anything is read, so nothing lands past it. On failure
// `reason` (when given) gets the system's reason ("No such file or directory", "Is a directory", the
// size against the limit).
IrdLoad load_ird_file(const std::string& path, std::vector<uint8_t>& buffer, std::string* reason = nullptr);
// The message box for a refused file.
std::string ird_load_message(IrdLoad result, const std::string& path);
// A terminal's form of the same: "Can't open to this file" and a second line "PATH: reason".
std::string ird_load_report(const std::string& path, const std::string& reason);

// Whether a database file could be written to `path` now (its folder exists and takes a new file,
// and the name is not a folder), so that a long receive is not run for a file that cannot be
// saved. False with the system's reason.
bool check_ird_target(const std::string& path,
                      std::string& reason,
                      const common::WriteTargetOptions& options = {},
                      common::TargetRefusal* refusal = nullptr);
// "Can't save to this file" and a second line "PATH: reason".
std::string ird_save_report(const std::string& path, const std::string& reason);

// Takes the codes from the header (whatever the rest holds) and unpacks the image over the tables.
// `buffer` is a work buffer of at least IRD_FILE_SIZE bytes.
void read_database(Database& db, const uint8_t* buffer, uint16_t& buyer, uint16_t& model);
// A database file as a command that only reads it finds it.
struct DatabaseFile
{
    // The tables as the file holds them, present when the system code is right. Null only when the
    // file could not be read: a wrong system code still shows its codes and tables to whoever asks.
    std::unique_ptr<Database> db;
    uint16_t buyer = 0;
    uint16_t model = 0;
    // Empty for a database; otherwise the terminal's message, "Can't open to this file" or "Wrong DB
    // : syscode" and a second line "PATH: reason", and the reason alone (the system's, the size
    // against the limit, or the system code found).
    std::string message;
    std::string reason;

    bool ok() const { return message.empty(); }
};
// The one reader of a database file for every command that reads one (the CLI's, the JSON dump,
// the simulated receiver). The document reads into the tables it has, with the window's messages,
// through load_ird_file and read_database.
DatabaseFile read_database_file(const std::string& path);
// Fills `out` with the IRD_FILE_SIZE bytes of the file.
void encode_database(const Database& db, uint16_t buyer, uint16_t model, std::vector<uint8_t>& out);
// Writes the file through a temporary file and a rename; false when anything failed, with the old
// file untouched.
// A target that is refused (read-only, a folder the user may not write, other hard links) says
// so in `refusal`.
bool write_database_file(const Database& db,
                         uint16_t buyer,
                         uint16_t model,
                         const std::string& path,
                         std::string* error = nullptr,
                         const common::WriteTargetOptions& options = {},
                         common::TargetRefusal* refusal = nullptr);

} // namespace korvid
