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
    explicit BusyCursor(common::Prompts& p) : prompts_(p) { prompts_.set_busy(true); }
    ~BusyCursor() { prompts_.set_busy(false); }

private:
    common::Prompts& prompts_;
};

} // namespace

CKorvidDoc::CKorvidDoc(Database& db, common::Prompts& prompts)
    : db_(db)
    , prompts_(prompts)
{
}

void CKorvidDoc::set_file_name(const std::string& name)
{
    if (name == file_name_)
        return;
    file_name_ = name;
    if (on_title_changed)
        on_title_changed();
}

void CKorvidDoc::set_modified(bool modified)
{
    if (modified == modified_)
        return;
    modified_ = modified;
    if (on_title_changed)
        on_title_changed();
}

std::string CKorvidDoc::display_name() const
{
    std::string name = file_name_.substr(file_name_.find_last_of("/\\") + 1);
    if (name.empty()) {
        if (!modified_)
            return {};
        name = "Untitled";
    }
    return modified_ ? name + "*" : name;
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
    if (db_.present)
        ask_save_changes(); // whatever the answer, the Open goes on
    // The flag goes only with the tables it speaks of: a cancelled dialog or a file that cannot be
    // read leaves the edits in memory, and closing must still ask about them.
    auto path = prompts_.open_file(ird_dialog(false));
    if (!path)
        return;
    open_file(*path, true);
}

void CKorvidDoc::open_by_name(const std::string& path) { open_file(path, false); }

void CKorvidDoc::open_file(const std::string& path, bool from_menu)
{
    std::vector<uint8_t> buffer;
    IrdLoad loaded = load_ird_file(path, buffer);
    if (loaded != IrdLoad::Ok) {
        prompts_.error(ird_load_message(loaded, path));
        return;
    }
    std::optional<BusyCursor> busy;
    if (from_menu) {
        busy.emplace(prompts_);
        db_.clear();
    }
    read_database(db_, buffer.data(), g_BuyerCode, g_ModelCode);
    // The tables in memory have been replaced (or cleared), whatever the check says; a flag left
    // set would have Save write them over the file of the edits they replaced.
    set_modified(false);
    if (db_.is_valid()) {
        if (from_menu)
            set_file_name(path);
        db_.present = true;
    } else {
        prompts_.error(common::strfmt("syscode case %d(0x%04x)", from_menu ? 3 : 4, db_.system.syscode));
        db_.clear();
        prompts_.error("Wrong DB : syscode");
    }
    // Cleared tables are a change too: a page still listing the old rows would edit slots that
    // are free now.
    database_changed();
}

void CKorvidDoc::database_changed()
{
    if (on_new_database)
        on_new_database();
}

bool CKorvidDoc::write_to(const std::string& path, const char* failure_message)
{
    if (!write_database_file(db_, g_BuyerCode, g_ModelCode, path)) {
        prompts_.error(failure_message);
        return false;
    }
    set_modified(false);
    return true;
}

bool CKorvidDoc::save()
{
    std::string path = file_name_;
    if (path.empty()) {
        auto chosen = prompts_.save_file(ird_dialog(true));
        if (!chosen)
            return false;
        path = *chosen;
    }
    return write_to(path, "Can't save to this file");
}

bool CKorvidDoc::frame_save(bool on_editor_page)
{
    if (!on_editor_page) {
        prompts_.warning("not db page");
        return false;
    }
    BusyCursor busy(prompts_);
    return save();
}

bool CKorvidDoc::save_as()
{
    common::FileDialogSpec d = ird_dialog(true);
    d.initial_name = file_name_;
    auto chosen = prompts_.save_file(d);
    if (!chosen)
        return false;
    if (!write_to(*chosen, "Failed to save document."))
        return false;
    set_file_name(*chosen);
    return true;
}

bool CKorvidDoc::ask_save_changes()
{
    if (!modified_)
        return true;
    switch (prompts_.ask_yes_no_cancel("Save changes to file?")) {
    case common::Answer::Cancel:
        return false;
    case common::Answer::No:
        return true;
    case common::Answer::Yes:
        break;
    }
    return save();
}

int CKorvidDoc::save_received(const uint8_t* image, const std::string& path)
{
    if (!db_.take_back_image(image, prompts_)) {
        database_changed();
        return 0;
    }
    set_file_name(path);
    {
        BusyCursor busy(prompts_);
        write_to(path, "Can't save to this file");
    }
    db_.present = true;
    database_changed();
    return 1;
}

} // namespace korvid
