#pragma once
// Access-code rules: the text a code entry keeps in its number field, composed from the
// fields of one of five modes, and the fields read back from a code's tree line. Pure
// functions, no state.
//
//   mode 0   r "#0"
//   mode 1   r "#1#" seven weekday digits (Monday first) "#" access "#" s
//   mode 2   r "#2#" from month, from day "#" to month, to day "#" s
//   mode 3   r "#3#" from month, from day "#" access "#" s
//   mode 4   r "#4#" from hour "#" to hour "#" access "#" s
//
// r is the relay digit ("0", "1", "2"), s the SMS flag ("0", "1"); every other field is
// two characters, "**" or two digits.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace dorive {

struct CodeRuleFields {
    int relay = 0;                   // 1 x relay 1 + 2 x relay 2
    std::array<bool, 7> days{};      // Monday to Sunday (mode 1)
    std::string access = "**";       // modes 1, 3, 4
    std::string fromMonth, fromDay;  // modes 2, 3
    std::string toMonth, toDay;      // mode 2
    std::string fromHour, toHour;    // mode 4
    bool sms = false;                // modes 1 to 4
};

// The rule of `mode` (0 to 4); the texts go in as they stand.
std::string composeCodeRule(int mode, const CodeRuleFields& fields);

// The mode of a code line: the one character after its first "#", as an integer.
// Throws ConversionError when that is not a digit (or there is none).
int codeLineMode(std::string_view line);

// The texts of a code line, counted from its "C[" (the end of the name).
struct CodeLineFields {
    std::string code;   // between ":C" and "C["
    char relay = '\0';  // the rule's first character
    std::string days;   // mode 1: the seven weekday characters
    // The two-character list fields in the order of the page's lists:
    // mode 1 access; mode 2 from month, from day, to month, to day;
    // mode 3 from month, from day, access; mode 4 from hour, to hour, access.
    std::vector<std::string> lists;
    char sms = '\0';  // the character before the line's last one (modes 1 to 4)
};
CodeLineFields codeLineFields(std::string_view line, int mode);

// The item a two-character list field selects. "**" is `starItem`; a number n selects item
// n when that item is n in two digits. -1 when no item shows the text (the list then shows
// the text as it stands). Throws ConversionError for a text that is neither.
int listItemFor(std::string_view text, const std::vector<std::string>& items, int starItem);

}  // namespace dorive
