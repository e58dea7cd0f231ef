#pragma once
// The list scrolling that goes with a drag on the channel and favourite pages: a 100 ms timer that
// moves the list by one row while the mouse is above its top edge or near its bottom edge.
namespace korvid {

constexpr int DRAG_SCROLL_TIMER_ID = 1001;
constexpr int DRAG_SCROLL_INTERVAL_MS = 100;
constexpr int DRAG_SCROLL_BOTTOM_MARGIN = 10; // pixels

// Rows to scroll on one timer tick for a mouse at `y` in list coordinates (0 = top edge of a list
// `height` pixels tall): -1 up, 1 down, 0 none.
constexpr int drag_scroll_step(int y, int height)
{
    if (y < 0)
        return -1;
    return y >= height - DRAG_SCROLL_BOTTOM_MARGIN ? 1 : 0;
}

} // namespace korvid
