// Portal queries: their JSON objects and list, reading the portal's list,
// and the round trip through the local portal service.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "PortalMethodsSupport.h"
#include "base/json.h"
#include "views/editors/OrvCalQuery.h"

namespace {

json::Array ParseArray(const std::string& text)
{
    json::Object holder;
    std::istringstream in("{\"list\":" + text + "}");
    json::Reader::Read(holder, in);
    json::Array list = holder["list"];
    return list;
}

TEST(CalQueryJSON, EmptyListIsTwoBrackets)
{
    OrvCalQueryList list;
    EXPECT_EQ(list.JSON(), "[]");
}

TEST(CalQueryJSON, ObjectsInTheirOrder)
{
    struct Case {
        const char* what;
        void (*fill)(OrvCalQuery&);
        const char* json;
    };
    const Case cases[] = {
        {"defaults: selection without flags", [](OrvCalQuery&) {},
         R"({"name":"","type":"selection","pool":"","scenes":"","categories":"","country":"","zip":"","city":""})"},
        {"ampersand in the name",
         [](OrvCalQuery& q) { q.name = "Salsa&Bachata"; },
         R"({"name":"Salsa#38;Bachata","type":"selection","pool":"","scenes":"","categories":"","country":"","zip":"","city":""})"},
        {"double quote gets a backslash",
         [](OrvCalQuery& q) { q.name = "Der \"Club\""; },
         R"({"name":"Der \"Club\"","type":"selection","pool":"","scenes":"","categories":"","country":"","zip":"","city":""})"},
        {"tab in the city disappears",
         [](OrvCalQuery& q) { q.city = "Ber\tlin"; },
         R"({"name":"","type":"selection","pool":"","scenes":"","categories":"","country":"","zip":"","city":"Berlin"})"},
        {"user with number",
         [](OrvCalQuery& q) {
             q.type = 2;
             q.userid = 17;
             q.user = "Anna";
         },
         R"({"name":"","type":"user","userid":"17","user":"Anna","pool":"","scenes":"","categories":"","country":"","zip":"","city":""})"},
        {"type user without a number has neither userid nor user",
         [](OrvCalQuery& q) {
             q.type = 2;
             q.user = "Anna";
         },
         R"({"name":"","type":"user","pool":"","scenes":"","categories":"","country":"","zip":"","city":""})"},
        {"my, lesson and event joined by plus",
         [](OrvCalQuery& q) {
             q.type = 1;
             q.lesson = true;
             q.event = true;
         },
         R"({"name":"","type":"my","pool":"","scenes":"","categories":"lesson+event","country":"","zip":"","city":""})"},
        {"all three flags, pool and scene as they stand",
         [](OrvCalQuery& q) {
             q.lesson = q.workshop = q.event = true;
             q.pool = "Latin";
             q.scenes = "salsa";
         },
         R"({"name":"","type":"selection","pool":"Latin","scenes":"salsa","categories":"lesson+workshop+event","country":"","zip":"","city":""})"},
        {"window code page texts become UTF-8",
         [](OrvCalQuery& q) {
             q.name = "T\xE4nze";
             q.city = "M\xFCnchen";
             q.type = 7;
         },
         "{\"name\":\"T\xC3\xA4nze\",\"type\":\"selection\",\"pool\":\"\",\"scenes\":\"\",\"categories\":\"\","
         "\"country\":\"\",\"zip\":\"\",\"city\":\"M\xC3\xBCnchen\"}"},
    };
    for (const Case& c : cases) {
        OrvCalQuery q;
        c.fill(q);
        EXPECT_EQ(q.JSON(), c.json) << c.what;
    }
}

TEST(CalQueryJSON, ListJoinsObjectsWithCommasAndNoBlanks)
{
    OrvCalQueryList list;
    auto* a = new OrvCalQuery;
    a->name = "A";
    auto* b = new OrvCalQuery;
    b->name = "B";
    list.Append(a);
    list.Append(b);
    EXPECT_EQ(a->id, 1);
    EXPECT_EQ(b->id, 2);
    EXPECT_EQ(list.JSON(), "[" + a->JSON() + "," + b->JSON() + "]");
    // The list text is valid JSON that reads back to the same queries.
    json::Array back = ParseArray(list.JSON());
    ASSERT_EQ(back.Size(), 2u);
}

TEST(CalQueryRead, MembersAsThePortalSendsThem)
{
    struct Case {
        const char* what;
        const char* element;
        int type;
        int userid;
        const char* user;
        const char* scenes;
        bool lesson, workshop, event;
        const char* name;
    };
    const Case cases[] = {
        {"two scenes keep the first", R"({"name":"X","type":"selection","scenes":"salsa+tango"})", 3, 0, "", "salsa",
         false, false, false, "X"},
        {"event and lesson in that order", R"({"type":"selection","categories":"event+lesson"})", 3, 0, "", "", true,
         false, true, ""},
        {"type differing from my in case", R"({"type":"My"})", 3, 0, "", "", false, false, false, ""},
        {"my", R"({"type":"my"})", 1, 0, "", "", false, false, false, ""},
        {"user with number and name", R"({"type":"user","userid":"42","user":"Anna"})", 2, 42, "Anna", "", false,
         false, false, ""},
        {"a user name without number is dropped", R"({"type":"user","userid":"0","user":"Anna"})", 2, 0, "", "",
         false, false, false, ""},
        {"a number that is no number", R"({"type":"user","userid":"abc","user":"Anna"})", 2, 0, "", "", false, false,
         false, ""},
        {"workshop anywhere in the text", R"({"categories":"xworkshopx"})", 3, 0, "", "", false, true, false, ""},
        {"UTF-8 name into the window code page", "{\"name\":\"T\xC3\xA4nze\"}", 3, 0, "", "", false, false, false,
         "T\xE4nze"},
        {"members of other kinds read as empty", R"({"name":5,"scenes":[1],"userid":7})", 3, 0, "", "", false, false,
         false, ""},
    };
    for (const Case& c : cases) {
        json::Array list = ParseArray(std::string("[") + c.element + "]");
        OrvCalQueryList queries;
        queries.Rebuild(list);
        ASSERT_EQ(queries.Count(), 1) << c.what;
        const OrvCalQuery* q = queries.Item(0);
        EXPECT_EQ(q->type, c.type) << c.what;
        EXPECT_EQ(q->userid, c.userid) << c.what;
        EXPECT_EQ(q->user, c.user) << c.what;
        EXPECT_EQ(q->scenes, c.scenes) << c.what;
        EXPECT_EQ(q->lesson, c.lesson) << c.what;
        EXPECT_EQ(q->workshop, c.workshop) << c.what;
        EXPECT_EQ(q->event, c.event) << c.what;
        EXPECT_EQ(q->name, c.name) << c.what;
    }
}

TEST(CalQueryRead, WrittenQueryReadsBackUnchanged)
{
    OrvCalQuery q;
    q.name = "Caf\xE9 \"Latino\" & mehr";
    q.type = 2;
    q.userid = 9;
    q.user = "J\xF6rg";
    q.pool = "Latin";
    q.scenes = "salsa";
    q.workshop = true;
    q.country = "D";
    q.zip = "50667";
    q.city = "K\xF6ln";
    json::Array list = ParseArray("[" + q.JSON() + "]");
    OrvCalQueryList back;
    back.Rebuild(list);
    ASSERT_EQ(back.Count(), 1);
    const OrvCalQuery* r = back.Item(0);
    // The ampersand is written in the portal's own form and comes back so.
    EXPECT_EQ(r->name, "Caf\xE9 \"Latino\" #38; mehr");
    EXPECT_EQ(r->user, q.user);
    EXPECT_EQ(r->userid, 9);
    EXPECT_EQ(r->type, 2);
    EXPECT_EQ(r->pool, "Latin");
    EXPECT_TRUE(r->workshop);
    EXPECT_FALSE(r->lesson);
    EXPECT_EQ(r->city, q.city);
    EXPECT_EQ(r->zip, "50667");
}

TEST(CalQueryRead, ElementsThatAreNoObjectsGiveDefaults)
{
    json::Array list = ParseArray(R"([7,{"name":"B"}])");
    OrvCalQueryList queries;
    queries.Rebuild(list);
    ASSERT_EQ(queries.Count(), 2);
    EXPECT_EQ(queries.Item(0)->name, "");
    EXPECT_EQ(queries.Item(0)->type, 3);
    EXPECT_EQ(queries.Item(1)->name, "B");
    EXPECT_EQ(queries.Item(1)->id, 2);
}

TEST(CalQueryRead, CalendarQueryCarriesTheFields)
{
    OrvCalQuery q;
    q.type = 2;
    q.userid = 4;
    q.pool = "Latin";
    q.lesson = true;
    q.city = "Berlin";
    OrvWebServiceJoomla::CalendarQuery c = q.ToCalendarQuery();
    EXPECT_EQ(c.type, 2);
    EXPECT_EQ(c.userID, 4);
    EXPECT_EQ(c.pool, "Latin");
    EXPECT_TRUE(c.lesson);
    EXPECT_EQ(c.city, "Berlin");
}

class CalQueryPortal : public pmtest::PortalFixture {};

TEST_F(CalQueryPortal, ListIsWrittenAndReadBackRenumbered)
{
    OrvCalQueryList& list = OrvGetCalQueryList(client_->Service());
    EXPECT_EQ(&list, &OrvCalQueries()) << "one list per process";
    // The demo account comes with two queries.
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(0)->name, "Salsa in Berlin");
    EXPECT_TRUE(list.Item(0)->lesson);
    EXPECT_TRUE(list.Item(0)->event);
    EXPECT_EQ(list.Item(1)->type, 2);
    EXPECT_NE(list.Item(1)->userid, 0);

