#pragma once
// The save: every setting written back to the SIM, one location per step, each step after
// the unit's "OK" to the one before and a 200 ms pause; then the SIM is read back.
//
// Its one invariant: while a save runs (WriteActive), the controls that could disturb it are
// locked and the reply watchdog is armed or a step is under way; when it ends, by finishing,
// by a refusal of the unit, by silence or by a lost port, all three end together in end().
#include <cstdint>
#include <string>
#include <vector>

#include "device/read_view.h"
#include "params/fixed_entries.h"
#include "serial/context.h"

namespace dorive {

// The number or name as it goes into the write command: a text holding a comma or a
// semicolon is put in double quotes, every other text goes out byte for byte.
std::string commandText(const std::string& text);
// "AT+CPBW=" location "," number ",," name, CR LF.
std::string writeCommand(int location, const SimEntry& entry);

// What a save writes, step by step: the fixed entries, then every row of the phone-book list
// (an empty list still counts one empty row). Records are taken from the state as it is.
std::vector<SimEntry> saveEntries(const Form& form, const State& st);

// Why the settings cannot be written as they stand, or an empty text when they can. Lists
// every entry that cannot be stored, with the location it would go to.
std::string saveRefusal(const Form& form, const State& st);

// The controls locked while a save runs.
void LockControls(Form& form);
void UnlockControls(Form& form);

class SaveSequence {
public:
    SaveSequence(Context& ctx, ReadView& view, int replyTimeoutMs);
    ~SaveSequence();
    SaveSequence(const SaveSequence&) = delete;
    SaveSequence& operator=(const SaveSequence&) = delete;

    Task SaveZEPClick();
    bool active() const { return ctx_.st.WriteActive; }

    // The unit's "OK": the next step.
    Task onOk();
    // The unit's "ERROR" or "+CME ERROR": the save stops.
    Task onError(std::string line);
    // The port is gone: the save stops at once, without waiting for the watchdog; nothing is
    // sent and nothing is read back.
    void portLost(const std::string& why);
    // The window closes: nothing of the save may run any more.
    void shutdown();

private:
    void begin();
    void end();
    Task saveStep();
    void WriteSimEntry(const SimEntry& entry);
    Task finishSave();
    Task abortSave(std::string why);
    std::string stopText(const std::string& why) const;
    void armWatchdog();
    void disarmWatchdog();
    Task watchdogFired(std::uint64_t generation);

    Context& ctx_;
    ReadView& view_;
    int replyTimeoutMs_;
    // What the running save writes, fixed when Save was pressed: a read arriving during the
    // save must not change it.
    std::vector<SimEntry> sources_;
    std::string lastWrite_;  // the step under way, as the messages name it
    Clock::TimerId watchdog_ = 0;
    std::uint64_t watchdogGeneration_ = 0;
};

}  // namespace dorive
