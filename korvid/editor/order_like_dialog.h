#pragma once
// File > "Order Like..." in the editor: another database chosen as the reference, what putting the
// channels in its order would do shown before anything changes, and the reorder as one undo step.
// The matching, the reorder and the summary's texts are the core's (korvid/database/order_like.h).
#include "common/prompts.h"
#include "korvid/database/order_like.h"
#include "korvid/editor/check_state.h"

#include <string>
#include <vector>

namespace korvid {

class EditorContext;

// The summary before applying: the counts and the first channels nothing matched, and whether the
// favourite groups are taken over too (not ticked when it opens: the lists are the user's).
class OrderLikeDialog
{
public:
    static constexpr const char* CAPTION = "Order Like";
    // "&" before the letter that Alt picks it with; not F, which the main window's File menu has.
    static constexpr const char* CHECK_FAVOURITES = "Favourite &groups too";

    OrderLikeDialog(const std::string& reference_path, const OrderLikePlan& plan);

    // "Order the channels like sample.json"
    const std::string& heading() const { return m_heading; }
    const std::vector<std::string>& summary() const { return m_summary; }
    const CheckState& favourites() const { return m_favourites; }
    void set_favourites(bool on) { m_favourites.checked = on; }

private:
    std::string m_heading;
    std::vector<std::string> m_summary;
    CheckState m_favourites;
};

// The whole command: the file dialog (.ird or .json), the file read (a file that is not a database
// is named with the reason and nothing happens), the summary dialog, and on OK the reorder recorded
// as "Order like NAME". True when the tables changed.
bool order_like_command(EditorContext& ctx);

// The file dialog of the command: channel lists as .ird files or as the JSON text dump writes.
common::FileDialogSpec order_like_file_dialog();

} // namespace korvid
