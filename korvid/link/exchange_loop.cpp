#include "korvid/link/exchange_loop.h"

#include "common/strfmt.h"

#include <algorithm>
#include <cstring>

namespace korvid {

namespace {
const char* const TEXT_TIME_OUT = "Communication Time Out";
const char* const TEXT_VERSION = "Buyer/Model is different";
} // namespace

ExchangeLoop::ExchangeLoop(SerialLine& line,
                           LinkClock& clock,
                           ExchangeObserver& observer,
                           const ExchangeSetup& setup,
                           std::atomic<bool>& running)
    : m_line(line)
    , m_clock(clock)
    , m_obs(observer)
    , m_setup(setup)
    , m_running(running)
{}

ExchangeResult ExchangeLoop::run()
{
    m_offset = 0;
    m_connected = false;
    m_confirmed = false;
    m_data_started = false;
    m_await = Await::Nothing;
    m_refusals = 0;
    m_noisy = false;
    m_candidate_length = NO_CANDIDATE;
    m_measuring = false;
    m_last_byte = 0;
    m_last_chunk = 0;
    m_result = ExchangeResult{};
    // Until a header goes out the elapsed time counts from the start rather than from tick 0.
    m_header_tick = m_clock.now_ms();

    m_obs.on_percent(0);
    m_obs.on_status("Wait Connection..");
    m_line.PurgeRx();
    m_line.WriteByte(PROBE);
    m_timeout = CONNECT_TIMEOUT_MS;

    const bool receiving = m_setup.kind == ExchangeKind::DatabaseFromReceiver;
    while (m_running.load()) {
        uint8_t b = 0;
        bool got = m_line.ReadByte(b);
        uint32_t now = m_clock.now_ms();
        if (!m_measuring) {
            m_wait_start = now;
            m_measuring = true;
        }
        const bool wanted = got && expected(b);
        m_last_byte = wanted ? b : 0;
        // A line whose far end is gone ends the exchange as a silence would, without waiting for it.
        if (uint32_t(now - m_wait_start) > m_timeout || (!got && m_line.HungUp())) {
            time_out(TEXT_TIME_OUT);
            continue;
        }
        if (!wanted) {
            // Anything this side cannot be asked now is noise (a flipped bit on the cable, a stray
            // byte): it is not answered, and it does not count as the receiver speaking.
            if (!m_connected)
                m_line.WriteByte(PROBE);
            // A greeting repeated before our CONNECT was heard is the receiver's, not the cable's.
            else if (got && m_confirmed && b != HELLO && m_await != Await::Writing && !receiving)
                m_noisy = true;
            continue;
        }
        // The silence limit counts from the last byte we accepted.
        m_measuring = false;
        answer(b);
    }

    if (m_setup.kind != ExchangeKind::SoftwareToReceiver && m_last_byte != DATA_END)
        m_line.WriteByte(BYE);

    m_result.offset = m_offset;
    m_result.last_byte = m_last_byte;
    return m_result;
}

bool ExchangeLoop::expected(uint8_t b) const
{
    const bool receiving = m_setup.kind == ExchangeKind::DatabaseFromReceiver;
    // Version, tables and header come in the order the receiver asks, before the first packet.
    const bool setting_up = m_confirmed && !m_data_started;
    switch (b) {
    case HELLO:
        return !m_confirmed; // repeated while our CONNECT has not been heard
    case CONNECT:
        return m_connected && !m_data_started;
    case version_ack:
    case REQ_BLOCK_INFO:
    case ITEM_SIZE_REQ:
    case hdr_ack:
        return setting_up;
    case REQ_DATA:
        return !receiving && (setting_up || m_await == Await::Request);
    case DATA_ACK:
    case DATA_NACK:
        return !receiving && m_await == Await::Answer;
    case WRITE_DONE:
        // Before DATA_END it ends the exchange as incomplete, which is never taken for success.
        return !receiving && m_confirmed;
    case DATA:
        // After our DATA_ACK only a repeat can come: the receiver heard a refusal.
        return receiving && (setting_up || m_await == Await::Packet || m_await == Await::Continuation);
    case DATA_NEXT:
    case DATA_END:
        // A DATA_END before the size asked for (a flipped DATA_NEXT, or a short image) ends the
        // loop, and its owner reports the transfer incomplete.
        return receiving && m_await == Await::Continuation;
    default:
        return false;
    }
}

void ExchangeLoop::stop(ExchangeOutcome outcome)
{
    m_result.outcome = outcome;
    m_running = false;
}

void ExchangeLoop::time_out(const char* text)
{
    stop(ExchangeOutcome::TimedOut);
    m_result.aborted = true;
    m_obs.on_status(text);
    m_obs.on_message_box(text);
    m_line.WriteByte(BYE);
}

void ExchangeLoop::set_percent(uint64_t done, uint64_t total)
{
    uint64_t p = total ? done * 100 / total : 100;
    m_obs.on_percent(uint32_t(std::min<uint64_t>(p, 100)));
}

std::string ExchangeLoop::elapsed_text(const char* fmt)
{
    long e = long((m_clock.now_ms() - m_header_tick) / 1000);
    long minutes = e / 60;
    long seconds = e - 60 * minutes;
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, minutes, seconds);
    return buf;
}

