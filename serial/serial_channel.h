#pragma once
// The one serial connection to the unit: opened at the first send through the port
// dialog, DTR remembered across openings, failures reported once.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ports/dialogs.h"
#include "ports/serial_port.h"

namespace dorive {

inline constexpr const char* kNoPortChosen = "No serial port was chosen. Choose a port to talk to the unit.";

class SerialChannel {
  public:
    SerialChannel(PortProvider& provider, Dialogs& dialogs) : provider_(provider), dialogs_(dialogs) {}
    ~SerialChannel() { close(); }
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    // Queues a complete text unchanged. A closed port is opened first through the port
    // dialog; cancelling it, or a port that cannot be opened, throws PortError and nothing
    // is sent.
    void send(std::string_view text);
    // Opens the port (asking for it) without sending.
    void open();

    // Remembered for every later opening too. A port that cannot switch DTR is reported
    // once per opening through onNotice.
    void setDtr(bool asserted);
    bool dtr() const { return dtr_; }
    // True while a port is open.
    bool portChosen() const { return bool(port_); }
    const std::string& portName() const { return portName_; }
    std::size_t outputFree() const;
    std::size_t bytesAvailable() const;
    std::string read(std::size_t max);
    void close();
    // The program ends: the port is closed and nothing may open it again.
    void shutdown();

    // Until the loss of the port has been reported to the user, a send does not ask for a
    // port: it fails with the loss's text (the first time) so that the activity that meets
    // it ends with that report.
    bool lossUnreported() const { return !loss_.empty(); }
    // Takes the loss's text for its report; empty when a failed send reported it already.
    std::string takeLossReport();

    // Port name offered first in the dialog: the one chosen last time.
    std::string preferredPort;

    // Received bytes wait in the port; delivered on the owning thread.
    std::function<void()> onDataAvailable;
    // The open port failed; it is closed already. Called once per failure.
    std::function<void(const std::string&)> onLost;
    // Something the user should know about the port (DTR that cannot be switched).
    std::function<void(const std::string&)> onNotice;

  private:
    void applyDtr();
    PortProvider& provider_;
    Dialogs& dialogs_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<SerialPort> retired_;
    std::string portName_;
    bool dtr_ = false;
    bool dtrReported_ = false;
    bool shutDown_ = false;
    std::string loss_;
    bool lossShown_ = false;
};

}  // namespace dorive
