#pragma once
// Files kept in memory, and cores for the upload tests: one on the fake port, one on the
// simulated unit with realistic line pacing (both on virtual time).
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ports/files.h"
#include "sim/sim_port.h"
#include "sim/sim_unit.h"
#include "support/device_fixture.h"

namespace dorive::test {

class MemFiles : public Files {
  public:
    std::string read(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end() || unreadable.count(path))
            throw FileError("Cannot open file \"" + path + "\". No such file or directory");
        return it->second;
    }
    void write(const std::string& path, std::string_view bytes) override {
        if (failWrites.count(path)) throw FileError("Cannot create file \"" + path + "\". Permission denied");
        files[path] = std::string(bytes);
    }
    bool exists(const std::string& path) override { return files.count(path) > 0; }

    std::map<std::string, std::string> files;
    std::set<std::string> unreadable, failWrites;
};

// Bytes 0..255 over and over, shifted so that neighbouring files differ.
inline std::string pattern(std::size_t size, int shift = 0) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = char((i * 31 + std::size_t(shift)) & 0xFF);
    return s;
}

// The program's own monitor lines (those without a time stamp).
inline std::vector<std::string> ownNotes(const LineStore& monitor, std::size_t from = 0) {
    std::vector<std::string> out;
    for (std::size_t i = from; i < monitor.size(); ++i)
        if (monitor[i].empty() || monitor[i][0] != '[') out.emplace_back(monitor[i]);
    return out;
}

struct UploadFixture : DeviceFixture {
    MemFiles files;
    void SetUp() override {
        DoriveOptions options;
        options.files = &files;
        makeCore(options);
        core->channel().open();
    }
    void list(std::vector<std::string> lines) { form().List.setLines(std::move(lines)); }
    bool running() { return core->upload().running(); }
};

// Opens the simulated unit's port whatever the dialog named.
class SimProvider : public PortProvider {
  public:
    SimProvider(Clock& clock, std::shared_ptr<sim::SimUnit> unit, sim::Pacing pacing)
        : clock_(clock), unit_(std::move(unit)), pacing_(pacing) {}
    std::vector<PortInfo> ports() override { return {{kSimulatedPortName, "simulated unit"}}; }
    std::unique_ptr<SerialPort> open(const std::string&) override {
        auto p = std::make_unique<sim::SimPort>(clock_, unit_, pacing_);
        port = p.get();
        return p;
    }
    sim::SimPort* port = nullptr;

  private:
    Clock& clock_;
    std::shared_ptr<sim::SimUnit> unit_;
    sim::Pacing pacing_;
};

// A core on the simulated unit, its script stopped so that the module takes commands.
struct SimUploadFixture : ::testing::Test {
    VirtualClock clock;
    MemFiles files;
    ScriptedDialogs dialogs;
    std::shared_ptr<sim::SimUnit> unit;
    std::unique_ptr<SimProvider> provider;
    std::unique_ptr<Dorive> core;

    void start(sim::SimOptions options = {}) {
        options.statusIntervalMs = 0;
        unit = std::make_shared<sim::SimUnit>(clock, options);
        provider = std::make_unique<SimProvider>(clock, unit, sim::Pacing::realistic());
        DoriveOptions o;
        o.files = &files;
        core = std::make_unique<Dorive>(*provider, clock, dialogs, o);
        core->channel().setDtr(true);
        core->channel().open();
        clock.advance(10000);  // the stop, the echo-off and the read of the SIM
        ASSERT_EQ(unit->phase(), sim::SimUnit::Phase::Stopped);
    }
    void TearDown() override {
        core.reset();
        provider.reset();
        unit.reset();
    }
    Form& form() { return core->form(); }
    State& st() { return core->state(); }
    // Presses Upgrade and lets the upload run to its end (or the limit).
    void runUpload(std::vector<std::string> lines, std::int64_t limitMs = 120000) {
        form().List.setLines(std::move(lines));
        form().Upgrade.click();
        for (std::int64_t t = 0; t < limitMs && core->upload().running(); t += 100) clock.advance(100);
    }
};

}  // namespace dorive::test
