#include "form/form.h"

#include <initializer_list>

namespace dorive {

namespace {
std::string num(const char* base, int n) {
    return base + std::to_string(n);
}
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

    for (Picture* p : {&ZEP1, &ZEP2, &ZEPF1, &ZEPF2, &ZEPL1, &ZEPL2, &ZEPCorvel1, &ZEPCorvel2, &Sipka1,
                       &Sipkaf1, &SipkaGA1, &SipkaGA2, &SipkaGB2})
        p->setVisible(false);

    GroupBox4.setCaption("ZEP");
    RXDled.setVisible(false);
    DeviceStop.setVisible(false);
    DeviceNic.setVisible(false);
    StatusLabel.setCaption("Status");
    RunZEP.setCaption("Run");
    StopZEP.setCaption("Stop");
    SaveZEP.setCaption("Save");
    QuickSaveZEP.setCaption("Quick Save");
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

    all_ = {&TForm1,       &Buttons,        &PhoneBook,      &seting,        &TabSheet2,      &service,
            &PageControl1, &ZEPtyp1,        &ZEPtyp2,        &ModuleButtons, &ModuleKeyboard, &ZEPtyp,
            &Calls,        &Relays,         &SMSs,           &Admin,         &SetingPages,    &ZEP1,
            &ZEP2,         &ZEPF1,          &ZEPF2,          &ZEPL1,         &ZEPL2,          &ZEPCorvel1,
            &ZEPCorvel2,   &Sipka1,         &Sipkaf1,        &SipkaGA1,      &SipkaGA2,       &SipkaGB2,
            &GroupBox4,    &RXDled,         &DeviceRun,      &DeviceStop,    &DeviceNic,      &StatusLabel,
            &RunZEP,       &StopZEP,        &SaveZEP,        &LoadZEP,       &Battery,        &Voltage,
            &BVoltage,     &GroupBox5,      &Load,           &Save,          &Smeter,         &signal,
            &Prubeh,       &StatusBar1,     &Monitor,        &SaveMonitor,   &Inicializace,   &IMEI,
            &Label35,      &GroupBox1,      &GroupBox2,      &GroupBox3,     &VolSpk,         &VolMic,
            &NoCall,       &SIMCall,        &AllCall,        &InfoTones,     &TonBeep,        &TonRing,
            &TonVoice,     &WaitingCall,    &waiting,        &secLabel,      &SendSMS,        &ClockGSM,
            &ALARMON,      &ALARMOFF,       &Label22,        &Label23,       &Port,           &PortDis,
            &PortEtons,    &PortESMS,       &KeyBoardParams, &Label63,       &WaitBUF,        &DirectCall,
            &TreeButtons,  &TreeButtonsSel, &TreeMemo,       &TreeMemoSel,   &TreeCode,       &DetBut,
            &PhoneBook1};
    // Phone-book page controls.
    LineIn.setCaption("Insert Line");
    LineDel.setCaption("Delete Line");
    GroupBox6.setCaption("Find Name");
    Find.setCaption("Find");
    ExportCSV.setCaption("Export CSV");
    ImportCSV.setCaption("Import CSV");
    for (Control* c : std::initializer_list<Control*>{&LineIn, &LineDel, &GroupBox6, &FindN, &Find,
                                                      &ExportCSV, &ImportCSV})
        all_.push_back(c);
    for (auto* arr : {&ABUTTON, &AABUTTON, &BBUTTON, &ADMIN})
        for (Edit& e : *arr) all_.push_back(&e);
    all_.push_back(&QuickSaveZEP);
    QuickSaveZEP.setParent(&GroupBox4);

