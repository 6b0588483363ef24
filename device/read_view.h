#pragma once
// What a read of the SIM shows: the unit's state display, and the read view (the phone-book
// list, the memory trees and the PhoneBookReload flag), cleared together when a fresh read
// starts. A read that cannot finish gives the rows back as they were before it.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "serial/context.h"

namespace dorive {

// Exactly one of the three pictures shows the unit's state.
void showRunMode(Form& form);
void showProgMode(Form& form);
void showPending(Form& form);
inline bool runModeShown(const Form& form) { return form.DeviceRun.visible(); }
inline bool progModeShown(const Form& form) { return form.DeviceStop.visible(); }
inline bool pendingShown(const Form& form) { return form.DeviceNic.visible(); }

// A reply may enable a device button; while a save runs it stays locked until the save ends.
void enableUnlessSaving(const State& st, Control& c);

class ReadView {
public:
    explicit ReadView(Context& ctx) : ctx_(ctx) {}

    // A fresh read starts.
    void clear();
    void clearTrees();
    // One ordinary entry of the listing.
    void addPhoneBookEntry(const std::string& name, const std::string& number);

    // The listing command went out; the next "OK" ends the read.
    void listingRequested() { listing_ = true; }
    bool listingPending() const { return listing_; }
    // The listing ended: what the list shows is what the SIM holds.
    void completed();
    // The read cannot finish (the port was lost, the unit refused the listing): the rows
    // the list held before the read come back, and the monitor says the SIM's content is
    // unknown. Does nothing when no read was under way.
    void broken(const std::string& why);

    // Memory pages that keep trees of their own hear of every clearing here.
    std::function<void()> onClearTrees;

private:
    Context& ctx_;
    std::optional<std::vector<PhoneBookList::Row>> before_;
    bool listing_ = false;
};

}  // namespace dorive
