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
inline bool runModeShown(const Form& form) {
    return form.DeviceRun.visible();
}
inline bool progModeShown(const Form& form) {
    return form.DeviceStop.visible();
}
inline bool pendingShown(const Form& form) {
    return form.DeviceNic.visible();
}

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
    // `okBefore` counts the "OK"s still due to commands sent before the listing (the range
    // query's, when the listing is asked for while its reply is handled): they do not end it.
    void listingRequested(int okBefore = 0) {
        listing_ = true;
        oksBefore_ = okBefore;
    }
    bool listingPending() const { return listing_; }
    // An "OK" while the listing is pending: true when it is the listing's own.
    bool listingOk() {
        if (oksBefore_ <= 0) return true;
        --oksBefore_;
        return false;
    }
    // The listing ended: what the list shows is what the SIM holds.
    void completed();
    // The read cannot finish (the port was lost, the unit refused the listing): the rows
    // the list held before the read come back, and the monitor says the SIM's content is
    // unknown. Does nothing when no read was under way.
    void broken(const std::string& why);

    // Memory pages that keep trees of their own hear of every clearing here.
    std::function<void()> onClearTrees;
    // Front ends that wait for a read hear here that its listing ended, or that it cannot finish.
    std::function<void()> onCompleted;
    std::function<void(const std::string& why)> onBroken;

  private:
    Context& ctx_;
    std::optional<std::vector<PhoneBookList::Row>> before_;
    bool listing_ = false;
    int oksBefore_ = 0;
};

}  // namespace dorive
