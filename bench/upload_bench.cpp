// An upload list (a script of 150000 bytes, a voice message, a deletion, a command and the
// script to run) into the simulated unit on the real clock, with realistic line pacing.
// Prints the wall time next to its floor: the wire time of every byte on the critical path
// at 115200 baud, the pauses the upload makes (500 ms before each next line, 500 ms after each
// prompt, SerialWait before the voice command), the module's reply latency and the time the
// simulated module takes to play the voice message.
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "app/dorive.h"
#include "loop/system_clock.h"
#include "ports/files.h"
#include "sim/sim_port.h"
#include "support/fakes.h"

using namespace dorive;

namespace {

class CountingPort : public SerialPort {
  public:
    explicit CountingPort(std::unique_ptr<SerialPort> inner) : inner_(std::move(inner)) {
        inner_->onReadyRead = [this] {
            if (onReadyRead) onReadyRead();
        };
        inner_->onFailure = [this](const std::string& why) {
            if (onFailure) onFailure(why);
        };
    }
    void write(std::string_view bytes) override {
        sentBytes += bytes.size();
        inner_->write(bytes);
    }
    std::size_t bytesAvailable() const override { return inner_->bytesAvailable(); }
    std::string read(std::size_t max) override {
        std::string out = inner_->read(max);
        receivedBytes += out.size();
        return out;
    }
    bool setDtr(bool on) override { return inner_->setDtr(on); }
    std::size_t outputFree() const override { return inner_->outputFree(); }
    void close() override { inner_->close(); }

    std::size_t sentBytes = 0, receivedBytes = 0;

  private:
    std::unique_ptr<SerialPort> inner_;
};

class SimProvider : public PortProvider {
  public:
    SimProvider(Clock& clock, std::shared_ptr<sim::SimUnit> unit) : clock_(clock), unit_(std::move(unit)) {}
    std::vector<PortInfo> ports() override { return {{kSimulatedPortName, ""}}; }
    std::unique_ptr<SerialPort> open(const std::string&) override {
        auto p =
            std::make_unique<CountingPort>(sim::openSimulatedPort(clock_, unit_, sim::Pacing::realistic()));
        port = p.get();
        return p;
    }
    CountingPort* port = nullptr;

  private:
    Clock& clock_;
    std::shared_ptr<sim::SimUnit> unit_;
};

class MemFiles : public Files {
  public:
    std::string read(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) throw FileError("Cannot open file \"" + path + "\".");
        return it->second;
    }
    void write(const std::string& path, std::string_view bytes) override { files[path] = std::string(bytes); }
    bool exists(const std::string& path) override { return files.count(path) > 0; }
    std::map<std::string, std::string> files;
};

std::string pattern(std::size_t size, int shift) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = char(i * 31 + std::size_t(shift));
    return s;
}

}  // namespace

int main() {
    SystemClock clock;
    sim::SimOptions options;
    options.statusIntervalMs = 0;
    options.voicePlayMs = 200;
    auto unit = std::make_shared<sim::SimUnit>(clock, options);
    SimProvider provider(clock, unit);
    test::ScriptedDialogs dialogs;
    dialogs.portAnswers = {std::string(kSimulatedPortName)};
    MemFiles files;
    files.files["new.pyo"] = pattern(150000, 1);
    files.files["bell.wav"] = pattern(30000, 2);
    DoriveOptions doriveOptions;
    doriveOptions.files = &files;
    Dorive core(provider, clock, dialogs, doriveOptions);

    // Stop the unit's script so that the module takes commands; let the SIM read finish.
    core.channel().setDtr(true);
    core.channel().open();
    clock.run([] { return false; }, std::chrono::seconds(6));
    if (unit->phase() != sim::SimUnit::Phase::Stopped) {
        std::fprintf(stderr, "the simulated unit did not stop\n");
        return 1;
    }

    const std::vector<std::string> list = {"new.pyo", "ASEND:bell.wav", "DEL:old.pyo",
                                           "SET:AT+CPBW=200,42,,Kept", "RUN:new.pyo"};
    core.form().List.setLines(list);
    const std::size_t sent0 = provider.port->sentBytes, recv0 = provider.port->receivedBytes;
    const std::int64_t start = clock.nowMs();
    core.form().Upgrade.click();
    clock.run([&] { return !core.upload().running(); }, std::chrono::minutes(2));
    const std::int64_t wall = clock.nowMs() - start;

    const bool whole =
        unit->scripts().count("new.pyo") && unit->scripts().at("new.pyo") == files.files["new.pyo"] &&
        unit->voices().count("bell.wav") && unit->voices().at("bell.wav") == files.files["bell.wav"] &&
        unit->activeScript() == "new.pyo" && unit->sim().entries().count(200);
    if (!dialogs.errors.empty() || !whole || core.upload().running()) {
        std::fprintf(stderr, "the upload failed%s%s\n", dialogs.errors.empty() ? "" : ": ",
                     dialogs.errors.empty() ? "" : dialogs.errors.front().c_str());
        return 1;
    }

    // The "OK" after the voice data overlaps the module's playing of it: off the critical path.
    const double bytes =
        double(provider.port->sentBytes - sent0) + double(provider.port->receivedBytes - recv0) - 6.0;
    const double wire = bytes * 10.0 * 1000.0 / sim::kLineBaud;
    const double advances = double(list.size() - 1);
    const double pauses = advances * 500.0 + 2 * 500.0 + double(core.state().SerialWait);
    // Replies on the critical path: the prompt and the "OK" of the script, CONNECT, "#ASENDEV:"
    // and the "OK" to "AT" of the voice, one "OK" for each of the three commands.
    const double latency = 8.0 * sim::kModuleLatencyMs;
    const double module = options.voicePlayMs;
    const double floor = wire + pauses + latency + module;
    std::printf("upload of %zu lines: %.0f bytes on the line\n", list.size(), bytes);
    std::printf("wall time            %8.0f ms\n", double(wall));
    std::printf(
        "floor                %8.0f ms  (wire %.0f + pauses %.0f + module latency %.0f + voice play %.0f)\n",
        floor, wire, pauses, latency, module);
    std::printf("over the floor       %8.2f %%\n", (double(wall) - floor) * 100.0 / floor);
    return 0;
}
