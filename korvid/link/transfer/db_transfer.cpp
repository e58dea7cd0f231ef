#include "korvid/link/transfer/db_transfer.h"

#include "common/strfmt.h"
#include "korvid/database/codes.h"
#include "korvid/database/database_check.h"
#include "korvid/link/transfer/transfer_times.h"

namespace korvid {

DbTransfer::DbTransfer(CKorvidDoc& doc, common::Prompts& prompts)
    : m_doc(doc)
    , m_prompts(prompts)
{}

DbTransfer::~DbTransfer()
{
    m_worker.stop(CANCEL_WAIT_MS);
    // The worker's own destructor waits for the rest.
}

bool DbTransfer::prepare_send(const std::function<bool()>& test_port)
{
    m_prepared = false;
    m_direction = Direction::Send;
    if (!m_doc.database().sendable()) {
        m_prompts.warning("There is no data to send");
        return false;
    }
    // Asked before the port is tried: a database the user decides not to send needs no cable. Notes
    // are for the Check Database window; only what the receiver would trip over is asked about.
    if (const std::string question = send_check_question(check_database(m_doc.database()));
        !question.empty() && !m_prompts.ask_yes_no(question))
        return false;
    if (test_port && !test_port())
        return false;
    m_buffer = std::make_shared<std::vector<uint8_t>>(DB_TRANSFER_BUFFER_SIZE, 0);
    // The receiver's image goes into the transfer's own buffer: the document's tables stay in host
    // order whatever happens to the transfer, so a Save at any time writes what the user sees.
    const Database& db = m_doc.database();
    db.build_image_for_receiver(m_buffer->data());
    fill_database_flash_map(m_blocks, m_items);
    m_prepared = true;
    return true;
}

bool DbTransfer::prepare_receive(const std::function<bool()>& test_port)
{
    m_prepared = false;
    m_direction = Direction::Receive;
    m_received_problems.clear();
    auto chosen = m_prompts.save_file(CKorvidDoc::ird_dialog(true));
    if (!chosen || chosen->empty())
        return false;
    m_path = *chosen;
    if (test_port && !test_port())
        return false;
    m_buffer = std::make_shared<std::vector<uint8_t>>(DB_TRANSFER_BUFFER_SIZE, 0);
    fill_database_flash_map(m_blocks, m_items);
    m_prepared = true;
    return true;
}

std::string DbTransfer::expected_text() const
{
    return expected_time_text(DB_TRANSFER_SIZE);
}

bool DbTransfer::start(std::unique_ptr<SerialLine> line, LinkClock& clock, TransferObserver& observer)
{
    if (!m_prepared || m_started || !line)
        return false;
    ExchangeSetup setup;
    m_buyer = g_BuyerCode;
    m_model = g_ModelCode;
    setup.buyer_code = &m_buyer;
    setup.model_code = &m_model;
    setup.block_table = &m_blocks;
    setup.item_table = &m_items;
    setup.max_refusals = m_max_refusals;
    if (m_direction == Direction::Send) {
        setup.kind = ExchangeKind::DatabaseToReceiver;
        setup.payload = m_buffer->data();
        setup.payload_size = DB_TRANSFER_SIZE;
    } else {
        setup.kind = ExchangeKind::DatabaseFromReceiver;
        setup.receive_buffer = m_buffer->data();
        setup.receive_capacity = uint32_t(m_buffer->size());
        setup.announced_size = DB_TRANSFER_SIZE;
    }
    m_user_cancelled = false;
    if (!m_worker.start(std::move(line), clock, observer, setup, m_buffer)) {
        m_prompts.error(m_direction == Direction::Send ? "DownloadDBThreadProc Create Fail"
                                                       : "UploadDBThreadProc Create Fail");
        return false;
    }
    m_started = true;
    return true;
}

bool DbTransfer::cancel(uint32_t wait_ms)
{
    // A transfer that ran to its end has nothing left to stop: its result stands, and a database
    // received whole is kept, whatever closes the dialog.
    if (m_started && !m_worker.active() && m_worker.result().outcome == ExchangeOutcome::Complete)
        return true;
    m_user_cancelled = true;
    return m_worker.stop(wait_ms);
}

bool DbTransfer::aborted() const
{
    return m_user_cancelled || (!m_worker.active() && m_worker.result().aborted);
}

DbTransferOutcome DbTransfer::finish()
{
    if (!m_prepared)
        return DbTransferOutcome::NotRun;
    m_prepared = false;
    auto buffer = std::move(m_buffer); // a worker still running keeps its own reference

    if (!m_started)
        return DbTransferOutcome::NotRun;
    m_started = false;

    // Cancel gave up waiting for a worker stuck in a write: it still owns the line and the buffer,
    // and what it did cannot be trusted.
    if (m_worker.active() || aborted())
        return DbTransferOutcome::Aborted;

    // The receiver's codes (receive, or a 4-byte version answer) are ours from now on.
    g_BuyerCode = m_buyer;
    g_ModelCode = m_model;

    ExchangeResult r = m_worker.result();
    switch (r.outcome) {
    case ExchangeOutcome::VersionMismatch:
        return DbTransferOutcome::VersionMismatch;
    case ExchangeOutcome::Refused:
        return DbTransferOutcome::Refused;
    case ExchangeOutcome::LineDamaged:
        return DbTransferOutcome::LineDamaged;
    case ExchangeOutcome::Complete:
        break;
    default:
        return DbTransferOutcome::Aborted;
    }
    if (r.offset != DB_TRANSFER_SIZE) {
        // A receiver that ends early must not pass for a whole database: on a send the receiver
        // holds a part, on a receive the rest of the image would be zeros.
        m_prompts.error(common::strfmt("Transfer incomplete: %u of %u bytes", r.offset, DB_TRANSFER_SIZE));
        return DbTransferOutcome::Incomplete;
    }
    if (m_direction == Direction::Send)
        return DbTransferOutcome::Complete;

    // The writer clears the flag only when the file was written.
    m_doc.set_modified(true);
    if (!m_doc.save_received(buffer->data(), m_path))
        return DbTransferOutcome::WrongSyscode;
    // What arrived is the receiver's own list: it is kept and saved whatever the check finds, and
    // the findings go to the user beside it. The packet checksums cannot see two bit flips that
    // cancel out, so this is also where a damaged arrival shows.
    m_received_problems = check_database(m_doc.database());
    return m_doc.is_modified() ? DbTransferOutcome::SaveFailed : DbTransferOutcome::Complete;
}

const char* db_outcome_text(DbTransferOutcome outcome)
{
    switch (outcome) {
    case DbTransferOutcome::Complete:
        return "";
    case DbTransferOutcome::NotRun:
        return "Transfer not started";
    case DbTransferOutcome::Aborted:
        return "Communication Time Out";
    case DbTransferOutcome::VersionMismatch:
        return "Buyer/Model is different";
    case DbTransferOutcome::Incomplete:
        return "Transfer incomplete";
    case DbTransferOutcome::Refused:
        return "Transfer refused";
    case DbTransferOutcome::LineDamaged:
        return LINE_DAMAGED_TEXT;
    case DbTransferOutcome::WrongSyscode:
        return "Wrong DB : syscode";
    case DbTransferOutcome::SaveFailed:
        return "Can't save to this file";
    }
    return "";
}

} // namespace korvid
