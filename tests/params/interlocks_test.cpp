#include "params/interlocks.h"

#include <gtest/gtest.h>

#include "form/form.h"
#include "form/state.h"
#include "params/edit_rules.h"
#include "params/records.h"

namespace dorive {
namespace {

class Interlocks : public ::testing::Test {
  protected:
    Interlocks() {
        wireEditRules(form);
        wireInterlocks(form);
    }
    Form form;
    RelayControls& r1 = form.Relay1;
    RelayControls& r2 = form.Relay2;
};

TEST_F(Interlocks, RingBoxForcesNoPickUpAndSwitchMode) {
    form.AllCall.select();
    r1.RelCam.select();
    r1.RelRing.setChecked(true);
    EXPECT_TRUE(form.NoCall.checked());
    EXPECT_FALSE(form.AllCall.checked());
    EXPECT_TRUE(r1.RelSW.checked());
    EXPECT_FALSE(r1.RelRingAll.checked());
    EXPECT_EQ(r2.modes.selected(), nullptr);

    // Selecting a pick-up again clears the SIM ringing of both relays; the mode stays.
    r2.RelRing.setChecked(true);
    form.AllCall.select();
    EXPECT_FALSE(r1.RelRing.checked());
    EXPECT_FALSE(r2.RelRing.checked());
    EXPECT_TRUE(r1.RelSW.checked());
    EXPECT_TRUE(r2.RelSW.checked());
}

TEST_F(Interlocks, RingOptionsOfOneRelayExcludeEachOther) {
    for (RelayControls* r : {&r1, &r2}) {
        form.SIMCall.select();
        r->RelRing.setChecked(true);
        r->RelRingAll.setChecked(true);
        EXPECT_FALSE(r->RelRing.checked()) << r->box.name();
        EXPECT_TRUE(form.NoCall.checked());
        EXPECT_TRUE(r->RelSW.checked());

        r->RelRing.setChecked(true);
        EXPECT_FALSE(r->RelRingAll.checked()) << r->box.name();
        EXPECT_TRUE(r->RelRing.checked());
    }
}

TEST_F(Interlocks, OtherModesClearBothRingOptionsOfTheirRelayOnly) {
    for (RelayControls* r : {&r1, &r2}) {
        RelayControls* other = r == &r1 ? &r2 : &r1;
        for (RadioButton* mode : {&r->RelSMS, &r->RelCam, &r->RelLi, &r->RelBut}) {
            other->RelRing.setChecked(true);
            r->RelRing.setChecked(true);
            mode->select();
            EXPECT_FALSE(r->RelRing.checked()) << mode->name();
            EXPECT_TRUE(other->RelRing.checked()) << mode->name();

            r->RelRingAll.setChecked(true);
            EXPECT_TRUE(r->RelSW.checked());
            mode->select();
            EXPECT_FALSE(r->RelRingAll.checked()) << mode->name();
            EXPECT_TRUE(mode->checked());
        }
    }
}

TEST_F(Interlocks, UncheckingRingBoxUndoesNothing) {
    form.SIMCall.select();
    r1.RelRing.setChecked(true);
    r1.RelRing.setChecked(false);
    EXPECT_TRUE(form.NoCall.checked());
    EXPECT_TRUE(r1.RelSW.checked());
    EXPECT_FALSE(r1.RelRingAll.checked());
}

TEST_F(Interlocks, AllRingingSurvivesPickUpAndComposesModeFive) {
    r1.RelRingAll.setChecked(true);
    form.SIMCall.select();
    EXPECT_TRUE(r1.RelRingAll.checked());
    EXPECT_TRUE(form.SIMCall.checked());

    State st;
    BuildParamRecords(form, st);
    EXPECT_EQ(st.ParamGeneral, "1#1#1#0#0#0#0#2");
    EXPECT_EQ(st.ParamRelay1, "5#5#03#1");
}

}  // namespace
}  // namespace dorive
