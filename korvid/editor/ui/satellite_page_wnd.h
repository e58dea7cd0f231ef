#pragma once
// The "SAT" and "SEARCHED SAT" pages on screen: the tuner label and selector on top, the satellite
// list, the page buttons at the bottom and the context menu. Every event goes to the page model;
// the window then shows the model again.
#include "korvid/editor/ui/list_page_wnd.h"

class QComboBox;
class QLabel;

namespace korvid {

class SatellitePageBase;

class CSatellitePageWnd : public CListPageWnd
{
    Q_OBJECT
public:
    explicit CSatellitePageWnd(SatellitePageBase& page, QWidget* parent = nullptr);

    void sync() override;

    QLabel* tuner_label() const { return m_tunerLabel; }
    QComboBox* tuner_combo() const { return m_tuner; }

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void layout_controls();

    SatellitePageBase& m_page;
    QLabel* m_tunerLabel;
    QComboBox* m_tuner;
};

} // namespace korvid
