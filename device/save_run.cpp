#include "device/save_run.h"

#include "device/save_sequence.h"
#include "params/records.h"

namespace dorive {

namespace {

std::string durationText(int ms) {
    if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
    return std::to_string(ms) + " ms";
}

}  // namespace

SaveRun::SaveRun(Context& ctx, ReadView& view, int replyTimeoutMs, std::string title)
    : ctx_(ctx), view_(view), title_(std::move(title)), replyTimeoutMs_(replyTimeoutMs) {}

SaveRun::~SaveRun() {
    disarmWatchdog();
}

bool SaveRun::start(const std::string& firstCommand, int progressMax, std::string firstStep) {
    State& st = ctx_.st;
    Form& form = ctx_.form;
    // A second click queued behind the first must not start a run inside the running one.
    if (st.WriteActive) return false;
    if (std::string refusal = saveRefusal(form, st); !refusal.empty()) {
        ctx_.showError(refusal);
        return false;
    }
    LockControls(form);
    try {
        if (st.LteModule) {
            form.TonBeep.setEnabled(true);
            form.TonVoice.setEnabled(true);
            form.TonRing.setEnabled(false);
        }
        BuildParamRecords(form, st);
        target_ = saveTarget(saveEntries(form, st), st.SimCapacity);
        form.Prubeh.setMax(progressMax);
        form.Prubeh.setVisible(true);
        ctx_.send(firstCommand);
    } catch (...) {
        target_ = {};
        form.Prubeh.setVisible(false);
        UnlockControls(form);
        throw;
    }
    running_ = true;
    st.WriteActive = true;
    st.WriteStep = 0;
    st.WriteIndex = 1;
    lastWrite_ = std::move(firstStep);
    armWatchdog();
    return true;
}

void SaveRun::end() {
    disarmWatchdog();
    target_ = {};
    running_ = false;
    ctx_.st.WriteActive = false;
    ctx_.form.Prubeh.setVisible(false);
    UnlockControls(ctx_.form);
    ctx_.form.Prubeh.setPosition(0);
}

Task SaveRun::writeStep(SaveStep step) {
    // Messages name the step about to be taken from here on.
    const std::string index = std::to_string(step.location);
    if (step.kind == SaveStep::Kind::Empty)
        lastWrite_ = "SIM location " + index + " (emptying it)";
    else if (step.kind == SaveStep::Kind::Write)
        lastWrite_ = "SIM location " + index + " (" + step.entry.name + ")";
    const std::uint64_t run = watchdogGeneration_;
    co_await ctx_.pause(200);
    // Stopped meanwhile (lost port, close): nothing more is written.
    if (!active() || run != watchdogGeneration_) co_return;

    std::string failure;
    try {
        send(step);
    } catch (const PortError& e) {
        failure = e.what();
    }
    if (!failure.empty()) {
        co_await abortSave(failure);
        co_return;
    }
    armWatchdog();
}

void SaveRun::send(const SaveStep& step) {
    State& st = ctx_.st;
    const std::string index = std::to_string(step.location);
    switch (step.kind) {
        case SaveStep::Kind::Skip:
            lastWrite_ = "SIM location " + index + " (step for " +
                         (step.entry.name.empty() ? std::string("a row without name") : step.entry.name) +
                         ", nothing to write)";
            ctx_.send("AT\r\n");
            ctx_.note("---");
            break;
        case SaveStep::Kind::Write:
            lastWrite_ = "SIM location " + index + " (" + step.entry.name + ")";
            ctx_.note("SIM" + index);
            ctx_.send(writeCommand(step.location, step.entry));
            st.WriteIndex = step.location + 1;
            break;
        case SaveStep::Kind::Empty:
            lastWrite_ = "SIM location " + index + " (emptying it)";
            ctx_.note("delete SIM" + index);
            ctx_.send("AT+CPBW=" + index + "\r\n");
            st.WriteIndex = step.location + 1;
            break;
    }
}

void SaveRun::readBack(int capacity) {
    view_.clear();
    ctx_.send("AT+CPBR=1," + std::to_string(capacity) + "\r\n");
    view_.listingRequested();
}

void SaveRun::reportUnwritten(const std::vector<SimEntry>& unwritten) {
    if (unwritten.empty()) return;
    const int capacity = ctx_.st.SimCapacity;
    std::string text =
        (capacity <= 0 ? std::string("The size of the SIM is not known yet (read the unit first): ")
                       : "The SIM has room for " + std::to_string(capacity) + " locations: ") +
        std::to_string(unwritten.size()) + " entries from " + unwritten.front().name +
        " on were not written.";
    ctx_.note(text);
    ctx_.showError(text);
}

Task SaveRun::onError(std::string line) {
    if (!active()) co_return;
    co_await abortSave("the unit answered " + line);
}

std::string SaveRun::stopText(const std::string& why) const {
    return title_ + " stopped at " + lastWrite_ + ": " + why + ".";
}

Task SaveRun::abortSave(std::string why) {
    if (!active()) co_return;
    end();
    const bool readBack = ctx_.com.portChosen();
    std::string text =
        stopText(why) + (readBack ? " The SIM is only partly written; it is read back to show what it "
                                    "holds now."
                                  : " The SIM is only partly written and cannot be read back now: the "
                                    "pages keep what was to be written, and Save writes it again.");
    ctx_.note(text);
    ctx_.showError(text);
    if (!readBack) co_return;
    try {
        this->readBack(ctx_.st.SimCapacity);
    } catch (const PortError& e) {
        view_.broken(e.what());
    }
}

void SaveRun::portLost(const std::string& why) {
    if (!active()) return;
    end();
    ctx_.note(stopText(why) +
              " The SIM is only partly written and its content is unknown: the pages keep what was to be "
              "written, and Save writes it again once the unit is reachable.");
}

void SaveRun::shutdown() {
    disarmWatchdog();
    ctx_.st.WriteActive = false;
    running_ = false;
    target_ = {};
}

void SaveRun::armWatchdog() {
    disarmWatchdog();
    const std::uint64_t generation = watchdogGeneration_;
    watchdog_ = ctx_.clock.startTimer(replyTimeoutMs_, [this, generation] {
        watchdog_ = 0;
        ctx_.post([this, generation] { return watchdogFired(generation); });
    });
}

void SaveRun::disarmWatchdog() {
    if (watchdog_) ctx_.clock.cancelTimer(watchdog_);
    watchdog_ = 0;
    // A firing already posted but not yet run sees the new generation and does nothing.
    ++watchdogGeneration_;
}

Task SaveRun::watchdogFired(std::uint64_t generation) {
    if (!active() || generation != watchdogGeneration_) co_return;
    co_await abortSave("the unit did not answer for " + durationText(replyTimeoutMs_));
}

}  // namespace dorive
