#include "sim/sim_card.h"

#include <charconv>
#include <fstream>
#include <utility>

namespace dorive::sim {

namespace {

constexpr std::size_t kMaxImageBytes = 4 * 1024 * 1024;

void checkCapacity(int capacity) {
    if (capacity < 1 || capacity > SimCard::kMaxCapacity)
        throw std::invalid_argument("SIM capacity must be 1 to " + std::to_string(SimCard::kMaxCapacity));
}

void appendQuoted(std::string& out, std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    out += '"';
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c <= 0x7E) {
            out += char(c);
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    out += '"';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads one image line token by token; every failure names the line.
class LineReader {
  public:
    LineReader(std::string_view line, int lineNo) : line_(line), lineNo_(lineNo) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw SimImageError("SIM image line " + std::to_string(lineNo_) + ": " + what);
    }
    void skipBlanks() {
        while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t')) ++pos_;
    }
    bool atEnd() {
        skipBlanks();
        return pos_ >= line_.size();
    }
    std::string_view word() {
        skipBlanks();
        std::size_t start = pos_;
        while (pos_ < line_.size() && line_[pos_] != ' ' && line_[pos_] != '\t') ++pos_;
        return line_.substr(start, pos_ - start);
    }
    int number(const char* what) {
        std::string_view w = word();
        int value = 0;
        auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), value);
        if (w.empty() || ec != std::errc() || end != w.data() + w.size())
            fail(std::string("expected ") + what + ", found \"" + std::string(w) + "\"");
        return value;
    }
    std::string quoted(const char* what) {
        skipBlanks();
        if (pos_ >= line_.size() || line_[pos_] != '"')
            fail(std::string("expected ") + what + " in double quotes");
        ++pos_;
        std::string out;
        while (true) {
            if (pos_ >= line_.size()) fail(std::string("unterminated ") + what);
            char c = line_[pos_++];
            if (c == '"') break;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= line_.size()) fail(std::string("unterminated ") + what);
            char e = line_[pos_++];
            if (e == '"' || e == '\\') {
                out += e;
            } else if (e == 'x') {
                int hi = pos_ < line_.size() ? hexValue(line_[pos_]) : -1;
                int lo = pos_ + 1 < line_.size() ? hexValue(line_[pos_ + 1]) : -1;
                if (hi < 0 || lo < 0) fail(std::string("bad \\x escape in ") + what);
                out += char(hi * 16 + lo);
                pos_ += 2;
            } else {
                fail(std::string("unknown escape \\") + e + " in " + what);
            }
        }
        if (pos_ < line_.size() && line_[pos_] != ' ' && line_[pos_] != '\t')
            fail(std::string("text after the closing quote of ") + what);
        return out;
    }

  private:
    std::string_view line_;
    int lineNo_;
    std::size_t pos_ = 0;
};

}  // namespace

SimCard::SimCard(int capacity) : capacity_(capacity) {
    checkCapacity(capacity);
}

void SimCard::setCapacity(int capacity) {
    checkCapacity(capacity);
    capacity_ = capacity;
    entries_.erase(entries_.upper_bound(capacity), entries_.end());
}

const StoredEntry* SimCard::find(int location) const {
    auto it = entries_.find(location);
    return it == entries_.end() ? nullptr : &it->second;
}

bool SimCard::write(int location, std::string number, std::string name) {
    if (!validLocation(location) || !validEntry(number, name)) return false;
    entries_[location] = StoredEntry{std::move(number), std::move(name)};
    return true;
}

int SimCard::writeFirstFree(std::string number, std::string name) {
    int location = firstFree();
    if (location == 0 || !write(location, std::move(number), std::move(name))) return 0;
    return location;
}

bool SimCard::erase(int location) {
    if (!validLocation(location)) return false;
    entries_.erase(location);
    return true;
}

int SimCard::firstFree() const {
    int expected = 1;
    for (const auto& [location, entry] : entries_) {
        if (location != expected) break;
        ++expected;
    }
    return expected <= capacity_ ? expected : 0;
}