void ExchangeLoop::answer(uint8_t b)
{
    const ExchangeKind kind = m_setup.kind;
    const bool receiving = kind == ExchangeKind::DatabaseFromReceiver;
    const bool software = kind == ExchangeKind::SoftwareToReceiver;

    switch (b) {
    case HELLO:
        m_connected = true;
        m_line.WriteByte(CONNECT);
        break;
    case CONNECT:
        m_confirmed = true;
        m_timeout = EXCHANGE_TIMEOUT_MS;
        m_obs.on_status(software ? "Connected..." : "Connected..");
        m_line.WriteByte(CONNECT_ACK);
        break;
    case version_ack:
        on_version();
        break;
    case REQ_BLOCK_INFO:
        send_table(BLOCK_INFO, true);
        break;
    case ITEM_SIZE_REQ:
        if (software)
            break;
        send_table(ITEM_SIZE, false);
        if (receiving) {
            m_line.WriteByte(REQ_DATA);
            m_await = Await::Packet;
        }
        break;
    case hdr_ack:
        send_header();
        break;
    case REQ_DATA:
        if (!receiving)
            send_packet();
        break;
    case DATA_NACK:
        if (receiving)
            break;
        // The receiver saw a flip; others in the same stretch of line may have cancelled out.
        m_noisy = true;
        m_obs.on_status(software ? "Check Sum Failed" : "Checksum error");
        if (m_setup.max_refusals && ++m_refusals >= m_setup.max_refusals) {
            give_up();
            break;
        }
        send_packet();
        break;
    case DATA_ACK:
        if (!receiving)
            advance();
        break;
    case DATA:
        if (receiving)
            receive_packet();
        break;
    case DATA_NEXT:
        if (!receiving)
            break;
        m_obs.on_status("Data Transfer");
        m_line.WriteByte(REQ_DATA);
        m_await = Await::Packet;
        break;
    case DATA_END:
        if (!receiving)
            break;
        m_obs.on_status("Transfer Complete");
        m_obs.on_percent(100);
        // As after a send: the transfer is over, and only OK is left to press.
        m_obs.on_hide_cancel();
        stop(ExchangeOutcome::Complete);
        m_line.WriteByte(BYE);
        break;
    case WRITE_DONE:
        if (receiving)
            break;
        if (!software) {
            m_obs.on_status("Transfer Complete");
            stop(ExchangeOutcome::Complete);
            m_line.WriteByte(BYE);
            break;
        }
        m_obs.on_busy_picture(false);
        if (m_offset == m_setup.payload_size) {
            m_obs.on_message_box("Transfer Complete..");
            m_obs.on_status("Transfer Complete..");
            m_obs.on_percent(0);
            m_obs.on_time_text("00:00");
            m_line.WriteByte(BYE);
            stop(ExchangeOutcome::Complete);
        } else {
            stop(ExchangeOutcome::SoftwareIncomplete);
        }
        m_obs.on_stop_enabled(true);
        break;
    default:
        break; // not a request this side answers
    }
}

ExchangeLoop::Wait ExchangeLoop::block_wait(uint32_t n)
{
    const uint32_t start = m_clock.now_ms();
    bool four = false;
    uint32_t four_since = 0;
    for (;;) {
        uint32_t queued = m_line.QueuedBytes();
        if (queued == n)
            return Wait::Full;
        if (m_line.HungUp())
            return Wait::HungUp;
        uint32_t now = m_clock.now_ms();
        if (n == VersionBlock::SIZE && queued == 4) {
            if (!four) {
                four = true;
                four_since = now;
            } else if (uint32_t(now - four_since) >= SHORT_VERSION_STEADY_MS) {
                return Wait::ShortVersion;
            }
        } else {
            four = false;
        }
        if (uint32_t(now - start) >= BLOCK_WAIT_MS || !m_running.load())
            return Wait::Expired;
        m_clock.pause_poll();
    }
}

