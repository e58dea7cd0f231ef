#pragma once
// The text a user types above a page list, and the test it puts every row to: a row stays in view
// when any of its shown texts contains the typed text, letter case ignored. The texts are the 8-bit
// texts the lists show (Latin-1 on screen), so the Latin-1 letters fold as well as the ASCII ones.
#include <string>
#include <vector>

namespace korvid {

class ListFilter
{
public:
    // A NUL byte in `text` stands for a character no list text can hold (the screen takes it from a
    // wider alphabet): it keeps nothing, as the user would expect of a text found nowhere.
    void set_text(std::string text);
    const std::string& text() const { return m_text; }
    bool active() const { return !m_text.empty(); }
    bool keeps(const std::vector<std::string>& texts) const;

private:
    std::string m_text;
    std::string m_folded;
};

} // namespace korvid
