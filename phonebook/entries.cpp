#include "phonebook/entries.h"

#include "form/state.h"

namespace dorive {

EntryLimits entryLimits(const State& st) {
    EntryLimits limits;
    if (st.NumberLength > 0) limits.numberCharacters = std::size_t(st.NumberLength);
    if (st.TextLength > 0) limits.nameCharacters = std::size_t(st.TextLength);
    return limits;
}

std::string unstorableCharacter(std::string_view text) {
    for (unsigned char c : text) {
        if (c == '"') return "a double quote";
        if (c < 32) return "a control character";
    }
    return {};
}

unsigned char foldCase(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    // Latin-1 capitals (but the multiplication sign), and the capitals of 0x80..0x9F.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);  // Š Œ Ž
    if (c == 0x9F) return 0xFF;                                                          // Ÿ
    return c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase(static_cast<unsigned char>(a[i])) != foldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace dorive
