#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace dorive {

// Time as the core sees it: a monotonic millisecond count, single-shot timers and the
// time of day for the monitor. Timers never fire from inside startTimer().
class Clock {
  public:
    using TimerId = std::uint64_t;
    virtual ~Clock() = default;
    virtual std::int64_t nowMs() const = 0;
    virtual TimerId startTimer(int ms, std::function<void()> fn) = 0;
    virtual void cancelTimer(TimerId id) = 0;
    // Time of day as shown in the monitor, "HH:MM:SS".
    virtual std::string timeOfDay() const = 0;
};

}  // namespace dorive
