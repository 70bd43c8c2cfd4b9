// The JSON document model and the reader of portal replies: the dialect of
// escapes, the exact failure messages and where they point.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/json.h"

namespace {

json::Object Parse(const std::string& text)
{
    json::Object o;
    std::istringstream in(text);
    json::Reader::Read(o, in);
    return o;
}

std::string StringOf(const std::string& document)
{
    json::Object o = Parse(document);
    json::String& s = o["s"];
    return s.Value();
}

// --- reading ---

TEST(JsonReader, EmptyObjectAndNestedValues)
{
    EXPECT_TRUE(Parse("{}").Empty());
    EXPECT_TRUE(Parse(" \t\r\n{ \n} \n").Empty());

    json::Object o = Parse(R"({"a": [1, -2.5, 1.5e3, true, false, null, "x", {"b": {"c": []}}], "d": {}})");
    ASSERT_EQ(o.Size(), 2u);
    EXPECT_EQ(o.Begin()->name, "a");
    const json::Array& a = o["a"];
    ASSERT_EQ(a.Size(), 8u);
    EXPECT_DOUBLE_EQ(a[0].CastTo<json::Number>().Value(), 1.0);
    EXPECT_DOUBLE_EQ(a[1].CastTo<json::Number>().Value(), -2.5);
    EXPECT_DOUBLE_EQ(a[2].CastTo<json::Number>().Value(), 1500.0);
    EXPECT_TRUE(a[3].CastTo<json::Boolean>().Value());
    EXPECT_TRUE(a[4].Is<json::Boolean>());
    EXPECT_FALSE(a[4].CastTo<json::Boolean>().Value());
    EXPECT_TRUE(a[5].Is<json::Null>());
    EXPECT_EQ(a[6].CastTo<json::String>().Value(), "x");
    EXPECT_TRUE(a[7]["b"]["c"].Is<json::Array>());
    EXPECT_TRUE(o["d"].Is<json::Object>());
}

TEST(JsonReader, MembersKeepTheirOrder)
{
    json::Object o = Parse(R"({"z": 1, "a": 2, "m": 3})");
    std::string names;
    for (const auto& m : o) names += m.name;
    EXPECT_EQ(names, "zam");
}

TEST(JsonReader, Escapes)
{
    struct Case {
        const char* name;
        std::string document;
        std::string expected;
    } cases[] = {
        {"quote", R"({"s": "a\"b"})", "a\"b"},
        {"slash", R"({"s": "a\/b"})", "a/b"},
        {"backslash", R"({"s": "a\\b"})", "a\\b"},
        {"control characters", R"({"s": "\b\f\n\r\t"})", "\b\f\n\r\t"},
        {"u umlaut lower case", R"({"s": "Gr\u00fc\u00dfe"})", "Gr\xFC\xDF" "e"},
        {"u umlaut upper case", R"({"s": "\u00FC\u00C4"})", "\xFC\xC4"},
        {"first and last of the table", R"({"s": "\u00c4\u00fc"})", "\xC4\xFC"},
        {"c cedilla is not in the table", R"({"s": "Fran\u00e7ois"})", "Fran00e7ois"},
        {"ascii code is kept as text", R"({"s": "\u0041"})", "0041"},
        {"a ring is not in the table", R"({"s": "\u00e5"})", "00e5"},
        {"y acute is not in the table", R"({"s": "\u00fd"})", "00fd"},
        {"code above latin-1", R"({"s": "\u20ac"})", "20ac"},
        {"raw bytes above 0x7f pass", "{\"s\": \"\xC3\xBC\xFF\"}", "\xC3\xBC\xFF"},
        {"raw line feed kept", "{\"s\": \"a\nb\"}", "a\nb"},
        {"empty", R"({"s": ""})", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            EXPECT_EQ(StringOf(c.document), c.expected);
        } catch (const json::Exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

TEST(JsonReader, NumberConversion)
{
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"0", 0.0}, {"-0", 0.0}, {"42", 42.0}, {"1.5e3", 1500.0}, {"2E-2", 0.02}, {"1e+2", 100.0}, {"-17.25", -17.25},
    };
    for (const auto& c : cases) {
        json::Object o = Parse(std::string("{\"n\": ") + c.text + "}");
        EXPECT_DOUBLE_EQ(o["n"].CastTo<json::Number>().Value(), c.value) << c.text;
    }
    // A lone minus sign converts nothing; it reads as 0 instead of failing.
    json::Object o = Parse(R"({"n": -})");
    EXPECT_DOUBLE_EQ(o["n"].CastTo<json::Number>().Value(), 0.0);
}

