#include "common/cli_commands.h"

int main(int argc, char** argv)
{
    return common::run_cli("korvid-cli", "The receiver's channel database tool, from a terminal", argc, argv);
}
