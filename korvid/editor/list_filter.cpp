#include "korvid/editor/list_filter.h"

#include <array>
#include <cstring>

namespace korvid {

namespace {

// Lower case of every byte: ASCII and the Latin-1 capitals, whose small letters lie 0x20 above them
// (except the multiplication sign, which has no case).
constexpr std::array<unsigned char, 256> make_fold_table()
{
    std::array<unsigned char, 256> fold{};
    for (int b = 0; b < 256; ++b)
        fold[size_t(b)] = (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)
                              ? (unsigned char)(b + 0x20)
                              : (unsigned char)b;
    return fold;
}
constexpr std::array<unsigned char, 256> FOLD = make_fold_table();

bool contains_folded(const std::string& haystack, const std::string& needle)
{
    const size_t n = haystack.size(), m = needle.size();
    if (m > n)
        return false;
    const auto* h = reinterpret_cast<const unsigned char*>(haystack.data());
    const auto* k = reinterpret_cast<const unsigned char*>(needle.data());
    // Texts are a dozen bytes; a plain scan beats anything that needs a table per needle.
    for (size_t i = 0; i + m <= n; ++i) {
        if (FOLD[h[i]] != k[0])
            continue;
        size_t j = 1;
        while (j < m && FOLD[h[i + j]] == k[j])
            ++j;
        if (j == m)
            return true;
    }
    return false;
}

} // namespace

void ListFilter::set_text(std::string text)
{
    m_text = std::move(text);
    m_folded = m_text;
    for (char& c : m_folded)
        c = char(FOLD[static_cast<unsigned char>(c)]);
}

bool ListFilter::keeps(const std::vector<std::string>& texts) const
{
    if (m_folded.empty())
        return true;
    if (std::memchr(m_folded.data(), 0, m_folded.size()))
        return false;
    for (const std::string& t : texts)
        if (contains_folded(t, m_folded))
            return true;
    return false;
}

} // namespace korvid
