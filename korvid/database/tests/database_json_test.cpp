#include "korvid/database/database_json.h"
#include "korvid/database/ird_file.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <sys/stat.h>

namespace {

using namespace korvid;
namespace fs = std::filesystem;

std::vector<uint8_t> file_bytes(const Database& db, uint16_t buyer, uint16_t model)
{
    std::vector<uint8_t> out;
    encode_database(db, buyer, model, out);
    return out;
}

// What File > Open then File > Save makes of a file's bytes.
std::vector<uint8_t> open_and_save(const std::vector<uint8_t>& file)
{
    std::vector<uint8_t> buffer(IRD_WORK_BUFFER_SIZE, 0);
    std::memcpy(buffer.data(), file.data(), std::min(file.size(), buffer.size()));
    auto db = std::make_unique<Database>();
    db->clear();
    uint16_t buyer = 0, model = 0;
    read_database(*db, buffer.data(), buyer, model);
    return file_bytes(*db, buyer, model);
}

// build(dump(F)) as bytes.
std::vector<uint8_t> dump_and_build(const std::vector<uint8_t>& file, std::string* text = nullptr)
{
    std::vector<uint8_t> buffer(IRD_WORK_BUFFER_SIZE, 0);
    std::memcpy(buffer.data(), file.data(), file.size());
    auto db = std::make_unique<Database>();
    uint16_t buyer = 0, model = 0;
    read_database(*db, buffer.data(), buyer, model);
    std::string json = dump_database_json(*db, buyer, model);
    if (text)
        *text = json;
    DatabaseFromJson built = build_database_from_json(json);
    EXPECT_TRUE(built.db) << built.error;
    if (!built.db)
        return {};
    return file_bytes(*built.db, built.buyer, built.model);
}

// A file with random bytes in every section of the image, gaps included, and a valid system code:
// favourite counts too, so that most lists hold entries beyond their count.
std::vector<uint8_t> random_file(unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> file(IRD_FILE_SIZE);
    for (auto& b : file)
        b = uint8_t(rng());
    file[4 + 0x70000] = 0x5A;
    file[4 + 0x70001] = 0x5A;
    return file;
}

size_t first_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            return i;
    return a.size() == b.size() ? std::string::npos : std::min(a.size(), b.size());
}

TEST(DatabaseJson, RandomBytesInEveryFieldSurviveDumpAndBuild)
{
    for (unsigned seed : {1u, 2u}) {
        auto file = random_file(seed);
        auto expected = open_and_save(file);
        auto got = dump_and_build(file);
        EXPECT_EQ(first_difference(got, expected), std::string::npos) << "seed " << seed;
    }
}

// Receivers leave entries behind a list's count; a dump that dropped them, or a build that refused
// them, would lose bytes of the image.
TEST(DatabaseJson, EntriesBeyondAFavouriteCountSurviveDumpAndBuild)
{
    auto db = std::make_unique<Database>();
    db->clear();
    db->system.syscode = DB_SYSCODE_VALUE;
    std::memset(db->fav_index, 0xFF, sizeof db->fav_index);
    for (int i = 0; i < MAX_FAVCHAN_NUM; ++i)
        db->fav_list(0, SERVICE_TV)[i] = uint16_t(i); // count 0, the whole list beyond it
    db->fav_list(1, SERVICE_RADIO)[0] = 7;
    db->fav_list(1, SERVICE_RADIO)[1] = 8;
    db->fav_list(1, SERVICE_RADIO)[150] = 9; // beyond, after a run of empty entries
    db->system.fav_count[fav_list_index(1, SERVICE_RADIO)] = 1;
    db->fav_list(3, SERVICE_TV)[0] = INVALID_FAVENTRY; // an empty entry within the count
    db->fav_list(3, SERVICE_TV)[1] = 4;
    db->system.fav_count[fav_list_index(3, SERVICE_TV)] = 2;
    const auto file = file_bytes(*db, 0xF1F2, 0xE3E4);
    std::string text;
    EXPECT_EQ(first_difference(dump_and_build(file, &text), file), std::string::npos);
    const auto j = nlohmann::json::parse(text);
    EXPECT_EQ(j["favourites"][0]["tv"]["entries"].size(), 0u);
    EXPECT_EQ(j["favourites"][0]["tv"]["beyond"].size(), 200u);
    EXPECT_EQ(j["favourites"][1]["radio"]["entries"], nlohmann::json::array({7}));
    EXPECT_EQ(j["favourites"][1]["radio"]["beyond"].size(), 150u);
    EXPECT_EQ(j["favourites"][3]["tv"]["entries"], nlohmann::json::array({65535, 4}));
    EXPECT_FALSE(j["favourites"][3]["tv"].contains("beyond")) << "nothing beyond: no key";
}

