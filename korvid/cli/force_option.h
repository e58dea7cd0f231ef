#pragma once
// --force of the commands that write a file: replace a target with other hard links (whose other
// names keep the old contents). Read-only targets are never replaced: the user's chmod says no.
#include "common/cli/command.h"
#include "common/file_replacement/write_target.h"

#include <cstdio>
#include <memory>
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

// A command that reads one file and writes another (`IN OUT [--force]`); `run(in, out, force)` gives
// the exit code.
inline common::cli::Command file_to_file_command(const char* name,
                                                 const char* help,
                                                 const char* in_name,
                                                 const char* in_help,
                                                 const char* out_help,
                                                 int (*run)(const std::string&, const std::string&, bool))
{
    struct Args
    {
        std::string in, out;
        bool force = false;
    };
    auto a = std::make_shared<Args>();
    common::cli::Command cmd(name, help);
    cmd.positional(in_name, a->in, in_help);
    cmd.positional("out", a->out, out_help);
    force_flag(cmd, a->force);
    cmd.run = [a, run] { return run(a->in, a->out, a->force); };
    return cmd;
}
