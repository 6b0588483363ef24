#include "device/quick_save.h"

#include <algorithm>

namespace dorive {

namespace {

constexpr std::size_t kLocationsNamed = 10;

// "3 (should hold ADMIN3), 40 (should be empty)", the first few of them.
std::string locationList(const std::vector<SaveStep>& steps) {
    std::string out;
    for (std::size_t i = 0; i < steps.size() && i < kLocationsNamed; ++i) {
        if (i > 0) out += ", ";
        out += std::to_string(steps[i].location);
        out += steps[i].kind == SaveStep::Kind::Empty ? " (should be empty)"
                                                      : " (should hold " + steps[i].entry.name + ")";
    }
    if (steps.size() > kLocationsNamed)
        out += " and " + std::to_string(steps.size() - kLocationsNamed) + " more";
    return out;
}

}  // namespace

std::vector<SaveStep> differingLocations(const SaveTarget& target, const std::map<int, SimEntry>& sim) {
    std::vector<SaveStep> out;
    for (int location = 1; location <= target.capacity; ++location) {
        const SimEntry want = target.at(location);
        const auto found = sim.find(location);
        const SimEntry have = found == sim.end() ? SimEntry{} : found->second;
        if (handedBack(want) == have) continue;
        if (want.name.empty())
            out.push_back({SaveStep::Kind::Empty, location, {}});
        else
            out.push_back({SaveStep::Kind::Write, location, want});
    }
    return out;
}

QuickSave::QuickSave(Context& ctx, ReadView& view, int replyTimeoutMs)
    : SaveRun(ctx, view, replyTimeoutMs, "Quick save") {
    Form& form = ctx.form;
    ctx.onClick(form.QuickSaveZEP, [this] { return QuickSaveClick(); });
    // Usable exactly when Save is.
    auto follow = [&form] {
        form.QuickSaveZEP.setEnabled(form.SaveZEP.enabled());
        form.QuickSaveZEP.setVisible(form.SaveZEP.visible());
    };
    form.SaveZEP.addListener(follow);
    follow();
}

Task QuickSave::QuickSaveClick() {
    State& st = ctx_.st;
    if (st.WriteActive) co_return;
    succeeded_ = false;
    if (st.SimCapacity <= 0) {
        ctx_.showError("The size of the SIM is not known yet: read the unit first. Nothing was written.");
        co_return;
    }
    // Lines of a read still under way would be taken for the SIM's content.
    if (view_.listingPending()) {
        ctx_.showError(
            "The SIM is still being read. Quick Save compares with the SIM, so wait until the read has "
            "ended (or Load reads it again if it did not end). Nothing was written.");
        co_return;
    }
    listed_.clear();
    unreadable_.clear();
    writes_.clear();
    if (!start("AT+CPBR=1," + std::to_string(st.SimCapacity) + "\r\n", 1, "the first read")) co_return;
    phase_ = Phase::Reading;
    ctx_.note("Quick save: reading the SIM");
}

bool QuickSave::onListingLine(const std::string& line) {
    if (phase_ != Phase::Reading && phase_ != Phase::Checking) return false;
    armWatchdog();  // the listing goes on
    ListedLocation l = listedLocation(line);
    if (l.location < 1 || l.location > target_.capacity) {
        if (unreadable_.empty())
            unreadable_ =
                "the line \"" + line + "\" names no location from 1 to " + std::to_string(target_.capacity);
    } else if (listed_.count(l.location)) {
        if (unreadable_.empty())
            unreadable_ =
                "the line \"" + line + "\" lists location " + std::to_string(l.location) + " a second time";
    } else {
        listed_[l.location] = std::move(l.entry);
    }
    // The first read leaves the pages alone; the read-back refills them.
    return phase_ == Phase::Reading;
}

Task QuickSave::onOk() {
    if (!active()) co_return;
    State& st = ctx_.st;
    switch (phase_) {
        case Phase::Reading:
            co_await startWriting();
            break;
        case Phase::Writing: {
            disarmWatchdog();
            ++st.WriteStep;
            const auto step = static_cast<std::size_t>(st.WriteStep);
            if (step > writes_.size()) {
                ctx_.form.Prubeh.setPosition(int(writes_.size()));
                co_await startCheck();
                break;
            }
            ctx_.form.Prubeh.setPosition(st.WriteStep);
            co_await writeStep(writes_[step - 1]);
            break;
        }
        case Phase::Checking:
            finishCheck();
            break;
        case Phase::Idle:
            break;
    }
}

Task QuickSave::startWriting() {
    State& st = ctx_.st;
    disarmWatchdog();
    if (!unreadable_.empty()) {
        co_await abortSave(unreadable_);
        co_return;
    }
    writes_ = differingLocations(target_, listed_);
    phase_ = Phase::Writing;
    ctx_.note("Quick save: " + std::to_string(writes_.size()) + " of " + std::to_string(target_.capacity) +
              " locations differ");
    ctx_.form.Prubeh.setMax(std::max<int>(1, int(writes_.size())));
    if (writes_.empty()) {
        co_await startCheck();
        co_return;
    }
    st.WriteStep = 1;
    ctx_.form.Prubeh.setPosition(1);
    co_await writeStep(writes_.front());
}

Task QuickSave::startCheck() {
    phase_ = Phase::Checking;
    listed_.clear();
    unreadable_.clear();
    lastWrite_ = "the read-back";
    std::string failure;
    try {
        readBack(target_.capacity);
    } catch (const PortError& e) {
        failure = e.what();
    }
    if (!failure.empty()) {
        co_await abortSave(failure);
        co_return;
    }
    armWatchdog();
}

void QuickSave::finishCheck() {
    const std::vector<SaveStep> wrong = differingLocations(target_, listed_);
    const std::string unreadable = unreadable_;
    const std::vector<SimEntry> unwritten = target_.unwritten;
    const std::size_t written = writes_.size();
    phase_ = Phase::Idle;
    end();
    reportUnwritten(unwritten);
    if (wrong.empty() && unreadable.empty()) {
        succeeded_ = true;
        ctx_.note("Quick save: " + std::to_string(written) +
                  " locations written; the SIM read back holds what was to be written.");
        return;
    }
    std::string text = "Quick save failed: the SIM read back after writing ";
    if (!wrong.empty()) text += "differs from what was to be written at SIM locations " + locationList(wrong);
    if (!wrong.empty() && !unreadable.empty()) text += "; it ";
    if (!unreadable.empty()) text += "cannot be placed location by location: " + unreadable;
    text += ". The pages show what the SIM holds now; Save writes every location again.";
    ctx_.note(text);
    ctx_.showError(text);
}

Task QuickSave::abortSave(std::string why) {
    if (!active()) co_return;
    const Phase phase = phase_;
    phase_ = Phase::Idle;
    if (phase == Phase::Writing) {
        co_await SaveRun::abortSave(std::move(why));
        co_return;
    }
    end();
    std::string text;
    if (phase == Phase::Reading) {
        text = "Quick save stopped while reading the SIM, before anything was written: " + why +
               ". Nothing was written; the pages keep what was to be written.";
    } else {
        text =
            "Quick save: the differing locations were written, but reading the SIM back to check it "
            "failed: " +
            why + ". What the SIM holds is not known; Load reads it again.";
        view_.broken(why);
    }
    ctx_.note(text);
    ctx_.showError(text);
}

void QuickSave::portLost(const std::string& why) {
    if (!active()) return;
    const Phase phase = phase_;
    phase_ = Phase::Idle;
    if (phase == Phase::Writing) {
        SaveRun::portLost(why);
        return;
    }
    end();
    ctx_.note(phase == Phase::Reading
                  ? "Quick save stopped while reading the SIM, before anything was written: " + why +
                        ". Nothing was written; the pages keep what was to be written."
                  : "Quick save: the differing locations were written, but the SIM could not be read back to "
                    "check it: " +
                        why + ". What the SIM holds is not known.");
}

}  // namespace dorive
