#pragma once
// A receiver inside the test process for the transfer flows: it answers each write of the PC at
// once, as the box would, and records the blocks it was given. It can hold the PC's writes to
// play a line that hangs, and says when it was closed (destroyed), which is how the worker closes
// its port.
#include "korvid/link/link_blocks.h"
#include "korvid/link/serial_line.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace korvid::testing {

using Bytes = std::vector<uint8_t>;

// A big-endian field of a block the fake receiver took.
inline uint32_t be32(const Bytes& b, size_t at)
{
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// How long a test waits for a transfer to end by itself: a limit only so that a broken build
// ends; the test never depends on it.
constexpr uint32_t UNTIL_DONE_MS = 600000;

struct FakeReceiverRecord
{
    std::mutex mutex;
    Bytes block_table;          // the 544 bytes after BLOCK_INFO
    Bytes item_table;           // the 408 bytes after ITEM_SIZE
    Bytes header;               // the 20 bytes after HEADER
    Bytes payload;              // data of the acknowledged packets
    uint32_t packets = 0;       // DATA blocks received
    Bytes answers;              // single bytes the PC wrote
    std::atomic<int> closed{0}; // times the line was destroyed
    // The far end goes away (a pulled cable, a killed receiver) once this many packets came; 0 never.
    uint32_t hang_up_after = 0;
    // While set, a PC write waits until it is cleared (a line that hangs).
    bool hold_writes = false;
    std::condition_variable released;
    std::atomic<int> writes_held{0};

    void release()
    {
        std::lock_guard<std::mutex> lock(mutex);
        hold_writes = false;
        released.notify_all();
    }
};

class FakeReceiver : public SerialLine
{
public:
    // `database`: the receiver asks for the item table after the block table, as for a database.
    FakeReceiver(FakeReceiverRecord& rec, uint16_t buyer, uint16_t model, bool database = false)
        : m_rec(rec)
        , m_database(database)
    {
        VersionBlock v = VersionBlock::make(buyer, model);
        m_version.assign(v.bytes, v.bytes + VersionBlock::SIZE);
        queue({HELLO});
    }
    ~FakeReceiver() override { ++m_rec.closed; }

    uint32_t Write(const uint8_t* buf, uint32_t len) override
    {
        std::unique_lock<std::mutex> lock(m_rec.mutex);
        if (m_rec.hold_writes) {
            ++m_rec.writes_held;
            m_rec.released.wait(lock, [&] { return !m_rec.hold_writes; });
        }
        if (len == 0)
            return 1;
        const uint8_t lead = buf[0];
        if (len == 1) {
            m_rec.answers.push_back(lead);
            react(lead);
        } else if (lead == BLOCK_INFO) {
            m_rec.block_table.assign(buf + 1, buf + len);
            queue({m_database ? ITEM_SIZE_REQ : hdr_ack});
        } else if (lead == ITEM_SIZE) {
            m_rec.item_table.assign(buf + 1, buf + len);
            queue({hdr_ack});
        } else if (lead == HEADER) {
            m_rec.header.assign(buf + 1, buf + len);
            queue({REQ_DATA});
        } else if (lead == DATA && len == 1 + PACKET_SIZE) {
            ++m_rec.packets;
            if (m_rec.packets == m_rec.hang_up_after) {
                m_hung_up = true;
                return 1;
            }
            PacketCheck c = check_packet(buf + 1);
            m_rec.payload.insert(m_rec.payload.end(), buf + 1 + 8, buf + 1 + 8 + c.length);
            queue({DATA_ACK});
        }
        return 1;
    }
    uint32_t Read(uint8_t* buf, uint32_t count) override
    {
        std::lock_guard<std::mutex> lock(m_rx_mutex);
        uint32_t n = 0;
        while (n < count && !m_rx.empty()) {
            buf[n++] = m_rx.front();
            m_rx.pop_front();
        }
        return n;
    }
    bool ReadByte(uint8_t& out) override
    {
        out = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
        std::unique_lock<std::mutex> lock(m_rx_mutex);
        if (!m_rx_cv.wait_until(lock, deadline, [&] { return !m_rx.empty(); }))
            return false;
        out = m_rx.front();
        m_rx.pop_front();
        return true;
    }
    uint32_t QueuedBytes() override
    {
        std::lock_guard<std::mutex> lock(m_rx_mutex);
        return uint32_t(m_rx.size());
    }
    void PurgeRx() override {}
    bool HungUp() const override { return m_hung_up; }

private:
    void queue(const Bytes& b)
    {
        std::lock_guard<std::mutex> lock(m_rx_mutex);
        m_rx.insert(m_rx.end(), b.begin(), b.end());
        m_rx_cv.notify_all();
    }
    void react(uint8_t b)
    {
        switch (b) {
        case CONNECT:
            queue({CONNECT});
            break;
        case CONNECT_ACK: {
            Bytes v{version_ack};
            v.insert(v.end(), m_version.begin(), m_version.end());
            queue(v);
            break;
        }
        case VERSION_OK:
            queue({REQ_BLOCK_INFO});
            break;
        case DATA_NEXT:
            queue({REQ_DATA});
            break;
        case DATA_END:
            queue({WRITE_DONE});
            break;
        default:
            break;
        }
    }

    FakeReceiverRecord& m_rec;
    bool m_database;
    std::atomic<bool> m_hung_up{false};
    Bytes m_version;
    std::mutex m_rx_mutex;
    std::condition_variable m_rx_cv;
    std::deque<uint8_t> m_rx;
};

} // namespace korvid::testing
