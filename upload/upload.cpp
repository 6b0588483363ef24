// Script and voice upload.
#include "upload/upload.h"

#include <algorithm>
#include <exception>

#include "ports/files.h"
#include "ports/serial_port.h"

namespace dorive {

namespace {

constexpr const char* kListFilter = "info for download (*.ifo)|*.ifo";
constexpr int kStepPauseMs = 500;    // after an "OK", before the next line
constexpr int kPromptPauseMs = 500;  // after a prompt, before the data

bool isFileKind(UploadKind k) {
    return k == UploadKind::ASend || k == UploadKind::File;
}

std::string fileName(const UploadLine& u) {
    return u.argument;
}

std::string duration(std::int64_t ms) {
    std::int64_t s = (ms + 500) / 1000;
    std::string sec = std::to_string(s % 60);
    return std::to_string(s / 60) + ":" + (sec.size() < 2 ? "0" : "") + sec;
}

}  // namespace

UploadLine classifyUploadLine(std::string_view line) {
    static constexpr std::pair<const char*, UploadKind> kMarkers[] = {{"RUN:", UploadKind::Run},
                                                                      {"ASEND:", UploadKind::ASend},
                                                                      {"SET:", UploadKind::Set},
                                                                      {"DEL:", UploadKind::Del}};
    for (auto [marker, kind] : kMarkers) {
        if (line.find(marker) == std::string_view::npos) continue;
        return {kind, std::string(line.substr(line.find(':') + 1))};
    }
    return {UploadKind::File, std::string(line)};
}

std::vector<std::string> splitListLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string current;
    for (char c : bytes) {
        if (c == '\r') continue;
        if (c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) lines.push_back(std::move(current));
    return lines;
}

Upload::Upload(Context& ctx) : ctx_(ctx) {
    ctx_.onClick(ctx_.form.LoadList, [this] { return LoadListClick(); });
    ctx_.onClick(ctx_.form.ClrList, [this] { return ClrListClick(); });
    ctx_.onClick(ctx_.form.Upgrade, [this] { return UpgradeClick(); });
    ctx_.form.UploadCancel.onClick = [this] { UploadCancelClick(); };
}

Upload::~Upload() {
    stopProgressTimer();
}

// ---- the list ----

Task Upload::LoadListClick() {
    auto path = ctx_.dialogs.openFileName(kListFilter);
    if (!path) co_return;
    ctx_.form.List.appendLines(splitListLines(ctx_.files.read(*path)));
}

Task Upload::ClrListClick() {
    ctx_.form.List.clear();
    co_return;
}

// ---- the steps ----

Task Upload::UpgradeClick() {
    const auto& lines = ctx_.form.List.lines();
    if (lines.empty()) {
        ctx_.showError("The upload list is empty. Load a list first.");
        co_return;
    }
    // Every file is looked at before anything is sent, so that a list cannot stop halfway
    // at a file that was never there.
    std::vector<std::string> problems;
    sizes_.assign(lines.size(), 0);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        UploadLine u = classifyUploadLine(lines[i]);
        if (!isFileKind(u.kind)) continue;
        std::string where = "line " + std::to_string(i + 1) + ": ";
        const std::string name = fileName(u);
        if (name.empty()) {
            problems.push_back(where + "names no file.");
            continue;
        }
        try {
            sizes_[i] = ctx_.files.read(name).size();
        } catch (const FileError& e) {
            problems.push_back(where + e.what());
            continue;
        }
        if (sizes_[i] == 0) problems.push_back(where + "the file \"" + name + "\" is empty.");
    }
    if (!problems.empty()) {
        std::string text = "The upload was not started. These lines of the list cannot be sent:";
        for (const auto& p : problems) text += "\n" + p;
        ctx_.showError(text);
        co_return;
    }

    ++run_;
    cancelRequested_ = false;
    sentLine_ = -1;
    sentText_.clear();
    confirmedText_.clear();
    fileSize_ = handed_ = 0;
    ctx_.form.Prubeh.setMax(int(lines.size()) + 1);
    ctx_.st.UploadIndex = 0;
    ctx_.form.Prubeh.setVisible(true);
    ctx_.form.Prubeh.setPosition(1);
    ctx_.st.UploadActive = true;
    ctx_.st.AudioSendActive = false;
    setRunning(true);
    co_await UploadStep(0);
}

