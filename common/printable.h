#pragma once
// Text that a terminal shows as it is: names come from receivers, file systems and files, and may
// hold anything. A line feed would split one record over two lines, a tab would shift a listing's
// columns, and CR or ESC would let a name move the cursor or clear the screen. Both CLIs print every
// name, path and message through here.
#include "common/strfmt.h"

#include <string>
#include <string_view>

namespace common {

namespace detail {

// The length of the well-formed UTF-8 sequence at s[i], or 0 when the bytes there are not one
// (overlong forms, surrogates and code points past U+10FFFF included).
inline size_t utf8_sequence(std::string_view s, size_t i)
{
    const auto at = [&](size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0u; };
    const unsigned lead = at(0);
    const auto cont = [&](size_t k, unsigned lo = 0x80, unsigned hi = 0xBF) {
        return at(k) >= lo && at(k) <= hi;
    };
    if (lead >= 0xC2 && lead <= 0xDF)
        return cont(1) ? 2 : 0;
    if (lead == 0xE0)
        return cont(1, 0xA0) && cont(2) ? 3 : 0;
    if ((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF)
        return cont(1) && cont(2) ? 3 : 0;
    if (lead == 0xED)
        return cont(1, 0x80, 0x9F) && cont(2) ? 3 : 0;
    if (lead == 0xF0)
        return cont(1, 0x90) && cont(2) && cont(3) ? 4 : 0;
    if (lead >= 0xF1 && lead <= 0xF3)
        return cont(1) && cont(2) && cont(3) ? 4 : 0;
    if (lead == 0xF4)
        return cont(1, 0x80, 0x8F) && cont(2) && cont(3) ? 4 : 0;
    return 0;
}

inline void put_hex_escape(std::string& out, unsigned char c)
{
    out += "\\x";
    out += HEX_DIGITS[c >> 4];
    out += HEX_DIGITS[c & 0x0F];
}

} // namespace detail

// One line's worth of `text`: a line feed as "\n", a tab as "\t", every other byte below 0x20, 0x7F,
// the C1 controls (U+0080 to U+009F, which some terminals obey too) and every byte that is not part
// of well-formed UTF-8 as "\xNN"; a backslash doubled, so that an escape in the output always
// means an escaped byte. Everything else as it is.
inline std::string printable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            if (c == '\\')
                out += '\\';
            out += char(c);
            ++i;
        } else if (c == '\n') {
            out += "\\n";
            ++i;
        } else if (c == '\t') {
            out += "\\t";
            ++i;
        } else if (const size_t n = c >= 0x80 ? detail::utf8_sequence(text, i) : 0;
                   n && !(c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)) {
            out.append(text.substr(i, n));
            i += n;
        } else if (n) {
            // A C1 control: both bytes of it.
            detail::put_hex_escape(out, c);
            detail::put_hex_escape(out, static_cast<unsigned char>(text[i + 1]));
            i += 2;
        } else {
            detail::put_hex_escape(out, c);
            ++i;
        }
    }
    return out;
}

// A message of several lines: each line as printable() makes it, the line breaks kept.
inline std::string printable_lines(std::string_view text)
{
    std::string out;
    for (size_t start = 0;;) {
        const size_t end = text.find('\n', start);
        out += printable(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return out;
        out += '\n';
        start = end + 1;
    }
}

} // namespace common
