#pragma once
// A simulated ZEP unit: a Telit-like GSM module, the unit's script and a SIM phone book.
//
// While DTR is released the script runs: it owns the module, ignores commands and prints its
// own status lines ("+CSQ: 17,99", "#CBC: 0,412", "+CREG: 0,1", now and then "AT#tone=i,4]";
// the newer module also "#APLAYEV: 0" each time). Asserting DTR stops the script, which reports "STOP";
// the older module then reports "[AT#SLED=1]=" a little later. While the script is stopped
// the module answers AT commands, with echo off:
//
//   AT, ATE0, ATE1                 OK (E1 turns echo on until the next restart)
//   AT+CGMI                        Telit
//   AT#SPN                         #SPN: <operator>
//   AT+CPBR=?                      +CPBR: (1-<capacity>),20,18 (the lengths it enforces)
//   AT+CPBR=a[,b]                  +CPBR: <loc>,"<number>",<129|145>,"<name>" per used location
//   AT+CPBW=loc,number,type,name   write (number and name quoted or not; type empty or digits)
//   AT+CPBW=,number,,name          write to the first free location
//   AT+CPBW=loc                    empty the location
//   AT+CSQ, AT#CBC, AT#CGSN        +CSQ: 17,99 / #CBC: 0,412 / #CGSN: <serial>
//   AT#REBOOT                      OK, then a restart: start-up lines and the script runs again
//   AT#ESCRIPT=name, AT#ESCRIPT?   select / report the script the module starts
//   AT#WSCRIPT=name,size           prompt ">>>" (no line end), take size raw bytes, OK
//   AT#ASEND=name,size             prompt CONNECT, take size raw bytes, OK, later "#ASENDEV: 0"
//   AT#DSCRIPT=name                OK (deletes the script if there is one)
//   AT#LSCRIPT                     list written scripts
//
// While it writes upload data away the module may hold CTS (SimOptions::ctsHoldEveryBytes),
// so the host's bytes wait in its output buffer.
//
// Anything else, a location outside 1..capacity, a number or name too long or a command line
// over 80 characters gets "ERROR". Command lines end at CR; LF is ignored. Replies are framed
// like the real module: CR LF text CR LF per line, then CR LF "OK" CR LF; the script's own
// lines end in CR LF.
//
// Releasing DTR lets the newer module's script run again at once; the older module's script
// stays stopped until AT#REBOOT. The unit paces itself with the Clock; while its script runs
// and a port is attached it always has a status timer pending.
#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "ports/clock.h"
#include "sim/sim_card.h"

namespace dorive::sim {

enum class ModuleType { Older, Newer };

// What the unit does instead of answering one chosen command.
enum class CommandFaultAction {
    None,
    Error,     // answers "ERROR" and does nothing
    CmeError,  // answers "+CME ERROR: 3" and does nothing
    Silence,   // the command is lost: nothing done, nothing answered
    Garble,    // does the command, but its final "OK" or "ERROR" arrives with one byte changed
    Unplug,    // the line goes dead as the command arrives: nothing done, the port fails
};

// At the n-th command line from now on that matches, the unit does `action`. A match is a
// line equal to `match`, or, when `match` ends in "*", a line starting with the rest.
struct CommandFault {
    std::string match;
    int nth = 0;  // 1: the first matching line; 0: off
    CommandFaultAction action = CommandFaultAction::None;
};

// Misbehaviour for tests. Setting faults restarts their counters.
struct Faults {
    int errorOnWrite = 0;         // the n-th AT+CPBW from now on answers ERROR and changes nothing (0: off)
    int silentAfter = 0;          // after n more command lines the unit sends nothing at all (0: off)
    bool garbleCapacity = false;  // AT+CPBR=? answers "+CPBR: (1-2x0),20,18" (middle digit replaced)
    int chunkMax = 0;             // > 0: every output is cut into pieces of 1..chunkMax bytes
    int garbleEveryNthLine = 0;   // > 0: every n-th line sent has one byte changed (never into CR or LF)
    unsigned seed = 1;            // for the piece sizes and the changed bytes
    CommandFault atCommand;       // one command answered wrongly, or not at all
};

struct SimOptions {
    ModuleType type = ModuleType::Older;
    std::string operatorName = "Simnet";
    std::string serialNumber = "356938035643809";
    std::string signal = "17,99";
    std::string battery = "0,412";
    int statusIntervalMs = 3000;        // status lines of the running script; 0: none
    int stopDelayMs = 300;              // DTR asserted -> "STOP"
    int sledDelayMs = 1500;             // "STOP" -> "[AT#SLED=1]=" (older module)
    int rebootMs = 3000;                // AT#REBOOT -> start-up lines
    int voicePlayMs = 2000;             // voice data taken -> "#ASENDEV: 0"
    std::size_t ctsHoldEveryBytes = 0;  // > 0: after every so many upload bytes CTS is held ...
    int ctsHoldMs = 0;                  // ... for this long
};

class SimUnit {
  public:
    using Output = std::function<void(std::string_view)>;
    enum class Phase { Running, Stopped, Booting };

