// The quick save against a unit played by the test: what it reads, compares and writes, and
// how it ends when the SIM read back is not what was written.
#include "device/quick_save.h"

#include <gtest/gtest.h>

#include "params/records.h"
#include "support/device_fixture.h"

using namespace dorive;
using dorive::test::DeviceFixture;

namespace {

std::string listing(int location, const std::string& number, const std::string& name, int type = 129) {
    return "+CPBR: " + std::to_string(location) + ",\"" + number + "\"," + std::to_string(type) + ",\"" +
           name + "\"";
}

struct QuickSaveTest : DeviceFixture {
    State built;  // the records as the save composes them

    // Pages that leave ADMIN1, ADMIN2, the four records and one row at locations 1 to 7 of 40.
    void SetUp() override {
        DeviceFixture::SetUp();
        prepare();
    }
    // A fresh core and port, for each case of a table.
    void restart() {
        dialogs.errors.clear();
        makeCore();
        core->channel().open();
        prepare();
    }
    void prepare() {
        st().SimCapacity = 40;
        form().ADMIN[0].setText("+420601");
        form().ADMIN[1].setText("602");
        form().PhoneBook1.setRows({{"Anna", "111"}});
        built = st();
        BuildParamRecords(form(), built);
    }
    // The unit's SIM before the quick save: location 1 as a module lists an international
    // number, location 2 changed by SMS, location 12 used by an old entry.
    void answerFirstRead() {
        rx(listing(1, "420601", "ADMIN1", 145));
        rx(listing(2, "699", "ADMIN2"));
        rx(listing(3, built.ParamGeneral, "PARZEP"));
        rx(listing(4, built.ParamRelay1, "PARRL1"));
        rx(listing(5, built.ParamRelay2, "PARRL2"));
        rx(listing(6, built.ParamKeypad, "PARKEY"));
        rx(listing(7, "111", "Anna"));
        rx(listing(12, "555", "Old"));
        rx("OK");
    }
    // Answers the two writes.
    void answerWrites() {
        for (int i = 0; i < 2; ++i) {
            clock.advance(200);
            rx("OK");
        }
    }
    // The read-back: the SIM as meant, or with `wrong` put at location 2.
    void answerReadBack(const std::string& wrongAt2 = "") {
        rx(listing(1, "+420601", "ADMIN1", 145));
        rx(listing(2, wrongAt2.empty() ? "602" : wrongAt2, "ADMIN2"));
        rx(listing(3, built.ParamGeneral, "PARZEP"));
        rx(listing(4, built.ParamRelay1, "PARRL1"));
        rx(listing(5, built.ParamRelay2, "PARRL2"));
        rx(listing(6, built.ParamKeypad, "PARKEY"));
        rx(listing(7, "111", "Anna"));
        rx("OK");
    }
    bool monitorHas(const std::string& text) {
        for (std::string_view l : monitor())
            if (l.find(text) != std::string_view::npos) return true;
        return false;
    }
};

}  // namespace

