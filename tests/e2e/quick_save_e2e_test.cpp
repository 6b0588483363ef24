// The quick save against the simulated unit: from any SIM and any edit it leaves the SIM the
// full save leaves, touching only the locations that differ; and it stops as the full save
// does when the unit refuses, falls silent or the port goes away.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>

#include "support/sim_rig.h"

using namespace dorive;
using dorive::sim::ModuleType;
using dorive::sim::SimCard;
using dorive::test::SimRig;

namespace {

using Rng = std::mt19937;

int pick(Rng& rng, int from, int to) {
    return std::uniform_int_distribution<int>(from, to)(rng);
}
bool chance(Rng& rng, int percent) {
    return pick(rng, 1, 100) <= percent;
}

std::string digits(Rng& rng, int from, int to) {
    std::string out = chance(rng, 30) ? "+" : "";
    for (int n = pick(rng, from, to); n > 0; --n) out += char('0' + pick(rng, 0, 9));
    return out;
}

std::string rowName(Rng& rng) {
    static const char* const names[] = {"Anna", "Bert",   "Cyril",  "Doe, John", "M1-1",        "M2-3",
                                        "B1-1", "C1234C", "DETECT", "Service",   "Gate; north", "Reception"};
    std::string name = names[pick(rng, 0, 11)];
    if (chance(rng, 50)) name += std::to_string(pick(rng, 1, 999));
    return name;
}

// A SIM as a unit may hold it: left by an earlier save (in save order, no gaps) or edited by
// SMS and other tools (any order, gaps), sometimes with every location used.
SimCard randomSim(Rng& rng) {
    const int capacity = chance(rng, 20) ? 250 : pick(rng, 28, 90);
    SimCard card(capacity);
    std::vector<sim::StoredEntry> entries;
    for (const char* base : {"ADMIN", "ABUTTON", "BBUTTON"})
        for (int i = 1; i <= 7; ++i)
            if (chance(rng, 40)) entries.push_back({digits(rng, 3, 12), base + std::to_string(i)});
    if (chance(rng, 70)) entries.push_back({"Door open, alarm", "ALARMON"});
    if (chance(rng, 50)) entries.push_back({"Door closed", "ALARMOFF"});
    static const char* const records[][2] = {{"4#4#1#1#1#5#1#2", "PARZEP"}, {"5#1#03#0", "PARRL1"},
                                             {"6#3#10#0", "PARRL2"},        {"3#1", "PARKEY"},
                                             {"2#2#0#1#0#3#2#5", "PARZEP"}, {"5#5#12#1", "PARRL1"}};
    for (const auto& r : records)
        if (chance(rng, 60)) entries.push_back({r[0], r[1]});
    if (chance(rng, 50)) entries.push_back({"5.2", "VER"});
    const int rows = chance(rng, 15) ? capacity : pick(rng, 0, capacity / 3);
    for (int i = 0; i < rows; ++i) entries.push_back({digits(rng, 1, 14), rowName(rng)});
    if (chance(rng, 25)) std::shuffle(entries.begin(), entries.end(), rng);
    const bool gaps = chance(rng, 25);
    int location = 1;
    for (const auto& e : entries) {
        if (gaps) location += pick(rng, 0, 2);
        if (location > capacity) break;
        card.write(location++, e.number, e.name);
    }
    return card;
}

// Edits a technician makes on the pages, and a change by SMS after the read.
void randomEdits(SimRig& rig, Rng& rng) {
    Form& f = rig.form();
    auto fixedField = [&]() -> Edit& {
        switch (pick(rng, 0, 3)) {
            case 0:
                return f.ADMIN[std::size_t(pick(rng, 0, 6))];
            case 1:
                return f.ABUTTON[std::size_t(pick(rng, 0, 6))];
            case 2:
                return f.BBUTTON[std::size_t(pick(rng, 0, 6))];
            default:
                return chance(rng, 50) ? f.ALARMON : f.ALARMOFF;
        }
    };
    std::vector<PhoneBookList::Row> rows = f.PhoneBook1.rows();
    for (int n = pick(rng, 1, 6); n > 0; --n) {
        switch (pick(rng, 0, 9)) {
            case 0:
                fixedField().setText("");
                break;
            case 1:
                fixedField().setText(digits(rng, 3, 12));
                break;
            case 2:
                f.Relay1.RelTime.setText(std::to_string(pick(rng, 10, 99)));
                break;
            case 3:
                f.VolMic.setPosition(pick(rng, 1, 7));
                break;
            case 4:
                (chance(rng, 50) ? f.AllCall : f.SIMCall).select();
                break;
            case 5:  // a row added, complete or not
                rows.insert(rows.begin() + pick(rng, 0, int(rows.size())),
                            {rowName(rng), chance(rng, 80) ? digits(rng, 1, 14) : ""});
                break;
            case 6:
                if (!rows.empty()) rows.erase(rows.begin() + pick(rng, 0, int(rows.size()) - 1));
                break;
            case 7:
                if (rows.size() > 1)
                    std::swap(rows[0], rows[std::size_t(pick(rng, 1, int(rows.size()) - 1))]);
                break;
            case 8:
                if (!rows.empty()) {
                    auto& r = rows[std::size_t(pick(rng, 0, int(rows.size()) - 1))];
                    (chance(rng, 50) ? r.name : r.number) =
                        chance(rng, 50) ? rowName(rng) : digits(rng, 1, 14);
                }
                break;
            case 9:  // more rows than locations
                for (int i = 0; i < rig.st().SimCapacity / 4; ++i)
                    rows.push_back({rowName(rng), digits(rng, 1, 9)});
                break;
        }
    }
    f.PhoneBook1.setRows(rows);
    if (chance(rng, 30)) {
        const int location = pick(rng, 1, rig.unit->sim().capacity());
        if (chance(rng, 50))
            rig.unit->sim().erase(location);
        else
            rig.unit->sim().write(location, digits(rng, 3, 9), "BY SMS");
    }
}

}  // namespace

