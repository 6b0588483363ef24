// The Qt ports: file-dialog filters, the clock's timers, the texts of port errors, and the
// real serial port driven over a pseudo-terminal.
#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
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

    // The real port on a pseudo-terminal: bytes go out unchanged, received bytes are
    // announced and read, and a line that goes away is reported once.
    void realPortCarriesBytesBothWaysAndReportsALostLineOnce() {
        int master = -1, slave = -1;
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) QSKIP("no pseudo-terminals here");
        termios raw{};
        ::tcgetattr(master, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(master, TCSANOW, &raw);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

        auto port = std::make_unique<QtSerialPort>(QString::fromLocal8Bit(name));
        ::close(slave);  // the port holds its own descriptor now
        int readyReads = 0;
        std::vector<std::string> failures;
        port->onReadyRead = [&] { ++readyReads; };
        port->onFailure = [&](const std::string& why) { failures.push_back(why); };

        port->write("ATE0\r\n");
        std::string got;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                char buf[64];
                ssize_t n = ::read(master, buf, sizeof buf);
                if (n > 0) got.append(buf, std::size_t(n));
                return got == "ATE0\r\n";
            }(),
            5000);
        QTRY_COMPARE_WITH_TIMEOUT(port->outputFree(), kOutputBufferSize, 5000);

        const char reply[] = "\r\nOK\r\n\xe9";
        QCOMPARE(::write(master, reply, sizeof reply - 1), ssize_t(sizeof reply - 1));
        QTRY_VERIFY_WITH_TIMEOUT(port->bytesAvailable() == sizeof reply - 1, 5000);
        QVERIFY(readyReads >= 1);
        QCOMPARE(port->read(100), std::string(reply, sizeof reply - 1));

        ::close(master);  // the cable is pulled
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), std::size_t(1), 5000);
        QTest::qWait(200);
        QCOMPARE(failures.size(), std::size_t(1));
        port->close();
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
