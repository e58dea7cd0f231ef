#pragma once
// "Order Like" on screen: what ordering the channels like the chosen file would do, the "Favourite
// groups too" box, OK and Cancel (Enter and Escape; Alt+G ticks the box).
#include "korvid/editor/ui/editor_dialog.h"

class QCheckBox;
class QLabel;

namespace korvid {

class OrderLikeDialog;

class COrderLikeDlg : public CEditorDialog
{
    Q_OBJECT
public:
    COrderLikeDlg(OrderLikeDialog& model, QWidget* parent = nullptr);

    void sync() override;

    QLabel* summary() const { return m_summary; }
    QCheckBox* favourites_box() const { return m_favourites; }

private:
    bool model_ok() override { return true; }

    OrderLikeDialog& m_model;
    QLabel* m_summary;
    QCheckBox* m_favourites;
};

} // namespace korvid
