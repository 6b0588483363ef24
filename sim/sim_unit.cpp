#include "sim/sim_unit.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "text/text.h"

namespace dorive::sim {

namespace {

constexpr std::size_t kKeptLineBytes = 1024;

char upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}
bool isAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A decimal number without sign, blanks around it allowed.
std::optional<long> toNumber(std::string_view s) {
    auto v = parseInt(trimSpaces(s), false);
    if (!v) return std::nullopt;
    return *v;
}

// Splits an argument list at commas outside double quotes and removes the quotes of quoted
// fields. Unquoted fields are kept byte for byte. Nothing on a malformed list.
std::optional<std::vector<std::string>> splitFields(std::string_view arg) {
    std::vector<std::string> fields;
    std::size_t pos = 0;
    while (true) {
        std::string field;
        std::size_t start = pos;
        while (start < arg.size() && arg[start] == ' ') ++start;
        if (start < arg.size() && arg[start] == '"') {
            std::size_t close = arg.find('"', start + 1);
            if (close == std::string_view::npos) return std::nullopt;
            field.assign(arg.substr(start + 1, close - start - 1));
            pos = close + 1;
            while (pos < arg.size() && arg[pos] == ' ') ++pos;
            if (pos < arg.size() && arg[pos] != ',') return std::nullopt;
        } else {
            std::size_t comma = arg.find(',', pos);
            if (comma == std::string_view::npos) comma = arg.size();
            field.assign(arg.substr(pos, comma - pos));
            pos = comma;
        }
        fields.push_back(std::move(field));
        if (pos >= arg.size()) break;
        ++pos;  // the comma
    }
    return fields;
}

}  // namespace

struct SimUnit::Reply {
    std::string body;  // framed information lines
    enum class After { Nothing, Reboot, Upload } after = After::Nothing;
};

SimUnit::SimUnit(Clock& clock, SimOptions options, SimCard card)
    : clock_(clock), options_(std::move(options)), card_(std::move(card)), rng_(faults_.seed) {}

SimUnit::~SimUnit() {
    cancelTimers();
    if (statusTimer_) clock_.cancelTimer(statusTimer_);
}

std::uint64_t SimUnit::attach(Output out, std::function<void()> unplug) {
    out_ = std::move(out);
    unplug_ = std::move(unplug);
    ++outId_;
    if (phase_ == Phase::Running) startStatusTimer();
    return outId_;
}

void SimUnit::detach(std::uint64_t id) {
    if (id != outId_ || !out_) return;
    out_ = nullptr;
    unplug_ = nullptr;
    if (statusTimer_) clock_.cancelTimer(statusTimer_);
    statusTimer_ = 0;
}

void SimUnit::setFaults(const Faults& faults) {
    faults_ = faults;
    rng_.seed(faults.seed);
    commandsSinceFaults_ = writesSinceFaults_ = linesSinceFaults_ = matchingCommands_ = 0;
    silent_ = false;
    garbleResult_ = false;
}

// ---- serial line ----

void SimUnit::receive(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (uploadRemaining_ > 0) {
            if (skipLf_ && bytes[pos] == '\n') {  // the LF that closed the command line
                skipLf_ = false;
                ++pos;
                continue;
            }
            skipLf_ = false;
            std::size_t n = std::min(uploadRemaining_, bytes.size() - pos);
            takeUploadData(bytes.substr(pos, n));
            pos += n;
            continue;
        }
        char c = bytes[pos++];
        if (c == '\n') continue;
        if (c == '\r') {
            std::string line = std::move(line_);
            std::size_t length = lineLength_;
            line_.clear();
            lineLength_ = 0;
            handleLine(line, length);
            continue;
        }
        if (line_.size() < kKeptLineBytes) line_ += c;
        ++lineLength_;
    }
}

void SimUnit::setDtr(bool asserted) {
    if (asserted == dtr_) return;
    dtr_ = asserted;
    if (asserted) {
        if (phase_ == Phase::Running)
            schedule(options_.stopDelayMs, [this] {
                if (phase_ == Phase::Running && dtr_) stopScript();
            });
    } else if (phase_ == Phase::Stopped && options_.type == ModuleType::Newer) {
        startScript();
    }
}

