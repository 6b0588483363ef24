#include "params/fixed_entries.h"

#include <array>

#include "form/form.h"
#include "form/state.h"
#include "params/records.h"

namespace dorive {

namespace {

std::vector<FixedEntry> makeTable() {
    // The names must outlive the table: keep them in static storage.
    static const std::array<std::string, 21> numbered = [] {
        std::array<std::string, 21> out;
        const char* bases[] = {"ADMIN", "ABUTTON", "BBUTTON"};
        for (int b = 0; b < 3; ++b)
            for (int i = 0; i < 7; ++i) out[std::size_t(b * 7 + i)] = bases[b] + std::to_string(i + 1);
        return out;
    }();
    using K = FixedEntry::Kind;
    std::vector<FixedEntry> t;
    for (const std::string& n : numbered) t.push_back({n, K::Field});
    for (std::string_view n : {"ALARMON", "ALARMOFF"}) t.push_back({n, K::Field});
    for (std::string_view n : {"PARZEP", "PARRL1", "PARRL2", "PARKEY"}) t.push_back({n, K::Record});
    t.push_back({"VER", K::Version});
    return t;
}

const FixedEntry* findEntry(std::string_view name) {
    for (const FixedEntry& e : fixedEntries())
        if (e.name == name) return &e;
    return nullptr;
}

}  // namespace

const std::vector<FixedEntry>& fixedEntries() {
    static const std::vector<FixedEntry> table = makeTable();
    return table;
}

bool isFixedEntryName(std::string_view name) {
    return findEntry(name) != nullptr;
}

Edit* fixedEntryEdit(Form& form, std::string_view name) {
    return const_cast<Edit*>(fixedEntryEdit(static_cast<const Form&>(form), name));
}

const Edit* fixedEntryEdit(const Form& form, std::string_view name) {
    for (const auto* edits : {&form.ADMIN, &form.ABUTTON, &form.BBUTTON})
        for (const Edit& e : *edits)
            if (e.name() == name) return &e;
    if (name == "ALARMON") return &form.ALARMON;
    if (name == "ALARMOFF") return &form.ALARMOFF;
    return nullptr;
}

std::string* fixedEntryRecord(State& st, std::string_view name) {
    return const_cast<std::string*>(fixedEntryRecord(static_cast<const State&>(st), name));
}

const std::string* fixedEntryRecord(const State& st, std::string_view name) {
    if (name == "PARZEP") return &st.ParamGeneral;
    if (name == "PARRL1") return &st.ParamRelay1;
    if (name == "PARRL2") return &st.ParamRelay2;
    if (name == "PARKEY") return &st.ParamKeypad;
    return nullptr;
}

bool applyFixedEntry(Form& form, State& state, const std::string& name, const std::string& number) {
    const FixedEntry* entry = findEntry(name);
    if (!entry) return false;
    switch (entry->kind) {
        case FixedEntry::Kind::Version:
            // Units whose version carries "#" have no tone settings; the boxes keep their state.
            if (number.find('#') != std::string::npos)
                for (CheckBox* c : {&form.TonBeep, &form.TonRing, &form.TonVoice}) c->setEnabled(false);
            break;
        case FixedEntry::Kind::Record:
            *fixedEntryRecord(state, name) = number;
            ApplyParamRecords(form, state);
            break;
        case FixedEntry::Kind::Field:
            // Setting the text runs the edit's rule and, for button A, the mirroring.
            if (Edit* edit = fixedEntryEdit(form, name)) edit->setText(number);
            break;
    }
    return true;
}

std::vector<SimEntry> fixedWriteEntries(const Form& form, const State& state) {
    std::vector<SimEntry> out;
    for (const FixedEntry& e : fixedEntries()) {
        std::string name(e.name);
        if (e.kind == FixedEntry::Kind::Field)
            out.push_back({name, fixedEntryEdit(form, e.name)->text()});
        else if (e.kind == FixedEntry::Kind::Record)
            out.push_back({name, *fixedEntryRecord(state, e.name)});
    }
    return out;
}

}  // namespace dorive
