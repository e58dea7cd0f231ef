#pragma once
// The pictures of the storage manager, drawn here with QPainter: the toolbar's 64 x 42 images in
// their normal, hot and disabled looks, and the program icon.
#include <QIcon>
#include <QPixmap>
#include <cstdint>

namespace dranfel::images {

enum class Look
{
    Normal,
    Hot,
    Disabled
};

QPixmap toolbar_image(uint32_t command, Look look);
// Normal as the icon's Normal mode, hot as Active (the pointer over it), disabled as Disabled.
QIcon toolbar_icon(uint32_t command);
QPixmap program_icon(int size);

} // namespace dranfel::images
