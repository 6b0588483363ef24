#pragma once
// The program-wide state shared by every subsystem, with its start values.
#include <string>

namespace dorive {

struct State {
    std::string RxLine;
    std::string UploadData;
    std::string ParamGeneral = "4#4#0#0#1#7#2#0";
    std::string ParamRelay1 = "5#1#03#1";
    std::string ParamRelay2 = "6#1#03#1";
    std::string ParamKeypad = "2#0";
    std::string LanguageName;
    std::string DetectEntry;
    std::string SelectedMemoName;
    std::string SelectedButtonName;
    std::string DeviceName;
    int SignalLevel = 0;
    int UploadIndex = 0;
    int SimCapacity = 0;
    // The longest number and text the unit stores, as its "+CPBR: (1-N),nlength,tlength"
    // announced them; 0 while unknown.
    int NumberLength = 0;
    int TextLength = 0;
    int WriteStep = 0;
    int WriteIndex = 0;
    int SerialWait = 1000;
    bool UploadActive = false;
    bool ProgModeEntered = false;
    bool PhoneBookReload = true;
    bool WriteActive = false;
    bool RefreshAfterWrite = false;
    bool LteModule = false;
    bool AudioSendActive = false;
};

}  // namespace dorive
