#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/ini_file.h"
#include "support/core_fixture.h"

using namespace dorive;
using dorive::test::CoreFixture;

namespace {

// A settings file in the test's own folder; none when there are no contents.
std::string iniFile(const dorive::test::TempDir& tmp, const std::string& name,
                    const std::string& contents = {}) {
    return contents.empty() ? tmp.file(name) : tmp.write(name, contents);
}

}  // namespace

TEST_F(CoreFixture, StartUpSendsEchoOffPausesThenAsksTheManufacturer) {
    startUp();
    ASSERT_EQ(port().sent.size(), 2u);
    EXPECT_EQ(port().sent[0].bytes, "ATE0\r\n");
    EXPECT_EQ(port().sent[0].atMs, 0);
    EXPECT_EQ(port().sent[1].bytes, "AT+CGMI\r\n");
    EXPECT_EQ(port().sent[1].atMs, 200);
    EXPECT_FALSE(port().dtr);
    auto& f = core->form();
    EXPECT_TRUE(f.DeviceRun.visible());
    EXPECT_FALSE(f.DeviceStop.visible() || f.DeviceNic.visible());
    EXPECT_TRUE(f.RunZEP.enabled() && f.StopZEP.enabled());
    EXPECT_FALSE(f.SaveZEP.enabled() || f.LoadZEP.enabled());
    EXPECT_FALSE(f.ModuleButtons.visible() || f.ModuleKeyboard.visible());
    EXPECT_EQ(f.BVoltage.position(), 300);
    EXPECT_EQ(core->state().ParamGeneral, "4#4#0#0#1#7#2#0");
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(CoreFixture, CancelledPortChoiceShowsTheErrorSendsNothingAndAsksAgainAtTheNextSend) {
    dialogs.portAnswers = {std::nullopt};
    startUp();
    EXPECT_EQ(provider.port, nullptr);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], kNoPortChosen);
    EXPECT_EQ(dialogs.portPrompts, 1);
    EXPECT_FALSE(core->form().LoadZEP.enabled());
    EXPECT_EQ(core->state().ParamRelay1, "5#1#03#1");

    core->form().signal.click();
    EXPECT_EQ(dialogs.portPrompts, 2);
    ASSERT_NE(provider.port, nullptr);
    EXPECT_EQ(sent(), (std::vector<std::string>{"AT+CSQ\r\n"}));
}

TEST_F(CoreFixture, PortThatCannotBeOpenedGivesItsMessage) {
    provider.openError = "Permission denied: add yourself to the group dialout and log in again.";
    startUp();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], provider.openError);
}

TEST_F(CoreFixture, SettingsFormSectionDefaultsAndValues) {
    // No file: defaults.
    makeCore({"DORive", iniFile(tmp, "none.ini")});
    startUp();
    EXPECT_EQ(core->form().TForm1.top(), 200);
    EXPECT_EQ(core->form().TForm1.left(), 200);
    EXPECT_EQ(core->state().SerialWait, 1000);
    EXPECT_FALSE(core->form().Inicializace.visible() || core->form().IMEI.visible());

    struct Case {
        const char* contents;
        int top, left, wait;
        bool service;
        const char* preselect;
    };
    const Case cases[] = {
        {"[Form]\r\nTop=33\r\nLeft=44\r\nWaitSer=250\r\nInicializace=5\r\nPort=ttyACM0\r\n", 33, 44, 250,
         true, "ttyACM0"},
        {"[FORM]\r\ntop=1\r\nInicializace=0\r\nPort=3\r\n", 1, 200, 1000, false, "COM3"},
        {"[Form]\r\nTop=abc\r\nLeft=\r\nWaitSer=1e3\r\n", 200, 200, 1000, false, ""},
    };
    for (const Case& c : cases) {
        dialogs.lastPreselect = "?";
        makeCore({"DORive", iniFile(tmp, "form.ini", c.contents)});
        startUp();
        EXPECT_EQ(core->form().TForm1.top(), c.top) << c.contents;
        EXPECT_EQ(core->form().TForm1.left(), c.left) << c.contents;
        EXPECT_EQ(core->state().SerialWait, c.wait) << c.contents;
        EXPECT_EQ(core->form().Inicializace.visible(), c.service) << c.contents;
        EXPECT_EQ(core->form().IMEI.visible(), c.service) << c.contents;
        EXPECT_EQ(dialogs.lastPreselect, c.preselect) << c.contents;
    }
}

TEST_F(CoreFixture, CloseWritesThePositionAndThePortKeepingTheRestOfTheFile) {
    std::string path =
        iniFile(tmp, "close.ini", "[Language]\r\nButtons=Tlacitka\r\n[Form]\r\nTop=5\r\nWaitSer=300\r\n");
    makeCore({"DORive", path});
    startUp();
    core->form().TForm1.setPosition(123, 456);
    core->FormClose();
    EXPECT_TRUE(port().closed);
    IniFile ini(path);
    ini.load(diskFiles());
    EXPECT_EQ(ini.readInteger("Form", "Top", 0), 123);
    EXPECT_EQ(ini.readInteger("Form", "Left", 0), 456);
    EXPECT_EQ(ini.readInteger("Form", "WaitSer", 0), 300);
    EXPECT_EQ(ini.readString("Form", "Port", ""), "ttyUSB0");
    EXPECT_EQ(ini.readString("Language", "Buttons", ""), "Tlacitka");
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(CoreFixture, CloseReportsASettingsFileThatCannotBeWrittenAndStillEnds) {
    std::string path = tmp.file("gone/DORive.ini");
    makeCore({"DORive", path});
    startUp();
    core->FormClose();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], "Unable to write to " + path);
}

TEST_F(CoreFixture, VariantComesFromTheExecutableAsTyped) {
    makeCore({"/usr/local/bin/GSMKelpy", ""});
    startUp();
    EXPECT_EQ(core->state().DeviceName, "GSM-Quillmore");
    EXPECT_TRUE(core->form().ModuleKeyboard.visible());
    EXPECT_EQ(core->form().StatusBar1.panelText(4), " GSM-Yw Ver:");
}

TEST_F(CoreFixture, ClosingDuringASaveAsksFirst) {
    startUp();
    EXPECT_TRUE(core->mayClose());
    EXPECT_TRUE(dialogs.questions.empty());
    core->state().SimCapacity = 250;
    core->post([this] { return core->save().SaveZEPClick(); });
    ASSERT_TRUE(core->state().WriteActive);
    dialogs.confirmAnswers = {false, true};
    EXPECT_FALSE(core->mayClose());
    EXPECT_TRUE(core->mayClose());
    EXPECT_EQ(dialogs.questions.size(), 2u);
}
