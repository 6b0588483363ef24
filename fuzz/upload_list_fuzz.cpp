// The upload list: any bytes as a list file, split into lines and classified, and then the
// list worked against the simulated unit. Whatever the list says, the upload ends, the
// controls come back and nothing stays paused.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "upload/upload.h"

using namespace dorive;

namespace {

Task loadList(Dorive& core) {
    co_await core.upload().LoadListClick();
}
Task upgrade(Dorive& core) {
    co_await core.upload().UpgradeClick();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = splitListLines(bytes);
    std::string joined;
    for (const std::string& l : lines) {
        FUZZ_CHECK(l.find_first_of("\r\n") == std::string::npos);
        joined += l + "\n";
        const UploadLine u = classifyUploadLine(l);
        if (u.kind == UploadKind::File)
            FUZZ_CHECK(u.argument == l);
        else
            FUZZ_CHECK(u.argument == l.substr(l.find(':') + 1));
    }
    FUZZ_CHECK(splitListLines(joined) == lines);
    if (lines.size() > 12) return 0;  // the upload below is for short lists

    fuzz::Rig rig("DORive", true);
    rig.files.files["list.ifo"] = bytes;
    rig.files.files["zep.pyo"] = std::string(300, 's');
    rig.files.files["hello.wav"] = std::string(500, 'v');
    rig.core->channel().open();
    rig.core->channel().setDtr(true);  // the script stops: the module takes commands
    rig.clock.advance(3000);
    rig.dialogs.openAnswers.push_back(std::string("list.ifo"));
    rig.run([&] { return loadList(*rig.core); });
    rig.run([&] { return upgrade(*rig.core); });
    rig.clock.runUntilIdle(10 * 60 * 1000);
    rig.clock.advance(60000);

    FUZZ_CHECK(!rig.core->upload().running());
    FUZZ_CHECK(!rig.st().UploadActive && !rig.st().AudioSendActive);
    FUZZ_CHECK(rig.form().Upgrade.enabled());
    FUZZ_CHECK(!rig.core->loop().busy() && rig.core->loop().waiting() == 0);
    return 0;
}
