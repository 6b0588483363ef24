#include "cli/session.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "device/quick_save.h"
#include "device/read_view.h"
#include "device/save_sequence.h"
#include "params/pc_file.h"
#include "params/records.h"
#include "text/text.h"
#include "upload/upload.h"

namespace dorive::cli {

namespace {

// After this long without a byte, a wait that has a nudge asks again, as a user would.
constexpr std::int64_t kNudgeQuietMs = 3000;
// A level no "+CSQ:" reply gives: the reply has not come yet.
constexpr int kNoSignal = -1000000;

std::string inQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

std::optional<std::string> writeModeUnavailable(WriteMode) {
    return std::nullopt;
}

std::optional<std::string> uploadUnavailable() {
    return std::nullopt;
}

Session::Session(Dorive& core, Runner& runner, CliDialogs& dialogs, LineWatch& watch, Streams streams,
                 double timeoutSeconds)
    : core_(core),
      runner_(runner),
      dialogs_(dialogs),
      watch_(watch),
      io_(streams),
      timeoutMs_(std::max<std::int64_t>(1, std::int64_t(timeoutSeconds * 1000 + 0.5))) {
    ReadView& view = core_.readView();
    view.onCompleted = [this] { readDone_ = true; };
    view.onBroken = [this](const std::string& why) {
        dialogs_.fail("The SIM could not be read: " + why + ".", kExitFailed);
    };
    auto entry = core_.replies().memoryEntry;
    core_.replies().memoryEntry = [this, entry](const ListingLine& line) {
        if (auto at = parseInt(line.location, false)) listed_[*at] = line;
        if (entry) entry(line);
    };
    auto notice = core_.channel().onNotice;
    core_.channel().onNotice = [this, notice](const std::string& text) {
        if (notice) notice(text);
        if (dtrWarned_) return;
        dtrWarned_ = true;
        io_.err << "dorive-cli: warning: " << text
                << " Going on: a stop made by other means shows in the unit's reports.\n"
                << std::flush;
    };
}

Session::~Session() {
    core_.readView().onCompleted = nullptr;
    core_.readView().onBroken = nullptr;
}

int Session::execute(const CliArgs& args) {
    switch (args.command) {
        case Command::Read:
            return read(args.file);
        case Command::Write:
            return write(args.file, args.writeMode);
        case Command::Run:
            return run();
        case Command::Signal:
            return signal();
        case Command::Upload:
            return upload(args.file);
        case Command::None:
            break;
    }
    return kExitUsage;
}

// ---- the commands ----

int Session::read(const std::string& file) {
    if (!start() || !stopAndRead()) return status();
    dialogs_.saveAnswer = file;
    dialogs_.errorExit = kExitUsage;
    const int shown = dialogs_.fileDialogsShown;
    const bool saved = clickAndSettle(core_.form().Save, "Save on the PC panel");
    dialogs_.errorExit = kExitFailed;
    if (!saved || dialogs_.failed()) return status();
    if (dialogs_.fileDialogsShown == shown) {
        dialogs_.fail("Save on the PC panel did not run; nothing was saved.", kExitFailed);
        return status();
    }
    progress(file == "-" ? "settings written to standard output" : "settings saved to " + file);
    return kExitOk;
}

int Session::write(const std::string& file, WriteMode mode) {
    if (auto why = writeModeUnavailable(mode)) {
        dialogs_.fail(*why, kExitUsage);
        return status();
    }
    // A file that cannot be loaded is found before the unit is touched.
    try {
        std::string bytes = core_.context().files.read(file);
        if (auto problem = pcFileProblem(bytes)) {
            dialogs_.fail(
                "Cannot load " + inQuotes(file) + ": " + *problem + ". Nothing was written to the unit.",
                kExitUsage);
            return status();
        }
    } catch (const FileError& e) {
        dialogs_.fail(std::string(e.what()) + " Nothing was written to the unit.", kExitUsage);
        return status();
    }
    if (!start() || !stopAndRead()) return status();

    Form& form = core_.form();
    State& st = core_.state();
    progress("loading " + (file == "-" ? std::string("standard input") : file));
    dialogs_.openAnswer = file;
    dialogs_.errorExit = kExitUsage;
    const int shown = dialogs_.fileDialogsShown;
    const bool loaded = clickAndSettle(form.Load, "Load on the PC panel");
    dialogs_.errorExit = kExitFailed;
    if (!loaded || dialogs_.failed()) return status();
    if (dialogs_.fileDialogsShown == shown) {
        dialogs_.fail("Load on the PC panel did not run; nothing was written to the unit.", kExitFailed);
        return status();
    }
    if (std::string refusal = saveRefusal(form, st); !refusal.empty()) {
        dialogs_.fail(refusal, kExitUsage);
        return status();
    }

    // What the save is to leave on the SIM: the entries with a name and a number, from
    // location 1 on, and nothing after them.
    State built = st;
    BuildParamRecords(form, built);
    std::map<int, SimEntry> expected;
    int location = 1;
    for (const SimEntry& e : saveEntries(form, built))
        if (!e.name.empty() && !e.number.empty() && location <= st.SimCapacity) expected[location++] = e;

    listed_.clear();
    readDone_ = false;
    if (mode == WriteMode::ChangedOnly) return writeChanged(expected);
    if (!startSave(mode)) return status();
    lastCount_ = -1;
    Wait saving;
    saving.what = [this] {
        return "the unit's answer to writing SIM location " +
               std::to_string(std::max(core_.state().WriteIndex - 1, 1));
    };
    saving.done = [&st] { return !st.WriteActive; };
    saving.progress = [this, &st] { progressCount("writing location", st.WriteIndex - 1, st.SimCapacity); };
    if (!wait(saving)) return status();
    progressCount("writing location", st.SimCapacity, st.SimCapacity);
    progress("reading the SIM back");
    Wait readBack;
    readBack.what = [] { return std::string("the SIM listing read back after the write"); };
    readBack.done = [this] { return readDone_; };
    if (!wait(readBack) || !verifyWrite(expected)) return status();
    progress("written and checked: " + std::to_string(expected.size()) + " entries, the other " +
             std::to_string(st.SimCapacity - int(expected.size())) + " locations empty");
    return kExitOk;
}

int Session::run() {
    if (!start()) return status();
    progress("letting the unit's script run");
    Form& form = core_.form();
    if (!click(form.RunZEP, "Run")) return status();
    // Run ends by showing pending; run mode shown after it has ended is the unit's report.
    bool ran = false;
    core_.post([&ran]() -> Task {
        ran = true;
        co_return;
    });
    Wait w;
    w.what = [] { return std::string("the unit to report run mode"); };
    w.done = [&form, &ran] { return ran && runModeShown(form); };
    w.chattyUnit = true;
    if (!wait(w)) return status();
    progress("the unit's script runs");
    return kExitOk;
}

int Session::signal() {
    if (!start()) return status();
    Form& form = core_.form();
    State& st = core_.state();
    st.SignalLevel = kNoSignal;
    progress("asking for the signal level");
    if (!click(form.signal, "signal")) return status();
    Wait w;
    w.what = [] { return std::string("the unit's signal report (+CSQ)"); };
    w.done = [&st] { return st.SignalLevel != kNoSignal; };
    w.chattyUnit = true;
    w.nudge = [&form] { form.signal.click(); };
    if (!wait(w)) return status();
    io_.out << st.SignalLevel << '\n' << std::flush;
    return kExitOk;
}

int Session::upload(const std::string& list) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path listPath = fs::absolute(list, ec);
    try {
        core_.context().files.read(listPath.string());
    } catch (const FileError& e) {
        dialogs_.fail(std::string(e.what()) + " Nothing was sent to the unit.", kExitUsage);
        return status();
    }
    // The module takes uploads only while its script is stopped; the read that follows the
    // stop is let finish, so that none of its answers is taken for an upload step's.
    if (!start() || !stopAndRead()) return status();

