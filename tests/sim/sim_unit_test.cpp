#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sim/sim_port.h"
#include "support/fakes.h"

namespace dorive::sim {
namespace {

using test::VirtualClock;

SimOptions quiet(ModuleType type = ModuleType::Older) {
    SimOptions o;
    o.type = type;
    o.statusIntervalMs = 0;
    return o;
}

// A unit behind a SimPort on virtual time; everything the host receives is collected.
struct SimFixture : ::testing::Test {
    VirtualClock clock;
    std::shared_ptr<SimUnit> unit;
    std::unique_ptr<SimPort> port;
    std::string received;
    std::vector<std::string> notifications;

    void open(SimOptions options = quiet(), Pacing pacing = Pacing::instant(),
              SimCard card = SimCard::withDefaultContent()) {
        unit = std::make_shared<SimUnit>(clock, options, std::move(card));
        connect(pacing);
    }
    void connect(Pacing pacing = Pacing::instant()) {
        port = std::make_unique<SimPort>(clock, unit, pacing);
        port->onReadyRead = [this] {
            std::string bytes = port->read(port->bytesAvailable());
            notifications.push_back(bytes);
            received += bytes;
        };
    }
    std::string take() {
        std::string out;
        std::swap(out, received);
        notifications.clear();
        return out;
    }
    // Sends one command and returns every byte that came back within ms.
    std::string command(const std::string& text, int ms = 10) {
        take();
        port->write(text + "\r\n");
        clock.advance(ms);
        return take();
    }
    // Asserts DTR and waits until the module takes commands.
    void stop() {
        port->setDtr(true);
        clock.advance(unit->options().stopDelayMs + unit->options().sledDelayMs + 10);
        ASSERT_EQ(unit->phase(), SimUnit::Phase::Stopped);
        take();
    }
    static std::string reply(std::vector<std::string> lines, const char* result = "OK") {
        std::string out;
        for (const auto& l : lines) out += "\r\n" + l + "\r\n";
        return out + "\r\n" + result + "\r\n";
    }
};

TEST_F(SimFixture, AnswersCommandsFramedLikeTheModule) {
    open();
    stop();
    struct Case {
        const char* command;
        std::string expected;
    };
    const Case cases[] = {
        {"AT", reply({})},
        {"ATE0", reply({})},
        {"at", reply({})},
        {"AT+CGMI", reply({"Telit"})},
        {"AT#SPN", reply({"#SPN: Simnet"})},
        {"ATE0;#SPN", reply({"#SPN: Simnet"})},
        {"AT+CPBR=?", reply({"+CPBR: (1-250),20,18"})},
        {"AT+CSQ", reply({"+CSQ: 17,99"})},
        {"AT#CBC", reply({"#CBC: 0,412"})},
        {"AT#CGSN", reply({"#CGSN: 356938035643809"})},
        {"AT#ESCRIPT=zep.pyo", reply({})},
        {"AT#ESCRIPT?", reply({"#ESCRIPT: \"zep.pyo\""})},
        {"AT+CPBR=3", reply({"+CPBR: 3,\"0601234567\",129,\"ABUTTON1\""})},
        {"AT+CPBR=200,250", reply({})},
        {"ATX", "\r\nERROR\r\n"},
        {"AT+FOO", "\r\nERROR\r\n"},
        {"AT+CGMI=1", "\r\nERROR\r\n"},
        {"HELLO", "\r\nERROR\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(command(c.command), c.expected) << c.command;

    // LF is ignored, CR ends the command, an empty line gets no answer.
    take();
    port->write("\r\nA\nT+CG\nMI\r");
    clock.advance(5);
    EXPECT_EQ(take(), reply({"Telit"}));
}

TEST_F(SimFixture, RepliesNeverArriveInsideWrite) {
    open();
    stop();
    port->write("AT\r\n");
    EXPECT_TRUE(notifications.empty());
    EXPECT_EQ(port->bytesAvailable(), 0u);
    clock.advance(0);
    EXPECT_EQ(take(), reply({}));
}

TEST_F(SimFixture, ListsEveryUsedLocationInOrder) {
    open();
    stop();
    std::string listing = command("AT+CPBR=1,250");
    // Every location in order, each framed as the module frames it, then OK.
    std::size_t lines = 0, at = 0;
    int last = 0;
    while ((at = listing.find("\r\n+CPBR: ", at)) != std::string::npos) {
        at += 9;
        int location = std::stoi(listing.substr(at));
        EXPECT_GT(location, last);
        last = location;
        ++lines;
    }
    EXPECT_EQ(lines, unit->sim().entries().size());
    EXPECT_TRUE(listing.ends_with("\"\r\n\r\nOK\r\n"));
    EXPECT_NE(listing.find("\r\n+CPBR: 3,\"0601234567\",129,\"ABUTTON1\"\r\n"), std::string::npos);
    EXPECT_NE(listing.find("\r\n+CPBR: 1,\"+420601111111\",145,\"ADMIN1\"\r\n"), std::string::npos);
    EXPECT_NE(listing.find("\r\n+CPBR: 10,\"4#4#1#1#1#5#1#2\",129,\"PARZEP\"\r\n"), std::string::npos);
}

TEST_F(SimFixture, WritesDeletesAndFillsTheFirstFreeLocation) {
    open(quiet(), Pacing::instant(), SimCard(250));
    stop();
    EXPECT_EQ(command("AT+CPBR=1,250"), reply({}));
    EXPECT_EQ(command("AT+CPBW=1,0123456789,,ADMIN1"), reply({}));
    EXPECT_EQ(command("AT+CPBW=2,\"+420 1,2\",145,\"A,\xe9\""), reply({}));
    EXPECT_EQ(command("AT+CPBW=4,12345678901234567890,,123456789012345678"), reply({}));
    EXPECT_EQ(command("AT+CPBW=5,,,NoNumber"), reply({}));
    EXPECT_EQ(command("AT+CPBW=,777,,B4-1"), reply({}));  // first free: 3
    EXPECT_EQ(command("AT+CPBW=1"), reply({}));
    EXPECT_EQ(command("AT+CPBW=9"), reply({}));           // emptying an empty location is fine
    EXPECT_EQ(command("AT+CPBW=,1,,DETECT"), reply({}));  // first free: 1 again

    std::map<int, StoredEntry> expected = {{1, {"1", "DETECT"}},
                                           {2, {"+420 1,2", "A,\xe9"}},
                                           {3, {"777", "B4-1"}},
                                           {4, {"12345678901234567890", "123456789012345678"}},
                                           {5, {"", "NoNumber"}}};
    EXPECT_EQ(unit->sim().entries(), expected);
    EXPECT_EQ(command("AT+CPBR=1,3"),
              reply({"+CPBR: 1,\"1\",129,\"DETECT\"", "+CPBR: 2,\"+420 1,2\",145,\"A,\xe9\"",
                     "+CPBR: 3,\"777\",129,\"B4-1\""}));
}

TEST_F(SimFixture, RejectsBadCommandsWithErrorAndChangesNothing) {
    SimCard card(20);
    for (int loc = 1; loc <= 20; ++loc) card.write(loc, std::to_string(loc), "N" + std::to_string(loc));
    open(quiet(), Pacing::instant(), card);
    stop();
    const std::string eighty = "AT#ESCRIPT=" + std::string(69, 'x');
    ASSERT_EQ(eighty.size(), 80u);
    EXPECT_EQ(command(eighty), reply({}));
    const char* rejected[] = {
        "AT+CPBW=0,1,,A",
        "AT+CPBW=21,1,,A",
        "AT+CPBW=-1,1,,A",
        "AT+CPBW=x,1,,A",
        "AT+CPBW=1,123456789012345678901,,A",
        "AT+CPBW=1,1,,1234567890123456789",
        "AT+CPBW=1,1,abc,A",
        "AT+CPBW=1,1,,A,B",
        "AT+CPBW=1,\"1,,A",
        "AT+CPBW=",
        "AT+CPBW=,1,,Full",  // no free location
        "AT+CPBR=0,5",
        "AT+CPBR=1,21",
        "AT+CPBR=5,4",
        "AT+CPBR=",
    };
    for (const char* c : rejected) EXPECT_EQ(command(c), "\r\nERROR\r\n") << c;
    EXPECT_EQ(command(eighty + "x"), "\r\nERROR\r\n");
    EXPECT_EQ(command(std::string(5000, 'A')), "\r\nERROR\r\n");
    EXPECT_EQ(unit->sim().entries(), card.entries());
}

TEST_F(SimFixture, OlderModuleStopsOnDtrAndRunsOnlyAfterReboot) {
    open(quiet(ModuleType::Older));
    EXPECT_TRUE(unit->scriptRunning());
    EXPECT_EQ(command("AT+CGMI"), "");  // the script owns the module

    port->setDtr(true);
    EXPECT_TRUE(unit->dtr());
    clock.advance(400);
    EXPECT_EQ(take(), "STOP\r\n");
    EXPECT_FALSE(unit->scriptRunning());
    EXPECT_EQ(command("ATE0"), reply({}));
    clock.advance(2000);
    EXPECT_EQ(take(), "[AT#SLED=1]=\r\n");

    port->setDtr(false);
    clock.advance(5000);
    EXPECT_EQ(take(), "");
    EXPECT_FALSE(unit->scriptRunning());
    EXPECT_EQ(command("AT+CGMI"), reply({"Telit"}));

    EXPECT_EQ(command("AT#REBOOT", 100), reply({}));
    EXPECT_EQ(unit->phase(), SimUnit::Phase::Booting);
    EXPECT_EQ(command("AT"), "");
    clock.advance(4000);
    std::string startup = take();
    EXPECT_NE(startup.find("+COPS: 0,0,\"Simnet\"\r\n"), std::string::npos) << startup;
    EXPECT_NE(startup.find("#CBC: 0,412\r\n"), std::string::npos) << startup;
    EXPECT_EQ(startup.find("STOP"), std::string::npos);
    EXPECT_TRUE(unit->scriptRunning());
}

TEST_F(SimFixture, RebootWithDtrAssertedStopsAgainAtOnce) {
    for (ModuleType type : {ModuleType::Older, ModuleType::Newer}) {
        open(quiet(type));
        stop();
        EXPECT_EQ(command("AT#REBOOT", 100), reply({}));
        clock.advance(4000);
        std::string out = take();
        auto cops = out.find("COPS");
        auto stopAt = out.find("STOP\r\n");
        ASSERT_NE(cops, std::string::npos) << out;
        ASSERT_NE(stopAt, std::string::npos) << out;
        EXPECT_LT(cops, stopAt);
        EXPECT_FALSE(unit->scriptRunning());
    }
}

TEST_F(SimFixture, NewerModuleAnswersEchoOffAndRunsAgainWhenDtrIsReleased) {
    open(quiet(ModuleType::Newer));
    port->setDtr(true);
    clock.advance(400);
    EXPECT_EQ(take(), "STOP\r\n");
    EXPECT_EQ(command("ATE0", 3000), reply({}));  // and no "[AT#SLED=1]="

    port->setDtr(false);
    clock.advance(0);
    std::string startup = take();
    EXPECT_TRUE(unit->scriptRunning());
    EXPECT_NE(startup.find("#APLAYEV:"), std::string::npos) << startup;
    EXPECT_NE(startup.find("COPS"), std::string::npos) << startup;
    EXPECT_EQ(command("AT+CGMI"), "");
}

TEST_F(SimFixture, RunningScriptPrintsStatusLines) {
    for (ModuleType type : {ModuleType::Older, ModuleType::Newer}) {
        SimOptions options = quiet(type);
        options.statusIntervalMs = 3000;
        open(options);
        take();
        clock.advance(3000 * 12);
        std::string out = take();
        for (const char* line : {"+CSQ: 17,99\r\n", "#CBC: 0,412\r\n", "+CREG: 0,1\r\n", "AT#tone=i,4]\r\n"})
            EXPECT_NE(out.find(line), std::string::npos) << line;
        EXPECT_EQ(out.find("#APLAYEV: 0\r\n") != std::string::npos, type == ModuleType::Newer);

        stop();
        clock.advance(60000);
        EXPECT_EQ(take(), "");  // a stopped script prints nothing
        EXPECT_EQ(clock.pendingTimers(), 0u);
    }
}

TEST_F(SimFixture, DtrReleasedBeforeTheStopKeepsTheScriptRunning) {
    open();
    port->setDtr(true);
    clock.advance(100);
    port->setDtr(false);
    clock.advance(2000);
    EXPECT_EQ(take(), "");
    EXPECT_TRUE(unit->scriptRunning());
}

TEST_F(SimFixture, FaultErrorOnTheNthWrite) {
    open(quiet(), Pacing::instant(), SimCard(250));
    stop();
    unit->setFaults({.errorOnWrite = 2});
    EXPECT_EQ(command("AT+CPBW=1,1,,A"), reply({}));
    EXPECT_EQ(command("AT+CPBW=2,2,,B"), "\r\nERROR\r\n");
    EXPECT_EQ(command("AT+CPBW=2,2,,B"), reply({}));
    EXPECT_EQ(unit->sim().entries().size(), 2u);
}

TEST_F(SimFixture, FaultSilentAfterNCommands) {
    SimOptions options = quiet();
    options.statusIntervalMs = 1000;
    open(options);
    stop();
    unit->setFaults({.silentAfter = 2});
    EXPECT_EQ(command("AT"), reply({}));
    EXPECT_EQ(command("AT+CSQ"), reply({"+CSQ: 17,99"}));
    EXPECT_EQ(command("AT+CGMI"), "");
    EXPECT_EQ(command("AT#REBOOT", 10000), "");
    EXPECT_EQ(unit->commands().back(), "AT#REBOOT");
}

TEST_F(SimFixture, FaultGarbledCapacity) {
    open();
    stop();
    unit->setFaults({.garbleCapacity = true});
    EXPECT_EQ(command("AT+CPBR=?"), reply({"+CPBR: (1-2x0),20,18"}));
}

TEST_F(SimFixture, FaultOddChunksKeepTheBytes) {
    open();
    stop();
    const std::string clean = command("AT+CPBR=1,250");
    unit->setFaults({.chunkMax = 7, .seed = 3});
    take();
    port->write("AT+CPBR=1,250\r\n");
    clock.advance(10);
    EXPECT_EQ(received, clean);
    EXPECT_GT(notifications.size(), clean.size() / 7);
    std::set<std::size_t> sizes;
    for (const auto& n : notifications) sizes.insert(n.size());
    EXPECT_EQ(*sizes.begin(), 1u);
    EXPECT_EQ(*sizes.rbegin(), 7u);
}

TEST_F(SimFixture, FaultGarbledLinesChangeOneByteAndKeepTheFraming) {
    open();
    stop();
    const std::string clean = command("AT+CPBR=1,250");
    unit->setFaults({.garbleEveryNthLine = 1, .seed = 7});
    const std::string garbled = command("AT+CPBR=1,250");
    ASSERT_EQ(garbled.size(), clean.size());
    int differences = 0;
    for (std::size_t i = 0; i < clean.size(); ++i) {
        if (clean[i] == '\r' || clean[i] == '\n')
            EXPECT_EQ(garbled[i], clean[i]) << i;
        else
            differences += garbled[i] != clean[i];
    }
    EXPECT_EQ(differences, int(unit->sim().entries().size()) + 1);  // every line, the OK included
}

TEST_F(SimFixture, UploadTakesRawBytesAfterThePrompt) {
    open();
    stop();
    EXPECT_EQ(command("AT#WSCRIPT=new.pyo,6"), "\r\n>>>");
    port->write(std::string("ab\r\nc\0", 6));
    clock.advance(5);
    EXPECT_EQ(take(), "\r\nOK\r\n");
    EXPECT_EQ(unit->scripts().at("new.pyo"), std::string("ab\r\nc\0", 6));
    EXPECT_EQ(command("AT#LSCRIPT"), reply({"#LSCRIPT: \"new.pyo\",6"}));

    EXPECT_EQ(command("AT#ASEND=bell.wav,3"), "\r\nCONNECT\r\n");
    port->write("xyz");
    clock.advance(5);
    EXPECT_EQ(take(), "\r\nOK\r\n");
    clock.advance(3000);
    EXPECT_EQ(take(), "\r\n#ASENDEV: 0\r\n");

    EXPECT_EQ(command("AT#DSCRIPT=new.pyo"), reply({}));
    EXPECT_TRUE(unit->scripts().empty());
    EXPECT_EQ(command("AT#DSCRIPT=none.pyo"), reply({}));  // nothing to delete is no error
    EXPECT_EQ(command("AT#WSCRIPT=x.pyo,0"), "\r\nERROR\r\n");
}

TEST_F(SimFixture, UnitOutlivesItsPort) {
    open(quiet(ModuleType::Newer));
    stop();
    command("AT+CPBW=200,42,,Kept");
    port->close();
    EXPECT_FALSE(unit->dtr());  // a closed port drops DTR: the newer script runs again
    EXPECT_TRUE(unit->scriptRunning());
    port->write("AT\r\n");
    clock.advance(10);
    EXPECT_EQ(take(), "");

    connect();
    stop();
    EXPECT_EQ(command("AT+CPBR=200"), reply({"+CPBR: 200,\"42\",129,\"Kept\""}));
    EXPECT_EQ(unit->commands().back(), "AT+CPBR=200");
}

TEST_F(SimFixture, UnplugReportsTheFailureLater) {
    open();
    std::string failure;
    port->onFailure = [&](const std::string& why) { failure = why; };
    port->unplug("cable pulled");
    EXPECT_EQ(failure, "");
    EXPECT_FALSE(port->isOpen());
    clock.advance(0);
    EXPECT_EQ(failure, "cable pulled");
}

TEST_F(SimFixture, RealisticPacingAddsLatencyAndWireTimeInUsbChunks) {
    open(quiet(), Pacing::realistic());
    port->setDtr(true);
    clock.advance(3000);
    take();

    // A command of 15 bytes takes 1.3 ms on the wire, then the module latency, then the reply.
    port->write("AT+CPBR=1,250\r\n");
    EXPECT_EQ(port->outputFree(), kOutputBufferSize - 15);
    clock.advance(kModuleLatencyMs);
    EXPECT_EQ(port->outputFree(), kOutputBufferSize);
    EXPECT_TRUE(notifications.empty());
    clock.advance(1000);
    std::string listing = take();
    EXPECT_EQ(listing.substr(listing.size() - 6), "\r\nOK\r\n");

    std::int64_t start = clock.nowMs();
    port->write("AT+CPBR=1,250\r\n");
    std::int64_t last = start;
    std::size_t count = 0;
    port->onReadyRead = [&] {
        std::string bytes = port->read(port->bytesAvailable());
        EXPECT_LE(bytes.size(), kUsbChunkBytes);
        count += bytes.size();
        last = clock.nowMs();
    };
    clock.advance(5000);
    EXPECT_EQ(count, listing.size());
    const double wireMs = (15 + listing.size()) * 10 * 1000.0 / kLineBaud;
    EXPECT_GE(last - start, std::int64_t(wireMs) + kModuleLatencyMs);
    EXPECT_LE(last - start, std::int64_t(wireMs) + kModuleLatencyMs + 3);

    // A large write drains from the output buffer at line speed.
    port->write(std::string(11520, 'x'));
    EXPECT_EQ(port->outputFree(), kOutputBufferSize - 11520);
    clock.advance(500);
    EXPECT_NEAR(double(port->outputFree()), double(kOutputBufferSize - 11520 / 2), 64.0);
    clock.advance(501);
    EXPECT_EQ(port->outputFree(), kOutputBufferSize);
}

// The unit holds CTS while it writes upload data away: the host's bytes wait in its output
// buffer, and the file still arrives whole.
TEST_F(SimFixture, CtsHeldByTheUnitDelaysTheUploadAndKeepsTheBytes) {
    SimOptions options = quiet();
    options.ctsHoldEveryBytes = 1024;
    options.ctsHoldMs = 100;
    open(options, Pacing::realistic());
    port->setDtr(true);
    clock.advance(3000);
    take();
    std::string data(4096, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7);
    port->write("AT#WSCRIPT=held.pyo,4096\r\n");
    clock.advance(20);
    EXPECT_EQ(take(), "\r\n>>>");

    const std::int64_t start = clock.nowMs();
    port->write(data);
    const std::int64_t wireMs = 4096 * 10 * 1000 / kLineBaud;  // 355 ms
    clock.advance(wireMs + 10);
    EXPECT_GT(port->outputFree(), 0u);
    EXPECT_LT(port->outputFree(), kOutputBufferSize);  // held back: not all out in wire time
    while (port->outputFree() < kOutputBufferSize) clock.advance(1);
    // Four holds of 100 ms, one after each 1024 bytes; the last one ends after the data.
    EXPECT_NEAR(double(clock.nowMs() - start), double(wireMs + 300), 5.0);
    clock.advance(20);
    EXPECT_EQ(take(), "\r\nOK\r\n");
    EXPECT_EQ(unit->scripts().at("held.pyo"), data);
}

// While the host leaves received bytes unread, the unit stops at the RTS threshold and goes
// on, at line speed, once the host has read them.
TEST_F(SimFixture, RtsHoldsTheUnitWhileTheHostDoesNotRead) {
    open(quiet(), Pacing::realistic());
    port->setDtr(true);
    clock.advance(3000);
    take();
    for (int loc = 30; loc <= unit->sim().capacity(); ++loc)
        unit->sim().write(loc, "0123456789012", "Entry number " + std::to_string(loc));
    port->onReadyRead = nullptr;  // the host is busy
    port->write("AT+CPBR=1,250\r\n");
    clock.advance(3000);
    const std::size_t waiting = port->bytesAvailable();
    EXPECT_GE(waiting, kRtsOffBytes);
    EXPECT_LT(waiting, kRtsOffBytes + kUsbChunkBytes);
    clock.advance(1000);
    EXPECT_EQ(port->bytesAvailable(), waiting);  // held

    std::string all;
    for (int i = 0; i < 50; ++i) {
        all += port->read(port->bytesAvailable());
        clock.advance(100);
    }
    EXPECT_EQ(all.substr(all.size() - 6), "\r\nOK\r\n");
    std::size_t listed = 0;
    for (std::size_t at = all.find("+CPBR: "); at != std::string::npos; at = all.find("+CPBR: ", at + 1))
        ++listed;
    EXPECT_EQ(listed, unit->sim().entries().size());
}

}  // namespace
}  // namespace dorive::sim
