#include "korvid/link/ui/db_transfer_dlg.h"

#include "common/prompts.h"
#include "korvid/link/com_port.h"
#include "korvid/link/message_icon.h"
#include "korvid/ui/bitmap_button.h"
#include "korvid/ui/percent_progress.h"
#include "korvid/ui/skin.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>

namespace korvid {

namespace {
constexpr int DLG_W = 490;
constexpr int DLG_H = 192;
const QRect TIME_BAND(180, 80, 220, 20);
const QRect STATUS_BAND(180, 100, 220, 30);

} // namespace

class CDBTransferDlg::Bridge : public TransferObserver
{
public:
    explicit Bridge(CDBTransferDlg* dlg)
        : m_dlg(dlg)
    {}

    void on_status(const std::string& text) override
    {
        post([d = m_dlg, t = QString::fromLocal8Bit(text.c_str())] {
            if (t != d->m_statusText) {
                d->m_statusText = t;
                d->update(STATUS_BAND);
            }
        });
    }
    void on_percent(uint32_t percent) override
    {
        post([d = m_dlg, percent] {
            if (int(percent) != d->m_shownPos) {
                d->m_shownPos = int(percent);
                d->m_progress->SetPos(int(percent));
            }
        });
    }
    void on_time_text(const std::string& text) override
    {
        post([d = m_dlg, t = QString::fromStdString(text)] {
            if (t != d->m_time) {
                d->m_time = t;
                d->update(TIME_BAND);
            }
        });
    }
    void on_message_box(const std::string& text) override
    {
        post([d = m_dlg, text] { d->m_prompts.message(exchange_message_icon(text), text); });
    }
    void on_hide_cancel() override
    {
        post([d = m_dlg] { d->m_cancel->hide(); });
    }
    void on_finished(const ExchangeResult& result) override
    {
        post([d = m_dlg, silent = result.aborted] {
            // This report is the worker's last act; it ends right after, so this wait is short and
            // the transfer's own state is final afterwards.
            d->m_transfer.wait(CANCEL_WAIT_MS);
            if (d->m_ending)
                return;
            if (silent) {
                // The receiver fell silent: the dialog ends by itself, as after Cancel.
                d->m_ending = true;
                d->reject();
            } else if (d->m_shownPos == 100 || d->m_progress->GetPos() == 100) {
                d->m_ok->show();
                d->m_ok->setFocus();
            }
            emit d->transfer_finished();
        });
    }

private:
    template <class F> void post(F&& f)
    {
        QMetaObject::invokeMethod(m_dlg, std::forward<F>(f), Qt::QueuedConnection);
    }
    CDBTransferDlg* m_dlg;
};

CDBTransferDlg::CDBTransferDlg(
    DbTransfer& transfer, common::Prompts& prompts, QWidget* parent, LinkClock* clock, LineOpener opener)
    : CSkinnedDialog(QStringLiteral("DB Transfer"), QSize(DLG_W, DLG_H), parent)
    , m_transfer(transfer)
    , m_prompts(prompts)
    , m_opener(std::move(opener))
{
    if (!clock) {
        m_ownClock = std::make_unique<SteadyLinkClock>();
        clock = m_ownClock.get();
    }
    m_clock = clock;
    setFont(skin::app_font());
    m_picture = skin::transfer_picture();

    m_ok = new CBitmapButton(QStringLiteral("OK"), this);
    m_ok->setGeometry(270, 140, 80, 34);
    m_cancel = new CBitmapButton(QStringLiteral("Cancel"), this);
    m_cancel->setGeometry(362, 140, 80, 34);
    m_progress = new CPercentProgress(this);
    m_progress->setGeometry(25, 47, 440, 20);
    m_progress->SetRange(0, 100);
    connect(m_ok, &QAbstractButton::clicked, this, &CDBTransferDlg::on_ok);
    connect(m_cancel, &QAbstractButton::clicked, this, &CDBTransferDlg::on_cancel);
    m_bridge = std::make_unique<Bridge>(this);
}

CDBTransferDlg::~CDBTransferDlg()
{
    // The worker reports to the bridge until it ends; it must end before the bridge goes.
    if (m_transfer.running())
        m_transfer.cancel(CANCEL_WAIT_MS);
    m_transfer.wait(UINT32_MAX);
}

void CDBTransferDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (m_initialised)
        return;
    m_initialised = true;
    // Start once the dialog is on screen, so that a port failure box has it as its owner.
    QMetaObject::invokeMethod(
        this, [this] { start(); }, Qt::QueuedConnection);
}

