// Person methods against the local portal service (demo address book).
#include <gtest/gtest.h>

#include <algorithm>

#include "PortalMethodsSupport.h"
#include "model/OrvCalendar.h"
#include "portal/OrvPersonRecord.h"

using namespace pmtest;

namespace {

std::string Member(const json::Object& object, const char* name)
{
    const json::String& value = object[name];
    return value.Value();
}

std::vector<std::string> Names(const json::Array& table)
{
    std::vector<std::string> names;
    for (const json::Object& person : table) names.push_back(Member(person, "fullname"));
    return names;
}

bool HasRow(const std::vector<LogRow>& rows, const std::string& task, const std::string& message, int retcode)
{
    for (const auto& r : rows)
        if (r.task == task && r.message == message && r.retcode == retcode) return true;
    return false;
}

} // namespace

class PortalPersons : public PortalFixture {
public:
    PortalPersons() { testFaults_ = true; }  // some of its tests switch the service's faults

protected:
    // Id of a demo person by its full name (UTF-8), 0 when not found.
    int IdOf(const char* fullname)
    {
        json::Object person;
        if (client_->Service().PersonRead(0, fullname, person) != 0) return 0;
        return OrvWebServiceJoomla::IntegerOf(person["id"]);
    }
};

TEST_F(PortalPersons, ListByCategoryFieldValueAndDirection)
{
    const std::string sued = "Kulturzentrum S\xc3\xbc" "d";
    struct {
        const char* what;
        int category;
        const char* field;
        const char* value;
        const char* direction;
        int code;
        std::vector<std::string> names;
    } rows[] = {
        {"first request", 1, "fullname", "", "ASC", 0, {sued, "Salsa Club Hafen", "Tanzhaus Mitte"}},
        {"downwards", 1, "fullname", "", "desc", 0, {"Tanzhaus Mitte", "Salsa Club Hafen", sued}},
        {"filtered", 1, "fullname", "hafen", "asc", 0, {"Salsa Club Hafen"}},
        {"by city", 1, "city", "", "asc", 0, {"Tanzhaus Mitte", "Salsa Club Hafen", sued}},
        {"organizers", 2, "fullname", "", "ASC", 0, {"Latin Events Nord", "Tanzschule Rhythmus"}},
        {"djs", 3, "fullname", "", "ASC", 0, {"DJ Caliente", "DJ Tumbao"}},
        {"guests", 4, "fullname", "", "ASC", 0, {"Carlos Ortega", "Maria S\xc3\xa1nchez"}},
    };
    for (const auto& row : rows) {
        json::Array table;
        EXPECT_EQ(client_->Service().PersonGetList(row.category, row.field, row.value, row.direction, table),
                  row.code)
            << row.what;
        EXPECT_EQ(Names(table), row.names) << row.what;
    }
}

TEST_F(PortalPersons, ListWithoutMatchLeavesTable)
{
    json::Array table;
    table.Insert(json::String("vorher"));
    size_t before = client_->Log().size();
    EXPECT_EQ(client_->Service().PersonGetList(1, "fullname", "niemand", "asc", table), 100);
    EXPECT_EQ(table.Size(), 1u);
    auto rows = client_->LogFrom(before);
    EXPECT_TRUE(HasRow(rows, "Befehl", "PersonGetList( '1', '', 'fullname', 'niemand', 'asc')", 0));
    EXPECT_TRUE(HasRow(rows, "Antwort", "OK", 100));
}

TEST_F(PortalPersons, ReadByIdOrName)
{
    int id = IdOf("Tanzhaus Mitte");
    ASSERT_GT(id, 0);
    struct {
        const char* what;
        int id;
        const char* name;
        int code;
        const char* fullname;   // null: person untouched
    } rows[] = {
        {"by id", id, nullptr, 0, "Tanzhaus Mitte"},
        {"id wins over name", id, "Salsa Club Hafen", 0, "Tanzhaus Mitte"},
        {"by name in window code page", 0, "Kulturzentrum S\xfc" "d", 0, "Kulturzentrum S\xc3\xbc" "d"},
        {"by name in UTF-8", 0, "Kulturzentrum S\xc3\xbc" "d", 0, "Kulturzentrum S\xc3\xbc" "d"},
        {"name with blanks", 0, "Salsa Club Hafen", 0, "Salsa Club Hafen"},
        {"unknown name", 0, "Niemand & Co", 100, nullptr},
        {"unknown id", 987654, nullptr, 100, nullptr},
    };
    for (const auto& row : rows) {
        json::Object person;
        person["fullname"] = json::String("vorher");
        EXPECT_EQ(client_->Service().PersonRead(row.id, row.name, person), row.code) << row.what;
        EXPECT_EQ(Member(person, "fullname"), row.fullname ? row.fullname : "vorher") << row.what;
    }
}