void SimUnit::handleLine(const std::string& line, std::size_t length) {
    if (length == 0) return;
    commands_.push_back(line);
    if (faults_.silentAfter > 0 && ++commandsSinceFaults_ > faults_.silentAfter) silent_ = true;
    const CommandFaultAction fault = commandFault(line);
    if (fault == CommandFaultAction::Unplug) {
        // The line goes dead from a timer, not from inside the port's own write.
        if (unplug_)
            schedule(0, [this] {
                if (unplug_) unplug_();
            });
        return;
    }
    if (fault == CommandFaultAction::Silence) return;
    if (phase_ != Phase::Stopped) return;  // the script owns the module, or it is restarting
    if (echo_) send(line + "\r");
    if (fault == CommandFaultAction::Error || fault == CommandFaultAction::CmeError) {
        send(fault == CommandFaultAction::Error ? "\r\nERROR\r\n" : "\r\n+CME ERROR: 3\r\n");
        return;
    }
    garbleResult_ = fault == CommandFaultAction::Garble;
    if (length > kMaxCommandLength) {
        send("\r\nERROR\r\n");
        return;
    }
    execute(line);
}

CommandFaultAction SimUnit::commandFault(const std::string& line) {
    const CommandFault& f = faults_.atCommand;
    if (f.nth <= 0 || f.action == CommandFaultAction::None) return CommandFaultAction::None;
    const bool prefix = !f.match.empty() && f.match.back() == '*';
    const bool matches =
        prefix ? line.starts_with(std::string_view(f.match).substr(0, f.match.size() - 1)) : line == f.match;
    if (!matches || ++matchingCommands_ != f.nth) return CommandFaultAction::None;
    return f.action;
}

// ---- commands ----

void SimUnit::execute(const std::string& line) {
    Reply reply;
    bool ok = line.size() >= 2 && upper(line[0]) == 'A' && upper(line[1]) == 'T';
    std::size_t pos = 2;
    while (ok && pos < line.size()) {
        char c = line[pos];
        if (c == ';' || c == ' ') {
            ++pos;
        } else if (c == '+' || c == '#') {
            std::string name(1, c);
            ++pos;
            while (pos < line.size() && isAlnum(line[pos])) name += upper(line[pos++]);
            char form = 'A';  // action; 'T' test "=?", 'R' read "?", 'S' set "=..."
            std::string_view arg;
            if (pos < line.size() && line[pos] == '=') {
                if (pos + 1 < line.size() && line[pos + 1] == '?') {
                    form = 'T';
                    pos += 2;
                } else {
                    form = 'S';
                    arg = std::string_view(line).substr(pos + 1);
                    pos = line.size();
                }
            } else if (pos < line.size() && line[pos] == '?') {
                form = 'R';
                ++pos;
            }
            ok = name.size() > 1 && extended(name, form, arg, reply);
        } else if (isAlnum(c) && !(c >= '0' && c <= '9')) {
            char letter = upper(c);
            ++pos;
            int value = 0;
            while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9')
                value = value * 10 + (line[pos++] - '0');
            if (letter == 'E' && value <= 1)
                echo_ = value == 1;
            else
                ok = false;
        } else {
            ok = false;
        }
        if (reply.after == Reply::After::Upload) break;  // the data follows the prompt
    }
    if (!ok) {
        send(std::exchange(garbleResult_, false) ? "\r\neRROR\r\n" : "\r\nERROR\r\n");
        return;
    }
    if (reply.after == Reply::After::Upload) {
        send(reply.body + (uploadVoice_ ? "\r\nCONNECT\r\n" : "\r\n>>>"));
        return;
    }
    appendLine(reply.body, "OK");
    send(reply.body);
    if (reply.after == Reply::After::Reboot) {
        setPhase(Phase::Booting);
        schedule(options_.rebootMs, [this] {
            echo_ = false;
            startScript();
        });
    }
}

