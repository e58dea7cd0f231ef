#include "common/cli/completion.h"

#include <cctype>

namespace common::cli {

namespace {

// Single-quoted for bash: the word as it is, whatever it holds.
std::string quoted(const std::string& word)
{
    std::string out = "'";
    for (char c : word) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string joined(const std::vector<std::string>& words, const char* between = " ")
{
    std::string out;
    for (const std::string& w : words)
        out += (out.empty() ? "" : between) + w;
    return out;
}

// "-v,--verbose" names two words.
std::vector<std::string> option_names(const std::string& name)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= name.size()) {
        size_t comma = name.find(',', start);
        std::string n = name.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!n.empty())
            out.push_back(n);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return out;
}

bool is_option(const Argument& a)
{
    return a.kind != Argument::Kind::Positional && a.kind != Argument::Kind::Positionals;
}

bool takes_number(const Argument& a)
{
    return a.kind == Argument::Kind::IntOption || a.kind == Argument::Kind::UnsignedOption ||
           a.kind == Argument::Kind::UnsignedOptions || a.kind == Argument::Kind::RealOption;
}

std::string function_name(const std::string& program)
{
    std::string out = "_";
    for (char c : program)
        out += std::isalnum((unsigned char)c) ? c : '_';
    return out + "_complete";
}

// The case branch of one command: what follows an option that takes a value, then its options or
// file names.
std::string command_branch(const Command& c)
{
    std::vector<std::string> words{"-h", "--help"};
    std::string after_option;
    bool takes_files = false;
    for (const Argument& a : c.arguments) {
        if (!is_option(a)) {
            takes_files = true;
            continue;
        }
        std::vector<std::string> names = option_names(a.name);
        words.insert(words.end(), names.begin(), names.end());
        if (a.kind == Argument::Kind::Flag)
            continue;
        std::vector<std::string> pattern;
        for (const std::string& n : names)
            pattern.push_back(quoted(n));
        after_option += "        " + joined(pattern, "|") + ")\n";
        if (!a.allowed.empty()) {
            std::vector<std::string> values;
            for (const std::string& v : a.allowed)
                values.push_back(quoted(v));
            after_option += "            COMPREPLY=($(compgen -W \"" + joined(values) + "\" -- \"$cur\"))\n";
        } else if (takes_number(a)) {
            after_option += "            COMPREPLY=()\n";
        } else {
            after_option += "            COMPREPLY=($(compgen -f -- \"$cur\"))\n";
        }
        after_option += "            return ;;\n";
    }
    std::vector<std::string> quoted_words;
    for (const std::string& w : words)
        quoted_words.push_back(quoted(w));

    std::string out = "    " + quoted(c.name) + ")\n";
    if (!after_option.empty())
        out += "        case $prev in\n" + after_option + "        esac\n";
    out += "        if [[ $cur == -* && $dashdash == 0 ]]; then\n";
    out += "            COMPREPLY=($(compgen -W \"" + joined(quoted_words) + "\" -- \"$cur\"))\n";
    if (takes_files)
        out += "        else\n            COMPREPLY=($(compgen -f -- \"$cur\"))\n";
    out += "        fi\n        ;;\n";
    return out;
}

} // namespace

std::string bash_completion_script(const std::string& program, const std::vector<Command>& commands)
{
    const std::string fn = function_name(program);
    std::vector<std::string> top{"-h", "--help", "--help-all"};
    for (const Command& c : commands)
        top.push_back(quoted(c.name));

    std::string s;
    s += "# bash completion for " + program + ", made by `" + program + " --completion bash`\n";
    s += fn + "()\n{\n";
    s += "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n";
    s += "    local cmd='' dashdash=0 i\n";
    // The command is the first word that is not an option of the program itself; after "--" every
    // word is a file name.
    s += "    for ((i = 1; i < COMP_CWORD; i++)); do\n";
    s += "        if [[ -z $cmd && ${COMP_WORDS[i]} != -* ]]; then\n";
    s += "            cmd=${COMP_WORDS[i]}\n";
    s += "        elif [[ -n $cmd && ${COMP_WORDS[i]} == -- ]]; then\n";
    s += "            dashdash=1\n";
    s += "        fi\n";
    s += "    done\n";
    s += "    if [[ $dashdash == 1 ]]; then\n";
    s += "        prev=''\n";
    s += "    fi\n";
    s += "    case $cmd in\n";
    s += "    '')\n";
    s += "        COMPREPLY=($(compgen -W \"" + joined(top) + "\" -- \"$cur\"))\n";
    s += "        ;;\n";
    for (const Command& c : commands)
        s += command_branch(c);
    s += "    *)\n        COMPREPLY=()\n        ;;\n";
    s += "    esac\n}\n";
    s += "complete -o filenames -F " + fn + " " + quoted(program) + "\n";
    return s;
}

} // namespace common::cli
