// What the client sends and how it reads replies, against a scripted peer
// that records each request and answers with prepared bytes.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "ClientFixture.h"
#include "portal/OrvPortalSession.h"

namespace {

using ReplyTest = ClientFixture;

const char* const kOkReply = "{\"retcode\":\"0\",\"message\":\"\",\"error\":[],\"result\":{}}";
const std::string kJsonError = "Die Antwort des Servers ist kein gültiges JSON";

struct ReplyCase {
    const char* name;
    const char* contentType;
    const char* body;
    int result;           // of Logout
    int returnCode;       // ReturnCode() afterwards
    const char* lastLog;  // last row, "task|retcode|message" (prefix)
    bool messageWindow;   // the reply text was shown as "ERROR"
};

TEST_F(ReplyTest, JsonRepliesAreCheckedAndEvaluated)
{
    const ReplyCase cases[] = {
        {"json with charset", "application/json; charset=utf-8", "{\"retcode\":\"0\",\"message\":\"fein\"}", 0, 0,
         "Antwort|0|OK", false},
        {"no retcode member gives 0", "application/json", "{\"result\":{}}", 0, 0, "Antwort|0|OK", false},
        {"retcode as number reads as 0", "application/json", "{\"retcode\":-3,\"message\":\"x\"}", 0, 0,
         "Antwort|0|OK", false},
        {"portal error", "application/json", "{\"retcode\":\"-3\",\"message\":\"Nicht angemeldet\"}", -3, -3,
         "Antwort|-3|Nicht angemeldet", false},
        {"portal message with apostrophe", "application/json",
         "{\"retcode\":\"-5\",\"message\":\"Can't do that\"}", -5, -5, "Antwort|-5|Can't do that", false},
        {"html type with json body", "text/html", "{\"retcode\":\"0\"}", -1, -1,
         "Fehler|-1|Server antwortet nicht mit 'content-type: application/json'", true},
        {"json type with html body", "application/json", "<html>oops</html>", -1, -1,
         "Fehler|-1|Server antwortet nicht mit 'content-type: application/json'", true},
        {"empty body", "application/json", "", -1, -1,
         "Fehler|-1|Server antwortet nicht mit 'content-type: application/json'", true},
        {"no content type", "", "{\"retcode\":\"0\"}", -1, -1,
         "Fehler|-1|Server antwortet nicht mit 'content-type: application/json'", true},
        {"passes the check but is garbage", "application/json", "{\"retcode\":\"0\",\"message\": <<kein JSON>> ,,]",
         -1, -1, "Fehler|-1|Die Antwort des Servers ist kein gültiges JSON", false},
        {"truncated document", "application/json", "{\"retcode\":\"0\",\"result\":{\"person\":{\"id\":\"1", -1, -1,
         "Fehler|-1|Die Antwort des Servers ist kein gültiges JSON", false},
        {"top-level array", "application/json", "[1,2]", -1, -1,
         "Fehler|-1|Die Antwort des Servers ist kein gültiges JSON", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        orvtest::ScriptedPeer peer;
        peer.Reply(c.contentType, c.body);
        auto& s = MakeService(peer.Host());
        shown_.clear();
        EXPECT_EQ(s.Logout(), c.result);
        EXPECT_EQ(s.ReturnCode(), c.returnCode);
        std::string last = LastLog();
        EXPECT_EQ(last.compare(0, std::strlen(c.lastLog), c.lastLog), 0) << last;
        if (c.messageWindow) {
            ASSERT_EQ(shown_.size(), 1u);
            EXPECT_EQ(shown_[0], std::string("ERROR: ") + c.body);
        } else {
            EXPECT_TRUE(shown_.empty());
        }
        // A failed reply writes no answer row.
        if (c.result == -1) {
            for (const auto& l : Log()) EXPECT_NE(l.rfind("Antwort|", 0), 0u) << l;
        }
        service_.reset();
        sqlite3_exec(db_, "DROP TABLE WEBSERVICE", nullptr, nullptr, nullptr);
    }
}

TEST_F(ReplyTest, ErrorListFirstEntry)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json",
               "{\"retcode\":\"-1\",\"message\":\"Feld fehlt\",\"error\":[{\"error\":\"12\",\"item\":\"username\","
               "\"message\":\"leer\",\"native\":\"n/a\"},{\"error\":\"13\"}]}");
    peer.Reply("application/json", "{\"retcode\":\"0\",\"error\":\"no array\"}");
    auto& s = MakeService(peer.Host());
    EXPECT_EQ(s.Logout(), -1);
    int code = 0;
    std::string item, message, native;
    EXPECT_EQ(s.GetError(&code, &item, &message, &native), 0);
    EXPECT_EQ(code, 12);
    EXPECT_EQ(item, "username");
    EXPECT_EQ(message, "leer");
    EXPECT_EQ(native, "n/a");
    EXPECT_EQ(s.GetError(nullptr, nullptr, nullptr, nullptr), 0);