std::string SimCard::toImage() const {
    std::string out = "# DORive simulated SIM\ncapacity " + std::to_string(capacity_) + "\n";
    for (const auto& [location, entry] : entries_) {
        out += std::to_string(location);
        out += ' ';
        appendQuoted(out, entry.number);
        out += ' ';
        appendQuoted(out, entry.name);
        out += '\n';
    }
    return out;
}

SimCard SimCard::fromImage(std::string_view text) {
    SimCard card;
    bool capacitySeen = false;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        LineReader r(line, lineNo);
        if (r.atEnd()) continue;
        std::string_view head = line.substr(line.find_first_not_of(" \t"));
        if (head.front() == '#') continue;
        if (head.substr(0, head.find_first_of(" \t")) == "capacity") {
            r.word();
            if (capacitySeen) r.fail("capacity given twice");
            if (!card.entries_.empty()) r.fail("capacity must come before the entries");
            int capacity = r.number("a capacity");
            if (capacity < 1 || capacity > kMaxCapacity)
                r.fail("capacity must be 1 to " + std::to_string(kMaxCapacity));
            card.capacity_ = capacity;
            capacitySeen = true;
        } else {
            int location = r.number("a location");
            if (!card.validLocation(location))
                r.fail("location " + std::to_string(location) + " outside 1 to " +
                       std::to_string(card.capacity_));
            if (card.entries_.count(location))
                r.fail("location " + std::to_string(location) + " given twice");
            std::string number = r.quoted("number");
            std::string name = r.quoted("name");
            if (number.size() > kMaxNumberLength)
                r.fail("number longer than " + std::to_string(kMaxNumberLength) + " characters");
            if (name.size() > kMaxNameLength)
                r.fail("name longer than " + std::to_string(kMaxNameLength) + " characters");
            card.entries_.emplace(location, StoredEntry{std::move(number), std::move(name)});
        }
        if (!r.atEnd()) r.fail("unexpected text at the end of the line");
    }
    return card;
}

void SimCard::saveImage(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw SimImageError("cannot create SIM image " + path);
    std::string text = toImage();
    out.write(text.data(), std::streamsize(text.size()));
    out.close();
    if (!out) throw SimImageError("cannot write SIM image " + path);
}

SimCard SimCard::loadImage(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SimImageError("cannot open SIM image " + path);
    std::string text;
    char buf[8192];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        text.append(buf, std::size_t(in.gcount()));
        if (text.size() > kMaxImageBytes) throw SimImageError("SIM image " + path + " is too large");
    }
    if (in.bad()) throw SimImageError("cannot read SIM image " + path);
    try {
        return fromImage(text);
    } catch (const SimImageError& e) {
        throw SimImageError(path + ": " + e.what());
    }
}

SimCard SimCard::withDefaultContent(int capacity) {
    static const std::pair<const char*, const char*> content[] = {
        {"+420601111111", "ADMIN1"},
        {"+420602222222", "ADMIN2"},
        {"0601234567", "ABUTTON1"},
        {"0602345678", "ABUTTON2"},
        {"0603456789", "ABUTTON3"},
        {"0604567890", "BBUTTON1"},
        {"0605678901", "BBUTTON2"},
        {"Door alarm on", "ALARMON"},
        {"Door alarm off", "ALARMOFF"},
        {"4#4#1#1#1#5#1#2", "PARZEP"},
        {"5#1#03#0", "PARRL1"},
        {"6#3#10#0", "PARRL2"},
        {"3#1", "PARKEY"},
        {"5.2", "VER"},
        {"0601111222", "M1-1"},
        {"0601111333", "M1-2"},
        {"0607777888", "M2-1"},
        {"0605550001", "B2-1"},
        {"0605550002", "B2-2"},
        {"1#0", "C1234C"},
        {"1#1#1111100#12#0", "C5678C"},
        {"2#4#07#18#**#1", "C4711C"},
        {"0", "DETECT"},
        {"+420777123456", "Caretaker"},
        {"0800123456", "Service"},
        {"0412555666", "Reception"},
    };
    SimCard card(capacity);
    int location = 1;
    for (const auto& [number, name] : content) {
        if (!card.validLocation(location)) break;
        card.write(location++, number, name);
    }
    return card;
}

}  // namespace dorive::sim
