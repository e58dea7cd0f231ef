#include "korvid/link/transfer/software_download.h"

#include "common/regular_file.h"
#include "korvid/database/codes.h"
#include "korvid/link/transfer/transfer_times.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace korvid {

std::atomic<bool> g_Downloading{false};

SoftwareKind software_kind(bool boot, bool ota)
{
    if (boot)
        return SoftwareKind::Boot;
    return ota ? SoftwareKind::Ota : SoftwareKind::Main;
}

uint32_t software_header_type(SoftwareKind kind)
{
    switch (kind) {
    case SoftwareKind::Boot:
        return HEADER_BOOT_SOFTWARE;
    case SoftwareKind::Ota:
        return HEADER_OTA_SOFTWARE;
    case SoftwareKind::Main:
        break;
    }
    return HEADER_MAIN_SOFTWARE;
}

void fill_software_flash_map(FlashBlockTable& table, SoftwareKind kind, uint32_t code_size)
{
    table = FlashBlockTable{};
    table.entry[0].staddr = 2;
    switch (kind) {
    case SoftwareKind::Boot:
        table.entry[1] = {0, 0xFFFF, 0x10000, 0};
        break;
    case SoftwareKind::Main:
        table.entry[1] = {0x10000, code_size + 0x20000, 0x10000, 0};
        break;
    case SoftwareKind::Ota:
        table.entry[1] = {0x360000, 0x38FFFF, 0x10000, 0};
        break;
    }
}

void read_code_file_codes(const uint8_t* data, size_t size, bool boot, uint16_t& buyer, uint16_t& model)
{
    auto code_at = [&](uint32_t at) -> uint16_t {
        if (!data || size < size_t(at) + 2)
            return 0xFFFF;
        return uint16_t(data[at] * 256 + data[at + 1]);
    };
    buyer = code_at(boot ? BOOT_BUYER_AT : MAIN_BUYER_AT);
    model = code_at(boot ? BOOT_MODEL_AT : MAIN_MODEL_AT);
}

namespace {

// -1 when the file cannot be opened for reading, with the system's reason.
long long file_length(const std::string& path, std::string& reason)
{
    struct stat st
    {
    };
    int fd = common::open_regular_file(path, &reason, &st);
    if (fd < 0)
        return -1;
    ::close(fd);
    return (long long)st.st_size;
}

bool within_limit(const std::string& path, uint32_t limit, common::Prompts& prompts)
{
    std::string reason;
    long long n = file_length(path, reason);
    if (n < 0) {
        prompts.error("can't open file\n" + path + ": " + reason);
        return false;
    }
    if (n >= (long long)limit) {
        prompts.warning("boot file is too big");
        return false;
    }
    return true;
}

} // namespace

bool code_file_size_ok(const std::string& path, bool ota, bool boot, common::Prompts& prompts)
{
    if (ota && !within_limit(path, OTA_SIZE_LIMIT, prompts))
        return false;
    if (boot && !within_limit(path, BOOT_SIZE_LIMIT, prompts))
        return false;
    return true;
}

SoftwareDownload::SoftwareDownload(common::Prompts& prompts, DownloadPageObserver& observer, LinkClock& clock)
    : m_prompts(prompts)
    , m_obs(observer)
    , m_clock(clock)
{}

SoftwareDownload::~SoftwareDownload()
{
    m_worker.stop(CANCEL_WAIT_MS);
}

void SoftwareDownload::set_boxes(bool ota, bool boot, bool dn)
{
    m_ota_box = ota;
    m_boot_box = boot;
    m_dn_box = dn;
}

void SoftwareDownload::reread_codes(bool boot)
{
    if (m_code && !downloading())
        read_code_file_codes(m_code->data(), m_code_size, boot, g_BuyerCode, g_ModelCode);
}

void SoftwareDownload::boot_clicked(bool ticked)
{
    m_boot_box = ticked;
    m_ota_box = false;
    reread_codes(true);
}

void SoftwareDownload::ota_clicked(bool ticked)
{
    m_ota_box = ticked;
    m_boot_box = false;
    reread_codes(false);
}

bool SoftwareDownload::open_chosen(const std::string& path)
{
    if (downloading()) {
        m_prompts.warning("On Processing");
        return false;
    }
    if (!code_file_size_ok(path, m_ota_box, m_boot_box, m_prompts))
        return false;
    m_ota = m_ota_box;
    m_boot = m_boot_box;
    m_file_name = path;
    m_obs.on_file_name(path);
    m_obs.on_status("");
    m_obs.on_percent(0);
    return true;
}

bool SoftwareDownload::take_file(const std::string& path)
{
    if (downloading()) {
        m_prompts.warning("On Processing");
        return false;
    }
    std::string previous = m_file_name;
    m_file_name = path;
    if (!read_code_file()) {
        m_file_name = previous;
        return false;
    }
    m_obs.on_file_name(path);
    return true;
}

