#pragma once
// The one exchange loop of every transfer with the receiver: the PC probes until the receiver
// greets it, then answers each one-byte request. The three transfers differ only in some answers.
// The loop knows nothing of windows: it reports through ExchangeObserver, reads a serial line
// and a clock, and stops when its running flag is cleared.
#include "korvid/link/link_blocks.h"
#include "korvid/link/serial_line.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace korvid {

enum class ExchangeKind
{
    DatabaseToReceiver,
    DatabaseFromReceiver,
    SoftwareToReceiver,
};

// What the loop tells its owner. Calls come from the thread that runs the loop; a GUI turns each
// into a queued call on its window thread. None of them may wait for the user.
class ExchangeObserver
{
public:
    virtual ~ExchangeObserver() = default;
    virtual void on_status(const std::string& /*text*/) {}
    virtual void on_percent(uint32_t /*percent*/) {}
    // "Elapsed %02ld:%02ld" (database) or "%02ld:%02ld" (software page's elapsed field).
    virtual void on_time_text(const std::string& /*text*/) {}
    // A message box with an OK button; the loop goes on without waiting for it.
    virtual void on_message_box(const std::string& /*text*/) {}
    // Database send: the last packet is confirmed, the receiver writes; database receive: the
    // whole image is in. Either way there is nothing left to cancel, and Cancel goes away.
    virtual void on_hide_cancel() {}
    // Software send: `shown` true once the receiver writes (the page also disables Stop), false
    // when the receiver reports it has written everything.
    virtual void on_busy_picture(bool /*shown*/) {}
    // Software send: the receiver reported WRITE_DONE; Stop is usable again.
    virtual void on_stop_enabled(bool /*enabled*/) {}
};

struct ExchangeSetup
{
    ExchangeKind kind = ExchangeKind::DatabaseToReceiver;

    // Sending: the payload and its size.
    const uint8_t* payload = nullptr;
    uint32_t payload_size = 0;
    // Receiving: the buffer, its capacity (nothing is ever stored beyond it) and the size the
    // receiver is expected to send (the header's size and the base of the percent).
    uint8_t* receive_buffer = nullptr;
    uint32_t receive_capacity = 0;
    uint32_t announced_size = 0;

    FlashBlockTable* block_table = nullptr;
    ItemTable* item_table = nullptr;
    // The header type, asked for when the receiver asks for the header (the software page reads
    // its BOOT and OTA boxes at that moment).
    std::function<uint32_t()> header_type;

    // The codes of what we hold (g_BuyerCode, g_ModelCode): compared with the receiver's when
    // sending, replaced by the receiver's when receiving.
    uint16_t* buyer_code = nullptr;
    uint16_t* model_code = nullptr;
    // Software send with the DN box ticked: any receiver codes are accepted.
    bool accept_any_version = false;
    // Sending: the exchange gives up when the receiver refuses one packet this many times (0: the
    // packet is sent again for as long as the receiver asks). Unattended callers bound it; a
    // window, where the user sees "Checksum error" repeat and has Cancel, does not.
    uint32_t max_refusals = 0;
};

enum class ExchangeOutcome
{
    Complete,           // WRITE_DONE (sending) or DATA_END (receiving)
    SoftwareIncomplete, // software: WRITE_DONE before everything was confirmed
    TimedOut,           // silence beyond the time-out, or the line hung up
    PacketTimeOut,      // a received packet did not complete within the block wait
    VersionMismatch,
    Refused, // sending: the receiver refused one packet max_refusals times
    // Sending: the line damaged something on the way, so the last packet was answered with BYE
    // instead of DATA_END and the receiver wrote nothing.
    LineDamaged,
    Stopped, // the owner cleared the running flag
};

// The status and message box of a send that the line's noise stopped before the receiver wrote.
constexpr const char* LINE_DAMAGED_TEXT = "Transfer stopped: the line damaged data; nothing was written";

struct ExchangeResult
{
    ExchangeOutcome outcome = ExchangeOutcome::Stopped;
    uint32_t offset = 0;   // bytes confirmed
    uint8_t last_byte = 0; // the byte accepted in the last pass, 0 when none (or only noise) came
    // The database dialog's "aborted": a silence time-out (a Cancel is the owner's to add).
    bool aborted = false;
};

