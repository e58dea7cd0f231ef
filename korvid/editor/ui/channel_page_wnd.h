#pragma once
// The "TV" and "RADIO" pages on screen: the "DB" combo and the selected channel's audio PIDs on top,
// the channel list with the name sort in its header and rows moved by drag and drop inside it, the page
// buttons and the status line at the bottom, and the context menu. Every event goes to the page
// model; the window then shows the model again.
#include "korvid/editor/ui/list_page_wnd.h"

class QComboBox;
class QLabel;

namespace korvid {

class ChannelPageBase;

class CChannelPageWnd : public CListPageWnd
{
    Q_OBJECT
public:
    explicit CChannelPageWnd(ChannelPageBase& page, QWidget* parent = nullptr);

    void sync() override;

    QComboBox* db_combo() const { return m_db; }
    QComboBox* audio_combo() const { return m_audio; }
    QLabel* audio_label() const { return m_audioLabel; }
    QLabel* status_line() const { return m_status; }

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    // The status line and the audio PID combo follow the selected row; the list itself stays.
    void row_choice_changed() override { sync_details(); }
    void drop_rows(int start_row, int drop_row) override;
    void sync_details();
    void layout_controls();

    ChannelPageBase& m_page;
    QLabel* m_dbLabel;
    QComboBox* m_db;
    QLabel* m_audioLabel;
    QComboBox* m_audio;
    QLabel* m_status;
};

} // namespace korvid
