#include "app/language.h"

#include <algorithm>

#include "app/ini_file.h"
#include "form/form.h"
#include "form/state.h"

namespace dorive {

namespace {
constexpr const char* kDeviceNameMark = "{DeviceName}";
constexpr const char* kPhoneForSms = "Phone number for SMSs with opening numbers";
}  // namespace

const std::vector<TextRow>& Language::captionRows() {
    static const std::vector<TextRow> rows = {
        {"Language", "Eng", nullptr},
        {"Buttons", nullptr, "Buttons"},
        {"Phone Book", nullptr, "PhoneBook"},
        {"Setting", nullptr, "seting"},
        {"Monitor", nullptr, "TabSheet2"},
        {"Service", nullptr, "service"},
        {"1 button", nullptr, "ZEPtyp1"},
        {"2 buttons", nullptr, "ZEPtyp2"},
        {"Buttons Module", nullptr, "ModuleButtons"},
        {"Position", nullptr, "Label61", {"Label60"}},
        {"Memo", nullptr, "Label62", {"Label56"}},
        {"Phone Number", nullptr, "Label64", {"Label58"}},
        {"Add Button", nullptr, "AddButton"},
        {"Write Button", nullptr, "WriteButton"},
        {"Del Button", nullptr, "DelButtonSel", {"DelButton"}},
        {"Buttons Detect", nullptr, "DetBut"},
        {"Keyboard Module", nullptr, "ModuleKeyboard"},
        {"Keyboard Memo", nullptr, "KeyBoardMemo"},
        {"Add Memo", nullptr, "AddMemo"},
        {"Write Memo", nullptr, "WriteMemo"},
        {"Del Memo", nullptr, "DelMemoSel", {"DelMemo"}},
        {"Keyboard Parameters", "Keyboard parameters", "KeyBoardParams"},
        {"Waiting to number", nullptr, "Label63"},
        {"Direct Call Number", nullptr, "DirectCall"},
        {"Keyboard Code", nullptr, "KeyBoardCode"},
        {"Add Code", nullptr, "AddCode"},
        {"Del Code", nullptr, "DelCode"},
        {"Normal", nullptr, "Label37"},
        {"Weekly", nullptr, "Label38"},
        {"From date to date", nullptr, "Label39"},
        {"From date and month", nullptr, "Label40"},
        {"From hour to hour", nullptr, "Label41"},
        {"Code", nullptr, "Label44", {"Label42", "Label45", "Label47", "Label49"}},
        {"Write Code", nullptr, "WriteCode0", {"WriteCode1", "WriteCode2", "WriteCode3", "WriteCode4"}},
        {"Mo  Tu    We  Th     Fr    Sa    Su", nullptr, "week"},
        {"Access Number", nullptr, "Label43", {"Label54", "Label59"}},
        {"Send SMS to ADMIN1", nullptr, "M1SMS", {"M2SMS", "M3SMS", "M4SMS"}},
        {"from Date", nullptr, "GroupBox8", {"GroupBox10"}},
        {"to Date", nullptr, "GroupBox9"},
        {"month", nullptr, "Label46", {"Label50", "Label52"}},
        {"day", nullptr, "Label51", {"Label53"}},
        {"from Hours", nullptr, "GroupBox11"},
        {"to Hours", nullptr, "GroupBox12"},
        {"hours", nullptr, "Label55", {"Label57"}},
        {"Insert Line", nullptr, "LineIn"},
        {"Delete Line", nullptr, "LineDel"},
        {"Find Name", nullptr, "GroupBox6"},
        {"Find", nullptr, "Find"},
        {"Calls", nullptr, "Calls"},
        {"Relays", nullptr, "Relays"},
        {"SMSs", nullptr, "SMSs"},
        {"Admin", nullptr, "Admin"},
        {"Volume Spk", nullptr, "GroupBox1"},
        {"Volume Mic", nullptr, "GroupBox2"},
        {"Incomming Call Pick Up", nullptr, "GroupBox3"},
        {"Info Tones", nullptr, "InfoTones"},
        {"No - ringing switch", nullptr, "NoCall"},
        {"All", nullptr, "AllCall"},
        {"only from SIM", nullptr, "SIMCall"},
        {"Beeps", nullptr, "TonBeep"},
        {"Ring Tones", nullptr, "TonRing"},
        {"Voice Messages", nullptr, "TonVoice"},
        {"Waiting Call", nullptr, "WaitingCall"},
        {"Relay 1", nullptr, "Relay1", {"M0Rel1", "M1Rel1", "M2Rel1", "M3Rel1", "M4Rel1"}},
        {"Relay 2", nullptr, "Relay2", {"M0Rel2", "M1Rel2", "M2Rel2", "M3Rel2", "M4Rel2"}},
        {"camera", nullptr, "RelCam1", {"RelCam2"}},
        {"light", nullptr, "RelLi1", {"RelLi2"}},
        {"button", nullptr, "RelBut1", {"RelBut2"}},
        {"SMS switch", nullptr, "RelSMS1", {"RelSMS2"}},
        {"switch", nullptr, "RelSW1", {"RelSW2"}},
        {"switch SIM ringing", nullptr, "RelRing1", {"RelRing2"}},
        {"switch all ringing", nullptr, "RelRingAll1", {"RelRingAll2"}},
        {"switching code", nullptr, "Label31", {"Label32"}},
        {"switching time", nullptr, "Label33", {"Label34"}},
        {"SMSs with opening numbers", nullptr, "SendSMS"},
        {"Clock from GSM", nullptr, "ClockGSM"},
        {"SMS ALARM ON", nullptr, "Label22"},
        {"SMS ALARM OFF", nullptr, "Label23"},
        {"Port", nullptr, "Port"},
        {"disable", nullptr, "PortDis"},
        {"enable SMSs", nullptr, "PortESMS"},
        {"enable tons", nullptr, "PortEtons"},
        // Read here and again at the end; written only at the end, as the section's last key.
        {kPhoneForSms, nullptr, "Label35", {}, false},
        {"Run", nullptr, "RunZEP"},
        {"Stop", nullptr, "StopZEP"},
        {"Save", nullptr, "SaveZEP", {"Save"}},
        {"Load", nullptr, "LoadZEP", {"Load"}},
        {"Battery", nullptr, "Battery"},
        {"signal", nullptr, "signal"},
        {"Save Log", nullptr, "SaveMonitor"},
        {"Load List", nullptr, "LoadList"},
        {"Clear List", nullptr, "ClrList"},
        {"Upgrade", nullptr, "Upgrade"},
        // The device panel: read under the variant's device name, written under "ZEP".
        {nullptr, nullptr, "GroupBox4", {}, true, "ZEP"},
        {kPhoneForSms, nullptr, "Label35"},
    };
    return rows;
}

const std::vector<TextRow>& Language::hintRows() {
    static const std::vector<TextRow> rows = {
        {"Buttons", "Programming telephone numbers into buttons.", "Buttons"},
        {"PhoneBook", "Telephone book in {DeviceName}", "PhoneBook", {"PhoneBook1"}},
        {"Setting", "Setting parameters.", "seting"},
        {"Service", "Upgrading fw of {DeviceName}, loading Voice Messages.", "service"},
        {"Number of buttons", "Number of buttons.", "ZEPtyp"},
        {"Telephone number",
         "Telephone number",
         "ABUTTON1",
         {"ABUTTON2",  "ABUTTON3",  "ABUTTON4",  "ABUTTON5",  "ABUTTON6",  "ABUTTON7",  "AABUTTON1",
          "AABUTTON2", "AABUTTON3", "AABUTTON4", "AABUTTON5", "AABUTTON6", "AABUTTON7", "BBUTTON1",
          "BBUTTON2",  "BBUTTON3",  "BBUTTON4",  "BBUTTON5",  "BBUTTON6",  "BBUTTON7",  "ADMIN1",
          "ADMIN2",    "ADMIN3",    "ADMIN4",    "ADMIN5",    "ADMIN6",    "ADMIN7"}},
        {"LineIn", "Insert a row into a phone book.", "LineIn"},
        {"LineDel", "Delete a row from a phone book.", "LineDel"},
        {"Find Name", "Find the line in the phone book by name.", "GroupBox6"},
        {"VolumeSpk", "Adjusting the volume for the speaker.", "GroupBox1"},
        {"VolumeMic", "Adjusting the volume of the microphone.", "GroupBox2"},
        {"NoCall", "No Pick Up any calls - relay switching by ringing.", "NoCall"},
        {"AllCall", "Pick Up all calls.", "AllCall"},
        {"SIMCall", "Pick up a call only numbers stored on the SIM.", "SIMCall"},
        {"TonBeep", "Service tones (indicated by pressing the button, sending SMS, etc.).", "TonBeep"},
        {"TonRing", "Ringing for incoming calls and SMS.", "TonRing"},
        {"TonVoice", "Voice Messages for individual functions and statuses {DeviceName}", "TonVoice"},
        {"WaitingCall", "Time before dial next phone number from list of buttons.", "WaitingCall"},
        {"RelCAM", "Relay switches pick up a call, hang up the call relay opens.", "RelCam1", {"RelCam2"}},
        {"RelSW", "Relay switches by ringing or DTMF code during a call.", "RelSW1", {"RelSW2"}},
        {"RelLight",
         "Relay switches pick up the call and will remain switched still  the switching time after hanging "
         "call.",
         "RelLi1",
         {"RelLi2"}},
        {"RelButton",
         "Relay is switched by pressing the button, it will remain switched by switching time.",
         "RelBut1",
         {"RelBut2"}},
        {"RelSMS", "The relay is on / off remotely using SMS.", "RelSMS1", {"RelSMS2"}},
        {"Monitor", "Monitoring serial communication.", "Monitor", {"TabSheet2"}},
        {"SaveMonitor", "Save monitored serial communication.", "SaveMonitor"},
        {"LoadList", "Uploading a list of files to be transferred into {DeviceName}", "LoadList"},
        {"ClrList", "Deleting a file list.", "ClrList"},
        {"List", "List of files to be transferred into {DeviceName}", "List"},
        {"Upgrade", "Upgrade (transfer) all files from the list to {DeviceName}", "Upgrade"},
        {"LoadZEP", "Loading parameters from {DeviceName}", "LoadZEP"},
        {"SaveZEP", "Saving parameters to {DeviceName}", "SaveZEP"},
        {"RunZEP", "Running operation {DeviceName}", "RunZEP"},
        {"StopZEP", "Stoping operation {DeviceName}", "StopZEP"},
        {"RXDled", "Indication of operation on the serial line {DeviceName}", "RXDled"},
        {"Battery", "Battery voltage (on-board network) {DeviceName}", "Battery"},
        {"Load", "Loading parameters from PC.", "Load"},
        {"Save", "Saving parameters to PC.", "Save"},
        {"signal", "Finding the signal strength (only when stopped {DeviceName}).", "signal"},
        {"SMeter", "Signal is good, when color is green or blue.", "Smeter"},
        {"Tree Buttons", "A list of all the buttons and assigned telephone numbers.", "TreeButtons"},
        {"Tree Sel.Button", "All phone numbers (memories) assigned to the selected button.",
         "TreeButtonsSel"},
        {"Pos.Button", "The order of dial number after pushing button.", "PosButton"},
        {"Name of memory", "Name of memory.", "Button"},
        {"Phone number in memory", "Phone number in memory.", "ButtonPNumber"},
        {"Add Button", "Adding position for the selected button (name of memory).", "AddButton"},
        {"Write Button", "Writing memory of button.", "WriteButton"},
        {"Del Button", "Deleting the selected memory.", "DelButtonSel", {"DelButton"}},
        {"Tree Memo", "A list of all the memos and assigned telephone numbers.", "TreeMemo"},
        {"Tree Sel.Memo", "All phone numbers (memories) assigned to the selected memo.", "TreeMemoSel"},
        {"Pos.Memo", "The order of dial number after activation number of memory.", "PosMemo"},
        // Read again for the memo page; the file keeps the button page's texts.
        {"Name of memory", "Name of memory.", "Memo", {}, false},
        {"Phone number in memory", "Phone number in memory.", "MemoPNumber", {}, false},
        {"Add Memo", "Adding position for the selected memory (name of memory).", "AddMemo"},
        {"Write Memo", "Writing memory of memory.", "WriteMemo"},
        {"Del Memo", "Deleting the selected memory.", "DelMemoSel", {"DelMemo"}},
        {"Tree Codes", "A list of all the codes for relays.", "TreeCode"},
        {"M0", "Simple (unconditional) relay closing by code.", "M0"},
        {"M1", "Relay closing by code, by day of the week and number of access.", "M1"},
        {"M2", "Relay closing by code and by date.", "M2"},
        {"M3", "Relay closing by code, date and number of access.", "M3"},
        {"M4", "Relay closing by code, hours and number of access.", "M4"},
        {"Code", "Code - name of memory.", "CodeM0", {"CodeM1", "CodeM2", "CodeM3", "CodeM4"}},
        {"Write Code",
         "Writing memory of code.",
         "WriteCode0",
         {"WriteCode1", "WriteCode2", "WriteCode3", "WriteCode4"}},
        {"Access", "The number of permitted relay closing.", "M1Acces", {"M3Acces", "M4Acces"}},
        {"Send SMS to ADMIN1",
         "When relay closing, send SMS with the code number on the phone number ADMIN1.",
         "M1SMS",
         {"M2SMS", "M3SMS", "M4SMS"}},
        // The user's own text stays in the file: the program never writes it.
        {"Status",
         "{DeviceName} Status (Programming Mode / Stand By - Run mode).",
         "DeviceNic",
         {"DeviceRun", "DeviceStop"},
         false},
    };
    return rows;
}

std::string Language::readKey(const TextRow& row) const {
    return row.key ? row.key : st_.DeviceName;
}

std::string Language::defaultText(const TextRow& row) const {
    if (!row.def) return readKey(row);
    std::string text = row.def;
    const std::string mark = kDeviceNameMark;
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at + st_.DeviceName.size()))
        text.replace(at, mark.size(), st_.DeviceName);
    return text;
}

