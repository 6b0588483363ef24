#pragma once
// Reply handling: every line the unit sends is recognised by its text and moves the display,
// a value, a control or the running sequence on. The kinds of reply are tried in a fixed
// order; the first that matches handles the line.
#include <functional>
#include <string>
#include <vector>

#include "device/device_ops.h"
#include "device/read_view.h"
#include "device/save_sequence.h"
#include "serial/context.h"
#include "serial/listing.h"

namespace dorive {

class ReplyDispatch {
  public:
    ReplyDispatch(Context& ctx, DeviceOps& device, SaveSequence& save, ReadView& view);

    Task dispatch(std::string& line);

    // Another run that writes the SIM besides the save (the quick save): while it is active
    // it takes the "OK" and refusals the save would take, and sees every listing line first.
    void addSaveRun(SaveRun& run) { runs_.push_back(&run); }

    // Hooks of the pages that follow the unit's replies. Each "OK" is offered, in this order,
    // to a pending re-read after a memory write, to the upload, to the echo-off after a stop,
    // and to the save.
    std::function<Task()> refreshAfterWrite;              // runs when RefreshAfterWrite is set
    std::function<Task()> uploadOk;                       // the upload's next step
    std::function<Task()> voiceSent;                      // "#ASENDEV:" while a voice file is sent
    std::function<void()> okSeen;                         // every "OK", before anything else
    std::function<void(const ListingLine&)> memoryEntry;  // every listing line, for the memory pages
    std::function<bool()> memoryAwaitsAnswer;             // a memory write waits for its answer
    std::function<Task(std::string)> memoryError;         // the unit refused that write

  private:
    Task onOk();
    Task onStop(std::string& line);
    Task onManufacturer(std::string& line);
    Task onOldModuleStopped(std::string& line);
    Task onVoiceSent(std::string& line);
    Task onRegistered(std::string& line);
    Task onBattery(std::string& line);
    Task onSignal(std::string& line);
    Task onCapacity(std::string& line);
    Task onListing(std::string& line);
    Task onOperator(std::string& line);
    Task onRunModeReport(std::string& line);
    Task onError(std::string& line);

    struct Branch {
        bool (*matches)(const ReplyDispatch&, const std::string& line);
        Task (ReplyDispatch::*handle)(std::string& line);
    };
    static const Branch kBranches[];

    Context& ctx_;
    DeviceOps& device_;
    SaveSequence& save_;
    ReadView& view_;
    std::vector<SaveRun*> runs_;
    SaveRun* activeRun() const;
};

}  // namespace dorive
