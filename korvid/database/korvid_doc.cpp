#include "korvid/database/korvid_doc.h"

#include "common/strfmt.h"
#include "korvid/database/codes.h"
#include "korvid/database/ird_file.h"

#include <optional>
#include <vector>

namespace korvid {

namespace {

// Shows the wait cursor for as long as it lives.
class BusyCursor
{
public:
    explicit BusyCursor(common::Prompts& p)
        : m_prompts(p)
    {
        m_prompts.set_busy(true);
    }
    ~BusyCursor() { m_prompts.set_busy(false); }

private:
    common::Prompts& m_prompts;
};

} // namespace

CKorvidDoc::CKorvidDoc(Database& db, common::Prompts& prompts)
    : m_db(db)
    , m_prompts(prompts)
{
    m_history.reset(m_db, true);
}

bool CKorvidDoc::record_change(const std::string& label)
{
    if (!m_history.record(m_db, label))
        return false;
    set_modified(true);
    history_changed();
    return true;
}

bool CKorvidDoc::undo()
{
    if (!m_history.undo(m_db))
        return false;
    set_modified(!m_history.at_saved());
    history_changed();
    return true;
}

bool CKorvidDoc::redo()
{
    if (!m_history.redo(m_db))
        return false;
    set_modified(!m_history.at_saved());
    history_changed();
    return true;
}

void CKorvidDoc::restart_history()
{
    m_history.reset(m_db, !m_modified);
    history_changed();
}

void CKorvidDoc::history_changed()
{
    if (on_history_changed)
        on_history_changed();
}

void CKorvidDoc::set_file_name(const std::string& name)
{
    if (name == m_file_name)
        return;
    m_file_name = name;
    if (on_title_changed)
        on_title_changed();
}

void CKorvidDoc::set_modified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    if (on_title_changed)
        on_title_changed();
}

std::string CKorvidDoc::display_name() const
{
    std::string name = m_file_name.substr(m_file_name.find_last_of("/\\") + 1);
    if (name.empty()) {
        if (!m_modified)
            return {};
        name = "Untitled";
    }
    return m_modified ? name + "*" : name;
}

std::string CKorvidDoc::title() const
{
    const std::string name = display_name();
    return name.empty() ? std::string("Korvid") : name + " - Korvid";
}

common::FileDialogSpec CKorvidDoc::ird_dialog(bool for_saving)
{
    common::FileDialogSpec d;
    d.default_extension = ".ird";
    d.filter = "IRD Files (*.ird)|*.ird|All Files (*.*)|*.*||";
    d.prompt_overwrite = for_saving;
    return d;
}

void CKorvidDoc::open_from_menu()
{
    if (!may_open_over_tables())
        return;
    // The flag goes only with the tables it speaks of: a cancelled dialog or a file that cannot be
    // read leaves the edits in memory, and closing must still ask about them.
    auto path = m_prompts.open_file(ird_dialog(false));
    if (!path)
        return;
    open_file(*path, true);
}

void CKorvidDoc::open_named(const std::string& path)
{
    if (!may_open_over_tables())
        return;
    open_file(path, true);
}

bool CKorvidDoc::may_open_over_tables()
{
    if (!m_db.present)
        return true;
    // No and Cancel go on to the Open as they always have; the edits stay until a file replaces
    // them. A Yes whose save was cancelled or failed stops here: going on would throw away the
    // very edits the user asked to keep.
    return ask_save() != SaveAnswer::NotSaved;
}

void CKorvidDoc::open_by_name(const std::string& path)
{
    open_file(path, false);
}

void CKorvidDoc::open_file(const std::string& path, bool from_menu)
{
    std::vector<uint8_t> buffer;
    IrdLoad loaded = load_ird_file(path, buffer);
    if (loaded != IrdLoad::Ok) {
        m_prompts.error(ird_load_message(loaded, path));
        return;
    }
    std::optional<BusyCursor> busy;
    if (from_menu) {
        busy.emplace(m_prompts);
        m_db.clear();
    }
    read_database(m_db, buffer.data(), g_BuyerCode, g_ModelCode);
    // The tables in memory have been replaced (or cleared), whatever the check says; a flag left
    // set would have Save write them over the file of the edits they replaced.
    set_modified(false);
    if (m_db.is_valid()) {
        if (from_menu)
            set_file_name(path);
        m_db.present = true;
    } else {
        m_prompts.error(common::strfmt("syscode case %d(0x%04x)", from_menu ? 3 : 4, m_db.system.syscode));
        m_db.clear();
        m_prompts.error("Wrong DB : syscode");
    }
    // Cleared tables are a change too: a page still listing the old rows would edit slots that
    // are free now.
    database_changed();
}

