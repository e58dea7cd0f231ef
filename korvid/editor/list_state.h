#pragma once
// A report-style list control as the models describe it: column captions and widths, the rows with
// their texts and item data, which rows are selected, and which row should be scrolled into view.
// Row numbers are positions in `rows`; item data is what the page stores for each row (a slot index).
// With a filter text, `rows` holds only the rows the filter keeps: every event and command of a page
// works on row numbers of what the user sees, so a hidden row can be neither selected nor acted on.
#include "korvid/editor/list_filter.h"

#include <algorithm>
#include <functional>
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
    ListFilter filter;

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
    // The page built `rows` as the whole list (row numbers as places in it): drops the rows the filter
    // does not keep, and the selection with them. Returns the whole-list place of every row kept.
    std::vector<int> apply_filter()
    {
        std::vector<int> kept;
        kept.reserve(rows.size());
        size_t out = 0;
        for (size_t r = 0; r < rows.size(); ++r) {
            if (!filter.keeps(rows[r].texts))
                continue;
            if (out != r)
                rows[out] = std::move(rows[r]);
            ++out;
            kept.push_back(int(r));
        }
        rows.resize(out);
        std::vector<int> still;
        for (int s : selected) {
            const auto at = std::lower_bound(kept.begin(), kept.end(), s);
            if (at != kept.end() && *at == s)
                still.push_back(int(at - kept.begin()));
        }
        selected = std::move(still);
        scroll_to = -1;
        return kept;
    }
    // The user typed in the filter box: `refill` rebuilds the whole list as the page does (ending in
    // apply_filter), and the selected rows that stay in view stay selected. False when nothing changed.
    // By reference: a string taken by value here, moved in by every page, is a temporary that
    // GCC 12 at -O3 takes for uninitialised in the comparison below.
    bool change_filter(const std::string& text, const std::function<void()>& refill)
    {
        if (text == filter.text())
            return false;
        const std::vector<int> items = selected_items();
        filter.set_text(text);
        refill();
        if (!items.empty())
            select_items(items);
        return true;
    }
    std::vector<int> selected_items() const
    {
        std::vector<int> items;
        for (int r : selected)
            items.push_back(rows[size_t(r)].item_data);
        return items;
    }
    // Selects the rows of these items that are in view; the first of them is brought into view.
    void select_items(const std::vector<int>& items)
    {
        std::vector<int> wanted;
        for (int item : items)
            if (int r = find_item(item); r >= 0)
                wanted.push_back(r);
        select_rows(wanted);
        scroll_to = selected.empty() ? -1 : selected.front();
    }
    // The one selected row, or -1 when none or several are selected.
    int single_selection() const { return selected.size() == 1 ? selected.front() : -1; }
    const std::string& text(int row, int column) const { return rows[size_t(row)].texts[size_t(column)]; }
};

} // namespace korvid
