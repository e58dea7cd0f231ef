// The exchange loop against a scripted receiver on virtual time: every answer of the three
// transfers, the time-outs, the block wait and the ends of the exchange.
#include "korvid/link/exchange_loop.h"
#include "korvid/link/tests/scripted_line.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace korvid;
using namespace korvid::testing;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

struct Recorder : ExchangeObserver
{
    std::vector<std::string> events;
    std::vector<std::string> statuses;
    std::vector<std::string> boxes;
    std::vector<uint32_t> percents;
    std::vector<std::string> times;
    void on_status(const std::string& t) override
    {
        statuses.push_back(t);
        events.push_back("status:" + t);
    }
    void on_percent(uint32_t p) override { percents.push_back(p); }
    void on_time_text(const std::string& t) override { times.push_back(t); }
    void on_message_box(const std::string& t) override
    {
        boxes.push_back(t);
        events.push_back("box:" + t);
    }
    void on_hide_cancel() override { events.push_back("hide_cancel"); }
    void on_busy_picture(bool shown) override { events.push_back(shown ? "busy:on" : "busy:off"); }
    void on_stop_enabled(bool e) override { events.push_back(e ? "stop:on" : "stop:off"); }
};

// n bytes that differ from their neighbours, so a shifted or repeated packet shows.
Bytes pattern(size_t n, uint8_t first, uint8_t step)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(first + i * step);
    return b;
}

Bytes packet_bytes(const Bytes& payload, uint32_t offset)
{
    Bytes p(PACKET_SIZE);
    build_packet(payload.data(), uint32_t(payload.size()), offset, p.data());
    return p;
}

Bytes version_bytes(uint16_t buyer, uint16_t model)
{
    VersionBlock v = VersionBlock::make(buyer, model);
    return Bytes(v.bytes, v.bytes + 8);
}

struct Harness
{
    VirtualClock clock;
    ScriptedLine rx{clock};
    Recorder obs;
    FlashBlockTable blocks;
    ItemTable items;
    uint16_t buyer = 0x1234;
    uint16_t model = 0x5678;
    Bytes payload;
    Bytes receive;
    std::atomic<bool> running{true};
    ExchangeSetup setup;

    explicit Harness(ExchangeKind kind, uint32_t payload_size = 2500)
    {
        fill_database_flash_map(blocks, items);
        payload = pattern(payload_size, 0xF1, 7);
        setup.kind = kind;
        setup.payload = payload.data();
        setup.payload_size = uint32_t(payload.size());
        setup.block_table = &blocks;
        setup.item_table = &items;
        setup.buyer_code = &buyer;
        setup.model_code = &model;
    }
    // Receiving: a buffer of `capacity` bytes (0xEE, with `guard` more behind it that must stay
    // so) and the size the header asks for.
    void receive_into(uint32_t capacity, uint32_t announced, uint32_t guard = 0)
    {
        receive.assign(capacity + guard, 0xEE);
        setup.receive_buffer = receive.data();
        setup.receive_capacity = capacity;
        setup.announced_size = announced;
    }
    ExchangeResult run()
    {
        ExchangeLoop loop(rx, clock, obs, setup, running);
        return loop.run();
    }
    Bytes block_wire()
    {
        Bytes b(FlashBlockTable::WIRE_SIZE);
        blocks.encode(b.data());
        return b;
    }
    Bytes item_wire()
    {
        Bytes b(ItemTable::WIRE_SIZE);
        items.encode(b.data());
        return b;
    }
    // HELLO .. VERSION_OK with the receiver's codes.
    void connect(uint16_t rb = 0x1234, uint16_t rm = 0x5678)
    {
        rx.send({HELLO}, 120).expect({CONNECT}, true).send({CONNECT}).expect({CONNECT_ACK});
        rx.send(Bytes{version_ack} + version_bytes(rb, rm)).expect({VERSION_OK});
    }
    Bytes header(uint32_t size, uint32_t type)
    {
        TransferHeader h;
        h.size = size;
        h.type = type;
        Bytes b(TransferHeader::SIZE);
        h.encode(b.data());
        return Bytes{HEADER} + b;
    }
};

} // namespace

