#include "params/interlocks.h"

#include "form/form.h"

namespace dorive {

namespace {

// Checking a ringing option turns off the pick-up of calls, puts the relay into plain switch
// mode and clears the relay's other ringing option.
void wireRingBox(Form& form, RelayControls& relay, CheckBox& box, CheckBox& other) {
    box.onClick = [&form, &relay, &box, &other] {
        if (!box.checked()) return;
        form.NoCall.select();
        relay.RelSW.select();
        other.setChecked(false);
    };
}

// Any mode other than plain switch clears both ringing options of its relay.
void wireModes(RelayControls& relay) {
    for (RadioButton* mode : {&relay.RelSMS, &relay.RelCam, &relay.RelLi, &relay.RelBut}) {
        mode->onClick = [&relay, mode] {
            if (!mode->checked()) return;
            relay.RelRing.setChecked(false);
            relay.RelRingAll.setChecked(false);
        };
    }
}

}  // namespace

void wireInterlocks(Form& form) {
    for (RelayControls* relay : {&form.Relay1, &form.Relay2}) {
        wireRingBox(form, *relay, relay->RelRing, relay->RelRingAll);
        wireRingBox(form, *relay, relay->RelRingAll, relay->RelRing);
        wireModes(*relay);
    }
    // Picking up calls rules out switching by SIM ringing on both relays.
    auto pickUp = [&form] {
        if (form.NoCall.checked()) return;
        form.Relay1.RelRing.setChecked(false);
        form.Relay2.RelRing.setChecked(false);
    };
    form.SIMCall.onClick = pickUp;
    form.AllCall.onClick = pickUp;
}

}  // namespace dorive
