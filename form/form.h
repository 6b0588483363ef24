#pragma once
// The main window as the core sees it: every control the behaviour touches, under the
// names the window gives its widgets.
#include <array>
#include <string>
#include <vector>

#include "form/controls.h"
#include "form/phone_book_list.h"
#include "form/text_memo.h"

namespace dorive {

// The controls of one relay on the Relays page; relay 1's names end in "1", relay 2's in "2".
struct RelayControls {
    explicit RelayControls(int n);
    RadioGroup modes;
    GroupBox box;  // "Relay1" / "Relay2"
    Edit RelCode;
    Edit RelTime;
    RadioButton RelSMS, RelSW, RelCam, RelLi, RelBut;
    CheckBox RelRing, RelRingAll;
    Label codeLabel, timeLabel;  // "Label31"/"Label32", "Label33"/"Label34"
};

struct Form {
    Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Window TForm1{"TForm1"};

    // Main pages.
    TabPage Buttons{"Buttons"}, PhoneBook{"PhoneBook"}, seting{"seting"}, TabSheet2{"TabSheet2"},
        service{"service"};
    PageControl PageControl1{"PageControl1", {&Buttons, &PhoneBook, &seting, &TabSheet2, &service}};
    // Pages of the Buttons page.
    TabPage ZEPtyp1{"ZEPtyp1"}, ZEPtyp2{"ZEPtyp2"}, ModuleButtons{"ModuleButtons"},
        ModuleKeyboard{"ModuleKeyboard"};
    PageControl ZEPtyp{"ZEPtyp", {&ZEPtyp1, &ZEPtyp2, &ModuleButtons, &ModuleKeyboard}};
    // Pages of the settings page.
    TabPage Calls{"Calls"}, Relays{"Relays"}, SMSs{"SMSs"}, Admin{"Admin"};
    PageControl SetingPages{"SetingPages", {&Calls, &Relays, &SMSs, &Admin}};

    // Unit pictures and arrows of the variants.
    Picture ZEP1{"ZEP1"}, ZEP2{"ZEP2"}, ZEPF1{"ZEPF1"}, ZEPF2{"ZEPF2"}, ZEPL1{"ZEPL1"}, ZEPL2{"ZEPL2"},
        ZEPCorvel1{"ZEPCorvel1"}, ZEPCorvel2{"ZEPCorvel2"};
    Picture Sipka1{"Sipka1"}, Sipkaf1{"Sipkaf1"}, SipkaGA1{"SipkaGA1"}, SipkaGA2{"SipkaGA2"},
        SipkaGB2{"SipkaGB2"};

    // Device panel.
    GroupBox GroupBox4{"GroupBox4"};
    Picture RXDled{"RXDled"};
    Picture DeviceRun{"DeviceRun"}, DeviceStop{"DeviceStop"}, DeviceNic{"DeviceNic"};
    Label StatusLabel{"StatusLabel"};
    Button RunZEP{"RunZEP"}, StopZEP{"StopZEP"}, SaveZEP{"SaveZEP"}, LoadZEP{"LoadZEP"};
    // Writes only the locations that differ from what Save would leave; enabled with SaveZEP.
    Button QuickSaveZEP{"QuickSaveZEP"};
    GroupBox Battery{"Battery"};
    Label Voltage{"Voltage"};
    ProgressBar BVoltage{"BVoltage", 300, 420};

    // PC panel.
    GroupBox GroupBox5{"GroupBox5"};
    Button Load{"Load"}, Save{"Save"};

    // Bottom strip.
    ProgressBar Smeter{"Smeter", 0, 31};
    Button signal{"signal"};
    ProgressBar Prubeh{"Prubeh", 0, 100};
    StatusBar StatusBar1{"StatusBar1",
                         {{" Operator:", 190},
                          {" board voltage:", 160},
                          {" SIM:", 60},
                          {"  Ver: 5.1", 75},
                          {" ZEP Ver:", 60}}};

    // Monitor page.
    Memo Monitor{"Monitor"};
    Button SaveMonitor{"SaveMonitor"}, Inicializace{"Inicializace"}, IMEI{"IMEI"};

    // Button pages: numbers of button A (mirrored on both pages) and of button B.
    std::array<Edit, 7> ABUTTON{Edit{"ABUTTON1"}, Edit{"ABUTTON2"}, Edit{"ABUTTON3"}, Edit{"ABUTTON4"},
                                Edit{"ABUTTON5"}, Edit{"ABUTTON6"}, Edit{"ABUTTON7"}};
    std::array<Edit, 7> AABUTTON{Edit{"AABUTTON1"}, Edit{"AABUTTON2"}, Edit{"AABUTTON3"}, Edit{"AABUTTON4"},
                                 Edit{"AABUTTON5"}, Edit{"AABUTTON6"}, Edit{"AABUTTON7"}};
    std::array<Edit, 7> BBUTTON{Edit{"BBUTTON1"}, Edit{"BBUTTON2"}, Edit{"BBUTTON3"}, Edit{"BBUTTON4"},
                                Edit{"BBUTTON5"}, Edit{"BBUTTON6"}, Edit{"BBUTTON7"}};

