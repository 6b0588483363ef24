#pragma once
// Renders controls as lines of text, so that one comparison shows which control is wrong.
#include <string>
#include <vector>

#include "form/form.h"

namespace dorive::test {

// One line per control: its name, then "enabled"/"disabled", then "hidden" when it is.
inline std::string dumpView(const std::vector<const Control*>& controls) {
    std::string out;
    for (const Control* c : controls) {
        out += c->name();
        out += c->enabled() ? " enabled" : " disabled";
        if (!c->visible()) out += " hidden";
        out += '\n';
    }
    return out;
}

// The controls a save locks.
inline std::vector<const Control*> lockedByASave(const Form& f) {
    return {&f.SaveZEP, &f.LoadZEP,   &f.RunZEP, &f.StopZEP, &f.Save,           &f.Load,         &f.signal,
            &f.Buttons, &f.PhoneBook, &f.seting, &f.service, &f.KeyBoardParams, &f.Inicializace, &f.IMEI};
}

// What dumpView shows for the controls when all of them are enabled or all disabled.
inline std::string allEnabled(const std::vector<const Control*>& controls, bool enabled) {
    std::string out;
    for (const Control* c : controls) {
        out += c->name();
        out += enabled ? " enabled" : " disabled";
        if (!c->visible()) out += " hidden";
        out += '\n';
    }
    return out;
}

}  // namespace dorive::test
