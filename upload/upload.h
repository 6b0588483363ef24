#pragma once
// Script and voice upload from the service page: an upload list of lines, each one step
// that sends one command to the module and waits for its "OK"; a file's bytes go out when
// the module prompts for them. The receive path and the reply dispatch call the hooks.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "loop/task.h"
#include "ports/clock.h"
#include "serial/context.h"

namespace dorive {

enum class UploadKind { Run, ASend, Set, Del, File };

struct UploadLine {
    UploadKind kind = UploadKind::File;
    // The text after the first colon for a marked line; the whole line for a file line.
    std::string argument;
    bool operator==(const UploadLine&) const = default;
};

// The kind is that of the first marker found anywhere in the line, tested in the order
// "RUN:", "ASEND:", "SET:", "DEL:" (letter case counts); a line without one names a script file.
UploadLine classifyUploadLine(std::string_view line);

// The lines of an upload list file: a line ends at LF or CR LF, other CRs are dropped, empty
// lines stay, and a final line end gives no empty line after it.
std::vector<std::string> splitListLines(std::string_view bytes);

class Upload {
  public:
    // Bytes per second on the line: 115200 baud, ten bits a byte.
    static constexpr int kWireBytesPerSecond = 11520;
    // While a large file drains from the output buffer, how often the buffer is looked at.
    static constexpr int kDrainPollMs = 10;

    // Binds LoadList, ClrList, Upgrade and UploadCancel.
    explicit Upload(Context& ctx);
    ~Upload();
    Upload(const Upload&) = delete;
    Upload& operator=(const Upload&) = delete;

    Task LoadListClick();
    Task ClrListClick();
    // Checks every file the list names, then starts at line 0.
    Task UpgradeClick();
    // Runs at once, not as a queued activity, so that it reaches an upload whose data is
    // being sent. The step under way is finished as far as the unit needs; no further step
    // starts.
    void UploadCancelClick();

    Task UploadStep(int index);
    // Read the named file whole into UploadData; the size in bytes. Throw FileError.
    std::size_t ReadScriptFile(int index);
    std::size_t ReadVoiceFile(const std::string& name);
    Task SendUploadData();

    // Hooks for the receive path and the reply dispatch.
    // An upload step waits for the module: a prompt releases the data, an "OK" advances.
    bool active() const { return ctx_.st.UploadActive; }
    // The module prompted (">>>" or "CONNECT") while active().
    Task onPrompt() { return SendUploadData(); }
    // An "OK" while active() and no voice send waits for its end: the list moves on.
    Task onOk();
    // A "#ASENDEV:" line while a voice send waits for its end.
    Task onVoiceSent();
    // The serial port stopped working.
    void onPortLost();

    // From Upgrade until the list is finished, cancelled or broken off.
    bool running() const { return running_; }

  private:
    // The data of the step under way, in pieces the output buffer holds.
    Task transfer(std::uint64_t run);
    std::string describe(int index, const std::string& text) const;
    std::string lineText(int index) const;
    void setRunning(bool on);
    void finish();
    void end(const std::string& message, bool errorBox);
    void finishCancel();
    void updateStatus();
    std::int64_t estimateLeftMs() const;
    std::size_t bytesOnWire() const;
    void startProgressTimer();
    void stopProgressTimer();

    Context& ctx_;
    bool running_ = false;
    bool cancelRequested_ = false;
    bool transferring_ = false;
    // Changes whenever an upload starts or ends, so that a step resumed after a pause can
    // tell that its upload is over.
    std::uint64_t run_ = 0;
    // Sizes of the files the list names, by line, as found when Upgrade was pressed.
    std::vector<std::size_t> sizes_;
    // The line whose command went out and waits for its "OK" (-1: none), and its text.
    int sentLine_ = -1;
    std::string sentText_;
    std::string confirmedText_;  // text of the last line confirmed
    std::size_t fileSize_ = 0;   // file of the line sent, 0 when it has none
    std::size_t handed_ = 0;     // bytes of it handed to the port
    bool dataPrompted_ = false;
    Clock::TimerId progressTimer_ = 0;
};

}  // namespace dorive
