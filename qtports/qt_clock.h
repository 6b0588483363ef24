#pragma once
// The core's clock on Qt: a monotonic timer and single-shot QTimers on the GUI thread.
#include <QElapsedTimer>
#include <QObject>
#include <map>

#include "ports/clock.h"

class QTimer;

namespace dorive {

class QtClock : public QObject, public Clock {
    Q_OBJECT
  public:
    explicit QtClock(QObject* parent = nullptr);
    ~QtClock() override;
    std::int64_t nowMs() const override;
    TimerId startTimer(int ms, std::function<void()> fn) override;
    void cancelTimer(TimerId id) override;
    // Local time of day, "HH:mm:ss".
    std::string timeOfDay() const override;

  private:
    QElapsedTimer elapsed_;
    TimerId next_ = 0;
    std::map<TimerId, QTimer*> timers_;
};

}  // namespace dorive
