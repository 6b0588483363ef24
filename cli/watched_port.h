#pragma once
// The port as the command line sees it: every port the core opens is wrapped so that the
// command knows when the unit last sent a byte and what was last sent to it, the two facts
// its time-outs and messages rest on.
#include <functional>
#include <memory>
#include <string>

#include "ports/clock.h"
#include "ports/serial_port.h"

namespace dorive::cli {

struct LineWatch {
    std::int64_t lastReceivedMs = -1;  // -1: nothing received yet
    std::string lastSent;              // the last command line sent, without CR LF
};

class WatchedPort : public SerialPort {
  public:
    WatchedPort(std::unique_ptr<SerialPort> inner, Clock& clock, LineWatch& watch);
    ~WatchedPort() override;

    void write(std::string_view bytes) override;
    std::size_t bytesAvailable() const override { return inner_->bytesAvailable(); }
    std::string read(std::size_t max) override { return inner_->read(max); }
    bool setDtr(bool asserted) override { return inner_->setDtr(asserted); }
    std::size_t outputFree() const override { return inner_->outputFree(); }
    void close() override { inner_->close(); }

  private:
    std::unique_ptr<SerialPort> inner_;
    Clock& clock_;
    LineWatch& watch_;
};

// Opens the one port named on the command line, whatever the core asks for, and wraps it.
class WatchedProvider : public PortProvider {
  public:
    using Opener = std::function<std::unique_ptr<SerialPort>()>;
    WatchedProvider(std::string name, Opener open, Clock& clock)
        : name_(std::move(name)), open_(std::move(open)), clock_(clock) {}

    std::vector<PortInfo> ports() override { return {{name_, "the port named on the command line"}}; }
    std::unique_ptr<SerialPort> open(const std::string& name) override;
    const std::string& name() const { return name_; }
    LineWatch& watch() { return watch_; }

  private:
    std::string name_;
    Opener open_;
    Clock& clock_;
    LineWatch watch_;
};

}  // namespace dorive::cli
