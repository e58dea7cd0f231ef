#pragma once
// What the "TV" and "RADIO" pages share: the "DB" combo of the satellites that carry channels of the
// page's type, the channel list filtered by the current satellite, the status line and audio PID
// combo of one selected row, Add with its duplicate and twin-channel search, Edit, Delete, the view
// sort by name and the move by drag and drop. The pages differ in their type (which decides the
// video PID column and what the "LOCK" column shows), the audio combo, and how Edit stores the record.
#include "korvid/editor/combo_state.h"
#include "korvid/editor/editor_context.h"
#include "korvid/editor/editor_page.h"
#include "korvid/editor/list_state.h"
#include "korvid/editor/page_action.h"

#include <string>
#include <vector>

namespace korvid {

class ChannelPageBase : public EditorPage
{
public:
    enum class NameSort
    {
        None,
        Descending,
        Ascending
    };

    ChannelPageBase(EditorContext& ctx, int type);

    int type() const { return m_type; }
    bool tv() const { return m_type == SERVICE_TV; }
    virtual const char* caption() const = 0;
    virtual const char* audio_label() const = 0;
    const char* db_label() const { return "DB"; }
    std::vector<PageEntry> buttons() const { return page_buttons(ADD_EDIT_DELETE); }
    std::vector<PageEntry> context_menu() const { return page_menu(ADD_EDIT_DELETE); }
    // What a button, a menu entry or a key asks for.
    void run(PageAction action) { run_add_edit_delete(*this, action); }

    const ComboState& db_combo() const { return m_db_combo; }
    // The satellite id behind each "DB" entry; INVALID_SATID for "All".
    const std::vector<int>& db_ids() const { return m_db_ids; }
    const ListState& list() const { return m_list; }
    const std::string& status_line() const { return m_status; }
    const ComboState& audio_combo() const { return m_audio_combo; }
    // The global index of the channel whose row is remembered, -1 when none.
    int remembered_item() const { return m_remembered; }
    NameSort name_sort() const { return m_sort; }
    // The column whose header shows the sort direction.
    static constexpr int NAME_COLUMN = 1;

    // The tab was selected: the list returns to slot order, then everything is rebuilt.
    void refresh() override;
    // A remembered channel of the old database means nothing in the new one.
    void on_new_database() override;
    // The text of the filter box changed: the list keeps the rows that show it, in the same order.
    void set_filter(std::string text);
    bool choose_db(int entry);
    // The user looks at another PID of the selected channel; nothing else changes.
    bool choose_audio(int entry) { return m_audio_combo.choose(entry); }
    // The list's selection changed; with exactly one row it is remembered and described.
    void select_rows(std::vector<int> rows);
    void click_row(int row);
    void double_click_row(int row);
    void add();
    void edit();
    // "Del" button, "Delete" menu entry or the Delete key.
    void remove();
    void click_name_header();
    // The selected rows were dragged from `start_row` and the button released over `drop_row` of
    // this list (any row number; it is limited to the rows present). Returns true when channels moved.
    bool drag_and_drop(int start_row, int drop_row);

    // The slot a duplicate search finds for a new record on this page's type, as Add runs it.
    struct SearchResult
    {
        int duplicate = -1; // global index of a channel that is the same; Add stores nothing
        int twin = -1;      // global index of the same channel on the other tuner half
    };
    static SearchResult search_duplicates(const Database& db, int type, const tChannelStructure& rec);

protected:
    virtual std::vector<std::string> audio_entries(const tChannelStructure& ch) const = 0;
    // Turns the dialog's record into what Edit stores over `stored`.
    virtual tChannelStructure edited_record(const tChannelStructure& stored, tChannelStructure rec) const = 0;

    // The "LOCK" column: "lock", or on the radio list also "skip".
    std::string lock_text(const tChannelStructure& ch) const;

    EditorContext& m_ctx;

private:
    // Rebuilds combo and list keeping the name sort, as Add, Delete, a drop and the "DB" combo do.
    void reload();
    void fill_db_combo();
    void fill_list();
    void apply_sort();
    ListState::Row make_row(int row_number, int global_index) const;
    void describe(int global_index);
    // Selects and shows the row of a channel, describing it; returns the row or -1.
    int show_item(int global_index);
    int first_free_slot() const;

    const int m_type;
    ComboState m_db_combo;
    std::vector<int> m_db_ids;
    ListState m_list;
    std::string m_status;
    ComboState m_audio_combo;
    int m_remembered = -1;
    NameSort m_sort = NameSort::None;
};

} // namespace korvid