    static constexpr std::size_t kMaxCommandLength = 80;
    static constexpr std::size_t kMaxUploadBytes = 8 * 1024 * 1024;

    explicit SimUnit(Clock& clock, SimOptions options = {}, SimCard card = SimCard::withDefaultContent());
    ~SimUnit();
    SimUnit(const SimUnit&) = delete;
    SimUnit& operator=(const SimUnit&) = delete;

    // The serial line. One port at a time: attaching replaces the previous one.
    // `unplug`, when given, is how the line goes dead (CommandFaultAction::Unplug).
    std::uint64_t attach(Output out, std::function<void()> unplug = {});
    void detach(std::uint64_t id);
    void receive(std::string_view bytes);
    void setDtr(bool asserted);

    SimCard& sim() { return card_; }
    const SimCard& sim() const { return card_; }
    // Every command line received, in any phase, without its CR (upload data excluded).
    const std::vector<std::string>& commands() const { return commands_; }
    void clearCommands() { commands_.clear(); }
    // Every phone-book write received while the module takes commands (AT+CPBW=...), answered
    // OK or ERROR: the location it named, 0 for a write to the first free location.
    const std::vector<int>& writes() const { return writes_; }
    std::size_t writeCount() const { return writes_.size(); }
    void clearWrites() { writes_.clear(); }
    bool dtr() const { return dtr_; }
    Phase phase() const { return phase_; }
    bool scriptRunning() const { return phase_ == Phase::Running; }
    bool echo() const { return echo_; }
    ModuleType type() const { return options_.type; }
    void setType(ModuleType type) { options_.type = type; }
    void setFaults(const Faults& faults);
    const Faults& faults() const { return faults_; }
    const SimOptions& options() const { return options_; }
    const std::map<std::string, std::string>& scripts() const { return scripts_; }
    const std::map<std::string, std::string>& voices() const { return voices_; }
    const std::string& activeScript() const { return activeScript_; }
    // Until when the module holds CTS (the host may not send); in the past when it does not.
    std::int64_t ctsHeldUntilMs() const { return ctsHeldUntilMs_; }

  private:
    struct Reply;
    void handleLine(const std::string& line, std::size_t length);
    // The chosen misbehaviour for this command line, once, at its turn.
    CommandFaultAction commandFault(const std::string& line);
    void execute(const std::string& line);
    bool extended(const std::string& name, char form, std::string_view arg, Reply& reply);
    bool listEntries(std::string_view arg, Reply& reply);
    bool writeEntry(std::string_view arg);
    bool beginUpload(std::string_view arg, bool voice, Reply& reply);
    void takeUploadData(std::string_view bytes);

    void setPhase(Phase phase);
    void stopScript();
    void startScript();
    void statusTick();
    void startStatusTimer();
    void schedule(int ms, std::function<void()> fn);
    void cancelTimers();

    void appendLine(std::string& out, std::string text);
    void scriptLine(std::string text);
    void send(std::string_view bytes);

    Clock& clock_;
    SimOptions options_;
    SimCard card_;
    Faults faults_;
    std::mt19937 rng_;

    Output out_;
    std::function<void()> unplug_;
    std::uint64_t outId_ = 0;
    int matchingCommands_ = 0;
    bool garbleResult_ = false;  // the next final result code goes out garbled
    bool dtr_ = false;
    Phase phase_ = Phase::Running;
    bool echo_ = false;
    bool silent_ = false;

    std::string line_;
    std::size_t lineLength_ = 0;  // may exceed line_.size(): overlong lines are not kept whole
    std::vector<std::string> commands_;
    std::vector<int> writes_;
    int commandsSinceFaults_ = 0;
    int writesSinceFaults_ = 0;
    int linesSinceFaults_ = 0;

    std::size_t uploadRemaining_ = 0;
    bool uploadVoice_ = false;
    bool skipLf_ = false;
    std::string uploadName_, uploadData_;
    std::map<std::string, std::string> scripts_, voices_;
    std::size_t bytesSinceCtsHold_ = 0;
    std::int64_t ctsHeldUntilMs_ = 0;
    std::string activeScript_ = "zep.pyo";

    int statusCount_ = 0;
    Clock::TimerId statusTimer_ = 0;
    std::uint64_t nextTimerKey_ = 0;
    std::map<std::uint64_t, Clock::TimerId> timers_;
};

}  // namespace dorive::sim
