// Wire bytes of the link blocks, their checksums and the version check.
#include "korvid/link/link_blocks.h"

#include <algorithm>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vector>

using namespace korvid;
using Bytes = std::vector<uint8_t>;

TEST(TransferHeader, DatabaseSendHeaderHasTheExactWireBytes)
{
    TransferHeader h;
    h.size = DB_TRANSFER_SIZE;
    h.type = HEADER_DB_TO_RECEIVER;
    uint8_t out[TransferHeader::SIZE];
    h.encode(out);
    EXPECT_EQ(Bytes(out, out + 20), (Bytes{0x04, 0x21, 0x25, 0x00, 0x00, 0x07, 0x40, 0x00, 0x00, 0x00,
                                           0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x94}));
    TransferHeader back;
    ASSERT_TRUE(back.decode(out));
    EXPECT_EQ(back.size, 0x74000u);
    EXPECT_EQ(back.type, 3u);
}

TEST(TransferHeader, ChecksumIsAByteSumOverHighBitBytesAndDecodeRejectsDamage)
{
    TransferHeader h;
    h.size = 0xF1F2F3F4;
    h.type = HEADER_OTA_SOFTWARE;
    uint8_t out[TransferHeader::SIZE];
    h.encode(out);
    // 04+21+25+00 + F1+F2+F3+F4 + 99 = 0x4AD
    EXPECT_EQ(Bytes(out + 16, out + 20), (Bytes{0x00, 0x00, 0x04, 0xAD}));
    TransferHeader back;
    EXPECT_TRUE(back.decode(out));
    out[5] ^= 0x01;
    EXPECT_FALSE(back.decode(out));
    h.encode(out);
    out[0] = 0x05;
    EXPECT_FALSE(back.decode(out));
}

TEST(VersionBlock, CodesAndChecksumAsTheReceiverSendsThem)
{
    const uint8_t wire[8] = {0x12, 0x34, 0x56, 0x78, 0x00, 0x00, 0x01, 0x14};
    VersionBlock v;
    std::memcpy(v.bytes, wire, 8);
    EXPECT_EQ(v.buyer(), 0x1234);
    EXPECT_EQ(v.model(), 0x5678);
    EXPECT_EQ(v.checksum(), 0x114);
    EXPECT_EQ(v.computed_checksum(), 0x114);
    EXPECT_EQ(0, std::memcmp(VersionBlock::make(0x1234, 0x5678).bytes, wire, 8));

    EXPECT_TRUE(CheckVersion(v, 0x1234, 0x5678));
    // The 0xFFFF/0xFFFF of a PC that holds no codes does not let a coded receiver through.
    EXPECT_FALSE(CheckVersion(v, 0xFFFF, 0xFFFF));
    EXPECT_FALSE(CheckVersion(v, 0x1234, 0x5679));
    EXPECT_FALSE(CheckVersion(v, 0x1235, 0x5678));
    v.bytes[7] = 0x15; // checksum off by one
    EXPECT_FALSE(CheckVersion(v, 0x1234, 0x5678));
    // The spare word counts in the checksum.
    VersionBlock s = VersionBlock::make(0x1234, 0x5678, 0xFFEE);
    EXPECT_EQ(s.checksum(), uint16_t(0x114 + 0xFF + 0xEE));
    EXPECT_TRUE(CheckVersion(s, 0x1234, 0x5678));
}

TEST(VersionBlock, AllOnesAndAllZeroCodesPassWhateverWeHold)
{
    for (uint16_t c : {uint16_t(0xFFFF), uint16_t(0)}) {
        VersionBlock v;
        v.bytes[0] = v.bytes[1] = v.bytes[2] = v.bytes[3] = uint8_t(c);
        v.bytes[6] = 0x12; // even with a checksum that does not hold
        EXPECT_TRUE(CheckVersion(v, 0x1234, 0x5678));
        EXPECT_TRUE(CheckVersion(v, 0, 0));
    }
    // Only both together: 0xFFFF/0 is an ordinary pair of codes.
    VersionBlock mixed = VersionBlock::make(0xFFFF, 0);
    EXPECT_FALSE(CheckVersion(mixed, 0x1234, 0x5678));
    EXPECT_TRUE(CheckVersion(mixed, 0xFFFF, 0));
}

TEST(DataPacket, FullPartialAndEmptyPacketsHaveTheirLengthChecksumAndZeroTail)
{
    Bytes payload(2100);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint8_t(0xF0 + (i % 16));
    uint8_t p[PACKET_SIZE];
    std::memset(p, 0xCC, sizeof p);

    EXPECT_EQ(build_packet(payload.data(), 2100, 0, p), 1024u);
    // 64 rounds of F0..FF: 64 * 0xF78 = 0x3DE00
    EXPECT_EQ(Bytes(p, p + 8), (Bytes{0x00, 0x00, 0x04, 0x00, 0x00, 0x03, 0xDE, 0x00}));
    EXPECT_EQ(p[8], 0xF0);
    EXPECT_EQ(p[1031], 0xFF);

    EXPECT_EQ(build_packet(payload.data(), 2100, 2048, p), 52u);
    EXPECT_EQ(Bytes(p, p + 4), (Bytes{0x00, 0x00, 0x00, 0x34}));
    EXPECT_TRUE(check_packet(p).ok);
    EXPECT_TRUE(std::all_of(p + 8 + 52, p + PACKET_SIZE, [](uint8_t b) { return b == 0; }));

    // After the last full packet of a size that is a multiple of 1024, and past the end.
    for (uint32_t off : {2048u, 5000u}) {
        EXPECT_EQ(build_packet(payload.data(), 2048, off, p), 0u);
        EXPECT_TRUE(std::all_of(p, p + PACKET_SIZE, [](uint8_t b) { return b == 0; }));
    }
}

