#include "korvid/editor/integer_text.h"

#include <algorithm>
#include <cctype>

namespace korvid {

bool read_integer_text(const std::string& text, long& value)
{
    size_t i = 0, n = text.size();
    while (i < n && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    while (n > i && std::isspace(static_cast<unsigned char>(text[n - 1])))
        --n;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == n)
        return false;
    long v = 0;
    for (; i < n; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        v = std::min(v * 10 + (text[i] - '0'), 10000000L);
    }
    value = negative ? -v : v;
    return true;
}

} // namespace korvid
