// The receive path and everything behind it: the simulated unit answers what DORive sends,
// and the input decides what reaches DORive (the unit's answers whole, in pieces, garbled or
// dropped, and bytes of its own), how time passes, and what the user does meanwhile (Stop,
// Run, Save, Read, clicks on tree lines, memory and code writes, button detection, the
// upload). When the input ends the unit falls silent and the clock runs out every timeout:
// then no save, memory write or upload may still be under way, no activity may be left
// paused, and every control a save locks must be usable again.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "support/dump_view.h"

using namespace dorive;

namespace {

// The serial line to the simulated unit with the fuzzer in between: what the unit sends is
// held until the input says what becomes of it.
class FuzzPort : public SerialPort {
  public:
    FuzzPort(sim::SimUnit& unit, std::string& held) : unit_(unit) {
        id_ = unit_.attach([&held](std::string_view bytes) { held.append(bytes); });
    }
    ~FuzzPort() override { close(); }
    void write(std::string_view bytes) override {
        if (open_) unit_.receive(bytes);
    }
    std::size_t bytesAvailable() const override { return input_.size(); }
    std::string read(std::size_t max) override {
        std::string out = input_.substr(0, max);
        input_.erase(0, out.size());
        return out;
    }
    bool setDtr(bool on) override {
        if (open_) unit_.setDtr(on);
        return true;
    }
    std::size_t outputFree() const override { return kOutputBufferSize; }
    void close() override {
        if (!open_) return;
        open_ = false;
        unit_.detach(id_);
        unit_.setDtr(false);
    }
    void deliver(std::string_view bytes) {
        if (!open_ || bytes.empty()) return;
        input_.append(bytes);
        if (onReadyRead) onReadyRead();
    }
    void unplug() {
        if (!open_) return;
        close();
        if (onFailure) onFailure("the cable was pulled");
    }

  private:
    sim::SimUnit& unit_;
    std::uint64_t id_ = 0;
    bool open_ = true;
    std::string input_;
};

class FuzzProvider : public PortProvider {
  public:
    FuzzProvider(sim::SimUnit& unit, std::string& held) : unit_(unit), held_(held) {}
    std::vector<PortInfo> ports() override { return {{"ttyUSB0", "fuzzed line"}}; }
    std::unique_ptr<SerialPort> open(const std::string&) override {
        held_.clear();
        auto p = std::make_unique<FuzzPort>(unit_, held_);
        port = p.get();
        return p;
    }
    FuzzPort* port = nullptr;

