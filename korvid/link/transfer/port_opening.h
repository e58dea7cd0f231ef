#pragma once
// Opening the serial line a transfer runs on. The transfers take an opener rather than a port
// number, so that the GUI opens g_ComPort, the command line opens what --port names, and tests
// hand over a pseudo-terminal or a line of their own.
#include "korvid/link/com_port.h"

#include <functional>
#include <memory>
#include <string>

namespace common {
class Prompts;
}

namespace korvid {

// Gives an open line, or null after the user has been told why not.
using LineOpener = std::function<std::unique_ptr<SerialLine>()>;

// COMn from the port table; the failure says "Can not open COM%d".
LineOpener com_port_opener(int n, common::Prompts* prompts);

// What a command line's PORT names: "COMn", or a device path. A path that the port table lists
// is named by its number in the failure message, any other by its path; a second line gives the
// device (or COMn) and the reason.
struct PortChoice
{
    int number = 0;   // 0 when the path is not in the table
    std::string path; // the device; empty when COMn has no entry
    bool valid = false;
};
PortChoice parse_port_argument(const std::string& arg);
LineOpener port_choice_opener(const PortChoice& choice, common::Prompts* prompts);

} // namespace korvid
