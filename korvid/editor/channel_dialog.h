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

    // `target` is the global slot the record belongs to (the first free slot in add mode);
    // `current_sat` is the editor's current satellite, which add mode preselects.
    ChannelDialog(const Database& db, Mode mode, int target, int current_sat, common::Prompts& prompts);

    Mode mode() const { return mode_; }
    int target() const { return target_; }
    bool radio() const { return type_ == SERVICE_RADIO; }
    const char* caption() const { return radio() ? "Radio Channel" : "TV Channel"; }

    const EditState& name_edit() const { return name_; }
    const ComboState& sat_combo() const { return sat_; }
    // The satellite slot (0 to 63) behind each "SAT" entry.
    const std::vector<int>& sat_ids() const { return sat_ids_; }
    const ComboState& tp_combo() const { return tp_; }
    // The first-half transponder behind each "TP Info." entry.
    const std::vector<int>& tp_ids() const { return tp_ids_; }
    const GroupCheckCombo& group_combo() const { return groups_; }
    const CheckState& lock_check() const { return lock_; }
    const CheckState& scramble_check() const { return scramble_; }
    const EditState& video_pid_edit() const { return video_; }
    const EditState& audio_pid_edit() const { return audio_; }
    const EditState& pcr_pid_edit() const { return pcr_; }
    const ComboState& language_combo() const { return language_; }
    const EditState& sid_edit() const { return sid_; }

    // What the user does; input to a disabled control is ignored and returns false.
    void type_name(const std::string& text) { name_.type(text); }
    bool choose_sat(int entry);
    bool choose_tp(int entry);
    bool toggle_group(int entry) { return groups_.toggle(entry); }
    void set_lock(bool checked) { lock_.checked = checked; }
    void set_scramble(bool checked) { scramble_.checked = checked; }
    bool type_video_pid(const std::string& text);
    void type_audio_pid(const std::string& text) { audio_.type(text); }
    void type_pcr_pid(const std::string& text) { pcr_.type(text); }
    // The spin buttons step a PID edit within 32 to 8191.
    bool spin_video_pid(int steps);
    void spin_audio_pid(int steps) { spin(audio_, steps); }
    void spin_pcr_pid(int steps) { spin(pcr_, steps); }
    bool choose_language(int entry);

    // OK: true when the dialog closes and record() holds the result; false when a message was shown
    // and the dialog stays open.
    bool ok();
    // The channel as OK built it. Its transponder index is a first-half index; the page moves it into
    // the right half. Its membership is the checked groups.
    const tChannelStructure& record() const { return record_; }
    uint8_t wanted_membership() const { return record_.fav_membership; }
    // The language index chosen, or -1 when none is selected.
    int chosen_language() const { return language_.selection; }

    // Once the page has stored record() (with its final transponder and attributes) at target():
    // brings the favourite lists in line with the wanted groups and writes the language byte.
    // A group whose list is full keeps the channel out and its membership bit clear, so bit and list
    // agree. Returns true when a favourite list or the language byte changed.
    bool store(Database& db) const;

private:
    void fill_tp(bool with_pol_label, int preselect_tp);
    static void spin(EditState& edit, int steps);
    bool check_pid(const EditState& edit, int max, long& value) const;

    const Database& db_;
    const Mode mode_;
    const int target_;
    const int type_;
    common::Prompts& prompts_;
    tChannelStructure record_;
    uint8_t old_membership_;
    uint16_t audio_attr_bits_; // bits 13-15 of the first audio PID as opened

    EditState name_;
    ComboState sat_;
    std::vector<int> sat_ids_;
    ComboState tp_;
    std::vector<int> tp_ids_;
    GroupCheckCombo groups_;
    CheckState lock_, scramble_;
    EditState video_, audio_, pcr_;
    ComboState language_;
    EditState sid_;
};

} // namespace korvid
