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
    modified_ = false;
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
        prompts_.info(ird_load_message(loaded, path));
        return;
    }
    std::optional<BusyCursor> busy;
    if (from_menu) {
        busy.emplace(prompts_);
        db_.clear();
    }
    read_database(db_, buffer.data(), g_BuyerCode, g_ModelCode);
    if (db_.is_valid()) {
        if (from_menu)
            file_name_ = path;
        db_.present = true;
        if (on_new_database)
            on_new_database();
    } else {
        prompts_.info(common::strfmt("syscode case %d(0x%04x)", from_menu ? 3 : 4, db_.system.syscode));
        db_.clear();
        prompts_.info("Wrong DB : syscode");
    }
}

bool CKorvidDoc::write_to(const std::string& path, const char* failure_message)
{
    if (!write_database_file(db_, g_BuyerCode, g_ModelCode, path)) {
        prompts_.info(failure_message);
        return false;
    }
    modified_ = false;
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
        prompts_.info("not db page");
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
    file_name_ = *chosen;
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
    if (!db_.take_back_image(image, prompts_))
        return 0;
    file_name_ = path;
    {
        BusyCursor busy(prompts_);
        write_to(path, "Can't save to this file");
    }
    db_.present = true;
    if (on_new_database)
        on_new_database();
    return 1;
}

} // namespace korvid
