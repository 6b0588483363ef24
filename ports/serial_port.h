#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace dorive {

// Size of the output buffer the upload fills in one go.
inline constexpr std::size_t kOutputBufferSize = 64000;

// Name the port dialog offers for the built-in simulated unit.
inline constexpr const char* kSimulatedPortName = "Simulated unit";

// A port could not be opened, was lost, or none was chosen.
class PortError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct PortInfo {
    std::string name;         // what open() takes, e.g. "ttyUSB0" or "Simulated unit"
    std::string description;  // shown beside the name
};

// One open serial connection: 115200 8N1, RTS/CTS, DTR off when opened.
// Notifications are delivered on the thread that owns the port.
class SerialPort {
  public:
    virtual ~SerialPort() = default;
    // Queues the bytes for sending, unchanged; never waits for an answer.
    virtual void write(std::string_view bytes) = 0;
    virtual std::size_t bytesAvailable() const = 0;
    // Takes up to max received bytes out of the input buffer.
    virtual std::string read(std::size_t max) = 0;
    // False when the port cannot switch DTR (a pseudo-terminal, some adapters).
    virtual bool setDtr(bool asserted) = 0;
    // Bytes that can still be queued: kOutputBufferSize when everything has gone out.
    virtual std::size_t outputFree() const = 0;
    virtual void close() = 0;

    std::function<void()> onReadyRead;
    // The device failed while open (unplugged, I/O error); the text says what happened.
    std::function<void(const std::string&)> onFailure;
};

// Lists the ports of the machine and opens one by name.
class PortProvider {
  public:
    virtual ~PortProvider() = default;
    virtual std::vector<PortInfo> ports() = 0;
    // Throws PortError with a message a technician can act on.
    virtual std::unique_ptr<SerialPort> open(const std::string& name) = 0;
};

}  // namespace dorive
