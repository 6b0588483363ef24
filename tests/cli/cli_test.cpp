// dorive-cli and zep-sim run as processes, the way a technician's script runs them: files
// written, SIM images changed, exit statuses and messages.
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/process.h"
#include "sim/sim_card.h"
#include "support/temp_dir.h"

using dorive::sim::SimCard;
using dorive::sim::StoredEntry;
using dorive::test::Process;
using dorive::test::ProcessResult;
using dorive::test::TempDir;

namespace {

const std::string kCli = DORIVE_CLI_PATH;
const std::string kZepSim = ZEP_SIM_PATH;

// A small configured unit, its entries in the order a save writes them.
SimCard testSim(int capacity = 40) {
    static const std::pair<const char*, const char*> content[] = {
        {"+420601111111", "ADMIN1"},
        {"+420602222222", "ADMIN2"},
        {"0601234567", "ABUTTON1"},
        {"0604567890", "BBUTTON1"},
        {"Door open", "ALARMON"},
        {"Door closed", "ALARMOFF"},
        {"4#4#1#1#1#5#1#2", "PARZEP"},
        {"5#1#03#0", "PARRL1"},
        {"6#3#10#0", "PARRL2"},
        {"3#1", "PARKEY"},
        {"0601111222", "M1-1"},
        {"1#0", "C1234C"},
        {"0", "DETECT"},
        {"+420777123456", "Caretaker"},
        {"0800123456", "Service"},
        {"0601000000", "Smith, J"},
        {"0412555666", "Reception"},
    };
    SimCard card(capacity);
    int location = 1;
    for (const auto& [number, name] : content) card.write(location++, number, name);
    return card;
}

// The parameter file Save on the PC panel writes after reading testSim().
std::string expectedFile() {
    std::vector<std::string> lines;
    auto fields = [&](const std::string& name, std::map<int, std::string> values) {
        for (int i = 1; i <= 7; ++i) lines.push_back(name + std::to_string(i) + "=" + values[i]);
    };
    fields("ADMIN", {{1, "+420601111111"}, {2, "+420602222222"}});
    fields("ABUTTON", {{1, "0601234567"}});
    fields("BBUTTON", {{1, "0604567890"}});
    for (const char* line :
         {"ALARMON=Door open", "ALARMOFF=Door closed", "PARAMZEP=4#4#1#1#1#5#1#2", "PARAMRL1=5#1#03#0",
          "PARAMRL2=6#3#10#0", "PARAMKEY=3#1", "M1-1=0601111222", "C1234C=1#0", "DETECT=0",
          "Caretaker=+420777123456", "Service=0800123456", "Smith, J=0601000000", "Reception=0412555666"})
        lines.push_back(line);
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

std::string replaceLine(std::string file, const std::string& from, const std::string& to) {
    std::size_t at = file.find(from + "\r\n");
    if (at == std::string::npos) throw std::runtime_error("no line " + from);
    return file.replace(at, from.size() + 2, to.empty() ? "" : to + "\r\n");
}

std::string describe(const ProcessResult& r) {
    return "exit " + std::to_string(r.exit) + "\nstderr:\n" + r.err;
}

struct Cli : ::testing::Test {
    TempDir dir;
    std::string image = dir.file("unit.sim");
    void SetUp() override { testSim().saveImage(image); }
    ProcessResult cli(std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), kCli);
        return dorive::test::run(args, input);
    }
};

}  // namespace

TEST_F(Cli, ReadWritesTheFileSaveWouldWriteToAFileOrStandardOutput) {
    ProcessResult toFile = cli({"--port", "sim:" + image, "read", dir.file("out.zep")});
    ASSERT_EQ(toFile.exit, 0) << describe(toFile);
    EXPECT_EQ(dir.read("out.zep"), expectedFile());
    EXPECT_NE(toFile.err.find("read 17 entries"), std::string::npos) << toFile.err;
    EXPECT_TRUE(toFile.out.empty());
    for (std::vector<std::string> args :
         {std::vector<std::string>{"read"}, std::vector<std::string>{"read", "-"}}) {
        args.insert(args.begin(), {"--port", "sim:" + image});
        ProcessResult toStdout = cli(args);
        ASSERT_EQ(toStdout.exit, 0) << describe(toStdout);
        EXPECT_EQ(toStdout.out, expectedFile());
    }
    // Reading leaves the SIM as it was.
    EXPECT_EQ(SimCard::loadImage(image).entries(), testSim().entries());
}