void CKorvidDoc::database_changed()
{
    // Steps of other tables cannot be undone over these.
    restart_history();
    if (on_new_database)
        on_new_database();
}

bool CKorvidDoc::write_to(std::string& path, const char* failure_message)
{
    m_write_error.clear();
    common::WriteTargetOptions options = m_write_options;
    common::TargetRefusal refusal = common::TargetRefusal::None;
    bool ok = write_database_file(m_db, g_BuyerCode, g_ModelCode, path, &m_write_error, options, &refusal);
    if (!ok && refusal == common::TargetRefusal::HardLinked &&
        m_prompts.ask_yes_no(path + ": " + m_write_error + ".\nReplace it anyway?")) {
        options.detach_hard_links = true;
        m_write_error.clear();
        ok = write_database_file(m_db, g_BuyerCode, g_ModelCode, path, &m_write_error, options, &refusal);
    }
    if (!ok &&
        (refusal == common::TargetRefusal::ReadOnly || refusal == common::TargetRefusal::FolderNotWritable)) {
        if (!m_prompts.ask_yes_no(std::string(failure_message) + "\n" + path + ": " + m_write_error +
                                  "\n\nSave it under another name?"))
            return false;
        common::FileDialogSpec d = ird_dialog(true);
        d.initial_name = path;
        auto chosen = m_prompts.save_file(d);
        if (!chosen)
            return false;
        path = *chosen;
        return write_to(path, failure_message);
    }
    if (!ok) {
        m_prompts.error(failure_message);
        return false;
    }
    m_history.mark_saved();
    set_modified(false);
    history_changed();
    return true;
}

bool CKorvidDoc::save()
{
    std::string path = m_file_name;
    if (path.empty()) {
        auto chosen = m_prompts.save_file(ird_dialog(true));
        if (!chosen)
            return false;
        path = *chosen;
    }
    const std::string chosen = path;
    if (!write_to(path, "Can't save to this file"))
        return false;
    // A new name chosen here is not the document's; one chosen because the old file could not be
    // written is where the document now lives.
    if (path != chosen)
        set_file_name(path);
    return true;
}

bool CKorvidDoc::frame_save(bool on_editor_page)
{
    if (!on_editor_page) {
        m_prompts.warning("not db page");
        return false;
    }
    BusyCursor busy(m_prompts);
    return save();
}

bool CKorvidDoc::save_as()
{
    common::FileDialogSpec d = ird_dialog(true);
    d.initial_name = m_file_name;
    auto chosen = m_prompts.save_file(d);
    if (!chosen)
        return false;
    std::string path = *chosen;
    if (!write_to(path, "Failed to save document."))
        return false;
    set_file_name(path);
    return true;
}

CKorvidDoc::SaveAnswer CKorvidDoc::ask_save()
{
    if (!m_modified)
        return SaveAnswer::Unmodified;
    switch (m_prompts.ask_yes_no_cancel("Save changes to file?")) {
    case common::Answer::Cancel:
        return SaveAnswer::Cancelled;
    case common::Answer::No:
        return SaveAnswer::Discarded;
    case common::Answer::Yes:
        break;
    }
    return save() ? SaveAnswer::Saved : SaveAnswer::NotSaved;
}

bool CKorvidDoc::ask_save_changes()
{
    const SaveAnswer answer = ask_save();
    return answer != SaveAnswer::Cancelled && answer != SaveAnswer::NotSaved;
}

int CKorvidDoc::save_received(const uint8_t* image, const std::string& path)
{
    if (!m_db.take_back_image(image, m_prompts)) {
        database_changed();
        return 0;
    }
    std::string target = path;
    {
        BusyCursor busy(m_prompts);
        write_to(target, "Can't save to this file");
    }
    set_file_name(target);
    m_db.present = true;
    database_changed();
    return 1;
}

} // namespace korvid
