#include "sim/sim_card.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace dorive::sim {
namespace {

TEST(SimCard, FirstFreeFillsGapsAndReportsFull) {
    SimCard card(4);
    EXPECT_EQ(card.firstFree(), 1);
    EXPECT_TRUE(card.write(1, "1", "A"));
    EXPECT_TRUE(card.write(2, "2", "B"));
    EXPECT_TRUE(card.write(4, "4", "D"));
    EXPECT_EQ(card.writeFirstFree("3", "C"), 3);
    EXPECT_EQ(card.firstFree(), 0);
    EXPECT_EQ(card.writeFirstFree("5", "E"), 0);
    EXPECT_TRUE(card.erase(2));
    EXPECT_EQ(card.firstFree(), 2);
    EXPECT_FALSE(card.erase(5));
    EXPECT_FALSE(card.write(0, "1", "A"));
    EXPECT_FALSE(card.write(1, std::string(21, '1'), "A"));
    EXPECT_FALSE(card.write(1, "1", std::string(19, 'N')));
    EXPECT_EQ(card.find(1)->name, "A");  // rejected writes changed nothing
    card.setCapacity(2);
    EXPECT_EQ(card.entries().size(), 1u);
}

TEST(SimCard, DefaultContentHoldsTheFixedEntries) {
    SimCard card = SimCard::withDefaultContent();
    std::map<std::string, std::string> byName;
    for (const auto& [loc, e] : card.entries()) byName[e.name] = e.number;
    EXPECT_EQ(byName["PARZEP"], "4#4#1#1#1#5#1#2");
    EXPECT_EQ(byName["PARRL1"], "5#1#03#0");
    EXPECT_EQ(byName["PARRL2"], "6#3#10#0");
    EXPECT_EQ(byName["PARKEY"], "3#1");
    EXPECT_EQ(byName["VER"], "5.2");
    EXPECT_EQ(byName["DETECT"], "0");
    for (const char* name : {"ADMIN1", "ADMIN2", "ABUTTON1", "ABUTTON3", "BBUTTON2", "ALARMON", "ALARMOFF",
                             "M1-1", "B2-1", "C1234C", "Caretaker", "Service"})
        EXPECT_TRUE(byName.count(name)) << name;
    // A small SIM takes what fits.
    EXPECT_EQ(SimCard::withDefaultContent(5).entries().size(), 5u);
}

TEST(SimCardImage, RoundTripKeepsEveryByte) {
    SimCard card(300);
    std::string allBytes;
    for (int c = 0; c < 256; ++c) allBytes += char(c);
    card.write(1, "+420601111111", "ADMIN1");
    card.write(2, "\"quoted\" \\ back", "tab\there");
    card.write(300, "", "");
    for (int i = 0; i < 256; i += 18)
        card.write(10 + i / 18, allBytes.substr(i, 18), allBytes.substr(255 - i, 18));
    card.write(100, "\x80\xff\xe9\x9a", "\xc8\xe1st\xed");

    std::string image = card.toImage();
    for (unsigned char c : image) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7f));
    SimCard back = SimCard::fromImage(image);
    EXPECT_EQ(back.capacity(), 300);
    EXPECT_EQ(back.entries(), card.entries());

    auto path = (std::filesystem::temp_directory_path() / "dorive_sim_card_test.sim").string();
    card.saveImage(path);
    EXPECT_EQ(SimCard::loadImage(path).entries(), card.entries());
    std::remove(path.c_str());
}

TEST(SimCardImage, AcceptsCommentsBlankLinesAndCrLf) {
    SimCard card = SimCard::fromImage("# saved\r\n\r\ncapacity 20\r\n  3 \"12\"   \"X\\x41\"  \r\n# end");
    EXPECT_EQ(card.capacity(), 20);
    ASSERT_TRUE(card.find(3));
    EXPECT_EQ(card.find(3)->name, "XA");
    EXPECT_EQ(SimCard::fromImage("").capacity(), SimCard::kDefaultCapacity);
}

TEST(SimCardImage, MalformedImagesAreRejectedWithTheLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"capacity 0\n", "line 1: capacity must be"},
        {"capacity ten\n", "line 1: expected a capacity"},
        {"capacity 10\ncapacity 20\n", "line 2: capacity given twice"},
        {"1 \"1\" \"A\"\ncapacity 10\n", "line 2: capacity must come before"},
        {"capacity 10\n11 \"1\" \"A\"\n", "line 2: location 11 outside 1 to 10"},
        {"0 \"1\" \"A\"\n", "line 1: location 0 outside"},
        {"1 \"1\" \"A\"\n1 \"2\" \"B\"\n", "line 2: location 1 given twice"},
        {"x \"1\" \"A\"\n", "line 1: expected a location"},
        {"1 \"1\"\n", "line 1: expected name in double quotes"},
        {"1 \"1\" \"A\n", "line 1: unterminated name"},
        {"1 \"1\" \"A\\", "line 1: unterminated name"},
        {"1 \"1\" \"A\\q\"\n", "line 1: unknown escape"},
        {"1 \"\\x4\" \"A\"\n", "line 1: bad \\x escape"},
        {"1 \"1\"x \"A\"\n", "line 1: text after the closing quote of number"},
        {"1 \"1\" \"A\" extra\n", "line 1: unexpected text"},
        {"1 \"123456789012345678901\" \"A\"\n", "line 1: number longer than 20"},
        {"1 \"1\" \"1234567890123456789\"\n", "line 1: name longer than 18"},
        {"capacityX 5\n", "line 1: expected a location"},
        {"\x01\x02\xff\n", "line 1: expected a location"},
    };
    for (const auto& c : cases) {
        try {
            SimCard::fromImage(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const SimImageError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(SimCardImage, FileErrorsNameTheFile) {
    auto dir = std::filesystem::temp_directory_path();
    auto missing = (dir / "dorive_no_such_dir" / "x.sim").string();
    EXPECT_THROW(SimCard::loadImage(missing), SimImageError);
    EXPECT_THROW(SimCard().saveImage(missing), SimImageError);

    auto bad = (dir / "dorive_sim_bad.sim").string();
    std::ofstream(bad) << "capacity 5\n6 \"1\" \"A\"\n";
    try {
        SimCard::loadImage(bad);
        ADD_FAILURE();
    } catch (const SimImageError& e) {
        EXPECT_NE(std::string(e.what()).find(bad + ": SIM image line 2"), std::string::npos) << e.what();
    }
    std::remove(bad.c_str());
}

}  // namespace
}  // namespace dorive::sim
