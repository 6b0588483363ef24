#include "qtports/qt_clock.h"

#include <QTimer>

#include "loop/system_clock.h"

namespace dorive {

QtClock::QtClock(QObject* parent) : QObject(parent) {
    elapsed_.start();
}

QtClock::~QtClock() {
    for (auto& [id, timer] : timers_) delete timer;
}

std::int64_t QtClock::nowMs() const {
    return elapsed_.elapsed();
}

Clock::TimerId QtClock::startTimer(int ms, std::function<void()> fn) {
    TimerId id = ++next_;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id, fn = std::move(fn)] {
        auto it = timers_.find(id);
        if (it == timers_.end()) return;
        it->second->deleteLater();
        timers_.erase(it);
        auto run = fn;  // the timer and this lambda go away later; keep the call's own copy
        run();
    });
    timers_.emplace(id, timer);
    timer->start(ms < 0 ? 0 : ms);
    return id;
}

void QtClock::cancelTimer(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

std::string QtClock::timeOfDay() const {
    return localTimeOfDay();
}

}  // namespace dorive
