// Saving the monitor to a log file.
#include "upload/monitor_log.h"

namespace dorive {

std::string monitorLogText(const LineStore& lines) {
    std::size_t size = 0;
    for (std::string_view line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void writeMonitorLog(Files& files, const std::string& path, const LineStore& lines) {
    files.write(path, monitorLogText(lines));
}

MonitorLog::MonitorLog(Context& ctx) : ctx_(ctx) {
    ctx_.onClick(ctx_.form.SaveMonitor, [this] { return SaveMonitorClick(); });
}

Task MonitorLog::SaveMonitorClick() {
    auto path = ctx_.dialogs.saveFileName("Monitor files (*.mon)|*.mon");
    if (!path) co_return;
    writeMonitorLog(ctx_.files, *path, ctx_.form.Monitor.lines());
}

}  // namespace dorive
