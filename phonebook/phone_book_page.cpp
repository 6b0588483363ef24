#include "phonebook/phone_book_page.h"

#include "phonebook/csv.h"
#include "ports/files.h"
#include "serial/context.h"

namespace dorive {

namespace {

using Row = PhoneBookList::Row;
using Key = PhoneBookList::Key;

bool isEmpty(const Row& r) {
    return r.name.empty() && r.number.empty();
}

// Spreadsheet files get their extension when the user typed none.
std::string withCsvExtension(std::string path) {
    std::size_t slash = path.find_last_of("/\\");
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) path += ".csv";
    return path;
}

constexpr std::size_t kMaxCsvBytes = 4 * 1024 * 1024;

}  // namespace

PhoneBookPage::PhoneBookPage(Context& ctx) : ctx_(ctx) {
    Form& f = ctx_.form;
    for (Control* c : std::initializer_list<Control*>{&f.PhoneBook1, &f.LineIn, &f.LineDel, &f.GroupBox6,
                                                      &f.ExportCSV, &f.ImportCSV})
        c->setParent(&f.PhoneBook);
    f.FindN.setParent(&f.GroupBox6);
    f.Find.setParent(&f.GroupBox6);

    ctx_.onClick(f.LineIn, [this] { return LineInClick(); });
    ctx_.onClick(f.LineDel, [this] { return LineDelClick(); });
    ctx_.onClick(f.Find, [this] { return FindClick(); });
    ctx_.onClick(f.ExportCSV, [this] { return ExportCSVClick(); });
    ctx_.onClick(f.ImportCSV, [this] { return ImportCSVClick(); });

    // The editor's actions run as activities of their own, and only while the list can
    // be used (during a save to the unit the page is disabled).
    PhoneBookList& l = f.PhoneBook1;
    l.onKey = [this](Key key) {
        ctx_.post([this, key]() -> Task {
            if (list().usable()) keyPressed(key);
            co_return;
        });
    };
    l.onSelect = [this](std::size_t row) {
        ctx_.post([this, row]() -> Task {
            if (list().usable()) selectRow(row);
            co_return;
        });
    };
    l.onCellEdit = [this](std::size_t row, int column, std::string text) {
        ctx_.post([this, row, column, text = std::move(text)]() -> Task {
            if (list().usable())
                editCell(row, column, text);
            else
                list().refresh();
            co_return;
        });
    };
}

PhoneBookList& PhoneBookPage::list() {
    return ctx_.form.PhoneBook1;
}

// --- Editor ---------------------------------------------------------------------------------

void PhoneBookPage::selectRow(std::size_t row) {
    PhoneBookList& l = list();
    const std::size_t from = l.current();
    if (row < 1 || row > l.rowCount() || row == from) {
        l.refresh();
        return;
    }
    // A row left empty does not stay in the list.
    if (from <= l.rows().size() && isEmpty(l.row(from))) {
        l.removeRow(from);
        if (row > from) --row;
    }
    l.setCurrent(row);
}

void PhoneBookPage::insertAboveCurrent() {
    PhoneBookList& l = list();
    const std::size_t at = l.rows().empty() ? 1 : l.current();
    l.insertRow(at, Row{});
    l.setCurrent(at);
    l.setPendingEdit(PhoneBookList::PendingEdit{Row{}, true});
    l.refresh();
}

void PhoneBookPage::deleteCurrent() {
    PhoneBookList& l = list();
    if (l.rows().empty()) {
        ctx_.showError("The phone book has no line to delete.");
        return;
    }
    std::size_t at = l.current();
    // The last row's neighbour above becomes current.
    if (at == l.rows().size() && l.rows().size() > 1) l.setCurrent(at - 1);
    l.removeRow(at);
}

void PhoneBookPage::undoCurrentEdit() {
    PhoneBookList& l = list();
    const auto& pending = l.pendingEdit();
    if (!pending) return;
    const std::size_t at = l.current();
    if (pending->inserted) {
        l.removeRow(at);
        return;
    }
    Row before = pending->before;
    l.setPendingEdit(std::nullopt);
    l.setRow(at, std::move(before));
}

void PhoneBookPage::keyPressed(Key key) {
    PhoneBookList& l = list();
    const bool nameFilled = !l.row(l.current()).name.empty();
    switch (key) {
        case Key::Insert:
            if (nameFilled) insertAboveCurrent();
            break;
        case Key::Up:
            if (l.current() > 1) selectRow(l.current() - 1);
            break;
        case Key::Down:
            if (l.current() < l.rowCount()) {
                selectRow(l.current() + 1);
            } else if (nameFilled) {
                l.insertRow(l.rows().size() + 1, Row{});
                l.setCurrent(l.rows().size());
                l.setPendingEdit(PhoneBookList::PendingEdit{Row{}, true});
                l.refresh();
            }
            break;
        case Key::Delete:
            deleteCurrent();
            break;
        case Key::Escape:
            undoCurrentEdit();
            break;
    }
}

