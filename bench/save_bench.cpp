// A full save of a 250-location SIM to the simulated unit on the real clock, with realistic
// line pacing. Prints the wall time of the save next to its floor: the pauses the save
// sequence makes between writes, the wire time of every byte both ways at 115200 baud,
// and the simulated module's reply latency.
#include <cstdio>
#include <memory>
#include <string>

#include "app/dorive.h"
#include "loop/system_clock.h"
#include "sim/sim_port.h"
#include "support/fakes.h"

using namespace dorive;

namespace {

// Counts what crosses the line, so the floor can be computed from it.
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
        ++commands;
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

    std::size_t sentBytes = 0, receivedBytes = 0, commands = 0;

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

}  // namespace

int main() {
    SystemClock clock;
    sim::SimOptions options;
    options.statusIntervalMs = 0;
    auto unit = std::make_shared<sim::SimUnit>(clock, options);
    SimProvider provider(clock, unit);
    test::ScriptedDialogs dialogs;
    dialogs.portAnswers = {std::string(kSimulatedPortName)};
    Dorive core(provider, clock, dialogs);

    // Stop the unit and read its SIM.
    core.channel().open();
    core.post([&] { return core.device().StopZEPClick(); });
    if (!clock.run([&] { return core.state().SimCapacity > 0; }, std::chrono::seconds(30))) {
        std::fprintf(stderr, "the simulated unit did not report its SIM capacity\n");
        return 1;
    }
    clock.run([] { return false; }, std::chrono::seconds(3));  // the listing

    const std::size_t sent0 = provider.port->sentBytes, recv0 = provider.port->receivedBytes,
                      cmds0 = provider.port->commands;
    const std::int64_t start = clock.nowMs();
    core.post([&] { return core.save().SaveZEPClick(); });
    bool started = false;
    clock.run(
        [&] {
            started = started || core.state().WriteActive;
            return started && !core.state().WriteActive;
        },
        std::chrono::minutes(5));
    const std::int64_t wall = clock.nowMs() - start;
    if (!dialogs.errors.empty()) {
        std::fprintf(stderr, "the save failed: %s\n", dialogs.errors.front().c_str());
        return 1;
    }

    const double commands = double(provider.port->commands - cmds0);
    // The read-back request went out at the very end; it is not part of the save.
    const double saveCommands = commands - 1;
    const double bytes =
        double(provider.port->sentBytes - sent0) + double(provider.port->receivedBytes - recv0);
    const double pauses = double(core.state().WriteStep - 1) * 200.0;
    const double wire = bytes * 10.0 * 1000.0 / sim::kLineBaud;
    const double latency = saveCommands * sim::kModuleLatencyMs;
    const double floor = pauses + wire + latency;
    std::printf("save of %d locations: %d steps, %.0f commands\n", core.state().SimCapacity,
                core.state().WriteStep, saveCommands);
    std::printf("wall time            %8.0f ms\n", double(wall));
    std::printf("floor                %8.0f ms  (pauses %.0f + wire %.0f + module latency %.0f)\n", floor,
                pauses, wire, latency);
    std::printf("over the floor       %8.2f %%\n", (double(wall) - floor) * 100.0 / floor);
    return 0;
}
