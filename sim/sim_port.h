#pragma once
// The serial port to a simulated unit. It behaves like a real port: writes return at once,
// received bytes arrive later through onReadyRead, always from a Clock timer. In realistic
// pacing the port keeps RTS/CTS flow control as the real line does: the unit stops sending
// while kRtsOffBytes received bytes wait unread (until no more than kRtsOnBytes wait), and
// the port sends nothing while the unit holds CTS.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "ports/clock.h"
#include "ports/serial_port.h"
#include "sim/sim_unit.h"

namespace dorive::sim {

// Time the module takes before a reply starts on the wire, in realistic pacing.
inline constexpr int kModuleLatencyMs = 5;
// Bytes a USB serial adapter hands over per notification.
inline constexpr std::size_t kUsbChunkBytes = 64;
inline constexpr int kLineBaud = 115200;
// RTS thresholds of the input buffer.
inline constexpr std::size_t kRtsOffBytes = 3686;
inline constexpr std::size_t kRtsOnBytes = 409;

struct Pacing {
    enum class Mode {
        Instant,    // every output of the unit arrives in its own notification from a 0 ms timer
        Realistic,  // module latency, then wire time both ways (10 bits a byte), in USB-sized chunks
    };
    Mode mode = Mode::Instant;
    int latencyMs = kModuleLatencyMs;
    int baud = kLineBaud;
    std::size_t chunkBytes = kUsbChunkBytes;

    static Pacing instant() { return {}; }
    static Pacing realistic() { return {Mode::Realistic}; }
};

class SimPort : public SerialPort {
  public:
    // Opens the line to the unit with DTR released. The unit is shared: it outlives the port.
    SimPort(Clock& clock, std::shared_ptr<SimUnit> unit, Pacing pacing = Pacing::instant());
    ~SimPort() override;

    void write(std::string_view bytes) override;
    std::size_t bytesAvailable() const override { return input_.size() - inputPos_; }
    std::string read(std::size_t max) override;
    bool setDtr(bool asserted) override;
    std::size_t outputFree() const override;
    void close() override;

    bool isOpen() const { return open_; }
    SimUnit& unit() { return *unit_; }
    // The cable is pulled: the port closes and onFailure reports why, from a timer.
    void unplug(const std::string& why);

  private:
    // Bytes on one direction of the line. A chunk starts on the wire when the line is free
    // and not before `earliestUs`; it is through one wire time later.
    struct Chunk {
        std::int64_t earliestUs;
        std::string bytes;
    };
    std::int64_t nowUs() const { return clock_.nowMs() * 1000; }
    std::int64_t wireUs(std::size_t bytes) const;
    void enqueue(std::deque<Chunk>& queue, std::string_view bytes, std::int64_t earliestUs);
    void fromUnit(std::string_view bytes);
    void armRx();
    void armTx();
    void deliverRx();
    void deliverTx();

    Clock& clock_;
    std::shared_ptr<SimUnit> unit_;
    Pacing pacing_;
    std::uint64_t attachId_ = 0;
    bool open_ = true;

    std::string input_;
    std::size_t inputPos_ = 0;
    std::deque<Chunk> rx_, tx_;
    std::size_t txPending_ = 0;
    // When each direction's wire is free again, and when the chunk in flight is through.
    std::int64_t rxWireFreeUs_ = 0, txWireFreeUs_ = 0, rxDueUs_ = 0, txDueUs_ = 0;
    bool rtsHeld_ = false;  // the unit may not send: the input buffer is too full
    Clock::TimerId rxTimer_ = 0, txTimer_ = 0, failTimer_ = 0;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

// The port the app and the tests open for "Simulated unit".
std::unique_ptr<SerialPort> openSimulatedPort(Clock& clock, std::shared_ptr<SimUnit> unit,
                                              Pacing pacing = Pacing::realistic());

}  // namespace dorive::sim
