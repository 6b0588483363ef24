// The memory pages of the window on the offscreen platform: trees filled by a read, clicks
// in the trees reaching the pages, fields shown, writes sent from the widgets, and the
// code pages decoded into their widgets. With DORIVE_SHOTS set to a folder, the module
// pages and the five code pages are saved there as pictures.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "app/dorive.h"
#include "app/qt/DORive1.h"
#include "support/fakes.h"

using namespace dorive;

class MemoryPagesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::VirtualClock> clock;
    std::unique_ptr<test::FakeProvider> provider;
    std::unique_ptr<test::ScriptedDialogs> dialogs;
    std::unique_ptr<Dorive> core;
    std::unique_ptr<TForm1> window;

    Form& form() { return core->form(); }
    template <class W>
    W* w(const std::string& name) {
        auto* found = window->findChild<W*>(QString::fromStdString(name));
        if (!found) qFatal("no widget %s", name.c_str());
        return found;
    }
    void rx(const std::string& line) { provider->port->feed(line + "\r\n"); }
    std::string lastSent() { return provider->port->sent.empty() ? "" : provider->port->sent.back().bytes; }
    // Clicks the line of a tree widget as the user does.
    void clickLine(QTreeWidget* tree, int row) {
        QTreeWidgetItem* item = tree->topLevelItem(row);
        QVERIFY(item);
        QRect r = tree->visualItemRect(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, r.center());
    }
    void showModule(int index) {
        w<QTabWidget>("PageControl1")->setCurrentIndex(0);
        w<QTabWidget>("ZEPtyp")->setCurrentIndex(index);
    }
    void shot(QWidget* widget, const char* name) {
        const QByteArray dir = qgetenv("DORIVE_SHOTS");
        if (dir.isEmpty()) return;
        QCoreApplication::processEvents();
        QVERIFY(widget->grab().save(QString::fromUtf8(dir) + "/" + name + ".png"));
        QVERIFY(window->grab().save(QString::fromUtf8(dir) + "/window_" + name + ".png"));
    }

  private slots:
    void init() {
        clock = std::make_unique<test::VirtualClock>();
        provider = std::make_unique<test::FakeProvider>(*clock);
        dialogs = std::make_unique<test::ScriptedDialogs>();
        DoriveOptions options;
        options.executable = "GSMKelpy";
        core = std::make_unique<Dorive>(*provider, *clock, *dialogs, options);
        window = std::make_unique<TForm1>(*core);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        core->channel().open();
        const char* listing[] = {
            "+CPBR: 15,\"0601111222\",129,\"M1-1\"",
            "+CPBR: 16,\"0601111333\",129,\"M1-2\"",
            "+CPBR: 17,\"0607777888\",129,\"M2-1\"",
            "+CPBR: 28,\"0601111444\",129,\"M1-3\"",
            "+CPBR: 30,\"0601555000\",129,\"M10-1\"",
            "+CPBR: 18,\"0605550001\",129,\"B2-1\"",
            "+CPBR: 19,\"0605550002\",129,\"B2-2\"",
            "+CPBR: 29,\"0605550010\",129,\"B10-1\"",
            "+CPBR: 20,\"1#0\",129,\"C1234C\"",
            "+CPBR: 21,\"1#1#1111100#12#0\",129,\"C5678C\"",
            "+CPBR: 22,\"2#4#**#18#05#1\",129,\"C4711C\"",
            "+CPBR: 23,\"1#2#0101#1229#1\",129,\"C2020C\"",
            "+CPBR: 24,\"2#3#1224#03#0\",129,\"C2412C\"",
            "+CPBR: 25,\"1\",129,\"DETECT\"",
        };
        for (const char* line : listing) rx(line);
        rx("OK");
    }
    void cleanup() {
        window.reset();
        core.reset();
    }

    void buttonPageFollowsTheUser() {
        showModule(2);
        auto* all = w<QTreeWidget>("TreeButtons");
        QCOMPARE(all->topLevelItemCount(), 3);
        QCOMPARE(all->topLevelItem(0)->text(0), QString("29:B10-1[0605550010]"));
        QVERIFY(w<QCheckBox>("DetBut")->isChecked());
        clickLine(all, 1);
        QCOMPARE(form().TreeButtons.selectedIndex(), 1);
        auto* sel = w<QTreeWidget>("TreeButtonsSel");
        QCOMPARE(sel->topLevelItemCount(), 2);
        clickLine(sel, 1);
        QCOMPARE(w<QLineEdit>("Button")->text(), QString("2"));
        QCOMPARE(w<QComboBox>("PosButton")->currentText(), QString("2"));
        QCOMPARE(w<QLineEdit>("ButtonPNumber")->text(), QString("0605550002"));
        QCOMPARE(w<QLabel>("LabelButton")->text(), QString("(B2-2)"));
        shot(w<QWidget>("ModuleButtons"), "module_buttons");

        auto* phone = w<QLineEdit>("ButtonPNumber");
        phone->setFocus();
        phone->selectAll();
        QTest::keyClicks(phone, "777x");
        QTest::mouseClick(w<QPushButton>("WriteButton"), Qt::LeftButton);
        QCOMPARE(lastSent(), std::string("AT+CPBW=19,777,,B2-2\r\n"));
        QTest::mouseClick(w<QPushButton>("AddButton"), Qt::LeftButton);
        QCOMPARE(sel->selectedItems().size(), 0);
        QCOMPARE(w<QComboBox>("PosButton")->currentText(), QString("3"));

        // Clearing the box deletes the entry the read listed.
        auto* detect = w<QCheckBox>("DetBut");
        QTest::mouseClick(detect, Qt::LeftButton, {}, QPoint(6, detect->height() / 2));
        QCOMPARE(lastSent(), std::string("AT+CPBW=25\r\n"));
        clock->advance(500);
        QCOMPARE(lastSent(), std::string("AT#SPN\r\n"));
        QVERIFY(!detect->isChecked());
    }

    void keyboardPagesFollowTheUser() {
        showModule(3);
        w<QTabWidget>("KeyBoardPages")->setCurrentIndex(0);
        auto* all = w<QTreeWidget>("TreeMemo");
        QStringList lines;
        for (int i = 0; i < all->topLevelItemCount(); ++i) lines << all->topLevelItem(i)->text(0);
        QCOMPARE(lines, QStringList({"15:M1-1[0601111222]", "16:M1-2[0601111333]", "28:M1-3[0601111444]",
                                     "30:M10-1[0601555000]", "17:M2-1[0607777888]"}));
        clickLine(all, 0);
        QCOMPARE(w<QTreeWidget>("TreeMemoSel")->topLevelItemCount(), 3);
        // Keys move the selection and load the entry as a click does.
        clickLine(w<QTreeWidget>("TreeMemoSel"), 0);
        QTest::keyClick(w<QTreeWidget>("TreeMemoSel"), Qt::Key_Down);
        QCOMPARE(w<QLineEdit>("MemoPNumber")->text(), QString("0601111333"));
        QCOMPARE(w<QLabel>("LabelMemo")->text(), QString("(M1-2)"));
        shot(w<QWidget>("ModuleKeyboard"), "module_keyboard_memo");

        w<QTabWidget>("KeyBoardPages")->setCurrentIndex(1);
        auto* codes = w<QTreeWidget>("TreeCode");
        QCOMPARE(codes->topLevelItem(0)->text(0), QString("20:C1234C[1#0]"));
        auto* modes = w<QTabWidget>("ModeCode");
        QCOMPARE(modes->currentWidget(), w<QWidget>("M4"));  // the page shown at start-up
        const char* pageOf[] = {"M0", "M1", "M2", "M3", "M4"};
        // The codes in name order: C1234C (0), C2020C (2), C2412C (3), C4711C (4), C5678C (1).
        const int modeOfLine[] = {0, 2, 3, 4, 1};
        for (int row = 0; row < 5; ++row) {
            clickLine(codes, row);
            const int mode = modeOfLine[row];
            QCOMPARE(modes->currentWidget(), w<QWidget>(pageOf[mode]));
            shot(w<QWidget>("ModuleKeyboard"),
                 (std::string("module_keyboard_code_m") + char('0' + mode)).c_str());
        }
        // The last one clicked: C5678C on the weekly page.
        QCOMPARE(w<QLineEdit>("CodeM1")->text(), QString("5678"));
        QVERIFY(w<QRadioButton>("M1Rel1")->isChecked());
        QVERIFY(w<QCheckBox>("Po")->isChecked() && !w<QCheckBox>("So")->isChecked());
        QCOMPARE(w<QComboBox>("M1Acces")->currentText(), QString("12"));
        QCOMPARE(w<QLabel>("weekDay1")->text(), QString("Mo"));
        QCOMPARE(w<QLabel>("weekDay7")->text(), QString("Su"));

        clickLine(codes, 3);  // C4711C, mode 4, from hour "**"
        QCOMPARE(w<QComboBox>("FromHours")->currentText(), QString("**"));
        QCOMPARE(w<QComboBox>("FromHours")->currentIndex(), 24);
        QTest::mouseClick(w<QPushButton>("WriteCode4"), Qt::LeftButton);
        QCOMPARE(lastSent(), std::string("AT+CPBW=22,2#4#**#18#05#1,,C4711C\r\n"));
        QTest::mouseClick(w<QPushButton>("AddCode"), Qt::LeftButton);
        QCOMPARE(codes->selectedItems().size(), 0);
    }
};

QTEST_MAIN(MemoryPagesTest)
#include "memory_pages_test.moc"
