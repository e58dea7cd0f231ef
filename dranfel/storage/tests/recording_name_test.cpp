#include "dranfel/storage/recording_name.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace fs = std::filesystem;
using dranfel::ParsedRecordingName;
using dranfel::RecordingName;

namespace {

ParsedRecordingName parsed(const std::string& path)
{
    ParsedRecordingName p;
    EXPECT_TRUE(RecordingName::parse(path, p)) << path;
    return p;
}

} // namespace

TEST(RecordingName, ParsesTheFieldsOfAPartFileName)
{
    auto p = parsed("/media/u/USB/REC/News_#001_200603012015.AVR");
    EXPECT_EQ(p.prefix, "/media/u/USB/REC/");
    EXPECT_EQ(p.title, "News");
    EXPECT_EQ(p.part, 1);
    EXPECT_EQ(p.date, "200603012015");
    EXPECT_EQ(p.suffix, 0);

    auto q = parsed("News_#001_200603012015.AVR");
    EXPECT_EQ(q.prefix, "");
    EXPECT_EQ(q.title, "News");
}

TEST(RecordingName, SuffixIsKeptInEveryBuiltName)
{
    auto p = parsed("/r/News_#001_200603012015_002.AVR");
    EXPECT_EQ(p.suffix, 2);
    EXPECT_EQ(p.date, "200603012015");
    EXPECT_EQ(RecordingName::part_file_name(p.prefix, p.title, 3, p.date, p.suffix),
              "/r/News_#003_200603012015_002.AVR");
    EXPECT_EQ(RecordingName::info_file_name(p.prefix, p.title, p.date, p.suffix),
              "/r/News_#001_200603012015_002.AVF");
    EXPECT_EQ(RecordingName::part_file_name("/r/", "News", 2, "200603012015", 0),
              "/r/News_#002_200603012015.AVR");
    EXPECT_EQ(RecordingName::info_file_name("", "News", "200603012015", 0), "News_#001_200603012015.AVF");
}

TEST(RecordingName, MissingDateGivesTheDefault)
{
    auto p = parsed("News_#001.AVR");
    EXPECT_EQ(p.title, "News");
    EXPECT_EQ(p.part, 1);
    EXPECT_EQ(p.date, "200501010000");
    EXPECT_EQ(p.suffix, 0);

    auto d = RecordingName::date_of("News_#001_2006030120.AVR"); // 14 characters after the marker
    EXPECT_EQ(d.year, 2006);
    EXPECT_EQ(d.hour, 20);
    EXPECT_EQ(d.minute, 0); // ".A" has no digits
    auto short_date = RecordingName::date_of("News_#001_2006.AVR");
    EXPECT_EQ(short_date.year, 2005);
    EXPECT_EQ(short_date.month, 1);
}

TEST(RecordingName, LengthLimits)
{
    ParsedRecordingName p;
    std::string t32(32, 'T'), t33(33, 'T');
    EXPECT_TRUE(RecordingName::parse(t32 + "_#001_200603012015.AVR", p));
    EXPECT_EQ(p.title, t32);
    EXPECT_FALSE(RecordingName::parse(t33 + "_#001_200603012015.AVR", p));

    // A base name of 60 characters passes, 61 fails; the folder does not count.
    std::string base60 = std::string(38, 'x') + "_#001_200603012015"; // 38 + 18 is 56
    base60 += "_002";
    ASSERT_EQ(base60.size(), 60u);
    EXPECT_FALSE(RecordingName::parse("/d/" + base60 + ".AVR", p)); // title of 38 is too long
    std::string base61(61, 'a');
    EXPECT_FALSE(RecordingName::parse("/d/" + base61 + ".AVR", p));
    std::string plain60(60, 'a');
    EXPECT_TRUE(RecordingName::parse(std::string(200, 'd') + "/" + plain60 + ".AVR", p));
    EXPECT_EQ(p.title, "");

    // Files already on a disk are taken whatever the lengths.
    auto f = RecordingName::fields_of("/d/" + t33 + "_#002_200603012015_004.AVR");
    EXPECT_EQ(f.title, t33);
    EXPECT_EQ(f.part, 2);
    EXPECT_EQ(f.suffix, 4);
    EXPECT_EQ(RecordingName::part_file_name(f, 1), "/d/" + t33 + "_#001_200603012015_004.AVR");
}

TEST(RecordingName, MarkerCountsOnlyAfterTheFirstCharacter)
{
    auto p = parsed("_#001_200603012015.AVR");
    EXPECT_EQ(p.title, "");
    EXPECT_EQ(p.part, 0);
    EXPECT_EQ(p.date, "200501010000");
    EXPECT_EQ(p.suffix, 0);
    EXPECT_EQ(RecordingName::suffix_of("_#001_200603012015_004.AVR"), 0);

    auto q = parsed("a.mp3");
    EXPECT_EQ(q.title, "");
    EXPECT_EQ(q.part, 0);
    EXPECT_EQ(RecordingName::part_of("X_#7ab_200603012015.AVR"), 7);
    EXPECT_EQ(RecordingName::part_of("X_#.AVR"), 0);
    EXPECT_EQ(RecordingName::part_of("X_#12"), 12);
    EXPECT_EQ(RecordingName::suffix_of("X_#1_00"), 0); // 7 characters
}