TEST_F(QuickSaveTest, ReadsFirstWritesOnlyTheDifferingLocationsAndChecksTheReadBack) {
    form().QuickSaveZEP.click();
    EXPECT_EQ(sent(), std::vector<std::string>{"AT+CPBR=1,40\r\n"});
    EXPECT_TRUE(st().WriteActive);
    EXPECT_TRUE(lockedControlsEnabled(false));
    EXPECT_FALSE(form().QuickSaveZEP.enabled());

    answerFirstRead();
    // The first read leaves the pages alone.
    EXPECT_EQ(form().PhoneBook1.rows(), (std::vector<PhoneBookList::Row>{{"Anna", "111"}}));
    EXPECT_EQ(form().ADMIN[1].text(), "602");
    EXPECT_EQ(form().Prubeh.max(), 2);

    // Each write 200 ms after the OK that brings it, in ascending order.
    const std::int64_t okAt = clock.nowMs();
    clock.advance(199);
    EXPECT_EQ(sentCount(), 1u);
    clock.advance(1);
    EXPECT_EQ(lastSent().bytes, "AT+CPBW=2,602,,ADMIN2\r\n");
    EXPECT_EQ(lastSent().atMs, okAt + 200);
    rx("OK");
    clock.advance(200);
    EXPECT_EQ(lastSent().bytes, "AT+CPBW=12\r\n");
    EXPECT_EQ(form().Prubeh.position(), 2);
    rx("OK");

    // The read-back refills the pages while the controls stay locked until it is checked.
    EXPECT_EQ(lastSent().bytes, "AT+CPBR=1,40\r\n");
    EXPECT_TRUE(form().PhoneBook1.rows().empty());
    EXPECT_TRUE(st().WriteActive);
    answerReadBack();
    EXPECT_FALSE(st().WriteActive);
    EXPECT_TRUE(lockedControlsEnabled(true));
    EXPECT_TRUE(form().QuickSaveZEP.enabled());
    EXPECT_FALSE(form().Prubeh.visible());
    EXPECT_EQ(form().PhoneBook1.rows(), (std::vector<PhoneBookList::Row>{{"Anna", "111"}}));
    EXPECT_EQ(writesFrom(0).size(), 2u);
    EXPECT_TRUE(dialogs.errors.empty()) << dialogs.errors.front();
    EXPECT_TRUE(core->quickSave().succeeded());
    EXPECT_TRUE(monitorHas("Quick save: 2 of 40 locations differ"));
    EXPECT_TRUE(monitorHas("delete SIM12"));
}

TEST_F(QuickSaveTest, AReadBackThatDiffersIsAFailedSaveNamingTheLocations) {
    form().QuickSaveZEP.click();
    answerFirstRead();
    answerWrites();
    answerReadBack("699");
    EXPECT_FALSE(st().WriteActive);
    EXPECT_TRUE(lockedControlsEnabled(true));
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("Quick save failed"), std::string::npos) << dialogs.errors[0];
    EXPECT_NE(dialogs.errors[0].find("SIM locations 2 (should hold ADMIN2)"), std::string::npos)
        << dialogs.errors[0];
    EXPECT_FALSE(monitorHas("holds what was to be written"));
    EXPECT_FALSE(core->quickSave().succeeded());
    // The pages show what the SIM holds.
    EXPECT_EQ(form().ADMIN[1].text(), "699");
}

