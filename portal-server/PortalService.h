// The portal's remote methods, independent of the HTTP layer: one request
// of named fields (plus an optional uploaded file) in, one reply out.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "MiniJson.h"
#include "PortalDb.h"

namespace orvportal {

// Return codes of the portal's JSON replies.
enum RetCode : int {
    kOk = 0,
    kNothing = 100,          // nothing to report (no update, no data)
    kBadRequest = -1,        // a field is missing or malformed
    kUnknownMethod = -2,
    kNotLoggedIn = -3,
    kNotFound = -4,
    kForbidden = -5,
    kNotPublished = -6,
    kServerError = -7,
    kLoginFailed = -101,
    kBlocked = -109,
    kUserExists = -110,
    kTooManyAttempts = -111,  // login refused for a while after repeated failures
};

struct UploadPart {
    bool present = false;
    std::string field, filename, contentType, data;
};

struct RpcRequest {
    // Query fields first, then body fields; the first occurrence of a name wins.
    std::vector<std::pair<std::string, std::string>> fields;
    std::string session;  // value of the session cookie, if any
    std::string peer;     // the client's address (login throttling)
    UploadPart file;

    bool has(const std::string& name) const;
    std::string get(const std::string& name) const;
    void add(std::string name, std::string value) { fields.emplace_back(std::move(name), std::move(value)); }
};

struct RpcReply {
    int httpStatus = 200;
    std::string contentType = "application/json";
    std::string body;
    std::string attachment;   // file name for Content-Disposition, empty for none
    std::string setSession;   // new session token to hand out as cookie
    bool clearSession = false;
    int retcode = 0;          // for JSON replies, the code sent
    std::string method;       // the method that was called, empty when none
};

struct UpdateOffer {
    std::string application = "OrvCalendar";
    std::string version;
    std::string history;
    std::string filename;  // empty: <application>_<version>_setup.exe
    std::string data;
};

class PortalService {
public:
    explicit PortalService(const std::string& dbPath);
    ~PortalService();

    RpcReply Handle(const RpcRequest& req);

    // Fills demo data once; later calls change nothing.
    void SeedDemo();
    void SetUpdateOffer(const UpdateOffer& offer);
    void ClearUpdateOffers();
    void SetBlockNewUsers(bool on) { blockNewUsers_ = on; }

    // Failed logins: after maxPerUser failures for one user name, or
    // maxPerAddress from one address, within windowSeconds, further logins
    // there are refused (kTooManyAttempts) until the oldest failure is
    // older than the window.
    struct LoginThrottle {
        int maxPerUser = 5;
        int maxPerAddress = 30;
        int64_t windowSeconds = 300;
    };
    void SetLoginThrottle(const LoginThrottle& t);
    // A session ends idleSeconds after its last request, and maxSeconds
    // after its login in any case.
    struct SessionLimits {
        int64_t idleSeconds = 8 * 3600;
        int64_t maxSeconds = 24 * 3600;
    };
    void SetSessionLimits(const SessionLimits& l);
    // Seconds since the epoch; tests move it instead of waiting.
    void SetClock(std::function<int64_t()> clock);

    // Creates a user directly (for seeding and tests); returns its id.
    int CreateUser(const std::string& username, const std::string& password, const std::string& name,
                   const std::string& email, bool blocked, int clientState);

    // The names of every remote method the service answers.
    static std::vector<std::string> MethodNames();

private:
    struct Ctx;
    using Handler = RpcReply (PortalService::*)(Ctx&);
    struct MethodEntry {
        const char* name;
        Handler handler;
        bool needsLogin;
    };
    static const std::vector<MethodEntry>& Methods();

    void CreateSchema();
    int64_t Now() const;
    int SessionUser(const std::string& token);
    std::string NewSession(int userId);
    // Forgets failures older than the window; true when key is at max.
    bool Throttled(std::map<std::string, std::deque<int64_t>>& book, const std::string& key, int max);
    bool EventOwnedBy(int eventId, int userId, RpcReply& fail);
    bool PersonOwnedBy(int personId, int userId, RpcReply& fail);
    int InsertEventText(int owner, const std::string& text, int forcedId, std::string& error);

    RpcReply UserLogin(Ctx&);
    RpcReply UserLogout(Ctx&);
    RpcReply UserList(Ctx&);
    RpcReply UserRegister(Ctx&);
    RpcReply UserSetCategories(Ctx&);
    RpcReply UserSetBackendQueries(Ctx&);
    RpcReply UserGetBackendQueries(Ctx&);
    RpcReply ApplicationGetConfig(Ctx&);
    RpcReply ApplicationCheckUpdate(Ctx&);
    RpcReply ApplicationDownloadUpdate(Ctx&);
    RpcReply GeoDetectLocation(Ctx&);
    RpcReply EventUploadEvent(Ctx&);
    RpcReply EventDelete(Ctx&);
    RpcReply EventGetCalendar(Ctx&);
    RpcReply EventSetFile(Ctx&);
    RpcReply EventGetFile(Ctx&);
    RpcReply EventDeleteFile(Ctx&);
    RpcReply FacebookSetEvent(Ctx&);
    RpcReply EventSetValue(Ctx&);
    RpcReply EventSetHighlight(Ctx&);
    RpcReply EventSetUser(Ctx&);
    RpcReply PersonSave(Ctx&);
    RpcReply PersonRead(Ctx&);
    RpcReply PersonGetCategories(Ctx&);
    RpcReply PersonGetList(Ctx&);
    RpcReply PersonSetFile(Ctx&);
    RpcReply PersonGetFile(Ctx&);
    RpcReply PersonDeleteFile(Ctx&);

    std::mutex mutex_;
    std::unique_ptr<Db> db_;
    bool blockNewUsers_ = false;
    LoginThrottle throttle_;
    SessionLimits sessionLimits_;
    std::function<int64_t()> clock_;
    std::map<std::string, std::deque<int64_t>> failedByUser_, failedByAddress_;
};

// Helpers shared with the HTTP layer and the tests.
std::string PercentDecode(const std::string& s);  // "+" stays a plus sign
// Valid UTF-8 is kept; anything else is read as Windows-1252.
std::string EnsureUtf8(const std::string& s);
// Splits "a=1&b=2" into decoded pairs.
std::vector<std::pair<std::string, std::string>> ParseFormText(const std::string& text);
// Compares dotted version numbers numerically; <0, 0, >0.
int CompareVersions(const std::string& a, const std::string& b);
std::string HashPassword(const std::string& password, const std::string& saltHex);
std::string RandomHex(size_t bytes);

}  // namespace orvportal