// A short fuzz of the reader over mutated copies of the sample: every text is built or refused with
// a reason, never thrown out of the reader; what is built dumps and builds again to the same.
TEST(DatabaseJson, MutatedSamplesAreBuiltOrRefusedWithAReason)
{
    std::ifstream in(std::string(KD_SOURCE_DIR) + "/samples/sample.json", std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string sample = buffer.str();
    ASSERT_FALSE(sample.empty());
    const char* numbers[] = {
        "1e999", "-1e999", "1E+400",    "99999999999999999999", "-9223372036854775809", "1e-999", "0.5", "-0",
        "65536", "-1",     "4294967296"};
    const char* marks[] = {"[", "]", "{", "}", "\"", ",", ":", "\\", "\\x", "\\u00", "\xff", "\x7f\x01"};
    std::mt19937 rng(20261209);
    int built = 0;
    for (int round = 0; round < 300; ++round) {
        std::string text = sample;
        for (int m = 0, n = 1 + int(rng() % 3); m < n; ++m) {
            const size_t at = rng() % text.size();
            switch (rng() % 5) {
            case 0: { // a number where one stands
                const size_t digit = text.find_first_of("0123456789", at);
                if (digit == std::string::npos)
                    break;
                const size_t end = text.find_first_not_of("0123456789", digit);
                text.replace(digit, end - digit, numbers[rng() % std::size(numbers)]);
                break;
            }
            case 1:
                text[at] = char(rng());
                break;
            case 2:
                text.erase(at, rng() % 64);
                break;
            case 3:
                text.insert(at, marks[rng() % std::size(marks)]);
                break;
            default:
                text.insert(at, text.substr(at, rng() % 200));
            }
        }
        DatabaseFromJson result;
        ASSERT_NO_THROW(result = build_database_from_json(text)) << "round " << round;
        if (!result.db) {
            EXPECT_FALSE(result.error.empty()) << "round " << round;
            continue;
        }
        ++built;
        DatabaseFromJson again =
            build_database_from_json(dump_database_json(*result.db, result.buyer, result.model));
        ASSERT_TRUE(again.db) << "round " << round << ": " << again.error;
        EXPECT_EQ(file_bytes(*again.db, again.buyer, again.model),
                  file_bytes(*result.db, result.buyer, result.model))
            << "round " << round;
    }
    EXPECT_GT(built, 0) << "some mutations must leave a text that builds";
}

TEST(DatabaseJson, DumpOfABuiltDumpIsTheSameText)
{
    auto file = random_file(9);
    std::string first;
    auto built = dump_and_build(file, &first);
    std::string second;
    dump_and_build(built, &second);
    EXPECT_EQ(first, second);
}

TEST(DatabaseJson, EmptySlotsStayOutOfTheText)
{
    auto db = std::make_unique<Database>();
    db->clear();
    db->system.syscode = DB_SYSCODE_VALUE;
    std::memset(db->language_bytes, 0xFF, sizeof db->language_bytes);
    std::memset(db->fav_index, 0xFF, sizeof db->fav_index);
    db->satellites[3].sat_id = 3;
    std::strcpy(db->sat_names[3], "Hot\\Bird\x81\"");
    db->transponders[7].sat_id = 3;
    db->transponders[7].frequency = 11747;
    db->transponders[7].polarisation = 1;
    db->transponders[7].fec = 3;
    db->channels[MAX_TV_CHAN_NUM + 2].tp_index = 7;
    db->fav_list(2, SERVICE_RADIO)[0] = 2;
    db->system.fav_count[fav_list_index(2, SERVICE_RADIO)] = 1;
    std::string text = dump_database_json(*db, 0x1234, 0xABCD);
    auto j = nlohmann::json::parse(text);
    EXPECT_EQ(j["buyer_code"], "0x1234");
    EXPECT_EQ(j["model_code"], "0xABCD");
    ASSERT_EQ(j["satellites"].size(), 1u);
    EXPECT_EQ(j["satellites"][0]["slot"], 3);
    // The name as text: backslash doubled, other bytes escaped.
    EXPECT_EQ(j["satellites"][0]["name"], "Hot\\\\Bird\\x81\"");
    EXPECT_EQ(j["satellites"][0]["lnb_type"], "UNI_LNB");
    ASSERT_EQ(j["transponders"].size(), 1u);
    EXPECT_EQ(j["transponders"][0]["polarisation"], "H");
    EXPECT_EQ(j["transponders"][0]["fec"], "3/4");
    EXPECT_TRUE(j["tv_channels"].empty());
    ASSERT_EQ(j["radio_channels"].size(), 1u);
    EXPECT_EQ(j["radio_channels"][0]["slot"], 2) << "radio slots count from 0";
    EXPECT_EQ(j["radio_channels"][0]["name"], "no name chan");
    EXPECT_EQ(j["favourites"][2]["radio"]["entries"], nlohmann::json::array({2}));
    EXPECT_EQ(j["favourites"][0]["tv"]["entries"], nlohmann::json::array());
    EXPECT_TRUE(j["regions"]["region1"].empty());
    // One record per line, so that a diff shows one line per changed record.
    EXPECT_NE(text.find("\n    {\"slot\": 7, \"sat_id\": 3, \"frequency\": 11747, "), std::string::npos);

    DatabaseFromJson built = build_database_from_json(text);
    ASSERT_TRUE(built.db) << built.error;
    EXPECT_EQ(file_bytes(*built.db, 0x1234, 0xABCD), file_bytes(*db, 0x1234, 0xABCD));
}

TEST(DatabaseJson, NeverUsedChannelTablesStayOutToo)
{
    // Start-up zeroes the language bytes; clearing does not touch them.
    auto db = std::make_unique<Database>();
    db->clear();
    db->system.syscode = DB_SYSCODE_VALUE;
    db->language_bytes[17] = 0x3F;
    auto j = nlohmann::json::parse(dump_database_json(*db, 0, 0));
    EXPECT_EQ(j["unlisted_language_byte"], 0);
    ASSERT_EQ(j["tv_channels"].size(), 1u);
    EXPECT_EQ(j["tv_channels"][0]["slot"], 17);
    EXPECT_EQ(j["tv_channels"][0]["language_byte"], 0x3F);
    EXPECT_TRUE(j["radio_channels"].empty());
}

// The dump of a small database, to be broken one way at a time.
class BadJson : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto db = std::make_unique<Database>();
        db->clear();
        db->system.syscode = DB_SYSCODE_VALUE;
        db->satellites[0].sat_id = 0;
        db->transponders[0].sat_id = 0;
        db->channels[0].tp_index = 0;
        db->ext_audio[4].in_use = 1;
        db->region2[40] = 0xAB;
        std::memset(db->fav_index, 0xFF, sizeof db->fav_index);
        good = nlohmann::ordered_json::parse(dump_database_json(*db, 1, 2));
    }

    std::string error_of(const nlohmann::ordered_json& j)
    {
        DatabaseFromJson built = build_database_from_json(j.dump());
        EXPECT_FALSE(built.db);
        return built.error;
    }

    nlohmann::ordered_json good;
};

