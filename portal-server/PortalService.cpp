#include "PortalService.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <set>

#include "IcsEvent.h"

namespace orvportal {

// ---------------------------------------------------------------- helpers

bool RpcRequest::has(const std::string& name) const {
    for (const auto& f : fields)
        if (f.first == name) return true;
    return false;
}

std::string RpcRequest::get(const std::string& name) const {
    for (const auto& f : fields)
        if (f.first == name) return f.second;
    return {};
}

std::string PercentDecode(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            int h = hex(s[i + 1]), l = hex(s[i + 2]);
            if (h >= 0 && l >= 0) {
                out += static_cast<char>(h * 16 + l);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

namespace {

bool IsValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 99;
        if (n == 99 || (n == 1 && c < 0xC2)) return false;
        if (i + n >= s.size() && n > 0) return false;
        for (size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

void AppendCodePoint(std::string& out, unsigned cp) {
    if (cp < 0x80) out += static_cast<char>(cp);
    else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

int ToInt(const std::string& s, bool* ok = nullptr) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    bool good = !s.empty() && end && *end == '\0' && v >= -2147483647L && v <= 2147483647L;
    if (ok) *ok = good;
    return good ? static_cast<int>(v) : 0;
}

std::string NowText() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%dT%H%M%S", &tm);
    return buf;
}

CalTime Horizon() {
    CalTime now = CalTime::Parse(NowText());
    now.year += 2;
    if (now.month == 2 && now.day == 29) now.day = 28;
    return now;
}

JsonValue Envelope(int code, const std::string& message) {
    JsonValue o = JsonValue::Object();
    o.set("retcode", std::to_string(code));
    o.set("message", message);
    o.set("error", JsonValue::Array());
    return o;
}

RpcReply JsonReply(const JsonValue& v, int code) {
    RpcReply r;
    r.body = v.dump();
    r.retcode = code;
    return r;
}

RpcReply Ok(JsonValue result = JsonValue::Object(), const std::string& message = "OK") {
    JsonValue o = Envelope(kOk, message);
    o.set("result", std::move(result));
    return JsonReply(o, kOk);
}

RpcReply Nothing(const std::string& message, JsonValue result = JsonValue::Object()) {
    JsonValue o = Envelope(kNothing, message);
    o.set("result", std::move(result));
    return JsonReply(o, kNothing);
}

RpcReply Fail(int code, const std::string& message, const std::string& item = "") {
    JsonValue o = Envelope(code, message);
    JsonValue err = JsonValue::Object();
    err.set("error", std::to_string(code));
    err.set("item", item);
    err.set("message", message);
    err.set("native", "");
    JsonValue arr = JsonValue::Array();
    arr.push(err);
    o.set("error", arr);
    o.set("result", JsonValue::Object());
    return JsonReply(o, code);
}

RpcReply Missing(const std::string& field) {
    return Fail(kBadRequest, "Das Feld '" + field + "' fehlt", field);
}

RpcReply FileReply(const std::string& filename, const std::string& contentType, const std::string& data) {
    RpcReply r;
    r.contentType = contentType.empty() ? "application/octet-stream" : contentType;
    r.body = data;
    r.attachment = filename;
    return r;
}

std::string ContentTypeFor(const std::string& name) {
    size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? "" : Lower(name.substr(dot + 1));
    if (ext == "jpg" || ext == "jpeg") return "image/jpeg";
    if (ext == "png") return "image/png";
    if (ext == "gif") return "image/gif";
    if (ext == "pdf") return "application/pdf";
    if (ext == "txt") return "text/plain";
    if (ext == "ics") return "text/calendar";
    return "application/octet-stream";
}

// The client labels every extension it does not know exactly (upper-case
// "JPG" too) as octet-stream; the name then tells more.
std::string StoredContentType(const std::string& sent, const std::string& name) {
    if (sent.empty() || sent == "application/octet-stream") return ContentTypeFor(name);
    return sent;
}

// A stored file name is a bare name: no directory parts, nothing hidden.
bool CleanFileName(const std::string& raw, std::string& out) {
    std::string n = raw;
    size_t cut = n.find_last_of("/\\");
    if (cut != std::string::npos) n = n.substr(cut + 1);
    if (n.empty() || n == "." || n == ".." || n.size() > 200) return false;
    // A double quote is allowed: the reply's header escapes it.
    for (unsigned char c : n)
        if (c < 0x20 || c == 0x7F) return false;
    out = n;
    return true;
}

const char* const kPersonCats[] = {"location", "organizer", "dj", "guest"};

bool IsPersonCat(const std::string& c) {
    for (auto* k : kPersonCats)
        if (c == k) return true;
    return false;
}

// Members of a person as the portal sends and stores them, in table order.
const char* const kPersonFields[] = {"fullname", "firstname", "lastname", "nickname", "title",   "street",
                                     "zip",      "city",      "country",  "email",    "phone",   "mobil",
                                     "url",      "longitude", "latitude", "coordassign", "params", "text"};
constexpr size_t kPersonFieldCount = sizeof(kPersonFields) / sizeof(kPersonFields[0]);

bool IsPersonField(const std::string& f) {
    if (f == "id") return true;
    for (auto* k : kPersonFields)
        if (f == k) return true;
    return false;
}

std::string JoinTagged(const std::vector<std::string>& items) {
    // ",a,b," so that a single LIKE-free search on ",name," finds one item.
    std::string out = ",";
    for (const auto& i : items) out += i + ",";
    return out;
}

std::vector<std::string> SplitOn(const std::string& s, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= s.size()) {
        size_t p = s.find(sep, start);
        if (p == std::string::npos) p = s.size();
        std::string t = s.substr(start, p - start);
        if (!t.empty()) out.push_back(t);
        start = p + 1;
    }
    return out;
}

}  // namespace

std::string EnsureUtf8(const std::string& s) {
    if (IsValidUtf8(s)) return s;
    static const unsigned short k80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x80) out += static_cast<char>(c);
        else if (c < 0xA0) {
            unsigned cp = k80[c - 0x80];
            AppendCodePoint(out, cp ? cp : ' ');
        } else {
            AppendCodePoint(out, c);
        }
    }
    return out;
}

namespace {

// End of a JSON text that starts at text[start] ("{" or "["): the position
// after its closing bracket, or npos when the brackets never balance.
size_t JsonTextEnd(const std::string& text, size_t start) {
    int depth = 0;
    bool inString = false;
    for (size_t i = start; i < text.size(); ++i) {
        char c = text[i];
        if (inString) {
            if (c == '\\' && i + 1 < text.size() && text[i + 1] == '"') ++i;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (--depth == 0) return i + 1;
        }
    }
    return std::string::npos;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ParseFormText(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t amp = text.find('&', pos);
        if (amp == std::string::npos) amp = text.size();
        size_t eq = text.find('=', pos);
        if (eq != std::string::npos && eq < amp && eq + 1 < text.size() && (text[eq + 1] == '{' || text[eq + 1] == '[')) {
            // The client puts its hand-written JSON texts (records, lists) into
            // the body as they stand, without URL-encoding: a "%" in one is a
            // percent sign, and an ampersand it failed to write as "#38;"
            // belongs to the text, which runs to its closing bracket.
            size_t end = JsonTextEnd(text, eq + 1);
            if (end != std::string::npos) {
                size_t next = text.find('&', end);
                if (next == std::string::npos) next = text.size();
                amp = next;
            }
            out.emplace_back(EnsureUtf8(PercentDecode(text.substr(pos, eq - pos))),
                             EnsureUtf8(text.substr(eq + 1, amp - eq - 1)));
        } else if (amp > pos) {
            std::string part = text.substr(pos, amp - pos);
            size_t e = part.find('=');
            std::string key = e == std::string::npos ? part : part.substr(0, e);
            std::string val = e == std::string::npos ? "" : part.substr(e + 1);
            out.emplace_back(EnsureUtf8(PercentDecode(key)), EnsureUtf8(PercentDecode(val)));
        }
        pos = amp + 1;
    }
    return out;
}

int CompareVersions(const std::string& a, const std::string& b) {
    auto pa = SplitOn(a, '.'), pb = SplitOn(b, '.');
    size_t n = std::max(pa.size(), pb.size());
    for (size_t i = 0; i < n; ++i) {
        long x = i < pa.size() ? std::strtol(pa[i].c_str(), nullptr, 10) : 0;
        long y = i < pb.size() ? std::strtol(pb[i].c_str(), nullptr, 10) : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

std::string RandomHex(size_t bytes) {
    std::string raw(bytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(bytes)) != 1)
        throw std::runtime_error("no random bytes available");
    static const char* h = "0123456789abcdef";
    std::string out;
    for (unsigned char c : raw) {
        out += h[c >> 4];
        out += h[c & 15];
    }
    return out;
}

std::string HashPassword(const std::string& password, const std::string& saltHex) {
    unsigned char out[32];
    PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                      reinterpret_cast<const unsigned char*>(saltHex.data()), static_cast<int>(saltHex.size()), 20000,
                      EVP_sha256(), sizeof out, out);
    static const char* h = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : out) {
        hex += h[c >> 4];
        hex += h[c & 15];
    }
    return hex;
}

