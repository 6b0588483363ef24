#include "upload/monitor_log.h"

namespace dorive {

std::string monitorLogText(const LineStore& lines) {
    std::string out;
    for (std::string_view line : lines) {
        out.append(line);
        out.append("\r\n");
    }
    return out;
}

void writeMonitorLog(Files& files, const std::string& path, const LineStore& lines) {
    files.write(path, monitorLogText(lines));
}

MonitorLog::MonitorLog(Context& ctx) : ctx_(ctx) {
    ctx.onClick(ctx.form.SaveMonitor, [this] { return SaveMonitorClick(); });
}

Task MonitorLog::SaveMonitorClick() {
    auto path = ctx_.dialogs.saveFileName("Monitor files (*.mon)|*.mon");
    if (!path) co_return;
    writeMonitorLog(ctx_.files, *path, ctx_.form.Monitor.lines());
}

}  // namespace dorive
