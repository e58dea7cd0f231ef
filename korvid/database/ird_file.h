#pragma once
// The .ird file: buyer and model codes big-endian in four bytes, then the database image in host
// order. No magic number: validity is the system code inside the image.
#include "korvid/database/database.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvid {

constexpr int IRD_HEADER_SIZE = 4;
constexpr int IRD_FILE_SIZE = IRD_HEADER_SIZE + DB_IMAGE_SIZE; // 475,140
constexpr size_t IRD_WORK_BUFFER_SIZE = 1u << 20;

enum class IrdLoad { Ok, CantOpen, TooLarge };

// Reads a whole .ird file into `buffer`, which becomes the zero-filled 1 MiB work buffer. Files
// longer than the buffer are refused before anything is read, so nothing lands past it.
IrdLoad load_ird_file(const std::string& path, std::vector<uint8_t>& buffer);
// The message for a refused file, naming it.
std::string ird_load_message(IrdLoad result, const std::string& path);

// Takes the codes from the header (whatever the rest holds) and unpacks the image over the tables.
// `buffer` is a work buffer of at least IRD_FILE_SIZE bytes.
void read_database(Database& db, const uint8_t* buffer, uint16_t& buyer, uint16_t& model);
// Fills `out` with the IRD_FILE_SIZE bytes of the file.
void encode_database(const Database& db, uint16_t buyer, uint16_t model, std::vector<uint8_t>& out);
// Writes the file through a temporary file and a rename; false when anything failed, with the old
// file untouched.
bool write_database_file(const Database& db, uint16_t buyer, uint16_t model, const std::string& path,
                         std::string* error = nullptr);

} // namespace korvid