// --- failures: message, exception kind and location ---

struct Loc {
    int line, lineOffset, docOffset;
};

struct BadCase {
    const char* name;
    std::string document;
    std::string message;
    bool scan;         // ScanException, else ParseException
    Loc begin;         // the scan location, or the token's begin
    Loc end;           // the token's end (parse errors only)
};

void ExpectLoc(const json::Reader::Location& l, const Loc& want, const char* what)
{
    EXPECT_EQ(l.m_nLine, want.line) << what;
    EXPECT_EQ(l.m_nLineOffset, want.lineOffset) << what;
    EXPECT_EQ(l.m_nDocOffset, want.docOffset) << what;
}

TEST(JsonReader, BadInputsFailWithTheirMessageAndLocation)
{
    const BadCase cases[] = {
        {"array at top level", "[1]", "Unexpected token: [", false, {0, 0, 0}, {0, 1, 1}},
        {"comma before closing brace", "{\"a\": 1,}", "Unexpected token: }", false, {0, 8, 8}, {0, 9, 9}},
        {"members without comma", "{\"a\": 1\n \"b\": 2}", "Unexpected token: b", false, {1, 1, 9}, {1, 4, 12}},
        {"second value after the object", "{} {\"a\": 1}", "Expected End of token stream; found {", false,
         {0, 3, 3}, {0, 4, 4}},
        {"duplicate member", "{\"id\": 1, \"id\": 2}", "Duplicate object member token: id", false, {0, 10, 10},
         {0, 14, 14}},
        {"number with inner minus", "{\"n\": 1-2}", "Unexpected character in NUMBER token: -", false, {0, 6, 6},
         {0, 9, 9}},
        {"number with double minus", "{\"n\": --1}", "Unexpected character in NUMBER token: -", false,
         {0, 6, 6}, {0, 9, 9}},
        {"empty document", "", "Unexpected End of token stream", false, {0, 0, 0}, {0, 0, 0}},
        {"only white space", " \n ", "Unexpected End of token stream", false, {0, 0, 0}, {0, 0, 0}},
        {"unterminated object", "{\"a\": 1", "Unexpected End of token stream", false, {0, 0, 0}, {0, 0, 0}},
        {"member without value", "{\"a\":", "Unexpected end of token stream", false, {0, 0, 0}, {0, 0, 0}},
        {"member value is a colon", "{\"a\": :}", "Unexpected token: :", false, {0, 6, 6}, {0, 7, 7}},
        {"member name is a number", "{1: 2}", "Unexpected token: 1", false, {0, 1, 1}, {0, 2, 2}},
        {"unterminated array", "{\"a\": [1, 2}", "Unexpected token: }", false, {0, 11, 11}, {0, 12, 12}},
        {"leading plus", "{\"n\": +1}", "Unexpected character in stream: +", true, {0, 6, 6}, {}},
        {"single quotes", "{'a': 1}", "Unexpected character in stream: '", true, {0, 1, 1}, {}},
        {"bad literal", "{\"a\": trux}", "Expected string: true", true, {0, 10, 10}, {}},
        {"literal cut short", "{\"a\": fal", "Expected string: false", true, {0, 9, 9}, {}},
        {"null misspelt", "{\"a\":\n nil}", "Expected string: null", true, {1, 3, 9}, {}},
        {"unterminated string", "{\"a\": \"abc", "Expected string: \"", true, {0, 10, 10}, {}},
        {"backslash at the end", "{\"a\": \"abc\\", "Expected string: \"", true, {0, 11, 11}, {}},
        {"unknown escape", "{\"a\": \"x\\qy\"}", "Unrecognized escape sequence found in string: \\q", true,
         {0, 10, 10}, {}},
        {"capital U escape", "{\"a\": \"\\U00fc\"}", "Unrecognized escape sequence found in string: \\U", true,
         {0, 9, 9}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        json::Object o;
        std::istringstream in(c.document);
        try {
            json::Reader::Read(o, in);
            ADD_FAILURE() << "no exception";
        } catch (const json::Reader::ScanException& e) {
            EXPECT_TRUE(c.scan) << "scan exception: " << e.what();
            EXPECT_EQ(std::string(e.what()), c.message);
            ExpectLoc(e.m_locError, c.begin, "error location");
        } catch (const json::Reader::ParseException& e) {
            EXPECT_FALSE(c.scan) << "parse exception: " << e.what();
            EXPECT_EQ(std::string(e.what()), c.message);
            ExpectLoc(e.m_locTokenBegin, c.begin, "token begin");
            ExpectLoc(e.m_locTokenEnd, c.end, "token end");
        } catch (...) {
            ADD_FAILURE() << "other exception";
        }
    }
}

TEST(JsonReader, MembersReadBeforeAFailureStay)
{
    json::Object o;
    std::istringstream in(R"({"a": 1, "b": [true], "c": tru})");
    EXPECT_THROW(json::Reader::Read(o, in), json::Reader::ScanException);
    // The scan fails before anything is parsed.
    EXPECT_TRUE(o.Empty());

    std::istringstream in2(R"({"a": 1, "b": [true], "a": 2})");
    EXPECT_THROW(json::Reader::Read(o, in2), json::Reader::ParseException);
    ASSERT_EQ(o.Size(), 2u);
    EXPECT_DOUBLE_EQ(o["a"].CastTo<json::Number>().Value(), 1.0);
    EXPECT_TRUE(o["b"][0].CastTo<json::Boolean>().Value());
}

TEST(JsonReader, ExceptionsDeriveFromTheCommonBase)
{
    std::istringstream in("[");
    json::Object o;
    try {
        json::Reader::Read(o, in);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(dynamic_cast<const json::Exception*>(&e), nullptr);
    }
}

TEST(JsonScanner, TokensAndLocations)
{
    json::Reader::Tokens tokens;
    std::istringstream in("{\"k\":\n [12, \"a\nb\", null]}");
    json::Reader::Scan(tokens, in);
    using T = json::Reader::Token;
    struct Want {
        T::Type type;
        const char* text;
        Loc begin, end;
    } want[] = {
        {T::TOKEN_OBJECT_BEGIN, "{", {0, 0, 0}, {0, 1, 1}},
        {T::TOKEN_STRING, "k", {0, 1, 1}, {0, 4, 4}},
        {T::TOKEN_MEMBER_ASSIGN, ":", {0, 4, 4}, {0, 5, 5}},
        {T::TOKEN_ARRAY_BEGIN, "[", {1, 1, 7}, {1, 2, 8}},
        {T::TOKEN_NUMBER, "12", {1, 2, 8}, {1, 4, 10}},
        {T::TOKEN_NEXT_ELEMENT, ",", {1, 4, 10}, {1, 5, 11}},
        // The line feed inside the string still counts as a new line.
        {T::TOKEN_STRING, "a\nb", {1, 6, 12}, {2, 2, 17}},
        {T::TOKEN_NEXT_ELEMENT, ",", {2, 2, 17}, {2, 3, 18}},
        {T::TOKEN_NULL, "null", {2, 4, 19}, {2, 8, 23}},
        {T::TOKEN_ARRAY_END, "]", {2, 8, 23}, {2, 9, 24}},
        {T::TOKEN_OBJECT_END, "}", {2, 9, 24}, {2, 10, 25}},
    };
    ASSERT_EQ(tokens.size(), std::size(want));
    for (size_t i = 0; i < tokens.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(tokens[i].nType, want[i].type);
        EXPECT_EQ(tokens[i].sValue, want[i].text);
        ExpectLoc(tokens[i].locBegin, want[i].begin, "begin");
        ExpectLoc(tokens[i].locEnd, want[i].end, "end");
    }
}

TEST(JsonScanner, NumberTokenTakesSignsExponentsAndNul)
{
    json::Reader::Tokens tokens;
    std::string text("[1e+5-3,7", 9);
    text += '\0';
    text += "]";
    std::istringstream in(text);
    json::Reader::Scan(tokens, in);
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens[1].sValue, "1e+5-3");
    EXPECT_EQ(tokens[3].sValue, std::string("7\0", 2));

    json::Object o;
    std::istringstream doc(std::string("{\"n\": 7\0}", 9));
    try {
        json::Reader::Read(o, doc);
        FAIL();
    } catch (const json::Reader::ParseException& e) {
        EXPECT_STREQ(e.what(), "Unexpected character in NUMBER token: ");   // the NUL ends the C string
    }
}

