#include "form/form.h"

#include <initializer_list>

namespace dorive {

namespace {
std::string num(const char* base, int n) { return base + std::to_string(n); }
}  // namespace

RelayControls::RelayControls(int n)
    : box(num("Relay", n)),
      RelCode(num("RelCode", n)),
      RelTime(num("RelTime", n)),
      RelSMS(num("RelSMS", n), modes),
      RelSW(num("RelSW", n), modes),
      RelCam(num("RelCam", n), modes),
      RelLi(num("RelLi", n), modes),
      RelBut(num("RelBut", n), modes),
      RelRing(num("RelRing", n)),
      RelRingAll(num("RelRingAll", n)),
      codeLabel(num("Label", 30 + n)),
      timeLabel(num("Label", 32 + n)) {
    box.setCaption(num("Relay ", n));
    RelCode.setText(n == 1 ? "5" : "6");
    RelTime.setText("03");
    RelSMS.setCaption("SMS switch");
    RelSW.setCaption("switch");
    RelCam.setCaption("camera");
    RelLi.setCaption("light");
    RelBut.setCaption("button");
    RelRing.setCaption("switch SIM ringing");
    RelRingAll.setCaption("switch all ringing");
    codeLabel.setCaption("switching code");
    timeLabel.setCaption("switching time");
}

Form::Form() {
    TForm1.setCaption("DORive");
    Buttons.setCaption("Buttons");
    PhoneBook.setCaption("Phone Book");
    seting.setCaption("Setting");
    TabSheet2.setCaption("Monitor");
    service.setCaption("Service");
    ZEPtyp1.setCaption("1 button");
    ZEPtyp2.setCaption("2 buttons");
    ModuleButtons.setCaption("Buttons Module");
    ModuleKeyboard.setCaption("Keyboard Module");
    Calls.setCaption("Calls");
    Relays.setCaption("Relays");
    SMSs.setCaption("SMSs");
    Admin.setCaption("Admin");

    for (Picture* p : {&ZEP1, &ZEP2, &ZEPF1, &ZEPF2, &ZEPL1, &ZEPL2, &ZEPCorvel1, &ZEPCorvel2, &Sipka1, &Sipkaf1,
                       &SipkaGA1, &SipkaGA2, &SipkaGB2})
        p->setVisible(false);

    GroupBox4.setCaption("ZEP");
    RXDled.setVisible(false);
    DeviceStop.setVisible(false);
    DeviceNic.setVisible(false);
    StatusLabel.setCaption("Status");
    RunZEP.setCaption("Run");
    StopZEP.setCaption("Stop");
    SaveZEP.setCaption("Save");
    LoadZEP.setCaption("Load");
    Battery.setCaption("Battery");
    GroupBox5.setCaption("PC");
    Load.setCaption("Load");
    Save.setCaption("Save");
    Smeter.setColor({255, 0, 0});
    signal.setCaption("signal");
    Prubeh.setVisible(false);
    SaveMonitor.setCaption("Save Log");
    Inicializace.setCaption("Inicializace");
    IMEI.setCaption("IMEI");

    Label35.setCaption("Phone number for SMSs with opening numbers ");
    GroupBox1.setCaption("Volume Spk");
    GroupBox2.setCaption("Volume Mic");
    GroupBox3.setCaption("Incomming Call Pick Up");
    NoCall.setCaption("No - ringing switch");
    SIMCall.setCaption("only from SIM");
    AllCall.setCaption("All");
    InfoTones.setCaption("Info Tones");
    TonBeep.setCaption("Beeps");
    TonRing.setCaption("Ring Tones");
    TonVoice.setCaption("Voice Messages");
    WaitingCall.setCaption("Waiting Call");
    waiting.setItemIndex(2);
    secLabel.setCaption("sec.");
    SendSMS.setCaption("SMSs with opening numbers");
    ClockGSM.setCaption("Clock from GSM");
    Label22.setCaption("SMS ALARM ON");
    Label23.setCaption("SMS ALARM OFF");
    Port.setCaption("Port");
    PortDis.setCaption("disable");
    PortEtons.setCaption("enable tons");
    PortESMS.setCaption("enable SMSs");
    KeyBoardParams.setCaption("Keyboard parameters");
    Label63.setCaption("Waiting to number");
    WaitBUF.setText("2");
    DirectCall.setCaption("Direct Call Number");
    DetBut.setCaption("Buttons Detect");

    all_ = {&TForm1, &Buttons, &PhoneBook, &seting, &TabSheet2, &service, &PageControl1, &ZEPtyp1, &ZEPtyp2,
            &ModuleButtons, &ModuleKeyboard, &ZEPtyp, &Calls, &Relays, &SMSs, &Admin, &SetingPages, &ZEP1,
            &ZEP2, &ZEPF1, &ZEPF2, &ZEPL1, &ZEPL2, &ZEPCorvel1, &ZEPCorvel2, &Sipka1, &Sipkaf1, &SipkaGA1,
            &SipkaGA2, &SipkaGB2, &GroupBox4, &RXDled, &DeviceRun, &DeviceStop, &DeviceNic, &StatusLabel,
            &RunZEP, &StopZEP, &SaveZEP, &LoadZEP, &Battery, &Voltage, &BVoltage, &GroupBox5, &Load, &Save,
            &Smeter, &signal, &Prubeh, &StatusBar1, &Monitor, &SaveMonitor, &Inicializace, &IMEI, &Label35,
            &GroupBox1, &GroupBox2, &GroupBox3, &VolSpk, &VolMic, &NoCall, &SIMCall, &AllCall, &InfoTones,
            &TonBeep, &TonRing, &TonVoice, &WaitingCall, &waiting, &secLabel, &SendSMS, &ClockGSM, &ALARMON,
            &ALARMOFF, &Label22, &Label23, &Port, &PortDis, &PortEtons, &PortESMS, &KeyBoardParams, &Label63,
            &WaitBUF, &DirectCall, &TreeButtons, &TreeButtonsSel, &TreeMemo, &TreeMemoSel, &TreeCode, &DetBut,
            &PhoneBook1};
    for (auto* arr : {&ABUTTON, &AABUTTON, &BBUTTON, &ADMIN})
        for (Edit& e : *arr) all_.push_back(&e);
    // Service page.
    LoadList.setCaption("Load List");
    ClrList.setCaption("Clear List");
    Upgrade.setCaption("Upgrade");
    UploadCancel.setCaption("Cancel");
    UploadCancel.setEnabled(false);
    for (Control* c : std::initializer_list<Control*>{&List, &LoadList, &ClrList, &Upgrade, &UploadCancel,
                                                      &UploadStatus}) {
        c->setParent(&service);
        all_.push_back(c);
    }
    for (RelayControls* r : {&Relay1, &Relay2})
        for (Control* c : std::initializer_list<Control*>{&r->box, &r->RelCode, &r->RelTime, &r->RelSMS, &r->RelSW,
                                                          &r->RelCam, &r->RelLi, &r->RelBut, &r->RelRing,
                                                          &r->RelRingAll, &r->codeLabel, &r->timeLabel})
            all_.push_back(c);
}

Control* Form::find(const std::string& name) const {
    for (Control* c : all_)
        if (c->name() == name) return c;
    return nullptr;
}

Edit* Form::fixedEdit(const std::string& entryName) {
    for (auto* arr : {&ADMIN, &ABUTTON, &BBUTTON})
        for (Edit& e : *arr)
            if (e.name() == entryName) return &e;
    if (entryName == "ALARMON") return &ALARMON;
    if (entryName == "ALARMOFF") return &ALARMOFF;
    return nullptr;
}

}  // namespace dorive
