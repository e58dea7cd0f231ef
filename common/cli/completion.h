#pragma once
// Tab completion for a command-line tool, made from the same command descriptions its parser is
// made from, so that a new command or option completes as soon as it is registered.
#include "common/cli/command.h"

#include <string>
#include <vector>

namespace common::cli {

// A bash script that completes `program`'s commands, each command's options, the values an option
// is limited to, and file names where a command takes a file. Sourcing it defines one function and
// one `complete` line for `program`.
std::string bash_completion_script(const std::string& program, const std::vector<Command>& commands);

} // namespace common::cli