Task Upload::UploadStep(int index) {
    const auto& lines = ctx_.form.List.lines();
    if (index < 0 || index >= int(lines.size())) {
        finish();
        co_return;
    }
    const std::string line = lines[std::size_t(index)];
    const UploadLine u = classifyUploadLine(line);
    const std::uint64_t run = run_;
    std::string command;
    std::size_t size = 0;
    try {
        switch (u.kind) {
            case UploadKind::Run:
                command = "AT#ESCRIPT=" + u.argument;
                break;
            case UploadKind::Set:
                command = u.argument;
                break;
            case UploadKind::Del:
                command = "AT#DSCRIPT=" + u.argument;
                break;
            case UploadKind::ASend:
                size = ReadVoiceFile(u.argument);
                if (size == 0) throw FileError("The file \"" + u.argument + "\" is empty.");
                ctx_.st.UploadActive = true;
                co_await ctx_.pause(ctx_.st.SerialWait);
                if (run != run_) co_return;
                command = "AT#ASEND=" + u.argument + "," + std::to_string(size);
                break;
            case UploadKind::File:
                size = ReadScriptFile(index);
                if (size == 0) throw FileError("The file \"" + line + "\" is empty.");
                command = "AT#WSCRIPT=" + line + "," + std::to_string(size);
                break;
        }
        ctx_.st.UploadActive = true;
        sentLine_ = index;
        sentText_ = line;
        fileSize_ = size;
        handed_ = 0;
        dataPrompted_ = false;
        ctx_.note(command);
        ctx_.send(command + "\r\n");
    } catch (const std::exception& e) {
        sentLine_ = -1;
        end("Upload stopped at " + describe(index, line) + ": " + e.what(), true);
        co_return;
    }
    if (u.kind == UploadKind::ASend) ctx_.st.AudioSendActive = true;
    updateStatus();
}

std::size_t Upload::ReadScriptFile(int index) {
    const auto& lines = ctx_.form.List.lines();
    if (index < 0 || index >= int(lines.size())) return 0;
    ctx_.st.UploadIndex = index;
    return ReadVoiceFile(lines[std::size_t(index)]);
}

std::size_t Upload::ReadVoiceFile(const std::string& name) {
    ctx_.st.UploadData.clear();
    if (name.empty()) throw FileError("The line names no file.");
    ctx_.st.UploadData = ctx_.files.read(name);
    return ctx_.st.UploadData.size();
}

Task Upload::SendUploadData() {
    ctx_.note("+++++++++++++++");
    transferring_ = true;
    dataPrompted_ = true;
    try {
        co_await transfer(run_);
    } catch (...) {
        transferring_ = false;
        throw;
    }
    transferring_ = false;
    if (cancelRequested_) finishCancel();
}

Task Upload::transfer(std::uint64_t run) {
    co_await ctx_.pause(kPromptPauseMs);
    if (run != run_) co_return;

    const std::string data = ctx_.st.UploadData;
    std::size_t pos = 0;
    handed_ = 0;
    while (true) {
        // A port that was lost is not opened again for the rest of a file.
        if (!ctx_.com.portChosen()) {
            onPortLost();
            co_return;
        }
        std::size_t piece = std::min(kOutputBufferSize, data.size() - pos);
        ctx_.send(std::string_view(data).substr(pos, piece));
        pos += piece;
        handed_ = pos;
        updateStatus();
        if (pos >= data.size()) break;

        // The output buffer holds one piece: the next goes out once everything has left it.
        std::int64_t nextNote = ctx_.clock.nowMs();
        while (ctx_.com.outputFree() < kOutputBufferSize) {
            if (ctx_.clock.nowMs() >= nextNote) {
                ctx_.note("sending");
                ctx_.form.RXDled.setVisible(!ctx_.form.RXDled.visible());
                updateStatus();
                nextNote += 1000;
            }
            co_await ctx_.pause(kDrainPollMs);
            if (run != run_) co_return;
        }
        if (!ctx_.com.portChosen()) {
            onPortLost();
            co_return;
        }
        ctx_.note("flush buffer");
    }
}

Task Upload::onOk() {
    ctx_.st.UploadIndex += 1;
    ctx_.form.Prubeh.setPosition(ctx_.st.UploadIndex);
    ctx_.st.UploadActive = false;
    if (!running_) co_return;
    confirmedText_ = sentText_;
    sentLine_ = -1;
    fileSize_ = handed_ = 0;
    if (cancelRequested_) {
        finishCancel();
        co_return;
    }
    // After the last line there is nothing to wait for.
    if (ctx_.st.UploadIndex >= int(ctx_.form.List.lineCount())) {
        finish();
        co_return;
    }
    updateStatus();
    const std::uint64_t run = run_;
    co_await ctx_.pause(kStepPauseMs);
    if (run != run_) co_return;
    co_await UploadStep(ctx_.st.UploadIndex);
}

Task Upload::onVoiceSent() {
    try {
        ctx_.send("AT\r\n");
    } catch (const std::exception& e) {
        end("Upload stopped at " + describe(sentLine_, sentText_) + ": " + e.what(), true);
        co_return;
    }
    ctx_.st.AudioSendActive = false;
}

// ---- ends of an upload ----

