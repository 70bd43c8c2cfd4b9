#include <gtest/gtest.h>

#include "portal/OrvPersonRecord.h"

namespace {

TEST(PersonRecord, NewPersonFullText)
{
    OrvPersonRecord r;
    r.fullname = "Tanzhaus";
    r.street = "Weg 1";
    r.zip = "10115";
    r.city = "Berlin";
    r.country = "D";
    r.coordassign = 2;
    r.categories = {"location", "organizer"};
    EXPECT_EQ(r.Text(),
              "{\"perscat\":[\"location\",\"organizer\"],\"pers\":{\"id\":\"0\",\"fullname\":\"Tanzhaus\","
              "\"firstname\":\"\",\"lastname\":\"\",\"nickname\":\"\",\"title\":\"\",\"street\":\"Weg 1\","
              "\"zip\":\"10115\",\"city\":\"Berlin\",\"country\":\"D\",\"email\":\"\",\"phone\":\"\","
              "\"mobil\":\"\",\"url\":\"\",\"longitude\":\"\",\"latitude\":\"\",\"coordassign\":\"2\","
              "\"text\":\"\"}}");
}

struct ValueCase {
    const char* what;
    const char* value;   // window code page
    const char* sent;    // as it appears between the quotes
};

const ValueCase kValues[] = {
    {"ampersand", "Salsa & Son", "Salsa #38; Son"},
    {"double quote", "Haus \"Eins\"", "Haus \\\"Eins\\\""},
    {"tab dropped", "a\tb", "ab"},
    {"backslash escaped", "C:\\Saal", "C:\\\\Saal"},
    {"line breaks as escapes", "Zeile 1\r\nZeile 2", "Zeile 1\\r\\nZeile 2"},
    {"single-byte umlaut to UTF-8", "M\xfcller", "M\xc3\xbcller"},
    {"euro sign", "5 \x80", "5 \xe2\x82\xac"},
};

class PersonRecordValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(PersonRecordValues, QuotedAndConverted)
{
    const ValueCase& c = GetParam();
    // The same rule holds for every text member; fullname and text stand
    // at different places of the record.
    OrvPersonRecord r;
    r.fullname = c.value;
    r.text = c.value;
    std::string t = r.Text();
    EXPECT_NE(t.find(std::string("\"fullname\":\"") + c.sent + "\","), std::string::npos) << c.what << ": " << t;
    EXPECT_NE(t.find(std::string("\"text\":\"") + c.sent + "\"}"), std::string::npos) << c.what << ": " << t;
}

INSTANTIATE_TEST_SUITE_P(Values, PersonRecordValues, ::testing::ValuesIn(kValues));

TEST(PersonRecord, IdAndCoordassignAsDecimal)
{
    OrvPersonRecord r;
    r.id = 4711;
    r.coordassign = 0;
    std::string t = r.Text();
    EXPECT_NE(t.find("\"pers\":{\"id\":\"4711\",\"fullname\""), std::string::npos);
    EXPECT_NE(t.find("\"coordassign\":\"0\",\"text\""), std::string::npos);
    EXPECT_NE(t.find("{\"perscat\":[],"), std::string::npos);
}

TEST(PersonRecord, RoomsOnlyEnabledInRoomOrder)
{
    OrvPersonRecord r;
    r.fullname = "Club";
    r.hasRooms = true;
    r.rooms[0] = {"Gro\xdf" "er Saal", true};
    r.rooms[1] = {"Studio", false};
    r.rooms[2] = {"Bar & Lounge", true};
    std::string t = r.Text();
    EXPECT_NE(t.find("\"text\":\"\",\"rooms\":[\"Gro\xc3\x9f" "er Saal\",\"Bar #38; Lounge\"]}}"),
              std::string::npos)
        << t;
    EXPECT_EQ(t.find("Studio"), std::string::npos);
}

TEST(PersonRecord, NoRoomPageNoRoomsMember)
{
    OrvPersonRecord r;
    r.rooms[0] = {"Saal", true};
    EXPECT_EQ(r.Text().find("rooms"), std::string::npos);
    r.hasRooms = true;
    r.rooms[0].enabled = false;
    EXPECT_NE(r.Text().find("\"rooms\":[]}}"), std::string::npos);
}

TEST(PersonRecord, CheckInput)
{
    struct {
        const char* fullname;
        const char* zip;
        const char* city;
        const char* country;
        std::vector<int> missing;
        const char* countryAfter;
    } rows[] = {
        {"A", "1", "B", "", {}, "D"},
        {"A", "1", "B", "CH", {}, "CH"},
        {"", "1", "B", "D", {191}, "D"},
        {"A", "", "", "", {157, 51}, "D"},
        {"", "", "", "", {191, 157, 51}, "D"},
    };
    for (const auto& row : rows) {
        OrvPersonRecord r;
        r.fullname = row.fullname;
        r.zip = row.zip;
        r.city = row.city;
        r.country = row.country;
        EXPECT_EQ(r.CheckInput(), row.missing) << row.fullname << "/" << row.zip << "/" << row.city;
        EXPECT_EQ(r.country, row.countryAfter);
    }
}

TEST(PersonRecord, ReadRoomsFromParams)
{
    OrvPersonRecord r;
    r.rooms[4] = {"alt", true};
    r.ReadRooms("ROOM01=Gro\xdf" "er Saal\r\nROOM03=Studio\r\nROOM3=kaputt\r\nXROOM04=nein\r\n", "Raum");
    EXPECT_EQ(r.rooms[0].name, "Gro\xdf" "er Saal");
    EXPECT_TRUE(r.rooms[0].enabled);
    EXPECT_EQ(r.rooms[1].name, "Raum 2");
    EXPECT_FALSE(r.rooms[1].enabled);
    EXPECT_EQ(r.rooms[2].name, "Studio");
    EXPECT_TRUE(r.rooms[2].enabled);
    EXPECT_EQ(r.rooms[3].name, "Raum 4");
    EXPECT_FALSE(r.rooms[3].enabled);
    EXPECT_EQ(r.rooms[4].name, "Raum 5");
    EXPECT_FALSE(r.rooms[4].enabled);
    EXPECT_EQ(r.rooms[7].name, "Raum 8");
}

TEST(PersonRecord, AddressRecordSendsTextsAsHeld)
{
    EXPECT_EQ(OrvAddressRecordText(0, "Caf\xe9 & Bar", "Weg \"1\"", "12345", "Ort", ""),
              "{\"pers\":{\"id\":\"0\",\"fullname\":\"Caf\xe9 #38; Bar\",\"street\":\"Weg \\\"1\\\"\","
              "\"zip\":\"12345\",\"city\":\"Ort\",\"country\":\"\"}}");
}

TEST(PersonTables, CategoriesAndAttributes)
{
    struct {
        int number;
        const char* record;
        const char* list;
        int text;
    } cats[] = {{1, "location", "LOCATION", 51}, {2, "organizer", "ORGANIZER", 151}, {3, "dj", "DJ", 166},
                {4, "guest", "GUEST", 167}};
    for (const auto& c : cats) {
        const OrvPersonCategoryRow* row = OrvPersonCategory(c.number);
        ASSERT_NE(row, nullptr);
        EXPECT_STREQ(row->recordName, c.record);
        EXPECT_STREQ(row->listName, c.list);
        EXPECT_EQ(row->textNumber, c.text);
        EXPECT_EQ(OrvPersonCategoryByName(c.record), row);
    }
    EXPECT_EQ(OrvPersonCategory(0), nullptr);
    EXPECT_EQ(OrvPersonCategory(5), nullptr);
    EXPECT_EQ(OrvPersonCategoryByName("LOCATION"), nullptr);

    EXPECT_EQ(OrvPersonAttribute(1012), nullptr);
    ASSERT_NE(OrvPersonAttribute(1013), nullptr);
    EXPECT_STREQ(OrvPersonAttribute(1013)->member, "phone");
    EXPECT_EQ(OrvPersonAttribute(1015)->textNumber, 0);
    EXPECT_STREQ(OrvPersonAttribute(1019)->member, "text");
    EXPECT_EQ(OrvPersonAttribute(1018)->textNumber, 265);
}

} // namespace
