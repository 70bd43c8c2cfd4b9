// Event, calendar and event file methods against the local portal service.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

#include "PortalMethodsSupport.h"
#include "model/OrvCalendar.h"
#include "portal/OrvPortalEventUploader.h"

using namespace pmtest;
using Query = OrvWebServiceJoomla::CalendarQuery;

namespace {

// The SUMMARY values of a calendar text, sorted.
std::vector<std::string> Summaries(const std::string& calendar)
{
    std::vector<std::string> out;
    std::istringstream in(calendar);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, 8, "SUMMARY:") == 0) out.push_back(line.substr(8));
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The lines of one event of a calendar text, from its UID to its end.
std::string EventBlock(const std::string& calendar, const std::string& uid)
{
    size_t at = calendar.find("UID:" + uid);
    if (at == std::string::npos) return "";
    size_t end = calendar.find("END:VEVENT", at);
    return calendar.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

bool HasRow(const std::vector<LogRow>& rows, const std::string& task, const std::string& message, int retcode)
{
    for (const auto& r : rows)
        if (r.task == task && r.message == message && r.retcode == retcode) return true;
    return false;
}

int CountTask(const std::vector<LogRow>& rows, const std::string& task)
{
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [&](const LogRow& r) { return r.task == task; }));
}

Query Selection(const char* city, bool lesson, bool workshop, bool event)
{
    Query q;
    q.type = 3;
    q.city = city;
    q.lesson = lesson;
    q.workshop = workshop;
    q.event = event;
    return q;
}

} // namespace

// --- request fields of GetCalendar (no portal needed) ---------------------

