// The memory pages driven through the core as the window drives them: listings fill the
// trees, clicks pick and load entries, the pages send their writes and deletes, the detect
// box switches detection, and writes the unit refuses or leaves unanswered are reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/device_fixture.h"

using namespace dorive;

namespace {

std::vector<std::string> texts(const Tree& tree) {
    std::vector<std::string> out;
    for (const auto& n : tree.nodes()) out.push_back(n.text);
    return out;
}

struct MemoriesCore : test::DeviceFixture {
    // One listing line of a read.
    void list(int location, const std::string& number, const std::string& name) {
        rx("+CPBR: " + std::to_string(location) + ",\"" + number + "\",129,\"" + name + "\"");
    }
    // The listing of a fresh read.
    void read(const std::vector<std::tuple<int, std::string, std::string>>& entries) {
        st().PhoneBookReload = true;
        for (const auto& [location, number, name] : entries) list(location, number, name);
        rx("OK");
    }
    // The user clicks the line with this text.
    void pick(Tree& tree, const std::string& line) {
        auto t = texts(tree);
        auto it = std::find(t.begin(), t.end(), line);
        ASSERT_NE(it, t.end()) << line;
        tree.userSelect(int(it - t.begin()));
    }
    // Lines set into a tree as a read would leave them, none selected.
    void lines(Tree& tree, std::vector<std::string> texts) {
        tree.clear();
        for (auto& t : texts) tree.add(t);
    }
    void click(Button& b) {
        ASSERT_TRUE(b.usable()) << b.name();
        b.click();
    }
    void type(Edit& e, const std::string& text) { core->userEdit(e, text, text.size()); }
    Form::MemoryPageControls& memo() { return form().MemoControls; }
    Form::MemoryPageControls& button() { return form().ButtonControls; }
    bool monitorHas(const std::string& line) {
        return std::find(monitor().begin(), monitor().end(), line) != monitor().end();
    }
};

}  // namespace

// --- Trees ------------------------------------------------------------------------------

TEST_F(MemoriesCore, ReadListsEachEntryInItsTreesInNameOrder) {
    form().TreeCode.setNodes({{"1:C0C[old]", {}}});
    list(1, "600001", "ADMIN1");  // a fixed entry starts nothing
    EXPECT_EQ(texts(form().TreeCode), std::vector<std::string>{"1:C0C[old]"});
    read({{2, "222", "M2-1"},
          {3, "333", "M10-1"},
          {4, "444", "M1-1"},
          {5, "555", "B4-1"},
          {6, "80001", "BBUTTON1"},
          {7, "1#0", "CC"},
          {8, "2#0", "C4711C"},
          {9, "1#0", "C1C2C"},
          {10, "9", "M12-34"},
          {11, "9", "M"}});
    EXPECT_EQ(texts(form().TreeMemo),
              (std::vector<std::string>{"11:M[9]", "4:M1-1[444]", "3:M10-1[333]", "2:M2-1[222]"}));
    EXPECT_EQ(texts(form().TreeButtons), std::vector<std::string>{"5:B4-1[555]"});
    EXPECT_EQ(texts(form().TreeCode), (std::vector<std::string>{"8:C4711C[2#0]", "7:CC[1#0]"}));
    EXPECT_TRUE(form().TreeMemoSel.nodes().empty());
    // Every memory entry is also a phone-book row, the first one starting the list.
    ASSERT_FALSE(form().PhoneBook1.rows().empty());
    EXPECT_EQ(form().PhoneBook1.rows().front(), (PhoneBookList::Row{"M2-1", "222"}));

    // The next fresh read lists its own entries only.
    read({{1, "600001", "ADMIN1"}, {20, "5", "M5-1"}});
    EXPECT_EQ(texts(form().TreeMemo), std::vector<std::string>{"20:M5-1[5]"});
    EXPECT_TRUE(form().TreeCode.nodes().empty());
}

