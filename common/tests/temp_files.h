#pragma once
// Whole-file reads and writes, and a scratch folder, for the tests of the shared helpers.
#include "common/testing/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace common_test {

using common::testing::TempDir;

inline std::string read_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_text(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

} // namespace common_test
