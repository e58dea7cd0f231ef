#pragma once
// The whole database as JSON text, for people who keep their channel lists under version control
// and review changes before sending them to the box. Nothing is lost: building the text of a dump
// gives back the bytes that opening and saving the original file would write.
//
// The text lists satellites, transponders and channels by slot, one record per line so that a diff
// shows one changed line per changed record. Slots that hold exactly the values of an empty slot
// are left out; every other slot is listed, used or not. Names are text, with "\\" for a backslash
// and "\xHH" for any byte that is not printable ASCII; PIDs, flags and counts are numbers; LNB
// types, polarisation and FEC are names; carried bytes and the carried regions are hex. A favourite
// list gives its counted entries under "entries" (as many as its count) and, only when there are
// any, the entries kept beyond the count under "beyond".
#include "common/file_replacement/write_target.h"
#include "korvid/database/database.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace korvid {

constexpr int DATABASE_JSON_VERSION = 1;

std::string dump_database_json(const Database& db, uint16_t buyer, uint16_t model);

struct DatabaseFromJson
{
    std::unique_ptr<Database> db; // null when the text was refused
    uint16_t buyer = 0xFFFF;
    uint16_t model = 0xFFFF;
    // Why the text was refused, starting with the JSON path of the problem
    // ("satellites[3].lnb_type: unknown LNB type \"UNI\"").
    std::string error;
};

// Refuses a value out of range, an unknown or missing key, bad hex, a list of the wrong length, a
// slot given twice and a system code other than DB_SYSCODE_VALUE.
DatabaseFromJson build_database_from_json(std::string_view text);

// Reads a JSON file and builds its database, for a command that only reads one: the tables and
// codes, or null with the message ("Can't open PATH: reason", or "PATH: " and why the text was
// refused).
std::unique_ptr<Database>
read_database_json_file(const std::string& path, uint16_t& buyer, uint16_t& model, std::string& message);

// The two file commands of korvid-cli. Each returns true when the output was written; otherwise
// `message` says why and nothing was written (outputs go through a temporary file and a rename).
bool dump_database_file(const std::string& ird_path,
                        const std::string& json_path,
                        std::string& message,
                        const common::WriteTargetOptions& options = {});
bool build_database_file(const std::string& json_path,
                         const std::string& ird_path,
                         std::string& message,
                         const common::WriteTargetOptions& options = {});

} // namespace korvid
