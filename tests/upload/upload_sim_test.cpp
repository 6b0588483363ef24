// Uploads against the simulated unit with the line paced as the real one: files of every
// size arrive byte for byte, and a whole list leaves the unit as it says.
#include <gtest/gtest.h>

#include <algorithm>

#include "upload_fixture.h"

using namespace dorive;
using dorive::test::ownNotes;
using dorive::test::pattern;
using dorive::test::SimUploadFixture;

namespace {

// The notes of one file line: the command, the prompt mark, and for every further piece of
// at most 64000 bytes the drain rounds ("sending" once a second) and "flush buffer".
std::vector<std::string> expectedNotes(const std::string& name, std::size_t size) {
    std::vector<std::string> out{"AT#WSCRIPT=" + name + "," + std::to_string(size), "+++++++++++++++"};
    for (std::size_t sent = 64000; sent < size; sent += 64000) {
        for (int i = 0; i < 6; ++i) out.push_back("sending");  // 64000 bytes take 5.6 s on the wire
        out.push_back("flush buffer");
    }
    return out;
}

}  // namespace

TEST_F(SimUploadFixture, FilesOfEverySizeArriveByteForByte) {
    start();
    for (std::size_t size : {1u, 64000u, 64001u, 128000u, 128001u, 300000u}) {
        SCOPED_TRACE(size);
        const std::string name = "s" + std::to_string(size) + ".pyo";
        files.files[name] = pattern(size, int(size));
        const std::size_t from = form().Monitor.lines().size();
        runUpload({name});
        EXPECT_TRUE(dialogs.errors.empty());
        ASSERT_EQ(unit->scripts().count(name), 1u);
        EXPECT_TRUE(unit->scripts().at(name) == files.files[name]);
        EXPECT_EQ(ownNotes(form().Monitor.lines(), from), expectedNotes(name, size));
        EXPECT_FALSE(st().UploadActive);
        EXPECT_EQ(form().Prubeh.position(), 1);
    }
    // A file of no bytes is refused before anything is sent.
    files.files["none.pyo"] = "";
    const std::size_t commands = unit->commands().size();
    runUpload({"none.pyo"});
    EXPECT_EQ(unit->commands().size(), commands);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("is empty"), std::string::npos);
}

// A module that holds CTS while it writes gets the file whole all the same; the drain
// rounds simply last longer.
TEST_F(SimUploadFixture, CtsHeldByTheModuleSlowsTheFileButKeepsItWhole) {
    sim::SimOptions options;
    options.ctsHoldEveryBytes = 4096;
    options.ctsHoldMs = 150;
    start(options);
    files.files["big.pyo"] = pattern(200000, 5);
    const std::int64_t t0 = clock.nowMs();
    runUpload({"big.pyo"});
    EXPECT_TRUE(unit->scripts().at("big.pyo") == files.files["big.pyo"]);
    const auto notes = ownNotes(form().Monitor.lines());
    EXPECT_EQ(std::count(notes.begin(), notes.end(), "flush buffer"), 3);
    // 48 holds of 150 ms on top of 17.4 s of wire time.
    EXPECT_GT(clock.nowMs() - t0, 17400 + 48 * 150);
}

// A list with a script, a voice message, a deletion, a command and the script to run.
TEST_F(SimUploadFixture, WholeListLeavesTheUnitAsItSays) {
    start();
    ASSERT_EQ(unit->activeScript(), "zep.pyo");
    files.files["old.pyo"] = "old";
    runUpload({"old.pyo"});
    ASSERT_EQ(unit->scripts().count("old.pyo"), 1u);

    files.files["new.pyo"] = pattern(70000, 1);
    files.files["bell.wav"] = pattern(20000, 2);
    st().SerialWait = 1000;
    runUpload({"new.pyo", "ASEND:bell.wav", "DEL:old.pyo", "SET:AT+CPBW=200,42,,Kept", "RUN:new.pyo"});
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_TRUE(unit->scripts().at("new.pyo") == files.files["new.pyo"]);
    EXPECT_TRUE(unit->voices().at("bell.wav") == files.files["bell.wav"]);
    EXPECT_EQ(unit->scripts().count("old.pyo"), 0u);
    EXPECT_EQ(unit->sim().entries().at(200).name, "Kept");
    EXPECT_EQ(unit->activeScript(), "new.pyo");
    EXPECT_FALSE(st().UploadActive);
    EXPECT_FALSE(st().AudioSendActive);
    EXPECT_EQ(form().Prubeh.position(), 5);
    EXPECT_EQ(form().Prubeh.max(), 6);
    auto tail = unit->commands();
    tail.erase(tail.begin(), tail.end() - 6);
    EXPECT_EQ(tail,
              (std::vector<std::string>{"AT#WSCRIPT=new.pyo,70000", "AT#ASEND=bell.wav,20000", "AT",
                                        "AT#DSCRIPT=old.pyo", "AT+CPBW=200,42,,Kept", "AT#ESCRIPT=new.pyo"}));
}
