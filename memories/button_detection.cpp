#include "memories/button_detection.h"

#include "memories/memory_entries.h"
#include "memories/memory_writes.h"
#include "params/fixed_entries.h"
#include "ports/serial_port.h"

namespace dorive {

ButtonDetection::ButtonDetection(Context& ctx, MemoryWrites& writes) : ctx_(ctx), writes_(writes) {
    CheckBox& box = ctx_.form.DetBut;
    box.onClick = [this, &box] {
        const bool ticked = box.checked();
        ctx_.post([this, ticked] { return DetButClick(ticked); });
    };
}

void ButtonDetection::show(bool ticked) {
    CheckBox& box = ctx_.form.DetBut;
    auto reaction = std::move(box.onClick);
    box.onClick = nullptr;
    box.setChecked(ticked);
    box.onClick = std::move(reaction);
}

std::string ButtonDetection::confirmedLocation() const {
    // A read under way that has not reached the entry yet confirms nothing.
    if (confirmedLine_.empty() || ctx_.st.PhoneBookReload || confirmedLine_ != ctx_.st.DetectEntry) return {};
    return lineLocation(confirmedLine_);
}

void ButtonDetection::onListingEntry(const std::string& location, const std::string& number,
                                     const std::string& name) {
    // The first ordinary entry of a fresh read: what an earlier read confirmed is history.
    if (ctx_.st.PhoneBookReload && !isFixedEntryName(name)) confirmedLine_.clear();
    if (name != "DETECT" || number != "1") return;
    ctx_.st.DetectEntry = treeLine(location, name, number);
    confirmedLine_ = ctx_.st.DetectEntry;
    ctx_.note(ctx_.st.DetectEntry);
    show(true);
}

Task ButtonDetection::DetButClick(bool ticked) {
    Form& f = ctx_.form;
    State& st = ctx_.st;
    // A click that waited its turn behind a save (or on a page that is no longer usable)
    // is not carried out: the box shows the state it had.
    if (st.WriteActive || !f.DetBut.usable()) {
        show(!ticked);
        co_return;
    }
    const std::string location = confirmedLocation();
    try {
        if (ticked) {
            ctx_.send(location.empty() ? "AT+CPBW=,1,,DETECT\r\n" : "AT+CPBW=" + location + ",1,,DETECT\r\n");
            writes_.watch("The detect entry (button detection on)", false, false, [this] { show(false); });
        } else if (!location.empty()) {
            ctx_.send(deleteCommand(location));
            writes_.watch("The detect entry (button detection off)", true, false);
        } else {
            ctx_.note(
                "Button detection: no read has confirmed where the detect entry is; the SIM is read again.");
        }
    } catch (const PortError&) {
        show(!ticked);
        throw;
    }
    if (!ticked) st.DetectEntry.clear();
    co_await ctx_.pause(500);
    ctx_.send("AT#SPN\r\n");
    f.Prubeh.setPosition(0);
    if (!st.WriteActive) f.SaveZEP.setEnabled(true);
    f.PhoneBook1.clear();
    st.PhoneBookReload = true;
    f.TreeButtons.clear();
    f.TreeMemo.clear();
    f.TreeCode.clear();
}

}  // namespace dorive
