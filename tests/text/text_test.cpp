// Byte-text helpers: the Windows-1252 table, trimming and whole numbers.
#include "text/text.h"

#include <gtest/gtest.h>

#include "text/cp1252.h"

using namespace dorive;

TEST(Cp1252, TableAndRoundTripOfEveryByte) {
    const struct {
        unsigned char byte;
        char16_t unicode;
    } cases[] = {
        {0x41, u'A'},
        {0x80, 0x20AC},
        {0x8A, 0x0160},
        {0x9F, 0x0178},
        {0xE9, 0x00E9},
        {0x81, 0x0081},  // undefined in the code page: kept as the C1 control of the same
                         // value
        {0x9D, 0x009D},
        {0x00, 0x0000},
        {0xFF, 0x00FF},
    };
    for (const auto& c : cases) EXPECT_EQ(cp1252ToUnicode(c.byte), c.unicode) << int(c.byte);

    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(char(b));
    std::u16string shown = decodeCp1252(all);
    ASSERT_EQ(shown.size(), 256u);
    EXPECT_EQ(encodeCp1252(shown), all);
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeTheReplacement) {
    EXPECT_EQ(encodeCp1252(u"a\u0159b"), "a?b");   // ř
    EXPECT_EQ(encodeCp1252(u"\u4e2d", '_'), "_");  // one byte per unit, so positions stay
    EXPECT_EQ(encodeCp1252(u"\u20ac\u0152"), "\x80\x8c");
}

TEST(Text, TrimmingAndNumbers) {
    EXPECT_EQ(trimBlanks("\t 12 \r\n"), "12");
    EXPECT_EQ(trimSpaces("\t 12 "), "\t 12");
    EXPECT_EQ(trimSpacesTabs("\t 12 \t"), "12");
    const struct {
        const char* text;
        bool signAllowed;
        std::optional<int> value;
    } cases[] = {
        {"42", true, 42},
        {"+42", true, 42},
        {"-7", true, -7},
        {"-7", false, std::nullopt},
        {"", true, std::nullopt},
        {"+", true, std::nullopt},
        {"4 2", true, std::nullopt},
        {"2147483647", true, 2147483647},
        {"2147483648", true, std::nullopt},
        {"-2147483648", true, -2147483647 - 1},
        {"99999999999999999999", true, std::nullopt},
        {"0x10", true, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseInt(c.text, c.signAllowed), c.value) << c.text;
    EXPECT_EQ(toInt(" +15 "), 15);
    EXPECT_THROW(toInt("1,5"), ConversionError);
}
