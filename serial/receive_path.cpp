#include "serial/receive_path.h"

#include <exception>

namespace dorive {

ReceivePath::ReceivePath(Context& ctx)
    : ctx_(ctx), LedTimer(ctx.loop, 2000, [this] { return LedTimerTimer(); }) {}

void ReceivePath::dataAvailable() {
    if (posted_) return;
    posted_ = true;
    ctx_.post([this] { return ApdComPort1TriggerAvail(); });
}

Task ReceivePath::ApdComPort1TriggerAvail() {
    posted_ = false;
    std::size_t n = ctx_.com.bytesAvailable();
    if (n == 0) co_return;
    co_await receiveBytes(ctx_.com.read(n));
}

Task ReceivePath::receiveBytes(std::string bytes) {
    Form& form = ctx_.form;
    State& st = ctx_.st;
    form.RXDled.setVisible(!form.RXDled.visible());
    LedTimer.start();

    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        // Text bytes up to the next control byte go straight into the line.
        const char* q = p;
        while (q < end && static_cast<unsigned char>(*q) >= 32) ++q;
        if (q > p) {
            if (!(promptAwaited && promptAwaited())) {
                st.RxLine.append(p, q);
                p = q;
                continue;
            }
            // While an upload waits, its prompt counts the moment it is complete, before any CR.
            st.RxLine.push_back(*p++);
            if ((st.RxLine == ">>>" || st.RxLine == "CONNECT") && onPrompt) co_await onPrompt();
            continue;
        }
        unsigned char c = static_cast<unsigned char>(*p++);
        if (c != 13) continue;  // every other control byte is dropped

        // The line is handed over in a buffer of its own that keeps its capacity, as RxLine
        // does, so a long listing costs no allocation per line for the line itself.
        line_.assign(st.RxLine);
        st.RxLine.clear();
        if (line_.find("#SMSATWL") == std::string::npos) {
            monitor_.clear();
            monitor_ += '[';
            monitor_ += ctx_.clock.timeOfDay();
            monitor_ += "]   ";
            monitor_ += line_;
            ctx_.note(monitor_);
        }
        if (!onLine) continue;
        try {
            co_await onLine(line_);
        } catch (const std::exception& e) {
            // A reply that cannot be understood is dropped; the next bytes are still handled.
            ctx_.showError(e.what());
        }
    }
}

Task ReceivePath::LedTimerTimer() {
    ctx_.form.RXDled.setVisible(false);
    LedTimer.stop();
    co_return;
}

}  // namespace dorive
