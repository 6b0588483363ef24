// The core against the simulated unit: stop, read, edit, save, read back, run, and saves
// that the unit breaks off.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/dorive.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"
#include "support/fakes.h"

using namespace dorive;
using dorive::sim::ModuleType;
using dorive::sim::SimCard;
using dorive::sim::SimUnit;
using dorive::test::ScriptedDialogs;
using dorive::test::VirtualClock;

namespace {

// Opens the simulated unit's port whatever port the dialog named.
class SimProvider : public PortProvider {
  public:
    SimProvider(Clock& clock, std::shared_ptr<SimUnit> unit) : clock_(clock), unit_(std::move(unit)) {}
    std::vector<PortInfo> ports() override { return {{kSimulatedPortName, "simulated unit"}}; }
    std::unique_ptr<SerialPort> open(const std::string&) override {
        return std::make_unique<sim::SimPort>(clock_, unit_, sim::Pacing::instant());
    }

  private:
    Clock& clock_;
    std::shared_ptr<SimUnit> unit_;
};

// The SIM names of the settings fields, written out here so that a fault in the program's
// own table shows.
std::map<std::string, const Edit*> fieldsByName(const Form& f) {
    std::map<std::string, const Edit*> out;
    for (int i = 0; i < 7; ++i) {
        out["ADMIN" + std::to_string(i + 1)] = &f.ADMIN[i];
        out["ABUTTON" + std::to_string(i + 1)] = &f.ABUTTON[i];
        out["BBUTTON" + std::to_string(i + 1)] = &f.BBUTTON[i];
    }
    out["ALARMON"] = &f.ALARMON;
    out["ALARMOFF"] = &f.ALARMOFF;
    return out;
}

struct Device : ::testing::TestWithParam<ModuleType> {
    VirtualClock clock;
    std::shared_ptr<SimUnit> unit;
    std::unique_ptr<SimProvider> provider;
    ScriptedDialogs dialogs;
    std::unique_ptr<Dorive> core;

    void SetUp() override {
        sim::SimOptions options;
        options.type = GetParam();
        unit = std::make_shared<SimUnit>(clock, options);
        provider = std::make_unique<SimProvider>(clock, unit);
        core = std::make_unique<Dorive>(*provider, clock, dialogs);
        dialogs.portAnswers.push_back(std::string(kSimulatedPortName));
        core->post([this] { return core->FormCreate(); });
        // Long enough for the newer module's script to announce itself.
        clock.advance(11000);
    }
    void TearDown() override {
        core.reset();
        provider.reset();
        unit.reset();
    }
    Form& form() { return core->form(); }
    State& st() { return core->state(); }
    void click(Button& b) {
        ASSERT_TRUE(b.enabled()) << b.name();
        b.click();
    }
    void stopAndRead() {
        click(form().StopZEP);
        clock.advance(10000);
        ASSERT_TRUE(form().DeviceStop.visible());
        ASSERT_EQ(st().SimCapacity, unit->sim().capacity());
    }
    void save() {
        click(form().SaveZEP);
        clock.advance(st().SimCapacity * 250 + 5000);
        ASSERT_FALSE(st().WriteActive);
    }
    std::vector<std::string> errors() { return dialogs.errors; }

