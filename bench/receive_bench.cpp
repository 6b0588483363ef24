// Throughput of the receive path: line assembly, monitor and reply handling of a large
// phone-book listing, as bytes per second.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/dorive.h"
#include "support/fakes.h"

using namespace dorive;

namespace {

std::string listing(int entries) {
    std::string out;
    for (int i = 1; i <= entries; ++i) {
        out += "\r\n+CPBR: " + std::to_string(i) + ",\"+4202123456" + std::to_string(i % 100) +
               "\",145,\"Contact " + std::to_string(i) + "\"\r\n";
    }
    out += "\r\nOK\r\n";
    return out;
}

// Feeds the data in 4 KiB reads to one running core, as the port hands it over in a
// long session: the monitor keeps growing across iterations.
void receiveAll(benchmark::State& state, const std::string& data) {
    test::VirtualClock clock;
    test::FakeProvider provider(clock);
    test::ScriptedDialogs dialogs;
    Dorive core(provider, clock, dialogs);
    core.channel().open();
    for (auto _ : state) {
        core.state().PhoneBookReload = true;  // every listing is a fresh read of the phone book
        for (std::size_t i = 0; i < data.size(); i += 4096)
            provider.port->feed(std::string_view(data).substr(i, 4096));
        benchmark::DoNotOptimize(core.form().Monitor.lines().size());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(data.size()));
}

void BM_ReceiveListing(benchmark::State& state) {
    receiveAll(state, listing(int(state.range(0))));
}
BENCHMARK(BM_ReceiveListing)->Arg(20000)->Unit(benchmark::kMillisecond);

// Plain text lines that match no reply: the cost of assembly and the monitor alone.
void BM_ReceiveMonitorOnly(benchmark::State& state) {
    std::string data;
    for (int i = 0; i < 20000; ++i)
        data += "unit status line number " + std::to_string(i) + " of the script\r\n";
    receiveAll(state, data);
}
BENCHMARK(BM_ReceiveMonitorOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
