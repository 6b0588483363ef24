#pragma once
// One activity at a time: a user action, a timer tick or a data-available event. An
// activity may pause; the thread runs on, and activities posted meanwhile wait in arrival
// order until the current one has finished.
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>

#include "loop/task.h"
#include "ports/clock.h"

namespace dorive {

class EventLoop {
  public:
    // An activity is taken by value and kept until its turn: whatever it captured must stay
    // valid until then, so capture copies, not references to a caller's temporaries.
    using Activity = std::function<Task()>;

    explicit EventLoop(Clock& clock) : clock_(clock) {}
    ~EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    // Runs the activity now when the loop is idle, otherwise after those before it. After
    // shutdown() nothing runs any more.
    void post(Activity activity);

    // Ends the loop for good: waiting activities are dropped, and the current one, resting in
    // a pause, is destroyed without resuming, so nothing it would still do happens.
    void shutdown();
    bool isShutDown() const { return shutDown_; }

    // co_await loop.pause(ms): suspends the current activity, not the thread.
    auto pause(int ms) {
        struct Awaiter {
            EventLoop& loop;
            int ms;
            bool await_ready() const noexcept { return false; }
            void await_suspend(std::coroutine_handle<> h) { loop.schedule(ms, h); }
            void await_resume() const noexcept {}
        };
        return Awaiter{*this, ms};
    }

    bool busy() const { return current_.valid() || pumping_; }
    std::size_t waiting() const { return queue_.size(); }
    Clock& clock() { return clock_; }

    // Called, inside the failing activity, with what escaped it.
    std::function<void(std::exception_ptr)> onError;

  private:
    Task runGuarded(Activity activity);
    void schedule(int ms, std::coroutine_handle<> h);
    void pump();
    void finishIfDone();

    Clock& clock_;
    std::deque<Activity> queue_;
    Task current_;
    Clock::TimerId pendingTimer_ = 0;
    bool pumping_ = false;
    bool shutDown_ = false;
};

// A repeating timer whose ticks are activities of the loop. A tick already waiting in the
// loop when the timer is stopped does nothing.
class RepeatingTimer {
  public:
    RepeatingTimer(EventLoop& loop, int intervalMs, std::function<Task()> onTick)
        : loop_(loop), interval_(intervalMs), onTick_(std::move(onTick)) {}
    ~RepeatingTimer() { stop(); }
    RepeatingTimer(const RepeatingTimer&) = delete;
    RepeatingTimer& operator=(const RepeatingTimer&) = delete;
    // Starting a running timer leaves it running on its current period.
    void start();
    void stop();
    bool active() const { return active_; }
    int interval() const { return interval_; }

  private:
    void arm();
    EventLoop& loop_;
    int interval_;
    std::function<Task()> onTick_;
    bool active_ = false;
    std::uint64_t generation_ = 0;  // changes at every stop: ticks of an older run are void
    Clock::TimerId id_ = 0;
};

}  // namespace dorive
