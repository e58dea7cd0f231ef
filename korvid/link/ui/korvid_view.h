#pragma once
// The downloader page: the code file, Open/Download/Stop, the BOOT/OTA/DN boxes, elapsed and
// expected times, status line, progress bar and the busy picture. Every rule is SoftwareDownload's;
// the page shows what it reports, and reports that come from the worker arrive as queued calls.
#include "korvid/link/transfer/port_opening.h"
#include "korvid/link/transfer/software_download.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace korvid {

class CBitmapButton;
class CPercentProgress;

class CKorvidView : public QWidget
{
    Q_OBJECT
public:
    // Control ids of the page, as the tooltips and tests name them.
    enum : int
    {
        IDC_FILE_NAME = 1000,
        IDC_OPEN = 1001,
        IDC_PROGRESS = 1006,
        IDC_DOWNLOAD = 1007,
        IDC_STOP = 1008,
        IDC_BOOT = 1009,
        IDC_ELAPSED = 1010,
        IDC_STATUS = 1011,
        IDC_EXPECTED = 1012,
        IDC_OTA = 1013,
        IDC_DN = 1073,
    };

    // `clock` and `opener` are for tests (a faster clock, a given line); by default the page runs
    // on real time and opens g_ComPort.
    explicit CKorvidView(common::Prompts& prompts,
                         QWidget* parent = nullptr,
                         LinkClock* clock = nullptr,
                         LineOpener opener = {});
    ~CKorvidView() override;

    // Open: choose a code file.
    void on_open();
    // Download and Stop.
    void on_download();
    void on_stop();
    // A file dropped on the window or named on the command line.
    bool take_file(const std::string& path);

    bool downloading() const { return m_download->downloading(); }
    SoftwareDownload& download() { return *m_download; }
    QWidget* control(int id) const;
    CPercentProgress* progress() const { return m_progress; }
    QString file_name_text() const;
    QString elapsed_text() const;
    QString expected_text() const;
    QString status_text() const;
    bool busy_picture_shown() const;

    static const char* tooltip(int id);

signals:
    // A download has ended (completed, failed or stopped); the page is idle again.
    void download_finished();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    class Bridge;
    void place_busy_picture();
    void sync_boxes();

    common::Prompts& m_prompts;
    LineOpener m_opener;
    std::unique_ptr<LinkClock> m_ownClock;
    LinkClock* m_clock;

    QLineEdit* m_fileName = nullptr;
    CBitmapButton* m_open = nullptr;
    CBitmapButton* m_downloadBtn = nullptr;
    CBitmapButton* m_stop = nullptr;
    QLabel* m_elapsed = nullptr;
    QLabel* m_expected = nullptr;
    QLabel* m_status = nullptr;
    CPercentProgress* m_progress = nullptr;
    QCheckBox* m_ota = nullptr;
    QCheckBox* m_boot = nullptr;
    QCheckBox* m_dn = nullptr;
    QLabel* m_busy = nullptr;

    // The bridge must outlive the download that reports to it.
    std::unique_ptr<Bridge> m_bridge;
    std::unique_ptr<SoftwareDownload> m_download;
};

} // namespace korvid
