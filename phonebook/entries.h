#pragma once
// What the unit can store in one phone-book entry, and how names compare. The import, the
// page and anything else that checks an entry before it reaches the unit use these.
#include <string>
#include <string_view>

namespace dorive {
struct State;

struct EntryLimits {
    // Characters of a number and of a name.
    std::size_t numberCharacters = 20;
    std::size_t nameCharacters = 18;
};

// The lengths the unit's SIM takes: what the unit announced, or the usual SIM lengths while
// it has not.
EntryLimits entryLimits(const State& state);

// Why the unit cannot store this text in an entry ("a double quote", "a control character"),
// or empty when it can. Commas and semicolons can be stored: the save puts such a text in
// double quotes.
std::string unstorableCharacter(std::string_view text);

// Single-byte (Windows-1252) names compared without regard to letter case.
unsigned char foldCase(unsigned char byte);
bool sameName(std::string_view a, std::string_view b);

}  // namespace dorive
