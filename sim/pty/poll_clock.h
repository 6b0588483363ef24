#pragma once
// A Clock for a poll() loop: timers are kept in order, the loop sleeps in poll() until the
// next one is due and then fires those that are.
#include <chrono>
#include <functional>
#include <map>

#include "ports/clock.h"

namespace dorive::sim {

class PollClock : public Clock {
  public:
    PollClock();
    std::int64_t nowMs() const override;
    TimerId startTimer(int ms, std::function<void()> fn) override;
    void cancelTimer(TimerId id) override;
    std::string timeOfDay() const override;

    // Milliseconds until the next timer is due (0 when one is due now), or -1 when none is set.
    int msUntilNext() const;
    // Fires every timer that is due, in time order.
    void fireDue();

  private:
    std::chrono::steady_clock::time_point start_;
    TimerId next_ = 0;
    std::map<std::pair<std::int64_t, TimerId>, std::function<void()>> timers_;
};

}  // namespace dorive::sim
