// dranfel-cli: the storage manager's listing, copy, move, delete and new folder, and the converter,
// from a terminal. Each subcommand lives in its own cmd_*.cpp and registers itself.
#include "common/cli/command.h"

int main(int argc, char** argv)
{
    return common::cli::run("dranfel-cli", "Lists, copies, moves and deletes receiver recordings", argc,
                            argv);
}
