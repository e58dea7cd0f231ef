#pragma once
// The main window's pictures, drawn with QPainter at the sizes its layouts use: the frame pieces
// around the view, the command button faces, the caption buttons and the small full-screen logo.
#include "korvid/frame/frame_rules.h"

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QSize>

namespace korvid::frame_skin {

struct FramePieces
{
    QPixmap top, left, right, bottom;
    QPoint top_at, left_at, right_at, bottom_at;
};
// The four pieces of the downloader (101) or editor (134) layout; the editor's for a window of `size`.
FramePieces pieces(int layout, QSize size = QSize(699, 500));

// Button face of command button `index` (0..5): state 0 normal, 1 hovered, 2 pressed.
QPixmap command_button(int index, int state);
QPixmap caption_button(CaptionButton which, int side, bool hot);
// The 62 x 18 logo of the full-screen layout's top band: the emblem and the whole name.
QPixmap small_logo();
// Where and in which font the logo writes the name.
QRect small_logo_text_rect();
QFont small_logo_font();
// The round emblem left of the title in the top band.
QPixmap emblem(int side);

} // namespace korvid::frame_skin