TEST(ExchangeLoop, DatabaseSendRunsTheWholeExchangeAndSaysByeTwice)
{
    Harness h(ExchangeKind::DatabaseToReceiver, 7000);
    h.connect();
    h.rx.send({REQ_BLOCK_INFO}).expect(Bytes{BLOCK_INFO} + h.block_wire());
    h.rx.send({ITEM_SIZE_REQ}).expect(Bytes{ITEM_SIZE} + h.item_wire());
    h.rx.send({hdr_ack}).expect(h.header(7000, 3));
    // A slow receiver: 9.5 s for every request, just inside the 10 s limit.
    for (uint32_t off = 0; off < 6144; off += 1024) {
        h.rx.send({REQ_DATA}, 9500).expect(Bytes{DATA} + packet_bytes(h.payload, off));
        h.rx.send({DATA_ACK}, 9500).expect({DATA_NEXT});
    }
    h.rx.send({REQ_DATA}, 9500).expect(Bytes{DATA} + packet_bytes(h.payload, 6144));
    h.rx.send({DATA_ACK}, 9500).expect({DATA_END});
    h.rx.send({WRITE_DONE}, 59000).expect({BYE});

    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_TRUE(h.rx.script_done());
    EXPECT_EQ(r.outcome, ExchangeOutcome::Complete);
    EXPECT_FALSE(r.aborted);
    EXPECT_EQ(r.offset, 7000u);
    // One BYE in the answer to WRITE_DONE, one after the loop.
    EXPECT_EQ(h.rx.unexpected(), Bytes{BYE});
    std::vector<std::string> statuses{"Wait Connection..", "Connected.."};
    statuses.insert(statuses.end(), 7, "Data Transfer");
    statuses.push_back("On Writing.. Please Wait!");
    statuses.push_back("Transfer Complete");
    EXPECT_EQ(h.obs.statuses, statuses);
    EXPECT_THAT(h.obs.events, Contains("hide_cancel"));
    EXPECT_THAT(h.obs.boxes, IsEmpty());
    EXPECT_EQ(h.obs.percents, (std::vector<uint32_t>{0, 14, 29, 43, 58, 73, 87, 100}));
    EXPECT_EQ(h.obs.times,
              (std::vector<std::string>{"Elapsed 00:19", "Elapsed 00:38", "Elapsed 00:57", "Elapsed 01:16",
                                        "Elapsed 01:35", "Elapsed 01:54", "Elapsed 02:13"}));
    EXPECT_FALSE(h.running.load());
    // The tables stay in host order after they went out big-endian.
    EXPECT_EQ(h.blocks.count(), 6u);
    EXPECT_EQ(h.items.entry[1].address, 0x390000u);
}

TEST(ExchangeLoop, RefusedPacketIsSentAgainUnchangedAndTheReceiverIsStoppedBeforeItWrites)
{
    Harness h(ExchangeKind::DatabaseToReceiver, 1500);
    h.connect();
    h.rx.send({hdr_ack}).expect(h.header(1500, 3));
    h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
    h.rx.send({DATA_NACK}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
    h.rx.send({DATA_NACK}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
    h.rx.send({DATA_ACK}, 200).expect({DATA_NEXT});
    h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 1024));
    // Every packet is through, but the line has shown that it flips bits: BYE, not DATA_END.
    h.rx.send({DATA_ACK}).expect({BYE});

    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_TRUE(h.rx.script_done());
    EXPECT_EQ(r.outcome, ExchangeOutcome::LineDamaged);
    EXPECT_FALSE(r.aborted);
    EXPECT_EQ(std::count(h.obs.statuses.begin(), h.obs.statuses.end(), "Checksum error"), 2);
    EXPECT_EQ(h.obs.boxes, std::vector<std::string>{LINE_DAMAGED_TEXT});
    EXPECT_EQ(h.obs.statuses.back(), LINE_DAMAGED_TEXT);
    EXPECT_THAT(h.obs.events, Not(Contains("hide_cancel")));
    EXPECT_EQ(h.rx.unexpected(), Bytes{BYE}); // the closing one after the loop
}

