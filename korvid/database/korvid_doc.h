#pragma once
// The one document of the channel database tool: the file name, the modified flag, and every path by
// which a database file is opened or saved. It talks to the user only through Prompts.
#include "common/file_replacement/write_target.h"
#include "common/prompts.h"
#include "korvid/database/database.h"
#include "korvid/database/edit_history.h"

#include <functional>
#include <string>

namespace korvid {

class CKorvidDoc
{
public:
    CKorvidDoc(Database& db, common::Prompts& prompts);

    Database& database() { return m_db; }
    const std::string& file_name() const { return m_file_name; }
    void set_file_name(const std::string& name);
    bool is_modified() const { return m_modified; }
    void set_modified(bool modified = true);

    // What the desktop shows for the window: "NAME.ird - Korvid", with a mark after the name
    // while there are unsaved changes.
    std::string title() const;
    // The file's name as the title shows it ("list.ird*"); "" with no file and no changes.
    std::string display_name() const;
    // The undo history of the tables. Loads and receives start it again; saves move its "saved" mark.
    const EditHistory& history() const { return m_history; }
    // A change the user made was stored in the tables: it becomes one undo step named `label`, and
    // the tables are modified. False when the tables are as the last step left them: no step, and
    // the modified flag stays as it was, so that an edit that changed nothing needs no test of its own.
    bool record_change(const std::string& label);
    // One step back or forward. The modified flag follows: clear exactly when the tables are as
    // last saved or loaded. False when there was nothing to undo or redo.
    bool undo();
    bool redo();
    // The tables were replaced without the document (a test filling them, the window clearing them
    // at start-up): the history starts again from them, as saved when the flag is clear.
    void restart_history();
    // Called after every change of the history (a step recorded, undone or redone, a save, a load).
    std::function<void()> on_history_changed;

    // Called when the title changes (file name or modified flag).
    std::function<void()> on_title_changed;

    // Called whenever the tables were replaced or cleared (loaded, received, or failed their check),
    // so that every view shows them again.
    std::function<void()> on_new_database;

    static common::FileDialogSpec ird_dialog(bool for_saving);

    // File > Open on the editor page. A Yes to the save question whose save was cancelled or failed
    // ends it there, with the edits and the modified flag as they were.
    void open_from_menu();
    // A file named by the desktop ("Open with", a command line): File > Open with the file already
    // chosen, so that it opens under its name.
    void open_named(const std::string& path);
    // A file dropped on the window: no save question, the file name stays.
    void open_by_name(const std::string& path);
    // File > Save. True when the file was written.
    bool save();
    // The frame's own Save command.
    bool frame_save(bool on_editor_page);
    // File > Save As...: the chosen file becomes the document's file name.
    bool save_as();
    // The question before closing; false means the user chose Cancel, or chose Yes and the save did
    // not happen, so that closing never throws away unsaved edits.
    bool ask_save_changes();
    // After a receive: `image` holds the receiver-order image. Takes it back and, when valid, writes
    // it to `path`, which becomes the file name. Returns the take-back result (1 valid, 0 not).
    int save_received(const uint8_t* image, const std::string& path);
    // The system's reason why the last write failed ("No such file or directory", ...); empty after
    // a write that worked.
    const std::string& write_error() const { return m_write_error; }
    // What a save may replace: the command line's --force lets it part a file from its other hard
    // links without asking.
    void set_write_options(const common::WriteTargetOptions& options) { m_write_options = options; }

private:
    enum class SaveAnswer
    {
        Unmodified, // nothing to ask about
        Saved,      // Yes, and the file was written
        NotSaved,   // Yes, but the Save dialog was cancelled or the write failed
        Discarded,  // No
        Cancelled,  // Cancel
    };
    // "Save changes to file?" when there are unsaved changes, and the save that Yes asks for.
    SaveAnswer ask_save();
    // The question before an Open replaces the tables: false when the Open must not go on.
    bool may_open_over_tables();
    // The writer: on success clears the modified flag; on failure the old file and the flag stay.
    // A target the user may not write is refused with the reason and the offer to save it under
    // another name (then `path` becomes that name); one with other hard links is replaced only
    // when the user says so.
    bool write_to(std::string& path, const char* failure_message);
    // Shared tail of both opens: read the file, check the system code.
    void open_file(const std::string& path, bool from_menu);
    void database_changed();
    void history_changed();

    Database& m_db;
    common::Prompts& m_prompts;
    std::string m_file_name;
    bool m_modified = false;
    std::string m_write_error;
    common::WriteTargetOptions m_write_options;
    EditHistory m_history;
};

} // namespace korvid
