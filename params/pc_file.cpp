#include "params/pc_file.h"

#include "form/form.h"
#include "form/state.h"
#include "params/fixed_entries.h"
#include "params/records.h"
#include "ports/files.h"
#include "serial/context.h"

namespace dorive {

namespace {

using Row = PhoneBookList::Row;

// A parameter file is a few kilobytes; anything far larger is some other file.
constexpr std::size_t kMaxPcFileBytes = 1024 * 1024;

bool sameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Removes the first row whose name is one of the keys and gives its value.
std::optional<std::string> takeFirst(std::vector<Row>& rows, std::initializer_list<std::string_view> keys) {
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        for (std::string_view key : keys) {
            if (sameKey(it->name, key)) {
                std::string value = std::move(it->number);
                rows.erase(it);
                return value;
            }
        }
    }
    return std::nullopt;
}

// Why records composed from the pages would not come back from the file as they are.
std::string recordRefusal(const State& built) {
    if (built.ParamRelay1.size() != 8 || built.ParamRelay2.size() != 8) {
        const int relay = built.ParamRelay1.size() != 8 ? 1 : 2;
        return "Relay " + std::to_string(relay) +
               ": the switching code must be one digit and the switching time two digits.";
    }
    if (built.ParamKeypad.size() != 3) return "Keypad: \"Waiting to number\" must be one digit from 1 to 9.";
    if (built.ParamGeneral.size() != 15)
        return "The call settings are incomplete: choose the waiting-call time.";
    return {};
}

}  // namespace

std::string formatPcFile(const Form& form, const State& state) {
    std::string out;
    std::vector<SimEntry> fixed = fixedWriteEntries(form, state);
    // Steps 1 to 23 are the edits; the records follow under the names this file has always used.
    for (std::size_t i = 0; i < 23 && i < fixed.size(); ++i)
        out += fixed[i].name + "=" + fixed[i].number + "\r\n";
    out += "PARAMZEP=" + state.ParamGeneral + "\r\n";
    out += "PARAMRL1=" + state.ParamRelay1 + "\r\n";
    out += "PARAMRL2=" + state.ParamRelay2 + "\r\n";
    out += "PARAMKEY=" + state.ParamKeypad + "\r\n";
    for (const Row& r : form.PhoneBook1.rows()) out += r.name + "=" + r.number + "\r\n";
    return out;
}

std::vector<Row> parsePcFile(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::vector<Row> rows;
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", i);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(i, end - i);
        i = end;
        if (i < bytes.size() && bytes[i] == '\r') ++i;
        if (i < bytes.size() && bytes[i] == '\n') ++i;
        if (line.empty()) continue;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            rows.push_back({std::string(line), {}});
        else
            rows.push_back({std::string(line.substr(0, eq)), std::string(line.substr(eq + 1))});
    }
    return rows;
}

std::optional<std::string> pcFileProblem(std::string_view bytes) {
    if (bytes.size() > kMaxPcFileBytes)
        return "it is too large for a parameter file (" + std::to_string(bytes.size() / 1024) + " KB)";
    if (bytes.find('\0') != std::string_view::npos)
        return "it is not a parameter file (it holds binary data)";
    return std::nullopt;
}

void applyPcRows(Form& form, State& state, std::vector<Row> rows) {
    for (auto* edits : {&form.ADMIN, &form.ABUTTON, &form.BBUTTON})
        for (Edit& e : *edits)
            if (auto value = takeFirst(rows, {e.name()})) e.setText(*value);
    for (Edit* e : {&form.ALARMON, &form.ALARMOFF})
        if (auto value = takeFirst(rows, {e->name()})) e->setText(*value);

    struct Record {
        std::string_view key, longKey;
        std::string State::*text;
    };
    static constexpr Record kRecords[] = {{"PARZEP", "PARAMZEP", &State::ParamGeneral},
                                          {"PARRL1", "PARAMRL1", &State::ParamRelay1},
                                          {"PARRL2", "PARAMRL2", &State::ParamRelay2},
                                          {"PARKEY", "PARAMKEY", &State::ParamKeypad}};
    for (const Record& r : kRecords) {
        if (auto value = takeFirst(rows, {r.key, r.longKey})) {
            state.*r.text = *value;
            ApplyParamRecords(form, state);
        }
    }
    form.PhoneBook1.setRows(std::move(rows));
}

PcFile::PcFile(Context& ctx) : ctx_(ctx) {
    ctx_.onClick(ctx_.form.Save, [this] { return SaveClick(); });
    ctx_.onClick(ctx_.form.Load, [this] { return LoadClick(); });
}

Task PcFile::SaveClick() {
    std::optional<std::string> path = ctx_.dialogs.saveFileName(kPcFileFilter);
    if (!path) co_return;
    // The records are composed from the pages, as for a save to the unit, so the file
    // holds what the pages show.
    State built = ctx_.st;
    BuildParamRecords(ctx_.form, built);
    if (std::string refusal = recordRefusal(built); !refusal.empty()) {
        ctx_.showError(refusal + " Nothing was saved.");
        co_return;
    }
    ctx_.st.ParamGeneral = built.ParamGeneral;
    ctx_.st.ParamRelay1 = built.ParamRelay1;
    ctx_.st.ParamRelay2 = built.ParamRelay2;
    ctx_.st.ParamKeypad = built.ParamKeypad;
    try {
        ctx_.files.write(*path, formatPcFile(ctx_.form, ctx_.st));
    } catch (const FileError& e) {
        ctx_.showError(std::string(e.what()) +
                       " Nothing was saved; an earlier file of that name is unchanged.");
    }
}

Task PcFile::LoadClick() {
    ctx_.form.PhoneBook1.setCurrent(1);
    std::optional<std::string> path = ctx_.dialogs.openFileName(kPcFileFilter);
    if (!path) co_return;
    std::string bytes;
    try {
        bytes = ctx_.files.read(*path);
    } catch (const FileError& e) {
        ctx_.showError(std::string(e.what()) + " Nothing was loaded.");
        co_return;
    }
    if (auto problem = pcFileProblem(bytes)) {
        ctx_.showError("Cannot load \"" + *path + "\": " + *problem + ". Nothing was loaded.");
        co_return;
    }
    applyPcRows(ctx_.form, ctx_.st, parsePcFile(bytes));
}

}  // namespace dorive
