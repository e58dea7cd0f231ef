#include "dranfel/converter/selection_paths.h"

#include "dranfel/converter/conversion_run.h"
#include "dranfel/storage/file_list.h"

namespace dranfel {

namespace {

bool has_extension(const std::string& name, const char* ext)
{
    std::string e(ext);
    return name.size() >= e.size() && compare_no_case(name.substr(name.size() - e.size()), e) == 0;
}

} // namespace

ConversionPaths conversion_paths_for_row(const std::string& folder,
                                         const std::string& file_name,
                                         const std::string& real_file_name)
{
    ConversionPaths paths;
    if (folder.empty() || real_file_name.empty() || has_extension(file_name, ".mp3") ||
        has_extension(file_name, ".mem"))
        return paths;
    paths.source = join_path(folder, real_file_name);
    paths.target = default_target(paths.source);
    return paths;
}

} // namespace dranfel
