#pragma once
// A receiver on virtual time for the exchange loop: a script of what it sends and what it
// expects the PC to write, played as the PC writes. Bytes "arrive" at virtual times; ReadByte
// waits (virtually) up to 50 ms for the next one, as the real port does.
#include "korvid/link/link_blocks.h"
#include "korvid/link/serial_line.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace korvid::testing {

class VirtualClock : public LinkClock
{
public:
    uint32_t now = 1000;
    uint32_t now_ms() override { return now; }
    void pause_ms(uint32_t ms) override { now += ms; }
};

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ScriptedLine : public SerialLine
{
public:
    explicit ScriptedLine(VirtualClock& clock)
        : m_clock(clock)
    {}

    // The receiver sends `bytes`, arriving `delay_ms` after this step is reached.
    ScriptedLine& send(Bytes bytes, uint32_t delay_ms = 0)
    {
        m_steps.push_back({Step::Send, std::move(bytes), delay_ms, {}, false});
        return *this;
    }
    // The PC must write exactly `bytes` next (PROBEs before them are passed over when asked).
    ScriptedLine& expect(Bytes bytes, bool skip_probes = false)
    {
        m_steps.push_back({Step::Expect, std::move(bytes), 0, {}, skip_probes});
        return *this;
    }
    ScriptedLine& call(std::function<void()> fn)
    {
        m_steps.push_back({Step::Call, {}, 0, std::move(fn), false});
        return *this;
    }

    Bytes written;                     // everything the PC wrote
    std::vector<uint32_t> write_times; // virtual time of each write call
    std::vector<Bytes> writes;         // each write call's bytes
    std::vector<std::string> failures; // expectations the PC did not meet
    bool script_done() const { return m_next == m_steps.size(); }
    // Bytes the PC wrote after the last expectation that was met.
    Bytes unexpected() const { return Bytes(written.begin() + long(m_cursor), written.end()); }

    uint32_t Write(const uint8_t* buf, uint32_t len) override
    {
        written.insert(written.end(), buf, buf + len);
        writes.emplace_back(buf, buf + len);
        write_times.push_back(m_clock.now);
        advance();
        return 1;
    }
    uint32_t Read(uint8_t* buf, uint32_t count) override
    {
        advance();
        uint32_t n = 0;
        while (n < count && !m_rx.empty() && m_rx.front().at <= m_clock.now) {
            buf[n++] = m_rx.front().b;
            m_rx.pop_front();
        }
        return n;
    }
    bool ReadByte(uint8_t& out) override
    {
        advance();
        out = 0;
        uint32_t limit = m_clock.now + 50;
        if (!m_rx.empty() && m_rx.front().at <= limit) {
            if (m_rx.front().at > m_clock.now)
                m_clock.now = m_rx.front().at;
            out = m_rx.front().b;
            m_rx.pop_front();
            return true;
        }
        m_clock.now = limit;
        return false;
    }
    uint32_t QueuedBytes() override
    {
        advance();
        uint32_t n = 0;
        for (auto& a : m_rx)
            if (a.at <= m_clock.now)
                ++n;
        return n;
    }
    void PurgeRx() override
    {
        while (!m_rx.empty() && m_rx.front().at <= m_clock.now)
            m_rx.pop_front();
    }

private:
    struct Step
    {
        enum Kind
        {
            Send,
            Expect,
            Call
        } kind;
        Bytes bytes;
        uint32_t delay;
        std::function<void()> fn;
        bool skip_probes;
    };
    struct Arrival
    {
        uint32_t at;
        uint8_t b;
    };

    void advance()
    {
        while (m_next < m_steps.size() && failures.empty()) {
            Step& s = m_steps[m_next];
            if (s.kind == Step::Send) {
                uint32_t at = m_clock.now + s.delay;
                if (!m_rx.empty() && m_rx.back().at > at)
                    at = m_rx.back().at;
                for (uint8_t b : s.bytes)
                    m_rx.push_back({at, b});
            } else if (s.kind == Step::Call) {
                s.fn();
            } else {
                size_t c = m_cursor;
                if (s.skip_probes)
                    while (c < written.size() && written[c] == PROBE)
                        ++c;
                if (written.size() - c < s.bytes.size()) {
                    // Not all there yet; but what is there must already match.
                    if (!std::equal(written.begin() + long(c), written.end(), s.bytes.begin()))
                        fail(s, c);
                    return;
                }
                if (!std::equal(s.bytes.begin(), s.bytes.end(), written.begin() + long(c))) {
                    fail(s, c);
                    return;
                }
                m_cursor = c + s.bytes.size();
            }
            ++m_next;
        }
    }
    void fail(const Step& s, size_t at)
    {
        std::string msg = "step " + std::to_string(m_next) + ": expected";
        for (size_t i = 0; i < std::min<size_t>(s.bytes.size(), 8); ++i)
            msg += " " + std::to_string(s.bytes[i]);
        msg += ", PC wrote";
        for (size_t i = at; i < std::min(written.size(), at + 8); ++i)
            msg += " " + std::to_string(written[i]);
        failures.push_back(msg);
    }

    VirtualClock& m_clock;
    std::deque<Arrival> m_rx;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    size_t m_cursor = 0;
};

} // namespace korvid::testing
