#include "loop/event_loop.h"

namespace dorive {

EventLoop::~EventLoop() {
    if (pendingTimer_) clock_.cancelTimer(pendingTimer_);
}

void EventLoop::post(Activity activity) {
    if (shutDown_) return;
    queue_.push_back(std::move(activity));
    pump();
}

void EventLoop::shutdown() {
    shutDown_ = true;
    queue_.clear();
    if (pendingTimer_) clock_.cancelTimer(pendingTimer_);
    pendingTimer_ = 0;
    // Destroying the suspended task destroys the nested steps it awaits, never resuming them.
    if (!pumping_) current_ = Task{};
}

Task EventLoop::runGuarded(Activity activity) {
    try {
        co_await activity();
    } catch (...) {
        if (onError) onError(std::current_exception());
    }
}

void EventLoop::schedule(int ms, std::coroutine_handle<> h) {
    if (shutDown_) return;  // the task stays suspended and is destroyed with the loop
    pendingTimer_ = clock_.startTimer(ms < 0 ? 0 : ms, [this, h] {
        pendingTimer_ = 0;
        h.resume();
        finishIfDone();
        pump();
    });
}

void EventLoop::finishIfDone() {
    if (current_.valid() && current_.done()) current_ = Task{};
}

void EventLoop::pump() {
    if (pumping_) return;
    pumping_ = true;
    while (!shutDown_ && !current_.valid() && !queue_.empty()) {
        Activity next = std::move(queue_.front());
        queue_.pop_front();
        current_ = runGuarded(std::move(next));
        current_.handle().resume();
        finishIfDone();
    }
    pumping_ = false;
}

void RepeatingTimer::start() {
    if (active_) return;
    active_ = true;
    arm();
}

void RepeatingTimer::stop() {
    if (!active_) return;
    active_ = false;
    ++generation_;
    if (id_) loop_.clock().cancelTimer(id_);
    id_ = 0;
}

void RepeatingTimer::arm() {
    const std::uint64_t generation = generation_;
    id_ = loop_.clock().startTimer(interval_, [this, generation] {
        id_ = 0;
        if (!active_ || generation != generation_) return;
        arm();
        loop_.post([this, generation]() -> Task {
            if (!active_ || generation != generation_) return Task{};
            return onTick_();
        });
    });
}

}  // namespace dorive
