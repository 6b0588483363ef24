// The Qt ports: file-dialog filters, the clock's timers, and the texts of port errors.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/qt/qt_clock.h"
#include "app/qt/qt_dialogs.h"
#include "app/qt/qt_serial_port.h"

using namespace dorive;

class PortsTest : public QObject {
    Q_OBJECT

  private slots:
    void fileFilters() {
        const struct {
            const char* in;
            const char* out;
        } cases[] = {
            {"ZEP files (*.zep)|*.zep", "ZEP files (*.zep)"},
            {"Monitor files (*.mon)|*.mon|All (*.*)|*.*", "Monitor files (*.mon);;All (*.*)"},
            {"Lists|*.ifo;*.txt", "Lists (*.ifo *.txt)"},
        };
        for (const auto& c : cases) QCOMPARE(qtFileFilter(c.in), QString(c.out));
    }

    void displayTextTakesUtf8OrWindows1252() {
        QCOMPARE(displayText("Unable to write to /home/j\xc3\xa1/DORive.ini"),
                 QString("Unable to write to /home/já/DORive.ini"));
        QCOMPARE(displayText("\x80 5"), QString(QChar(0x20AC)) + " 5");
    }

    void clockFiresTimersInOrderAndCancels() {
        QtClock clock;
        std::vector<int> fired;
        clock.startTimer(30, [&] { fired.push_back(2); });
        auto cancelled = clock.startTimer(10, [&] { fired.push_back(0); });
        clock.startTimer(5, [&] {
            fired.push_back(1);
            clock.startTimer(0, [&] { fired.push_back(3); });  // a timer started from a timer
        });
        clock.cancelTimer(cancelled);
        std::int64_t start = clock.nowMs();
        QTRY_COMPARE(fired.size(), std::size_t(3));
        QCOMPARE(fired, (std::vector<int>{1, 3, 2}));
        QVERIFY(clock.nowMs() - start >= 29);
        QCOMPARE(QString::fromStdString(clock.timeOfDay()).size(), 8);
    }

    void portErrorsSayWhatToDo() {
        std::string missing =
            portOpenErrorText("ttyUSB7", "/dev/ttyUSB7", QSerialPort::DeviceNotFoundError, "No such file");
        QVERIFY(QString::fromStdString(missing).contains("ttyUSB7 was not found"));

        if (::geteuid() == 0) QSKIP("root may open any device");
        QTemporaryDir dir;
        QString path = dir.filePath("ttyFAKE0");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0) == 0);
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
        const group* g = ::getgrgid(st.st_gid);
        QVERIFY(g);
        QString text = QString::fromStdString(
            portOpenErrorText("ttyFAKE0", path, QSerialPort::PermissionError, "Permission denied"));
        QVERIFY2(text.contains(QString("group \"%1\"").arg(g->gr_name)), qPrintable(text));
        QVERIFY(text.contains("log in again"));
    }

    void simulatedUnitIsOfferedOnlyWithAnOpener() {
        QtPortProvider plain;
        for (const PortInfo& p : plain.ports()) QVERIFY(p.name != kSimulatedPortName);
        int opened = 0;
        QtPortProvider withSim([&opened]() -> std::unique_ptr<SerialPort> {
            ++opened;
            return nullptr;
        });
        auto ports = withSim.ports();
        QCOMPARE(QString::fromStdString(ports.back().name), QString(kSimulatedPortName));
        withSim.open(kSimulatedPortName);
        QCOMPARE(opened, 1);
    }
};

QTEST_MAIN(PortsTest)
#include "ports_test.moc"
