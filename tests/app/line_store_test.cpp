#include "form/line_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace dorive;

TEST(LineStore, LinesKeepTheirBytesAcrossBlocksBigLinesAndEmptyLines) {
    LineStore store;
    std::vector<std::string> expected;
    auto add = [&](std::string line) {
        store.push_back(line);
        expected.push_back(std::move(line));
    };
    add("");
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(char(b));
    add(all);
    // Fill the first block to its last byte, then one more line must open a new block.
    std::size_t used = all.size();
    add(std::string(LineStore::kBlockSize - used - 10, 'a'));
    add("0123456789");
    add("");
    add("next block");
    add(std::string(LineStore::kBlockSize * 3 + 7, 'b'));  // a block of its own
    add("");
    add("after the big line");
    for (int i = 0; i < 100000; ++i) add("line " + std::to_string(i));

    EXPECT_TRUE(store == expected);
    EXPECT_EQ(store.size(), expected.size());
    EXPECT_EQ(store.back(), "line 99999");
    std::vector<std::string> copied(store.begin() + 5, store.begin() + 9);
    EXPECT_EQ(copied, std::vector<std::string>(expected.begin() + 5, expected.begin() + 9));
}
