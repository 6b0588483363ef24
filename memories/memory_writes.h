#pragma once
// Writes and deletes of memory entries, and what becomes of them: each one sent arms the
// re-read that the unit's next "OK" starts (RefreshAfterWrite), and is remembered until the
// unit answers it. A write the unit refuses ("ERROR", "+CME ERROR") or leaves unanswered is
// reported by name, and the SIM is read again at once so that the trees show what it holds.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "loop/task.h"
#include "serial/context.h"

namespace dorive {

class MemoryTrees;

class MemoryWrites {
  public:
    MemoryWrites(Context& ctx, MemoryTrees& trees);
    ~MemoryWrites();
    MemoryWrites(const MemoryWrites&) = delete;
    MemoryWrites& operator=(const MemoryWrites&) = delete;

    // Sends a write or delete of the entry `what` names ("Memo 12, position 3 (M12-3)") and
    // sets RefreshAfterWrite. Throws PortError when the port cannot be had; nothing is armed then.
    void send(const std::string& command, std::string what, bool deleting);
    // A command sent by someone else whose answer is watched the same way. Without `reread`
    // a failure is only reported; `onFailure` runs then.
    void watch(std::string what, bool deleting, bool reread, std::function<void()> onFailure = {});

    // Reply hooks. `onOk`: the unit answered the oldest command waiting.
    void onOk();
    bool awaitsAnswer() const { return !waiting_.empty(); }
    // An error answer to the oldest command waiting: report it and read the SIM again.
    Task onErrorReply(std::string line);
    // The window closes: nothing waits any longer and no timer runs.
    void close();

    // Reads the SIM afresh now, as the "OK" after a write would.
    Task reread();

    // How long an answer may take before the command counts as unanswered.
    int replyTimeoutMs = 10000;

  private:
    struct Waiting {
        std::string what;
        bool deleting = false;
        bool reread = true;
        std::function<void()> onFailure;
    };
    Task fail(Waiting w, const std::string& why);
    Task report(std::string text, bool reread, std::vector<std::function<void()>> onFailure);
    Task timedOut(std::uint64_t generation);
    void arm();
    void disarm();

    Context& ctx_;
    MemoryTrees& trees_;
    std::deque<Waiting> waiting_;
    Clock::TimerId timer_ = 0;
    std::uint64_t generation_ = 0;
    bool closed_ = false;
};

}  // namespace dorive
