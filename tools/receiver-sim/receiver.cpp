#include "tools/receiver-sim/receiver.h"

#include "common/strfmt.h"
#include "korvid/link/link_blocks.h"

#include <cstdio>
#include <fstream>
#include <thread>

namespace receiver_sim {

using namespace korvid;
using Clock = std::chrono::steady_clock;
using common::strfmt;

namespace {
uint32_t ms_since(Clock::time_point t)
{
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}
} // namespace

Receiver::Receiver(CComPort& port, const Options& options)
    : m_port(port)
    , m_opt(options)
    , m_rng(options.seed)
{}

void Receiver::disturb(uint8_t* p, uint32_t n)
{
    if (m_opt.noise <= 0)
        return;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    for (uint32_t i = 0; i < n; ++i)
        if (chance(m_rng) < m_opt.noise) {
            p[i] ^= uint8_t(1u << (m_rng() % 8));
            ++m_flips;
        }
}

void Receiver::trace(const std::string& line)
{
    if (m_opt.trace)
        std::fprintf(stderr, "receiver-sim: %s\n", line.c_str());
}

// At a given baud rate a byte takes ten bit times (start, 8 data, stop).
void Receiver::pace(uint32_t bytes, Clock::time_point since)
{
    if (!m_opt.baud)
        return;
    auto due = since + std::chrono::microseconds(uint64_t(bytes) * 10 * 1000000 / m_opt.baud);
    std::this_thread::sleep_until(due);
}

bool Receiver::send(const uint8_t* p, uint32_t n, const char* what)
{
    if (m_opt.trace) {
        if (n == 1)
            trace(strfmt("tx %02X %s", p[0], link_byte_name(p[0])));
        else
            trace(strfmt("tx %s (%u bytes)", what, n));
    }
    std::vector<uint8_t> noisy;
    if (m_opt.noise > 0) {
        noisy.assign(p, p + n);
        disturb(noisy.data(), n);
        p = noisy.data();
    }
    if (!m_opt.baud)
        return m_port.Write(p, n) == 1;
    // Paced: hand the bytes over in small slices at line speed.
    auto start = Clock::now();
    uint32_t done = 0;
    while (done < n) {
        uint32_t slice = std::min<uint32_t>(n - done, 16);
        if (m_port.Write(p + done, slice) != 1)
            return false;
        done += slice;
        pace(done, start);
    }
    return true;
}

bool Receiver::send_byte(uint8_t b)
{
    return send(&b, 1, "");
}

Receiver::Got Receiver::wait_for(std::initializer_list<uint8_t> wanted, uint32_t ms, uint8_t& got)
{
    auto start = Clock::now();
    while (ms_since(start) < ms) {
        uint8_t b;
        if (!m_port.ReadByte(b)) {
            if (m_port.HungUp())
                return Got::TimedOut; // the PC has gone; nothing more will come
            continue;
        }
        disturb(&b, 1);
        pace(1, Clock::now());
        for (uint8_t w : wanted)
            if (b == w) {
                trace(strfmt("rx %02X %s", b, link_byte_name(b)));
                got = b;
                return Got::Wanted;
            }
        if (b == BYE) {
            trace("rx A0 BYE");
            got = b;
            return Got::Bye;
        }
        trace(strfmt("rx %02X %s (ignored)", b, link_byte_name(b)));
    }
    return Got::TimedOut;
}

bool Receiver::read_block(uint8_t* buf, uint32_t n, uint32_t ms)
{
    auto start = Clock::now();
    uint32_t have = 0;
    while (have < n) {
        have += m_port.Read(buf + have, n - have);
        if (have >= n)
            break;
        if (ms_since(start) >= ms || m_port.HungUp())
            return false;
        m_port.WaitReadable(10);
    }
    disturb(buf, n);
    pace(n, start);
    trace(strfmt("rx block (%u bytes)", n));
    return true;
}

Outcome Receiver::fail(const std::string& why)
{
    return Outcome{2, why};
}

bool Receiver::handshake(Outcome& out)
{
    auto start = Clock::now();
    uint8_t got = 0;
    for (;;) {
        if (!send_byte(HELLO)) {
            out = fail("cannot write to the line");
            return false;
        }
        if (wait_for({CONNECT}, 100, got) == Got::Wanted)
            break;
        if (ms_since(start) >= m_opt.connect_timeout_ms) {
            out = fail("no CONNECT from the PC");
            return false;
        }
    }
    send_byte(CONNECT);
    if (wait_for({CONNECT_ACK}, m_opt.answer_timeout_ms, got) != Got::Wanted) {
        out = fail("no CONNECT_ACK from the PC");
        return false;
    }
    return true;
}

bool Receiver::version(Outcome& out)
{
    uint8_t buf[1 + VersionBlock::SIZE];
    buf[0] = version_ack;
    VersionBlock v = VersionBlock::make(m_opt.buyer, m_opt.model);
    std::copy(v.bytes, v.bytes + VersionBlock::SIZE, buf + 1);
    send_byte(version_ack);
    send(buf + 1, m_opt.short_version ? 4 : VersionBlock::SIZE, "version block");
    uint8_t got = 0;
    Got g = wait_for({VERSION_OK, VERSION_BAD}, m_opt.answer_timeout_ms, got);
    if (g != Got::Wanted) {
        out = fail("no answer to the version block");
        return false;
    }
    if (got == VERSION_BAD) {
        out = Outcome{3,
                      strfmt("the PC refused buyer %04X model %04X (VERSION_BAD)", m_opt.buyer, m_opt.model)};
        return false;
    }
    return true;
}

bool Receiver::ask_block(uint8_t request, uint8_t answer, uint8_t* buf, uint32_t n, Outcome& out)
{
    send_byte(request);
    uint8_t got = 0;
    if (wait_for({answer}, m_opt.answer_timeout_ms, got) != Got::Wanted) {
        out = fail(strfmt("no %s after %s", link_byte_name(answer), link_byte_name(request)));
        return false;
    }
    if (!read_block(buf, n, m_opt.answer_timeout_ms)) {
        out = fail(strfmt("incomplete block after %s", link_byte_name(answer)));
        return false;
    }
    return true;
}

Outcome Receiver::go_silent(const std::string& why)
{
    trace("silent: " + why);
    // Listen without answering until the PC gives up, so the test sees its BYE in the trace.
    uint8_t got = 0;
    wait_for({}, 120000, got);
    return Outcome{4, "fell silent " + why};
}

Outcome Receiver::finish_with_bye(const std::string& done)
{
    uint8_t got = 0;
    if (wait_for({}, m_opt.answer_timeout_ms, got) != Got::Bye)
        return fail("no BYE at the end");
    // The PC may say BYE twice; take the second one off the line so it is seen in a trace.
    auto start = Clock::now();
    while (ms_since(start) < 200) {
        uint8_t b;
        if (m_port.ReadByte(b))
            trace(strfmt("rx %02X %s", b, link_byte_name(b)));
    }
    return Outcome{0, done};
}

Outcome Receiver::run()
{
    Outcome out;
    if (!handshake(out) || !version(out))
        return out;

    uint8_t table[FlashBlockTable::WIRE_SIZE];
    if (!ask_block(REQ_BLOCK_INFO, BLOCK_INFO, table, FlashBlockTable::WIRE_SIZE, out))
        return out;
    FlashBlockTable blocks;
    if (!blocks.decode(table))
        return fail("the flash block table has a bad count");

    if (m_opt.exchange == Exchange::DbFromReceiver)
        return serve_image();
    return take_payload();
}

Outcome Receiver::take_payload()
{
    Outcome out;
    const bool db = m_opt.exchange == Exchange::DbToReceiver;
    if (db) {
        uint8_t table[ItemTable::WIRE_SIZE];
        if (!ask_block(ITEM_SIZE_REQ, ITEM_SIZE, table, ItemTable::WIRE_SIZE, out))
            return out;
        ItemTable items;
        if (!items.decode(table))
            return fail("the item table has a bad count");
    }
    uint8_t hbuf[TransferHeader::SIZE];
    if (!ask_block(hdr_ack, HEADER, hbuf, TransferHeader::SIZE, out))
        return out;
    TransferHeader h;
    if (!h.decode(hbuf))
        return fail("bad transfer header (magic or checksum)");
    bool type_ok = db ? h.type == HEADER_DB_TO_RECEIVER
                      : (h.type == HEADER_MAIN_SOFTWARE || h.type == HEADER_BOOT_SOFTWARE ||
                         h.type == HEADER_OTA_SOFTWARE);
    if (!type_ok)
        return fail(strfmt("unexpected header type %u", h.type));
    trace(strfmt("header: size %u type %u", h.size, h.type));

    std::vector<uint8_t> payload(h.size);
    uint32_t received = 0;
    uint32_t packet = 1;
    std::set<uint32_t> refused;
    uint32_t nacks = 0;
    send_byte(REQ_DATA);
    for (;;) {
        uint8_t got = 0;
        Got g = wait_for({DATA}, m_opt.answer_timeout_ms, got);
        if (g == Got::Bye)
            return fail(strfmt("the PC ended the exchange at packet %u", packet));
        if (g != Got::Wanted)
            return fail(strfmt("no DATA for packet %u", packet));
        uint8_t pkt[PACKET_SIZE];
        if (!read_block(pkt, PACKET_SIZE, m_opt.answer_timeout_ms))
            return fail(strfmt("packet %u incomplete", packet));
        PacketCheck c = check_packet(pkt);
        uint32_t expected = std::min(h.size - received, PACKET_DATA_MAX);
        bool refuse = !c.ok || c.length != expected;
        if (packet == m_opt.refuse_always)
            refuse = true;
        if (m_opt.refuse_once.count(packet) && !refused.count(packet)) {
            refused.insert(packet);
            refuse = true;
        }
        if (refuse) {
            ++nacks;
            trace(strfmt("packet %u refused (length %u, checksum %s)", packet, c.length,
                         c.ok ? "good" : "bad"));
            send_byte(DATA_NACK);
            continue;
        }
        std::copy(pkt + 8, pkt + 8 + c.length, payload.begin() + received);
        received += c.length;
        send_byte(DATA_ACK);
        if (packet == m_opt.silent_after)
            return go_silent(strfmt("after packet %u", packet));
        g = wait_for({DATA_NEXT, DATA_END}, m_opt.answer_timeout_ms, got);
        // Like the box, we write only after DATA_END: a PC that stops here leaves the flash as it was.
        if (g == Got::Bye)
            return fail(strfmt("the PC ended the exchange after packet %u; nothing written", packet));
        if (g != Got::Wanted)
            return fail(strfmt("no DATA_NEXT or DATA_END after packet %u", packet));
        if (got == DATA_END)
            break;
        ++packet;
        send_byte(REQ_DATA);
    }
    if (received != h.size)
        return fail(strfmt("DATA_END after %u of %u bytes", received, h.size));
    if (!m_opt.out_file.empty()) {
        std::ofstream f(m_opt.out_file, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(payload.data()), std::streamsize(payload.size()));
        if (!f.flush())
            return fail("cannot write " + m_opt.out_file);
    }
    if (m_opt.silent_before_write_done)
        return go_silent("before WRITE_DONE");
    send_byte(WRITE_DONE);
    return finish_with_bye(strfmt("received %u bytes in %u packets, %u refused", received, packet, nacks));
}

Outcome Receiver::serve_image()
{
    Outcome out;
    uint8_t hbuf[TransferHeader::SIZE];
    if (!ask_block(hdr_ack, HEADER, hbuf, TransferHeader::SIZE, out))
        return out;
    TransferHeader h;
    if (!h.decode(hbuf))
        return fail("bad transfer header (magic or checksum)");
    if (h.type != HEADER_DB_FROM_RECEIVER)
        return fail(strfmt("unexpected header type %u", h.type));
    uint8_t table[ItemTable::WIRE_SIZE];
    if (!ask_block(ITEM_SIZE_REQ, ITEM_SIZE, table, ItemTable::WIRE_SIZE, out))
        return out;
    uint8_t got = 0;
    if (wait_for({REQ_DATA}, m_opt.answer_timeout_ms, got) != Got::Wanted)
        return fail("no REQ_DATA after the item table");

    const std::vector<uint8_t>& image = m_opt.image;
    const uint32_t size = uint32_t(image.size());
    uint32_t offset = 0;
    uint32_t packet = 1;
    uint32_t nacks = 0;
    uint32_t packet_nacks = 0;
    bool corrupted = false;
    for (;;) {
        uint8_t buf[1 + PACKET_SIZE + 1];
        buf[0] = DATA;
        uint32_t len = build_packet(image.data(), size, offset, buf + 1);
        if (packet == m_opt.corrupt_packet && !corrupted) {
            corrupted = true;
            buf[1 + 8] ^= 0x5A; // the data no longer sum to the checksum
            trace(strfmt("packet %u damaged", packet));
        }
        uint32_t n = 1 + PACKET_SIZE;
        if (packet == m_opt.stray_after_packet)
            buf[n++] = 0x00;
        if (!send(buf, n, strfmt("DATA + packet %u", packet).c_str()))
            return fail("cannot write to the line");
        Got g = wait_for({DATA_ACK, DATA_NACK}, m_opt.answer_timeout_ms, got);
        if (g == Got::Bye)
            return fail(strfmt("the PC ended the exchange at packet %u", packet));
        if (g != Got::Wanted)
            return fail(strfmt("no answer to packet %u", packet));
        if (got == DATA_NACK) {
            // The receiver repeats a refused packet for as long as the PC asks; only a PC that
            // refuses one packet without end is given up on.
            ++nacks;
            if (++packet_nacks > 1000)
                return fail(strfmt("the PC refuses packet %u every time", packet));
            continue;
        }
        packet_nacks = 0;
        offset += len;
        if (packet == m_opt.silent_after)
            return go_silent(strfmt("after packet %u", packet));
        if (offset >= size)
            break;
        send_byte(DATA_NEXT);
        if (wait_for({REQ_DATA}, m_opt.answer_timeout_ms, got) != Got::Wanted)
            return fail(strfmt("no REQ_DATA after packet %u", packet));
        ++packet;
    }
    send_byte(DATA_END);
    return finish_with_bye(
        strfmt("served %u bytes in %u packets, %u refused by the PC", size, packet, nacks));
}

} // namespace receiver_sim