TEST(ExchangeLoop, SendingOnALineThatShowedNoiseNeverLetsTheReceiverWrite)
{
    // Each case: what the line did during a software send of 1100 bytes (two packets).
    struct Case
    {
        const char* what;
        Bytes stray;     // bytes after the header that the receiver cannot send there
        bool first_nack; // the receiver refused the first packet once
    };
    for (const Case& c :
         {Case{"a byte of the receiving side", {DATA_END}, false}, Case{"a refused packet", {}, true}}) {
        SCOPED_TRACE(c.what);
        Harness h(ExchangeKind::SoftwareToReceiver, 1100);
        h.connect();
        h.rx.send({hdr_ack}).expect(h.header(1100, 2));
        if (!c.stray.empty())
            h.rx.send(c.stray);
        h.rx.send({REQ_DATA}, 100).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
        if (c.first_nack)
            h.rx.send({DATA_NACK}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
        h.rx.send({DATA_ACK}).expect({DATA_NEXT});
        h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 1024));
        h.rx.send({DATA_ACK}).expect({BYE});
        ExchangeResult r = h.run();
        EXPECT_THAT(h.rx.failures, IsEmpty());
        EXPECT_EQ(r.outcome, ExchangeOutcome::LineDamaged);
        EXPECT_EQ(r.offset, 1100u);
        EXPECT_THAT(h.rx.unexpected(), IsEmpty()); // one BYE, and no DATA_END
        EXPECT_EQ(h.obs.boxes, std::vector<std::string>{LINE_DAMAGED_TEXT});
        EXPECT_THAT(h.obs.events, Not(Contains("busy:on")));
        EXPECT_THAT(h.obs.statuses, Not(Contains("On Writing.. Wait Please!")));
    }
}

TEST(ExchangeLoop, ARepeatedGreetingIsNotNoise)
{
    // A receiver that said HELLO again before our CONNECT reached it; the send completes.
    Harness h(ExchangeKind::SoftwareToReceiver, 100);
    h.rx.send({HELLO}).expect({CONNECT}, true).send({CONNECT}).expect({CONNECT_ACK});
    h.rx.send({HELLO});
    h.rx.send(Bytes{version_ack} + version_bytes(0x1234, 0x5678)).expect({VERSION_OK});
    h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
    h.rx.send({DATA_ACK}).expect({DATA_END});
    h.rx.send({WRITE_DONE}).expect({BYE});
    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_EQ(r.outcome, ExchangeOutcome::Complete);
}

TEST(ExchangeLoop, SizeThatIsAMultipleOf1024EndsWithAZeroLengthPacket)
{
    Harness h(ExchangeKind::DatabaseToReceiver, 2048);
    h.connect();
    h.rx.send({hdr_ack}).expect(h.header(2048, 3));
    for (uint32_t off : {0u, 1024u}) {
        h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, off));
        h.rx.send({DATA_ACK}).expect({DATA_NEXT});
    }
    Bytes empty(PACKET_SIZE, 0);
    h.rx.send({REQ_DATA}).expect(Bytes{DATA} + empty);
    h.rx.send({DATA_ACK}).expect({DATA_END});
    h.rx.send({WRITE_DONE}).expect({BYE});
    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_EQ(r.outcome, ExchangeOutcome::Complete);
    EXPECT_EQ(r.offset, 2048u);
}

TEST(ExchangeLoop, BeforeHelloEveryByteGetsAProbeAndThirtySecondsCountFromTheFirstPass)
{
    Harness h(ExchangeKind::DatabaseToReceiver);
    // A receiver that chatters but never greets.
    for (int i = 0; i < 40; ++i)
        h.rx.send({CONNECT, REQ_DATA, DATA_ACK}, 1000);
    const uint32_t start = h.clock.now;
    ExchangeResult r = h.run();
    EXPECT_EQ(r.outcome, ExchangeOutcome::TimedOut);
    EXPECT_TRUE(r.aborted);
    const uint32_t took = h.clock.now - start;
    EXPECT_GT(took, 30000u);
    EXPECT_LT(took, 30200u);
    // Only probes went out, then BYE from the time-out and BYE after the loop.
    Bytes w = h.rx.written;
    ASSERT_GE(w.size(), 3u);
    EXPECT_EQ(Bytes(w.end() - 2, w.end()), (Bytes{BYE, BYE}));
    EXPECT_TRUE(std::all_of(w.begin(), w.end() - 2, [](uint8_t b) { return b == PROBE; }));
    // Every byte the receiver sent (120 within 30 s) and every empty wait drew a probe.
    EXPECT_GT(w.size() - 2, 120u);
    EXPECT_EQ(h.obs.boxes, std::vector<std::string>{"Communication Time Out"});
    EXPECT_EQ(h.obs.statuses.back(), "Communication Time Out");
}