    // Names in the list are found beside it, as in the window after Load List.
    const fs::path before = fs::current_path(ec);
    fs::current_path(listPath.parent_path(), ec);
    struct Back {
        fs::path dir;
        ~Back() {
            std::error_code e;
            if (!dir.empty()) fs::current_path(dir, e);
        }
    } back{before};

    Form& form = core_.form();
    progress("loading the upload list " + list);
    dialogs_.openAnswer = listPath.string();
    dialogs_.errorExit = kExitUsage;
    const bool loaded = clickAndSettle(form.LoadList, "Load List");
    dialogs_.errorExit = kExitFailed;
    if (!loaded || dialogs_.failed()) return status();
    const std::size_t lines = form.List.lineCount();

    progress("uploading " + std::to_string(lines) + " lines");
    if (!click(form.Upgrade, "Upgrade")) return status();
    Upload& upload = core_.upload();
    State& st = core_.state();
    lastCount_ = -1;
    Wait w;
    w.what = [&st, &form] {
        const int line = std::min<int>(st.UploadIndex, int(form.List.lineCount()) - 1);
        return "the unit's answer to upload line " + std::to_string(line + 1) +
               (line >= 0 ? " (" + form.List.lines()[std::size_t(line)] + ")" : std::string());
    };
    w.done = [&upload] { return !upload.running(); };
    w.progress = [this, &st, lines] {
        progressCount("upload line", std::min(st.UploadIndex + 1, int(lines)), int(lines));
    };
    if (!wait(w)) {
        upload.UploadCancelClick();
        return status();
    }
    if (dialogs_.failed()) return status();
    if (st.UploadIndex < int(lines)) {
        dialogs_.fail("The upload ended at line " + std::to_string(st.UploadIndex + 1) + " of " +
                          std::to_string(lines) + ".",
                      kExitFailed);
        return status();
    }
    progress("uploaded: " + std::to_string(lines) + " lines");
    return kExitOk;
}

// ---- steps ----

bool Session::start() {
    bool started = false;
    core_.post([this, &started]() -> Task {
        co_await core_.FormCreate();
        started = true;
    });
    runner_.runUntil([&] { return started || dialogs_.failed(); });
    return started && !dialogs_.failed();
}

bool Session::stopAndRead() {
    Form& form = core_.form();
    ReadView& view = core_.readView();
    progress("stopping the unit's script");
    listed_.clear();
    readDone_ = false;
    if (!click(form.StopZEP, "Stop")) return false;
    Wait stopping;
    stopping.what = [] { return std::string("the unit to report its stop and the SIM listing to start"); };
    stopping.done = [this, &view] { return view.listingPending() || readDone_; };
    stopping.chattyUnit = true;
    // A unit already stopped, or one whose stop reaction reads nothing (a newer module not
    // yet recognised), is read by Load, as the window's user would do.
    stopping.nudge = [&form] { form.LoadZEP.click(); };
    if (!wait(stopping)) return false;
    progress("reading the SIM (" + std::to_string(core_.state().SimCapacity) + " locations)");
    Wait listing;
    listing.what = [] { return std::string("the SIM listing"); };
    listing.done = [this] { return readDone_; };
    if (!wait(listing)) return false;
    progress("read " + std::to_string(listed_.size()) + " entries");
    return true;
}

bool Session::startSave(WriteMode mode) {
    if (auto why = writeModeUnavailable(mode)) {
        dialogs_.fail(*why, kExitUsage);
        return false;
    }
    State& st = core_.state();
    progress("writing the settings to the SIM (" + std::to_string(st.SimCapacity) + " locations)");
    if (!settle() || !click(core_.form().SaveZEP, "Save")) return false;
    if (!st.WriteActive && !dialogs_.failed())
        dialogs_.fail("The save to the unit did not start.", kExitFailed);
    return st.WriteActive && !dialogs_.failed();
}

// Quick Save: reads the SIM, writes only the locations that differ, reads back and checks
// the SIM holds exactly what a full save would have left.
int Session::writeChanged(const std::map<int, SimEntry>& expected) {
    QuickSave& quick = core_.quickSave();
    State& st = core_.state();
    progress("comparing the SIM with the settings (" + std::to_string(st.SimCapacity) + " locations)");
    if (!settle() || !click(core_.form().QuickSaveZEP, "Quick Save")) return status();
    if (!quick.active() && !dialogs_.failed())
        dialogs_.fail("The quick save to the unit did not start.", kExitFailed);
    if (dialogs_.failed()) return status();
    lastCount_ = -1;
    Wait w;
    w.what = [&quick, &st] {
        switch (quick.phase()) {
            case QuickSave::Phase::Reading:
                return std::string("the SIM listing read before writing");
            case QuickSave::Phase::Writing:
                return "the unit's answer to writing SIM location " +
                       std::to_string(std::max(st.WriteIndex - 1, 1));
            default:
                return std::string("the SIM listing read back after the write");
        }
    };
    w.done = [&quick] { return !quick.active(); };
    w.progress = [this, &quick] {
        if (quick.phase() == QuickSave::Phase::Writing)
            progressCount("writing changed location", core_.form().Prubeh.position(),
                          int(quick.writes().size()));
    };
    if (!wait(w)) return status();
    if (dialogs_.failed()) return status();
    if (!quick.succeeded()) {
        dialogs_.fail("The quick save did not end with the SIM holding what was written.", kExitFailed);
        return status();
    }
    progress("written and checked: " + std::to_string(quick.writes().size()) + " locations changed, " +
             std::to_string(expected.size()) + " entries on the SIM");
    return kExitOk;
}

bool Session::verifyWrite(const std::map<int, SimEntry>& expected) {
    std::vector<std::string> differences;
    const int capacity = core_.state().SimCapacity;
    for (int at = 1; at <= capacity; ++at) {
        auto want = expected.find(at);
        auto got = listed_.find(at);
        const bool wantUsed = want != expected.end(), gotUsed = got != listed_.end();
        if (!wantUsed && !gotUsed) continue;
        if (wantUsed && gotUsed && got->second.name == want->second.name &&
            got->second.number == want->second.number)
            continue;
        std::string text =
            "location " + std::to_string(at) + " holds " +
            (gotUsed ? inQuotes(got->second.name) + " " + inQuotes(got->second.number) : "nothing") +
            ", written was " +
            (wantUsed ? inQuotes(want->second.name) + " " + inQuotes(want->second.number) : "nothing");
        differences.push_back(text);
    }
    if (differences.empty()) return true;
    std::string text = "The SIM does not hold what was written (" + std::to_string(differences.size()) +
                       " locations differ):";
    for (std::size_t i = 0; i < differences.size() && i < 10; ++i) text += "\n  " + differences[i];
    if (differences.size() > 10) text += "\n  ...";
    dialogs_.fail(text, kExitFailed);
    return false;
}

// Waits until w.done(), an error, the unit's silence for the time-out, or (for a unit that
// keeps talking) three time-outs in all. One timer at a time watches the silence.
bool Session::wait(const Wait& w) {
    Clock& clock = runner_.clock();
    const std::int64_t start = clock.nowMs();
    const std::int64_t limit = w.chattyUnit ? 3 * timeoutMs_ : -1;
    std::int64_t lastNudge = start;
    std::string expired;
    Clock::TimerId timer = 0;
    auto lastHeard = [&] { return std::max(start, watch_.lastReceivedMs); };
    std::function<void()> arm = [&] {
        const std::int64_t now = clock.nowMs();
        std::int64_t due = lastHeard() + timeoutMs_;
        if (limit >= 0) due = std::min(due, start + limit);
        if (w.nudge) due = std::min(due, std::max(lastHeard(), lastNudge) + kNudgeQuietMs);
        timer = clock.startTimer(int(std::max<std::int64_t>(due - now, 1)), [&] {
            timer = 0;
            const std::int64_t now = clock.nowMs();
            if (now - lastHeard() >= timeoutMs_) {
                expired =
                    "No answer from the unit for " + seconds(timeoutMs_) + " while waiting for " + w.what() +
                    (watch_.lastSent.empty() ? std::string() : " (last sent: " + watch_.lastSent + ")") + ".";
                return;
            }
            if (limit >= 0 && now - start >= limit) {
                expired = "Gave up after " + seconds(limit) + " waiting for " + w.what() +
                          ": the unit kept sending other lines.";
                return;
            }
            if (w.nudge && now - std::max(lastHeard(), lastNudge) >= kNudgeQuietMs) {
                if (core_.loop().busy()) {
                    lastNudge = now - kNudgeQuietMs + 200;  // look again when the activity has rested
                } else {
                    lastNudge = now;
                    w.nudge();
                }
            }
            arm();
        });
    };
    arm();
    runner_.runUntil([&] {
        if (w.progress) w.progress();
        return !expired.empty() || dialogs_.failed() || w.done();
    });
    if (timer) clock.cancelTimer(timer);
    if (dialogs_.failed()) return false;
    if (w.done()) return true;
    dialogs_.fail(expired.empty() ? "Nothing more can happen while waiting for " + w.what() + "." : expired,
                  kExitFailed);
    return false;
}

// Until the activity under way and those waiting behind it have run.
bool Session::settle() {
    runner_.runUntil([this] { return !core_.loop().busy() || dialogs_.failed(); });
    return !dialogs_.failed();
}

bool Session::click(Button& button, const std::string& caption) {
    if (!button.usable()) {
        dialogs_.fail(caption + " is not available now: the window would show it disabled.", kExitFailed);
        return false;
    }
    button.click();
    return !dialogs_.failed();
}

bool Session::clickAndSettle(Button& button, const std::string& caption) {
    return settle() && click(button, caption) && settle();
}

// ---- output ----

void Session::progress(const std::string& line) {
    if (countLineOpen_) io_.err << '\n';
    countLineOpen_ = false;
    io_.err << line << '\n' << std::flush;
}

void Session::progressCount(const std::string& label, int done, int total) {
    if (done <= 0 || done == lastCount_) return;
    lastCount_ = done;
    std::string line = label + " " + std::to_string(done) + " of " + std::to_string(total);
    if (io_.progressOnTerminal) {
        io_.err << '\r' << line << std::flush;
        countLineOpen_ = done < total;
        if (done >= total) io_.err << '\n' << std::flush;
        return;
    }
    // In a log, one line in 25 and the last.
    if (done % 25 == 0 || done == 1 || done >= total) io_.err << line << '\n' << std::flush;
}

std::string Session::seconds(std::int64_t ms) const {
    char text[32];
    if (ms % 1000 == 0)
        std::snprintf(text, sizeof text, "%lld s", static_cast<long long>(ms / 1000));
    else
        std::snprintf(text, sizeof text, "%.1f s", double(ms) / 1000);
    return text;
}

}  // namespace dorive::cli
