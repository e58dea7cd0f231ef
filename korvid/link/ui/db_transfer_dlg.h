#pragma once
// "DB Transfer": the modal dialog in which the database goes to the receiver or comes from it.
// A skinned dialog of 490 x 192; Escape does not cancel.
// The worker and every rule are DbTransfer's; the dialog shows the reports as queued calls.
#include "korvid/link/transfer/db_transfer.h"
#include "korvid/ui/skinned_dialog.h"

#include <functional>
#include <memory>
#include <vector>

class QLabel;

namespace common {
class Prompts;
}

namespace korvid {

class CBitmapButton;
class CPercentProgress;

class CDBTransferDlg : public CSkinnedDialog
{
    Q_OBJECT
public:
    // `transfer` has been prepared by the caller. `clock` and `opener` are for tests; by default
    // the dialog runs on real time over g_ComPort.
    CDBTransferDlg(DbTransfer& transfer,
                   common::Prompts& prompts,
                   QWidget* parent = nullptr,
                   LinkClock* clock = nullptr,
                   LineOpener opener = {});
    ~CDBTransferDlg() override;

    const QString& time_line() const { return m_time; }
    const QString& status_line() const { return m_statusText; }
    CPercentProgress* progress() const { return m_progress; }
    CBitmapButton* ok_button() const { return m_ok; }
    CBitmapButton* cancel_button() const { return m_cancel; }
    // False when the port could not be opened or no worker started: Cancel is all there is.
    bool worker_started() const { return m_started; }

    void on_cancel();
    void on_ok();

signals:
    void transfer_finished();

protected:
    void showEvent(QShowEvent*) override;
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void close_box_clicked() override { on_cancel(); }

private:
    class Bridge;
    void start();

    DbTransfer& m_transfer;
    common::Prompts& m_prompts;
    LineOpener m_opener;
    std::unique_ptr<LinkClock> m_ownClock;
    LinkClock* m_clock;

    CBitmapButton* m_ok = nullptr;
    CBitmapButton* m_cancel = nullptr;
    CPercentProgress* m_progress = nullptr;
    QString m_time;
    QString m_statusText;
    int m_shownPos = -1;
    bool m_initialised = false;
    bool m_started = false;
    bool m_ending = false;
    QPixmap m_picture;
    std::unique_ptr<Bridge> m_bridge;
};

// "Download DB" in editor mode, as the main frame runs it: "There is no data to send" without a
// database, the port check, the dialog, and the tables back in host order afterwards.
DbTransferOutcome send_database_command(CKorvidDoc& doc, common::Prompts& prompts, QWidget* parent);
// "Upload DB" in editor mode, as the main frame runs it: the file to save to, the port check, the
// dialog, and the received database taken back and written to that file. When the check finds
// something in what was taken, `show_findings` gets it (the frame opens its Check Database window).
DbTransferOutcome
receive_database_command(CKorvidDoc& doc,
                         common::Prompts& prompts,
                         QWidget* parent,
                         const std::function<void(const std::vector<DatabaseProblem>&)>& show_findings = {});

} // namespace korvid
