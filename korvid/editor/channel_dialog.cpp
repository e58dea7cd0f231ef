#include "korvid/editor/channel_dialog.h"

#include "common/strfmt.h"
#include "korvid/editor/channel_texts.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/integer_text.h"

#include <algorithm>
#include <cctype>

namespace korvid {

namespace {

std::string tp_entry_text(int index, const tTransponder& tp, bool with_pol_label)
{
    const char pol = tp.polarisation == 0 ? 'V' : 'H';
    return with_pol_label
               ? common::strfmt("TP:%d Freq %d, Pol:%c, SR %d", index + 1, tp.frequency, pol, tp.symbol_rate)
               : common::strfmt("TP:%d Freq %d, %c, SR %d", index + 1, tp.frequency, pol, tp.symbol_rate);
}

} // namespace

ChannelDialog::ChannelDialog(
    const Database& db, Mode mode, int target, int current_sat, common::Prompts& prompts)
    : db_(db)
    , mode_(mode)
    , target_(target)
    , type_(service_type_of(target))
    , prompts_(prompts)
    , record_(mode == EDIT ? db.channels[target] : empty_channel_record(db.channels[target].carried43))
    , old_membership_(record_.fav_membership)
    , audio_attr_bits_(uint16_t(record_.audio_pid[0] & ~PID_MASK))
{
    if (radio()) {
        record_.video_pid = INVALID_PID;
        video_.enabled = false;
    }
    name_.max_length = NAME_CHARS;
    sid_.enabled = false;

    // The satellite the dialog opens on: the channel's own in edit mode, the editor's current one
    // when adding; either may be a second-half id.
    int shown_sat = INVALID_SATID;
    if (mode == EDIT && record_.tp_index < MAX_TP_NUM)
        shown_sat = db.transponders[record_.tp_index].sat_id;
    else if (mode == ADD)
        shown_sat = current_sat;
    std::vector<std::string> names;
    int preselect = -1;
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        if (!satellite_used(db, s))
            continue;
        if (preselect < 0 && shown_sat < INVALID_SATID && same_satellite(s, shown_sat) >= 0)
            preselect = int(names.size());
        names.push_back(satellite_name(db, s));
        sat_ids_.push_back(s);
    }
    sat_.fill(std::move(names), preselect < 0 ? 0 : preselect);
    fill_tp(true, mode == EDIT ? record_.tp_index : -1);

    std::vector<std::string> groups;
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g)
        groups.push_back(favourite_group_label(db, g));
    groups_.fill(std::move(groups));
    language_.fill(audio_language_names());

    if (mode == EDIT) {
        name_.text = channel_name(record_);
        for (int g = 0; g < MAX_FAVGROUP_NUM; ++g)
            groups_.checked[size_t(g)] = record_.fav_membership & (1u << g);
        lock_.checked = record_.attributes & CH_ATTR_LOCK;
        scramble_.checked = channel_scrambled(record_);
        video_.text = common::strfmt("%d", record_.video_pid);
        audio_.text = common::strfmt("%d", record_.audio_pid[0] & PID_MASK);
        pcr_.text = common::strfmt("%d", record_.pcr_pid);
        if (record_.audio_lang[0] < AUDIO_LANGUAGE_NUM)
            language_.selection = record_.audio_lang[0];
        sid_.text = common::strfmt("%d", record_.service_id);
    } else {
        video_.text = radio() ? common::strfmt("%d", INVALID_PID) : common::strfmt("%d", NEW_PID_TEXT);
        audio_.text = pcr_.text = common::strfmt("%d", NEW_PID_TEXT);
        sid_.text = common::strfmt("%d", 0);
    }
}

void ChannelDialog::fill_tp(bool with_pol_label, int preselect_tp)
{
    tp_.empty();
    tp_ids_.clear();
    if (!sat_.has_selection())
        return;
    const int sat = sat_ids_[size_t(sat_.selection)];
    std::vector<std::string> entries;
    int preselect = -1;
    for (int t = 0; t < TP_HALF_NUM; ++t) {
        const tTransponder& tp = db_.transponders[t];
        if (!transponder_used(db_, t) || same_satellite(tp.sat_id, sat) < 0)
            continue;
        if (preselect < 0 && preselect_tp >= 0 && same_transponder(t, preselect_tp) >= 0)
            preselect = int(entries.size());
        entries.push_back(tp_entry_text(t, tp, with_pol_label));
        tp_ids_.push_back(t);
    }
    tp_.fill(std::move(entries), preselect < 0 ? 0 : preselect);
}

bool ChannelDialog::choose_sat(int entry)
{
    if (!sat_.choose(entry))
        return false;
    fill_tp(false, -1);
    return true;
}

bool ChannelDialog::choose_tp(int entry)
{
    if (!tp_.choose(entry))
        return false;
    return true;
}

bool ChannelDialog::type_video_pid(const std::string& text)
{
    if (!video_.enabled)
        return false;
    video_.type(text);
    return true;
}

bool ChannelDialog::spin_video_pid(int steps)
{
    if (!video_.enabled)
        return false;
    spin(video_, steps);
    return true;
}

bool ChannelDialog::choose_language(int entry)
{
    if (!language_.choose(entry))
        return false;
    return true;
}

