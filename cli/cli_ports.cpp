#include "cli/cli_ports.h"

#include <cstdio>
#include <iostream>
#include <iterator>

namespace dorive::cli {

std::optional<std::string> CliDialogs::choosePort(const std::vector<PortInfo>& ports, const std::string&) {
    if (ports.empty()) return std::nullopt;
    return ports.front().name;
}

void CliDialogs::errorBox(const std::string& text) {
    fail(text, errorExit);
}

void CliDialogs::fail(const std::string& text, int exit) {
    err_ << "dorive-cli: " << text << '\n' << std::flush;
    if (exit_ != kExitOk) return;
    exit_ = exit;
    first_ = text;
}

bool CliDialogs::confirm(const std::string& question) {
    err_ << "dorive-cli: " << question << " (answered no)\n" << std::flush;
    return false;
}

std::optional<std::string> CliDialogs::openFileName(const std::string&) {
    ++fileDialogsShown;
    return openAnswer;
}

std::optional<std::string> CliDialogs::saveFileName(const std::string&) {
    ++fileDialogsShown;
    return saveAnswer;
}

std::string CliFiles::read(const std::string& path) {
    if (path != "-") return diskFiles().read(path);
    if (!stdin_) {
        std::string bytes{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
        if (std::cin.bad()) throw FileError("Cannot read standard input.");
        stdin_ = std::move(bytes);
    }
    return *stdin_;
}

void CliFiles::write(const std::string& path, std::string_view bytes) {
    if (path == "-") {
        stdout_ = std::string(bytes);
        return;
    }
    diskFiles().write(path, bytes);
}

bool CliFiles::exists(const std::string& path) {
    return path == "-" || diskFiles().exists(path);
}

}  // namespace dorive::cli
