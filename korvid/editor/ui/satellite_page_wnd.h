#pragma once
// The "SAT" and "SEARCHED SAT" pages on screen: the tuner label and selector on top, the satellite
// list, the page buttons at the bottom and the context menu. Every event goes to the page model;
// the window then shows the model again.
#include "korvid/editor/ui/editor_page_wnd.h"

#include <functional>
#include <vector>

class QComboBox;
class QLabel;

namespace korvid {

class CEditorList;
class SatellitePageBase;
class SatellitePage;

class CSatellitePageWnd : public CEditorPageWnd
{
    Q_OBJECT
public:
    // `sat_page` is the "SAT" page model when `page` is one, so that Add exists; null otherwise.
    CSatellitePageWnd(SatellitePageBase& page, SatellitePage* sat_page, QWidget* parent = nullptr);

    void sync() override;

    CEditorList* list() const { return m_list; }
    QLabel* tuner_label() const { return m_tunerLabel; }
    QComboBox* tuner_combo() const { return m_tuner; }
    // Runs the action of a context menu entry, as choosing it does.
    void run_menu_entry(const QString& text);

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void act(const std::function<void()>& action);
    void show_context_menu(QPoint global_pos);
    void layout_controls();

    SatellitePageBase& m_page;
    SatellitePage* m_satPage;
    QLabel* m_tunerLabel;
    QComboBox* m_tuner;
    CEditorList* m_list;
};

} // namespace korvid
