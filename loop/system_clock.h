#pragma once
// A Clock on the machine's steady clock for front ends without a toolkit event loop (the
// command line, benchmarks): timers fire from run(), which sleeps until the next one is due.
#include <chrono>
#include <functional>
#include <map>

#include "ports/clock.h"

namespace dorive {

class SystemClock : public Clock {
  public:
    SystemClock();
    std::int64_t nowMs() const override;
    TimerId startTimer(int ms, std::function<void()> fn) override;
    void cancelTimer(TimerId id) override;
    std::string timeOfDay() const override;

    // Fires due timers, sleeping in between, until done() is true or no timer is left.
    // Returns done().
    bool run(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::hours(1));

  private:
    std::chrono::steady_clock::time_point start_;
    TimerId next_ = 0;
    std::map<std::pair<std::int64_t, TimerId>, std::function<void()>> timers_;
};

// The machine's local time of day, "HH:MM:SS", read anew at every call.
std::string localTimeOfDay();

}  // namespace dorive
