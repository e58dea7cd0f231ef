// The satellite dialog on its own: what it shows when opened, how it reacts, and what OK makes of it.
#include "common/testing/scripted_prompts.h"
#include "korvid/database/satellite_texts.h"
#include "korvid/editor/satellite_dialog.h"

#include <gtest/gtest.h>

using namespace korvid;

namespace {

tSatellite universal(uint8_t id = 5)
{
    tSatellite s{};
    s.lnb_freq_high = 10600;
    s.lnb_freq_low = 9750;
    s.lnb_type = UNI_LNB;
    s.sat_id = id;
    s.position = 192;
    return s;
}

struct Typed
{
    common::ScriptedPrompts prompts;
    SatelliteDialog dialog;
    explicit Typed(const tSatellite& rec, const std::string& name = "Astra")
        : dialog(rec, name, prompts)
    {}

    // The user picks USER_DEFINE and types both frequencies, then presses OK.
    bool frequencies(const std::string& low, const std::string& high)
    {
        dialog.choose_lnb_type(USER_DEFINE);
        dialog.type_low(low);
        dialog.type_high(high);
        return dialog.ok();
    }
};

} // namespace

TEST(SatelliteDialog, LnbTypeFollowsTheFrequenciesNotTheCombo)
{
    struct Case
    {
        const char* low;
        const char* high;
        uint8_t type;
    } cases[] = {{"9750", "10600", UNI_LNB},    {"9750", "10700", USER_DEFINE},
                 {"5150", "5150", SINGLE_5150}, {"11475", "11475", SINGLE_11475},
                 {"0", "9000", USER_DEFINE},    {"10600", "10600", SINGLE_10600}};
    for (const auto& c : cases) {
        Typed t(universal());
        ASSERT_TRUE(t.frequencies(c.low, c.high)) << c.low << "/" << c.high;
        EXPECT_EQ(t.dialog.record().lnb_type, c.type) << c.low << "/" << c.high;
        EXPECT_EQ(t.dialog.record().lnb_freq_low, std::stoi(c.low));
        EXPECT_EQ(t.dialog.record().lnb_freq_high, std::stoi(c.high));
        EXPECT_TRUE(t.prompts.shown.empty());
    }
}

TEST(SatelliteDialog, RefusesImpossibleFrequencies)
{
    for (auto [low, high] : {std::pair{"0", "0"}, {"10600", "9750"}, {"", ""}, {"99999", "99999"}}) {
        Typed t(universal());
        EXPECT_FALSE(t.frequencies(low, high)) << low << "/" << high;
        ASSERT_EQ(t.prompts.shown.size(), 1u);
        EXPECT_EQ(t.prompts.shown[0], "Please check LNB value!");
        // The dialog stays open with the working record untouched.
        EXPECT_EQ(t.dialog.record().lnb_freq_low, 9750);
    }
}

TEST(SatelliteDialog, DegreeTexts)
{
    struct Case
    {
        const char* text;
        bool accepted;
        int16_t position;
    } cases[] = {{"013.0e", true, 130}, {"030.5W", true, -305}, {"13E", false, 0},
                 {"013.05E", false, 0}, {"x.5E", true, 0},      {"019.2E", true, 192},
                 {"000.1w", true, -1},  {"013.0X", false, 0},   {"", false, 0}};
    for (const auto& c : cases) {
        int16_t pos = 999;
        EXPECT_EQ(parse_degree(c.text, pos), c.accepted ? 1 : 0) << c.text;
        if (c.accepted) {
            EXPECT_EQ(pos, c.position) << c.text;
        }
    }
    Typed t(universal());
    t.dialog.type_degree("13E");
    EXPECT_FALSE(t.dialog.ok());
    EXPECT_EQ(t.prompts.shown.back(), "The degree format is wrong");
    t.dialog.type_degree("030.5w");
    EXPECT_TRUE(t.dialog.ok());
    EXPECT_EQ(t.dialog.record().position, -305);
    // The edit takes six characters at most, as its control does.
    t.dialog.type_degree("0123.45E");
    EXPECT_EQ(t.dialog.degree_edit().text, "0123.4");
}