  private:
    sim::SimUnit& unit_;
    std::string& held_;
};

// Lines the unit may send, so that the input reaches deep branches quickly.
const char* const kLines[] = {
    "OK",
    "ERROR",
    "+CME ERROR: 3",
    "STOP",
    "#APLAYEV: 0",
    "Telit",
    "[AT#SLED=1]=",
    "+CREG: 0,1",
    "+CREG: 0,5",
    "#CBC: 0,412",
    "#CBC:",
    "+CSQ: 17,99",
    "+CSQ: 99",
    "+CPBR: (1-40),20,18",
    "+CPBR: (1-",
    "+CPBR: (1-300000000),",
    "+CPBR: 15,\"0601111222\",129,\"M1-1\"",
    "+CPBR: 18,\"0605550001\",129,\"B2-1\"",
    "+CPBR: 20,\"1#1#1111100#12#0\",129,\"C5678C\"",
    "+CPBR: 22,\"2#4#07#18#**#1\",129,\"C4711C\"",
    "+CPBR: 23,\"1\",129,\"DETECT\"",
    "+CPBR: 10,\"4#4#1#1#1#5#1#2\",129,\"PARZEP\"",
    "+CPBR: 11,\"5#1#03#0\",129,\"PARRL1\"",
    "+CPBR: 13,\"3#1\",129,\"PARKEY\"",
    "+CPBR: 14,\"5.2\",129,\"VER\"",
    "+CPBR: 1,\"+420601111111\",145,\"ADMIN1\"",
    "+CPBR: 24,\"\",129,\"\"",
    "+CPBR: ,,,",
    "+CPBR: 5,\"",
    "#SPN: Simnet",
    "#SPN",
    "+COPS: 0,0,\"Simnet\"",
    "AT#tone=i,4]",
    ">>>",
    "CONNECT",
    "#ASENDEV: 0",
    "",
};

Task select(Tree& tree, int index) {
    if (tree.usable() && index < int(tree.nodes().size())) tree.userSelect(index);
    co_return;
}

Task toggle(CheckBox& box) {
    if (box.usable()) box.setChecked(!box.checked());
    co_return;
}

void userAction(FuzzedDataProvider& in, Dorive& core) {
    Form& f = core.form();
    switch (in.ConsumeIntegralInRange(0, 12)) {
        case 0:
            f.StopZEP.click();
            break;
        case 1:
            f.RunZEP.click();
            break;
        case 2:
            f.SaveZEP.click();
            break;
        case 3:
            f.LoadZEP.click();
            break;
        case 4:
            f.signal.click();
            break;
        case 5: {
            Tree* trees[] = {&f.TreeCode, &f.TreeMemo, &f.TreeMemoSel, &f.TreeButtons, &f.TreeButtonsSel};
            Tree* t = trees[in.ConsumeIntegralInRange(0, 4)];
            const int i = in.ConsumeIntegralInRange(0, 7);
            core.post([t, i] { return select(*t, i); });
            break;
        }
        case 6: {
            Form::MemoryPageControls& c = in.ConsumeBool() ? f.MemoControls : f.ButtonControls;
            core.userEdit(c.Number, std::to_string(in.ConsumeIntegralInRange(1, 12)), 1);
            core.userEdit(c.PNumber, "0601" + std::to_string(in.ConsumeIntegral<std::uint16_t>()), 4);
            c.Pos.setItemIndex(in.ConsumeIntegralInRange(-1, 7));
            (in.ConsumeBool()   ? c.Write
             : in.ConsumeBool() ? c.Add
             : in.ConsumeBool() ? c.DelSel
                                : c.Del)
                .click();
            break;
        }
        case 7: {
            const int mode = in.ConsumeIntegralInRange(0, 4);
            Edit* codes[] = {&f.CodeM0, &f.CodeM1, &f.CodeM2, &f.CodeM3, &f.CodeM4};
            Button* writes[] = {&f.WriteCode0, &f.WriteCode1, &f.WriteCode2, &f.WriteCode3, &f.WriteCode4};
            core.userEdit(*codes[mode], std::to_string(in.ConsumeIntegral<std::uint16_t>()), 1);
            f.ModeCode.setActiveIndex(mode);
            (in.ConsumeBool() ? *writes[mode] : in.ConsumeBool() ? f.AddCode : f.DelCode).click();
            break;
        }
        case 8:
            core.post([&f] { return toggle(f.DetBut); });
            break;
        case 9:
            f.Upgrade.click();
            break;
        case 10:
            f.UploadCancel.click();
            break;
        case 11:
            core.userEdit(f.ADMIN[in.ConsumeIntegralInRange(0, 6)], in.ConsumeRandomLengthString(24), 0);
            break;
        default:
            f.IMEI.click();
            break;
    }
}

// `bytes` reaches DORive in pieces of 1 to `most` bytes.
void deliverInPieces(FuzzPort& port, std::string_view bytes, std::size_t most, FuzzedDataProvider& in) {
    while (!bytes.empty()) {
        std::size_t n = std::min(bytes.size(), in.ConsumeIntegralInRange<std::size_t>(1, most));
        port.deliver(bytes.substr(0, n));
        bytes.remove_prefix(n);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    test::VirtualClock clock;
    sim::SimOptions options;
    options.type = in.ConsumeBool() ? sim::ModuleType::Older : sim::ModuleType::Newer;
    sim::SimUnit unit(clock, options, sim::SimCard::withDefaultContent(40));
    std::string held;
    FuzzProvider provider(unit, held);
    test::ScriptedDialogs dialogs;
    test::FakeFiles files;
    files.files["zep.pyo"] = std::string(300, 's');
    files.files["hello.wav"] = std::string(500, 'v');
    DoriveOptions doriveOptions;
    doriveOptions.executable = "GSMKelpy";  // the variant with the memory pages
    doriveOptions.files = &files;
    auto core = std::make_unique<Dorive>(provider, clock, dialogs, doriveOptions);
    core->form().List.appendLines({"DEL:old.pyo", "zep.pyo", "ASEND:hello.wav", "SET:AT#CBC", "RUN:zep.pyo"});
    core->post([&] { return core->FormCreate(); });
    clock.advance(200);

    for (int op = 0; op < 400 && in.remaining_bytes() > 0; ++op) {
        FuzzPort* port = provider.port;
        switch (in.ConsumeIntegralInRange(0, 9)) {
            case 0:  // the unit's answers arrive
                if (port) deliverInPieces(*port, std::exchange(held, {}), 64, in);
                break;
            case 1:  // bytes of the input's own
                if (port) deliverInPieces(*port, in.ConsumeRandomLengthString(96), 16, in);
                break;
            case 2:
                if (port)
                    port->deliver(
                        std::string(
                            kLines[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kLines) - 1)]) +
                        (in.ConsumeBool() ? "\r\n" : "\r"));
                break;
            case 3:  // lost on the line
                held.clear();
                break;
            case 4:
                clock.advance(in.ConsumeIntegralInRange(0, 3000));
                break;
            case 5:
                userAction(in, *core);
                break;
            case 6:  // one byte of the answers changed
                if (port && !held.empty()) {
                    std::string bytes = std::exchange(held, {});
                    bytes[in.ConsumeIntegralInRange<std::size_t>(0, bytes.size() - 1)] ^=
                        char(in.ConsumeIntegralInRange(1, 255));
                    port->deliver(bytes);
                }
                break;
            case 7:
                if (port && in.ConsumeIntegralInRange(0, 7) == 0) port->unplug();
                break;
            default:  // a stretch of a well-behaved line: answers arrive as time passes
                for (int k = in.ConsumeIntegralInRange(1, 64); k > 0; --k) {
                    if (provider.port && !held.empty()) provider.port->deliver(std::exchange(held, {}));
                    clock.advance(250);
                }
                break;
        }
    }

    // The unit falls silent; every timeout runs out.
    for (int s = 0; s < 120; ++s) {
        held.clear();
        clock.advance(1000);
    }
    const Form& f = core->form();
    const State& st = core->state();
    FUZZ_CHECK(!st.WriteActive);
    FUZZ_CHECK(!core->upload().running() && !st.UploadActive);
    FUZZ_CHECK(!core->memories().awaitsAnswer());
    FUZZ_CHECK(!core->loop().busy() && core->loop().waiting() == 0);
    for (const Control* c : test::lockedByASave(f)) {
        if (c == &f.SaveZEP || c == &f.LoadZEP) continue;  // these follow the unit's state
        if (!c->enabled()) {
            std::fprintf(stderr, "%s", test::dumpView(test::lockedByASave(f)).c_str());
            FUZZ_CHECK(c->enabled());
        }
    }
    FUZZ_CHECK(f.Upgrade.enabled());
    core.reset();
    return 0;
}
