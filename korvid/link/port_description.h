#pragma once
// What a serial device is, in words a user recognises when picking a port: a USB adapter by its
// maker and model as the kernel and udev name it, a pseudo-terminal as such (receiver-sim), a
// built-in port as such. A path alone does not tell two adapters apart.
#include <string>

namespace korvid {

// Where the system's device trees are; tests give a folder of their own that imitates them.
struct DeviceTrees
{
    std::string sys = "/sys";
    std::string dev = "/dev";
};

// "FTDI FT232R USB UART", "pseudo-terminal", "built-in serial port", or "" when nothing is known.
// Looks first at the USB device above the tty in sysfs (its manufacturer and product strings),
// then at the name under /dev/serial/by-id that links to the device.
std::string port_description(const std::string& device, const DeviceTrees& trees = {});
// The device path followed by its description in brackets, or the path alone when nothing is known.
std::string device_with_description(const std::string& device, const DeviceTrees& trees = {});

} // namespace korvid
