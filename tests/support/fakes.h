#pragma once
// Test doubles behind the ports: a virtual clock, a port that records what is sent and
// takes received bytes from the test, and dialogs answered from a script.
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ports/clock.h"
#include "ports/dialogs.h"
#include "ports/files.h"
#include "ports/serial_port.h"

namespace dorive::test {

class VirtualClock : public Clock {
  public:
    std::int64_t nowMs() const override { return now_; }
    TimerId startTimer(int ms, std::function<void()> fn) override {
        TimerId id = ++next_;
        timers_.emplace(std::make_pair(now_ + ms, id), std::move(fn));
        return id;
    }
    void cancelTimer(TimerId id) override {
        for (auto it = timers_.begin(); it != timers_.end(); ++it)
            if (it->first.second == id) {
                timers_.erase(it);
                return;
            }
    }
    std::string timeOfDay() const override {
        std::int64_t s = (base_ + now_) / 1000;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", int(s / 3600 % 24), int(s / 60 % 60), int(s % 60));
        return buf;
    }
    // Moves virtual time forward, firing every timer that falls due, in time order.
    void advance(std::int64_t ms) {
        std::int64_t end = now_ + ms;
        while (!timers_.empty() && timers_.begin()->first.first <= end) {
            auto it = timers_.begin();
            now_ = it->first.first;
            auto fn = std::move(it->second);
            timers_.erase(it);
            fn();
        }
        now_ = end;
    }
    // Fires timers until none is left or the limit is reached.
    void runUntilIdle(std::int64_t limitMs = 3600 * 1000) {
        std::int64_t end = now_ + limitMs;
        while (!timers_.empty() && timers_.begin()->first.first <= end)
            advance(timers_.begin()->first.first - now_);
    }
    std::size_t pendingTimers() const { return timers_.size(); }
    std::int64_t base_ = (14 * 3600 + 3 * 60) * 1000LL;  // 14:03:00 at virtual time 0

  private:
    std::int64_t now_ = 0;
    TimerId next_ = 0;
    std::map<std::pair<std::int64_t, TimerId>, std::function<void()>> timers_;
};

class FakePort : public SerialPort {
  public:
    explicit FakePort(const Clock& clock) : clock_(clock) {}
    struct Sent {
        std::int64_t atMs;
        std::string bytes;
    };
    void write(std::string_view bytes) override { sent.push_back({clock_.nowMs(), std::string(bytes)}); }
    std::size_t bytesAvailable() const override { return input.size(); }
    std::string read(std::size_t max) override {
        std::string out = input.substr(0, max);
        input.erase(0, out.size());
        return out;
    }
    bool setDtr(bool on) override {
        dtr = on;
        return dtrWorks;
    }
    bool dtrWorks = true;
    std::size_t outputFree() const override { return kOutputBufferSize; }
    void close() override { closed = true; }
    // The device fails while the port's own code runs: whatever the handler does, the port
    // must still exist when it returns.
    void fail(const std::string& why) {
        if (onFailure) onFailure(why);
        failures += 1;
    }
    int failures = 0;

    // Bytes arrive from the unit.
    void feed(std::string_view bytes) {
        input.append(bytes);
        if (onReadyRead) onReadyRead();
    }
    std::vector<std::string> sentTexts() const {
        std::vector<std::string> out;
        for (auto& s : sent) out.push_back(s.bytes);
        return out;
    }

    std::vector<Sent> sent;
    std::string input;
    bool dtr = false;
    bool closed = false;

  private:
    const Clock& clock_;
};

class FakeProvider : public PortProvider {
  public:
    explicit FakeProvider(const Clock& clock) : clock_(clock) {}
    std::vector<PortInfo> ports() override { return {{"ttyUSB0", "USB serial"}, {kSimulatedPortName, ""}}; }
    std::unique_ptr<SerialPort> open(const std::string& name) override {
        if (!openError.empty()) throw PortError(openError);
        auto p = std::make_unique<FakePort>(clock_);
        port = p.get();
        openedNames.push_back(name);
        return p;
    }
    FakePort* port = nullptr;  // the last port opened
    std::vector<std::string> openedNames;
    std::string openError;

  private:
    const Clock& clock_;
};

class ScriptedDialogs : public Dialogs {
  public:
    std::optional<std::string> choosePort(const std::vector<PortInfo>&,
                                          const std::string& preselect) override {
        ++portPrompts;
        lastPreselect = preselect;
        if (portAnswers.empty()) return std::string("ttyUSB0");
        auto a = portAnswers.front();
        portAnswers.pop_front();
        return a;
    }
    void errorBox(const std::string& text) override { errors.push_back(text); }
    bool confirm(const std::string& question) override {
        questions.push_back(question);
        if (confirmAnswers.empty()) return true;
        bool a = confirmAnswers.front();
        confirmAnswers.pop_front();
        return a;
    }
    std::optional<std::string> openFileName(const std::string&) override { return next(openAnswers); }
    std::optional<std::string> saveFileName(const std::string&) override { return next(saveAnswers); }
    bool confirmImport(const ImportReport& report) override {
        reports.push_back(report);
        return importAnswer;
    }

    std::deque<std::optional<std::string>> portAnswers;  // empty: always "ttyUSB0"
    std::deque<std::optional<std::string>> openAnswers, saveAnswers;
    std::vector<std::string> errors;
    std::vector<std::string> questions;
    std::deque<bool> confirmAnswers;  // empty: yes
    int portPrompts = 0;
    std::string lastPreselect;
    std::vector<ImportReport> reports;  // import reports shown
    bool importAnswer = true;           // apply the rows taken

  private:
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& q) {
        if (q.empty()) return std::nullopt;
        auto a = q.front();
        q.pop_front();
        return a;
    }
};

// Files kept in memory. A path in `failWrites` cannot be written (as on a full disk or in
// a folder without write access): the write throws and the earlier file stays.
class FakeFiles : public Files {
  public:
    std::string read(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end())
            throw FileError("Cannot open file \"" + path + "\". No such file or directory");
        return it->second;
    }
    void write(const std::string& path, std::string_view bytes) override {
        if (failWrites.count(path))
            throw FileError("Cannot create file \"" + path + "\". No space left on device");
        files[path] = std::string(bytes);
    }
    bool exists(const std::string& path) override { return files.count(path) > 0; }

    std::map<std::string, std::string> files;
    std::set<std::string> failWrites;
};

}  // namespace dorive::test
