#include <gtest/gtest.h>

#include "serial/listing.h"
#include "support/device_fixture.h"

using namespace dorive;
using dorive::test::DeviceFixture;

namespace {

using Timed = std::vector<std::pair<std::string, std::int64_t>>;

struct Replies : DeviceFixture {
    Timed timedFrom(std::size_t from) {
        Timed out;
        for (std::size_t i = from; i < port().sent.size(); ++i)
            out.push_back({port().sent[i].bytes, port().sent[i].atMs});
        return out;
    }
    std::vector<std::string> monitorFrom(std::size_t from) {
        return {monitor().begin() + long(from), monitor().end()};
    }
};

}  // namespace

TEST_F(Replies, EachLineTakesTheFirstMatchingBranch) {
    struct Case {
        std::vector<std::string> lines;
        bool dtr;
        std::vector<std::string> sent;
        std::string display;  // starts as pending
    };
    const std::vector<Case> cases = {
        {{"STOP"}, true, {"ATE0\r\n"}, "prog"},
        {{"STOP"}, false, {}, "pending"},
        {{"STOPPED"}, true, {}, "pending"},  // exactly STOP only
        {{"#APLAYEV: 1"}, false, {}, "pending"},
        {{"xx #APLAYEV: 1"}, true, {"ATE0\r\n"}, "prog"},
        {{"Telit"}, false, {"AT#SPN\r\n"}, "prog"},
        {{"Telit "}, false, {}, "pending"},
        {{"[AT#SLED=1]="}, false, {"ATE0;#SPN\r\n"}, "prog"},
        {{"+CREG: 0,1"}, true, {}, "pending"},
        {{"#CBC: 0,412"}, true, {}, "pending"},
        {{"COPS #CBC: 0,400"}, true, {}, "pending"},  // battery is tested before COPS
        {{"+COPS: 0,0,\"Op\""}, true, {}, "run"},
        {{"AT#tone=i,4]"}, true, {}, "run"},
        {{"+CSQ: 17,99 #SPN"}, true, {}, "pending"},  // signal before operator
        {{"#SPN: Op"}, true, {"AT+CPBR=?\r\n"}, "pending"},
        {{"#SPN: Op"}, false, {}, "pending"},
        {{"+CPBR: (1-20),40,16"}, true, {"AT+CPBR=1,20\r\n"}, "pending"},
        {{"OK"}, true, {}, "pending"},
        {{"ERROR"}, true, {}, "pending"},
        {{"+CMGL: 1,\"REC READ\""}, true, {}, "pending"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines[0]);
        makeCore();
        core->channel().open();
        showPending(core->form());
        core->channel().setDtr(c.dtr);
        for (auto& l : c.lines) rx(l);
        clock.advance(3000);
        EXPECT_EQ(sent(), c.sent);
        EXPECT_EQ(display(), c.display);
        EXPECT_TRUE(dialogs.errors.empty());
    }
}

