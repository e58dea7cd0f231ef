#pragma once
// The channel dialog as a model, shared by the "TV" and "RADIO" pages. It works on a working copy
// of one channel record and never writes the database while open: OK builds the record and the
// wanted favourite groups, and the page hands them to store() only once it has decided to keep the
// channel, so a refused Add leaves nothing behind in the favourite lists.
#include "common/prompts.h"
#include "korvid/database/database.h"
#include "korvid/editor/check_state.h"
#include "korvid/editor/combo_state.h"
#include "korvid/editor/edit_state.h"
#include "korvid/editor/group_check_combo.h"

#include <string>
#include <vector>

namespace korvid {

class ChannelDialog
{
public:
    enum Mode
    {
        ADD,
        EDIT
    };
    static constexpr size_t NAME_CHARS = 13;
    static constexpr int PID_MIN = 32;
    static constexpr int PID_MAX = 8191;
    // A radio channel has no video; its disabled edit holds INVALID_PID, which must pass.
    static constexpr int RADIO_VIDEO_PID_MAX = 32767;
    // Shown in every PID edit of a new channel.
    static constexpr int NEW_PID_TEXT = 8191;
    // The fixed texts of the dialog's labels, groups and buttons.
    static constexpr const char* LABEL_NAME = "Name";
    static constexpr const char* LABEL_SAT = "SAT";
    static constexpr const char* LABEL_TP = "TP Info.";
    static constexpr const char* GROUP_FAVORITE = "Favorite Group";
    static constexpr const char* LABEL_GROUPS = "Group Selection";
    static constexpr const char* GROUP_ATTRIBUTE = "Attribute";
    static constexpr const char* CHECK_LOCK = "Lock";
    static constexpr const char* CHECK_SCRAMBLE = "Scramble";
    static constexpr const char* LABEL_VIDEO_PID = "Video PID (Dec)";
    static constexpr const char* LABEL_AUDIO_PID = "Audio PID (Dec)";
    static constexpr const char* LABEL_PCR_PID = "PCR PID (Dec)";
    static constexpr const char* LABEL_LANGUAGE = "Audio Language";
    static constexpr const char* LABEL_SID = "SID";
    static constexpr const char* BUTTON_OK = "OK";
    static constexpr const char* BUTTON_CANCEL = "Cancel";

    // `target` is the global slot the record belongs to (the first free slot in add mode);
    // `current_sat` is the editor's current satellite, which add mode preselects.
    ChannelDialog(const Database& db, Mode mode, int target, int current_sat, common::Prompts& prompts);

    Mode mode() const { return m_mode; }
    int target() const { return m_target; }
    bool radio() const { return m_type == SERVICE_RADIO; }
    const char* caption() const { return radio() ? "Radio Channel" : "TV Channel"; }

    const EditState& name_edit() const { return m_name; }
    const ComboState& sat_combo() const { return m_sat; }
    const ComboState& tp_combo() const { return m_tp; }
    const GroupCheckCombo& group_combo() const { return m_groups; }
    const CheckState& lock_check() const { return m_lock; }
    const CheckState& scramble_check() const { return m_scramble; }
    const EditState& video_pid_edit() const { return m_video; }
    const EditState& audio_pid_edit() const { return m_audio; }
    const EditState& pcr_pid_edit() const { return m_pcr; }
    const ComboState& language_combo() const { return m_language; }
    const EditState& sid_edit() const { return m_sid; }

    // What the user does; input to a disabled control is ignored and returns false.
    void type_name(const std::string& text) { m_name.type(text); }
    bool choose_sat(int entry);
    bool choose_tp(int entry);
    bool toggle_group(int entry) { return m_groups.toggle(entry); }
    // The separator of the user's locale that the closed group box joins the checked names with.
    void set_list_separator(std::string separator) { m_groups.list_separator = std::move(separator); }
    void set_lock(bool checked) { m_lock.checked = checked; }
    void set_scramble(bool checked) { m_scramble.checked = checked; }
    bool type_video_pid(const std::string& text);
    void type_audio_pid(const std::string& text) { m_audio.type(text); }
    void type_pcr_pid(const std::string& text) { m_pcr.type(text); }
    // The spin buttons step a PID edit within 32 to 8191.
    bool spin_video_pid(int steps);
    void spin_audio_pid(int steps) { spin(m_audio, steps); }
    void spin_pcr_pid(int steps) { spin(m_pcr, steps); }
    bool choose_language(int entry);

    // OK: true when the dialog closes and record() holds the result; false when a message was shown
    // and the dialog stays open.
    bool ok();
    // The channel as OK built it. Its transponder index is a first-half index; the page moves it into
    // the right half. Its membership is the checked groups.
    const tChannelStructure& record() const { return m_record; }

    // Once the page has stored record() (with its final transponder and attributes) at target():
    // brings the favourite lists in line with the wanted groups and writes the language byte.
    // A group whose list is full keeps the channel out and its membership bit clear, so bit and list
    // agree.
    void store(Database& db) const;

private:
    void fill_tp(bool with_pol_label, int preselect_tp);
    static void spin(EditState& edit, int steps);
    bool check_pid(const EditState& edit, int max, long& value) const;

    const Database& m_db;
    const Mode m_mode;
    const int m_target;
    const int m_type;
    common::Prompts& m_prompts;
    tChannelStructure m_record;
    uint8_t m_old_membership;
    uint16_t m_audio_attr_bits; // bits 13-15 of the first audio PID as opened

    EditState m_name;
    ComboState m_sat;
    std::vector<int> m_sat_ids;
    ComboState m_tp;
    std::vector<int> m_tp_ids;
    GroupCheckCombo m_groups;
    CheckState m_lock, m_scramble;
    EditState m_video, m_audio, m_pcr;
    ComboState m_language;
    EditState m_sid;
};

} // namespace korvid