TEST(ExchangeLoop, SilenceLimitCountsFromTheLastAcceptedByteAndGrowsToSixtySecondsWhileWriting)
{
    // 9.9 s gaps are within the 10 s limit.
    {
        Harness h(ExchangeKind::DatabaseToReceiver, 100);
        h.connect();
        h.rx.send({hdr_ack}, 9900).expect(h.header(100, 3));
        h.rx.send({REQ_DATA}, 9900).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
        h.rx.send({DATA_ACK}, 9900).expect({DATA_END});
        h.rx.send({WRITE_DONE}, 59900).expect({BYE});
        ExchangeResult r = h.run();
        EXPECT_THAT(h.rx.failures, IsEmpty());
        EXPECT_EQ(r.outcome, ExchangeOutcome::Complete);
    }
    // 10.1 s after CONNECT_ACK is too long.
    {
        Harness h(ExchangeKind::DatabaseToReceiver, 100);
        h.connect();
        h.rx.send({hdr_ack}, 10100);
        ExchangeResult r = h.run();
        EXPECT_EQ(r.outcome, ExchangeOutcome::TimedOut);
        EXPECT_EQ(h.rx.unexpected(), (Bytes{BYE, BYE}));
    }
    // While the receiver writes, 60 s of silence ends the exchange.
    {
        Harness h(ExchangeKind::DatabaseToReceiver, 100);
        h.connect();
        h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
        h.rx.send({DATA_ACK}).expect({DATA_END});
        uint32_t t0 = 0;
        h.rx.call([&] { t0 = h.clock.now; });
        ExchangeResult r = h.run();
        EXPECT_EQ(r.outcome, ExchangeOutcome::TimedOut);
        EXPECT_GT(h.clock.now - t0, 60000u);
        EXPECT_LT(h.clock.now - t0, 60200u);
        EXPECT_EQ(h.obs.boxes, std::vector<std::string>{"Communication Time Out"});
    }
}

TEST(ExchangeLoop, VersionMismatchRefusesAndEnds)
{
    Harness h(ExchangeKind::DatabaseToReceiver);
    h.rx.send({HELLO}).expect({CONNECT}, true).send({CONNECT}).expect({CONNECT_ACK});
    h.rx.send(Bytes{version_ack} + version_bytes(0x1234, 0x5679)).expect({VERSION_BAD});
    h.rx.send({REQ_BLOCK_INFO}, 10);
    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_EQ(r.outcome, ExchangeOutcome::VersionMismatch);
    EXPECT_FALSE(r.aborted);
    EXPECT_EQ(h.obs.boxes, std::vector<std::string>{"Buyer/Model is different"});
    EXPECT_EQ(h.obs.statuses.back(), "Buyer/Model is different");
    // The loop ended at once: the block table was not sent, only the closing BYE.
    EXPECT_EQ(h.rx.unexpected(), Bytes{BYE});
}

TEST(ExchangeLoop, AnyCodesPassWhenEitherSideSaysAll)
{
    for (auto codes : {std::pair<uint16_t, uint16_t>{0xFFFF, 0xFFFF}, {0, 0}}) {
        Harness h(ExchangeKind::DatabaseToReceiver);
        h.connect(codes.first, codes.second);
        ExchangeResult r = h.run(); // ends by time-out after VERSION_OK
        EXPECT_THAT(h.rx.failures, IsEmpty());
        EXPECT_TRUE(h.rx.script_done());
        EXPECT_EQ(r.outcome, ExchangeOutcome::TimedOut);
    }
}

TEST(ExchangeLoop, FourByteVersionAnswerMeansNoCodesAndIsNotTakenAsRequests)
{
    Harness h(ExchangeKind::DatabaseToReceiver);
    h.rx.send({HELLO}).expect({CONNECT}, true).send({CONNECT}).expect({CONNECT_ACK});
    // Four bytes that would be requests if they were answered.
    uint32_t t0 = 0;
    h.rx.call([&] { t0 = h.clock.now; });
    h.rx.send({version_ack, REQ_BLOCK_INFO, ITEM_SIZE_REQ, hdr_ack, REQ_DATA}).expect({VERSION_OK});
    uint32_t t1 = 0;
    h.rx.call([&] { t1 = h.clock.now; });
    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_TRUE(h.rx.script_done());
    EXPECT_EQ(h.buyer, 0);
    EXPECT_EQ(h.model, 0);
    // About 50 ms of a steady 4-byte queue, well short of the 2 s limit.
    EXPECT_GE(t1 - t0, 50u);
    EXPECT_LT(t1 - t0, 100u);
    EXPECT_EQ(r.outcome, ExchangeOutcome::TimedOut);
    EXPECT_EQ(h.rx.unexpected(), (Bytes{BYE, BYE}));
}

