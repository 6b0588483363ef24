// A fault at every step of every dialogue: each operation is run once against a well-behaved
// simulated unit to learn the commands it sends, then once for every one of those commands
// and every fault, with the unit answering that command with "ERROR", "+CME ERROR: 3",
// nothing, a garbled result, or losing the line. In every case the program must end the
// operation by itself, give the controls back, claim no success it did not have, say in the
// monitor where it stopped, and show on its pages only what the SIM holds, or say that what
// the SIM holds is not known.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/dorive.h"
#include "params/fixed_entries.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"
#include "support/dump_view.h"
#include "support/fakes.h"

using namespace dorive;
using dorive::sim::CommandFaultAction;
using dorive::sim::ModuleType;
using dorive::sim::SimUnit;

namespace {

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

// A core with the memory pages on a simulated unit of 30 locations, its script running.
struct Rig {
    test::VirtualClock clock;
    std::shared_ptr<SimUnit> unit;
    std::unique_ptr<SimProvider> provider;
    test::ScriptedDialogs dialogs;
    test::FakeFiles files;
    std::unique_ptr<Dorive> core;
    std::size_t monitorFrom = 0;

    explicit Rig(ModuleType type) {
        sim::SimOptions options;
        options.type = type;
        unit = std::make_shared<SimUnit>(clock, options, sim::SimCard::withDefaultContent(30));
        provider = std::make_unique<SimProvider>(clock, unit);
        DoriveOptions dorive;
        dorive.executable = "/opt/GSMKelpy.exe";
        dorive.files = &files;
        core = std::make_unique<Dorive>(*provider, clock, dialogs, dorive);
        core->post([this] { return core->FormCreate(); });
        clock.advance(11000);
    }
    ~Rig() {
        core.reset();
        provider.reset();
        unit.reset();
    }
    Form& form() { return core->form(); }
    State& st() { return core->state(); }
    void stop() {
        form().StopZEP.click();
        clock.advance(10000);
    }
    // The monitor's lines since the operation began.
    std::vector<std::string> notes() const {
        std::vector<std::string> out;
        const LineStore& lines = core->form().Monitor.lines();
        for (std::size_t i = monitorFrom; i < lines.size(); ++i) out.emplace_back(lines[i]);
        return out;
    }
    bool said(std::initializer_list<const char*> texts) const {
        for (const std::string& l : notes())
            for (const char* t : texts)
                if (l.find(t) != std::string::npos) return true;
        return false;
    }
    const sim::StoredEntry* onSimNamed(const std::string& name) const {
        for (const auto& [location, e] : unit->sim().entries())
            if (e.name == name) return &e;
        return nullptr;
    }
};

Task toggle(CheckBox& box) {
    box.setChecked(!box.checked());
    co_return;
}

// What the pages show that the SIM does not hold, one line each; empty when they agree.
std::string pagesAgainstSim(Rig& r) {
    std::string out;
    const Form& f = r.form();
    std::vector<PhoneBookList::Row> rows;
    std::map<std::string, std::string> fixed;
    std::map<int, std::pair<std::string, std::string>> byLocation;
    for (const auto& [location, e] : r.unit->sim().entries()) {
        byLocation[location] = {e.name, e.number};
        if (isFixedEntryName(e.name))
            fixed[e.name] = e.number;
        else
            rows.push_back({e.name, e.number});
    }
    if (f.PhoneBook1.rows() != rows) out += "phone book differs\n";
    for (int i = 0; i < 7; ++i)
        for (const auto& [edits, name] : {std::pair{&f.ADMIN, "ADMIN"}, {&f.ABUTTON, "ABUTTON"}, {&f.BBUTTON, "BBUTTON"}}) {
            const std::string key = name + std::to_string(i + 1);
            if ((*edits)[i].text() != fixed[key]) out += key + " shows " + (*edits)[i].text() + "\n";
        }
    for (const Tree* t : {&f.TreeMemo, &f.TreeButtons, &f.TreeCode})
        for (const Tree::Node& n : t->nodes()) {
            const std::size_t colon = n.text.find(':'), open = n.text.find('[');
            const int location = std::stoi(n.text.substr(0, colon));
            const auto it = byLocation.find(location);
            if (it == byLocation.end() || n.text != std::to_string(location) + ":" + it->second.first + "[" +
                                                          it->second.second + "]")
                out += t->name() + " shows " + n.text + "\n";
            (void)open;
        }
    const auto* detect = r.onSimNamed("DETECT");
    if (f.DetBut.checked() != (detect && detect->number == "1")) out += "DetBut differs\n";
    return out;
}

struct Operation {
    const char* name;
    ModuleType type;
    std::function<void(Rig&)> prepare;  // up to just before the user's action
    std::function<void(Rig&)> act;      // the user's action
    std::function<bool(Rig&)> done;     // the SIM holds what the operation meant to write
    std::vector<const char*> stopNotes;  // what the monitor says when it did not finish
};

const char* const kSaved = "0603333333";

std::vector<Operation> operations() {
    auto inProgMode = [](Rig& r) { r.stop(); };
    auto pagesShowSim = [](Rig& r) { return pagesAgainstSim(r).empty(); };
    return {
        {"ReadOlder", ModuleType::Older, [](Rig&) {}, [](Rig& r) { r.form().StopZEP.click(); }, pagesShowSim,
         {"Read stopped at", "could not be read"}},
        {"ReadNewer", ModuleType::Newer, [](Rig&) {}, [](Rig& r) { r.form().StopZEP.click(); }, pagesShowSim,
         {"Read stopped at", "could not be read"}},
        {"Save", ModuleType::Older,
         [=](Rig& r) {
             inProgMode(r);
             r.form().ADMIN[2].setText(kSaved);
             r.form().PhoneBook1.append({"Neighbour", "0609999999"});
         },
         [](Rig& r) { r.form().SaveZEP.click(); },
         [](Rig& r) {
             const auto* admin = r.onSimNamed("ADMIN3");
             const auto* row = r.onSimNamed("Neighbour");
             return admin && admin->number == kSaved && row;
         },
         {"Save stopped at", "could not be read"}},
        {"Code", ModuleType::Older,
         [=](Rig& r) {
             inProgMode(r);
             r.form().TreeCode.clearSelection();
             r.form().ModeCode.setActiveIndex(0);
             r.form().CodeM0.setText("2468");
             r.form().M0Rel1.select();
         },
         [](Rig& r) { r.form().WriteCode0.click(); }, [](Rig& r) { return r.onSimNamed("C2468C") != nullptr; },
         {"was not stored", "may not be stored", "could not be read", "Read stopped at"}},
        {"Memo", ModuleType::Older,
         [=](Rig& r) {
             inProgMode(r);
             auto& c = r.form().MemoControls;
             r.form().TreeMemoSel.clearSelection();
             c.Number.setText("3");
             c.Pos.setItemIndex(0);
             c.PNumber.setText("0601234000");
         },
         [](Rig& r) { r.form().MemoControls.Write.click(); }, [](Rig& r) { return r.onSimNamed("M3-1") != nullptr; },
         {"was not stored", "may not be stored", "could not be read", "Read stopped at"}},
        {"Button", ModuleType::Older,
         [=](Rig& r) {
             inProgMode(r);
             auto& c = r.form().ButtonControls;
             r.form().TreeButtonsSel.clearSelection();
             c.Number.setText("4");
             c.Pos.setItemIndex(1);
             c.PNumber.setText("0605550009");
         },
         [](Rig& r) { r.form().ButtonControls.Write.click(); },
         [](Rig& r) { return r.onSimNamed("B4-2") != nullptr; },
         {"was not stored", "may not be stored", "could not be read", "Read stopped at"}},
        {"DetBut", ModuleType::Older, inProgMode,
         [](Rig& r) { r.core->post([&r] { return toggle(r.form().DetBut); }); },
         [](Rig& r) {
             const auto* e = r.onSimNamed("DETECT");
             return e && e->number == "1";
         },
         {"was not stored", "may not be stored", "could not be read", "Read stopped at"}},
        {"Upload", ModuleType::Older,
         [=](Rig& r) {
             inProgMode(r);
             r.files.files["zep.pyo"] = std::string(3000, 's');
             r.files.files["hello.wav"] = std::string(800, 'v');
             r.form().List.appendLines({"DEL:old.pyo", "zep.pyo", "ASEND:hello.wav", "SET:AT#CBC", "RUN:zep.pyo"});
         },
         [](Rig& r) { r.form().Upgrade.click(); },
         [](Rig& r) {
             return r.unit->scripts().count("zep.pyo") && r.unit->voices().count("hello.wav") &&
                    r.unit->activeScript() == "zep.pyo" &&
                    r.form().UploadStatus.caption().starts_with("Upload finished");
         },
         {"Upload stopped"}},
    };
}

const CommandFaultAction kFaults[] = {CommandFaultAction::Error, CommandFaultAction::CmeError,
                                      CommandFaultAction::Silence, CommandFaultAction::Garble,
                                      CommandFaultAction::Unplug};
const char* faultName(CommandFaultAction a) {
    switch (a) {
        case CommandFaultAction::Error: return "ERROR";
        case CommandFaultAction::CmeError: return "+CME ERROR: 3";
        case CommandFaultAction::Silence: return "nothing";
        case CommandFaultAction::Garble: return "garbled";
        case CommandFaultAction::Unplug: return "port lost";
        default: return "none";
    }
}

// Runs the operation, with the fault if one is given, until every timeout has run out.
std::unique_ptr<Rig> runOperation(const Operation& op, const sim::CommandFault& fault) {
    auto r = std::make_unique<Rig>(op.type);
    op.prepare(*r);
    r->clock.advance(5000);
    r->unit->clearCommands();
    sim::Faults faults;
    faults.atCommand = fault;
    r->unit->setFaults(faults);
    r->monitorFrom = r->form().Monitor.lines().size();
    op.act(*r);
    r->clock.advance(60000);
    return r;
}

// Every case holds; the failures are listed, one line each.
std::string checkCase(const Operation& op, Rig& r) {
    std::string out;
    const Form& f = r.form();
    if (r.core->loop().busy() || r.core->loop().waiting() > 0) out += "an activity is still under way\n";
    if (r.st().WriteActive) out += "the save still runs\n";
    if (r.core->upload().running()) out += "the upload still runs\n";
    if (r.core->memories().awaitsAnswer()) out += "a memory write still waits\n";
    for (const Control* c : test::lockedByASave(f))
        if (c != &f.SaveZEP && c != &f.LoadZEP && !c->enabled()) out += c->name() + " stays locked\n";
    if (!f.Upgrade.enabled()) out += "Upgrade stays locked\n";
    const bool done = op.done(r);
    if (!done && f.UploadStatus.caption().starts_with("Upload finished")) out += "success claimed\n";
    if (!done && !r.said(std::initializer_list<const char*>(op.stopNotes.data(), op.stopNotes.data() + op.stopNotes.size())))
        out += "the monitor does not say where it stopped\n";
    const std::string differs = pagesAgainstSim(r);
    if (!differs.empty() && !r.said({"content is unknown", "could not be read", "cannot be read back", "Read stopped at"}))
        out += "the pages show what the SIM does not hold:\n" + differs;
    return out;
}

class FaultAtEveryStep : public ::testing::TestWithParam<Operation> {};

std::string caseName(const ::testing::TestParamInfo<Operation>& info) { return info.param.name; }

}  // namespace

