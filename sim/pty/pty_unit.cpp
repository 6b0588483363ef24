#include "sim/pty/pty_unit.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#if defined(__APPLE__)
#include <util.h>
#else
#include <pty.h>
#endif

namespace dorive::sim {

namespace {

// Output kept for a program that does not read; beyond this the line loses it.
constexpr std::size_t kMaxPendingOutput = 64 * 1024;

bool isCommandLine(const std::string& line) {
    return line.size() >= 2 && (line[0] == 'A' || line[0] == 'a') && (line[1] == 'T' || line[1] == 't');
}

}  // namespace

PtyUnit::PtyUnit(Clock& clock, std::shared_ptr<SimUnit> unit, Pacing pacing)
    : unit_(unit), port_(clock, unit, pacing) {
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error(std::string("cannot create a pseudo-terminal: ") + std::strerror(errno));
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    ::tcsetattr(slave, TCSANOW, &tio);
    // Only the other programs hold the slave end: the master then sees when they close it.
    ::close(slave);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    path_ = name;
    port_.onReadyRead = [this] {
        std::string bytes = port_.read(port_.bytesAvailable());
        if (!connected_) return;
        if (output_.size() + bytes.size() > kMaxPendingOutput) return;
        output_ += bytes;
        flushOutput();
    };
    unit_->clearCommands();
}

PtyUnit::~PtyUnit() {
    port_.onReadyRead = nullptr;
    if (master_ >= 0) ::close(master_);
}

short PtyUnit::events() const {
    if (!connected_) return 0;
    return short(POLLIN | (output_.empty() ? 0 : POLLOUT));
}

void PtyUnit::handle(short revents) {
    if (!connected_) return;
    if (revents & POLLIN) {
        char buffer[4096];
        for (;;) {
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) {
                port_.write(std::string_view(buffer, std::size_t(n)));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
            disconnected();  // EIO: the other end closed
            return;
        }
    }
    if (revents & POLLOUT) flushOutput();
    if (revents & (POLLHUP | POLLERR)) disconnected();
}

void PtyUnit::checkConnection() {
    if (connected_) return;
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, 0) >= 0 && !(p.revents & (POLLHUP | POLLERR))) connected_ = true;
}

void PtyUnit::disconnected() {
    connected_ = false;
    output_.clear();
    // Closing a port drops its DTR.
    if (lineStop_) {
        lineStop_ = false;
        if (!handDtr_) unit_->setDtr(false);
    }
}

void PtyUnit::flushOutput() {
    while (!output_.empty()) {
        ssize_t n = ::write(master_, output_.data(), output_.size());
        if (n > 0) {
            output_.erase(0, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        disconnected();
        return;
    }
}

void PtyUnit::afterEvents() {
    bool commandWhileRunning = false;
    for (const std::string& line : unit_->commands())
        if (isCommandLine(line)) commandWhileRunning = true;
    unit_->clearCommands();
    if (commandWhileRunning && unit_->scriptRunning() && !unit_->dtr()) {
        lineStop_ = true;
        unit_->setDtr(true);
    }
    // AT#REBOOT ends the stop a command line began: the script runs once the module is up.
    if (lineStop_ && unit_->phase() == SimUnit::Phase::Booting) {
        lineStop_ = false;
        if (!handDtr_) unit_->setDtr(false);
    }
}

void PtyUnit::assertDtr() {
    handDtr_ = true;
    unit_->setDtr(true);
}

void PtyUnit::releaseDtr() {
    handDtr_ = false;
    lineStop_ = false;
    unit_->setDtr(false);
}

}  // namespace dorive::sim
