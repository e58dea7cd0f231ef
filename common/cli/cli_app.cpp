// The one place that turns the registered command descriptions into a CLI11 parser. CLI11 is a
// large header library; keeping it to this file keeps it out of every command file's compile.
#include "common/cli/command.h"
#include "common/cli/completion.h"
#include "common/printable.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

namespace common::cli {

namespace {

// A number option given an empty word would otherwise take 0 and say nothing; a range would let
// "nan" through, as it compares false either way.
const CLI::Validator a_number(
    [](std::string& word) {
        if (word.empty())
            return std::string("a number is needed");
        if (word.find_first_of("nN") != std::string::npos && std::isnan(std::strtod(word.c_str(), nullptr)))
            return word + " is not a number";
        return std::string();
    },
    "");

void add_argument(CLI::App& app, const Argument& a, std::map<std::string, CLI::Option*>& by_name)
{
    CLI::Option* o = nullptr;
    switch (a.kind) {
    case Argument::Kind::Positional:
    case Argument::Kind::Option:
        o = app.add_option(a.name, *a.text, a.help);
        break;
    case Argument::Kind::Positionals:
        o = app.add_option(a.name, *a.texts, a.help);
        break;
    case Argument::Kind::IntOption:
        o = app.add_option(a.name, *a.number, a.help);
        if (a.has_range)
            o->check(CLI::Range(int(a.min_value), int(a.max_value)));
        break;
    case Argument::Kind::UnsignedOption:
        o = app.add_option(a.name, *a.unsigned_number, a.help);
        break;
    case Argument::Kind::UnsignedOptions:
        o = app.add_option(a.name, *a.unsigned_numbers, a.help);
        break;
    case Argument::Kind::RealOption:
        o = app.add_option(a.name, *a.real, a.help);
        if (a.has_range)
            o->check(CLI::Range(a.min_value, a.max_value));
        break;
    case Argument::Kind::Flag:
        o = app.add_flag(a.name, *a.flag, a.help);
        break;
    }
    if (a.kind == Argument::Kind::IntOption || a.kind == Argument::Kind::UnsignedOption ||
        a.kind == Argument::Kind::UnsignedOptions || a.kind == Argument::Kind::RealOption)
        o->check(a_number);
    if (a.is_required)
        o->required();
    if (!a.allowed.empty())
        o->check(CLI::IsMember(a.allowed));
    if (!a.default_shown.empty())
        o->default_str(a.default_shown);
    by_name[a.name] = o;
}

// A command's arguments on `app` (the program itself, or one of its subcommands), with the pairs of
// options that cannot be given together.
void add_arguments(CLI::App& app, const Command& c)
{
    std::map<std::string, CLI::Option*> by_name;
    for (const Argument& a : c.arguments)
        add_argument(app, a, by_name);
    for (const Argument& a : c.arguments)
        for (const std::string& other : a.excluded)
            if (by_name.count(other))
                by_name[a.name]->excludes(by_name[other]);
}

// The words of a command that name options: "--port", "-v", and so on; and those that take a value.
struct OptionWords
{
    std::set<std::string> all;
    std::set<std::string> with_value;
    std::set<char> short_flags{'h'};
};

OptionWords option_words(const Command& c)
{
    OptionWords w;
    w.all = {"-h", "--help"};
    for (const Argument& a : c.arguments) {
        if (a.kind == Argument::Kind::Positional || a.kind == Argument::Kind::Positionals)
            continue;
        std::string names = a.name;
        size_t start = 0;
        while (start <= names.size()) {
            size_t comma = names.find(',', start);
            std::string n =
                names.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            w.all.insert(n);
            if (a.kind != Argument::Kind::Flag)
                w.with_value.insert(n);
            else if (n.size() == 2 && n[0] == '-' && n[1] != '-')
                w.short_flags.insert(n[1]);
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }
    return w;
}

// CLI11 reads a word such as "-h.ird" as the help flag, and any unknown "-x" as an option, even where
// a file name belongs. A word that starts with '-' and is not one of the command's options is
// refused here, before the parse; a file whose name starts with '-' is given after "--". Returns the
// offending word, or empty.
std::string option_like_word(const Command& c, int first, int argc, char** argv)
{
    OptionWords w = option_words(c);
    for (int i = first; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--")
            return {};
        if (word.size() < 2 || word[0] != '-')
            continue;
        std::string key = word.substr(0, word.find('='));
        if (w.all.count(key)) {
            if (w.with_value.count(key) && key == word)
                ++i; // its value, whatever it looks like
            continue;
        }
        // Short flags run together ("-vh").
        bool all_short = word[1] != '-';
        for (size_t k = 1; k < word.size() && all_short; ++k)
            all_short = w.short_flags.count(word[k]) != 0;
        if (all_short)
            continue;
        return word;
    }
    return {};
}

// The program's help, then each command's under a heading of its own. The layout is the one help2man
// reads: a heading line ending in ':', paragraphs apart, options indented.
std::string help_of_every_command(CLI::App& app, const std::vector<CLI::App*>& subs, const char* program)
{
    std::string out = app.help();
    for (CLI::App* sub : subs) {
        out += "\nCommand " + sub->get_name() + ":\n";
        std::string text = sub->help(program);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            const std::string line = text.substr(start, end - start);
            start = end + 1;
            if (line == "Positionals:" || line == "Options:")
                out += "\n";
            else if (line.rfind("Usage: ", 0) == 0)
                out += "\n  " + line + "\n";
            else if (!line.empty())
                out += (line[0] == ' ' ? "" : "  ") + line + "\n";
        }
    }
    return out;
}

// A wrong command line: the reason, then the usage, and exit code 2.
int refuse(const std::string& reason, const std::string& usage)
{
    std::fprintf(stderr, "%s\n\n%s", common::printable_lines(reason).c_str(), usage.c_str());
    return 2;
}

// The refusal of a word that looks like an option of `c` but is none, or nothing when there is none.
std::optional<int>
refuse_option_like_word(const Command& c, int first, int argc, char** argv, const std::string& usage)
{
    std::string bad = option_like_word(c, first, argc, argv);
    if (bad.empty())
        return std::nullopt;
    bool takes_words = false;
    for (const Argument& a : c.arguments)
        takes_words =
            takes_words || a.kind == Argument::Kind::Positional || a.kind == Argument::Kind::Positionals;
    return refuse(bad + " is not an option of " + c.name +
                      (takes_words ? " (give a file name that starts with '-' after --)" : ""),
                  usage);
}

// The exit code when the parse ends the program (help asked for, or a wrong command line), or
// nothing when the chosen command is to run.
std::optional<int> parse(CLI::App& app, int argc, char** argv)
{
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        // --help or --help-all: the help on stdout, exit code 0.
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return refuse(e.what(), app.help());
    }
    return std::nullopt;
}

} // namespace

