#pragma once
// Subcommands of a command-line tool register themselves from their own files, so each command
// lives beside the others without one file knowing them all. Each command adds itself to the CLI11
// app and returns the exit code from its run callback.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <functional>
#include <vector>

namespace common {

struct CliCommand
{
    // Adds the subcommand and its options; returns the function that runs it. The function is
    // called only when that subcommand was given.
    std::function<std::function<int()>(CLI::App&)> add;
};

inline std::vector<CliCommand>& cli_commands()
{
    static std::vector<CliCommand> commands;
    return commands;
}

struct CliCommandRegistration
{
    explicit CliCommandRegistration(CliCommand c) { cli_commands().push_back(std::move(c)); }
};

// Parses argv against every registered command and runs the chosen one. A wrong command line
// prints the usage and gives exit code 2.
inline int run_cli(const char* name, const char* description, int argc, char** argv)
{
    CLI::App app{description, name};
    app.require_subcommand(1);
    std::vector<std::pair<CLI::App*, std::function<int()>>> runners;
    std::vector<std::function<int()>> bodies;
    for (auto& c : cli_commands()) {
        size_t before = app.get_subcommands({}).size();
        auto body = c.add(app);
        auto subs = app.get_subcommands({});
        if (subs.size() > before)
            runners.emplace_back(subs.back(), std::move(body));
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // A wrong command line gets the reason and the usage, and exit code 2.
        std::fprintf(stderr, "%s\n\n%s", e.what(), app.help().c_str());
        return 2;
    }
    for (auto& [sub, body] : runners)
        if (sub->parsed())
            return body();
    return 2;
}

} // namespace common