    EXPECT_EQ(s.Logout(), 0);
    EXPECT_EQ(s.GetError(&code, nullptr, nullptr, nullptr), 100);
}

TEST_F(ReplyTest, LoginSendsEncodedValuesAndNeverLogsThePassword)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json",
               "{\"retcode\":\"0\",\"result\":{\"person\":{\"id\":\"4\",\"clientstate\":\"3\"}}}",
               "Set-Cookie: orvsession=abc; Path=/\r\n");
    peer.Reply("application/json", "{\"retcode\":\"0\",\"result\":{\"person\":{}}}");
    auto& s = MakeService(peer.Host());
    EXPECT_EQ(s.Login("Hans M\xFCller", "geh eim&\xE4", 1), 0);
    EXPECT_EQ(config_->GetClientState(), 3);
    EXPECT_EQ(s.HeaderSetCookie(), "orvsession=abc; Path=/");
    // No values: the stored ones are sent again.
    EXPECT_EQ(s.Login(), 0);
    EXPECT_EQ(config_->GetClientState(), 0);  // an empty person object
    EXPECT_EQ(s.Remember(), 1);

    auto req = peer.Requests();
    ASSERT_EQ(req.size(), 2u);
    const std::string body =
        "rpc_method=V001_User_Login&rpc_accept=json&username=Hans%20M%C3%BCller&password=geh%20eim%26%C3%A4";
    for (const auto& r : req) {
        EXPECT_EQ(r.requestLine, "POST /rpc.php? HTTP/1.1");
        EXPECT_EQ(r.body, body);
        EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_EQ(r.Header("Cache-Control"), "no-cache");
        EXPECT_EQ(r.Header("Accept"), "*/*");
        EXPECT_EQ(r.Header("User-Agent"), "OrvAgent");
    }
    // The portal's cookie comes back on the next request.
    EXPECT_EQ(req[1].Header("Cookie"), "orvsession=abc");

    auto log = Log();
    EXPECT_EQ(log[2], "Befehl|0|Login( 'Hans M\xFCller', '******' )");
    for (const auto& l : log) EXPECT_EQ(l.find("geh"), std::string::npos) << l;
}