TEST(ExchangeLoop, VersionWaitThatExpiresShortDoesNotWaitForTheMissingBytes)
{
    // Six of eight bytes: after 2 s the check sees them followed by zeros, which fails.
    {
        Harness h(ExchangeKind::DatabaseToReceiver);
        h.rx.send({HELLO}).expect({CONNECT}, true).send({CONNECT}).expect({CONNECT_ACK});
        Bytes six = version_bytes(0x1234, 0x5678);
        six.resize(6);
        uint32_t t0 = 0, t1 = 0;
        h.rx.call([&] { t0 = h.clock.now; });
        h.rx.send(Bytes{version_ack} + six).expect({VERSION_BAD});
        h.rx.call([&] { t1 = h.clock.now; });
        ExchangeResult r = h.run();
        EXPECT_THAT(h.rx.failures, IsEmpty());
        EXPECT_EQ(r.outcome, ExchangeOutcome::VersionMismatch);
        EXPECT_GE(t1 - t0, 2000u);
        EXPECT_LT(t1 - t0, 2100u);
    }
    // Nothing at all: a block of zeros, as for a receiver that gives no codes.
    {
        Harness h(ExchangeKind::DatabaseToReceiver);
        h.rx.send({HELLO}).expect({CONNECT}, true).send({CONNECT}).expect({CONNECT_ACK});
        h.rx.send({version_ack}).expect({VERSION_OK});
        h.run();
        EXPECT_THAT(h.rx.failures, IsEmpty());
        EXPECT_TRUE(h.rx.script_done());
    }
}

TEST(ExchangeLoop, DatabaseReceiveFetchesTheImageAndTakesTheReceiversCodes)
{
    Harness h(ExchangeKind::DatabaseFromReceiver);
    Bytes image = pattern(2000, 0x80, 13);
    h.receive_into(4096, 2000);

    h.connect(0xF1F2, 0x0304);
    h.rx.send({REQ_BLOCK_INFO}).expect(Bytes{BLOCK_INFO} + h.block_wire());
    h.rx.send({hdr_ack}).expect(h.header(2000, 35));
    h.rx.send({ITEM_SIZE_REQ}).expect(Bytes{ITEM_SIZE} + h.item_wire() + Bytes{REQ_DATA});
    // Requests that only the sending side answers are ignored here.
    h.rx.send({REQ_DATA, DATA_ACK, DATA_NACK, WRITE_DONE});
    h.rx.send(Bytes{DATA} + packet_bytes(image, 0), 100).expect({DATA_ACK});
    h.rx.send({DATA_NEXT}).expect({REQ_DATA});
    h.rx.send(Bytes{DATA} + packet_bytes(image, 1024)).expect({DATA_ACK});
    h.rx.send({DATA_END}).expect({BYE});

    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_EQ(r.outcome, ExchangeOutcome::Complete);
    EXPECT_EQ(r.last_byte, DATA_END);
    // BYE once: the answer to DATA_END, none after the loop.
    EXPECT_THAT(h.rx.unexpected(), IsEmpty());
    EXPECT_EQ(h.buyer, 0xF1F2);
    EXPECT_EQ(h.model, 0x0304);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), h.receive.begin()));
    EXPECT_EQ(h.receive[2000], 0xEE);
    EXPECT_EQ(h.obs.statuses.back(), "Transfer Complete");
    EXPECT_THAT(h.obs.statuses, Contains("Data Transfer"));
    EXPECT_EQ(h.obs.percents.back(), 100u);
    EXPECT_EQ(h.obs.times.back(), "Elapsed 00:00");
}

TEST(ExchangeLoop, ReceivedPacketsThatAreBadOrRunPastTheBufferAreRefusedAndNotStored)
{
    Harness h(ExchangeKind::DatabaseFromReceiver);
    Bytes image = pattern(3000, 0xA0, 1);
    h.receive_into(2000, 2000, 64);
    h.connect();

    Bytes bad_sum = packet_bytes(image, 0);
    bad_sum[8] ^= 1;
    Bytes too_long = packet_bytes(image, 0);
    too_long[2] = 0x04; // length 0x401
    too_long[3] = 0x01;
    h.rx.send(Bytes{DATA} + bad_sum).expect({DATA_NACK});
    h.rx.send(Bytes{DATA} + too_long).expect({DATA_NACK});
    // The line has damaged a packet: the first good copy is held back until a second agrees.
    h.rx.send(Bytes{DATA} + packet_bytes(image, 0)).expect({DATA_NACK});
    h.rx.send(Bytes{DATA} + packet_bytes(image, 0)).expect({DATA_ACK});
    h.rx.send({DATA_NEXT}).expect({REQ_DATA});
    h.rx.send(Bytes{DATA} + packet_bytes(image, 1024)).expect({DATA_NACK}); // 1024 more would pass 2000
    h.rx.call([&] { h.running = false; });
    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_EQ(r.offset, 1024u);
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 1024, h.receive.begin()));
    EXPECT_TRUE(std::all_of(h.receive.begin() + 1024, h.receive.end(), [](uint8_t b) { return b == 0xEE; }));
    EXPECT_THAT(h.obs.boxes, IsEmpty());
}