TEST_F(MemoriesCore, PickingAMemoListsItsEntriesAndSurvivesTheReRead) {
    read({{1, "1", "M1-2"}, {2, "2", "M11-1"}, {3, "3", "M1-1"}, {4, "4", "B2-1"}, {5, "5", "B2-2"}});
    pick(form().TreeMemo, "3:M1-1[3]");
    EXPECT_EQ(st().SelectedMemoName, "M1-");
    EXPECT_EQ(texts(form().TreeMemoSel), (std::vector<std::string>{"3:M1-1[3]", "1:M1-2[1]"}));
    pick(form().TreeButtons, "5:B2-2[5]");
    EXPECT_EQ(st().SelectedButtonName, "B2-");
    EXPECT_EQ(texts(form().TreeButtonsSel), (std::vector<std::string>{"4:B2-1[4]", "5:B2-2[5]"}));
    pick(form().TreeMemoSel, "1:M1-2[1]");

    // A write's "OK" reads the SIM again: the picked memory's tree fills again, unselected.
    st().RefreshAfterWrite = true;
    rx("OK");
    EXPECT_TRUE(form().TreeMemoSel.nodes().empty());
    clock.advance(200);
    EXPECT_EQ(sent().back(), "AT#SPN\r\n");
    read({{3, "3", "M1-1"}, {6, "6", "M1-3"}, {7, "7", "B2-1"}});
    EXPECT_EQ(texts(form().TreeMemoSel), (std::vector<std::string>{"3:M1-1[3]", "6:M1-3[6]"}));
    EXPECT_EQ(form().TreeMemoSel.selectedIndex(), -1);
    EXPECT_EQ(texts(form().TreeButtonsSel), std::vector<std::string>{"7:B2-1[7]"});

    // A click with no line selected changes nothing.
    form().TreeMemo.clearSelection();
    form().TreeMemo.userSelect(-1);
    EXPECT_EQ(st().SelectedMemoName, "M1-");
}

TEST_F(MemoriesCore, ASelectedLineStaysSelectedWhenAnotherIsAdded) {
    lines(form().TreeCode, {"1:C1C[a]", "2:C5C[b]"});
    form().TreeCode.select(1);
    st().PhoneBookReload = false;  // a listing that adds to the trees as they stand
    list(3, "c", "C2C");
    EXPECT_EQ(texts(form().TreeCode), (std::vector<std::string>{"1:C1C[a]", "3:C2C[c]", "2:C5C[b]"}));
    EXPECT_EQ(form().TreeCode.selected()->text, "2:C5C[b]");
}

// --- Memo and button pages --------------------------------------------------------------

