#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "params/fixed_entries.h"
#include "support/device_fixture.h"

using namespace dorive;
using dorive::test::DeviceFixture;

namespace {

struct DeviceOpsTest : DeviceFixture {
    void run(std::function<Task()> handler) { core->post(std::move(handler)); }
    void startSave(int capacity) {
        st().SimCapacity = capacity;
        run([this] { return core->save().SaveZEPClick(); });
    }
    bool hasLine(const std::string& text) {
        for (auto l : monitor())
            if (l == text) return true;
        return false;
    }
    bool monitorMentions(const std::string& text) {
        for (auto l : monitor())
            if (l.find(text) != std::string::npos) return true;
        return false;
    }
};

std::string write(int loc, const std::string& number, const std::string& name) {
    return "AT+CPBW=" + std::to_string(loc) + "," + number + ",," + name + "\r\n";
}

}  // namespace

TEST_F(DeviceOpsTest, StopAssertsDtrAndTheWaitBarGrowsUpToItsEnd) {
    st().PhoneBookReload = false;
    run([this] { return core->device().StopZEPClick(); });
    EXPECT_TRUE(port().dtr);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(display(), "pending");
    EXPECT_TRUE(st().PhoneBookReload);
    EXPECT_EQ(form().Prubeh.max(), 250);
    EXPECT_FALSE(form().Prubeh.visible());
    clock.advance(999);
    EXPECT_FALSE(form().Prubeh.visible());  // one step a second
    clock.advance(1);
    EXPECT_TRUE(form().Prubeh.visible());
    EXPECT_EQ(form().Prubeh.position(), 1);
    clock.advance(1000);
    EXPECT_EQ(form().Prubeh.position(), 2);
    // A unit that never answers: the bar stops at its end, the timer keeps going, and
    // nothing is locked.
    clock.advance(300 * 1000);
    EXPECT_EQ(form().Prubeh.position(), 250);
    EXPECT_TRUE(core->device().waiting());
    EXPECT_TRUE(lockedControlsEnabled(true));
    run([this] { return core->device().RunZEPClick(); });
    clock.advance(1000);
    EXPECT_FALSE(port().dtr);
    EXPECT_EQ(sent(), (std::vector<std::string>{"AT#REBOOT\r\n"}));
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(DeviceOpsTest, StopReportEndsTheWait) {
    run([this] { return core->device().StopZEPClick(); });
    clock.advance(5000);
    rx("STOP");
    EXPECT_FALSE(core->device().waiting());
    EXPECT_FALSE(form().Prubeh.visible());
    EXPECT_EQ(display(), "prog");
}

TEST_F(DeviceOpsTest, RunRestartsOnlyTheOlderModule) {
    for (bool lte : {false, true}) {
        SCOPED_TRACE(lte);
        makeCore();
        core->channel().open();
        core->channel().setDtr(true);
        st().LteModule = lte;
        showProgMode(core->form());
        run([this] { return core->device().RunZEPClick(); });
        EXPECT_FALSE(port().dtr);
        EXPECT_TRUE(sent().empty());
        clock.advance(1000);
        if (lte) {
            EXPECT_TRUE(sent().empty());
        } else {
            ASSERT_EQ(port().sent.size(), 1u);
            EXPECT_EQ(lastSent().bytes, "AT#REBOOT\r\n");
            EXPECT_EQ(lastSent().atMs, clock.nowMs());
        }
        EXPECT_EQ(display(), "pending");
        EXPECT_FALSE(form().LoadZEP.enabled());
        EXPECT_FALSE(form().SaveZEP.enabled());
        EXPECT_TRUE(core->device().waiting());
        EXPECT_EQ(form().Prubeh.max(), 250);
        // The battery report of the running unit ends the wait.
        clock.advance(3000);
        rx("#CBC: 0,410");
        EXPECT_FALSE(core->device().waiting());
    }
}

TEST_F(DeviceOpsTest, LoadDependsOnTheDisplay) {
    struct Case {
        const char* display;
        std::vector<std::string> sent;
        std::string displayAfter;
        bool saveEnabled, readViewCleared;
    };
    const std::vector<Case> cases = {
        {"run", {}, "run", false, false},
        {"pending", {"AT+CGMI\r\n"}, "run", false, false},
        {"prog", {"AT#SPN\r\n"}, "prog", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.display);
        makeCore();
        core->channel().open();
        std::string d = c.display;
        if (d == "run") showRunMode(core->form());
        if (d == "pending") showPending(core->form());
        if (d == "prog") showProgMode(core->form());
        form().SaveZEP.setEnabled(false);
        form().PhoneBook1.setRows({{"a", "1"}});
        st().PhoneBookReload = false;
        form().Prubeh.setPosition(5);
        run([this] { return core->device().LoadZEPClick(); });
        EXPECT_EQ(sent(), c.sent);
        EXPECT_EQ(display(), c.displayAfter);
        EXPECT_EQ(form().SaveZEP.enabled(), c.saveEnabled);
        EXPECT_EQ(form().PhoneBook1.rows().empty(), c.readViewCleared);
        EXPECT_EQ(st().PhoneBookReload, c.readViewCleared);
        EXPECT_EQ(form().Prubeh.position(), c.readViewCleared ? 0 : 5);
    }
}

TEST_F(DeviceOpsTest, LoadAfterStartUpWithoutStopReadsNoLocation) {
    rx("Telit");
    run([this] { return core->device().LoadZEPClick(); });
    rx("#SPN: Op");
    clock.advance(1000);
    EXPECT_EQ(sent(), (std::vector<std::string>{"AT#SPN\r\n", "AT#SPN\r\n"}));
}

TEST_F(DeviceOpsTest, ServiceCommands) {
    struct Case {
        std::function<Task()> handler;
        const char* text;
    };
    for (const Case& c :
         std::vector<Case>{{[this] { return core->device().signalClick(); }, "AT+CSQ\r\n"},
                           {[this] { return core->device().InicializaceClick(); }, "AT#ESCRIPT=zep.pyo\r\n"},
                           {[this] { return core->device().IMEIClick(); }, "AT#CGSN\r\n"}}) {
        std::size_t from = sentCount();
        run(c.handler);
        EXPECT_EQ(sentFrom(from), (std::vector<std::string>{c.text}));
    }
}

TEST_F(DeviceOpsTest, SaveWritesFixedEntriesThenRowsThenEmptiesTheRest) {
    fillFixedEntries();
    form().PhoneBook1.setRows({{"Anna", "111"}, {"Bob", "222"}, {"Cyril", "333"}});
    startSave(250);
    EXPECT_EQ(sent(), (std::vector<std::string>{"AT\r\n"}));
    EXPECT_TRUE(st().WriteActive);
    EXPECT_TRUE(lockedControlsEnabled(false));
    EXPECT_TRUE(form().TabSheet2.enabled());
    EXPECT_TRUE(form().SaveMonitor.enabled());
    // Their answers would be taken for answers to the writes.
    EXPECT_FALSE(form().Inicializace.enabled());
    EXPECT_FALSE(form().IMEI.enabled());
    EXPECT_EQ(form().Prubeh.max(), 250);
    EXPECT_TRUE(form().Prubeh.visible());

    // Each write goes out 200 ms after the OK that brings it.
    rx("OK");
    std::int64_t okAt = clock.nowMs();
    clock.advance(200);
    EXPECT_EQ(lastSent().bytes, write(1, "600001", "ADMIN1"));
    EXPECT_EQ(lastSent().atMs, okAt + 200);
    EXPECT_EQ(form().Prubeh.position(), 1);

    answerSave();
    EXPECT_FALSE(st().WriteActive);
    auto writes = writesFrom(0);
    ASSERT_EQ(writes.size(), 250u);
    EXPECT_EQ(writes[7], write(8, "700001", "ABUTTON1"));
    EXPECT_EQ(writes[14], write(15, "800001", "BBUTTON1"));
    EXPECT_EQ(writes[21], write(22, "alarm on", "ALARMON"));
    EXPECT_EQ(writes[22], write(23, "alarm off", "ALARMOFF"));
    EXPECT_EQ(writes[23], write(24, st().ParamGeneral, "PARZEP"));
    EXPECT_EQ(writes[26], write(27, st().ParamKeypad, "PARKEY"));
    EXPECT_EQ(writes[27], write(28, "111", "Anna"));
    EXPECT_EQ(writes[29], write(30, "333", "Cyril"));
    EXPECT_EQ(writes[30], "AT+CPBW=31\r\n");
    EXPECT_EQ(writes[249], "AT+CPBW=250\r\n");
    EXPECT_TRUE(hasLine("SIM30"));
    EXPECT_TRUE(hasLine("delete SIM31"));
    EXPECT_TRUE(hasLine("delete SIM250"));

    // The end: unlocked, the bar gone, the SIM read back.
    EXPECT_EQ(lastSent().bytes, "AT+CPBR=1,250\r\n");
    EXPECT_TRUE(lockedControlsEnabled(true));
    EXPECT_FALSE(form().Prubeh.visible());
    EXPECT_EQ(form().Prubeh.position(), 0);
    EXPECT_TRUE(form().PhoneBook1.rows().empty());
    EXPECT_TRUE(st().PhoneBookReload);
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(DeviceOpsTest, EmptyEntriesTakeAStepButNoLocation) {
    fillFixedEntries();
    form().ADMIN[1].setText("");
    // An empty list still counts one (empty) row: one more step that only sends AT.
    startSave(30);
    answerSave();
    auto all = sent();
    auto writes = writesFrom(0);
    EXPECT_EQ(writes[0], write(1, "600001", "ADMIN1"));
    EXPECT_EQ(writes[1], write(2, "600003", "ADMIN3"));
    EXPECT_EQ(writes[25], write(26, st().ParamKeypad, "PARKEY"));
    EXPECT_EQ(writes[26], "AT+CPBW=27\r\n");
    EXPECT_EQ(writes.size(), 30u);
    // The initial AT, the one for ADMIN2 and the one for the empty row.
    EXPECT_EQ(std::count(all.begin(), all.end(), "AT\r\n"), 3);
    EXPECT_EQ(std::count(monitor().begin(), monitor().end(), "---"), 2);
    EXPECT_EQ(all.back(), "AT+CPBR=1,30\r\n");
}

TEST_F(DeviceOpsTest, SaveComposesTheRecordsAndFreesTheToneBoxesOfANewerModule) {
    st().LteModule = true;
    form().TonRing.setEnabled(true);
    form().TonBeep.setEnabled(false);
    form().TonVoice.setEnabled(false);
    form().VolMic.setPosition(3);
    st().ParamGeneral = "stale";
    startSave(40);
    EXPECT_EQ(st().ParamGeneral.substr(0, 2), "5#");
    EXPECT_TRUE(form().TonBeep.enabled());
    EXPECT_TRUE(form().TonVoice.enabled());
    EXPECT_FALSE(form().TonRing.enabled());
}

TEST_F(DeviceOpsTest, SaveWithUnknownCapacityEndsAtOnceAndSaysNothingWasWritten) {
    fillFixedEntries();
    startSave(0);
    rx("OK");
    EXPECT_FALSE(st().WriteActive);
    EXPECT_TRUE(writesFrom(0).empty());
    EXPECT_EQ(sent(), (std::vector<std::string>{"AT\r\n", "AT+CPBR=1,0\r\n"}));
    EXPECT_TRUE(lockedControlsEnabled(true));
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("27 entries"), std::string::npos);
}

TEST_F(DeviceOpsTest, EntriesBeyondTheCapacityAreReportedNotSilentlyDropped) {
    fillFixedEntries();
    form().PhoneBook1.setRows({{"Anna", "111"}});
    startSave(27);
    answerSave();
    EXPECT_EQ(writesFrom(0).size(), 27u);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("1 entries from Anna"), std::string::npos);
    EXPECT_TRUE(lockedControlsEnabled(true));

    // Exactly full: no message.
    dialogs.errors.clear();
    form().PhoneBook1.setRows({});
    startSave(28);  // 27 fixed entries and one step for the empty row
    answerSave();
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(DeviceOpsTest, WhatIsWrittenIsFixedWhenTheSaveStarts) {
    fillFixedEntries();
    form().PhoneBook1.setRows({{"Anna", "111"}});
    startSave(30);
    for (int i = 0; i < 3; ++i) {
        rx("OK");
        clock.advance(200);
    }
    // A read arriving in the middle of the save changes the view, not what is written.
    rx("+CPBR: 1,\"999\",129,\"ADMIN7\"");
    rx("+CPBR: 2,\"999\",129,\"Other\"");
    answerSave();
    auto writes = writesFrom(0);
    EXPECT_EQ(writes[6], write(7, "600007", "ADMIN7"));
    EXPECT_EQ(writes[27], write(28, "111", "Anna"));
}

TEST_F(DeviceOpsTest, ASecondSaveQueuedBehindTheFirstDoesNothing) {
    fillFixedEntries();
    st().SimCapacity = 30;
    run([this] { return core->save().SaveZEPClick(); });
    run([this] { return core->save().SaveZEPClick(); });
    run([this] { return core->device().LoadZEPClick(); });
    run([this] { return core->device().signalClick(); });
    run([this] { return core->device().StopZEPClick(); });
    EXPECT_EQ(sent(), (std::vector<std::string>{"AT\r\n"}));
    EXPECT_FALSE(port().dtr);
    form().SaveZEP.click();  // locked
    EXPECT_EQ(sent().size(), 1u);
    answerSave();
    EXPECT_EQ(writesFrom(0).size(), 30u);
}

TEST_F(DeviceOpsTest, SaveWithoutAPortUnlocksAgain) {
    makeCore();  // no port open yet
    dialogs.portAnswers.push_back(std::nullopt);
    startSave(250);
    EXPECT_FALSE(st().WriteActive);
    EXPECT_TRUE(lockedControlsEnabled(true));
    EXPECT_FALSE(form().Prubeh.visible());
    EXPECT_EQ(dialogs.errors.size(), 1u);
}

// A save that cannot finish stops, unlocks the window, says where it stopped and reads the
// SIM back; it never ends as if it had succeeded.
TEST_F(DeviceOpsTest, SaveThatCannotFinishStopsAndReadsTheSimBack) {
    struct Case {
        const char* what;
        int okBefore;       // OKs answered before the fault
        std::string fault;  // line sent instead of the next OK; empty: silence
        std::string whereStopped;
    };
    const std::vector<Case> cases = {
        {"ERROR on the third write", 3, "ERROR", "SIM location 3 (ADMIN3)"},
        {"CME error", 1, "+CME ERROR: 20", "SIM location 1 (ADMIN1)"},
        {"silence after a write", 5, "", "SIM location 5 (ADMIN5)"},
        {"silence at the start", 0, "", "SIM location 1 (before the first entry)"},
        {"ERROR while emptying", 29, "ERROR", "SIM location 29 (emptying it)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.errors.clear();
        makeCore();
        core->channel().open();
        dialogs.errors.clear();
        fillFixedEntries();
        form().PhoneBook1.setRows({{"Anna", "111"}});
        startSave(40);
        for (int i = 0; i < c.okBefore; ++i) {
            rx("OK");
            clock.advance(200);
        }
        std::int64_t faultAt = clock.nowMs();
        if (!c.fault.empty()) {
            rx(c.fault);
        } else {
            clock.advance(9999);
            EXPECT_TRUE(st().WriteActive);
            clock.advance(1);
        }
        EXPECT_FALSE(st().WriteActive);
        EXPECT_TRUE(lockedControlsEnabled(true));
        EXPECT_FALSE(form().Prubeh.visible());
        ASSERT_EQ(dialogs.errors.size(), 1u);
        const std::string& text = dialogs.errors[0];
        EXPECT_NE(text.find(c.whereStopped), std::string::npos) << text;
        EXPECT_NE(text.find("only partly written"), std::string::npos);
        EXPECT_TRUE(hasLine(text));
        EXPECT_EQ(lastSent().bytes, "AT+CPBR=1,40\r\n");
        EXPECT_EQ(lastSent().atMs, c.fault.empty() ? faultAt + 10000 : faultAt);
        EXPECT_TRUE(form().PhoneBook1.rows().empty());

        // A late answer moves nothing.
        std::size_t n = sentCount();
        rx("OK");
        clock.advance(20000);
        EXPECT_EQ(sentCount(), n);
        EXPECT_EQ(dialogs.errors.size(), 1u);
    }
}

// The watchdog fires while a status line's pause holds the activity that also carries the
// answer: by the time its check runs the answer has moved the save on, and the check is void.
TEST_F(DeviceOpsTest, AWatchdogFiringOvertakenByTheAnswerDoesNothing) {
    fillFixedEntries();
    startSave(30);
    rx("OK");
    clock.advance(200);  // the first write is out; the watchdog runs from here
    clock.advance(9950);
    feed("+CREG: 0,1\r\nOK\r\n");  // rests 200 ms, the watchdog fires meanwhile
    clock.advance(400);
    EXPECT_TRUE(st().WriteActive);
    EXPECT_TRUE(dialogs.errors.empty());
    answerSave();
    EXPECT_FALSE(st().WriteActive);
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(writesFrom(0).size(), 30u);
}

TEST_F(DeviceOpsTest, SlowButSteadyAnswersDoNotTripTheWatchdog) {
    fillFixedEntries();
    startSave(30);
    int steps = 0;
    while (st().WriteActive && steps < 100) {
        clock.advance(9000);  // each answer comes 9 s after its command
        rx("OK");
        clock.advance(200);
        ++steps;
    }
    EXPECT_FALSE(st().WriteActive);
    EXPECT_TRUE(dialogs.errors.empty()) << dialogs.errors[0];
    EXPECT_EQ(writesFrom(0).size(), 30u);
}

TEST_F(DeviceOpsTest, ErrorOutsideASaveOnlyGoesToTheMonitor) {
    rx("ERROR");
    rx("+CME ERROR: 10");
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_TRUE(sent().empty());
}

TEST_F(DeviceOpsTest, GarbledCapacityDuringTheReadLeavesTheWindowUsable) {
    core->channel().setDtr(true);
    rx("#SPN: Op");
    clock.advance(200);
    rx("+CPBR: (1-2?0),40,16");
    EXPECT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(st().SimCapacity, 0);
    EXPECT_TRUE(lockedControlsEnabled(true));
    // A save after it writes nothing and says so.
    fillFixedEntries();
    run([this] { return core->save().SaveZEPClick(); });
    rx("OK");
    EXPECT_FALSE(st().WriteActive);
    EXPECT_TRUE(lockedControlsEnabled(true));
    EXPECT_EQ(dialogs.errors.size(), 2u);
}

// Commas and semicolons go out inside double quotes, so the unit stores the text as it
// stands; texts the unit cannot store at all are all listed before anything is written.
TEST_F(DeviceOpsTest, EntriesAreQuotedWhereNeededAndUnstorableOnesAreListedBeforeAnythingIsWritten) {
    struct Case {
        const char* alarmOn;
        PhoneBookList::Row row;
        std::string written;  // the row's write command; empty when the save is refused
        std::string refusal;  // a line of the refusal
    };
    const std::string longName(19, 'n');
    const Case cases[] = {
        {"Door open, alarm", {"Caretaker", "123"}, "AT+CPBW=6,123,,Caretaker\r\n", ""},
        {"Alarm", {"Doe, John", "123"}, "AT+CPBW=6,123,,\"Doe, John\"\r\n", ""},
        {"Alarm", {"Mum", "1;#REBOOT"}, "AT+CPBW=6,\"1;#REBOOT\",,Mum\r\n", ""},
        {"Say \"hi\"",
         {"Caretaker", "123"},
         "",
         "- SIM location 1, entry ALARMON: \"Say \"hi\"\" holds a double quote"},
        {"Alarm",
         {"Tab\tName", "123"},
         "",
         "- SIM location 6, entry Tab\tName: \"Tab\tName\" holds a control"},
        {"Alarm",
         {longName, "123"},
         "",
         "- SIM location 6, entry " + longName + ": \"" + longName + "\" is longer than the 18 characters"},
        {"Alarm", {"Gate", std::string(21, '1')}, "", "\" is longer than the 20 characters the unit stores."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row.name);
        dialogs.errors.clear();
        makeCore();
        core->channel().open();
        // ALARMON goes to location 1, the four records to 2 to 5, the row to 6.
        form().ALARMON.setText(c.alarmOn);
        form().PhoneBook1.setRows({c.row});
        st().NumberLength = 20;
        st().TextLength = 18;
        startSave(250);
        if (!c.written.empty()) {
            EXPECT_TRUE(dialogs.errors.empty()) << dialogs.errors.front();
            answerSave();
            auto writes = writesFrom(0);
            EXPECT_NE(std::find(writes.begin(), writes.end(), c.written), writes.end());
            EXPECT_NE(std::find(writes.begin(), writes.end(),
                                std::string("AT+CPBW=1,") +
                                    (std::string(c.alarmOn).find(',') != std::string::npos
                                         ? "\"" + std::string(c.alarmOn) + "\""
                                         : std::string(c.alarmOn)) +
                                    ",,ALARMON\r\n"),
                      writes.end());
        } else {
            EXPECT_TRUE(sent().empty());
            EXPECT_FALSE(st().WriteActive);
            EXPECT_TRUE(lockedControlsEnabled(true));
            ASSERT_EQ(dialogs.errors.size(), 1u);
            EXPECT_NE(dialogs.errors[0].find(c.refusal), std::string::npos) << dialogs.errors[0];
            EXPECT_NE(dialogs.errors[0].find("Nothing was written."), std::string::npos);
        }
    }
}

// A keypad record read with a waiting digit the list cannot show is written back as read.
TEST_F(DeviceOpsTest, AKeypadRecordReadOutOfRangeIsWrittenBackAsRead) {
    applyFixedEntry(form(), st(), "PARKEY", "0#1");
    EXPECT_EQ(form().WaitBUF.text(), "");
    startSave(40);
    EXPECT_TRUE(dialogs.errors.empty());
    answerSave();
    auto writes = writesFrom(0);
    EXPECT_NE(std::find(writes.begin(), writes.end(), "AT+CPBW=4,0#1,,PARKEY\r\n"), writes.end());
}

TEST_F(DeviceOpsTest, RecordsOfTheWrongLengthAreRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* what;
        std::function<void(Form&)> spoil;
        const char* says;
    };
    const Case cases[] = {
        {"relay 1 code emptied", [](Form& f) { f.Relay1.RelCode.userEdit("", 0); }, "Relay 1:"},
        {"relay 2 time emptied", [](Form& f) { f.Relay2.RelTime.userEdit(" ", 1); }, "Relay 2:"},
        {"waiting digit typed as 10", [](Form& f) { f.WaitBUF.setText("10"); }, "Keypad:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.errors.clear();
        makeCore();
        core->channel().open();
        try {
            c.spoil(form());
        } catch (const std::exception&) {
            // an emptied relay field reports itself; the field stays empty
        }
        const std::string general = st().ParamGeneral;
        startSave(250);
        EXPECT_TRUE(sent().empty());
        EXPECT_FALSE(st().WriteActive);
        EXPECT_TRUE(lockedControlsEnabled(true));
        EXPECT_EQ(st().ParamGeneral, general);  // the records are not touched
        ASSERT_EQ(dialogs.errors.size(), 1u);
        EXPECT_NE(dialogs.errors[0].find("\n- " + std::string(c.says)), std::string::npos)
            << dialogs.errors[0];
    }
}
