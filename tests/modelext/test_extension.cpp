// Text forms of the extension value records: exact written text, reading
// rules (quoting, unknown keys, flags, numbers) and round trips.
#include <gtest/gtest.h>

#include <string>

#include "model/OrvExtension.h"

namespace {

// ---- costs ----

struct CostWriteCase {
    const char* name;
    OrvCost cost;
    std::string text;
};

OrvCost MakeCost(std::string perUnit, std::string total, uint32_t units, uint32_t minutes, bool free, bool useTable,
                 std::string text, std::string vvk, std::string ak)
{
    OrvCost c;
    c.perUnit = perUnit;
    c.total = total;
    c.units = units;
    c.minutes = minutes;
    c.free = free;
    c.useTable = useTable;
    c.text = text;
    c.vvk = vvk;
    c.ak = ak;
    return c;
}

class CostWrite : public ::testing::TestWithParam<CostWriteCase> {};

TEST_P(CostWrite, ExactTextAndReadBack)
{
    const CostWriteCase& c = GetParam();
    EXPECT_EQ(c.cost.Format(), c.text);
    OrvCost back;
    back.Parse(c.text);
    EXPECT_EQ(back, c.cost);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CostWrite,
    ::testing::Values(
        CostWriteCase{"Empty", OrvCost(), ""},
        CostWriteCase{"PerUnitFreeText", MakeCost("12.50", "", 0, 0, true, false, "Eintritt frei", "", ""),
                      "PERUNIT=12.50;FREE=1;TEXT=Eintritt frei;"},
        CostWriteCase{"AllFieldsInWritingOrder",
                      MakeCost("1.00", "10.00", 10, 90, true, true, "Kurs", "8.00", "9.50"),
                      "PERUNIT=1.00;TOTAL=10.00;UNITS=10;MINUTES=90;FREE=1;USETABLE=1;TEXT=Kurs;VVK=8.00;AK=9.50;"},
        CostWriteCase{"LargeUnsigned", MakeCost("", "", 4294967295u, 1, false, false, "", "", ""),
                      "UNITS=4294967295;MINUTES=1;"},
        CostWriteCase{"TableOnly", MakeCost("", "", 0, 0, false, true, "", "", ""), "USETABLE=1;"}),
    [](const ::testing::TestParamInfo<CostWriteCase>& info) { return std::string(info.param.name); });

TEST(CostRead, FlagsAreTrueOnlyForOne)
{
    struct {
        const char* text;
        bool free;
        bool useTable;
    } cases[] = {
        {"FREE=1;USETABLE=1;", true, true},   {"FREE=yes;USETABLE=true;", false, false},
        {"FREE=0;", false, false},            {"FREE=11;", false, false},
        {"FREE=\"1\";", true, false},         {"FREE=;USETABLE=1", false, true},
    };
    for (const auto& c : cases) {
        OrvCost cost;
        cost.Parse(c.text);
        EXPECT_EQ(cost.free, c.free) << c.text;
        EXPECT_EQ(cost.useTable, c.useTable) << c.text;
    }
    // A later FREE pair with another value clears an earlier true one.
    OrvCost cost;
    cost.Parse("FREE=1;FREE=x;");
    EXPECT_FALSE(cost.free);
}

TEST(CostRead, KeepsFieldsWhoseKeysAreMissingAndSkipsUnknownKeys)
{
    OrvCost cost = MakeCost("1.00", "2.00", 3, 4, true, false, "t", "v", "a");
    cost.Parse("TOTAL=5.00;BOGUS=1;perunit=9;UNITS=abc;");
    EXPECT_EQ(cost.perUnit, "1.00"); // keys are case-sensitive
    EXPECT_EQ(cost.total, "5.00");
    EXPECT_EQ(cost.units, 0u); // a key that is there is read, even when it is not a number
    EXPECT_EQ(cost.minutes, 4u);
    EXPECT_TRUE(cost.free);
    EXPECT_EQ(cost.text, "t");
}

TEST(CostRead, NumbersAreReadAsDecimalsAndClamped)
{
    OrvCost cost;
    cost.Parse("UNITS=12x;MINUTES=-30;");
    EXPECT_EQ(cost.units, 12u);
    EXPECT_EQ(cost.minutes, 0u);
    cost.Parse("UNITS=99999999999;");
    EXPECT_EQ(cost.units, 4294967295u);
}

// ---- persons ----

OrvPerson FullPerson()
{
    OrvPerson p;
    p.id = 4711;
    p.name = "Club; Saal";
    p.street = "Hauptstraße 1";
    p.city = "Berlin";
    p.zip = "10115";
    p.country = "D";
    p.phone = "030 123";
    p.url = "http://club.example/a=b";
    p.email = "info@club.example";
    p.room01 = "Saal 2";
    return p;
}

TEST(Person, WritesAllKeysInOrderWithNameAndUrlQuoted)
{
    EXPECT_EQ(FullPerson().Format(),
              "ID=4711;NAME=\"Club; Saal\";STREET=Hauptstraße 1;ZIP=10115;CITY=Berlin;COUNTRY=D;PHONE=030 123;"
              "URL=\"http://club.example/a=b\";EMAIL=info@club.example;ROOM01=Saal 2;");
    EXPECT_EQ(OrvPerson().Format(), "");
    OrvPerson onlyName;
    onlyName.name = "X";
    EXPECT_EQ(onlyName.Format(), "NAME=\"X\";"); // ID 0 is left out
}

TEST(Person, RoundTripKeepsSemicolonInsideQuotes)
{
    OrvPerson back;
    back.Parse(FullPerson().Format());
    EXPECT_EQ(back, FullPerson());
    EXPECT_EQ(back.name, "Club; Saal");
}

TEST(Person, StrayTextAfterClosingQuoteIsLost)
{
    OrvPerson p;
    p.Parse("NAME=\"Club\"X;CITY=Köln;");
    EXPECT_EQ(p.name, "Club");
    EXPECT_EQ(p.city, "Köln");
}

TEST(Person, ReadsInAnyOrderAndIgnoresUnknownKeys)
{
    OrvPerson p;
    p.Parse("ROOM01=R;EMAIL=e;PHONE=p;URL=u;COUNTRY=c;CITY=ci;ZIP=z;STREET=s;NAME=n;ID=7;FAX=f;");
    EXPECT_EQ(p.id, 7u);
    EXPECT_EQ(p.name, "n");
    EXPECT_EQ(p.street, "s");
    EXPECT_EQ(p.zip, "z");
    EXPECT_EQ(p.city, "ci");
    EXPECT_EQ(p.country, "c");
    EXPECT_EQ(p.url, "u");
    EXPECT_EQ(p.phone, "p");
    EXPECT_EQ(p.email, "e");
    EXPECT_EQ(p.room01, "R");
}

TEST(Person, FillFromAddressConvertsWindowCodePage)
{
    OrvPerson p = FullPerson();
    // "Straße" and "Köln" in Windows-1252, and the euro sign 0x80.
    p.FillFromAddress(12, "Caf\xe9", "Stra\xdf" "e 5", "K\xf6ln", "50667", "D", nullptr, "u", "\x80@x", "");
    EXPECT_EQ(p.id, 12u);
    EXPECT_EQ(p.name, "Café");
    EXPECT_EQ(p.street, "Straße 5");
    EXPECT_EQ(p.city, "Köln");
    EXPECT_EQ(p.zip, "50667");
    EXPECT_EQ(p.country, "D");
    EXPECT_EQ(p.phone, ""); // null counts as empty and replaces the old value
    EXPECT_EQ(p.url, "u");
    EXPECT_EQ(p.email, "€@x");
    EXPECT_EQ(p.room01, "");
    p.FillFromAddress(-3, "", "", "", "", "", "", "", "", "");
    EXPECT_EQ(p.id, 0u);
}

// Values with the format's own characters: written so that they read back
// and never cut off or add pairs.
struct AwkwardCase {
    const char* name;
    bool nameField; // NAME (quoted by the format) or STREET (unquoted)
    std::string value;
    std::string written;
    std::string readBack;
};

TEST(Person, AwkwardValuesReadBackAndLeaveOtherPairsIntact)
{
    const AwkwardCase cases[] = {
        {"SemicolonInUnquoted", false, "Am Eck; Hof", "STREET=\"Am Eck; Hof\";", "Am Eck; Hof"},
        {"InjectedPair", false, "x;ID=99", "STREET=\"x;ID=99\";", "x;ID=99"},
        {"BalancedQuotesUnquoted", false, "Am \"Eck\" 1", "STREET=Am \"Eck\" 1;", "Am \"Eck\" 1"},
        {"OddQuoteUnquoted", false, "5\" Platz", "STREET=5' Platz;", "5' Platz"},
        {"LeadingQuoteUnquoted", false, "\"Eck\" 1", "STREET='Eck' 1;", "'Eck' 1"},
        {"OddQuoteAndSemicolonUnquoted", false, "5\" Platz; Hof", "STREET=\"5' Platz; Hof\";", "5' Platz; Hof"},
        {"QuotesInQuotedField", true, "Club \"Havanna\"", "NAME=Club \"Havanna\";", "Club \"Havanna\""},
        {"QuotesAndSemicolonInQuotedField", true, "Club \"A;B\"", "NAME=Club \"A;B\";", "Club \"A;B\""},
        {"LeadingQuoteInQuotedField", true, "\"Havanna\" Club", "NAME=\"'Havanna' Club\";", "'Havanna' Club"},
        {"OddQuoteAndSemicolon", true, "a\";b", "NAME=\"a';b\";", "a';b"},
        {"LineBreaks", false, "Hof\r\nHaus 2", "STREET=Hof  Haus 2;", "Hof  Haus 2"},
        {"EqualsIsHarmless", false, "a=b", "STREET=a=b;", "a=b"},
    };
    for (const AwkwardCase& c : cases) {
        OrvPerson p;
        p.id = 3;
        (c.nameField ? p.name : p.street) = c.value;
        p.city = "Berlin";
        const std::string text = p.Format();
        const std::string field = text.substr(5); // after "ID=3;"
        EXPECT_EQ(field, c.written + "CITY=Berlin;") << c.name;
        OrvPerson back;
        back.Parse(text);
        EXPECT_EQ(c.nameField ? back.name : back.street, c.readBack) << c.name;
        EXPECT_EQ(back.id, 3u) << c.name;
        EXPECT_EQ(back.city, "Berlin") << c.name;
        EXPECT_EQ(back.Format(), text) << c.name;
    }
}

// Values read from a file are written so that reading the written text
// gives a record that writes the very same text again (the first write may
// mend the value, later ones must not change it any more).
struct StableWriteCase {
    const char* name;
    std::string input;
    std::string written;
};

template <typename Record>
void ExpectStableWrite(const StableWriteCase& c)
{
    Record first;
    first.Parse(c.input);
    EXPECT_EQ(first.Format(), c.written) << c.name;
    Record second;
    second.Parse(first.Format());
    EXPECT_EQ(second.Format(), c.written) << c.name;
}

TEST(StableWrite, PersonValues)
{
    const StableWriteCase cases[] = {
        // The fuzz finding: an unterminated quote inside an unquoted value.
        {"OpenQuoteInStreet", "ID=12;NAMID=12;NAME=\"Tanzhaus; West\";STREET=HE=\"auptsTanz",
         "ID=12;NAME=\"Tanzhaus; West\";STREET=HE='auptsTanz;"},
        {"OpenQuoteAndSemicolonInStreet", "STREET=a\"b;c", "STREET=\"a'b;c\";"},
        {"OddQuotesInStreet", "STREET=x\"a\"b\"", "STREET=x'a'b';"},
        {"LeadingQuoteInCity", "CITY=\"Köln\"er Str;", "CITY=Köln;"},
        // Balanced quotes keep what looks like pairs inside the one value.
        {"QuotesHoldPairs", "ZIP=1\"2;PHONE=\"\"3;EMAIL=a\"b\"c\"d;", "ZIP=1\"2;PHONE=\"\"3;EMAIL=a\"b\"c\"d;"},
        {"UrlWithQuote", "URL=http://x/\"y", "URL=\"http://x/'y\";"},
        {"UrlBalancedQuotes", "URL=a\"b\"c;", "URL=a\"b\"c;"},
        {"NameWithSemicolonInBalancedQuotes", "NAME=a\"b;c\"d;", "NAME=a\"b;c\"d;"},
    };
    for (const StableWriteCase& c : cases) ExpectStableWrite<OrvPerson>(c);
}

TEST(StableWrite, OtherRecords)
{
    ExpectStableWrite<OrvCost>({"CostTextOpenQuote", "PERUNIT=12.50;TEXT=10\" Euro", "PERUNIT=12.50;TEXT=10' Euro;"});
    ExpectStableWrite<OrvCost>({"CostQuotedSemicolon", "AK=\"a;b\";", "AK=\"a;b\";"});
    ExpectStableWrite<OrvLesson>({"LessonOpenQuote", "SUBJECT=Tango \"Nuevo;LEVEL=\"A\"", "SUBJECT=\"Tango 'Nuevo;LEVEL='A'\";"});
    ExpectStableWrite<OrvCalTableElement>({"RowQuotes", "COL_1=x\"y\"z;COL_2=\"\"", "COL_1=x\"y\"z;"});
    ExpectStableWrite<OrvCalImageElement>({"ImageOpenQuote", "COMMENT=c;TYPE=a\"b.jpg", "NAME=\"a'b.jpg\";COMMENT=\"c\";"});
}

TEST(CostWriteSafety, TextCannotSetFlags)
{
    OrvCost cost;
    cost.text = "10 Euro;FREE=1";
    EXPECT_EQ(cost.Format(), "TEXT=\"10 Euro;FREE=1\";");
    OrvCost back;
    back.Parse(cost.Format());
    EXPECT_FALSE(back.free);
    EXPECT_EQ(back.text, "10 Euro;FREE=1");
}

// ---- lesson ----

TEST(Lesson, AllKeysQuotedInOrderAndRoundTrip)
{
    OrvLesson l;
    l.subject = "Salsa";
    l.special = "On2; cubana";
    l.level = "Mittelstufe";
    l.levelIntern = "3";
    EXPECT_EQ(l.Format(), "SUBJECT=\"Salsa\";SPECIAL=\"On2; cubana\";LEVEL=\"Mittelstufe\";LEVELINTERN=\"3\";");
    OrvLesson back;
    back.Parse(l.Format());
    EXPECT_EQ(back, l);

    OrvLesson partial;
    partial.level = "A";
    EXPECT_EQ(partial.Format(), "LEVEL=\"A\";");
    EXPECT_EQ(OrvLesson().Format(), "");
}

// ---- table rows ----

TEST(TableRow, QuotedColumnsAndListParsing)
{
    OrvCalTableList list;
    OrvCalTableElement* row = list.AddParsed("COL_1=\"20:00\";COL_2=\"Einlass; Kasse\";");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(row->col1, "20:00");
    EXPECT_EQ(row->col2, "Einlass; Kasse");
    EXPECT_EQ(row->OwningList(), &list);
    EXPECT_EQ(row->Format(), "COL_1=\"20:00\";COL_2=\"Einlass; Kasse\";");

    OrvCalTableElement onlySecond("", "x");
    EXPECT_EQ(onlySecond.Format(), "COL_2=\"x\";");
    EXPECT_EQ(onlySecond.OwningList(), nullptr);

    list.AddParsed("COL_2=b;COL_1=a");
    EXPECT_EQ(list.Row(1)->Format(), "COL_1=\"a\";COL_2=\"b\";");
}

TEST(TableRow, CopyFromMakesIndependentRows)
{
    OrvCalTableList a;
    a.Add(new OrvCalTableElement("1", "2"));
    a.Add(new OrvCalTableElement("3", "4"));
    OrvCalTableList b;
    b.Add(new OrvCalTableElement("old", "old"));
    b.CopyFrom(a);
    ASSERT_EQ(b.Count(), 2);
    EXPECT_NE(b.Row(0), a.Row(0));
    EXPECT_EQ(b.Row(1)->col1, "3");
    a.Row(0)->col1 = "changed";
    EXPECT_EQ(b.Row(0)->col1, "1");
    EXPECT_TRUE(b.Row(0)->IsA(OrvCalTableElement::classID));
    EXPECT_TRUE(b.IsA(OrvList::classID));
}

// ---- images and downloads ----

TEST(Image, TypeSetsNameUrlIsReadButNotWritten)
{
    OrvCalImageElement image;
    image.Parse("TYPE=\"flyer.jpg\";URL=\"http://x/flyer.jpg\";WIDTH=650;HEIGHT=400;COMMENT=\"Vorne\";TEXT=\"t\";");
    EXPECT_EQ(image.name, "flyer.jpg");
    EXPECT_EQ(image.url, "http://x/flyer.jpg");
    EXPECT_EQ(image.comment, "Vorne");
    EXPECT_EQ(image.text, "t");
    EXPECT_EQ(image.changed, 0);
    EXPECT_EQ(image.Format(), "NAME=\"flyer.jpg\";COMMENT=\"Vorne\";TEXT=\"t\";");

    OrvCalImageElement later;
    later.Parse("NAME=a;TYPE=b;");
    EXPECT_EQ(later.name, "b"); // the later key wins
}

TEST(Image, ListsMakeElementsOfTheirKind)
{
    OrvCalImageList images;
    OrvCalDownloadList downloads;
    OrvCalImageElement* i = images.AddParsed("NAME=\"a.png\";");
    OrvCalImageElement* d = downloads.AddParsed("NAME=\"b.pdf\";COMMENT=\"Plan\";");
    EXPECT_FALSE(i->IsA(OrvCalDownloadElement::classID));
    EXPECT_TRUE(d->IsA(OrvCalDownloadElement::classID));
    EXPECT_TRUE(d->IsA(OrvCalImageElement::classID));
    EXPECT_TRUE(downloads.IsA(OrvCalImageList::classID));
    EXPECT_EQ(d->Format(), "NAME=\"b.pdf\";COMMENT=\"Plan\";");

    d->changed = 1;
    d->url = "u";
    OrvCalDownloadList copy;
    copy.CopyFrom(downloads);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_TRUE(copy.Element(0)->IsA(OrvCalDownloadElement::classID));
    EXPECT_EQ(copy.Element(0)->changed, 1);
    EXPECT_EQ(copy.Element(0)->url, "u");
    EXPECT_EQ(copy.Element(0)->comment, "Plan");
}

// ---- publish record ----

TEST(Publish, AlwaysAllThreePairsAlsoUnset)
{
    OrvPublish p;
    EXPECT_EQ(p.Format(), "STATE=0;PUBLISH_UP=00000000T000000;PUBLISH_DOWN=00000000T000000;");
    p.state = ORV_PUBLISH_WAITING;
    p.publishUp = OrvCalTime(2025, 3, 1, 8, 0, 0);
    p.publishDown = OrvCalTime(2025, 3, 31, 23, 59, 59);
    const std::string text = "STATE=2;PUBLISH_UP=20250301T080000;PUBLISH_DOWN=20250331T235959;";
    EXPECT_EQ(p.Format(), text);
    OrvPublish back;
    back.Parse(text);
    EXPECT_EQ(back, p);
    EXPECT_EQ(back.publishDown.Second(), 59);
}

TEST(Publish, DateOnlyValuesReadAsMidnightAndMissingKeysKeepValues)
{
    OrvPublish p;
    p.state = 1;
    p.Parse("PUBLISH_UP=20250301;");
    EXPECT_EQ(p.state, 1u);
    EXPECT_EQ(p.publishUp, OrvCalTime(2025, 3, 1));
    EXPECT_FALSE(p.publishDown.IsSet());
}

// ---- highlights ----

TEST(Highlights, TextOrderAndNoSemicolonAfterTheLast)
{
    OrvCalHighlightsList list;
    const std::string text = "20250103T200000=2;20250110T200000=-1";
    list.Parse(text);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Element(0)->dateTime, ZafUTimeData(2025, 1, 3, 20, 0, 0));
    EXPECT_EQ(list.Element(0)->level, 2);
    EXPECT_EQ(list.Element(1)->level, -1);
    EXPECT_EQ(list.Element(1)->OwningList(), &list);
    EXPECT_EQ(list.Format(), text);

