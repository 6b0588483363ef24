#include "loop/event_loop.h"

namespace dorive {

EventLoop::~EventLoop() {
    if (pendingTimer_) clock_.cancelTimer(pendingTimer_);
}

void EventLoop::post(Activity activity) {
    queue_.push_back(std::move(activity));
    pump();
}

Task EventLoop::runGuarded(Activity activity) {
    try {
        co_await activity();
    } catch (...) {
        if (onError) onError(std::current_exception());
    }
}

void EventLoop::schedule(int ms, std::coroutine_handle<> h) {
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
    while (!current_.valid() && !queue_.empty()) {
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
    if (id_) loop_.clock().cancelTimer(id_);
    id_ = 0;
}

void RepeatingTimer::arm() {
    id_ = loop_.clock().startTimer(interval_, [this] {
        id_ = 0;
        if (!active_) return;
        arm();
        loop_.post(onTick_);
    });
}

}  // namespace dorive
