#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/core_fixture.h"

using namespace dorive;
using dorive::test::CoreFixture;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST_F(CoreFixture, SaveLogWritesEveryMonitorLineWithCrLfUnderTheChosenNameAndAgainLater) {
    std::string path = tmp.write("session", "old content that is replaced");  // no extension is added

    startUp();
    feed("\r\nOK\r\n\xe9t\xe9\r");
    dialogs.saveAnswers = {path, std::nullopt, path};
    core->form().SaveMonitor.click();
    EXPECT_EQ(readFile(path), "[14:03:00]   \r\n[14:03:00]   OK\r\n[14:03:00]   \xe9t\xe9\r\n");

    core->form().SaveMonitor.click();  // cancelled: nothing happens
    core->context().note("SIM1");
    core->form().SaveMonitor.click();
    EXPECT_EQ(readFile(path), "[14:03:00]   \r\n[14:03:00]   OK\r\n[14:03:00]   \xe9t\xe9\r\nSIM1\r\n");
    EXPECT_TRUE(dialogs.errors.empty());

    dialogs.saveAnswers = {tmp.file("missing folder/x.mon")};
    core->form().SaveMonitor.click();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("x.mon"), std::string::npos);
}
