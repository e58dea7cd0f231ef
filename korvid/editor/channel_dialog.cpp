#include "korvid/editor/channel_dialog.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"
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
    : m_db(db)
    , m_mode(mode)
    , m_target(target)
    , m_type(service_type_of(target))
    , m_prompts(prompts)
    , m_record(mode == EDIT ? db.channels[target] : empty_channel_record(db.channels[target].carried43))
    , m_old_membership(m_record.fav_membership)
    , m_audio_attr_bits(uint16_t(m_record.audio_pid[0] & ~PID_MASK))
{
    if (radio()) {
        m_record.video_pid = INVALID_PID;
        m_video.enabled = false;
    }
    m_name.max_length = NAME_CHARS;
    m_sid.enabled = false;

    // The satellite the dialog opens on: the channel's own in edit mode, the editor's current one
    // when adding; either may be a second-half id.
    int shown_sat = INVALID_SATID;
    if (mode == EDIT && m_record.tp_index < MAX_TP_NUM)
        shown_sat = db.transponders[m_record.tp_index].sat_id;
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
        m_sat_ids.push_back(s);
    }
    m_sat.fill(std::move(names), preselect < 0 ? 0 : preselect);
    fill_tp(true, mode == EDIT ? m_record.tp_index : -1);

    std::vector<std::string> groups;
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g)
        groups.push_back(favourite_group_label(db, g));
    m_groups.fill(std::move(groups));
    m_language.fill(audio_language_names());

    if (mode == EDIT) {
        m_name.text = channel_name(m_record);
        for (int g = 0; g < MAX_FAVGROUP_NUM; ++g)
            m_groups.checked[size_t(g)] = m_record.fav_membership & (1u << g);
        m_lock.checked = m_record.attributes & CH_ATTR_LOCK;
        m_scramble.checked = channel_scrambled(m_record);
        m_video.text = common::strfmt("%d", m_record.video_pid);
        m_audio.text = common::strfmt("%d", m_record.audio_pid[0] & PID_MASK);
        m_pcr.text = common::strfmt("%d", m_record.pcr_pid);
        if (m_record.audio_lang[0] < AUDIO_LANGUAGE_NUM)
            m_language.selection = m_record.audio_lang[0];
        m_sid.text = common::strfmt("%d", m_record.service_id);
    } else {
        m_video.text = radio() ? common::strfmt("%d", INVALID_PID) : common::strfmt("%d", NEW_PID_TEXT);
        m_audio.text = m_pcr.text = common::strfmt("%d", NEW_PID_TEXT);
        m_sid.text = common::strfmt("%d", 0);
    }
}

void ChannelDialog::fill_tp(bool with_pol_label, int preselect_tp)
{
    m_tp.empty();
    m_tp_ids.clear();
    if (!m_sat.has_selection())
        return;
    const int sat = m_sat_ids[size_t(m_sat.selection)];
    std::vector<std::string> entries;
    int preselect = -1;
    for (int t = 0; t < TP_HALF_NUM; ++t) {
        const tTransponder& tp = m_db.transponders[t];
        if (!transponder_used(m_db, t) || same_satellite(tp.sat_id, sat) < 0)
            continue;
        if (preselect < 0 && preselect_tp >= 0 && same_transponder(t, preselect_tp) >= 0)
            preselect = int(entries.size());
        entries.push_back(tp_entry_text(t, tp, with_pol_label));
        m_tp_ids.push_back(t);
    }
    m_tp.fill(std::move(entries), preselect < 0 ? 0 : preselect);
}

bool ChannelDialog::choose_sat(int entry)
{
    if (!m_sat.choose(entry))
        return false;
    fill_tp(false, -1);
    return true;
}

bool ChannelDialog::choose_tp(int entry)
{
    if (!m_tp.choose(entry))
        return false;
    return true;
}

bool ChannelDialog::type_video_pid(const std::string& text)
{
    if (!m_video.enabled)
        return false;
    m_video.type(text);
    return true;
}

bool ChannelDialog::spin_video_pid(int steps)
{
    if (!m_video.enabled)
        return false;
    spin(m_video, steps);
    return true;
}

bool ChannelDialog::choose_language(int entry)
{
    if (!m_language.choose(entry))
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
        m_prompts.warning("Please enter an integer.");
        return false;
    }
    if (value < PID_MIN || value > max) {
        m_prompts.warning(common::strfmt("Please enter an integer between %d and %d.", PID_MIN, max));
        return false;
    }
    return true;
}

