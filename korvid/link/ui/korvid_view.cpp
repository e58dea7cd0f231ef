#include "korvid/link/ui/korvid_view.h"

#include "korvid/link/com_port.h"
#include "korvid/link/message_icon.h"
#include "korvid/ui/bitmap_button.h"
#include "korvid/ui/percent_progress.h"
#include "korvid/ui/skin.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace korvid {

// Turns the download's reports into calls on the page's thread: direct when the report comes from
// that thread (Open, Stop), queued when it comes from the worker.
class CKorvidView::Bridge : public DownloadPageObserver
{
public:
    explicit Bridge(CKorvidView* view)
        : m_view(view)
    {}

    void on_status(const std::string& text) override
    {
        post([v = m_view, t = QString::fromLocal8Bit(text.c_str())] { v->m_status->setText(t); });
    }
    void on_percent(uint32_t percent) override
    {
        post([v = m_view, percent] { v->m_progress->SetPos(int(percent)); });
    }
    void on_time_text(const std::string& text) override
    {
        post([v = m_view, t = QString::fromStdString(text)] { v->m_elapsed->setText(t); });
    }
    void on_expected_text(const std::string& text) override
    {
        post([v = m_view, t = QString::fromStdString(text)] { v->m_expected->setText(t); });
    }
    void on_message_box(const std::string& text) override
    {
        // Always later: the worker goes on, and a box shown from inside a report would run a
        // nested event loop in the middle of whatever the page was doing.
        QMetaObject::invokeMethod(
            m_view, [v = m_view, text] { v->m_prompts.message(exchange_message_icon(text), text); },
            Qt::QueuedConnection);
    }
    void on_busy_picture(bool shown) override
    {
        post([v = m_view, shown] {
            if (shown) {
                v->place_busy_picture();
                v->m_busy->show();
                v->m_busy->raise();
                v->m_busy->repaint();
                v->m_stop->setEnabled(false);
            } else {
                v->m_busy->hide();
            }
        });
    }
    void on_stop_enabled(bool enabled) override
    {
        post([v = m_view, enabled] { v->m_stop->setEnabled(enabled); });
    }
    void on_download_button(bool shown) override
    {
        post([v = m_view, shown] {
            v->m_downloadBtn->setVisible(shown);
            if (shown)
                v->setFocus();
        });
    }
    void on_file_name(const std::string& name) override
    {
        post([v = m_view, t = QString::fromLocal8Bit(name.c_str())] { v->m_fileName->setText(t); });
    }
    void on_finished(const ExchangeResult& result) override
    {
        post([v = m_view, result] {
            // A time-out while the receiver writes leaves no WRITE_DONE to restore the page.
            if (result.outcome != ExchangeOutcome::Complete) {
                v->m_busy->hide();
                v->m_stop->setEnabled(true);
            }
            emit v->download_finished();
        });
    }

private:
    template <class F> void post(F&& f)
    {
        QMetaObject::invokeMethod(m_view, std::forward<F>(f), Qt::AutoConnection);
    }
    CKorvidView* m_view;
};

const char* CKorvidView::tooltip(int id)
{
    switch (id) {
    case IDC_DOWNLOAD:
        return "Start downloading data";
    case IDC_STOP:
        return "Stop downloading data";
    case IDC_PROGRESS:
        return "Display Downloading Progress";
    case IDC_FILE_NAME:
        return "Display seletected file name";
    default:
        return "";
    }
}

