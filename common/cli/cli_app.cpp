// The one place that turns the registered command descriptions into a CLI11 parser. CLI11 is a
// large header library; keeping it to this file keeps it out of every command file's compile.
#include "common/cli/command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>

namespace common::cli {

namespace {

void add_argument(CLI::App& sub, const Argument& a, std::map<std::string, CLI::Option*>& by_name)
{
    CLI::Option* o = nullptr;
    switch (a.kind) {
    case Argument::Kind::Positional:
    case Argument::Kind::Option:
        o = sub.add_option(a.name, *a.text, a.help);
        break;
    case Argument::Kind::Positionals:
        o = sub.add_option(a.name, *a.texts, a.help);
        break;
    case Argument::Kind::IntOption:
        o = sub.add_option(a.name, *a.number, a.help);
        if (a.has_range)
            o->check(CLI::Range(a.min_value, a.max_value));
        break;
    case Argument::Kind::Flag:
        o = sub.add_flag(a.name, *a.flag, a.help);
        break;
    }
    if (a.is_required)
        o->required();
    if (!a.allowed.empty())
        o->check(CLI::IsMember(a.allowed));
    if (!a.default_shown.empty())
        o->default_str(a.default_shown);
    by_name[a.name] = o;
}

} // namespace

int run(const char* program, const char* description, int argc, char** argv)
{
    CLI::App app{description, program};
    app.require_subcommand(1);
    std::vector<Command> commands;
    for (const CommandMaker& make : registered_commands())
        commands.push_back(make());
    std::vector<CLI::App*> subs;
    for (const Command& c : commands) {
        CLI::App* sub = app.add_subcommand(c.name, c.help);
        std::map<std::string, CLI::Option*> by_name;
        for (const Argument& a : c.arguments)
            add_argument(*sub, a, by_name);
        for (const Argument& a : c.arguments)
            for (const std::string& other : a.excluded)
                if (by_name.count(other))
                    by_name[a.name]->excludes(by_name[other]);
        subs.push_back(sub);
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
    for (size_t k = 0; k < commands.size(); ++k)
        if (subs[k]->parsed())
            return commands[k].run();
    return 2;
}

} // namespace common::cli
