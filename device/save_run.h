#pragma once
// What every run that writes the SIM shares: the checks before it starts, the locked
// controls, the 200 ms pause before each write, the reply watchdog, and how it stops when the
// unit refuses, falls silent or the port goes away. The full save and the quick save are
// both such runs.
//
// Invariant: while a run is active, WriteActive is set, the controls that could disturb it
// are locked and the reply watchdog is armed or a step is under way; when it ends, by
// finishing, by a refusal of the unit, by silence or by a lost port, all of these end
// together in end().
#include <cstdint>
#include <string>

#include "device/read_view.h"
#include "device/save_target.h"
#include "serial/context.h"

namespace dorive {

class SaveRun {
  public:
    // `title` opens the run's messages ("Save", "Quick save").
    SaveRun(Context& ctx, ReadView& view, int replyTimeoutMs, std::string title);
    virtual ~SaveRun();
    SaveRun(const SaveRun&) = delete;
    SaveRun& operator=(const SaveRun&) = delete;

    // This run writes the SIM now.
    bool active() const { return running_; }

    // The unit's "OK" while this run is active.
    virtual Task onOk() = 0;
    // A listing line while this run is active; true keeps it from the pages.
    virtual bool onListingLine(const std::string&) { return false; }
    // The unit's "ERROR" or "+CME ERROR": the run stops.
    Task onError(std::string line);
    // The port is gone: the run stops at once, without waiting for the watchdog; nothing is
    // sent and nothing is read back.
    virtual void portLost(const std::string& why);
    // The window closes: nothing of the run may run any more.
    void shutdown();

    // What the running run writes, fixed when it started.
    const SaveTarget& target() const { return target_; }

  protected:
    // Starts a run unless one runs already or the settings cannot be written as they stand
    // (the reasons shown): locks the controls, composes the records, fixes the target, shows
    // the bar with `progressMax` and sends `firstCommand`. A port that cannot be had
    // unlocks again and throws.
    bool start(const std::string& firstCommand, int progressMax, std::string firstStep);
    void end();

    // One write: the 200 ms pause, then the location written, emptied or (for an entry
    // without name or number) only "AT", the monitor told, and the watchdog armed for the
    // answer. A run stopped during the pause writes nothing; a port that fails stops it.
    // Call with the watchdog disarmed.
    Task writeStep(SaveStep step);
    // The read-back of locations 1 to `capacity` that refills the pages from the SIM.
    void readBack(int capacity);
    // Entries that found no location on the SIM are lost unless the user hears of it.
    void reportUnwritten(const std::vector<SimEntry>& unwritten);

    // Stops the run, tells the user where and why, and reads the SIM back to show what it
    // holds now.
    virtual Task abortSave(std::string why);
    std::string stopText(const std::string& why) const;

    void armWatchdog();
    void disarmWatchdog();

    Context& ctx_;
    ReadView& view_;
    const std::string title_;
    SaveTarget target_;
    std::string lastWrite_;  // the step under way, as the messages name it

  private:
    void send(const SaveStep& step);
    Task watchdogFired(std::uint64_t generation);

    int replyTimeoutMs_;
    bool running_ = false;
    Clock::TimerId watchdog_ = 0;
    std::uint64_t watchdogGeneration_ = 0;
};

}  // namespace dorive
