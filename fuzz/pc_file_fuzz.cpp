// The PC parameter file: any bytes are loaded as a file; what was loaded is saved and the
// saved file loaded again, which must give the same pages.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "params/pc_file.h"

using namespace dorive;

namespace {

Task load(Dorive& core) {
    co_await core.pcFile().LoadClick();
}
Task save(Dorive& core) {
    co_await core.pcFile().SaveClick();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Rig rig;
    // The pages as a file the program wrote leaves them: every record shown.
    rig.files.files["start.zep"] =
        "ADMIN1=+420601111111\r\nPARAMZEP=4#4#0#0#1#7#2#0\r\nPARAMRL1=5#1#03#1\r\nPARAMRL2=6#1#03#1\r\n"
        "PARAMKEY=2#0\r\n";
    rig.dialogs.openAnswers.push_back(std::string("start.zep"));
    rig.run([&] { return load(*rig.core); });
    rig.files.files["in.zep"] = std::string(reinterpret_cast<const char*>(data), size);
    rig.dialogs.openAnswers.push_back(std::string("in.zep"));
    rig.run([&] { return load(*rig.core); });
    if (!rig.dialogs.errors.empty()) return 0;  // refused as a whole: nothing was loaded
    const std::string first = fuzz::pagesView(rig.form());

    rig.dialogs.saveAnswers.push_back(std::string("out.zep"));
    rig.run([&] { return save(*rig.core); });
    if (!rig.files.exists("out.zep")) {
        FUZZ_CHECK(!rig.dialogs.errors.empty());  // a save that writes nothing says why
        return 0;
    }
    // What was saved loads back as it was saved, and shows the same pages.
    rig.dialogs.openAnswers.push_back(std::string("out.zep"));
    rig.run([&] { return load(*rig.core); });
    FUZZ_CHECK(rig.dialogs.errors.empty());
    const std::string second = fuzz::pagesView(rig.form());
    if (first != second) {
        std::fprintf(stderr, "first load:\n%s\nsecond load:\n%s\n", first.c_str(), second.c_str());
        FUZZ_CHECK(first == second);
    }
    return 0;
}
