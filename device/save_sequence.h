#pragma once
// The save: every setting written back to the SIM, and what it shares with the quick save:
// how entries go into write commands, the checks before anything is written, the locked
// controls.
#include <string>
#include <vector>

#include "device/read_view.h"
#include "device/save_run.h"
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

// The full save: every location written in turn, each step after the unit's "OK" to the one
// before and a 200 ms pause: the fixed entries, the phone-book rows (an entry without name or
// number takes a step that only sends "AT"), then every later location emptied; then the SIM
// is read back.
class SaveSequence : public SaveRun {
  public:
    SaveSequence(Context& ctx, ReadView& view, int replyTimeoutMs);

    Task SaveZEPClick();

    // The unit's "OK": the next step.
    Task onOk() override;

  private:
    Task finishSave();
};

}  // namespace dorive
