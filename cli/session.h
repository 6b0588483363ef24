#pragma once
// The commands of dorive-cli, done as a technician does them in the window: each click goes
// to the same handler of the core, and the command waits on the runner until the state it
// waits for shows, the unit falls silent for too long, or an error is reported.
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/dorive.h"
#include "cli/cli_args.h"
#include "cli/cli_ports.h"
#include "cli/runner.h"
#include "cli/watched_port.h"
#include "serial/listing.h"

namespace dorive::cli {

// Why this build cannot write in the mode, or nothing when it can. Quick save plugs in here
// and in Session::startSave.
std::optional<std::string> writeModeUnavailable(WriteMode mode);
// Why this build cannot upload, or nothing when it can. The upload plugs in here and in
// Session::upload.
std::optional<std::string> uploadUnavailable();

class Session {
  public:
    struct Streams {
        std::ostream& out;                // results: the signal level
        std::ostream& err;                // progress and messages
        bool progressOnTerminal = false;  // progress lines overwrite each other
    };
    Session(Dorive& core, Runner& runner, CliDialogs& dialogs, LineWatch& watch, Streams streams,
            double timeoutSeconds);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs the command; returns the exit status.
    int execute(const CliArgs& args);

    int read(const std::string& file);
    int write(const std::string& file, WriteMode mode);
    int run();
    int signal();
    int upload(const std::string& list);

  private:
    struct Wait {
        std::function<std::string()> what;  // what is awaited, for the messages
        std::function<bool()> done;
        // The unit may keep sending lines of its own (a running script) without the awaited
        // one: the wait is then limited to three times the time-out as a whole.
        bool chattyUnit = false;
        // Asked again, as the window's user would, when the line has been quiet a while.
        std::function<void()> nudge;
        std::function<void()> progress;
    };

    bool start();
    bool stopAndRead();
    bool startSave(WriteMode mode);
    bool verifyWrite(const std::map<int, SimEntry>& expected);
    int writeChanged(const std::map<int, SimEntry>& expected);
    bool wait(const Wait& w);
    bool settle();
    bool click(Button& button, const std::string& caption);
    bool clickAndSettle(Button& button, const std::string& caption);
    int status() const { return dialogs_.exitStatus(); }
    void progress(const std::string& line);
    void progressCount(const std::string& label, int done, int total);
    std::string seconds(std::int64_t ms) const;

    Dorive& core_;
    Runner& runner_;
    CliDialogs& dialogs_;
    LineWatch& watch_;
    Streams io_;
    std::int64_t timeoutMs_;

    // What the listings since the last reset held, by location.
    std::map<int, ListingLine> listed_;
    bool readDone_ = false;
    bool dtrWarned_ = false;
    int lastCount_ = -1;
    bool countLineOpen_ = false;
};

}  // namespace dorive::cli
