#pragma once
// A core on the virtual clock wired to a simulated unit, started, stopped and with its SIM
// read, and a check that the pages show what the SIM holds.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/dorive.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"
#include "support/fakes.h"

namespace dorive::test {

// Opens the simulated unit's port whatever port the dialog named.
class SimProvider : public PortProvider {
  public:
    SimProvider(Clock& clock, std::shared_ptr<sim::SimUnit> unit) : clock_(clock), unit_(std::move(unit)) {}
    std::vector<PortInfo> ports() override { return {{kSimulatedPortName, "simulated unit"}}; }
    std::unique_ptr<SerialPort> open(const std::string&) override {
        auto p = std::make_unique<sim::SimPort>(clock_, unit_, sim::Pacing::instant());
        port = p.get();
        return p;
    }
    sim::SimPort* port = nullptr;  // the port opened last

  private:
    Clock& clock_;
    std::shared_ptr<sim::SimUnit> unit_;
};

struct SimRig {
    VirtualClock clock;
    std::shared_ptr<sim::SimUnit> unit;
    std::unique_ptr<SimProvider> provider;
    ScriptedDialogs dialogs;
    std::unique_ptr<Dorive> core;

    // Starts the window on a unit holding `card`, stops the unit and reads its SIM.
    explicit SimRig(sim::SimCard card, sim::ModuleType type = sim::ModuleType::Older) {
        sim::SimOptions options;
        options.type = type;
        unit = std::make_shared<sim::SimUnit>(clock, options, std::move(card));
        provider = std::make_unique<SimProvider>(clock, unit);
        core = std::make_unique<Dorive>(*provider, clock, dialogs);
        dialogs.portAnswers.push_back(std::string(kSimulatedPortName));
        core->post([this] { return core->FormCreate(); });
        clock.advance(11000);  // long enough for the newer module's script to announce itself
        core->form().StopZEP.click();
        clock.advance(5000);
    }
    ~SimRig() {
        core.reset();
        provider.reset();
        unit.reset();
    }
    Form& form() { return core->form(); }
    State& st() { return core->state(); }
    // Lets the running save or quick save finish.
    void finishSave() {
        for (int i = 0; i < 1000 && st().WriteActive; ++i) clock.advance(1000);
        clock.advance(1000);  // the read-back
    }

    // Every field, record and row as the SIM holds it.
    void expectViewShowsSim() {
        std::map<std::string, const Edit*> fields;
        for (int i = 0; i < 7; ++i) {
            fields["ADMIN" + std::to_string(i + 1)] = &form().ADMIN[i];
            fields["ABUTTON" + std::to_string(i + 1)] = &form().ABUTTON[i];
            fields["BBUTTON" + std::to_string(i + 1)] = &form().BBUTTON[i];
        }
        fields["ALARMON"] = &form().ALARMON;
        fields["ALARMOFF"] = &form().ALARMOFF;
        const std::map<std::string, const std::string*> records = {{"PARZEP", &st().ParamGeneral},
                                                                   {"PARRL1", &st().ParamRelay1},
                                                                   {"PARRL2", &st().ParamRelay2},
                                                                   {"PARKEY", &st().ParamKeypad}};
        std::vector<PhoneBookList::Row> rows;
        for (const auto& [location, e] : unit->sim().entries()) {
            SCOPED_TRACE(e.name);
            if (fields.count(e.name))
                EXPECT_EQ(fields.at(e.name)->text(), e.number);
            else if (records.count(e.name))
                EXPECT_EQ(*records.at(e.name), e.number);
            else if (e.name != "VER")
                rows.push_back({e.name, e.number});
        }
        EXPECT_EQ(form().PhoneBook1.rows(), rows);
    }
};

}  // namespace dorive::test
