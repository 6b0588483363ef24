#pragma once
// The SIM entries with fixed names that hold the unit's settings.
#include <string>
#include <string_view>
#include <vector>

namespace dorive {
struct Form;
struct State;
class Edit;

// One phone-book entry as the save writes it.
struct SimEntry {
    std::string name;
    std::string number;
    bool operator==(const SimEntry&) const = default;
};

struct FixedEntry {
    enum class Kind { Field, Record, Version };
    std::string_view name;
    Kind kind;
};

// Every fixed entry: ADMIN1..7, ABUTTON1..7, BBUTTON1..7, ALARMON, ALARMOFF, PARZEP, PARRL1,
// PARRL2, PARKEY in the order a save writes them, then VER (read, never written).
const std::vector<FixedEntry>& fixedEntries();

bool isFixedEntryName(std::string_view name);

// The edit a field entry fills, or nullptr for any other name.
Edit* fixedEntryEdit(Form& form, std::string_view name);
const Edit* fixedEntryEdit(const Form& form, std::string_view name);
// The record text a record entry fills, or nullptr for any other name.
std::string* fixedEntryRecord(State& state, std::string_view name);
const std::string* fixedEntryRecord(const State& state, std::string_view name);

// Applies one listed entry to its field or record when its name is a fixed entry name and
// returns true; returns false for every other name (DETECT included). For VER only the
// tone boxes are handled here; the status bar is the reply handling's.
bool applyFixedEntry(Form& form, State& state, const std::string& name, const std::string& number);

// The 27 write steps in order, each with the number to write (possibly empty).
std::vector<SimEntry> fixedWriteEntries(const Form& form, const State& state);

}  // namespace dorive
