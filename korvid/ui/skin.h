#pragma once
// The pictures of Korvid's windows, drawn here with QPainter instead of shipped as bitmaps, and the
// program's fonts. Each picture is made once at the size its window asks for and kept.
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace korvid::skin {

// The program's shared font: Arial, 15 pixels (falls back to a metric twin where Arial is absent).
QFont app_font();
// Arial of the given pixel height and weight, with the same fallbacks.
QFont arial(int pixel_height, int weight = QFont::Normal);

// A rounded dialog body: light title strip on top (height `title_height`), a deep blue panel
// below it for white text, a thin frame. The body of every CSkinnedDialog.
QPixmap dialog_background(QSize size, int title_height = 30);
// The 16 x 16 close spot of the self-drawn dialogs.
QPixmap close_box(bool hot);

// A button face of `size` with its text: state 0 normal, 1 pressed, 2 disabled, 3 hovered.
QPixmap button_face(QSize size, const QString& text, int state);

// The fill of the percentage bar: a glossy strip meant to be stretched.
QPixmap progress_fill();
// The "busy" picture shown while the receiver writes its flash.
QPixmap busy_picture();
// Small pictures: a receiver and a PC with arrows (DB Transfer), a satellite dish over a receiver
// (About box).
QPixmap transfer_picture();
QPixmap about_picture();

} // namespace korvid::skin
