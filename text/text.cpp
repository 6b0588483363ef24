#include "text/text.h"

#include <charconv>

namespace dorive {

namespace {

template <class Pred>
std::string_view trimIf(std::string_view s, Pred blank) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string_view trimBlanks(std::string_view s) {
    return trimIf(s, isBlank);
}
std::string_view trimSpaces(std::string_view s) {
    return trimIf(s, [](char c) { return c == ' '; });
}
std::string_view trimSpacesTabs(std::string_view s) {
    return trimIf(s, [](char c) { return c == ' ' || c == '\t'; });
}

std::optional<int> parseInt(std::string_view s, bool signAllowed) {
    const char* first = s.data();
    const char* last = s.data() + s.size();
    bool negative = false;
    if (first != last && (*first == '+' || *first == '-')) {
        if (!signAllowed) return std::nullopt;
        negative = *first == '-';
        ++first;
    }
    if (first == last || !isDigit(*first)) return std::nullopt;
    long long value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    if (negative) value = -value;
    if (value < -2147483648LL || value > 2147483647LL) return std::nullopt;
    return int(value);
}

int toInt(const std::string& text) {
    auto v = parseInt(trimBlanks(text));
    if (!v) throw ConversionError(text);
    return *v;
}

}  // namespace dorive