TEST_F(ReplyTest, LoginClientState)
{
    struct {
        const char* name;
        const char* reply;  // null: nobody answers
        int result;
        int state;
    } cases[] = {
        {"state from the person", "{\"retcode\":\"0\",\"result\":{\"person\":{\"clientstate\":\"2\"}}}", 0, 2},
        {"failed login resets it", "{\"retcode\":\"-101\",\"message\":\"falsch\"}", -101, 0},
        {"portal code -1 is still a completed request", "{\"retcode\":\"-1\",\"message\":\"Feld\"}", -1, 0},
        {"unreadable reply keeps it", "{\"retcode\":", -1, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        config_->SetClientState(9);
        orvtest::ScriptedPeer peer;
        peer.Reply("application/json", c.reply);
        auto& s = MakeService(peer.Host());
        EXPECT_EQ(s.Login("u", "p", 0), c.result);
        EXPECT_EQ(config_->GetClientState(), c.state);
    }
}

TEST_F(ReplyTest, RequestPlacementOfTheMethods)
{
    orvtest::ScriptedPeer peer;
    for (int i = 0; i < 9; ++i) peer.Reply("application/json", kOkReply);
    auto& s = MakeService(peer.Host());
    std::string h, v;
    json::Array list;
    json::Object cfg;
    bool blocked = true;
    std::string country = "D", zip, city = "Bad T\xF6lz";
    EXPECT_EQ(s.CheckUpdate(h, v), 0);
    EXPECT_EQ(s.UserList(list), 0);
    EXPECT_EQ(s.Register("{\"username\":\"a&b\",\"password\":\"50%+\"}", blocked), 0);
    EXPECT_EQ(s.UserSetCategories("[\"Salsa\",\"Son\"]"), 0);
    EXPECT_EQ(s.UserSetBackendQueries(7, "[{\"name\":\"Q\"}]"), 0);
    EXPECT_EQ(s.UserGetBackendQueries(7, list), 0);
    EXPECT_EQ(s.ApplicationGetConfig(cfg), 0);
    EXPECT_EQ(s.GeoDetectLocation(country, zip, city), 0);
    EXPECT_EQ(s.Logout(), 0);

    struct {
        const char* target;
        const char* body;
    } expected[] = {
        {"/rpc.php?", "rpc_method=V001_Application_CheckUpdate&rpc_accept=json&application=OrvCalendar&version=1.0.11"},
        {"/rpc.php?rpc_accept=json&rpc_method=V001_User_List", ""},
        {"/rpc.php?rpc_accept=json&rpc_method=V001_User_Register",
         "user={\"username\":\"a&b\",\"password\":\"50%+\"}"},
        {"/rpc.php?rpc_accept=json&rpc_method=V001_User_SetCategories", "categories=[\"Salsa\",\"Son\"]"},
        {"/rpc.php?rpc_accept=json&rpc_method=V001_User_SetBackendQueries&userid=7", "querylist=[{\"name\":\"Q\"}]"},
        {"/rpc.php?", "rpc_method=V001_User_GetBackendQueries&rpc_accept=json&userid=7"},
        {"/rpc.php?", "rpc_method=V001_Application_GetConfig&rpc_accept=json"},
        // Empty zip: not sent. The raw city bytes travel percent-encoded in the URL.
        {"/rpc.php?rpc_accept=json&rpc_method=V001_Geo_DetectLocation&country=D&city=Bad%20T%F6lz", ""},
        {"/rpc.php?", "rpc_method=V001_User_Logout&rpc_accept=json"},
    };
    auto req = peer.Requests();
    ASSERT_EQ(req.size(), std::size(expected));
    for (size_t i = 0; i < req.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(req[i].target, expected[i].target);
        EXPECT_EQ(req[i].body, expected[i].body);
    }
    std::vector<std::string> commands;
    for (const auto& l : Log())
        if (l.rfind("Befehl|", 0) == 0) commands.push_back(l.substr(9));
    EXPECT_EQ(commands, (std::vector<std::string>{"CheckUpdate( 'OrvCalendar', '1.0.11')", "UserList( )", "Register( )",
                                                  "UserSetCategories()", "UserSetBackendQueries( )",
                                                  "UserGetBackendQueries( )", "ApplicationGetConfig( )",
                                                  "GeoDetectLocation( )", "Logout()"}));
}

TEST_F(ReplyTest, AnswerRowsAndOutputsOfReturnCode100)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", "{\"retcode\":\"100\",\"message\":\"Keine Updates vorhanden\"}");
    peer.Reply("application/json", "{\"retcode\":\"100\",\"message\":\"nichts\"}");
    peer.Reply("application/json", "{\"retcode\":\"100\",\"message\":\"nichts\"}");
    auto& s = MakeService(peer.Host());
    std::string history = "unchanged", version = "unchanged";
    EXPECT_EQ(s.CheckUpdate(history, version), 100);
    EXPECT_EQ(LastLog(), "Antwort|100|OK - Keine Updates vorhanden");
    EXPECT_EQ(history, "unchanged");
    EXPECT_EQ(version, "unchanged");

    json::Object cfg;
    EXPECT_EQ(s.ApplicationGetConfig(cfg), 100);
    EXPECT_EQ(LastLog(), "Antwort|100|OK");
    bool blocked = false;
    EXPECT_EQ(s.Register("{}", blocked), 100);
    EXPECT_EQ(LastLog(), "Antwort|100|nichts");
}

