#pragma once
// What the main frame asks of the view it shows, beyond being a widget, and the command ids the
// frame sends it. The editor view implements it to take the commands it owns (Show All DB Data) and
// to refresh after a database was loaded or received; a view that does not implement it gets the
// frame's defaults.
#include "korvid/frame/frame_commands.h"

#include <cstdint>
#include <functional>

class QWidget;

namespace korvid {

class FrameView
{
public:
    virtual ~FrameView() = default;
    // True when the view handled the command; false lets the frame do its default.
    virtual bool on_frame_command(uint32_t /*id*/) { return false; }
    // A new database is in memory.
    virtual void refresh() {}
};

// Makes the editor-mode view (layout 134 or 255) as a child of `parent`.
using EditorViewFactory = std::function<QWidget*(QWidget* parent, int layout)>;

} // namespace korvid
