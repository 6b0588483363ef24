#pragma once
// The phone book page: the list editor's keys and edits, Insert Line, Delete Line, Find,
// and the spreadsheet export and import. Every SIM entry that is not a fixed setting is a
// row of the list; a save to the unit writes the rows back after the fixed entries.
#include <string>

#include "form/phone_book_list.h"
#include "loop/task.h"

namespace dorive {

struct Context;

inline constexpr const char* kCsvFilter = "CSV files (*.csv)|*.csv";

class PhoneBookPage {
  public:
    explicit PhoneBookPage(Context& ctx);
    PhoneBookPage(const PhoneBookPage&) = delete;
    PhoneBookPage& operator=(const PhoneBookPage&) = delete;

    Task LineInClick();
    Task LineDelClick();
    Task FindClick();
    Task ExportCSVClick();
    Task ImportCSVClick();

    // The editor, as the user works it.
    void keyPressed(PhoneBookList::Key key);
    void selectRow(std::size_t row);
    void editCell(std::size_t row, int column, std::string text);

  private:
    PhoneBookList& list();
    // Inserts an empty row above the current one and makes it current.
    void insertAboveCurrent();
    void deleteCurrent();
    void undoCurrentEdit();

    Context& ctx_;
};

}  // namespace dorive
