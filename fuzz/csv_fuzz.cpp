// The phone book's spreadsheet import: any bytes are imported against a small phone book;
// every row taken is one the unit can store, and the rows taken, exported and imported
// again come back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "params/fixed_entries.h"
#include "phonebook/csv.h"

using namespace dorive;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    EntryLimits limits;
    limits.numberCharacters = 1 + data[0] % 40;
    limits.nameCharacters = 1 + data[1] % 24;
    const std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::vector<PhoneBookList::Row> existing = {{"Caretaker", "+420777123456"},
                                                      {"Service", "0800123456"}};

    CsvImport first = importCsv(bytes, existing, limits);
    for (const PhoneBookList::Row& r : first.taken) {
        FUZZ_CHECK(!r.name.empty() && !r.number.empty());
        FUZZ_CHECK(r.name.size() <= limits.nameCharacters && r.number.size() <= limits.numberCharacters);
        FUZZ_CHECK(unstorableCharacter(r.name).empty() && unstorableCharacter(r.number).empty());
        FUZZ_CHECK(r.name.find('=') == std::string::npos);
        FUZZ_CHECK(!isFixedEntryName(r.name));
        for (const PhoneBookList::Row& e : existing) FUZZ_CHECK(!sameName(e.name, r.name));
    }

    // An export of what was taken imports as the same rows, with nothing refused.
    CsvImport again = importCsv(formatCsv(first.taken), {}, limits);
    if (again.taken != first.taken || !again.refused.empty()) {
        for (const auto& r : first.taken)
            std::fprintf(stderr, "taken: [%s] [%s]\n", r.name.c_str(), r.number.c_str());
        for (const auto& r : again.taken)
            std::fprintf(stderr, "again: [%s] [%s]\n", r.name.c_str(), r.number.c_str());
        for (const auto& r : again.refused) std::fprintf(stderr, "refused: %s\n", r.reason.c_str());
        FUZZ_CHECK(again.taken == first.taken && again.refused.empty());
    }
    return 0;
}
