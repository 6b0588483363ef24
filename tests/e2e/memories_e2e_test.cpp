// The memory pages against the simulated unit: a code, a memo position and a button memory
// written, the SIM read back and shown in the right trees in the right order, an entry
// deleted, a code rewritten in place, button detection switched on and off, and a write the
// unit refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/dorive.h"
#include "params/fixed_entries.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"
#include "support/fakes.h"

using namespace dorive;
using dorive::sim::ModuleType;
using dorive::sim::SimUnit;
using dorive::test::ScriptedDialogs;
using dorive::test::VirtualClock;

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

std::vector<std::string> texts(const Tree& tree) {
    std::vector<std::string> out;
    for (const auto& n : tree.nodes()) out.push_back(n.text);
    return out;
}

struct MemoryPagesOnUnit : ::testing::TestWithParam<ModuleType> {
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
        DoriveOptions dorive;
        dorive.executable = "/opt/GSMKelpy.exe";  // the variant that shows the module pages
        core = std::make_unique<Dorive>(*provider, clock, dialogs, dorive);
        dialogs.portAnswers.push_back(std::string(kSimulatedPortName));
        core->post([this] { return core->FormCreate(); });
        clock.advance(11000);
        click(form().StopZEP);
        clock.advance(10000);
        ASSERT_TRUE(form().DeviceStop.visible());
    }
    void TearDown() override {
        core.reset();
        provider.reset();
        unit.reset();
    }
    Form& form() { return core->form(); }
    State& st() { return core->state(); }
    void click(Button& b) {
        ASSERT_TRUE(b.usable()) << b.name();
        b.click();
    }
    void pick(Tree& tree, const std::string& line) {
        auto t = texts(tree);
        auto it = std::find(t.begin(), t.end(), line);
        ASSERT_NE(it, t.end()) << line;
        tree.userSelect(int(it - t.begin()));
    }
    void type(Edit& e, const std::string& text) { core->userEdit(e, text, text.size()); }
    // The write is answered and the SIM read back.
    void settle() { clock.advance(5000); }
    std::string onSim(int location) {
        const sim::StoredEntry* e = unit->sim().find(location);
        return e ? e->name + "=" + e->number : std::string("(empty)");
    }
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Modules, MemoryPagesOnUnit, ::testing::Values(ModuleType::Older, ModuleType::Newer),
                         [](const auto& info) {
                             return info.param == ModuleType::Older ? "Older" : "Newer";
                         });

