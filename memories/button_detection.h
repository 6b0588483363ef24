#pragma once
// Button detection: the unit detects its button module while the SIM holds the entry
// DETECT with number "1". The box DetBut shows whether the latest read listed that entry
// (a tick that only shows the state, without the box's own reaction) and switches it: a
// user's tick writes the entry, clearing it deletes the entry, and either reads the SIM
// afresh.
//
// The entry is deleted only at the location the latest read confirmed. Clearing the box
// while no read has confirmed a location (the read after a change has not reached the
// entry yet, or listed none) deletes nothing and reads the SIM again instead.
#include <string>

#include "loop/task.h"
#include "serial/context.h"

namespace dorive {

class MemoryWrites;

class ButtonDetection {
  public:
    ButtonDetection(Context& ctx, MemoryWrites& writes);
    ButtonDetection(const ButtonDetection&) = delete;
    ButtonDetection& operator=(const ButtonDetection&) = delete;

    // One entry of a SIM listing, before it is filed as a fixed entry or a phone-book row.
    void onListingEntry(const std::string& location, const std::string& number, const std::string& name);

    // The user changed the box to `ticked`.
    Task DetButClick(bool ticked);

    // The detect entry's location as the latest read listed it; empty when no read since
    // the last change of the SIM has listed it.
    std::string confirmedLocation() const;

  private:
    // Shows the state without running the box's reaction.
    void show(bool ticked);

    Context& ctx_;
    MemoryWrites& writes_;
    // The tree line the running read listed; empty until it lists the detect entry.
    std::string confirmedLine_;
};

}  // namespace dorive