    // Every field, record and row as the SIM holds it.
    void expectViewShowsSim() {
        std::vector<PhoneBookList::Row> rows;
        const auto fields = fieldsByName(form());
        for (const auto& [location, e] : unit->sim().entries()) {
            SCOPED_TRACE(e.name);
            if (fields.count(e.name)) {
                EXPECT_EQ(fields.at(e.name)->text(), e.number);
            } else if (e.name == "PARZEP") {
                EXPECT_EQ(st().ParamGeneral, e.number);
            } else if (e.name == "PARRL1") {
                EXPECT_EQ(st().ParamRelay1, e.number);
            } else if (e.name == "PARRL2") {
                EXPECT_EQ(st().ParamRelay2, e.number);
            } else if (e.name == "PARKEY") {
                EXPECT_EQ(st().ParamKeypad, e.number);
            } else if (e.name == "VER") {
                EXPECT_EQ(form().StatusBar1.panelText(4), " ZEP Ver: " + e.number);
            } else {
                rows.push_back({e.name, e.number});
            }
        }
        EXPECT_EQ(form().PhoneBook1.rows(), rows);
    }
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Modules, Device, ::testing::Values(ModuleType::Older, ModuleType::Newer),
                         [](const auto& info) {
                             return info.param == ModuleType::Older ? "Older" : "Newer";
                         });

TEST_P(Device, StopReadsTheWholeSim) {
    EXPECT_TRUE(form().DeviceRun.visible());
    EXPECT_EQ(st().LteModule, GetParam() == ModuleType::Newer);
    stopAndRead();
    expectViewShowsSim();
    EXPECT_EQ(form().StatusBar1.panelText(0), "Operator:  Simnet");  // the reply's blank is kept
    EXPECT_EQ(form().StatusBar1.panelText(2), " SIM: 250");
    EXPECT_EQ(form().AABUTTON[0].text(), "0601234567");
    // PARRL2 "6#3#10#0": relay 2 is a light switched for ten seconds.
    EXPECT_TRUE(form().Relay2.RelLi.checked());
    EXPECT_EQ(form().Relay2.RelTime.text(), "10");
    EXPECT_FALSE(form().DetBut.checked());
    EXPECT_FALSE(core->device().waiting());
    EXPECT_TRUE(form().SaveZEP.enabled() && form().LoadZEP.enabled() && form().RunZEP.enabled());
    EXPECT_TRUE(errors().empty());
}

TEST_P(Device, EditSaveAndReadBack) {
    stopAndRead();
    form().ADMIN[1].setText("");
    form().ADMIN[2].setText("+420603333333");
    form().ALARMON.setText("Gate open");
    form().VolMic.setPosition(2);  // microphone level 6
    auto rows = form().PhoneBook1.rows();
    rows.push_back({"Janitor", "0609999000"});
    rows.push_back({"NoNumber", ""});  // incomplete rows take no location
    form().PhoneBook1.setRows(rows);
    unit->clearCommands();

    save();
    EXPECT_TRUE(errors().empty());

    // The SIM holds exactly the non-empty fixed entries in their order, then the complete rows.
    std::vector<std::pair<std::string, std::string>> expected = {{"ADMIN1", "+420601111111"},
                                                                 {"ADMIN3", "+420603333333"},
                                                                 {"ABUTTON1", "0601234567"},
                                                                 {"ABUTTON2", "0602345678"},
                                                                 {"ABUTTON3", "0603456789"},
                                                                 {"BBUTTON1", "0604567890"},
                                                                 {"BBUTTON2", "0605678901"},
                                                                 {"ALARMON", "Gate open"},
                                                                 {"ALARMOFF", "Door alarm off"},
                                                                 {"PARZEP", "6#4#1#1#1#5#1#2"},
                                                                 {"PARRL1", "5#1#03#0"},
                                                                 {"PARRL2", "6#3#10#0"},
                                                                 {"PARKEY", "3#1"}};
    for (auto& r : rows)
        if (!r.name.empty() && !r.number.empty()) expected.push_back({r.name, r.number});
    std::vector<std::pair<std::string, std::string>> onSim;
    int location = 1;
    for (const auto& [loc, e] : unit->sim().entries()) {
        EXPECT_EQ(loc, location++) << "the SIM has a gap";
        onSim.push_back({e.name, e.number});
    }
    EXPECT_EQ(onSim, expected);

    // Every location was addressed once, in order, and then the SIM was read back.
    int writes = 0;
    for (auto& c : unit->commands()) {
        if (c.rfind("AT+CPBW=", 0) == 0) {
            EXPECT_EQ(c.substr(8, c.find_first_of(",") - 8), std::to_string(++writes));
        }
    }
    EXPECT_EQ(writes, 250);
    EXPECT_EQ(unit->commands().back(), "AT+CPBR=1,250");

    expectViewShowsSim();
    EXPECT_EQ(form().VolMic.position(), 2);
    EXPECT_TRUE(form().SaveZEP.enabled() && form().seting.enabled() && form().PhoneBook.enabled());
    EXPECT_FALSE(form().Prubeh.visible());
}

TEST_P(Device, RunReturnsToRunMode) {
    stopAndRead();
    click(form().RunZEP);
    clock.advance(6000);
    EXPECT_TRUE(form().DeviceRun.visible());
    EXPECT_TRUE(unit->scriptRunning());
    EXPECT_FALSE(core->device().waiting());
    EXPECT_FALSE(form().LoadZEP.enabled());
    EXPECT_FALSE(form().SaveZEP.enabled());
    bool rebootSent = false;
    for (auto& c : unit->commands()) rebootSent |= c == "AT#REBOOT";
    EXPECT_EQ(rebootSent, GetParam() == ModuleType::Older);
    // Stop again works as the first time.
    stopAndRead();
    expectViewShowsSim();
}

TEST_P(Device, ErrorOnAWriteStopsTheSaveAndShowsWhatTheSimHolds) {
    stopAndRead();
    for (auto& e : form().ADMIN) e.setText("+420600000000");
    sim::Faults faults;
    faults.errorOnWrite = 5;
    unit->setFaults(faults);
    click(form().SaveZEP);
    clock.advance(30000);
    EXPECT_FALSE(st().WriteActive);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("SIM location 5 (ADMIN5)"), std::string::npos) << errors()[0];
    EXPECT_NE(errors()[0].find("only partly written"), std::string::npos);
    // Locations 1 to 4 are new, the rest as before; the window shows that mix.
    EXPECT_EQ(unit->sim().find(4)->name, "ADMIN4");
    EXPECT_EQ(unit->sim().find(5)->name, "ABUTTON3");
    expectViewShowsSim();
    for (Control* c : std::initializer_list<Control*>{&form().SaveZEP, &form().LoadZEP, &form().RunZEP,
                                                      &form().StopZEP, &form().seting, &form().PhoneBook})
        EXPECT_TRUE(c->enabled()) << c->name();
    // A new save, with the unit well again, completes.
    unit->setFaults({});
    save();
    EXPECT_EQ(errors().size(), 1u);
    EXPECT_EQ(unit->sim().find(5)->name, "ADMIN5");
}