    // Admin page.
    std::array<Edit, 7> ADMIN{Edit{"ADMIN1"}, Edit{"ADMIN2"}, Edit{"ADMIN3"}, Edit{"ADMIN4"},
                              Edit{"ADMIN5"}, Edit{"ADMIN6"}, Edit{"ADMIN7"}};
    Label Label35{"Label35"};

    // Calls page.
    GroupBox GroupBox1{"GroupBox1"}, GroupBox2{"GroupBox2"}, GroupBox3{"GroupBox3"};
    TrackBar VolSpk{"VolSpk", 1, 7, 7}, VolMic{"VolMic", 1, 7, 7};
    RadioGroup pickUp;
    RadioButton NoCall{"NoCall", pickUp}, SIMCall{"SIMCall", pickUp}, AllCall{"AllCall", pickUp};
    GroupBox InfoTones{"InfoTones"};
    CheckBox TonBeep{"TonBeep"}, TonRing{"TonRing"}, TonVoice{"TonVoice"};
    GroupBox WaitingCall{"WaitingCall"};
    ComboBox waiting{"waiting", {"20", "10", "20", "30", "40", "50", "60", "70", "80", "90"}, false};
    Label secLabel{"secLabel"};

    // Relays page.
    RelayControls Relay1{1}, Relay2{2};

    // SMSs page.
    CheckBox SendSMS{"SendSMS"}, ClockGSM{"ClockGSM"};
    Edit ALARMON{"ALARMON"}, ALARMOFF{"ALARMOFF"};
    Label Label22{"Label22"}, Label23{"Label23"};
    GroupBox Port{"Port"};
    RadioGroup portGroup;
    RadioButton PortDis{"PortDis", portGroup}, PortEtons{"PortEtons", portGroup},
        PortESMS{"PortESMS", portGroup};

    // Keypad module parameters.
    GroupBox KeyBoardParams{"KeyBoardParams"};
    Label Label63{"Label63"};
    ComboBox WaitBUF{"WaitBUF", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, true};
    CheckBox DirectCall{"DirectCall"};

    // Memory trees and the detection box (filled by the memory pages).
    Tree TreeButtons{"TreeButtons"}, TreeButtonsSel{"TreeButtonsSel"}, TreeMemo{"TreeMemo"},
        TreeMemoSel{"TreeMemoSel"}, TreeCode{"TreeCode"};
    CheckBox DetBut{"DetBut"};

    // --- Keypad and button-module memory pages ---
    // The memo page and the button page hold the same controls; `letter` "M" names them
    // Memo, PosMemo, MemoPNumber, LabelMemo, AddMemo, ...; "B" names them Button, PosButton, ...
    struct MemoryPageControls {
        explicit MemoryPageControls(char letter);
        dorive::Edit Number;         // Memo / Button: the memory's number
        dorive::ComboBox Pos;        // PosMemo / PosButton: position "1" to "7"
        dorive::Edit PNumber;        // MemoPNumber / ButtonPNumber: the phone number
        dorive::Label LabelName;     // LabelMemo / LabelButton: the name a write gives
        dorive::Button Add, Write;   // AddMemo, WriteMemo / AddButton, WriteButton
        dorive::Button DelSel, Del;  // DelMemoSel, DelMemo / DelButtonSel, DelButton
        dorive::Label NumberCaption, PosCaption, PNumberCaption, TreeCaption, TreeSelCaption;
    };
    MemoryPageControls MemoControls{'M'}, ButtonControls{'B'};

