#pragma once
// The phone book as a spreadsheet file. Export writes UTF-8 with a byte-order mark (so that
// spreadsheets show accented names), ";" between the columns, a header row "Name;Phone" and
// CR LF line ends; the single-byte texts are decoded as Windows-1252, as the window shows
// them. Import takes that and what spreadsheets commonly write: "," or ";" separators, a
// header row or none, quoted fields, a byte-order mark, CR LF or LF, UTF-8 or Windows-1252.
#include <string>
#include <string_view>
#include <vector>

#include "form/phone_book_list.h"
#include "phonebook/entries.h"
#include "ports/dialogs.h"

namespace dorive {

std::string formatCsv(const std::vector<PhoneBookList::Row>& rows);

struct CsvImport {
    std::vector<PhoneBookList::Row> taken;  // single-byte texts, ready for the list
    std::vector<ImportReport::Refusal> refused;
    std::vector<std::string> notes;
};

// Reads a spreadsheet file and sorts its rows into those the unit can take and those it
// cannot, checking each against the limits and against the rows already in the list.
CsvImport importCsv(std::string_view bytes, const std::vector<PhoneBookList::Row>& existing,
                    const EntryLimits& limits);

}  // namespace dorive
