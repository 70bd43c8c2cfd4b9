#include <gtest/gtest.h>

#include "portal/OrvLocationAnalysis.h"

namespace {

struct AnalysisCase {
    const char* what;
    const char* location;
    const char* separator;
    const char* name;
    const char* street;
    const char* zip;
    const char* city;
    const char* country;
};

const AnalysisCase kCases[] = {
    {"three parts, comma and blank", "Tanzhaus Mitte, Chausseestr. 12, 10115 Berlin", ",", "Tanzhaus Mitte",
     "Chausseestr. 12", "10115", "Berlin", ""},
    {"city runs to the end of its part", "Club, Am Kai 3, 20095 Hamburg Altona", ",", "Club", "Am Kai 3", "20095",
     "Hamburg Altona", ""},
    {"one-letter country prefix", "Salsa Bar; Hauptweg 5; D-80331 Muenchen", ";", "Salsa Bar", "Hauptweg 5",
     "80331", "Muenchen", "D"},
    {"two-letter country prefix", "Tanzpalast, Bahnhofstr. 1, CH-8001 Zuerich", ",", "Tanzpalast",
     "Bahnhofstr. 1", "8001", "Zuerich", "CH"},
    {"prefix too far before the zip", "Saal, Ring 2, A-xx 1010 Wien", ",", "Saal", "Ring 2", "1010", "Wien", ""},
    {"no repeated separator: whole text is the name", "Studio 54 Hamburg 20095", "",
     "Studio 54 Hamburg 20095", "", "20095", "Studio 54 Hamburg 20095", ""},
    {"no repeated separator and no zip", "Im Park", "", "Im Park", "", "", "", ""},
    {"escaped line breaks separate", "Tanzschule\\nLindenweg 7\\n12345 Neustadt", "\\n", "Tanzschule",
     "Lindenweg 7", "12345", "Neustadt", ""},
    {"escaped tabs are removed first", "Haus\\t Eins, Weg 1, 54321 Ort", ",", "Haus Eins", "Weg 1", "54321", "Ort",
     ""},
    {"a street without digit is not a street", "Halle, Marktplatz, 99084 Erfurt", ",", "Halle", "", "99084",
     "Erfurt", ""},
    {"the first token never is the street", "Nr 5, Gasse 9, 01067 Dresden", ",", "Nr 5", "Gasse 9", "01067",
     "Dresden", ""},
    {"the first zip wins", "Ort, 11111 Eins, 22222 Zwei", ",", "Ort", "", "11111", "Eins", ""},
    {"umlauts count as letters", "K\xc3\xbc" "che, Stra\xc3\x9f" "e 4, 04109 L\xc3\xb6" "bau", ",",
     "K\xc3\xbc" "che", "Stra\xc3\x9f" "e 4", "04109", "L\xc3\xb6" "bau", ""},
    {"empty text", "", "", "", "", "", "", ""},
};

class LocationAnalysisCases : public ::testing::TestWithParam<AnalysisCase> {};

TEST_P(LocationAnalysisCases, FieldsFromText)
{
    const AnalysisCase& c = GetParam();
    OrvLocationAnalysis a(c.location);
    EXPECT_EQ(a.Separator(), c.separator) << c.what;
    EXPECT_EQ(a.NAME, c.name) << c.what;
    EXPECT_EQ(a.STREET, c.street) << c.what;
    EXPECT_EQ(a.ZIP, c.zip) << c.what;
    EXPECT_EQ(a.CITY, c.city) << c.what;
    EXPECT_EQ(a.COUNTRY, c.country) << c.what;
    EXPECT_TRUE(a.unused.empty());
    EXPECT_EQ(a.pattern.size(), a.text.size()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Texts, LocationAnalysisCases, ::testing::ValuesIn(kCases));

TEST(LocationAnalysis, PatternKeepsPositions)
{
    struct {
        const char* text;
        const char* pattern;
    } rows[] = {
        {"Ab 12-x", "aa 00-a"},
        {"a\\nb", "a\\na"},
        {"a\\tb", "a\\aa"},   // the pattern alone keeps a backslash that is not a line break
        {"\xc3\xa4z", "aaa"},
        {"\xe2\x82\xac 5", "aaa 0"},
        {"x\xe4y", "a\xe4" "a"},   // a lone single-byte umlaut is no UTF-8 sequence and stays
        {"(1);", "(0);"},
    };
    for (const auto& r : rows) EXPECT_EQ(OrvLocationAnalysis::Pattern(r.text), r.pattern) << r.text;
}

TEST(LocationAnalysis, SeparatorsCountedInOrderOfFirstAppearance)
{
    // ";" comes first but once; "/" twice; "," three times: the first
    // separator that repeats in order of first appearance is "/".
    OrvLocationAnalysis a("A; B/ C, D, E/ F, 12345 G");
    ASSERT_EQ(a.separators.size(), 3u);
    EXPECT_EQ(a.separators[0].first, ";");
    EXPECT_EQ(a.separators[0].second, 1);
    EXPECT_EQ(a.separators[1].first, "/");
    EXPECT_EQ(a.separators[1].second, 2);
    EXPECT_EQ(a.separators[2].first, ",");
    EXPECT_EQ(a.separators[2].second, 3);
    EXPECT_EQ(a.Separator(), "/");
    ASSERT_EQ(a.tokens.size(), 3u);
    EXPECT_EQ(a.tokens[0].text, "A; B");
    EXPECT_EQ(a.tokens[1].text, "C, D, E");
    EXPECT_EQ(a.tokens[2].text, "F, 12345 G");
    EXPECT_EQ(a.tokens[2].pattern, "a, 00000 a");
}

TEST(LocationAnalysis, SeparatorsTakeAtMostThreeCharacters)
{
    OrvLocationAnalysis a("A ;;;; B ;;;; C");
    // ";;;;" is walked as ";;;" and ";".
    ASSERT_GE(a.separators.size(), 2u);
    EXPECT_EQ(a.separators[0].first, ";;;");
    EXPECT_EQ(a.separators[0].second, 2);
    EXPECT_EQ(a.separators[1].first, ";");
    EXPECT_EQ(a.Separator(), ";;;");
}

TEST(LocationAnalysis, AnalysingAgainStartsFresh)
{
    OrvLocationAnalysis a("Halle, Weg 1, 12345 Ort");
    a.Analyse("Nur ein Name");
    EXPECT_EQ(a.NAME, "Nur ein Name");
    EXPECT_TRUE(a.ZIP.empty());
    EXPECT_TRUE(a.STREET.empty());
    EXPECT_EQ(a.tokens.size(), 1u);
}

} // namespace
