#include "app/ini_file.h"

#include <cstdio>
#include <stdexcept>

#include "ports/files.h"
#include "text/text.h"

namespace dorive {

namespace {

std::string_view trim(std::string_view s) {
    return trimSpacesTabs(s);
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

void IniFile::load(Files& files) {
    lines_.clear();
    if (!files.exists(path_)) return;
    try {
        parse(files.read(path_));
    } catch (const FileError&) {
        // An unreadable file reads as an empty one: every value takes its default.
    }
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

void IniFile::save(Files& files) const {
    try {
        files.write(path_, serialize());
    } catch (const FileError&) {
        throw std::runtime_error("Unable to write to " + path_);
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

std::string IniFile::readString(std::string_view section, std::string_view key,
                                const std::string& def) const {
    auto v = value(section, key);
    return v ? *v : def;
}

int IniFile::readInteger(std::string_view section, std::string_view key, int def) const {
    auto v = value(section, key);
    if (!v) return def;
    return parseInt(trim(*v)).value_or(def);
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
