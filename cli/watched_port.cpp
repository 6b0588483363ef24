#include "cli/watched_port.h"

namespace dorive::cli {

WatchedPort::WatchedPort(std::unique_ptr<SerialPort> inner, Clock& clock, LineWatch& watch)
    : inner_(std::move(inner)), clock_(clock), watch_(watch) {
    inner_->onReadyRead = [this] {
        watch_.lastReceivedMs = clock_.nowMs();
        if (onReadyRead) onReadyRead();
    };
    inner_->onFailure = [this](const std::string& why) {
        if (onFailure) onFailure(why);
    };
}

WatchedPort::~WatchedPort() {
    inner_->onReadyRead = nullptr;
    inner_->onFailure = nullptr;
}

void WatchedPort::write(std::string_view bytes) {
    std::string_view line = bytes;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    // Upload data is no command; only short texts name what is awaited.
    if (!line.empty() && line.size() <= 120) watch_.lastSent = std::string(line);
    inner_->write(bytes);
}

std::unique_ptr<SerialPort> WatchedProvider::open(const std::string&) {
    std::unique_ptr<SerialPort> port = open_();
    if (!port) throw PortError("The serial port " + name_ + " could not be opened.");
    return std::make_unique<WatchedPort>(std::move(port), clock_, watch_);
}

}  // namespace dorive::cli
