// Memory entries as pure text: which tree lists a name, the tree line and what is read back
// from it, the order of a tree, and the phone-book commands.
#include "memories/memory_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace dorive;

namespace {

std::vector<Tree::Node> nodes(std::vector<std::string> texts) {
    std::vector<Tree::Node> out;
    for (auto& t : texts) out.push_back({std::move(t), {}});
    return out;
}
std::vector<std::string> texts(const std::vector<Tree::Node>& nodes) {
    std::vector<std::string> out;
    for (const auto& n : nodes) out.push_back(n.text);
    return out;
}

}  // namespace

TEST(MemoryEntries, EachTreeTestsTheNameOnItsOwn) {
    struct Case {
        const char* name;
        const char* selectedMemo;
        const char* selectedButton;
        TreeMembership expected;  // memo, memoSel, buttons, buttonsSel, code
    };
    const Case cases[] = {
        {"M12-3", "", "", {true, false, false, false, false}},
        {"M12-3", "M12-", "", {true, true, false, false, false}},
        {"M", "", "", {true, false, false, false, false}},  // no "-": position 0 = length - 1
        {"B", "", "", {false, false, true, false, false}},
        {"C", "", "", {false, false, false, false, true}},
        {"M12-34", "M12-", "", {false, true, false, false, false}},
        {"M12-", "", "", {false, false, false, false, false}},
        {"M-3", "", "", {true, false, false, false, false}},
        {"M1-2-3", "", "", {false, false, false, false, false}},
        {"B4-1", "", "B4-", {false, false, true, true, false}},
        {"BBUTTON1", "", "B", {false, false, false, true, false}},  // never in TreeButtons
        {"CC", "", "", {false, false, false, false, true}},
        {"C4711C", "", "", {false, false, false, false, true}},
        {"C1C2C", "", "", {false, false, false, false, false}},
        {"C12", "", "", {false, false, false, false, false}},
        {"M11-1", "M1-", "", {true, false, false, false, false}},  // "M1-" is no prefix of "M11-1"
        {"DETECT", "", "", {}},
        {"", "M1-", "B1-", {}},
        {"m1-1", "", "", {}},  // case counts
    };
    for (const Case& c : cases)
        EXPECT_EQ(memoryTreesFor(c.name, c.selectedMemo, c.selectedButton), c.expected) << c.name;
}

TEST(MemoryEntries, TreeLineAndItsFieldsReadBack) {
    const std::string line = treeLine("17", "M12-3", "123456");
    EXPECT_EQ(line, "17:M12-3[123456]");
    EXPECT_EQ(lineLocation(line), "17");
    EXPECT_EQ(lineName(line), "M12-3");
    EXPECT_EQ(lineNumber(line), "123456");
    EXPECT_EQ(lineMemoryNumber(line, 'M'), "12");
    EXPECT_EQ(linePosition(line), "3");
    EXPECT_EQ(memoryPrefix(line), "M12-");

    EXPECT_EQ(lineMemoryNumber("4:B4-1[777]", 'B'), "4");
    EXPECT_EQ(lineCode("9:C4711C[1#4#08#17#**#1]"), "4711");
    EXPECT_EQ(lineCode("5:CC[1#0]"), "");
    EXPECT_EQ(lineNumber("9:C4711C[1#4#08#17#**#1]"), "1#4#08#17#**#1");
    EXPECT_EQ(lineLocation(" 40 :DETECT[1]"), "40");
    EXPECT_EQ(lineNumber("3:M-1[]"), "");
    EXPECT_EQ(lineMemoryNumber("3:M-1[]", 'M'), "");
    // No "-" after the name: no memory to pick.
    EXPECT_EQ(memoryPrefix("5:M[1]"), "");
    // Lines without their marks give empty fields rather than failing.
    EXPECT_EQ(lineLocation("no colon"), "");
    EXPECT_EQ(lineName("7:broken"), "");
    EXPECT_EQ(lineNumber("7:x]y["), "");
}

