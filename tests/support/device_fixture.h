#pragma once
// A core with its port already open, and small helpers to play the unit's side.
#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/core_fixture.h"

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
    bool lockedControlsEnabled(bool expected) {
        for (Control* c : std::initializer_list<Control*>{
                 &form().SaveZEP, &form().LoadZEP, &form().RunZEP, &form().StopZEP, &form().Save,
                 &form().Load, &form().signal, &form().Buttons, &form().PhoneBook, &form().seting,
                 &form().service, &form().KeyBoardParams})
            if (c->enabled() != expected) return false;
        return true;
    }
};

}  // namespace dorive::test
