#pragma once
// The exchange loop talks to the receiver through these two seams: a serial line and a clock.
// CComPort is the real line; tests give a scripted receiver on virtual time, so that a 30 s
// silence costs nothing to test.
#include <cstdint>

namespace korvid {

class SerialLine
{
public:
    virtual ~SerialLine() = default;

    // 1 when the whole buffer went out, 0 when the line is closed or the write gave up.
    virtual uint32_t Write(const uint8_t* buf, uint32_t len) = 0;
    uint32_t WriteByte(uint8_t b) { return Write(&b, 1); }
    // Takes at most `count` bytes of what is queued now; 0 at once when nothing is queued.
    virtual uint32_t Read(uint8_t* buf, uint32_t count) = 0;
    // Waits about 50 ms for one byte; false (and 0 in `out`) when none came.
    virtual bool ReadByte(uint8_t& out) = 0;
    virtual uint32_t QueuedBytes() = 0;
    virtual void PurgeRx() = 0;
    // True once the far end is gone for good (a pulled USB adapter, a closed pseudo-terminal):
    // nothing will ever arrive, so the loop need not wait out its silence limit.
    virtual bool HungUp() const { return false; }
};

// Milliseconds since an arbitrary start, wrapping like a tick count; differences are taken
// unsigned, so a wrap in the middle of a wait does no harm.
class LinkClock
{
public:
    virtual ~LinkClock() = default;
    virtual uint32_t now_ms() = 0;
    virtual void pause_ms(uint32_t ms) = 0;
    // One step of a wait that watches the queued byte count. A millisecond on a virtual clock;
    // a real clock takes shorter steps, because every step the last bytes of a packet sit unseen
    // is a step added to every packet of a transfer.
    virtual void pause_poll() { pause_ms(1); }
};

// Real time.
class SteadyLinkClock : public LinkClock
{
public:
    uint32_t now_ms() override;
    void pause_ms(uint32_t ms) override;
    void pause_poll() override;
};

// Real time running `factor` times faster: every limit the loop measures shrinks by that factor.
// Used where a real link must reach a time-out without the test waiting for it.
class ScaledLinkClock : public LinkClock
{
public:
    explicit ScaledLinkClock(uint32_t factor)
        : m_factor(factor ? factor : 1)
    {}
    uint32_t now_ms() override;
    void pause_ms(uint32_t ms) override;

private:
    uint32_t m_factor;
};

} // namespace korvid