TEST_F(ReplyTest, UnevaluatedUserListReportsSuccessAndKeepsTheReturnCode)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", "{\"retcode\":\"-42\",\"message\":\"x\"}");
    peer.Reply("application/json", "{\"retcode\":\"-3\",\"message\":\"Nicht angemeldet\"}");
    peer.Reply("application/json",
               "{\"retcode\":\"0\",\"result\":{\"userlist\":[{\"id\":\"1\",\"name\":\"A\"},{\"id\":\"2\"}]}}");
    auto& s = MakeService(peer.Host());
    EXPECT_EQ(s.Logout(), -42);
    json::Array list;
    EXPECT_EQ(s.UserList(list), 0);
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(s.ReturnCode(), -42);  // left from the evaluated call
    EXPECT_EQ(LastLog(), "Antwort|0|OK");
    EXPECT_EQ(s.UserList(list), 0);
    ASSERT_EQ(list.Size(), 2u);
    EXPECT_EQ(static_cast<const json::String&>(list[0]["name"]).Value(), "A");
}

TEST_F(ReplyTest, LongHeaderValuesAreReadWhole)
{
    orvtest::ScriptedPeer peer;
    std::string longName(3000, 'n');
    peer.Reply("application/json", kOkReply,
               "Content-Disposition: attachment; filename=\"" + longName + "\"\r\nCookie: c=1\r\n");
    auto& s = MakeService(peer.Host());
    EXPECT_EQ(s.Logout(), 0);
    EXPECT_EQ(s.HeaderContentDisposition(), "attachment; filename=\"" + longName + "\"");
    EXPECT_EQ(s.HeaderCookie(), "c=1");
    EXPECT_EQ(s.HeaderContentType(), "application/json");
    EXPECT_EQ(s.HeaderContentLength(), std::to_string(std::strlen(kOkReply)));
}

TEST_F(ReplyTest, HeadersOfAnEarlierReplyDoNotLinger)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", kOkReply, "Content-Disposition: attachment; filename=\"a.exe\"\r\n");
    peer.Reply("application/json", kOkReply);
    auto& s = MakeService(peer.Host());
    EXPECT_EQ(s.Logout(), 0);
    EXPECT_FALSE(s.HeaderContentDisposition().empty());
    EXPECT_EQ(s.Logout(), 0);
    EXPECT_TRUE(s.HeaderContentDisposition().empty());
    EXPECT_TRUE(s.HeaderSetCookie().empty());
}

TEST_F(ReplyTest, DownloadsStayInsideTheirDirectory)
{
    struct {
        const char* name;
        std::string disposition;
        bool stored;
    } cases[] = {
        {"plain name", "attachment; filename=\"OrvCalendar_1.0.12_setup.exe\"", true},
        {"parent step", "attachment; filename=\"../escape.exe\"", false},
        {"absolute", "attachment; filename=\"/tmp/escape.exe\"", false},
        {"no attachment", "inline; filename=\"inline.exe\"", false},
        {"no header", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string target = dir_ + "/dl/" + c.name;
        orvtest::ScriptedPeer peer;
        std::string extra = c.disposition.empty() ? "" : "Content-Disposition: " + c.disposition + "\r\n";
        peer.Reply("application/octet-stream", std::string("MZ\0\x01setup", 8), extra);
        auto& s = MakeService(peer.Host());
        std::string path = target;
        EXPECT_EQ(s.DownloadUpdate("1.0.12", path), 0);
        EXPECT_EQ(LastLog(), "Antwort|0|OK");
        if (c.stored) {
            EXPECT_EQ(path, target + "/OrvCalendar_1.0.12_setup.exe");
            EXPECT_EQ(orvtest::ReadFile(path), std::string("MZ\0\x01setup", 8));
        } else {
            EXPECT_EQ(path, target);  // untouched
            EXPECT_FALSE(std::filesystem::exists(dir_ + "/dl/escape.exe"));
            EXPECT_FALSE(std::filesystem::exists("/tmp/escape.exe") &&
                         orvtest::ReadFile("/tmp/escape.exe") == std::string("MZ\0\x01setup", 8));
            if (std::filesystem::exists(target)) {
                EXPECT_TRUE(std::filesystem::is_empty(target));
            }
        }
        auto req = peer.Requests();
        ASSERT_EQ(req.size(), 1u);
        EXPECT_EQ(req[0].body,
                  "rpc_method=V001_Application_DownloadUpdate&rpc_accept=file&application=OrvCalendar&version=1.0.12");
        auto log = Log();
        EXPECT_EQ(log[log.size() - 2], "Befehl|0|DownloadUpdate( 'OrvCalendar_1.0.12_setup.exe' )");
        service_.reset();
    }
}

TEST_F(ReplyTest, DownloadWithEmptyPathGoesToTheUpdateDirectory)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/octet-stream", "SETUP", "Content-Disposition: attachment; filename=\"s.exe\"\r\n");
    auto& s = MakeService(peer.Host());
    std::string path;
    EXPECT_EQ(s.DownloadUpdate("2.0", path), 0);
    EXPECT_EQ(path, std::string(config_->GetUpdateDirectory()) + "/s.exe");
    EXPECT_EQ(orvtest::ReadFile(path), "SETUP");
}

