// The client against the local portal service (orvportal) started on a
// free loopback port for each test.
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "ClientFixture.h"
#include "platform/OrvEvent.h"
#include "portal/OrvPortalSession.h"

namespace {

// No half-written download is left behind in dir.
bool NoTemporaries(const std::string& dir)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        if (entry.path().filename().string().rfind(".orv-download-", 0) == 0) return false;
    return true;
}

class PortalIntegration : public ClientFixture {
protected:
    void SetUp() override
    {
        ClientFixture::SetUp();
        if (testing::Test::IsSkipped() || HasFatalFailure()) return;
        // These tests switch the service's faults.
        Start({"--test-faults"});
    }
    void TearDown() override
    {
        service_.reset();
        portal_.reset();
        ClientFixture::TearDown();
    }
    void Start(const std::vector<std::string>& extra)
    {
        service_.reset();
        portal_.reset();
        portal_ = std::make_unique<orvtest::PortalProcess>(dir_ + "/portal.db", extra);
        ASSERT_GT(portal_->Port(), 0) << "orvportal did not start";
        MakeService(portal_->Host());
    }
    OrvWebServiceJoomla& S() { return *service_; }

    std::unique_ptr<orvtest::PortalProcess> portal_;
};

TEST_F(PortalIntegration, LoginRightAndWrongPassword)
{
    EXPECT_EQ(S().Login("demo", "Geheimnis99", 0), -101);
    EXPECT_EQ(S().ReturnCode(), -101);
    EXPECT_EQ(LastLog(), "Antwort|-101|" + S().Message());
    EXPECT_FALSE(S().Message().empty());
    EXPECT_EQ(config_->GetClientState(), 0);

    EXPECT_EQ(S().Login("demo", "demo", 1), 0);
    EXPECT_EQ(LastLog(), "Antwort|0|OK");
    EXPECT_EQ(config_->GetClientState(), 1);  // the demo user's state
    EXPECT_NE(S().HeaderSetCookie().find("orvsession="), std::string::npos);
    EXPECT_EQ(S().GetError(nullptr, nullptr, nullptr, nullptr), 100);

    auto log = Log();
    for (const auto& l : log) EXPECT_EQ(l.find("Geheimnis99"), std::string::npos) << l;
    EXPECT_EQ(log[0], "Status|0|Der Zugriff auf das Internet wird initialisiert");
    EXPECT_EQ(log[1], "Status|0|Die Verbindung zu Domain '" + portal_->Host() + "' wird hergestellt");
}

TEST_F(PortalIntegration, TheSessionCookieCarriesTheLogin)
{
    json::Array users;
    // Not logged in: the unevaluated call reports 0 with no users.
    EXPECT_EQ(S().UserList(users), 0);
    EXPECT_TRUE(users.Empty());

    ASSERT_EQ(S().Login("demo", "demo", 0), 0);
    EXPECT_EQ(S().UserList(users), 0);
    bool demo = false;
    for (const auto& u : users)
        if (static_cast<const json::String&>(u["username"]).Value() == "demo") demo = true;
    EXPECT_TRUE(demo);

    // A renewal with the stored values keeps working.
    EXPECT_EQ(S().Login(), 0);

    // Logout ends the portal session.
    EXPECT_EQ(S().Logout(), 0);
    json::Array after;
    EXPECT_EQ(S().UserList(after), 0);
    EXPECT_TRUE(after.Empty());

    // New handles: no cookies, a fresh log.
    ASSERT_EQ(S().Login(), 0);
    S().CloseHandles();
    EXPECT_EQ(S().UserList(after), 0);
    EXPECT_TRUE(after.Empty());
    EXPECT_EQ(Log().size(), 4u);
}

