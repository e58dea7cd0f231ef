#pragma once
// Rows of an editor list moved by the mouse: a press on a row and a move past the drag distance start
// a drag of the selected rows; a picture of the row follows the mouse; while the mouse stays above
// the list's top edge or near its bottom edge a 100 ms timer scrolls the list one row per tick; the
// button released over the list reports the drop row. The list itself decides nothing: the page
// hands the report to its model.
#include <QObject>
#include <QPoint>
#include <QTimer>

class QLabel;

namespace korvid {

class CEditorList;

class CRowDrag : public QObject
{
    Q_OBJECT
public:
    explicit CRowDrag(CEditorList* list);
    ~CRowDrag() override;

    bool dragging() const { return m_dragging; }
    const QTimer& scroll_timer() const { return m_scroll; }

signals:
    // The drag that started on `start_row` ended over the list on `drop_row`, already limited to the
    // rows present.
    void dropped(int start_row, int drop_row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void begin();
    void follow(QPoint viewport_pos);
    void finish(QPoint viewport_pos);
    void scroll_tick();
    int drop_row_at(QPoint viewport_pos) const;
    void reset();

    CEditorList* m_list;
    QTimer m_scroll;
    QLabel* m_image = nullptr;
    int m_pressRow = -1;
    QPoint m_pressPos;
    QPoint m_lastPos; // viewport coordinates
    bool m_dragging = false;
};

} // namespace korvid
