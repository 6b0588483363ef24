// The Quick Save button in the window: beside Save, usable when Save is, and reached by its
// keyboard shortcut.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/dorive.h"
#include "app/qt/DORive1.h"
#include "support/fakes.h"

using namespace dorive;

class QuickSaveWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::VirtualClock> clock;
    std::unique_ptr<test::FakeProvider> provider;
    std::unique_ptr<test::ScriptedDialogs> dialogs;
    std::unique_ptr<Dorive> core;
    std::unique_ptr<TForm1> window;

    QPushButton* button(const char* name) {
        auto* b = window->findChild<QPushButton*>(name);
        if (!b) qFatal("no button %s", name);
        return b;
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

    void sitsBesideSaveAndFollowsIt() {
        QPushButton* save = button("SaveZEP");
        QPushButton* quick = button("QuickSaveZEP");
        QCOMPARE(quick->parentWidget(), save->parentWidget());
        QCOMPARE(quick->x(), save->x());
        QVERIFY(quick->y() > save->y() && quick->y() < button("LoadZEP")->y());
        QCOMPARE(quick->text(), QString("Quick Save"));
        QVERIFY(quick->toolTip().isEmpty());
        QVERIFY(quick->isVisible());
        // The device panel still fits: the battery gauge and its reading are not cut or overlaid.
        core->form().Voltage.setCaption("4120 mV");
        QApplication::processEvents();
        auto* battery = window->findChild<QWidget*>("Battery");
        const QRect gauge = window->findChild<QWidget*>("BVoltage")->geometry();
        const QRect reading = window->findChild<QWidget*>("Voltage")->geometry();
        QVERIFY(gauge.height() >= 36);
        QVERIFY(gauge.bottom() < reading.top());
        QVERIFY(reading.bottom() <= battery->contentsRect().bottom());
        QVERIFY(battery->geometry().bottom() <= battery->parentWidget()->contentsRect().bottom());
        for (bool on : {false, true}) {
            core->form().SaveZEP.setEnabled(on);
            QCOMPARE(quick->isEnabled(), on);
        }
        window->grab().save("/tmp/dorive_quick_save_window.png");
    }

    void theShortcutStartsAQuickSave() {
        core->channel().open();
        core->state().SimCapacity = 40;
        core->form().SaveZEP.setEnabled(true);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        // The button shows itself pressed for a moment, then clicks.
        QTRY_COMPARE(provider->port->sentTexts(), std::vector<std::string>{"AT+CPBR=1,40\r\n"});
        QVERIFY(!button("QuickSaveZEP")->isEnabled());
        QVERIFY(!button("SaveZEP")->isEnabled());
        // While it runs, the shortcut does nothing.
        QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::qWait(300);
        QCOMPARE(provider->port->sentTexts().size(), std::size_t(1));
    }
};

QTEST_MAIN(QuickSaveWindowTest)
#include "quick_save_window_test.moc"
