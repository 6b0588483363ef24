#include "memories/memory_writes.h"

#include "memories/memory_trees.h"

namespace dorive {

namespace {
std::string seconds(int ms) {
    const int s = (ms + 999) / 1000;
    return std::to_string(s) + (s == 1 ? " second" : " seconds");
}
std::string lowerFirst(std::string text) {
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = char(text[0] - 'A' + 'a');
    return text;
}
}  // namespace

MemoryWrites::MemoryWrites(Context& ctx, MemoryTrees& trees) : ctx_(ctx), trees_(trees) {}

MemoryWrites::~MemoryWrites() {
    disarm();
}

void MemoryWrites::send(const std::string& command, std::string what, bool deleting) {
    ctx_.send(command);
    ctx_.st.RefreshAfterWrite = true;
    watch(std::move(what), deleting, true);
}

void MemoryWrites::watch(std::string what, bool deleting, bool reread, std::function<void()> onFailure) {
    if (closed_) return;
    waiting_.push_back(Waiting{std::move(what), deleting, reread, std::move(onFailure)});
    if (waiting_.size() == 1) arm();
}

void MemoryWrites::onOk() {
    if (waiting_.empty()) return;
    waiting_.pop_front();
    disarm();
    if (!waiting_.empty()) arm();
}

Task MemoryWrites::onErrorReply(std::string line) {
    if (waiting_.empty()) co_return;
    Waiting w = std::move(waiting_.front());
    waiting_.pop_front();
    disarm();
    if (!waiting_.empty()) arm();
    co_await fail(std::move(w), "the unit answered " + line);
}

void MemoryWrites::close() {
    closed_ = true;
    waiting_.clear();
    disarm();
}

Task MemoryWrites::reread() {
    ctx_.st.RefreshAfterWrite = false;
    ctx_.form.Prubeh.setPosition(0);
    if (!ctx_.st.WriteActive) ctx_.form.SaveZEP.setEnabled(true);
    trees_.clearReadView();
    co_await ctx_.pause(200);
    if (closed_) co_return;
    ctx_.send("AT#SPN\r\n");
}

Task MemoryWrites::fail(Waiting w, const std::string& why) {
    std::string text = w.what + (w.deleting ? " was not deleted: " : " was not stored: ") + why + ".";
    std::vector<std::function<void()>> onFailure;
    onFailure.push_back(std::move(w.onFailure));
    co_await report(std::move(text), w.reread, std::move(onFailure));
}

Task MemoryWrites::report(std::string text, bool reread, std::vector<std::function<void()>> onFailure) {
    if (reread) text += " The SIM is read again to show what it holds.";
    ctx_.note(text);
    for (auto& f : onFailure)
        if (f) f();
    ctx_.showError(text);
    // A save owns the unit's answers while it runs; its end reads the SIM anyway.
    if (reread && !ctx_.st.WriteActive && !closed_) co_await this->reread();
}

void MemoryWrites::arm() {
    disarm();
    const std::uint64_t generation = generation_;
    timer_ = ctx_.clock.startTimer(replyTimeoutMs, [this, generation] {
        timer_ = 0;
        ctx_.post([this, generation] { return timedOut(generation); });
    });
}

void MemoryWrites::disarm() {
    if (timer_) ctx_.clock.cancelTimer(timer_);
    timer_ = 0;
    // A firing already posted but not yet run sees the new generation and does nothing.
    ++generation_;
}

Task MemoryWrites::timedOut(std::uint64_t generation) {
    if (closed_ || generation != generation_ || waiting_.empty()) co_return;
    // Nothing came back: none of the commands waiting can be counted on.
    std::string names;
    bool reread = false;
    std::vector<std::function<void()>> onFailure;
    for (std::size_t i = 0; i < waiting_.size(); ++i) {
        Waiting& w = waiting_[i];
        if (i > 0) names += i + 1 == waiting_.size() ? " and " : ", ";
        names += i == 0 ? w.what : lowerFirst(w.what);
        reread = reread || w.reread;
        onFailure.push_back(std::move(w.onFailure));
    }
    waiting_.clear();
    disarm();
    co_await report(
        names + " may not be stored: the unit did not answer within " + seconds(replyTimeoutMs) + ".", reread,
        std::move(onFailure));
}

}  // namespace dorive
