// Quick save against full save on a full 250-location SIM of the simulated unit, on the real
// clock with 115200-baud line pacing. Each run starts from the same SIM, read into the pages,
// and one edit:
//   - one field: the switching time of relay 1 (one record, one location);
//   - a shift: the empty ADMIN3 filled and the last row removed, so that every location from
//     3 on moves by one.
// Prints the wall time from the click until the SIM is written and read back into the pages,
// the writes the unit received, and whether quick and full save left the same SIM.
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/dorive.h"
#include "loop/system_clock.h"
#include "sim/sim_port.h"
#include "support/fakes.h"

using namespace dorive;

namespace {

class SimProvider : public PortProvider {
  public:
    SimProvider(Clock& clock, std::shared_ptr<sim::SimUnit> unit) : clock_(clock), unit_(std::move(unit)) {}
    std::vector<PortInfo> ports() override { return {{kSimulatedPortName, ""}}; }
    std::unique_ptr<SerialPort> open(const std::string&) override {
        return sim::openSimulatedPort(clock_, unit_, sim::Pacing::realistic());
    }

  private:
    Clock& clock_;
    std::shared_ptr<sim::SimUnit> unit_;
};

// A SIM as an earlier save left it: fixed entries in save order, then rows up to location 250.
sim::SimCard fullSim() {
    sim::SimCard card(250);
    const std::pair<const char*, const char*> fixed[] = {{"+420601111111", "ADMIN1"},
                                                         {"+420602222222", "ADMIN2"},
                                                         {"0601234567", "ABUTTON1"},
                                                         {"0602345678", "ABUTTON2"},
                                                         {"0603456789", "ABUTTON3"},
                                                         {"0604567890", "BBUTTON1"},
                                                         {"0605678901", "BBUTTON2"},
                                                         {"Door alarm on", "ALARMON"},
                                                         {"Door alarm off", "ALARMOFF"},
                                                         {"4#4#1#1#1#5#1#2", "PARZEP"},
                                                         {"5#1#03#0", "PARRL1"},
                                                         {"6#3#10#0", "PARRL2"},
                                                         {"3#1", "PARKEY"}};
    int location = 1;
    for (const auto& [number, name] : fixed) card.write(location++, number, name);
    for (int i = 1; location <= 250; ++i)
        card.write(location++, "0601" + std::to_string(100000 + i), "Contact " + std::to_string(i));
    return card;
}

struct Result {
    double ms = -1;
    std::size_t writes = 0;
    std::map<int, sim::StoredEntry> sim;
    std::string error;
};

// One run on a fresh unit and core: stop, read, edit, then the save; timed from the click
// until the save has ended and its read-back has filled the pages.
Result runOnce(bool quick, const std::function<void(Dorive&)>& edit) {
    SystemClock clock;
    sim::SimOptions options;
    options.statusIntervalMs = 0;
    auto unit = std::make_shared<sim::SimUnit>(clock, options, fullSim());
    SimProvider provider(clock, unit);
    test::ScriptedDialogs dialogs;
    dialogs.portAnswers = {std::string(kSimulatedPortName)};
    Dorive core(provider, clock, dialogs);
    Result r;

    core.channel().open();
    core.post([&] { return core.device().StopZEPClick(); });
    if (!clock.run([&] { return core.state().SimCapacity > 0; }, std::chrono::seconds(30))) {
        r.error = "the simulated unit did not report its SIM capacity";
        return r;
    }
    clock.run([&] { return core.readView().listingPending(); }, std::chrono::seconds(30));
    if (!clock.run([&] { return !core.readView().listingPending(); }, std::chrono::seconds(30))) {
        r.error = "the simulated unit's SIM was not read";
        return r;
    }
    edit(core);
    unit->clearWrites();

    const auto start = std::chrono::steady_clock::now();
    if (quick)
        core.post([&] { return core.quickSave().QuickSaveClick(); });
    else
        core.post([&] { return core.save().SaveZEPClick(); });
    bool started = false;
    clock.run(
        [&] {
            started = started || core.state().WriteActive;
            return started && !core.state().WriteActive && !core.readView().listingPending();
        },
        std::chrono::minutes(5));
    r.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    r.writes = unit->writeCount();
    r.sim = unit->sim().entries();
    if (!dialogs.errors.empty()) r.error = dialogs.errors.front();
    return r;
}

bool report(const char* change, const std::function<void(Dorive&)>& edit) {
    std::printf("%s\n", change);
    const Result quick = runOnce(true, edit);
    const Result full = runOnce(false, edit);
    for (const auto* r : {&quick, &full})
        if (!r->error.empty()) {
            std::fprintf(stderr, "  %s save failed: %s\n", r == &quick ? "quick" : "full", r->error.c_str());
            return false;
        }
    std::printf("  quick save  %8.0f ms  %3zu writes\n", quick.ms, quick.writes);
    std::printf("  full save   %8.0f ms  %3zu writes\n", full.ms, full.writes);
    std::printf("  same SIM afterwards: %s\n", quick.sim == full.sim ? "yes" : "NO");
    return quick.sim == full.sim;
}

}  // namespace

int main() {
    std::printf("250-location SIM, every location used; simulated unit at %d baud\n", sim::kLineBaud);
    bool ok = report("one field: relay 1 switching time 03 -> 07",
                     [](Dorive& core) { core.form().Relay1.RelTime.setText("07"); });
    ok = report("shift: ADMIN3 filled, last row removed (locations 3 to 250 move by one)",
                [](Dorive& core) {
                    core.form().ADMIN[2].setText("+420603333333");
                    auto rows = core.form().PhoneBook1.rows();
                    rows.pop_back();
                    core.form().PhoneBook1.setRows(rows);
                }) &&
         ok;
    return ok ? 0 : 1;
}