TEST_P(Device, SilentUnitStopsTheSaveAfterTheTimeout) {
    stopAndRead();
    sim::Faults faults;
    faults.silentAfter = 8;
    unit->setFaults(faults);
    click(form().SaveZEP);
    clock.advance(5000);
    EXPECT_TRUE(st().WriteActive);
    clock.advance(10000);
    EXPECT_FALSE(st().WriteActive);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_NE(errors()[0].find("did not answer for 10 s"), std::string::npos) << errors()[0];
    EXPECT_TRUE(form().SaveZEP.enabled() && form().StopZEP.enabled() && form().seting.enabled());
    EXPECT_FALSE(form().Prubeh.visible());
}

TEST_P(Device, GarbledCapacityIsReportedAndNothingIsRead) {
    sim::Faults faults;
    faults.garbleCapacity = true;
    unit->setFaults(faults);
    click(form().StopZEP);
    clock.advance(10000);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(st().SimCapacity, 0);
    EXPECT_TRUE(form().PhoneBook1.rows().empty());
    EXPECT_TRUE(form().DeviceStop.visible());
    // Load tries again and, with the unit well, reads everything.
    unit->setFaults({});
    click(form().LoadZEP);
    clock.advance(10000);
    EXPECT_EQ(st().SimCapacity, 250);
    expectViewShowsSim();
}

TEST_P(Device, OutputInSmallPiecesReadsAndSavesTheSame) {
    sim::Faults faults;
    faults.chunkMax = 3;
    faults.seed = 7;
    unit->setFaults(faults);
    stopAndRead();
    expectViewShowsSim();
    form().ADMIN[3].setText("+420604444444");
    save();
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(unit->sim().find(3)->name, "ADMIN4");
    expectViewShowsSim();
}

// Texts with commas go to the unit in double quotes and come back as they stood.
TEST_P(Device, CommasInNamesAndTextsSurviveASave) {
    stopAndRead();
    form().ALARMON.setText("Open, please");
    auto rows = form().PhoneBook1.rows();
    rows.push_back({"Smith, J", "0601000111"});
    rows.push_back({"Lee; flat 3", "0601000222"});
    form().PhoneBook1.setRows(rows);
    save();
    EXPECT_TRUE(errors().empty()) << errors().front();
    EXPECT_EQ(form().ALARMON.text(), "Open, please");
    const auto& shown = form().PhoneBook1.rows();
    EXPECT_NE(std::find(shown.begin(), shown.end(), PhoneBookList::Row{"Smith, J", "0601000111"}),
              shown.end());
    EXPECT_NE(std::find(shown.begin(), shown.end(), PhoneBookList::Row{"Lee; flat 3", "0601000222"}),
              shown.end());
    expectViewShowsSim();
}
