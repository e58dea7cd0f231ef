#pragma once
// The shared body of `dranfel-cli cp` and `dranfel-cli mv`.
#include "dranfel/storage/file_operations.h"

#include <string>
#include <vector>

namespace dranfel::cli {

// 0 when every entry was done, 1 with the reason on stderr when one failed or the command line
// names something that cannot be copied, 130 when interrupted (after the clean-up).
int run_transfer(FileOpKind kind,
                 const std::string& source_folder,
                 const std::string& destination_folder,
                 const std::vector<std::string>& names,
                 bool replace_linked = false);

// Checks a NAME argument: a plain file name with a known extension. Empty when it is fine.
std::string check_entry_name(const std::string& name);

} // namespace dranfel::cli
