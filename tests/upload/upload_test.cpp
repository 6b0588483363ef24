// The upload: line kinds, list files, the steps on "OK", the data on the prompt, voice sends,
// files that cannot be sent, cancel and a lost port.
#include "upload/upload.h"

#include <gtest/gtest.h>

#include "upload_fixture.h"

using namespace dorive;
using dorive::test::MemFiles;
using dorive::test::ownNotes;
using dorive::test::pattern;
using dorive::test::UploadFixture;

TEST(UploadLine, KindIsTheFirstMarkerFoundAnywhereAndTheArgumentFollowsTheFirstColon) {
    struct Case {
        const char* line;
        UploadKind kind;
        const char* argument;
    } cases[] = {
        {"RUN:zep.pyo", UploadKind::Run, "zep.pyo"},
        {"RUN:", UploadKind::Run, ""},
        {"x RUN:a", UploadKind::Run, "a"},
        {"pre:RUN:a", UploadKind::Run, "RUN:a"},
        {"ASEND:bell.wav", UploadKind::ASend, "bell.wav"},
        {"SET:AT#REBOOT", UploadKind::Set, "AT#REBOOT"},
        {"DEL:old.pyo", UploadKind::Del, "old.pyo"},
        {"run:zep.pyo", UploadKind::File, "run:zep.pyo"},  // markers are upper case only
        {"Set:x", UploadKind::File, "Set:x"},
        {"DEL:a SET:b", UploadKind::Set, "a SET:b"},  // SET: is tested before DEL:
        {"ASEND:a RUN:b", UploadKind::Run, "a RUN:b"},
        {"scripts/zep.pyo", UploadKind::File, "scripts/zep.pyo"},
        {"", UploadKind::File, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(classifyUploadLine(c.line), (UploadLine{c.kind, c.argument}));
    }
}

TEST(UploadList, LinesEndAtLfOrCrLfAndKeepEmptyLines) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"a\rb\n", {"ab"}},
        {"\n", {""}},
        {"", {}},
        {"\xe9t\xe9\n", {"\xe9t\xe9"}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitListLines(c.bytes), c.lines) << c.bytes;
}

TEST_F(UploadFixture, LoadListAppendsBehindWhatIsThere) {
    files.files["/l/one.ifo"] = "RUN:a\r\n\r\nb.pyo\r\n";
    files.files["/l/two.ifo"] = "DEL:c";
    dialogs.openAnswers = {"/l/one.ifo", std::nullopt, "/l/two.ifo", "/l/missing.ifo"};
    for (int i = 0; i < 4; ++i) form().LoadList.click();
    EXPECT_EQ(form().List.lines(), (std::vector<std::string>{"RUN:a", "", "b.pyo", "DEL:c"}));
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("missing.ifo"), std::string::npos);

    form().ClrList.click();
    EXPECT_TRUE(form().List.lines().empty());
}

// Each "OK" moves the list on after 500 ms; an "ERROR" does not, and the next "OK",
// whatever it answers, resumes the list.
TEST_F(UploadFixture, EachOkRunsTheNextLineAfterHalfASecond) {
    list({"RUN:zep.pyo", "SET:AT#REBOOT", "DEL:old.pyo"});
    const std::size_t notes0 = monitor().size();
    form().Upgrade.click();
    EXPECT_EQ(sentFrom(0), (std::vector<std::string>{"AT#ESCRIPT=zep.pyo\r\n"}));
    EXPECT_TRUE(st().UploadActive);
    EXPECT_TRUE(form().Prubeh.visible());
    EXPECT_EQ(form().Prubeh.max(), 4);
    EXPECT_EQ(form().Prubeh.position(), 1);
    EXPECT_FALSE(form().Upgrade.enabled());
    EXPECT_TRUE(form().UploadCancel.enabled());

    rx("OK");
    EXPECT_EQ(form().Prubeh.position(), 1);
    EXPECT_FALSE(st().UploadActive);
    clock.advance(499);
    EXPECT_EQ(sentCount(), 1u);
    clock.advance(1);
    EXPECT_EQ(sent().back(), "AT#REBOOT\r\n");

    rx("ERROR");
    clock.advance(5000);
    EXPECT_EQ(sentCount(), 2u);
    rx("OK");  // for example the answer to a signal query
    clock.advance(500);
    EXPECT_EQ(sent().back(), "AT#DSCRIPT=old.pyo\r\n");
    rx("OK");
    clock.advance(5000);
    EXPECT_EQ(sentCount(), 3u);
    EXPECT_FALSE(st().UploadActive);
    EXPECT_FALSE(running());
    EXPECT_EQ(form().Prubeh.position(), 3);
    EXPECT_TRUE(form().Upgrade.enabled());
    EXPECT_FALSE(form().UploadCancel.enabled());
    EXPECT_EQ(ownNotes(monitor(), notes0),
              (std::vector<std::string>{"AT#ESCRIPT=zep.pyo", "AT#REBOOT", "AT#DSCRIPT=old.pyo"}));
    EXPECT_NE(form().UploadStatus.caption().find("finished"), std::string::npos);

    rx("OK");  // after the end an "OK" is nobody's
    clock.advance(1000);
    EXPECT_EQ(sentCount(), 3u);
}

