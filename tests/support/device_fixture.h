#pragma once
// A core with its port already open, and small helpers to play the unit's side.
#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/core_fixture.h"
#include "support/dump_view.h"

namespace dorive::test {

struct DeviceFixture : CoreFixture {
    void SetUp() override {
        CoreFixture::SetUp();
        core->channel().open();
    }
    // The unit sends one line (CR LF appended).
    void rx(const std::string& line) { feed(line + "\r\n"); }
    // What was sent from index `from` on.
    std::vector<std::string> sentFrom(std::size_t from) const {
        auto all = sent();
        return {all.begin() + long(std::min(from, all.size())), all.end()};
    }
    // The write commands sent from index `from` on.
    std::vector<std::string> writesFrom(std::size_t from) {
        std::vector<std::string> out;
        for (auto& s : sentFrom(from))
            if (s.rfind("AT+CPBW=", 0) == 0) out.push_back(s);
        return out;
    }
    std::size_t sentCount() { return port().sent.size(); }
    const FakePort::Sent& lastSent() { return port().sent.back(); }
    std::string display() const {
        std::string out;
        if (core->form().DeviceRun.visible()) out += "run";
        if (core->form().DeviceStop.visible()) out += "prog";
        if (core->form().DeviceNic.visible()) out += "pending";
        return out;
    }
    Form& form() { return core->form(); }
    State& st() { return core->state(); }
    // Fills every fixed-entry field with a distinct number.
    void fillFixedEntries() {
        for (int i = 0; i < 7; ++i) {
            form().ADMIN[i].setText("60000" + std::to_string(i + 1));
            form().ABUTTON[i].setText("70000" + std::to_string(i + 1));
            form().BBUTTON[i].setText("80000" + std::to_string(i + 1));
        }
        form().ALARMON.setText("alarm on");
        form().ALARMOFF.setText("alarm off");
    }
    // Answers every command with OK until the save ends (or `limit` answers).
    int answerSave(int limit = 1000) {
        int n = 0;
        while (st().WriteActive && n < limit) {
            rx("OK");
            clock.advance(200);
            ++n;
        }
        return n;
    }
    // Every control a save locks is enabled (or, with false, disabled); on failure the
    // message lists each control's state.
    ::testing::AssertionResult lockedControlsEnabled(bool expected) {
        auto controls = lockedByASave(form());
        std::string now = dumpView(controls), want = allEnabled(controls, expected);
        if (now == want) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "controls now:\n" << now << "expected:\n" << want;
    }
};

}  // namespace dorive::test
