#include "korvid/editor/transponder_update_dialog.h"

#include "common/strfmt.h"

namespace korvid {

namespace {

const char* kind_text(TransponderChangeKind kind)
{
    switch (kind) {
    case TransponderChangeKind::Add:
        return "Add";
    case TransponderChangeKind::Change:
        return "Change";
    case TransponderChangeKind::Remove:
        return "Remove";
    }
    return "";
}

std::string note_text(const TransponderChange& c)
{
    std::string note;
    const auto add = [&note](const std::string& part) { note += (note.empty() ? "" : ", ") + part; };
    if (c.kind == TransponderChangeKind::Remove)
        add(c.channels == 1 ? "1 channel" : common::strfmt("%d channels", c.channels));
    if (c.dvb_s2)
        add("DVB-S2");
    if (!c.mapped_fec.empty())
        add("list FEC " + c.mapped_fec);
    return note;
}

} // namespace

TransponderUpdateDialog::TransponderUpdateDialog(TransponderUpdatePlan plan)
    : m_plan(std::move(plan))
{
    m_heading = common::strfmt("%s from %s (%s)", m_plan.sat_name.c_str(), m_plan.source_name.c_str(),
                               position_text(m_plan.source_position).c_str());
    m_list.columns = {{"Change", 100, false}, {"Transponder", 300, false}, {"Note", 150, false}};
    m_list.multiple_selection = false;
    for (size_t i = 0; i < m_plan.changes.size(); ++i) {
        const TransponderChange& c = m_plan.changes[i];
        std::string values =
            c.kind == TransponderChangeKind::Add ? transponder_values_text(c.after)
            : c.kind == TransponderChangeKind::Remove
                ? transponder_values_text(c.before)
                : transponder_values_text(c.before) + " -> " + transponder_values_text(c.after);
        m_list.rows.push_back({int(i), {kind_text(c.kind), values, note_text(c)}});
    }
    m_list.select_only(0);
    m_notes = transponder_update_notes(m_plan);
}

bool TransponderUpdateDialog::ticked(int row) const
{
    return row >= 0 && row < int(m_plan.changes.size()) && m_plan.changes[size_t(row)].ticked;
}

std::string TransponderUpdateDialog::tick_count_text() const
{
    int n = 0;
    for (const TransponderChange& c : m_plan.changes)
        n += c.ticked;
    return common::strfmt("%d of %zu changes ticked", n, m_plan.changes.size());
}

void TransponderUpdateDialog::set_ticked(int row, bool ticked)
{
    if (row >= 0 && row < int(m_plan.changes.size()))
        m_plan.changes[size_t(row)].ticked = ticked;
}

void TransponderUpdateDialog::tick_all(bool ticked)
{
    for (TransponderChange& c : m_plan.changes)
        c.ticked = ticked;
}

} // namespace korvid
