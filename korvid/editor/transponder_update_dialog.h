#pragma once
// "Update Transponders": the preview of a satellite's update from a public list. One row per
// change with its tick; OK hands back the plan with the ticks as the user left them, Cancel stores
// nothing.
#include "korvid/editor/list_state.h"
#include "korvid/editor/transponder_update.h"

#include <string>
#include <vector>

namespace korvid {

class TransponderUpdateDialog
{
public:
    static constexpr const char* CAPTION = "Update Transponders";
    // '&' marks the Alt key's letter.
    static constexpr const char* LABEL_LIST = "&Changes (Space ticks or unticks a row):";
    static constexpr const char* BUTTON_TICK_ALL = "Tick &All";
    static constexpr const char* BUTTON_TICK_NONE = "Tick &None";

    explicit TransponderUpdateDialog(TransponderUpdatePlan plan);

    // "Hot Bird 13F/13G from Hotbird-13.0E (13.0E)".
    const std::string& heading() const { return m_heading; }
    // Columns "Change", "Transponder", "Note"; a row's item data is its place in the plan.
    const ListState& list() const { return m_list; }
    bool ticked(int row) const;
    const std::vector<std::string>& notes() const { return m_notes; }
    // "3 of 7 changes ticked"
    std::string tick_count_text() const;

    void set_ticked(int row, bool ticked);
    void toggle(int row) { set_ticked(row, !ticked(row)); }
    void tick_all(bool ticked);

    const TransponderUpdatePlan& plan() const { return m_plan; }

private:
    TransponderUpdatePlan m_plan;
    std::string m_heading;
    ListState m_list;
    std::vector<std::string> m_notes;
};

} // namespace korvid
