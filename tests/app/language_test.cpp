// Captions and hints from the settings file: read at start-up onto every control a row
// names, written back at close, with the user's own lines kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/ini_file.h"
#include "support/core_fixture.h"

using namespace dorive;

namespace {

struct LanguageTest : test::CoreFixture {
    test::FakeFiles files;
    const std::string path = "/opt/dorive/DORive.ini";

    // Starts a core on `contents` (no file when nullopt), as the executable `exe`.
    void start(std::optional<std::string> contents, const std::string& exe = "DORive") {
        if (contents) files.files[path] = *contents;
        makeCore({exe, path, 10000, &files});
        startUp();
    }
    Form& form() { return core->form(); }
    const Control& control(const std::string& name) {
        Control* c = core->form().find(name);
        if (!c) throw std::runtime_error("no control " + name);
        return *c;
    }
    // The file after the close.
    IniFile closed() {
        core->FormClose();
        IniFile ini(path);
        ini.parse(files.files.at(path));
        return ini;
    }
};

std::vector<std::string> lines(std::string text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
        start = end + 1;
    }
    return out;
}

// The file a first run leaves behind, kept beside this test.
std::string expectedFirstRun() {
    std::ifstream in(std::filesystem::path(__FILE__).parent_path() / "language_first_run.ini",
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST_F(LanguageTest, FirstRunShowsTheDefaultsAndWritesEveryTextInFileOrder) {
    start(std::nullopt);
    EXPECT_EQ(core->state().LanguageName, "Eng");
    EXPECT_EQ(form().KeyBoardParams.caption(), "Keyboard parameters");
    EXPECT_EQ(form().KeyBoardMemo.caption(), "Keyboard Memo");
    EXPECT_EQ(form().Label35.caption(), "Phone number for SMSs with opening numbers");
    EXPECT_EQ(form().PhoneBook1.hint(), "Telephone book in ZEP");
    EXPECT_EQ(form().DeviceStop.hint(), "ZEP Status (Programming Mode / Stand By - Run mode).");
    EXPECT_EQ(form().signal.hint(), "Finding the signal strength (only when stopped ZEP).");

    core->FormClose();
    std::string expected = expectedFirstRun();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(lines(files.files.at(path)), lines(expected));
    EXPECT_NE(files.files.at(path).find("\r\n"), std::string::npos);
}

TEST_F(LanguageTest, AVariantReadsItsPanelUnderItsOwnNameAndWritesItUnderZep) {
    start("[Language]\r\nHarwick=Harwick Pro\r\nZEP=Z\r\n", "Harwick DORive");
    EXPECT_EQ(form().GroupBox4.caption(), "Harwick Pro");
    EXPECT_EQ(form().LoadZEP.hint(), "Loading parameters from Harwick");
    EXPECT_EQ(form().service.hint(), "Upgrading fw of Harwick, loading Voice Messages.");
    IniFile ini = closed();
    EXPECT_EQ(ini.value("Language", "ZEP"), "Harwick Pro");
    EXPECT_EQ(ini.value("Language", "Harwick"), "Harwick Pro");
    EXPECT_EQ(ini.value("Help", "LoadZEP"), "Loading parameters from Harwick");

    // The next start reads its own key again.
    start(std::nullopt, "Harwick DORive");
    EXPECT_EQ(form().GroupBox4.caption(), "Harwick Pro");

    // Without its key the panel shows the device name, and only "ZEP" is written.
    files.files.clear();
    start(std::nullopt, "GSMKelpy");
    EXPECT_EQ(form().GroupBox4.caption(), "GSM-Quillmore");
    ini = closed();
    EXPECT_EQ(ini.value("Language", "ZEP"), "GSM-Quillmore");
    EXPECT_EQ(ini.value("Language", "GSM-Quillmore"), std::nullopt);
}

TEST_F(LanguageTest, ATextReachesEveryControlItsRowNames) {
    struct Case {
        const char* section;
        const char* key;  // as the user wrote it
        std::string text;
        bool hint;
        std::vector<std::string> controls;
    };
    std::vector<std::string> numberEdits;
    for (const char* row : {"ABUTTON", "AABUTTON", "BBUTTON", "ADMIN"})
        for (int i = 1; i <= 7; ++i) numberEdits.push_back(row + std::to_string(i));
    const Case cases[] = {
        {"Language", "Keyboard Parameters", "Tastatur", false, {"KeyBoardParams"}},
        {"Language", "Code", "K\xF3\x64", false, {"Label44", "Label42", "Label45", "Label47", "Label49"}},
        {"Help", "Telephone number", "Rufnummer", true, numberEdits},
        {"Help", "Name of memory", "Jm\xE9no pam\xECti", true, {"Button", "Memo"}},
        {"Help", "Status", "Mein Status", true, {"DeviceNic", "DeviceRun", "DeviceStop"}},
        {"Language", "phone book", "Telefonbuch", false, {"PhoneBook"}},
        {"LANGUAGE",
         "RELAY 1",
         "Relais 1",
         false,
         {"Relay1", "M0Rel1", "M1Rel1", "M2Rel1", "M3Rel1", "M4Rel1"}},
        {"Language", "Buttons", "", false, {"Buttons"}},
        {"Help", "Monitor", "", true, {"Monitor", "TabSheet2"}},
        {"Language", "Save", "Ulo\x9Eit", false, {"SaveZEP", "Save"}},
    };
    for (const Case& c : cases) {
        const std::string line = std::string(c.key) + "=" + c.text;
        start("[" + std::string(c.section) + "]\r\n" + line + "\r\n");
        for (const std::string& name : c.controls)
            EXPECT_EQ(c.hint ? control(name).hint() : control(name).caption(), c.text) << line << " " << name;
        EXPECT_EQ(closed().value(c.section, c.key), c.text) << line;
    }
}

TEST_F(LanguageTest, WriteBackKeepsTheUsersLinesAndWritesEachKeyOnce) {
    const std::string user =
        "[Help]\r\n"
        "STATUS=Mein eigener Status\r\n"
        "My own note=keep me\r\n"
        "Name of memory=Speichername\r\n"
        "[Language]\r\n"
        "Language=Deutsch\r\n"
        "Volume Spk=Lautst\xE4rke\r\n"
        "Phone number for SMSs with opening numbers=Rufnummer f\xFCr SMS\r\n";
    start(user);
    EXPECT_EQ(core->state().LanguageName, "Deutsch");
    EXPECT_EQ(form().Label35.caption(), "Rufnummer f\xFCr SMS");
    core->FormClose();
    const std::vector<std::string> after = lines(files.files.at(path));
    // The user's lines stand as they were, byte for byte.
    for (const std::string& line : lines(user))
        EXPECT_EQ(std::count(after.begin(), after.end(), line), 1) << line;
    EXPECT_EQ(
        std::count(after.begin(), after.end(), "Status=ZEP Status (Programming Mode / Stand By - Run mode)."),
        0);
    // The label's key stays where the user put it; a file without it gets it last.
    EXPECT_EQ(std::count_if(after.begin(), after.end(),
                            [](const std::string& l) { return l.rfind("Phone number for SMSs", 0) == 0; }),
              1);
    EXPECT_EQ(std::count_if(after.begin(), after.end(),
                            [](const std::string& l) { return l.rfind("Name of memory=", 0) == 0; }),
              1);
}

TEST_F(LanguageTest, AFileThatCannotBeWrittenIsReportedAndTheCloseEnds) {
    files.failWrites.insert(path);
    start("[Language]\r\nButtons=Tasten\r\n");
    EXPECT_EQ(form().Buttons.caption(), "Tasten");
    core->FormClose();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], "Unable to write to " + path);
    EXPECT_EQ(files.files.at(path), "[Language]\r\nButtons=Tasten\r\n");
    EXPECT_TRUE(port().closed);
}

TEST_F(LanguageTest, RowsWhoseControlIsNotInTheFormAreStillReadAndWritten) {
    // Every name in the tables is a control of the form, but for the upload list's controls
    // and a second month caption the code pages do without.
    const std::vector<std::string> notYet = {"LoadList", "ClrList", "Upgrade", "List", "Label50"};
    for (const std::string& name : core->language().missingControls())
        EXPECT_NE(std::find(notYet.begin(), notYet.end(), name), notYet.end()) << name;

    start("[Language]\r\nLoad List=Liste laden\r\n[Help]\r\nList=Dateien\r\n");
    IniFile ini = closed();
    EXPECT_EQ(ini.value("Language", "Load List"), "Liste laden");
    EXPECT_EQ(ini.value("Help", "List"), "Dateien");
    EXPECT_EQ(ini.value("Help", "Upgrade"), "Upgrade (transfer) all files from the list to ZEP");
}
