#pragma once
// The screenshots of the "TV" and "RADIO" pages and of the channel dialog (closed, and with the
// group box open), taken by korvid_editor_screenshots once the sample database is open.
#include <QRect>
#include <functional>

namespace common {
class Prompts;
}

namespace korvid {

class CDBView;
class CMainFrame;
class Database;

bool take_tv_pages_screenshots(CMainFrame& frame,
                               CDBView& view,
                               Database& db,
                               common::Prompts& prompts,
                               const std::function<bool(const char*, QRect)>& shot);

} // namespace korvid
