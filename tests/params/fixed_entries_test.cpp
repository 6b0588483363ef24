#include "params/fixed_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/form.h"
#include "form/state.h"
#include "params/edit_rules.h"
#include "params/interlocks.h"
#include "params/records.h"

namespace dorive {
namespace {

class FixedEntries : public ::testing::Test {
  protected:
    FixedEntries() {
        wireEditRules(form);
        wireInterlocks(form);
    }
    bool read(const std::string& name, const std::string& number) {
        return applyFixedEntry(form, st, name, number);
    }
    Form form;
    State st;
};

TEST(FixedEntryNames, ExactNamesOnly) {
    for (const char* name : {"ADMIN1", "ADMIN7", "ABUTTON1", "ABUTTON7", "BBUTTON4", "ALARMON", "ALARMOFF",
                             "VER", "PARZEP", "PARRL1", "PARRL2", "PARKEY"})
        EXPECT_TRUE(isFixedEntryName(name)) << name;
    for (const char* name : {"ADMIN0", "ADMIN8", "ADMIN10", "ADMIN", "admin1", "AABUTTON1", "CBUTTON1",
                             "DETECT", "PARZEP ", "PARRL3", "ver", "", "M1-1", "Mum"})
        EXPECT_FALSE(isFixedEntryName(name)) << name;
}

TEST_F(FixedEntries, NumbersGoThroughTheEditRules) {
    EXPECT_TRUE(read("ADMIN1", "+12 345"));
    EXPECT_EQ(form.ADMIN[0].text(), "+12");
    EXPECT_TRUE(read("ADMIN7", "+4201234567890123456789"));
    EXPECT_EQ(form.ADMIN[6].text(), "+4201234567890123456");
    EXPECT_TRUE(read("ABUTTON3", "123"));
    EXPECT_EQ(form.AABUTTON[2].text(), "123");
    EXPECT_TRUE(read("BBUTTON7", "*#21#"));
    EXPECT_EQ(form.BBUTTON[6].text(), "*#21#");
    EXPECT_TRUE(read("ALARMOFF", "Door, \"open\""));
    EXPECT_EQ(form.ALARMOFF.text(), "Door, \"open\"");
}

TEST_F(FixedEntries, OtherNamesAreLeftAlone) {
    EXPECT_FALSE(read("DETECT", "1"));
    EXPECT_FALSE(read("AABUTTON1", "123"));
    EXPECT_FALSE(read("Mum", "123"));
    EXPECT_EQ(form.AABUTTON[0].text(), "");
    EXPECT_EQ(form.ABUTTON[0].text(), "");
    EXPECT_TRUE(form.Monitor.lines().empty());
}

TEST_F(FixedEntries, VersionWithHashDisablesToneBoxesButKeepsTheirState) {
    EXPECT_TRUE(read("VER", "2.1"));
    EXPECT_TRUE(form.TonRing.enabled());
    read("PARZEP", "4#4#0#0#1#7#0#2");
    EXPECT_TRUE(read("VER", "2.1#L"));
    for (CheckBox* c : {&form.TonBeep, &form.TonRing, &form.TonVoice}) {
        EXPECT_FALSE(c->enabled()) << c->name();
        EXPECT_TRUE(c->checked()) << c->name();
    }
    EXPECT_TRUE(form.SendSMS.enabled());
    BuildParamRecords(form, st);
    EXPECT_EQ(st.ParamGeneral[10], '7');
    read("VER", "2.2");
    EXPECT_FALSE(form.TonBeep.enabled());
}

TEST_F(FixedEntries, EachRecordEntryAppliesAllFourTexts) {
    // Relay 1 before the general record: the start-up general text shows meanwhile.
    read("PARRL1", "3#2#15#0");
    EXPECT_TRUE(form.TonBeep.checked() && form.TonRing.checked() && form.TonVoice.checked());
    EXPECT_TRUE(form.PortESMS.checked());
    EXPECT_EQ(form.waiting.itemIndex(), 0);
    EXPECT_TRUE(form.NoCall.checked());  // relay 2's start-up text rings by SIM

    read("PARZEP", "3#3#2#1#0#1#1#4");
    read("PARRL2", "8#3#20#0");
    read("PARKEY", "12345");
    EXPECT_EQ(st.ParamKeypad, kKeypadFallback);
    EXPECT_TRUE(form.AllCall.checked());
    EXPECT_TRUE(form.TonBeep.checked());
    EXPECT_FALSE(form.TonRing.checked());
    EXPECT_TRUE(form.PortEtons.checked());
    EXPECT_TRUE(form.Relay1.RelCam.checked());
    EXPECT_EQ(form.Relay1.RelTime.text(), "15");
    EXPECT_TRUE(form.Relay2.RelLi.checked());

    BuildParamRecords(form, st);
    EXPECT_EQ(st.ParamGeneral, "3#3#2#1#0#1#1#4");
    EXPECT_EQ(st.ParamRelay1, "3#2#15#0");
    EXPECT_EQ(st.ParamRelay2, "8#3#20#0");
    EXPECT_EQ(st.ParamKeypad, "2#0");
}

TEST_F(FixedEntries, WriteListHasTwentySevenStepsInOrder) {
    read("ADMIN1", "+420111");
    read("ABUTTON2", "222");
    read("BBUTTON7", "777");
    read("ALARMON", "on");
    form.ALARMOFF.setText("off");
    read("PARRL2", "6#5#10#1");
    BuildParamRecords(form, st);

    std::vector<SimEntry> expected;
    for (const char* base : {"ADMIN", "ABUTTON", "BBUTTON"})
        for (int i = 1; i <= 7; ++i) expected.push_back({base + std::to_string(i), ""});
    expected[0].number = "+420111";
    expected[8].number = "222";
    expected[20].number = "777";
    expected.push_back({"ALARMON", "on"});
    expected.push_back({"ALARMOFF", "off"});
    expected.push_back({"PARZEP", st.ParamGeneral});
    expected.push_back({"PARRL1", "5#1#03#1"});
    expected.push_back({"PARRL2", "6#5#10#1"});
    expected.push_back({"PARKEY", "2#0"});
    EXPECT_EQ(fixedWriteEntries(form, st), expected);
    // The start-up general text as shown, with its first waiting item composed as "2".
    EXPECT_EQ(st.ParamGeneral, "4#4#0#0#1#7#2#2");
}

TEST_F(FixedEntries, RecordsReadBackAsWritten) {
    const std::vector<SimEntry> unit = {
        {"PARKEY", "7#1"}, {"PARRL2", "2#5#45#1"}, {"PARZEP", "5#2#0#1#1#6#2#9"}, {"PARRL1", "0#4#07#0"}};
    for (const SimEntry& e : unit) read(e.name, e.number);
    BuildParamRecords(form, st);
    std::vector<SimEntry> written = fixedWriteEntries(form, st);
    ASSERT_EQ(written.size(), 27u);
    EXPECT_EQ(written[23], unit[2]);
    EXPECT_EQ(written[24], unit[3]);
    EXPECT_EQ(written[25], unit[1]);
    EXPECT_EQ(written[26], unit[0]);
}

}  // namespace
}  // namespace dorive
