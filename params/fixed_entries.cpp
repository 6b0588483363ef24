#include "params/fixed_entries.h"

#include <array>

#include "form/form.h"
#include "form/state.h"
#include "params/records.h"

namespace dorive {

namespace {

// "ADMIN" followed by one digit 1 to 7, and the like.
bool isNumbered(std::string_view name, std::string_view base) {
    return name.size() == base.size() + 1 && name.substr(0, base.size()) == base && name.back() >= '1' &&
           name.back() <= '7';
}

// The record variable a record entry's number replaces, or nullptr.
std::string* recordText(State& st, std::string_view name) {
    if (name == "PARZEP") return &st.ParamGeneral;
    if (name == "PARRL1") return &st.ParamRelay1;
    if (name == "PARRL2") return &st.ParamRelay2;
    if (name == "PARKEY") return &st.ParamKeypad;
    return nullptr;
}

}  // namespace

bool isFixedEntryName(std::string_view name) {
    return isNumbered(name, "ADMIN") || isNumbered(name, "ABUTTON") || isNumbered(name, "BBUTTON") ||
           name == "ALARMON" || name == "ALARMOFF" || name == "VER" || name == "PARZEP" || name == "PARRL1" ||
           name == "PARRL2" || name == "PARKEY";
}

bool applyFixedEntry(Form& form, State& state, const std::string& name, const std::string& number) {
    if (!isFixedEntryName(name)) return false;
    if (name == "VER") {
        // Units whose version carries "#" have no tone settings; the boxes keep their state.
        if (number.find('#') != std::string::npos)
            for (CheckBox* c : {&form.TonBeep, &form.TonRing, &form.TonVoice}) c->setEnabled(false);
        return true;
    }
    if (std::string* record = recordText(state, name)) {
        *record = number;
        ApplyParamRecords(form, state);
        return true;
    }
    // Setting the text runs the edit's rule and, for button A, the mirroring.
    form.fixedEdit(name)->setText(number);
    return true;
}

std::vector<SimEntry> fixedWriteEntries(const Form& form, const State& state) {
    std::vector<SimEntry> out;
    out.reserve(27);
    for (const auto* edits : {&form.ADMIN, &form.ABUTTON, &form.BBUTTON})
        for (const Edit& e : *edits) out.push_back({e.name(), e.text()});
    out.push_back({"ALARMON", form.ALARMON.text()});
    out.push_back({"ALARMOFF", form.ALARMOFF.text()});
    out.push_back({"PARZEP", state.ParamGeneral});
    out.push_back({"PARRL1", state.ParamRelay1});
    out.push_back({"PARRL2", state.ParamRelay2});
    out.push_back({"PARKEY", state.ParamKeypad});
    return out;
}

}  // namespace dorive
