#include "loop/system_clock.h"

#include <ctime>
#include <thread>

namespace dorive {

using namespace std::chrono;

SystemClock::SystemClock() : start_(steady_clock::now()) {}

std::int64_t SystemClock::nowMs() const {
    return duration_cast<milliseconds>(steady_clock::now() - start_).count();
}

Clock::TimerId SystemClock::startTimer(int ms, std::function<void()> fn) {
    TimerId id = ++next_;
    timers_.emplace(std::make_pair(nowMs() + (ms < 0 ? 0 : ms), id), std::move(fn));
    return id;
}

void SystemClock::cancelTimer(TimerId id) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (it->first.second == id) {
            timers_.erase(it);
            return;
        }
}

std::string SystemClock::timeOfDay() const {
    return localTimeOfDay();
}

std::string localTimeOfDay() {
    // Formatting the local time costs more than reading the clock: redo it once a second.
    thread_local std::time_t cachedSecond = -1;
    thread_local char text[16] = {};
    std::time_t t = std::time(nullptr);
    if (t != cachedSecond) {
        std::tm tm{};
#ifdef _WIN32
        localtime_s(&tm, &t);
#else
        localtime_r(&t, &tm);
#endif
        std::strftime(text, sizeof text, "%H:%M:%S", &tm);
        cachedSecond = t;
    }
    return text;
}

bool SystemClock::run(const std::function<bool()>& done, milliseconds limit) {
    const auto deadline = steady_clock::now() + limit;
    while (!done()) {
        if (timers_.empty() || steady_clock::now() >= deadline) return done();
        auto it = timers_.begin();
        auto due = start_ + milliseconds(it->first.first);
        if (due > steady_clock::now()) std::this_thread::sleep_until(due < deadline ? due : deadline);
        if (steady_clock::now() < due) continue;
        auto fn = std::move(it->second);
        timers_.erase(it);
        fn();
    }
    return true;
}

}  // namespace dorive
