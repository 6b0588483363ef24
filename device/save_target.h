#pragma once
// The SIM a save leaves, worked out from the pages alone. The full save writes it step by
// step and the quick save writes only where the SIM differs from it, so the two cannot leave
// different SIMs.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "params/fixed_entries.h"

namespace dorive {
struct Form;
struct State;

// One step of the full save, taken after the unit's "OK" to the one before.
struct SaveStep {
    enum class Kind {
        Skip,   // an entry without name or number: only "AT" goes out, no location is taken
        Write,  // the entry goes to the location
        Empty,  // the location is emptied
    };
    Kind kind = Kind::Skip;
    int location = 0;  // Write, Empty: the location; Skip: the location the next entry takes
    SimEntry entry;    // Write, Skip: the entry of this step
    bool operator==(const SaveStep&) const = default;
};

struct SaveTarget {
    int capacity = 0;
    // What locations 1, 2, ... hold after the save; every later location up to the capacity
    // is empty.
    std::vector<SimEntry> filled;
    // The full save's steps for the entries, in save order; the emptying of every location
    // after the filled ones follows them.
    std::vector<SaveStep> entrySteps;
    // Complete entries that find no location within the capacity.
    std::vector<SimEntry> unwritten;

    // What the location holds after the save; an empty entry for an emptied one.
    SimEntry at(int location) const;
    // The full save's steps: the entry steps, then one emptying step per later location.
    std::size_t stepCount() const;
    SaveStep step(std::size_t index) const;  // index from 0
};

// From the entries in save order and the SIM's capacity.
SaveTarget saveTarget(const std::vector<SimEntry>& entries, int capacity);
// From the pages and the known capacity: the records composed from the controls as Save
// composes them, the state left as it is.
SaveTarget saveTarget(const Form& form, const State& st);

// What a read of a location gives back once `written` is stored there: the listing line the
// unit sends, cut as a read cuts it. Empty name and number for an emptied location.
SimEntry handedBack(const SimEntry& written);

// One location of the unit's listing, in the same terms as handedBack. A number that a
// module lists without its "+" under the international type 145 is the number with "+", as
// it was written.
struct ListedLocation {
    int location = 0;  // 0: the line names no location
    SimEntry entry;
};
ListedLocation listedLocation(std::string_view line);

}  // namespace dorive