TEST_P(MemoryPagesOnUnit, WriteReadBackDeleteAndSwitchDetection) {
    ASSERT_TRUE(form().ModuleButtons.visible() && form().ModuleKeyboard.visible());
    // The SIM's memories as the read listed them.
    EXPECT_EQ(texts(form().TreeMemo), (std::vector<std::string>{"15:M1-1[0601111222]", "16:M1-2[0601111333]",
                                                                "17:M2-1[0607777888]"}));
    EXPECT_EQ(texts(form().TreeButtons),
              (std::vector<std::string>{"18:B2-1[0605550001]", "19:B2-2[0605550002]"}));
    EXPECT_EQ(texts(form().TreeCode), (std::vector<std::string>{"20:C1234C[1#0]", "22:C4711C[2#4#07#18#**#1]",
                                                                "21:C5678C[1#1#1111100#12#0]"}));
    EXPECT_FALSE(form().DetBut.checked());  // DETECT is "0"

    // A new code from the hours page goes to the first free location.
    click(form().AddCode);
    form().ModeCode.setActiveIndex(4);
    type(form().CodeM4, "2468");
    form().M4Rel1.select();
    form().FromHours.setItemIndex(8);
    form().ToHours.setItemIndex(17);
    form().M4Acces.setItemIndex(5);
    form().M4SMS.setChecked(true);
    click(form().WriteCode4);
    settle();
    EXPECT_EQ(onSim(27), "C2468C=1#4#08#17#05#1");
    EXPECT_EQ(texts(form().TreeCode),
              (std::vector<std::string>{"20:C1234C[1#0]", "27:C2468C[1#4#08#17#05#1]",
                                        "22:C4711C[2#4#07#18#**#1]", "21:C5678C[1#1#1111100#12#0]"}));

    // A new position of memo 1: picked, proposed, written, listed with its memory again.
    pick(form().TreeMemo, "15:M1-1[0601111222]");
    pick(form().TreeMemoSel, "15:M1-1[0601111222]");
    click(form().MemoControls.Add);
    EXPECT_EQ(form().MemoControls.LabelName.caption(), "(M1-3)");
    type(form().MemoControls.PNumber, "0601111444");
    click(form().MemoControls.Write);
    settle();
    EXPECT_EQ(onSim(28), "M1-3=0601111444");
    EXPECT_EQ(
        texts(form().TreeMemoSel),
        (std::vector<std::string>{"15:M1-1[0601111222]", "16:M1-2[0601111333]", "28:M1-3[0601111444]"}));
    EXPECT_EQ(texts(form().TreeMemo),
              (std::vector<std::string>{"15:M1-1[0601111222]", "16:M1-2[0601111333]", "28:M1-3[0601111444]",
                                        "17:M2-1[0607777888]"}));

    // A memory of button 10: ordinal order puts it between B1... and B2-.
    type(form().ButtonControls.Number, "10");
    form().ButtonControls.Pos.setItemIndex(0);
    type(form().ButtonControls.PNumber, "0605550010");
    click(form().ButtonControls.Write);
    settle();
    EXPECT_EQ(onSim(29), "B10-1=0605550010");
    EXPECT_EQ(
        texts(form().TreeButtons),
        (std::vector<std::string>{"29:B10-1[0605550010]", "18:B2-1[0605550001]", "19:B2-2[0605550002]"}));

    // A code picked and written again keeps its location.
    pick(form().TreeCode, "22:C4711C[2#4#07#18#**#1]");
    EXPECT_EQ(form().ModeCode.activeIndex(), 4);
    form().M4Acces.setItemIndex(9);
    click(form().WriteCode4);
    settle();
    EXPECT_EQ(onSim(22), "C4711C=2#4#07#18#09#1");

    // Deleting memo 2's only entry.
    pick(form().TreeMemo, "17:M2-1[0607777888]");
    click(form().MemoControls.Del);
    settle();
    EXPECT_EQ(onSim(17), "(empty)");
    EXPECT_EQ(texts(form().TreeMemo), (std::vector<std::string>{"15:M1-1[0601111222]", "16:M1-2[0601111333]",
                                                                "28:M1-3[0601111444]"}));
    EXPECT_TRUE(dialogs.errors.empty());

    // Detection on: the entry goes to the first free location, and the read shows it.
    form().DetBut.setChecked(true);
    settle();
    EXPECT_EQ(onSim(17), "DETECT=1");
    EXPECT_EQ(st().DetectEntry, "17:DETECT[1]");
    EXPECT_TRUE(form().DetBut.checked());
    // Off: exactly that entry goes; the "0" entry the SIM also holds stays.
    form().DetBut.setChecked(false);
    settle();
    EXPECT_EQ(onSim(17), "(empty)");
    EXPECT_EQ(onSim(23), "DETECT=0");
    EXPECT_FALSE(form().DetBut.checked());
    EXPECT_EQ(st().DetectEntry, "");
    EXPECT_TRUE(dialogs.errors.empty());
    // The phone-book page shows what the SIM holds once more.
    std::vector<PhoneBookList::Row> rows;
    for (const auto& [location, e] : unit->sim().entries())
        if (!isFixedEntryName(e.name)) rows.push_back({e.name, e.number});
    EXPECT_EQ(form().PhoneBook1.rows(), rows);
}

TEST_P(MemoryPagesOnUnit, ARefusedWriteIsReportedAndTheTreesShowTheSim) {
    sim::Faults faults;
    faults.errorOnWrite = 1;
    unit->setFaults(faults);
    const auto memosBefore = texts(form().TreeMemo);
    type(form().MemoControls.Number, "3");
    type(form().MemoControls.PNumber, "0600000003");
    click(form().MemoControls.Write);
    settle();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(
        dialogs.errors[0],
        "Memo 3, position 1 (M3-1) was not stored: the unit answered ERROR. The SIM is read again to show "
        "what it holds.");
    EXPECT_EQ(onSim(27), "(empty)");
    EXPECT_EQ(texts(form().TreeMemo), memosBefore);
    EXPECT_FALSE(st().RefreshAfterWrite);

    // The next write goes through.
    click(form().MemoControls.Write);
    settle();
    EXPECT_EQ(onSim(27), "M3-1=0600000003");
    EXPECT_EQ(texts(form().TreeMemo).back(), "27:M3-1[0600000003]");
    EXPECT_EQ(dialogs.errors.size(), 1u);
}
