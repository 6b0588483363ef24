// Faults met on real serial lines: a port that goes away, clicks that wait their turn,
// timers that were stopped, a window closed while the unit is being written.
#include <gtest/gtest.h>

#include "support/device_fixture.h"

using namespace dorive;
using dorive::test::DeviceFixture;

namespace {

struct Faults : DeviceFixture {
    bool monitorHas(const std::string& text) {
        for (std::string_view l : monitor())
            if (l.find(text) != std::string_view::npos) return true;
        return false;
    }
    // A save of 40 locations under way, resting in its pause before the fourth write.
    void saveUnderWay() {
        fillFixedEntries();
        form().PhoneBook1.setRows({{"Anna", "111"}, {"Bert", "222"}});
        st().SimCapacity = 40;
        form().SaveZEP.click();
        for (int i = 0; i < 3; ++i) {
            rx("OK");
            clock.advance(200);
        }
        rx("OK");
        clock.advance(100);
        ASSERT_TRUE(st().WriteActive);
    }
};

}  // namespace

// The port goes away while a save rests in its pause: the save ends at once with that
// reason, nothing more is sent, no port dialog opens, the rows stay as the user meant them,
// and Save writes them again once a port is chosen.
TEST_F(Faults, ALostPortStopsASaveAtOnceAndKeepsWhatWasToBeWritten) {
    saveUnderWay();
    const int prompts = dialogs.portPrompts;
    const std::size_t sentBefore = sentCount();
    port().fail("device removed");  // the channel closes the port from inside its own call
    EXPECT_EQ(port().failures, 1);

    EXPECT_FALSE(st().WriteActive);
    EXPECT_TRUE(lockedControlsEnabled(true));
    EXPECT_FALSE(form().Prubeh.visible());
    EXPECT_TRUE(monitorHas("ttyUSB0 stopped working: device removed"));
    clock.advance(100);  // the box comes once the resting step has ended
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("ttyUSB0 stopped working: device removed"), std::string::npos);
    EXPECT_TRUE(monitorHas("Save stopped at SIM location 4 (ADMIN4)"));
    EXPECT_TRUE(monitorHas("content is unknown"));

    clock.advance(30000);  // the pause ends, the watchdog would have fired
    EXPECT_EQ(sentCount(), sentBefore);
    EXPECT_EQ(dialogs.portPrompts, prompts);
    EXPECT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(form().PhoneBook1.rows(), (std::vector<PhoneBookList::Row>{{"Anna", "111"}, {"Bert", "222"}}));

    form().SaveZEP.click();  // asks for the port again and writes from the start
    EXPECT_EQ(dialogs.portPrompts, prompts + 1);
    EXPECT_TRUE(st().WriteActive);
    answerSave();
    EXPECT_EQ(writesFrom(0).size(), 40u);  // on the new port
}

// A read broken off by a lost port gives back the rows it had cleared.
TEST_F(Faults, AReadThatCannotFinishLeavesThePagesAsTheyWere) {
    form().PhoneBook1.setRows({{"Anna", "111"}});
    showProgMode(form());
    rx("Telit");  // a read starts and clears the view
    rx("+CPBR: (1-40),20,18");
    rx("OK");
    clock.advance(100);
    rx("+CPBR: 1,\"999\",129,\"Zed\"");
    port().onFailure("device removed");
    EXPECT_EQ(form().PhoneBook1.rows(), (std::vector<PhoneBookList::Row>{{"Anna", "111"}}));
    EXPECT_TRUE(monitorHas("content is unknown"));

    // A read that completes keeps what it read.
    core->channel().open();
    rx("Telit");
    rx("+CPBR: (1-40),20,18");
    rx("OK");
    clock.advance(100);
    rx("+CPBR: 1,\"999\",129,\"Zed\"");
    rx("OK");
    port().onFailure("device removed");
    EXPECT_EQ(form().PhoneBook1.rows(), (std::vector<PhoneBookList::Row>{{"Zed", "999"}}));
}

