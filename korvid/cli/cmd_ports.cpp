// korvid-cli ports: the serial port table, numbered as COMn.
#include "common/cli/command.h"
#include "korvid/link/com_port.h"
#include "korvid/link/port_description.h"

#include <cstdio>
#include <string>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_ports {

int run_ports()
{
    auto table = korvid::serial_port_table();
    if (table.empty()) {
        std::printf("No serial ports (set KORVID_SERIAL_PORTS to add devices)\n");
        return 0;
    }
    // A third column says what the device is, when that is known.
    for (size_t i = 0; i < table.size(); ++i) {
        const std::string what = korvid::port_description(table[i]);
        std::printf("COM%zu\t%s%s%s\n", i + 1, table[i].c_str(), what.empty() ? "" : "\t", what.c_str());
    }
    return 0;
}

const common::cli::Registration reg{[] {
    common::cli::Command cmd("ports", "List the serial ports as COM1, COM2, ..., with what each device is");
    cmd.run = run_ports;
    return cmd;
}};

} // namespace cmd_ports
