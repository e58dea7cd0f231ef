#pragma once
// What a page's buttons, context menu and keys ask of it. A window hands the page model the action,
// never the words on the button, so that a caption may differ between button and menu (the button
// says "Del") and a new action is a value here, its captions, an entry in the page's lists and a
// case in the page's run().
#include <span>
#include <string>
#include <vector>

namespace korvid {

enum class PageAction
{
    Add,
    Edit,
    Delete,
    Modify,
    Rename,
    UpdateTransponders,
};

// A page button or context menu entry: what it does and what it says.
struct PageEntry
{
    PageAction action;
    std::string caption;

    bool operator==(const PageEntry&) const = default;
};

// The buttons along a page's bottom edge, narrow enough for "Del", and the entries of its context
// menu, in the order given.
std::vector<PageEntry> page_buttons(std::span<const PageAction> actions);
std::vector<PageEntry> page_menu(std::span<const PageAction> actions);

// What the pages that add, edit and delete their rows offer ("TP", "TV", "RADIO").
inline constexpr PageAction ADD_EDIT_DELETE[] = {PageAction::Add, PageAction::Edit, PageAction::Delete};

// Add, Edit and Delete on a page model that has add(), edit() and remove(); other actions are not
// its own and do nothing.
template <class Page> void run_add_edit_delete(Page& page, PageAction action)
{
    switch (action) {
    case PageAction::Add:
        page.add();
        break;
    case PageAction::Edit:
        page.edit();
        break;
    case PageAction::Delete:
        page.remove();
        break;
    default:
        break;
    }
}

} // namespace korvid
