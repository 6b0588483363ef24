#include "app/ini_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace dorive {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}

// The section name of a header line "[name]", or nothing.
std::optional<std::string_view> headerName(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

// Key of a "key=value" line, or nothing for comments and other lines.
std::optional<std::string_view> keyOf(std::string_view line) {
    std::string_view t = trim(line);
    if (t.empty() || t.front() == ';') return std::nullopt;
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trim(t.substr(0, eq));
}

std::string sanitize(std::string_view v) {
    std::string out;
    out.reserve(v.size());
    for (char c : v)
        if (c != '\r' && c != '\n') out.push_back(c);
    return out;
}

}  // namespace

void IniFile::load() {
    lines_.clear();
    std::ifstream in(path_, std::ios::binary);
    if (!in) return;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    parse(bytes);
}

void IniFile::parse(std::string_view bytes) {
    lines_.clear();
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines_.emplace_back(line);
        start = end + 1;
    }
}

std::string IniFile::serialize() const {
    std::string out;
    for (const auto& l : lines_) {
        out += l;
        out += "\r\n";
    }
    return out;
}

void IniFile::save() const {
    const std::string failure = "Unable to write to " + path_;
    namespace fs = std::filesystem;
    // Write beside the file first, then replace it, so a failed write never leaves half a file.
    std::string temp = path_ + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) throw std::runtime_error(failure);
        out << serialize();
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            fs::remove(temp, ec);
            throw std::runtime_error(failure);
        }
    }
    std::error_code ec;
    fs::rename(temp, path_, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw std::runtime_error(failure);
    }
}

long IniFile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto name = headerName(lines_[i]);
        if (name && equalNoCase(*name, section)) return long(i);
    }
    return -1;
}

long IniFile::findKey(long header, std::string_view key) const {
    for (std::size_t i = std::size_t(header) + 1; i < lines_.size(); ++i) {
        if (headerName(lines_[i])) break;
        auto k = keyOf(lines_[i]);
        if (k && equalNoCase(*k, key)) return long(i);
    }
    return -1;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    long header = findSection(section);
    if (header < 0) return std::nullopt;
    long at = findKey(header, key);
    if (at < 0) return std::nullopt;
    std::string_view line = trim(lines_[std::size_t(at)]);
    std::string_view v = trim(line.substr(line.find('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    if (v.size() > kMaxValue) v = v.substr(0, kMaxValue);
    return std::string(v);
}

std::string IniFile::readString(std::string_view section, std::string_view key, const std::string& def) const {
    auto v = value(section, key);
    return v ? *v : def;
}

int IniFile::readInteger(std::string_view section, std::string_view key, int def) const {
    auto v = value(section, key);
    if (!v) return def;
    std::string_view s = trim(*v);
    bool neg = false;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    if (i >= s.size()) return def;
    long long n = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return def;
        n = n * 10 + (s[i] - '0');
        if (n > 2147483647LL) return def;
    }
    return int(neg ? -n : n);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    std::string line = std::string(key) + "=" + sanitize(value);
    long header = findSection(section);
    if (header < 0) {
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(line);
        return;
    }
    long at = findKey(header, key);
    if (at >= 0) {
        lines_[std::size_t(at)] = line;
        return;
    }
    // After the last non-blank line of the section.
    std::size_t insert = std::size_t(header) + 1;
    for (std::size_t i = insert; i < lines_.size() && !headerName(lines_[i]); ++i)
        if (!trim(lines_[i]).empty()) insert = i + 1;
    lines_.insert(lines_.begin() + long(insert), line);
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

}  // namespace dorive
