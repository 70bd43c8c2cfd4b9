#include <cstdlib>

#include "PortalTestSupport.h"

using orvtest::EventText;
using orvtest::PortalTest;
using orvtest::Reply;

namespace {

const std::string kUploadQ = "rpc_accept=json&rpc_method=V001_Event_UploadEvent&overwrite=false";

int Num(const orvportal::JsonValue& v) { return std::atoi(v.str().c_str()); }

size_t Count(const std::string& hay, const std::string& needle) {
    size_t n = 0;
    for (size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
    return n;
}

// ------------------------------------------------------------------ login

struct LoginCase {
    const char* name;
    const char* body;
    int retcode;
    bool cookie;
};

class LoginTest : public PortalTest, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(LoginTest, Replies) {
    const auto& c = GetParam();
    Reply r = Body(c.body);
    ASSERT_TRUE(r.isJson) << r.body;
    EXPECT_EQ(r.contentType.find("application/json"), 0u);
    EXPECT_EQ(r.retcode, c.retcode) << r.body;
    EXPECT_TRUE(r.json.get("retcode").isString());  // numbers travel as strings
    EXPECT_EQ(!r.setCookie.empty(), c.cookie);
    if (c.retcode == 0) {
        EXPECT_EQ(r.result().get("person").get("clientstate").str(), "1");
        EXPECT_EQ(r.result().get("person").get("id").str(), std::to_string(demoId_));
    } else {
        ASSERT_EQ(r.json.get("error").items().size(), 1u);
        EXPECT_EQ(Num(r.json.get("error").items()[0].get("error")), c.retcode);
        EXPECT_FALSE(r.json.get("message").str().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoginTest,
    ::testing::Values(
        LoginCase{"ok", "rpc_method=V001_User_Login&rpc_accept=json&username=demo&password=demo", 0, true},
        LoginCase{"wrong_password", "rpc_method=V001_User_Login&rpc_accept=json&username=demo&password=x", -101, false},
        LoginCase{"case_matters", "rpc_method=V001_User_Login&rpc_accept=json&username=demo&password=DEMO", -101, false},
        LoginCase{"unknown_user", "rpc_method=V001_User_Login&rpc_accept=json&username=nobody&password=demo", -101, false},
        LoginCase{"blocked", "rpc_method=V001_User_Login&rpc_accept=json&username=locked&password=locked", -109, false},
        LoginCase{"no_password", "rpc_method=V001_User_Login&rpc_accept=json&username=demo", -1, false},
        LoginCase{"no_username", "rpc_method=V001_User_Login&rpc_accept=json&password=demo", -1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortalTest, LoginDecodesEncodedNameAndPassword) {
    service_->CreateUser("J\xC3\xBCrgen M", "p a-ss", "J", "j@x", false, 0);
    Reply r = Body("rpc_method=V001_User_Login&rpc_accept=json&username=J%C3%BCrgen%20M&password=p%20a%2Dss");
    EXPECT_EQ(r.retcode, 0) << r.body;
}

TEST_F(PortalTest, SessionLastsUntilLogout) {
    std::string cookie = Login();
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_User_List", "", cookie).retcode, 0);
    Reply out = Body("rpc_method=V001_User_Logout&rpc_accept=json", cookie);
    EXPECT_EQ(out.retcode, 0);
    EXPECT_NE(out.setCookie.find("Max-Age=0"), std::string::npos);
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_User_List", "", cookie).retcode, -3);
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_User_List", "", "orvsession=forged").retcode, -3);
}

TEST_F(PortalTest, SecondLoginReplacesSession) {
    std::string first = Login();
    Reply r = Body("rpc_method=V001_User_Login&rpc_accept=json&username=anna&password=anna", first);
    ASSERT_EQ(r.retcode, 0);
    std::string second = orvtest::CookieFrom(r.setCookie);
    EXPECT_NE(first, second);
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_User_List", "", first).retcode, -3);
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_User_List", "", second).retcode, 0);
}

// Every method that needs a login answers -3 without one, in the JSON form.
class NeedsLogin : public PortalTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(NeedsLogin, RejectsWithoutSession) {
    Reply r = Body(std::string("rpc_method=") + GetParam() + "&rpc_accept=json&eventid=1&persid=1&filename=a");
    ASSERT_TRUE(r.isJson) << r.body;
    EXPECT_EQ(r.retcode, -3);
    EXPECT_EQ(r.json.get("error").items()[0].get("item").str(), "session");
    EXPECT_TRUE(r.disposition.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Methods, NeedsLogin,
    ::testing::Values("V001_User_List", "V001_User_SetCategories", "V001_User_SetBackendQueries",
                      "V001_User_GetBackendQueries", "V001_Event_UploadEvent", "V001_Event_Delete",
                      "V001_Event_SetFile", "V001_Event_GetFile", "V001_Event_DeleteFile", "V001_Facebook_SetEvent",
                      "V001_Event_SetValue", "V001_Event_SetHighlight", "V001_Event_SetUser", "V001_Person_Save",
                      "V001_Person_Read", "V001_Person_GetCategories", "V001_Person_GetList", "V001_Person_SetFile",
                      "V001_Person_GetFile", "V001_Person_DeleteFile", "V001_Event_GetCalendar"));

TEST_F(PortalTest, AnswersEveryMethodName) {
    auto names = orvportal::PortalService::MethodNames();
    EXPECT_EQ(names.size(), 28u);
    std::string cookie = Login();
    for (const auto& n : names) {
        Reply r = Body("rpc_method=" + n + "&rpc_accept=json", cookie);
        ASSERT_TRUE(r.ok) << n;
        EXPECT_EQ(r.status, 200) << n;
        if (r.isJson) {
            EXPECT_NE(r.retcode, -2) << n;
        }
    }
}

TEST_F(PortalTest, UnknownOrMissingMethod) {
    Reply unknown = Body("rpc_method=V001_Event_Nothing&rpc_accept=json");
    EXPECT_EQ(unknown.retcode, -2);
    Reply missing = Body("rpc_accept=json&username=demo");
    EXPECT_EQ(missing.retcode, -1);
    EXPECT_EQ(missing.json.get("error").items()[0].get("item").str(), "rpc_method");
    Reply wrongPath = Raw("/index.php?rpc_method=V001_User_List", "application/x-www-form-urlencoded", "");
    EXPECT_EQ(wrongPath.status, 404);
}

// ------------------------------------------------------------------ users

TEST_F(PortalTest, UserListHasNoSecrets) {
    std::string cookie = Login();
    Reply r = Query("rpc_accept=json&rpc_method=V001_User_List", "", cookie);
    ASSERT_EQ(r.retcode, 0);
    const auto& list = r.result().get("userlist").items();
    ASSERT_EQ(list.size(), 2u);  // the blocked user is not offered
    for (const auto& u : list) {
        EXPECT_FALSE(u.get("id").str().empty());
        EXPECT_FALSE(u.get("username").str().empty());
        EXPECT_FALSE(u.has("hash"));
        EXPECT_FALSE(u.has("salt"));
    }
    EXPECT_EQ(r.body.find("demo@localhost"), std::string::npos);
}

struct RegisterCase {
    const char* name;
    const char* user;
    int retcode;
    const char* item;
};

class RegisterTest : public PortalTest, public ::testing::WithParamInterface<RegisterCase> {};

TEST_P(RegisterTest, Validates) {
    Reply r = Query("rpc_accept=json&rpc_method=V001_User_Register", std::string("user=") + GetParam().user);
    EXPECT_EQ(r.retcode, GetParam().retcode) << r.body;
    if (GetParam().retcode != 0) {
        EXPECT_EQ(r.json.get("error").items()[0].get("item").str(), GetParam().item);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegisterTest,
    ::testing::Values(
        RegisterCase{"ok",
                     "{\"name\":\"Neu #38; Co\",\"username\":\"neu\",\"email\":\"n@x\",\"password\":\"p\",\"password2\":\"p\"}",
                     0, ""},
        RegisterCase{"taken",
                     "{\"name\":\"D\",\"username\":\"demo\",\"email\":\"d@x\",\"password\":\"p\",\"password2\":\"p\"}",
                     -110, "username"},
        RegisterCase{"mismatch",
                     "{\"name\":\"D\",\"username\":\"x\",\"email\":\"d@x\",\"password\":\"p\",\"password2\":\"q\"}", -1,
                     "password2"},
        RegisterCase{"no_email",
                     "{\"name\":\"D\",\"username\":\"x\",\"email\":\"\",\"password\":\"p\",\"password2\":\"p\"}", -1,
                     "email"},
        RegisterCase{"bad_email",
                     "{\"name\":\"D\",\"username\":\"x\",\"email\":\"nope\",\"password\":\"p\",\"password2\":\"p\"}", -1,
                     "email"},
        RegisterCase{"not_json", "{name:1", -1, "user"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortalTest, RegisteredUserCanLogIn) {
    Reply r = Query("rpc_accept=json&rpc_method=V001_User_Register",
                    "user={\"name\":\"Neu\",\"username\":\"neu\",\"email\":\"n@x\",\"password\":\"geheim\",\"password2\":"
                    "\"geheim\"}");
    ASSERT_EQ(r.retcode, 0);
    EXPECT_EQ(r.result().get("block").str(), "0");
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_User_List", "", orvtest::CookieFrom(r.setCookie)).retcode, 0);
    Login("neu", "geheim");
}

TEST_F(PortalTest, RegistrationCanBeBlocked) {
    service_->SetBlockNewUsers(true);
    Reply r = Query("rpc_accept=json&rpc_method=V001_User_Register",
                    "user={\"name\":\"N\",\"username\":\"n2\",\"email\":\"n@x\",\"password\":\"p\",\"password2\":\"p\"}");
    ASSERT_EQ(r.retcode, 0);
    EXPECT_EQ(r.result().get("block").str(), "1");
    EXPECT_TRUE(r.setCookie.empty());
    EXPECT_EQ(Body("rpc_method=V001_User_Login&rpc_accept=json&username=n2&password=p").retcode, -109);
}

TEST_F(PortalTest, BackendQueriesRoundTrip) {
    std::string cookie = Login();
    Reply empty = Body("rpc_method=V001_User_GetBackendQueries&rpc_accept=json&userid=" + std::to_string(demoId_), cookie);
    ASSERT_EQ(empty.retcode, 0);
    EXPECT_TRUE(empty.result().get("querylist").isArray());
    EXPECT_TRUE(empty.result().get("querylist").items().empty());

    std::string list =
        "[{\"name\":\"Salsa #38; Tango \\\"A\\\"\",\"type\":\"selection\",\"pool\":\"Latin\",\"scenes\":\"salsa\","
        "\"categories\":\"lesson+event\",\"country\":\"D\",\"zip\":\"\",\"city\":\"K\xC3\xB6ln\"},"
        "{\"name\":\"Anna\",\"type\":\"user\",\"userid\":\"2\",\"user\":\"Anna\",\"pool\":\"\",\"scenes\":\"\","
        "\"categories\":\"\",\"country\":\"\",\"zip\":\"\",\"city\":\"\"}]";
    Reply set = Query("rpc_accept=json&rpc_method=V001_User_SetBackendQueries&userid=" + std::to_string(demoId_),
                      "querylist=" + list, cookie);
    ASSERT_EQ(set.retcode, 0) << set.body;
    Reply got = Body("rpc_method=V001_User_GetBackendQueries&rpc_accept=json&userid=" + std::to_string(demoId_), cookie);
    ASSERT_EQ(got.retcode, 0);
    const auto& q = got.result().get("querylist").items();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0].get("name").str(), "Salsa & Tango \"A\"");
    EXPECT_EQ(q[0].get("categories").str(), "lesson+event");  // the plus sign survives the form body
    EXPECT_EQ(q[0].get("city").str(), "K\xC3\xB6ln");
    EXPECT_EQ(q[1].get("userid").str(), "2");
    // Another user's list stays private; anna still has none.
    std::string anna = Login("anna", "anna");
    EXPECT_EQ(Body("rpc_method=V001_User_GetBackendQueries&rpc_accept=json&userid=" + std::to_string(demoId_), anna).retcode,
              -5);
    EXPECT_TRUE(Body("rpc_method=V001_User_GetBackendQueries&rpc_accept=json&userid=0", anna)
                    .result().get("querylist").items().empty());
}

TEST_F(PortalTest, BackendQueriesRejectBadInput) {
    std::string cookie = Login();
    std::string q = "rpc_accept=json&rpc_method=V001_User_SetBackendQueries&userid=" + std::to_string(demoId_);
    struct C {
        const char* body;
        int code;
    } cases[] = {{"", -1}, {"querylist={\"a\":1}", -1}, {"querylist=[1,2]", -1}, {"querylist=[{", -1}};
    for (const auto& c : cases) EXPECT_EQ(Query(q, c.body, cookie).retcode, c.code) << c.body;
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_User_SetBackendQueries&userid=" + std::to_string(annaId_),
                    "querylist=[]", cookie)
                  .retcode,
              -5);
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_User_SetBackendQueries&userid=abc", "querylist=[]", cookie).retcode,
              -1);
}

// ------------------------------------------------------------------ application

TEST_F(PortalTest, ConfigAndUserCategories) {
    service_->SeedDemo();
    Reply anon = Body("rpc_method=V001_Application_GetConfig&rpc_accept=json");
    ASSERT_EQ(anon.retcode, 0);
    const auto& cfg = anon.result().get("config");
    ASSERT_FALSE(cfg.get("pools").items().empty());
    const auto& pool = cfg.get("pools").items()[0];
    EXPECT_TRUE(pool.get("id").isString());
    EXPECT_FALSE(pool.get("scenes").items().empty());
    bool salsa2 = false;
    for (const auto& p : cfg.get("pools").items())
        for (const auto& s : p.get("scenes").items())
            if (s.get("id").str() == "2" && s.get("name").str() == "salsa") salsa2 = true;
    EXPECT_TRUE(salsa2);
    EXPECT_EQ(cfg.get("edit_categories").items().size(), 15u);
    EXPECT_FALSE(cfg.get("user_categories").items().empty());

    std::string cookie = Login();
    Reply set = Query("rpc_accept=json&rpc_method=V001_User_SetCategories",
                      "categories=[\"Stammtisch\",\"Caf\xC3\xA9 #38; Tanz\"]", cookie);
    ASSERT_EQ(set.retcode, 0);
    Reply mine = Body("rpc_method=V001_Application_GetConfig&rpc_accept=json", cookie);
    const auto& uc = mine.result().get("config").get("user_categories").items();
    ASSERT_EQ(uc.size(), 2u);
    EXPECT_EQ(uc[1].str(), "Caf\xC3\xA9 & Tanz");
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_User_SetCategories", "categories=[1]", cookie).retcode, -1);
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_User_SetCategories", "categories=\"x\"", cookie).retcode, -1);
}

TEST_F(PortalTest, UpdateOffer) {
    const std::string check = "rpc_method=V001_Application_CheckUpdate&rpc_accept=json&application=OrvCalendar&version=";
    EXPECT_EQ(Body(check + "1.0.11").retcode, 100);
    orvportal::UpdateOffer offer;
    offer.version = "1.0.12";
    offer.history = "1.0.12: Fehler behoben";
    offer.data = std::string("MZ\0\x01setup", 8);
    service_->SetUpdateOffer(offer);

    struct C {
        const char* version;
        int code;
    } cases[] = {{"1.0.11", 0}, {"1.0.9", 0}, {"1.0.12", 100}, {"1.1", 100}};
    for (const auto& c : cases) {
        Reply r = Body(check + c.version);
        EXPECT_EQ(r.retcode, c.code) << c.version;
        if (c.code == 0) {
            EXPECT_EQ(r.result().get("version").str(), "1.0.12");
            EXPECT_EQ(r.result().get("history").str(), "1.0.12: Fehler behoben");
        }
    }
    EXPECT_EQ(Body("rpc_method=V001_Application_CheckUpdate&rpc_accept=json&version=1").retcode, -1);

    Reply dl = Body("rpc_method=V001_Application_DownloadUpdate&rpc_accept=file&application=OrvCalendar&version=1.0.12");
    EXPECT_EQ(dl.disposition, "attachment; filename=\"OrvCalendar_1.0.12_setup.exe\"");
    EXPECT_EQ(dl.body, offer.data);
    Reply wrong = Body("rpc_method=V001_Application_DownloadUpdate&rpc_accept=file&application=OrvCalendar&version=9.9");
    EXPECT_TRUE(wrong.disposition.empty());
    EXPECT_EQ(wrong.retcode, -4);
}

TEST_F(PortalTest, GeoDetectLocation) {
    struct C {
        const char* query;
        int code;
        const char* country;
        const char* zip;
        const char* city;
    } cases[] = {
        {"&zip=10115", 0, "D", "10115", "Berlin"},
        {"&country=D&city=k%C3%B6ln", 0, "D", "50667", "Köln"},
        {"&city=Wien", 0, "A", "1010", "Wien"},
        {"&country=A&zip=10115", 100, "", "", ""},
        {"&zip=99999", 100, "", "", ""},
        {"", -1, "", "", ""},
    };
    for (const auto& c : cases) {
        Reply r = Query(std::string("rpc_accept=json&rpc_method=V001_Geo_DetectLocation") + c.query);
        EXPECT_EQ(r.retcode, c.code) << c.query;
        if (c.code == 0) {
            const auto& loc = r.result().get("location");
            EXPECT_EQ(loc.get("country").str(), c.country);
            EXPECT_EQ(loc.get("zip").str(), c.zip);
            EXPECT_EQ(loc.get("city").str(), c.city);
        }
    }
}

// ------------------------------------------------------------------ events

TEST_F(PortalTest, UploadThenCalendarCarriesEventId) {
    std::string cookie = Login();
    int id = UploadEvent(cookie, EventText("uid-1", "Salsa Abend", "20260105T200000", "X-ORV-SCENES:salsa\n"));
    ASSERT_GT(id, 0);
    std::string cal = Calendar(cookie, "&type=my");
    EXPECT_EQ(cal.find("BEGIN:VCALENDAR\r\n"), 0u);
    EXPECT_NE(cal.find("END:VCALENDAR\r\n"), std::string::npos);
    EXPECT_NE(cal.find("SUMMARY:Salsa Abend"), std::string::npos);
    EXPECT_NE(cal.find("X-ORV-EVENTID:" + std::to_string(id) + "\r\n"), std::string::npos);
    EXPECT_EQ(cal.find("X-ORV-EVENTID:0"), std::string::npos);
    EXPECT_EQ(Count(cal, "BEGIN:VEVENT"), 1u);

    // Sent again with its id: replaced, not duplicated.
    EXPECT_EQ(UploadEvent(cookie, EventText("uid-1", "Salsa Abend neu", "20260105T200000", "", id)), id);
    cal = Calendar(cookie, "&type=my");
    EXPECT_EQ(Count(cal, "BEGIN:VEVENT"), 1u);
    EXPECT_NE(cal.find("SUMMARY:Salsa Abend neu"), std::string::npos);
    // Without an id it is a new event, even with the same UID (a date split
    // off a series): the stored event stays as it was.
    const int split = UploadEvent(cookie, EventText("uid-1", "Einzeltermin", "20260112T200000"));
    EXPECT_GT(split, 0);
    EXPECT_NE(split, id);
    cal = Calendar(cookie, "&type=my");
    EXPECT_EQ(Count(cal, "BEGIN:VEVENT"), 2u);
    EXPECT_NE(cal.find("SUMMARY:Salsa Abend neu"), std::string::npos);
    EXPECT_NE(cal.find("SUMMARY:Einzeltermin"), std::string::npos);
    EXPECT_NE(UploadEvent(cookie, EventText("uid-2", "Anderes", "20260106T200000")), id);
    EXPECT_EQ(Count(Calendar(cookie, "&type=my"), "BEGIN:VEVENT"), 3u);
}

TEST_F(PortalTest, UploadRejectsBadInput) {
    std::string cookie = Login();
    struct C {
        const char* text;
        int code;
    } cases[] = {{"", -1},
                 {"BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n", -1},
                 {"BEGIN:VEVENT\r\nSUMMARY:x\r\nEND:VEVENT\r\n", -1},
                 {"BEGIN:VEVENT\r\nDTSTART:20260105T200000\r\n", -1}};
    for (const auto& c : cases) {
        Reply r = Upload(kUploadQ, "VEVENT", c.text, cookie);
        EXPECT_EQ(r.retcode, c.code) << c.text;
        EXPECT_FALSE(r.json.get("message").str().empty());
    }
    Reply noPart = Query(kUploadQ, "", cookie);
    EXPECT_EQ(noPart.retcode, -1);
    EXPECT_EQ(Count(Calendar(cookie, "&type=my"), "BEGIN:VEVENT"), 0u);
}

TEST_F(PortalTest, OwnershipProtectsEvents) {
    std::string demo = Login();
    int id = UploadEvent(demo, EventText("u", "Demo", "20260105T200000"));
    std::string anna = Login("anna", "anna");
    std::string ids = "&eventid=" + std::to_string(id);
    EXPECT_EQ(Upload(kUploadQ, "VEVENT", EventText("u", "Gekapert", "20260105T200000", "", id), anna).retcode, -5);
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_Event_Delete" + ids, "", anna).retcode, -5);
    EXPECT_EQ(Body("rpc_method=V001_Event_SetValue&rpc_accept=json" + ids + "&eventnr=1&key=supraregional&value=1", anna)
                  .retcode,
              -5);
    EXPECT_EQ(Body("rpc_method=V001_Event_SetHighlight&rpc_accept=json" + ids + "&eventnr=1&level=1", anna).retcode, -5);
    EXPECT_EQ(Body("rpc_method=V001_Event_SetUser&rpc_accept=json" + ids + "&userid=" + std::to_string(annaId_), anna)
                  .retcode,
              -5);
    EXPECT_NE(Calendar(demo, "&type=my").find("SUMMARY:Demo"), std::string::npos);
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_Event_Delete&eventid=99999", "", demo).retcode, -4);
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_Event_Delete&eventid=abc", "", demo).retcode, -1);
}

TEST_F(PortalTest, DeleteRemovesEventAndFiles) {
    std::string cookie = Login();
    int id = UploadEvent(cookie, EventText("u", "Weg", "20260105T200000"));
    std::string ids = std::to_string(id);
    ASSERT_EQ(Upload("rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=" + ids, "flyer.jpg", "JPEG", cookie).retcode, 0);
    ASSERT_EQ(Query("rpc_accept=json&rpc_method=V001_Event_Delete&eventid=" + ids, "", cookie).retcode, 0);
    EXPECT_EQ(Count(Calendar(cookie, "&type=my"), "BEGIN:VEVENT"), 0u);
    EXPECT_EQ(Body("rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=" + ids + "&filename=flyer.jpg", cookie).retcode,
              -4);
}

TEST_F(PortalTest, EventFilesUpAndDown) {
    std::string cookie = Login();
    int id = UploadEvent(cookie, EventText("u", "Flyer", "20260105T200000"));
    std::string ids = std::to_string(id);
    std::string binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff", 17);
    struct C {
        const char* name;
        std::string data;
        const char* partType;
        const char* stored;
    } files[] = {{"image1.png", binary, "image/png", "image/png"},
                 {"programm.pdf", "%PDF-1.4", "application/pdf", "application/pdf"},
                 {"notes.txt", "line1\r\nline2", "text/plain", "text/plain"},
                 {"C:\\Bilder\\logo.jpg", "JPEG", "image/jpeg", "image/jpeg"},
                 {"FOTO.JPG", "JPG", "application/octet-stream", "image/jpeg"},  // the client's label for upper case
                 {"daten.bin", "BIN", "application/octet-stream", "application/octet-stream"}};
    for (const auto& f : files) {
        Reply up = Upload("rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=" + ids, f.name, f.data, cookie, f.partType);
        ASSERT_EQ(up.retcode, 0) << f.name << up.body;
    }
    struct D {
        const char* name;
        std::string data;
        const char* type;
    } down[] = {{"image1.png", binary, "image/png"},
                {"programm.pdf", "%PDF-1.4", "application/pdf"},
                {"notes.txt", "line1\r\nline2", "text/plain"},
                {"logo.jpg", "JPEG", "image/jpeg"},  // the directory part is not kept
                {"FOTO.JPG", "JPG", "image/jpeg"},
                {"daten.bin", "BIN", "application/octet-stream"}};
    for (const auto& d : down) {
        Reply r = Body("rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=" + ids + "&filename=" + d.name, cookie);
        EXPECT_EQ(r.disposition, std::string("attachment; filename=\"") + d.name + "\"");
        EXPECT_EQ(r.body, d.data) << d.name;
        EXPECT_EQ(r.contentType, d.type);
    }
    Reply missing = Body("rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=" + ids + "&filename=nope.jpg", cookie);
    EXPECT_TRUE(missing.disposition.empty());
    EXPECT_EQ(missing.retcode, -4);

    EXPECT_EQ(Body("rpc_method=V001_Event_DeleteFile&rpc_accept=json&eventid=" + ids + "&filename=image1.png", cookie).retcode,
              0);
    EXPECT_EQ(Body("rpc_method=V001_Event_DeleteFile&rpc_accept=json&eventid=" + ids + "&filename=image1.png", cookie).retcode,
              -4);
    EXPECT_EQ(Body("rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=" + ids + "&filename=image1.png", cookie).retcode,
              -4);
    struct Bad {
        const char* name;
        int code;
    } bad[] = {{"", -1}, {"..", -1}, {"dir/", -1}};
    for (const auto& b : bad)
        EXPECT_EQ(Upload("rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=" + ids, b.name, "x", cookie).retcode, b.code)
            << b.name;
}

TEST_F(PortalTest, PublishedFilesAreReadableByOthers) {
    std::string demo = Login();
    int pub = UploadEvent(demo, EventText("p", "Offen", "20260105T200000", "", 0, 1));
    int hidden = UploadEvent(demo, EventText("h", "Entwurf", "20260105T200000", "", 0, 0));
    for (int id : {pub, hidden})
        ASSERT_EQ(Upload("rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=" + std::to_string(id), "a.jpg", "A", demo).retcode,
                  0);
    std::string anna = Login("anna", "anna");
    EXPECT_EQ(Body("rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=" + std::to_string(pub) + "&filename=a.jpg", anna).body,
              "A");
    EXPECT_EQ(Body("rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=" + std::to_string(hidden) + "&filename=a.jpg", anna)
                  .retcode,
              -4);
}

TEST_F(PortalTest, HighlightFollowsEventNumber) {
    std::string cookie = Login();
    int id = UploadEvent(cookie, EventText("w", "Kurs", "20260105T200000", "RRULE:FREQ=WEEKLY;COUNT=3;\n"));
    std::string base = "rpc_method=V001_Event_SetHighlight&rpc_accept=json&eventid=" + std::to_string(id);
    struct C {
        int nr, level, code;
        const char* date;
    } steps[] = {{2, 1, 0, "20260112T200000"}, {3, 2, 0, "20260119T200000"}, {4, 1, -4, ""}, {0, 1, -4, ""}, {-3, 1, -4, ""}, {1, -1, -1, ""},
                 {1, 10, -1, ""}};
    for (const auto& s : steps) {
        Reply r = Body(base + "&eventnr=" + std::to_string(s.nr) + "&level=" + std::to_string(s.level), cookie);
        EXPECT_EQ(r.retcode, s.code) << s.nr;
        if (s.code == 0) {
            EXPECT_EQ(r.result().get("level").str(), std::to_string(s.level));
            EXPECT_EQ(r.result().get("date").str(), s.date);
        }
    }
    std::string cal = Calendar(cookie, "&type=my");
    EXPECT_NE(cal.find("X-ORV-HIGHLIGHTS:20260112T200000=1;20260119T200000=2\r\n"), std::string::npos) << cal;
    ASSERT_EQ(Body(base + "&eventnr=2&level=0", cookie).retcode, 0);
    EXPECT_NE(Calendar(cookie, "&type=my").find("X-ORV-HIGHLIGHTS:20260119T200000=2\r\n"), std::string::npos);
    // Highlights are the portal's: an upload does not set them.
    UploadEvent(cookie, EventText("w", "Kurs", "20260105T200000",
                                  "RRULE:FREQ=WEEKLY;COUNT=3;\nX-ORV-HIGHLIGHTS:20260105T200000=9\n", id));
    cal = Calendar(cookie, "&type=my");
    EXPECT_EQ(cal.find("=9"), std::string::npos);
    EXPECT_EQ(Count(cal, "X-ORV-HIGHLIGHTS:"), 1u);
}

TEST_F(PortalTest, SupraregionalFlag) {
    std::string cookie = Login();
    int id = UploadEvent(cookie, EventText("s", "Gross", "20260105T200000"));
    std::string base = "rpc_method=V001_Event_SetValue&rpc_accept=json&eventid=" + std::to_string(id) + "&eventnr=1";
    struct C {
        const char* tail;
        int code;
    } cases[] = {{"&key=supraregional&value=1", 0}, {"&key=color&value=1", -1}, {"&key=supraregional&value=2", -1},
                 {"&key=supraregional", -1},        {"&value=1", -1}};
    for (const auto& c : cases) EXPECT_EQ(Body(base + c.tail, cookie).retcode, c.code) << c.tail;
    EXPECT_NE(Calendar(cookie, "&type=my").find("X-ORV-SUPRAREGIONAL:1\r\n"), std::string::npos);
    // The flag stays when the event is uploaded again.
    UploadEvent(cookie, EventText("s", "Gross", "20260105T200000", "", id));
    EXPECT_NE(Calendar(cookie, "&type=my").find("X-ORV-SUPRAREGIONAL:1\r\n"), std::string::npos);
    ASSERT_EQ(Body(base + "&key=supraregional&value=0", cookie).retcode, 0);
    EXPECT_EQ(Calendar(cookie, "&type=my").find("X-ORV-SUPRAREGIONAL"), std::string::npos);
}

TEST_F(PortalTest, HandOverToAnotherUser) {
    std::string demo = Login();
    int id = UploadEvent(demo, EventText("x", "Uebergabe", "20260105T200000", "", 0, 0));
    std::string base = "rpc_method=V001_Event_SetUser&rpc_accept=json&eventid=" + std::to_string(id);
    EXPECT_EQ(Body(base + "&userid=9999", demo).retcode, -4);
    EXPECT_EQ(Body(base + "&userid=" + std::to_string(blockedId_), demo).retcode, -4);
    ASSERT_EQ(Body(base + "&userid=" + std::to_string(annaId_), demo).retcode, 0);
    EXPECT_EQ(Count(Calendar(demo, "&type=my"), "BEGIN:VEVENT"), 0u);
    std::string anna = Login("anna", "anna");
    EXPECT_NE(Calendar(anna, "&type=my").find("SUMMARY:Uebergabe"), std::string::npos);
}

TEST_F(PortalTest, FacebookNeedsPublishedEvent) {
    std::string cookie = Login();
    int pub = UploadEvent(cookie, EventText("a", "Offen", "20260105T200000", "", 0, 1));
    int draft = UploadEvent(cookie, EventText("b", "Entwurf", "20260105T200000", "", 0, 0));
    Reply ok = Body("rpc_method=V001_Facebook_SetEvent&rpc_accept=json&eventid=" + std::to_string(pub) + "&eventnr=1", cookie);
    EXPECT_EQ(ok.retcode, 0);
    EXPECT_EQ(ok.result().get("eventnr").str(), "1");
    EXPECT_EQ(Body("rpc_method=V001_Facebook_SetEvent&rpc_accept=json&eventid=" + std::to_string(draft) + "&eventnr=1", cookie)
                  .retcode,
              -6);
    EXPECT_EQ(Body("rpc_method=V001_Facebook_SetEvent&rpc_accept=json&eventid=" + std::to_string(pub), cookie).retcode, -1);
}

// Selections see only published events and filter by the query's fields.
class SelectionTest : public PortalTest {
protected:
    void SetUp() override {
        PortalTest::SetUp();
        service_->SeedDemo();  // pools: Latin (salsa, bachata, kizomba), Standard (tango), Swing (swing)
        cookie_ = Login("anna", "anna");
        auto loc = [](const char* zip, const char* city, const char* country) {
            return std::string("X-ORV-LOCATION:ID=1;NAME=\"Ort\";ZIP=") + zip + ";CITY=" + city + ";COUNTRY=" + country + ";\n";
        };
        UploadEvent(cookie_, EventText("s1", "SalsaKursBerlin", "20260105T200000",
                                       "X-ORV-SCENES:salsa\nX-ORV-CATEGORIES:101\n" + loc("10115", "Berlin", "D")));
        UploadEvent(cookie_, EventText("s2", "SalsaPartyHamburg", "20260106T200000",
                                       "X-ORV-SCENES:2\nX-ORV-CATEGORIES:301\n" + loc("20095", "Hamburg", "D")));
        UploadEvent(cookie_, EventText("s3", "TangoWorkshopBerlin", "20260107T200000",
                                       "X-ORV-SCENES:tango\nX-ORV-CATEGORIES:201\n" + loc("10117", "berlin", "D")));
        UploadEvent(cookie_, EventText("s4", "SalsaEntwurf", "20260108T200000",
                                       "X-ORV-SCENES:salsa\nX-ORV-CATEGORIES:301\n" + loc("10115", "Berlin", "D"), 0, 0));
        UploadEvent(cookie_, EventText("s5", "SwingWien", "20260109T200000",
                                       "X-ORV-SCENES:swing\nX-ORV-CATEGORIES:302\n" + loc("1010", "Wien", "A")));
    }
    std::string cookie_;
};

struct SelCase {
    const char* name;
    const char* fields;
    std::vector<std::string> expected;
};

class SelectionCases : public SelectionTest, public ::testing::WithParamInterface<SelCase> {};

TEST_P(SelectionCases, Filters) {
    std::string cal = Calendar("", std::string("&type=selection") + GetParam().fields);  // no login needed
    std::vector<std::string> got;
    for (const char* s : {"SalsaKursBerlin", "SalsaPartyHamburg", "TangoWorkshopBerlin", "SalsaEntwurf", "SwingWien"})
        if (cal.find(std::string("SUMMARY:") + s + "\r\n") != std::string::npos) got.push_back(s);
    EXPECT_EQ(got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SelectionCases,
    ::testing::Values(
        SelCase{"all", "", {"SalsaKursBerlin", "SalsaPartyHamburg", "TangoWorkshopBerlin", "SwingWien"}},
        SelCase{"pool_by_name", "&pool=Latin", {"SalsaKursBerlin", "SalsaPartyHamburg"}},
        SelCase{"pool_by_id", "&pool=2", {"TangoWorkshopBerlin"}},
        SelCase{"unknown_pool", "&pool=Nirgends", {}},
        SelCase{"scene", "&scenes=tango", {"TangoWorkshopBerlin"}},
        SelCase{"scene_id", "&scenes=2", {"SalsaKursBerlin", "SalsaPartyHamburg"}},
        SelCase{"two_scenes", "&scenes=tango+swing", {"TangoWorkshopBerlin", "SwingWien"}},
        SelCase{"lessons", "&categories=lesson", {"SalsaKursBerlin"}},
        SelCase{"lesson_event", "&categories=lesson+event", {"SalsaKursBerlin", "SalsaPartyHamburg", "SwingWien"}},
        SelCase{"workshops", "&categories=workshop", {"TangoWorkshopBerlin"}},
        SelCase{"city_any_case", "&city=Berlin", {"SalsaKursBerlin", "TangoWorkshopBerlin"}},
        SelCase{"zip_prefix", "&zip=1011", {"SalsaKursBerlin", "TangoWorkshopBerlin"}},
        SelCase{"country", "&country=A", {"SwingWien"}},
        SelCase{"events_in_city", "&categories=event&city=Hamburg", {"SalsaPartyHamburg"}},
        SelCase{"combined", "&pool=Latin&scenes=salsa&categories=lesson&country=D&zip=10115&city=Berlin",
                {"SalsaKursBerlin"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SelectionTest, UserAndOwnCalendars) {
    std::string demo = Login();
    std::string annaUser = Calendar(demo, "&type=user&userid=" + std::to_string(annaId_));
    EXPECT_EQ(Count(annaUser, "BEGIN:VEVENT"), 4u);  // the draft stays hidden from others
    EXPECT_EQ(annaUser.find("SalsaEntwurf"), std::string::npos);
    EXPECT_EQ(Count(Calendar(cookie_, "&type=my"), "BEGIN:VEVENT"), 5u);
    EXPECT_EQ(Count(Calendar(cookie_, "&type=user"), "BEGIN:VEVENT"), 5u);  // no user id: the own calendar
    EXPECT_EQ(Count(Calendar(cookie_, ""), "BEGIN:VEVENT"), 5u);           // no type: the own calendar
    Reply noLogin = Query("rpc_accept=file&rpc_method=V001_Event_GetCalendar&type=my");
    EXPECT_EQ(noLogin.retcode, -3);
    EXPECT_TRUE(noLogin.disposition.empty());
    Reply badType = Query("rpc_accept=file&rpc_method=V001_Event_GetCalendar&type=everything", "", demo);
    EXPECT_EQ(badType.retcode, -1);
    EXPECT_TRUE(badType.disposition.empty());
}

TEST_F(SelectionTest, CalendarIsOrderedByStart) {
    std::string cal = Calendar(cookie_, "&type=my");
    size_t a = cal.find("SalsaKursBerlin"), b = cal.find("SalsaPartyHamburg"), c = cal.find("SwingWien");
    ASSERT_NE(c, std::string::npos);
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
}

// ------------------------------------------------------------------ persons

std::string PersonRecord(const std::string& id, const std::string& cats, const std::string& fullname,
                         const std::string& more = "") {
    return "{\"perscat\":[" + cats + "],\"pers\":{\"id\":\"" + id + "\",\"fullname\":\"" + fullname + "\"" + more + "}}";
}

class PersonTest : public PortalTest {
protected:
    void SetUp() override {
        PortalTest::SetUp();
        cookie_ = Login();
    }
    int Save(const std::string& record, const std::string& category = "") {
        Reply r = Query("rpc_accept=json&rpc_method=V001_Person_Save" + (category.empty() ? "" : "&category=" + category),
                        "person=" + record, cookie_);
        EXPECT_EQ(r.retcode, 0) << r.body;
        return std::atoi(r.result().get("id").str().c_str());
    }
    Reply Read(const std::string& fields) { return Body("rpc_method=V001_Person_Read&rpc_accept=json" + fields, cookie_); }
    std::string cookie_;
};

TEST_F(PersonTest, SaveAndReadBack) {
    int id = Save(PersonRecord("0", "\"location\",\"organizer\"", "Tanz #38; Bar",
                               ",\"street\":\"Am \\\"Eck\\\" 1\",\"zip\":\"10115\",\"city\":\"Berlin\",\"country\":\"D\","
                               "\"email\":\"a@b\",\"phone\":\"1\",\"mobil\":\"2\",\"url\":\"http://x\",\"longitude\":\"13.4\","
                               "\"latitude\":\"52.5\",\"coordassign\":\"2\",\"text\":\"Zeile 1\r\nZeile 2\","
                               "\"rooms\":[\"Saal\",\"Studio\"]"));
    ASSERT_GT(id, 0);
    Reply r = Read("&persid=" + std::to_string(id));
    ASSERT_EQ(r.retcode, 0);
    const auto& p = r.result().get("person");
    EXPECT_EQ(p.get("id").str(), std::to_string(id));
    EXPECT_EQ(p.get("fullname").str(), "Tanz & Bar");
    EXPECT_EQ(p.get("street").str(), "Am \"Eck\" 1");
    EXPECT_EQ(p.get("coordassign").str(), "2");
    EXPECT_EQ(p.get("text").str(), "Zeile 1\r\nZeile 2");
    EXPECT_EQ(p.get("params").str(), "ROOM01=Saal\r\nROOM02=Studio\r\n");
    for (const char* m : {"firstname", "lastname", "nickname", "title", "mobil", "longitude", "latitude"})
        EXPECT_TRUE(p.get(m).isString()) << m;

    Reply cats = Body("rpc_method=V001_Person_GetCategories&rpc_accept=json&persid=" + std::to_string(id), cookie_);
    ASSERT_EQ(cats.retcode, 0);
    ASSERT_EQ(cats.result().get("table").items().size(), 2u);
    EXPECT_EQ(cats.result().get("table").items()[0].get("perscat").str(), "location");
    EXPECT_EQ(cats.result().get("table").items()[1].get("perscat").str(), "organizer");
}

TEST_F(PersonTest, ReadByFullNameInEitherEncoding) {
    int id = Save(PersonRecord("0", "\"dj\"", "DJ M\xC3\xBCller"));
    struct C {
        const char* fields;
        int code;
    } cases[] = {{"&fullname=DJ%20M%FCller", 0},      // single-byte text, URL-encoded
                 {"&fullname=DJ%20M%C3%BCller", 0},   // UTF-8
                 {"&fullname=DJ%20Meier", 100},
                 {"&persid=0&fullname=DJ%20M%FCller", 0},
                 {"&persid=424242", 100},
                 {"&persid=x", -1},
                 {"", -1}};
    for (const auto& c : cases) {
        Reply r = Read(c.fields);
        EXPECT_EQ(r.retcode, c.code) << c.fields;
        if (c.code == 0) {
            EXPECT_EQ(r.result().get("person").get("id").str(), std::to_string(id));
        }
    }
}

TEST_F(PersonTest, UpdateKeepsMembersNotSent) {
    int id = Save(PersonRecord("0", "\"location\"", "Club", ",\"street\":\"Weg 1\",\"zip\":\"1\",\"city\":\"C\""));
    EXPECT_EQ(Save(PersonRecord(std::to_string(id), "\"location\",\"guest\"", "Club Neu", ",\"zip\":\"2\"")), id);
    Reply read = Read("&persid=" + std::to_string(id));
    const auto& p = read.result().get("person");
    EXPECT_EQ(p.get("fullname").str(), "Club Neu");
    EXPECT_EQ(p.get("zip").str(), "2");
    EXPECT_EQ(p.get("street").str(), "Weg 1");
    EXPECT_EQ(Body("rpc_method=V001_Person_GetCategories&rpc_accept=json&persid=" + std::to_string(id), cookie_)
                  .result().get("table").items().size(),
              2u);
}

TEST_F(PersonTest, SameAddressIsNotDuplicated) {
    std::string rec = "{\"pers\":{\"id\":\"0\",\"fullname\":\"Halle\",\"street\":\"S\",\"zip\":\"10115\",\"city\":\"Berlin\","
                      "\"country\":\"D\"}}";
    int first = Save(rec, "location");
    int again = Save(rec, "organizer");
    EXPECT_EQ(first, again);
    EXPECT_EQ(Body("rpc_method=V001_Person_GetCategories&rpc_accept=json&persid=" + std::to_string(first), cookie_)
                  .result().get("table").items().size(),
              2u);
    EXPECT_NE(Save("{\"pers\":{\"id\":\"0\",\"fullname\":\"Halle\",\"zip\":\"20095\",\"city\":\"Hamburg\"}}", "location"),
              first);
}

TEST_F(PersonTest, SaveRejectsBadRecords) {
    struct C {
        const char* body;
        int code;
        const char* item;
    } cases[] = {{"", -1, "person"},
                 {"person={", -1, "person"},
                 {"person={\"perscat\":[]}", -1, "pers"},
                 {"person={\"pers\":{\"id\":\"0\",\"fullname\":\"\"}}", -1, "fullname"},
                 {"person={\"pers\":{\"id\":\"x\",\"fullname\":\"A\"}}", -1, "id"},
                 {"person={\"pers\":{\"id\":\"777\",\"fullname\":\"A\"}}", -4, "persid"}};
    for (const auto& c : cases) {
        Reply r = Query("rpc_accept=json&rpc_method=V001_Person_Save", c.body, cookie_);
        EXPECT_EQ(r.retcode, c.code) << c.body;
        EXPECT_EQ(r.json.get("error").items()[0].get("item").str(), c.item) << c.body;
    }
}

TEST_F(PersonTest, LargeRecordInFormBody) {
    std::string text(20000, 'x');  // larger than the usual form size limit
    int id = Save(PersonRecord("0", "\"guest\"", "Lang", ",\"text\":\"" + text + "\""));
    EXPECT_EQ(Read("&persid=" + std::to_string(id)).result().get("person").get("text").str(), text);
}

TEST_F(PersonTest, ListSortsAndFilters) {
    Save(PersonRecord("0", "\"location\"", "beta", ",\"city\":\"Hamburg\""));
    Save(PersonRecord("0", "\"location\"", "Alpha", ",\"city\":\"Berlin\""));
    Save(PersonRecord("0", "\"location\"", "Gamma", ",\"city\":\"Bernau\""));
    Save(PersonRecord("0", "\"dj\"", "DJ Zed"));
    auto names = [&](const std::string& fields) {
        Reply r = Body("rpc_method=V001_Person_GetList&rpc_accept=json" + fields, cookie_);
        std::vector<std::string> out;
        for (const auto& p : r.result().get("table").items()) out.push_back(p.get("fullname").str());
        return std::make_pair(r.retcode, out);
    };
    struct C {
        const char* fields;
        int code;
        std::vector<std::string> expected;
    } cases[] = {
        {"&category=LOCATION&field=fullname&value=&direction=ASC&region=", 0, {"Alpha", "beta", "Gamma"}},
        {"&category=LOCATION&field=fullname&value=&direction=desc&region=", 0, {"Gamma", "beta", "Alpha"}},
        {"&category=LOCATION&field=city&value=ber&direction=asc&region=", 0, {"Alpha", "Gamma"}},
        {"&category=LOCATION&field=city&value=BERL&direction=asc", 0, {"Alpha"}},
        {"&category=DJ&field=fullname&value=&direction=ASC", 0, {"DJ Zed"}},
        {"&category=GUEST&field=fullname&value=&direction=ASC", 100, {}},
        {"&category=LOCATION&field=fullname&value=zzz&direction=ASC", 100, {}},
        {"&category=BAND&field=fullname&value=&direction=ASC", -1, {}},
        {"&category=LOCATION&field=hash%20--&value=&direction=ASC", -1, {}},
        {"&category=LOCATION&field=fullname&value=&direction=sideways", -1, {}},
        {"&field=fullname", -1, {}},
    };
    for (const auto& c : cases) {
        auto got = names(c.fields);
        EXPECT_EQ(got.first, c.code) << c.fields;
        EXPECT_EQ(got.second, c.expected) << c.fields;
    }
}

TEST_F(PersonTest, PersonFiles) {
    int id = Save(PersonRecord("0", "\"location\"", "Mit Bild"));
    std::string ids = std::to_string(id);
    ASSERT_EQ(Upload("rpc_accept=json&rpc_method=V001_Person_SetFile&persid=" + ids, "logo.jpg", "JPEGDATA", cookie_,
                     "image/jpeg").retcode,
              0);
    struct C {
        const char* name;
        const char* served;
    } cases[] = {{"logo.jpg", "logo.jpg"}, {"logo", "logo.jpg"}};  // the client asks by frame name too
    for (const auto& c : cases) {
        Reply r = Body("rpc_method=V001_Person_GetFile&rpc_accept=file&persid=" + ids + "&filename=" + c.name, cookie_);
        EXPECT_EQ(r.disposition, std::string("attachment; filename=\"") + c.served + "\"") << c.name;
        EXPECT_EQ(r.body, "JPEGDATA");
    }
    Reply none = Body("rpc_method=V001_Person_GetFile&rpc_accept=file&persid=" + ids + "&filename=portrait", cookie_);
    EXPECT_TRUE(none.disposition.empty());
    EXPECT_EQ(Body("rpc_method=V001_Person_DeleteFile&rpc_accept=json&persid=" + ids + "&filename=logo.jpg", cookie_).retcode, 0);
    EXPECT_TRUE(Body("rpc_method=V001_Person_GetFile&rpc_accept=file&persid=" + ids + "&filename=logo", cookie_)
                    .disposition.empty());
    EXPECT_EQ(Upload("rpc_accept=json&rpc_method=V001_Person_SetFile&persid=9999", "logo.jpg", "J", cookie_).retcode, -4);
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_Person_SetFile&persid=" + ids, "", cookie_).retcode, -1);
}

// ------------------------------------------------------------------ persistence

TEST_F(PortalTest, DataSurvivesRestart) {
    std::string cookie = Login();
    int id = UploadEvent(cookie, EventText("keep", "Bleibt", "20260105T200000"));
    ASSERT_EQ(Upload("rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=" + std::to_string(id), "f.pdf", "PDF", cookie).retcode,
              0);
    StopServer();
    StartServer();
    // The session is kept as well, so a running client need not log in again.
    std::string cal = Calendar(cookie, "&type=my");
    EXPECT_NE(cal.find("SUMMARY:Bleibt"), std::string::npos);
    EXPECT_NE(cal.find("X-ORV-EVENTID:" + std::to_string(id)), std::string::npos);
    EXPECT_EQ(Body("rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=" + std::to_string(id) + "&filename=f.pdf", cookie).body,
              "PDF");
    Login();
}

TEST_F(PortalTest, DemoSeedIsIdempotent) {
    service_->SeedDemo();
    std::string cookie = Login();
    std::string first = Calendar(cookie, "&type=my");
    service_->SeedDemo();
    EXPECT_EQ(Calendar(cookie, "&type=my"), first);
    EXPECT_GE(Count(first, "BEGIN:VEVENT"), 8u);
    EXPECT_NE(first.find("RRULE:"), std::string::npos);
    EXPECT_NE(first.find("X-ORV-HIGHLIGHTS:2"), std::string::npos);
    EXPECT_NE(first.find("X-ORV-PUBLISH:STATE=0"), std::string::npos);
    EXPECT_NE(first.find("X-ORV-PUBLISH:STATE=1"), std::string::npos);
    EXPECT_NE(first.find("X-ORV-DJ:"), std::string::npos);
    Reply q = Body("rpc_method=V001_User_GetBackendQueries&rpc_accept=json&userid=0", cookie);
    EXPECT_EQ(q.result().get("querylist").items().size(), 2u);
    Reply list = Body("rpc_method=V001_Person_GetList&rpc_accept=json&category=LOCATION&field=fullname&value=&direction=ASC",
                      cookie);
    EXPECT_EQ(list.result().get("table").items().size(), 3u);
}

}  // namespace
