#pragma once
// The "Favorite" page on screen: the group selector and "TV"/"Radio" on top, one favourite list
// whose rows are reordered by dragging one onto another, and "Modify" and "Rename" at the bottom.
// Every event goes to the page model; the window then shows the model again.
#include "korvid/editor/ui/list_page_wnd.h"

class QComboBox;
class QLabel;
class QRadioButton;

namespace korvid {

class FavoritePage;

class CFavoritePageWnd : public CListPageWnd
{
    Q_OBJECT
public:
    explicit CFavoritePageWnd(FavoritePage& page, QWidget* parent = nullptr);

    void sync() override;
    // "Modify", "Rename".

    QLabel* group_label() const { return m_groupLabel; }
    QComboBox* group_combo() const { return m_group; }
    QRadioButton* tv_button() const { return m_tv; }
    QRadioButton* radio_button() const { return m_radio; }

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void drop_rows(int start_row, int drop_row) override;
    void layout_controls();

    FavoritePage& m_page;
    QLabel* m_groupLabel;
    QComboBox* m_group;
    QRadioButton* m_tv;
    QRadioButton* m_radio;
};

} // namespace korvid