TEST_F(MemoriesCore, WritesGoToThePickedLocationOrTheFirstFreeOne) {
    struct Case {
        bool memoPage;
        const char* selected;  // line picked in the memory's tree, "" for none
        const char* number;
        int positionItem;
        const char* phone;
        const char* expected;
    };
    const Case cases[] = {
        {true, "", "12", 2, "123456", "AT+CPBW=,123456,,M12-3\r\n"},
        {true, "17:M12-3[555]", "12", 2, "123456", "AT+CPBW=17,123456,,M12-3\r\n"},
        // A picked entry given another number and position is renamed in its place.
        {true, "17:M12-3[555]", "13", 4, "555", "AT+CPBW=17,555,,M13-5\r\n"},
        {false, "", "4", 0, "777", "AT+CPBW=,777,,B4-1\r\n"},
        {false, "9:B4-1[1]", "4", 0, "+420777", "AT+CPBW=9,+420777,,B4-1\r\n"},
        // Nothing is checked beyond the position: an empty memory number writes M-3.
        {true, "", "", 2, "", "AT+CPBW=,,,M-3\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        auto& page = c.memoPage ? memo() : button();
        Tree& sel = c.memoPage ? form().TreeMemoSel : form().TreeButtonsSel;
        lines(sel, {});
        if (*c.selected) {
            lines(sel, {c.selected});
            sel.select(0);
        }
        page.Number.setText(c.number);
        page.Pos.setItemIndex(c.positionItem);
        page.PNumber.setText(c.phone);
        st().RefreshAfterWrite = false;
        click(page.Write);
        EXPECT_EQ(sent().back(), c.expected);
        EXPECT_TRUE(st().RefreshAfterWrite);
    }
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(MemoriesCore, DeletesTakeTheLineOfTheirOwnTree) {
    lines(form().TreeMemo, {"17:M12-3[555]", "18:M13-1[6]"});
    lines(form().TreeMemoSel, {"17:M12-3[555]"});
    form().TreeMemo.select(1);
    form().TreeMemoSel.select(0);
    click(memo().Del);
    EXPECT_EQ(sent().back(), "AT+CPBW=18\r\n");
    click(memo().DelSel);
    EXPECT_EQ(sent().back(), "AT+CPBW=17\r\n");

    // Nothing picked: nothing is sent, and the next "OK" still reads the SIM again.
    lines(form().TreeButtons, {"5:B4-1[1]"});
    const std::size_t before = sentCount();
    st().RefreshAfterWrite = false;
    click(button().Del);
    click(button().DelSel);
    EXPECT_EQ(sentCount(), before);
    EXPECT_TRUE(st().RefreshAfterWrite);
    form().TreeButtons.select(0);
    click(button().Del);
    EXPECT_EQ(sent().back(), "AT+CPBW=5\r\n");
}

TEST_F(MemoriesCore, APickedEntryFillsTheFields) {
    lines(form().TreeMemoSel, {"17:M12-3[555]", "18:M12-9[556]", "19:M12-x[557]"});
    pick(form().TreeMemoSel, "17:M12-3[555]");
    EXPECT_EQ(memo().Number.text(), "12");
    EXPECT_EQ(memo().Pos.itemIndex(), 2);
    EXPECT_EQ(memo().Pos.text(), "3");
    EXPECT_EQ(memo().PNumber.text(), "555");
    EXPECT_EQ(memo().LabelName.caption(), "(M12-3)");
    EXPECT_TRUE(dialogs.errors.empty());

    // A stored position the list does not offer is shown as it stands, and not written.
    for (const char* line : {"18:M12-9[556]", "19:M12-x[557]"}) {
        SCOPED_TRACE(line);
        pick(form().TreeMemoSel, line);
        EXPECT_EQ(memo().Pos.itemIndex(), -1);
        EXPECT_EQ(memo().Pos.text(), std::string(1, line[7]));
        EXPECT_EQ(memo().LabelName.caption(), std::string("(M12-") + line[7] + ")");
        const std::size_t before = sentCount();
        click(memo().Write);
        EXPECT_EQ(sentCount(), before);
        ASSERT_FALSE(dialogs.errors.empty());
        EXPECT_EQ(dialogs.errors.back(), "Memo 12 was not written: choose a position from 1 to 7.");
    }
}

TEST_F(MemoriesCore, EditsKeepTheirRulesAndTheLabelShowsTheName) {
    EXPECT_EQ(memo().LabelName.caption(), "M");
    EXPECT_EQ(button().LabelName.caption(), "B");
    memo().Pos.setItemIndex(4);  // no memory number yet: the label stays
    EXPECT_EQ(memo().LabelName.caption(), "M");
    type(memo().Number, "12a");
    EXPECT_EQ(memo().Number.text(), "12");
    EXPECT_EQ(memo().Number.caret(), 2u);
    EXPECT_EQ(memo().LabelName.caption(), "(M12-5)");
    memo().Pos.setText("2");  // typed into the list
    EXPECT_EQ(memo().LabelName.caption(), "(M12-2)");
    type(button().PNumber, " +42a0");
    EXPECT_EQ(button().PNumber.text(), "+42");
    type(button().Number, "4");
    EXPECT_EQ(button().LabelName.caption(), "(B4-1)");
}

TEST_F(MemoriesCore, AddProposesThePositionAfterTheListedEntries) {
    struct Case {
        std::vector<std::string> listed;
        const char* proposed;
    };
    const Case cases[] = {
        {{}, "1"},
        {{"1:M12-1[1]", "3:M12-3[3]"}, "3"},  // two listed: position 3, even though 2 is free
        {{"1:M12-1[]", "2:M12-2[]", "3:M12-3[]", "4:M12-4[]", "5:M12-5[]", "6:M12-6[]"}, "7"},
        // Seven listed with a position twice: the free one.
        {{"1:M12-1[]", "2:M12-1[]", "3:M12-2[]", "4:M12-3[]", "5:M12-4[]", "6:M12-6[]", "7:M12-7[]"}, "5"},
    };
    memo().Number.setText("12");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.proposed);
        lines(form().TreeMemoSel, c.listed);
        if (!c.listed.empty()) form().TreeMemoSel.select(0);
        click(memo().Add);
        EXPECT_EQ(form().TreeMemoSel.selectedIndex(), -1);
        EXPECT_EQ(memo().Pos.text(), c.proposed);
        EXPECT_EQ(memo().LabelName.caption(), std::string("(M12-") + c.proposed + ")");
        EXPECT_EQ(memo().Number.text(), "12");
    }
    EXPECT_TRUE(dialogs.errors.empty());

    // All seven positions held: no position, a message, and a write is refused.
    st().SelectedMemoName = "M12-";
    lines(form().TreeMemoSel,
          {"1:M12-1[]", "2:M12-2[]", "3:M12-3[]", "4:M12-4[]", "5:M12-5[]", "6:M12-6[]", "7:M12-7[]"});
    click(memo().Add);
    EXPECT_EQ(memo().Pos.itemIndex(), -1);
    EXPECT_EQ(memo().Pos.text(), "");
    EXPECT_EQ(memo().LabelName.caption(), "(M12-)");
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("Memo 12 already has a number at every position"), std::string::npos);
    const std::size_t before = sentCount();
    click(memo().Write);
    EXPECT_EQ(sentCount(), before);
}

