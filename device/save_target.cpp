#include "device/save_target.h"

#include "device/save_sequence.h"
#include "form/form.h"
#include "form/state.h"
#include "params/records.h"
#include "serial/listing.h"
#include "text/text.h"

namespace dorive {

namespace {

bool complete(const SimEntry& e) {
    return !e.name.empty() && !e.number.empty();
}

}  // namespace

SimEntry SaveTarget::at(int location) const {
    if (location < 1 || std::size_t(location) > filled.size()) return {};
    return filled[std::size_t(location - 1)];
}

std::size_t SaveTarget::stepCount() const {
    const int emptied = capacity - int(filled.size());
    return entrySteps.size() + std::size_t(emptied > 0 ? emptied : 0);
}

SaveStep SaveTarget::step(std::size_t index) const {
    if (index < entrySteps.size()) return entrySteps[index];
    const int location = int(filled.size() + (index - entrySteps.size())) + 1;
    return {SaveStep::Kind::Empty, location, {}};
}

SaveTarget saveTarget(const std::vector<SimEntry>& entries, int capacity) {
    SaveTarget t;
    t.capacity = capacity;
    int next = 1;
    std::size_t i = 0;
    // Each entry takes a step while a location is left; an incomplete one takes no location.
    for (; i < entries.size() && next <= capacity; ++i) {
        const SimEntry& e = entries[i];
        if (!complete(e)) {
            t.entrySteps.push_back({SaveStep::Kind::Skip, next, e});
            continue;
        }
        t.entrySteps.push_back({SaveStep::Kind::Write, next++, e});
        t.filled.push_back(e);
    }
    for (; i < entries.size(); ++i)
        if (complete(entries[i])) t.unwritten.push_back(entries[i]);
    return t;
}

SaveTarget saveTarget(const Form& form, const State& st) {
    State built = st;
    BuildParamRecords(form, built);
    return saveTarget(saveEntries(form, built), st.SimCapacity);
}

SimEntry handedBack(const SimEntry& written) {
    if (written.name.empty() && written.number.empty()) return {};
    const char* type = written.number.starts_with('+') ? "145" : "129";
    return listedLocation("+CPBR: 1,\"" + written.number + "\"," + type + ",\"" + written.name + "\"").entry;
}

ListedLocation listedLocation(std::string_view line) {
    ListingLine cut = cutListingLine(line);
    ListedLocation out;
    if (auto n = parseInt(cut.location, false); n && *n > 0) out.location = int(*n);
    out.entry = {cut.name, cut.number};
    // The type: between the two commas that follow the quoted number.
    std::size_t q1 = line.find('"');
    std::size_t q2 = q1 == std::string_view::npos ? q1 : line.find('"', q1 + 1);
    if (q2 == std::string_view::npos) return out;
    std::size_t c1 = line.find(',', q2 + 1);
    std::size_t c2 = c1 == std::string_view::npos ? c1 : line.find(',', c1 + 1);
    if (c2 == std::string_view::npos) return out;
    if (trimSpaces(line.substr(c1 + 1, c2 - c1 - 1)) == "145" && !out.entry.number.empty() &&
        !out.entry.number.starts_with('+'))
        out.entry.number.insert(0, 1, '+');
    return out;
}

}  // namespace dorive
