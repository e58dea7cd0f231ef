// korvid-cli: the channel database tool's file commands and transfers from a terminal. Each
// subcommand lives in its own cmd_*.cpp and registers itself.
#include "common/cli/command.h"

int main(int argc, char** argv)
{
    return common::cli::run("korvid-cli", "The receiver's channel database tool, from a terminal", argc,
                            argv);
}