    OrvCalHighlightsList none;
    EXPECT_EQ(none.Format(), "");
    none.Parse("");
    EXPECT_EQ(none.Count(), 0);
}

TEST(Highlights, ParsingAppendsAndSkipsPairsWithoutEquals)
{
    OrvCalHighlightsList list;
    list.Parse("20250103T200000=2;");
    list.Parse("junk;20250104T200000=3;");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Element(1)->dateTime, ZafUTimeData(2025, 1, 4, 20, 0, 0));
    EXPECT_EQ(list.Format(), "20250103T200000=2;20250104T200000=3");
}

struct SetLevelCase {
    const char* name;
    int level;
    int hour; // start hour of the occurrence: 20 has a highlight of level 2, 21 has none
    bool changed;
    const char* after;
};

TEST(Highlights, SetLevelFourWays)
{
    const SetLevelCase cases[] = {
        {"FoundReplaced", 5, 20, true, "20250103T200000=5;20250104T200000=1"},
        {"FoundSameLevel", 2, 20, false, "20250103T200000=2;20250104T200000=1"},
        {"FoundRemoved", 0, 20, true, "20250104T200000=1"},
        {"MissingAppended", 3, 21, true, "20250103T200000=2;20250104T200000=1;20250103T210000=3"},
        {"MissingLevelZeroNothing", 0, 21, false, "20250103T200000=2;20250104T200000=1"},
    };
    for (const SetLevelCase& c : cases) {
        OrvCalHighlightsList list;
        list.Parse("20250103T200000=2;20250104T200000=1");
        EXPECT_EQ(list.SetLevel(ZafUTimeData(2025, 1, 3, c.hour, 0, 0), c.level), c.changed) << c.name;
        EXPECT_EQ(list.Format(), c.after) << c.name;
    }
}