void PhoneBookPage::editCell(std::size_t row, int column, std::string text) {
    PhoneBookList& l = list();
    if (row < 1 || row > l.rowCount() || column < 0 || column > 1) {
        l.refresh();
        return;
    }
    if (column == 0 && text.find('=') != std::string::npos) {
        l.refresh();  // the cell shows the name it had
        ctx_.showError("A name cannot contain \"=\". The row keeps its previous name.");
        return;
    }
    if (row != l.current()) {
        selectRow(row);  // may remove an empty row above it
        row = l.current();
    }
    Row r = l.row(row);
    // Typing into the blank row of an empty list makes a new row, as Insert does.
    if (!l.pendingEdit()) l.setPendingEdit(PhoneBookList::PendingEdit{r, l.rows().empty()});
    (column == 0 ? r.name : r.number) = std::move(text);
    l.setRow(row, std::move(r));
    l.refresh();
}

// --- Buttons --------------------------------------------------------------------------------

Task PhoneBookPage::LineInClick() {
    PhoneBookList& l = list();
    if (!isEmpty(l.row(l.current()))) insertAboveCurrent();
    co_return;
}

Task PhoneBookPage::LineDelClick() {
    deleteCurrent();
    co_return;
}

Task PhoneBookPage::FindClick() {
    PhoneBookList& l = list();
    const std::string& wanted = ctx_.form.FindN.text();
    for (std::size_t i = 1; i <= l.rows().size(); ++i) {
        if (sameName(l.row(i).name, wanted)) {
            selectRow(i);
            l.requestFocus();
            break;
        }
    }
    co_return;
}

Task PhoneBookPage::ExportCSVClick() {
    std::optional<std::string> name = ctx_.dialogs.saveFileName(kCsvFilter);
    if (!name) co_return;
    const std::string path = withCsvExtension(*name);
    try {
        ctx_.files.write(path, formatCsv(list().rows()));
    } catch (const FileError& e) {
        ctx_.showError(std::string(e.what()) +
                       " Nothing was exported; an earlier file of that name is unchanged.");
    }
}

Task PhoneBookPage::ImportCSVClick() {
    std::optional<std::string> path = ctx_.dialogs.openFileName(kCsvFilter);
    if (!path) co_return;
    std::string bytes;
    try {
        bytes = ctx_.files.read(*path);
    } catch (const FileError& e) {
        ctx_.showError(std::string(e.what()) + " The phone book is unchanged.");
        co_return;
    }
    if (bytes.size() > kMaxCsvBytes) {
        ctx_.showError("\"" + *path + "\" is too large for a phone book (" +
                       std::to_string(bytes.size() / 1024) + " KB). The phone book is unchanged.");
        co_return;
    }
    if (bytes.find('\0') != std::string::npos) {
        ctx_.showError("\"" + *path + "\" is not a spreadsheet text file. The phone book is unchanged.");
        co_return;
    }
    CsvImport result = importCsv(bytes, list().rows(), entryLimits(ctx_.st));

    ImportReport report;
    report.file = *path;
    report.taken = result.taken.size();
    report.refused = std::move(result.refused);
    report.notes = std::move(result.notes);
    // Rows beyond the SIM's room would not reach the unit.
    if (ctx_.st.SimCapacity > 0) {
        const std::size_t room = ctx_.st.SimCapacity > 27 ? std::size_t(ctx_.st.SimCapacity - 27) : 0;
        const std::size_t after = list().rows().size() + result.taken.size();
        if (after > room)
            report.notes.push_back("The SIM has room for " + std::to_string(room) +
                                   " phone-book rows; with these rows " + "the list would hold " +
                                   std::to_string(after) + ".");
    }
    if (!ctx_.dialogs.confirmImport(report) || result.taken.empty()) co_return;

    PhoneBookList& l = list();
    std::vector<Row> rows = l.rows();
    // The blank rows an editor leaves behind do not stay in front of the imported ones.
    std::erase_if(rows, isEmpty);
    rows.insert(rows.end(), result.taken.begin(), result.taken.end());
    const std::size_t first = rows.size() - result.taken.size() + 1;
    l.setRows(std::move(rows));
    l.setCurrent(first);
}

}  // namespace dorive
