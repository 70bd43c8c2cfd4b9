// Conversions between Windows-1252 and UTF-8 and the small text functions.
#include <gtest/gtest.h>

#include <string>

#include "base/OrvText.h"

namespace {

std::string Hex(const std::string& s)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(TextUTF8ToSingleByte, Cases)
{
    struct Case {
        const char* name;
        std::string utf8;
        std::string single;
    } cases[] = {
        {"umlaut and sharp s", "\x47\x72\xC3\xBC\xC3\x9F\x65", "\x47\x72\xFC\xDF\x65"},
        {"plain ascii", "Hallo Welt", "Hallo Welt"},
        {"en dash has no row and is removed", "1\xE2\x80\x93" "2", "12"},
        {"euro sign", "5 \xE2\x82\xAC", "5 \x80"},
        {"no-break space has no row, y diaeresis has", "\xC2\xA0\xC3\xBF", "\xFF"},
        {"soft hyphen has no row", "a\xC2\xAD" "b", "ab"},
        {"lone continuation byte stops the conversion", "\xC3\xA4 \xA9 \xC3\xA4", "\xE4 \xA9 \xC3\xA4"},
        {"bad continuation stops", "x\xC3" "A\xC3\xA4", "x\xC3" "A\xC3\xA4"},
        {"sequence cut by the end stops", "x\xC3", "x\xC3"},
        {"lead byte 0xFF stops", "a\xFF" "b", "a\xFF" "b"},
        {"four-byte emoji removed", "a\xF0\x9F\x98\x80" "b", "ab"},
        {"empty", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hex(OrvUTF8ToSingleByte(c.utf8.c_str())), Hex(c.single)) << c.name;
    EXPECT_STREQ(OrvUTF8ToSingleByte(nullptr), "");
}

TEST(TextSingleByteToUTF8, Cases)
{
    struct Case {
        const char* name;
        std::string single;
        std::string utf8;
    } cases[] = {
        {"umlauts", "\x47\x72\xFC\xDF\x65", "\x47\x72\xC3\xBC\xC3\x9F\x65"},
        {"0x81 has no row: space", "a\x81" "b", "a b"},
        {"euro", "\x80", "\xE2\x82\xAC"},
        {"0x9F and 0xA0 have no row, 0xA1 has", "\x9F\xA0\xA1", "  \xC2\xA1"},
        {"soft hyphen becomes a space", "\xAD", " "},
        {"0xFF", "\xFF", "\xC3\xBF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hex(OrvSingleByteToUTF8(c.single.c_str())), Hex(c.utf8)) << c.name;
}

TEST(TextSingleByteToUTF8, RoundTripOfEveryByteWithARow)
{
    for (int b = 0x80; b <= 0xFF; ++b) {
        bool hasRow = b == 0x80 || (b >= 0xA1 && b != 0xAD);
        char in[2] = {static_cast<char>(b), 0};
        std::string utf8 = OrvSingleByteToUTF8(in);
        if (!hasRow) {
            EXPECT_EQ(utf8, " ") << b;
            continue;
        }
        EXPECT_EQ(std::string(OrvUTF8ToSingleByte(utf8.c_str())), std::string(in)) << b;
        EXPECT_TRUE(OrvFitsSingleByte(utf8.c_str())) << b;
    }
}

TEST(TextUTF8Sequence, Cases)
{
    struct Case {
        std::string bytes;
        bool sequence;
        int length;   // -1: not reported
    } cases[] = {
        {"\xC3\xBC", true, 2},
        {"\xE2\x82\xAC", true, 3},
        {"\xF0\x9F\x98\x80", true, 4},
        {"A", false, -1},
        {"\xA9x", false, 1},          // continuation byte: length still reported
        {"\xC3" "A", false, 2},       // second byte with bit 6 set
        {"\xE2\x82", false, 3},       // cut by the terminator
    };
    for (const auto& c : cases) {
        int length = -1;
        EXPECT_EQ(OrvIsUTF8Sequence(c.bytes.c_str(), &length), c.sequence) << Hex(c.bytes);
        EXPECT_EQ(length, c.length) << Hex(c.bytes);
    }
}

TEST(TextFitsSingleByte, Cases)
{
    EXPECT_TRUE(OrvFitsSingleByte("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"));
    EXPECT_FALSE(OrvFitsSingleByte("1\xE2\x80\x93" "2"));
    EXPECT_FALSE(OrvFitsSingleByte("\xA9"));
    EXPECT_TRUE(OrvFitsSingleByte(""));
}

TEST(TextReplaceAll, Cases)
{
    struct Case {
        const char* text;
        const char* pattern;
        const char* replacement;
        const char* result;
    } cases[] = {
        {"a'b'c", "'", "''", "a''b''c"},   // replacement containing the pattern: no endless loop
        {"aaa", "aa", "b", "ba"},
        {"no match", "x", "y", "no match"},
        {"abc", "abc", "", ""},
        {"", "x", "y", ""},
        {"xx", "x", "xyx", "xyxxyx"},
    };
    for (const auto& c : cases) EXPECT_STREQ(OrvReplaceAll(c.text, c.pattern, c.replacement), c.result) << c.text;
}

TEST(TextQuotes, SkipAndCut)
{
    EXPECT_STREQ(OrvSkipLeadingQuotes("\"\"abc\""), "abc\"");
    EXPECT_STREQ(OrvSkipLeadingQuotes("abc"), "abc");
    EXPECT_STREQ(OrvSkipLeadingQuotes("\"\""), "");
    EXPECT_STREQ(OrvCutTrailingQuotes("\"abc\"\""), "\"abc");
    EXPECT_STREQ(OrvCutTrailingQuotes("\""), "");
    EXPECT_STREQ(OrvCutTrailingQuotes(""), "");
}

TEST(TextFormEncode, Cases)
{
    struct Case {
        std::string text;
        const char* encoded;
    } cases[] = {
        {"a b&c", "a%20b%26c"},
        {"Az09./[\\]", "Az09./[\\]"},
        {"\xFC", "%FC"},
        {"a=b+c%d", "a%3Db%2Bc%25d"},
        {"-_~", "%2D%5F%7E"},
        {"\n\x01", "%0A%01"},
    };
    for (const auto& c : cases) EXPECT_STREQ(OrvFormEncode(c.text.c_str()), c.encoded) << c.text;
}

} // namespace
