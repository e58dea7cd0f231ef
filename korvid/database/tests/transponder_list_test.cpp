// The public transponder lists: a scan table and a satellites.xml read into the record's units, each
// kind of fault named by file and line with nothing taken, the position a scan table's name gives,
// and which list and which satellite in it stand for a database satellite.
#include "korvid/database/transponder_list.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace korvid {
namespace {

namespace fs = std::filesystem;

TransponderList parsed(const std::string& text, const std::string& path)
{
    TransponderList list;
    std::string error;
    EXPECT_TRUE(parse_transponder_list(text, path, list, error)) << error;
    return list;
}

std::string fault(const std::string& text, const std::string& path)
{
    TransponderList list;
    list.path = "untouched";
    std::string error;
    EXPECT_FALSE(parse_transponder_list(text, path, list, error));
    EXPECT_EQ(list.path, "untouched");
    return error;
}

TEST(ScanTable, ReadsBlocksInTheRecordsUnits)
{
    const TransponderList list = parsed("# Hotbird 13E\n"
                                        "[CHANNEL]\n"
                                        "\tDELIVERY_SYSTEM = DVBS\n"
                                        "\tFREQUENCY = 10719000\n"
                                        "\tPOLARIZATION = VERTICAL\n"
                                        "\tSYMBOL_RATE = 27500000\n"
                                        "\tINNER_FEC = 3/4\n"
                                        "\tINVERSION = AUTO\n"
                                        "\n"
                                        "[Globecast]  # any heading starts a block\n"
                                        "       DELIVERY_SYSTEM = DVBS2\n"
                                        "       FREQUENCY = 11033600\n"
                                        "       POLARIZATION = LEFT\n"
                                        "       SYMBOL_RATE = 29899600\n"
                                        "       INNER_FEC = 3/5\n"
                                        "       MODULATION = PSK/8\n"
                                        "[CHANNEL]\n"
                                        "\tFREQUENCY = 12000000\n"
                                        "\tPOLARIZATION = RIGHT\n"
                                        "\tSYMBOL_RATE = 2000000\n",
                                        "/usr/share/dvb/dvb-s/Hotbird-13.0E");
    ASSERT_EQ(list.satellites.size(), 1u);
    const SourceSatellite& sat = list.satellites[0];
    EXPECT_EQ(sat.name, "Hotbird-13.0E");
    EXPECT_EQ(sat.position, 130);
    ASSERT_EQ(sat.transponders.size(), 3u);
    const SourceTransponder& a = sat.transponders[0];
    EXPECT_EQ(a.frequency, 10719u);
    EXPECT_EQ(a.symbol_rate, 27500u);
    EXPECT_EQ(a.polarisation, 0);
    EXPECT_EQ(source_fec_text(a), "3/4");
    EXPECT_EQ(a.system, DeliverySystem::DvbS);
    EXPECT_EQ(a.line, 2);
    // Rounded to the record's MHz and kS/s; circular left is stored as horizontal.
    const SourceTransponder& b = sat.transponders[1];
    EXPECT_EQ(b.frequency, 11034u);
    EXPECT_EQ(b.symbol_rate, 29900u);
    EXPECT_EQ(b.polarisation, 1);
    EXPECT_EQ(b.system, DeliverySystem::DvbS2);
    EXPECT_EQ(b.line, 10);
    // No DELIVERY_SYSTEM is DVB-S, no INNER_FEC automatic; circular right is vertical.
    const SourceTransponder& c = sat.transponders[2];
    EXPECT_EQ(c.system, DeliverySystem::DvbS);
    EXPECT_EQ(source_fec_text(c), "AUTO");
    EXPECT_EQ(c.polarisation, 0);
}

TEST(ScanTable, AFaultNamesFileAndLineAndNothingIsTaken)
{
    const std::string block =
        "[CHANNEL]\nFREQUENCY = 10719000\nPOLARIZATION = VERTICAL\nSYMBOL_RATE = 27500000\n";
    const std::string f = "/x/Sat-1.0E";
    EXPECT_EQ(fault(block + "[CHANNEL]\nFREQUENCY = 10.7GHz\n", f),
              f + ":6: FREQUENCY is not a whole number of kHz");
    EXPECT_EQ(fault(block + "[CHANNEL]\nFREQUENCY = 10719000\nSYMBOL_RATE = 1\n\n", f),
              f + ":5: the block has no POLARIZATION");
    EXPECT_EQ(fault("FREQUENCY = 10719000\n", f), f + ":1: a value before the first [heading]");
    EXPECT_EQ(fault(block + "POLARIZATION = DIAGONAL\n", f),
              f + ":5: POLARIZATION DIAGONAL is none of HORIZONTAL, VERTICAL, LEFT, RIGHT");
    EXPECT_EQ(fault(block + "DELIVERY_SYSTEM = DVBT\n", f),
              f + ":5: DELIVERY_SYSTEM DVBT is not satellite reception (DVBS, DVBS2)");
    EXPECT_EQ(fault(block + "INNER_FEC = 4/3\n", f),
              f + ":5: INNER_FEC 4/3 is not a code rate (AUTO, 3/4, ...)");
    EXPECT_EQ(fault(block + "[CHANNEL\n", f), f + ":5: a heading without its closing ']'");
    EXPECT_EQ(fault("just some text\n", f), f + ":1: expected KEY = VALUE or a [heading]");
}

TEST(SatellitesXml, ReadsEverySatelliteWithTheEncodingsInCirculation)
{
    const TransponderList list =
        parsed("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<!DOCTYPE satellites [ <!ELEMENT sat ANY> ]>\n"
               "<!-- a comment with <sat> inside -->\n"
               "<satellites>\n"
               "\t<sat name=\"13.0E Hot Bird &amp; Co\" flags=\"0\" position=\"130\">\n"
               "\t\t<transponder frequency=\"10719000\" symbol_rate=\"27500000\" polarization=\"1\" "
               "fec_inner=\"3\"\n"
               "\t\t             system=\"0\" modulation=\"1\"/>\n"
               "\t\t<transponder frequency='11034000000' symbol_rate='29900' polarization='0' fec_inner='7' "
               "system='1'/>\n"
               "\t\t<transponder frequency=\"12500\" symbol_rate=\"30000000\" polarization=\"L\"/>\n"
               "\t</sat>\n"
               "\t<sat name=\"Intelsat &#x2F; 5W\" position=\"3550\"></sat>\n"
               "\t<sat name=\"30.0W Hispasat\" position=\"-300\">\n"
               "\t\t<transponder frequency=\"10730000\" symbol_rate=\"27500000\" polarization=\"3\" "
               "fec_inner=\"15\" "
               "system=\"DVB-S2\"/>\n"
               "\t</sat>\n"
               "</satellites>\n",
               "/tmp/satellites.xml");
    ASSERT_EQ(list.satellites.size(), 3u);
    const SourceSatellite& hb = list.satellites[0];
    EXPECT_EQ(hb.name, "13.0E Hot Bird & Co");
    EXPECT_EQ(hb.position, 130);
    ASSERT_EQ(hb.transponders.size(), 3u);
    // kHz, symbols/s, 1 vertical, 3 = 3/4.
    EXPECT_EQ(hb.transponders[0].frequency, 10719u);
    EXPECT_EQ(hb.transponders[0].symbol_rate, 27500u);
    EXPECT_EQ(hb.transponders[0].polarisation, 0);
    EXPECT_EQ(source_fec_text(hb.transponders[0]), "3/4");
    EXPECT_EQ(hb.transponders[0].line, 6);
    // Hz, kS/s, 0 horizontal, 7 = 3/5, DVB-S2.
    EXPECT_EQ(hb.transponders[1].frequency, 11034u);
    EXPECT_EQ(hb.transponders[1].symbol_rate, 29900u);
    EXPECT_EQ(hb.transponders[1].polarisation, 1);
    EXPECT_EQ(source_fec_text(hb.transponders[1]), "3/5");
    EXPECT_EQ(hb.transponders[1].system, DeliverySystem::DvbS2);
    // MHz, circular left as horizontal, no FEC or system given.
    EXPECT_EQ(hb.transponders[2].frequency, 12500u);
    EXPECT_EQ(hb.transponders[2].polarisation, 1);
    EXPECT_EQ(source_fec_text(hb.transponders[2]), "AUTO");
    // Positions counted round the globe, and West as negative.
    EXPECT_EQ(list.satellites[1].name, "Intelsat / 5W");
    EXPECT_EQ(list.satellites[1].position, -50);
    EXPECT_EQ(list.satellites[2].position, -300);
    EXPECT_EQ(list.satellites[2].transponders[0].polarisation, 0);
    EXPECT_EQ(list.satellites[2].transponders[0].system, DeliverySystem::DvbS2);
}

TEST(SatellitesXml, AFaultNamesFileAndLineAndNothingIsTaken)
{
    const std::string f = "/tmp/satellites.xml";
    const std::string head = "<satellites>\n<sat name=\"A\" position=\"130\">\n";
    EXPECT_EQ(
        fault(head + "<transponder frequency=\"10719000\" polarization=\"1\"/>\n</sat></satellites>", f),
        f + ":3: a transponder without a symbol_rate");
    EXPECT_EQ(fault(head + "<transponder frequency=\"1e7\" symbol_rate=\"1\" polarization=\"1\"/>", f),
              f + ":3: frequency is not a whole number");
    EXPECT_EQ(fault(head + "<transponder frequency=\"1\" symbol_rate=\"1\" polarization=\"4\"/>", f),
              f + ":3: polarization \"4\" is none of 0 to 3 (H, V, L, R)");
    EXPECT_EQ(
        fault(head + "<transponder frequency=\"1\" symbol_rate=\"1\" polarization=\"1\" fec_inner=\"12\"/>",
              f),
        f + ":3: fec_inner \"12\" is not a code rate");
    EXPECT_EQ(
        fault(head + "<transponder frequency=\"1\" symbol_rate=\"1\" polarization=\"1\" system=\"2\"/>", f),
        f + ":3: system \"2\" is neither 0 (DVB-S) nor 1 (DVB-S2)");
    EXPECT_EQ(fault("<satellites>\n<sat name=\"A\">\n</sat>\n</satellites>\n", f),
              f + ":2: a <sat> without a position");
    EXPECT_EQ(fault(head + "</satellites>\n", f), f + ":3: </satellites> closes <sat> of line 2");
    EXPECT_EQ(fault(head + "\n\n", f), f + ":2: <sat> is never closed");
    EXPECT_EQ(fault("<satellites>\n<transponder frequency=\"1\"/>\n</satellites>", f),
              f + ":2: a <transponder> outside a <sat>");
    EXPECT_EQ(fault(head + "<transponder frequency=\"1\n\n", f), f + ":3: the value of frequency never ends");
    EXPECT_EQ(fault("<satellites>\n<sat name=\"A &bogus; B\" position=\"1\"/>", f),
              f + ":2: the value of name holds an unknown '&' reference");
    EXPECT_EQ(fault("<satellites>\n\n<!-- open", f), f + ":3: a comment that never ends");
    EXPECT_EQ(fault("<satellites>\n<sat name=A position=\"1\"/>", f),
              f + ":2: the value of name is not in quotes");
}

TEST(TransponderList, PositionsFromScanTableNames)
{
    EXPECT_EQ(position_from_file_name("/usr/share/dvb/dvb-s/Hotbird-13.0E"), 130);
    EXPECT_EQ(position_from_file_name("Amazonas-3-61.0W"), -610);
    EXPECT_EQ(position_from_file_name("Eutelsat5_5.0W"), -50);
    EXPECT_EQ(position_from_file_name("Thor-1.0W"), -10);
    EXPECT_EQ(position_from_file_name("Hotbird-13E"), NO_POSITION);
    EXPECT_EQ(position_from_file_name("Sat13.0E"), NO_POSITION);
    EXPECT_EQ(position_from_file_name("Far-190.0E"), NO_POSITION);
    EXPECT_EQ(position_from_file_name("satellites.xml"), NO_POSITION);
    EXPECT_EQ(position_distance(1799, -1799), 2);
    EXPECT_EQ(position_text(-305), "30.5W");
}

TEST(TransponderList, TheNearestRateTheRecordHolds)
{
    const auto mapped = [](const char* rate, bool expect_exact) {
        SourceTransponder tp;
        EXPECT_TRUE(parse_code_rate(rate, tp));
        bool exact = !expect_exact;
        const uint8_t fec = record_fec(tp, &exact);
        EXPECT_EQ(exact, expect_exact) << rate;
        return int(fec);
    };
    EXPECT_EQ(mapped("auto", true), 0);
    EXPECT_EQ(mapped("3/4", true), 3);
    EXPECT_EQ(mapped("3/5", false), 2); // 0.6: nearer 2/3 than 1/2
    EXPECT_EQ(mapped("4/5", false), 4); // 0.8: nearer 5/6 than 3/4
    EXPECT_EQ(mapped("9/10", false), 5);
}

class TransponderListFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("kd-tplist-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    void write(const std::string& name, int blocks)
    {
        std::ofstream out(dir / name);
        for (int i = 0; i < blocks; ++i)
            out << "[CHANNEL]\nFREQUENCY = " << 10700000 + 1000 * i
                << "\nPOLARIZATION = VERTICAL\nSYMBOL_RATE = 27500000\n";
    }
    fs::path dir;
};

TEST_F(TransponderListFiles, TheInstalledTableNearestThePositionWithTheMostTransponders)
{
    write("Hotbird-13.0E", 5);
    write("Hotbird-13B-13.0E", 1);
    write("Hotbird-13C-13.1E", 9);
    write("Astra-19.2E", 7);
    {
        std::ofstream broken(dir / "Broken-13.0E");
        broken << "FREQUENCY = 1\n";
    }
    EXPECT_EQ(find_scan_table(dir.string(), 130), (dir / "Hotbird-13.0E").string());
    EXPECT_EQ(find_scan_table(dir.string(), 131), (dir / "Hotbird-13C-13.1E").string());
    EXPECT_EQ(find_scan_table(dir.string(), 192), (dir / "Astra-19.2E").string());
    EXPECT_EQ(find_scan_table(dir.string(), 195), "");
    EXPECT_EQ(find_scan_table((dir / "none").string(), 130), "");

    TransponderList list;
    std::string error;
    EXPECT_FALSE(read_transponder_list((dir / "Broken-13.0E").string(), list, error));
    EXPECT_EQ(error, (dir / "Broken-13.0E").string() + ":1: a value before the first [heading]");
    EXPECT_FALSE(read_transponder_list((dir / "missing").string(), list, error));
    EXPECT_EQ(error, (dir / "missing").string() + ": No such file or directory");
}

TEST(TransponderList, TheSatelliteOfAListByPositionThenByName)
{
    TransponderList list;
    list.satellites = {{"Hot Bird", 130, {}}, {"Eutelsat 16A", 160, {}}, {"Thor 5", -8, {}}};
    EXPECT_EQ(choose_source_satellite(list, 132, "x"), 0);
    EXPECT_EQ(choose_source_satellite(list, 133, "x"), -1);
    EXPECT_EQ(choose_source_satellite(list, -10, "x"), 2);
    EXPECT_EQ(choose_source_satellite(list, 100, "EUTELSAT-16a"), 1);
    TransponderList named_file;
    named_file.satellites = {{"mylist", NO_POSITION, {}}};
    EXPECT_EQ(choose_source_satellite(named_file, 130, "Hot Bird"), 0);
}

} // namespace
} // namespace korvid