    // Where each control sits: a locked page locks what is on it.
    auto place = [](Control& parent, std::initializer_list<Control*> children) {
        for (Control* c : children) c->setParent(&parent);
    };
    place(Buttons, {&ZEPtyp, &ZEPtyp1, &ZEPtyp2, &ModuleButtons, &ModuleKeyboard});
    place(seting, {&SetingPages, &Calls, &Relays, &SMSs, &Admin});
    for (Edit& e : ABUTTON) e.setParent(&ZEPtyp1);
    for (auto* arr : {&AABUTTON, &BBUTTON})
        for (Edit& e : *arr) e.setParent(&ZEPtyp2);
    for (Edit& e : ADMIN) e.setParent(&Admin);
    place(Admin, {&Label35});
    place(Calls, {&GroupBox1, &GroupBox2, &GroupBox3, &VolSpk, &VolMic, &NoCall, &SIMCall, &AllCall,
                  &InfoTones, &TonBeep, &TonRing, &TonVoice, &WaitingCall, &waiting, &secLabel});
    place(SMSs, {&SendSMS, &ClockGSM, &ALARMON, &ALARMOFF, &Label22, &Label23, &Port, &PortDis, &PortEtons,
                 &PortESMS});
    place(ModuleKeyboard, {&KeyBoardParams, &TreeMemo, &TreeMemoSel, &TreeCode});
    place(KeyBoardParams, {&Label63, &WaitBUF, &DirectCall});
    place(ModuleButtons, {&TreeButtons, &TreeButtonsSel, &DetBut});
    place(PhoneBook, {&PhoneBook1});
    place(TabSheet2, {&Monitor, &SaveMonitor, &Inicializace, &IMEI});
    place(GroupBox4, {&RXDled, &DeviceRun, &DeviceStop, &DeviceNic, &StatusLabel, &RunZEP, &StopZEP, &SaveZEP,
                      &LoadZEP, &Battery, &Voltage, &BVoltage});
    place(GroupBox5, {&Load, &Save});
    for (RelayControls* r : {&Relay1, &Relay2}) {
        r->box.setParent(&Relays);
        place(r->box, {&r->RelCode, &r->RelTime, &r->RelSMS, &r->RelSW, &r->RelCam, &r->RelLi, &r->RelBut,
                       &r->RelRing, &r->RelRingAll, &r->codeLabel, &r->timeLabel});
    }
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
        for (Control* c : std::initializer_list<Control*>{
                 &r->box, &r->RelCode, &r->RelTime, &r->RelSMS, &r->RelSW, &r->RelCam, &r->RelLi, &r->RelBut,
                 &r->RelRing, &r->RelRingAll, &r->codeLabel, &r->timeLabel})
            all_.push_back(c);
    setUpMemoryPages();  // memory pages
}

// --- Keypad and button-module memory pages ---

namespace {
std::vector<std::string> twoDigitItems(int from, int to) {
    std::vector<std::string> items;
    for (int n = from; n <= to; ++n) items.push_back(std::string(1, char('0' + n / 10)) + char('0' + n % 10));
    return items;
}
std::vector<std::string> starFirst(int last) {
    std::vector<std::string> items = twoDigitItems(1, last);
    items.insert(items.begin(), "**");
    return items;
}
std::string pageName(char letter, const char* memo, const char* button) {
    return letter == 'M' ? memo : button;
}
}  // namespace

std::vector<std::string> Form::monthItems() {
    return starFirst(12);
}
std::vector<std::string> Form::dayItems() {
    return starFirst(31);
}
std::vector<std::string> Form::accessItems() {
    return starFirst(99);
}
std::vector<std::string> Form::hourItems() {
    std::vector<std::string> items = twoDigitItems(0, 23);
    items.push_back("**");
    return items;
}

Form::MemoryPageControls::MemoryPageControls(char letter)
    : Number(pageName(letter, "Memo", "Button")),
      Pos(pageName(letter, "PosMemo", "PosButton"), {"1", "2", "3", "4", "5", "6", "7"}, true),
      PNumber(pageName(letter, "MemoPNumber", "ButtonPNumber")),
      LabelName(pageName(letter, "LabelMemo", "LabelButton")),
      Add(pageName(letter, "AddMemo", "AddButton")),
      Write(pageName(letter, "WriteMemo", "WriteButton")),
      DelSel(pageName(letter, "DelMemoSel", "DelButtonSel")),
      Del(pageName(letter, "DelMemo", "DelButton")),
      NumberCaption(pageName(letter, "Label56", "Label62")),
      PosCaption(pageName(letter, "Label60", "Label61")),
      PNumberCaption(pageName(letter, "Label58", "Label64")),
      TreeCaption(pageName(letter, "TreeMemoCaption", "TreeButtonsCaption")),
      TreeSelCaption(pageName(letter, "TreeMemoSelCaption", "TreeButtonsSelCaption")) {
    const bool memo = letter == 'M';
    Pos.setItemIndex(0);
    Pos.setHint(memo ? "The order of dial number after activation number of memory."
                     : "The order of dial number after pushing button.");
    LabelName.setCaption(std::string(1, letter));
    Add.setCaption(memo ? "Add Memo" : "Add Button");
    Write.setCaption(memo ? "Write Memo" : "Write Button");
    DelSel.setCaption(memo ? "Del Memo" : "Del Button");
    Del.setCaption(memo ? "Del Memo" : "Del Button");
    NumberCaption.setCaption(memo ? "Memo number" : "Button number");
    PosCaption.setCaption("Position");
    PNumberCaption.setCaption("Phone number");
    TreeCaption.setCaption(memo ? "All memos" : "All buttons");
    TreeSelCaption.setCaption(memo ? "Numbers of the memo" : "Numbers of the button");
}

void Form::setUpMemoryPages() {
    ModuleButtons.setParent(&Buttons);
    ModuleKeyboard.setParent(&Buttons);
    KeyBoardParams.setParent(&ModuleKeyboard);
    KeyBoardPages.setParent(&ModuleKeyboard);
    KeyBoardMemo.setParent(&ModuleKeyboard);
    KeyBoardCode.setParent(&ModuleKeyboard);
    KeyBoardMemo.setCaption("Memos");
    KeyBoardCode.setCaption("Access Codes");

    struct PageOf {
        MemoryPageControls& c;
        Control& page;
        Tree& all;
        Tree& sel;
    };
    for (PageOf p : {PageOf{MemoControls, KeyBoardMemo, TreeMemo, TreeMemoSel},
                     PageOf{ButtonControls, ModuleButtons, TreeButtons, TreeButtonsSel}}) {
        MemoryPageControls& c = p.c;
        for (Control* ctl : std::initializer_list<Control*>{
                 &c.Number, &c.Pos, &c.PNumber, &c.LabelName, &c.Add, &c.Write, &c.DelSel, &c.Del,
                 &c.NumberCaption, &c.PosCaption, &c.PNumberCaption, &c.TreeCaption, &c.TreeSelCaption,
                 &p.all, &p.sel}) {
            ctl->setParent(&p.page);
            if (ctl != &p.all && ctl != &p.sel) all_.push_back(ctl);
        }
    }
    DetBut.setParent(&ModuleButtons);

    for (Control* c :
         std::initializer_list<Control*>{&TreeCode, &AddCode, &DelCode, &TreeCodeCaption, &ModeCode})
        c->setParent(&KeyBoardCode);
    AddCode.setCaption("Add Code");
    DelCode.setCaption("Del Code");
    TreeCodeCaption.setCaption("Access codes");

    const char* titles[] = {"Normal", "Weekly", "From date to date", "From date and month",
                            "From hour to hour"};
    const char* hints[] = {"Simple (unconditional) relay closing by code.",
                           "Relay closing by code, by day of the week and number of access.",
                           "Relay closing by code and by date.",
                           "Relay closing by code, date and number of access.",
                           "Relay closing by code, hours and number of access."};
    TabPage* pages[] = {&M0, &M1, &M2, &M3, &M4};
    Label* titleLabels[] = {&TitleM0, &TitleM1, &TitleM2, &TitleM3, &TitleM4};
    Edit* codes[] = {&CodeM0, &CodeM1, &CodeM2, &CodeM3, &CodeM4};
    Label* codeLabels[] = {&LabelCodeM0, &LabelCodeM1, &LabelCodeM2, &LabelCodeM3, &LabelCodeM4};
    Label* codeCaptions[] = {&CodeM0Caption, &CodeM1Caption, &CodeM2Caption, &CodeM3Caption, &CodeM4Caption};
    RadioButton* rel1[] = {&M0Rel1, &M1Rel1, &M2Rel1, &M3Rel1, &M4Rel1};
    RadioButton* rel2[] = {&M0Rel2, &M1Rel2, &M2Rel2, &M3Rel2, &M4Rel2};
    CheckBox* sms[] = {nullptr, &M1SMS, &M2SMS, &M3SMS, &M4SMS};
    Button* writes[] = {&WriteCode0, &WriteCode1, &WriteCode2, &WriteCode3, &WriteCode4};
    for (int m = 0; m < 5; ++m) {
        pages[m]->setParent(&KeyBoardCode);
        pages[m]->setCaption(std::to_string(m));
        pages[m]->setHint(hints[m]);
        titleLabels[m]->setCaption(titles[m]);
        codeLabels[m]->setCaption("(CC)");
        codeCaptions[m]->setCaption("Code");
        rel1[m]->setCaption("Relay 1");
        rel2[m]->setCaption("Relay 2");
        writes[m]->setCaption("Write Code");
        std::vector<Control*> onPage = {pages[m],        titleLabels[m], codes[m], codeLabels[m],
                                        codeCaptions[m], rel1[m],        rel2[m],  writes[m]};
        if (sms[m]) {
            sms[m]->setCaption("Send SMS to ADMIN1");
            sms[m]->setHint("When relay closing, send SMS with the code number on the phone number ADMIN1.");
            onPage.push_back(sms[m]);
        }
        for (Control* c : onPage) {
            if (c != pages[m]) c->setParent(pages[m]);
            all_.push_back(c);
        }
    }
    ModeCode.setActiveIndex(4);

    week.setCaption("Mo  Tu    We  Th     Fr    Sa    Su");
    const char* dayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    CheckBox* days[] = {&Po, &Ut, &St, &Ct, &Pa, &So, &Ne};
    for (int d = 0; d < 7; ++d) days[d]->setHint(dayNames[d]);
    for (ComboBox* c : {&FromM2, &ToM2, &FromM3, &FromD2, &ToD2, &FromD3, &FromHours, &ToHours})
        c->setItemIndex(1);
    for (ComboBox* c : {&M1Acces, &M3Acces, &M4Acces}) {
        c->setItemIndex(0);
        c->setHint("The number of permitted relay closing.");
    }
    M1AccesCaption.setCaption("Access");
    M3AccesCaption.setCaption("Access");
    M4AccesCaption.setCaption("Access");
    FromM2Caption.setCaption("from Date");
    ToM2Caption.setCaption("to Date");
    FromM3Caption.setCaption("from Date");
    FromHoursCaption.setCaption("from Hours");
    ToHoursCaption.setCaption("to Hours");
    for (Label* l : {&MonthM2Caption, &MonthM3Caption}) l->setCaption("month");
    for (Label* l : {&DayM2Caption, &DayM3Caption}) l->setCaption("day");
    for (Label* l : {&FromHoursUnit, &ToHoursUnit}) l->setCaption("hours");
    struct OnPage {
        TabPage& page;
        std::initializer_list<Control*> controls;
    };
    for (const OnPage& p : {OnPage{M1, {&week, &Po, &Ut, &St, &Ct, &Pa, &So, &Ne, &M1Acces, &M1AccesCaption}},
                            OnPage{M2,
                                   {&FromM2, &FromD2, &ToM2, &ToD2, &FromM2Caption, &ToM2Caption,
                                    &MonthM2Caption, &DayM2Caption}},
                            OnPage{M3,
                                   {&FromM3, &FromD3, &M3Acces, &FromM3Caption, &M3AccesCaption,
                                    &MonthM3Caption, &DayM3Caption}},
                            OnPage{M4,
                                   {&FromHours, &ToHours, &M4Acces, &FromHoursCaption, &ToHoursCaption,
                                    &M4AccesCaption, &FromHoursUnit, &ToHoursUnit}}})
        for (Control* c : p.controls) {
            c->setParent(&p.page);
            all_.push_back(c);
        }
    for (Control* c : std::initializer_list<Control*>{&KeyBoardMemo, &KeyBoardCode, &KeyBoardPages, &AddCode,
                                                      &DelCode, &TreeCodeCaption, &ModeCode})
        all_.push_back(c);
}

Control* Form::find(const std::string& name) const {
    for (Control* c : all_)
        if (c->name() == name) return c;
    return nullptr;
}

}  // namespace dorive
