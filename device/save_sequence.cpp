#include "device/save_sequence.h"

#include <algorithm>
#include <initializer_list>

#include "params/records.h"
#include "phonebook/entries.h"

namespace dorive {

namespace {

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
    if (built.ParamGeneral.size() != kGeneralLength)
        problems.push_back("Calls: choose the waiting-call time.");

    int location = 1;
    for (const SimEntry& e : saveEntries(form, built)) {
        if (e.name.empty() || e.number.empty()) continue;
        const int at = location++;
        for (const auto& [text, limit] :
             {std::pair{&e.number, st.NumberLength}, std::pair{&e.name, st.TextLength}}) {
            std::string why = textProblem(*text, limit);
            if (!why.empty())
                problems.push_back("SIM location " + std::to_string(at) + ", entry " + e.name + ": \"" +
                                   *text + "\" " + why + ".");
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
             &form.QuickSaveZEP, &form.Buttons, &form.PhoneBook, &form.seting, &form.service,
             &form.KeyBoardParams,
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
    : SaveRun(ctx, view, replyTimeoutMs, "Save") {
    ctx.onClick(ctx.form.SaveZEP, [this] { return SaveZEPClick(); });
}

Task SaveSequence::SaveZEPClick() {
    start("AT\r\n", ctx_.st.SimCapacity, "SIM location 1 (before the first entry)");
    co_return;
}

Task SaveSequence::onOk() {
    if (!active()) co_return;
    State& st = ctx_.st;
    disarmWatchdog();
    ++st.WriteStep;
    ctx_.form.Prubeh.setPosition(st.WriteStep);
    const auto step = static_cast<std::size_t>(st.WriteStep);
    if (step > target_.stepCount()) {
        co_await finishSave();
        co_return;
    }
    co_await writeStep(target_.step(step - 1));
}

Task SaveSequence::finishSave() {
    const std::vector<SimEntry> unwritten = target_.unwritten;
    end();
    ctx_.form.SaveZEP.setEnabled(true);
    view_.clear();
    reportUnwritten(unwritten);
    if (ctx_.com.portChosen()) {
        ctx_.send("AT+CPBR=1," + std::to_string(ctx_.st.SimCapacity) + "\r\n");
        view_.listingRequested();
    }
    co_return;
}

}  // namespace dorive
