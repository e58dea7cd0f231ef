#pragma once
// Sending the channel database to the receiver and fetching it back, without any window: the
// editor's two commands (before and after the "DB Transfer" dialog) and the dialog's worker,
// Cancel and outcome. The GUI binds widgets to these calls; korvid-cli runs them from a terminal.
//
// Order of use: prepare_send()/prepare_receive() on the window thread, then start() with an open
// line, the dialog shows observer reports until on_finished() or Cancel (cancel()), then finish()
// on the window thread.
#include "korvid/database/database_check.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/link/transfer/port_opening.h"
#include "korvid/link/transfer/transfer_worker.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

// The buffer a database transfer works in, zero-filled; the image is DB_TRANSFER_SIZE of it.
constexpr uint32_t DB_TRANSFER_BUFFER_SIZE = 0x100000;

enum class DbTransferOutcome
{
    NotRun,          // refused before a worker ran (no database, port, file choice)
    Complete,        // the receiver wrote it / the image arrived whole and was saved (whatever the
                     // database check found in it: see received_problems())
    Aborted,         // Cancel, or the receiver fell silent
    VersionMismatch, // the receiver's buyer/model codes differ from the database's
    Incomplete,      // the receiver ended the exchange before every byte was through
    Refused,         // the receiver refused one packet as often as allowed (set_max_refusals)
    LineDamaged,     // send: the line showed noise, so the receiver was stopped before it wrote
    WrongSyscode,    // the received image is not a database; nothing written
    SaveFailed,      // received and taken back, but the file could not be written
};

class DbTransfer
{
public:
    enum class Direction
    {
        Send,    // "Download DB": into the receiver
        Receive, // "Upload DB": from the receiver
    };

    DbTransfer(CKorvidDoc& doc, common::Prompts& prompts);
    // Waits for a worker that is still running; its buffer lives until then.
    ~DbTransfer();
    DbTransfer(const DbTransfer&) = delete;
    DbTransfer& operator=(const DbTransfer&) = delete;

    // Send, before the dialog: "There is no data to send" when no database is present; the
    // database check, with the question whether to send what it found damage in (notes are not
    // asked about); the port check; the buffer with the image in the receiver's order, built from the
    // tables without changing them. False when nothing is to run.
    bool prepare_send(const std::function<bool()>& test_port);
    // Receive, before the dialog: the file to save to is asked for first (Cancel: no transfer);
    // then the port check and the buffer. `chosen_path`, when given, replaces the dialog.
    bool prepare_receive(const std::function<bool()>& test_port);

    // Refusals of one packet before a send gives up; 0 (the dialog's way) never.
    void set_max_refusals(uint32_t n) { m_max_refusals = n; }

    Direction direction() const { return m_direction; }
    uint32_t image_size() const { return DB_TRANSFER_SIZE; }
    // The dialog's time line before the first packet: "expected : 00:47" for the image.
    std::string expected_text() const;
    const std::string& receive_path() const { return m_path; }

    // The dialog: runs the worker over `line` (already open). False when not prepared, a worker
    // runs, or no thread could be made ("DownloadDBThreadProc Create Fail" and its twin shown).
    bool start(std::unique_ptr<SerialLine> line, LinkClock& clock, TransferObserver& observer);
    // Cancel: marks the transfer aborted, stops the worker and waits for it up to `wait_ms`.
    // True when the worker has ended; the port is closed by then. After a complete exchange it
    // changes nothing.
    bool cancel(uint32_t wait_ms = CANCEL_WAIT_MS);
    bool wait(uint32_t wait_ms) { return m_worker.wait(wait_ms); }
    bool running() const { return m_worker.active(); }
    // The dialog's "aborted": Cancel or a silence time-out.
    bool aborted() const;

    // After the dialog, on the window thread. Send: the buffer goes. Receive, not aborted: the selection is
    // reset, the image taken back and its system code checked, the chosen file written and the database
    // made present. The codes the receiver gave are in g_BuyerCode/g_ModelCode afterwards.
    DbTransferOutcome finish();
    // After a receive whose image was taken (Complete, SaveFailed): what the database check found in
    // it, to be shown, not obeyed. Empty otherwise.
    const std::vector<DatabaseProblem>& received_problems() const { return m_received_problems; }

private:
    CKorvidDoc& m_doc;
    common::Prompts& m_prompts;
    Direction m_direction = Direction::Send;
    bool m_prepared = false;
    bool m_started = false;
    bool m_user_cancelled = false;
    std::string m_path;
    std::shared_ptr<std::vector<uint8_t>> m_buffer;
    FlashBlockTable m_blocks;
    ItemTable m_items;
    // The codes the loop compares or replaces; copied back to the globals by finish() only.
    uint16_t m_buyer = 0xFFFF;
    uint16_t m_model = 0xFFFF;
    uint32_t m_max_refusals = 0;
    std::vector<DatabaseProblem> m_received_problems;
    TransferWorker m_worker;
};

// The texts a command-line caller prints for an outcome; empty for Complete.
const char* db_outcome_text(DbTransferOutcome outcome);

} // namespace korvid
