#pragma once
// A drop-down list whose entries each carry a check box. A click on an entry of the open list, or
// the space bar on the current entry, toggles its check; the closed box shows the checked names
// joined by the locale's list separator.
#include <string>
#include <vector>

namespace korvid {

// The list separator of a locale that writes decimals with `decimal_point`. The platform's locales
// name no list separator of their own; the usual rule of the receiver's home platform stands in for
// one: a comma where the decimal point is a point, a semicolon where the comma is taken by decimals.
// An empty decimal point (no locale) gives the semicolon.
inline std::string list_separator_for(const std::string& decimal_point)
{
    return decimal_point == "." ? std::string(",") : std::string(";");
}

struct GroupCheckCombo
{
    std::vector<std::string> entries;
    std::vector<bool> checked;
    int current = -1; // the entry under the keyboard focus of the open list
    std::string list_separator = ";";

    void fill(std::vector<std::string> names)
    {
        entries = std::move(names);
        checked.assign(entries.size(), false);
        current = entries.empty() ? -1 : 0;
    }
    // Returns false for an entry that does not exist.
    bool toggle(int entry)
    {
        if (entry < 0 || entry >= int(entries.size()))
            return false;
        checked[size_t(entry)] = !checked[size_t(entry)];
        current = entry;
        return true;
    }
    std::string closed_text() const
    {
        std::string text;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!checked[i])
                continue;
            if (!text.empty())
                text += (list_separator.empty() ? std::string(";") : list_separator) + " ";
            text += entries[i];
        }
        return text;
    }
};

} // namespace korvid
