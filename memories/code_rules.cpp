#include "memories/code_rules.h"

#include "text/text.h"

namespace dorive {

namespace {

std::string flag(bool on) {
    return on ? "1" : "0";
}

// Up to `count` characters from the 0-based `at`; nothing beyond the line.
std::string take(std::string_view line, std::size_t at, std::size_t count) {
    if (at >= line.size()) return {};
    return std::string(line.substr(at, count));
}

std::string twoDigits(int n) {
    return std::string(1, char('0' + n / 10 % 10)) + char('0' + n % 10);
}

}  // namespace

std::string composeCodeRule(int mode, const CodeRuleFields& f) {
    std::string rule = std::to_string(f.relay) + "#" + std::to_string(mode);
    switch (mode) {
        case 0:
            break;
        case 1: {
            rule += "#";
            for (bool day : f.days) rule += flag(day);
            rule += "#" + f.access + "#" + flag(f.sms);
            break;
        }
        case 2:
            rule += "#" + f.fromMonth + f.fromDay + "#" + f.toMonth + f.toDay + "#" + flag(f.sms);
            break;
        case 3:
            rule += "#" + f.fromMonth + f.fromDay + "#" + f.access + "#" + flag(f.sms);
            break;
        case 4:
            rule += "#" + f.fromHour + "#" + f.toHour + "#" + f.access + "#" + flag(f.sms);
            break;
        default:
            break;
    }
    return rule;
}

int codeLineMode(std::string_view line) {
    std::size_t hash = line.find('#');
    std::string digit = hash == std::string_view::npos ? std::string() : take(line, hash + 1, 1);
    if (digit.size() != 1 || digit[0] < '0' || digit[0] > '9') throw ConversionError(digit);
    return digit[0] - '0';
}

CodeLineFields codeLineFields(std::string_view line, int mode) {
    CodeLineFields f;
    const std::size_t colon = line.find(":C");
    const std::size_t p = line.find("C[");
    if (colon != std::string_view::npos && p != std::string_view::npos && p > colon + 2)
        f.code = std::string(line.substr(colon + 2, p - colon - 2));
    if (p == std::string_view::npos) return f;
    std::string relay = take(line, p + 2, 1);
    f.relay = relay.empty() ? '\0' : relay[0];
    switch (mode) {
        case 1:
            f.days = take(line, p + 6, 7);
            f.lists = {take(line, p + 14, 2)};
            break;
        case 2:
            f.lists = {take(line, p + 6, 2), take(line, p + 8, 2), take(line, p + 11, 2),
                       take(line, p + 13, 2)};
            break;
        case 3:
            f.lists = {take(line, p + 6, 2), take(line, p + 8, 2), take(line, p + 11, 2)};
            break;
        case 4:
            f.lists = {take(line, p + 6, 2), take(line, p + 9, 2), take(line, p + 12, 2)};
            break;
        default:
            break;
    }
    if (mode >= 1 && mode <= 4 && line.size() >= 2) f.sms = line[line.size() - 2];
    return f;
}

int listItemFor(std::string_view text, const std::vector<std::string>& items, int starItem) {
    if (text == "**") return starItem;
    const int n = toInt(std::string(text));
    if (n >= 0 && n < int(items.size()) && items[std::size_t(n)] == twoDigits(n)) return n;
    return -1;
}

}  // namespace dorive
