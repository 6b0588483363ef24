// Export and import of the phone book as a spreadsheet file, through the page's buttons.
#include "phonebook/csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/core_fixture.h"

namespace dorive {
static void PrintTo(const PhoneBookList::Row& r, std::ostream* os) {
    *os << '{' << r.name << '|' << r.number << '}';
}
namespace {

using Row = PhoneBookList::Row;
using Rows = std::vector<Row>;

struct CsvTest : test::CoreFixture {
    test::FakeFiles files;
    void SetUp() override {
        DoriveOptions o;
        o.files = &files;
        makeCore(o);
    }
    PhoneBookList& list() { return core->form().PhoneBook1; }
    void exportTo(const std::string& path) {
        dialogs.saveAnswers.push_back(path);
        core->form().ExportCSV.click();
    }
    void importText(const std::string& text) {
        files.files["in.csv"] = text;
        dialogs.openAnswers.push_back("in.csv");
        core->form().ImportCSV.click();
    }
    std::string reasons() {
        std::string out;
        for (const auto& r : dialogs.reports.back().refused)
            out += std::to_string(r.line) + " " + r.name + ": " + r.reason + "\n";
        return out;
    }
};

TEST_F(CsvTest, ExportThenImportGivesTheSameRows) {
    const Rows rows = {{"Anna", "+420777123456"},
                       {"\x8A"
                        "imon \xC8"
                        "ern\xFD",
                        "602111222"},  // Šimon Èerný in the code page
                       {" spaced ", "*12#"},
                       {"Euro \x80", "1"},
                       {"M1-1", "4711"}};
    list().setRows(rows);
    exportTo("book");  // the extension is added when none was typed
    ASSERT_TRUE(files.exists("book.csv"));
    const std::string& csv = files.files["book.csv"];
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(csv.find("Name;Phone\r\n"), std::string::npos);
    EXPECT_NE(csv.find("\xC5\xA0imon \xC3\x88"
                       "ern\xC3\xBD;602111222\r\n"),
              std::string::npos);  // UTF-8
    EXPECT_NE(csv.find("\" spaced \";*12#\r\n"), std::string::npos);

    list().setRows({});
    files.files["in.csv"] = csv;
    dialogs.openAnswers.push_back("in.csv");
    core->form().ImportCSV.click();
    ASSERT_EQ(dialogs.reports.size(), 1u);
    EXPECT_EQ(dialogs.reports[0].taken, rows.size());
    EXPECT_TRUE(dialogs.reports[0].refused.empty()) << reasons();
    EXPECT_EQ(list().rows(), rows);
}

TEST_F(CsvTest, ASpreadsheetFileIsReportedAndOnlyTheGoodRowsAdded) {
    list().setRows({{"Caretaker", "111"}});
    const std::string file =
        "\xEF\xBB\xBF"
        "\"Name\",\"Phone number\",\"Flat\"\r\n"
        "\"Novotn\xC3\xBD, Jan\",\"+420601\"\r\n"  // a comma in the name: stored as it stands
        "M\xC3\xBCller,602000001,3B\r\n"
        "\"Quote \"\"Q\"\"\",603\r\n"
        "No number,\r\n"
        "A=B,604\r\n"
        "A name far too long for the SIM,605\r\n"
        "Long number,+12345678901234567890\r\n"
        "Twenty characters,+1234567890123456789\r\n"
        "caretaker,606\r\n"
        "M\xC3\x9CLLER,607\r\n"
        "ADMIN1,608\r\n"
        "Dvo\xC5\x99\xC3\xA1k,609\r\n"
        ",,\r\n"
        "\"Two\r\nlines\",610\r\n"
        "Last,611";
    importText(file);
    ASSERT_EQ(dialogs.reports.size(), 1u);
    const ImportReport& r = dialogs.reports[0];
    EXPECT_EQ(r.file, "in.csv");
    EXPECT_EQ(r.taken, 4u);
    EXPECT_EQ(reasons(),
              "4 Quote \"Q\": the name contains a double quote, which the unit cannot store\n"
              "5 No number: no number\n"
              "6 A=B: the name contains \"=\"\n"
              "7 A name far too long for the SIM: the name is longer than 18 characters\n"
              "8 Long number: the number is longer than 20 characters\n"
              "10 caretaker: the name is already in the phone book\n"
              "11 M\xC3\x9CLLER: the name is already on line 3\n"
              "12 ADMIN1: the name is one the unit keeps its settings under\n"
              "13 Dvo\xC5\x99\xC3\xA1k: the unit cannot store the character \"\xC5\x99\"\n"
              "15 Two\r\nlines: the name contains a control character, which the unit cannot store\n");
    ASSERT_FALSE(r.notes.empty());
    EXPECT_NE(r.notes[0].find("header"), std::string::npos);
    EXPECT_EQ(list().rows(), (Rows{{"Caretaker", "111"},
                                   {"Novotn\xFD, Jan", "+420601"},
                                   {"M\xFCller", "602000001"},
                                   {"Twenty characters", "+1234567890123456789"},
                                   {"Last", "611"}}));
    EXPECT_EQ(list().current(), 2u);  // the first row added
}

TEST_F(CsvTest, CancellingTheReportChangesNothing) {
    list().setRows({{"Caretaker", "111"}});
    dialogs.importAnswer = false;
    importText("Anna;1\r\n");
    EXPECT_EQ(dialogs.reports.size(), 1u);
    EXPECT_EQ(list().rows(), (Rows{{"Caretaker", "111"}}));
}

TEST_F(CsvTest, FormatsSpreadsheetsWrite) {
    struct Case {
        const char* what;
        std::string file;
        Rows expected;
    };
    const std::vector<Case> cases = {
        {"semicolons, no header, LF", "Anna;1\nBob;2\n", {{"Anna", "1"}, {"Bob", "2"}}},
        {"commas, extra columns", "Anna,1,x\nBob,2,y", {{"Anna", "1"}, {"Bob", "2"}}},
        {"Windows-1252 bytes, not UTF-8",
         "\xC8"
         "ech;1\r\n",
         {{"\xC8"
           "ech",
           "1"}}},
        {"Excel's separator line", "sep=,\r\nName,Phone\r\nAnna,1\r\n", {{"Anna", "1"}}},
        {"quoted semicolon-separated with blanks around", " \"Anna\" ; 1 \r\n\r\n", {{"Anna", "1"}}},
        {"a single Name column header, then rows", "Name\r\nAnna;1\r\n", {{"Anna", "1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list().setRows({});
        dialogs.reports.clear();
        importText(c.file);
        ASSERT_EQ(dialogs.reports.size(), 1u);
        EXPECT_TRUE(dialogs.reports[0].refused.empty()) << reasons();
        EXPECT_EQ(list().rows(), c.expected);
    }
}

TEST_F(CsvTest, FilesThatCannotBeImportedChangeNothing) {
    list().setRows({{"Anna", "1"}});
    dialogs.openAnswers.push_back("missing.csv");
    core->form().ImportCSV.click();
    importText(std::string("PK\x03\x04\0\0binary", 12));
    importText(std::string(5 * 1024 * 1024, 'x'));
    ASSERT_EQ(dialogs.errors.size(), 3u);
    EXPECT_NE(dialogs.errors[0].find("missing.csv"), std::string::npos);
    EXPECT_NE(dialogs.errors[1].find("not a spreadsheet"), std::string::npos);
    EXPECT_NE(dialogs.errors[2].find("too large"), std::string::npos);
    EXPECT_TRUE(dialogs.reports.empty());
    EXPECT_EQ(list().rows(), (Rows{{"Anna", "1"}}));

    files.failWrites.insert("out.csv");
    files.files["out.csv"] = "old";
    exportTo("out.csv");
    EXPECT_EQ(files.files["out.csv"], "old");
    ASSERT_EQ(dialogs.errors.size(), 4u);
    EXPECT_NE(dialogs.errors[3].find("out.csv"), std::string::npos);
}

}  // namespace
}  // namespace dorive