// Faults the fake unit can show that the simulated one does not: a listing line that names
// no location or one listed before, and a refused or silent read-back.
TEST_F(QuickSaveTest, AnUnreadableListingOrARefusedReadBackIsNeverASuccess) {
    struct Case {
        const char* what;
        std::function<void(QuickSaveTest&)> play;
        const char* says;
        std::size_t writes;
    };
    const Case cases[] = {
        {"garbled location in the first read",
         [](QuickSaveTest& t) {
             t.rx(listing(1, "+420601", "ADMIN1"));
             t.rx("+CPBR: 1x,\"555\",129,\"Old\"");
             t.rx("OK");
         },
         "before anything was written: the line \"+CPBR: 1x,", 0},
        {"location beyond the capacity",
         [](QuickSaveTest& t) {
             t.rx(listing(41, "555", "Old"));
             t.rx("OK");
         },
         "names no location from 1 to 40", 0},
        {"a location listed twice in the read-back",
         [](QuickSaveTest& t) {
             t.answerFirstRead();
             t.answerWrites();
             t.rx(listing(1, "+420601", "ADMIN1", 145));
             t.answerReadBack();
         },
         "Quick save failed: the SIM read back after writing cannot be placed location by location: the line "
         "\"+CPBR: 1,",
         2},
        {"read-back refused",
         [](QuickSaveTest& t) {
             t.answerFirstRead();
             t.answerWrites();
             t.rx(listing(1, "+420601", "ADMIN1", 145));
             t.rx("ERROR");
         },
         "reading the SIM back to check it failed: the unit answered ERROR", 2},
        {"read-back silent",
         [](QuickSaveTest& t) {
             t.answerFirstRead();
             t.answerWrites();
             t.clock.advance(10000);
         },
         "reading the SIM back to check it failed: the unit did not answer for 10 s", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        restart();
        form().QuickSaveZEP.click();
        c.play(*this);
        EXPECT_FALSE(st().WriteActive);
        EXPECT_TRUE(lockedControlsEnabled(true));
        ASSERT_EQ(dialogs.errors.size(), 1u);
        EXPECT_NE(dialogs.errors[0].find(c.says), std::string::npos) << dialogs.errors[0];
        EXPECT_EQ(writesFrom(0).size(), c.writes);
        // The rows come back as they were: nothing read replaced them.
        EXPECT_EQ(form().PhoneBook1.rows(), (std::vector<PhoneBookList::Row>{{"Anna", "111"}}));
        const std::size_t n = sentCount();
        rx("OK");
        clock.advance(20000);
        EXPECT_EQ(sentCount(), n);
    }
}

TEST_F(QuickSaveTest, TheButtonIsUsableExactlyWhenSaveIs) {
    for (bool on : {false, true, false}) {
        form().SaveZEP.setEnabled(on);
        EXPECT_EQ(form().QuickSaveZEP.enabled(), on);
    }
    form().SaveZEP.setEnabled(true);
    form().SaveZEP.click();  // a full save locks it too
    EXPECT_FALSE(form().QuickSaveZEP.enabled());
    form().QuickSaveZEP.click();
    EXPECT_EQ(sent(), std::vector<std::string>{"AT\r\n"});
    answerSave();
    EXPECT_TRUE(form().QuickSaveZEP.enabled());
    EXPECT_EQ(form().QuickSaveZEP.caption(), "Quick Save");
    EXPECT_TRUE(form().QuickSaveZEP.hint().empty());
}

TEST_F(QuickSaveTest, NothingIsSentWhenTheSaveWouldBeRefused) {
    struct Case {
        const char* what;
        std::function<void(QuickSaveTest&)> spoil;
        const char* says;
    };
    const Case cases[] = {
        {"SIM size unknown", [](QuickSaveTest& t) { t.st().SimCapacity = 0; }, "read the unit first"},
        {"a read under way", [](QuickSaveTest& t) { t.core->readView().listingRequested(); },
         "still being read"},
        {"keypad digit typed as 10", [](QuickSaveTest& t) { t.form().WaitBUF.setText("10"); }, "\n- Keypad:"},
        {"number too long for the unit",
         [](QuickSaveTest& t) {
             t.st().NumberLength = 5;
             t.form().ADMIN[1].setText("6020000");
         },
         "SIM location 2, entry ADMIN2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        restart();
        c.spoil(*this);
        form().QuickSaveZEP.click();
        EXPECT_TRUE(sent().empty());
        EXPECT_FALSE(st().WriteActive);
        EXPECT_TRUE(lockedControlsEnabled(true));
        ASSERT_EQ(dialogs.errors.size(), 1u);
        EXPECT_NE(dialogs.errors[0].find(c.says), std::string::npos) << dialogs.errors[0];
    }
}

// What a read gives back is compared, not the bytes that were sent.
TEST(QuickSaveCompare, ListedLocationsInTheTermsOfWhatWasWritten) {
    const struct {
        const char* line;
        int location;
        SimEntry entry;
    } cases[] = {
        {"+CPBR: 3,\"420601\",145,\"ADMIN1\"", 3, {"ADMIN1", "+420601"}},
        {"+CPBR: 3,\"+420601\",145,\"ADMIN1\"", 3, {"ADMIN1", "+420601"}},
        {"+CPBR: 3,\"0601\",129,\"ADMIN1\"", 3, {"ADMIN1", "0601"}},
        {"+CPBR: 12,\"Door open, alarm\",129,\"ALARMON\"", 12, {"ALARMON", "Door open, alarm"}},
        {"+CPBR:  7 ,\"1\",129,\"Doe, John\"", 7, {"Doe, John", "1"}},
        {"+CPBR: x,\"1\",129,\"A\"", 0, {"A", "1"}},
        {"+CPBR: 0,\"1\",129,\"A\"", 0, {"A", "1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ListedLocation l = listedLocation(c.line);
        EXPECT_EQ(l.location, c.location);
        EXPECT_EQ(l.entry, c.entry);
    }
    for (SimEntry e : {SimEntry{"ALARMON", "Door open, alarm"}, SimEntry{"Mum", "+420;1"}, SimEntry{}})
        EXPECT_EQ(handedBack(e), e) << e.name;
}
