#pragma once
// The SIM entries with fixed names that hold the unit's settings.
#include <string>
#include <string_view>
#include <vector>

namespace dorive {
struct Form;
struct State;

struct SimEntry {
    std::string name;
    std::string number;
    bool operator==(const SimEntry&) const = default;
};

// ADMIN1..7, ABUTTON1..7, BBUTTON1..7, ALARMON, ALARMOFF, VER, PARZEP, PARRL1, PARRL2, PARKEY.
bool isFixedEntryName(std::string_view name);

// Applies one listed entry to its field or record when its name is a fixed entry name and
// returns true; returns false for every other name (DETECT included). For VER only the
// tone boxes are handled here; the status bar is the reply handling's.
bool applyFixedEntry(Form& form, State& state, const std::string& name, const std::string& number);

// Write steps 1 to 27 in order: ADMIN1..7, ABUTTON1..7, BBUTTON1..7, ALARMON, ALARMOFF,
// PARZEP, PARRL1, PARRL2, PARKEY, each with the number to write (possibly empty).
std::vector<SimEntry> fixedWriteEntries(const Form& form, const State& state);

}  // namespace dorive