void ChannelDialog::spin(EditState& edit, int steps)
{
    long v = PID_MIN;
    if (!read_integer_text(edit.text, v))
        v = PID_MIN;
    v = std::clamp<long>(v + steps, PID_MIN, PID_MAX);
    edit.text = common::strfmt("%ld", v);
}

bool ChannelDialog::check_pid(const EditState& edit, int max, long& value) const
{
    if (!read_integer_text(edit.text, value)) {
        prompts_.warning("Please enter an integer.");
        return false;
    }
    if (value < PID_MIN || value > max) {
        prompts_.warning(common::strfmt("Please enter an integer between %d and %d.", PID_MIN, max));
        return false;
    }
    return true;
}

bool ChannelDialog::ok()
{
    if (name_.text.size() > NAME_CHARS) {
        prompts_.warning(common::strfmt("Please enter no more than %d characters.", int(NAME_CHARS)));
        return false;
    }
    long video = INVALID_PID, audio = 0, pcr = 0;
    // INVALID_PID in the video or PCR edit is a channel without that PID; it is shown as 32767 and
    // passes as it is, so that such a channel can still be edited.
    const int video_max = radio() ? RADIO_VIDEO_PID_MAX : PID_MAX;
    if (!(video_.text == common::strfmt("%d", INVALID_PID)) && !check_pid(video_, video_max, video))
        return false;
    if (!check_pid(audio_, PID_MAX, audio))
        return false;
    if (pcr_.text == common::strfmt("%d", INVALID_PID))
        pcr = INVALID_PID;
    else if (!check_pid(pcr_, PID_MAX, pcr))
        return false;
    if (!sat_.has_selection()) {
        prompts_.warning("Satellite is not selected");
        return false;
    }
    if (!tp_.has_selection()) {
        prompts_.warning("Transponder is not selected");
        return false;
    }

    tChannelStructure r = record_;
    store_channel_name(r, name_.text);
    r.tp_index = uint16_t(tp_ids_[size_t(tp_.selection)]);

    uint8_t membership = 0;
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g)
        if (groups_.checked[size_t(g)])
            membership |= uint8_t(1u << g);
    r.fav_membership = membership ? uint8_t(membership | CH_FAV_MEMBER) : 0;

    r.attributes = uint8_t((r.attributes & ~CH_ATTR_LOCK) | (lock_.checked ? CH_ATTR_LOCK : 0));
    if (scramble_.checked)
        r.attributes |= r.ci_marker ? CH_ATTR_CI : CH_ATTR_SCRAMBLED;
    else
        r.attributes &= uint8_t(~(CH_ATTR_SCRAMBLED | CH_ATTR_CI));

    for (uint16_t* pid : {&r.audio_pid[0], &r.audio_pid[1], &r.audio_pid[2], &r.audio_pid[3], &r.video_pid,
                          &r.pcr_pid, &r.ttx_pid})
        if (*pid == 0)
            *pid = INVALID_PID;
    if (language_.has_selection())
        r.audio_lang[0] = uint8_t(language_.selection);

    r.video_pid = uint16_t(video);
    // The audio attribute bits describe the stream they were read from; a new PID starts without them.
    const uint16_t old_audio = uint16_t(record_.audio_pid[0] & PID_MASK);
    r.audio_pid[0] = uint16_t(audio) == old_audio ? uint16_t(audio | audio_attr_bits_) : uint16_t(audio);
    r.pcr_pid = uint16_t(pcr);
    record_ = r;
    return true;
}

bool ChannelDialog::store(Database& db) const
{
    const int rel = relative_index(target_);
    tChannelStructure& ch = db.channels[target_];
    const uint8_t old_groups = old_membership_ & CH_FAV_GROUP_MASK;
    const uint8_t wanted = record_.fav_membership & CH_FAV_GROUP_MASK;
    bool changed = false;
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        const uint8_t bit = uint8_t(1u << g);
        uint16_t* list = db.fav_list(g, type_);
        const int l = fav_list_index(g, type_);
        if ((wanted & bit) && !(old_groups & bit)) {
            uint16_t* free_entry = std::find(list, list + MAX_FAVCHAN_NUM, INVALID_FAVENTRY);
            if (free_entry == list + MAX_FAVCHAN_NUM) {
                ch.fav_membership &= uint8_t(~bit);
                continue;
            }
            *free_entry = uint16_t(rel);
            ++db.system.fav_count[l];
            changed = true;
        } else if (!(wanted & bit) && (old_groups & bit)) {
            uint16_t* entry = std::find(list, list + MAX_FAVCHAN_NUM, uint16_t(rel));
            if (entry == list + MAX_FAVCHAN_NUM)
                continue;
            *entry = INVALID_FAVENTRY;
            if (db.system.fav_count[l])
                --db.system.fav_count[l];
            if (entry - list < db.cursor.fav_cursor[l])
                --db.cursor.fav_cursor[l];
            changed = true;
        }
    }
    if (!(ch.fav_membership & CH_FAV_GROUP_MASK))
        ch.fav_membership = 0;
    db.compact_favourite_lists();

    if (language_.has_selection()) {
        const uint8_t before = db.language_bytes[target_];
        db.language_bytes[target_] = uint8_t((before & 0xC0) | language_.selection);
        changed = changed || db.language_bytes[target_] != before;
    }
    return changed;
}

} // namespace korvid