TEST(RecordingName, InfoFileFieldsAreBigEndianAndNeedTheWholeFile)
{
    std::vector<uint8_t> info(dranfel::AVF_FILE_SIZE, 0xEE);
    info[1740] = 0x01;
    info[1741] = 0xF2;
    const uint8_t total[8] = {0x00, 0x00, 0x00, 0x01, 0xF1, 0xF2, 0xF3, 0xF4};
    std::copy(total, total + 8, info.begin() + 1744);
    EXPECT_EQ(RecordingName::part_count(info.data(), info.size()), 0x01F2);
    EXPECT_EQ(RecordingName::total_size(info.data(), info.size()), int64_t(0x1F1F2F3F4));
    EXPECT_EQ(RecordingName::part_count(info.data(), info.size() - 1), 0);
    EXPECT_EQ(RecordingName::total_size(info.data(), 1752), 0);

    uint8_t header[dranfel::AVR_HEADER_SIZE] = {};
    header[8] = 0xF0;
    header[9] = 0x86;
    EXPECT_EQ(dranfel::avr_ts_offset(header, sizeof header), 0xF086);
    EXPECT_EQ(dranfel::avr_ts_offset(header, 9), 0);
}

TEST(RecordingName, PartCountAndTotalSizeOfFilesOnDisk)
{
    fs::path dir = fs::temp_directory_path() / ("kd-recname-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string part1 = (dir / "News_#001_200603012015.avr").string();
    std::string info = (dir / "News_#001_200603012015.avf").string(); // a lower-case part's

    EXPECT_EQ(RecordingName::part_count_of(part1), 0); // no information file
    EXPECT_EQ(RecordingName::total_size_of(part1), 0);
    EXPECT_EQ(RecordingName::part_count_of((dir / "a.mp3").string()), -1);
    EXPECT_EQ(RecordingName::total_size_of((dir / "News_#001_200603012015.AVF").string()), -1);

    std::vector<char> bytes(dranfel::AVF_FILE_SIZE, 0);
    bytes[1741] = 3;
    bytes[1744 + 7] = char(0x80);
    bytes[1744 + 4] = 0x7F;
    {
        std::ofstream f(info, std::ios::binary);
        f.write(bytes.data(), std::streamsize(bytes.size() - 1)); // one byte short
    }
    EXPECT_EQ(RecordingName::part_count_of(part1), 0);
    {
        std::ofstream f(info, std::ios::binary);
        f.write(bytes.data(), std::streamsize(bytes.size()));
    }
    EXPECT_EQ(RecordingName::part_count_of(part1), 3);
    EXPECT_EQ(RecordingName::total_size_of(part1), int64_t(0x7F000080));
    fs::remove_all(dir);
}

TEST(RecordingName, ReceiverPathFieldIsZeroedAndTerminated)
{
    uint8_t field[124];
    std::fill(field, field + 124, 0xAA);
    RecordingName::write_receiver_path(field, "C:\\REC\\News_#001_200603012015.AVF");
    std::string stored(reinterpret_cast<const char*>(field));
    EXPECT_EQ(stored, "C:\\REC\\News_#001_200603012015.AVF");
    for (size_t i = stored.size(); i < 123; ++i)
        ASSERT_EQ(field[i], 0) << i;
    EXPECT_EQ(field[123], 0xAA); // the last byte is not part of the zeroed range

    std::string longest = "C:\\" + std::string(200, 'z');
    RecordingName::write_receiver_path(field, longest);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(field), 123), longest.substr(0, 123));
    EXPECT_EQ(field[123], 0);

    // UTF-8 text is stored as the low byte of each UTF-16 unit.
    RecordingName::write_receiver_path(field, "C:\\Caf\xC3\xA9\\\xE2\x82\xAC");
    EXPECT_EQ(field[6], 0xE9);
    EXPECT_EQ(field[7], '\\');
    EXPECT_EQ(field[8], 0xAC); // U+20AC
    EXPECT_EQ(field[9], 0);
}

TEST(RecordingName, ExtensionsCompareWithoutCase)
{
    EXPECT_TRUE(dranfel::has_extension("/a/b.AvR", ".avr"));
    EXPECT_FALSE(dranfel::has_extension("/a.avr/b", ".avr"));
    EXPECT_FALSE(dranfel::has_extension("/a/b.avrx", ".avr"));
    EXPECT_EQ(dranfel::info_file_of("/x.y/News_#001_200603012015_002.AVR"),
              "/x.y/News_#001_200603012015_002.AVF");
    EXPECT_EQ(dranfel::info_file_of("/x.y/noext"), "/x.y/noext.AVF");
}

TEST(RecordingName, BuiltNamesFollowTheCaseOfTheGivenExtension)
{
    // A FAT disk written by another tool holds ".avr"/".avf": the names built must be the ones there.
    EXPECT_EQ(dranfel::info_file_of("/d/x_#001_200603012015.avr"), "/d/x_#001_200603012015.avf");
    EXPECT_EQ(dranfel::info_file_of("/d/x_#001_200603012015.aVr"), "/d/x_#001_200603012015.aVf");
    EXPECT_EQ(RecordingName::part_file_name(parsed("/d/x_#001_200603012015_003.avr"), 2),
              "/d/x_#002_200603012015_003.avr");
    EXPECT_EQ(RecordingName::part_file_name(parsed("/d/x_#001_200603012015.AvF"), 2),
              "/d/x_#002_200603012015.AvR");
    // Anything else is not a recording's extension: the receiver's own.
    EXPECT_EQ(RecordingName::part_file_name(parsed("/d/x_#001_200603012015.mpg"), 1),
              "/d/x_#001_200603012015.AVR");
}