TEST(CalendarQueryFields, ByQueryType)
{
    Query own;
    Query userNone;
    userNone.type = 2;
    Query userSome = userNone;
    userSome.userID = 17;
    Query eventsInCity = Selection("Berlin", false, false, true);
    Query lessonsAndEvents = Selection("", true, false, true);
    Query full;
    full.type = 3;
    full.pool = "Latin";
    full.scenes = "salsa";
    full.lesson = full.workshop = full.event = true;
    full.country = "D";
    full.zip = "10115";
    full.city = "Berlin";
    Query emptySelection;
    emptySelection.type = 3;
    Query other;
    other.type = 7;
    other.city = "Berlin";

    struct {
        const char* what;
        const Query* query;
        const char* fields;
    } rows[] = {
        {"no query", nullptr, "&type=my"},
        {"own calendar", &own, "&type=my"},
        {"user without id", &userNone, "&type=user"},
        {"user with id", &userSome, "&type=user&userid=17"},
        {"events in a city", &eventsInCity, "&type=selection&categories=event&city=Berlin"},
        {"lessons and events", &lessonsAndEvents, "&type=selection&categories=lesson+event"},
        {"every field in order", &full,
         "&type=selection&pool=Latin&scenes=salsa&categories=lesson+workshop+event&country=D&zip=10115&city=Berlin"},
        {"empty selection", &emptySelection, "&type=selection"},
        {"unknown type sends no type", &other, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(OrvWebServiceJoomla::CalendarQueryFields(row.query), row.fields) << row.what;
}

// --- events ------------------------------------------------------------------

class PortalEvents : public PortalFixture {
public:
    PortalEvents() { testFaults_ = true; }  // some of its tests switch the service's faults
};

TEST_F(PortalEvents, UploadGivesEventIdAndDeleteRemovesIt)
{
    size_t before = client_->Log().size();
    int id = 0;
    ASSERT_EQ(client_->Service().UploadEvent("VEVENT", EventText("pm-1@test", "Probeabend"), id), 0);
    ASSERT_GT(id, 0);
    auto rows = client_->LogFrom(before);
    EXPECT_TRUE(HasRow(rows, "Befehl", "UploadEvent( 'VEVENT' )", 0));
    EXPECT_TRUE(HasRow(rows, "Antwort", "OK", 0));

    std::string calendar = OwnCalendar();
    EXPECT_NE(calendar.find("UID:pm-1@test"), std::string::npos);
    EXPECT_NE(calendar.find("X-ORV-EVENTID:" + std::to_string(id) + "\r\n"), std::string::npos);

    // The same event sent again with its id keeps the id (the portal keys
    // events by id, not by UID).
    int again = 0;
    std::string changed = EventText("pm-1@test", "Probeabend neu");
    changed.replace(changed.find("X-ORV-EVENTID:0"), 15, "X-ORV-EVENTID:" + std::to_string(id));
    ASSERT_EQ(client_->Service().UploadEvent("VEVENT", changed, again), 0);
    EXPECT_EQ(again, id);

    EXPECT_EQ(client_->Service().DeleteEvent(id), 0);
    calendar = OwnCalendar();
    EXPECT_EQ(calendar.find("UID:pm-1@test"), std::string::npos);
    EXPECT_NE(calendar.find("Salsa Night"), std::string::npos);   // the rest stays
}

TEST_F(PortalEvents, UploadFromStream)
{
    std::istringstream text(EventText("pm-stream@test", "Aus dem Strom"));
    int id = 0;
    ASSERT_EQ(client_->Service().UploadEvent("VEVENT", text, id), 0);
    EXPECT_GT(id, 0);
    EXPECT_NE(OwnCalendar().find("SUMMARY:Aus dem Strom"), std::string::npos);
}

TEST_F(PortalEvents, UploadRefusedKeepsEventId)
{
    struct {
        const char* what;
        const char* fault;
        std::string text;
        int code;
        const char* message;   // empty: any
    } rows[] = {
        {"no event block", "none", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n", -1,
         "Die Daten enthalten keinen VEVENT-Block"},
        {"portal error code", "retcode=-5:V001_Event_UploadEvent", EventText("pm-r@test", "x"), -5,
         "Fehler -5 (Testmodus)"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(server_->SetFault(row.fault));
        size_t before = client_->Log().size();
        int id = 77;
        EXPECT_EQ(client_->Service().UploadEvent("VEVENT", row.text, id), row.code) << row.what;
        EXPECT_EQ(id, 77) << row.what;
        EXPECT_TRUE(HasRow(client_->LogFrom(before), "Antwort", row.message, row.code)) << row.what;
    }
}

// Replies that are no JSON answer fail the call; the caller's event id
// stays and no answer row is written.
TEST_F(PortalEvents, BrokenRepliesFailUpload)
{
    const char* faults[] = {"badjson", "html", "truncate", "empty", "status500", "drop", "delay=5"};
    for (const char* fault : faults) {
        ASSERT_TRUE(server_->SetFault(std::string(fault) + ":V001_Event_UploadEvent"));
        size_t before = client_->Log().size();
        int id = 77;
        EXPECT_EQ(client_->Service().UploadEvent("VEVENT", EventText("pm-b@test", "x"), id), -1) << fault;
        EXPECT_EQ(id, 77) << fault;
        auto rows = client_->LogFrom(before);
        EXPECT_TRUE(HasRow(rows, "Befehl", "UploadEvent( 'VEVENT' )", 0)) << fault;
        EXPECT_EQ(CountTask(rows, "Antwort"), 0) << fault;
    }
    EXPECT_FALSE(client_->messages.empty());   // the html reply was shown
}

TEST_F(PortalEvents, HighlightLevelComesFromReply)
{
    int id = Upload("pm-h@test", "Hervorgehoben");
    ASSERT_GT(id, 0);
    struct {
        const char* what;
        int eventID;
        int level;
        int expected;
    } rows[] = {
        {"set level 2", id, 2, 2},
        {"back to 0", id, 0, 0},
        {"set level 1", id, 1, 1},
        // The portal refuses, the reply has no level: the method still
        // reports 0 and the level reads 0.
        {"unknown event", 999999, 1, 0},
    };
    for (const auto& row : rows) {
        int level = row.level;
        EXPECT_EQ(client_->Service().EventSetHighlight(row.eventID, 1, level), 0) << row.what;
        EXPECT_EQ(level, row.expected) << row.what;
    }
    EXPECT_NE(OwnCalendar().find("X-ORV-HIGHLIGHTS:20300105T200000=1"), std::string::npos);

    ASSERT_TRUE(server_->SetFault("delay=5:V001_Event_SetHighlight"));
    int level = 3;
    EXPECT_EQ(client_->Service().EventSetHighlight(id, 1, level), -1);
    EXPECT_EQ(level, 3);
    ASSERT_TRUE(server_->SetFault("badjson:V001_Event_SetHighlight"));
    EXPECT_EQ(client_->Service().EventSetHighlight(id, 1, level), -1);
    EXPECT_EQ(level, 3);
}

TEST_F(PortalEvents, SupraregionalFacebookAndUser)
{
    int id = Upload("pm-s@test", "Ueberregional");
    ASSERT_GT(id, 0);
    std::string mark = "X-ORV-SUPRAREGIONAL:1";
    ASSERT_NE(EventBlock(OwnCalendar(), "pm-s@test"), "");
    EXPECT_EQ(EventBlock(OwnCalendar(), "pm-s@test").find(mark), std::string::npos);
    EXPECT_EQ(client_->Service().EventSetValue(id, 1, "1"), 0);
    EXPECT_NE(EventBlock(OwnCalendar(), "pm-s@test").find(mark), std::string::npos);
    EXPECT_EQ(client_->Service().EventSetValue(id, 1, "0"), 0);
    EXPECT_EQ(EventBlock(OwnCalendar(), "pm-s@test").find(mark), std::string::npos);

    size_t before = client_->Log().size();
    EXPECT_EQ(client_->Service().FacebookSetEvent(id, 1), 0);
    EXPECT_TRUE(HasRow(client_->LogFrom(before), "Befehl",
                       "FacebookSetEvent( '" + std::to_string(id) + "', '1' )", 0));

    json::Array users;
    ASSERT_EQ(client_->Service().UserList(users), 0);
    int anna = 0;
    for (const json::Object& u : users) {
        const json::String& name = u["username"];
        if (name.Value() == "anna") anna = OrvWebServiceJoomla::IntegerOf(u["id"]);
    }
    ASSERT_GT(anna, 0);
    EXPECT_EQ(client_->Service().EventSetUser(id, anna), 0);
    EXPECT_EQ(OwnCalendar().find("UID:pm-s@test"), std::string::npos);
    Query hers;
    hers.type = 2;
    hers.userID = anna;
    std::ostringstream out;
    EXPECT_EQ(client_->Service().GetCalendar(&hers, out), 0);
    EXPECT_EQ(Summaries(out.str()), std::vector<std::string>{"Ueberregional"});
}

// --- calendar downloads --------------------------------------------------------

TEST_F(PortalEvents, CalendarByQuery)
{
    Query own;
    Query userZero;
    userZero.type = 2;
    Query tango;
    tango.type = 3;
    tango.scenes = "tango";
    Query swingPool;
    swingPool.type = 3;
    swingPool.pool = "Swing";
    Query berlinLessonsWorkshops = Selection("Berlin", true, true, false);
    Query berlinEvents = Selection("Berlin", false, false, true);
    Query hamburgEvents = Selection("Hamburg", false, false, true);
    Query munichEvents = Selection("M\xfcnchen", false, false, true);   // window code page
    Query other;
    other.type = 9;

    const std::vector<std::string> all = {"Bachata Anf\xc3\xa4nger", "Bachata Workshop", "Latin Party",
                                          "Open Air Salsa", "Salsa Festival Er\xc3\xb6" "ffnung", "Salsa Grundkurs",
                                          "Salsa Intensivworkshop", "Salsa Night", "Swing Social", "Tango Milonga",
                                          "Tango \xc3\x9c" "bungsabend"};
    struct {
        const char* what;
        const Query* query;
        std::vector<std::string> summaries;
    } rows[] = {
        {"no query", nullptr, all},
        {"type 1", &own, all},
        {"type 2 without user id", &userZero, all},
        {"scene", &tango, {"Tango Milonga", "Tango \xc3\x9c" "bungsabend"}},
        {"pool", &swingPool, {"Swing Social"}},
        {"lessons and workshops in Berlin", &berlinLessonsWorkshops, {"Bachata Workshop", "Salsa Grundkurs"}},
        {"events in Berlin", &berlinEvents, {}},
        {"events in Hamburg", &hamburgEvents,
         {"Latin Party", "Open Air Salsa", "Salsa Festival Er\xc3\xb6" "ffnung", "Salsa Night"}},
        {"city with umlaut", &munichEvents, {"Swing Social", "Tango Milonga"}},
        {"unknown type", &other, all},
    };
    for (const auto& row : rows) {
        std::ostringstream out;
        EXPECT_EQ(client_->Service().GetCalendar(row.query, out), 0) << row.what;
        EXPECT_EQ(out.str().compare(0, 15, "BEGIN:VCALENDAR"), 0) << row.what;
        EXPECT_EQ(Summaries(out.str()), row.summaries) << row.what;
    }
}

TEST_F(PortalEvents, CalendarFileReplacedByCompleteCalendar)
{
    std::string path = client_->Dir() + "/Calendar.ics";
    WriteFile(path, "ORIGINAL");
    auto before = ListDir(client_->Dir());
    EXPECT_EQ(client_->Service().GetCalendarFile(nullptr, path), 0);
    std::string text = ReadFile(path);
    EXPECT_EQ(text.compare(0, 15, "BEGIN:VCALENDAR"), 0);
    EXPECT_EQ(Summaries(text).size(), 11u);
    EXPECT_EQ(ListDir(client_->Dir()), before);   // no temporary file left
}

TEST_F(PortalEvents, BadCalendarRepliesLeaveCalendarFile)
{
    struct {
        const char* fault;
        int code;
    } rows[] = {
        {"noattach", 100}, {"truncate", 100}, {"status500", 100}, {"empty", 100},
        {"badjson", 100},  {"drop", -1},      {"delay=5", -1},
    };
    std::string path = client_->Dir() + "/Calendar.ics";
    for (const auto& row : rows) {
        WriteFile(path, "ORIGINAL");
        auto before = ListDir(client_->Dir());
        ASSERT_TRUE(server_->SetFault(std::string(row.fault) + ":V001_Event_GetCalendar"));
        EXPECT_EQ(client_->Service().GetCalendarFile(nullptr, path), row.code) << row.fault;
        EXPECT_EQ(ReadFile(path), "ORIGINAL") << row.fault;
        EXPECT_EQ(ListDir(client_->Dir()), before) << row.fault;
    }
    // The stream form reports the missing attachment too.
    ASSERT_TRUE(server_->SetFault("noattach:V001_Event_GetCalendar"));
    std::ostringstream out;
    EXPECT_EQ(client_->Service().GetCalendar(nullptr, out), 100);
}

TEST(CalendarFile, JsonErrorInsteadOfCalendar)
{
    std::string body = "{\"retcode\":\"-3\",\"message\":\"Nicht angemeldet\",\"error\":[],\"result\":{}}";
    CannedPeer peer("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                    std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    Client client(peer.Host());
    std::string path = client.Dir() + "/Calendar.ics";
    WriteFile(path, "ORIGINAL");
    EXPECT_EQ(client.Service().GetCalendarFile(nullptr, path), 100);
    EXPECT_EQ(ReadFile(path), "ORIGINAL");
    EXPECT_NE(peer.LastRequest().find("rpc_accept=file&rpc_method=V001_Event_GetCalendar&type=my"),
              std::string::npos);
}

// --- event files -----------------------------------------------------------------

TEST_F(PortalEvents, SetGetAndDeleteFiles)
{
    int id = Upload("pm-f@test", "Mit Dateien");
    ASSERT_GT(id, 0);
    struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"flyer.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"info.txt", "Einlass ab 20 Uhr\n"},
        {"plan", std::string(5000, 'p')},
    };
    EXPECT_FALSE(Exists(client_->CacheDir()));
    for (const auto& row : rows) {
        std::string local = client_->Dir() + "/upload-" + row.name;
        WriteFile(local, row.bytes);
        EXPECT_EQ(client_->Service().EventSetFile(row.name, id, local.c_str()), 0) << row.name;

        std::string path = "unchanged";
        EXPECT_EQ(client_->Service().EventGetFile(id, row.name, path), 0) << row.name;
        EXPECT_EQ(path, client_->CacheDir() + "/" + row.name);
        EXPECT_EQ(ReadFile(path), row.bytes) << row.name;

        EXPECT_EQ(client_->Service().EventDelFile(id, row.name), 0) << row.name;
        size_t before = client_->Log().size();
        path = "unchanged";
        EXPECT_EQ(client_->Service().EventGetFile(id, row.name, path), 0) << row.name;
        EXPECT_EQ(path, "unchanged") << row.name;
        EXPECT_TRUE(HasRow(client_->LogFrom(before), "Fehler", "Die Antwort enthält keine Datei", -1));
    }
}

TEST_F(PortalEvents, BadFileRepliesLeaveCachedFile)
{
    int id = Upload("pm-g@test", "Datei");
    ASSERT_GT(id, 0);
    std::string local = client_->Dir() + "/neu.txt";
    WriteFile(local, "NEW CONTENT");
    ASSERT_EQ(client_->Service().EventSetFile("flyer.txt", id, local.c_str()), 0);
    std::string cached = client_->CacheDir() + "/flyer.txt";

    struct {
        const char* fault;
        int code;
    } rows[] = {{"noattach", 0}, {"status500", 0}, {"drop", -1}, {"delay=5", -1}};
    for (const auto& row : rows) {
        std::filesystem::create_directories(client_->CacheDir());
        WriteFile(cached, "OLD");
        ASSERT_TRUE(server_->SetFault(std::string(row.fault) + ":V001_Event_GetFile"));
        std::string path = "unchanged";
        EXPECT_EQ(client_->Service().EventGetFile(id, "flyer.txt", path), row.code) << row.fault;
        EXPECT_EQ(path, "unchanged") << row.fault;
        EXPECT_EQ(ReadFile(cached), "OLD") << row.fault;
        EXPECT_EQ(ListDir(client_->CacheDir()), std::vector<std::string>{"flyer.txt"}) << row.fault;
    }
    ASSERT_TRUE(server_->SetFault("none"));
    std::string path;
    EXPECT_EQ(client_->Service().EventGetFile(id, "flyer.txt", path), 0);
    EXPECT_EQ(ReadFile(cached), "NEW CONTENT");
}

// A download name from the portal never leaves the cache directory.
TEST(EventFileNames, OnlyPlainNamesAreStored)
{
    struct {
        const char* disposition;
        bool stored;
    } rows[] = {
        {"attachment; filename=\"ok.txt\"", true},
        {"attachment; filename=\"../evil.txt\"", false},
        {"attachment; filename=\"/tmp/evil.txt\"", false},
        {"attachment; filename=\"sub/evil.txt\"", false},
        {"attachment; filename=\"..\"", false},
        {"attachment; filename=\".\"", false},
        {"attachment; filename=\"\"", false},
        {"inline; filename=\"ok.txt\"", false},
        {"attachment", false},
    };
    for (const auto& row : rows) {
        std::string body = "DATA";
        CannedPeer peer(std::string("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Disposition: ") +
                        row.disposition + "\r\nContent-Length: 4\r\nConnection: close\r\n\r\n" + body);
        Client client(peer.Host());
        std::string path = "unchanged";
        EXPECT_EQ(client.Service().EventGetFile(5, "ok.txt", path), 0) << row.disposition;
        if (row.stored) {
            EXPECT_EQ(path, client.CacheDir() + "/ok.txt");
            EXPECT_EQ(ReadFile(path), "DATA");
        } else {
            EXPECT_EQ(path, "unchanged") << row.disposition;
            std::vector<std::string> cache = Exists(client.CacheDir()) ? ListDir(client.CacheDir())
                                                                        : std::vector<std::string>{};
            EXPECT_TRUE(cache.empty()) << row.disposition;
        }
        // Nothing beside the client's own files in its directory.
        for (const auto& name : ListDir(client.Dir()))
            EXPECT_TRUE(name == "Cache" || name == "user.db" || name == "OrvCalendar.cfg")
                << row.disposition << ": " << name;
        EXPECT_NE(peer.LastRequest().find("rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=5&filename=ok.txt"),
                  std::string::npos);
    }
    EXPECT_FALSE(Exists("/tmp/evil.txt"));
}

// --- publishing all events of a document -------------------------------------------

TEST_F(PortalEvents, PublishAllSetsIdsAndStates)
{
    OrvCalendar document;
    document.LoadText(EventText("pm-p1@test", "Erster") +
                      "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:pm-p2@test\r\nSUMMARY:Ohne Beginn\r\nEND:VEVENT\r\n"
                      "END:VCALENDAR\r\n");
    ASSERT_EQ(document.components.Count(), 2);
    int logins = 0;
    OrvPortalEventUploader uploader(client_->Service(), [&] {
        ++logins;
        return client_->Service().Login();
    });
    EXPECT_EQ(document.PublishAll(uploader), 1);
    EXPECT_EQ(logins, 1);

    OrvCalendarComponent* first = document.Component(0)->Child(0);
    OrvCalendarComponent* second = document.Component(1)->Child(0);
    ASSERT_TRUE(first && second);
    EXPECT_GT(first->eventId, 0);
    EXPECT_EQ(first->publish.state, static_cast<unsigned>(ORV_PUBLISH_PUBLISHED));
    EXPECT_EQ(second->eventId, 0);
    EXPECT_EQ(second->publish.state, static_cast<unsigned>(ORV_PUBLISH_STOPPED));
    EXPECT_NE(OwnCalendar().find("X-ORV-EVENTID:" + std::to_string(first->eventId)), std::string::npos);
}

TEST_F(PortalEvents, UploaderWithoutLoginHookLogsInOnce)
{
    OrvPortalEventUploader uploader(client_->Service());
    EXPECT_EQ(uploader.LoginIfNeeded(), 0);
    EXPECT_TRUE(uploader.LoggedIn());
    size_t before = client_->Log().size();
    EXPECT_EQ(uploader.LoginIfNeeded(), 0);
    EXPECT_EQ(client_->Log().size(), before);   // no second login request
    int id = 5;
    EXPECT_EQ(uploader.UploadEvent("VEVENT", EventText("pm-u@test", "Hochgeladen"), id), 0);
    EXPECT_GT(id, 0);
}

// Every method writes its own command row and, when a reply arrived, an
// answer row.
TEST_F(PortalEvents, CommandRowsOfEveryMethod)
{
    int id = Upload("pm-c@test", "Befehle");
    ASSERT_GT(id, 0);
    std::string local = client_->Dir() + "/bild.jpg";
    WriteFile(local, "JPEG");
    const std::string ids = std::to_string(id);
    OrvWebServiceJoomla& s = client_->Service();
    struct {
        std::function<int()> call;
        std::string command;
    } rows[] = {
        {[&] { int e = 0; return s.UploadEvent("VEVENT", EventText("pm-c@test", "Befehle"), e); },
         "UploadEvent( 'VEVENT' )"},
        {[&] { std::ostringstream o; return s.GetCalendar(nullptr, o); }, "GetCalendar( )"},
        {[&] { return s.EventSetFile("bild.jpg", id, local.c_str()); }, "EventSetFile( 'bild.jpg' )"},
        {[&] { std::string p; return s.EventGetFile(id, "bild.jpg", p); }, "EventGetFile( '" + ids + "' )"},
        {[&] { return s.EventDelFile(id, "bild.jpg"); }, "EventDelFile( '" + ids + "' )"},
        {[&] { return s.FacebookSetEvent(id, 3); }, "FacebookSetEvent( '" + ids + "', '3' )"},
        {[&] { return s.EventSetValue(id, 2, "1"); }, "EventSetValue( '" + ids + "', '2' )"},
        {[&] { int l = 1; return s.EventSetHighlight(id, 4, l); }, "EventSetHighlight( '" + ids + "', '4' )"},
        {[&] { return s.EventSetUser(id, 1); }, "EventSetUser()"},
        {[&] { return s.DeleteEvent(id); }, "DeleteEvent( )"},
        {[&] { int p = 0; return s.PersonSave("", "{}", p); }, "PersonSave( )"},
        {[&] { json::Object p; return s.PersonRead(1, nullptr, p); }, "PersonRead( )"},
        {[&] { json::Array t; return s.PersonGetCategories(1, t); }, "PersonGetCategories( '1')"},
        {[&] { json::Array t; return s.PersonGetList(3, "fullname", "", "ASC", t); },
         "PersonGetList( '3', '', 'fullname', '', 'ASC')"},
        {[&] { return s.PersonSetFile("logo.jpg", 1, local.c_str()); }, "PersonSetFile( 'logo.jpg' )"},
        {[&] { std::string p; return s.PersonGetFile(1, "logo", p); }, "PersonGetFile( '1' )"},
        {[&] { return s.PersonDelFile(1, "logo.jpg"); }, "PersonDelFile( '1' )"},
    };
    for (const auto& row : rows) {
        size_t before = client_->Log().size();
        row.call();
        auto log = client_->LogFrom(before);
        ASSERT_FALSE(log.empty()) << row.command;
        EXPECT_EQ(log[0].task, "Befehl");
        EXPECT_EQ(log[0].message, row.command);
        EXPECT_EQ(log[0].retcode, 0);
        EXPECT_EQ(CountTask(log, "Antwort"), 1) << row.command;
    }
}
