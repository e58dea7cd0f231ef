#pragma once
// A subcommand of a command-line tool as plain data: its name, help, arguments and the function that
// runs it. Each command file registers one from its own file, so commands live beside each other
// without one file knowing them all, and only the one file that turns the descriptions into a
// parser (cli_app.cpp) pays for the parser's headers.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace common::cli {

// One argument of a command. The target is a variable the run function reads; it must outlive the
// parse (commands keep their arguments in a struct that the run function holds).
struct Argument
{
    enum class Kind
    {
        Positional,
        Positionals,
        Option,
        IntOption,
        // Packet numbers, rates, time-outs: a word that is not a whole number from 0 to 2^32-1 is
        // refused rather than wrapped.
        UnsignedOption,
        // Every value of every time the option is given, in order.
        UnsignedOptions,
        RealOption,
        Flag
    };

    Kind kind = Kind::Positional;
    // "file" for a positional; "--port" or "-v,--verbose" for an option or a flag.
    std::string name;
    std::string help;
    std::string* text = nullptr;
    std::vector<std::string>* texts = nullptr;
    int* number = nullptr;
    uint32_t* unsigned_number = nullptr;
    std::vector<uint32_t>* unsigned_numbers = nullptr;
    double* real = nullptr;
    bool* flag = nullptr;
    bool is_required = false;
    // The only values an option takes (empty: any).
    std::vector<std::string> allowed;
    // Shown as the default in the help.
    std::string default_shown;
    // The inclusive range of an IntOption or a RealOption.
    double min_value = 0;
    double max_value = 0;
    bool has_range = false;
    // Names of other flags that cannot be given together with this one.
    std::vector<std::string> excluded;

    Argument& required()
    {
        is_required = true;
        return *this;
    }
    Argument& one_of(std::vector<std::string> values)
    {
        allowed = std::move(values);
        return *this;
    }
    Argument& shown_default(std::string text)
    {
        default_shown = std::move(text);
        return *this;
    }
    Argument& range(double min, double max)
    {
        min_value = min;
        max_value = max;
        has_range = true;
        return *this;
    }
    Argument& excludes(std::string other)
    {
        excluded.push_back(std::move(other));
        return *this;
    }
};

struct Command
{
    std::string name;
    std::string help;
    std::vector<Argument> arguments;
    // Called only when this command was given; its result is the exit code.
    std::function<int()> run;

    Command(std::string command_name, std::string command_help)
        : name(std::move(command_name))
        , help(std::move(command_help))
    {}

    // A file name or other word in a fixed place; required unless said otherwise.
    Argument&
    positional(std::string arg_name, std::string& target, std::string arg_help, bool required = true)
    {
        Argument& a = add(Argument::Kind::Positional, std::move(arg_name), std::move(arg_help));
        a.text = &target;
        a.is_required = required;
        return a;
    }
    // One or more words that take the rest of the command line.
    Argument& positionals(std::string arg_name, std::vector<std::string>& target, std::string arg_help)
    {
        Argument& a = add(Argument::Kind::Positionals, std::move(arg_name), std::move(arg_help));
        a.texts = &target;
        a.is_required = true;
        return a;
    }
    Argument& option(std::string arg_name, std::string& target, std::string arg_help)
    {
        Argument& a = add(Argument::Kind::Option, std::move(arg_name), std::move(arg_help));
        a.text = &target;
        return a;
    }
    Argument& option(std::string arg_name, int& target, std::string arg_help)
    {
        Argument& a = add(Argument::Kind::IntOption, std::move(arg_name), std::move(arg_help));
        a.number = &target;
        return a;
    }
    Argument& option(std::string arg_name, uint32_t& target, std::string arg_help)
    {
        Argument& a = add(Argument::Kind::UnsignedOption, std::move(arg_name), std::move(arg_help));
        a.unsigned_number = &target;
        return a;
    }
    // May be given several times, each time with one or more values.
    Argument& option(std::string arg_name, std::vector<uint32_t>& target, std::string arg_help)
    {
        Argument& a = add(Argument::Kind::UnsignedOptions, std::move(arg_name), std::move(arg_help));
        a.unsigned_numbers = &target;
        return a;
    }
    Argument& option(std::string arg_name, double& target, std::string arg_help)
    {
        Argument& a = add(Argument::Kind::RealOption, std::move(arg_name), std::move(arg_help));
        a.real = &target;
        return a;
    }
    Argument& flag(std::string arg_name, bool& target, std::string arg_help)
    {
        Argument& a = add(Argument::Kind::Flag, std::move(arg_name), std::move(arg_help));
        a.flag = &target;
        return a;
    }

private:
    Argument& add(Argument::Kind kind, std::string arg_name, std::string arg_help)
    {
        Argument& a = arguments.emplace_back();
        a.kind = kind;
        a.name = std::move(arg_name);
        a.help = std::move(arg_help);
        return a;
    }
};

// Makes a command afresh for each run of the program; the command's arguments live in whatever the
// maker allocates and the run function holds.
using CommandMaker = std::function<Command()>;

inline std::vector<CommandMaker>& registered_commands()
{
    static std::vector<CommandMaker> makers;
    return makers;
}

struct Registration
{
    explicit Registration(CommandMaker make) { registered_commands().push_back(std::move(make)); }
};

// Parses argv against every registered command and runs the chosen one. A wrong command line prints
// the reason and the usage and gives exit code 2; --help prints the help and gives 0.
int run(const char* program, const char* description, int argc, char** argv);

// The same for a program that has no subcommands: `program`'s name and help are the program's, its
// arguments are the program's options, and its run function is the program.
int run_single(const Command& program, int argc, char** argv);

} // namespace common::cli
