#include "korvid/link/transfer/transfer_times.h"

#include <cstdio>

namespace korvid {

namespace {
std::string format_expected(const char* fmt, uint32_t size)
{
    long seconds = long(size >> 10) * 100 / 1000;
    long minutes = seconds / 60;
    long rest = seconds - 60 * minutes;
    char buf[48];
    std::snprintf(buf, sizeof buf, fmt, minutes, rest + 1);
    return buf;
}
} // namespace

std::string expected_time_figures(uint32_t size)
{
    return format_expected("%02ld:%02ld", size);
}

std::string expected_time_text(uint32_t size)
{
    return format_expected("expected : %02ld:%02ld", size);
}

} // namespace korvid
