#include "sim/pty/poll_clock.h"

#include "loop/system_clock.h"

namespace dorive::sim {

using namespace std::chrono;

PollClock::PollClock() : start_(steady_clock::now()) {}

std::int64_t PollClock::nowMs() const {
    return duration_cast<milliseconds>(steady_clock::now() - start_).count();
}

Clock::TimerId PollClock::startTimer(int ms, std::function<void()> fn) {
    TimerId id = ++next_;
    timers_.emplace(std::make_pair(nowMs() + (ms < 0 ? 0 : ms), id), std::move(fn));
    return id;
}

void PollClock::cancelTimer(TimerId id) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (it->first.second == id) {
            timers_.erase(it);
            return;
        }
}

std::string PollClock::timeOfDay() const {
    return localTimeOfDay();
}

int PollClock::msUntilNext() const {
    if (timers_.empty()) return -1;
    std::int64_t wait = timers_.begin()->first.first - nowMs();
    return wait <= 0 ? 0 : int(wait);
}

void PollClock::fireDue() {
    const std::int64_t now = nowMs();
    // Timers started by a firing timer wait for the next round, even with 0 ms.
    const TimerId last = next_;
    for (auto it = timers_.begin(); it != timers_.end() && it->first.first <= now;) {
        if (it->first.second > last) {
            ++it;
            continue;
        }
        auto fn = std::move(it->second);
        timers_.erase(it);
        fn();
        it = timers_.begin();
    }
}

}  // namespace dorive::sim