// --- Access codes -----------------------------------------------------------------------

TEST_F(MemoriesCore, CodePagesComposeTheirRules) {
    form().M0Rel2.select();
    type(form().CodeM0, "123");
    click(form().WriteCode0);
    EXPECT_EQ(sent().back(), "AT+CPBW=,2#0,,C123C\r\n");
    EXPECT_TRUE(st().RefreshAfterWrite);

    form().M1Rel1.select();
    for (CheckBox* d : {&form().Po, &form().Ut, &form().St, &form().Ct, &form().Pa}) d->setChecked(true);
    form().M1Acces.setItemIndex(5);
    form().M1SMS.setChecked(true);
    type(form().CodeM1, "55");
    click(form().WriteCode1);
    EXPECT_EQ(sent().back(), "AT+CPBW=,1#1#1111100#05#1,,C55C\r\n");

    form().FromHours.setItemIndex(8);
    form().ToHours.setItemIndex(17);
    click(form().WriteCode4);  // no relay, access "**" and no SMS as at start-up
    EXPECT_EQ(sent().back(), "AT+CPBW=,0#4#08#17#**#0,,CC\r\n");

    // Start-up texts of the lists.
    EXPECT_EQ(form().FromM2.text(), "01");
    EXPECT_EQ(form().ToD2.text(), "01");
    EXPECT_EQ(form().M3Acces.text(), "**");
    EXPECT_EQ(form().ToHours.text(), "17");
    EXPECT_EQ(form().FromHours.items().back(), "**");
    form().FromM2.setText("1");  // a typed text goes in as it stands
    form().M2Rel2.select();
    click(form().WriteCode2);
    EXPECT_EQ(sent().back(), "AT+CPBW=,2#2#101#0101#0,,CC\r\n");

    // A selected code written from another page is replaced there with that page's mode.
    lines(form().TreeCode, {"9:C5678C[1#1#1111100#12#0]"});
    pick(form().TreeCode, "9:C5678C[1#1#1111100#12#0]");
    EXPECT_EQ(form().ModeCode.activeIndex(), 1);
    type(form().CodeM3, "5678");
    form().M3Rel1.select();
    form().FromM3.setItemIndex(12);
    form().FromD3.setItemIndex(24);
    click(form().WriteCode3);
    EXPECT_EQ(sent().back(), "AT+CPBW=9,1#3#1224#**#0,,C5678C\r\n");

    click(form().AddCode);
    EXPECT_EQ(form().TreeCode.selectedIndex(), -1);
    click(form().WriteCode3);
    EXPECT_EQ(sent().back(), "AT+CPBW=,1#3#1224#**#0,,C5678C\r\n");
}

