#include "dranfel/converter/ui/ts2pes_dlg.h"

#include "common/qt/qt_prompts.h"
#include "dranfel/converter/run_summary.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

namespace dranfel {

namespace {

constexpr int PROGRESS_INTERVAL_MS = 100;

const char* const AVR_FILTER = "AVR Files (*.avr)|*.avr|All Files (*.*)|*.*||";
const char* const MPG_FILTER = "MPG Files (*.mpg)|*.mpg|All Files (*.*)|*.*||";

QString percent_text(int percent)
{
    return QStringLiteral("%1 %").arg(percent);
}

QProgressBar* make_bar(QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false); // the percentage stands in the text beside it
    return bar;
}

} // namespace

CTs2PesDlg::CTs2PesDlg(QWidget* parent, const QString& source, const QString& target)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("ts2pes"));
    m_ownPrompts = std::make_unique<common::QtPrompts>(this, QStringLiteral("Dranfel"));
    m_prompts = m_ownPrompts.get();

    m_sourceEdit = new QLineEdit(source, this);
    m_openSource = new QPushButton(QStringLiteral("Open"), this);
    m_targetEdit = new QLineEdit(target, this);
    m_openTarget = new QPushButton(QStringLiteral("Open"), this);
    m_onePart = new QCheckBox(QStringLiteral("Only the selected part file"), this);
    m_totalBar = make_bar(this);
    m_totalText = new QLabel(percent_text(0), this);
    m_currentBar = make_bar(this);
    m_currentText = new QLabel(percent_text(0), this);
    m_start = new QPushButton(QStringLiteral("Start"), this);
    m_stop = new QPushButton(QStringLiteral("Stop"), this);
    m_sourceEdit->setMinimumWidth(380);
    m_totalBar->setAccessibleName(QStringLiteral("Total"));
    m_currentBar->setAccessibleName(QStringLiteral("Current"));
    // Wide enough for "100 %" so that the bars do not move while the number grows.
    for (QLabel* text : {m_totalText, m_currentText}) {
        text->setMinimumWidth(text->fontMetrics().horizontalAdvance(QStringLiteral("100 %")) + 4);
        text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    // Enter in an edit box must not start a conversion nobody asked for.
    m_start->setAutoDefault(false);
    m_stop->setAutoDefault(false);
    m_openSource->setAutoDefault(false);
    m_openTarget->setAutoDefault(false);

    auto* files = new QGridLayout;
    files->addWidget(new QLabel(QStringLiteral("Source file :"), this), 0, 0, 1, 2);
    files->addWidget(m_sourceEdit, 1, 0);
    files->addWidget(m_openSource, 1, 1);
    files->addWidget(new QLabel(QStringLiteral("Target file :"), this), 2, 0, 1, 2);
    files->addWidget(m_targetEdit, 3, 0);
    files->addWidget(m_openTarget, 3, 1);
    files->addWidget(m_onePart, 4, 0, 1, 2);

    auto* bars = new QGridLayout;
    bars->addWidget(new QLabel(QStringLiteral("Total"), this), 0, 0);
    bars->addWidget(m_totalBar, 0, 1);
    bars->addWidget(m_totalText, 0, 2);
    bars->addWidget(new QLabel(QStringLiteral("Current"), this), 1, 0);
    bars->addWidget(m_currentBar, 1, 1);
    bars->addWidget(m_currentText, 1, 2);
    bars->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("Version : 2.0.1"), this));
    buttons->addStretch(1);
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);

    auto* top = new QVBoxLayout(this);
    top->addLayout(files);
    top->addSpacing(8);
    top->addLayout(bars);
    top->addSpacing(8);
    top->addLayout(buttons);
    setFixedSize(sizeHint());

    m_progressTimer.setInterval(PROGRESS_INTERVAL_MS);
    connect(&m_progressTimer, &QTimer::timeout, this, &CTs2PesDlg::show_current);
    connect(m_openSource, &QPushButton::clicked, this, &CTs2PesDlg::on_open_source);
    connect(m_openTarget, &QPushButton::clicked, this, &CTs2PesDlg::on_open_target);
    connect(m_start, &QPushButton::clicked, this, &CTs2PesDlg::on_start);
    connect(m_stop, &QPushButton::clicked, this, &CTs2PesDlg::on_stop);
}

CTs2PesDlg::~CTs2PesDlg()
{
    // The worker posts to this dialog until it ends; it must end while the dialog is whole. It
    // never waits for the window thread, so this wait is one block of the engine at most.
    m_job.cancel();
    m_job.wait();
}

void CTs2PesDlg::set_prompts(common::Prompts* prompts)
{
    m_prompts = prompts ? prompts : m_ownPrompts.get();
}

