#pragma once
#include <optional>
#include <string>
#include <vector>

#include "ports/serial_port.h"

namespace dorive {

// Modal dialogs. Each call blocks until the user answers; the activity that opened the
// dialog stays the current one meanwhile.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The port-selection dialog. Empty when cancelled.
    virtual std::optional<std::string> choosePort(const std::vector<PortInfo>& ports,
                                                  const std::string& preselect) = 0;
    virtual void errorBox(const std::string& text) = 0;
    // A yes/no question; true for yes.
    virtual bool confirm(const std::string& question) = 0;
    // File dialogs; filter as "ZEP files (*.zep)|*.zep". Empty when cancelled.
    virtual std::optional<std::string> openFileName(const std::string& filter) = 0;
    virtual std::optional<std::string> saveFileName(const std::string& filter) = 0;
};

}  // namespace dorive
