// Saving the monitor to a log file, so a session with a unit can be kept or sent on.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "app/dorive.h"

namespace dorive {

void writeMonitorLog(const std::string& path, const LineStore& lines) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    auto failure = [&path] {
        return std::runtime_error("Cannot create file \"" + path + "\". " + std::strerror(errno));
    };
    if (!out) throw failure();
    for (std::string_view line : lines) {
        out.write(line.data(), std::streamsize(line.size()));
        out.write("\r\n", 2);
    }
    out.flush();
    if (!out) throw failure();
}

Task Dorive::SaveMonitorClick() {
    auto path = dialogs_.saveFileName("Monitor files (*.mon)|*.mon");
    if (!path) co_return;
    writeMonitorLog(*path, form.Monitor.lines());
}

}  // namespace dorive