// The prompt counts only as the whole text since the last CR, at its last character, and
// only while a step waits.
TEST_F(UploadFixture, PromptIsTheWholeTextSinceTheLastCrAndActsAtItsLastCharacter) {
    files.files["zep.pyo"] = std::string("ab\0\r\n\xff", 6);
    struct Case {
        std::vector<std::string> events;
        bool sends;
    } cases[] = {
        {{"\r\n>>>"}, true},
        {{"\r\n>", ">", ">"}, true},       // split across events
        {{"\r\nCONNECT and more"}, true},  // acted on at its seventh character
        {{"\r\nCONN", "ECT\r\n"}, true},
        {{"\r\nx>>>"}, false},  // other text before it on the same line
        {{"\r\n>> >"}, false},
        {{"\r\nconnect\r\n"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.events.back());
        list({"zep.pyo"});
        form().Upgrade.click();
        ASSERT_TRUE(st().UploadActive);
        const std::size_t before = sentCount();
        for (const auto& e : c.events) feed(e);
        clock.advance(499);
        EXPECT_EQ(sentCount(), before);
        clock.advance(1);
        if (c.sends) {
            ASSERT_EQ(sentCount(), before + 1);
            EXPECT_EQ(sent().back(), files.files["zep.pyo"]);
        } else {
            EXPECT_EQ(sentCount(), before);
        }
        form().UploadCancel.click();
        feed("\r");
        ASSERT_FALSE(running());
    }
    // Without an upload waiting, the same text is an ordinary line.
    const std::size_t before = sentCount();
    feed(">>>\r\n");
    clock.advance(1000);
    EXPECT_EQ(sentCount(), before);
}

// The voice send: SerialWait before the command, the data on CONNECT, the "OK" after the
// data does not move the list; "#ASENDEV:" is answered with "AT", whose "OK" does.
TEST_F(UploadFixture, VoiceSendWaitsForItsEndReport) {
    files.files["bell.wav"] = pattern(300);
    st().SerialWait = 700;
    list({"ASEND:bell.wav", "RUN:zep.pyo"});
    form().Upgrade.click();
    EXPECT_EQ(sentCount(), 0u);
    clock.advance(699);
    EXPECT_EQ(sentCount(), 0u);
    clock.advance(1);
    EXPECT_EQ(sent().back(), "AT#ASEND=bell.wav,300\r\n");
    EXPECT_TRUE(st().AudioSendActive);

    feed("\r\nCONNECT\r\n");
    clock.advance(500);
    EXPECT_EQ(sent().back(), pattern(300));
    rx("OK");
    clock.advance(2000);
    EXPECT_EQ(sentCount(), 2u);
    EXPECT_EQ(form().Prubeh.position(), 1);

    rx("#ASENDEV: 0");
    EXPECT_EQ(sent().back(), "AT\r\n");
    EXPECT_FALSE(st().AudioSendActive);
    rx("OK");
    clock.advance(500);
    EXPECT_EQ(sent().back(), "AT#ESCRIPT=zep.pyo\r\n");
    EXPECT_EQ(form().Prubeh.position(), 1);

    rx("#ASENDEV: 0");  // no voice send waits: ignored
    EXPECT_EQ(sent().back(), "AT#ESCRIPT=zep.pyo\r\n");
}

// Every file is looked at when Upgrade is pressed; a list that cannot be sent sends nothing
// and says which lines fail.
TEST_F(UploadFixture, ListNamingFilesThatCannotBeSentIsRefusedBeforeAnythingIsSent) {
    files.files["ok.pyo"] = "x";
    files.files["empty.pyo"] = "";
    files.files["locked.wav"] = "data";
    files.unreadable.insert("locked.wav");
    list({"RUN:a", "ok.pyo", "missing.pyo", "ASEND:locked.wav", "", "empty.pyo"});
    form().Upgrade.click();
    clock.advance(5000);
    EXPECT_EQ(sentCount(), 0u);
    EXPECT_FALSE(st().UploadActive);
    EXPECT_FALSE(running());
    EXPECT_FALSE(form().Prubeh.visible());
    ASSERT_EQ(dialogs.errors.size(), 1u);
    const std::string& e = dialogs.errors[0];
    for (const char* part : {"line 3: ", "missing.pyo", "line 4: ", "locked.wav", "line 5: names no file",
                             "line 6: ", "empty.pyo\" is empty"})
        EXPECT_NE(e.find(part), std::string::npos) << part;
    EXPECT_EQ(e.find("line 1"), std::string::npos);
    EXPECT_EQ(e.find("line 2"), std::string::npos);
}

TEST_F(UploadFixture, EmptyListSendsNothingAndLeavesNoFlagBehind) {
    form().Upgrade.click();
    EXPECT_EQ(sentCount(), 0u);
    EXPECT_FALSE(st().UploadActive);
    EXPECT_FALSE(form().Prubeh.visible());
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("empty"), std::string::npos);
    // The next "OK" still reaches the other sequences.
    st().ProgModeEntered = true;
    st().LteModule = true;
    rx("OK");
    clock.advance(200);
    EXPECT_EQ(sent().back(), "AT#SPN\r\n");
}

