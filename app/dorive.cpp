#include "app/dorive.h"

#include <exception>
#include <stdexcept>

#include "app/ini_file.h"
#include "app/variants.h"
#include "params/edit_rules.h"
#include "params/interlocks.h"

namespace dorive {

Dorive::Dorive(PortProvider& ports, Clock& clock, Dialogs& dialogs, DoriveOptions options)
    : clock_(clock),
      dialogs_(dialogs),
      options_(std::move(options)),
      loop_(clock),
      com_(ports, dialogs),
      ctx_{form_, st_, loop_, com_, dialogs, clock, options_.files ? *options_.files : diskFiles()},
      view_(ctx_),
      device_(ctx_, view_),
      save_(ctx_, view_, options_.saveReplyTimeoutMs),
      quickSave_(ctx_, view_, options_.saveReplyTimeoutMs),
      replies_(ctx_, device_, save_, view_),
      receive_(ctx_),
      monitorLog_(ctx_),
      phoneBook_(ctx_),
      pcFile_(ctx_),
      memories_(ctx_),
      upload_(ctx_),
      language_(form_, st_) {
    loop_.onError = [this](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& ex) {
            showError(ex.what());
        } catch (...) {
            showError("An unexpected error stopped the operation.");
        }
    };
    com_.onDataAvailable = [this] { receive_.dataAvailable(); };
    com_.onLost = [this](const std::string& why) { portLost(why); };
    com_.onNotice = [this](const std::string& text) { ctx_.note(text); };
    receive_.onLine = [this](std::string& line) { return replies_.dispatch(line); };
    replies_.addSaveRun(quickSave_);
    receive_.promptAwaited = [this] { return upload_.active(); };
    receive_.onPrompt = [this] { return upload_.onPrompt(); };
    replies_.uploadOk = [this] { return upload_.onOk(); };
    replies_.voiceSent = [this] { return upload_.onVoiceSent(); };
    replies_.okSeen = [this] { memories_.onOk(); };
    replies_.memoryEntry = [this](const ListingLine& entry) { memories_.onListingEntry(entry); };
    replies_.memoryAwaitsAnswer = [this] { return memories_.awaitsAnswer(); };
    replies_.memoryError = [this](std::string line) { return memories_.onErrorReply(std::move(line)); };
    memories_.trees.readViewClear = [this] { view_.clear(); };
    wireEditRules(form_);
    wireInterlocks(form_);
}

Dorive::~Dorive() {
    loop_.shutdown();
    save_.shutdown();
    quickSave_.shutdown();
    memories_.close();
    device_.stopTimers();
    receive_.stopTimers();
}

void Dorive::userEdit(Edit& edit, std::string text, std::size_t caret) {
    post([&edit, text = std::move(text), caret]() -> Task {
        if (edit.usable()) edit.userEdit(text, caret);
        co_return;
    });
}

// The port went away (unplugged, hung up, failed): said at once in the monitor, a running
// save stopped at once, and the error box shown as soon as the current activity has ended.
void Dorive::portLost(const std::string& why) {
    ctx_.note(why);
    save_.portLost(why);
    upload_.onPortLost();  // an upload under way ends with a note of its own
    quickSave_.portLost(why);
    view_.broken("the serial port was lost");
    if (device_.waiting()) device_.stopWaitIndicator();
    post([this] { return reportLoss(); });
}

Task Dorive::reportLoss() {
    std::string text = com_.takeLossReport();
    if (!text.empty()) showError(text);
    co_return;
}

Task Dorive::FormCreate() {
    Form& form = form_;
    State& st = st_;
    form.ModuleButtons.setVisible(false);
    form.ModuleKeyboard.setVisible(false);

    st.DeviceName = "ZEP";
    applyVariant(selectVariant(options_.executable), form, st);

    showRunMode(form);

    IniFile ini(options_.settingsPath);
    if (!options_.settingsPath.empty()) ini.load(ctx_.files);
    form.TForm1.setPosition(ini.readInteger("Form", "Top", 200), ini.readInteger("Form", "Left", 200));
    st.SerialWait = ini.readInteger("Form", "WaitSer", 1000);
    bool service = ini.readBool("Form", "Inicializace", false);
    form.Inicializace.setVisible(service);
    form.IMEI.setVisible(form.Inicializace.visible());
    // The port chosen last time is offered first. Older files keep a port number here.
    std::string port = ini.readString("Form", "Port", "");
    if (!port.empty() && port.find_first_not_of("0123456789") == std::string::npos)
        port = port == "0" ? std::string() : "COM" + port;
    com_.preferredPort = port;
    // Captions and hints, before the window shows.
    language_.load(ini);

    st.RxLine.clear();
    st.UploadActive = false;
    st.ProgModeEntered = false;
    st.PhoneBookReload = true;

    form.SaveZEP.setEnabled(false);
    device_.stopTimers();
    st.RefreshAfterWrite = false;

    form.BVoltage.setPosition(300);
    form.BVoltage.setMin(300);

    // The first transmission opens the port through the port dialog. When no port can be
    // had, the error is shown and the window still ends in its ordinary start state.
    bool portReady = true;
    try {
        ctx_.send("ATE0\r\n");
    } catch (const PortError& e) {
        portReady = false;
        showError(e.what());
    }
    if (portReady) co_await ctx_.pause(200);

    st.DetectEntry.clear();
    st.SelectedMemoName.clear();
    st.SelectedButtonName.clear();

    st.ParamGeneral = "4#4#0#0#1#7#2#0";
    st.ParamRelay1 = "5#1#03#1";
    st.ParamRelay2 = "6#1#03#1";
    st.ParamKeypad = "2#0";

    if (portReady) ctx_.send("AT+CGMI\r\n");

    form.LoadZEP.setEnabled(false);
}

bool Dorive::mayClose() {
    if (!st_.WriteActive) return true;
    return dialogs_.confirm(
        "The settings are being written to the unit. Closing now leaves its SIM only partly written. "
        "Close all the same?");
}

void Dorive::FormClose() {
    // Nothing that waits may run, and nothing paused may resume to send or ask for a port.
    loop_.shutdown();
    save_.shutdown();
    quickSave_.shutdown();
    memories_.close();
    device_.stopTimers();
    receive_.stopTimers();
    com_.shutdown();
    if (options_.settingsPath.empty()) return;
    IniFile ini(options_.settingsPath);
    ini.load(ctx_.files);
    ini.writeInteger("Form", "Top", form_.TForm1.top());
    ini.writeInteger("Form", "Left", form_.TForm1.left());
    if (!com_.preferredPort.empty()) ini.writeString("Form", "Port", com_.preferredPort);
    language_.save(ini);
    try {
        ini.save(ctx_.files);
    } catch (const std::exception& e) {
        showError(e.what());
    }
}

}  // namespace dorive
