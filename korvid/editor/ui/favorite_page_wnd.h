#pragma once
// The "Favorite" page on screen: the group selector and "TV"/"Radio" on top, one favourite list
// whose rows are reordered by dragging one onto another, and "Modify" and "Rename" at the bottom.
// Every event goes to the page model; the window then shows the model again.
#include "korvid/editor/ui/editor_page_wnd.h"

#include <QPoint>

class QComboBox;
class QLabel;
class QRadioButton;

namespace korvid {

class CDragList;
class FavoritePage;

class CFavoritePageWnd : public CEditorPageWnd
{
    Q_OBJECT
public:
    explicit CFavoritePageWnd(FavoritePage& page, QWidget* parent = nullptr);

    void sync() override;

    QLabel* group_label() const { return m_groupLabel; }
    QComboBox* group_combo() const { return m_group; }
    QRadioButton* tv_button() const { return m_tv; }
    QRadioButton* radio_button() const { return m_radio; }
    CDragList* list() const { return m_list; }

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void act(const std::function<void()>& action);
    void drag_moved(QPoint global);
    void dropped(QPoint global);
    void layout_controls();

    FavoritePage& m_page;
    QLabel* m_groupLabel;
    QComboBox* m_group;
    QRadioButton* m_tv;
    QRadioButton* m_radio;
    CDragList* m_list;
    int m_draggedRow = -1;
    QPoint m_dragAt;
};

} // namespace korvid