TEST(SatelliteDialog, OpensShowingTheRecord)
{
    tSatellite rec = universal(70);
    rec.tuner_connection = TUNER_T2;
    rec.lnb_control = LNB_CTRL_012V | 3;
    rec.DiSEqC_Cfg = 0x20;
    rec.DiSEqC_idx = 9;
    rec.position = -305;
    common::ScriptedPrompts prompts;
    SatelliteDialog d(rec, "Hispasat", prompts);

    EXPECT_EQ(d.name_edit().text, "Hispasat");
    for (int b = 0; b < SatelliteDialog::ANTENNA_BUTTON_NUM; ++b)
        EXPECT_FALSE(d.antenna_button(b).enabled) << SatelliteDialog::antenna_button_text(b);
    EXPECT_TRUE(d.antenna_button(SatelliteDialog::ANT_T1T2).checked);
    EXPECT_TRUE(d.antenna_button(SatelliteDialog::ANT_T2).checked);
    EXPECT_FALSE(d.antenna_button(SatelliteDialog::ANT_T1).checked);
    EXPECT_TRUE(d.v012_check().checked);
    EXPECT_EQ(d.lnb_power_combo().selected_text(), "OFF");
    EXPECT_EQ(d.diseqc_combo().selected_text(), "DiSEqC 1.1");
    EXPECT_EQ(d.port_combo().entries.size(), 16u);
    EXPECT_EQ(d.port_combo().selected_text(), "Port 10");
    EXPECT_TRUE(d.port_combo().enabled);
    EXPECT_EQ(d.degree_edit().text, "030.5W");
    EXPECT_EQ(d.low_edit().text, "9750");
    EXPECT_EQ(d.high_edit().text, "10600");
    EXPECT_FALSE(d.low_edit().enabled); // only USER_DEFINE takes typed frequencies
    EXPECT_FALSE(d.k22_check().enabled);
    EXPECT_FALSE(d.k22_check().checked);

    tSatellite loop = universal(3);
    loop.tuner_connection = TUNER_LOOP;
    loop.lnb_type = SINGLE_10600;
    loop.lnb_freq_low = loop.lnb_freq_high = 10600;
    loop.lnb_control = 0x10;
    loop.positioner = 0x88;
    SatelliteDialog l(loop, "Motor", prompts);
    EXPECT_TRUE(l.antenna_button(SatelliteDialog::ANT_LOOP).checked);
    EXPECT_FALSE(l.antenna_button(SatelliteDialog::ANT_T1T2).checked);
    EXPECT_EQ(l.diseqc_combo().selected_text(), "USALS");
    EXPECT_FALSE(l.port_combo().enabled);
    EXPECT_TRUE(l.k22_check().enabled);
    EXPECT_TRUE(l.k22_check().checked);
    EXPECT_EQ(l.degree_edit().text, "019.2E");
}

TEST(SatelliteDialog, ReactionsWhileOpen)
{
    tSatellite rec = universal();
    common::ScriptedPrompts prompts;
    SatelliteDialog d(rec, "Astra", prompts);

    // Disabled frequency edits take no typing.
    EXPECT_FALSE(d.type_low("5000"));
    d.choose_lnb_type(SINGLE_9750);
    EXPECT_EQ(d.low_edit().text, "9750");
    EXPECT_EQ(d.high_edit().text, "9750");
    EXPECT_TRUE(d.k22_check().enabled);
    EXPECT_TRUE(d.k22_check().checked);
    d.choose_lnb_type(USER_DEFINE);
    EXPECT_EQ(d.low_edit().text, "9750"); // text kept
    EXPECT_TRUE(d.low_edit().enabled);
    d.type_high("10750");
    EXPECT_FALSE(d.k22_check().enabled);
    d.type_high("9750");
    EXPECT_TRUE(d.k22_check().enabled);
    d.type_high("123456");
    EXPECT_EQ(d.high_edit().text, "12345"); // five characters at most
    d.choose_lnb_type(UNI_LNB);
    EXPECT_EQ(d.low_edit().text, "9750");
    EXPECT_EQ(d.high_edit().text, "10600");
    EXPECT_FALSE(d.k22_check().enabled);
    EXPECT_FALSE(d.k22_check().checked);

    d.choose_diseqc(SatelliteDialog::DISEQC_11);
    d.choose_port(12);
    d.choose_diseqc(SatelliteDialog::DISEQC_10); // port 13 is not among four: back to the first
    EXPECT_EQ(d.port_combo().entries.size(), 4u);
    EXPECT_EQ(d.port_combo().selection, 0);
    d.choose_port(2);
    d.choose_diseqc(SatelliteDialog::DISEQC_11); // port 3 still exists among sixteen
    EXPECT_EQ(d.port_combo().selection, 2);
    d.choose_diseqc(SatelliteDialog::DISEQC_12);
    EXPECT_TRUE(d.port_combo().entries.empty());
    EXPECT_FALSE(d.port_combo().enabled);
    EXPECT_FALSE(d.choose_port(0));

    // The antenna buttons only show the record.
    EXPECT_FALSE(d.click_antenna(SatelliteDialog::ANT_LOOP));
}

