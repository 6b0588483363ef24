// Tree building of a full SIM read: 250 memory entries listed into the memory trees, each
// addition keeping its tree in name order. Through the whole reply path, through the tree
// listing alone, and, for comparison, with the repeated exchange passes sorting the tree
// after every addition.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/dorive.h"
#include "memories/memory_entries.h"
#include "support/fakes.h"

using namespace dorive;

namespace {

struct Entry {
    std::string location, number, name;
};

// 100 memo entries, 80 button entries and 70 codes in SIM order; the names run against the
// tree order, so that each addition moves far.
std::vector<Entry> simEntries() {
    std::vector<Entry> out;
    int location = 1;
    for (int i = 99; i >= 0; --i)
        out.push_back({std::to_string(location++), "06011" + std::to_string(10000 + i),
                       "M" + std::to_string(1 + i / 7) + "-" + std::to_string(1 + i % 7)});
    for (int i = 79; i >= 0; --i)
        out.push_back({std::to_string(location++), "06055" + std::to_string(10000 + i),
                       "B" + std::to_string(1 + i / 7) + "-" + std::to_string(1 + i % 7)});
    for (int i = 69; i >= 0; --i)
        out.push_back(
            {std::to_string(location++), "1#4#08#17#**#1", "C" + std::to_string(4000 + i * 13) + "C"});
    return out;
}

std::string listing(const std::vector<Entry>& entries) {
    std::string out;
    for (const Entry& e : entries)
        out += "\r\n+CPBR: " + e.location + ",\"" + e.number + "\",129,\"" + e.name + "\"\r\n";
    return out + "\r\nOK\r\n";
}

// The whole read through the core: listing lines, phone-book rows and the trees.
void BM_ReadOf250MemoryEntries(benchmark::State& state) {
    test::VirtualClock clock;
    test::FakeProvider provider(clock);
    test::ScriptedDialogs dialogs;
    Dorive core(provider, clock, dialogs);
    core.channel().open();
    core.state().SelectedMemoName = "M1-";
    core.state().SelectedButtonName = "B1-";
    const std::string data = listing(simEntries());
    for (auto _ : state) {
        core.state().PhoneBookReload = true;  // a fresh read empties the trees first
        provider.port->feed(data);
        benchmark::DoNotOptimize(core.form().TreeMemo.nodes().size());
    }
    state.counters["memos"] = double(core.form().TreeMemo.nodes().size());
}
BENCHMARK(BM_ReadOf250MemoryEntries)->Unit(benchmark::kMillisecond);

// The tree listing alone.
void BM_TreeListingOf250Entries(benchmark::State& state) {
    test::VirtualClock clock;
    test::FakeProvider provider(clock);
    test::ScriptedDialogs dialogs;
    Dorive core(provider, clock, dialogs);
    const auto entries = simEntries();
    for (auto _ : state) {
        core.memories().trees.clearTrees();
        for (const Entry& e : entries) core.memories().trees.ListMemoryEntry(e.location, e.number, e.name);
        benchmark::DoNotOptimize(core.form().TreeCode.nodes().size());
    }
}
BENCHMARK(BM_TreeListingOf250Entries)->Unit(benchmark::kMicrosecond);

// The same order reached by exchanging adjacent lines out of order, pass after pass, after
// every addition.
void exchangePasses(std::vector<std::string>& lines) {
    auto key = [](const std::string& l) {
        const std::size_t a = l.find(':'), b = l.find('[');
        return l.substr(a + 1, b - a - 1);
    };
    bool exchanged = lines.size() > 1;
    while (exchanged) {
        exchanged = false;
        for (std::size_t i = 0; i + 1 < lines.size(); ++i)
            if (key(lines[i + 1]) < key(lines[i])) {
                std::swap(lines[i], lines[i + 1]);
                exchanged = true;
            }
    }
}

void BM_ExchangePassesOf250Entries(benchmark::State& state) {
    const auto entries = simEntries();
    for (auto _ : state) {
        std::vector<std::string> memo, buttons, codes;
        for (const Entry& e : entries) {
            auto& tree = e.name[0] == 'M' ? memo : e.name[0] == 'B' ? buttons : codes;
            tree.push_back(treeLine(e.location, e.name, e.number));
            exchangePasses(tree);
        }
        benchmark::DoNotOptimize(codes.size());
    }
}
BENCHMARK(BM_ExchangePassesOf250Entries)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
