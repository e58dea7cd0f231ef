#pragma once
// A drop-down list whose entries each carry a check box. A click on an entry of the open list, or
// the space bar on the current entry, toggles its check; the closed box shows the checked names
// joined by the locale's list separator.
#include <string>
#include <vector>

namespace korvid {

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
    bool press_space() { return toggle(current); }
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
