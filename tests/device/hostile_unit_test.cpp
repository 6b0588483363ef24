// Whatever the unit says, in whatever order and pieces: the program neither crashes nor
// hangs, and no save leaves the controls locked for good.
#include <gtest/gtest.h>

#include <random>

#include "support/device_fixture.h"

using namespace dorive;
using dorive::test::DeviceFixture;

namespace {

std::string randomLine(std::mt19937& rng) {
    static const char* const known[] = {"OK",
                                        "ERROR",
                                        "+CME ERROR: 21",
                                        "STOP",
                                        "#APLAYEV: 0",
                                        "Telit",
                                        "[AT#SLED=1]=",
                                        "+CREG: 0,1",
                                        "#CBC: 0,412",
                                        "#CBC: 0,",
                                        "#CBC:",
                                        "+CSQ: 17,99",
                                        "+CSQ: 99",
                                        "+CSQ: x,1",
                                        "+CPBR: (1-250),40,16",
                                        "+CPBR: (1-",
                                        "+CPBR: (1-5),40,16",
                                        "+CPBR: 3,\"123\",129,\"ADMIN1\"",
                                        "+CPBR: 4,\"1#1#03#1\",129,\"PARRL1\"",
                                        "+CPBR: 5,\"4#x#0#0#1#5#0#2\",129,\"PARZEP\"",
                                        "+CPBR: 6,\"\",129,\"\"",
                                        "+CPBR: 7,\"1\",129,\"DETECT\"",
                                        "+CPBR: ",
                                        "+CPBR",
                                        "#SPN: Net",
                                        "#SPN",
                                        "+COPS: 0",
                                        "AT#tone=i,4]",
                                        "",
                                        "\x80\xff garbage"};
    if (rng() % 5 == 0) {
        std::string junk;
        for (unsigned n = rng() % 40; n > 0; --n) junk.push_back(char(rng() % 256));
        return junk;
    }
    return known[rng() % (sizeof known / sizeof *known)];
}

}  // namespace

TEST_F(DeviceFixture, AHostileUnitNeverCrashesHangsOrLeavesTheControlsLocked) {
    std::mt19937 rng(2026);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        // Now and then the user acts in the middle of it.
        switch (rng() % 5) {
            case 0:
                form().StopZEP.click();
                break;
            case 1:
                form().LoadZEP.click();
                break;
            case 2:
                st().SimCapacity = int(rng() % 30);
                form().SaveZEP.click();
                break;
            case 3:
                form().RunZEP.click();
                break;
            default:
                break;
        }
        for (int i = 0; i < 300; ++i) {
            std::string bytes = randomLine(rng) + (rng() % 2 ? "\r\n" : "\r");
            // Random pieces, as a serial adapter might hand them over.
            for (std::size_t at = 0; at < bytes.size();) {
                std::size_t n = 1 + rng() % 8;
                feed(bytes.substr(at, n));
                at += n;
            }
            clock.advance(rng() % 300);
        }
        // Silence: every pause ends and a stuck save gives up by itself.
        clock.advance(core->options().saveReplyTimeoutMs + 5000);
        EXPECT_FALSE(st().WriteActive);
        EXPECT_TRUE(form().StopZEP.enabled() && form().RunZEP.enabled() && form().seting.enabled());
        EXPECT_FALSE(core->loop().busy());
    }
    // The unit was heard and answered throughout.
    EXPECT_GT(monitor().size(), 20u * 300u);
    EXPECT_FALSE(dialogs.errors.empty());
    EXPECT_GT(sent().size(), 20u);
}
