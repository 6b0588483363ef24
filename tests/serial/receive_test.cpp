#include <gtest/gtest.h>

#include <random>

#include "support/core_fixture.h"

using namespace dorive;
using dorive::test::CoreFixture;

namespace {

// Feeds bytes in the given chunks and returns the lines the monitor gained.
struct ReceiveFixture : CoreFixture {
    void SetUp() override {
        CoreFixture::SetUp();
        core->channel().open();
    }
    std::vector<std::string> receive(const std::vector<std::string>& chunks) {
        std::size_t before = monitor().size();
        for (auto& c : chunks) feed(c);
        return {monitor().begin() + long(before), monitor().end()};
    }
};

std::string stamp(const std::string& text) {
    return "[14:03:00]   " + text;
}

}  // namespace

TEST_F(ReceiveFixture, ByteClassesAndLineAssemblyOverSplitEvents) {
    struct Case {
        std::vector<std::string> chunks;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {{"O", "K\r"}, {"OK"}},
        {{"AB\nCD\r"}, {"ABCD"}},                            // LF ends nothing
        {{"A\tB\r"}, {"AB"}},                                // TAB dropped
        {{"\r\nOK\r\n"}, {"", "OK"}},                        // the blank line before OK is logged
        {{std::string("x\x00\x0c\x0e\x1fy\r", 7)}, {"xy"}},  // 0..12 and 14..31 dropped
        {{"\x80\xff\xe9\r"}, {"\x80\xff\xe9"}},              // 128..255 kept
        {{"+CPBR: 1,", "\"1\",129,\"N\"", "\r"}, {"+CPBR: 1,\"1\",129,\"N\""}},
        {{"abc"}, {}},  // no CR yet: nothing
    };
    for (const Case& c : cases) {
        core->state().RxLine.clear();
        std::vector<std::string> expected;
        for (auto& l : c.lines) expected.push_back(stamp(l));
        EXPECT_EQ(receive(c.chunks), expected) << c.chunks[0];
    }
    EXPECT_EQ(core->state().RxLine, "abc");  // carried over to the next event
}

TEST_F(ReceiveFixture, LinesWithTheSmsMarkerAreNotLoggedButStillHandled) {
    EXPECT_TRUE(receive({"+CMGL: #SMSATWL x\r", "Telit\r"}) == std::vector<std::string>{stamp("Telit")});
    // "Telit" was handled: programming mode shown and the operator asked for.
    EXPECT_TRUE(core->form().DeviceStop.visible());
}

TEST_F(ReceiveFixture, TimeStampFollowsTheClock) {
    clock.advance(65000);
    EXPECT_EQ(receive({"X\r"}), (std::vector<std::string>{"[14:04:05]   X"}));
    clock.advance(999);
    EXPECT_EQ(receive({"Y\r"}), (std::vector<std::string>{"[14:04:05]   Y"}));
    clock.advance(1);
    EXPECT_EQ(receive({"Z\r"}), (std::vector<std::string>{"[14:04:06]   Z"}));
}

TEST_F(ReceiveFixture, ReceiveIndicatorTogglesPerEventAndGoesOutAfterTwoSeconds) {
    auto& led = core->form().RXDled;
    EXPECT_FALSE(led.visible());
    feed("a");
    EXPECT_TRUE(led.visible());
    feed("b");
    EXPECT_FALSE(led.visible());
    feed("c");
    EXPECT_TRUE(led.visible());
    clock.advance(1999);
    EXPECT_TRUE(led.visible());
    clock.advance(1);
    EXPECT_FALSE(led.visible());
    EXPECT_FALSE(core->receive().ledTimer().active());
}

TEST_F(ReceiveFixture, AnyBytesInAnyChunkingNeverCrashAndGiveTheSameLines) {
    std::string all;
    for (int round = 0; round < 4; ++round)
        for (int b = 0; b < 256; ++b) all.push_back(char(b));
    all += "\r";
    auto whole = receive({all});
    std::mt19937 rng(3);
    std::vector<std::string> chunks;
    for (std::size_t i = 0; i < all.size();) {
        std::size_t n = 1 + rng() % 9;
        chunks.push_back(all.substr(i, n));
        i += n;
    }
    EXPECT_EQ(receive(chunks), whole);
    EXPECT_EQ(whole.size(), 5u);  // four CRs in the data plus the last one
}

TEST_F(ReceiveFixture, AMultiMegabyteLineStaysWhole) {
    std::string big(4 * 1024 * 1024, 'z');
    auto lines = receive({big.substr(0, 1000000), big.substr(1000000), "\r"});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), stamp("").size() + big.size());
}

TEST_F(ReceiveFixture, ConversionErrorInAReplyIsShownAndTheNextLinesAreStillHandled) {
    auto lines = receive({"+CSQ: abc,99\r\nTelit\r\n"});
    EXPECT_EQ(lines, (std::vector<std::string>{stamp("+CSQ: abc,99"), stamp("Telit")}));
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_TRUE(core->form().DeviceStop.visible());
}

TEST_F(ReceiveFixture, BytesArrivingDuringAPauseWaitInThePortUntilTheActivityEnds) {
    core->post([this]() -> Task { co_await core->context().pause(500); });
    feed("OK\r");
    EXPECT_EQ(port().bytesAvailable(), 3u);  // not read while the activity is paused
    clock.advance(500);
    EXPECT_EQ(port().bytesAvailable(), 0u);
    EXPECT_EQ(monitor().back(), "[14:03:00]   OK");
}

TEST_F(ReceiveFixture, LostPortIsReportedOnceAndTheNextSendAsksAgain) {
    ASSERT_TRUE(port().onFailure);
    port().onFailure("device removed");
    port().onFailure("device removed");
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("ttyUSB0"), std::string::npos);
    EXPECT_TRUE(port().closed);
    EXPECT_FALSE(core->channel().portChosen());
    int prompts = dialogs.portPrompts;
    core->form().signal.click();
    EXPECT_EQ(dialogs.portPrompts, prompts + 1);
}
