#include "app/variants.h"

#include <gtest/gtest.h>

#include "form/form.h"
#include "form/state.h"

using namespace dorive;

TEST(Variants, MarkersInTheFileNameOnlyCaseSensitiveFirstMatchWins) {
    struct Case {
        const char* executable;
        const char* deviceName;
    };
    const Case cases[] = {
        {"/opt/tools/DORive", "ZEP"},
        {"./HarwickZq", "Harwick"},    // both markers: the first in order wins
        {"ZqHarwick.exe", "Harwick"},  // order of the table, not of the name
        {"/home/u/Zq-tool", "ZEP"},    // "Zq": ZEP with its own pictures
        {"GSM uRX setup", "GSM uRX"},
        {"C:\\Program Files\\GSMKelpy.exe", "GSM-Quillmore"},
        {"harwick", "ZEP"},                       // lower case is no marker
        {"/srv/Harwick/GSMKelpy/dorive", "ZEP"},  // folder names never count
        {"C:\\Harwick\\dorive.exe", "ZEP"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(selectVariant(c.executable).deviceName, c.deviceName) << c.executable;
    EXPECT_EQ(selectVariant("Zq").pictures, (std::vector<std::string>{"ZEPF1", "ZEPF2"}));
}

TEST(Variants, ApplyingAVariantShowsOnlyItsPicturesAndChangesCaptionsAndPanel) {
    Form form;
    State st;
    applyVariant(selectVariant("GSMKelpy"), form, st);
    EXPECT_EQ(st.DeviceName, "GSM-Quillmore");
    EXPECT_EQ(form.TForm1.caption(), "GSM-Quillmore Set");
    EXPECT_EQ(form.GroupBox4.caption(), "GSM-Quillmore");
    EXPECT_EQ(form.StatusBar1.panelText(4), " GSM-Yw Ver:");
    EXPECT_TRUE(form.ModuleButtons.visible());
    EXPECT_TRUE(form.ZEPCorvel1.visible() && form.SipkaGB2.visible() && form.SipkaGA2.visible());
    EXPECT_FALSE(form.ZEP1.visible() || form.Sipka1.visible() || form.ZEPF1.visible());

    Form plain;
    State st2;
    applyVariant(selectVariant("dorive"), plain, st2);
    EXPECT_EQ(plain.TForm1.caption(), "DORive");
    EXPECT_EQ(plain.StatusBar1.panelText(4), " ZEP Ver:");
    EXPECT_TRUE(plain.ZEP1.visible() && plain.ZEP2.visible() && plain.Sipka1.visible());
    EXPECT_FALSE(plain.Sipkaf1.visible());
}