void ExchangeLoop::on_version()
{
    VersionBlock v; // zeros: what a missing answer reads as
    Wait w = block_wait(VersionBlock::SIZE);
    if (w == Wait::HungUp) {
        time_out(TEXT_TIME_OUT);
        return;
    }
    uint16_t buyer = 0, model = 0;
    if (w == Wait::ShortVersion) {
        // A receiver that answers with 4 bytes gives no codes. Its 4 bytes are taken off the line
        // so that they are not answered as requests.
        uint8_t junk[4];
        m_line.Read(junk, sizeof junk);
    } else {
        // Full: the whole block. Expired: whatever came (the rest stays zero); the wait is over
        // and never resumed for the missing bytes.
        m_line.Read(v.bytes, VersionBlock::SIZE);
        buyer = v.buyer();
        model = v.model();
    }
    if (w == Wait::ShortVersion || m_setup.kind == ExchangeKind::DatabaseFromReceiver) {
        if (m_setup.buyer_code)
            *m_setup.buyer_code = buyer;
        if (m_setup.model_code)
            *m_setup.model_code = model;
    }
    if (m_setup.kind == ExchangeKind::DatabaseFromReceiver) {
        m_line.WriteByte(VERSION_OK);
        return;
    }
    uint16_t ours_buyer = m_setup.buyer_code ? *m_setup.buyer_code : 0xFFFF;
    uint16_t ours_model = m_setup.model_code ? *m_setup.model_code : 0xFFFF;
    bool pass = (m_setup.kind == ExchangeKind::SoftwareToReceiver && m_setup.accept_any_version) ||
                CheckVersion(v, ours_buyer, ours_model);
    if (pass) {
        m_line.WriteByte(VERSION_OK);
        return;
    }
    m_line.WriteByte(VERSION_BAD);
    m_obs.on_message_box(TEXT_VERSION);
    m_obs.on_status(TEXT_VERSION);
    stop(ExchangeOutcome::VersionMismatch);
}

void ExchangeLoop::send_table(uint8_t lead, bool blocks)
{
    uint8_t buf[1 + FlashBlockTable::WIRE_SIZE];
    buf[0] = lead;
    uint32_t len;
    if (blocks) {
        FlashBlockTable empty;
        (m_setup.block_table ? *m_setup.block_table : empty).encode(buf + 1);
        len = FlashBlockTable::WIRE_SIZE;
    } else {
        ItemTable empty;
        (m_setup.item_table ? *m_setup.item_table : empty).encode(buf + 1);
        len = ItemTable::WIRE_SIZE;
    }
    m_line.Write(buf, 1 + len);
}

void ExchangeLoop::send_header()
{
    TransferHeader h;
    switch (m_setup.kind) {
    case ExchangeKind::DatabaseToReceiver:
        h.type = HEADER_DB_TO_RECEIVER;
        h.size = m_setup.payload_size;
        break;
    case ExchangeKind::DatabaseFromReceiver:
        h.type = HEADER_DB_FROM_RECEIVER;
        h.size = m_setup.announced_size;
        break;
    case ExchangeKind::SoftwareToReceiver:
        h.type = HEADER_MAIN_SOFTWARE;
        h.size = m_setup.payload_size;
        break;
    }
    if (m_setup.header_type)
        h.type = m_setup.header_type();
    uint8_t buf[1 + TransferHeader::SIZE];
    buf[0] = HEADER;
    h.encode(buf + 1);
    m_line.Write(buf, sizeof buf);
    m_header_tick = m_clock.now_ms();
}

void ExchangeLoop::send_packet()
{
    uint8_t buf[1 + PACKET_SIZE];
    buf[0] = DATA;
    m_last_chunk =
        build_packet(m_setup.payload, m_setup.payload ? m_setup.payload_size : 0, m_offset, buf + 1);
    m_line.Write(buf, sizeof buf);
    m_data_started = true;
    m_await = Await::Answer;
}

void ExchangeLoop::give_up()
{
    const uint32_t packet = m_offset / PACKET_DATA_MAX + 1;
    std::string text =
        common::strfmt("The receiver refused packet %u %u times: giving up", packet, m_refusals);
    stop(ExchangeOutcome::Refused);
    m_obs.on_status(text);
    m_obs.on_message_box(text);
    m_line.WriteByte(BYE);
}

void ExchangeLoop::stop_before_writing()
{
    stop(ExchangeOutcome::LineDamaged);
    m_await = Await::Nothing;
    m_obs.on_status(LINE_DAMAGED_TEXT);
    m_obs.on_message_box(LINE_DAMAGED_TEXT);
    m_line.WriteByte(BYE);
}