TEST_F(MemoriesCore, ClickingACodeShowsItOnThePageOfItsMode) {
    const std::string hours = "9:C4711C[1#4#**#17#03#1]";
    const std::string dates = "5:C9C[2#2#0101#1229#0]";
    const std::string weekly = "4:C5678C[1#1#1010101#**#1]";
    const std::string odd = "6:C77C[0#3#1300#07#1]";
    lines(form().TreeCode, {hours, dates, weekly, odd});

    pick(form().TreeCode, hours);
    EXPECT_EQ(form().ModeCode.activeIndex(), 4);
    EXPECT_EQ(form().CodeM4.text(), "4711");
    EXPECT_EQ(form().LabelCodeM4.caption(), "(C4711C)");
    EXPECT_TRUE(form().M4Rel1.checked());
    EXPECT_EQ(form().FromHours.itemIndex(), 24);  // "**", not "00"
    EXPECT_EQ(form().ToHours.text(), "17");
    EXPECT_EQ(form().M4Acces.itemIndex(), 3);
    EXPECT_TRUE(form().M4SMS.checked());

    pick(form().TreeCode, dates);
    EXPECT_EQ(form().ModeCode.activeIndex(), 2);
    EXPECT_TRUE(form().M2Rel2.checked());
    EXPECT_EQ(form().FromM2.text(), "01");
    EXPECT_EQ(form().FromD2.text(), "01");
    EXPECT_EQ(form().ToM2.text(), "12");
    EXPECT_EQ(form().ToD2.text(), "29");
    EXPECT_FALSE(form().M2SMS.checked());

    pick(form().TreeCode, weekly);
    std::string days;
    for (CheckBox* d : {&form().Po, &form().Ut, &form().St, &form().Ct, &form().Pa, &form().So, &form().Ne})
        days += d->checked() ? '1' : '0';
    EXPECT_EQ(days, "1010101");
    EXPECT_EQ(form().M1Acces.text(), "**");

    // Relay "0" leaves the relay buttons; a month the list lacks and "00" show as stored.
    form().M3Rel2.select();
    pick(form().TreeCode, odd);
    EXPECT_TRUE(form().M3Rel2.checked());
    EXPECT_EQ(form().FromM3.text(), "13");
    EXPECT_EQ(form().FromD3.text(), "00");
    EXPECT_EQ(form().M3Acces.text(), "07");
    click(form().WriteCode3);
    EXPECT_EQ(sent().back(), "AT+CPBW=6,2#3#1300#07#1,,C77C\r\n");  // kept, apart from the relay chosen
    EXPECT_TRUE(dialogs.errors.empty());

    // The other pages kept their values.
    EXPECT_EQ(form().CodeM4.text(), "4711");
}

