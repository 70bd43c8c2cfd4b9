// The pair tokenizer and the small readers every value parser relies on.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/OrvPairTokenizer.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs Tokenize(const std::string& text)
{
    OrvPairTokenizer tokenizer(text);
    Pairs pairs;
    std::string key = "stale", value = "stale";
    int guard = 0;
    while (tokenizer.Next(key, value)) {
        pairs.emplace_back(key, value);
        if (++guard > 1000) {
            ADD_FAILURE() << "tokenizer does not end on: " << text;
            break;
        }
    }
    // The end is reported with both outputs emptied.
    EXPECT_EQ(key, "");
    EXPECT_EQ(value, "");
    return pairs;
}

struct TokenCase {
    const char* name;
    std::string text;
    Pairs expected;
};

class PairTokenizerCases : public ::testing::TestWithParam<TokenCase> {};

TEST_P(PairTokenizerCases, YieldsPairs)
{
    const TokenCase& c = GetParam();
    EXPECT_EQ(Tokenize(c.text), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PairTokenizerCases,
    ::testing::Values(
        TokenCase{"Empty", "", {}},
        TokenCase{"OnePairNoSemicolon", "A=1", {{"A", "1"}}},
        TokenCase{"TrailingSemicolon", "A=1;B=2;", {{"A", "1"}, {"B", "2"}}},
        TokenCase{"QuotedValue", "NAME=\"Club\";ZIP=10115;", {{"NAME", "Club"}, {"ZIP", "10115"}}},
        TokenCase{"QuoteProtectsSemicolon", "NAME=\"Club; Saal\";CITY=Berlin;",
                  {{"NAME", "Club; Saal"}, {"CITY", "Berlin"}}},
        TokenCase{"QuoteProtectsEquals", "TEXT=\"a=b\";", {{"TEXT", "a=b"}}},
        TokenCase{"UnquotedValueKeepsLaterEquals", "TEXT=a=b;", {{"TEXT", "a=b"}}},
        TokenCase{"TextAfterClosingQuoteDropped", "NAME=\"Club\"x;CITY=B;", {{"NAME", "Club"}, {"CITY", "B"}}},
        TokenCase{"EmptyValue", "A=;B=2;", {{"A", ""}, {"B", "2"}}},
        TokenCase{"EmptyQuotedValue", "A=\"\";B=2;", {{"A", ""}, {"B", "2"}}},
        TokenCase{"MissingEqualsGivesEmptyKey", "JUNK;A=1;", {{"", ""}, {"A", "1"}}},
        TokenCase{"EmptyPairBetweenSeparators", "A=1;;B=2", {{"A", "1"}, {"", ""}, {"B", "2"}}},
        TokenCase{"EmptyKey", "=5;", {{"", "5"}}},
        // An unterminated quote makes the rest of the text one pair; its
        // value is the rest after the opening quote.
        TokenCase{"UnterminatedQuote", "NAME=\"Club;CITY=B", {{"NAME", "Club;CITY=B"}}},
        TokenCase{"UnterminatedQuoteAfterPairs", "A=1;NAME=\"Cl", {{"A", "1"}, {"NAME", "Cl"}}},
        TokenCase{"LoneQuote", "\"", {{"", ""}}},
        TokenCase{"QuotedKeyHidesEquals", "\"A=B\";C=D", {{"", ""}, {"C", "D"}}},
        TokenCase{"LoneSemicolon", ";", {{"", ""}}},
        TokenCase{"KeysAreNotTrimmed", " A = 1 ;", {{" A ", " 1 "}}}),
    [](const ::testing::TestParamInfo<TokenCase>& info) { return std::string(info.param.name); });

TEST(PairTokenizer, KeepsItsOwnCopyOfTheText)
{
    std::string text = "A=1;B=2;";
    OrvPairTokenizer tokenizer(text);
    text.assign("X=9;");
    std::string key, value;
    ASSERT_TRUE(tokenizer.Next(key, value));
    EXPECT_EQ(key, "A");
    ASSERT_TRUE(tokenizer.Next(key, value));
    EXPECT_EQ(value, "2");
    EXPECT_FALSE(tokenizer.Next(key, value));
    EXPECT_FALSE(tokenizer.Next(key, value)); // stays at the end
}

TEST(PairTokenizer, EmbeddedNulByteDoesNotEndTheText)
{
    std::string text("A=x\0y;B=2", 9);
    Pairs pairs = Tokenize(text);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].second, std::string("x\0y", 3));
    EXPECT_EQ(pairs[1], (std::pair<std::string, std::string>{"B", "2"}));
}

