#pragma once
// What the fuzz targets share: a core on the virtual clock with in-memory files and
// scripted dialogs, a text view of every page's values, and a check that aborts (so that
// libFuzzer keeps the input) when an invariant does not hold.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/dorive.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"
#include "support/fakes.h"

namespace dorive::fuzz {

// Stops the run with the input that broke the invariant.
#define FUZZ_CHECK(cond)                                                                       \
    do {                                                                                       \
        if (!(cond)) {                                                                         \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

// Every value the pages show: texts of edits and lists, ticks, selections, and the phone
// book's rows. Enabled flags, captions and the monitor are left out.
inline std::string pagesView(const Form& form) {
    std::string out;
    for (const Control* c : form.all()) {
        if (auto* e = dynamic_cast<const Edit*>(c)) {
            out += c->name() + "=" + e->text() + "\n";
        } else if (auto* b = dynamic_cast<const CheckBox*>(c)) {
            out += c->name() + (b->checked() ? "=1\n" : "=0\n");
        } else if (auto* r = dynamic_cast<const RadioButton*>(c)) {
            out += c->name() + (r->checked() ? "=1\n" : "=0\n");
        } else if (auto* l = dynamic_cast<const ComboBox*>(c)) {
            out += c->name() + "=" + std::to_string(l->itemIndex()) + ":" + l->text() + "\n";
        }
    }
    for (const PhoneBookList::Row& r : form.PhoneBook1.rows()) out += "row " + r.name + "=" + r.number + "\n";
    return out;
}

// Opens the simulated unit's port whatever port the dialog named.
class SimProvider : public PortProvider {
  public:
    SimProvider(Clock& clock, std::shared_ptr<sim::SimUnit> unit) : clock_(clock), unit_(std::move(unit)) {}
    std::vector<PortInfo> ports() override { return {{kSimulatedPortName, "simulated unit"}}; }
    std::unique_ptr<SerialPort> open(const std::string&) override {
        return std::make_unique<sim::SimPort>(clock_, unit_, sim::Pacing::instant());
    }

  private:
    Clock& clock_;
    std::shared_ptr<sim::SimUnit> unit_;
};

// A core with files in memory and dialogs that answer from a script, on a fake port or, when
// given a unit, on the simulated unit's port.
struct Rig {
    test::VirtualClock clock;
    test::FakeProvider provider{clock};
    std::shared_ptr<sim::SimUnit> unit;
    std::unique_ptr<SimProvider> simProvider;
    test::ScriptedDialogs dialogs;
    test::FakeFiles files;
    std::unique_ptr<Dorive> core;

    explicit Rig(std::string executable = "DORive", bool simulated = false) {
        if (simulated) {
            sim::SimOptions options;
            options.statusIntervalMs = 0;
            unit = std::make_shared<sim::SimUnit>(clock, options, sim::SimCard::withDefaultContent(40));
            simProvider = std::make_unique<SimProvider>(clock, unit);
        }
        DoriveOptions options;
        options.executable = std::move(executable);
        options.files = &files;
        core = std::make_unique<Dorive>(simProvider ? static_cast<PortProvider&>(*simProvider) : provider,
                                        clock, dialogs, std::move(options));
    }
    ~Rig() {
        core.reset();
        simProvider.reset();
        unit.reset();
    }
    Form& form() { return core->form(); }
    State& st() { return core->state(); }
    // Runs a handler as the window would, and lets its pauses end.
    template <class F>
    void run(F handler) {
        core->post(std::move(handler));
        clock.runUntilIdle(60000);
    }
};

}  // namespace dorive::fuzz