QString CTs2PesDlg::source() const
{
    return m_sourceEdit->text();
}
QString CTs2PesDlg::target() const
{
    return m_targetEdit->text();
}
QString CTs2PesDlg::total_text() const
{
    return m_totalText->text();
}
QString CTs2PesDlg::current_text() const
{
    return m_currentText->text();
}
int CTs2PesDlg::total_value() const
{
    return m_totalBar->value();
}
int CTs2PesDlg::current_value() const
{
    return m_currentBar->value();
}

void CTs2PesDlg::on_open_source()
{
    if (m_busy)
        return;
    common::FileDialogSpec dialog{".avr", AVR_FILTER, m_sourceEdit->text().toStdString(), true};
    if (auto path = m_prompts->open_file(dialog))
        m_sourceEdit->setText(QString::fromStdString(*path));
}

void CTs2PesDlg::on_open_target()
{
    if (m_busy)
        return;
    common::FileDialogSpec dialog{".mpg", MPG_FILTER, m_targetEdit->text().toStdString(), true};
    if (auto path = m_prompts->save_file(dialog))
        m_targetEdit->setText(QString::fromStdString(*path));
}

void CTs2PesDlg::on_start()
{
    if (m_busy)
        return;
    ConversionRequest request;
    request.source = m_sourceEdit->text().toStdString();
    request.target = m_targetEdit->text().toStdString();
    request.parts = m_onePart->isChecked() ? PartsRule::One : PartsRule::All;
    request.file_limit = m_fileLimit;
    request.diagnostics = nullptr; // the window shows no diagnostic lines

    ConversionJob::Listener listener;
    listener.part_started = [this, hook = m_partHook](int part, int, int total_percent) {
        QMetaObject::invokeMethod(
            this, [this, total_percent] { set_total(total_percent); }, Qt::QueuedConnection);
        if (hook)
            hook(part);
    };
    if (m_progressHook) {
        // Parts start and progress on the one worker thread, so the part number needs no lock.
        auto part = std::make_shared<int>(0);
        listener.progress = [part, hook = m_progressHook](int percent) { hook(*part, percent); };
        listener.part_started = [part, started = listener.part_started](int k, int n, int total) {
            *part = k;
            started(k, n, total);
        };
    }
    listener.finished = [this](const RunReport& report) {
        QMetaObject::invokeMethod(
            this, [this, report] { finish(report); }, Qt::QueuedConnection);
    };
    m_busy = true;
    set_controls_enabled(false);
    if (!m_job.start(std::move(request), std::move(listener))) {
        m_busy = false;
        set_controls_enabled(true);
        m_prompts->info("Convert failed\n\nNo worker thread could be started.");
    }
}

void CTs2PesDlg::on_stop()
{
    if (m_job.running())
        m_job.cancel();
}

void CTs2PesDlg::set_total(int percent)
{
    m_totalBar->setValue(percent);
    m_totalText->setText(percent_text(percent));
    // The current bar follows the reading position from the first part on.
    if (m_busy && percent > 0 && !m_progressTimer.isActive())
        m_progressTimer.start();
    show_current();
    emit total_changed(m_totalText->text());
}

void CTs2PesDlg::show_current()
{
    if (!m_busy)
        return;
    int percent = m_job.current_percent();
    if (percent == m_currentBar->value())
        return;
    m_currentBar->setValue(percent);
    m_currentText->setText(percent_text(percent));
}

void CTs2PesDlg::finish(const RunReport& report)
{
    m_job.wait(); // the finished report is the worker's last act
    m_progressTimer.stop();
    show_current();
    QString message = QString::fromStdString(report.message);
    if (!m_closing)
        m_prompts->info(final_message(report));
    m_totalBar->setValue(0);
    m_totalText->setText(percent_text(0));
    m_currentBar->setValue(0);
    m_currentText->setText(percent_text(0));
    m_busy = false;
    set_controls_enabled(true);
    if (m_closing) {
        m_closing = false;
        QDialog::reject();
    }
    emit run_finished(message);
}

void CTs2PesDlg::set_controls_enabled(bool enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(m_openSource), static_cast<QWidget*>(m_openTarget),
                       static_cast<QWidget*>(m_start), static_cast<QWidget*>(m_onePart)})
        w->setEnabled(enabled);
    m_sourceEdit->setReadOnly(!enabled);
    m_targetEdit->setReadOnly(!enabled);
}

void CTs2PesDlg::reject()
{
    // Escape and the close box alike: a run is stopped first, and the dialog goes when its
    // worker has ended, without the window ever waiting for it.
    if (m_busy) {
        m_closing = true;
        m_job.cancel();
        return;
    }
    QDialog::reject();
}

void CTs2PesDlg::closeEvent(QCloseEvent* e)
{
    if (m_busy) {
        e->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(e);
}

} // namespace dranfel
