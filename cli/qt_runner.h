#pragma once
// Real time on Qt's event loop, for a real serial port.
#include "cli/runner.h"
#include "qtports/qt_clock.h"

namespace dorive::cli {

class QtRunner : public Runner {
  public:
    Clock& clock() override { return clock_; }
    bool runUntil(const std::function<bool()>& done) override;

  private:
    QtClock clock_;
};

}  // namespace dorive::cli
