#pragma once
// A report-style list control as the models describe it: column captions and widths, the rows with
// their texts and item data, which rows are selected, and which row should be scrolled into view.
// Row numbers are positions in `rows`; item data is what the page stores for each row (a slot index).
#include <algorithm>
#include <string>
#include <vector>

namespace korvid {

struct ListState
{
    struct Column
    {
        std::string caption;
        int width = 0;        // pixels
        bool centred = false; // texts and caption centred rather than left-aligned
    };
    struct Row
    {
        int item_data = -1;
        std::vector<std::string> texts; // one per column
    };

    std::vector<Column> columns;
    std::vector<Row> rows;
    std::vector<int> selected; // row numbers, ascending
    // Every editor list shows full-row selection, grid lines and info tips; these vary per list.
    bool multiple_selection = true;
    int scroll_to = -1; // row the widget should bring into view after the last change, -1 none

    void clear_rows()
    {
        rows.clear();
        selected.clear();
        scroll_to = -1;
    }
    int find_item(int item_data) const
    {
        for (size_t r = 0; r < rows.size(); ++r)
            if (rows[r].item_data == item_data)
                return int(r);
        return -1;
    }
    void select_only(int row)
    {
        selected.clear();
        if (row >= 0 && row < int(rows.size()))
            selected.push_back(row);
    }
    // Selects the given rows in ascending order, once each; rows outside the list are ignored.
    void select_rows(std::vector<int> wanted)
    {
        std::sort(wanted.begin(), wanted.end());
        wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
        selected.clear();
        for (int r : wanted)
            if (r >= 0 && r < int(rows.size()))
                selected.push_back(r);
    }
    // The one selected row, or -1 when none or several are selected.
    int single_selection() const { return selected.size() == 1 ? selected.front() : -1; }
    const std::string& text(int row, int column) const { return rows[size_t(row)].texts[size_t(column)]; }
};

} // namespace korvid
