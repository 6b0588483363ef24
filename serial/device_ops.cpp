// Device operations: stop and run the unit's script, read all settings, write them all
// back location by location, and the small service commands.
#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/dorive.h"
#include "params/fixed_entries.h"
#include "params/records.h"

namespace dorive {

namespace {

bool unsafeForCommand(const std::string& text) {
    for (unsigned char c : text)
        if (c == ',' || c == '"' || c == ';' || c < 32) return true;
    return false;
}

// What a save writes, step by step: the fixed entries, then every row of the phone-book list
// (an empty list still counts one empty row).
std::vector<SimEntry> saveEntries(const Form& form, const State& st) {
    std::vector<SimEntry> entries = fixedWriteEntries(form, st);
    for (std::size_t i = 1; i <= form.PhoneBook1.rowCount(); ++i) {
        PhoneBookList::Row row = form.PhoneBook1.row(i);
        entries.push_back({row.name, row.number});
    }
    return entries;
}

// Why the settings cannot be written as they stand, or nothing when they can.
std::string saveRefusal(const Form& form, const State& st) {
    // A record the unit would get in the wrong length (an emptied relay code or time, a
    // waiting digit typed as anything but one character) is one DORive itself would reject
    // when reading it back.
    State built = st;
    BuildParamRecords(form, built);
    if (built.ParamRelay1.size() != 8 || built.ParamRelay2.size() != 8) {
        const int relay = built.ParamRelay1.size() != 8 ? 1 : 2;
        return "Relay " + std::to_string(relay) +
               ": the switching code must be one digit and the switching time two digits.";
    }
    if (built.ParamKeypad.size() != 3) return "Keypad: \"Waiting to number\" must be one digit from 1 to 9.";
    if (built.ParamGeneral.size() != 15)
        return "The call settings are incomplete: choose the waiting-call time.";

    // Numbers and names go into the write command as they stand: a comma, a quote, a
    // semicolon or a control character would change the command itself.
    const std::vector<SimEntry> sources = saveEntries(form, built);
    for (const SimEntry& e : sources) {
        if (e.name.empty() || e.number.empty()) continue;
        const std::string* bad =
            unsafeForCommand(e.number) ? &e.number : (unsafeForCommand(e.name) ? &e.name : nullptr);
        if (bad)
            return "The entry " + e.name + " holds \"" + *bad +
                   "\": commas, quotes, semicolons and control characters cannot be written to the unit. "
                   "Change it and save again.";
    }
    return {};
}

std::string durationText(int ms) {
    if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
    return std::to_string(ms) + " ms";
}

}  // namespace

// The bar fills one step a second, up to 250, until the unit's report stops the timer.
void Dorive::startWaitIndicator() {
    form.Prubeh.setMax(250);
    form.Prubeh.setPosition(0);
    Cekani.start();
}

Task Dorive::StopZEPClick() {
    if (st.WriteActive) co_return;
    com.setDtr(true);
    startWaitIndicator();
    st.PhoneBookReload = true;
    showPending();
}

Task Dorive::RunZEPClick() {
    if (st.WriteActive) co_return;
    com.setDtr(false);
    co_await pause(1000);
    // A newer module restarts the script itself once DTR is released.
    if (!st.LteModule) send("AT#REBOOT\r\n");
    startWaitIndicator();
    showPending();
    form.LoadZEP.setEnabled(false);
    form.SaveZEP.setEnabled(false);
}

Task Dorive::LoadZEPClick() {
    if (st.WriteActive) co_return;
    if (pendingShown()) {
        send("AT+CGMI\r\n");
        form.DeviceRun.setVisible(true);
        form.DeviceNic.setVisible(false);
        form.LoadZEP.setEnabled(false);
        form.SaveZEP.setEnabled(false);
    }
    if (progModeShown()) {
        send("AT#SPN\r\n");
        form.Prubeh.setPosition(0);
        form.SaveZEP.setEnabled(true);
        clearReadView();
        showProgMode();
    }
    co_return;
}

Task Dorive::SaveZEPClick() {
    // A second click queued behind the first must not start a save inside the running one.
    if (st.WriteActive) co_return;
    if (std::string refusal = saveRefusal(form, st); !refusal.empty()) {
        showError(refusal + " Nothing was written.");
        co_return;
    }
    LockControls();
    try {
        if (st.LteModule) {
            form.TonBeep.setEnabled(true);
            form.TonVoice.setEnabled(true);
            form.TonRing.setEnabled(false);
        }
        BuildParamRecords(form, st);
        // What is written is fixed now: a read arriving during the save must not change it.
        saveSources_ = saveEntries(form, st);
        form.Prubeh.setMax(st.SimCapacity);
        form.Prubeh.setVisible(true);
        send("AT\r\n");
    } catch (...) {
        form.Prubeh.setVisible(false);
        UnlockControls();
        throw;
    }
    st.WriteActive = true;
    st.WriteStep = 0;
    st.WriteIndex = 1;
    lastWriteDescription_ = "SIM location 1 (before the first entry)";
    armSaveWatchdog();
}

Task Dorive::saveStep() {
    disarmSaveWatchdog();
    ++st.WriteStep;
    form.Prubeh.setPosition(st.WriteStep);
    if (st.WriteIndex > st.SimCapacity) {
        co_await finishSave();
        co_return;
    }
    co_await pause(200);

    std::string failure;
    try {
        const auto step = static_cast<std::size_t>(st.WriteStep);
        if (step <= saveSources_.size()) {
            const SimEntry source = saveSources_[step - 1];
            co_await WriteSimEntry(source.name, source.number);
        } else {
            const std::string index = std::to_string(st.WriteIndex);
            lastWriteDescription_ = "SIM location " + index + " (emptying it)";
            note("delete SIM" + index);
            send("AT+CPBW=" + index + "\r\n");
            ++st.WriteIndex;
        }
    } catch (const PortError& e) {
        failure = e.what();
    }
    if (!failure.empty()) {
        co_await abortSave(failure);
        co_return;
    }
    armSaveWatchdog();
}

Task Dorive::WriteSimEntry(const std::string& name, const std::string& number) {
    const std::string index = std::to_string(st.WriteIndex);
    if (name.empty() || number.empty()) {
        lastWriteDescription_ = "SIM location " + index + " (step for " +
                                (name.empty() ? std::string("a row without name") : name) +
                                ", nothing to write)";
        send("AT\r\n");
        note("---");
        co_return;
    }
    lastWriteDescription_ = "SIM location " + index + " (" + name + ")";
    note("SIM" + index);
    send("AT+CPBW=" + index + "," + number + ",," + name + "\r\n");
    ++st.WriteIndex;
}

Task Dorive::finishSave() {
    // Entries that found no location on the SIM are lost unless the user hears of it.
    std::size_t unwritten = 0;
    std::string firstUnwritten;
    for (auto i = static_cast<std::size_t>(std::max(st.WriteStep, 1) - 1); i < saveSources_.size(); ++i) {
        const SimEntry& e = saveSources_[i];
        if (e.name.empty() || e.number.empty()) continue;
        if (unwritten++ == 0) firstUnwritten = e.name;
    }
    saveSources_.clear();

    st.WriteActive = false;
    form.Prubeh.setVisible(false);
    UnlockControls();
    form.Prubeh.setPosition(0);
    form.SaveZEP.setEnabled(true);
    clearReadView();
    if (unwritten > 0) {
        std::string text = (st.SimCapacity <= 0
                                ? std::string("The size of the SIM is not known yet (read the unit first): ")
                                : "The SIM has room for " + std::to_string(st.SimCapacity) + " locations: ") +
                           std::to_string(unwritten) + " entries from " + firstUnwritten +
                           " on were not written.";
        note(text);
        showError(text);
    }
    if (com.portChosen()) send("AT+CPBR=1," + std::to_string(st.SimCapacity) + "\r\n");
    co_return;
}

void Dorive::armSaveWatchdog() {
    disarmSaveWatchdog();
    const std::uint64_t generation = watchdogGeneration_;
    saveWatchdog_ = clock_.startTimer(options_.saveReplyTimeoutMs, [this, generation] {
        saveWatchdog_ = 0;
        post([this, generation] { return saveWatchdogFired(generation); });
    });
}

void Dorive::disarmSaveWatchdog() {
    if (saveWatchdog_) clock_.cancelTimer(saveWatchdog_);
    saveWatchdog_ = 0;
    // A firing already posted but not yet run sees the new generation and does nothing.
    ++watchdogGeneration_;
}

Task Dorive::saveWatchdogFired(std::uint64_t generation) {
    if (!st.WriteActive || generation != watchdogGeneration_) co_return;
    co_await abortSave("the unit did not answer for " + durationText(options_.saveReplyTimeoutMs));
}

Task Dorive::abortSave(std::string why) {
    if (!st.WriteActive) co_return;
    disarmSaveWatchdog();
    saveSources_.clear();
    st.WriteActive = false;
    form.Prubeh.setVisible(false);
    form.Prubeh.setPosition(0);
    UnlockControls();
    const std::string text = "Save stopped at " + lastWriteDescription_ + ": " + why +
                             ". The SIM is only partly written; it is read back to show what it holds now.";
    note(text);
    showError(text);
    clearReadView();
    if (com.portChosen()) send("AT+CPBR=1," + std::to_string(st.SimCapacity) + "\r\n");
}

namespace {

template <class F>
void forLockedControls(Form& form, F&& f) {
    for (Control* c : std::initializer_list<Control*>{
             &form.SaveZEP, &form.LoadZEP, &form.RunZEP, &form.StopZEP, &form.Save, &form.Load, &form.signal,
             &form.Buttons, &form.PhoneBook, &form.seting, &form.service, &form.KeyBoardParams,
             // Their answers would be taken for the unit's answer to a write.
             &form.Inicializace, &form.IMEI})
        f(*c);
}

}  // namespace

void Dorive::LockControls() {
    forLockedControls(form, [](Control& c) { c.setEnabled(false); });
}

void Dorive::UnlockControls() {
    forLockedControls(form, [](Control& c) { c.setEnabled(true); });
}

Task Dorive::signalClick() {
    if (st.WriteActive) co_return;
    send("AT+CSQ\r\n");
}

Task Dorive::InicializaceClick() {
    if (st.WriteActive) co_return;
    send("AT#ESCRIPT=zep.pyo\r\n");
}

Task Dorive::IMEIClick() {
    if (st.WriteActive) co_return;
    send("AT#CGSN\r\n");
}

Task Dorive::CekaniTimer() {
    form.Prubeh.setPosition(std::min(form.Prubeh.position() + 1, form.Prubeh.max()));
    form.Prubeh.setVisible(true);
    co_return;
}

}  // namespace dorive