TEST_F(PortalIntegration, PortalQueriesRoundTrip)
{
    ASSERT_EQ(S().Login("demo", "demo", 0), 0);
    json::Array seeded;
    EXPECT_EQ(S().UserGetBackendQueries(0, seeded), 0);

    const std::string list = "[{\"name\":\"Salsa & Bachata in Berlin\",\"type\":\"3\",\"city\":\"Berlin\","
                             "\"scenes\":\"salsa+bachata\",\"discount\":\"10%\"}]";
    EXPECT_EQ(S().UserSetBackendQueries(0, list), 0);
    json::Array back;
    EXPECT_EQ(S().UserGetBackendQueries(0, back), 0);
    ASSERT_EQ(back.Size(), 1u);
    EXPECT_EQ(static_cast<const json::String&>(back[0]["name"]).Value(), "Salsa & Bachata in Berlin");
    EXPECT_EQ(static_cast<const json::String&>(back[0]["scenes"]).Value(), "salsa+bachata");
    EXPECT_EQ(static_cast<const json::String&>(back[0]["discount"]).Value(), "10%");

    // Another user's queries are refused with the portal's code.
    json::Array other;
    int rc = S().UserGetBackendQueries(99999, other);
    EXPECT_NE(rc, 0);
    EXPECT_EQ(LastLog(), "Antwort|" + std::to_string(rc) + "|" + S().Message());
}

TEST_F(PortalIntegration, ApplicationConfigFillsThePortalConfiguration)
{
    ASSERT_EQ(S().Login("demo", "demo", 0), 0);
    EXPECT_EQ(OrvRefreshPortalConfig(S(), *config_), 0);
    const json::Object& cfg = config_->PortalConfig();
    const json::Array& pools = cfg["pools"];
    ASSERT_FALSE(pools.Empty());
    const json::Object& pool = pools[0];
    std::string name = static_cast<const json::String&>(pool["name"]).Value();
    int id = OrvWebServiceJoomla::IntegerOf(pool["id"]);
    EXPECT_GT(id, 0);
    EXPECT_EQ(std::string(config_->GetPoolName(id)), name);
    EXPECT_GT(config_->GetSceneID("salsa"), 0);
    EXPECT_FALSE(static_cast<const json::Array&>(cfg["edit_categories"]).Empty());
}

TEST_F(PortalIntegration, RegisterNewAndExistingUser)
{
    bool blocked = true;
    const std::string user = "{\"name\":\"Neu\",\"username\":\"neu\",\"email\":\"neu@localhost\","
                             "\"password\":\"p&w+1\",\"password2\":\"p&w+1\"}";
    EXPECT_EQ(S().Register(user, blocked), 0);
    EXPECT_FALSE(blocked);
    // The password with "&" and "+" arrived intact.
    EXPECT_EQ(S().Login("neu", "p&w+1", 0), 0);
    bool again = false;
    EXPECT_EQ(S().Register(user, again), -110);
    EXPECT_FALSE(again);
}

TEST_F(PortalIntegration, GeoDetectLocationFillsTheMissingValues)
{
    // The seeded address book knows Hamburg's zip.
    std::string country, zip = "20095", city;
    EXPECT_EQ(S().GeoDetectLocation(country, zip, city), 0);
    EXPECT_EQ(zip, "20095");
    EXPECT_EQ(city, "Hamburg");
    EXPECT_FALSE(country.empty());

    // Unknown place: the portal's code, the values stay as given.
    std::string c2, z2 = "00000", t2 = "Nirgendwo";
    int rc = S().GeoDetectLocation(c2, z2, t2);
    EXPECT_NE(rc, 0);
    EXPECT_EQ(z2, "00000");
    EXPECT_EQ(t2, "Nirgendwo");
    EXPECT_TRUE(c2.empty());
}

TEST_F(PortalIntegration, NoUpdateOffered)
{
    std::string history, version;
    EXPECT_EQ(S().CheckUpdate(history, version), 100);
    EXPECT_EQ(LastLog(), "Antwort|100|OK - Keine Updates vorhanden");
    EXPECT_TRUE(history.empty());
    EXPECT_TRUE(version.empty());

    bool dialog = false;
    OrvUpdateHooks hooks;
    hooks.showDialog = [&dialog](const std::string&, const std::string&, int&, std::string&) {
        dialog = true;
        return ZAF_DIALOG_OK;
    };
    OrvSetupProgram setup;
    EXPECT_EQ(OrvUpdateCheck(S(), hooks, setup), 100);
    EXPECT_FALSE(dialog);
    EXPECT_TRUE(setup.path.empty());
}

