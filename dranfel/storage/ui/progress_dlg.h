#pragma once
// The copy/move progress dialog: the Total and Current groups, the speed and time left, and
// "&Cancel". A run of the copy engine goes on a worker thread of its own, started 100 ms after the
// dialog first shows. The worker never waits for the window: it leaves each report in a small
// locked list (the progress within an entry as its newest step only) and goes on with the next
// block; a timer of the dialog shows what is there. "&Cancel" sets the engine's flag, which it
// tests after every block. The dialog closes when the worker has finished (its clean-up included),
// after showing the reports still left.
#include "common/worker/background_worker.h"
#include "dranfel/storage/progress_state.h"
#include "dranfel/storage/storage_manager.h"

#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

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
    QProgressBar* current_bar() const { return m_currentBar; }
    QLineEdit* source_edit() const { return m_source; }
    QLineEdit* file_name_edit() const { return m_fileName; }
    QLineEdit* destination_edit() const { return m_destination; }
    QLabel* rate_text() const { return m_rate; }
    QPushButton* cancel_button() const { return m_cancel; }

    // Called on the worker thread with each report once the dialog can see it, before the copy goes
    // on; tests and the screenshot program hold the worker there in the middle of a run. Set it
    // before the dialog shows.
    void set_report_hook(std::function<void(const ProgressReport&)> hook) { m_hook = std::move(hook); }

signals:
    // A report has just been shown, from the dialog's timer or at the worker's end. Every entry's
    // start, end and failure comes; of the steps within an entry, the newest at each look.
    void report_shown(int index, int code);

protected:
    // No caption, so a border of its own keeps it apart from the window behind.
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void reject() override;

private:
    void start_worker();
    void publish(const ProgressReport& r); // on the worker
    void show_published();
    void show_report(const ProgressReport& r);
    void worker_finished();
    void update_rate();
    void sync();

    FileOpParams m_params;
    ProgressState m_state;
    FileOperation m_op;
    FileOpResult m_result;
    FileOpOutcome m_outcome = FileOpOutcome::Done; // the worker's, read once it has finished
    int64_t m_totalBytes = 0;
    QElapsedTimer m_clock;

    std::function<void(const ProgressReport&)> m_hook;
    std::mutex m_mutex; // guards the two below, which the worker fills and the timer empties
    std::vector<ProgressReport> m_published;
    std::optional<ProgressReport> m_step;
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
    QTimer* m_showTimer = nullptr;
    // Last: the members its job uses are still whole when it is joined.
    common::BackgroundWorker m_worker;
};

} // namespace dranfel
