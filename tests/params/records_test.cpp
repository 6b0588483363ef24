#include "params/records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/form.h"
#include "form/state.h"
#include "params/edit_rules.h"
#include "params/interlocks.h"

namespace dorive {
namespace {

class Records : public ::testing::Test {
  protected:
    Records() {
        wireEditRules(form);
        wireInterlocks(form);
    }
    void apply(std::string general, std::string relay1, std::string relay2, std::string keypad) {
        st.ParamGeneral = std::move(general);
        st.ParamRelay1 = std::move(relay1);
        st.ParamRelay2 = std::move(relay2);
        st.ParamKeypad = std::move(keypad);
        ApplyParamRecords(form, st);
    }
    std::vector<std::string> build() {
        BuildParamRecords(form, st);
        return {st.ParamGeneral, st.ParamRelay1, st.ParamRelay2, st.ParamKeypad};
    }
    Form form;
    State st;
};

using Texts = std::vector<std::string>;

TEST_F(Records, UntouchedControlsCompose) {
    EXPECT_EQ(build(), (Texts{"1#1#0#0#0#0#0#2", "5#0#03#0", "6#0#03#0", "2#0"}));
}

TEST_F(Records, GeneralFallbackShowsOnTheControls) {
    apply("4#4#0#0#1#5#0#2", "5#1#03#0", "6#1#03#0", "2#0");
    EXPECT_EQ(form.VolMic.position(), 4);
    EXPECT_EQ(form.VolSpk.position(), 4);
    EXPECT_TRUE(form.NoCall.checked());
    EXPECT_FALSE(form.SendSMS.checked());
    EXPECT_TRUE(form.ClockGSM.checked());
    EXPECT_TRUE(form.TonBeep.checked());
    EXPECT_FALSE(form.TonRing.checked());
    EXPECT_TRUE(form.TonVoice.checked());
    EXPECT_TRUE(form.PortDis.checked());
    EXPECT_EQ(form.waiting.text(), "20");
    EXPECT_EQ(form.waiting.itemIndex(), 2);
    EXPECT_EQ(build()[0], "4#4#0#0#1#5#0#2");
}

TEST_F(Records, GeneralRoundTrips) {
    struct Case {
        const char* applied;
        const char* composed;
    } cases[] = {
        {"4#4#0#0#1#5#0#2", "4#4#0#0#1#5#0#2"},  {"3#5#1#1#1#7#1#9", "3#5#1#1#1#7#1#9"},
        {"2#6#2#0#0#3#2#5", "2#6#2#0#0#3#2#5"},  {"7#1#1#1#0#6#0#1", "7#1#1#1#0#6#0#1"},
        {"0#9#0#0#0#0#0#0", "1#7#0#0#0#0#0#2"},   // levels clamp, digit 0 is the first "20"
        {"4#4#0#2#x#9#3#1", "4#4#0#0#0#1#0#1"},   // unknown choices set nothing, tone bit 8 ignored
        {"4#4#0#0#1#5#0#23", "4#4#0#0#1#5#0#2"},  // wrong lengths give the fallback
        {"4#4#0#0#1#5#0#", "4#4#0#0#1#5#0#2"},   {"", "4#4#0#0#1#5#0#2"},
    };
    for (const Case& c : cases) {
        apply(c.applied, "5#1#03#0", "6#1#03#0", "2#0");
        if (std::string(c.applied).size() != 15) {
            EXPECT_EQ(st.ParamGeneral, kGeneralFallback) << c.applied;
        }
        EXPECT_EQ(build()[0], c.composed) << c.applied;
    }
}

TEST_F(Records, LevelDigitsPlaceTheSliders) {
    apply("0#9#0#0#0#0#0#0", "5#1#03#0", "6#1#03#0", "2#0");
    EXPECT_EQ(form.VolMic.position(), 7);
    EXPECT_EQ(form.VolSpk.position(), 1);
    EXPECT_EQ(form.waiting.itemIndex(), 0);
    EXPECT_EQ(form.waiting.text(), "20");
}

TEST_F(Records, UnknownChoicesKeepGroupsAndClearPort) {
    apply("4#4#2#0#0#0#1#2", "5#2#03#0", "6#4#03#0", "2#0");
    apply("4#4#9#0#0#0#x#2", "5#9#03#0", "6#5#03#0", "2#0");
    EXPECT_TRUE(form.AllCall.checked());
    EXPECT_TRUE(form.Relay1.RelCam.checked());
    EXPECT_TRUE(form.Relay2.RelBut.checked());
    EXPECT_EQ(form.portGroup.selected(), nullptr);
}

TEST_F(Records, EachApplyStartsFromClearedSettings) {
    apply("4#4#0#1#1#7#2#2", "5#5#03#1", "6#1#03#1", "5#1");
    EXPECT_EQ(build(), (Texts{"4#4#0#1#1#7#2#2", "5#5#03#1", "6#1#03#1", "5#1"}));
    apply("4#4#0#0#0#0#9#2", "5#1#03#0", "6#1#03#0", "2#0");
    EXPECT_EQ(build(), (Texts{"4#4#0#0#0#0#0#2", "5#1#03#0", "6#1#03#0", "2#0"}));
}

struct RelayCase {
    const char* applied;
    const char* composed;
    const char* mode;  // the selected mode button, without its relay digit
    bool ring, ringAll, noCall;
};

TEST_F(Records, RelayRecordsOnBothRelays) {
    const RelayCase cases[] = {
        {"5#1#03#1", "5#1#03#1", "RelSW", true, false, true},
        {"5#5#03#1", "5#5#03#1", "RelSW", false, true, true},
        {"5#2#03#1", "5#1#03#1", "RelSW", true, false, true},  // ringing overrides camera
        {"5#1#03#2", "5#1#03#0", "RelSW", false, false, false},
        {"7#2#00#0", "7#2#01#0", "RelCam", false, false, false},
        {"x#3#3x#0", "0#3#03#0", "RelLi", false, false, false},
        {"9#4#x3#0", "9#4#01#0", "RelBut", false, false, false},
        {"1#0#99#0", "1#0#99#0", "RelSMS", false, false, false},
        {"5#1#03#", "5#1#03#1", "RelSW", true, false, true},  // 7 characters: relay 1 fallback
    };
    for (int n : {1, 2}) {
        for (const RelayCase& c : cases) {
            Form f;
            wireEditRules(f);
            wireInterlocks(f);
            RelayControls& r = n == 1 ? f.Relay1 : f.Relay2;
            st.ParamGeneral = "4#4#2#0#0#0#0#2";  // pick-up of all calls
            st.ParamRelay1 = n == 1 ? c.applied : "5#0#03#0";
            st.ParamRelay2 = n == 2 ? c.applied : "6#0#03#0";
            st.ParamKeypad = "2#0";
            ApplyParamRecords(f, st);
            std::string where = std::string(c.applied) + " on relay " + std::to_string(n);
            ASSERT_NE(r.modes.selected(), nullptr) << where;
            EXPECT_EQ(r.modes.selected()->name(), c.mode + std::to_string(n)) << where;
            EXPECT_EQ(r.RelRing.checked(), c.ring) << where;
            EXPECT_EQ(r.RelRingAll.checked(), c.ringAll) << where;
            EXPECT_EQ(f.NoCall.checked(), c.noCall) << where;
            EXPECT_EQ(f.AllCall.checked(), !c.noCall) << where;

            BuildParamRecords(f, st);
            std::string composed = c.composed;
            if (n == 2 && std::string(c.applied).size() != 8) composed[0] = '6';  // relay 2 fallback
            EXPECT_EQ(n == 1 ? st.ParamRelay1 : st.ParamRelay2, composed) << where;
            // The next write stores no pick-up while a relay rings by SIM.
            EXPECT_EQ(st.ParamGeneral[4], c.noCall ? '0' : '2') << where;
        }
    }
}

TEST_F(Records, AllRingingWithoutRingFlagChangesNoMode) {
    form.Relay1.RelLi.select();
    apply("4#4#1#0#0#0#0#2", "5#5#03#0", "6#1#03#0", "2#0");
    EXPECT_TRUE(form.Relay1.RelLi.checked());
    EXPECT_FALSE(form.Relay1.RelRing.checked());
    EXPECT_FALSE(form.Relay1.RelRingAll.checked());
    EXPECT_TRUE(form.SIMCall.checked());
}

TEST_F(Records, KeypadRecord) {
    struct Case {
        const char* applied;
        int index;
        const char* text;
        bool direct;
        const char* composed;
    } cases[] = {
        {"0#1", -1, "", true, "0#1"},   {"9#0", 8, "9", false, "9#0"}, {"1#1", 0, "1", true, "1#1"},
        {"3#2", 2, "3", false, "3#0"},  {"3#", 1, "2", false, "2#0"},  // wrong length
        {"3#00", 1, "2", false, "2#0"},
    };
    for (const Case& c : cases) {
        apply("4#4#0#0#1#5#0#2", "5#1#03#0", "6#1#03#0", c.applied);
        EXPECT_EQ(form.WaitBUF.itemIndex(), c.index) << c.applied;
        EXPECT_EQ(form.WaitBUF.text(), c.text) << c.applied;
        EXPECT_EQ(form.DirectCall.checked(), c.direct) << c.applied;
        EXPECT_EQ(build()[3], c.composed) << c.applied;
    }
}

TEST_F(Records, TypedWaitingNumberIsComposedAsItStands) {
    form.WaitBUF.setText("12");
    EXPECT_EQ(build()[3], "12#0");
}

TEST_F(Records, UnusableCharactersLeaveTheirFieldAndAreReported) {
    form.VolSpk.setPosition(3);
    form.waiting.setItemIndex(6);
    form.Relay1.RelCode.setText("4");
    form.Relay2.RelTime.setText("42");
    ASSERT_NO_THROW(apply("2#x#1#1#1#z#1#\xE9", "\t#2#03#1", "6#3#  #0", "q#1"));

    EXPECT_EQ(form.VolMic.position(), 6);
    EXPECT_EQ(form.VolSpk.position(), 3);
    EXPECT_TRUE(form.NoCall.checked());  // pick-up 1, then relay 1 rings by SIM
    EXPECT_TRUE(form.SendSMS.checked());
    EXPECT_TRUE(form.ClockGSM.checked());
    EXPECT_FALSE(form.TonBeep.checked() || form.TonRing.checked() || form.TonVoice.checked());
    EXPECT_TRUE(form.PortEtons.checked());
    EXPECT_EQ(form.waiting.itemIndex(), 6);

    EXPECT_EQ(form.Relay1.RelCode.text(), "4");
    EXPECT_TRUE(form.Relay1.RelSW.checked());  // camera, then ringing switched it
    EXPECT_TRUE(form.Relay1.RelRing.checked());
    EXPECT_EQ(form.Relay2.RelCode.text(), "6");
    EXPECT_TRUE(form.Relay2.RelLi.checked());
    EXPECT_EQ(form.Relay2.RelTime.text(), "42");

    EXPECT_EQ(form.WaitBUF.text(), "2");
    EXPECT_TRUE(form.DirectCall.checked());

    EXPECT_EQ(form.Monitor.lines(),
              (Texts{"PARZEP: position 3 ('x') is not a digit; field left unchanged",
                     "PARZEP: position 11 ('z') is not a digit; field left unchanged",
                     "PARZEP: position 15 (code 233) is not a digit; field left unchanged",
                     "PARRL1: position 1 (code 9) is blank; field left unchanged",
                     "PARRL2: positions 5 and 6 (code 32, code 32) are blank; field left unchanged",
                     "PARKEY: position 1 ('q') is not a digit; field left unchanged"}));
}

TEST_F(Records, BlankRecordFieldDoesNotDisturbAnEmptiedEdit) {
    EXPECT_THROW(form.Relay1.RelTime.userEdit("", 0), ConversionError);
    ASSERT_NO_THROW(apply("4#4#0#0#1#5#0#2", "5#1# \n#0", "6#1#03#0", "2#0"));
    EXPECT_EQ(form.Relay1.RelTime.text(), "");
    // A record composed from the emptied field is short; read back it becomes the fallback.
    EXPECT_EQ(build()[1], "5#1##0");
    ApplyParamRecords(form, st);
    EXPECT_EQ(st.ParamRelay1, kRelay1Fallback);
    EXPECT_EQ(form.Relay1.RelTime.text(), "03");
}

}  // namespace
}  // namespace dorive