void Upload::UploadCancelClick() {
    if (!running_) return;
    cancelRequested_ = true;
    if (transferring_) {
        // The unit waits for every byte it was promised; the cancel completes when they are out.
        ctx_.form.UploadStatus.setCaption("Cancelling: the data of " + describe(sentLine_, sentText_) +
                                          " is still being sent.");
        return;
    }
    finishCancel();
}

void Upload::finishCancel() {
    std::string text = "Upload cancelled. ";
    const int confirmed = ctx_.st.UploadIndex;
    if (confirmed > 0 && !confirmedText_.empty())
        text += "The last completed line is " + describe(confirmed - 1, confirmedText_) + ".";
    else
        text += "No line was completed.";
    if (sentLine_ >= 0) text += " " + describe(sentLine_, sentText_) + " was sent but not confirmed.";
    end(text, false);
}

void Upload::onPortLost() {
    if (!running_) return;
    std::string text = "Upload stopped: the connection to the unit was lost";
    if (sentLine_ >= 0) text += " during " + describe(sentLine_, sentText_);
    text += ".";
    if (ctx_.st.UploadIndex > 0 && !confirmedText_.empty())
        text += " The last completed line is " + describe(ctx_.st.UploadIndex - 1, confirmedText_) + ".";
    end(text, false);
}

void Upload::finish() {
    ++run_;
    ctx_.st.UploadActive = false;
    ctx_.st.AudioSendActive = false;
    const bool was = running_;
    setRunning(false);
    if (was)
        ctx_.form.UploadStatus.setCaption("Upload finished: " + std::to_string(ctx_.st.UploadIndex) +
                                          " lines done.");
}

void Upload::end(const std::string& message, bool errorBox) {
    ++run_;
    cancelRequested_ = false;
    ctx_.st.UploadActive = false;
    ctx_.st.AudioSendActive = false;
    sentLine_ = -1;
    fileSize_ = handed_ = 0;
    setRunning(false);
    ctx_.note(message);
    ctx_.form.UploadStatus.setCaption(message);
    if (errorBox) ctx_.showError(message);
}

void Upload::setRunning(bool on) {
    running_ = on;
    ctx_.form.Upgrade.setEnabled(!on);
    ctx_.form.UploadCancel.setEnabled(on);
    if (on)
        startProgressTimer();
    else
        stopProgressTimer();
}

// ---- progress ----

std::string Upload::describe(int index, const std::string& text) const {
    return "line " + std::to_string(index + 1) + " (" + text + ")";
}

std::size_t Upload::bytesOnWire() const {
    std::size_t queued = kOutputBufferSize - std::min(kOutputBufferSize, ctx_.com.outputFree());
    return handed_ > queued ? handed_ - queued : 0;
}

std::int64_t Upload::estimateLeftMs() const {
    const auto& lines = ctx_.form.List.lines();
    auto wireMs = [](std::size_t bytes) { return std::int64_t(bytes) * 1000 / kWireBytesPerSecond; };
    std::int64_t ms = 0;
    int next = ctx_.st.UploadIndex;
    if (sentLine_ >= 0) {
        if (fileSize_ > 0) ms += wireMs(fileSize_ - std::min(fileSize_, bytesOnWire()));
        if (fileSize_ > 0 && !dataPrompted_) ms += kPromptPauseMs;
        next = sentLine_ + 1;
    }
    for (int i = next; i < int(lines.size()); ++i) {
        UploadLine u = classifyUploadLine(lines[std::size_t(i)]);
        ms += kStepPauseMs + wireMs(u.argument.size() + 16);
        if (isFileKind(u.kind)) {
            ms += kPromptPauseMs + wireMs(std::size_t(i) < sizes_.size() ? sizes_[std::size_t(i)] : 0);
            if (u.kind == UploadKind::ASend) ms += ctx_.st.SerialWait;
        }
    }
    return ms;
}

void Upload::updateStatus() {
    if (!running_ || cancelRequested_) return;
    const auto& lines = ctx_.form.List.lines();
    int index = sentLine_ >= 0 ? sentLine_ : ctx_.st.UploadIndex;
    std::string text = "Line " + std::to_string(index + 1) + " of " + std::to_string(lines.size());
    if (sentLine_ >= 0) text += ": " + sentText_;
    if (sentLine_ >= 0 && fileSize_ > 0)
        text += "  |  " + std::to_string(bytesOnWire()) + " of " + std::to_string(fileSize_) + " bytes sent";
    text += "  |  about " + duration(estimateLeftMs()) + " left";
    ctx_.form.UploadStatus.setCaption(text);
}

void Upload::startProgressTimer() {
    if (progressTimer_) return;
    progressTimer_ = ctx_.clock.startTimer(250, [this] {
        progressTimer_ = 0;
        if (!running_) return;
        updateStatus();
        startProgressTimer();
    });
}

void Upload::stopProgressTimer() {
    if (progressTimer_) ctx_.clock.cancelTimer(progressTimer_);
    progressTimer_ = 0;
}

}  // namespace dorive
