#pragma once
// The source and target that "Convert to AVI" puts into the converter dialog for the selected row
// of a file list.
#include <string>

namespace dranfel {

struct ConversionPaths
{
    std::string source; // the folder joined with the row's Real File Name
    std::string target; // the source with the extension ".mpg"
};

// `file_name` and `real_file_name` are the row's two name columns. A row of an .mp3 or .mem file
// (by its File Name, without regard to case), or no row at all, gives two empty paths.
ConversionPaths conversion_paths_for_row(const std::string& folder,
                                         const std::string& file_name,
                                         const std::string& real_file_name);

} // namespace dranfel