TEST(JsonReader, DeepNestingIsRefusedNotCrashing)
{
    const int ok = json::Reader::kMaxNesting - 1;   // plus the top-level object
    std::string fine = "{\"a\":" + std::string(ok, '[') + std::string(ok, ']') + "}";
    EXPECT_NO_THROW(Parse(fine));

    for (char open : {'[', '{'}) {
        std::string deep = "{\"a\":";
        for (int i = 0; i < 100000; ++i) deep += open == '[' ? "[" : "{\"b\":";
        json::Object o;
        std::istringstream in(deep);
        EXPECT_THROW(json::Reader::Read(o, in), json::Reader::ParseException) << open;
    }
}

TEST(JsonReader, ManyMembersAndTheirDuplicate)
{
    std::string doc = "{";
    for (int i = 0; i < 20000; ++i) doc += "\"m" + std::to_string(i) + "\": " + std::to_string(i) + ",";
    std::string dup = doc + "\"m123\": 0}";
    doc += "\"last\": true}";
    json::Object o = Parse(doc);
    EXPECT_EQ(o.Size(), 20001u);
    EXPECT_DOUBLE_EQ(o["m19999"].CastTo<json::Number>().Value(), 19999.0);
    json::Object d;
    std::istringstream in(dup);
    try {
        json::Reader::Read(d, in);
        FAIL();
    } catch (const json::Reader::ParseException& e) {
        EXPECT_STREQ(e.what(), "Duplicate object member token: m123");
    }
    EXPECT_EQ(d.Size(), 20000u);

    // A name already in the object before reading is a duplicate, too.
    json::Object pre;
    pre["id"] = json::Number(1.0);
    std::istringstream in2("{\"a\": 1, \"id\": 2}");
    EXPECT_THROW(json::Reader::Read(pre, in2), json::Reader::ParseException);
    EXPECT_DOUBLE_EQ(pre["id"].CastTo<json::Number>().Value(), 1.0);
    EXPECT_EQ(pre.Size(), 2u);
}

