// The service page on the offscreen platform: the list, the buttons and the progress of an
// upload into the simulated unit; file dialogs leave the working directory at the file.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/dorive.h"
#include "app/qt/DORive1.h"
#include "app/qt/qt_dialogs.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"
#include "support/fakes.h"

using namespace dorive;

namespace {

class SimProvider : public PortProvider {
  public:
    SimProvider(Clock& clock, std::shared_ptr<sim::SimUnit> unit) : clock_(clock), unit_(std::move(unit)) {}
    std::vector<PortInfo> ports() override { return {{kSimulatedPortName, ""}}; }
    std::unique_ptr<SerialPort> open(const std::string&) override {
        return sim::openSimulatedPort(clock_, unit_, sim::Pacing::realistic());
    }

  private:
    Clock& clock_;
    std::shared_ptr<sim::SimUnit> unit_;
};

std::string pattern(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = char(i * 13);
    return s;
}

}  // namespace

class ServicePageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::VirtualClock> clock;
    std::shared_ptr<sim::SimUnit> unit;
    std::unique_ptr<SimProvider> provider;
    std::unique_ptr<test::ScriptedDialogs> dialogs;
    std::unique_ptr<Dorive> core;
    std::unique_ptr<TForm1> window;
    std::filesystem::path dir;

    template <class W>
    W* w(const char* name) {
        auto* found = window->findChild<W*>(name);
        if (!found) qFatal("no widget %s", name);
        return found;
    }

  private slots:
    void init() {
        dir = std::filesystem::temp_directory_path() /
              ("dorive_service_page_" + std::to_string(QCoreApplication::applicationPid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        clock = std::make_unique<test::VirtualClock>();
        sim::SimOptions options;
        options.statusIntervalMs = 0;
        unit = std::make_shared<sim::SimUnit>(*clock, options);
        provider = std::make_unique<SimProvider>(*clock, unit);
        dialogs = std::make_unique<test::ScriptedDialogs>();
        core = std::make_unique<Dorive>(*provider, *clock, *dialogs);
        window = std::make_unique<TForm1>(*core);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        w<QTabWidget>("PageControl1")->setCurrentIndex(4);
    }
    void cleanup() {
        std::filesystem::remove_all(dir);
        window.reset();
        core.reset();
        provider.reset();
        unit.reset();
    }

    void uploadRunsFromTheButtonsAndShowsItsProgress() {
        const auto script = dir / "zep.pyo";
        std::ofstream(script, std::ios::binary) << pattern(150000);
        std::ofstream(dir / "list.ifo", std::ios::binary) << script.string() << "\r\nRUN:zep.pyo\r\n";
        core->channel().setDtr(true);
        core->channel().open();
        clock->advance(10000);
        QCOMPARE(unit->phase(), sim::SimUnit::Phase::Stopped);

        dialogs->openAnswers = {(dir / "list.ifo").string()};
        QTest::mouseClick(w<QPushButton>("LoadList"), Qt::LeftButton);
        QCoreApplication::processEvents();
        auto* list = w<QPlainTextEdit>("List");
        QCOMPARE(list->toPlainText(), QString::fromStdString(script.string()) + "\nRUN:zep.pyo");

        // Typing into the list reaches the model.
        list->moveCursor(QTextCursor::End);
        QTest::keyClick(list, Qt::Key_Return);
        QTest::keyClicks(list, "SET:AT");
        QCOMPARE(core->form().List.lines().back(), std::string("SET:AT"));

        auto* cancel = w<QPushButton>("UploadCancel");
        QVERIFY(!cancel->isEnabled());
        QTest::mouseClick(w<QPushButton>("Upgrade"), Qt::LeftButton);
        QVERIFY(!w<QPushButton>("Upgrade")->isEnabled());
        QVERIFY(cancel->isEnabled());
        clock->advance(7000);  // in the middle of the file
        QCoreApplication::processEvents();
        auto* progress = w<QProgressBar>("Prubeh");
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->maximum(), 4);
        const QString status = w<QLabel>("UploadStatus")->text();
        QVERIFY2(status.startsWith("Line 1 of 3: " + QString::fromStdString(script.string())),
                 qPrintable(status));
        QVERIFY2(status.contains("of 150000 bytes sent"), qPrintable(status));
        QVERIFY2(status.contains("left"), qPrintable(status));
        window->grab().save("/tmp/service_page_upload.png");

        QTest::mouseClick(cancel, Qt::LeftButton);  // the file still goes out whole
        clock->advance(20000);
        QCoreApplication::processEvents();
        QVERIFY(!core->upload().running());
        QVERIFY(unit->scripts().at(script.string()) == pattern(150000));
        QVERIFY(w<QLabel>("UploadStatus")->text().startsWith("Upload cancelled."));
        QVERIFY(w<QPushButton>("Upgrade")->isEnabled());
    }

    void fileDialogsLeaveTheWorkingDirectoryAtTheChosenFile() {
        const QString before = QDir::currentPath();
        std::filesystem::create_directories(dir / "lists");
        std::ofstream(dir / "lists" / "a.ifo") << "x\n";
        QtDialogs qtDialogs;
        QDir::setCurrent(QString::fromStdString(dir.string()));
        QString openedIn;
        QTimer answer;
        const QString file = QString::fromStdString((dir / "lists" / "a.ifo").string());
        // Answers the dialog until it has gone (a busy machine may need more than one try).
        QObject::connect(&answer, &QTimer::timeout, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* d = qobject_cast<QFileDialog*>(top);
                if (!d || !d->isVisible()) continue;
                if (openedIn.isEmpty()) openedIn = d->directory().absolutePath();
                if (auto* name = d->findChild<QLineEdit*>("fileNameEdit")) name->setText(file);
                QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
                return;
            }
        });
        answer.start(50);
        auto chosen = qtDialogs.openFileName("info for download (*.ifo)|*.ifo");
        answer.stop();
        QVERIFY(chosen.has_value());
        QCOMPARE(QDir(openedIn).canonicalPath(), QDir(QString::fromStdString(dir.string())).canonicalPath());
        QCOMPARE(QDir::current().canonicalPath(),
                 QDir(QString::fromStdString((dir / "lists").string())).canonicalPath());
        QDir::setCurrent(before);
    }
};

QTEST_MAIN(ServicePageTest)
#include "service_page_test.moc"