TEST_F(Replies, PausesOfTheBranchesDelayWhatFollows) {
    struct Case {
        std::vector<std::string> lines;
        Timed sent;
    };
    const std::vector<Case> cases = {
        {{"STOP", "Telit"}, {{"ATE0\r\n", 0}, {"AT#SPN\r\n", 1000}}},
        {{"[AT#SLED=1]="}, {{"ATE0;#SPN\r\n", 1000}}},
        {{"+CREG: 0,1", "Telit"}, {{"AT#SPN\r\n", 200}}},
        {{"+CREG: 0,5", "Telit"}, {{"AT#SPN\r\n", 200}}},
        {{"+CREG: 0,2", "Telit"}, {{"AT#SPN\r\n", 0}}},  // other states are not waited for
        {{"#SPN: Op"}, {{"AT+CPBR=?\r\n", 200}}},
        {{"+CPBR: (1-11),40,16"}, {{"AT+CPBR=1,11\r\n", 100}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines[0]);
        makeCore();
        core->channel().open();
        core->channel().setDtr(true);
        for (auto& l : c.lines) rx(l);
        clock.advance(3000);
        Timed got = timedFrom(0);
        for (auto& [text, at] : got) at -= clock.nowMs() - 3000;
        EXPECT_EQ(got, c.sent);
    }
}

TEST_F(Replies, StopReactionEndsTheWaitAndLogsItsSteps) {
    core->channel().setDtr(true);
    core->device().startWaitIndicator();
    form().Prubeh.setVisible(true);
    for (Button* b : {&form().SaveZEP, &form().RunZEP, &form().LoadZEP}) b->setEnabled(false);
    std::size_t before = monitor().size();
    rx("STOP");
    EXPECT_EQ(monitorFrom(before), (std::vector<std::string>{"[14:03:00]   STOP", "----------------------1",
                                                             ">ATE0", "ATE0=-1", "LTE=0"}));
    EXPECT_FALSE(core->device().waiting());
    EXPECT_FALSE(form().Prubeh.visible());
    EXPECT_TRUE(form().SaveZEP.enabled() && form().RunZEP.enabled() && form().LoadZEP.enabled());
    EXPECT_TRUE(st().ProgModeEntered);

    rx("#APLAYEV: 0");
    clock.advance(1000);
    EXPECT_EQ(monitor().back(), "LTE=-1");
    EXPECT_TRUE(st().LteModule);
}

TEST_F(Replies, StopReportWithoutDtrOnlyLearnsTheModuleType) {
    rx("#APLAYEV: 1");
    EXPECT_TRUE(st().LteModule);
    EXPECT_FALSE(st().ProgModeEntered);
    EXPECT_TRUE(sent().empty());
}

TEST_F(Replies, OkChecksRunInOrder) {
    struct Case {
        const char* what;
        bool refresh, upload, audio, progEntered, lte, save;
        Timed sent;  // after the OK, times relative to it
        bool progEnteredAfter;
        int writeStepAfter;
    };
    const std::string write1 = "AT+CPBW=1,600001,,ADMIN1\r\n";
    const std::vector<Case> cases = {
        {"nothing set", false, false, false, false, false, false, {}, false, 0},
        {"refresh", true, false, false, false, false, false, {{"AT#SPN\r\n", 200}}, false, 0},
        {"refresh then echo-off end",
         true,
         false,
         false,
         true,
         true,
         false,
         {{"AT#SPN\r\n", 200}, {"AT#SPN\r\n", 400}},
         false,
         0},
        {"upload stops the checks", false, true, false, true, true, false, {}, true, 0},
        {"voice send lets them run", false, true, true, true, true, false, {{"AT#SPN\r\n", 200}}, false, 0},
        {"older module: no echo-off step", false, false, false, true, false, false, {}, true, 0},
        {"refresh and save",
         true,
         false,
         false,
         false,
         false,
         true,
         {{"AT#SPN\r\n", 200}, {write1, 400}},
         false,
         1},
        {"echo-off end before save", false, false, false, true, true, true, {{"AT#SPN\r\n", 200}}, false, 0},
        {"save", false, false, false, false, false, true, {{write1, 200}}, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        makeCore();
        core->channel().open();
        if (c.save) {
            form().ADMIN[0].setText("600001");
            st().SimCapacity = 250;
            core->post([this] { return core->save().SaveZEPClick(); });
        }
        form().PhoneBook1.setRows({{"Anna", "123"}});
        st().PhoneBookReload = false;
        st().RefreshAfterWrite = c.refresh;
        st().UploadActive = c.upload;
        st().AudioSendActive = c.audio;
        st().ProgModeEntered = c.progEntered;
        st().LteModule = c.lte;
        form().Prubeh.setPosition(9);
        std::size_t from = sentCount();
        std::int64_t t0 = clock.nowMs();
        rx("OK");
        clock.advance(1000);
        Timed got = timedFrom(from);
        for (auto& [text, at] : got) at -= t0;
        EXPECT_EQ(got, c.sent);
        EXPECT_EQ(st().ProgModeEntered, c.progEnteredAfter);
        EXPECT_EQ(st().WriteStep, c.writeStepAfter);
        EXPECT_FALSE(st().RefreshAfterWrite);
        if (c.refresh) {
            EXPECT_TRUE(form().PhoneBook1.rows().empty());
            EXPECT_TRUE(st().PhoneBookReload);
            EXPECT_EQ(form().Prubeh.position(), c.save ? 1 : 0);
            // The refresh does not open the locked Save button in the middle of a save.
            EXPECT_EQ(form().SaveZEP.enabled(), !c.save);
        }
    }
}

TEST_F(Replies, EchoOffEndOfANewerModuleIsLogged) {
    st().ProgModeEntered = true;
    st().LteModule = true;
    rx("OK");
    clock.advance(200);
    EXPECT_EQ(std::vector<std::string>(monitor().end() - 2, monitor().end()),
              (std::vector<std::string>{"----------------------2", ">AT#SPN"}));
}

TEST_F(Replies, BatteryReportFillsVoltageAndEndsTheWait) {
    core->device().startWaitIndicator();
    form().Prubeh.setVisible(true);
    rx("#CBC: 0,412");
    EXPECT_EQ(monitor().back(), "412");
    EXPECT_EQ(form().StatusBar1.panelText(1), " board voltage: 4120 mV");
    EXPECT_EQ(form().BVoltage.position(), 412);
    EXPECT_EQ(form().Voltage.caption(), "4120 mV");
    EXPECT_FALSE(core->device().waiting());
    EXPECT_FALSE(form().Prubeh.visible());
}

TEST_F(Replies, SignalGaugeColourAndPosition) {
    const Rgb red{255, 0, 0}, cyan{0, 255, 255}, green{0, 255, 0};
    struct Case {
        const char* line;
        Rgb colour;
        int level, shown;
    };
    const std::vector<Case> cases = {
        {"+CSQ: 14,99", red, 14, 14},  {"+CSQ: 15,0", cyan, 15, 15},  {"+CSQ: 21,0", cyan, 21, 21},
        {"+CSQ: 22,0", green, 22, 22}, {"+CSQ: 31,0", green, 31, 31}, {"+CSQ: 99,99", red, 99, 31},
        {"+CSQ:  0 ,99", red, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        rx(c.line);
        EXPECT_EQ(form().Smeter.color(), c.colour);
        EXPECT_EQ(st().SignalLevel, c.level);
        EXPECT_EQ(form().Smeter.shownPosition(), c.shown);
    }
}

TEST_F(Replies, SignalBringsBackRunModeOnlyAfterAStopAndOutsideProgrammingMode) {
    struct Case {
        bool progEntered;
        std::string before, after;
    };
    for (const Case& c : std::vector<Case>{{true, "pending", "run"},
                                           {true, "run", "run"},
                                           {true, "prog", "prog"},
                                           {false, "pending", "pending"}}) {
        SCOPED_TRACE(c.before + (c.progEntered ? " entered" : ""));
        if (c.before == "pending") showPending(core->form());
        if (c.before == "run") showRunMode(core->form());
        if (c.before == "prog") showProgMode(core->form());
        st().ProgModeEntered = c.progEntered;
        form().LoadZEP.setEnabled(true);
        form().SaveZEP.setEnabled(true);
        rx("+CSQ: 20,0");
        EXPECT_EQ(display(), c.after);
        EXPECT_EQ(form().LoadZEP.enabled(), c.after != "run" || c.before == "prog");
    }
}

TEST_F(Replies, CapacityAboveTenStartsTheRead) {
    rx("+CPBR: (1-10),40,16");
    clock.advance(500);
    EXPECT_EQ(form().StatusBar1.panelText(2), " SIM: 10");
    EXPECT_EQ(st().SimCapacity, 10);
    EXPECT_TRUE(sent().empty());

    rx("+CPBR: (1- 11 ),40,16");
    clock.advance(100);
    EXPECT_EQ(form().StatusBar1.panelText(2), " SIM: 11");
    EXPECT_EQ(sent(), (std::vector<std::string>{"AT+CPBR=1,11\r\n"}));
}

TEST_F(Replies, OperatorIsTakenUntrimmed) {
    rx("#SPN: Vodafone CZ");
    EXPECT_EQ(form().StatusBar1.panelText(0), "Operator:  Vodafone CZ");
}

TEST_F(Replies, NumbersThatDoNotConvertAreReportedAndTheNextLinesStillHandled) {
    for (const char* bad : {"#CBC: 0,4x2", "#CBC: 412", "+CSQ: ab,99", "+CSQ: 17", "+CPBR: (1-2x0),40,16",
                            "+CPBR: (1-),40,16"}) {
        SCOPED_TRACE(bad);
        makeCore();
        core->channel().open();
        feed(std::string(bad) + "\r\nTelit\r\n");
        EXPECT_EQ(dialogs.errors.size(), 1u);
        dialogs.errors.clear();
        EXPECT_EQ(display(), "prog");  // the next line was still handled
        EXPECT_EQ(sent(), (std::vector<std::string>{"AT#SPN\r\n"}));
    }
}

TEST(ListingLine, CutsLocationNumberAndName) {
    struct Case {
        const char* line;
        ListingLine expected;
    };
    const std::vector<Case> cases = {
        {"+CPBR: 12,\"0123456789\",129,\"ADMIN1\"", {"12", "0123456789", "ADMIN1"}},
        {"+CPBR: 81,\"#121#\",129,\"My Tempo\",0", {"81", "#121#", "My Tempo"}},
        {"+CPBR: 1,\"+60122256476\",145,\"\",\"08/07/04\",\"17:24:55\"", {"1", "+60122256476", ""}},
        {"+CPBR:   7 ,\"1\",129,\"DETECT\"", {"7", "1", "DETECT"}},
        {"+CPBR: 3,\"a,b\",129,\"N\"", {"3", "a,b", "N"}},  // the number ends at its quote, not at a comma
        {"+CPBR: 4,\"\",129,\"Empty\"", {"4", "", "Empty"}},
        {"+CPBR: 5,123,129,NAME", {"5", "", ""}},
        {"+CPBR: 6,\"123\",129,NAME", {"6", "123", ""}},
        {"+CPBR: 6,\"123", {"6", "", ""}},
        {"+CPBR: 6,\"123\"", {"6", "123", ""}},
        {"+CPBR: 9,\"123\",129,\"unterminated", {"9", "123", ""}},
        {"+CPBR", {"", "", ""}},
        {"+CPBR: 10", {"10", "", ""}},
        {"", {"", "", ""}},
    };
    for (const Case& c : cases) EXPECT_EQ(cutListingLine(c.line), c.expected) << c.line;
}

TEST_F(Replies, ListingLinesFillFieldsRecordsAndThePhoneBook) {
    form().TreeCode.setNodes({{"old", {}}});
    form().PhoneBook1.setRows({{"old", "1"}});
    int detClicks = 0;
    form().DetBut.onClick = [&] { ++detClicks; };
    rx("+CPBR: 1,\"600001\",129,\"ADMIN1\"");
    rx("+CPBR: 2,\"700003\",129,\"ABUTTON3\"");
    rx("+CPBR: 3,\"0#1\",129,\"VER\"");
    rx("+CPBR: 4,\"5#2#07#0\",129,\"PARRL1\"");
    // Fixed entries neither start the phone book afresh nor empty the trees.
    EXPECT_EQ(form().PhoneBook1.rows(), (std::vector<PhoneBookList::Row>{{"old", "1"}}));
    EXPECT_EQ(form().TreeCode.nodes().size(), 1u);
    rx("+CPBR: 5,\"0\",129,\"DETECT\"");
    rx("+CPBR: 6,\"1\",129,\"DETECT\"");
    rx("+CPBR: 7,\"#121#\",129,\"My Tempo\",0");
    rx("+CPBR: 8,\"+60122256476\",145,\"\",\"08/07/04\",\"17:24:55\"");

    EXPECT_EQ(form().ADMIN[0].text(), "600001");
    EXPECT_EQ(form().ABUTTON[2].text(), "700003");
    EXPECT_EQ(form().AABUTTON[2].text(), "700003");
    EXPECT_EQ(form().StatusBar1.panelText(4), " ZEP Ver: 0#1");
    EXPECT_FALSE(form().TonBeep.enabled());
    EXPECT_EQ(st().ParamRelay1, "5#2#07#0");
    EXPECT_TRUE(form().Relay1.RelCam.checked());
    EXPECT_EQ(form().Relay1.RelTime.text(), "07");

    EXPECT_TRUE(form().TreeCode.nodes().empty());
    EXPECT_EQ(form().PhoneBook1.rows(),
              (std::vector<PhoneBookList::Row>{
                  {"DETECT", "0"}, {"DETECT", "1"}, {"My Tempo", "#121#"}, {"", "+60122256476"}}));
    EXPECT_FALSE(st().PhoneBookReload);
    EXPECT_EQ(st().DetectEntry, "6:DETECT[1]");
    EXPECT_NE(std::find(monitor().begin(), monitor().end(), "6:DETECT[1]"), monitor().end());
    EXPECT_TRUE(form().DetBut.checked());
    EXPECT_EQ(detClicks, 0);  // a shown state, not a click
    ASSERT_TRUE(form().DetBut.onClick);
}

TEST_F(Replies, DetectOffNeitherTicksTheBoxNorChangesTheEntry) {
    st().DetectEntry = "9:DETECT[1]";
    rx("+CPBR: 5,\"0\",129,\"DETECT\"");
    EXPECT_FALSE(form().DetBut.checked());
    EXPECT_EQ(st().DetectEntry, "9:DETECT[1]");
}

TEST_F(Replies, VersionPanelFollowsTheVariant) {
    form().StatusBar1.setPanelText(4, " Ver:");
    rx("+CPBR: 3,\"2.4\",129,\"VER\"");
    EXPECT_EQ(form().StatusBar1.panelText(4), " GSM-Yw Ver: 2.4");
    EXPECT_TRUE(form().TonBeep.enabled());
}

TEST_F(Replies, TelitShowsProgrammingModeAndClearsTheReadView) {
    form().LoadZEP.setEnabled(false);
    form().SaveZEP.setEnabled(false);
    form().PhoneBook1.setRows({{"a", "1"}});
    form().TreeMemo.setNodes({{"m", {}}});
    st().PhoneBookReload = false;
    form().Prubeh.setPosition(7);
    rx("Telit");
    EXPECT_EQ(display(), "prog");
    EXPECT_TRUE(form().LoadZEP.enabled() && form().SaveZEP.enabled());
    EXPECT_TRUE(form().PhoneBook1.rows().empty());
    EXPECT_TRUE(form().TreeMemo.nodes().empty());
    EXPECT_TRUE(st().PhoneBookReload);
    EXPECT_EQ(form().Prubeh.position(), 0);
}
