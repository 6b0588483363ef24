#include "params/edit_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/form.h"

namespace dorive {
namespace {

struct RuleCase {
    std::string in;
    std::string out;
};

std::string digits(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += char('0' + (i + 1) % 10);
    return s;
}

void checkTable(std::string (*rule)(std::string_view), const std::vector<RuleCase>& cases) {
    for (const RuleCase& c : cases) EXPECT_EQ(rule(c.in), c.out) << "input '" << c.in << "'";
}

TEST(EditRules, FilterPhoneNumber) {
    checkTable(FilterPhoneNumber, {
                                      {"+12 345", "+12"},
                                      {"*#21#", "*#21#"},
                                      {"a", "a"},  // a single character is never filtered
                                      {" x\t", "x"},
                                      {"a1", ""},
                                      {"12ab34", "12"},
                                      {"1", "1"},
                                      {"", ""},
                                      {"   ", ""},
                                      {std::string("\0\x01 12\r\n", 7), "12"},
                                      {"12\xE9"
                                       "3",
                                       "12"},  // bytes above 127 are not digits
                                      {"\xB2", "\xB2"},
                                      {"\x7F"
                                       "12",
                                       ""},  // code 127 is not trimmed
                                      {digits(20), digits(20)},
                                      {digits(21), digits(20)},
                                      {digits(25), digits(20)},
                                      {"+" + digits(22), "+" + digits(19)},
                                  });
}

TEST(EditRules, FilterDigits) {
    checkTable(FilterDigits, {
                                 {"12a3", "12"},
                                 {"a", ""},
                                 {"+1", ""},
                                 {" 7 ", "7"},
                                 {"", ""},
                                 {"\t\n", ""},
                                 {"1\xB9", "1"},
                                 {digits(15), digits(15)},
                                 {digits(16), digits(15)},
                                 {digits(20), digits(15)},
                             });
}

TEST(EditRules, NormalizeRelayCode) {
    checkTable(NormalizeRelayCode, {
                                       {"57", "7"},
                                       {"5", "5"},
                                       {"#", "0"},
                                       {"x", "0"},
                                       {"\xB3", "0"},
                                       {" 3 ", "3"},
                                       {"12x9", "2"},
                                       {"0", "0"},
                                   });
}

TEST(EditRules, NormalizeRelayTime) {
    checkTable(NormalizeRelayTime, {
                                       {"035", "35"},
                                       {"030", "30"},
                                       {"00", "01"},
                                       {"0", "01"},
                                       {"100", "01"},
                                       {"x", "01"},
                                       {"x3", "01"},
                                       {"3x", "03"},
                                       {"7", "07"},
                                       {"1234", "34"},
                                       {" 9\n", "09"},
                                       {"99", "99"},
                                       {"4\xB5", "04"},
                                   });
}

TEST(EditRules, RelayRulesRejectBlankText) {
    for (auto rule : {NormalizeRelayCode, NormalizeRelayTime}) {
        for (std::string blank :
             {std::string(), std::string("  "), std::string("\t\r\n"), std::string(1, '\0')}) {
            EXPECT_THROW(rule(blank), ConversionError);
        }
    }
    try {
        NormalizeRelayCode(" ");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "The switching code must be a digit (0-9).");
    }
    try {
        NormalizeRelayTime("");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "The switching time must be two digits from 01 to 99.");
    }
}

class WiredEdits : public ::testing::Test {
  protected:
    WiredEdits() { wireEditRules(form); }
    Form form;
};

TEST_F(WiredEdits, EveryPhoneNumberEditIsGuarded) {
    for (auto* edits : {&form.ADMIN, &form.ABUTTON, &form.AABUTTON, &form.BBUTTON}) {
        for (Edit& e : *edits) {
            e.setText("+1 2");
            EXPECT_EQ(e.text(), "+1") << e.name();
            e.setText("");
        }
    }
}

TEST_F(WiredEdits, TypingFiltersAndPutsCaretAtEnd) {
    Edit& admin = form.ADMIN[0];
    admin.userEdit("a", 1);
    EXPECT_EQ(admin.text(), "a");
    admin.userEdit("a1", 2);
    EXPECT_EQ(admin.text(), "");

    admin.userEdit("12x45", 3);
    EXPECT_EQ(admin.text(), "12");
    EXPECT_EQ(admin.caret(), 2u);

    // Even an unchanged result moves the caret to the end.
    admin.userEdit("1234", 1);
    EXPECT_EQ(admin.text(), "1234");
    EXPECT_EQ(admin.caret(), 4u);

    form.BBUTTON[2].setText(digits(25));
    EXPECT_EQ(form.BBUTTON[2].text(), digits(20));
    EXPECT_EQ(form.BBUTTON[2].caret(), 20u);
    EXPECT_EQ(form.ABUTTON[2].text(), "");
}

TEST_F(WiredEdits, ButtonANumbersAreMirroredAtTheSameIndex) {
    for (std::size_t i = 0; i < 7; ++i) {
        std::string number = "12" + std::to_string(i);
        form.ABUTTON[i].userEdit(number, number.size());
        EXPECT_EQ(form.AABUTTON[i].text(), number);
        form.AABUTTON[i].userEdit(number + "a9", number.size() + 2);
        EXPECT_EQ(form.AABUTTON[i].text(), number);
        EXPECT_EQ(form.ABUTTON[i].text(), number);
        form.AABUTTON[i].userEdit("", 0);
        EXPECT_EQ(form.ABUTTON[i].text(), "");
    }
    for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(form.BBUTTON[i].text(), "");
}

TEST_F(WiredEdits, RelayFieldsKeepTheLastDigitsTyped) {
    for (RelayControls* r : {&form.Relay1, &form.Relay2}) {
        r->RelCode.userEdit(r->RelCode.text() + "7", 2);
        EXPECT_EQ(r->RelCode.text(), "7");
        EXPECT_EQ(r->RelCode.caret(), 1u);
        r->RelCode.userEdit("#", 1);
        EXPECT_EQ(r->RelCode.text(), "0");

        r->RelTime.userEdit("035", 3);
        EXPECT_EQ(r->RelTime.text(), "35");
        r->RelTime.userEdit("350", 3);
        EXPECT_EQ(r->RelTime.text(), "50");
        r->RelTime.userEdit("00", 2);
        EXPECT_EQ(r->RelTime.text(), "01");
        r->RelTime.userEdit("7", 1);
        EXPECT_EQ(r->RelTime.text(), "07");
    }
}

TEST_F(WiredEdits, EmptiedRelayFieldReportsAndStaysAsLeft) {
    Edit& code = form.Relay1.RelCode;
    EXPECT_THROW(code.userEdit("", 0), ConversionError);
    EXPECT_EQ(code.text(), "");
    code.userEdit("4", 1);
    EXPECT_EQ(code.text(), "4");

    Edit& time = form.Relay2.RelTime;
    EXPECT_THROW(time.userEdit("  ", 2), ConversionError);
    EXPECT_EQ(time.text(), "  ");
    time.userEdit("  5", 3);
    EXPECT_EQ(time.text(), "05");
}

TEST_F(WiredEdits, UnguardedEditsTakeAnyText) {
    form.ALARMON.setText(" Door, \"open\" ");
    EXPECT_EQ(form.ALARMON.text(), " Door, \"open\" ");
}

}  // namespace
}  // namespace dorive
