// Code rules: composed from the fields of each mode, and read back from a code's tree line.
#include "memories/code_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/form.h"
#include "text/text.h"

using namespace dorive;

TEST(CodeRules, ComposeEveryMode) {
    CodeRuleFields weekly;
    weekly.relay = 1;
    weekly.days = {true, true, true, true, true, false, false};
    weekly.access = "05";
    weekly.sms = true;
    CodeRuleFields dates;
    dates.relay = 2;
    dates.fromMonth = "01", dates.fromDay = "01", dates.toMonth = "12", dates.toDay = "31";
    CodeRuleFields dayAccess;
    dayAccess.relay = 1;
    dayAccess.fromMonth = "12", dayAccess.fromDay = "24", dayAccess.access = "**";
    CodeRuleFields hours;
    hours.fromHour = "08", hours.toHour = "17", hours.access = "**";
    CodeRuleFields plain;
    plain.relay = 2;
    plain.sms = true;  // mode 0 has no SMS flag

    EXPECT_EQ(composeCodeRule(0, plain), "2#0");
    EXPECT_EQ(composeCodeRule(1, weekly), "1#1#1111100#05#1");
    EXPECT_EQ(composeCodeRule(2, dates), "2#2#0101#1231#0");
    EXPECT_EQ(composeCodeRule(3, dayAccess), "1#3#1224#**#0");
    EXPECT_EQ(composeCodeRule(4, hours), "0#4#08#17#**#0");
    // Texts go in as they stand, even when they shift the later fields.
    hours.fromHour = "8";
    EXPECT_EQ(composeCodeRule(4, hours), "0#4#8#17#**#0");
}

TEST(CodeRules, DecodeEveryMode) {
    struct Case {
        const char* line;
        int mode;
        CodeLineFields expected;
    };
    const Case cases[] = {
        {"3:C123C[2#0]", 0, {"123", '2', "", {}, '\0'}},
        {"4:C5678C[1#1#1111100#05#1]", 1, {"5678", '1', "1111100", {"05"}, '1'}},
        {"5:C9C[2#2#0101#1229#0]", 2, {"9", '2', "", {"01", "01", "12", "29"}, '0'}},
        {"6:C77C[0#3#1224#**#1]", 3, {"77", '0', "", {"12", "24", "**"}, '1'}},
        {"9:C4711C[1#4#**#17#03#1]", 4, {"4711", '1', "", {"**", "17", "03"}, '1'}},
        {"12:CC[1#0]", 0, {"", '1', "", {}, '\0'}},
        // Too short a rule: the fields beyond its end are empty.
        {"7:C1C[1#4#08]", 4, {"1", '1', "", {"08", "", ""}, '8'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(codeLineMode(c.line), c.mode);
        CodeLineFields f = codeLineFields(c.line, c.mode);
        EXPECT_EQ(f.code, c.expected.code);
        EXPECT_EQ(f.relay, c.expected.relay);
        EXPECT_EQ(f.days, c.expected.days);
        EXPECT_EQ(f.lists, c.expected.lists);
        EXPECT_EQ(f.sms, c.expected.sms);
    }
    EXPECT_EQ(codeLineMode("9:C4711C[1#7#08#17#**#1]"), 7);
    for (const char* bad : {"9:C1C[1#x#08]", "9:C1C[]", "9:C1C[1#"})
        EXPECT_THROW(codeLineMode(bad), ConversionError) << bad;
}

TEST(CodeRules, ListItems) {
    const auto months = Form::monthItems(), days = Form::dayItems(), access = Form::accessItems(),
               hours = Form::hourItems();
    ASSERT_EQ(months.size(), 13u);
    ASSERT_EQ(days.size(), 32u);
    ASSERT_EQ(access.size(), 100u);
    ASSERT_EQ(hours.size(), 25u);
    EXPECT_EQ(listItemFor("**", hours, 24), 24);
    EXPECT_EQ(listItemFor("**", months, 0), 0);
    EXPECT_EQ(listItemFor("00", hours, 24), 0);
    EXPECT_EQ(listItemFor("07", months, 0), 7);
    EXPECT_EQ(listItemFor("07", hours, 24), 7);
    EXPECT_EQ(listItemFor("29", days, 0), 29);
    EXPECT_EQ(days[29], "29");
    EXPECT_EQ(listItemFor("99", access, 0), 99);
    // Values no item shows: beyond the list, or "00" where item 0 is "**".
    EXPECT_EQ(listItemFor("13", months, 0), -1);
    EXPECT_EQ(listItemFor("00", months, 0), -1);
    EXPECT_EQ(listItemFor("24", hours, 24), -1);
    for (const char* bad : {"", "1x", "*"}) EXPECT_THROW(listItemFor(bad, months, 0), ConversionError) << bad;
}
