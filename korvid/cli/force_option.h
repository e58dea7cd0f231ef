#pragma once
// --force of the commands that write a file: replace a target with other hard links (whose other
// names keep the old contents). Read-only targets are never replaced: the user's chmod says no.
#include "common/cli/command.h"
#include "common/file_replacement/write_target.h"

#include <cstdio>
#include <string>

inline void force_flag(common::cli::Command& cmd, bool& force)
{
    cmd.flag("-f,--force", force,
             "Replace the target even when it has other hard links (they keep the old contents)");
}

// After a failure's message: how to go on when the target was refused for its hard links.
inline void print_force_hint(const std::string& message)
{
    if (message.find(common::HARD_LINK_REFUSAL) != std::string::npos)
        std::fprintf(stderr, "--force replaces it anyway\n");
}

inline common::WriteTargetOptions force_options(bool force)
{
    common::WriteTargetOptions options;
    options.detach_hard_links = force;
    return options;
}