TEST(DataPacket, CheckRejectsALengthAbove1024AndAWrongSum)
{
    uint8_t p[PACKET_SIZE] = {};
    std::memset(p + 8, 0xFF, 1024);
    p[2] = 0x04; // length 1024
    p[5] = 0x03; // sum 0x3FC00
    p[6] = 0xFC;
    PacketCheck c = check_packet(p);
    EXPECT_TRUE(c.ok);
    EXPECT_EQ(c.length, 1024u);
    EXPECT_EQ(c.checksum, 0x3FC00u);

    p[3] = 0x01; // 1025: would read past the data field
    EXPECT_FALSE(check_packet(p).ok);
    p[0] = 0xFF; // a huge length is refused, not summed
    EXPECT_FALSE(check_packet(p).ok);

    uint8_t q[PACKET_SIZE] = {};
    q[3] = 2;
    q[8] = 0x80;
    q[9] = 0x81;
    q[6] = 0x01; // 0x101 is right
    q[7] = 0x01;
    EXPECT_TRUE(check_packet(q).ok);
    q[7] = 0x02;
    EXPECT_FALSE(check_packet(q).ok);
}

TEST(LinkTables, DatabaseMapGoesOutBigEndianAndStaysInHostOrder)
{
    FlashBlockTable blocks;
    ItemTable items;
    fill_database_flash_map(blocks, items);
    EXPECT_EQ(items.total_size(), DB_TRANSFER_SIZE);
    const FlashBlockTable blocks_before = blocks;
    const ItemTable items_before = items;

    uint8_t b[FlashBlockTable::WIRE_SIZE];
    blocks.encode(b);
    EXPECT_EQ(Bytes(b, b + 16), (Bytes{0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(b + 16, b + 32),
              (Bytes{0x00, 0x39, 0x00, 0x00, 0x00, 0x3E, 0xFF, 0xFF, 0x00, 0x01, 0x00, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(b + 80, b + 96),
              (Bytes{0x00, 0x3F, 0xC0, 0x00, 0x00, 0x3F, 0xFF, 0xFF, 0x00, 0x00, 0x20, 0x00, 0, 0, 0, 0}));
    EXPECT_TRUE(std::all_of(b + 96, b + sizeof b, [](uint8_t x) { return x == 0; }));

    uint8_t it[ItemTable::WIRE_SIZE];
    items.encode(it);
    EXPECT_EQ(Bytes(it, it + 12), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}));
    EXPECT_EQ(Bytes(it + 12, it + 24), (Bytes{0, 0, 0, 0, 0x00, 0x39, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00}));
    EXPECT_EQ(Bytes(it + 72, it + 84), (Bytes{0, 0, 0, 1, 0, 0, 0, 0, 0x00, 0x00, 0x40, 0x00}));

    EXPECT_EQ(0, std::memcmp(&blocks, &blocks_before, sizeof blocks));
    EXPECT_EQ(0, std::memcmp(&items, &items_before, sizeof items));

    FlashBlockTable blocks_back;
    ItemTable items_back;
    ASSERT_TRUE(blocks_back.decode(b));
    ASSERT_TRUE(items_back.decode(it));
    EXPECT_EQ(0, std::memcmp(&blocks_back, &blocks, sizeof blocks));
    EXPECT_EQ(0, std::memcmp(&items_back, &items, sizeof items));
}

TEST(LinkTables, WordsBeyondTheCountGoAsTheyLieAndABadCountTouchesNothingOutside)
{
    FlashBlockTable t;
    t.entry[0].staddr = 2;
    t.entry[1] = {0x10000, 0x386A0, 0x10000, 0};
    t.entry[2] = {0x11223344, 0, 0, 0}; // stale, beyond the count
    uint8_t b[FlashBlockTable::WIRE_SIZE];
    t.encode(b);
    EXPECT_EQ(Bytes(b + 16, b + 28),
              (Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x86, 0xA0, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(Bytes(b + 32, b + 36), (Bytes{0x44, 0x33, 0x22, 0x11}));

    t.entry[0].staddr = 0xFFFFFFFF; // a count far beyond the 34 entries
    t.encode(b);                    // must stay inside both buffers
    EXPECT_EQ(Bytes(b, b + 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    FlashBlockTable back;
    EXPECT_FALSE(back.decode(b));
    ItemTable items;
    uint8_t it[ItemTable::WIRE_SIZE] = {};
    EXPECT_FALSE(items.decode(it)); // count 0
}