TEST_F(MemoriesCore, UnknownModesAndGarbledRules) {
    lines(form().TreeCode, {"9:C1C[1#7#08#17#**#1]", "8:C2C[1#4#x8#17#**#1]", "7:C3C[1#z]"});
    form().CodeM4.setText("44");
    pick(form().TreeCode, "9:C1C[1#7#08#17#**#1]");
    EXPECT_EQ(form().ModeCode.activeIndex(), 7);  // no page
    EXPECT_EQ(form().CodeM4.text(), "44");
    EXPECT_TRUE(dialogs.errors.empty());

    // A field that is no number: a message; what was decoded before it stays.
    pick(form().TreeCode, "8:C2C[1#4#x8#17#**#1]");
    EXPECT_EQ(form().CodeM4.text(), "2");
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0],
              "The code 8:C2C[1#4#x8#17#**#1] cannot be shown in full: 'x8' is not a valid integer value.");
    pick(form().TreeCode, "7:C3C[1#z]");
    EXPECT_EQ(dialogs.errors.size(), 2u);
    EXPECT_EQ(form().ModeCode.activeIndex(), 4);
}

TEST_F(MemoriesCore, CodeEditsTakeDigitsOnly) {
    type(form().CodeM2, "12a3");
    EXPECT_EQ(form().CodeM2.text(), "12");
    EXPECT_EQ(form().LabelCodeM2.caption(), "(C12C)");
    type(form().CodeM0, "1234567890123456789");
    EXPECT_EQ(form().CodeM0.text(), "123456789012345");
}

TEST_F(MemoriesCore, DeletingACode) {
    lines(form().TreeCode, {"9:C4711C[1#0]"});
    const std::size_t before = sentCount();
    click(form().DelCode);
    EXPECT_EQ(sentCount(), before);
    EXPECT_TRUE(st().RefreshAfterWrite);
    pick(form().TreeCode, "9:C4711C[1#0]");
    click(form().DelCode);
    EXPECT_EQ(sent().back(), "AT+CPBW=9\r\n");
}

// --- Button detection -------------------------------------------------------------------

TEST_F(MemoriesCore, TickingWritesTheDetectEntryThenReads) {
    lines(form().TreeMemoSel, {"3:M1-1[3]"});
    lines(form().TreeMemo, {"3:M1-1[3]"});
    form().PhoneBook1.setRows({{"X", "1"}});
    st().PhoneBookReload = false;
    const std::size_t before = sentCount();
    const auto t0 = clock.nowMs();
    form().DetBut.setChecked(true);  // the user's tick
    ASSERT_EQ(sentCount(), before + 1);
    EXPECT_EQ(sent().back(), "AT+CPBW=,1,,DETECT\r\n");
    clock.advance(499);
    EXPECT_EQ(sentCount(), before + 1);
    clock.advance(1);
    ASSERT_EQ(sentCount(), before + 2);
    EXPECT_EQ(lastSent().bytes, "AT#SPN\r\n");
    EXPECT_EQ(lastSent().atMs - t0, 500);
    EXPECT_FALSE(st().RefreshAfterWrite);
    EXPECT_TRUE(st().PhoneBookReload);
    EXPECT_TRUE(form().PhoneBook1.rows().empty());
    EXPECT_TRUE(form().TreeMemo.nodes().empty());
    EXPECT_EQ(form().TreeMemoSel.nodes().size(), 1u);  // emptied by the read's first entry

    // The read lists the entry: the box shows it, and nothing more is sent.
    rx("OK");
    rx("+CPBR: 40,\"1\",129,\"DETECT\"");
    EXPECT_EQ(st().DetectEntry, "40:DETECT[1]");
    EXPECT_TRUE(monitorHas("40:DETECT[1]"));
    EXPECT_TRUE(form().DetBut.checked());
    // At a new location after a save: followed, still nothing sent.
    read({{12, "1", "DETECT"}});
    EXPECT_EQ(st().DetectEntry, "12:DETECT[1]");
    EXPECT_EQ(sentCount(), before + 2);
    EXPECT_EQ(form().TreeMemoSel.nodes().size(), 0u);
}

