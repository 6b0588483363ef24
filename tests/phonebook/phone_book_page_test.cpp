// The phone book page's editor, buttons and Find, through the list's user actions as the
// window delivers them; and the save to the unit taking its rows from the list.
#include "phonebook/phone_book_page.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "support/device_fixture.h"

namespace dorive {
static void PrintTo(const PhoneBookList::Row& r, std::ostream* os) {
    *os << '{' << r.name << '|' << r.number << '}';
}
namespace {

using Row = PhoneBookList::Row;
using Rows = std::vector<Row>;
using Key = PhoneBookList::Key;

struct Select {
    std::size_t row;
};
struct EditCell {
    std::size_t row;
    int column;
    std::string text;
};
struct Click {
    Button Form::*button;
};
using Action = std::variant<Key, Select, EditCell, Click>;

struct PhoneBookPageTest : test::DeviceFixture {
    PhoneBookList& list() { return form().PhoneBook1; }
    void act(const Action& a) {
        if (auto* k = std::get_if<Key>(&a)) list().userKey(*k);
        if (auto* s = std::get_if<Select>(&a)) list().userSelect(s->row);
        if (auto* e = std::get_if<EditCell>(&a)) list().userCellEdit(e->row, e->column, e->text);
        if (auto* c = std::get_if<Click>(&a)) (form().*(c->button)).click();
    }
};

const Rows kABC = {{"Anna", "1"}, {"Bob", "2"}, {"Cyril", "3"}};

TEST_F(PhoneBookPageTest, EditorKeysAndButtons) {
    struct Case {
        const char* what;
        Rows rows;
        std::size_t current;
        std::vector<Action> actions;
        Rows expected;
        std::size_t expectedCurrent;
        std::size_t errors = 0;
    };
    const Click lineIn{&Form::LineIn}, lineDel{&Form::LineDel};
    const std::vector<Case> cases = {
        {"Insert on a named row inserts an empty row above it",
         kABC,
         2,
         {Key::Insert},
         {{"Anna", "1"}, {}, {"Bob", "2"}, {"Cyril", "3"}},
         2},
        {"Insert on a row without name does nothing", {{"", "9"}}, 1, {Key::Insert}, {{"", "9"}}, 1},
        {"Insert on the blank row of an empty list does nothing", {}, 1, {Key::Insert}, {}, 1},
        {"Down on the last named row appends",
         kABC,
         3,
         {Key::Down},
         {{"Anna", "1"}, {"Bob", "2"}, {"Cyril", "3"}, {}},
         4},
        {"Down on the last row without name does nothing",
         {{"Anna", "1"}, {"", "2"}},
         2,
         {Key::Down},
         {{"Anna", "1"}, {"", "2"}},
         2},
        {"Down inside the list only moves", kABC, 1, {Key::Down}, kABC, 2},
        {"a row left empty goes when the selection moves", kABC, 2, {Key::Insert, Select{4}}, kABC, 3},
        {"an appended row left empty goes on Up", kABC, 3, {Key::Down, Key::Up}, kABC, 3},
        {"a filled new row stays",
         kABC,
         3,
         {Key::Down, EditCell{4, 0, "Dan"}, EditCell{4, 1, "4"}, Select{1}},
         {{"Anna", "1"}, {"Bob", "2"}, {"Cyril", "3"}, {"Dan", "4"}},
         1},
        {"Ctrl+Delete deletes the current row", kABC, 2, {Key::Delete}, {{"Anna", "1"}, {"Cyril", "3"}}, 2},
        {"Ctrl+Delete on the last row moves up", kABC, 3, {Key::Delete}, {{"Anna", "1"}, {"Bob", "2"}}, 2},
        {"Ctrl+Delete with no rows says so", {}, 1, {Key::Delete}, {}, 1, 1},
        {"Escape undoes the edit of the current row",
         kABC,
         2,
         {EditCell{2, 0, "Bobby"}, EditCell{2, 1, "22"}, Key::Escape},
         kABC,
         2},
        {"Escape after moving on keeps the edit",
         kABC,
         2,
         {EditCell{2, 1, "22"}, Select{1}, Key::Escape},
         {{"Anna", "1"}, {"Bob", "22"}, {"Cyril", "3"}},
         1},
        {"Escape removes a row just inserted",
         kABC,
         2,
         {Key::Insert, EditCell{2, 0, "New"}, Key::Escape},
         kABC,
         2},
        {"typing into the blank row of an empty list makes a row",
         {},
         1,
         {EditCell{1, 0, "Anna"}},
         {{"Anna", ""}},
         1},
        {"editing another row makes it current",
         kABC,
         1,
         {EditCell{3, 1, "33"}},
         {{"Anna", "1"}, {"Bob", "2"}, {"Cyril", "33"}},
         3},
        {"a name with = is refused and keeps its name", kABC, 1, {EditCell{1, 0, "A=B"}}, kABC, 1, 1},
        {"a number may hold =",
         kABC,
         1,
         {EditCell{1, 1, "1=2"}},
         {{"Anna", "1=2"}, {"Bob", "2"}, {"Cyril", "3"}},
         1},
        {"Insert Line works on a row without name", {{"", "9"}}, 1, {lineIn}, {{}, {"", "9"}}, 1},
        {"Insert Line on an empty row does nothing",
         {{"Anna", "1"}, {}},
         2,
         {lineIn},
         {{"Anna", "1"}, {}},
         2},
        {"Delete Line on the last row moves up", kABC, 3, {lineDel}, {{"Anna", "1"}, {"Bob", "2"}}, 2},
        {"Delete Line with no rows says so", {}, 1, {lineDel}, {}, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list().setRows(c.rows);
        list().setCurrent(c.current);
        dialogs.errors.clear();
        for (const Action& a : c.actions) act(a);
        EXPECT_EQ(list().rows(), c.expected);
        EXPECT_EQ(list().current(), c.expectedCurrent);
        EXPECT_EQ(dialogs.errors.size(), c.errors);
    }
}

TEST_F(PhoneBookPageTest, FindComparesWholeNamesWithoutCase) {
    struct Case {
        std::string find;
        std::size_t expectedCurrent;  // 0: no row found, nothing changes
    };
    const Rows rows = {{"GATE", "1"}, {"", "2"}, {"\xC9lise", "3"}, {"gate", "4"}, {"Gatekeeper", "5"}};
    for (const Case& c : std::vector<Case>{{"gate", 1},
                                           {"Gatekeeper", 5},
                                           {"\xE9LISE", 3},  // é and É of the single-byte code page
                                           {"", 2},
                                           {"gat", 0},
                                           {"nobody", 0}}) {
        SCOPED_TRACE(c.find);
        list().setRows(rows);
        list().setCurrent(4);
        const int focus = list().focusRequests();
        form().FindN.setText(c.find);
        form().Find.click();
        EXPECT_EQ(list().current(), c.expectedCurrent ? c.expectedCurrent : 4);
        EXPECT_EQ(list().focusRequests(), focus + (c.expectedCurrent ? 1 : 0));
        EXPECT_EQ(list().rows(), rows);
    }
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(PhoneBookPageTest, NothingChangesWhileTheUnitIsWritten) {
    list().setRows(kABC);
    form().PhoneBook.setEnabled(false);  // as during a save to the unit
    for (const Action& a : std::vector<Action>{Key::Delete, Key::Down, EditCell{1, 0, "X"},
                                               Click{&Form::LineDel}, Click{&Form::ImportCSV}})
        act(a);
    EXPECT_EQ(list().rows(), kABC);
    EXPECT_TRUE(dialogs.errors.empty());
}

// The save to the unit writes the list's rows, as the editor left them, after the 27 fixed
// entries; rows without name or number take a step but write nothing; an empty list still
// takes one step for its blank row.
TEST_F(PhoneBookPageTest, SaveToUnitTakesItsRowsFromTheList) {
    struct Case {
        Rows rows;
        std::vector<std::string> rowSteps;  // what each row's step sent
    };
    const std::vector<Case> cases = {
        {{{"Anna", "111"},
          {"Empty", ""},
          {"\xC8"
           "ech",
           "+420\xA7"},
          {"", "5"}},
         {"AT+CPBW=28,111,,Anna\r\n", "AT\r\n",
          "AT+CPBW=29,+420\xA7,,\xC8"
          "ech\r\n",
          "AT\r\n"}},
        {{}, {"AT\r\n"}},
    };
    for (const Case& c : cases) {
        fillFixedEntries();
        list().setRows(c.rows);
        st().SimCapacity = 40;
        core->post([this] { return core->save().SaveZEPClick(); });
        const std::size_t from = sentCount();
        std::vector<std::string> steps;
        while (st().WriteActive) {
            rx("OK");
            clock.advance(200);
        }
        steps = sentFrom(from);
        // 27 fixed entries, then the row steps, then the emptying of the rest.
        ASSERT_GT(steps.size(), 27 + c.rowSteps.size());
        EXPECT_EQ(std::vector<std::string>(steps.begin() + 27, steps.begin() + 27 + long(c.rowSteps.size())),
                  c.rowSteps);
        const int firstFree = 28 + int(std::count_if(c.rows.begin(), c.rows.end(), [](const Row& r) {
                                  return !r.name.empty() && !r.number.empty();
                              }));
        EXPECT_EQ(steps[27 + c.rowSteps.size()], "AT+CPBW=" + std::to_string(firstFree) + "\r\n");
    }
}

}  // namespace
}  // namespace dorive
