#pragma once
// --force of the commands that write a file: replace a target with other hard links (whose other
// names keep the old contents). Read-only targets are never replaced: the user's chmod says no.
#include "common/cli/command.h"
#include "common/file_replacement/write_target.h"

inline void force_flag(common::cli::Command& cmd, bool& force)
{
    cmd.flag("-f,--force", force,
             "Replace the target even when it has other hard links (they keep the old contents)");
}

inline common::WriteTargetOptions force_options(bool force)
{
    common::WriteTargetOptions options;
    options.detach_hard_links = force;
    return options;
}