TEST(ExchangeLoop, PacketWaitNeedsExactlyTheWholePacket)
{
    // A packet that arrives in two parts within the limit is taken.
    {
        Harness h(ExchangeKind::DatabaseFromReceiver);
        Bytes image(500, 0x5A);
        h.receive_into(1024, 500);
        h.connect();
        Bytes p = packet_bytes(image, 0);
        h.rx.send(Bytes{DATA} + Bytes(p.begin(), p.begin() + 600));
        h.rx.send(Bytes(p.begin() + 600, p.end()), 1500).expect({DATA_ACK});
        h.rx.send({DATA_END}).expect({BYE});
        ExchangeResult r = h.run();
        EXPECT_THAT(h.rx.failures, IsEmpty());
        EXPECT_EQ(r.outcome, ExchangeOutcome::Complete);
    }
    // One stray byte behind the packet: the queue never holds exactly 1032, the wait expires.
    {
        Harness h(ExchangeKind::DatabaseFromReceiver);
        Bytes image(500, 0x5A);
        h.receive_into(1024, 500);
        h.connect();
        uint32_t t0 = 0;
        h.rx.call([&] { t0 = h.clock.now; });
        h.rx.send(Bytes{DATA} + packet_bytes(image, 0) + Bytes{0x00});
        ExchangeResult r = h.run();
        EXPECT_EQ(r.outcome, ExchangeOutcome::PacketTimeOut);
        EXPECT_GE(h.clock.now - t0, 2000u);
        EXPECT_LT(h.clock.now - t0, 2200u);
        EXPECT_EQ(h.obs.boxes, std::vector<std::string>{"Communication Time Out"});
        EXPECT_EQ(h.obs.statuses.back(), "Communication Time Out");
        EXPECT_EQ(h.rx.unexpected(), Bytes{BYE}); // after the loop only
    }
}

TEST(ExchangeLoop, SoftwareSendAnswersWithItsOwnTextsAndCompletion)
{
    Harness h(ExchangeKind::SoftwareToReceiver, 1100);
    int header_asks = 0;
    h.setup.header_type = [&] {
        ++header_asks;
        return HEADER_BOOT_SOFTWARE;
    };
    h.setup.accept_any_version = true; // DN ticked: other codes are let through
    h.rx.send({HELLO}).expect({CONNECT}, true).send({CONNECT}).expect({CONNECT_ACK});
    h.rx.send(Bytes{version_ack} + version_bytes(0x0BAD, 0x0BAD)).expect({VERSION_OK});
    h.rx.send({ITEM_SIZE_REQ, REQ_BLOCK_INFO}).expect(Bytes{BLOCK_INFO} + h.block_wire());
    h.rx.send({hdr_ack}).expect(h.header(1100, 136));
    h.rx.send({REQ_DATA}, 100).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
    h.rx.send({DATA_ACK}, 3000).expect({DATA_NEXT});
    h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 1024));
    h.rx.send({DATA_ACK}).expect({DATA_END});
    h.rx.send({WRITE_DONE}, 30000).expect({BYE});
    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_EQ(r.outcome, ExchangeOutcome::Complete);
    EXPECT_EQ(header_asks, 1);
    // No BYE after the loop for software.
    EXPECT_THAT(h.rx.unexpected(), IsEmpty());
    EXPECT_THAT(h.obs.statuses, Contains("Connected..."));
    EXPECT_THAT(h.obs.statuses, Contains("DATA_ACK"));
    EXPECT_THAT(h.obs.statuses, Contains("On Writing.. Wait Please!"));
    EXPECT_EQ(h.obs.statuses.back(), "Transfer Complete..");
    EXPECT_EQ(h.obs.boxes, std::vector<std::string>{"Transfer Complete.."});
    EXPECT_EQ(h.obs.times.front(), "00:03");
    EXPECT_EQ(h.obs.times.back(), "00:00");
    EXPECT_EQ(h.obs.percents.back(), 0u);
    EXPECT_THAT(h.obs.events, Contains("busy:on"));
    EXPECT_THAT(h.obs.events, Contains("stop:on"));
}

