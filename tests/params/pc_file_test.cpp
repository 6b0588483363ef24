// The PC parameter file through the PC panel's Save and Load, on files kept in memory
// (and once on the real disk with a file-size limit standing in for a full disk).
#include "params/pc_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "params/records.h"
#include "support/core_fixture.h"

namespace dorive {
namespace {

using Rows = std::vector<PhoneBookList::Row>;
using Lines = std::vector<std::string>;

struct PcFileTest : test::CoreFixture {
    test::FakeFiles files;
    void SetUp() override { makeFreshCore(); }
    void makeFreshCore() {
        DoriveOptions o;
        o.files = &files;
        makeCore(o);
    }
    Form& form() { return core->form(); }
    State& st() { return core->state(); }

    void save(const std::string& path) {
        dialogs.saveAnswers.push_back(path);
        form().Save.click();
    }
    void load(const std::string& path) {
        dialogs.openAnswers.push_back(path);
        form().Load.click();
    }
    void loadText(const std::string& text) {
        files.files["in.zep"] = text;
        load("in.zep");
    }
    Lines lines(const std::string& path) {
        Lines out;
        const std::string& t = files.files.at(path);
        for (std::size_t i = 0; i < t.size();) {
            std::size_t end = t.find("\r\n", i);
            if (end == std::string::npos) {
                out.push_back(t.substr(i) + "<no CR LF>");
                break;
            }
            out.push_back(t.substr(i, end - i));
            i = end + 2;
        }
        return out;
    }
    // Settings no start-up shows: every field and every record position set.
    void fillEverything() {
        for (int i = 0; i < 7; ++i) {
            form().ADMIN[i].setText("+42060000" + std::to_string(i + 1));
            form().ABUTTON[i].setText("70000" + std::to_string(i + 1));
            form().BBUTTON[i].setText("*80000#" + std::to_string(i + 1));
        }
        form().ALARMON.setText(
            "Alarm = on, \xE8"
            "ek");  // "=" and a byte above 127
        form().ALARMOFF.setText("");
        form().VolMic.setPosition(2);
        form().VolSpk.setPosition(6);
        form().AllCall.select();  // relay 2's ring box below selects NoCall again
        form().SendSMS.setChecked(true);
        form().TonRing.setChecked(true);
        form().TonVoice.setChecked(true);
        form().PortESMS.select();
        form().waiting.setItemIndex(5);
        form().Relay1.RelCam.select();
        form().Relay1.RelCode.setText("7");
        form().Relay1.RelTime.setText("12");
        form().Relay2.RelSW.select();
        form().Relay2.RelRingAll.setChecked(true);
        form().WaitBUF.setItemIndex(4);
        form().DirectCall.setChecked(true);
    }
    std::vector<std::string> fields() {
        std::vector<std::string> out;
        for (auto* edits : {&form().ADMIN, &form().ABUTTON, &form().AABUTTON, &form().BBUTTON})
            for (Edit& e : *edits) out.push_back(e.text());
        out.push_back(form().ALARMON.text());
        out.push_back(form().ALARMOFF.text());
        return out;
    }
    std::vector<std::string> records() {
        return {st().ParamGeneral, st().ParamRelay1, st().ParamRelay2, st().ParamKeypad};
    }
};

TEST_F(PcFileTest, SaveThenLoadRestoresFieldsRecordsAndRows) {
    fillEverything();
    const Rows rows = {{"Anna", "111"},
                       {"\x8A\xE9"
                        "f \xC8"
                        "ech",
                        "+420 \xA7"},  // bytes above 127 in both columns
                       {"Empty number", ""},
                       {"Anna", "222"},    // repeated name
                       {"ADMIN1", "999"},  // a row named like a field stays a row
                       {"", "555"},
                       {"M1-1", "1234"}};
    form().PhoneBook1.setRows(rows);
    save("all.zep");
    ASSERT_TRUE(dialogs.errors.empty());

    const auto savedFields = fields();
    const auto savedRecords = records();
    EXPECT_EQ(savedRecords, (std::vector<std::string>{"6#2#0#1#0#6#2#5", "7#2#12#0", "6#5#03#1", "5#1"}));

    makeFreshCore();  // a new session
    files.files["copy.zep"] = files.files["all.zep"];
    load("copy.zep");
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(fields(), savedFields);
    EXPECT_EQ(records(), savedRecords);
    EXPECT_EQ(form().PhoneBook1.rows(), rows);
    // The controls show the records: composing them again gives the same texts.
    State again = st();
    BuildParamRecords(form(), again);
    EXPECT_EQ((std::vector<std::string>{again.ParamGeneral, again.ParamRelay1, again.ParamRelay2,
                                        again.ParamKeypad}),
              savedRecords);
    EXPECT_TRUE(form().Relay1.RelCam.checked());
    EXPECT_TRUE(form().Relay2.RelRingAll.checked());
    EXPECT_TRUE(form().DirectCall.checked());
}

TEST_F(PcFileTest, SaveWritesTheRecordsThePagesShow) {
    // Stale record texts are not what gets saved: the pages are composed first.
    st().ParamGeneral = "9#9#9#9#9#9#9#9";
    form().ADMIN[0].setText("123");
    save("out.zep");
    Lines l = lines("out.zep");
    ASSERT_EQ(l.size(), 27u);  // 23 fields and 4 records; no rows
    EXPECT_EQ(l[0], "ADMIN1=123");
    EXPECT_EQ(l[1], "ADMIN2=");
    EXPECT_EQ(l[7], "ABUTTON1=");
    EXPECT_EQ(l[14], "BBUTTON1=");
    EXPECT_EQ(l[21], "ALARMON=");
    EXPECT_EQ(l[22], "ALARMOFF=");
    EXPECT_EQ((Lines{l.begin() + 23, l.end()}),
              (Lines{"PARAMZEP=1#1#0#0#0#0#0#2", "PARAMRL1=5#0#03#0", "PARAMRL2=6#0#03#0", "PARAMKEY=2#0"}));
    EXPECT_EQ(st().ParamGeneral, "1#1#0#0#0#0#0#2");
}

TEST_F(PcFileTest, LoadCases) {
    struct Case {
        const char* what;
        std::string file;
        std::function<void(PcFileTest&)> check;
    };
    const std::vector<Case> cases = {
        {"lower-case key", "admin1=123\r\n",
         [](PcFileTest& t) {
             EXPECT_EQ(t.form().ADMIN[0].text(), "123");
             EXPECT_TRUE(t.form().PhoneBook1.rows().empty());
         }},
        {"first of two ADMIN2 lines; the second stays a row", "ADMIN2=111\r\nADMIN2=222\r\n",
         [](PcFileTest& t) {
             EXPECT_EQ(t.form().ADMIN[1].text(), "111");
             EXPECT_EQ(t.form().PhoneBook1.rows(), (Rows{{"ADMIN2", "222"}}));
         }},
        {"value with =", "ALARMON=A=B\r\n", [](PcFileTest& t) { EXPECT_EQ(t.form().ALARMON.text(), "A=B"); }},
        {"phone numbers pass the edit rule; ABUTTON on both pages", "ABUTTON3=12a34\r\n",
         [](PcFileTest& t) {
             EXPECT_EQ(t.form().ABUTTON[2].text(), "12");
             EXPECT_EQ(t.form().AABUTTON[2].text(), "12");
         }},
        {"general record of the wrong length falls back", "PARZEP=123\r\n",
         [](PcFileTest& t) { EXPECT_EQ(t.st().ParamGeneral, "4#4#0#0#1#5#0#2"); }},
        {"relay record applied", "PARRL1=5#2#03#0\r\n",
         [](PcFileTest& t) {
             EXPECT_EQ(t.st().ParamRelay1, "5#2#03#0");
             EXPECT_TRUE(t.form().Relay1.RelCam.checked());
         }},
        {"file of an earlier version: PARAM names, no keypad line",
         "ADMIN1=1\r\nPARAMZEP=3#3#1#1#0#0#1#4\r\nPARAMRL1=5#3#10#0\r\nPARAMRL2=6#4#20#0\r\nBob=7\r\n",
         [](PcFileTest& t) {
             EXPECT_EQ(t.st().ParamGeneral, "3#3#1#1#0#0#1#4");
             EXPECT_TRUE(t.form().SIMCall.checked());
             EXPECT_TRUE(t.form().PortEtons.checked());
             EXPECT_TRUE(t.form().Relay1.RelLi.checked());
             EXPECT_EQ(t.form().Relay2.RelTime.text(), "20");
             EXPECT_EQ(t.st().ParamKeypad, "2#0");
             EXPECT_EQ(t.form().PhoneBook1.rows(), (Rows{{"Bob", "7"}}));
         }},
        {"keypad record, either name, any case", "paramkey=5#1\r\n",
         [](PcFileTest& t) {
             EXPECT_EQ(t.form().WaitBUF.text(), "5");
             EXPECT_TRUE(t.form().DirectCall.checked());
         }},
        {"first of the two spellings wins", "PARRL2=6#2#05#0\r\nPARAMRL2=6#3#05#0\r\n",
         [](PcFileTest& t) {
             EXPECT_TRUE(t.form().Relay2.RelCam.checked());
             EXPECT_EQ(t.form().PhoneBook1.rows(), (Rows{{"PARAMRL2", "6#3#05#0"}}));
         }},
        {"LF line ends, a byte-order mark, blank lines, a line without =",
         "\xEF\xBB\xBF"
         "ALARMOFF=off\n\nJust a name\nCarl=1\n",
         [](PcFileTest& t) {
             EXPECT_EQ(t.form().ALARMOFF.text(), "off");
             EXPECT_EQ(t.form().PhoneBook1.rows(), (Rows{{"Just a name", ""}, {"Carl", "1"}}));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        makeFreshCore();
        form().ADMIN[4].setText("55");  // keys missing from the file leave their field
        loadText(c.file);
        EXPECT_TRUE(dialogs.errors.empty());
        EXPECT_EQ(form().ADMIN[4].text(), "55");
        c.check(*this);
    }
}

TEST_F(PcFileTest, CancelledDialogsChangeNothing) {
    form().PhoneBook1.setRows({{"Anna", "1"}});
    form().Save.click();  // no answer: cancelled
    form().Load.click();
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(form().PhoneBook1.rows(), (Rows{{"Anna", "1"}}));
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(PcFileTest, AFailedSaveLeavesTheOldFileAndSaysSo) {
    files.files["unit.zep"] = "ADMIN1=old\r\n";
    files.failWrites.insert("unit.zep");
    save("unit.zep");
    EXPECT_EQ(files.files["unit.zep"], "ADMIN1=old\r\n");
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("unit.zep"), std::string::npos);
    EXPECT_NE(dialogs.errors[0].find("unchanged"), std::string::npos);
}

TEST_F(PcFileTest, RecordsThatWouldNotComeBackAreNotSaved) {
    // The user emptied the code field; its rule refuses the blank and leaves it so.
    EXPECT_ANY_THROW(form().Relay1.RelCode.userEdit("", 0));
    save("out.zep");
    EXPECT_FALSE(files.exists("out.zep"));
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("Relay 1"), std::string::npos);
}

TEST_F(PcFileTest, FilesThatCannotBeLoadedChangeNothing) {
    struct Case {
        const char* what;
        std::function<void(test::FakeFiles&)> prepare;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"missing", [](test::FakeFiles&) {}, "Cannot open file"},
        {"binary",
         [](test::FakeFiles& f) { f.files["in.zep"] = std::string("ADMIN1=1\r\n\0\x01\x02\xFF", 14); },
         "binary"},
        {"10 MB of long lines",
         [](test::FakeFiles& f) {
             std::string big;
             while (big.size() < 10 * 1024 * 1024) big += "ADMIN1=" + std::string(100000, '7') + "\r\n";
             f.files["in.zep"] = big;
         },
         "too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        makeFreshCore();
        dialogs.errors.clear();
        files.files.clear();
        form().ADMIN[0].setText("123");
        form().PhoneBook1.setRows({{"Anna", "1"}});
        c.prepare(files);
        load("in.zep");
        ASSERT_EQ(dialogs.errors.size(), 1u);
        EXPECT_NE(dialogs.errors[0].find(c.expected), std::string::npos) << dialogs.errors[0];
        EXPECT_NE(dialogs.errors[0].find("in.zep"), std::string::npos);
        EXPECT_EQ(form().ADMIN[0].text(), "123");
        EXPECT_EQ(form().PhoneBook1.rows(), (Rows{{"Anna", "1"}}));
    }
}

#ifndef _WIN32
// The real disk: a limit on file size makes the write fail part-way, as a full disk does.
TEST(PcFileOnDisk, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("dorive_pc_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string target = (dir / "unit.zep").string();
    diskFiles().write(target, "ADMIN1=old\r\n");

    test::VirtualClock clock;
    test::FakeProvider provider{clock};
    test::ScriptedDialogs dialogs;
    Dorive core(provider, clock, dialogs);
    std::vector<PhoneBookList::Row> rows(100, {"A long enough name", "+420123456789"});
    core.form().PhoneBook1.setRows(rows);
    dialogs.saveAnswers.push_back(target);

    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    core.form().Save.click();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find(target), std::string::npos);
    EXPECT_EQ(diskFiles().read(target), "ADMIN1=old\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // Without the limit the same save replaces the file.
    dialogs.saveAnswers.push_back(target);
    core.form().Save.click();
    EXPECT_EQ(dialogs.errors.size(), 1u);
    EXPECT_GT(diskFiles().read(target).size(), 1024u);
    fs::remove_all(dir);
}
#endif

}  // namespace
}  // namespace dorive
