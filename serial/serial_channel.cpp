#include "serial/serial_channel.h"

namespace dorive {

void SerialChannel::open() {
    if (port_) return;
    if (shutDown_) throw PortError("The program is closing; nothing more is sent.");
    if (!loss_.empty()) {
        if (lossShown_) throw PortError("Not sent: the serial port was lost (see the message before).");
        lossShown_ = true;
        throw PortError(loss_);
    }
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
        loss_ = "The serial port " + name + " stopped working: " + why;
        lossShown_ = false;
        if (onLost) onLost(loss_);
    };
    port_ = std::move(port);
    dtrReported_ = false;
    applyDtr();
}

void SerialChannel::send(std::string_view text) {
    open();
    port_->write(text);
}

void SerialChannel::setDtr(bool asserted) {
    dtr_ = asserted;
    applyDtr();
}

void SerialChannel::applyDtr() {
    if (!port_ || port_->setDtr(dtr_) || dtrReported_) return;
    dtrReported_ = true;
    if (onNotice)
        onNotice(portName_ + ": this port cannot switch DTR; stop the unit's script by other means.");
}

std::string SerialChannel::takeLossReport() {
    std::string text = lossShown_ ? std::string() : loss_;
    loss_.clear();
    lossShown_ = false;
    return text;
}

void SerialChannel::shutdown() {
    shutDown_ = true;
    close();
}

std::size_t SerialChannel::outputFree() const {
    return port_ ? port_->outputFree() : kOutputBufferSize;
}

std::size_t SerialChannel::bytesAvailable() const {
    return port_ ? port_->bytesAvailable() : 0;
}

std::string SerialChannel::read(std::size_t max) {
    return port_ ? port_->read(max) : std::string();
}

void SerialChannel::close() {
    if (!port_) return;
    // The port may be closing from inside one of its own notifications: keep the object
    // until the next opening instead of destroying it under its caller.
    retired_ = std::move(port_);
    retired_->close();
    portName_.clear();
}

}  // namespace dorive