// --- the model ---

TEST(JsonModel, KindConversionReplacesTheValue)
{
    json::Object o = Parse(R"({"s": "text", "n": 3, "a": [1]})");
    json::Object& asObject = o["s"];
    EXPECT_TRUE(asObject.Empty());
    EXPECT_TRUE(o["s"].Is<json::Object>());

    json::String& asString = o["n"];
    EXPECT_EQ(asString.Value(), "");
    json::Number& asNumber = o["a"];
    EXPECT_DOUBLE_EQ(asNumber.Value(), 0.0);
    json::Boolean& missing = o["missing"];
    EXPECT_FALSE(missing.Value());
    json::Array& same = o["a"];   // a number now: becomes an empty array
    EXPECT_TRUE(same.Empty());
}

TEST(JsonModel, IndexingAMissingMemberAppendsNull)
{
    json::Object o = Parse(R"({"a": 1})");
    json::UnknownElement& e = o["b"];
    EXPECT_TRUE(e.Is<json::Null>());
    ASSERT_EQ(o.Size(), 2u);
    EXPECT_EQ((++o.Begin())->name, "b");

    const json::Object& c = o;
    EXPECT_TRUE(c["zzz"].Is<json::Null>());
    EXPECT_EQ(o.Size(), 2u);   // const lookup appends nothing
    EXPECT_EQ(o.Find("zzz"), o.End());
    EXPECT_EQ(o.Find("A"), o.End());   // case-sensitive
}

TEST(JsonModel, ConstAccessNeverChangesTheElement)
{
    const json::Object o = Parse(R"({"s": "x"})");
    const json::Array& a = o["s"];
    EXPECT_TRUE(a.Empty());
    EXPECT_TRUE(o["s"].Is<json::String>());
    EXPECT_TRUE(a[5].Is<json::Null>());
}

TEST(JsonModel, ArrayIndexingGrowsWithNulls)
{
    json::Array a;
    a[2] = json::String("c");
    ASSERT_EQ(a.Size(), 3u);
    EXPECT_TRUE(a[0].Is<json::Null>());
    EXPECT_TRUE(a[1].Is<json::Null>());
    EXPECT_EQ(a[2].CastTo<json::String>().Value(), "c");
    a.Resize(5);
    EXPECT_TRUE(a[4].Is<json::Null>());
    a.Erase(a.Begin());
    EXPECT_EQ(a.Size(), 4u);
    EXPECT_EQ(a[1].CastTo<json::String>().Value(), "c");
    a.Insert(json::Number(1.0), a.Begin());
    EXPECT_DOUBLE_EQ(a[0].CastTo<json::Number>().Value(), 1.0);
    a.Clear();
    EXPECT_TRUE(a.Empty());
}

TEST(JsonModel, DuplicateInsertThrowsAndChangesNothing)
{
    json::Object o;
    o.Insert(json::Object::Member("id", json::Number(1.0)));
    try {
        o.Insert(json::Object::Member("id", json::Number(2.0)), o.Begin());
        FAIL();
    } catch (const json::Exception& e) {
        EXPECT_STREQ(e.what(), "Object member already exists: id");
    }
    ASSERT_EQ(o.Size(), 1u);
    EXPECT_DOUBLE_EQ(o["id"].CastTo<json::Number>().Value(), 1.0);

    o.Insert(json::Object::Member("first"), o.Begin());
    EXPECT_EQ(o.Begin()->name, "first");
    o.Erase(o.Begin());
    EXPECT_EQ(o.Begin()->name, "id");
    o.Clear();
    EXPECT_TRUE(o.Empty());
}

