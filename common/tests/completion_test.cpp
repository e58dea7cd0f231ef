// The bash completion made from command descriptions, run in a real bash: what Tab offers after
// given words.
#include "common/cli/completion.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using common::cli::Command;

namespace {

struct Targets
{
    std::string file, port, mode, name;
    std::vector<std::string> files;
    int count = 0;
    uint32_t baud = 0;
    bool verbose = false, force = false;
};

std::vector<Command> sample_commands(Targets& t)
{
    Command send("send-db", "Send a database");
    send.positional("file", t.file, "the .ird file");
    send.option("--port", t.port, "the port");
    send.option("--max-refusals", t.count, "refusals").range(1, 100);
    send.option("--mode", t.mode, "how").one_of({"fast", "it's-slow"});
    send.flag("-v,--verbose", t.verbose, "say more");
    Command ls("ls", "List a folder");
    ls.positionals("paths", t.files, "folders");
    Command ports("ports", "List the ports");
    ports.flag("--force", t.force, "even so");
    ports.option("--baud", t.baud, "rate");
    return {send, ls, ports};
}

// What the script's function leaves in COMPREPLY after `words` (the last one being completed),
// run in a folder holding the files `present`.
std::vector<std::string> complete(const std::vector<std::string>& words,
                                  const std::vector<std::string>& present = {})
{
    Targets t;
    char dir_template[] = "/tmp/kd-completion.XXXXXX";
    const std::string dir = ::mkdtemp(dir_template);
    {
        std::ofstream(dir + "/script") << common::cli::bash_completion_script("my-tool", sample_commands(t));
    }
    for (const std::string& f : present)
        std::ofstream(dir + "/" + f) << "x";
    std::string cmd = "cd '" + dir +
                      "' && bash -c 'source ./script; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); " +
                      "_my_tool_complete; printf \"%s\\n\" \"${COMPREPLY[@]}\"' _";
    for (const std::string& w : words)
        cmd += " '" + w + "'";
    std::vector<std::string> out;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, p)) {
            std::string s = line;
            if (!s.empty() && s.back() == '\n')
                s.pop_back();
            if (!s.empty())
                out.push_back(s);
        }
        ::pclose(p);
    }
    std::string rm = "rm -rf '" + dir + "'";
    if (std::system(rm.c_str()) != 0)
        ADD_FAILURE() << "could not remove " << dir;
    return out;
}

using Words = std::vector<std::string>;

} // namespace

TEST(BashCompletion, CommandsFirstThenTheOptionsOfTheCommandGiven)
{
    EXPECT_EQ(complete({"my-tool", ""}), (Words{"-h", "--help", "--help-all", "send-db", "ls", "ports"}));
    EXPECT_EQ(complete({"my-tool", "p"}), Words{"ports"});
    EXPECT_EQ(complete({"my-tool", "send-db", "--"}),
              (Words{"--help", "--port", "--max-refusals", "--mode", "--verbose"}));
    EXPECT_EQ(complete({"my-tool", "send-db", "-"}),
              (Words{"-h", "--help", "--port", "--max-refusals", "--mode", "-v", "--verbose"}));
    // Options of the program come before the command without hiding it.
    EXPECT_EQ(complete({"my-tool", "-h", "ports", "--f"}), Words{"--force"});
    EXPECT_TRUE(complete({"my-tool", "nonsense", "--"}).empty());
}

TEST(BashCompletion, OptionValuesAndFileNames)
{
    // An option limited to some values offers those, quoted as bash needs them.
    EXPECT_EQ(complete({"my-tool", "send-db", "--mode", ""}), (Words{"fast", "it's-slow"}));
    EXPECT_EQ(complete({"my-tool", "send-db", "--mode", "i"}), Words{"it's-slow"});
    // A number offers nothing; a free text, file names.
    EXPECT_TRUE(complete({"my-tool", "send-db", "--max-refusals", ""}, {"a.ird"}).empty());
    EXPECT_TRUE(complete({"my-tool", "ports", "--baud", ""}, {"a.ird"}).empty());
    EXPECT_EQ(complete({"my-tool", "send-db", "--port", "tt"}, {"ttyX", "a.ird"}), Words{"ttyX"});
    // Where the command takes files, a word completes as a file; after a flag too.
    EXPECT_EQ(complete({"my-tool", "send-db", "a"}, {"a.ird", "b.ird"}), Words{"a.ird"});
    EXPECT_EQ(complete({"my-tool", "send-db", "-v", "b"}, {"a.ird", "b.ird"}), Words{"b.ird"});
    EXPECT_EQ(complete({"my-tool", "ls", "x", "y"}, {"y1", "y2"}), (Words{"y1", "y2"}));
    // After "--" a word that starts with '-' is a file name, not an option.
    EXPECT_EQ(complete({"my-tool", "send-db", "--", "-"}, {"-odd.ird"}), Words{"-odd.ird"});
    // A command without files completes none.
    EXPECT_TRUE(complete({"my-tool", "ports", ""}, {"a.ird"}).empty());
}