    auto* extra = new OrvCalQuery;
    extra->name = "Tango & mehr in K\xF6ln";
    extra->scenes = "tango";
    extra->city = "K\xF6ln";
    list.Append(extra);
    // Ids count on from the list's size.
    EXPECT_EQ(extra->id, 3);
    ASSERT_EQ(OrvWriteCalQueryList(client_->Service(), list), 0);

    // Something local that the next successful fetch throws away.
    list.Item(0)->id = 99;
    OrvCalQueryList& again = OrvGetCalQueryList(client_->Service());
    ASSERT_EQ(again.Count(), 3);
    for (int i = 0; i < again.Count(); ++i) EXPECT_EQ(again.Item(i)->id, i + 1);
    // The portal reads its "#38;" as the ampersand it stands for.
    EXPECT_EQ(again.Item(2)->name, "Tango & mehr in K\xF6ln");
    EXPECT_EQ(again.Item(2)->city, "K\xF6ln");
    EXPECT_EQ(again.Item(2)->scenes, "tango");
}

TEST_F(CalQueryPortal, FailedFetchKeepsTheList)
{
    OrvCalQueryList& list = OrvGetCalQueryList(client_->Service());
    ASSERT_EQ(list.Count(), 2);
    server_->Stop();
    OrvCalQueryList& after = OrvGetCalQueryList(client_->Service());
    EXPECT_EQ(after.Count(), 2);
    EXPECT_EQ(after.Item(0)->name, "Salsa in Berlin");
}

}  // namespace