TEST(JsonModel, Equality)
{
    const char* doc = R"({"a": [1, "x", true, null, {"b": 2}], "c": "d"})";
    EXPECT_TRUE(Parse(doc) == Parse(doc));
    struct {
        const char* other;
    } different[] = {
        {R"({"c": "d", "a": [1, "x", true, null, {"b": 2}]})"},   // order of members
        {R"({"a": [1, "x", true, null, {"b": 3}], "c": "d"})"},
        {R"({"a": [1, "x", true, null], "c": "d"})"},
        {R"({"a": [1, "x", false, null, {"b": 2}], "c": "d"})"},
        {R"({"a": ["1", "x", true, null, {"b": 2}], "c": "d"})"},   // kind differs
        {R"({"a": [1, "X", true, null, {"b": 2}], "c": "d"})"},
        {R"({"a": [1, "x", true, false, {"b": 2}], "c": "d"})"},
    };
    for (const auto& d : different) EXPECT_FALSE(Parse(doc) == Parse(d.other)) << d.other;
    EXPECT_TRUE(json::UnknownElement() == json::UnknownElement(json::Null()));
}

TEST(JsonModel, CopiesAreDeep)
{
    json::Object o = Parse(R"({"a": {"b": [1, 2]}})");
    json::Object copy = o;
    json::Array& inner = copy["a"]["b"];
    inner[0] = json::String("changed");
    EXPECT_DOUBLE_EQ(o["a"]["b"][0].CastTo<json::Number>().Value(), 1.0);

    json::UnknownElement e = o;
    e = e;   // self-assignment keeps the value
    EXPECT_TRUE(e == json::UnknownElement(o));
    // Assigning a part of the element to the element itself.
    json::UnknownElement tree = o;
    tree = tree["a"];
    EXPECT_TRUE(tree["b"].Is<json::Array>());
}

TEST(JsonModel, VisitorsSeeTheHeldKind)
{
    struct Counter : json::ConstVisitor {
        std::string seen;
        void Visit(const json::Object&) override { seen += "o"; }
        void Visit(const json::Array&) override { seen += "a"; }
        void Visit(const json::Number&) override { seen += "n"; }
        void Visit(const json::String&) override { seen += "s"; }
        void Visit(const json::Boolean&) override { seen += "b"; }
        void Visit(const json::Null&) override { seen += "0"; }
    } counter;
    json::Object o = Parse(R"({"a": [{}, [], 1, "s", true, null]})");
    for (const auto& e : o["a"].CastTo<json::Array>()) e.Accept(counter);
    EXPECT_EQ(counter.seen, "oansb0");
}

} // namespace

namespace {

// Mutated portal replies: every input either parses or fails with one of
// the reader's own exceptions, and never takes long.
TEST(JsonReader, MutatedInputsOnlyEverThrowReaderExceptions)
{
    const std::string seed =
        "{\"retcode\": 0, \"message\": \"ok \\u00fc\\n\", \"data\": {\"pools\": [{\"id\": \"17\", \"scenes\": "
        "[{\"id\": 2, \"name\": \"salsa\"}]}], \"x\": [1.5e3, -2, true, false, null, \"\\\\\\/\"]}}";
    const char alphabet[] = "{}[],:\"\\-+.0123456789eEtrufalsn u\n\t\x80\xff";
    unsigned state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    int parsed = 0, failed = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text = seed;
        int edits = 1 + next() % 4;
        for (int e = 0; e < edits && !text.empty(); ++e) {
            size_t at = next() % text.size();
            switch (next() % 4) {
            case 0: text.erase(at, 1 + next() % 3); break;
            case 1: text.insert(at, 1, alphabet[next() % (sizeof(alphabet) - 1)]); break;
            case 2: text[at] = alphabet[next() % (sizeof(alphabet) - 1)]; break;
            case 3: text = text.substr(0, at); break;
            }
        }
        json::Object o;
        std::istringstream in(text);
        try {
            json::Reader::Read(o, in);
            ++parsed;
        } catch (const json::Reader::ScanException&) {
            ++failed;
        } catch (const json::Reader::ParseException&) {
            ++failed;
        }
    }
    // Both outcomes occur, so the mutations reach past the scanner.
    EXPECT_GT(parsed, 100);
    EXPECT_GT(failed, 1000);
}

} // namespace