TEST(ExchangeLoop, SoftwareChecksCodesWithoutDnAndStopsQuietlyOnAnEarlyWriteDone)
{
    {
        Harness h(ExchangeKind::SoftwareToReceiver, 1100);
        h.rx.send({HELLO}).expect({CONNECT}, true).send({CONNECT}).expect({CONNECT_ACK});
        h.rx.send(Bytes{version_ack} + version_bytes(0x0BAD, 0x0BAD)).expect({VERSION_BAD});
        ExchangeResult r = h.run();
        EXPECT_EQ(r.outcome, ExchangeOutcome::VersionMismatch);
        EXPECT_THAT(h.rx.unexpected(), IsEmpty());
    }
    {
        Harness h(ExchangeKind::SoftwareToReceiver, 1100);
        h.connect();
        h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
        h.rx.send({DATA_ACK}).expect({DATA_NEXT});
        h.rx.send({WRITE_DONE});
        ExchangeResult r = h.run();
        EXPECT_THAT(h.rx.failures, IsEmpty());
        EXPECT_EQ(r.outcome, ExchangeOutcome::SoftwareIncomplete);
        EXPECT_THAT(h.rx.unexpected(), IsEmpty());
        EXPECT_THAT(h.obs.boxes, IsEmpty());
        EXPECT_THAT(h.obs.events, Contains("stop:on"));
    }
}

TEST(ExchangeLoop, ClearingTheRunningFlagEndsTheLoopAtItsNextPass)
{
    Harness h(ExchangeKind::DatabaseToReceiver, 5000);
    h.connect();
    h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
    h.rx.call([&] { h.running = false; });
    // Still queued when Cancel comes; must not be answered.
    h.rx.send({DATA_ACK});
    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_EQ(r.outcome, ExchangeOutcome::Stopped);
    EXPECT_EQ(r.offset, 0u);
    EXPECT_EQ(h.rx.unexpected(), Bytes{BYE});
    EXPECT_THAT(h.obs.boxes, IsEmpty());
}

TEST(ExchangeLoop, BytesTheReceiverCannotSendNowAreNoiseAndMoveNothingOn)
{
    Harness h(ExchangeKind::DatabaseToReceiver, 1500);
    h.connect();
    h.rx.send({hdr_ack}).expect(h.header(1500, 3));
    h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
    // While the packet waits for its answer, nothing but an answer counts.
    h.rx.send({REQ_DATA, hdr_ack, version_ack, HELLO, CONNECT, 0x00});
    h.rx.send({DATA_ACK}, 100).expect({DATA_NEXT});
    // A second DATA_ACK (a flipped DATA_NACK, say) must not skip a packet; nor may table or header
    // requests come back once the data flows.
    h.rx.send({DATA_ACK, DATA_NACK, REQ_BLOCK_INFO, ITEM_SIZE_REQ, hdr_ack});
    h.rx.send({REQ_DATA}, 100).expect(Bytes{DATA} + packet_bytes(h.payload, 1024));
    // Every byte arrived whole, but such a line may flip two bits that cancel out in a checksum.
    h.rx.send({DATA_ACK}).expect({BYE});
    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_EQ(r.outcome, ExchangeOutcome::LineDamaged);
    EXPECT_EQ(r.offset, 1500u);
    EXPECT_EQ(h.rx.unexpected(), Bytes{BYE});
}

TEST(ExchangeLoop, NoiseDoesNotCountAsTheReceiverSpeaking)
{
    Harness h(ExchangeKind::DatabaseToReceiver, 3000);
    h.connect();
    h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
    h.rx.send({DATA_ACK}).expect({DATA_NEXT});
    uint32_t t0 = 0;
    h.rx.call([&] { t0 = h.clock.now; });
    for (int i = 0; i < 10; ++i)
        h.rx.send({DATA_ACK}, 2000); // never the REQ_DATA the PC waits for
    ExchangeResult r = h.run();
    EXPECT_EQ(r.outcome, ExchangeOutcome::TimedOut);
    EXPECT_GT(h.clock.now - t0, 10000u);
    EXPECT_LT(h.clock.now - t0, 10200u);
    EXPECT_EQ(r.offset, 1024u);
}