bool SoftwareDownload::read_code_file()
{
    m_code.reset();
    m_code_watch.reset();
    m_code_size = 0;
    struct stat st
    {
    };
    // The receiver tool's short text, then which file and why, as every message of a file that
    // cannot be opened.
    auto refuse = [&](const std::string& reason) {
        m_prompts.error("File Open Failure\n" + m_file_name + ": " + reason);
        return false;
    };
    std::string reason;
    int fd = common::open_regular_file(m_file_name, &reason, &st);
    if (fd < 0)
        return refuse(reason);
    FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        reason = std::strerror(errno);
        ::close(fd);
        return refuse(reason);
    }
    if (st.st_size > 0xFFFFFFFELL) {
        std::fclose(f);
        return refuse("larger than the 4 GiB a code file can be");
    }
    // One spare byte, as the receiver tool always had; it is never sent.
    auto buf = std::make_shared<std::vector<uint8_t>>(size_t(st.st_size) + 1, 0);
    size_t got = std::fread(buf->data(), 1, size_t(st.st_size), f);
    const bool read_ok = !std::ferror(f);
    const int read_errno = errno;
    std::fclose(f);
    if (!read_ok)
        return refuse(std::strerror(read_errno));
    // A file that shrank under us is sent as what was read, never with bytes that were not.
    m_code_size = uint32_t(got);
    m_code = std::move(buf);
    m_code_watch = m_code;
    m_ota = m_ota_box;
    m_boot = m_boot_box;
    read_code_file_codes(m_code->data(), m_code_size, m_boot, g_BuyerCode, g_ModelCode);
    m_obs.on_expected_text(expected_time_figures(m_code_size));
    return true;
}

SoftwareDownload::Start SoftwareDownload::start(const LineOpener& open_line)
{
    if (downloading()) {
        m_prompts.warning("On downloading");
        return Start::Busy;
    }
    std::unique_ptr<SerialLine> line = open_line ? open_line() : nullptr;
    if (!line)
        return Start::PortFailed;
    if (!read_code_file() || m_code_size == 0) {
        m_prompts.warning("Please, check the file !");
        m_code.reset();
        return Start::FileRefused;
    }
    if (!code_file_size_ok(m_file_name, m_ota_box, m_boot_box, m_prompts)) {
        m_code.reset();
        return Start::FileRefused;
    }
    m_dn = m_dn_box;
    // The kind is fixed here, for the flash map and the header alike, so that a box clicked
    // during the download cannot send a header for one region and a map for another.
    m_kind = software_kind(m_boot, m_ota);
    fill_software_flash_map(m_blocks, m_kind, m_code_size);
    m_buyer = g_BuyerCode;
    m_model = g_ModelCode;

    ExchangeSetup setup;
    setup.kind = ExchangeKind::SoftwareToReceiver;
    setup.payload = m_code->data();
    setup.payload_size = m_code_size;
    setup.block_table = &m_blocks;
    const uint32_t type = software_header_type(m_kind);
    setup.header_type = [type] { return type; };
    setup.buyer_code = &m_buyer;
    setup.model_code = &m_model;
    setup.accept_any_version = m_dn;
    setup.max_refusals = m_max_refusals;

    g_Downloading = true;
    m_obs.on_percent(0);
    m_obs.on_time_text("00:00");
    m_obs.on_download_button(false);
    DownloadPageObserver& obs = m_obs;
    auto after = [&obs](SerialLine& l, ExchangeResult& r, bool cancelled) {
        // Stop ends the exchange on our side; the receiver is told so rather than left waiting.
        if (cancelled && r.outcome == ExchangeOutcome::Stopped)
            l.WriteByte(BYE);
        if (r.outcome == ExchangeOutcome::Complete)
            obs.on_expected_text("00:00");
        g_Downloading = false;
        obs.on_download_button(true);
    };
    // The worker becomes the only owner of the code buffer and releases it when it has ended.
    std::shared_ptr<void> keep = std::move(m_code);
    if (!m_worker.start(std::move(line), m_clock, m_obs, setup, std::move(keep), after)) {
        g_Downloading = false;
        m_obs.on_download_button(true);
        m_prompts.error("DownloadThreadProc Create Fail");
        return Start::WorkerFailed;
    }
    return Start::Started;
}

void SoftwareDownload::stop(uint32_t wait_ms)
{
    if (!downloading())
        return;
    m_worker.stop(wait_ms);
    m_code.reset();
    m_file_name.clear();
    m_code_size = 0;
    m_obs.on_file_name("");
    m_obs.on_percent(0);
    m_obs.on_status("");
    m_obs.on_time_text("00:00");
    m_obs.on_expected_text("00:00");
    m_obs.on_download_button(true);
}

} // namespace korvid
