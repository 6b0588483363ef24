#pragma once
// DORive's core as a front end holds it: the form model, the program-wide state, the event
// loop, the serial channel and every subsystem, owned and wired here. The Qt window, the
// command line and the tests each hold one, post user actions to it and watch its form.
#include <cstddef>
#include <string>

#include "app/language.h"
#include "device/device_ops.h"
#include "device/quick_save.h"
#include "device/read_view.h"
#include "device/reply_dispatch.h"
#include "device/save_sequence.h"
#include "form/form.h"
#include "form/state.h"
#include "loop/event_loop.h"
#include "memories/memories.h"
#include "params/pc_file.h"
#include "phonebook/phone_book_page.h"
#include "ports/clock.h"
#include "ports/dialogs.h"
#include "ports/files.h"
#include "ports/serial_port.h"
#include "serial/context.h"
#include "serial/receive_path.h"
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

    // Start-up of the window: variant, settings file, first commands to the unit.
    Task FormCreate();
    // Whether the window may close now: while a save writes the SIM the user is asked first.
    bool mayClose();
    // Ends every activity (nothing waiting runs, nothing paused resumes), closes the port and
    // writes the settings file; reports a file that cannot be written and returns all the same.
    void FormClose();

    // Runs a handler as an activity of the loop (now if idle, else after the waiting ones).
    void post(EventLoop::Activity activity) { loop_.post(std::move(activity)); }
    // A user's edit of a text field, as an activity; dropped if by its turn the field can no
    // longer be used.
    void userEdit(Edit& edit, std::string text, std::size_t caret);

    Form& form() { return form_; }
    const Form& form() const { return form_; }
    State& state() { return st_; }
    const State& state() const { return st_; }
    Context& context() { return ctx_; }
    SerialChannel& channel() { return com_; }
    EventLoop& loop() { return loop_; }
    const DoriveOptions& options() const { return options_; }

    // The subsystems, for front ends that drive them and for tests.
    ReceivePath& receive() { return receive_; }
    ReplyDispatch& replies() { return replies_; }
    DeviceOps& device() { return device_; }
    SaveSequence& save() { return save_; }
    QuickSave& quickSave() { return quickSave_; }
    ReadView& readView() { return view_; }
    PhoneBookPage& phoneBook() { return phoneBook_; }
    PcFile& pcFile() { return pcFile_; }
    Memories& memories() { return memories_; }
    Upload& upload() { return upload_; }
    Language& language() { return language_; }

  private:
    void showError(const std::string& text) { dialogs_.errorBox(text); }
    void portLost(const std::string& why);
    Task reportLoss();

    Clock& clock_;
    Dialogs& dialogs_;
    DoriveOptions options_;
    Form form_;
    State st_;
    EventLoop loop_;
    SerialChannel com_;
    Context ctx_;

    ReadView view_;
    DeviceOps device_;
    SaveSequence save_;
    QuickSave quickSave_;
    ReplyDispatch replies_;
    ReceivePath receive_;
    MonitorLog monitorLog_;
    PhoneBookPage phoneBook_;
    PcFile pcFile_;
    Memories memories_;
    Upload upload_;
    Language language_;
};

}  // namespace dorive
