// The image: where each field lands, round trips, and the receiver's byte order.
#include "common/testing/scripted_prompts.h"
#include "korvid/database/database.h"
#include "korvid/database/image_layout.h"
#include "korvid/database/receiver_order.h"
#include "test_database.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace korvid {
namespace {

using testing::random_database;

std::vector<uint8_t> packed(const Database& db)
{
    std::vector<uint8_t> img(DB_IMAGE_SIZE, 0);
    EXPECT_EQ(db.pack_image(img.data()), DB_IMAGE_SIZE);
    return img;
}

uint16_t le16_at(const std::vector<uint8_t>& img, size_t off)
{
    return uint16_t(img[off] | (img[off + 1] << 8));
}

TEST(DatabaseImage, FieldsLandAtTheirOffsetsInEverySection)
{
    auto db = std::make_unique<Database>();
    db->channels[5].video_pid = 0xF1F2;                         // TV slot 5, offset 12
    db->channels[MAX_TV_CHAN_NUM + 7].ext_audio_index = 0xE3E4; // radio slot 7, offset 40
    db->ext_audio[818].in_use = 0xA5;                           // offset 79
    db->transponders[3275].frequency = 0xD1D2;                  // offset 4
    db->fav_list(3, SERVICE_RADIO)[199] = 0xC1C2;               // the last entry of the last list
    db->fav_names[2][11] = 0x9F;
    db->satellites[127].position = -300;
    std::memcpy(db->sat_names[1], "ABCDEFGHIJKLMNOPQRSTUV", 22);
    db->region1[16383] = 0x81;
    db->system.syscode = DB_SYSCODE_VALUE;
    db->system.chan_count[SERVICE_RADIO] = 0xB1B2;
    db->system.fav_count[7] = 0x77;
    db->cursor.current_chan[1] = 0x9192;
    db->cursor.fav_cursor[7] = 0x88;
    db->language_bytes[MAX_CHAN_NUM - 1] = 0xC9;
    db->region2[127] = 0x82;
    db->region3[255] = 0x83;
    db->region4[8399] = 0x84;

    auto img = packed(*db);
    EXPECT_EQ(le16_at(img, 5 * 44 + 12), 0xF1F2);
    EXPECT_EQ(le16_at(img, 0x30000 + 7 * 44 + 40), 0xE3E4);
    EXPECT_EQ(img[0x50000 + 818 * 80 + 79], 0xA5);
    EXPECT_EQ(le16_at(img, 0x60000 + 3275 * 10 + 4), 0xD1D2);
    EXPECT_EQ(le16_at(img, 0x68000 + (7 * 200 + 199) * 2), 0xC1C2);
    EXPECT_EQ(img[0x69000 + 2 * 12 + 11], 0x9F);
    EXPECT_EQ(le16_at(img, 0x6A000 + 127 * 16 + 10), uint16_t(-300));
    EXPECT_EQ(0, std::memcmp(&img[0x6B000 + 22], "ABCDEFGHIJKLMNOPQRSTUV", 22));
    EXPECT_EQ(img[0x6C000 + 16383], 0x81);
    EXPECT_EQ(img[0x70004 - 4], 0x5A); // the system code, as the .ird file sees it at 0x70004
    EXPECT_EQ(le16_at(img, 0x70000 + 22), 0xB1B2);
    EXPECT_EQ(img[0x70000 + 24 + 7], 0x77);
    EXPECT_EQ(le16_at(img, 0x70060 + 2), 0x9192);
    EXPECT_EQ(img[0x70060 + 4 + 7], 0x88);
    EXPECT_EQ(img[0x70090 + MAX_CHAN_NUM - 1], 0xC9);
    EXPECT_EQ(img[0x71DB0 + 127], 0x82);
    EXPECT_EQ(img[0x71E30 + 255], 0x83);
    EXPECT_EQ(img[0x73FFF], 0x84);
}

TEST(DatabaseImage, GapsBetweenSectionsStayZero)
{
    auto db = random_database(1);
    auto img = packed(*db);
    const std::pair<int, int> gaps[] = {
        {0x00000 + 4467 * 44, 0x30000}, {0x30000 + 2978 * 44, 0x50000}, {0x50000 + 819 * 80, 0x60000},
        {0x60000 + 3276 * 10, 0x68000}, {0x68000 + 3200, 0x69000},      {0x69000 + 48, 0x6A000},
        {0x6A000 + 2048, 0x6B000},      {0x6B000 + 2816, 0x6C000},      {0x70000 + 56, 0x70060},
        {0x70060 + 18, 0x70090},        {0x70090 + 7445, 0x71DB0},
    };
    for (auto [from, to] : gaps)
        for (int i = from; i < to; ++i)
            ASSERT_EQ(img[i], 0) << "gap byte at 0x" << std::hex << i;
}

TEST(DatabaseImage, PackUnpackPackIsByteIdenticalButForRegion4AndNameTerminators)
{
    auto db = random_database(2);
    std::memset(db->region4 + 1168, 0xEE, 128); // unpacking must zero these
    auto first = packed(*db);

    auto other = random_database(3);
    char other_terminators[MAX_SAT_NUM];
    for (int s = 0; s < MAX_SAT_NUM; ++s)
        other_terminators[s] = other->sat_names[s][22];
    EXPECT_EQ(other->unpack_image(first.data()), DB_IMAGE_SIZE);
    auto second = packed(*other);

    for (int i = 0; i < DB_IMAGE_SIZE; ++i) {
        bool zeroed = i >= image::REGION4 + 1168 && i <= image::REGION4 + 1295;
        ASSERT_EQ(second[i], zeroed ? 0 : first[i]) << "image byte 0x" << std::hex << i;
    }
    for (int s = 0; s < MAX_SAT_NUM; ++s) {
        EXPECT_EQ(other->sat_names[s][22], other_terminators[s]) << "the 23rd byte keeps what it held";
        EXPECT_EQ(0, std::memcmp(other->sat_names[s], db->sat_names[s], 22));
    }
}

// The 16-bit fields that travel big-endian, listed by image offset independently of the code.
std::set<int> swapped_pairs()
{
    std::set<int> s;
    for (int slot = 0; slot < MAX_CHAN_NUM; ++slot) {
        int base = slot < MAX_TV_CHAN_NUM ? slot * 44 : 0x30000 + (slot - MAX_TV_CHAN_NUM) * 44;
        for (int off : {0, 2, 4, 6, 8, 10, 12, 14, 16, 38, 40})
            s.insert(base + off);
    }
    for (int r = 0; r < MAX_EXAUD_NUM; ++r)
        for (int p = 0; p < 26; ++p)
            s.insert(0x50000 + r * 80 + p * 2);
    for (int t = 0; t < MAX_TP_NUM; ++t) {
        s.insert(0x60000 + t * 10 + 2);
        s.insert(0x60000 + t * 10 + 4);
    }
    for (int e = 0; e < 1600; ++e)
        s.insert(0x68000 + e * 2);
    for (int sat = 0; sat < MAX_SAT_NUM; ++sat)
        for (int off : {0, 2, 10})
            s.insert(0x6A000 + sat * 16 + off);
    for (int off : {0, 20, 22, 36, 38, 46})
        s.insert(0x70000 + off);
    s.insert(0x70060);
    s.insert(0x70062);
    for (int r = 0; r < 8; ++r)
        s.insert(0x71DB0 + r * 16 + 4);
    for (int i = 0; i < 128; ++i)
        s.insert(0x71E30 + i * 2);
    return s;
}

TEST(DatabaseImage, ReceiverOrderSwapsExactlyTheListedFieldsAndTwiceIsIdentity)
{
    auto db = random_database(4);
    const auto host = packed(*db);
    auto receiver = host;
    swap_image_receiver_order(receiver.data());
    auto pairs = swapped_pairs();
    std::vector<bool> in_pair(DB_IMAGE_SIZE, false);
    for (int o : pairs) {
        in_pair[o] = in_pair[o + 1] = true;
        ASSERT_EQ(receiver[o], host[o + 1]) << "field at 0x" << std::hex << o;
        ASSERT_EQ(receiver[o + 1], host[o]) << "field at 0x" << std::hex << o;
    }
    for (int i = 0; i < DB_IMAGE_SIZE; ++i) {
        if (!in_pair[i]) {
            ASSERT_EQ(receiver[i], host[i]) << "untouched byte 0x" << std::hex << i;
        }
    }

    swap_image_receiver_order(receiver.data());
    EXPECT_EQ(receiver, host);
    std::vector<uint8_t> built(DB_IMAGE_SIZE, 0);
    db->build_image_for_receiver(built.data());
    swap_image_receiver_order(built.data());
    EXPECT_EQ(built, host) << "building the receiver's image leaves the tables in host order";
    EXPECT_EQ(packed(*db), host);
}

TEST(DatabaseImage, BuildForReceiverThenTakeBackRestoresTheTables)
{
    auto db = random_database(5);
    db->system.syscode = DB_SYSCODE_VALUE;
    auto before = packed(*db);
    std::vector<uint8_t> wire(1 << 20, 0);
    EXPECT_EQ(db->build_image_for_receiver(wire.data()), DB_IMAGE_SIZE);
    EXPECT_EQ(wire[0x70000], 0x5A);
    EXPECT_EQ(wire[0x70000 + 20], before[0x70000 + 21]) << "channel counts travel big-endian";
    common::ScriptedPrompts prompts;
    EXPECT_EQ(db->take_back_image(wire.data(), prompts), 1);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(packed(*db), before);
}

TEST(DatabaseImage, EmptyDatabaseFailsTheSystemCodeCheck)
{
    auto db = std::make_unique<Database>();
    db->clear();
    auto img = packed(*db);
    EXPECT_EQ(le16_at(img, 0x70000), 0);
    std::vector<uint8_t> wire(DB_IMAGE_SIZE, 0);
    db->build_image_for_receiver(wire.data());
    common::ScriptedPrompts prompts;
    EXPECT_EQ(db->take_back_image(wire.data(), prompts), 0);
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"Wrong DB : syscode"});
    EXPECT_EQ(db->channels[0].tp_index, INVALID_TPID) << "a failed take-back leaves a cleared database";
}

} // namespace
} // namespace korvid