TEST_F(Cli, WriteChangesExactlyTheEditedLocationsAndChecksThem) {
    // ADMIN2 gets a new number and the row Service goes: location 2 changes, the rows after
    // Service move up one location, and the last one used before is emptied.
    std::string edited = replaceLine(expectedFile(), "ADMIN2=+420602222222", "ADMIN2=+420609999999");
    edited = replaceLine(edited, "Service=0800123456", "");
    ProcessResult r = cli({"--port", "sim:" + image, "--log", dir.file("write.mon"), "write", "-"}, edited);
    ASSERT_EQ(r.exit, 0) << describe(r);
    EXPECT_NE(r.err.find("writing location 40 of 40"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("written and checked"), std::string::npos) << r.err;

    std::map<int, StoredEntry> expected = testSim().entries();
    expected[2].number = "+420609999999";
    expected[15] = expected[16];
    expected[16] = expected[17];
    expected.erase(17);
    EXPECT_EQ(SimCard::loadImage(image).entries(), expected);
    // The log holds the whole dialogue, the writes among it.
    EXPECT_NE(dir.read("write.mon").find("delete SIM40\r\n"), std::string::npos);
}

// The same edit with --changed-only: the same SIM afterwards, with only the locations that
// differ written.
TEST_F(Cli, WriteChangedOnlyLeavesTheSameSimWritingOnlyWhatDiffers) {
    std::string edited = replaceLine(expectedFile(), "ADMIN2=+420602222222", "ADMIN2=+420609999999");
    edited = replaceLine(edited, "Service=0800123456", "");
    ProcessResult r = cli(
        {"--port", "sim:" + image, "--log", dir.file("quick.mon"), "write", "--changed-only", "-"}, edited);
    ASSERT_EQ(r.exit, 0) << describe(r);
    EXPECT_NE(r.err.find("written and checked: 4 locations changed"), std::string::npos) << r.err;
    std::map<int, StoredEntry> expected = testSim().entries();
    expected[2].number = "+420609999999";
    expected[15] = expected[16];
    expected[16] = expected[17];
    expected.erase(17);
    EXPECT_EQ(SimCard::loadImage(image).entries(), expected);
    EXPECT_EQ(dir.read("quick.mon").find("delete SIM40\r\n"), std::string::npos);  // untouched locations

    ProcessResult again = cli({"--port", "sim:" + image, "write", "--changed-only", "-"}, edited);
    ASSERT_EQ(again.exit, 0) << describe(again);
    EXPECT_NE(again.err.find("written and checked: 0 locations changed"), std::string::npos) << again.err;
}

TEST_F(Cli, WriteThatDoesNotFitTheSimFails) {
    // Six more rows than the 20 locations of this SIM hold.
    SimCard small = testSim(20);
    small.saveImage(image);
    std::string file = expectedFile();
    for (int i = 0; i < 6; ++i)
        file += "Extra" + std::to_string(i) + "=06000000" + std::to_string(i) + "\r\n";
    dir.write("big.zep", file);
    ProcessResult r = cli({"--port", "sim:" + image, "write", dir.file("big.zep")});
    EXPECT_EQ(r.exit, 1) << describe(r);
    EXPECT_NE(r.err.find("were not written"), std::string::npos) << r.err;
    // What fitted is on the SIM, and the image was saved with it.
    EXPECT_EQ(SimCard::loadImage(image).entries().size(), 20u);
}

TEST_F(Cli, UsageAndFileErrorsExitWithTwoAndTouchNothing) {
    dir.write("bad.sim", "capacity 250\nnot an entry\n");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string port = "sim:" + image;
    const Case cases[] = {
        {{"--port", port, "write", dir.file("missing.zep")}, "missing.zep"},
        {{"--port", port, "read", dir.file("no/such/folder/out.zep")}, "out.zep"},
        {{"--port", "sim:" + dir.file("bad.sim"), "read"}, "bad.sim"},
        {{"--port", port, "frobnicate"}, "unknown command"},
        {{"--port", port, "--speed", "9600", "read"}, "unknown option --speed"},
        {{"read"}, "no port"},
        {{"--port", port}, "no command"},
        {{"--port", port, "write"}, "write needs one FILE"},
        {{"--port", port, "read", "a.zep", "b.zep"}, "at most one FILE"},
        {{"--port", port, "--timeout", "soon", "read"}, "--timeout"},
        {{"--port", port, "run", "now"}, "run takes no arguments"},
        {{"--port", port, "write", "--changed-only", dir.file("x.zep")}, "x.zep"},
        {{"--port", port, "upload", dir.file("zep.ifo")}, "zep.ifo"},
    };
    for (const Case& c : cases) {
        ProcessResult r = cli(c.args);
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(r.exit, 2) << describe(r);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(SimCard::loadImage(image).entries(), testSim().entries());
    EXPECT_EQ(dir.listing(), "bad.sim\nunit.sim\n");
}

TEST_F(Cli, HelpForTheProgramAndEachCommand) {
    ProcessResult all = cli({"--help"});
    EXPECT_EQ(all.exit, 0);
    EXPECT_NE(all.out.find("Usage: dorive-cli --port PORT"), std::string::npos);
    EXPECT_NE(all.out.find("Exit status"), std::string::npos);
    for (const char* command : {"read", "write", "run", "signal"}) {
        ProcessResult one = cli({command, "--help"});
        EXPECT_EQ(one.exit, 0) << command;
        EXPECT_NE(one.out.find(std::string("dorive-cli --port /dev/ttyUSB0 ") + command), std::string::npos)
            << one.out;
    }
}

// An upload list with names relative to its own folder, run from elsewhere.
TEST_F(Cli, UploadRunsTheListAndFindsItsFilesBesideIt) {
    std::filesystem::create_directory(dir.file("lists"));
    dir.write("lists/main.pyo", std::string(70000, 's'));
    dir.write("lists/hello.amr", std::string(1000, 'v'));
    dir.write("lists/zep.ifo",
              "main.pyo\r\nASEND:hello.amr\r\nSET:AT+CSQ\r\nDEL:old.pyo\r\nRUN:main.pyo\r\n");
    const std::string log = dir.file("upload.mon");
    ProcessResult r = cli({"--port", "sim:" + image, "--log", log, "upload", dir.file("lists/zep.ifo")});
    EXPECT_EQ(r.exit, 0) << describe(r);
    EXPECT_NE(r.err.find("uploaded: 5 lines"), std::string::npos) << r.err;
    const std::string monitor = dir.read("upload.mon");
    for (const char* sent : {"AT#WSCRIPT=main.pyo,70000", "AT#ASEND=hello.amr,1000", "AT+CSQ",
                             "AT#DSCRIPT=old.pyo", "AT#ESCRIPT=main.pyo"})
        EXPECT_NE(monitor.find(sent), std::string::npos) << sent;

    dir.write("lists/broken.ifo", "main.pyo\r\nnot-there.pyo\r\n");
    ProcessResult missing = cli({"--port", "sim:" + image, "upload", dir.file("lists/broken.ifo")});
    EXPECT_EQ(missing.exit, 1) << describe(missing);
    EXPECT_NE(missing.err.find("not-there.pyo"), std::string::npos) << missing.err;
}

TEST_F(Cli, SignalPrintsTheLevelTheUnitReports) {
    ProcessResult r = cli({"--port", "sim:" + image, "signal"});
    EXPECT_EQ(r.exit, 0) << describe(r);
    EXPECT_EQ(r.out, "17\n");
}

TEST_F(Cli, AUnitThatNeverAnswersFailsWithinTheTimeout) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    ProcessResult r =
        cli({"--port", name, "--timeout", "1", "--log", dir.file("silent.mon"), "read", dir.file("out.zep")});
    ::close(slave);
    ::close(master);
    EXPECT_EQ(r.exit, 1) << describe(r);
    EXPECT_LT(r.seconds, 4.0);
    EXPECT_NE(r.err.find("No answer from the unit for 1 s while waiting for the unit to report its stop"),
              std::string::npos)
        << r.err;
    // A pty cannot switch DTR: said once, and the command went on.
    EXPECT_NE(r.err.find("cannot switch DTR"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.zep")));
    // The log is saved whatever the outcome.
    EXPECT_NE(dir.read("silent.mon").find("cannot switch DTR"), std::string::npos);
}

// zep-sim at real pacing on a pty, read by dorive-cli as a serial port; the same SIM through
// the in-process unit gives the same file. On SIGTERM the SIM is saved to its image.
TEST_F(Cli, ReadThroughZepSimOnAPtyGivesTheSameFileAsTheSimulatedPort) {
    SimCard small = testSim(20);
    small.saveImage(image);
    ProcessResult direct = cli({"--port", "sim:" + image, "read", dir.file("direct.zep")});
    ASSERT_EQ(direct.exit, 0) << describe(direct);

    Process zepSim({kZepSim, "--image", image, "--capacity", "20"});
    std::string pty = zepSim.readLine();
    ASSERT_TRUE(pty.starts_with("/dev/")) << pty;
    ProcessResult viaPty = cli({"--port", pty, "--timeout", "5", "read", dir.file("pty.zep")});
    ASSERT_EQ(viaPty.exit, 0) << describe(viaPty);
    EXPECT_EQ(dir.read("pty.zep"), dir.read("direct.zep"));

    // A write through the pty lands in the image zep-sim saves when it is stopped.
    std::string edited = replaceLine(dir.read("pty.zep"), "Service=0800123456", "Service=0800999999");
    ProcessResult write = cli({"--port", pty, "--timeout", "5", "write", "-"}, edited);
    ASSERT_EQ(write.exit, 0) << describe(write);
    ::kill(zepSim.pid(), SIGTERM);
    ProcessResult stopped = zepSim.wait(5000);
    EXPECT_EQ(stopped.exit, 0) << stopped.err;
    EXPECT_EQ(SimCard::loadImage(image).find(15)->number, "0800999999");
}
