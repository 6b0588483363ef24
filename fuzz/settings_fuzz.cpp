// The settings file: any bytes are parsed, read as start-up reads them, and written back as
// the window's close writes it. Whatever the program does not own stays as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/ini_file.h"
#include "fuzz_support.h"

using namespace dorive;

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return out;
}

// The key of a "key=value" line, in lower case, or empty.
std::string keyOfLine(const std::string& line) {
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) return {};
    std::string_view k(line.data(), eq);
    while (!k.empty() && (k.front() == ' ' || k.front() == '\t')) k.remove_prefix(1);
    while (!k.empty() && (k.back() == ' ' || k.back() == '\t')) k.remove_suffix(1);
    return lower(k);
}

// The lines without those a write of the window's keys may change or add.
std::vector<std::string> unowned(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        const std::string k = keyOfLine(l);
        if (k == "top" || k == "left" || k == "port") continue;
        out.push_back(l);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    IniFile ini;
    ini.parse(bytes);
    // Reads of every kind, as start-up and the language and help lookups make them.
    (void)ini.readInteger("Form", "Top", 200);
    (void)ini.readInteger("form", "WAITSER", 1000);
    (void)ini.readBool("Form", "Inicializace", false);
    (void)ini.readString("Form", "Port", "");
    (void)ini.readString("Language", "File", "");
    (void)ini.readString("Help", "Path", "");
    if (auto v = ini.value("Form", "Port")) FUZZ_CHECK(v->size() <= IniFile::kMaxValue);

    // Serializing and parsing again gives the same lines.
    const std::vector<std::string> before = ini.lines();
    IniFile again;
    again.parse(ini.serialize());
    FUZZ_CHECK(again.lines() == before);

    // The close writes the window's keys; every other line stays, in its order.
    ini.writeInteger("Form", "Top", 321);
    ini.writeInteger("Form", "Left", -5);
    ini.writeString("Form", "Port", "ttyUSB0\r\nInjected=1");
    FUZZ_CHECK(ini.readInteger("Form", "Top", 0) == 321);
    FUZZ_CHECK(ini.readInteger("Form", "Left", 0) == -5);
    std::vector<std::string> kept = unowned(before), now = unowned(ini.lines());
    // A missing [Form] section is added at the end.
    if (now.size() == kept.size() + 1 && lower(now.back()) == "[form]") now.pop_back();
    FUZZ_CHECK(now == kept);

    // The same through the program: start-up reads the file, close writes it back.
    fuzz::Rig rig;
    {
        DoriveOptions options;
        options.settingsPath = "DORive.ini";
        options.files = &rig.files;
        rig.files.files["DORive.ini"] = bytes;
        rig.core = std::make_unique<Dorive>(rig.provider, rig.clock, rig.dialogs, std::move(options));
    }
    rig.run([&] { return rig.core->FormCreate(); });
    rig.core->FormClose();
    IniFile written;
    written.parse(rig.files.files["DORive.ini"]);
    std::vector<std::string> after = unowned(written.lines());
    if (after.size() == kept.size() + 1 && lower(after.back()) == "[form]") after.pop_back();
    FUZZ_CHECK(after == kept);
    return 0;
}