INSTANTIATE_TEST_SUITE_P(Operations, FaultAtEveryStep, ::testing::ValuesIn(operations()), caseName);

TEST_P(FaultAtEveryStep, EveryCaseEndsUnlockedTruthfulAndSaysWhereItStopped) {
    const Operation& op = GetParam();
    // The commands of the operation on a well-behaved unit, which must do the operation.
    std::vector<std::string> commands;
    {
        auto r = runOperation(op, {});
        commands = r->unit->commands();
        ASSERT_TRUE(op.done(*r)) << "the operation does not work without faults";
        ASSERT_EQ(checkCase(op, *r), "");
    }
    ASSERT_FALSE(commands.empty());
    std::map<std::string, int> seen;
    int cases = 0;
    for (const std::string& command : commands) {
        const int nth = ++seen[command];
        for (CommandFaultAction action : kFaults) {
            SCOPED_TRACE(command + " (" + std::to_string(nth) + ") answered " + faultName(action));
            auto r = runOperation(op, {command, nth, action});
            EXPECT_EQ(checkCase(op, *r), "");
            ++cases;
        }
    }
    RecordProperty("cases", cases);
    std::printf("%s: %zu commands x %zu faults = %d cases\n", op.name, commands.size(), std::size(kFaults), cases);
}