CKorvidView::CKorvidView(common::Prompts& prompts, QWidget* parent, LinkClock* clock, LineOpener opener)
    : QWidget(parent)
    , m_prompts(prompts)
    , m_opener(std::move(opener))
{
    if (!clock) {
        m_ownClock = std::make_unique<SteadyLinkClock>();
        clock = m_ownClock.get();
    }
    m_clock = clock;
    setFont(skin::app_font());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);

    auto label = [this](const QString& text, QRect at, int id = 0) {
        auto* l = new QLabel(text, this);
        l->setGeometry(at);
        l->setObjectName(id ? QStringLiteral("c%1").arg(id) : QString());
        return l;
    };
    label(QStringLiteral("File Name :"), {14, 26, 80, 20}, 1057);
    m_fileName = new QLineEdit(this);
    m_fileName->setGeometry(100, 24, 210, 24);
    // Only Open, a drop and the command line name the file; typing here would name nothing.
    m_fileName->setReadOnly(true);
    m_open = new CBitmapButton(QStringLiteral("Open"), this);
    m_open->setGeometry(320, 18, 80, 34);
    label(QStringLiteral("Elapsed"), {14, 78, 60, 20}, 1060);
    m_elapsed = label(QStringLiteral("00:00"), {76, 74, 60, 26}, IDC_ELAPSED);
    label(QStringLiteral("Expected"), {260, 78, 66, 20}, 1058);
    m_expected = label(QStringLiteral("00:00"), {328, 74, 60, 26}, IDC_EXPECTED);
    for (QLabel* l : {m_elapsed, m_expected}) {
        l->setFont(skin::arial(18, QFont::Bold));
        l->setStyleSheet(QStringLiteral("color: rgb(30,56,104);"));
    }
    m_progress = new CPercentProgress(this);
    m_progress->setGeometry(14, 102, 380, 24);
    m_progress->SetRange(0, 100);
    m_downloadBtn = new CBitmapButton(QStringLiteral("Download"), this);
    m_downloadBtn->setGeometry(230, 132, 80, 34);
    m_stop = new CBitmapButton(QStringLiteral("Stop"), this);
    m_stop->setGeometry(318, 132, 80, 34);
    m_ota = new QCheckBox(QStringLiteral("OTA"), this);
    m_ota->setGeometry(314, 170, 70, 24);
    m_boot = new QCheckBox(QStringLiteral("BOOT"), this);
    m_boot->setGeometry(314, 190, 70, 24);
    m_dn = new QCheckBox(QStringLiteral("DN"), this);
    m_dn->setGeometry(314, 210, 70, 24);
    m_status = label(QString(), {66, 192, 220, 24}, IDC_STATUS);
    m_status->setAutoFillBackground(true);
    QPalette sp = m_status->palette();
    sp.setColor(QPalette::Window, Qt::white);
    sp.setColor(QPalette::WindowText, Qt::black);
    m_status->setPalette(sp);

    m_busy = new QLabel(this);
    m_busy->setPixmap(skin::busy_picture());
    m_busy->resize(m_busy->pixmap().size());
    m_busy->hide();

    for (int id : {IDC_DOWNLOAD, IDC_STOP, IDC_PROGRESS, IDC_FILE_NAME})
        control(id)->setToolTip(QString::fromLatin1(tooltip(id)));

    m_bridge = std::make_unique<Bridge>(this);
    m_download = std::make_unique<SoftwareDownload>(m_prompts, *m_bridge, *m_clock);

    connect(m_open, &QAbstractButton::clicked, this, &CKorvidView::on_open);
    connect(m_downloadBtn, &QAbstractButton::clicked, this, &CKorvidView::on_download);
    connect(m_stop, &QAbstractButton::clicked, this, &CKorvidView::on_stop);
    connect(m_boot, &QAbstractButton::clicked, this, [this](bool ticked) {
        sync_boxes();
        m_download->boot_clicked(ticked);
        m_ota->setChecked(m_download->ota_box());
        m_boot->setChecked(m_download->boot_box());
    });
    connect(m_ota, &QAbstractButton::clicked, this, [this](bool ticked) {
        sync_boxes();
        m_download->ota_clicked(ticked);
        m_ota->setChecked(m_download->ota_box());
        m_boot->setChecked(m_download->boot_box());
    });
    connect(m_dn, &QAbstractButton::clicked, this, [this] { sync_boxes(); });
}

CKorvidView::~CKorvidView()
{
    // Stop and wait here, while every widget the queued reports name still exists.
    m_download.reset();
}

QWidget* CKorvidView::control(int id) const
{
    switch (id) {
    case IDC_FILE_NAME:
        return m_fileName;
    case IDC_OPEN:
        return m_open;
    case IDC_PROGRESS:
        return m_progress;
    case IDC_DOWNLOAD:
        return m_downloadBtn;
    case IDC_STOP:
        return m_stop;
    case IDC_BOOT:
        return m_boot;
    case IDC_ELAPSED:
        return m_elapsed;
    case IDC_STATUS:
        return m_status;
    case IDC_EXPECTED:
        return m_expected;
    case IDC_OTA:
        return m_ota;
    case IDC_DN:
        return m_dn;
    default:
        return nullptr;
    }
}

QString CKorvidView::file_name_text() const
{
    return m_fileName->text();
}
QString CKorvidView::elapsed_text() const
{
    return m_elapsed->text();
}
QString CKorvidView::expected_text() const
{
    return m_expected->text();
}
QString CKorvidView::status_text() const
{
    return m_status->text();
}
bool CKorvidView::busy_picture_shown() const
{
    return m_busy->isVisible();
}

void CKorvidView::sync_boxes()
{
    m_download->set_boxes(m_ota->isChecked(), m_boot->isChecked(), m_dn->isChecked());
}

void CKorvidView::on_open()
{
    if (m_download->downloading()) {
        m_prompts.warning("On Processing");
        return;
    }
    common::FileDialogSpec dlg;
    dlg.filter = "CODE Files (*.mem)|*.mem|COMP Files (*.comp)|*.comp|All Files (*.*)|*.*||";
    dlg.prompt_overwrite = true;
    std::optional<std::string> path = m_prompts.open_file(dlg);
    if (!path)
        return;
    sync_boxes();
    m_download->open_chosen(*path);
}

void CKorvidView::on_download()
{
    sync_boxes();
    LineOpener opener = m_opener ? m_opener : com_port_opener(g_ComPort, &m_prompts);
    m_download->start(opener);
}

void CKorvidView::on_stop()
{
    m_download->stop();
    m_busy->hide();
    m_stop->setEnabled(true);
}

bool CKorvidView::take_file(const std::string& path)
{
    sync_boxes();
    return m_download->take_file(path);
}

void CKorvidView::place_busy_picture()
{
    const QSize s = m_busy->size();
    m_busy->move((width() - s.width()) / 2, (height() - s.height()) / 2);
}

void CKorvidView::resizeEvent(QResizeEvent*)
{
    place_busy_picture();
}

void CKorvidView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    // a hairline under the file row and above the buttons keeps the page readable
    p.setPen(QColor(214, 222, 236));
    p.drawLine(14, 62, width() - 14, 62);
}

} // namespace korvid