TEST_F(BadJson, TheUnbrokenTextBuilds)
{
    EXPECT_TRUE(build_database_from_json(good.dump()).db);
}

TEST_F(BadJson, ValuesOutOfRange)
{
    auto j = good;
    j["satellites"][0]["position"] = 40000;
    EXPECT_EQ(error_of(j), "satellites[0].position: 40000 is out of range (-32768 to 32767)");
    j = good;
    j["tv_channels"][0]["audio_pids"][2] = -1;
    EXPECT_EQ(error_of(j), "tv_channels[0].audio_pids[2]: -1 is out of range (0 to 65535)");
    j = good;
    j["transponders"][0]["slot"] = 3276;
    EXPECT_EQ(error_of(j), "transponders[0].slot: 3276 is out of range (0 to 3275)");
    j = good;
    j["tv_channels"][0]["service_id"] = 12.5;
    EXPECT_EQ(error_of(j), "tv_channels[0].service_id: expected a whole number");
    j = good;
    j["transponders"][0]["fec"] = "4/5";
    EXPECT_EQ(error_of(j), "transponders[0].fec: unknown FEC \"4/5\" (known: AUTO, 1/2, 2/3, 3/4, 5/6, 7/8)");
    j = good;
    j["system"]["syscode"] = "0x0000";
    EXPECT_EQ(error_of(j), "system.syscode: must be \"0x5A5A\"");
    j = good;
    j["version"] = 2;
    EXPECT_EQ(error_of(j), "version: 2 is out of range (1 to 1)");
}