TEST_F(PortalPersons, ReadIntoAddress)
{
    OrvAddress address;
    address.key = "Schluessel";
    address.name = "vorher";
    EXPECT_EQ(client_->Service().PersonReadAddress(0, "Kulturzentrum S\xfc" "d", address), 0);
    EXPECT_GT(address.portalId, 0);
    EXPECT_EQ(address.name, "Kulturzentrum S\xfc" "d");   // window code page
    EXPECT_EQ(address.street, "Lindwurmstra\xdf" "e 40");
    EXPECT_EQ(address.city, "M\xfcnchen");
    EXPECT_EQ(address.zip, "80331");
    EXPECT_EQ(address.country, "D");
    EXPECT_TRUE(address.key.empty());

    struct {
        const char* what;
        const char* fault;
        int code;
    } failures[] = {{"unknown", "none", 100}, {"garbage", "badjson:V001_Person_Read", -1},
                    {"timeout", "delay=5:V001_Person_Read", -1}};
    for (const auto& f : failures) {
        ASSERT_TRUE(server_->SetFault(f.fault));
        OrvAddress kept;
        kept.name = "bleibt";
        kept.portalId = 42;
        EXPECT_EQ(client_->Service().PersonReadAddress(0, f.code == 100 ? "Niemand" : "Tanzhaus Mitte", kept),
                  f.code)
            << f.what;
        EXPECT_EQ(kept.name, "bleibt") << f.what;
        EXPECT_EQ(kept.portalId, 42) << f.what;
    }
}

TEST_F(PortalPersons, SaveNewPersonAndReadBack)
{
    OrvPersonRecord record;
    record.fullname = "Salsa & Son";
    record.street = "Weg \"1\"";
    record.zip = "12345";
    record.city = "K\xf6ln";
    record.text = "Zeile\tmit Tab";
    record.categories = {"location"};
    record.hasRooms = true;
    record.rooms[0] = {"Saal A", true};
    record.rooms[1] = {"Saal B", false};
    record.rooms[2] = {"Saal C", true};
    ASSERT_TRUE(record.CheckInput().empty());

    int id = 0;
    ASSERT_EQ(client_->Service().PersonSave("", record.Text(), id), 0);
    ASSERT_GT(id, 0);

    json::Object person;
    ASSERT_EQ(client_->Service().PersonRead(id, nullptr, person), 0);
    // The ampersand travelled as "#38;" and did not cut the form body.
    EXPECT_EQ(Member(person, "fullname"), "Salsa & Son");
    EXPECT_EQ(Member(person, "street"), "Weg \"1\"");
    EXPECT_EQ(Member(person, "city"), "K\xc3\xb6ln");
    EXPECT_EQ(Member(person, "country"), "D");
    EXPECT_EQ(Member(person, "text"), "Zeilemit Tab");
    EXPECT_EQ(Member(person, "params"), "ROOM01=Saal A\r\nROOM02=Saal C\r\n");

    json::Array categories;
    ASSERT_EQ(client_->Service().PersonGetCategories(id, categories), 0);
    ASSERT_EQ(categories.Size(), 1u);
    EXPECT_EQ(Member(categories[0], "perscat"), "location");

    // Saving with the id updates the same person; the category argument
    // adds a category.
    record.id = id;
    record.city = "Bonn";
    int again = 0;
    ASSERT_EQ(client_->Service().PersonSave("organizer", record.Text(), again), 0);
    EXPECT_EQ(again, id);
    ASSERT_EQ(client_->Service().PersonRead(id, nullptr, person), 0);
    EXPECT_EQ(Member(person, "city"), "Bonn");
    ASSERT_EQ(client_->Service().PersonGetCategories(id, categories), 0);
    EXPECT_EQ(categories.Size(), 2u);
}

TEST_F(PortalPersons, SaveRefusedOrBrokenKeepsId)
{
    OrvPersonRecord nameless;
    nameless.zip = "1";
    nameless.city = "X";
    OrvPersonRecord good;
    good.fullname = "Neu";
    good.zip = "1";
    good.city = "X";
    struct {
        const char* what;
        const char* fault;
        std::string text;
        int code;
    } rows[] = {
        {"no name", "none", nameless.Text(), -1},
        {"garbage", "badjson:V001_Person_Save", good.Text(), -1},
        {"truncated", "truncate:V001_Person_Save", good.Text(), -1},
        {"portal error", "retcode=-7:V001_Person_Save", good.Text(), -7},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(server_->SetFault(row.fault));
        int id = 55;
        EXPECT_EQ(client_->Service().PersonSave("", row.text, id), row.code) << row.what;
        EXPECT_EQ(id, 55) << row.what;
    }
    ASSERT_TRUE(server_->SetFault("none"));
    size_t before = client_->Log().size();
    int id = 55;
    EXPECT_EQ(client_->Service().PersonSave("", nameless.Text(), id), -1);
    EXPECT_TRUE(HasRow(client_->LogFrom(before), "Antwort", "Der Name fehlt", -1));
}

TEST_F(PortalPersons, PictureSetGetDelete)
{
    int id = IdOf("Tanzhaus Mitte");
    ASSERT_GT(id, 0);
    std::string local = client_->Dir() + "/logo-source.png";
    std::string bytes("\x89PNG\r\n\x1a\n\0\0logo", 14);
    WriteFile(local, bytes);
    ASSERT_EQ(client_->Service().PersonSetFile("logo.png", id, local.c_str()), 0);

    // The frame asks by its name; the portal answers with the stored name.
    std::string path = "unchanged";
    ASSERT_EQ(client_->Service().PersonGetFile(id, "logo", path), 0);
    EXPECT_EQ(path, client_->CacheDir() + "/logo.png");
    EXPECT_EQ(ReadFile(path), bytes);

    ASSERT_EQ(client_->Service().PersonDelFile(id, "logo.png"), 0);
    path = "unchanged";
    EXPECT_EQ(client_->Service().PersonGetFile(id, "logo", path), 0);
    EXPECT_EQ(path, "unchanged");

    // A picture for a person the portal does not know is refused.
    EXPECT_NE(client_->Service().PersonSetFile("logo.png", 987654, local.c_str()), 0);
}
