#pragma once
// What a combo box shows: its entries, the selected one (-1 = none) and whether it takes input.
// Page and dialog models hold these so that a widget only mirrors them.
#include <string>
#include <vector>

namespace korvid {

struct ComboState
{
    std::vector<std::string> entries;
    int selection = -1;
    bool enabled = true;

    void fill(std::vector<std::string> items, int selected = -1)
    {
        entries = std::move(items);
        selection = (selected >= 0 && selected < int(entries.size())) ? selected : -1;
    }
    void empty()
    {
        entries.clear();
        selection = -1;
    }
    // The user picks `entry`: false, and nothing changes, when the combo takes no input or has no
    // such entry.
    bool choose(int entry)
    {
        if (!enabled || entry < 0 || entry >= int(entries.size()))
            return false;
        selection = entry;
        return true;
    }
    bool has_selection() const { return selection >= 0 && selection < int(entries.size()); }
    std::string selected_text() const { return has_selection() ? entries[size_t(selection)] : std::string(); }
};

} // namespace korvid
