#pragma once
// How the editor's pages look: the page background, the list header drawn on its own colour with
// the sort triangle, the small picture in front of every row, and the page buttons whose window is
// cut to their rounded face.
#include "korvid/ui/bitmap_button.h"

#include <QColor>
#include <QHeaderView>
#include <QPixmap>

namespace korvid {

namespace editor_look {

inline QColor page_background()
{
    return QColor(235, 240, 245);
}
inline QColor header_background()
{
    return QColor(60, 190, 230);
}
// The row picture, 16 x 16, transparent where the picture has no ink.
QPixmap row_picture();
// Pages and the editor's dialogs fill their background with the page colour.
void use_page_background(QWidget* w);

} // namespace editor_look

// A list header that draws every caption on the header colour, and on the sorted column a small
// triangle pointing up for ascending and down for descending order.
class CListHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit CListHeader(QWidget* parent = nullptr);
    // A strip this high above the captions is left to a widget laid over it (the list's filter box).
    void set_top_strip(int pixels) { m_topStrip = pixels; }
    // The triangle where the page's sort is: `direction` +1 ascending, -1 descending, 0 none. Only
    // this moves it; a click on a caption does not.
    void set_sort(int column, int direction);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void show_sort();

    int m_topStrip = 0;
    int m_sortColumn = 0;
    int m_sortDirection = 0;
};

// "Add", "Edit", "Del" and the like: the skin's button face with the active look under the mouse,
// and a window shape that ends where the rounded face ends.
class CPageButton : public CBitmapButton
{
    Q_OBJECT
public:
    explicit CPageButton(const QString& text, QWidget* parent = nullptr);
    static constexpr int WIDTH = 80;
    static constexpr int HEIGHT = 34;
    // WIDTH, or wider for a caption that would not fit.
    int page_width() const;

protected:
    void resizeEvent(QResizeEvent*) override;
};

} // namespace korvid
