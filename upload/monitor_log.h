#pragma once
// Saving the monitor to a log file, so a session with a unit can be kept or sent on.
#include <string>

#include "form/line_store.h"
#include "loop/task.h"
#include "ports/files.h"
#include "serial/context.h"

namespace dorive {

// Every monitor line, each followed by CR LF.
std::string monitorLogText(const LineStore& lines);

// Replaces the file with the monitor's lines; a failed write leaves any earlier file as it
// was. Throws FileError naming the file.
void writeMonitorLog(Files& files, const std::string& path, const LineStore& lines);

class MonitorLog {
  public:
    // Binds SaveMonitor.
    explicit MonitorLog(Context& ctx);
    Task SaveMonitorClick();

  private:
    Context& ctx_;
};

}  // namespace dorive
