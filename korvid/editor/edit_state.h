#pragma once
// A one-line edit control: its text, whether it takes input, and how many characters it accepts
// (0 = no limit). Typing past the limit is cut off as the control itself would.
#include <string>

namespace korvid {

struct EditState
{
    std::string text;
    bool enabled = true;
    size_t max_length = 0;

    void type(const std::string& t)
    {
        text = (max_length && t.size() > max_length) ? t.substr(0, max_length) : t;
    }
};

} // namespace korvid
