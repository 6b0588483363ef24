#include "device/reply_dispatch.h"

#include <optional>
#include <string>

#include "params/fixed_entries.h"
#include "text/text.h"

namespace dorive {

namespace {

bool contains(const std::string& line, std::string_view text) {
    return line.find(text) != std::string::npos;
}

bool isError(const std::string& line) {
    return line == "ERROR" || line.starts_with("+CME ERROR");
}

const Rgb kRed{255, 0, 0};
const Rgb kCyan{0, 255, 255};
const Rgb kGreen{0, 255, 0};

}  // namespace

// The kinds of reply, in the order they are tried.
const ReplyDispatch::Branch ReplyDispatch::kBranches[] = {
    {[](const ReplyDispatch&, const std::string& l) { return l == "STOP" || contains(l, "#APLAYEV:"); },
     &ReplyDispatch::onStop},
    {[](const ReplyDispatch&, const std::string& l) { return l == "Telit"; }, &ReplyDispatch::onManufacturer},
    {[](const ReplyDispatch&, const std::string& l) { return l == "[AT#SLED=1]="; },
     &ReplyDispatch::onOldModuleStopped},
    {[](const ReplyDispatch& d, const std::string& l) {
         return d.ctx_.st.AudioSendActive && contains(l, "#ASENDEV:");
     },
     &ReplyDispatch::onVoiceSent},
    {[](const ReplyDispatch&, const std::string& l) { return l == "+CREG: 0,1" || l == "+CREG: 0,5"; },
     &ReplyDispatch::onRegistered},
    {[](const ReplyDispatch&, const std::string& l) { return contains(l, "#CBC:"); },
     &ReplyDispatch::onBattery},
    {[](const ReplyDispatch&, const std::string& l) { return contains(l, "+CSQ:"); },
     &ReplyDispatch::onSignal},
    {[](const ReplyDispatch&, const std::string& l) { return contains(l, "+CPBR: (1-"); },
     &ReplyDispatch::onCapacity},
    {[](const ReplyDispatch&, const std::string& l) { return contains(l, "+CPBR"); },
     &ReplyDispatch::onListing},
    {[](const ReplyDispatch&, const std::string& l) { return contains(l, "#SPN"); },
     &ReplyDispatch::onOperator},
    {[](const ReplyDispatch&, const std::string& l) { return contains(l, "COPS"); },
     &ReplyDispatch::onRunModeReport},
    {[](const ReplyDispatch&, const std::string& l) { return isError(l); }, &ReplyDispatch::onError},
};

ReplyDispatch::ReplyDispatch(Context& ctx, DeviceOps& device, SaveSequence& save, ReadView& view)
    : ctx_(ctx), device_(device), save_(save), view_(view) {}

Task ReplyDispatch::dispatch(std::string& line) {
    // The script's tone report shows run mode whatever else the line is.
    if (contains(line, "AT#tone=i,4]")) showRunMode(ctx_.form);
    if (line == "OK") {
        co_await onOk();
        co_return;
    }
    for (const Branch& b : kBranches) {
        if (b.matches(*this, line)) {
            co_await (this->*b.handle)(line);
            co_return;
        }
    }
    // Every other line was only logged.
}

Task ReplyDispatch::onOk() {
    State& st = ctx_.st;
    if (okSeen) okSeen();
    // The "OK" that closes a listing ends that read.
    if (view_.listingPending() && view_.listingOk()) view_.completed();
    if (st.RefreshAfterWrite) {
        if (refreshAfterWrite) {
            co_await refreshAfterWrite();
        } else {
            st.RefreshAfterWrite = false;
            ctx_.form.Prubeh.setPosition(0);
            enableUnlessSaving(st, ctx_.form.SaveZEP);
            view_.clear();
            co_await ctx_.pause(200);
            ctx_.send("AT#SPN\r\n");
        }
    }
    if (st.UploadActive && !st.AudioSendActive) {
        if (uploadOk) co_await uploadOk();
    } else if (st.ProgModeEntered && st.LteModule) {
        st.ProgModeEntered = false;
        co_await ctx_.pause(200);
        ctx_.note("----------------------2");
        ctx_.send("AT#SPN\r\n");
        ctx_.note(">AT#SPN");
    } else if (st.WriteActive) {
        co_await activeRun()->onOk();
    }
}

SaveRun* ReplyDispatch::activeRun() const {
    for (SaveRun* run : runs_)
        if (run->active()) return run;
    return &save_;
}

Task ReplyDispatch::onStop(std::string& line) {
    State& st = ctx_.st;
    if (contains(line, "#APLAYEV:")) st.LteModule = true;
    if (!ctx_.com.dtr()) co_return;
    device_.endStopWait();
    ctx_.note("----------------------1");
    ctx_.send("ATE0\r\n");
    ctx_.note(">ATE0");
    st.ProgModeEntered = true;
    ctx_.note(std::string("ATE0=") + (st.ProgModeEntered ? "-1" : "0"));
    ctx_.note(std::string("LTE=") + (st.LteModule ? "-1" : "0"));
    co_await ctx_.pause(1000);
}

Task ReplyDispatch::onManufacturer(std::string&) {
    Form& f = ctx_.form;
    showProgMode(f);
    ctx_.send("AT#SPN\r\n");
    f.Prubeh.setPosition(0);
    enableUnlessSaving(ctx_.st, f.SaveZEP);
    enableUnlessSaving(ctx_.st, f.LoadZEP);
    view_.clear();
    co_return;
}

Task ReplyDispatch::onOldModuleStopped(std::string&) {
    co_await ctx_.pause(1000);
    ctx_.send("ATE0;#SPN\r\n");
    ctx_.st.ProgModeEntered = false;
    device_.endStopWait();
}

Task ReplyDispatch::onVoiceSent(std::string&) {
    if (voiceSent) co_await voiceSent();
}

Task ReplyDispatch::onRegistered(std::string&) {
    co_await ctx_.pause(200);
}

Task ReplyDispatch::onBattery(std::string& line) {
    Form& f = ctx_.form;
    device_.stopWaitIndicator();
    std::size_t comma = line.find(',');
    std::string rest = comma == std::string::npos ? line : line.substr(comma + 1);
    ctx_.note(rest);
    f.StatusBar1.setPanelText(1, " board voltage: " + rest + "0 mV");
    f.BVoltage.setPosition(toInt(rest));
    f.Voltage.setCaption(rest + "0 mV");
    co_return;
}

Task ReplyDispatch::onSignal(std::string& line) {
    Form& f = ctx_.form;
    State& st = ctx_.st;
    std::size_t colon = line.find(':');
    std::size_t comma = line.find(',', colon + 1);
    // A reply without "," carries no value.
    std::string value =
        comma == std::string::npos ? std::string() : line.substr(colon + 1, comma - colon - 1);
    int level = toInt(std::string(trimSpaces(value)));
    st.SignalLevel = level;
    Rgb colour = kRed;
    if (level >= 15 && level <= 21)
        colour = kCyan;
    else if (level >= 22 && level <= 31)
        colour = kGreen;
    f.Smeter.setColor(colour);
    f.Smeter.setPosition(level);
    if ((runModeShown(f) || pendingShown(f)) && st.ProgModeEntered) {
        showRunMode(f);
        f.LoadZEP.setEnabled(false);
        f.SaveZEP.setEnabled(false);
    }
    co_return;
}

Task ReplyDispatch::onCapacity(std::string& line) {
    State& st = ctx_.st;
    int capacity = toInt(std::string(trimSpaces(textBetween(line, '-', ')').value_or(""))));
    st.SimCapacity = capacity;
    // "+CPBR: (1-N),nlength,tlength": the longest number and text the unit stores.
    st.NumberLength = st.TextLength = 0;
    if (std::size_t close = line.find(')'); close != std::string::npos) {
        std::string_view rest = std::string_view(line).substr(close + 1);
        if (rest.starts_with(",")) {
            rest.remove_prefix(1);
            std::size_t comma = rest.find(',');
            if (comma != std::string_view::npos) {
                st.NumberLength = parseInt(trimSpaces(rest.substr(0, comma)), false).value_or(0);
                st.TextLength = parseInt(trimSpaces(rest.substr(comma + 1)), false).value_or(0);
            }
        }
    }
    ctx_.form.StatusBar1.setPanelText(2, " SIM: " + std::to_string(capacity));
    if (capacity > 10) {
        co_await ctx_.pause(100);
        if (ctx_.com.portChosen()) {
            ctx_.send("AT+CPBR=1," + std::to_string(capacity) + "\r\n");
            // The "OK" that closes this range reply is still to come.
            view_.listingRequested(1);
        }
    }
}

Task ReplyDispatch::onListing(std::string& line) {
    Form& f = ctx_.form;
    State& st = ctx_.st;
    // A run that reads the SIM for itself keeps its listing from the pages.
    if (st.WriteActive && activeRun()->onListingLine(line)) co_return;
    ListingLine entry = cutListingLine(line);
    // A fresh read: the memory trees are filled anew by this read.
    if (st.PhoneBookReload && !isFixedEntryName(entry.name)) view_.clearTrees();
    // Memory entries and the detection entry go to the memory pages.
    if (memoryEntry) memoryEntry(entry);
    if (applyFixedEntry(f, st, entry.name, entry.number)) {
        if (entry.name == "VER") {
            const bool zep = contains(f.StatusBar1.panelText(4), "ZEP");
            f.StatusBar1.setPanelText(4, (zep ? " ZEP Ver: " : " GSM-Yw Ver: ") + entry.number);
        }
    } else {
        view_.addPhoneBookEntry(entry.name, entry.number);
    }
    co_return;
}

Task ReplyDispatch::onOperator(std::string& line) {
    std::size_t colon = line.find(':');
    std::string op = colon == std::string::npos ? line : line.substr(colon + 1);
    ctx_.form.StatusBar1.setPanelText(0, "Operator: " + op);
    co_await ctx_.pause(200);
    if (ctx_.com.portChosen() && ctx_.com.dtr()) ctx_.send("AT+CPBR=?\r\n");
}

Task ReplyDispatch::onRunModeReport(std::string&) {
    Form& f = ctx_.form;
    showRunMode(f);
    f.LoadZEP.setEnabled(false);
    f.SaveZEP.setEnabled(false);
    co_return;
}

Task ReplyDispatch::onError(std::string& line) {
    if (ctx_.st.WriteActive) {
        co_await activeRun()->onError(line);
        co_return;
    }
    if (memoryAwaitsAnswer && memoryAwaitsAnswer() && memoryError) {
        co_await memoryError(line);
        co_return;
    }
    // The unit refused the listing: the read cannot finish.
    if (view_.listingPending()) view_.broken("the unit answered " + line + " to the listing");
}

}  // namespace dorive