// A file that vanished after Upgrade ends the upload with a message instead of waiting.
TEST_F(UploadFixture, FileGoneByTheTimeItsLineRunsEndsTheUploadWithAMessage) {
    files.files["a.pyo"] = "a";
    files.files["b.pyo"] = "b";
    list({"a.pyo", "b.pyo", "RUN:a.pyo"});
    form().Upgrade.click();
    files.files.erase("b.pyo");
    feed("\r\n>>>");
    clock.advance(500);
    feed("\r\nOK\r\n");
    clock.advance(500);
    EXPECT_EQ(sentCount(), 2u);  // the command and the data of line 1
    EXPECT_FALSE(running());
    EXPECT_FALSE(st().UploadActive);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("line 2 (b.pyo)"), std::string::npos);
    EXPECT_EQ(ownNotes(monitor()).back(), dialogs.errors[0]);
}

TEST_F(UploadFixture, CancelStopsBeforeTheNextLineAndSaysWhereTheUnitIs) {
    list({"RUN:a", "SET:AT+X", "DEL:b"});
    form().Upgrade.click();
    rx("OK");
    clock.advance(500);
    ASSERT_EQ(sent().back(), "AT+X\r\n");
    form().UploadCancel.click();
    EXPECT_FALSE(running());
    EXPECT_FALSE(st().UploadActive);
    EXPECT_EQ(
        ownNotes(monitor()).back(),
        "Upload cancelled. The last completed line is line 1 (RUN:a). line 2 (SET:AT+X) was sent but not "
        "confirmed.");
    rx("OK");
    clock.advance(2000);
    EXPECT_EQ(sentCount(), 2u);
    EXPECT_TRUE(form().Upgrade.enabled());

    // Cancelled in the pause after an "OK": the next line is never sent.
    form().Upgrade.click();
    rx("OK");
    clock.advance(200);
    form().UploadCancel.click();
    clock.advance(2000);
    EXPECT_EQ(sent().back(), "AT#ESCRIPT=a\r\n");
    EXPECT_EQ(ownNotes(monitor()).back(), "Upload cancelled. The last completed line is line 1 (RUN:a).");
}

// Cancel while a file's data waits to go out: the unit gets every byte it was promised,
// then the upload ends.
TEST_F(UploadFixture, CancelDuringTheDataLetsTheFileFinish) {
    files.files["big.pyo"] = pattern(70000);
    list({"big.pyo", "RUN:big.pyo"});
    form().Upgrade.click();
    feed("\r\n>>>");
    clock.advance(100);
    form().UploadCancel.click();
    EXPECT_TRUE(running());
    clock.advance(1000);
    EXPECT_FALSE(running());
    auto all = sent();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1] + all[2], pattern(70000));
    EXPECT_NE(ownNotes(monitor()).back().find("line 1 (big.pyo) was sent but not confirmed"),
              std::string::npos);
    feed("\r\nOK\r\n");
    clock.advance(1000);
    EXPECT_EQ(sentCount(), 3u);
}

TEST_F(UploadFixture, LostPortEndsTheUploadWithAMessage) {
    list({"RUN:a", "RUN:b"});
    form().Upgrade.click();
    port().onFailure("device unplugged");
    clock.advance(10);
    EXPECT_FALSE(running());
    EXPECT_FALSE(st().UploadActive);
    EXPECT_NE(ownNotes(monitor()).back().find("connection to the unit was lost during line 1 (RUN:a)"),
              std::string::npos);
    EXPECT_EQ(dialogs.errors.size(), 1u);  // the port's own message, once
    EXPECT_TRUE(form().Upgrade.enabled());
}

TEST_F(UploadFixture, ProgressShowsTheLineTheBytesAndTheTimeLeft) {
    files.files["s.pyo"] = pattern(11520);
    list({"s.pyo", "RUN:s.pyo"});
    form().Upgrade.click();
    const std::string& status = form().UploadStatus.caption();
    EXPECT_NE(status.find("Line 1 of 2: s.pyo"), std::string::npos) << status;
    EXPECT_NE(status.find("0 of 11520 bytes sent"), std::string::npos) << status;
    // One second of wire time, the prompt pause, the next line's pause.
    EXPECT_NE(status.find("about 0:02 left"), std::string::npos) << status;
}
