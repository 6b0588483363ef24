#include "cli/runner.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace dorive::cli {

Clock::TimerId SimulatedTime::startTimer(int ms, std::function<void()> fn) {
    TimerId id = ++next_;
    timers_.emplace(std::make_pair(now_ + (ms < 0 ? 0 : ms), id), std::move(fn));
    return id;
}

void SimulatedTime::cancelTimer(TimerId id) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (it->first.second == id) {
            timers_.erase(it);
            return;
        }
}

std::string SimulatedTime::timeOfDay() const {
    // The wall clock at the start of the run, moved on by simulated time.
    static const std::time_t start = std::time(nullptr);
    std::time_t t = start + std::time_t(now_ / 1000);
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &tm);
    return text;
}

bool SimulatedTime::runUntil(const std::function<bool()>& done) {
    while (!done()) {
        if (timers_.empty()) return done();
        auto it = timers_.begin();
        now_ = it->first.first;
        auto fn = std::move(it->second);
        timers_.erase(it);
        fn();
    }
    return true;
}

}  // namespace dorive::cli
