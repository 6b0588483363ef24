#include "sim/sim_port.h"

#include <algorithm>
#include <utility>

namespace dorive::sim {

SimPort::SimPort(Clock& clock, std::shared_ptr<SimUnit> unit, Pacing pacing)
    : clock_(clock), unit_(std::move(unit)), pacing_(pacing) {
    if (!unit_) throw PortError("no simulated unit to connect to");
    if (pacing_.baud <= 0) pacing_.baud = kLineBaud;
    if (pacing_.chunkBytes == 0) pacing_.chunkBytes = kUsbChunkBytes;
    unit_->setDtr(false);
    attachId_ = unit_->attach([this](std::string_view bytes) { fromUnit(bytes); },
                              [this] { unplug("the line to the unit went dead"); });
}

SimPort::~SimPort() {
    close();
    if (failTimer_) clock_.cancelTimer(failTimer_);
}

std::int64_t SimPort::wireUs(std::size_t bytes) const {
    if (pacing_.mode == Pacing::Mode::Instant) return 0;
    return (std::int64_t(bytes) * 10 * 1000000 + pacing_.baud / 2) / pacing_.baud;
}

void SimPort::enqueue(std::deque<Chunk>& queue, std::string_view bytes, std::int64_t earliestUs) {
    for (std::size_t pos = 0; pos < bytes.size(); pos += pacing_.chunkBytes)
        queue.push_back({earliestUs, std::string(bytes.substr(pos, pacing_.chunkBytes))});
}

void SimPort::write(std::string_view bytes) {
    if (!open_ || bytes.empty()) return;
    if (pacing_.mode == Pacing::Mode::Instant) {
        unit_->receive(bytes);
        return;
    }
    enqueue(tx_, bytes, nowUs());
    txPending_ += bytes.size();
    armTx();
}

std::string SimPort::read(std::size_t max) {
    std::size_t n = std::min(max, bytesAvailable());
    std::string out = input_.substr(inputPos_, n);
    inputPos_ += n;
    if (inputPos_ == input_.size()) {
        input_.clear();
        inputPos_ = 0;
    } else if (inputPos_ > 4096 && inputPos_ * 2 > input_.size()) {
        input_.erase(0, inputPos_);
        inputPos_ = 0;
    }
    if (rtsHeld_ && bytesAvailable() <= kRtsOnBytes) {
        rtsHeld_ = false;
        rxWireFreeUs_ = std::max(rxWireFreeUs_, nowUs());
        armRx();
    }
    return out;
}

bool SimPort::setDtr(bool asserted) {
    if (open_) unit_->setDtr(asserted);
    return true;
}

std::size_t SimPort::outputFree() const {
    return txPending_ >= kOutputBufferSize ? 0 : kOutputBufferSize - txPending_;
}

void SimPort::close() {
    if (!open_) return;
    open_ = false;
    for (auto* id : {&rxTimer_, &txTimer_}) {
        if (*id) clock_.cancelTimer(*id);
        *id = 0;
    }
    rx_.clear();
    tx_.clear();
    txPending_ = 0;
    rtsHeld_ = false;
    input_.clear();
    inputPos_ = 0;
    unit_->detach(attachId_);
    unit_->setDtr(false);  // a closed port no longer drives DTR
}

void SimPort::unplug(const std::string& why) {
    if (!open_) return;
    close();
    failTimer_ = clock_.startTimer(0, [this, why] {
        failTimer_ = 0;
        if (onFailure) onFailure(why);
    });
}

void SimPort::fromUnit(std::string_view bytes) {
    if (!open_) return;
    if (pacing_.mode == Pacing::Mode::Instant)
        rx_.push_back({nowUs(), std::string(bytes)});
    else
        enqueue(rx_, bytes, nowUs() + std::int64_t(pacing_.latencyMs) * 1000);
    armRx();
}

namespace {
int delayMs(std::int64_t dueUs, std::int64_t nowUs) {
    return dueUs <= nowUs ? 0 : int((dueUs - nowUs + 999) / 1000);
}
}  // namespace

void SimPort::armRx() {
    if (rxTimer_ || rx_.empty() || rtsHeld_) return;
    const Chunk& next = rx_.front();
    rxDueUs_ = std::max(next.earliestUs, rxWireFreeUs_) + wireUs(next.bytes.size());
    rxTimer_ = clock_.startTimer(delayMs(rxDueUs_, nowUs()), [this] {
        rxTimer_ = 0;
        deliverRx();
    });
}

void SimPort::armTx() {
    if (txTimer_ || tx_.empty()) return;
    const std::int64_t heldUntilMs = unit_->ctsHeldUntilMs();
    if (heldUntilMs > clock_.nowMs()) {
        // The unit holds CTS: nothing goes out until it lets go.
        txTimer_ = clock_.startTimer(int(heldUntilMs - clock_.nowMs()), [this] {
            txTimer_ = 0;
            txWireFreeUs_ = std::max(txWireFreeUs_, nowUs());
            armTx();
        });
        return;
    }
    const Chunk& next = tx_.front();
    txDueUs_ = std::max(next.earliestUs, txWireFreeUs_) + wireUs(next.bytes.size());
    txTimer_ = clock_.startTimer(delayMs(txDueUs_, nowUs()), [this] {
        txTimer_ = 0;
        deliverTx();
    });
}

void SimPort::deliverRx() {
    if (!open_ || rx_.empty()) return;
    rxWireFreeUs_ = rxDueUs_;
    input_ += rx_.front().bytes;
    rx_.pop_front();
    if (pacing_.mode == Pacing::Mode::Realistic && bytesAvailable() >= kRtsOffBytes) rtsHeld_ = true;
    if (onReadyRead) {
        std::weak_ptr<char> alive = alive_;
        onReadyRead();
        if (alive.expired()) return;  // the handler closed and destroyed the port
    }
    if (open_) armRx();
}

void SimPort::deliverTx() {
    if (!open_ || tx_.empty()) return;
    Chunk chunk = std::move(tx_.front());
    tx_.pop_front();
    txWireFreeUs_ = txDueUs_;
    txPending_ -= chunk.bytes.size();
    unit_->receive(chunk.bytes);
    if (open_) armTx();
}

std::unique_ptr<SerialPort> openSimulatedPort(Clock& clock, std::shared_ptr<SimUnit> unit, Pacing pacing) {
    return std::make_unique<SimPort>(clock, std::move(unit), pacing);
}

}  // namespace dorive::sim
