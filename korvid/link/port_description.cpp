#include "korvid/link/port_description.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace korvid {

namespace fs = std::filesystem;

namespace {

// The first line of a small sysfs attribute, "" when it cannot be read.
std::string read_line(const fs::path& p)
{
    std::ifstream in(p);
    std::string line;
    if (in)
        std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// The tty's device links into the USB interface; the USB device that holds the strings is one of
// its parents. A tty on a PCI or platform device meets no idVendor and gives nothing.
std::string from_sysfs(const std::string& name, const DeviceTrees& trees)
{
    std::error_code ec;
    fs::path at = fs::canonical(fs::path(trees.sys) / "class/tty" / name / "device", ec);
    if (ec)
        return {};
    const fs::path root = fs::canonical(trees.sys, ec);
    for (int up = 0; up < 6 && !at.empty() && at != root && at != at.root_path(); ++up) {
        if (fs::exists(at / "idVendor", ec)) {
            const std::string maker = read_line(at / "manufacturer");
            const std::string model = read_line(at / "product");
            if (maker.empty() || model.empty())
                return maker + model;
            // Many adapters repeat the maker in the product string ("FTDI FTDI USB Serial").
            return model.compare(0, maker.size(), maker) == 0 ? model : maker + " " + model;
        }
        at = at.parent_path();
    }
    return {};
}

// udev names the link "usb-<maker>_<model>_<serial>-if00-port0", with spaces made underscores.
// The serial number stays: it is what tells two adapters of one model apart, and without it in
// the name there is no telling where the model ends.
std::string from_by_id(const std::string& device, const DeviceTrees& trees)
{
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    if (ec)
        return {};
    for (fs::directory_iterator it(fs::path(trees.dev) / "serial/by-id", ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code link_ec;
        if (fs::canonical(it->path(), link_ec) != target || link_ec)
            continue;
        std::string name = it->path().filename().string();
        if (name.compare(0, 4, "usb-") == 0)
            name.erase(0, 4);
        if (const size_t iface = name.rfind("-if"); iface != std::string::npos && iface > 0)
            name.erase(iface);
        std::replace(name.begin(), name.end(), '_', ' ');
        return name;
    }
    return {};
}

} // namespace

std::string port_description(const std::string& device, const DeviceTrees& trees)
{
    const std::string name = fs::path(device).filename().string();
    if (std::string usb = from_sysfs(name, trees); !usb.empty())
        return usb;
    if (std::string link = from_by_id(device, trees); !link.empty())
        return link;
    if (device.compare(0, 9, "/dev/pts/") == 0)
        return "pseudo-terminal";
    if (name.compare(0, 4, "ttyS") == 0)
        return "built-in serial port";
    return {};
}

std::string device_with_description(const std::string& device, const DeviceTrees& trees)
{
    const std::string what = port_description(device, trees);
    return what.empty() ? device : device + "  (" + what + ")";
}

} // namespace korvid
