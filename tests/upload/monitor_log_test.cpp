// Save Log: the monitor goes to the chosen file through the files port.
#include "upload/monitor_log.h"

#include <gtest/gtest.h>

#include "upload_fixture.h"

using namespace dorive;
using dorive::test::UploadFixture;

TEST_F(UploadFixture, SaveLogWritesTheMonitorAndAFailedSaveKeepsTheEarlierLog) {
    feed("\r\nOK\r\n\xe9t\xe9\r");
    core->context().note("SIM1");
    dialogs.saveAnswers = {"/logs/a.mon", std::nullopt};
    form().SaveMonitor.click();
    form().SaveMonitor.click();  // cancelled: nothing happens
    const std::string expected = "[14:03:00]   \r\n[14:03:00]   OK\r\n[14:03:00]   \xe9t\xe9\r\nSIM1\r\n";
    EXPECT_EQ(files.files["/logs/a.mon"], expected);
    EXPECT_EQ(files.files.size(), 1u);
    EXPECT_TRUE(dialogs.errors.empty());

    core->context().note("later");
    files.failWrites.insert("/logs/a.mon");
    dialogs.saveAnswers = {"/logs/a.mon"};
    form().SaveMonitor.click();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("/logs/a.mon"), std::string::npos);
    EXPECT_EQ(files.files["/logs/a.mon"], expected);
}
