#include "korvid/link/port_open_error.h"

#include "common/strfmt.h"

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>

namespace korvid {

std::string serial_group(const std::string& device)
{
    struct stat st
    {
    };
    if (::stat(device.c_str(), &st) == 0 && (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP))
        if (const group* g = ::getgrgid(st.st_gid); g && g->gr_name && g->gr_gid != 0)
            return g->gr_name;
    return "dialout";
}

PortOpenError port_open_error(int err, const std::string& device)
{
    PortOpenError e;
    switch (err) {
    case 0:
        break;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        // ENXIO: the node is there but no adapter answers behind it (a USB adapter pulled out).
        e.reason = "no such device";
        break;
    case EACCES:
    case EPERM: {
        e.reason = "permission denied";
        const std::string g = serial_group(device);
        // Group membership is read at login, so the new group counts only from the next one.
        e.fix = common::strfmt("Add yourself to the %s group: sudo usermod -aG %s $USER, then log in again.",
                               g.c_str(), g.c_str());
        break;
    }
    case EBUSY:
    case EWOULDBLOCK:
        e.reason = "busy, another program is using it";
        break;
    case ENOTTY:
        e.reason = "not a serial port";
        break;
    default:
        e.reason = std::strerror(err);
        break;
    }
    return e;
}

std::string
port_open_message(const std::string& first_line, const std::string& device, const PortOpenError& e)
{
    std::string text = first_line;
    if (!e.reason.empty())
        text += "\n" + device + ": " + e.reason;
    if (!e.fix.empty())
        text += "\n" + e.fix;
    return text;
}

} // namespace korvid