// The parser itself gives up on these; the path is where the keys read so far lead.
TEST_F(BadJson, NumbersBeyondWhatADoubleHoldsAreRefusedWithTheirPath)
{
    auto with = [&](const std::string& key, const std::string& number) {
        std::string text = good.dump();
        const size_t at = text.find("\"" + key + "\":");
        EXPECT_NE(at, std::string::npos) << key;
        const size_t value = at + key.size() + 3;
        const size_t end = text.find_first_of(",}]", value);
        return text.replace(value, end - value, number);
    };
    EXPECT_EQ(build_database_from_json(with("position", "1e999")).error,
              "satellites[0].position: number out of range");
    EXPECT_EQ(build_database_from_json(with("service_id", "-1e999")).error,
              "tv_channels[0].service_id: number out of range");
    std::string in_list = good.dump();
    in_list.replace(in_list.find("\"audio_pids\":[") + 14, 0, "1E+400,");
    EXPECT_EQ(build_database_from_json(in_list).error, "tv_channels[0].audio_pids[0]: number out of range");
    EXPECT_EQ(build_database_from_json("1e999").error, "number out of range");
}

TEST_F(BadJson, UnknownAndMissingKeys)
{
    auto j = good;
    j["satellites"][0]["colour"] = "red";
    EXPECT_EQ(error_of(j), "satellites[0].colour: unknown key");
    j = good;
    j["tv_channels"][0].erase("pcr_pid");
    EXPECT_EQ(error_of(j), "tv_channels[0]: missing key \"pcr_pid\"");
    j = good;
    j.erase("regions");
    EXPECT_EQ(error_of(j), "top level: missing key \"regions\"");
    j = good;
    j["favourites"][1]["tv"].erase("cursor");
    EXPECT_EQ(error_of(j), "favourites[1].tv: missing key \"cursor\"");
}

TEST_F(BadJson, KeysGivenTwice)
{
    std::string text = good.dump();
    // Repeat the "sat_id" of the first satellite, and a top-level key.
    size_t at = text.find("\"sat_id\":");
    std::string twice = text.substr(0, at) + "\"sat_id\":5," + text.substr(at);
    DatabaseFromJson built = build_database_from_json(twice);
    EXPECT_FALSE(built.db);
    EXPECT_EQ(built.error, "satellites[0].sat_id: key given twice");
    twice = "{\"version\":1," + text.substr(1);
    built = build_database_from_json(twice);
    EXPECT_EQ(built.error, "version: key given twice");
    at = text.find("\"cursor\":0");
    at = text.find("\"cursor\":0", at + 1);
    twice = text.substr(0, at) + "\"count\":0," + text.substr(at);
    built = build_database_from_json(twice);
    EXPECT_EQ(built.error, "favourites[0].radio.count: key given twice");
}