// Run rests 1 s before it disables Load and Save: clicks on them that arrive meanwhile are
// dropped when their turn comes, as clicks on disabled buttons are.
TEST_F(Faults, AQueuedClickOnAControlDisabledMeanwhileIsDropped) {
    for (Button Form::*button : {&Form::SaveZEP, &Form::LoadZEP}) {
        makeCore();
        Button* b = &(form().*button);
        SCOPED_TRACE(b->name());
        core->channel().open();
        showProgMode(form());
        st().SimCapacity = 40;
        form().SaveZEP.setEnabled(true);
        form().LoadZEP.setEnabled(true);
        form().RunZEP.click();
        clock.advance(500);
        b->click();  // the user clicks while Run rests
        clock.advance(1000);
        EXPECT_FALSE(st().WriteActive);
        EXPECT_EQ(sent(), std::vector<std::string>{"AT#REBOOT\r\n"});
    }
    // An edit typed on a page that a save locked meanwhile is dropped too.
    makeCore();
    core->channel().open();
    core->post([this]() -> Task { co_await core->context().pause(500); });
    core->userEdit(form().ADMIN[0], "123", 3);
    form().seting.setEnabled(false);
    clock.advance(500);
    EXPECT_EQ(form().ADMIN[0].text(), "");
}

// A tick of the wait indicator queued behind a paused reply must not show the bar after the
// battery report stopped the timer.
TEST_F(Faults, AStoppedTimersQueuedTickDoesNothing) {
    core->device().startWaitIndicator();
    clock.advance(900);
    rx("+CREG: 0,1");  // rests 200 ms; the tick at 1000 ms waits behind it
    rx("#CBC: 0,412");
    clock.advance(300);
    EXPECT_FALSE(core->device().waiting());
    EXPECT_FALSE(form().Prubeh.visible());
    clock.advance(5000);
    EXPECT_FALSE(form().Prubeh.visible());
    EXPECT_EQ(form().Prubeh.position(), 0);
}

// The window closes while a save rests in its pause and Run rests in its wait: nothing is
// sent any more and no port dialog opens.
TEST_F(Faults, ClosingEndsEveryActivity) {
    saveUnderWay();
    form().signal.setEnabled(true);
    const std::size_t sentBefore = sentCount();
    const int prompts = dialogs.portPrompts;
    core->FormClose();
    clock.advance(60000);
    form().StopZEP.click();
    form().signal.click();
    EXPECT_EQ(sentCount(), sentBefore);
    EXPECT_EQ(dialogs.portPrompts, prompts);
    EXPECT_TRUE(dialogs.errors.empty());
}

// A port that cannot switch DTR says so once; DTR is applied again when a port is reopened.
TEST_F(Faults, DtrFollowsTheChannelAcrossReopeningsAndAFailureIsSaidOnce) {
    core->channel().setDtr(true);
    EXPECT_TRUE(port().dtr);
    port().onFailure("gone");
    core->channel().takeLossReport();
    core->channel().open();  // a new port
    EXPECT_TRUE(port().dtr);

    port().dtrWorks = false;
    core->channel().setDtr(false);
    core->channel().setDtr(true);
    int said = 0;
    for (std::string_view l : monitor())
        said += l == "ttyUSB0: this port cannot switch DTR; stop the unit's script by other means.";
    EXPECT_EQ(said, 1);
}

TEST_F(Faults, TheUnitsAnnouncedLengthsAreKept) {
    const struct {
        const char* line;
        int number, text;
    } cases[] = {
        {"+CPBR: (1-250),20,18", 20, 18},
        {"+CPBR: (1-250),40,16", 40, 16},
        {"+CPBR: (1-250)", 0, 0},
        {"+CPBR: (1-250),x,16", 0, 16},
    };
    for (const auto& c : cases) {
        rx(c.line);
        clock.advance(100);
        EXPECT_EQ(st().NumberLength, c.number) << c.line;
        EXPECT_EQ(st().TextLength, c.text) << c.line;
    }
}
