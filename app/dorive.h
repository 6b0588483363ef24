#pragma once
// The core of DORive's main window: the form model, the program-wide state, the serial
// channel and every handler of the window, driven by one event loop. Front ends (the Qt
// window, the command line) own one of these and bind to it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "form/form.h"
#include "form/state.h"
#include "loop/event_loop.h"
#include "params/fixed_entries.h"
#include "ports/clock.h"
#include "ports/dialogs.h"
#include "ports/serial_port.h"
#include "ports/files.h"
#include "serial/context.h"
#include "serial/serial_channel.h"
#include "upload/monitor_log.h"
#include "upload/upload.h"

namespace dorive {

struct DoriveOptions {
    // The executable as typed on the command line (argv[0]); its file name picks the variant.
    std::string executable = "DORive";
    // Path of the settings file; empty means none is read or written.
    std::string settingsPath;
    // How long a save waits for the unit's answer to one write before it gives up.
    int saveReplyTimeoutMs = 10000;
    // Where files are read and written; the machine's disk when not set.
    Files* files = nullptr;
};

class Dorive {
public:
    Dorive(PortProvider& ports, Clock& clock, Dialogs& dialogs, DoriveOptions options = {});
    ~Dorive();
    Dorive(const Dorive&) = delete;
    Dorive& operator=(const Dorive&) = delete;

    Form form;
    State st;
    EventLoop loop;
    SerialChannel com;
    RepeatingTimer Cekani;    // wait indicator, 1000 ms
    RepeatingTimer LedTimer;  // receive indicator, 2000 ms

    // What the subsystems share.
    Context& context() { return ctx_; }
    Files& files() { return ctx_.files; }

    Dialogs& dialogs() { return dialogs_; }
    Clock& clock() { return clock_; }
    const DoriveOptions& options() const { return options_; }

    // Start-up and close of the window.
    Task FormCreate();
    // Closes the port and writes the settings file; reports a file that cannot be written
    // and returns all the same.
    void FormClose();
    // Whether the window may close now: while a save writes the SIM the user is asked first.
    bool mayClose();

    // Runs a handler as an activity of the loop (now if idle, else after the waiting ones).
    void post(EventLoop::Activity activity) { loop.post(std::move(activity)); }
    // A user's edit of a text field, as an activity.
    void userEdit(Edit& edit, std::string text, std::size_t caret);

    // Serial channel and monitor.
    void send(std::string_view text);  // throws PortError
    void note(std::string_view line) { form.Monitor.append(line); }
    Task ApdComPort1TriggerAvail();             // data-available event
    Task receiveBytes(std::string_view bytes);  // line assembly of received bytes
    Task LedTimerTimer();
    auto pause(int ms) { return loop.pause(ms); }

    // Reply handling.
    Task dispatchReply(std::string& line);
    void showRunMode();
    void showProgMode();
    void showPending();
    void clearReadView();
    void clearTrees();
    void endStopWait();
    bool runModeShown() const { return form.DeviceRun.visible(); }
    bool progModeShown() const { return form.DeviceStop.visible(); }
    bool pendingShown() const { return form.DeviceNic.visible(); }

    // Device operations.
    Task StopZEPClick();
    Task RunZEPClick();
    Task LoadZEPClick();
    Task SaveZEPClick();
    Task signalClick();
    Task InicializaceClick();
    Task IMEIClick();
    Task CekaniTimer();
    void startWaitIndicator();
    Task saveStep();
    Task WriteSimEntry(const std::string& name, const std::string& number);
    void LockControls();
    void UnlockControls();

    // Phone-book page: add one entry read from the SIM.
    void addPhoneBookEntry(const std::string& name, const std::string& number);

    // Service page: the script and voice upload (its hooks are called from the receive path
    // and the reply dispatch).
    Upload& upload() { return upload_; }

private:
    void showError(const std::string& text);
    void wireControls();
    const std::string& timeStamp();

    Clock& clock_;
    Dialogs& dialogs_;
    DoriveOptions options_;
    Context ctx_;
    // Subsystems of the service and monitor pages.
    Upload upload_{ctx_};
    MonitorLog monitorLog_{ctx_};
    bool rxPosted_ = false;
    std::string dispatchLine_;
    std::string monitorLine_;
    std::string lastTimeText_;
    std::int64_t lastTimeSecond_ = -1;

    // A reply may enable device buttons; while a save runs they stay locked until its end.
    void enableUnlessSaving(Control& c);

    // The end of a save: unlock and read the SIM back.
    Task finishSave();
    // What the running save writes, step by step: the fixed entries, then the phone-book rows.
    std::vector<SimEntry> saveSources_;

    // Save that cannot finish: the reply watchdog and the abort.
    void armSaveWatchdog();
    void disarmSaveWatchdog();
    Task saveWatchdogFired(std::uint64_t generation);
    Task abortSave(std::string why);
    Clock::TimerId saveWatchdog_ = 0;
    std::uint64_t watchdogGeneration_ = 0;
    std::string lastWriteDescription_;
};

}  // namespace dorive