// Limits of the loop, in milliseconds of its clock.
constexpr uint32_t CONNECT_TIMEOUT_MS = 30000;
constexpr uint32_t EXCHANGE_TIMEOUT_MS = 10000;
constexpr uint32_t WRITING_TIMEOUT_MS = 60000;
constexpr uint32_t BLOCK_WAIT_MS = 2000;
// A 4-byte answer to the version request counts once the queue has held exactly 4 bytes this long.
constexpr uint32_t SHORT_VERSION_STEADY_MS = 50;
// Refusals of one packet after which an unattended sender (the command line) gives up.
constexpr uint32_t UNATTENDED_MAX_REFUSALS = 64;

class ExchangeLoop
{
public:
    ExchangeLoop(SerialLine& line,
                 LinkClock& clock,
                 ExchangeObserver& observer,
                 const ExchangeSetup& setup,
                 std::atomic<bool>& running);

    // Runs until WRITE_DONE/DATA_END, a failure, or the running flag is cleared. The flag must be
    // set by the caller before; the loop clears it when it ends by itself.
    ExchangeResult run();

    // Bytes confirmed so far; readable from any thread while the loop runs.
    uint32_t offset() const { return m_offset.load(); }

private:
    enum class Wait
    {
        Full,
        ShortVersion,
        Expired,
        HungUp,
    };
    // Where the exchange stands once the data flow has begun: what the receiver may send next.
    enum class Await
    {
        Nothing,
        Answer,       // sending: DATA_ACK or DATA_NACK for the packet just sent
        Request,      // sending: REQ_DATA after DATA_NEXT
        Writing,      // sending: WRITE_DONE after DATA_END
        Packet,       // receiving: DATA after REQ_DATA or DATA_NACK
        Continuation, // receiving: DATA_NEXT or DATA_END after DATA_ACK
    };
    // Whether `b` is a request the receiver can make at this point of the exchange. Anything else
    // is noise on the line and is neither answered nor counted as the receiver speaking, so that
    // no flipped bit can move the exchange on, let alone end it as complete.
    bool expected(uint8_t b) const;
    Wait block_wait(uint32_t n);
    void answer(uint8_t b);
    void give_up();
    // Sending, the last packet confirmed on a noisy line: BYE where DATA_END would let it write.
    void stop_before_writing();
    void on_version();
    void send_packet();
    void advance();
    void receive_packet();
    // Receiving on a line known to be noisy: whether these packet bytes repeat the copy held back
    // from the last good-looking arrival of the same packet. If not, they become that copy.
    bool confirmed(const uint8_t* data, uint32_t length);
    void send_table(uint8_t lead, bool blocks);
    void send_header();
    void time_out(const char* text);
    void stop(ExchangeOutcome outcome);
    void set_percent(uint64_t done, uint64_t total);
    std::string elapsed_text(const char* fmt);

    SerialLine& m_line;
    LinkClock& m_clock;
    ExchangeObserver& m_obs;
    ExchangeSetup m_setup;
    std::atomic<bool>& m_running;
    std::atomic<uint32_t> m_offset{0};

    // LinkState
    bool m_connected = false;
    bool m_confirmed = false;    // the receiver's CONNECT came
    bool m_data_started = false; // the first packet went out (sending) or came in (receiving)
    Await m_await = Await::Nothing;
    uint32_t m_refusals = 0; // of the packet at the offset
    // Receiving: a damaged packet came, so every later packet must arrive twice alike. Sending: the
    // receiver refused a packet or a byte came that it could not have sent, so what it holds may
    // carry flips its checksum cannot see, and it must not write it.
    bool m_noisy = false;
    static constexpr uint32_t NO_CANDIDATE = UINT32_MAX;
    uint32_t m_candidate_length = NO_CANDIDATE;
    uint8_t m_candidate[PACKET_DATA_MAX] = {};
    bool m_measuring = false;
    uint32_t m_wait_start = 0;
    uint32_t m_timeout = CONNECT_TIMEOUT_MS;
    uint8_t m_last_byte = 0;
    uint32_t m_last_chunk = 0;
    uint32_t m_header_tick = 0;

    ExchangeResult m_result;
};

} // namespace korvid
