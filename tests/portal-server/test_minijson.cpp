#include <gtest/gtest.h>

#include "MiniJson.h"
#include "PortalService.h"

using orvportal::JsonValue;
using orvportal::ParseJson;

namespace {

struct StringCase {
    const char* json;
    const char* expected;
};

class JsonStringRead : public ::testing::TestWithParam<StringCase> {};

TEST_P(JsonStringRead, ReadsClientStrings) {
    JsonValue v = ParseJson(std::string("{\"k\":") + GetParam().json + "}");
    EXPECT_EQ(v.get("k").str(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonStringRead,
    ::testing::Values(StringCase{"\"plain\"", "plain"},
                      StringCase{"\"Tanz #38; Musik\"", "Tanz & Musik"},        // client's ampersand
                      StringCase{"\"say \\\"hi\\\"\"", "say \"hi\""},            // escaped quote
                      StringCase{"\"C:\\temp\\new\"", "C:\\temp\\new"},          // unescaped backslashes kept
                      StringCase{"\"line1\r\nline2\"", "line1\r\nline2"},        // raw line break tolerated
                      StringCase{"\"\\u00fc\"", "\xC3\xBC"},                     // unicode escape
                      StringCase{"\"\\ud83d\\ude00\"", "\xF0\x9F\x98\x80"},      // surrogate pair
                      StringCase{"\"lesson+event\"", "lesson+event"},
                      StringCase{"42", "42"},
                      StringCase{"\"\"", ""}));

class JsonRejects : public ::testing::TestWithParam<const char*> {};

TEST_P(JsonRejects, MalformedTextThrows) { EXPECT_THROW(ParseJson(GetParam()), orvportal::JsonError); }

INSTANTIATE_TEST_SUITE_P(Cases, JsonRejects,
                         ::testing::Values("", "{", "{\"a\":}", "[1,2", "{\"a\":1}x", "{a:1}", "\"open",
                                           "{\"retcode\":\"0\",\"message\": <<kein JSON>> ,,]", "[\"\\u12\"]"));

TEST(Json, StructureAndOrder) {
    JsonValue v = ParseJson(" { \"b\" : [1, \"x\", {\"c\": true}], \"a\": null } ");
    ASSERT_TRUE(v.isObject());
    ASSERT_EQ(v.members().size(), 2u);
    EXPECT_EQ(v.members()[0].first, "b");
    ASSERT_TRUE(v.get("b").isArray());
    EXPECT_EQ(v.get("b").items().size(), 3u);
    EXPECT_TRUE(v.get("b").items()[2].get("c").boolean());
    EXPECT_EQ(v.get("a").kind(), JsonValue::Kind::Null);
    EXPECT_EQ(v.get("missing").kind(), JsonValue::Kind::Null);
}

TEST(Json, DumpEscapesAndRoundTrips) {
    JsonValue o = JsonValue::Object();
    o.set("text", "a\"b\\c\nd\te\x01");
    o.set("n", JsonValue::Number(-12));
    JsonValue arr = JsonValue::Array();
    arr.push(JsonValue::String("x"));
    o.set("list", arr);
    std::string dumped = o.dump();
    // No \u escapes: the desktop client's reader would turn \u0001 into the text "0001".
    EXPECT_EQ(dumped, "{\"text\":\"a\\\"b\\\\c\\nd\\te\x01\",\"n\":-12,\"list\":[\"x\"]}");
    JsonValue back = ParseJson(dumped, orvportal::JsonDialect::Standard);
    EXPECT_EQ(back.get("text").str(), "a\"b\\c\nd\te\x01");
    EXPECT_EQ(back.get("n").str(), "-12");
    EXPECT_EQ(back.get("list").items()[0].str(), "x");
}

TEST(Json, DialectsDifferOnlyInEscapesAndAmpersand) {
    struct C {
        const char* json;
        const char* client;
        const char* standard;
    } cases[] = {{"\"a\\nb\"", "a\\nb", "a\nb"},
                 {"\"a\\r\\n\\tb\"", "a\\r\\n\\tb", "a\r\n\tb"},
                 {"\"x #38; y\"", "x & y", "x #38; y"},
                 {"\"q\\\"\\\\\"", "q\"\\", "q\"\\"},
                 {"\"raw\r\nline\"", "raw\r\nline", "raw\r\nline"}};
    for (const auto& c : cases) {
        std::string doc = std::string("[") + c.json + "]";
        EXPECT_EQ(ParseJson(doc).items()[0].str(), c.client) << c.json;
        EXPECT_EQ(ParseJson(doc, orvportal::JsonDialect::Standard).items()[0].str(), c.standard) << c.json;
    }
}

TEST(Json, DeepNestingIsRejected) {
    std::string deep(200, '[');
    deep += std::string(200, ']');
    EXPECT_THROW(ParseJson(deep), orvportal::JsonError);
}

struct FormCase {
    const char* text;
    std::vector<std::pair<std::string, std::string>> expected;
};

class FormText : public ::testing::TestWithParam<FormCase> {};

TEST_P(FormText, SplitsAndDecodes) { EXPECT_EQ(orvportal::ParseFormText(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, FormText,
    ::testing::Values(
        FormCase{"a=1&b=2", {{"a", "1"}, {"b", "2"}}},
        FormCase{"username=a%20b%2Dc.d/e", {{"username", "a b-c.d/e"}}},
        FormCase{"categories=lesson+event", {{"categories", "lesson+event"}}},  // plus is not a blank
        FormCase{"name=J%FCrgen", {{"name", "J\xC3\xBCrgen"}}},               // Windows-1252 byte to UTF-8
        FormCase{"name=%C3%BC", {{"name", "\xC3\xBC"}}},                      // UTF-8 kept
        FormCase{"t=50%25%20off&x=100%", {{"t", "50% off"}, {"x", "100%"}}},  // lone percent kept
        FormCase{"flag&&v=", {{"flag", ""}, {"v", ""}}},
        FormCase{"q={\"a\":\"b=c\"}", {{"q", "{\"a\":\"b=c\"}"}}},
        // hand-written JSON is sent unencoded, so its percent signs are literal
        FormCase{"person={\"t\":\"10%25 Rabatt\"}", {{"person", "{\"t\":\"10%25 Rabatt\"}"}}},
        FormCase{"querylist=[{\"zip\":\"%C3\"}]", {{"querylist", "[{\"zip\":\"%C3\"}]"}}},
        FormCase{"person=%7B%22t%22%3A%221%22%7D", {{"person", "{\"t\":\"1\"}"}}},
        // an ampersand left in a hand-written JSON text stays inside it
        FormCase{"categories=[\"Caf\xC3\xA9 & Tanz\",\"a]&b\"]&x=1", {{"categories", "[\"Caf\xC3\xA9 & Tanz\",\"a]&b\"]"}, {"x", "1"}}},
        FormCase{"q=[\"open&z=2", {{"q", "[\"open"}, {"z", "2"}}}));

TEST(Versions, CompareNumerically) {
    struct C {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {{"1.0.11", "1.0.11", 0}, {"1.0.12", "1.0.11", 1}, {"1.0.9", "1.0.11", -1},
                 {"2", "1.9.9", 1},       {"1.0", "1.0.0", 0},     {"1.0.0.1", "1.0", 1}};
    for (const auto& c : cases) {
        int r = orvportal::CompareVersions(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    }
}

TEST(Passwords, SaltedHashDiffersPerSalt) {
    std::string s1 = orvportal::RandomHex(16), s2 = orvportal::RandomHex(16);
    ASSERT_NE(s1, s2);
    EXPECT_EQ(orvportal::HashPassword("pw", s1), orvportal::HashPassword("pw", s1));
    EXPECT_NE(orvportal::HashPassword("pw", s1), orvportal::HashPassword("pw", s2));
    EXPECT_NE(orvportal::HashPassword("pw", s1), orvportal::HashPassword("pW", s1));
    EXPECT_EQ(orvportal::HashPassword("pw", s1).size(), 64u);
}

}  // namespace
