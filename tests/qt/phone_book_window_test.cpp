// The phone book page in the window on the offscreen platform: rows read from the
// simulated unit, the editor keys, Find, and the import report. Screenshots of the page
// and of the report go to the temporary folder.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "app/dorive.h"
#include "app/qt/DORive1.h"
#include "app/qt/qt_dialogs.h"
#include "phonebook/csv.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"
#include "support/fakes.h"

using namespace dorive;
using Row = PhoneBookList::Row;
using Rows = std::vector<Row>;

namespace {

class SimProvider : public PortProvider {
  public:
    SimProvider(Clock& clock, std::shared_ptr<sim::SimUnit> unit) : clock_(clock), unit_(std::move(unit)) {}
    std::vector<PortInfo> ports() override { return {{kSimulatedPortName, "simulated unit"}}; }
    std::unique_ptr<SerialPort> open(const std::string&) override {
        return std::make_unique<sim::SimPort>(clock_, unit_, sim::Pacing::instant());
    }

  private:
    Clock& clock_;
    std::shared_ptr<sim::SimUnit> unit_;
};

QString screenshotPath(const char* name) {
    return QDir::temp().filePath(name);
}

}  // namespace

class PhoneBookWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::VirtualClock> clock;
    std::shared_ptr<sim::SimUnit> unit;
    std::unique_ptr<SimProvider> provider;
    std::unique_ptr<test::ScriptedDialogs> dialogs;
    std::unique_ptr<Dorive> core;
    std::unique_ptr<TForm1> window;

    Form& form() { return core->form(); }
    PhoneBookList& list() { return form().PhoneBook1; }
    QTableWidget* table() { return window->findChild<QTableWidget*>("PhoneBook1"); }
    // The table's rows as the user sees them.
    QStringList shown() {
        QStringList out;
        for (int r = 0; r < table()->rowCount(); ++r)
            out << table()->item(r, 0)->text() + "=" + table()->item(r, 1)->text();
        return out;
    }
    void key(int k, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(table(), Qt::Key(k), mods);
        settle();
    }
    // Types a whole cell as a user does: select it, type, Enter.
    void typeCell(int row, int column, const QString& text) {
        table()->setCurrentCell(row, column);
        settle();
        QTest::keyClick(table(), Qt::Key_F2);  // opens the cell's editor
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        settle();
    }
    // The editor commits, and the table hands edits and moves on, through queued calls.
    static void settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    void showPhoneBook() { window->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(1); }

  private slots:
    void init() {
        clock = std::make_unique<test::VirtualClock>();
        unit = std::make_shared<sim::SimUnit>(*clock);
        provider = std::make_unique<SimProvider>(*clock, unit);
        dialogs = std::make_unique<test::ScriptedDialogs>();
        core = std::make_unique<Dorive>(*provider, *clock, *dialogs);
        window = std::make_unique<TForm1>(*core);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        showPhoneBook();
    }
    void cleanup() {
        window.reset();
        core.reset();
        provider.reset();
        unit.reset();
    }

    void rowsReadFromTheUnitAreShownAndKeepTheirBytes() {
        unit->sim().write(60, "0601 \xA7",
                          "M\xFCller \x8A"
                          "imon");  // bytes above 127
        dialogs->portAnswers.push_back(std::string(kSimulatedPortName));
        core->post([this] { return core->FormCreate(); });
        clock->advance(11000);
        form().StopZEP.click();
        clock->advance(10000);
        QVERIFY(form().DeviceStop.visible());
        QVERIFY(list().rows().size() > 5);
        QCOMPARE(table()->rowCount(), int(list().rows().size()));
        QCOMPARE(table()->horizontalHeaderItem(0)->text(), QString("Name"));
        QCOMPARE(table()->horizontalHeaderItem(1)->text(), QString("Phone"));
        QCOMPARE(table()->columnWidth(0), 132);
        QCOMPARE(table()->columnWidth(1), 151);
        QVERIFY(shown().contains("Caretaker=+420777123456"));
        QVERIFY(shown().contains(QString::fromUtf8("Müller Šimon=0601 §")));

        QVERIFY(window->grab().save(screenshotPath("dorive_phone_book.png")));

        // Editing the number of that row leaves the name's bytes as they were.
        const int row = int(shown().indexOf(QString::fromUtf8("Müller Šimon=0601 §")));
        typeCell(row, 1, "0602");
        QCOMPARE(list().row(std::size_t(row) + 1), (Row{"M\xFCller \x8A"
                                                        "imon",
                                                        "0602"}));
    }

    void editorKeys() {
        list().setRows({{"Anna", "1"}, {"Bob", "2"}, {"Cyril", "3"}});
        table()->setFocus();
        table()->setCurrentCell(1, 0);
        settle();
        QCOMPARE(list().current(), std::size_t(2));

        key(Qt::Key_Insert);  // above Bob
        QCOMPARE(shown(), QStringList({"Anna=1", "=", "Bob=2", "Cyril=3"}));
        QCOMPARE(table()->currentRow(), 1);
        key(Qt::Key_Up);  // the empty row is left and goes
        QCOMPARE(shown(), QStringList({"Anna=1", "Bob=2", "Cyril=3"}));
        QCOMPARE(list().current(), std::size_t(1));

        table()->setCurrentCell(2, 0);
        settle();
        key(Qt::Key_Down);  // on the last row: appends
        QCOMPARE(shown(), QStringList({"Anna=1", "Bob=2", "Cyril=3", "="}));
        QCOMPARE(table()->currentRow(), 3);
        key(Qt::Key_Down);  // the new row has no name yet: nothing
        QCOMPARE(table()->rowCount(), 4);
        typeCell(3, 0, "Dan");
        typeCell(3, 1, "4");
        QCOMPARE(list().rows().back(), (Row{"Dan", "4"}));

        key(Qt::Key_Escape);  // undoes the edit of the current row: the row was new, it goes
        QCOMPARE(shown(), QStringList({"Anna=1", "Bob=2", "Cyril=3"}));

        typeCell(0, 1, "11");
        key(Qt::Key_Escape);
        QCOMPARE(list().row(1), (Row{"Anna", "1"}));

        typeCell(1, 0, "B=C");  // refused with a message
        QCOMPARE(dialogs->errors.size(), std::size_t(1));
        QVERIFY(dialogs->errors[0].find("=") != std::string::npos);
        QCOMPARE(table()->item(1, 0)->text(), QString("Bob"));
        QCOMPARE(list().row(2).name, std::string("Bob"));

        table()->setCurrentCell(2, 0);
        settle();
        key(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(shown(), QStringList({"Anna=1", "Bob=2"}));
        QCOMPARE(table()->currentRow(), 1);
        key(Qt::Key_Delete);  // without Ctrl it deletes nothing
        QCOMPARE(list().rows().size(), std::size_t(2));
    }

    void findSelectsTheRowAndFocusesTheList() {
        list().setRows({{"Gate", "1"}, {"CARETAKER", "2"}, {"Caretaker", "3"}});
        auto* findName = window->findChild<QLineEdit*>("FindN");
        findName->setFocus();
        QTest::keyClicks(findName, "caretaker");
        QTest::keyClick(findName, Qt::Key_Return);  // Enter finds, as the button does
        settle();
        QCOMPARE(table()->currentRow(), 1);
        QCOMPARE(list().current(), std::size_t(2));
        QVERIFY(table()->hasFocus());

        findName->setText("care");  // whole names only
        form().FindN.setText("care");
        window->findChild<QPushButton*>("Find")->click();
        QCOMPARE(table()->currentRow(), 1);
    }

    void importReport() {
        const std::string file =
            "Name;Phone\r\nAnna;+420601000001\r\nM\xC3\xBCller;602000002\r\nNo number;\r\n"
            "Quote \"\"Q\"\";603\r\nA=B;604\r\nA name far too long for the SIM;605\r\nanna;606\r\n"
            "Gate;+123456789012345678901\r\n";
        CsvImport result = importCsv(file, {{"Caretaker", "111"}}, EntryLimits{});
        ImportReport report;
        report.file = "/home/tech/residents.csv";
        report.taken = result.taken.size();
        report.refused = result.refused;
        report.notes = result.notes;
        ImportReportDialog dialog(report, window.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* apply = dialog.findChild<QPushButton*>("ImportApply");
        QVERIFY(apply && apply->isEnabled());
        QCOMPARE(apply->text(), QString("Add 2 rows"));
        QCOMPARE(dialog.findChild<QTableWidget*>("ImportRefused")->rowCount(), 6);
        QVERIFY(dialog.grab().save(screenshotPath("dorive_import_report.png")));
        apply->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(PhoneBookWindowTest)
#include "phone_book_window_test.moc"
