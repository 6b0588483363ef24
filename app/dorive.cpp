#include "app/dorive.h"

#include <exception>
#include <stdexcept>

#include "app/ini_file.h"
#include "app/variants.h"
#include "params/edit_rules.h"
#include "params/interlocks.h"

namespace dorive {

Dorive::Dorive(PortProvider& ports, Clock& clock, Dialogs& dialogs, DoriveOptions options)
    : loop(clock),
      com(ports, dialogs),
      Cekani(loop, 1000, [this] { return CekaniTimer(); }),
      LedTimer(loop, 2000, [this] { return LedTimerTimer(); }),
      clock_(clock),
      dialogs_(dialogs),
      options_(std::move(options)),
      ctx_{form, st, loop, com, dialogs, clock, options_.files ? *options_.files : diskFiles()} {
    loop.onError = [this](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& ex) {
            showError(ex.what());
        } catch (...) {
            showError("An unexpected error stopped the operation.");
        }
    };
    com.onDataAvailable = [this] {
        // One waiting receive activity is enough: it reads everything the port holds.
        if (rxPosted_) return;
        rxPosted_ = true;
        post([this] { return ApdComPort1TriggerAvail(); });
    };
    com.onLost = [this](const std::string& why) {
        post([this, why]() -> Task {
            note(why);
            upload_.onPortLost();  // an upload under way ends with a note of its own
            showError(why);
            co_return;
        });
    };
    wireControls();
}

Dorive::~Dorive() {
    Cekani.stop();
    LedTimer.stop();
    disarmSaveWatchdog();
}

void Dorive::wireControls() {
    wireEditRules(form);
    wireInterlocks(form);
    auto bind = [this](Button& b, Task (Dorive::*handler)()) {
        b.onClick = [this, handler] { post([this, handler] { return (this->*handler)(); }); };
    };
    bind(form.StopZEP, &Dorive::StopZEPClick);
    bind(form.RunZEP, &Dorive::RunZEPClick);
    bind(form.LoadZEP, &Dorive::LoadZEPClick);
    bind(form.SaveZEP, &Dorive::SaveZEPClick);
    bind(form.signal, &Dorive::signalClick);
    bind(form.Inicializace, &Dorive::InicializaceClick);
    bind(form.IMEI, &Dorive::IMEIClick);
}

void Dorive::showError(const std::string& text) { dialogs_.errorBox(text); }

void Dorive::userEdit(Edit& edit, std::string text, std::size_t caret) {
    post([&edit, text = std::move(text), caret]() -> Task {
        edit.userEdit(text, caret);
        co_return;
    });
}

void Dorive::send(std::string_view text) { com.send(text); }

Task Dorive::FormCreate() {
    form.ModuleButtons.setVisible(false);
    form.ModuleKeyboard.setVisible(false);

    st.DeviceName = "ZEP";
    applyVariant(selectVariant(options_.executable), form, st);

    showRunMode();

    IniFile ini(options_.settingsPath);
    if (!options_.settingsPath.empty()) ini.load();
    form.TForm1.setPosition(ini.readInteger("Form", "Top", 200), ini.readInteger("Form", "Left", 200));
    st.SerialWait = ini.readInteger("Form", "WaitSer", 1000);
    bool service = ini.readBool("Form", "Inicializace", false);
    form.Inicializace.setVisible(service);
    form.IMEI.setVisible(form.Inicializace.visible());
    // The port chosen last time is offered first. Older files keep a port number here.
    std::string port = ini.readString("Form", "Port", "");
    if (!port.empty() && port.find_first_not_of("0123456789") == std::string::npos)
        port = port == "0" ? std::string() : "COM" + port;
    com.preferredPort = port;

    st.RxLine.clear();
    st.UploadActive = false;
    st.ProgModeEntered = false;
    st.PhoneBookReload = true;

    form.SaveZEP.setEnabled(false);
    Cekani.stop();
    st.RefreshAfterWrite = false;

    form.BVoltage.setPosition(300);
    form.BVoltage.setMin(300);

    // The first transmission opens the port through the port dialog. When no port can be
    // had, the error is shown and the window still ends in its ordinary start state.
    bool portReady = true;
    try {
        send("ATE0\r\n");
    } catch (const PortError& e) {
        portReady = false;
        showError(e.what());
    }
    if (portReady) co_await pause(200);

    st.DetectEntry.clear();
    st.SelectedMemoName.clear();
    st.SelectedButtonName.clear();

    st.ParamGeneral = "4#4#0#0#1#7#2#0";
    st.ParamRelay1 = "5#1#03#1";
    st.ParamRelay2 = "6#1#03#1";
    st.ParamKeypad = "2#0";

    if (portReady) send("AT+CGMI\r\n");

    form.LoadZEP.setEnabled(false);
}

bool Dorive::mayClose() {
    if (!st.WriteActive) return true;
    return dialogs_.confirm(
        "The settings are being written to the unit. Closing now leaves its SIM only partly written. "
        "Close all the same?");
}

void Dorive::FormClose() {
    Cekani.stop();
    LedTimer.stop();
    disarmSaveWatchdog();
    com.close();
    if (options_.settingsPath.empty()) return;
    IniFile ini(options_.settingsPath);
    ini.load();
    ini.writeInteger("Form", "Top", form.TForm1.top());
    ini.writeInteger("Form", "Left", form.TForm1.left());
    if (!com.preferredPort.empty()) ini.writeString("Form", "Port", com.preferredPort);
    try {
        ini.save();
    } catch (const std::exception& e) {
        showError(e.what());
    }
}

}  // namespace dorive