int run(const char* program, const char* description, int argc, char** argv)
{
    CLI::App app{description, program};
    app.require_subcommand(1);
    // Every command's options in one text: what the manual page is made from.
    app.add_flag_callback(
        "--help-all", [] {}, "Print this help and the options of every command, then exit");
    std::vector<Command> commands;
    for (const CommandMaker& make : registered_commands())
        commands.push_back(make());

    // Not in the help: the installer asks for it once, the user completes with what it wrote.
    if (argc >= 2 && std::string(argv[1]) == "--completion") {
        if (argc == 3 && std::string(argv[2]) == "bash") {
            std::fputs(bash_completion_script(program, commands).c_str(), stdout);
            return 0;
        }
        std::fprintf(stderr, "%s: --completion takes one shell name, and only bash is known\n", program);
        return 2;
    }
    std::vector<CLI::App*> subs;
    for (const Command& c : commands) {
        CLI::App* sub = app.add_subcommand(c.name, c.help);
        add_arguments(*sub, c);
        subs.push_back(sub);
    }

    if (argc == 2 && std::string(argv[1]) == "--help-all") {
        std::fputs(help_of_every_command(app, subs, program).c_str(), stdout);
        return 0;
    }

    // The command is the first word that is not an option of the program itself.
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (!word.empty() && word[0] == '-')
            continue;
        for (size_t k = 0; k < commands.size(); ++k)
            if (commands[k].name == word)
                if (std::optional<int> code =
                        refuse_option_like_word(commands[k], i + 1, argc, argv, subs[k]->help(program)))
                    return *code;
        break;
    }

    if (std::optional<int> code = parse(app, argc, argv))
        return *code;
    for (size_t k = 0; k < commands.size(); ++k)
        if (subs[k]->parsed())
            return commands[k].run();
    return 2;
}

int run_single(const Command& program, int argc, char** argv)
{
    CLI::App app{program.help, program.name};
    add_arguments(app, program);
    if (std::optional<int> code = refuse_option_like_word(program, 1, argc, argv, app.help()))
        return *code;
    if (std::optional<int> code = parse(app, argc, argv))
        return *code;
    return program.run();
}

} // namespace common::cli
