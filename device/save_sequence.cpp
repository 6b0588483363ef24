#include "device/save_sequence.h"

#include <algorithm>
#include <initializer_list>

#include "params/records.h"
#include "phonebook/entries.h"

namespace dorive {

namespace {

std::string durationText(int ms) {
    if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
    return std::to_string(ms) + " ms";
}

// Why the unit cannot store a text, or nothing.
std::string textProblem(const std::string& text, int maxLength) {
    if (std::string what = unstorableCharacter(text); !what.empty())
        return "holds " + what + ", which cannot be sent to the unit";
    if (maxLength > 0 && text.size() > std::size_t(maxLength))
        return "is longer than the " + std::to_string(maxLength) + " characters the unit stores";
    return {};
}

}  // namespace

std::string commandText(const std::string& text) {
    if (text.find_first_of(",;") == std::string::npos) return text;
    return '"' + text + '"';
}

std::string writeCommand(int location, const SimEntry& entry) {
    return "AT+CPBW=" + std::to_string(location) + "," + commandText(entry.number) + ",," +
           commandText(entry.name) + "\r\n";
}

std::vector<SimEntry> saveEntries(const Form& form, const State& st) {
    std::vector<SimEntry> entries = fixedWriteEntries(form, st);
    for (std::size_t i = 1; i <= form.PhoneBook1.rowCount(); ++i) {
        PhoneBookList::Row row = form.PhoneBook1.row(i);
        entries.push_back({row.name, row.number});
    }
    return entries;
}

std::string saveRefusal(const Form& form, const State& st) {
    std::vector<std::string> problems;
    // A record in the wrong length is one the unit's script, and DORive reading it back,
    // would replace by its fallback.
    State built = st;
    BuildParamRecords(form, built);
    for (int relay : {1, 2}) {
        const std::string& record = relay == 1 ? built.ParamRelay1 : built.ParamRelay2;
        if (record.size() != kRelayLength)
            problems.push_back("Relay " + std::to_string(relay) +
                               ": the switching code must be one digit and the switching time two digits.");
    }
    if (built.ParamKeypad.size() != kKeypadLength)
        problems.push_back("Keypad: \"Waiting to number\" must be exactly one character.");
    if (built.ParamGeneral.size() != kGeneralLength) problems.push_back("Calls: choose the waiting-call time.");

    int location = 1;
    for (const SimEntry& e : saveEntries(form, built)) {
        if (e.name.empty() || e.number.empty()) continue;
        const int at = location++;
        for (const auto& [text, limit] : {std::pair{&e.number, st.NumberLength}, std::pair{&e.name, st.TextLength}}) {
            std::string why = textProblem(*text, limit);
            if (!why.empty())
                problems.push_back("SIM location " + std::to_string(at) + ", entry " + e.name + ": \"" + *text +
                                   "\" " + why + ".");
        }
    }
    if (problems.empty()) return {};
    std::string out = "The settings cannot be written as they stand:";
    for (const std::string& p : problems) out += "\n- " + p;
    out += "\nCorrect them and save again. Nothing was written.";
    return out;
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

void LockControls(Form& form) {
    forLockedControls(form, [](Control& c) { c.setEnabled(false); });
}

void UnlockControls(Form& form) {
    forLockedControls(form, [](Control& c) { c.setEnabled(true); });
}

SaveSequence::SaveSequence(Context& ctx, ReadView& view, int replyTimeoutMs)
    : ctx_(ctx), view_(view), replyTimeoutMs_(replyTimeoutMs) {
    ctx.onClick(ctx.form.SaveZEP, [this] { return SaveZEPClick(); });
}

SaveSequence::~SaveSequence() { disarmWatchdog(); }

Task SaveSequence::SaveZEPClick() {
    State& st = ctx_.st;
    Form& form = ctx_.form;
    // A second click queued behind the first must not start a save inside the running one.
    if (st.WriteActive) co_return;
    if (std::string refusal = saveRefusal(form, st); !refusal.empty()) {
        ctx_.showError(refusal);
        co_return;
    }
    LockControls(form);
    try {
        if (st.LteModule) {
            form.TonBeep.setEnabled(true);
            form.TonVoice.setEnabled(true);
            form.TonRing.setEnabled(false);
        }
        BuildParamRecords(form, st);
        sources_ = saveEntries(form, st);
        form.Prubeh.setMax(st.SimCapacity);
        form.Prubeh.setVisible(true);
        ctx_.send("AT\r\n");
    } catch (...) {
        sources_.clear();
        form.Prubeh.setVisible(false);
        UnlockControls(form);
        throw;
    }
    begin();
}

void SaveSequence::begin() {
    State& st = ctx_.st;
    st.WriteActive = true;
    st.WriteStep = 0;
    st.WriteIndex = 1;
    lastWrite_ = "SIM location 1 (before the first entry)";
    armWatchdog();
}

void SaveSequence::end() {
    disarmWatchdog();
    sources_.clear();
    ctx_.st.WriteActive = false;
    ctx_.form.Prubeh.setVisible(false);
    UnlockControls(ctx_.form);
    ctx_.form.Prubeh.setPosition(0);
}

Task SaveSequence::onOk() {
    if (!active()) co_return;
    co_await saveStep();
}

Task SaveSequence::saveStep() {
    State& st = ctx_.st;
    disarmWatchdog();
    ++st.WriteStep;
    ctx_.form.Prubeh.setPosition(st.WriteStep);
    if (st.WriteIndex > st.SimCapacity) {
        co_await finishSave();
        co_return;
    }
    // Messages name the step about to be taken from here on.
    const auto next = static_cast<std::size_t>(st.WriteStep);
    const std::string index = std::to_string(st.WriteIndex);
    if (next > sources_.size())
        lastWrite_ = "SIM location " + index + " (emptying it)";
    else if (!sources_[next - 1].name.empty() && !sources_[next - 1].number.empty())
        lastWrite_ = "SIM location " + index + " (" + sources_[next - 1].name + ")";
    const std::uint64_t run = watchdogGeneration_;
    co_await ctx_.pause(200);
    // Stopped meanwhile (lost port, close): nothing more is written.
    if (!active() || run != watchdogGeneration_) co_return;

    std::string failure;
    try {
        const auto step = static_cast<std::size_t>(st.WriteStep);
        if (step <= sources_.size()) {
            WriteSimEntry(sources_[step - 1]);
        } else {
            const std::string index = std::to_string(st.WriteIndex);
            lastWrite_ = "SIM location " + index + " (emptying it)";
            ctx_.note("delete SIM" + index);
            ctx_.send("AT+CPBW=" + index + "\r\n");
            ++st.WriteIndex;
        }
    } catch (const PortError& e) {
        failure = e.what();
    }
    if (!failure.empty()) {
        co_await abortSave(failure);
        co_return;
    }
    armWatchdog();
}

void SaveSequence::WriteSimEntry(const SimEntry& entry) {
    State& st = ctx_.st;
    const std::string index = std::to_string(st.WriteIndex);
    if (entry.name.empty() || entry.number.empty()) {
        lastWrite_ = "SIM location " + index + " (step for " +
                     (entry.name.empty() ? std::string("a row without name") : entry.name) + ", nothing to write)";
        ctx_.send("AT\r\n");
        ctx_.note("---");
        return;
    }
    lastWrite_ = "SIM location " + index + " (" + entry.name + ")";
    ctx_.note("SIM" + index);
    ctx_.send(writeCommand(st.WriteIndex, entry));
    ++st.WriteIndex;
}

Task SaveSequence::finishSave() {
    State& st = ctx_.st;
    // Entries that found no location on the SIM are lost unless the user hears of it.
    std::size_t unwritten = 0;
    std::string firstUnwritten;
    for (auto i = static_cast<std::size_t>(std::max(st.WriteStep, 1) - 1); i < sources_.size(); ++i) {
        const SimEntry& e = sources_[i];
        if (e.name.empty() || e.number.empty()) continue;
        if (unwritten++ == 0) firstUnwritten = e.name;
    }
    end();
    ctx_.form.SaveZEP.setEnabled(true);
    view_.clear();
    if (unwritten > 0) {
        std::string text = (st.SimCapacity <= 0
                                ? std::string("The size of the SIM is not known yet (read the unit first): ")
                                : "The SIM has room for " + std::to_string(st.SimCapacity) + " locations: ") +
                           std::to_string(unwritten) + " entries from " + firstUnwritten + " on were not written.";
        ctx_.note(text);
        ctx_.showError(text);
    }
    if (ctx_.com.portChosen()) {
        ctx_.send("AT+CPBR=1," + std::to_string(st.SimCapacity) + "\r\n");
        view_.listingRequested();
    }
    co_return;
}

Task SaveSequence::onError(std::string line) {
    if (!active()) co_return;
    co_await abortSave("the unit answered " + line);
}

std::string SaveSequence::stopText(const std::string& why) const {
    return "Save stopped at " + lastWrite_ + ": " + why + ".";
}

Task SaveSequence::abortSave(std::string why) {
    if (!active()) co_return;
    end();
    const bool readBack = ctx_.com.portChosen();
    std::string text = stopText(why) + (readBack ? " The SIM is only partly written; it is read back to show what it "
                                                   "holds now."
                                                 : " The SIM is only partly written and cannot be read back now: the "
                                                   "pages keep what was to be written, and Save writes it again.");
    ctx_.note(text);
    ctx_.showError(text);
    if (!readBack) co_return;
    view_.clear();
    try {
        ctx_.send("AT+CPBR=1," + std::to_string(ctx_.st.SimCapacity) + "\r\n");
        view_.listingRequested();
    } catch (const PortError& e) {
        view_.broken(e.what());
    }
}

void SaveSequence::portLost(const std::string& why) {
    if (!active()) return;
    end();
    ctx_.note(stopText(why) +
              " The SIM is only partly written and its content is unknown: the pages keep what was to be "
              "written, and Save writes it again once the unit is reachable.");
}

void SaveSequence::shutdown() {
    disarmWatchdog();
    ctx_.st.WriteActive = false;
    sources_.clear();
}

void SaveSequence::armWatchdog() {
    disarmWatchdog();
    const std::uint64_t generation = watchdogGeneration_;
    watchdog_ = ctx_.clock.startTimer(replyTimeoutMs_, [this, generation] {
        watchdog_ = 0;
        ctx_.post([this, generation] { return watchdogFired(generation); });
    });
}

void SaveSequence::disarmWatchdog() {
    if (watchdog_) ctx_.clock.cancelTimer(watchdog_);
    watchdog_ = 0;
    // A firing already posted but not yet run sees the new generation and does nothing.
    ++watchdogGeneration_;
}

Task SaveSequence::watchdogFired(std::uint64_t generation) {
    if (!active() || generation != watchdogGeneration_) co_return;
    co_await abortSave("the unit did not answer for " + durationText(replyTimeoutMs_));
}

}  // namespace dorive
