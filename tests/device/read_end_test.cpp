// The end of a read is the "OK" that closes the listing, not the one that closes the range
// reply before it: a front end that waits for the read, and a read broken off, rely on it.
#include <gtest/gtest.h>

#include "support/device_fixture.h"

using namespace dorive;
using dorive::test::DeviceFixture;

TEST_F(DeviceFixture, TheRangeRepliesOkDoesNotEndTheRead) {
    // The range reply and its "OK" in one event or in two.
    for (bool oneEvent : {true, false}) {
        SCOPED_TRACE(oneEvent ? "one event" : "two events");
        makeCore();
        core->channel().open();
        int completed = 0;
        core->readView().onCompleted = [&] { ++completed; };
        showProgMode(form());
        rx("Telit");
        if (oneEvent) {
            feed("+CPBR: (1-40),20,18\r\n\r\nOK\r\n");
        } else {
            rx("+CPBR: (1-40),20,18");
            rx("OK");
        }
        clock.advance(100);
        EXPECT_EQ(sent().back(), "AT+CPBR=1,40\r\n");
        EXPECT_TRUE(core->readView().listingPending());
        rx("+CPBR: 1,\"999\",129,\"Zed\"");
        EXPECT_EQ(completed, 0);
        rx("OK");
        EXPECT_FALSE(core->readView().listingPending());
        EXPECT_EQ(completed, 1);
        EXPECT_EQ(form().PhoneBook1.rows(), (std::vector<PhoneBookList::Row>{{"Zed", "999"}}));
    }
}
