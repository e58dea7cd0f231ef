#pragma once
// The receiver's side of the three exchanges, over any serial line: it leads with one-byte
// requests as the box does, checks what the PC sends and serves what the PC asks to fetch. The
// fault options reproduce what real links and boxes do wrong.
#include "korvid/link/com_port.h"

#include <chrono>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace receiver_sim {

enum class Exchange
{
    DbToReceiver,   // the PC sends the database
    DbFromReceiver, // the PC fetches the database
    Software,       // the PC sends a code file
};

struct Options
{
    Exchange exchange = Exchange::DbToReceiver;
    uint16_t buyer = 0xFFFF;
    uint16_t model = 0xFFFF;
    std::string out_file;       // where a received payload is written
    std::vector<uint8_t> image; // what an upload serves, in the receiver's byte order

    std::set<uint32_t> refuse_once;  // packet numbers (from 1) refused the first time
    uint32_t refuse_always = 0;      // packet number refused every time; 0 = none
    uint32_t corrupt_packet = 0;     // packet number whose first sending is damaged; 0 = none
    bool short_version = false;      // answer the version request with 4 bytes only
    uint32_t stray_after_packet = 0; // packet number followed by one stray byte; 0 = none
    uint32_t silent_after = 0;       // fall silent once this packet is through; 0 = never
    bool silent_before_write_done = false;
    uint32_t baud = 0; // 0: as fast as the line takes it
    bool trace = false;
    double noise = 0;                    // chance per byte, either way, of one flipped bit (a noisy cable)
    uint32_t seed = 1;                   // of the noise, so that a noisy run can be repeated
    uint32_t answer_timeout_ms = 10000;  // how long the PC may take for one answer
    uint32_t connect_timeout_ms = 60000; // how long HELLO is repeated
};

// Exit codes: 0 complete, 2 the exchange failed, 3 the PC refused our codes, 4 fell silent as told.
struct Outcome
{
    int exit_code = 2;
    std::string message;
};

class Receiver
{
public:
    Receiver(korvid::CComPort& port, const Options& options);
    Outcome run();

private:
    enum class Got
    {
        Wanted,
        Bye,
        TimedOut,
    };
    Got wait_for(std::initializer_list<uint8_t> wanted, uint32_t ms, uint8_t& got);
    bool read_block(uint8_t* buf, uint32_t n, uint32_t ms);
    bool send(const uint8_t* p, uint32_t n, const char* what);
    bool send_byte(uint8_t b);
    void pace(uint32_t bytes, std::chrono::steady_clock::time_point since);
    void trace(const std::string& line);
    // The cable's noise on `n` bytes that cross it.
    void disturb(uint8_t* p, uint32_t n);

    bool handshake(Outcome& out);
    bool version(Outcome& out);
    bool ask_block(uint8_t request, uint8_t answer, uint8_t* buf, uint32_t n, Outcome& out);
    Outcome take_payload();
    Outcome serve_image();
    Outcome go_silent(const std::string& why);
    Outcome finish_with_bye(const std::string& done);
    Outcome fail(const std::string& why);

    korvid::CComPort& m_port;
    Options m_opt;
    std::mt19937 m_rng;
    uint64_t m_flips = 0;
};

} // namespace receiver_sim