TEST_F(BadJson, BadHex)
{
    auto j = good;
    j["system"]["bytes_2_19"] = std::string(35, '0') + "g";
    EXPECT_EQ(error_of(j), "system.bytes_2_19: bad hex digit at character 36");
    j = good;
    j["satellites"][0]["carried"] = "000";
    EXPECT_EQ(error_of(j), "satellites[0].carried: expected 4 hex digits (2 bytes), found 3 characters");
    j = good;
    j["regions"]["region2"][0] = "0020: 00";
    EXPECT_EQ(error_of(j), "regions.region2[0]: expected 64 hex digits (32 bytes), found 2 characters");
    j = good;
    j["regions"]["region2"][0] = "0010: " + std::string(64, '0');
    EXPECT_EQ(error_of(j), "regions.region2[0]: row offset 0010 is not a multiple of 32 below 128");
    j = good;
    j["buyer_code"] = "0x12345";
    EXPECT_EQ(error_of(j), "buyer_code: expected a hex value of at most four digits such as \"0x5A5A\"");
}

TEST_F(BadJson, WrongCountsAndRepeatedSlots)
{
    auto j = good;
    j["tv_channels"][0]["languages"].push_back(1);
    EXPECT_EQ(error_of(j), "tv_channels[0].languages: expected 4 entries, found 5");
    j = good;
    j["extended_audio"][0]["pids"].erase(0);
    EXPECT_EQ(error_of(j), "extended_audio[0].pids: expected 26 entries, found 25");
    j = good;
    j["favourites"].erase(3);
    EXPECT_EQ(error_of(j), "favourites: expected 4 entries, found 3");
    j = good;
    j["favourites"][0]["tv"]["entries"] = nlohmann::json(std::vector<int>(201, 0));
    EXPECT_EQ(error_of(j), "favourites[0].tv.entries: expected at most 200 entries, found 201");
    j = good;
    j["satellites"].push_back(j["satellites"][0]);
    EXPECT_EQ(error_of(j), "satellites[1].slot: 0 is given twice");
    j = good;
    std::swap(j["favourites"][0], j["favourites"][1]);
    EXPECT_EQ(error_of(j), "favourites[0].group: expected group 0 here, found 1");
}

TEST_F(BadJson, FavouriteCountThatDisagreesWithItsEntries)
{
    auto j = good;
    j["favourites"][1]["radio"]["entries"] = nlohmann::json::array({3, 4});
    j["favourites"][1]["radio"]["count"] = 3;
    EXPECT_EQ(error_of(j), "favourites[1].radio.count: 3 disagrees with the 2 entries listed");
    // The counted entries are those under "entries", empty ones included; the rest go under "beyond".
    j["favourites"][1]["radio"]["entries"] = nlohmann::json::array({3, 65535, 4});
    EXPECT_TRUE(build_database_from_json(j.dump()).db);
    j["favourites"][1]["radio"]["count"] = 2;
    EXPECT_EQ(error_of(j), "favourites[1].radio.count: 2 disagrees with the 3 entries listed");
    j["favourites"][1]["radio"]["entries"] = nlohmann::json::array({3, 65535});
    j["favourites"][1]["radio"]["beyond"] = nlohmann::json::array({4});
    EXPECT_TRUE(build_database_from_json(j.dump()).db);
    j["favourites"][1]["radio"]["beyond"] = nlohmann::json(std::vector<int>(199, 4));
    EXPECT_EQ(error_of(j), "favourites[1].radio.beyond: expected at most 198 entries, found 199");
}

TEST_F(BadJson, NestingDeeperThanTheFormatIsRefusedBeforeParsing)
{
    // Deep enough to overflow a recursive parser's stack; strings may hold brackets freely.
    std::string deep(200000, '[');
    EXPECT_EQ(build_database_from_json(deep).error,
              "line 1, column 33: nested deeper than 32 levels; a database needs 5");
    auto j = good;
    j["satellites"][0]["name"] = std::string(40, '[');
    EXPECT_EQ(error_of(j), "satellites[0].name: longer than 22 bytes");
}

