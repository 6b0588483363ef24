#include "params/records.h"

#include <initializer_list>

#include "form/form.h"
#include "form/state.h"
#include "text/text.h"

namespace dorive {

namespace {

// Selects the button a choice character names, "0" the first; any other character selects
// nothing and leaves the group as it was.
void selectByDigit(char c, std::initializer_list<RadioButton*> buttons) {
    if (c >= '0' && std::size_t(c - '0') < buttons.size()) buttons.begin()[c - '0']->select();
}

// A character as the monitor shows it: printable ones quoted, others by their code.
std::string shown(char c) {
    auto u = static_cast<unsigned char>(c);
    if (u > 32 && u < 127) return std::string("'") + c + "'";
    return "code " + std::to_string(u);
}

// Reports a record field that could not be used; the field keeps what it had.
void reportUnusable(Form& form, const char* record, int position, char c, const char* problem) {
    form.Monitor.append(std::string(record) + ": position " + std::to_string(position) + " (" + shown(c) +
                        ") " + problem + "; field left unchanged");
}

// The digit at a 1-based position, or -1 after reporting it when it is not a digit.
int digitAt(Form& form, const char* record, const std::string& text, int position) {
    char c = text[position - 1];
    if (isDigit(c)) return c - '0';
    reportUnusable(form, record, position, c, "is not a digit");
    return -1;
}

void applyGeneral(Form& form, State& st) {
    if (st.ParamGeneral.size() != kGeneralLength) st.ParamGeneral = kGeneralFallback;
    const std::string& p = st.ParamGeneral;
    const char* rec = "PARZEP";

    // Track bars clamp positions outside 1..7 themselves.
    if (int d = digitAt(form, rec, p, 1); d >= 0) form.VolMic.setPosition(8 - d);
    if (int d = digitAt(form, rec, p, 3); d >= 0) form.VolSpk.setPosition(8 - d);

    selectByDigit(p[4], {&form.NoCall, &form.SIMCall, &form.AllCall});
    if (p[6] == '1') form.SendSMS.setChecked(true);
    if (p[8] == '1') form.ClockGSM.setChecked(true);

    if (int d = digitAt(form, rec, p, 11); d >= 0) {
        if (d & 1) form.TonBeep.setChecked(true);
        if (d & 2) form.TonRing.setChecked(true);
        if (d & 4) form.TonVoice.setChecked(true);
    }
    selectByDigit(p[12], {&form.PortDis, &form.PortEtons, &form.PortESMS});
    if (int d = digitAt(form, rec, p, 15); d >= 0) form.waiting.setItemIndex(d);
}

void applyRelay(Form& form, std::string& text, const char* fallback, const char* rec, RelayControls& r) {
    if (text.size() != kRelayLength) text = fallback;
    const std::string p = text;  // the reactions below must not see the variable change under them

    // The code and time edits normalise what they are given; only a blank gives them nothing.
    if (isBlank(p[0]))
        reportUnusable(form, rec, 1, p[0], "is blank");
    else
        r.RelCode.setText(p.substr(0, 1));

    // "5" (switch by all ringing) selects no mode here; the ring box below brings it.
    selectByDigit(p[2], {&r.RelSMS, &r.RelSW, &r.RelCam, &r.RelLi, &r.RelBut});

    if (isBlank(p[4]) && isBlank(p[5]))
        form.Monitor.append(std::string(rec) + ": positions 5 and 6 (" + shown(p[4]) + ", " + shown(p[5]) +
                            ") are blank; field left unchanged");
    else
        r.RelTime.setText(p.substr(4, 2));

    if (p[7] == '1') {
        r.RelRing.setChecked(true);
        if (p[2] == '5') r.RelRingAll.setChecked(true);
    }
}

void applyKeypad(Form& form, State& st) {
    if (st.ParamKeypad.size() != kKeypadLength) st.ParamKeypad = kKeypadFallback;
    const std::string& p = st.ParamKeypad;
    if (int d = digitAt(form, "PARKEY", p, 1); d >= 0) form.WaitBUF.setItemIndex(d - 1);
    if (p[2] == '1') form.DirectCall.setChecked(true);
}

int on(const CheckBox& c) {
    return c.checked() ? 1 : 0;
}
int on(const RadioButton& b) {
    return b.checked() ? 1 : 0;
}

std::string buildRelay(const RelayControls& r) {
    int mode = on(r.RelSW) + 2 * on(r.RelCam) + 3 * on(r.RelLi) + 4 * on(r.RelBut) + 4 * on(r.RelRingAll);
    int ring = on(r.RelRing) + on(r.RelRingAll);
    return r.RelCode.text() + "#" + std::to_string(mode) + "#" + r.RelTime.text() + "#" +
           std::to_string(ring);
}

}  // namespace

void ApplyParamRecords(Form& form, State& st) {
    // Settings that only a record can turn on start cleared; the pick-up and relay-mode
    // groups keep their selection.
    for (CheckBox* c : {&form.TonBeep, &form.TonRing, &form.TonVoice, &form.SendSMS, &form.ClockGSM})
        c->setChecked(false);
    for (RadioButton* b : {&form.PortDis, &form.PortEtons, &form.PortESMS}) b->uncheck();
    for (CheckBox* c : {&form.Relay1.RelRing, &form.Relay1.RelRingAll, &form.Relay2.RelRing,
                        &form.Relay2.RelRingAll, &form.DirectCall})
        c->setChecked(false);
    form.WaitBUF.setItemIndex(1);

    applyGeneral(form, st);
    applyRelay(form, st.ParamRelay1, kRelay1Fallback, "PARRL1", form.Relay1);
    applyRelay(form, st.ParamRelay2, kRelay2Fallback, "PARRL2", form.Relay2);
    applyKeypad(form, st);
}

void BuildParamRecords(const Form& form, State& st) {
    const std::string& waitingText = form.waiting.text();
    st.ParamGeneral = std::to_string(8 - form.VolMic.position()) + "#" +
                      std::to_string(8 - form.VolSpk.position()) + "#" +
                      std::to_string(on(form.SIMCall) + 2 * on(form.AllCall)) + "#" +
                      std::to_string(on(form.SendSMS)) + "#" + std::to_string(on(form.ClockGSM)) + "#" +
                      std::to_string(on(form.TonBeep) + 2 * on(form.TonRing) + 4 * on(form.TonVoice)) + "#" +
                      std::to_string(on(form.PortEtons) + 2 * on(form.PortESMS)) + "#" +
                      waitingText.substr(0, waitingText.empty() ? 0 : 1);
    st.ParamRelay1 = buildRelay(form.Relay1);
    st.ParamRelay2 = buildRelay(form.Relay2);
    // A waiting digit the list cannot show (read as "0", say) leaves the list empty: the
    // record then keeps the digit it was read with until the user picks one.
    std::string wait = form.WaitBUF.text();
    if (wait.empty() && st.ParamKeypad.size() == kKeypadLength) wait = st.ParamKeypad.substr(0, 1);
    st.ParamKeypad = wait + "#" + std::to_string(on(form.DirectCall));
}

}  // namespace dorive
