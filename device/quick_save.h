#pragma once
// The quick save: leaves the SIM exactly as the full save would, but writes only the
// locations that differ. It reads the SIM first (the unit may have been changed by SMS since
// the last read) without touching the pages, compares every location with what the save
// leaves, writes the differing ones in ascending order (each as the full save writes it, with
// the same pause before each write), then reads the SIM back into the pages and checks it.
// A SIM that differs after the read-back is a failed save, never a success.
#include <map>
#include <string>
#include <vector>

#include "device/save_run.h"

namespace dorive {

// The locations whose content differs from the target, as the writes that put them right,
// in ascending order. `sim` holds what the unit listed, by location; a location it did not
// list is empty.
std::vector<SaveStep> differingLocations(const SaveTarget& target, const std::map<int, SimEntry>& sim);

class QuickSave : public SaveRun {
  public:
    QuickSave(Context& ctx, ReadView& view, int replyTimeoutMs);

    // The button and the command line's entry point alike.
    Task QuickSaveClick();

    Task onOk() override;
    bool onListingLine(const std::string& line) override;
    void portLost(const std::string& why) override;

    enum class Phase { Idle, Reading, Writing, Checking };
    Phase phase() const { return phase_; }
    // The writes the running (or last) quick save makes.
    const std::vector<SaveStep>& writes() const { return writes_; }
    // The last quick save ended with the SIM read back holding exactly what was to be written.
    bool succeeded() const { return succeeded_; }

  private:
    Task abortSave(std::string why) override;
    Task startWriting();
    Task startCheck();
    void finishCheck();

    Phase phase_ = Phase::Idle;
    std::map<int, SimEntry> listed_;
    // Why the listing cannot be placed location by location, from its first such line.
    std::string unreadable_;
    std::vector<SaveStep> writes_;
    bool succeeded_ = false;
};

}  // namespace dorive
