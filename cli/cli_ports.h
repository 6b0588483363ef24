#pragma once
// The dialogs and files of the command line: a file dialog answers with the name given on the
// command line, an error box becomes a message on standard error and the command's failure,
// and the file "-" is standard input or output.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "ports/dialogs.h"
#include "ports/files.h"

namespace dorive::cli {

enum Exit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

class CliDialogs : public Dialogs {
  public:
    explicit CliDialogs(std::ostream& err) : err_(err) {}

    std::optional<std::string> choosePort(const std::vector<PortInfo>& ports,
                                          const std::string& preselect) override;
    void errorBox(const std::string& text) override;
    bool confirm(const std::string& question) override;
    std::optional<std::string> openFileName(const std::string& filter) override;
    std::optional<std::string> saveFileName(const std::string& filter) override;

    // The answers of the file dialogs; none means the dialog is cancelled.
    std::optional<std::string> openAnswer, saveAnswer;
    int fileDialogsShown = 0;
    // The exit status an error box gives while the current step runs.
    int errorExit = kExitFailed;

    // The first error reported, and the exit status it gives.
    bool failed() const { return exit_ != kExitOk; }
    int exitStatus() const { return exit_; }
    const std::string& firstError() const { return first_; }
    // A failure found by the command itself.
    void fail(const std::string& text, int exit);

  private:
    std::ostream& err_;
    int exit_ = kExitOk;
    std::string first_;
};

// The disk, with "-" standing for standard input (read once, then kept) and standard output
// (kept until the command succeeds, then printed).
class CliFiles : public Files {
  public:
    std::string read(const std::string& path) override;
    void write(const std::string& path, std::string_view bytes) override;
    bool exists(const std::string& path) override;

    const std::optional<std::string>& standardOutput() const { return stdout_; }

  private:
    std::optional<std::string> stdin_, stdout_;
};

}  // namespace dorive::cli
