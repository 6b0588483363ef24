#pragma once
#include <optional>
#include <string>
#include <vector>

#include "ports/serial_port.h"

namespace dorive {

// What an import from a spreadsheet file would take and what it refuses, shown before
// anything changes. Texts are UTF-8.
struct ImportReport {
    struct Refusal {
        std::size_t line = 0;  // line of the file where the row starts
        std::string name;
        std::string number;
        std::string reason;
    };
    std::string file;
    std::size_t taken = 0;           // rows that would be added
    std::vector<Refusal> refused;    // rows left out, with the reason
    std::vector<std::string> notes;  // anything else worth knowing (header skipped, SIM too small)
    // The report as plain text, for dialogs without a view of their own.
    std::string text() const {
        std::string out = file + ": " + std::to_string(taken) + " rows can be taken, " +
                          std::to_string(refused.size()) + " refused.";
        for (const Refusal& r : refused)
            out += "\nLine " + std::to_string(r.line) + " (" + r.name + ";" + r.number + "): " + r.reason;
        for (const std::string& n : notes) out += "\n" + n;
        return out;
    }
};

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
    // Shows an import report; true to add the rows it takes, false to cancel.
    virtual bool confirmImport(const ImportReport& report) {
        if (report.taken == 0) {
            errorBox(report.text());
            return false;
        }
        return confirm(report.text() + "\n\nAdd the rows that can be taken?");
    }
};

}  // namespace dorive