// ---------------------------------------------------------------- service

struct PortalService::Ctx {
    const RpcRequest& req;
    int userId;
};

PortalService::PortalService(const std::string& dbPath) : db_(std::make_unique<Db>(dbPath)) { CreateSchema(); }

PortalService::~PortalService() = default;

void PortalService::CreateSchema() {
    db_->exec("PRAGMA journal_mode = WAL");
    db_->exec(R"SQL(
CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT);
CREATE TABLE IF NOT EXISTS users (
  id INTEGER PRIMARY KEY, username TEXT NOT NULL UNIQUE, name TEXT, email TEXT,
  salt TEXT NOT NULL, hash TEXT NOT NULL, blocked INTEGER DEFAULT 0, clientstate INTEGER DEFAULT 0,
  querylist TEXT, categories TEXT, created TEXT);
CREATE TABLE IF NOT EXISTS sessions (token TEXT PRIMARY KEY, userid INTEGER NOT NULL, created TEXT,
  created_at INTEGER, used_at INTEGER);
CREATE TABLE IF NOT EXISTS events (
  id INTEGER PRIMARY KEY, owner INTEGER NOT NULL, uid TEXT, summary TEXT, dtstart TEXT,
  publish INTEGER DEFAULT 0, supraregional INTEGER DEFAULT 0, scenes TEXT, categories TEXT,
  country TEXT, zip TEXT, city TEXT, body TEXT NOT NULL, modified TEXT);
CREATE TABLE IF NOT EXISTS highlights (eventid INTEGER, start TEXT, level INTEGER, PRIMARY KEY (eventid, start));
CREATE TABLE IF NOT EXISTS event_files (eventid INTEGER, filename TEXT, content_type TEXT, data BLOB,
  PRIMARY KEY (eventid, filename));
CREATE TABLE IF NOT EXISTS facebook_posts (id INTEGER PRIMARY KEY, eventid INTEGER, eventnr INTEGER,
  userid INTEGER, posted TEXT);
CREATE TABLE IF NOT EXISTS persons (
  id INTEGER PRIMARY KEY, fullname TEXT, firstname TEXT, lastname TEXT, nickname TEXT, title TEXT,
  street TEXT, zip TEXT, city TEXT, country TEXT, email TEXT, phone TEXT, mobil TEXT, url TEXT,
  longitude TEXT, latitude TEXT, coordassign TEXT, params TEXT, text TEXT, modified TEXT, owner INTEGER);
CREATE TABLE IF NOT EXISTS person_categories (persid INTEGER, category TEXT, PRIMARY KEY (persid, category));
CREATE TABLE IF NOT EXISTS person_files (persid INTEGER, filename TEXT, content_type TEXT, data BLOB,
  PRIMARY KEY (persid, filename));
CREATE TABLE IF NOT EXISTS pools (id INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS scenes (id INTEGER PRIMARY KEY, poolid INTEGER, name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS edit_categories (id INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS user_categories (pos INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS updates (application TEXT PRIMARY KEY, version TEXT, history TEXT,
  filename TEXT, data BLOB);
CREATE TABLE IF NOT EXISTS geo (country TEXT, zip TEXT, city TEXT, PRIMARY KEY (country, zip, city));
)SQL");
    // Databases from before sessions expired and persons had owners.
    auto hasColumn = [this](const char* table, const char* column) {
        std::string sql = std::string("SELECT 1 FROM pragma_table_info('") + table + "') WHERE name = ?";
        Stmt st(*db_, sql.c_str());
        st.bind(1, column);
        return st.step();
    };
    if (!hasColumn("sessions", "used_at")) {
        // Old sessions carry no times: they are simply ended.
        db_->exec("DELETE FROM sessions; ALTER TABLE sessions ADD COLUMN created_at INTEGER;"
                  "ALTER TABLE sessions ADD COLUMN used_at INTEGER");
    }
    if (!hasColumn("persons", "owner")) {
        // The records made before owners existed came with the demo data.
        db_->exec("ALTER TABLE persons ADD COLUMN owner INTEGER;"
                  "UPDATE persons SET owner = (SELECT id FROM users WHERE username = 'demo')");
    }

    Stmt cnt(*db_, "SELECT COUNT(*) FROM geo");
    if (cnt.step() && cnt.integer(0) == 0) {
        static const char* places[][3] = {
            {"D", "10115", "Berlin"},     {"D", "20095", "Hamburg"},   {"D", "80331", "München"},
            {"D", "50667", "Köln"},       {"D", "60311", "Frankfurt"}, {"D", "70173", "Stuttgart"},
            {"D", "40210", "Düsseldorf"}, {"D", "04109", "Leipzig"},   {"D", "01067", "Dresden"},
            {"D", "30159", "Hannover"},   {"D", "90402", "Nürnberg"},  {"D", "28195", "Bremen"},
            {"A", "1010", "Wien"},        {"CH", "8001", "Zürich"}};
        Stmt ins(*db_, "INSERT OR IGNORE INTO geo VALUES (?, ?, ?)");
        for (auto& p : places) {
            ins.bind(1, p[0]).bind(2, p[1]).bind(3, p[2]).run();
            ins.reset();
        }
    }
}

const std::vector<PortalService::MethodEntry>& PortalService::Methods() {
    static const std::vector<MethodEntry> m = {
        {"V001_User_Login", &PortalService::UserLogin, false},
        {"V001_User_Logout", &PortalService::UserLogout, false},
        {"V001_User_List", &PortalService::UserList, true},
        {"V001_User_Register", &PortalService::UserRegister, false},
        {"V001_User_SetCategories", &PortalService::UserSetCategories, true},
        {"V001_User_SetBackendQueries", &PortalService::UserSetBackendQueries, true},
        {"V001_User_GetBackendQueries", &PortalService::UserGetBackendQueries, true},
        {"V001_Application_GetConfig", &PortalService::ApplicationGetConfig, false},
        {"V001_Application_CheckUpdate", &PortalService::ApplicationCheckUpdate, false},
        {"V001_Application_DownloadUpdate", &PortalService::ApplicationDownloadUpdate, false},
        {"V001_Geo_DetectLocation", &PortalService::GeoDetectLocation, false},
        {"V001_Event_UploadEvent", &PortalService::EventUploadEvent, true},
        {"V001_Event_Delete", &PortalService::EventDelete, true},
        {"V001_Event_GetCalendar", &PortalService::EventGetCalendar, false},
        {"V001_Event_SetFile", &PortalService::EventSetFile, true},
        {"V001_Event_GetFile", &PortalService::EventGetFile, true},
        {"V001_Event_DeleteFile", &PortalService::EventDeleteFile, true},
        {"V001_Facebook_SetEvent", &PortalService::FacebookSetEvent, true},
        {"V001_Event_SetValue", &PortalService::EventSetValue, true},
        {"V001_Event_SetHighlight", &PortalService::EventSetHighlight, true},
        {"V001_Event_SetUser", &PortalService::EventSetUser, true},
        {"V001_Person_Save", &PortalService::PersonSave, true},
        {"V001_Person_Read", &PortalService::PersonRead, true},
        {"V001_Person_GetCategories", &PortalService::PersonGetCategories, true},
        {"V001_Person_GetList", &PortalService::PersonGetList, true},
        {"V001_Person_SetFile", &PortalService::PersonSetFile, true},
        {"V001_Person_GetFile", &PortalService::PersonGetFile, true},
        {"V001_Person_DeleteFile", &PortalService::PersonDeleteFile, true},
    };
    return m;
}

std::vector<std::string> PortalService::MethodNames() {
    std::vector<std::string> out;
    for (const auto& m : Methods()) out.push_back(m.name);
    return out;
}

int64_t PortalService::Now() const {
    if (clock_) return clock_();
    return static_cast<int64_t>(std::time(nullptr));
}

void PortalService::SetLoginThrottle(const LoginThrottle& t) {
    std::lock_guard<std::mutex> lock(mutex_);
    throttle_ = t;
}

void PortalService::SetSessionLimits(const SessionLimits& l) {
    std::lock_guard<std::mutex> lock(mutex_);
    sessionLimits_ = l;
}

void PortalService::SetClock(std::function<int64_t()> clock) {
    std::lock_guard<std::mutex> lock(mutex_);
    clock_ = std::move(clock);
}

int PortalService::SessionUser(const std::string& token) {
    if (token.empty()) return 0;
    int64_t now = Now();
    Stmt st(*db_,
            "SELECT s.userid, s.created_at, s.used_at FROM sessions s JOIN users u ON u.id = s.userid "
            "WHERE s.token = ? AND u.blocked = 0");
    st.bind(1, token);
    if (!st.step()) return 0;
    int user = static_cast<int>(st.integer(0));
    bool timed = !st.isNull(1) && !st.isNull(2);
    int64_t created = st.integer(1), used = st.integer(2);
    if (!timed || now - used > sessionLimits_.idleSeconds || now - created > sessionLimits_.maxSeconds) {
        Stmt del(*db_, "DELETE FROM sessions WHERE token = ?");
        del.bind(1, token).run();
        return 0;
    }
    if (now != used) {
        Stmt up(*db_, "UPDATE sessions SET used_at = ? WHERE token = ?");
        up.bind(1, now).bind(2, token).run();
    }
    return user;
}

std::string PortalService::NewSession(int userId) {
    int64_t now = Now();
    // Ended sessions of everybody go when a new one starts.
    Stmt old(*db_, "DELETE FROM sessions WHERE used_at < ? OR created_at < ?");
    old.bind(1, now - sessionLimits_.idleSeconds).bind(2, now - sessionLimits_.maxSeconds).run();
    std::string token = RandomHex(24);
    Stmt ins(*db_, "INSERT INTO sessions (token, userid, created, created_at, used_at) VALUES (?, ?, ?, ?, ?)");
    ins.bind(1, token).bind(2, userId).bind(3, NowText()).bind(4, now).bind(5, now).run();
    return token;
}

bool PortalService::Throttled(std::map<std::string, std::deque<int64_t>>& book, const std::string& key, int max) {
    auto it = book.find(key);
    if (it == book.end()) return false;
    int64_t oldest = Now() - throttle_.windowSeconds;
    while (!it->second.empty() && it->second.front() <= oldest) it->second.pop_front();
    if (it->second.empty()) {
        book.erase(it);
        return false;
    }
    return max > 0 && static_cast<int>(it->second.size()) >= max;
}

RpcReply PortalService::Handle(const RpcRequest& req) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string method = req.get("rpc_method");
    RpcReply reply;
    try {
        const MethodEntry* entry = nullptr;
        for (const auto& m : Methods())
            if (method == m.name) entry = &m;
        if (method.empty()) {
            reply = Missing("rpc_method");
        } else if (!entry) {
            reply = Fail(kUnknownMethod, "Unbekannte Methode '" + method + "'", "rpc_method");
        } else {
            Ctx ctx{req, SessionUser(req.session)};
            bool selection = method == "V001_Event_GetCalendar" && req.get("type") == "selection";
            if (entry->needsLogin && ctx.userId == 0)
                reply = Fail(kNotLoggedIn, "Nicht angemeldet", "session");
            else if (method == "V001_Event_GetCalendar" && !selection && ctx.userId == 0)
                reply = Fail(kNotLoggedIn, "Nicht angemeldet", "session");
            else
                reply = (this->*(entry->handler))(ctx);
        }
    } catch (const std::exception& e) {
        reply = Fail(kServerError, std::string("Interner Fehler: ") + e.what());
    }
    reply.method = method;
    return reply;
}

int PortalService::CreateUser(const std::string& username, const std::string& password, const std::string& name,
                              const std::string& email, bool blocked, int clientState) {
    std::string salt = RandomHex(16);
    Stmt st(*db_,
            "INSERT INTO users (username, name, email, salt, hash, blocked, clientstate, created) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    st.bind(1, username).bind(2, name).bind(3, email).bind(4, salt).bind(5, HashPassword(password, salt));
    st.bind(6, blocked ? 1 : 0).bind(7, clientState).bind(8, NowText());
    st.run();
    return static_cast<int>(db_->lastInsertId());
}

// ---------------------------------------------------------------- users

RpcReply PortalService::UserLogin(Ctx& c) {
    if (!c.req.has("username")) return Missing("username");
    if (!c.req.has("password")) return Missing("password");
    std::string user = c.req.get("username"), pass = c.req.get("password");
    // Guessing is slowed down per user name and per address; a refused
    // attempt does not look at the password at all.
    if (Throttled(failedByUser_, user, throttle_.maxPerUser) ||
        Throttled(failedByAddress_, c.req.peer, throttle_.maxPerAddress))
        return Fail(kTooManyAttempts, "Zu viele fehlgeschlagene Anmeldungen; bitte später erneut versuchen",
                    "username");
    Stmt st(*db_, "SELECT id, salt, hash, blocked, clientstate, name, email FROM users WHERE username = ?");
    st.bind(1, user);
    bool known = st.step();
    // An unknown name costs the same hash as a known one, so the answer's
    // time does not tell which names exist.
    static const std::string unknownSalt = RandomHex(16);
    std::string hash = HashPassword(pass, known ? st.text(1) : unknownSalt);
    if (!known || hash != st.text(2)) {
        int64_t now = Now();
        failedByUser_[user].push_back(now);
        failedByAddress_[c.req.peer].push_back(now);
        return Fail(kLoginFailed, "Benutzername oder Passwort falsch", "username");
    }
    if (st.integer(3) != 0) return Fail(kBlocked, "Das Benutzerkonto ist gesperrt", "username");
    failedByUser_.erase(user);
    int id = static_cast<int>(st.integer(0));
    if (!c.req.session.empty()) {
        Stmt del(*db_, "DELETE FROM sessions WHERE token = ?");
        del.bind(1, c.req.session).run();
    }
    std::string token = NewSession(id);
    JsonValue person = JsonValue::Object();
    person.set("id", std::to_string(id));
    person.set("username", user);
    person.set("name", st.text(5));
    person.set("email", st.text(6));
    person.set("clientstate", std::to_string(st.integer(4)));
    JsonValue result = JsonValue::Object();
    result.set("person", person);
    RpcReply r = Ok(result);
    r.setSession = token;
    return r;
}

RpcReply PortalService::UserLogout(Ctx& c) {
    if (!c.req.session.empty()) {
        Stmt del(*db_, "DELETE FROM sessions WHERE token = ?");
        del.bind(1, c.req.session).run();
    }
    RpcReply r = Ok();
    r.clearSession = true;
    return r;
}

RpcReply PortalService::UserList(Ctx&) {
    JsonValue list = JsonValue::Array();
    Stmt st(*db_, "SELECT id, name, username FROM users WHERE blocked = 0 ORDER BY name COLLATE NOCASE, id");
    while (st.step()) {
        JsonValue u = JsonValue::Object();
        u.set("id", std::to_string(st.integer(0)));
        u.set("name", st.text(1));
        u.set("username", st.text(2));
        list.push(u);
    }
    JsonValue result = JsonValue::Object();
    result.set("userlist", list);
    return Ok(result);
}

RpcReply PortalService::UserRegister(Ctx& c) {
    if (!c.req.has("user")) return Missing("user");
    JsonValue u;
    try {
        u = ParseJson(c.req.get("user"));
    } catch (const JsonError& e) {
        return Fail(kBadRequest, std::string("Ungültige Benutzerdaten: ") + e.what(), "user");
    }
    if (!u.isObject()) return Fail(kBadRequest, "Ungültige Benutzerdaten", "user");
    for (const char* f : {"name", "username", "email", "password"})
        if (u.get(f).str().empty()) return Fail(kBadRequest, std::string("Das Feld '") + f + "' ist leer", f);
    if (u.get("password").str() != u.get("password2").str())
        return Fail(kBadRequest, "Die Passwörter stimmen nicht überein", "password2");
    if (u.get("email").str().find('@') == std::string::npos)
        return Fail(kBadRequest, "Die E-Mail-Adresse ist ungültig", "email");
    {
        Stmt st(*db_, "SELECT 1 FROM users WHERE username = ?");
        st.bind(1, u.get("username").str());
        if (st.step()) return Fail(kUserExists, "Der Benutzername ist bereits vergeben", "username");
    }
    int id = CreateUser(u.get("username").str(), u.get("password").str(), u.get("name").str(), u.get("email").str(),
                        blockNewUsers_, 0);
    JsonValue result = JsonValue::Object();
    result.set("block", blockNewUsers_ ? "1" : "0");
    result.set("id", std::to_string(id));
    RpcReply r = Ok(result);
    if (!blockNewUsers_) r.setSession = NewSession(id);
    return r;
}

RpcReply PortalService::UserSetCategories(Ctx& c) {
    if (!c.req.has("categories")) return Missing("categories");
    JsonValue v;
    try {
        v = ParseJson(c.req.get("categories"));
    } catch (const JsonError& e) {
        return Fail(kBadRequest, std::string("Ungültige Kategorienliste: ") + e.what(), "categories");
    }
    if (!v.isArray()) return Fail(kBadRequest, "Die Kategorienliste ist kein Feld", "categories");
    JsonValue clean = JsonValue::Array();
    for (const auto& i : v.items()) {
        if (!i.isString()) return Fail(kBadRequest, "Eine Kategorie ist kein Text", "categories");
        if (!i.str().empty()) clean.push(i);
    }
    Stmt st(*db_, "UPDATE users SET categories = ? WHERE id = ?");
    st.bind(1, clean.dump()).bind(2, c.userId).run();
    return Ok();
}

namespace {
bool OwnUserId(const RpcRequest& req, int session, RpcReply& fail) {
    std::string u = req.get("userid");
    if (u.empty() || u == "0") return true;
    bool ok = false;
    int id = ToInt(u, &ok);
    if (!ok) {
        fail = Fail(kBadRequest, "Die Benutzernummer ist ungültig", "userid");
        return false;
    }
    if (id != session) {
        fail = Fail(kForbidden, "Abfragen anderer Benutzer sind nicht zugänglich", "userid");
        return false;
    }
    return true;
}
}  // namespace

RpcReply PortalService::UserSetBackendQueries(Ctx& c) {
    RpcReply fail;
    if (!OwnUserId(c.req, c.userId, fail)) return fail;
    if (!c.req.has("querylist")) return Missing("querylist");
    JsonValue v;
    try {
        v = ParseJson(c.req.get("querylist"));
    } catch (const JsonError& e) {
        return Fail(kBadRequest, std::string("Ungültige Abfrageliste: ") + e.what(), "querylist");
    }
    if (!v.isArray()) return Fail(kBadRequest, "Die Abfrageliste ist kein Feld", "querylist");
    for (const auto& q : v.items())
        if (!q.isObject()) return Fail(kBadRequest, "Eine Abfrage ist kein Objekt", "querylist");
    Stmt st(*db_, "UPDATE users SET querylist = ? WHERE id = ?");
    st.bind(1, v.dump()).bind(2, c.userId).run();
    return Ok();
}

RpcReply PortalService::UserGetBackendQueries(Ctx& c) {
    RpcReply fail;
    if (!OwnUserId(c.req, c.userId, fail)) return fail;
    Stmt st(*db_, "SELECT querylist FROM users WHERE id = ?");
    st.bind(1, c.userId);
    JsonValue list = JsonValue::Array();
    if (st.step() && !st.isNull(0)) {
        try {
            list = ParseJson(st.text(0));
        } catch (const JsonError&) {
            list = JsonValue::Array();
        }
    }
    JsonValue result = JsonValue::Object();
    result.set("querylist", list);
    return Ok(result);
}

// ---------------------------------------------------------------- application

RpcReply PortalService::ApplicationGetConfig(Ctx& c) {
    JsonValue config = JsonValue::Object();
    JsonValue pools = JsonValue::Array();
    Stmt ps(*db_, "SELECT id, name FROM pools ORDER BY id");
    Stmt ss(*db_, "SELECT id, name FROM scenes WHERE poolid = ? ORDER BY id");
    while (ps.step()) {
        JsonValue p = JsonValue::Object();
        p.set("id", std::to_string(ps.integer(0)));
        p.set("name", ps.text(1));
        JsonValue scenes = JsonValue::Array();
        ss.bind(1, ps.integer(0));
        while (ss.step()) {
            JsonValue s = JsonValue::Object();
            s.set("id", std::to_string(ss.integer(0)));
            s.set("name", ss.text(1));
            scenes.push(s);
        }
        ss.reset();
        p.set("scenes", scenes);
        pools.push(p);
    }
    config.set("pools", pools);
    JsonValue cats = JsonValue::Array();
    Stmt cs(*db_, "SELECT id, name FROM edit_categories ORDER BY id");
    while (cs.step()) {
        JsonValue e = JsonValue::Object();
        e.set("id", std::to_string(cs.integer(0)));
        e.set("name", cs.text(1));
        cats.push(e);
    }
    config.set("edit_categories", cats);
    JsonValue ucats = JsonValue::Array();
    bool own = false;
    if (c.userId != 0) {
        Stmt us(*db_, "SELECT categories FROM users WHERE id = ?");
        us.bind(1, c.userId);
        if (us.step() && !us.isNull(0)) {
            try {
                ucats = ParseJson(us.text(0));
                own = ucats.isArray();
            } catch (const JsonError&) {
            }
        }
    }
    if (!own) {
        ucats = JsonValue::Array();
        Stmt gs(*db_, "SELECT name FROM user_categories ORDER BY pos");
        while (gs.step()) ucats.push(JsonValue::String(gs.text(0)));
    }
    config.set("user_categories", ucats);
    JsonValue result = JsonValue::Object();
    result.set("config", config);
    return Ok(result);
}

RpcReply PortalService::ApplicationCheckUpdate(Ctx& c) {
    if (c.req.get("application").empty()) return Missing("application");
    if (!c.req.has("version")) return Missing("version");
    Stmt st(*db_, "SELECT version, history FROM updates WHERE application = ?");
    st.bind(1, c.req.get("application"));
    if (!st.step() || CompareVersions(st.text(0), c.req.get("version")) <= 0)
        return Nothing("Keine Updates vorhanden");
    JsonValue result = JsonValue::Object();
    result.set("version", st.text(0));
    result.set("history", st.text(1));
    return Ok(result);
}

RpcReply PortalService::ApplicationDownloadUpdate(Ctx& c) {
    std::string app = c.req.get("application");
    if (app.empty()) return Missing("application");
    if (c.req.get("version").empty()) return Missing("version");
    Stmt st(*db_, "SELECT version, filename, data FROM updates WHERE application = ?");
    st.bind(1, app);
    if (!st.step() || st.text(0) != c.req.get("version"))
        return Fail(kNotFound, "Diese Version wird nicht angeboten", "version");
    std::string name = st.text(1).empty() ? app + "_" + st.text(0) + "_setup.exe" : st.text(1);
    return FileReply(name, "application/octet-stream", st.text(2));
}

void PortalService::SetUpdateOffer(const UpdateOffer& o) {
    std::lock_guard<std::mutex> lock(mutex_);
    Stmt st(*db_, "INSERT OR REPLACE INTO updates VALUES (?, ?, ?, ?, ?)");
    st.bind(1, o.application).bind(2, o.version).bind(3, o.history).bind(4, o.filename).bindBlob(5, o.data).run();
}

void PortalService::ClearUpdateOffers() {
    std::lock_guard<std::mutex> lock(mutex_);
    db_->exec("DELETE FROM updates");
}

RpcReply PortalService::GeoDetectLocation(Ctx& c) {
    std::string country = c.req.get("country"), zip = c.req.get("zip"), city = c.req.get("city");
    if (country.empty() && zip.empty() && city.empty()) return Missing("zip");
    auto found = [&](Stmt& st) {
        JsonValue loc = JsonValue::Object();
        loc.set("country", st.text(0));
        loc.set("zip", st.text(1));
        loc.set("city", st.text(2));
        JsonValue result = JsonValue::Object();
        result.set("location", loc);
        return Ok(result);
    };
    const char* queries[] = {
        // zip first, then city; each narrowed by the country when one is given
        "SELECT country, zip, city FROM geo WHERE ?1 <> '' AND zip = ?1 AND (?3 = '' OR country = ?3) "
        "ORDER BY city LIMIT 1",
        "SELECT country, zip, city FROM geo WHERE ?2 <> '' AND lower(city) = lower(?2) AND (?3 = '' OR country = ?3) "
        "ORDER BY zip LIMIT 1",
        "SELECT CASE WHEN country = '' THEN 'D' ELSE country END, zip, city FROM persons "
        "WHERE ?1 <> '' AND zip = ?1 AND city <> '' LIMIT 1",
        "SELECT CASE WHEN country = '' THEN 'D' ELSE country END, zip, city FROM persons "
        "WHERE ?2 <> '' AND lower(city) = lower(?2) AND zip <> '' LIMIT 1",
    };
    for (const char* q : queries) {
        Stmt st(*db_, q);
        st.bind(1, zip).bind(2, city).bind(3, country);
        if (st.step()) return found(st);
    }
    return Nothing("Ort nicht gefunden");
}

// ---------------------------------------------------------------- events

bool PortalService::EventOwnedBy(int eventId, int userId, RpcReply& fail) {
    Stmt st(*db_, "SELECT owner FROM events WHERE id = ?");
    st.bind(1, eventId);
    if (!st.step()) {
        fail = Fail(kNotFound, "Die Veranstaltung " + std::to_string(eventId) + " gibt es nicht", "eventid");
        return false;
    }
    if (st.integer(0) != userId) {
        fail = Fail(kForbidden, "Die Veranstaltung gehört einem anderen Benutzer", "eventid");
        return false;
    }
    return true;
}

namespace {
bool EventIdField(const RpcRequest& req, int& id, RpcReply& fail) {
    if (!req.has("eventid")) {
        fail = Missing("eventid");
        return false;
    }
    bool ok = false;
    id = ToInt(req.get("eventid"), &ok);
    if (!ok || id <= 0) {
        fail = Fail(kBadRequest, "Die Veranstaltungsnummer ist ungültig", "eventid");
        return false;
    }
    return true;
}
bool IntField(const RpcRequest& req, const char* name, int& v, RpcReply& fail) {
    if (!req.has(name)) {
        fail = Missing(name);
        return false;
    }
    bool ok = false;
    v = ToInt(req.get(name), &ok);
    if (!ok) {
        fail = Fail(kBadRequest, std::string("Das Feld '") + name + "' ist keine Zahl", name);
        return false;
    }
    return true;
}
}  // namespace

int PortalService::InsertEventText(int owner, const std::string& text, int forcedId, std::string& error) {
    IcsEvent ev;
    if (!ReadFirstEvent(text, ev, error)) return 0;
    std::vector<std::string> cats;
    for (int id : ev.categories) cats.push_back(std::to_string(id));
    int target = 0;
    if (forcedId > 0) {
        target = forcedId;
    } else if (ev.eventId > 0) {
        Stmt st(*db_, "SELECT owner FROM events WHERE id = ?");
        st.bind(1, ev.eventId);
        if (st.step()) {
            if (st.integer(0) != owner) {
                error = "Die Veranstaltung gehört einem anderen Benutzer";
                return -1;
            }
            target = ev.eventId;
        }
    }
    // Events are keyed by their portal id alone: an upload without one is a
    // new event, even when its UID matches a stored one (a date split off a
    // series may carry the series' UID and must not replace the series).
    Stmt st(*db_,
            "INSERT OR REPLACE INTO events (id, owner, uid, summary, dtstart, publish, supraregional, scenes, "
            "categories, country, zip, city, body, modified) VALUES (?, ?, ?, ?, ?, ?, "
            "COALESCE((SELECT supraregional FROM events WHERE id = ?1), 0), ?, ?, ?, ?, ?, ?, ?)");
    if (target > 0) st.bind(1, target);
    else st.bindNull(1);
    st.bind(2, owner).bind(3, ev.uid).bind(4, ev.summary).bind(5, ev.dtstart.format()).bind(6, ev.publishState);
    st.bind(7, JoinTagged(ev.scenes)).bind(8, JoinTagged(cats)).bind(9, ev.country).bind(10, ev.zip);
    st.bind(11, ev.city).bind(12, ev.body()).bind(13, NowText());
    st.run();
    return target > 0 ? target : static_cast<int>(db_->lastInsertId());
}

RpcReply PortalService::EventUploadEvent(Ctx& c) {
    if (!c.req.file.present) return Missing("Datei");
    std::string error;
    int id = InsertEventText(c.userId, c.req.file.data, 0, error);
    if (id < 0) return Fail(kForbidden, error, "eventid");
    if (id == 0) return Fail(kBadRequest, error, "Datei");
    JsonValue result = JsonValue::Object();
    result.set("eventid", std::to_string(id));
    return Ok(result);
}

RpcReply PortalService::EventDelete(Ctx& c) {
    int id = 0;
    RpcReply fail;
    if (!EventIdField(c.req, id, fail) || !EventOwnedBy(id, c.userId, fail)) return fail;
    Transaction tx(*db_);
    for (const char* sql : {"DELETE FROM events WHERE id = ?", "DELETE FROM highlights WHERE eventid = ?",
                            "DELETE FROM event_files WHERE eventid = ?"}) {
        Stmt st(*db_, sql);
        st.bind(1, id).run();
    }
    tx.Commit();
    return Ok();
}

RpcReply PortalService::EventGetCalendar(Ctx& c) {
    std::string type = c.req.has("type") ? c.req.get("type") : "my";
    std::string sql = "SELECT id, body, supraregional, scenes, categories, country, zip, city FROM events WHERE ";
    int owner = c.userId;
    bool publishedOnly = false;
    if (type == "my") {
        sql += "owner = ?1";
    } else if (type == "user") {
        if (c.req.has("userid") && c.req.get("userid") != "0") {
            bool ok = false;
            owner = ToInt(c.req.get("userid"), &ok);
            if (!ok) return Fail(kBadRequest, "Die Benutzernummer ist ungültig", "userid");
            publishedOnly = owner != c.userId;
        }
        sql += "owner = ?1";
    } else if (type == "selection") {
        sql += "1 = 1";
        publishedOnly = true;
    } else {
        return Fail(kBadRequest, "Unbekannte Kalenderart '" + type + "'", "type");
    }
    if (publishedOnly) sql += " AND publish = 1";
    sql += " ORDER BY dtstart, id";

    // Selection filters.
    std::set<std::string> poolScenes;
    bool poolFilter = false;
    if (type == "selection" && !c.req.get("pool").empty()) {
        poolFilter = true;
        Stmt ps(*db_,
                "SELECT s.name FROM scenes s JOIN pools p ON p.id = s.poolid "
                "WHERE p.name = ?1 OR CAST(p.id AS TEXT) = ?1");
        ps.bind(1, c.req.get("pool"));
        while (ps.step()) poolScenes.insert(Lower(ps.text(0)));
    }
    std::set<std::string> wantScenes;
    if (type == "selection") {
        for (const auto& s : SplitOn(c.req.get("scenes"), '+')) {
            wantScenes.insert(Lower(s));
            Stmt byId(*db_, "SELECT name FROM scenes WHERE CAST(id AS TEXT) = ?");
            byId.bind(1, s);
            if (byId.step()) wantScenes.insert(Lower(byId.text(0)));
        }
    }
    std::set<int> wantClass;  // 1 lessons, 2 workshops, 3 events
    std::string categories = type == "selection" ? Lower(c.req.get("categories")) : "";
    for (const auto& w : SplitOn(categories, '+')) {
        std::string t = w;
        t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
        if (t == "lesson") wantClass.insert(1);
        else if (t == "workshop") wantClass.insert(2);
        else if (t == "event") wantClass.insert(3);
    }
    std::string country = type == "selection" ? Lower(c.req.get("country")) : "";
    std::string zip = type == "selection" ? c.req.get("zip") : "";
    std::string city = type == "selection" ? Lower(c.req.get("city")) : "";

    std::string out = "BEGIN:VCALENDAR\r\nPRODID:-//OrvPortal//Lokales Portal//DE\r\nVERSION:2.0\r\nMETHOD:PUBLISH\r\n";
    Stmt st(*db_, sql.c_str());
    if (type != "selection") st.bind(1, owner);
    Stmt hs(*db_, "SELECT start, level FROM highlights WHERE eventid = ? ORDER BY start");
    while (st.step()) {
        auto evScenes = SplitOn(st.text(3), ',');
        auto anyScene = [&](const std::set<std::string>& want) {
            for (const auto& s : evScenes)
                if (want.count(Lower(s))) return true;
            return false;
        };
        if (poolFilter && !anyScene(poolScenes)) continue;
        if (!wantScenes.empty() && !anyScene(wantScenes)) continue;
        if (!wantClass.empty()) {
            bool hit = false;
            for (const auto& cat : SplitOn(st.text(4), ','))
                if (wantClass.count(std::atoi(cat.c_str()) / 100)) hit = true;
            if (!hit) continue;
        }
        if (!country.empty() && Lower(st.text(5)) != country) continue;
        if (!zip.empty() && st.text(6).compare(0, zip.size(), zip) != 0) continue;
        if (!city.empty() && Lower(st.text(7)) != city) continue;
        int id = static_cast<int>(st.integer(0));
        std::vector<std::pair<CalTime, int>> highlights;
        hs.bind(1, id);
        while (hs.step()) highlights.emplace_back(CalTime::Parse(hs.text(0)), static_cast<int>(hs.integer(1)));
        hs.reset();
        out += RenderEvent(st.text(1), id, static_cast<int>(st.integer(2)), highlights);
    }
    out += "END:VCALENDAR\r\n";
    return FileReply("Calendar.ics", "text/calendar; charset=utf-8", out);
}

RpcReply PortalService::EventSetFile(Ctx& c) {
    int id = 0;
    RpcReply fail;
    if (!EventIdField(c.req, id, fail) || !EventOwnedBy(id, c.userId, fail)) return fail;
    if (!c.req.file.present) return Missing("Datei");
    std::string name;
    if (!CleanFileName(c.req.file.filename, name)) return Fail(kBadRequest, "Ungültiger Dateiname", "filename");
    std::string type = StoredContentType(c.req.file.contentType, name);
    Stmt st(*db_, "INSERT OR REPLACE INTO event_files VALUES (?, ?, ?, ?)");
    st.bind(1, id).bind(2, name).bind(3, type).bindBlob(4, c.req.file.data).run();
    JsonValue result = JsonValue::Object();
    result.set("filename", name);
    result.set("size", std::to_string(c.req.file.data.size()));
    return Ok(result);
}

RpcReply PortalService::EventGetFile(Ctx& c) {
    int id = 0;
    RpcReply fail;
    if (!EventIdField(c.req, id, fail)) return fail;
    if (c.req.get("filename").empty()) return Missing("filename");
    Stmt ev(*db_, "SELECT owner, publish FROM events WHERE id = ?");
    ev.bind(1, id);
    if (!ev.step() || (ev.integer(0) != c.userId && ev.integer(1) != 1))
        return Fail(kNotFound, "Die Veranstaltung " + std::to_string(id) + " gibt es nicht", "eventid");
    Stmt st(*db_, "SELECT content_type, data FROM event_files WHERE eventid = ? AND filename = ?");
    st.bind(1, id).bind(2, c.req.get("filename"));
    if (!st.step()) return Fail(kNotFound, "Die Datei gibt es nicht", "filename");
    return FileReply(c.req.get("filename"), st.text(0), st.text(1));
}

RpcReply PortalService::EventDeleteFile(Ctx& c) {
    int id = 0;
    RpcReply fail;
    if (!EventIdField(c.req, id, fail) || !EventOwnedBy(id, c.userId, fail)) return fail;
    if (c.req.get("filename").empty()) return Missing("filename");
    Stmt st(*db_, "DELETE FROM event_files WHERE eventid = ? AND filename = ?");
    st.bind(1, id).bind(2, c.req.get("filename")).run();
    if (db_->changes() == 0) return Fail(kNotFound, "Die Datei gibt es nicht", "filename");
    return Ok();
}

RpcReply PortalService::FacebookSetEvent(Ctx& c) {
    int id = 0, nr = 0;
    RpcReply fail;
    if (!EventIdField(c.req, id, fail) || !IntField(c.req, "eventnr", nr, fail) || !EventOwnedBy(id, c.userId, fail))
        return fail;
    Stmt ev(*db_, "SELECT publish FROM events WHERE id = ?");
    ev.bind(1, id);
    if (!ev.step() || ev.integer(0) != 1)
        return Fail(kNotPublished, "Die Veranstaltung ist nicht veröffentlicht", "eventid");
    Stmt st(*db_, "INSERT INTO facebook_posts (eventid, eventnr, userid, posted) VALUES (?, ?, ?, ?)");
    st.bind(1, id).bind(2, nr).bind(3, c.userId).bind(4, NowText()).run();
    JsonValue result = JsonValue::Object();
    result.set("eventid", std::to_string(id));
    result.set("eventnr", std::to_string(nr));
    result.set("postid", std::to_string(db_->lastInsertId()));
    return Ok(result);
}

RpcReply PortalService::EventSetValue(Ctx& c) {
    int id = 0, nr = 0, value = 0;
    RpcReply fail;
    if (!EventIdField(c.req, id, fail) || !IntField(c.req, "eventnr", nr, fail)) return fail;
    if (c.req.get("key").empty()) return Missing("key");
    if (c.req.get("key") != "supraregional")
        return Fail(kBadRequest, "Unbekannter Schlüssel '" + c.req.get("key") + "'", "key");
    if (!IntField(c.req, "value", value, fail)) return fail;
    if (value != 0 && value != 1) return Fail(kBadRequest, "Der Wert muss 0 oder 1 sein", "value");
    if (!EventOwnedBy(id, c.userId, fail)) return fail;
    Stmt st(*db_, "UPDATE events SET supraregional = ?, modified = ? WHERE id = ?");
    st.bind(1, value).bind(2, NowText()).bind(3, id).run();
    JsonValue result = JsonValue::Object();
    result.set("key", "supraregional");
    result.set("value", std::to_string(value));
    return Ok(result);
}

RpcReply PortalService::EventSetHighlight(Ctx& c) {
    int id = 0, nr = 0, level = 0;
    RpcReply fail;
    if (!EventIdField(c.req, id, fail) || !IntField(c.req, "eventnr", nr, fail) ||
        !IntField(c.req, "level", level, fail))
        return fail;
    if (level < 0 || level > 9) return Fail(kBadRequest, "Die Stufe muss zwischen 0 und 9 liegen", "level");
    if (!EventOwnedBy(id, c.userId, fail)) return fail;
    Stmt ev(*db_, "SELECT body FROM events WHERE id = ?");
    ev.bind(1, id);
    ev.step();
    IcsEvent parsed = ReadEventBody(ev.text(0));
    // Dates are numbered from 1; the client sends 0 for a date it could not
    // find, which must not land on the first date.
    size_t index = nr < 1 ? 0 : static_cast<size_t>(nr - 1);
    std::vector<CalTime> dates = nr < 1 ? std::vector<CalTime>{} : ExpandOccurrences(parsed, Horizon(), index + 1);
    if (index >= dates.size())
        return Fail(kNotFound, "Die Veranstaltung hat keinen Termin " + std::to_string(nr), "eventnr");
    std::string start = dates[index].format();
    if (level == 0) {
        Stmt del(*db_, "DELETE FROM highlights WHERE eventid = ? AND start = ?");
        del.bind(1, id).bind(2, start).run();
    } else {
        Stmt ins(*db_, "INSERT OR REPLACE INTO highlights VALUES (?, ?, ?)");
        ins.bind(1, id).bind(2, start).bind(3, level).run();
    }
    JsonValue result = JsonValue::Object();
    result.set("level", std::to_string(level));
    result.set("date", start);
    return Ok(result);
}

RpcReply PortalService::EventSetUser(Ctx& c) {
    int id = 0, user = 0;
    RpcReply fail;
    if (!EventIdField(c.req, id, fail) || !IntField(c.req, "userid", user, fail) || !EventOwnedBy(id, c.userId, fail))
        return fail;
    Stmt u(*db_, "SELECT 1 FROM users WHERE id = ? AND blocked = 0");
    u.bind(1, user);
    if (!u.step()) return Fail(kNotFound, "Den Benutzer " + std::to_string(user) + " gibt es nicht", "userid");
    Stmt st(*db_, "UPDATE events SET owner = ?, modified = ? WHERE id = ?");
    st.bind(1, user).bind(2, NowText()).bind(3, id).run();
    JsonValue result = JsonValue::Object();
    result.set("eventid", std::to_string(id));
    result.set("userid", std::to_string(user));
    return Ok(result);
}

// ---------------------------------------------------------------- persons

namespace {

JsonValue PersonJson(Stmt& st) {
    // Column 0 is the id, the rest follow kPersonFields.
    JsonValue p = JsonValue::Object();
    p.set("id", std::to_string(st.integer(0)));
    for (size_t i = 0; i < kPersonFieldCount; ++i) p.set(kPersonFields[i], st.text(static_cast<int>(i) + 1));
    return p;
}

std::string PersonColumns() {
    std::string cols = "id";
    for (auto* f : kPersonFields) cols += std::string(", ") + f;
    return cols;
}

bool PersonIdField(const RpcRequest& req, int& id, RpcReply& fail) {
    if (!req.has("persid")) {
        fail = Missing("persid");
        return false;
    }
    bool ok = false;
    id = ToInt(req.get("persid"), &ok);
    if (!ok || id <= 0) {
        fail = Fail(kBadRequest, "Die Personennummer ist ungültig", "persid");
        return false;
    }
    return true;
}

bool PersonExists(Db& db, int id, RpcReply& fail) {
    Stmt st(db, "SELECT 1 FROM persons WHERE id = ?");
    st.bind(1, id);
    if (st.step()) return true;
    fail = Fail(kNotFound, "Die Person " + std::to_string(id) + " gibt es nicht", "persid");
    return false;
}

}  // namespace

// Everybody may read the address book; only the user who made a record
// changes it or its pictures.
bool PortalService::PersonOwnedBy(int personId, int userId, RpcReply& fail) {
    Stmt st(*db_, "SELECT owner FROM persons WHERE id = ?");
    st.bind(1, personId);
    if (!st.step()) {
        fail = Fail(kNotFound, "Die Person " + std::to_string(personId) + " gibt es nicht", "persid");
        return false;
    }
    if (st.isNull(0) || st.integer(0) != userId) {
        fail = Fail(kForbidden, "Die Person gehört einem anderen Benutzer", "persid");
        return false;
    }
    return true;
}

RpcReply PortalService::PersonSave(Ctx& c) {
    if (!c.req.has("person")) return Missing("person");
    JsonValue rec;
    try {
        rec = ParseJson(c.req.get("person"));
    } catch (const JsonError& e) {
        return Fail(kBadRequest, std::string("Ungültige Personendaten: ") + e.what(), "person");
    }
    const JsonValue& pers = rec.get("pers");
    if (!rec.isObject() || !pers.isObject()) return Fail(kBadRequest, "Die Personendaten haben kein 'pers'", "pers");
    if (pers.get("fullname").str().empty()) return Fail(kBadRequest, "Der Name fehlt", "fullname");
    bool ok = true;
    int id = pers.has("id") ? ToInt(pers.get("id").str(), &ok) : 0;
    if (!ok || id < 0) return Fail(kBadRequest, "Die Personennummer ist ungültig", "id");

    std::vector<std::string> cats;
    bool catsGiven = rec.get("perscat").isArray();
    for (const auto& v : rec.get("perscat").items())
        if (IsPersonCat(Lower(v.str()))) cats.push_back(Lower(v.str()));
    std::string extra = Lower(c.req.get("category"));
    if (IsPersonCat(extra)) cats.push_back(extra);

    std::vector<std::pair<std::string, std::string>> given;
    for (auto* f : kPersonFields)
        if (pers.has(f) && std::string(f) != "params") given.emplace_back(f, pers.get(f).str());
    if (pers.get("rooms").isArray()) {
        std::string params;
        int n = 0;
        for (const auto& r : pers.get("rooms").items()) {
            if (r.str().empty()) continue;
            char key[16];
            std::snprintf(key, sizeof key, "ROOM%02d=", ++n);
            params += key + r.str() + "\r\n";
        }
        given.emplace_back("params", params);
    }

    Transaction tx(*db_);
    bool mergeOnly = false;
    if (id == 0) {
        // An address sent again (same name and place) is the same person,
        // as long as it is one of the sender's own.
        Stmt dup(*db_, "SELECT id FROM persons WHERE fullname = ? AND zip = ? AND city = ? AND owner = ?");
        dup.bind(1, pers.get("fullname").str()).bind(2, pers.get("zip").str()).bind(3, pers.get("city").str());
        dup.bind(4, c.userId);
        if (dup.step()) {
            id = static_cast<int>(dup.integer(0));
            mergeOnly = true;
        }
    } else {
        RpcReply fail;
        if (!PersonOwnedBy(id, c.userId, fail)) return fail;
    }
    if (id == 0) {
        Stmt ins(*db_, "INSERT INTO persons (fullname, modified, owner) VALUES ('', ?, ?)");
        ins.bind(1, NowText()).bind(2, c.userId).run();
        id = static_cast<int>(db_->lastInsertId());
    }
    for (const auto& g : given) {
        // Column names come from the fixed member table, never from the request.
        std::string sql = "UPDATE persons SET " + g.first + " = ?, modified = ? WHERE id = ?";
        if (mergeOnly) sql += " AND (" + g.first + " IS NULL OR " + g.first + " = '')";
        Stmt up(*db_, sql.c_str());
        up.bind(1, g.second).bind(2, NowText()).bind(3, id).run();
    }
    if (catsGiven && !mergeOnly) {
        Stmt del(*db_, "DELETE FROM person_categories WHERE persid = ?");
        del.bind(1, id).run();
    }
    Stmt ic(*db_, "INSERT OR IGNORE INTO person_categories VALUES (?, ?)");
    for (const auto& cat : cats) {
        ic.bind(1, id).bind(2, cat).run();
        ic.reset();
    }
    tx.Commit();
    JsonValue result = JsonValue::Object();
    result.set("id", std::to_string(id));
    return Ok(result);
}

RpcReply PortalService::PersonRead(Ctx& c) {
    std::string sql = "SELECT " + PersonColumns() + " FROM persons WHERE ";
    std::string key;
    if (c.req.has("persid") && c.req.get("persid") != "0") {
        int id = 0;
        RpcReply fail;
        if (!PersonIdField(c.req, id, fail)) return fail;
        sql += "id = ?";
        key = std::to_string(id);
    } else if (!c.req.get("fullname").empty()) {
        sql += "fullname = ? ORDER BY id";
        key = c.req.get("fullname");
    } else {
        return Missing("persid");
    }
    Stmt st(*db_, sql.c_str());
    st.bind(1, key);
    if (!st.step()) return Nothing("Keine Person gefunden");
    JsonValue result = JsonValue::Object();
    result.set("person", PersonJson(st));
    return Ok(result);
}

RpcReply PortalService::PersonGetCategories(Ctx& c) {
    int id = 0;
    RpcReply fail;
    if (!PersonIdField(c.req, id, fail) || !PersonExists(*db_, id, fail)) return fail;
    Stmt st(*db_, "SELECT category FROM person_categories WHERE persid = ? ORDER BY category");
    st.bind(1, id);
    JsonValue table = JsonValue::Array();
    while (st.step()) {
        JsonValue e = JsonValue::Object();
        e.set("perscat", st.text(0));
        table.push(e);
    }
    JsonValue result = JsonValue::Object();
    result.set("table", table);
    return Ok(result);
}

RpcReply PortalService::PersonGetList(Ctx& c) {
    std::string cat = Lower(c.req.get("category"));
    if (cat.empty()) return Missing("category");
    if (!IsPersonCat(cat)) return Fail(kBadRequest, "Unbekannte Personenkategorie '" + c.req.get("category") + "'", "category");
    std::string field = c.req.get("field").empty() ? "fullname" : c.req.get("field");
    if (!IsPersonField(field)) return Fail(kBadRequest, "Unbekanntes Feld '" + field + "'", "field");
    std::string dir = Lower(c.req.get("direction"));
    if (!dir.empty() && dir != "asc" && dir != "desc")
        return Fail(kBadRequest, "Die Richtung muss ASC oder DESC sein", "direction");
    std::string sql = "SELECT " + PersonColumns() +
                      " FROM persons WHERE id IN (SELECT persid FROM person_categories WHERE category = ?1) "
                      "AND (?2 = '' OR instr(lower(COALESCE(" + field + ", '')), lower(?2)) > 0) ORDER BY " +
                      (field == "id" ? std::string("id") : field + " COLLATE NOCASE") +
                      (dir == "desc" ? " DESC" : " ASC") + ", id";
    Stmt st(*db_, sql.c_str());
    st.bind(1, cat).bind(2, c.req.get("value"));
    JsonValue table = JsonValue::Array();
    while (st.step()) table.push(PersonJson(st));
    JsonValue result = JsonValue::Object();
    bool empty = table.items().empty();
    result.set("table", table);
    return empty ? Nothing("Keine Personen gefunden", result) : Ok(result);
}

RpcReply PortalService::PersonSetFile(Ctx& c) {
    int id = 0;
    RpcReply fail;
    if (!PersonIdField(c.req, id, fail) || !PersonOwnedBy(id, c.userId, fail)) return fail;
    if (!c.req.file.present) return Missing("Datei");
    std::string name;
    if (!CleanFileName(c.req.file.filename, name)) return Fail(kBadRequest, "Ungültiger Dateiname", "filename");
    std::string type = StoredContentType(c.req.file.contentType, name);
    Stmt st(*db_, "INSERT OR REPLACE INTO person_files VALUES (?, ?, ?, ?)");
    st.bind(1, id).bind(2, name).bind(3, type).bindBlob(4, c.req.file.data).run();
    JsonValue result = JsonValue::Object();
    result.set("filename", name);
    result.set("size", std::to_string(c.req.file.data.size()));
    return Ok(result);
}

RpcReply PortalService::PersonGetFile(Ctx& c) {
    int id = 0;
    RpcReply fail;
    if (!PersonIdField(c.req, id, fail)) return fail;
    if (c.req.get("filename").empty()) return Missing("filename");
    Stmt st(*db_, "SELECT content_type, data FROM person_files WHERE persid = ? AND filename = ?");
    st.bind(1, id).bind(2, c.req.get("filename"));
    if (!st.step()) {
        // The client asks for "logo" and the like without extension.
        Stmt pre(*db_,
                 "SELECT content_type, data, filename FROM person_files WHERE persid = ? AND "
                 "substr(filename, 1, length(?2) + 1) = ?2 || '.' ORDER BY filename LIMIT 1");
        pre.bind(1, id).bind(2, c.req.get("filename"));
        if (!pre.step()) return Fail(kNotFound, "Die Datei gibt es nicht", "filename");
        return FileReply(pre.text(2), pre.text(0), pre.text(1));
    }
    return FileReply(c.req.get("filename"), st.text(0), st.text(1));
}

RpcReply PortalService::PersonDeleteFile(Ctx& c) {
    int id = 0;
    RpcReply fail;
    if (!PersonIdField(c.req, id, fail) || !PersonOwnedBy(id, c.userId, fail)) return fail;
    if (c.req.get("filename").empty()) return Missing("filename");
    Stmt st(*db_, "DELETE FROM person_files WHERE persid = ? AND filename = ?");
    st.bind(1, id).bind(2, c.req.get("filename")).run();
    if (db_->changes() == 0) return Fail(kNotFound, "Die Datei gibt es nicht", "filename");
    return Ok();
}

}  // namespace orvportal