TEST(MemoryEntries, TreesSortByNameOrdinallyAndStably) {
    // Lines arrive one at a time, each addition sorting the tree.
    auto addAll = [](std::vector<std::string> in) {
        std::vector<Tree::Node> tree;
        for (auto& t : in) {
            tree.push_back({t, {}});
            sortTreeLines(tree);
        }
        return texts(tree);
    };
    EXPECT_EQ(addAll({"1:M2-1[a]", "2:M10-1[b]", "3:M1-1[c]"}),
              (std::vector<std::string>{"3:M1-1[c]", "2:M10-1[b]", "1:M2-1[a]"}));
    // "-" is below every digit; a prefix sorts first; the location does not count.
    EXPECT_EQ(addAll({"9:M10-1[]", "8:M1-2[]", "30:M1[]", "4:M1-1[]"}),
              (std::vector<std::string>{"30:M1[]", "4:M1-1[]", "8:M1-2[]", "9:M10-1[]"}));
    // Equal names keep the order in which they came.
    EXPECT_EQ(addAll({"5:M1-1[x]", "2:C1C[]", "3:M1-1[y]", "1:M1-1[z]"}),
              (std::vector<std::string>{"2:C1C[]", "5:M1-1[x]", "3:M1-1[y]", "1:M1-1[z]"}));
    // Bytes above 127 sort after ASCII.
    EXPECT_EQ(addAll({"1:M\xE9-1[]", "2:Mz-1[]"}), (std::vector<std::string>{"2:Mz-1[]", "1:M\xE9-1[]"}));

    // A tree that was not in order (set as a whole) is ordered as a whole, stably.
    auto tree = nodes({"1:C9C[]", "2:C1C[a]", "3:C5C[]", "4:C1C[b]"});
    sortTreeLines(tree);
    EXPECT_EQ(texts(tree), (std::vector<std::string>{"2:C1C[a]", "4:C1C[b]", "3:C5C[]", "1:C9C[]"}));
}

TEST(MemoryEntries, Commands) {
    EXPECT_EQ(writeAtCommand("17", "123456", "M12-3"), "AT+CPBW=17,123456,,M12-3\r\n");
    EXPECT_EQ(writeFirstFreeCommand("777", "B4-1"), "AT+CPBW=,777,,B4-1\r\n");
    EXPECT_EQ(deleteCommand("40"), "AT+CPBW=40\r\n");
    EXPECT_EQ(memoryName('M', "", "3"), "M-3");
}

TEST(MemoryEntries, PositionProposalAndPositions) {
    EXPECT_EQ(proposedPositionItem(0), 0);
    EXPECT_EQ(proposedPositionItem(2), 2);
    EXPECT_EQ(proposedPositionItem(6), 6);
    EXPECT_EQ(proposedPositionItem(7), -1);
    for (const char* p : {"1", "7"}) EXPECT_TRUE(isMemoryPosition(p)) << p;
    for (const char* p : {"", "0", "8", "a", "11"}) EXPECT_FALSE(isMemoryPosition(p)) << p;
}

// Sorting after each addition gives exactly the order that exchanging adjacent lines out of
// order, pass after pass, gives: the same for any names, repeated ones and prefixes among them.
TEST(MemoryEntries, SortingMatchesRepeatedExchangePasses) {
    auto key = [](const std::string& l) { return l.substr(l.find(':') + 1, l.find('[') - l.find(':') - 1); };
    auto exchangePasses = [&](std::vector<std::string>& lines) {
        for (bool exchanged = true; exchanged;) {
            exchanged = false;
            for (std::size_t i = 0; i + 1 < lines.size(); ++i)
                if (key(lines[i + 1]) < key(lines[i])) {
                    std::swap(lines[i], lines[i + 1]);
                    exchanged = true;
                }
        }
    };
    const char* parts[] = {"M", "1", "10", "-", "2", "C", "\xC4", "0"};
    unsigned seed = 7;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int round = 0; round < 200; ++round) {
        std::vector<Tree::Node> tree;
        std::vector<std::string> reference;
        const int count = 1 + int(next() % 40);
        for (int i = 0; i < count; ++i) {
            std::string name;
            for (unsigned n = next() % 4; n > 0; --n) name += parts[next() % 8];
            const std::string line = std::to_string(i) + ":" + name + "[" + std::to_string(next() % 3) + "]";
            tree.push_back({line, {}});
            sortTreeLines(tree);
            reference.push_back(line);
            exchangePasses(reference);
        }
        ASSERT_EQ(texts(tree), reference) << "round " << round;
    }
}
