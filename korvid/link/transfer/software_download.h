#pragma once
// Sending receiver software (a "code file") over the link, without any window: what the
// downloader page's Open, Download and Stop buttons and its BOOT, OTA and DN boxes do. The page
// binds its widgets to DownloadPageObserver; korvid-cli flash runs the same object.
#include "common/prompts.h"
#include "korvid/link/transfer/port_opening.h"
#include "korvid/link/transfer/transfer_worker.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

enum class SoftwareKind
{
    Main,
    Boot,
    Ota,
};

// BOOT wins over OTA when both are ticked.
SoftwareKind software_kind(bool boot, bool ota);
uint32_t software_header_type(SoftwareKind kind);
// The one flash region the receiver erases for this kind (count 2, one entry).
void fill_software_flash_map(FlashBlockTable& table, SoftwareKind kind, uint32_t code_size);

// Code files of these sizes or more are refused for the special kinds.
constexpr uint32_t BOOT_SIZE_LIMIT = 0x10000;
constexpr uint32_t OTA_SIZE_LIMIT = 0x30000;
// Where the big-endian buyer and model codes sit in a code file.
constexpr uint32_t MAIN_BUYER_AT = 30;
constexpr uint32_t MAIN_MODEL_AT = 34;
constexpr uint32_t BOOT_BUYER_AT = 256;
constexpr uint32_t BOOT_MODEL_AT = 258;

// The codes of a code file's bytes. A code whose two bytes are not both in the file becomes
// 0xFFFF, "no code known": such a file then matches only a receiver that gives no codes either,
// unless DN is ticked.
void read_code_file_codes(const uint8_t* data, size_t size, bool boot, uint16_t& buyer, uint16_t& model);

// The size check of Open and Download, each limit only when its box is ticked: "can't open
// file" or "boot file is too big" (the receiver's own wording, also for OTA files).
bool code_file_size_ok(const std::string& path, bool ota, bool boot, common::Prompts& prompts);

// g_Downloading: a software download runs; the main window reads it before switching modes.
extern std::atomic<bool> g_Downloading;

class DownloadPageObserver : public TransferObserver
{
public:
    // The page's expected field ("%02ld:%02ld").
    virtual void on_expected_text(const std::string& /*text*/) {}
    // Download is hidden while a download runs and shown again when it ends.
    virtual void on_download_button(bool /*shown*/) {}
    // The file name box; empty after Stop.
    virtual void on_file_name(const std::string& /*name*/) {}
};

class SoftwareDownload
{
public:
    enum class Start
    {
        Started,
        PortFailed,   // the opener has told the user
        Busy,         // "On downloading"
        FileRefused,  // "File Open Failure"/"Please, check the file !"/size check
        WorkerFailed, // "DownloadThreadProc Create Fail"
    };

    SoftwareDownload(common::Prompts& prompts, DownloadPageObserver& observer, LinkClock& clock);
    // The page goes away: a running download is stopped and waited for.
    ~SoftwareDownload();
    SoftwareDownload(const SoftwareDownload&) = delete;
    SoftwareDownload& operator=(const SoftwareDownload&) = delete;

    // The boxes as the page shows them now. BOOT and OTA are taken when a file is read and when a
    // download starts; DN when a download starts.
    void set_boxes(bool ota, bool boot, bool dn);
    // Refusals of one packet before the download gives up; 0 (the page's way) never.
    void set_max_refusals(uint32_t n) { m_max_refusals = n; }
    bool ota_box() const { return m_ota_box; }
    bool boot_box() const { return m_boot_box; }
    // A click on BOOT or OTA: the other box clears and the codes of a file in memory are read
    // again at the offsets of the new kind.
    void boot_clicked(bool ticked);
    void ota_clicked(bool ticked);

    // Open: the chosen path, after the size check, becomes the file name; the file is read only
    // when Download is pressed. "On Processing" while a download runs.
    bool open_chosen(const std::string& path);
    // A file dropped on the window or named on the command line: becomes the file name and is
    // read at once. Refused with "On Processing" while a download runs, since the worker is
    // sending the buffer a new file would replace.
    bool take_file(const std::string& path);
    // Download.
    Start start(const LineOpener& open_line);
    // Stop: only while a download runs. Waits up to `wait_ms` for the worker, then clears the
    // page. The code buffer is released by the worker when it has ended.
    void stop(uint32_t wait_ms = CANCEL_WAIT_MS);

    bool downloading() const { return m_worker.active(); }
    // Waits up to `wait_ms` for a running download to end by itself.
    bool wait(uint32_t wait_ms) { return m_worker.wait(wait_ms); }
    // Once ended: the loop's result, Complete only when every byte was confirmed.
    ExchangeResult result() const { return m_worker.result(); }
    bool cancelled() const { return m_worker.cancelled(); }

    const std::string& file_name() const { return m_file_name; }
    uint32_t code_size() const { return m_code_size; }
    uint32_t code_offset() const { return m_worker.offset(); }
    SoftwareKind kind() const { return m_kind; }
    const FlashBlockTable& block_table() const { return m_blocks; }
    // Lets a caller watch the code buffer go without owning it.
    std::weak_ptr<const std::vector<uint8_t>> code_buffer() const { return m_code_watch; }

private:
    // Reads the file named on the page: size, buffer, the stored boxes, codes, expected time.
    bool read_code_file();
    void reread_codes(bool boot);

    common::Prompts& m_prompts;
    DownloadPageObserver& m_obs;
    LinkClock& m_clock;
    std::string m_file_name;
    bool m_ota_box = false, m_boot_box = false, m_dn_box = false;
    // As stored when the file was read or the download started.
    bool m_ota = false, m_boot = false, m_dn = false;
    uint32_t m_max_refusals = 0;
    SoftwareKind m_kind = SoftwareKind::Main;
    std::shared_ptr<std::vector<uint8_t>> m_code; // held only while no worker has it
    std::weak_ptr<const std::vector<uint8_t>> m_code_watch;
    uint32_t m_code_size = 0;
    FlashBlockTable m_blocks;
    uint16_t m_buyer = 0xFFFF; // the worker's copies of the codes
    uint16_t m_model = 0xFFFF;
    TransferWorker m_worker;
};

} // namespace korvid
