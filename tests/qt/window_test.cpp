// The window on the offscreen platform: every control of the form model has its widget,
// model changes reach the widgets, and what the user does reaches the model.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <memory>

#include "app/dorive.h"
#include "app/qt/DORive1.h"
#include "app/qt/binders.h"
#include "support/fakes.h"

using namespace dorive;

class WindowTest : public QObject {
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
    void showPage(const char* outer, int outerIndex, const char* inner, int innerIndex) {
        w<QTabWidget>(outer)->setCurrentIndex(outerIndex);
        if (inner) w<QTabWidget>(inner)->setCurrentIndex(innerIndex);
    }
    // Clicks a check box or radio button on its indicator.
    static void click(QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    // Types keys one by one at the end of the edit.
    void typeAtEnd(QLineEdit* edit, const QString& keys) {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, keys);
    }

  private slots:
    void init() {
        clock = std::make_unique<test::VirtualClock>();
        provider = std::make_unique<test::FakeProvider>(*clock);
        dialogs = std::make_unique<test::ScriptedDialogs>();
        core = std::make_unique<Dorive>(*provider, *clock, *dialogs);
        window = std::make_unique<TForm1>(*core);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        window.reset();
        core.reset();
    }

    void everyControlHasOneNamedWidget() {
        QCOMPARE(window->objectName(), QString("TForm1"));
        QCOMPARE(window->size(), QSize(613, 503));
        for (Control* c : form().all()) {
            if (c == &form().TForm1) continue;
            auto found = window->findChildren<QWidget*>(QString::fromStdString(c->name()));
            QVERIFY2(found.size() == 1, c->name().c_str());
        }
    }

    void modelChangesReachWidgets() {
        Form& f = form();
        f.ALARMON.setText("door open");
        QCOMPARE(w<QLineEdit>("ALARMON")->text(), QString("door open"));
        f.TonRing.setChecked(true);
        QVERIFY(w<QCheckBox>("TonRing")->isChecked());
        f.PortEtons.select();
        f.PortESMS.select();
        QVERIFY(!w<QRadioButton>("PortEtons")->isChecked());
        QVERIFY(w<QRadioButton>("PortESMS")->isChecked());
        f.PortESMS.uncheck();  // a group can end with nothing selected
        QVERIFY(!w<QRadioButton>("PortESMS")->isChecked());
        f.SaveZEP.setEnabled(false);
        QVERIFY(!w<QPushButton>("SaveZEP")->isEnabled());
        f.DeviceRun.setVisible(false);
        f.DeviceNic.setVisible(true);
        QVERIFY(w<QLabel>("DeviceRun")->isHidden());
        QVERIFY(w<QLabel>("DeviceNic")->isVisible());
        f.RunZEP.setCaption("Spustit");
        f.RunZEP.setHint("Runs the unit");
        QCOMPARE(w<QPushButton>("RunZEP")->text(), QString("Spustit"));
        QCOMPARE(w<QPushButton>("RunZEP")->toolTip(), QString("Runs the unit"));
        f.GroupBox4.setCaption("GSM-Quillmore");
        QCOMPARE(w<QGroupBox>("GroupBox4")->title(), QString("GSM-Quillmore"));
        f.VolMic.setPosition(3);
        QCOMPARE(w<QSlider>("VolMic")->value(), 3);
        f.waiting.setItemIndex(5);
        QCOMPARE(w<QComboBox>("waiting")->currentText(), QString("50"));
        f.WaitBUF.setText("7x");
        QCOMPARE(w<QComboBox>("WaitBUF")->currentText(), QString("7x"));
        f.BVoltage.setPosition(999);  // beyond the range: shown full
        QCOMPARE(w<QProgressBar>("BVoltage")->value(), 420);
        f.Smeter.setColor({0, 128, 0});
        QVERIFY(w<QProgressBar>("Smeter")->styleSheet().contains("rgb(0, 128, 0)"));
        f.Prubeh.setVisible(true);
        QVERIFY(w<QProgressBar>("Prubeh")->isVisible());
        f.StatusBar1.setPanelText(0, "Operator: Simnet");
        QCOMPARE(w<QLabel>("StatusBar1_panel0")->text(), QString("Operator: Simnet"));
        QCOMPARE(w<QLabel>("StatusBar1_panel3")->width(), 75);
        QVERIFY(w<QLabel>("StatusBar1_panel4")->width() >= 60);
        f.PhoneBook1.append({"Caretaker", "+420777123456"});
        f.PhoneBook1.append({"Service", "0800123456"});
        auto* table = w<QTableWidget>("PhoneBook1");
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(1, 0)->text(), QString("Service"));
        QCOMPARE(table->item(1, 1)->text(), QString("0800123456"));
        f.PhoneBook1.clear();
        QCOMPARE(table->rowCount(), 1);  // one blank row
        QCOMPARE(table->item(0, 0)->text(), QString());