TEST(ExchangeLoop, ReceivingTakesPacketsOnlyWhenAskedAndARepeatOnlyOnce)
{
    Harness h(ExchangeKind::DatabaseFromReceiver);
    Bytes image = pattern(1500, 0x31, 7);
    h.receive_into(4096, 1500);
    h.connect();
    h.rx.send({ITEM_SIZE_REQ}).expect(Bytes{ITEM_SIZE} + h.item_wire() + Bytes{REQ_DATA});
    h.rx.send({DATA_END, DATA_NEXT}); // no packet has been taken yet: noise
    h.rx.send(Bytes{DATA} + packet_bytes(image, 0), 100).expect({DATA_ACK});
    // Our DATA_ACK reached the receiver as a refusal: the same packet comes again.
    h.rx.send(Bytes{DATA} + packet_bytes(image, 0)).expect({DATA_ACK});
    h.rx.send({DATA_NEXT}).expect({REQ_DATA});
    h.rx.send(Bytes{DATA} + packet_bytes(image, 1024)).expect({DATA_ACK});
    h.rx.send({DATA_END}).expect({BYE});
    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_EQ(r.outcome, ExchangeOutcome::Complete);
    EXPECT_EQ(r.offset, 1500u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), h.receive.begin()));
    EXPECT_EQ(h.receive[1500], 0xEE);
}

TEST(ExchangeLoop, OnANoisyLineAReceivedPacketIsStoredOnlyWhenTwoCopiesAgree)
{
    Harness h(ExchangeKind::DatabaseFromReceiver);
    Bytes image = pattern(2048, 0x40, 3);
    h.receive_into(4096, 2048);
    h.connect();
    h.rx.send({ITEM_SIZE_REQ}).expect(Bytes{ITEM_SIZE} + h.item_wire() + Bytes{REQ_DATA});
    // Before any damage a good packet is taken at once: a clean line costs nothing.
    h.rx.send(Bytes{DATA} + packet_bytes(image, 0)).expect({DATA_ACK});
    h.rx.send({DATA_NEXT}).expect({REQ_DATA});
    Bytes damaged = packet_bytes(image, 1024);
    damaged[8] ^= 0x04;
    // Two flips of one bit, up in one byte and down in another: the byte sum still holds.
    Bytes cancelling = packet_bytes(image, 1024);
    ASSERT_NE(cancelling[20] & 0x10, cancelling[24] & 0x10);
    cancelling[20] ^= 0x10;
    cancelling[24] ^= 0x10;
    ASSERT_TRUE(check_packet(cancelling.data()).ok);
    h.rx.send(Bytes{DATA} + damaged).expect({DATA_NACK});
    h.rx.send(Bytes{DATA} + cancelling).expect({DATA_NACK});
    h.rx.send(Bytes{DATA} + packet_bytes(image, 1024)).expect({DATA_NACK}); // differs from the last
    h.rx.send(Bytes{DATA} + packet_bytes(image, 1024)).expect({DATA_ACK});
    h.rx.send({DATA_END}).expect({BYE});
    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_EQ(r.outcome, ExchangeOutcome::Complete);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), h.receive.begin()));
}

TEST(ExchangeLoop, SenderGivesUpAfterTheAllowedRefusalsOfOnePacket)
{
    Harness h(ExchangeKind::DatabaseToReceiver, 3000);
    h.setup.max_refusals = 3;
    h.connect();
    h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
    for (int i = 0; i < 2; ++i)
        h.rx.send({DATA_NACK}).expect(Bytes{DATA} + packet_bytes(h.payload, 0));
    // The count is per packet: an acknowledged packet starts it again.
    h.rx.send({DATA_ACK}).expect({DATA_NEXT});
    h.rx.send({REQ_DATA}).expect(Bytes{DATA} + packet_bytes(h.payload, 1024));
    for (int i = 0; i < 2; ++i)
        h.rx.send({DATA_NACK}).expect(Bytes{DATA} + packet_bytes(h.payload, 1024));
    h.rx.send({DATA_NACK}).expect({BYE});
    ExchangeResult r = h.run();
    EXPECT_THAT(h.rx.failures, IsEmpty());
    EXPECT_EQ(r.outcome, ExchangeOutcome::Refused);
    EXPECT_EQ(r.offset, 1024u);
    EXPECT_EQ(h.obs.boxes, std::vector<std::string>{"The receiver refused packet 2 3 times: giving up"});
    EXPECT_EQ(h.obs.statuses.back(), "The receiver refused packet 2 3 times: giving up");
    EXPECT_EQ(h.rx.unexpected(), Bytes{BYE}); // and the closing one after the loop
}