TEST(Highlights, SetOccurrenceLevelPicksTheNthStart)
{
    const std::vector<ZafUTimeData> starts = {ZafUTimeData(2025, 1, 3, 20, 0, 0), ZafUTimeData(2025, 1, 10, 20, 0, 0),
                                              ZafUTimeData(2025, 1, 17, 20, 0, 0)};
    OrvCalHighlightsList list;
    EXPECT_TRUE(list.SetOccurrenceLevel(starts, 2, 4));
    EXPECT_EQ(list.Format(), "20250110T200000=4");
    for (int n : {0, -1, 4}) EXPECT_FALSE(list.SetOccurrenceLevel(starts, n, 9)) << n;
    EXPECT_FALSE(list.SetOccurrenceLevel({}, 1, 9));
    EXPECT_FALSE(list.SetOccurrenceLevel(starts, 3, 0)); // level 0 without a highlight changes nothing
    EXPECT_TRUE(list.SetOccurrenceLevel(starts, 2, 0));
    EXPECT_EQ(list.Count(), 0);
}

TEST(Highlights, LevelOfTheFirstMatchAndCopy)
{
    OrvCalHighlightsList list(reinterpret_cast<OrvCalendarComponent*>(0x10));
    list.Parse("20250103T200000=2;20250103T200000=7");
    EXPECT_EQ(list.Level(ZafUTimeData(2025, 1, 3, 20, 0, 0)), 2);
    EXPECT_EQ(list.Level(ZafUTimeData(2025, 1, 3, 20, 0, 1)), 0); // exact date-time only
    EXPECT_EQ(list.Level(ZafUTimeData(2025, 1, 4, 20, 0, 0)), 0);

    OrvCalHighlightsList copy;
    copy.CopyFrom(list);
    EXPECT_EQ(copy.Owner(), nullptr); // the copy keeps its own owner
    EXPECT_EQ(copy.Format(), list.Format());
    list.SetLevel(ZafUTimeData(2025, 1, 3, 20, 0, 0), 0);
    EXPECT_EQ(copy.Count(), 2);
}

} // namespace