        auto* types = w<QTabWidget>("ZEPtyp");
        f.ModuleKeyboard.setVisible(false);
        QVERIFY(!types->isTabVisible(3));
        f.ModuleKeyboard.setVisible(true);
        QVERIFY(types->isTabVisible(3));
        f.seting.setEnabled(false);
        QVERIFY(!w<QWidget>("seting")->isEnabled());
        f.PageControl1.setActiveIndex(3);
        QCOMPARE(w<QTabWidget>("PageControl1")->currentWidget(), w<QWidget>("TabSheet2"));
        f.TForm1.setPosition(120, 80);
        QCOMPARE(window->pos(), QPoint(80, 120));
    }

    void userActionsReachModel() {
        Form& f = form();
        showPage("PageControl1", 2, "SetingPages", 0);
        click(w<QCheckBox>("TonBeep"));
        QVERIFY(f.TonBeep.checked());
        click(w<QRadioButton>("AllCall"));
        QVERIFY(f.AllCall.checked());
        click(w<QRadioButton>("AllCall"));  // clicking it again keeps it
        QVERIFY(f.AllCall.checked());
        QVERIFY(w<QRadioButton>("AllCall")->isChecked());

        // A model reaction reaches other widgets: ringing switch puts the relay into "switch".
        w<QTabWidget>("SetingPages")->setCurrentIndex(1);
        click(w<QCheckBox>("RelRing1"));
        QVERIFY(f.Relay1.RelRing.checked());
        QCOMPARE(w<QRadioButton>("RelSW1")->isChecked(), f.Relay1.RelSW.checked());
        QCOMPARE(w<QRadioButton>("NoCall")->isChecked(), f.NoCall.checked());
        QCOMPARE(w<QRadioButton>("AllCall")->isChecked(), f.AllCall.checked());

        int clicks = 0;
        f.Load.onClick = [&clicks] { ++clicks; };
        QTest::mouseClick(w<QPushButton>("Load"), Qt::LeftButton);
        QCOMPARE(clicks, 1);
        f.Load.setEnabled(false);
        QTest::mouseClick(w<QPushButton>("Load"), Qt::LeftButton);
        QCOMPARE(clicks, 1);

        w<QTabWidget>("SetingPages")->setCurrentIndex(0);
        auto* waiting = w<QComboBox>("waiting");
        waiting->setFocus();
        QTest::keyClick(waiting, Qt::Key_Down);
        QCOMPARE(f.waiting.itemIndex(), waiting->currentIndex());
        QCOMPARE(f.waiting.itemIndex(), 3);
        auto* slider = w<QSlider>("VolSpk");
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Home);
        QCOMPARE(f.VolSpk.position(), slider->value());
        QCOMPARE(f.VolSpk.position(), 1);

        showPage("PageControl1", 0, "ZEPtyp", 3);
        f.ModuleKeyboard.setVisible(true);
        auto* waitBuf = w<QComboBox>("WaitBUF");
        waitBuf->lineEdit()->selectAll();
        QTest::keyClicks(waitBuf->lineEdit(), "5");
        QCOMPARE(f.WaitBUF.text(), std::string("5"));

        w<QTabWidget>("PageControl1")->setCurrentIndex(4);
        QCOMPARE(f.PageControl1.activeIndex(), 4);

        window->move(150, 170);
        QCOMPARE(f.TForm1.left(), 150);
        QCOMPARE(f.TForm1.top(), 170);
    }

    // An unguarded edit keeps the caret where the user types; the bytes of the core's
    // single-byte text come back unchanged through the widget.
    void freeTextKeepsCaretAndBytes() {
        showPage("PageControl1", 2, "SetingPages", 2);
        auto* alarm = w<QLineEdit>("ALARMON");
        typeAtEnd(alarm, "abc");
        QTest::keyClick(alarm, Qt::Key_Home);
        QTest::keyClicks(alarm, "X");
        QCOMPARE(form().ALARMON.text(), std::string("Xabc"));
        QCOMPARE(alarm->cursorPosition(), 1);

        std::string all;
        for (int b = 0x20; b <= 0xFF; ++b) all.push_back(char(b));
        form().ALARMOFF.setText(all);
        auto* off = w<QLineEdit>("ALARMOFF");
        QCOMPARE(off->text().size(), qsizetype(all.size()));
        QCOMPARE(off->text().at(0x80 - 0x20), QChar(0x20AC));  // euro sign
        typeAtEnd(off, "!");
        QVERIFY(form().ALARMOFF.text() == all + "!");
        QVERIFY(toBytes(fromBytes(all)) == all);
    }

    void monitorAppendsAndFollowsTheEnd() {
        showPage("PageControl1", 3, nullptr, 0);
        auto* monitor = w<QPlainTextEdit>("Monitor");
        // Lines noted during one event reach the widget together when the loop comes round.
        for (int i = 0; i < 200; ++i) core->context().note("line " + std::to_string(i));
        QCoreApplication::processEvents();
        QCOMPARE(monitor->blockCount(), 200);
        QCOMPARE(monitor->document()->lastBlock().text(), QString("line 199"));
        QScrollBar* bar = monitor->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());
        bar->setValue(10);  // the user reads older lines
        core->context().note("more");
        QCoreApplication::processEvents();
        QCOMPARE(bar->value(), 10);
        QCOMPARE(monitor->document()->lastBlock().text(), QString("more"));
        bar->setValue(bar->maximum());
        core->context().note("\x80 end");
        QCoreApplication::processEvents();
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(monitor->document()->lastBlock().text(), QString(QChar(0x20AC)) + " end");
        QCOMPARE(monitor->blockCount(), 202);
    }

    // Typing key by key into guarded edits: the model corrects each key, the widget shows
    // the corrected text with the caret at the end, and the button A twins stay equal.
    void typedNumbersAreCorrectedAsTyped() {
        Form& f = form();
        showPage("PageControl1", 0, "ZEPtyp", 1);
        auto* a1 = w<QLineEdit>("ABUTTON1");
        typeAtEnd(a1, "+420 12a3");
        QCOMPARE(a1->text(), QString("+420123"));
        QCOMPARE(a1->cursorPosition(), 7);
        QCOMPARE(f.ABUTTON[0].text(), std::string("+420123"));
        QCOMPARE(w<QLineEdit>("AABUTTON1")->text(), QString("+420123"));
        // Undo cannot bring back a character the rule removed.
        for (int i = 0; i < 4; ++i) QTest::keyClick(a1, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!a1->text().contains('a'));
        QCOMPARE(toBytes(a1->text()), f.ABUTTON[0].text());
        QCOMPARE(f.AABUTTON[0].text(), f.ABUTTON[0].text());

        // Typing in the middle of a number: an invalid character cuts the rest.
        auto* b2 = w<QLineEdit>("BBUTTON2");
        typeAtEnd(b2, "0601234567");
        b2->setCursorPosition(4);
        QTest::keyClicks(b2, "x");
        QCOMPARE(b2->text(), QString("0601"));
        QCOMPARE(b2->cursorPosition(), 4);

        showPage("PageControl1", 0, "ZEPtyp", 0);
        auto* aa3 = w<QLineEdit>("AABUTTON3");
        typeAtEnd(aa3, "12x");
        QCOMPARE(f.ABUTTON[2].text(), std::string("12"));
        QCOMPARE(w<QLineEdit>("ABUTTON3")->text(), QString("12"));
        aa3->selectAll();
        QTest::keyClick(aa3, Qt::Key_Delete);
        QCOMPARE(w<QLineEdit>("ABUTTON3")->text(), QString());

        showPage("PageControl1", 2, "SetingPages", 1);
        auto* time = w<QLineEdit>("RelTime1");
        QCOMPARE(time->text(), QString("03"));
        typeAtEnd(time, "5");
        QCOMPARE(time->text(), QString("35"));
        QCOMPARE(time->cursorPosition(), 2);
        QTest::keyClick(time, Qt::Key_Home);
        QTest::keyClicks(time, "9");  // typed in front: "935" keeps its last two digits
        QCOMPARE(time->text(), QString("35"));
        QCOMPARE(time->cursorPosition(), 2);
        QCOMPARE(f.Relay1.RelTime.text(), std::string("35"));
        typeAtEnd(time, "00");
        QCOMPARE(time->text(), QString("01"));
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
