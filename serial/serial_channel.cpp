#include "serial/serial_channel.h"

namespace dorive {

void SerialChannel::open() {
    if (port_) return;
    auto choice = dialogs_.choosePort(provider_.ports(), preferredPort);
    if (!choice) throw PortError(kNoPortChosen);
    retired_.reset();
    auto port = provider_.open(*choice);
    if (!port) throw PortError("The serial port " + *choice + " could not be opened.");
    preferredPort = *choice;
    portName_ = *choice;
    port->onReadyRead = [this] {
        if (port_ && onDataAvailable) onDataAvailable();
    };
    port->onFailure = [this](const std::string& why) {
        if (!port_) return;
        std::string name = portName_;
        close();
        if (onLost) onLost("The serial port " + name + " stopped working: " + why);
    };
    port->setDtr(dtr_);
    port_ = std::move(port);
}

void SerialChannel::send(std::string_view text) {
    open();
    port_->write(text);
}

void SerialChannel::setDtr(bool asserted) {
    dtr_ = asserted;
    if (port_) port_->setDtr(asserted);
}

std::size_t SerialChannel::outputFree() const { return port_ ? port_->outputFree() : kOutputBufferSize; }

std::size_t SerialChannel::bytesAvailable() const { return port_ ? port_->bytesAvailable() : 0; }

std::string SerialChannel::read(std::size_t max) { return port_ ? port_->read(max) : std::string(); }

void SerialChannel::close() {
    if (!port_) return;
    // The port may be closing from inside one of its own notifications: keep the object
    // until the next opening instead of destroying it under its caller.
    retired_ = std::move(port_);
    retired_->close();
    portName_.clear();
}

}  // namespace dorive
