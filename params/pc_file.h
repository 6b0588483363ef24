#pragma once
// The PC parameter file: the 23 fixed-entry fields, the four parameter records and every
// phone-book row as "key=value" lines of single-byte text ending in CR LF.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/phone_book_list.h"
#include "loop/task.h"

namespace dorive {

struct Context;
struct Form;
struct State;

inline constexpr const char* kPcFileFilter = "ZEP files (*.zep)|*.zep";

// ADMIN1..7, ABUTTON1..7, BBUTTON1..7, ALARMON, ALARMOFF from the edits, then PARAMZEP,
// PARAMRL1, PARAMRL2 and PARAMKEY from the record texts as they stand, then one
// name "=" number line per phone-book row.
std::string formatPcFile(const Form& form, const State& state);

// Every non-empty line as a row: the name is the text before the first "=", the number
// the text after it (a line without "=" is a name with no number).
std::vector<PhoneBookList::Row> parsePcFile(std::string_view bytes);

// Why the bytes cannot be a parameter file, or nothing when they can.
std::optional<std::string> pcFileProblem(std::string_view bytes);

// Takes the fields and records out of the rows (the first row of each key, letter case
// ignored; records under their PARxxx or PARAMxxx names) and sets them, running the edit
// rules and ApplyParamRecords; the other rows become the phone book list.
void applyPcRows(Form& form, State& state, std::vector<PhoneBookList::Row> rows);

// Save and Load of the PC panel.
class PcFile {
  public:
    explicit PcFile(Context& ctx);
    PcFile(const PcFile&) = delete;
    PcFile& operator=(const PcFile&) = delete;

    Task SaveClick();
    Task LoadClick();

  private:
    Context& ctx_;
};

}  // namespace dorive
