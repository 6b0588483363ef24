#pragma once
// The captions and hints of the window come from the settings file, so that the interface
// can be translated with a text editor: section "Language" holds captions, section "Help"
// holds hints. They are read once at start-up and written back once at close, so after the
// first run the file holds every text, ready to translate. The texts are data: each row
// names the control it sets (by its name in the form) and the controls that get a copy.
#include <string>
#include <vector>

namespace dorive {
struct Form;
struct State;
class IniFile;

struct TextRow {
    const char* key;      // nullptr: the variant's device name
    const char* def;      // nullptr: the key itself; "{DeviceName}" is replaced by the device name
    const char* control;  // nullptr: no control, the text is the language's name (LanguageName)
    std::vector<const char*> copies = {};  // controls given the same text
    bool written = true;                   // false: read only, never written back
    const char* writtenAs = nullptr;       // key written back, where it is not the key read
};

class Language {
  public:
    static constexpr const char* kCaptionSection = "Language";
    static constexpr const char* kHintSection = "Help";
    // In file order; reading and writing both go in this order.
    static const std::vector<TextRow>& captionRows();
    static const std::vector<TextRow>& hintRows();

    Language(Form& form, State& state) : form_(form), st_(state) {}

    // Sets LanguageName, then every caption, then every hint. A missing key gives its
    // default; a key present with an empty value gives an empty text.
    void load(const IniFile& ini);
    // Writes the language's name, the captions and the hints as the controls now show them.
    void save(IniFile& ini) const;

    // Names of the controls a row sets or copies to that the form does not hold (yet): their
    // rows are read and written all the same, and apply to nothing.
    std::vector<std::string> missingControls() const;

  private:
    enum class Kind { Caption, Hint };
    void load(const IniFile& ini, Kind kind);
    void save(IniFile& ini, Kind kind) const;
    std::string readKey(const TextRow& row) const;
    std::string defaultText(const TextRow& row) const;

    Form& form_;
    State& st_;
    // The texts read, per row in table order.
    std::vector<std::string> loadedCaptions_, loadedHints_;
};

}  // namespace dorive
