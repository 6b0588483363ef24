// The Qt ports: file-dialog filters, the clock's timers, the texts of port errors, and the
// real serial port driven over a pseudo-terminal.
#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/dorive.h"
#include "app/qt/qt_dialogs.h"
#include "qtports/qt_clock.h"
#include "qtports/qt_serial_port.h"
#include "support/fakes.h"

using namespace dorive;

namespace {

double cpuSeconds() {
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// A pseudo-terminal whose far end plays the unit.
struct Pty {
    int master = -1;
    int slave = -1;  // kept open until the port under test has opened its own
    std::string name;
    bool open() {
        char buf[256] = {};
        if (::openpty(&master, &slave, buf, nullptr, nullptr) != 0) return false;
        termios raw{};
        ::tcgetattr(master, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(master, TCSANOW, &raw);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        name = buf;
        return true;
    }
    std::string read() {
        std::string got;
        char buf[512];
        ssize_t n;
        while ((n = ::read(master, buf, sizeof buf)) > 0) got.append(buf, std::size_t(n));
        return got;
    }
    void write(const std::string& s) { (void)!::write(master, s.data(), s.size()); }
    void hangUp() {
        ::close(master);
        master = -1;
    }
    void releaseSlave() {
        if (slave >= 0) ::close(slave);
        slave = -1;
    }
    ~Pty() {
        releaseSlave();
        if (master >= 0) ::close(master);
    }
};

// Opens every name as a real port.
struct RealPorts : PortProvider {
    std::vector<PortInfo> ports() override { return {}; }
    std::unique_ptr<SerialPort> open(const std::string& name) override {
        return std::make_unique<QtSerialPort>(QString::fromStdString(name));
    }
};

}  // namespace

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

        const struct {
            DeviceAccess access;
            std::vector<std::string> says;
        } cases[] = {
            {{false, "dialout", true},
             {"no permission", "group \"dialout\"", "usermod -aG dialout", "log in again"}},
            {{false, "root", false},
             {"no permission", "gives its group \"root\" no access", "udev rule", "administrator"}},
            {{false, "", false}, {"no permission", "Ask the administrator"}},
            {{true, "dialout", true}, {"in use by another program"}},
        };
        for (const auto& c : cases) {
            std::string text = permissionErrorText("ttyUSB0", "/dev/ttyUSB0", c.access);
            for (const std::string& part : c.says)
                QVERIFY2(text.find(part) != std::string::npos, text.c_str());
            if (!c.access.groupMayReadWrite)
                QVERIFY2(text.find("usermod") == std::string::npos, text.c_str());
        }
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

    // A line that hangs up while nothing happens, and while a save writes: reported at once,
    // once, the port closed and no processor time spent on it afterwards; the save ends with
    // the loss as its reason, controls unlocked.
    void lostLineEndsAtOnceIdleAndDuringASave() {
        for (bool saving : {false, true}) {
            Pty pty;
            if (!pty.open()) QSKIP("no pseudo-terminals here");
            QtClock clock;
            RealPorts ports;
            test::ScriptedDialogs dialogs;
            dialogs.portAnswers = {pty.name};
            Dorive core(ports, clock, dialogs);
            core.channel().open();
            pty.releaseSlave();
            if (saving) {
                core.state().SimCapacity = 250;
                core.form().SaveZEP.click();
                for (int i = 0; i < 3; ++i) {  // the unit answers a few writes
                    std::string got;
                    QTRY_VERIFY_WITH_TIMEOUT((got += pty.read()).find("\r\n") != std::string::npos, 3000);
                    pty.write("\r\nOK\r\n");
                }
                QTRY_VERIFY_WITH_TIMEOUT(core.state().WriteStep >= 3, 3000);
                QVERIFY(core.state().WriteActive);
            }
            QElapsedTimer sinceLoss;
            pty.hangUp();
            sinceLoss.start();
            QTRY_VERIFY_WITH_TIMEOUT(!dialogs.errors.empty(), 2000);
            QVERIFY2(sinceLoss.elapsed() < 500, qPrintable(QString::number(sinceLoss.elapsed())));
            QVERIFY(!core.channel().portChosen());
            QVERIFY(!core.state().WriteActive);
            QVERIFY(core.form().SaveZEP.enabled() && core.form().seting.enabled() &&
                    core.form().StopZEP.enabled());
            QVERIFY2(dialogs.errors[0].find("stopped working") != std::string::npos,
                     dialogs.errors[0].c_str());

            const double before = cpuSeconds();
            QTest::qWait(1000);
            const double spent = cpuSeconds() - before;
            QVERIFY2(spent < 0.1,
                     qPrintable(QString("CPU seconds in the second after the loss: %1").arg(spent)));
            QCOMPARE(dialogs.errors.size(), std::size_t(1));  // once, and not the watchdog's
            QCOMPARE(dialogs.portPrompts, 1);                 // nothing asked for a port on its own
            bool saveNote = false;
            for (std::string_view line : core.form().Monitor.lines())
                saveNote |= line.find("Save stopped at") != std::string_view::npos;
            QCOMPARE(saveNote, saving);
        }
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
