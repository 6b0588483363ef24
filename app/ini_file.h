#pragma once
// A settings file with the semantics of the Windows profile functions: sections and keys
// matched without regard to case, the first of duplicates wins, a present empty key is a
// value, values read up to 2047 characters, a written key replaces its value where it
// stands or is appended at the end of its section (the section at the end of the file),
// CR LF lines, and every line the program does not know kept as it was.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorive {
class Files;

class IniFile {
  public:
    static constexpr std::size_t kMaxValue = 2047;

    IniFile() = default;
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    // Reads the file; a missing or unreadable file leaves the contents empty.
    void load(Files& files);
    // Parses bytes as the contents of the file.
    void parse(std::string_view bytes);
    // Writes the file (created if needed). Throws std::runtime_error
    // "Unable to write to <path>" when it cannot.
    void save(Files& files) const;
    std::string serialize() const;

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key, const std::string& def) const;
    // A value that is not a whole number gives the default.
    int readInteger(std::string_view section, std::string_view key, int def) const;
    bool readBool(std::string_view section, std::string_view key, bool def) const;
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);

    const std::string& path() const { return path_; }
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    // Index of the section's header line, or -1.
    long findSection(std::string_view section) const;
    // Index of the key's line within the section starting after header, or -1.
    long findKey(long header, std::string_view key) const;

    std::string path_;
    std::vector<std::string> lines_;
};

}  // namespace dorive
