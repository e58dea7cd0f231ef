#include "korvid/editor/transponder_dialog.h"

#include "common/strfmt.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/integer_text.h"
#include "korvid/editor/transponder_texts.h"

#include <cctype>

namespace korvid {

namespace {

enum class IntegerText
{
    Ok,
    NotInteger,
    OutOfRange
};

IntegerText read_integer(const std::string& text, long& value)
{
    if (!read_integer_text(text, value))
        return IntegerText::NotInteger;
    if (value < TransponderDialog::SPIN_MIN || value > TransponderDialog::SPIN_MAX)
        return IntegerText::OutOfRange;
    return IntegerText::Ok;
}

} // namespace

TransponderDialog::TransponderDialog(
    const Database& db, Mode mode, const tTransponder& working, int shown_sat, common::Prompts& prompts)
    : db_(db)
    , mode_(mode)
    , prompts_(prompts)
    , record_(working)
{
    std::vector<std::string> names;
    int preselect = -1;
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        if (!satellite_used(db, s))
            continue;
        if (preselect < 0 && shown_sat < INVALID_SATID && same_satellite(s, shown_sat) >= 0)
            preselect = int(names.size());
        names.push_back(satellite_name(db, s));
        link_ids_.push_back(db.satellites[s].sat_id);
    }
    link_sat_.fill(std::move(names), preselect);
    fec_.fill(fec_entries(), 0);
    existing_.columns = {{"No", 45}, {"Freq.", 60}, {"POL", 40}, {"Sym Rate", 80}, {"FEC", 60}};

    if (mode == EDIT) {
        link_sat_.enabled = false;
        frequency_.text = common::strfmt("%d", working.frequency);
        symbol_rate_.text = common::strfmt("%d", working.symbol_rate);
        fec_.selection = working.fec < fec_.entries.size() ? working.fec : -1;
        choose_polarity(working.polarisation ? HOR : VER);
    } else {
        frequency_.text = "0";
        symbol_rate_.text = "0";
        choose_polarity(VER);
        if (shown_sat < INVALID_SATID)
            fill_existing();
    }
}

void TransponderDialog::fill_existing()
{
    existing_.clear_rows();
    if (!link_sat_.has_selection())
        return;
    const int sat = link_ids_[size_t(link_sat_.selection)];
    for (int t = 0; t < TP_HALF_NUM; ++t) {
        const tTransponder& tp = db_.transponders[t];
        if (!transponder_used(db_, t) || same_satellite(tp.sat_id, sat) < 0)
            continue;
        existing_.rows.push_back(
            {t,
             {common::strfmt("%03d", int(existing_.rows.size()) + 1), common::strfmt("%d", tp.frequency),
              polarity_letter(tp.polarisation), common::strfmt("%d", tp.symbol_rate), fec_text(tp.fec)}});
    }
}

bool TransponderDialog::choose_link_sat(int entry)
{
    if (!link_sat_.choose(entry))
        return false;
    fill_existing();
    choose_polarity(VER);
    frequency_.text = "0";
    symbol_rate_.text = "0";
    fec_.selection = 0;
    return true;
}

bool TransponderDialog::choose_fec(int entry)
{
    if (!fec_.choose(entry))
        return false;
    return true;
}

void TransponderDialog::choose_polarity(int p)
{
    polarity_[VER].checked = p == VER;
    polarity_[HOR].checked = p != VER;
}

bool TransponderDialog::click_existing_row(int row)
{
    if (!list_visible() || row < 0 || row >= int(existing_.rows.size()))
        return false;
    existing_.select_only(row);
    const tTransponder& tp = db_.transponders[existing_.rows[size_t(row)].item_data];
    choose_polarity(tp.polarisation ? HOR : VER);
    symbol_rate_.text = common::strfmt("%d", tp.symbol_rate);
    frequency_.text = common::strfmt("%d", tp.frequency);
    fec_.selection = tp.fec < fec_.entries.size() ? tp.fec : -1;
    return true;
}

void TransponderDialog::spin(EditState& edit, int steps)
{
    long v = 0;
    if (read_integer(edit.text, v) == IntegerText::NotInteger)
        v = 0;
    v += steps;
    v = std::max<long>(SPIN_MIN, std::min<long>(SPIN_MAX, v));
    edit.text = common::strfmt("%ld", v);
}

bool TransponderDialog::ok()
{
    long values[2] = {0, 0};
    const EditState* edits[2] = {&frequency_, &symbol_rate_};
    for (int i = 0; i < 2; ++i) {
        switch (read_integer(edits[i]->text, values[i])) {
        case IntegerText::NotInteger:
            prompts_.warning("Please enter an integer.");
            return false;
        case IntegerText::OutOfRange:
            prompts_.warning(common::strfmt("Please enter an integer between %d and %d.", SPIN_MIN, SPIN_MAX));
            return false;
        case IntegerText::Ok:
            break;
        }
    }
    tTransponder r = record_;
    if (link_sat_.has_selection())
        r.sat_id = uint8_t(link_ids_[size_t(link_sat_.selection)]);
    else if (mode_ == ADD)
        r.sat_id = INVALID_SATID;
    // In edit mode without a match the transponder stays on its own satellite: it cannot move.
    r.carried1 = 0;
    r.frequency = uint16_t(values[0]);
    r.symbol_rate = uint16_t(values[1]);
    r.sr_offset = 10;
    r.polarisation = polarity_[HOR].checked ? 1 : 0;
    r.fec = uint8_t(fec_.has_selection() ? fec_.selection : 0);
    record_ = r;
    return true;
}

} // namespace korvid
