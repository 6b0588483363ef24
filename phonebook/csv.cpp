#include "phonebook/csv.h"

#include "params/fixed_entries.h"
#include "text/cp1252.h"

namespace dorive {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

// Single-byte text as UTF-8, decoded as the window shows it.
std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes) appendUtf8(out, cp1252ToUnicode(static_cast<unsigned char>(b)));
    return out;
}

// Decodes well-formed UTF-8; false at the first malformed sequence.
bool decodeUtf8(std::string_view s, std::u32string& out) {
    out.clear();
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || i + std::size_t(extra) >= s.size() + (extra == 0 ? 1 : 0)) return false;
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto cb = static_cast<unsigned char>(s[i + std::size_t(k)]);
            if ((cb & 0xC0) != 0x80) return false;
            c = (c << 6) | (cb & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        out.push_back(c);
        i += std::size_t(extra) + 1;
    }
    return true;
}

bool validUtf8(std::string_view s) {
    std::u32string ignored;
    return decodeUtf8(s, ignored);
}

// UTF-8 text as single bytes; false when a character has no Windows-1252 byte.
bool utf8ToCp1252(std::string_view s, std::string& out, std::string& missing) {
    std::u32string chars;
    decodeUtf8(s, chars);
    out.clear();
    for (char32_t c : chars) {
        std::string one =
            c < 0x10000 ? encodeCp1252(std::u16string(1, char16_t(c)), '\0') : std::string(1, '\0');
        if (c != 0 && one[0] == '\0') {
            missing.clear();
            appendUtf8(missing, c);
            return false;
        }
        out += one;
    }
    return true;
}

std::string quoted(std::string_view field) {
    bool needs = !field.empty() && (field.front() == ' ' || field.back() == ' ');
    for (char c : field)
        if (c == ';' || c == ',' || c == '"' || c == '\r' || c == '\n') needs = true;
    if (!needs) return std::string(field);
    std::string out = "\"";
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

struct Record {
    std::size_t line = 0;
    std::vector<std::string> fields;
};

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The separator the first line uses most outside quotes (";" on a tie), or the one an
// Excel "sep=" line names. `skip` is set to the length of such a line.
char detectSeparator(std::string_view text, std::size_t& skip) {
    skip = 0;
    std::size_t end = text.find_first_of("\r\n");
    std::string_view first = text.substr(0, end);
    if (first.size() == 5 && (first.substr(0, 4) == "sep=" || first.substr(0, 4) == "SEP=")) {
        skip = end == std::string_view::npos ? text.size() : end;
        return first[4];
    }
    int semis = 0, commas = 0;
    bool inQuotes = false;
    for (char c : first) {
        if (c == '"') inQuotes = !inQuotes;
        if (inQuotes) continue;
        if (c == ';') ++semis;
        if (c == ',') ++commas;
    }
    return commas > semis ? ',' : ';';
}

std::vector<Record> parseRecords(std::string_view text, char sep, std::size_t& line) {
    std::vector<Record> out;
    std::size_t i = 0;
    auto atLineEnd = [&] { return i >= text.size() || text[i] == '\r' || text[i] == '\n'; };
    auto skipLineEnd = [&] {
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
        ++line;
    };
    while (i < text.size()) {
        Record rec;
        rec.line = line;
        while (true) {
            std::size_t start = i;
            while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
            std::string field;
            if (i < text.size() && text[i] == '"') {
                ++i;
                while (i < text.size()) {
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
                        ++line;
                    field += text[i++];
                }
                // Anything between the closing quote and the separator belongs to the field.
                std::size_t rest = i;
                while (i < text.size() && text[i] != sep && text[i] != '\r' && text[i] != '\n') ++i;
                field += trimBlanks(text.substr(rest, i - rest));
            } else {
                i = start;
                while (i < text.size() && text[i] != sep && text[i] != '\r' && text[i] != '\n') ++i;
                field = std::string(trimBlanks(text.substr(start, i - start)));
            }
            rec.fields.push_back(std::move(field));
            if (i < text.size() && text[i] == sep) {
                ++i;
                continue;
            }
            break;
        }
        if (atLineEnd()) skipLineEnd();
        out.push_back(std::move(rec));
    }
    return out;
}

bool hasDigit(std::string_view s) {
    for (char c : s)
        if (c >= '0' && c <= '9') return true;
    return false;
}

bool isHeader(const Record& r) {
    if (r.fields.size() >= 2 && !r.fields[1].empty() && !hasDigit(r.fields[1])) return true;
    return sameName(r.fields[0], "name");
}

}  // namespace