void Language::load(const IniFile& ini) {
    load(ini, Kind::Caption);
    load(ini, Kind::Hint);
}

void Language::load(const IniFile& ini, Kind kind) {
    const bool caption = kind == Kind::Caption;
    const auto& rows = caption ? captionRows() : hintRows();
    auto& loaded = caption ? loadedCaptions_ : loadedHints_;
    const char* section = caption ? kCaptionSection : kHintSection;
    loaded.clear();
    for (const TextRow& row : rows) {
        std::string text = ini.readString(section, readKey(row), defaultText(row));
        loaded.push_back(text);
        if (!row.control) {
            st_.LanguageName = text;
            continue;
        }
        auto apply = [&](const char* name) {
            if (Control* c = form_.find(name)) caption ? c->setCaption(text) : c->setHint(text);
        };
        apply(row.control);
        for (const char* copy : row.copies) apply(copy);
    }
}

void Language::save(IniFile& ini) const {
    save(ini, Kind::Caption);
    save(ini, Kind::Hint);
}

void Language::save(IniFile& ini, Kind kind) const {
    const bool caption = kind == Kind::Caption;
    const auto& rows = caption ? captionRows() : hintRows();
    const auto& loaded = caption ? loadedCaptions_ : loadedHints_;
    const char* section = caption ? kCaptionSection : kHintSection;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TextRow& row = rows[i];
        if (!row.written) continue;
        std::string key = row.writtenAs ? row.writtenAs : readKey(row);
        // What the control shows now; the text read where the form has no such control.
        std::string text = i < loaded.size() ? loaded[i] : defaultText(row);
        if (!row.control)
            text = i < loaded.size() ? st_.LanguageName : text;
        else if (const Control* c = form_.find(row.control))
            text = caption ? c->caption() : c->hint();
        ini.writeString(section, key, text);
    }
}

std::vector<std::string> Language::missingControls() const {
    std::vector<std::string> missing;
    auto check = [&](const char* name) {
        if (name && !form_.find(name) && std::find(missing.begin(), missing.end(), name) == missing.end())
            missing.push_back(name);
    };
    for (const auto* rows : {&captionRows(), &hintRows()})
        for (const TextRow& row : *rows) {
            check(row.control);
            for (const char* copy : row.copies) check(copy);
        }
    return missing;
}

}  // namespace dorive