TEST_F(MemoriesCore, ReadsShowDetectionWithoutSwitchingIt) {
    read({{7, "0", "DETECT"}});
    EXPECT_FALSE(form().DetBut.checked());
    EXPECT_EQ(st().DetectEntry, "");
    EXPECT_FALSE(monitorHas("7:DETECT[0]"));
    const std::size_t before = sentCount();
    read({{8, "1", "DETECT"}});
    EXPECT_TRUE(form().DetBut.checked());
    clock.advance(1000);
    EXPECT_EQ(sentCount(), before);  // the read's tick is no click
}

TEST_F(MemoriesCore, ClearingDeletesOnlyWhereTheLatestReadFoundTheEntry) {
    struct Case {
        const char* name;
        std::vector<std::tuple<int, std::string, std::string>> laterRead;  // after the read that found it
        bool readEnds;
        const char* deleteSent;  // "" when no delete may go out
    };
    const Case cases[] = {
        {"confirmed", {}, true, "AT+CPBW=40\r\n"},
        // A read under way that has not reached the entry yet confirms nothing.
        {"read under way", {{2, "5", "Caretaker"}}, false, ""},
        // A read of fixed entries only (the detect entry gone) confirms nothing either.
        {"fixed entries only", {{1, "600001", "ADMIN1"}}, true, ""},
        {"found again elsewhere", {{2, "5", "Caretaker"}, {41, "1", "DETECT"}}, true, "AT+CPBW=41\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form().DetBut.setChecked(false);
        clock.advance(1000);
        read({{40, "1", "DETECT"}});
        ASSERT_TRUE(form().DetBut.checked());
        if (!c.laterRead.empty()) {
            st().PhoneBookReload = true;
            for (const auto& [location, number, name] : c.laterRead) list(location, number, name);
            if (c.readEnds) rx("OK");
        }
        const std::size_t before = sentCount();
        form().DetBut.setChecked(false);  // the user clears the box
        clock.advance(500);
        std::vector<std::string> expected;
        if (*c.deleteSent) expected.push_back(c.deleteSent);
        expected.push_back("AT#SPN\r\n");
        EXPECT_EQ(sentFrom(before), expected);
        EXPECT_EQ(st().DetectEntry, "");
        if (!*c.deleteSent) {
            EXPECT_TRUE(monitorHas(
                "Button detection: no read has confirmed where the detect entry is; the SIM is read again."));
        }
    }
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(MemoriesCore, ATickWaitingBehindASaveIsNotCarriedOut) {
    st().WriteActive = true;
    const std::size_t before = sentCount();
    form().DetBut.setChecked(true);
    clock.advance(1000);
    EXPECT_EQ(sentCount(), before);
    EXPECT_FALSE(form().DetBut.checked());
}

// --- Writes that go wrong ---------------------------------------------------------------

TEST_F(MemoriesCore, AnAnsweredWriteReadsTheSimOnce) {
    type(form().CodeM0, "123");
    click(form().WriteCode0);
    rx("OK");
    clock.advance(200);
    EXPECT_EQ(sent().back(), "AT#SPN\r\n");
    rx("#SPN: Simnet");
    rx("OK");
    clock.advance(20000);
    const auto all = sent();
    EXPECT_EQ(std::count(all.begin(), all.end(), "AT#SPN\r\n"), 1);
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(MemoriesCore, ARefusedWriteIsNamedAndTheSimReadAtOnce) {
    struct Case {
        const char* name;
        std::function<void(MemoriesCore&)> write;
        const char* message;
    };
    const Case cases[] = {
        {"code",
         [](MemoriesCore& f) {
             f.type(f.form().CodeM0, "123");
             f.click(f.form().WriteCode0);
         },
         "Code 123 (C123C) was not stored: the unit answered ERROR. The SIM is read again to show what it "
         "holds."},
        {"memo",
         [](MemoriesCore& f) {
             f.memo().Number.setText("12");
             f.memo().Pos.setItemIndex(2);
             f.click(f.memo().Write);
         },
         "Memo 12, position 3 (M12-3) was not stored: the unit answered ERROR. The SIM is read again to show "
         "what it holds."},
        {"button delete",
         [](MemoriesCore& f) {
             f.lines(f.form().TreeButtons, {"5:B4-1[1]"});
             f.form().TreeButtons.select(0);
             f.click(f.button().Del);
         },
         "Button 4, position 1 (B4-1) was not deleted: the unit answered +CME ERROR: 20. The SIM is read "
         "again "
         "to show what it holds."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.errors.clear();
        c.write(*this);
        ASSERT_TRUE(st().RefreshAfterWrite);
        lines(form().TreeCode, {"1:C1C[1#0]"});
        const std::size_t before = sentCount();
        rx(std::string(c.name) == "button delete" ? "+CME ERROR: 20" : "ERROR");
        ASSERT_EQ(dialogs.errors.size(), 1u);
        EXPECT_EQ(dialogs.errors[0], c.message);
        EXPECT_TRUE(monitorHas(c.message));
        EXPECT_TRUE(form().TreeCode.nodes().empty());
        EXPECT_FALSE(st().RefreshAfterWrite);
        clock.advance(200);
        EXPECT_EQ(sentFrom(before), std::vector<std::string>{"AT#SPN\r\n"});
        // The read's own answers start nothing more.
        rx("#SPN: Simnet");
        rx("OK");
        clock.advance(20000);
        EXPECT_EQ(sentFrom(before), std::vector<std::string>{"AT#SPN\r\n"});
        EXPECT_EQ(dialogs.errors.size(), 1u);
    }
    // An "ERROR" with no write waiting is only logged.
    rx("ERROR");
    EXPECT_EQ(dialogs.errors.size(), 1u);
}

TEST_F(MemoriesCore, AnUnansweredWriteIsNamedAfterTheWait) {
    memo().Number.setText("12");
    click(memo().Write);
    lines(form().TreeCode, {"1:C1C[1#0]"});
    const std::size_t before = sentCount();
    clock.advance(9999);
    EXPECT_TRUE(dialogs.errors.empty());
    clock.advance(1);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(
        dialogs.errors[0],
        "Memo 12, position 1 (M12-1) may not be stored: the unit did not answer within 10 seconds. The SIM "
        "is read again to show what it holds.");
    EXPECT_TRUE(form().TreeCode.nodes().empty());
    clock.advance(200);
    EXPECT_EQ(sentFrom(before), std::vector<std::string>{"AT#SPN\r\n"});
    // A late "OK" starts no second read.
    rx("OK");
    clock.advance(1000);
    EXPECT_EQ(sentFrom(before), std::vector<std::string>{"AT#SPN\r\n"});
}

TEST_F(MemoriesCore, ARefusedDetectWriteClearsTheBoxAgain) {
    form().DetBut.setChecked(true);
    clock.advance(500);
    const std::size_t before = sentCount();
    rx("ERROR");
    EXPECT_FALSE(form().DetBut.checked());
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0],
              "The detect entry (button detection on) was not stored: the unit answered ERROR.");
    clock.advance(1000);
    EXPECT_EQ(sentCount(), before);  // the read the box started is under way already
}

TEST_F(MemoriesCore, NothingWaitsOnceTheWindowCloses) {
    type(form().CodeM0, "1");
    click(form().WriteCode0);
    core->FormClose();
    const std::size_t before = sentCount();
    clock.advance(60000);
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(sentCount(), before);
    EXPECT_EQ(clock.pendingTimers(), 0u);
}

TEST_F(MemoriesCore, PageButtonsAreDeadWhileTheirPageIsLocked) {
    const std::size_t before = sentCount();
    form().Buttons.setEnabled(false);  // a save locks the Buttons page
    button().Write.onClick();
    EXPECT_EQ(sentCount(), before);
}