std::string formatCsv(const std::vector<PhoneBookList::Row>& rows) {
    std::string out(kBom);
    out += "Name;Phone\r\n";
    for (const PhoneBookList::Row& r : rows)
        out += quoted(cp1252ToUtf8(r.name)) + ";" + quoted(cp1252ToUtf8(r.number)) + "\r\n";
    return out;
}

CsvImport importCsv(std::string_view bytes, const std::vector<PhoneBookList::Row>& existing,
                    const EntryLimits& limits) {
    CsvImport result;
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
    const bool utf8 = validUtf8(bytes);
    if (!utf8) result.notes.push_back("The file is not UTF-8; its texts were read as Windows-1252.");

    std::size_t skip = 0;
    const char sep = detectSeparator(bytes, skip);
    std::size_t line = 1;
    std::string_view body = bytes.substr(skip);
    if (skip > 0) {
        // The "sep=" line itself.
        if (body.substr(0, 2) == "\r\n")
            body.remove_prefix(2);
        else if (!body.empty())
            body.remove_prefix(1);
        line = 2;
    }
    std::vector<Record> records = parseRecords(body, sep, line);

    // Blank rows are a spreadsheet's empty lines, not rows to report.
    std::erase_if(records, [](const Record& r) {
        for (const std::string& f : r.fields)
            if (!f.empty()) return false;
        return true;
    });
    if (!records.empty() && isHeader(records.front())) {
        result.notes.push_back("Line " + std::to_string(records.front().line) +
                               " was taken as the header row.");
        records.erase(records.begin());
    }
    if (records.empty()) result.notes.push_back("The file holds no rows.");

    // Where each name taken so far came from, for the duplicate check.
    std::vector<std::size_t> takenLines;
    for (const Record& rec : records) {
        const std::string rawName = rec.fields[0];
        const std::string rawNumber = rec.fields.size() > 1 ? rec.fields[1] : std::string();
        ImportReport::Refusal refusal{
            rec.line, utf8 ? rawName : cp1252ToUtf8(rawName), utf8 ? rawNumber : cp1252ToUtf8(rawNumber), {}};
        auto refuse = [&](std::string reason) {
            refusal.reason = std::move(reason);
            result.refused.push_back(refusal);
        };
        PhoneBookList::Row row{rawName, rawNumber};
        std::string missing;
        if (utf8 &&
            (!utf8ToCp1252(rawName, row.name, missing) || !utf8ToCp1252(rawNumber, row.number, missing))) {
            refuse("the unit cannot store the character \"" + missing + "\"");
            continue;
        }
        if (row.name.empty()) {
            refuse("no name");
            continue;
        }
        if (row.number.empty()) {
            refuse("no number");
            continue;
        }
        if (row.name.find('=') != std::string::npos) {
            refuse("the name contains \"=\"");
            continue;
        }
        if (std::string what = unstorableCharacter(row.name); !what.empty()) {
            refuse("the name contains " + what + ", which the unit cannot store");
            continue;
        }
        if (std::string what = unstorableCharacter(row.number); !what.empty()) {
            refuse("the number contains " + what + ", which the unit cannot store");
            continue;
        }
        if (row.name.size() > limits.nameCharacters) {
            refuse("the name is longer than " + std::to_string(limits.nameCharacters) + " characters");
            continue;
        }
        if (row.number.size() > limits.numberCharacters) {
            refuse("the number is longer than " + std::to_string(limits.numberCharacters) + " characters");
            continue;
        }
        if (isFixedEntryName(row.name)) {
            refuse("the name is one the unit keeps its settings under");
            continue;
        }
        bool duplicate = false;
        for (const PhoneBookList::Row& e : existing)
            if (sameName(e.name, row.name)) duplicate = true;
        if (duplicate) {
            refuse("the name is already in the phone book");
            continue;
        }
        for (std::size_t k = 0; k < result.taken.size() && !duplicate; ++k)
            if (sameName(result.taken[k].name, row.name)) {
                duplicate = true;
                refuse("the name is already on line " + std::to_string(takenLines[k]));
            }
        if (duplicate) continue;
        result.taken.push_back(std::move(row));
        takenLines.push_back(rec.line);
    }
    return result;
}

}  // namespace dorive
