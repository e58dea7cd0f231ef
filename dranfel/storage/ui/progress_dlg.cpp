#include "dranfel/storage/ui/progress_dlg.h"

#include "dranfel/storage/transfer_space.h"
#include "dranfel/storage/ui/local_text.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace dranfel {

namespace {

// How often the dialog looks at the worker's reports: often enough for a smooth bar, while a copy
// of small files still never waits for the screen.
constexpr int SHOW_INTERVAL_MS = 50;

} // namespace

CProgressDlg::CProgressDlg(const FileOpParams& params, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint)
    , m_params(params)
    , m_state(params)
{
    setModal(true);
    setMinimumWidth(460);

    auto* total = new QGroupBox(QStringLiteral("Total"), this);
    m_totalText = new QLabel(total);
    m_totalText->setObjectName(QStringLiteral("c1002"));
    m_totalBar = new QProgressBar(total);
    m_totalBar->setObjectName(QStringLiteral("c1003"));
    m_totalBar->setTextVisible(false);
    m_rate = new QLabel(total);
    auto* tl = new QGridLayout(total);
    tl->addWidget(m_totalText, 0, 0);
    tl->addWidget(m_totalBar, 0, 1);
    tl->addWidget(m_rate, 1, 1);
    tl->setColumnStretch(1, 1);

    auto* current = new QGroupBox(QStringLiteral("Current"), this);
    auto edit = [current](const char* id) {
        auto* e = new QLineEdit(current);
        e->setReadOnly(true);
        e->setObjectName(QLatin1String(id));
        return e;
    };
    m_source = edit("c1006");
    m_fileName = edit("c1004");
    m_destination = edit("c1007");
    m_currentBar = new QProgressBar(current);
    m_currentBar->setObjectName(QStringLiteral("c1005"));
    m_currentBar->setTextVisible(false);
    auto* form = new QFormLayout(current);
    form->addRow(QStringLiteral("Source"), m_source);
    form->addRow(QStringLiteral("FileName"), m_fileName);
    form->addRow(QStringLiteral("Destination"), m_destination);
    form->addRow(m_currentBar);

    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(total);
    layout->addWidget(current);
    layout->addLayout(buttons);
    connect(m_cancel, &QPushButton::clicked, this, &CProgressDlg::reject);

    m_totalBytes = 0;
    for (const std::string& name : params.names)
        m_totalBytes += entry_bytes(params.source_folder, name);
    m_rateTimer = new QTimer(this);
    m_rateTimer->setInterval(500);
    connect(m_rateTimer, &QTimer::timeout, this, &CProgressDlg::update_rate);
    m_showTimer = new QTimer(this);
    m_showTimer->setInterval(SHOW_INTERVAL_MS);
    connect(m_showTimer, &QTimer::timeout, this, &CProgressDlg::show_published);

    m_op.on_progress = [this](const ProgressReport& r) { publish(r); };
    sync();
}

CProgressDlg::~CProgressDlg()
{
    // Cancels, then joins: the worker never waits for the window, so it ends after its current block.
    m_worker.stop();
}

void CProgressDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (m_started)
        return;
    m_started = true;
    if (m_params.source_folder.empty() || m_params.destination_folder.empty() || m_params.names.empty()) {
        QTimer::singleShot(0, this, &QDialog::accept);
        return;
    }
    QTimer::singleShot(100, this, &CProgressDlg::start_worker);
}

void CProgressDlg::start_worker()
{
    if (m_op.cancelled() || !isVisible())
        return;
    m_clock.start();
    m_rateTimer->start();
    m_showTimer->start();
    // The engine polls a cancel flag of its own, which the command line sets from a signal
    // handler: a stop is passed on to it. The job's last act tells the dialog, so that it closes
    // the moment the work ends rather than at its timer's next look.
    auto job = [this](const std::atomic<bool>&) {
        m_outcome = m_op.run(m_params);
        QMetaObject::invokeMethod(this, &CProgressDlg::worker_finished, Qt::QueuedConnection);
    };
    if (!m_worker.start(job, [this] { m_op.cancel(); })) {
        m_showTimer->stop();
        m_rateTimer->stop();
        m_result.outcome = FileOpOutcome::Failed;
        FileOpFailure failure;
        failure.index = 1;
        failure.entry = m_params.names.front();
        failure.reason = "no worker thread could be started";
        m_result.failure = failure;
        QDialog::accept();
    }
}

void CProgressDlg::publish(const ProgressReport& r)
{
    {
        std::lock_guard lock(m_mutex);
        if (r.code == PROGRESS_FILE_STEP) {
            m_step = r;
        } else {
            // A step goes before the report that follows it, so that each entry's bar is shown
            // under its own name.
            if (m_step)
                m_published.push_back(*m_step);
            m_step.reset();
            m_published.push_back(r);
        }
    }
    if (m_hook)
        m_hook(r);
}

void CProgressDlg::show_published()
{
    std::vector<ProgressReport> reports;
    {
        std::lock_guard lock(m_mutex);
        reports.swap(m_published);
        if (m_step)
            reports.push_back(*m_step);
        m_step.reset();
    }
    for (const ProgressReport& r : reports)
        show_report(r);
}

void CProgressDlg::show_report(const ProgressReport& r)
{
    m_state.apply(r);
    sync();
    emit report_shown(r.index, r.code);
}

void CProgressDlg::sync()
{
    m_totalText->setText(to_q(m_state.total_text()));
    m_source->setText(to_q(m_state.source()));
    m_destination->setText(to_q(m_state.destination()));
    m_fileName->setText(to_q(m_state.file_name()));
    m_totalBar->setRange(0, std::max(1, m_state.total_range()));
    m_totalBar->setValue(m_state.total_position());
    m_currentBar->setRange(0, std::max(1, m_state.current_range()));
    m_currentBar->setValue(m_state.current_position());
}

void CProgressDlg::update_rate()
{
    TransferRate rate(m_totalBytes, 0);
    m_rate->setText(to_q(rate.text(m_op.bytes_copied(), m_clock.elapsed())));
}

void CProgressDlg::worker_finished()
{
    // The call came as the job's last act: the wait is for nothing but the thread's return, and
    // everything the worker published is there to show.
    m_worker.wait();
    m_showTimer->stop();
    show_published();
    m_rateTimer->stop();
    m_result.outcome = m_outcome;
    m_result.failure = m_op.failure();
    m_result.sources_left = m_op.sources_left();
    QDialog::accept();
}

void CProgressDlg::reject()
{
    // Escape, the window's close button and "&Cancel" alike: the engine stops after its current
    // block and takes back what this run wrote; the dialog closes when it has.
    m_op.cancel();
    // A run that has begun closes the dialog itself, even one that has ended and whose last
    // reports are being shown (a Cancel from a report's slot).
    if (m_worker.active() || m_worker.finished()) {
        m_cancel->setEnabled(false);
        return;
    }
    // Not started yet: nothing was written.
    m_result.outcome = FileOpOutcome::Cancelled;
    QDialog::reject();
}

void CProgressDlg::paintEvent(QPaintEvent* e)
{
    QDialog::paintEvent(e);
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace dranfel
