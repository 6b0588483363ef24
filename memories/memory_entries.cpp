#include "memories/memory_entries.h"

#include <algorithm>

namespace dorive {

namespace {

// 1-based position of the first occurrence of `needle`, 0 when it is missing.
long pos(std::string_view line, std::string_view needle) {
    std::size_t p = line.find(needle);
    return p == std::string_view::npos ? 0 : long(p) + 1;
}

// `count` characters from the 1-based `index` on; what lies outside the line is dropped.
std::string copy(std::string_view line, long index, long count) {
    if (index < 1) index = 1;
    if (count <= 0 || index > long(line.size())) return {};
    return std::string(line.substr(std::size_t(index - 1), std::size_t(count)));
}

// The text between the first `open` and the first `close` of the line.
std::string between(std::string_view line, std::string_view open, std::string_view close) {
    const long a = pos(line, open);
    return copy(line, a + long(open.size()), pos(line, close) - a - long(open.size()));
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// The sort key: the name part of a line, as a view into it.
std::string_view keyOf(std::string_view line) {
    const long a = pos(line, ":");
    const long b = pos(line, "[");
    if (b - a - 1 <= 0) return {};
    return line.substr(std::size_t(a), std::size_t(b - a - 1));
}

}  // namespace

bool isMemoryName(std::string_view name, char letter) {
    if (name.empty() || name.front() != letter) return false;
    return pos(name, "-") == long(name.size()) - 1;
}

bool isCodeName(std::string_view name) {
    if (name.empty() || name.front() != 'C') return false;
    return pos(name.substr(1), "C") == long(name.size()) - 1;
}

TreeMembership memoryTreesFor(std::string_view name, std::string_view selectedMemo,
                              std::string_view selectedButton) {
    TreeMembership m;
    m.memo = isMemoryName(name, 'M');
    m.memoSel = !selectedMemo.empty() && name.starts_with(selectedMemo);
    m.buttons = isMemoryName(name, 'B');
    m.buttonsSel = !selectedButton.empty() && name.starts_with(selectedButton);
    m.code = isCodeName(name);
    return m;
}

std::string treeLine(std::string_view location, std::string_view name, std::string_view number) {
    std::string line;
    line.reserve(location.size() + name.size() + number.size() + 3);
    line.append(location).append(":").append(name).append("[").append(number).append("]");
    return line;
}

std::string lineLocation(std::string_view line) {
    return std::string(trimBlanks(copy(line, 1, pos(line, ":") - 1)));
}

std::string lineName(std::string_view line) {
    return between(line, ":", "[");
}
std::string lineNumber(std::string_view line) {
    return between(line, "[", "]");
}

std::string lineMemoryNumber(std::string_view line, char letter) {
    const char open[] = {':', letter, '\0'};
    return between(line, open, "-");
}

std::string linePosition(std::string_view line) {
    return copy(line, pos(line, "-") + 1, 1);
}
std::string lineCode(std::string_view line) {
    return between(line, ":C", "C[");
}

std::string memoryPrefix(std::string_view line) {
    std::string_view rest = line.substr(std::size_t(pos(line, ":")));
    return copy(rest, 1, pos(rest, "-"));
}

void sortTreeLines(std::vector<Tree::Node>& lines) {
    if (lines.size() < 2) return;
    auto less = [](const Tree::Node& a, const Tree::Node& b) { return keyOf(a.text) < keyOf(b.text); };
    // Lines arrive one at a time into a sorted tree: the new last line moves up behind the
    // lines whose names are not greater. Anything else is sorted as a whole.
    auto last = std::prev(lines.end());
    if (std::is_sorted(lines.begin(), last, less)) {
        auto at = std::upper_bound(lines.begin(), last, *last, less);
        std::rotate(at, last, lines.end());
    } else {
        std::stable_sort(lines.begin(), lines.end(), less);
    }
}

std::string memoryName(char letter, std::string_view number, std::string_view position) {
    std::string name(1, letter);
    name.append(number).append("-").append(position);
    return name;
}

int proposedPositionItem(std::size_t listed) {
    return listed < 7 ? int(listed) : -1;
}

bool isMemoryPosition(std::string_view position) {
    return position.size() == 1 && position[0] >= '1' && position[0] <= '7';
}

std::string writeAtCommand(std::string_view location, std::string_view number, std::string_view name) {
    std::string cmd = "AT+CPBW=";
    cmd.append(location).append(",").append(number).append(",,").append(name).append("\r\n");
    return cmd;
}

std::string writeFirstFreeCommand(std::string_view number, std::string_view name) {
    return writeAtCommand("", number, name);
}

std::string deleteCommand(std::string_view location) {
    std::string cmd = "AT+CPBW=";
    cmd.append(location).append("\r\n");
    return cmd;
}

}  // namespace dorive
