#include "params/edit_rules.h"

#include <array>
#include <functional>

#include "form/form.h"

namespace dorive {

namespace {

bool isPhoneChar(char c) {
    return isDigit(c) || c == '+' || c == '*' || c == '#';
}

// Keeps what stands before the leftmost character that is not allowed.
template <class Allowed>
std::string_view cutAtFirstBad(std::string_view text, Allowed allowed) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!allowed(text[i])) return text.substr(0, i);
    return text;
}

const char* const kCodeMessage = "The switching code must be a digit (0-9).";
const char* const kTimeMessage = "The switching time must be two digits from 01 to 99.";

}  // namespace

std::string FilterPhoneNumber(std::string_view text) {
    std::string_view t = trimBlanks(text);
    if (t.size() >= 2) {
        t = cutAtFirstBad(t, isPhoneChar);
        if (t.size() > 20) t = t.substr(0, 20);
    }
    return std::string(t);
}

std::string FilterDigits(std::string_view text) {
    std::string_view t = cutAtFirstBad(trimBlanks(text), isDigit);
    if (t.size() > 15) t = t.substr(0, 15);
    return std::string(t);
}

std::string NormalizeRelayCode(std::string_view text) {
    std::string_view t = trimBlanks(text);
    if (t.empty()) throw BlankFieldError(kCodeMessage);
    std::string padded = "0" + std::string(cutAtFirstBad(t, isDigit));
    return padded.substr(padded.size() - 1);
}

std::string NormalizeRelayTime(std::string_view text) {
    std::string_view t = trimBlanks(text);
    if (t.empty()) throw BlankFieldError(kTimeMessage);
    std::string padded = "00" + std::string(cutAtFirstBad(t, isDigit));
    std::string last = padded.substr(padded.size() - 2);
    return last == "00" ? std::string("01") : last;
}

namespace {

using Rule = std::string (*)(std::string_view);

// The change reaction of a guarded edit; a twin, when given, receives the same text.
void guard(Edit& edit, Rule rule, Edit* twin = nullptr) {
    edit.onChange = [&edit, rule, twin] {
        // A rule that finds nothing to convert throws before anything is set, so the
        // field stays as the user left it.
        edit.setText(rule(edit.text()));
        edit.setCaret(edit.text().size());
        if (twin) twin->setText(edit.text());
    };
}

}  // namespace

void wireEditRules(Form& form) {
    for (std::size_t i = 0; i < form.ADMIN.size(); ++i) {
        guard(form.ADMIN[i], FilterPhoneNumber);
        guard(form.ABUTTON[i], FilterPhoneNumber, &form.AABUTTON[i]);
        guard(form.AABUTTON[i], FilterPhoneNumber, &form.ABUTTON[i]);
        guard(form.BBUTTON[i], FilterPhoneNumber);
    }
    for (RelayControls* r : {&form.Relay1, &form.Relay2}) {
        guard(r->RelCode, NormalizeRelayCode);
        guard(r->RelTime, NormalizeRelayTime);
    }
}

}  // namespace dorive