bool SimUnit::extended(const std::string& name, char form, std::string_view arg, Reply& reply) {
    const bool action = form == 'A';
    if (name == "+CGMI" && action) {
        appendLine(reply.body, "Telit");
    } else if (name == "#SPN" && (action || form == 'R')) {
        appendLine(reply.body, "#SPN: " + options_.operatorName);
    } else if (name == "+CPBR" && form == 'T') {
        std::string capacity = std::to_string(card_.capacity());
        if (faults_.garbleCapacity) capacity[capacity.size() / 2] = 'x';
        appendLine(reply.body, "+CPBR: (1-" + capacity + ")," + std::to_string(SimCard::kMaxNumberLength) +
                                   "," + std::to_string(SimCard::kMaxNameLength));
    } else if (name == "+CPBR" && form == 'S') {
        return listEntries(arg, reply);
    } else if (name == "+CPBW" && form == 'T') {
        appendLine(reply.body, "+CPBW: (1-" + std::to_string(card_.capacity()) + ")," +
                                   std::to_string(SimCard::kMaxNumberLength) + ",(129,145)," +
                                   std::to_string(SimCard::kMaxNameLength));
    } else if (name == "+CPBW" && form == 'S') {
        return writeEntry(arg);
    } else if (name == "+CSQ" && action) {
        appendLine(reply.body, "+CSQ: " + options_.signal);
    } else if (name == "#CBC" && action) {
        appendLine(reply.body, "#CBC: " + options_.battery);
    } else if (name == "#CGSN" && action) {
        appendLine(reply.body, "#CGSN: " + options_.serialNumber);
    } else if (name == "+CGSN" && action) {
        appendLine(reply.body, options_.serialNumber);
    } else if (name == "#REBOOT" && action) {
        reply.after = Reply::After::Reboot;
    } else if (name == "#ESCRIPT" && form == 'S') {
        auto fields = splitFields(arg);
        if (!fields || fields->size() != 1) return false;
        activeScript_ = fields->front();
    } else if (name == "#ESCRIPT" && form == 'R') {
        appendLine(reply.body, "#ESCRIPT: \"" + activeScript_ + "\"");
    } else if (name == "#WSCRIPT" && form == 'S') {
        return beginUpload(arg, false, reply);
    } else if (name == "#ASEND" && form == 'S') {
        return beginUpload(arg, true, reply);
    } else if (name == "#DSCRIPT" && form == 'S') {
        auto fields = splitFields(arg);
        if (!fields || fields->size() != 1) return false;
        scripts_.erase(fields->front());
    } else if (name == "#LSCRIPT" && action) {
        for (const auto& [script, data] : scripts_)
            appendLine(reply.body, "#LSCRIPT: \"" + script + "\"," + std::to_string(data.size()));
    } else {
        return false;
    }
    return true;
}

bool SimUnit::listEntries(std::string_view arg, Reply& reply) {
    std::size_t comma = arg.find(',');
    auto first = toNumber(arg.substr(0, comma));
    auto last = comma == std::string_view::npos ? first : toNumber(arg.substr(comma + 1));
    if (!first || !last || !card_.validLocation(int(std::min(*first, 100000L))) ||
        !card_.validLocation(int(std::min(*last, 100000L))) || *last < *first)
        return false;
    const auto& entries = card_.entries();
    for (auto it = entries.lower_bound(int(*first)); it != entries.end() && it->first <= *last; ++it) {
        const StoredEntry& e = it->second;
        std::string text;
        text.reserve(32 + e.number.size() + e.name.size());
        text += "+CPBR: ";
        text += std::to_string(it->first);
        text += ",\"";
        text += e.number;
        text += "\",";
        text += !e.number.empty() && e.number.front() == '+' ? "145" : "129";
        text += ",\"";
        text += e.name;
        text += '"';
        appendLine(reply.body, std::move(text));
    }
    return true;
}

bool SimUnit::writeEntry(std::string_view arg) {
    writes_.push_back(int(toNumber(arg.substr(0, arg.find(','))).value_or(0)));
    if (faults_.errorOnWrite > 0 && ++writesSinceFaults_ == faults_.errorOnWrite) return false;
    auto fields = splitFields(arg);
    if (!fields || fields->size() > 4) return false;
    std::vector<std::string>& f = *fields;
    f.resize(4);
    std::optional<long> location;
    if (!trimSpaces(f[0]).empty()) {
        location = toNumber(f[0]);
        if (!location || *location < 1 || *location > card_.capacity()) return false;
    }
    if (!trimSpaces(f[2]).empty() && !toNumber(f[2])) return false;
    if (f[1].empty() && f[3].empty()) {  // a location alone empties it
        return location && card_.erase(int(*location));
    }
    if (!SimCard::validEntry(f[1], f[3])) return false;
    if (location) return card_.write(int(*location), std::move(f[1]), std::move(f[3]));
    return card_.writeFirstFree(std::move(f[1]), std::move(f[3])) != 0;
}

bool SimUnit::beginUpload(std::string_view arg, bool voice, Reply& reply) {
    auto fields = splitFields(arg);
    if (!fields || fields->size() < 2 || fields->size() > 3 || (*fields)[0].empty()) return false;
    auto size = toNumber((*fields)[1]);
    if (!size || *size < 1 || std::size_t(*size) > kMaxUploadBytes) return false;
    uploadName_ = (*fields)[0];
    uploadVoice_ = voice;
    uploadRemaining_ = std::size_t(*size);
    uploadData_.clear();
    skipLf_ = true;
    reply.after = Reply::After::Upload;
    return true;
}