TEST(QuickSaveProperty, LeavesTheSimAFullSaveLeavesAndWritesOnlyWhatDiffers) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Rng rng(seed);
        const SimCard start = randomSim(rng);
        const ModuleType type = seed % 2 ? ModuleType::Older : ModuleType::Newer;
        SimRig full(start, type), quick(start, type);
        ASSERT_EQ(full.st().SimCapacity, start.capacity());
        Rng fullEdits(seed), quickEdits(seed);
        randomEdits(full, fullEdits);
        randomEdits(quick, quickEdits);
        const auto before = quick.unit->sim().entries();
        quick.unit->clearWrites();

        full.form().SaveZEP.click();
        full.finishSave();
        quick.form().QuickSaveZEP.click();
        quick.finishSave();

        const auto& after = full.unit->sim().entries();
        ASSERT_EQ(quick.unit->sim().entries(), after);
        EXPECT_EQ(quick.dialogs.errors, full.dialogs.errors);
        EXPECT_EQ(quick.form().PhoneBook1.rows(), full.form().PhoneBook1.rows());
        // Exactly the differing locations, each once.
        std::set<int> differing;
        for (int location = 1; location <= start.capacity(); ++location) {
            auto b = before.find(location), a = after.find(location);
            const bool same =
                b == before.end() ? a == after.end() : a != after.end() && a->second == b->second;
            if (!same) differing.insert(location);
        }
        std::vector<int> writes = quick.unit->writes();
        EXPECT_TRUE(std::is_sorted(writes.begin(), writes.end()));
        EXPECT_EQ(std::set<int>(writes.begin(), writes.end()), differing);
        EXPECT_EQ(writes.size(), differing.size());
        if (testing::Test::HasFailure()) break;
    }
}

// A SIM already as the pages would leave it: the quick save writes nothing and still checks.
TEST(QuickSaveProperty, AnUnchangedSimIsOnlyReadTwice) {
    SimRig rig(SimCard::withDefaultContent());
    rig.form().SaveZEP.click();  // brings the SIM into save order
    rig.finishSave();
    rig.unit->clearCommands();
    rig.form().QuickSaveZEP.click();
    rig.finishSave();
    EXPECT_EQ(rig.unit->commands(), (std::vector<std::string>{"AT+CPBR=1,250", "AT+CPBR=1,250"}));
    EXPECT_TRUE(rig.dialogs.errors.empty());
    rig.expectViewShowsSim();
}

