// dranfel-cli: the storage manager's listing, copy, move and delete (and the converter, when it is
// built) from a terminal. Each subcommand lives in its own cmd_*.cpp.
#include "common/cli_commands.h"

int main(int argc, char** argv)
{
    return common::run_cli("dranfel-cli", "Lists, copies, moves and deletes receiver recordings", argc, argv);
}
