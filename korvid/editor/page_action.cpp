#include "korvid/editor/page_action.h"

namespace korvid {

namespace {

enum class Place
{
    Button,
    Menu
};

const char* caption(PageAction action, Place place)
{
    switch (action) {
    case PageAction::Add:
        return "Add";
    case PageAction::Edit:
        return "Edit";
    case PageAction::Delete:
        return place == Place::Button ? "Del" : "Delete";
    case PageAction::Modify:
        return "Modify";
    case PageAction::Rename:
        return "Rename";
    case PageAction::UpdateTransponders:
        return "Update Transponders...";
    }
    return "";
}

std::vector<PageEntry> entries(std::span<const PageAction> actions, Place place)
{
    std::vector<PageEntry> out;
    for (PageAction a : actions)
        out.push_back({a, caption(a, place)});
    return out;
}

} // namespace

std::vector<PageEntry> page_buttons(std::span<const PageAction> actions)
{
    return entries(actions, Place::Button);
}

std::vector<PageEntry> page_menu(std::span<const PageAction> actions)
{
    return entries(actions, Place::Menu);
}

} // namespace korvid
