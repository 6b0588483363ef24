#pragma once
// The loop a command waits on: it fires the clock's timers and delivers the port's events
// until the command has what it waits for.
#include <functional>
#include <map>
#include <string>

#include "ports/clock.h"

namespace dorive::cli {

class Runner {
  public:
    virtual ~Runner() = default;
    virtual Clock& clock() = 0;
    // Runs until done() holds; false when nothing more can happen before it does.
    // done() is asked again after every event.
    virtual bool runUntil(const std::function<bool()>& done) = 0;
};

// Simulated time for the simulated unit: nothing outside the program can happen, so the next
// timer is fired at once and the clock jumps to its time. A read of a whole SIM with every
// pause of the program and every delay of the unit takes milliseconds of real time.
class SimulatedTime : public Runner, public Clock {
  public:
    Clock& clock() override { return *this; }
    bool runUntil(const std::function<bool()>& done) override;

    std::int64_t nowMs() const override { return now_; }
    TimerId startTimer(int ms, std::function<void()> fn) override;
    void cancelTimer(TimerId id) override;
    std::string timeOfDay() const override;

  private:
    std::int64_t now_ = 0;
    TimerId next_ = 0;
    std::map<std::pair<std::int64_t, TimerId>, std::function<void()>> timers_;
};

}  // namespace dorive::cli