bool ChannelDialog::ok()
{
    if (m_name.text.size() > NAME_CHARS) {
        m_prompts.warning(common::strfmt("Please enter no more than %d characters.", int(NAME_CHARS)));
        return false;
    }
    long video = INVALID_PID, audio = 0, pcr = 0;
    // INVALID_PID in the video or PCR edit is a channel without that PID; it is shown as 32767 and
    // passes as it is, so that such a channel can still be edited.
    const int video_max = radio() ? RADIO_VIDEO_PID_MAX : PID_MAX;
    if (!(m_video.text == common::strfmt("%d", INVALID_PID)) && !check_pid(m_video, video_max, video))
        return false;
    if (!check_pid(m_audio, PID_MAX, audio))
        return false;
    if (m_pcr.text == common::strfmt("%d", INVALID_PID))
        pcr = INVALID_PID;
    else if (!check_pid(m_pcr, PID_MAX, pcr))
        return false;
    if (!m_sat.has_selection()) {
        m_prompts.warning("Satellite is not selected");
        return false;
    }
    if (!m_tp.has_selection()) {
        m_prompts.warning("Transponder is not selected");
        return false;
    }

    tChannelStructure r = m_record;
    store_channel_name(r, m_name.text);
    r.tp_index = uint16_t(m_tp_ids[size_t(m_tp.selection)]);

    uint8_t membership = 0;
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g)
        if (m_groups.checked[size_t(g)])
            membership |= uint8_t(1u << g);
    r.fav_membership = membership ? uint8_t(membership | CH_FAV_MEMBER) : 0;

    r.attributes = uint8_t((r.attributes & ~CH_ATTR_LOCK) | (m_lock.checked ? CH_ATTR_LOCK : 0));
    if (m_scramble.checked)
        r.attributes |= r.ci_marker ? CH_ATTR_CI : CH_ATTR_SCRAMBLED;
    else
        r.attributes &= uint8_t(~(CH_ATTR_SCRAMBLED | CH_ATTR_CI));

    for (uint16_t* pid : {&r.audio_pid[0], &r.audio_pid[1], &r.audio_pid[2], &r.audio_pid[3], &r.video_pid,
                          &r.pcr_pid, &r.ttx_pid})
        if (*pid == 0)
            *pid = INVALID_PID;
    if (m_language.has_selection())
        r.audio_lang[0] = uint8_t(m_language.selection);

    r.video_pid = uint16_t(video);
    // The audio attribute bits describe the stream they were read from; a new PID starts without them.
    const uint16_t old_audio = uint16_t(m_record.audio_pid[0] & PID_MASK);
    r.audio_pid[0] = uint16_t(audio) == old_audio ? uint16_t(audio | m_audio_attr_bits) : uint16_t(audio);
    r.pcr_pid = uint16_t(pcr);
    m_record = r;
    return true;
}

void ChannelDialog::store(Database& db) const
{
    const int rel = relative_index(m_target);
    tChannelStructure& ch = db.channels[m_target];
    const uint8_t old_groups = m_old_membership & CH_FAV_GROUP_MASK;
    const uint8_t wanted = m_record.fav_membership & CH_FAV_GROUP_MASK;
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        const uint8_t bit = uint8_t(1u << g);
        uint16_t* list = db.fav_list(g, m_type);
        const int l = fav_list_index(g, m_type);
        if ((wanted & bit) && !(old_groups & bit)) {
            uint16_t* free_entry = std::find(list, list + MAX_FAVCHAN_NUM, INVALID_FAVENTRY);
            if (free_entry == list + MAX_FAVCHAN_NUM) {
                ch.fav_membership &= uint8_t(~bit);
                continue;
            }
            *free_entry = uint16_t(rel);
            ++db.system.fav_count[l];
        } else if (!(wanted & bit) && (old_groups & bit)) {
            uint16_t* entry = std::find(list, list + MAX_FAVCHAN_NUM, uint16_t(rel));
            if (entry == list + MAX_FAVCHAN_NUM)
                continue;
            *entry = INVALID_FAVENTRY;
            if (db.system.fav_count[l])
                --db.system.fav_count[l];
            if (entry - list < db.cursor.fav_cursor[l])
                --db.cursor.fav_cursor[l];
        }
    }
    if (!(ch.fav_membership & CH_FAV_GROUP_MASK))
        ch.fav_membership = 0;
    db.compact_favourite_lists();

    if (m_language.has_selection())
        db.language_bytes[m_target] = uint8_t((db.language_bytes[m_target] & 0xC0) | m_language.selection);
}

} // namespace korvid
