#pragma once
// The "TP" page on screen: the "DB" label and combo on top, the transponder list, the page buttons
// at the bottom and the context menu. Every event goes to the page model; the window then shows the
// model again.
#include "korvid/editor/ui/list_page_wnd.h"

class QComboBox;
class QLabel;

namespace korvid {

class TransponderPage;

class CTransponderPageWnd : public CListPageWnd
{
    Q_OBJECT
public:
    explicit CTransponderPageWnd(TransponderPage& page, QWidget* parent = nullptr);

    void sync() override;
    // "Add", "Edit", "Delete".

    QLabel* db_label() const { return m_dbLabel; }
    QComboBox* db_combo() const { return m_db; }

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void layout_controls();

    TransponderPage& m_page;
    QLabel* m_dbLabel;
    QComboBox* m_db;
};

} // namespace korvid
