#pragma once
// Why a serial port did not open, in words a user can act on. The first line of the message stays
// "Can not open COM%d"; the lines beneath it name the device, the reason and, where the user can
// put it right, how.
#include <string>

namespace korvid {

struct PortOpenError
{
    std::string reason; // "permission denied", "no such device", ...; empty when the port opened
    std::string fix;    // what to do about it; empty when there is nothing the user can do here
};

// From the errno of the call that failed. `device` is asked for its group when the reason is a
// permission the user lacks.
PortOpenError port_open_error(int err, const std::string& device);

// The group whose members may open `device`: the device's own group when that group may read and
// write it, else "dialout", the group that owns serial devices on Debian and its kin.
std::string serial_group(const std::string& device);

// `first_line`, then "`device`: `reason`", then the fix when there is one, one per line.
std::string
port_open_message(const std::string& first_line, const std::string& device, const PortOpenError& e);

} // namespace korvid