void CDBTransferDlg::start()
{
    m_ok->hide();
    LineOpener opener = m_opener ? m_opener : com_port_opener(g_ComPort, &m_prompts);
    std::unique_ptr<SerialLine> line = opener();
    if (!line)
        return; // the opener has said why; Cancel closes the idle dialog
    m_time = QString::fromStdString(m_transfer.expected_text());
    m_shownPos = -1;
    m_progress->SetRange(0, 100);
    update();
    m_started = m_transfer.start(std::move(line), *m_clock, *m_bridge);
}

void CDBTransferDlg::on_cancel()
{
    if (m_ending)
        return;
    m_ending = true;
    if (m_started)
        m_transfer.cancel(CANCEL_WAIT_MS);
    reject();
}

void CDBTransferDlg::on_ok()
{
    m_transfer.wait(CANCEL_WAIT_MS);
    m_ending = true;
    accept();
}

void CDBTransferDlg::closeEvent(QCloseEvent* e)
{
    if (!m_ending) {
        on_cancel();
    }
    e->accept();
}

void CDBTransferDlg::keyPressEvent(QKeyEvent* e)
{
    // Escape is an ordinary key here: a stray press must not break off a transfer.
    if (e->key() == Qt::Key_Escape) {
        e->ignore();
        return;
    }
    // Enter does what OK does, and only once OK shows (after a complete transfer).
    if (press_ok_on_enter(e, m_ok))
        return;
    QDialog::keyPressEvent(e);
}

void CDBTransferDlg::paintEvent(QPaintEvent* e)
{
    CSkinnedDialog::paintEvent(e);
    QPainter p(this);
    p.drawPixmap(70, 90, m_picture);
    p.setFont(skin::app_font());
    p.setPen(Qt::white);
    p.drawText(TIME_BAND, Qt::AlignLeft | Qt::AlignTop, m_time);
    p.drawText(STATUS_BAND, Qt::AlignLeft | Qt::AlignTop, m_statusText);
}

// --- Download DB and Upload DB, as the main frame runs them ----------------------------------

static DbTransferOutcome run_dialog(DbTransfer& transfer, common::Prompts& prompts, QWidget* parent)
{
    {
        CDBTransferDlg dlg(transfer, prompts, parent);
        dlg.exec();
    }
    return transfer.finish();
}

DbTransferOutcome send_database_command(CKorvidDoc& doc, common::Prompts& prompts, QWidget* parent)
{
    DbTransfer transfer(doc, prompts);
    if (!transfer.prepare_send([&prompts] { return TestPort(g_ComPort, &prompts); }))
        return DbTransferOutcome::NotRun;
    return run_dialog(transfer, prompts, parent);
}

DbTransferOutcome
receive_database_command(CKorvidDoc& doc,
                         common::Prompts& prompts,
                         QWidget* parent,
                         const std::function<void(const std::vector<DatabaseProblem>&)>& show_findings)
{
    DbTransfer transfer(doc, prompts);
    if (!transfer.prepare_receive([&prompts] { return TestPort(g_ComPort, &prompts); }))
        return DbTransferOutcome::NotRun;
    const DbTransferOutcome outcome = run_dialog(transfer, prompts, parent);
    if (show_findings && !transfer.received_problems().empty())
        show_findings(transfer.received_problems());
    return outcome;
}

} // namespace korvid
