#pragma once
// The "Favorite" dialog on screen, bound to its model: "CHANNEL" on the left, "FAVORITE" on the
// right, ">>" and "<<" between them, the two info lines, OK and Cancel. Channels are also dragged
// from "CHANNEL" onto "FAVORITE", where the row under the mouse shows the drop place.
#include "korvid/editor/ui/editor_dialog.h"

#include <QPoint>

class QLabel;

namespace korvid {

class CBitmapButton;
class CDragList;
class FavoriteDialog;

class CFavoriteDlg : public CEditorDialog
{
    Q_OBJECT
public:
    CFavoriteDlg(FavoriteDialog& model, QWidget* parent = nullptr);

    // Shows the model's lists, selections, drop place and info lines.
    void sync() override;

    QLabel* heading() const { return m_heading; }
    CDragList* channel_list() const { return m_channels; }
    CDragList* favorite_list() const { return m_favorites; }
    CBitmapButton* add_button() const { return m_add; }
    CBitmapButton* remove_button() const { return m_remove; }
    QLabel* info_line(int line) const { return m_info[line ? 1 : 0]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool model_ok() override;
    void selection_changed(CDragList* list);
    void drag_over(QPoint global);
    void dropped(QPoint global);
    void show_info();

    FavoriteDialog& m_model;
    QLabel* m_heading;
    CDragList* m_channels;
    CDragList* m_favorites;
    CBitmapButton* m_add;
    CBitmapButton* m_remove;
    QLabel* m_info[2] = {};
    QPoint m_dragAt;
};

} // namespace korvid
