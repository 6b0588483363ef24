#pragma once
// Saving the monitor to a log file, so a session with a unit can be kept or sent on.
#include <string>

#include "form/line_store.h"
#include "ports/files.h"
#include "serial/context.h"

namespace dorive {

// The monitor's lines, each ending in CR LF.
std::string monitorLogText(const LineStore& lines);
// Writes the monitor's lines to a log file (an earlier file is replaced only once the new
// one is complete). Throws FileError naming the file.
void writeMonitorLog(Files& files, const std::string& path, const LineStore& lines);

class MonitorLog {
  public:
    explicit MonitorLog(Context& ctx);
    // Writes every monitor line to a file the user picks.
    Task SaveMonitorClick();

  private:
    Context& ctx_;
};

}  // namespace dorive