void SimUnit::takeUploadData(std::string_view bytes) {
    uploadData_.append(bytes);
    uploadRemaining_ -= bytes.size();
    if (options_.ctsHoldEveryBytes > 0) {
        bytesSinceCtsHold_ += bytes.size();
        if (bytesSinceCtsHold_ >= options_.ctsHoldEveryBytes) {
            bytesSinceCtsHold_ = 0;
            ctsHeldUntilMs_ = clock_.nowMs() + options_.ctsHoldMs;
        }
    }
    if (uploadRemaining_ > 0) return;
    (uploadVoice_ ? voices_ : scripts_)[uploadName_] = std::move(uploadData_);
    uploadData_.clear();
    send(std::exchange(garbleResult_, false) ? "\r\noK\r\n" : "\r\nOK\r\n");
    if (uploadVoice_)
        schedule(options_.voicePlayMs, [this] {
            std::string out;
            appendLine(out, "#ASENDEV: 0");
            send(out);
        });
}

// ---- script ----

void SimUnit::setPhase(Phase phase) {
    cancelTimers();
    if (statusTimer_) clock_.cancelTimer(statusTimer_);
    statusTimer_ = 0;
    phase_ = phase;
    uploadRemaining_ = 0;
    uploadData_.clear();
}

void SimUnit::stopScript() {
    setPhase(Phase::Stopped);
    scriptLine("STOP");
    if (options_.type == ModuleType::Older)
        schedule(options_.sledDelayMs, [this] { scriptLine("[AT#SLED=1]="); });
}

void SimUnit::startScript() {
    setPhase(Phase::Running);
    line_.clear();
    lineLength_ = 0;
    scriptLine("+CREG: 0,1");
    scriptLine("+COPS: 0,0,\"" + options_.operatorName + "\"");
    scriptLine("+CSQ: " + options_.signal);
    scriptLine("#CBC: " + options_.battery);
    if (options_.type == ModuleType::Newer) scriptLine("#APLAYEV: 0");
    statusCount_ = 0;
    startStatusTimer();
    if (dtr_)
        schedule(options_.stopDelayMs, [this] {
            if (phase_ == Phase::Running && dtr_) stopScript();
        });
}

void SimUnit::startStatusTimer() {
    if (statusTimer_ || options_.statusIntervalMs <= 0 || !out_) return;
    statusTimer_ = clock_.startTimer(options_.statusIntervalMs, [this] {
        statusTimer_ = 0;
        statusTick();
        startStatusTimer();
    });
}

void SimUnit::statusTick() {
    ++statusCount_;
    scriptLine("+CSQ: " + options_.signal);
    scriptLine("#CBC: " + options_.battery);
    if (statusCount_ % 3 == 0) scriptLine("+CREG: 0,1");
    if (statusCount_ % 4 == 0) scriptLine("AT#tone=i,4]");
    if (options_.type == ModuleType::Newer) scriptLine("#APLAYEV: 0");
}

void SimUnit::schedule(int ms, std::function<void()> fn) {
    std::uint64_t key = ++nextTimerKey_;
    timers_[key] = clock_.startTimer(ms, [this, key, fn = std::move(fn)] {
        timers_.erase(key);
        fn();
    });
}

void SimUnit::cancelTimers() {
    for (const auto& [key, id] : timers_) clock_.cancelTimer(id);
    timers_.clear();
}

// ---- output ----

void SimUnit::appendLine(std::string& out, std::string text) {
    if (garbleResult_ && (text == "OK" || text == "ERROR")) {
        garbleResult_ = false;
        text[0] = char(text[0] ^ 0x20);  // "oK", "eRROR"
    }
    if (faults_.garbleEveryNthLine > 0 && !text.empty() &&
        ++linesSinceFaults_ % faults_.garbleEveryNthLine == 0) {
        std::size_t at = rng_() % text.size();
        char changed;
        do changed = char(text[at] ^ char(1 + rng_() % 0x7F));
        while (changed == '\r' || changed == '\n');
        text[at] = changed;
    }
    out += "\r\n";
    out += text;
    out += "\r\n";
}

void SimUnit::scriptLine(std::string text) {
    std::string out;
    appendLine(out, std::move(text));
    send(std::string_view(out).substr(2));  // the script's lines carry no leading CR LF
}

void SimUnit::send(std::string_view bytes) {
    if (silent_ || !out_ || bytes.empty()) return;
    if (faults_.chunkMax <= 0) {
        out_(bytes);
        return;
    }
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t n = 1 + rng_() % unsigned(faults_.chunkMax);
        out_(bytes.substr(pos, n));
        pos += n;
    }
}

}  // namespace dorive::sim