struct IntCase {
    const char* text;
    int asInt;
    uint32_t asUnsigned;
};

TEST(DecimalReading, LikeTheCLibraryButClamped)
{
    const IntCase cases[] = {
        {"42", 42, 42},
        {"  7", 7, 7},
        {"+3", 3, 3},
        {"-5", -5, 0},
        {"12abc", 12, 12},
        {"abc", 0, 0},
        {"", 0, 0},
        {"4294967295", 2147483647, 4294967295u},
        {"99999999999999999999", 2147483647, 4294967295u},
        {"-99999999999999999999", -2147483647 - 1, 0},
    };
    for (const IntCase& c : cases) {
        EXPECT_EQ(OrvReadInt(c.text), c.asInt) << c.text;
        EXPECT_EQ(OrvReadUnsigned(c.text), c.asUnsigned) << c.text;
    }
}

struct DateCase {
    const char* text;
    bool dateOnly;
    int y, mo, d, h, mi, s;
};

TEST(DateTimeReading, FixedWidthFieldsStopAtTheFirstUnreadable)
{
    const DateCase cases[] = {
        {"20250131T201500", false, 2025, 1, 31, 20, 15, 0},
        {"20250131T201559Z", false, 2025, 1, 31, 20, 15, 59},
        {"20250131", false, 2025, 1, 31, 0, 0, 0},        // date only: midnight
        {"20250131T2015", false, 2025, 1, 31, 20, 15, 0}, // no seconds
        {"20250131T201500", true, 2025, 1, 31, 0, 0, 0},  // DATE value type
        {"20250131X201500", false, 2025, 1, 31, 0, 0, 0}, // no 'T'
        {"2025-01-31", false, 2025, 0, 0, 0, 0, 0},       // no sign is read as a field
        {"202", false, 0, 0, 0, 0, 0, 0},
        {"", false, 0, 0, 0, 0, 0, 0},
        {"garbage", false, 0, 0, 0, 0, 0, 0},
        {"20251399T996161", false, 2025, 13, 99, 99, 61, 61}, // read as given, not checked
    };
    for (const DateCase& c : cases) {
        OrvCalTime t = OrvReadDateTime(c.text, c.dateOnly);
        EXPECT_EQ(t.Year(), c.y) << c.text;
        EXPECT_EQ(t.Month(), c.mo) << c.text;
        EXPECT_EQ(t.Day(), c.d) << c.text;
        EXPECT_EQ(t.Hour(), c.h) << c.text;
        EXPECT_EQ(t.Minute(), c.mi) << c.text;
        EXPECT_EQ(t.Second(), c.s) << c.text;
        EXPECT_EQ(t.Milliseconds(), 0) << c.text;
    }
}

TEST(SplitTokens, LeavesOutEmptyTokens)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(OrvSplitTokens("", ','), V{});
    EXPECT_EQ(OrvSplitTokens(",,", ','), V{});
    EXPECT_EQ(OrvSplitTokens("MO", ','), V{"MO"});
    EXPECT_EQ(OrvSplitTokens("1,,2,", ','), (V{"1", "2"}));
    EXPECT_EQ(OrvSplitTokens(",a,b", ','), (V{"a", "b"}));
}

} // namespace