TEST_F(BadJson, BadNames)
{
    auto j = good;
    j["satellites"][0]["name"] = "Astra \\q";
    EXPECT_EQ(error_of(j), "satellites[0].name: bad escape at character 7: write \"\\\\\" for a backslash "
                           "and \"\\xHH\" for a byte");
    j = good;
    j["satellites"][0]["name"] = "Astra \xc3\xa9";
    EXPECT_EQ(error_of(j), "satellites[0].name: character 7 is not printable ASCII: write it as \"\\xHH\"");
    j = good;
    j["tv_channels"][0]["name"] = "ABCDEFGHIJKLM\\x4e\\x4f";
    EXPECT_EQ(error_of(j), "tv_channels[0].name: longer than 14 bytes");
}

TEST_F(BadJson, SyntaxErrorsGiveLineAndColumn)
{
    DatabaseFromJson built = build_database_from_json("{\n  \"format\": ,\n}");
    EXPECT_FALSE(built.db);
    EXPECT_NE(built.error.find("line 2, column"), std::string::npos) << built.error;
}

class JsonFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("kd-json-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }
    fs::path dir;
};

TEST_F(JsonFiles, RefusedTextWritesNothingAndKeepsTheOldFile)
{
    std::ofstream(path("bad.json")) << "{\"format\": \"korvid channel database\"}";
    std::ofstream(path("old.ird")) << "old";
    std::string message;
    EXPECT_FALSE(build_database_file(path("bad.json"), path("new.ird"), message));
    EXPECT_EQ(message, path("bad.json") + ": top level: missing key \"version\"");
    EXPECT_FALSE(fs::exists(path("new.ird")));
    EXPECT_FALSE(build_database_file(path("bad.json"), path("old.ird"), message));
    EXPECT_EQ(fs::file_size(path("old.ird")), 3u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 2);
}

TEST_F(JsonFiles, WrongSystemCodeIsNotDumped)
{
    auto db = std::make_unique<Database>();
    ASSERT_TRUE(write_database_file(*db, 0xFFFF, 0xFFFF, path("zero.ird")));
    std::string message;
    EXPECT_FALSE(dump_database_file(path("zero.ird"), path("zero.json"), message));
    EXPECT_EQ(message, "Wrong DB : syscode\n" + path("zero.ird") + ": the system code is 0x0000");
    EXPECT_FALSE(fs::exists(path("zero.json")));
    EXPECT_FALSE(dump_database_file(path("missing.ird"), path("zero.json"), message));
    EXPECT_EQ(message, "Can't open to this file\n" + path("missing.ird") + ": No such file or directory");
}

// JSON text that is a FIFO is refused at once, not waited on.
TEST_F(JsonFiles, AFifoIsRefusedWithoutBlocking)
{
    ASSERT_EQ(::mkfifo(path("pipe.json").c_str(), 0644), 0);
    std::string message;
    EXPECT_FALSE(build_database_file(path("pipe.json"), path("out.ird"), message));
    EXPECT_EQ(message, "Can't open " + path("pipe.json") + ": a FIFO, not a regular file");
    EXPECT_FALSE(fs::exists(path("out.ird")));
}

TEST_F(JsonFiles, FileRoundTripIsByteIdentical)
{
    auto file = random_file(5);
    std::ofstream(path("a.ird"), std::ios::binary).write(reinterpret_cast<const char*>(file.data()), 1000);
    // A short file reads as zeros for what it lacks; the dump carries that faithfully too.
    file.resize(1000);
    file[4 + 0x70000 - 4 - 0x70000 + 0] = file[0];
    std::string message;
    // 1000 bytes hold no system code: refused.
    EXPECT_FALSE(dump_database_file(path("a.ird"), path("a.json"), message));
    auto full = random_file(6);
    std::ofstream(path("b.ird"), std::ios::binary)
        .write(reinterpret_cast<const char*>(full.data()), std::streamsize(full.size()));
    ASSERT_TRUE(dump_database_file(path("b.ird"), path("b.json"), message)) << message;
    ASSERT_TRUE(build_database_file(path("b.json"), path("c.ird"), message)) << message;
    std::ifstream in(path("c.ird"), std::ios::binary);
    std::vector<uint8_t> rebuilt((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(first_difference(rebuilt, open_and_save(full)), std::string::npos);
}

} // namespace