// The faults the full save meets, met by the quick save: it stops, says so, unlocks, and the
// pages show what the SIM holds (at once where the unit can still be read, else after Load);
// a stop before the first write leaves the SIM and the edited pages as they were.
TEST(QuickSaveFaults, StopsReportsAndUnlocks) {
    struct Case {
        const char* what;
        std::function<void(SimRig&)> fault;   // after the edit, before Quick Save is clicked
        std::function<void(SimRig&)> during;  // once Quick Save is clicked
        const char* says;                     // in the error box
        std::size_t writes;                   // the writes the unit received
        bool readBack;                        // the pages show the SIM without a Load
    };
    auto unplugAtWrite = [](SimRig& r) {
        for (int i = 0; i < 100 && r.unit->writeCount() == 0; ++i) r.clock.advance(10);
        r.provider->port->unplug("device removed");
    };
    auto nothing = [](SimRig&) {};
    const Case cases[] = {
        {"ERROR at a write",
         [](SimRig& r) {
             sim::Faults f;
             f.errorOnWrite = 2;
             r.unit->setFaults(f);
         },
         nothing, "Quick save stopped at SIM location 4 (ABUTTON1): the unit answered ERROR", 2, true},
        {"silence at a write",
         [](SimRig& r) {
             sim::Faults f;
             f.silentAfter = 2;
             r.unit->setFaults(f);
         },
         nothing, "Quick save stopped at SIM location 4 (ABUTTON1): the unit did not answer for 10 s", 2,
         false},
        {"lost port at a write", nothing, unplugAtWrite, "device removed", 1, false},
        {"ERROR during the first read", [](SimRig& r) { r.st().SimCapacity = 300; }, nothing,
         "while reading the SIM, before anything was written: the unit answered ERROR", 0, false},
        {"silence during the first read",
         [](SimRig& r) {
             sim::Faults f;
             f.silentAfter = 1;
             r.unit->setFaults(f);
             r.core->post([&r] { return r.core->device().signalClick(); });  // answered; then silence
             r.clock.advance(100);
         },
         nothing, "while reading the SIM, before anything was written: the unit did not answer for 10 s", 0,
         false},
        {"lost port during the first read", nothing,
         [](SimRig& r) { r.provider->port->unplug("device removed"); }, "device removed", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimRig rig(SimCard::withDefaultContent());
        const auto start = rig.unit->sim().entries();
        // Locations 4 and on shift by one.
        rig.form().ADMIN[2].setText("+420603333333");
        rig.unit->clearWrites();
        c.fault(rig);
        rig.form().QuickSaveZEP.click();
        c.during(rig);
        rig.clock.advance(15000);

        EXPECT_FALSE(rig.st().WriteActive);
        for (const Control* ctl :
             {(const Control*)&rig.form().SaveZEP, (const Control*)&rig.form().QuickSaveZEP,
              (const Control*)&rig.form().seting, (const Control*)&rig.form().PhoneBook,
              (const Control*)&rig.form().StopZEP})
            EXPECT_TRUE(ctl->enabled()) << ctl->name();
        EXPECT_FALSE(rig.form().Prubeh.visible());
        ASSERT_EQ(rig.dialogs.errors.size(), 1u);
        EXPECT_NE(rig.dialogs.errors[0].find(c.says), std::string::npos) << rig.dialogs.errors[0];
        EXPECT_EQ(rig.unit->writeCount(), c.writes);
        if (c.writes == 0) {
            EXPECT_EQ(rig.unit->sim().entries(), start);
            EXPECT_EQ(rig.form().ADMIN[2].text(), "+420603333333");
        }
        if (c.readBack) rig.expectViewShowsSim();

        // With the unit well again, Load shows what the SIM holds and a quick save completes.
        rig.unit->setFaults({});
        rig.st().SimCapacity = 250;
        rig.dialogs.portAnswers.push_back(std::string(kSimulatedPortName));
        rig.form().LoadZEP.click();
        rig.clock.advance(5000);
        rig.expectViewShowsSim();
        rig.form().ADMIN[2].setText("+420603333333");
        rig.form().QuickSaveZEP.click();
        rig.finishSave();
        EXPECT_EQ(rig.dialogs.errors.size(), 1u);
        EXPECT_EQ(rig.unit->sim().find(3)->name, "ADMIN3");
        rig.expectViewShowsSim();
    }
}
