// Line assembly of the bytes the unit sends, the monitor, and the receive indicator.
#include <cstring>
#include <exception>

#include "app/dorive.h"

namespace dorive {

Task Dorive::ApdComPort1TriggerAvail() {
    rxPosted_ = false;
    std::size_t n = com.bytesAvailable();
    if (n == 0) co_return;
    std::string bytes = com.read(n);
    co_await receiveBytes(bytes);
}

const std::string& Dorive::timeStamp() {
    std::int64_t second = clock_.nowMs() / 1000;
    if (second != lastTimeSecond_ || lastTimeText_.empty()) {
        lastTimeText_ = clock_.timeOfDay();
        lastTimeSecond_ = second;
    }
    return lastTimeText_;
}

Task Dorive::receiveBytes(std::string_view bytes) {
    form.RXDled.setVisible(!form.RXDled.visible());
    LedTimer.start();

    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        // Text bytes up to the next control byte go straight into the line.
        const char* q = p;
        while (q < end && static_cast<unsigned char>(*q) >= 32) ++q;
        if (q > p) {
            if (!st.UploadActive) {
                st.RxLine.append(p, q);
                p = q;
                continue;
            }
            // While an upload waits, its prompt counts the moment it is complete, before any CR.
            st.RxLine.push_back(*p++);
            if (st.RxLine == ">>>" || st.RxLine == "CONNECT") co_await upload_.onPrompt();
            continue;
        }
        unsigned char c = static_cast<unsigned char>(*p++);
        if (c != 13) continue;  // every other control byte is dropped

        // The line is handed over in a buffer of its own that keeps its capacity, as RxLine
        // does, so a long listing costs no allocation per line for the line itself.
        std::string& line = dispatchLine_;
        line.assign(st.RxLine);
        st.RxLine.clear();
        if (line.find("#SMSATWL") == std::string::npos) {
            std::string& entry = monitorLine_;
            entry.clear();
            entry += '[';
            entry += timeStamp();
            entry += "]   ";
            entry += line;
            note(entry);
        }
        try {
            co_await dispatchReply(line);
        } catch (const std::exception& e) {
            // A reply that cannot be understood is dropped; the next bytes are still handled.
            showError(e.what());
        }
    }
}

Task Dorive::LedTimerTimer() {
    form.RXDled.setVisible(false);
    LedTimer.stop();
    co_return;
}

}  // namespace dorive
