#include "cli/qt_runner.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace dorive::cli {

bool QtRunner::runUntil(const std::function<bool()>& done) {
    // Sleeps until the port or a timer has something; the command's own time-out is a timer,
    // so the wait always ends.
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return true;
}

}  // namespace dorive::cli
