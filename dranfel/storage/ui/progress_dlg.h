#pragma once
// The copy/move progress dialog: the Total and Current groups, the speed and time left, and
// "&Cancel". A run of the copy engine goes on a worker thread of its own, started 100 ms after the
// dialog first shows. Each report is a queued call to this dialog, and the worker waits until the
// dialog has shown it, so that "&Cancel" pressed while an entry is on screen stops that entry; the
// dialog never waits for the worker while a report is pending, and closes when the worker has
// finished (its clean-up included).
#include "dranfel/storage/progress_state.h"
#include "dranfel/storage/storage_manager.h"

#include <QDialog>
#include <QElapsedTimer>
#include <condition_variable>
#include <mutex>
#include <thread>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace dranfel {

class CProgressDlg : public QDialog
{
    Q_OBJECT
public:
    CProgressDlg(const FileOpParams& params, QWidget* parent = nullptr);
    ~CProgressDlg() override;

    const FileOpResult& result() const { return m_result; }

    QLabel* total_text() const { return m_totalText; }
    QProgressBar* total_bar() const { return m_totalBar; }
    QProgressBar* current_bar() const { return m_currentBar; }
    QLineEdit* source_edit() const { return m_source; }
    QLineEdit* file_name_edit() const { return m_fileName; }
    QLineEdit* destination_edit() const { return m_destination; }
    QLabel* rate_text() const { return m_rate; }
    QPushButton* cancel_button() const { return m_cancel; }

signals:
    // After each report has been shown; the worker goes on when the slots return.
    void report_shown(int index, int code);

protected:
    // No caption, so a border of its own keeps it apart from the window behind.
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void reject() override;

private:
    void start_worker();
    void deliver(const ProgressReport& r); // on the worker
    void show_report(const ProgressReport& r);
    void worker_finished();
    void update_rate();
    void sync();

    FileOpParams m_params;
    ProgressState m_state;
    FileOperation m_op;
    FileOpResult m_result;
    int64_t m_totalBytes = 0;
    QElapsedTimer m_clock;

    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_shown;
    uint64_t m_posted = 0, m_handled = 0;
    bool m_noWaiting = false;
    bool m_started = false;

    QLabel* m_totalText = nullptr;
    QProgressBar* m_totalBar = nullptr;
    QLineEdit* m_source = nullptr;
    QLineEdit* m_fileName = nullptr;
    QLineEdit* m_destination = nullptr;
    QProgressBar* m_currentBar = nullptr;
    QLabel* m_rate = nullptr;
    QPushButton* m_cancel = nullptr;
    QTimer* m_rateTimer = nullptr;
};

} // namespace dranfel