TEST(SatelliteDialog, OkBuildsControlBytes)
{
    tSatellite rec = universal();
    rec.lnb_control = 0x80; // a bit the dialog does not own
    rec.DiSEqC_Cfg = 0x05;  // bits carried by DiSEqC 1.0/1.1
    rec.positioner = 0x0A;  // stored-position mode kept
    rec.carried14 = 0x77;
    common::ScriptedPrompts prompts;
    SatelliteDialog d(rec, "Astra", prompts);
    d.choose_lnb_type(SINGLE_10750);
    d.set_k22(false);
    d.set_v012(true);
    d.choose_lnb_power(1);
    d.choose_diseqc(SatelliteDialog::DISEQC_10);
    d.choose_port(3);
    ASSERT_TRUE(d.ok());
    const tSatellite& r = d.record();
    EXPECT_EQ(r.lnb_type, SINGLE_10750);
    EXPECT_EQ(r.lnb_control, 0x80 | 0x40 | 0x20 | 3);
    EXPECT_EQ(r.DiSEqC_Cfg, 0x15);
    EXPECT_EQ(r.DiSEqC_idx, 3);
    EXPECT_EQ(r.positioner, 0x0A);
    EXPECT_EQ(r.carried14, 0x77);
    EXPECT_EQ(r.tuner_connection, TUNER_T1);

    SatelliteDialog u(rec, "Astra", prompts);
    u.choose_diseqc(SatelliteDialog::DISEQC_USALS);
    ASSERT_TRUE(u.ok());
    EXPECT_EQ(u.record().DiSEqC_Cfg, 0);
    EXPECT_EQ(u.record().DiSEqC_idx, 0);
    EXPECT_EQ(u.record().positioner, 0x8A);
    EXPECT_EQ(u.record().lnb_control & 0x30, 0x00); // different frequencies switch by band
}

TEST(SatelliteDialog, ChecksRunInOrder)
{
    common::ScriptedPrompts prompts;
    SatelliteDialog d(universal(), "", prompts);
    d.choose_lnb_type(USER_DEFINE);
    d.type_low("0");
    d.type_high("0");
    d.type_degree("bad");
    EXPECT_FALSE(d.ok());
    d.type_name("N");
    EXPECT_FALSE(d.ok());
    d.type_high("9000");
    EXPECT_FALSE(d.ok());
    d.type_degree("001.0E");
    EXPECT_TRUE(d.ok());
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"SAT Name is not correct!", "Please check LNB value!",
                                                       "The degree format is wrong"}));
    EXPECT_EQ(d.name(), "N");
    d.type_name("a name longer than twenty-one");
    EXPECT_EQ(d.name_edit().text.size(), SatelliteDialog::NAME_CHARS);
}

TEST(SatelliteTexts, ColumnTexts)
{
    tSatellite s = universal();
    EXPECT_EQ(degree_column_text(192), " 19.2E");
    EXPECT_EQ(degree_column_text(-305), " 30.5W");
    EXPECT_EQ(degree_column_text(0), "  0.0E");
    EXPECT_EQ(lnb_type_column_text(USER_DEFINE), "USER");
    EXPECT_EQ(lnb_type_column_text(12), "");
    s.lnb_control = 0x30;
    EXPECT_EQ(k22_column_text(s), "");
    s.DiSEqC_Cfg = 0x00;
    s.positioner = 0x80;
    EXPECT_EQ(diseqc_column_text(s), "DiSEqC 1.2");
    s.positioner = 0x88;
    EXPECT_EQ(diseqc_column_text(s), "Usals");
    EXPECT_EQ(port_column_text(s), "0");
    s.DiSEqC_Cfg = 0x20;
    s.DiSEqC_idx = 15;
    EXPECT_EQ(diseqc_column_text(s), "Ver 1.1");
    EXPECT_EQ(port_column_text(s), "16");
    s.DiSEqC_Cfg = 0x30;
    EXPECT_EQ(diseqc_column_text(s), "");
}