class PortalUpdate : public PortalIntegration {
protected:
    void SetUp() override
    {
        ClientFixture::SetUp();
        marker_ = dir_ + "/setup-ran";
        script_ = "#!/bin/sh\necho ran > '" + marker_ + "'\n";
        orvtest::WriteFile(dir_ + "/offer.sh", script_);
        Offer({});
    }
    void Offer(const std::vector<std::string>& extra)
    {
        std::vector<std::string> args = {"--test-faults", "--update-version", "1.0.12", "--update-file",
                                         dir_ + "/offer.sh", "--update-history", "Neu: Wiederholungen"};
        args.insert(args.end(), extra.begin(), extra.end());
        Start(args);
    }
    // The main window's check with a dialog that downloads at once.
    int Check(OrvSetupProgram& setup, bool* ended = nullptr)
    {
        OrvUpdateHooks hooks;
        hooks.renewLogin = [this] { return S().Login("demo", "demo", 0); };
        hooks.showDialog = [&](const std::string& v, const std::string&, int& state, std::string& path) {
            return OrvUpdateDownload(S(), v, state, path) == 0 && state == ORV_UPDATE_DOWNLOADED ? ZAF_DIALOG_OK : 0;
        };
        hooks.endProgram = [ended] {
            if (ended) *ended = true;
        };
        return OrvUpdateCheck(S(), hooks, setup);
    }
    bool Ran()
    {
        for (int i = 0; i < 100 && !std::filesystem::exists(marker_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return orvtest::ReadFile(marker_) == "ran\n";
    }
    std::string marker_, script_;
};

struct ExitRun {
    int result = 0;
    int questions = 0;
    std::string asked;  // "name|size|sha256"
    std::vector<std::pair<std::string, OrvSetupVerdict>> told;
};

ExitRun FinishAtExit(const OrvSetupProgram& setup, bool answer)
{
    ExitRun run;
    OrvSetupHooks hooks;
    hooks.confirm = [&run, answer](const std::string& name, uint64_t size, const std::string& sha) {
        ++run.questions;
        run.asked = name + "|" + std::to_string(size) + "|" + sha;
        return answer;
    };
    hooks.tell = [&run](const std::string& path, OrvSetupVerdict why) { run.told.emplace_back(path, why); };
    run.result = OrvFinishUpdate(setup, hooks);
    return run;
}

TEST_F(PortalUpdate, CheckDownloadAndStartAtExitOnlyAfterConfirmation)
{
    std::string history, version;
    ASSERT_EQ(S().CheckUpdate(history, version), 0);
    EXPECT_EQ(version, "1.0.12");
    EXPECT_EQ(history, "Neu: Wiederholungen");

    bool ended = false;
    OrvSetupProgram setup;
    EXPECT_EQ(Check(setup, &ended), 0);
    EXPECT_TRUE(ended);
    const std::string expected = std::string(config_->GetUpdateDirectory()) + "/OrvCalendar_1.0.12_setup.exe";
    EXPECT_EQ(setup.path, expected);
    EXPECT_EQ(orvtest::ReadFile(setup.path), script_);
    EXPECT_EQ(setup.announced, "OrvCalendar_1.0.12_setup.exe");
    EXPECT_TRUE(setup.trustedOrigin);  // the service runs on loopback
    EXPECT_EQ(setup.size, script_.size());
    uint64_t size = 0;
    EXPECT_EQ(setup.sha256, OrvFileSHA256(setup.path, &size));
    EXPECT_EQ(setup.sha256.size(), 64u);
    EXPECT_EQ(OrvCheckSetupProgram(setup), ORV_SETUP_MAY_START);

    // Declined at exit: nothing runs, the user learns where the file is.
    ExitRun no = FinishAtExit(setup, false);
    EXPECT_EQ(no.result, ORV_SETUP_DECLINED);
    EXPECT_EQ(no.questions, 1);
    EXPECT_EQ(no.asked, "OrvCalendar_1.0.12_setup.exe|" + std::to_string(script_.size()) + "|" + setup.sha256);
    ASSERT_EQ(no.told.size(), 1u);
    EXPECT_EQ(no.told[0].first, expected);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(std::filesystem::exists(marker_));
    EXPECT_TRUE(std::filesystem::exists(expected));

    // Confirmed: exactly that file is started.
    ExitRun yes = FinishAtExit(setup, true);
    EXPECT_EQ(yes.result, 0);
    EXPECT_TRUE(yes.told.empty());
    EXPECT_TRUE(Ran());

    EXPECT_EQ(FinishAtExit(OrvSetupProgram{}, true).result, 100);
}

// Each reason not to start keeps the file and says so; no question is asked.
TEST_F(PortalUpdate, ExitRefusesWhatFailsTheChecks)
{
    OrvSetupProgram good;
    ASSERT_EQ(Check(good), 0);
    ASSERT_EQ(OrvCheckSetupProgram(good), ORV_SETUP_MAY_START);
    struct Case {
        const char* what;
        std::function<void(OrvSetupProgram&)> spoil;
        OrvSetupVerdict verdict;
    };
    const Case cases[] = {
        {"plain http from another machine", [](OrvSetupProgram& s) { s.trustedOrigin = false; }, ORV_SETUP_UNTRUSTED},
        {"another version's name", [](OrvSetupProgram& s) { s.announced = "OrvCalendar_1.0.13_setup.exe"; },
         ORV_SETUP_NOT_ANNOUNCED},
        {"hash unknown", [](OrvSetupProgram& s) { s.sha256.clear(); }, ORV_SETUP_CHANGED},
        {"file gone", [this](OrvSetupProgram& s) { s.path = dir_ + "/elsewhere/OrvCalendar_1.0.12_setup.exe"; },
         ORV_SETUP_CHANGED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OrvSetupProgram setup = good;
        c.spoil(setup);
        ExitRun run = FinishAtExit(setup, true);
        EXPECT_EQ(run.result, c.verdict);
        EXPECT_EQ(run.questions, 0);
        ASSERT_EQ(run.told.size(), 1u);
        EXPECT_EQ(run.told[0].second, c.verdict);
    }
    // Bytes changed after the download (same length).
    std::string changed = script_;
    changed[changed.size() - 2] = 'X';
    orvtest::WriteFile(good.path, changed);
    ExitRun run = FinishAtExit(good, true);
    EXPECT_EQ(run.result, ORV_SETUP_CHANGED);
    EXPECT_EQ(run.questions, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(std::filesystem::exists(marker_));
}

// The portal names another file than the announced set-up program: it is
// stored in "Update" but never started, even when the user would say yes.
TEST_F(PortalUpdate, ScriptUnderAnotherNameIsKeptNotStarted)
{
    Offer({"--update-name", "not_a_setup.sh"});
    OrvSetupProgram setup;
    ASSERT_EQ(Check(setup), 0);
    EXPECT_EQ(setup.path, std::string(config_->GetUpdateDirectory()) + "/not_a_setup.sh");
    EXPECT_EQ(orvtest::ReadFile(setup.path), script_);
    ExitRun run = FinishAtExit(setup, true);
    EXPECT_EQ(run.result, ORV_SETUP_NOT_ANNOUNCED);
    EXPECT_EQ(run.questions, 0);
    ASSERT_EQ(run.told.size(), 1u);
    EXPECT_EQ(run.told[0].first, setup.path);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(std::filesystem::exists(marker_));
    struct stat st {};
    ASSERT_EQ(::stat(setup.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0111, 0u);  // not even made executable
}

TEST(UpdateOrigin, OnlyVerifiedHttpsOrLoopbackIsTrusted)
{
    struct Case {
        const char* scheme;
        const char* address;
        bool verified;
        bool trusted;
    };
    const Case cases[] = {
        {"http", "127.0.0.1", false, true},     {"http", "127.8.9.10", false, true},
        {"http", "::1", false, true},           {"http", "::ffff:127.0.0.1", false, true},
        {"http", "192.0.2.7", false, false},    {"http", "2001:db8::1", false, false},
        {"https", "192.0.2.7", true, true},     {"https", "192.0.2.7", false, false},
        {"http", "192.0.2.7", true, false},     {"http", "", false, false},
        {"http", "128.0.0.1", false, false},    {"http", "127.0.0.1.5", false, false},
        {"http", "1127.0.0.1", false, false},   {"http", "::2", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.scheme) + " " + c.address + (c.verified ? " verified" : ""));
        OrvReplyOrigin origin;
        origin.scheme = c.scheme;
        origin.peerAddress = c.address;
        origin.certificateVerified = c.verified;
        EXPECT_EQ(OrvTrustedOrigin(origin), c.trusted);
    }
}

TEST_F(PortalUpdate, DeclinedDialogAndFailedDownload)
{
    OrvUpdateHooks hooks;
    bool ended = false;
    hooks.endProgram = [&ended] { ended = true; };
    hooks.showDialog = [](const std::string&, const std::string&, int&, std::string&) { return ZAF_DIALOG_CLOSE; };
    OrvSetupProgram setup;
    EXPECT_EQ(OrvUpdateCheck(S(), hooks, setup), 100);
    EXPECT_FALSE(ended);
    EXPECT_TRUE(setup.path.empty());

    // A version the portal does not offer: no file, state unchanged.
    int state = 0;
    std::string path = "unchanged";
    ASSERT_TRUE(portal_->SetFault("drop=0:V001_Application_DownloadUpdate"));
    EXPECT_EQ(OrvUpdateDownload(S(), "1.0.12", state, path), -1);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(path, "unchanged");

    // An error page that still names a file is not stored as the installer.
    ASSERT_TRUE(portal_->SetFault("status500:V001_Application_DownloadUpdate"));
    EXPECT_EQ(OrvUpdateDownload(S(), "1.0.12", state, path), -1);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(path, "unchanged");
    EXPECT_FALSE(std::filesystem::exists(std::string(config_->GetUpdateDirectory()) + "/OrvCalendar_1.0.12_setup.exe"));

    // A reply without attachment: result 0, nothing written, empty path.
    ASSERT_TRUE(portal_->SetFault("noattach"));
    EXPECT_EQ(OrvUpdateDownload(S(), "1.0.12", state, path), 0);
    EXPECT_EQ(state, ORV_UPDATE_DOWNLOADED);
    EXPECT_EQ(path, "");
    EXPECT_FALSE(std::filesystem::exists(std::string(config_->GetUpdateDirectory()) + "/OrvCalendar_1.0.12_setup.exe"));
    EXPECT_TRUE(NoTemporaries(config_->GetUpdateDirectory()));
    EXPECT_EQ(FinishAtExit(OrvSetupFromDownload(S(), "1.0.12", path), true).result, 100);
}

// --- the start-up login sequence -------------------------------------------------------

struct SequenceRun {
    int result = 0;
    int dialogs = 0;
    bool dialogBlocked = false;
    int updateChecks = 0;
    std::vector<int> posted;
};

class LoginSequence : public PortalIntegration {
protected:
    SequenceRun Run(int dialogResult, bool askRegister)
    {
        SequenceRun run;
        OrvLoginSequenceHooks hooks;
        hooks.loginDialog = [&, dialogResult, askRegister](bool blocked, bool& reg) {
            ++run.dialogs;
            run.dialogBlocked = blocked;
            reg = askRegister;
            if (dialogResult == ZAF_DIALOG_OK) {
                EXPECT_EQ(S().Login("demo", "demo", 1), 0);
            }
            return dialogResult;
        };
        hooks.updateCheck = [&] {
            ++run.updateChecks;
            return 100;
        };
        hooks.post = [&](int e) { run.posted.push_back(e); };
        run.result = OrvRunLoginSequence(S(), *config_, hooks);
        return run;
    }
    void Store(const char* user, const char* password, const char* blocked, const char* updates)
    {
        config_->SetValue(ORVCFG_USERNAME, user);
        config_->SetValue(ORVCFG_PASSWORD, password);
        config_->SetValue(ORVCFG_REMEMBERPASSWORD, "1");
        config_->SetValue(ORVCFG_BLOCKED, blocked);
        config_->SetValue(ORVCFG_CHECKFORUPDATESONSTART, updates);
    }
};

TEST_F(LoginSequence, SilentLoginThenConfigurationAndCalendar)
{
    Store("demo", "demo", "0", "0");
    SequenceRun run = Run(0, false);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.dialogs, 0);
    EXPECT_EQ(run.updateChecks, 0);  // "CheckForUpdatesOnStart" cleared: no check
    EXPECT_EQ(run.posted, (std::vector<int>{ORV_EVENT_DOWNLOAD_CALENDAR}));
    EXPECT_FALSE(static_cast<const json::Array&>(config_->PortalConfig()["pools"]).Empty());
    for (const auto& l : Log()) EXPECT_EQ(l.find("CheckUpdate"), std::string::npos) << l;
}

TEST_F(LoginSequence, Cases)
{
    struct {
        const char* name;
        const char *user, *password, *blocked, *updates;
        int dialogResult;
        bool askRegister;
        int result, dialogs;
        bool dialogBlocked;
        int updateChecks;
        std::vector<int> posted;
    } cases[] = {
        {"update check when configured", "demo", "demo", "0", "1", 0, false, 0, 0, false, 1,
         {ORV_EVENT_DOWNLOAD_CALENDAR}},
        {"blocked flag always shows the dialog", "demo", "demo", "1", "0", ZAF_DIALOG_OK, false, 0, 1, true, 0,
         {ORV_EVENT_DOWNLOAD_CALENDAR}},
        {"wrong stored password", "demo", "nope", "0", "0", ZAF_DIALOG_OK, false, 0, 1, false, 0,
         {ORV_EVENT_DOWNLOAD_CALENDAR}},
        {"no stored values, cancelled", "", "", "0", "1", ZAF_DIALOG_CLOSE, false, 100, 1, false, 0,
         {ORV_EVENT_CLOSE_APPLICATION}},
        {"cancelled to register", "", "", "0", "1", ZAF_DIALOG_CLOSE, true, 100, 1, false, 0,
         {ORV_EVENT_REGISTER_USER}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service_->CloseHandles();
        Store(c.user, c.password, c.blocked, c.updates);
        SequenceRun run = Run(c.dialogResult, c.askRegister);
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.dialogs, c.dialogs);
        EXPECT_EQ(run.dialogBlocked, c.dialogBlocked);
        EXPECT_EQ(run.updateChecks, c.updateChecks);
        EXPECT_EQ(run.posted, c.posted);
    }
}

TEST_F(LoginSequence, BlockedAccountIsPassedToTheDialog)
{
    ASSERT_TRUE(portal_->SetFault("retcode=-109:V001_User_Login"));
    Store("demo", "demo", "0", "0");
    SequenceRun run = Run(ZAF_DIALOG_CLOSE, false);
    EXPECT_EQ(run.dialogs, 1);
    EXPECT_TRUE(run.dialogBlocked);
    EXPECT_EQ(run.result, 100);
}

// --- broken replies ---------------------------------------------------------------------

TEST_F(PortalIntegration, BrokenRepliesFailCleanlyAndTheClientRecovers)
{
    S().SetTimeouts(2, 1);
    struct {
        const char* fault;
        const char* row;  // start of the last row
        bool window;      // reply text shown as "ERROR"
    } cases[] = {
        {"badjson", "Fehler|-1|Die Antwort des Servers ist kein gültiges JSON", false},
        {"html", "Fehler|-1|Server antwortet nicht mit 'content-type: application/json'", true},
        {"truncate", "Fehler|-1|Die Antwort des Servers ist kein gültiges JSON", false},
        {"empty", "Fehler|-1|Server antwortet nicht mit 'content-type: application/json'", true},
        {"status500", "Fehler|-1|Server antwortet nicht mit 'content-type: application/json'", true},
        {"drop=0", "Fehler|-1|Die Antwort des Servers ist unvollständig", false},
        {"drop=20", "Fehler|-1|Die Antwort des Servers ist unvollständig", false},
        {"delayms=2500", "Fehler|-1|Der Server antwortet nicht", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_TRUE(portal_->SetFault(std::string(c.fault) + ":V001_User_Login"));
        shown_.clear();
        config_->SetClientState(4);
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(S().Login("demo", "demo", 0), -1);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(S().ReturnCode(), -1);
        std::string last = LastLog();
        EXPECT_EQ(last.rfind(c.row, 0), 0u) << last;
        EXPECT_EQ(shown_.size(), c.window ? 1u : 0u);
        EXPECT_EQ(config_->GetClientState(), 4);  // no completed request, nothing replaced
        // Other methods are not affected, and the handle stays usable.
        std::string h, v;
        EXPECT_EQ(S().CheckUpdate(h, v), 100);
    }
    ASSERT_TRUE(portal_->SetFault("none"));
    EXPECT_EQ(S().Login("demo", "demo", 0), 0);
    EXPECT_EQ(config_->GetClientState(), 1);
}

TEST_F(PortalIntegration, LargeReplyIsReadWhole)
{
    ASSERT_TRUE(portal_->SetFault("huge=4:V001_User_Logout"));
    EXPECT_EQ(S().Logout(), 0);
    EXPECT_EQ(LastLog(), "Antwort|0|OK");
    EXPECT_GT(std::strtoull(S().HeaderContentLength().c_str(), nullptr, 10), 4ull * 1024 * 1024);
}

}  // namespace