TEST_F(ReplyTest, DownloadIntoAnUnwritablePlaceFails)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/octet-stream", "SETUP", "Content-Disposition: attachment; filename=\"s.exe\"\r\n");
    auto& s = MakeService(peer.Host());
    orvtest::WriteFile(dir_ + "/afile", "x");
    std::string path = dir_ + "/afile";  // a file, not a directory
    EXPECT_EQ(s.DownloadUpdate("2.0", path), -1);
    EXPECT_EQ(path, dir_ + "/afile");
    EXPECT_EQ(LastLog().rfind("Fehler|-1|Die Datei", 0), 0u) << LastLog();
}

TEST_F(ReplyTest, MultipartUploadOnTheWire)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", "{\"retcode\":\"0\",\"result\":{\"eventid\":\"77\"}}");
    auto& s = MakeService(peer.Host());
    OrvPortalRequest r;
    r.QueryForm(s.ServicePath(), "rpc_accept=json&rpc_method=V001_Event_UploadEvent&overwrite=");
    r.Append("false");
    std::string ics = "BEGIN:VEVENT\r\nSUMMARY:Salsa\r\nEND:VEVENT\r\n";
    r.Multipart("Salsa", ics.data(), ics.size(), "file.cal");
    json::Object result;
    EXPECT_EQ(s.CallMethod("UploadEvent( 'Salsa' )", r, result, ORV_ANSWER_RETCODE), 0);
    EXPECT_EQ(OrvWebServiceJoomla::IntegerOf(result["result"]["eventid"]), 77);

    auto req = peer.Requests();
    ASSERT_EQ(req.size(), 1u);
    EXPECT_EQ(req[0].target, "/rpc.php?rpc_accept=json&rpc_method=V001_Event_UploadEvent&overwrite=false");
    EXPECT_EQ(req[0].Header("Content-Type"), "multipart/form-data; boundary=231991966824484");
    EXPECT_EQ(req[0].Header("Keep-Alive"), "115");
    EXPECT_EQ(req[0].Header("Expect"), "");
    EXPECT_EQ(req[0].body,
              "--231991966824484\r\nContent-Disposition: form-data; name=\"Datei\"; filename=\"Salsa\"\r\n"
              "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: binary\r\n\r\n" +
                  ics + "\r\n--231991966824484--\r\n");
}

TEST_F(ReplyTest, NobodyListeningIsAFailedCallWithARow)
{
    int port;
    {
        orvtest::ScriptedPeer gone;
        port = gone.Port();
    }
    auto& s = MakeService("127.0.0.1:" + std::to_string(port));
    config_->SetClientState(5);
    EXPECT_EQ(s.Login("demo", "demo", 1), -1);
    EXPECT_EQ(config_->GetClientState(), 5);
    auto log = Log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[2], "Befehl|0|Login( 'demo', '******' )");
    EXPECT_EQ(log[3].rfind("Fehler|-1|Der Server antwortet nicht", 0), 0u) << log[3];
}