void ExchangeLoop::advance()
{
    const uint32_t size = m_setup.payload_size;
    m_offset += m_last_chunk;
    m_refusals = 0;
    // The receiver keeps the packets until DATA_END and only then writes: the last moment to keep
    // a payload that the line may have damaged where its checksums cannot tell out of its flash.
    if (m_last_chunk != PACKET_DATA_MAX && m_noisy) {
        stop_before_writing();
        return;
    }
    if (m_setup.kind == ExchangeKind::DatabaseToReceiver) {
        m_obs.on_status("Data Transfer");
        m_obs.on_time_text(elapsed_text("Elapsed %02ld:%02ld"));
        if (m_last_chunk == PACKET_DATA_MAX) {
            m_last_chunk = 0;
            m_line.WriteByte(DATA_NEXT);
            m_await = Await::Request;
            set_percent(m_offset, size);
        } else {
            m_line.WriteByte(DATA_END);
            m_await = Await::Writing;
            m_obs.on_percent(100);
            m_obs.on_status("On Writing.. Please Wait!");
            m_obs.on_hide_cancel();
            m_timeout = WRITING_TIMEOUT_MS;
        }
        return;
    }
    if (m_last_chunk == PACKET_DATA_MAX) {
        set_percent(m_offset, size);
        m_obs.on_status("DATA_ACK");
        m_obs.on_time_text(elapsed_text("%02ld:%02ld"));
        m_line.WriteByte(DATA_NEXT);
        m_await = Await::Request;
    } else {
        m_line.WriteByte(DATA_END);
        m_await = Await::Writing;
        m_obs.on_percent(100);
        m_obs.on_status("On Writing.. Wait Please!");
        m_obs.on_busy_picture(true);
        m_timeout = WRITING_TIMEOUT_MS;
    }
}

void ExchangeLoop::receive_packet()
{
    uint8_t pkt[PACKET_SIZE] = {};
    Wait w = block_wait(PACKET_SIZE);
    if (w == Wait::HungUp) {
        time_out(TEXT_TIME_OUT);
        return;
    }
    if (w != Wait::Full) {
        if (!m_running.load())
            return; // stopped by the owner while waiting: not a failure of the link
        m_obs.on_status(TEXT_TIME_OUT);
        m_obs.on_message_box(TEXT_TIME_OUT);
        stop(ExchangeOutcome::PacketTimeOut);
        return;
    }
    uint32_t got = m_line.Read(pkt, PACKET_SIZE);
    PacketCheck c = check_packet(pkt);
    const uint32_t offset = m_offset;
    // A packet that is short, damaged, or would run past the buffer is refused and not stored.
    bool fits = m_setup.receive_buffer && c.length <= m_setup.receive_capacity &&
                offset <= m_setup.receive_capacity - c.length;
    m_data_started = true;
    if (m_await == Await::Continuation) {
        // Our DATA_ACK reached the receiver as a refusal and it sent the packet again. The same
        // bytes are acknowledged again and not stored twice; anything else is refused.
        const uint32_t last = m_last_chunk;
        bool repeat = got == PACKET_SIZE && c.ok && c.length == last && last <= offset &&
                      std::memcmp(m_setup.receive_buffer + offset - last, pkt + 8, last) == 0;
        m_line.WriteByte(repeat ? DATA_ACK : DATA_NACK);
        return;
    }
    const bool good = got == PACKET_SIZE && c.ok && fits;
    if (good && confirmed(pkt + 8, c.length)) {
        m_candidate_length = NO_CANDIDATE;
        std::memcpy(m_setup.receive_buffer + offset, pkt + 8, c.length);
        m_line.WriteByte(DATA_ACK);
        m_offset = offset + c.length;
        m_last_chunk = c.length;
        m_await = Await::Continuation;
    } else {
        // On a line that has damaged a packet, two flips that cancel out in the byte sum are a
        // real chance: from then on a packet is stored only once two copies of it agree, and the
        // first good-looking copy is refused to have it again.
        if (!good)
            m_noisy = true;
        m_line.WriteByte(DATA_NACK); // the receiver sends the same packet again
        m_await = Await::Packet;
    }
    set_percent(m_offset, m_setup.announced_size);
    m_obs.on_time_text(elapsed_text("Elapsed %02ld:%02ld"));
}

bool ExchangeLoop::confirmed(const uint8_t* data, uint32_t length)
{
    if (!m_noisy)
        return true;
    if (m_candidate_length == length && std::memcmp(m_candidate, data, length) == 0)
        return true;
    std::memcpy(m_candidate, data, length);
    m_candidate_length = length;
    return false;
}

} // namespace korvid
