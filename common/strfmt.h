#pragma once
// printf-style formatting into a bounded buffer, returned as a std::string. The system's own
// texts are printf formats, and GCC 12 has no std::format.
#include <cstdarg>
#include <cstdio>
#include <string>

namespace common {

// Lower-case hex digits by value: the text forms write bytes in hex by hand, as printf costs too
// much for the hundreds of thousands of them.
inline constexpr char HEX_DIGITS[] = "0123456789abcdef";

[[gnu::format(printf, 1, 2)]] inline std::string strfmt(const char* fmt, ...)
{
    char small[256];
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    if (n < 0)
        return {};
    if (size_t(n) < sizeof small)
        return std::string(small, size_t(n));
    std::string big(size_t(n) + 1, '\0');
    va_start(ap, fmt);
    std::vsnprintf(big.data(), big.size(), fmt, ap);
    va_end(ap);
    big.resize(size_t(n));
    return big;
}

// Appends printf output to `out` through a bounded buffer; a longer result is cut at the buffer's
// end. For the row formats of the text exports, which all fit easily.
inline void vappendf(std::string& out, const char* fmt, va_list ap)
{
    char buf[512];
    int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
    if (n > 0)
        out.append(buf, size_t(n) < sizeof buf ? size_t(n) : sizeof buf - 1);
}

[[gnu::format(printf, 2, 3)]] inline void appendf(std::string& out, const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vappendf(out, fmt, ap);
    va_end(ap);
}

} // namespace common