    // Pages of the keypad page: memos and access codes.
    TabPage KeyBoardMemo{"KeyBoardMemo"}, KeyBoardCode{"KeyBoardCode"};
    PageControl KeyBoardPages{"KeyBoardPages", {&KeyBoardMemo, &KeyBoardCode}};
    Button AddCode{"AddCode"}, DelCode{"DelCode"};
    Label TreeCodeCaption{"TreeCodeCaption"};
    // One page per code mode, 0 to 4.
    TabPage M0{"M0"}, M1{"M1"}, M2{"M2"}, M3{"M3"}, M4{"M4"};
    PageControl ModeCode{"ModeCode", {&M0, &M1, &M2, &M3, &M4}};
    Label TitleM0{"Label37"}, TitleM1{"Label38"}, TitleM2{"Label39"}, TitleM3{"Label40"}, TitleM4{"Label41"};
    Edit CodeM0{"CodeM0"}, CodeM1{"CodeM1"}, CodeM2{"CodeM2"}, CodeM3{"CodeM3"}, CodeM4{"CodeM4"};
    Label LabelCodeM0{"LabelCodeM0"}, LabelCodeM1{"LabelCodeM1"}, LabelCodeM2{"LabelCodeM2"},
        LabelCodeM3{"LabelCodeM3"}, LabelCodeM4{"LabelCodeM4"};
    Label CodeM0Caption{"Label44"}, CodeM1Caption{"Label42"}, CodeM2Caption{"Label45"},
        CodeM3Caption{"Label47"}, CodeM4Caption{"Label49"};
    RadioGroup relaysM0, relaysM1, relaysM2, relaysM3, relaysM4;
    RadioButton M0Rel1{"M0Rel1", relaysM0}, M0Rel2{"M0Rel2", relaysM0}, M1Rel1{"M1Rel1", relaysM1},
        M1Rel2{"M1Rel2", relaysM1}, M2Rel1{"M2Rel1", relaysM2}, M2Rel2{"M2Rel2", relaysM2},
        M3Rel1{"M3Rel1", relaysM3}, M3Rel2{"M3Rel2", relaysM3}, M4Rel1{"M4Rel1", relaysM4},
        M4Rel2{"M4Rel2", relaysM4};
    CheckBox M1SMS{"M1SMS"}, M2SMS{"M2SMS"}, M3SMS{"M3SMS"}, M4SMS{"M4SMS"};
    Button WriteCode0{"WriteCode0"}, WriteCode1{"WriteCode1"}, WriteCode2{"WriteCode2"},
        WriteCode3{"WriteCode3"}, WriteCode4{"WriteCode4"};
    // Mode 1: weekdays, Monday first, under the label `week`.
    Label week{"week"};
    CheckBox Po{"Po"}, Ut{"Ut"}, St{"St"}, Ct{"Ct"}, Pa{"Pa"}, So{"So"}, Ne{"Ne"};
    // Month, day, access and hour lists with their captions.
    static std::vector<std::string> monthItems();   // "**", "01" ... "12"
    static std::vector<std::string> dayItems();     // "**", "01" ... "31"
    static std::vector<std::string> accessItems();  // "**", "01" ... "99"
    static std::vector<std::string> hourItems();    // "00" ... "23", "**"
    ComboBox FromM2{"FromM2", monthItems(), true}, ToM2{"ToM2", monthItems(), true},
        FromM3{"FromM3", monthItems(), true};
    ComboBox FromD2{"FromD2", dayItems(), true}, ToD2{"ToD2", dayItems(), true},
        FromD3{"FromD3", dayItems(), true};
    ComboBox M1Acces{"M1Acces", accessItems(), true}, M3Acces{"M3Acces", accessItems(), true},
        M4Acces{"M4Acces", accessItems(), true};
    ComboBox FromHours{"FromHours", hourItems(), true}, ToHours{"ToHours", hourItems(), true};
    Label M1AccesCaption{"Label43"}, M3AccesCaption{"Label54"}, M4AccesCaption{"Label59"},
        FromM2Caption{"GroupBox8"}, ToM2Caption{"GroupBox9"}, FromM3Caption{"GroupBox10"},
        FromHoursCaption{"GroupBox11"}, ToHoursCaption{"GroupBox12"};
    // Heads over the month and day lists of modes 2 and 3; units after the hour lists.
    Label MonthM2Caption{"Label46"}, DayM2Caption{"Label51"}, MonthM3Caption{"Label52"},
        DayM3Caption{"Label53"}, FromHoursUnit{"Label55"}, ToHoursUnit{"Label57"};
    // Captions, start values, containers and the `all()` entries of the memory pages.
    void setUpMemoryPages();
    // --- end of the memory pages ---

    // Phone-book page.
    PhoneBookList PhoneBook1{"PhoneBook1"};
    // Phone-book page: its buttons, the find box, and the spreadsheet export and import.
    Button LineIn{"LineIn"}, LineDel{"LineDel"};
    GroupBox GroupBox6{"GroupBox6"};
    Edit FindN{"FindN"};
    Button Find{"Find"};
    Button ExportCSV{"ExportCSV"}, ImportCSV{"ImportCSV"};

    // Service page: the upload list, its buttons and the upload's progress text.
    TextMemo List{"List"};
    Button LoadList{"LoadList"}, ClrList{"ClrList"}, Upgrade{"Upgrade"}, UploadCancel{"UploadCancel"};
    Label UploadStatus{"UploadStatus"};

    // Every control, for binding by name.
    const std::vector<Control*>& all() const { return all_; }
    Control* find(const std::string& name) const;

  private:
    std::vector<Control*> all_;
};

}  // namespace dorive