TEST_F(ReplyTest, StreamAndBufferCallsWriteTheirRows)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("text/calendar", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    peer.Reply("application/octet-stream", std::string(5000, 'b'));
    auto& s = MakeService(peer.Host());
    OrvPortalRequest r1;
    r1.QueryForm(s.ServicePath(), "rpc_accept=file&rpc_method=V001_Event_GetCalendar");
    r1.Field("type", "my");
    std::ostringstream out;
    EXPECT_EQ(s.CallStream("GetCalendar( )", r1, out), 0);
    EXPECT_EQ(out.str(), "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");

    OrvPortalRequest r2;
    r2.BodyForm("rpc_method=V001_Event_DeleteFile&rpc_accept=json");
    OrvHTTPBuffer response;
    EXPECT_EQ(s.CallBuffer("EventDelFile( '3' )", r2, response), 0);
    EXPECT_EQ(response.String(), std::string(5000, 'b'));
    EXPECT_EQ(response.Data()[response.Length()], '\0');
    auto log = Log();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[2], "Befehl|0|GetCalendar( )");
    EXPECT_EQ(log[3], "Antwort|0|OK");
    EXPECT_EQ(log[4], "Befehl|0|EventDelFile( '3' )");
    EXPECT_EQ(log[5], "Antwort|0|OK");
}

}  // namespace

namespace {

using SettingsTest = ClientFixture;

TEST_F(SettingsTest, HostServicePathAndTimeoutsComeFromTheConfiguration)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", kOkReply);
    ASSERT_EQ(config_->File().Write(ORVCFG_SECTION_HOST, "Host", peer.Host().c_str()), 0);
    ASSERT_EQ(config_->File().Write(ORVCFG_SECTION_HOST, "ServicePath", "portal/rpc.php?"), 0);
    ASSERT_EQ(config_->File().Write(ORVCFG_SECTION_HOST, "ConnectTimeout", "3"), 0);
    ASSERT_EQ(config_->File().Write(ORVCFG_SECTION_HOST, "Timeout", "7"), 0);
    OrvWebServiceJoomla s;  // reads the single configuration object
    s.SetDatabase(&database_);
    EXPECT_EQ(s.Host(), peer.Host());
    EXPECT_EQ(s.ServicePath(), "portal/rpc.php?");
    EXPECT_EQ(s.ConnectTimeout(), 3);
    EXPECT_EQ(s.TotalTimeout(), 7);
    json::Array list;
    EXPECT_EQ(s.UserList(list), 0);
    auto req = peer.Requests();
    ASSERT_EQ(req.size(), 1u);
    EXPECT_EQ(req[0].target, "/portal/rpc.php?rpc_accept=json&rpc_method=V001_User_List");
}

TEST_F(SettingsTest, DefaultsWithoutConfiguredValues)
{
    OrvWebServiceJoomla s;
    EXPECT_EQ(s.ServicePath(), "rpc.php?");
    EXPECT_FALSE(s.Host().empty());
    EXPECT_EQ(s.ConnectTimeout(), 10);
    EXPECT_EQ(s.TotalTimeout(), 60);
}

TEST_F(SettingsTest, InstanceIsTheFirstClientOrACreatedOne)
{
    {
        OrvWebServiceJoomla first("127.0.0.1:1", "rpc.php?");
        OrvWebServiceJoomla second("127.0.0.1:2", "rpc.php?");
        EXPECT_EQ(OrvWebService::Instance(), &first);
    }
    OrvWebService* created = OrvWebService::Instance();
    ASSERT_NE(created, nullptr);
    EXPECT_NE(dynamic_cast<OrvWebServiceJoomla*>(created), nullptr);
    EXPECT_EQ(OrvWebService::Instance(), created);
    delete created;
}

TEST_F(SettingsTest, HttpsSchemeIsHonoured)
{
    // The peer speaks plain HTTP: a client that really starts TLS gets no
    // usable reply, and the peer sees no plain POST line.
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", kOkReply);
    auto& s = MakeService("https://" + peer.Host());
    s.SetTimeouts(1, 1);
    EXPECT_EQ(s.Logout(), -1);
    std::string last = LastLog();
    EXPECT_EQ(last.rfind("Fehler|-1|", 0), 0u) << last;
    for (const auto& r : peer.Requests()) EXPECT_NE(r.requestLine.rfind("POST ", 0), 0u);
}

}  // namespace
