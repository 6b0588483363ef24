#pragma once
// The receive path: bytes from the port become lines, each line is time-stamped into the
// monitor and handed on; the receive indicator blinks while bytes arrive.
#include <functional>
#include <string>

#include "loop/event_loop.h"
#include "serial/context.h"

namespace dorive {

class ReceivePath {
  public:
    explicit ReceivePath(Context& ctx);
    ReceivePath(const ReceivePath&) = delete;
    ReceivePath& operator=(const ReceivePath&) = delete;

    // The port has bytes: one receive activity is posted, and it reads all the port holds.
    void dataAvailable();
    // The data-available event.
    Task ApdComPort1TriggerAvail();
    // Line assembly of received bytes (taken by value: the activity may rest in a pause).
    Task receiveBytes(std::string bytes);
    // The receive indicator's timer.
    Task LedTimerTimer();
    RepeatingTimer& ledTimer() { return LedTimer; }
    void stopTimers() { LedTimer.stop(); }

    // Each complete line (without its CR) is handed here, after the monitor got it.
    std::function<Task(std::string& line)> onLine;
    // While this says an upload waits for the unit's prompt, the prompt (">>>" or "CONNECT"
    // as the whole text since the last CR) is acted on at its last character.
    std::function<bool()> promptAwaited;
    std::function<Task()> onPrompt;

  private:
    Context& ctx_;
    RepeatingTimer LedTimer;  // 2000 ms
    bool posted_ = false;
    std::string line_;     // the completed line handed on; keeps its capacity
    std::string monitor_;  // the monitor entry being composed; keeps its capacity
};

}  // namespace dorive
