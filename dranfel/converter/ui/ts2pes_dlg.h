#pragma once
// "ts2pes": the dialog that converts one recording into one program stream file. The run goes on
// a ConversionJob; every report of the worker reaches the widgets as a queued call, and the
// current part's bar follows the reading position on a 100 ms timer.
#include "dranfel/converter/conversion_job.h"

#include <QDialog>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace common {
class Prompts;
}

namespace dranfel {

class CTs2PesDlg : public QDialog
{
    Q_OBJECT
public:
    // Source and target as the storage manager fills them from the selected row; either may be
    // empty. Message boxes and file dialogs are Qt's own until set_prompts() says otherwise.
    explicit CTs2PesDlg(QWidget* parent = nullptr, const QString& source = {}, const QString& target = {});
    ~CTs2PesDlg() override;

    void set_prompts(common::Prompts* prompts);
    // Test seam: the most one target file may hold, as if the target's disk allowed no more.
    void set_file_limit(int64_t bytes) { m_fileLimit = bytes; }
    // Called on the worker thread as each part starts, after its total has been
    // sent and before the part is opened; tests hold the worker
    // there to act in the middle of a run.
    void set_part_hook(std::function<void(int part)> hook) { m_partHook = std::move(hook); }
    // Called on the worker thread when the current part's percentage changes, after the window
    // can see it; tests hold the worker there.
    void set_progress_hook(std::function<void(int part, int percent)> hook)
    {
        m_progressHook = std::move(hook);
    }

    bool busy() const { return m_busy; }
    QString source() const;
    QString target() const;
    QString total_text() const;
    QString current_text() const;
    int total_value() const;
    int current_value() const;

    QLineEdit* source_edit() const { return m_sourceEdit; }
    QLineEdit* target_edit() const { return m_targetEdit; }
    QPushButton* open_source_button() const { return m_openSource; }
    QPushButton* open_target_button() const { return m_openTarget; }
    QCheckBox* one_part_box() const { return m_onePart; }
    QPushButton* start_button() const { return m_start; }
    QPushButton* stop_button() const { return m_stop; }

public slots:
    void on_open_source();
    void on_open_target();
    void on_start();
    void on_stop();
    void reject() override;

signals:
    // After the final message box has been dismissed and the dialog is idle again.
    void run_finished(const QString& message);
    void total_changed(const QString& text);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void set_total(int percent);
    void show_current();
    void finish(const RunReport& report);
    void set_controls_enabled(bool enabled);

    QLineEdit* m_sourceEdit = nullptr;
    QPushButton* m_openSource = nullptr;
    QLineEdit* m_targetEdit = nullptr;
    QPushButton* m_openTarget = nullptr;
    QCheckBox* m_onePart = nullptr;
    QProgressBar* m_totalBar = nullptr;
    QLabel* m_totalText = nullptr;
    QProgressBar* m_currentBar = nullptr;
    QLabel* m_currentText = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;

    std::unique_ptr<common::Prompts> m_ownPrompts;
    common::Prompts* m_prompts = nullptr;
    int64_t m_fileLimit = 0;
    std::function<void(int)> m_partHook;
    std::function<void(int, int)> m_progressHook;
    QTimer m_progressTimer;
    bool m_busy = false;
    bool m_closing = false; // the window was closed during a run: it goes once the run has ended
    ConversionJob m_job;    // last member: it ends its worker before the widgets go
};

} // namespace dranfel
