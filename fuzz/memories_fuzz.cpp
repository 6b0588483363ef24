// The memory pages' decoding: any text as a tree line and as a code line, the tree order,
// and a click on such a line in each tree of the pages.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "memories/code_rules.h"
#include "memories/memory_entries.h"
#include "text/text.h"

using namespace dorive;

namespace {

void decodeLine(const std::string& line) {
    (void)lineLocation(line);
    (void)lineName(line);
    (void)lineNumber(line);
    (void)lineMemoryNumber(line, 'M');
    (void)lineMemoryNumber(line, 'B');
    FUZZ_CHECK(linePosition(line).size() <= 1);
    (void)lineCode(line);
    (void)memoryPrefix(line);
    (void)isMemoryName(line, 'M');
    (void)isCodeName(line);
    (void)memoryTreesFor(line, "M1-", "B2-");
    int mode = -1;
    try {
        mode = codeLineMode(line);
        FUZZ_CHECK(mode >= 0 && mode <= 9);
    } catch (const ConversionError&) {
    }
    for (int m = 0; m <= 5; ++m) {
        CodeLineFields f = codeLineFields(line, m);
        for (const std::string& l : f.lists) {
            FUZZ_CHECK(l.size() <= 2);
            try {
                (void)listItemFor(l, {"**", "01", "02", "03"}, 0);
            } catch (const ConversionError&) {
            }
        }
    }
}

std::string two(FuzzedDataProvider& in) {
    static const char* const kFields[] = {"**", "00", "01", "07", "12", "23", "24", "31", "99"};
    return kFields[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kFields) - 1)];
}

Task click(Tree& tree, int i) {
    tree.userSelect(i);
    co_return;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);

    // A rule composed from fields reads back as the fields it was made of.
    {
        const int mode = in.ConsumeIntegralInRange(0, 4);
        CodeRuleFields f;
        f.relay = in.ConsumeIntegralInRange(0, 2);
        for (bool& d : f.days) d = in.ConsumeBool();
        f.access = two(in);
        f.fromMonth = two(in), f.fromDay = two(in), f.toMonth = two(in), f.toDay = two(in);
        f.fromHour = two(in), f.toHour = two(in);
        f.sms = in.ConsumeBool();
        const std::string code = std::to_string(in.ConsumeIntegralInRange(0, 99999999));
        const std::string line = treeLine("20", "C" + code + "C", composeCodeRule(mode, f));
        FUZZ_CHECK(codeLineMode(line) == mode);
        CodeLineFields back = codeLineFields(line, mode);
        FUZZ_CHECK(back.code == code);
        FUZZ_CHECK(back.relay == char('0' + f.relay));
        if (mode >= 1) FUZZ_CHECK(back.sms == (f.sms ? '1' : '0'));
        std::vector<std::string> lists;
        if (mode == 1) lists = {f.access};
        if (mode == 2) lists = {f.fromMonth, f.fromDay, f.toMonth, f.toDay};
        if (mode == 3) lists = {f.fromMonth, f.fromDay, f.access};
        if (mode == 4) lists = {f.fromHour, f.toHour, f.access};
        FUZZ_CHECK(back.lists == lists);
    }

    // Tree lines of any text; the fields of a line made of plain parts come back.
    std::vector<std::string> lines;
    while (in.remaining_bytes() > 0 && lines.size() < 32) lines.push_back(in.ConsumeRandomLengthString(96));
    for (const std::string& l : lines) decodeLine(l);
    if (lines.size() >= 3 && lines[0].find_first_of(":[") == std::string::npos &&
        lines[1].find_first_of(":[]") == std::string::npos &&
        lines[2].find_first_of("[]") == std::string::npos) {
        const std::string line = treeLine(lines[0], lines[1], lines[2]);
        FUZZ_CHECK(lineName(line) == lines[1]);
        FUZZ_CHECK(lineNumber(line) == lines[2]);
        std::string_view location = lines[0];
        while (!location.empty() && location.front() == ' ') location.remove_prefix(1);
        while (!location.empty() && location.back() == ' ') location.remove_suffix(1);
        FUZZ_CHECK(lineLocation(line) == location);
    }

    // The tree order: every line after those whose names are not greater, stable.
    std::vector<Tree::Node> nodes, sorted;
    for (const std::string& l : lines) {
        nodes.push_back(Tree::Node{l});
        sortTreeLines(nodes);
        sorted.push_back(Tree::Node{l});
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const Tree::Node& a, const Tree::Node& b) {
        return lineName(a.text) < lineName(b.text);
    });
    for (std::size_t i = 0; i < nodes.size(); ++i) FUZZ_CHECK(nodes[i].text == sorted[i].text);

    // A click on each line in each tree decodes it into the page, whatever it holds.
    fuzz::Rig rig("GSMKelpy");
    Form& f = rig.form();
    for (Tree* t : {&f.TreeCode, &f.TreeMemo, &f.TreeMemoSel, &f.TreeButtons, &f.TreeButtonsSel}) {
        t->clear();
        for (const std::string& l : lines) t->add(l);
        for (int i = 0; i < int(lines.size()); ++i) rig.run([t, i] { return click(*t, i); });
    }
    return 0;
}
