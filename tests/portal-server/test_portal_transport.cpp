// Runs the real orvportal program on a free loopback port and talks HTTP to
// it the way the desktop client frames its requests: login and cookie,
// body and query forms, multipart uploads, file downloads, the injected
// faults, and a restart on the same database.
#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "MiniJson.h"

#ifndef ORVPORTAL_EXE
#error "ORVPORTAL_EXE must name the orvportal program"
#endif

namespace {

using orvportal::JsonValue;
using Clock = std::chrono::steady_clock;

const std::string kBoundary = "231991966824484";

std::string MakeTempDir() {
    std::string tmpl = testing::TempDir() + "orvtransport-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    char* d = mkdtemp(buf.data());
    if (!d) throw std::runtime_error("mkdtemp failed");
    return d;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) ++n;
    return n;
}

// ------------------------------------------------------------------ the program

// One orvportal child process. Stop() (and the destructor) ends it, so no
// test leaves a server behind.
class PortalProcess {
public:
    ~PortalProcess() { Stop(); }

    // Starts the program and waits for its first output line. Returns the
    // port, or -1 when the program ended or printed something else.
    int Start(const std::vector<std::string>& args, const std::string& logPath) {
        int out[2];
        if (pipe(out) != 0) return -1;
        killed_ = false;
        pid_ = fork();
        if (pid_ < 0) return -1;
        if (pid_ == 0) {
            // Should the test program die without its TearDown, the server goes with it.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            dup2(out[1], STDOUT_FILENO);
            int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            if (log >= 0) dup2(log, STDERR_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv;
            std::string exe = ORVPORTAL_EXE;
            argv.push_back(exe.data());
            std::vector<std::string> copy = args;
            for (auto& a : copy) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        firstLine_.clear();
        auto deadline = Clock::now() + std::chrono::seconds(60);
        while (Clock::now() < deadline) {
            pollfd p{out[0], POLLIN, 0};
            if (poll(&p, 1, 200) <= 0) continue;
            char c;
            ssize_t n = read(out[0], &c, 1);
            if (n <= 0 || c == '\n') break;
            firstLine_ += c;
        }
        close(out[0]);
        const std::string prefix = "listening on ";
        if (firstLine_.compare(0, prefix.size(), prefix) != 0) return -1;
        port_ = std::atoi(firstLine_.c_str() + prefix.size());
        return port_;
    }

    // Ends the program with SIGTERM (SIGKILL when it does not stop within
    // the time given); returns its exit status as waitpid reports it.
    int Stop(std::chrono::milliseconds grace = std::chrono::milliseconds(10000)) {
        if (pid_ <= 0) return status_;
        kill(pid_, SIGTERM);
        auto deadline = Clock::now() + grace;
        while (Clock::now() < deadline) {
            if (waitpid(pid_, &status_, WNOHANG) == pid_) {
                pid_ = 0;
                return status_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
        pid_ = 0;
        killed_ = true;
        return status_;
    }

    // Waits for a program that ends by itself (bad command lines).
    int Wait() {
        if (pid_ <= 0) return status_;
        auto deadline = Clock::now() + std::chrono::seconds(30);
        while (Clock::now() < deadline) {
            if (waitpid(pid_, &status_, WNOHANG) == pid_) {
                pid_ = 0;
                return status_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return Stop();
    }

    bool killed() const { return killed_; }
    bool running() const { return pid_ > 0; }
    int port() const { return port_; }
    const std::string& firstLine() const { return firstLine_; }

private:
    pid_t pid_ = 0;
    int status_ = 0;
    int port_ = 0;
    bool killed_ = false;
    std::string firstLine_;
};

// ------------------------------------------------------------------ the client side

struct Reply {
    bool ok = false;  // a complete reply arrived
    httplib::Error error = httplib::Error::Success;
    int status = 0;
    std::string body, contentType, disposition, contentLength;
    JsonValue json;
    bool isJson = false;

    std::string retcode() const { return json.get("retcode").str(); }
    const JsonValue& result() const { return json.get("result"); }
    // The file name between the first two double quotes, as the client takes it.
    std::string attachmentName() const {
        if (disposition.find("attachment") == std::string::npos) return {};
        size_t a = disposition.find('"');
        size_t b = a == std::string::npos ? a : disposition.find('"', a + 1);
        return b == std::string::npos ? std::string() : disposition.substr(a + 1, b - a - 1);
    }
};

// Keeps the portal's cookie between requests, as the client's internet
// layer does, and frames requests the way the client's transport does.
class Session {
public:
    explicit Session(int port) : port_(port) {}

    void SetTimeout(std::chrono::milliseconds t) { timeout_ = t; }
    void SetPort(int port) { port_ = port; }
    const std::string& cookie() const { return cookie_; }
    void SetCookie(const std::string& c) { cookie_ = c; }

    Reply Post(const std::string& target, const std::string& contentType, const std::string& body,
               const httplib::Headers& extra = {}) {
        httplib::Client cli("127.0.0.1", port_);
        cli.set_url_encode(false);
        auto secs = std::chrono::duration_cast<std::chrono::seconds>(timeout_);
        auto usecs = std::chrono::duration_cast<std::chrono::microseconds>(timeout_ - secs);
        cli.set_read_timeout(secs.count(), usecs.count());
        httplib::Headers h = {{"Cache-Control", "no-cache"}, {"Accept", "*/*"}};
        for (const auto& e : extra) h.insert(e);
        if (!cookie_.empty()) h.emplace("Cookie", cookie_);
        auto res = cli.Post(target.c_str(), h, body, contentType.c_str());
        Reply r;
        r.error = res.error();
        if (!res) return r;
        r.ok = true;
        r.status = res->status;
        r.body = res->body;
        r.contentType = res->get_header_value("Content-Type");
        r.disposition = res->get_header_value("Content-Disposition");
        r.contentLength = res->get_header_value("Content-Length");
        std::string set = res->get_header_value("Set-Cookie");
        if (!set.empty()) {
            std::string c = set.substr(0, set.find(';'));
            cookie_ = c.substr(c.find('=') + 1).empty() ? std::string() : c;
        }
        if (r.contentType.find("application/json") != std::string::npos && !r.body.empty() &&
            (r.body[0] == '{' || r.body[0] == '[')) {
            try {
                r.json = orvportal::ParseJson(r.body, orvportal::JsonDialect::Standard);
                r.isJson = true;
            } catch (const orvportal::JsonError&) {
            }
        }
        return r;
    }

    // Body form: the service path alone, everything in the body.
    Reply Body(const std::string& body) { return Post("/rpc.php?", "application/x-www-form-urlencoded", body); }
    // Query form: fields after the service path, the data field in the body.
    Reply Query(const std::string& query, const std::string& body = "") {
        return Post("/rpc.php?" + query, "application/x-www-form-urlencoded", body);
    }
    // The client's multipart framing: one part named "Datei".
    Reply Upload(const std::string& query, const std::string& filename, const std::string& data,
                 const std::string& partType = "application/octet-stream") {
        std::string body = "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"Datei\"; filename=\"" +
                           filename + "\"\r\nContent-Type: " + partType + "\r\n";
        if (partType != "text/plain") body += "Content-Transfer-Encoding: binary\r\n";
        body += "\r\n" + data + "\r\n--" + kBoundary + "--\r\n";
        return Post("/rpc.php?" + query, "multipart/form-data; boundary=" + kBoundary, body, {{"Keep-Alive", "115"}});
    }

    Reply Login(const std::string& user = "demo", const std::string& pass = "demo") {
        return Body("rpc_method=V001_User_Login&rpc_accept=json&username=" + user + "&password=" + pass);
    }

private:
    int port_;
    std::string cookie_;
    std::chrono::milliseconds timeout_{20000};
};

// Sends one raw request and reads until the server closes the connection
// or the time is up; returns every byte received.
std::string RawExchange(int port, const std::string& request, std::chrono::milliseconds limit, bool* closed) {
    *closed = false;
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return {};
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return {};
    }
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string got;
    auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        char buf[4096];
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) {
            *closed = true;
            break;
        }
        got.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return got;
}

std::string RawPost(const std::string& body, const std::string& cookie = "") {
    std::string r = "POST /rpc.php? HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                    "Cache-Control: no-cache\r\nAccept: */*\r\nConnection: close\r\n";
    if (!cookie.empty()) r += "Cookie: " + cookie + "\r\n";
    r += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    return r;
}

// The event ids (X-ORV-EVENTID values) of a calendar text with their summaries.
std::map<std::string, int> EventIds(const std::string& calendar) {
    std::map<std::string, int> out;
    size_t pos = 0;
    while ((pos = calendar.find("BEGIN:VEVENT", pos)) != std::string::npos) {
        size_t end = calendar.find("END:VEVENT", pos);
        std::string block = calendar.substr(pos, end - pos);
        size_t s = block.find("\r\nSUMMARY:"), e = block.find("\r\nX-ORV-EVENTID:");
        if (s != std::string::npos && e != std::string::npos) {
            std::string summary = block.substr(s + 10, block.find("\r\n", s + 2) - s - 10);
            out[summary] = std::atoi(block.c_str() + e + 16);
        }
        pos = end;
    }
    return out;
}

std::string EventText(const std::string& uid, const std::string& summary, const std::string& dtstart,
                      int eventId = 0, const std::string& extra = "") {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:" + uid + "\r\nSUMMARY:" + summary + "\r\n" + extra +
           "DTSTART:" + dtstart + "\r\nDTEND:" + dtstart.substr(0, 9) + "235900\r\nX-ORV-EVENTID:" +
           std::to_string(eventId) +
           "\r\nX-ORV-PUBLISH:STATE=1;PUBLISH_UP=00000000T000000;PUBLISH_DOWN=00000000T000000;\r\n"
           "X-ORV-HIGHLIGHTS:\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// ------------------------------------------------------------------ fixture

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeTempDir();
        db_ = dir_ + "/portal.db";
    }
    void TearDown() override {
        // A clean exit on SIGTERM: sanitizer reports and crashes of the
        // server show up here rather than vanishing with its log.
        if (server_.running()) {
            int status = server_.Stop();
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0 && !server_.killed())
                << "orvportal ended badly (status " << status << "):\n" << ReadFile(dir_ + "/orvportal.log");
        }
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // Starts orvportal on the test's database with the demo data and any
    // further options; fails the test when it does not come up.
    void Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--db", db_, "--port", "0", "--seed-demo"};
        args.insert(args.end(), extra.begin(), extra.end());
        port_ = server_.Start(args, dir_ + "/orvportal.log");
        ASSERT_GT(port_, 0) << "first line: '" << server_.firstLine() << "'\n" << ReadFile(dir_ + "/orvportal.log");
    }
    void Restart(std::vector<std::string> extra = {}) {
        int status = server_.Stop();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadFile(dir_ + "/orvportal.log");
        Start(std::move(extra));
    }

    Session LoggedIn(const std::string& user = "demo") {
        Session s(port_);
        Reply r = s.Login(user, user);
        EXPECT_EQ(r.retcode(), "0") << r.body;
        EXPECT_FALSE(s.cookie().empty());
        return s;
    }

    // Switches the fault rules of the running server.
    void SetFault(const std::string& rules) {
        httplib::Client cli("127.0.0.1", port_);
        auto res = cli.Post("/orv-test/fault", "mode=" + rules, "application/x-www-form-urlencoded");
        ASSERT_TRUE(res);
        ASSERT_EQ(res->status, 200) << res->body;
    }

    std::string Calendar(Session& s, const std::string& fields = "&type=my") {
        Reply r = s.Query("rpc_accept=file&rpc_method=V001_Event_GetCalendar" + fields);
        EXPECT_EQ(r.attachmentName(), "Calendar.ics") << r.body;
        return r.body;
    }

public:
    int Port() const { return port_; }

protected:
    std::string dir_, db_;
    PortalProcess server_;
    int port_ = 0;
};

// ------------------------------------------------------------------ start-up

TEST_F(TransportTest, FirstLineNamesAFreePortAndTheServerAnswersThere) {
    Start();
    EXPECT_EQ(server_.firstLine(), "listening on " + std::to_string(port_));
    Session s(port_);
    EXPECT_EQ(s.Body("rpc_method=V001_Application_GetConfig&rpc_accept=json").retcode(), "0");
    EXPECT_TRUE(WIFEXITED(server_.Stop()));
    EXPECT_FALSE(server_.killed()) << "SIGTERM should end the server";
}

TEST_F(TransportTest, PortInUseIsReported) {
    Start();
    PortalProcess second;
    EXPECT_EQ(second.Start({"--db", dir_ + "/other.db", "--port", std::to_string(port_)}, dir_ + "/second.log"), -1);
    int status = second.Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(ReadFile(dir_ + "/second.log").find("cannot listen"), std::string::npos);
}

TEST_F(TransportTest, BadCommandLinesEndWithUsageError) {
    const std::vector<std::vector<std::string>> cases = {
        {"--port", "0"},                                      // no database
        {"--db", db_, "--port", "70000"},                     // port out of range
        {"--db", db_, "--port", "12ab"},                      // not a number
        {"--db", db_, "--port", "0", "--bind", "0.0.0.0"},    // not loopback
        {"--db", db_, "--port", "0", "--fault", "explode"},   // unknown fault
        {"--db", db_, "--port", "0", "--fault", "delay=x"},   // bad parameter
        {"--db", db_, "--port", "0", "--fault", "html=3"},    // parameter where none is taken
        {"--db", db_, "--port", "0", "--fault", "drop:"},     // empty method
        {"--db", db_, "--port", "0", "--frobnicate"},         // unknown option
        {"--db"},                                             // option without value
    };
    for (const auto& args : cases) {
        PortalProcess p;
        EXPECT_EQ(p.Start(args, dir_ + "/bad.log"), -1);
        int status = p.Wait();
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 2) << testing::PrintToString(args);
    }
    EXPECT_FALSE(std::filesystem::exists(db_)) << "a refused start must not create the database";
}

TEST_F(TransportTest, MissingDatabaseFolderIsCreated) {
    db_ = dir_ + "/run/data/portal.db";
    Start();
    EXPECT_TRUE(std::filesystem::exists(db_));
    EXPECT_EQ(LoggedIn().Query("rpc_accept=json&rpc_method=V001_User_List").retcode(), "0");
}

TEST_F(TransportTest, UnreadableDatabaseIsReported) {
    std::filesystem::create_directory(dir_ + "/adir");
    PortalProcess p;
    EXPECT_EQ(p.Start({"--db", dir_ + "/adir", "--port", "0"}, dir_ + "/db.log"), -1);
    int status = p.Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

// ------------------------------------------------------------------ every method

// One request of the method table. Placeholders in query and body:
// {EVENT} a published demo event of "demo", {DRAFT} an unpublished one,
// {PERSON} a demo location, {ANNA} the second demo user's id,
// {FOREIGN} an event of "anna".
enum class Form { Body, Query, Upload };
enum class Expect { Json, File };
// No session, a fresh login as "demo", or a cookie the server never issued.
enum Login { kAnon, kDemo, kStale };

struct MethodCase {
    const char* name;
    const char* method;
    Form form;
    const char* query;  // after "rpc_accept=...&rpc_method=METHOD" (query and upload forms)
    const char* body;   // after "rpc_method=METHOD&rpc_accept=..." (body form) or the data field
    Login login;
    Expect expect;
    const char* retcode;                // for JSON replies
    std::vector<const char*> strings;   // result members that must be JSON strings (a/b for nesting)
    const char* fileName = "";          // for uploads
    const char* fileData = "";
};

void PrintTo(const MethodCase& c, std::ostream* os) { *os << c.name; }

class MethodTable : public TransportTest, public ::testing::WithParamInterface<MethodCase> {
protected:
    void SetUp() override {
        TransportTest::SetUp();
        Start({"--update-version", "1.0.12", "--update-history", "Neue Ansicht"});
        Session demo = LoggedIn("demo");
        auto ids = EventIds(Calendar(demo));
        ASSERT_TRUE(ids.count("Salsa Night") && ids.count("Salsa Intensivworkshop"));
        vars_["{EVENT}"] = std::to_string(ids["Salsa Night"]);
        vars_["{DRAFT}"] = std::to_string(ids["Salsa Intensivworkshop"]);
        Reply users = demo.Query("rpc_accept=json&rpc_method=V001_User_List");
        for (const auto& u : users.result().get("userlist").items())
            if (u.get("username").str() == "anna") vars_["{ANNA}"] = u.get("id").str();
        ASSERT_FALSE(vars_["{ANNA}"].empty());
        Reply locs = demo.Body("rpc_method=V001_Person_GetList&rpc_accept=json&category=LOCATION&field=fullname&value=&"
                               "direction=ASC&region=");
        ASSERT_FALSE(locs.result().get("table").items().empty()) << locs.body;
        vars_["{PERSON}"] = locs.result().get("table").items()[0].get("id").str();
        ASSERT_EQ(demo.Upload("rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=" + vars_["{EVENT}"], "flyer.pdf",
                              "%PDF-1.4")
                      .retcode(),
                  "0");
        ASSERT_EQ(demo.Upload("rpc_accept=json&rpc_method=V001_Person_SetFile&persid=" + vars_["{PERSON}"], "logo.png",
                              "\x89PNG")
                      .retcode(),
                  "0");
        Session anna = LoggedIn("anna");
        Reply up = anna.Upload("rpc_accept=json&rpc_method=V001_Event_UploadEvent&overwrite=false", "VEVENT",
                               EventText("anna-1", "Annas Abend", "20260110T200000"));
        ASSERT_EQ(up.retcode(), "0") << up.body;
        vars_["{FOREIGN}"] = up.result().get("eventid").str();
    }

    std::string Fill(std::string text) {
        for (const auto& v : vars_)
            for (size_t p = text.find(v.first); p != std::string::npos; p = text.find(v.first))
                text.replace(p, v.first.size(), v.second);
        return text;
    }

    std::map<std::string, std::string> vars_;
};

TEST_P(MethodTable, Replies) {
    const MethodCase& c = GetParam();
    Session s(port_);
    if (c.login == kDemo) ASSERT_EQ(s.Login().retcode(), "0");
    if (c.login == kStale) s.SetCookie("orvsession=0123456789abcdef");
    std::string accept = c.expect == Expect::File ? "file" : "json";
    Reply r;
    switch (c.form) {
    case Form::Body:
        r = s.Body(Fill(std::string("rpc_method=") + c.method + "&rpc_accept=" + accept + c.body));
        break;
    case Form::Query:
        r = s.Query(Fill(std::string("rpc_accept=") + accept + "&rpc_method=" + c.method + c.query), Fill(c.body));
        break;
    case Form::Upload:
        r = s.Upload(Fill(std::string("rpc_accept=json&rpc_method=") + c.method + c.query), c.fileName, c.fileData);
        break;
    }
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.status, 200);
    if (c.expect == Expect::File) {
        EXPECT_FALSE(r.attachmentName().empty()) << r.disposition << "\n" << r.body.substr(0, 300);
        EXPECT_FALSE(r.isJson);
        return;
    }
    EXPECT_TRUE(r.attachmentName().empty()) << "JSON replies are no attachments";
    EXPECT_EQ(r.contentType.find("application/json"), 0u) << r.contentType;
    ASSERT_TRUE(r.isJson) << r.body;
    ASSERT_TRUE(r.json.get("retcode").isString()) << "numbers travel as strings: " << r.body;
    EXPECT_EQ(r.retcode(), c.retcode) << r.body;
    EXPECT_TRUE(r.json.get("message").isString());
    EXPECT_TRUE(r.json.get("error").isArray());
    if (r.retcode() != "0" && r.retcode() != "100") {
        ASSERT_FALSE(r.json.get("error").items().empty()) << r.body;
        const auto& e = r.json.get("error").items()[0];
        EXPECT_EQ(e.get("error").str(), r.retcode());
        EXPECT_FALSE(e.get("message").str().empty());
    }
    for (const char* path : c.strings) {
        std::string p = path;
        const JsonValue* v = &r.result();
        for (size_t start = 0; start <= p.size();) {
            size_t slash = p.find('/', start);
            if (slash == std::string::npos) slash = p.size();
            std::string part = p.substr(start, slash - start);
            if (v->isArray()) {
                static const JsonValue none;
                size_t i = std::strtoul(part.c_str(), nullptr, 10);
                v = i < v->items().size() ? &v->items()[i] : &none;
            } else {
                v = &v->get(part);
            }
            start = slash + 1;
        }
        EXPECT_TRUE(v->isString()) << path << " in " << r.body;
        EXPECT_FALSE(v->str().empty()) << path << " in " << r.body;
    }
}

const char* const kPerson =
    "person={\"perscat\":[\"location\"],\"pers\":{\"id\":\"0\",\"fullname\":\"Halle #38; Hof\",\"street\":\"Weg 1\","
    "\"zip\":\"10115\",\"city\":\"Berlin\",\"country\":\"D\",\"text\":\"10% Rabatt\"}}";
const char* const kQueries =
    "querylist=[{\"name\":\"Salsa & mehr\",\"type\":\"selection\",\"pool\":\"Latin\",\"scenes\":\"salsa\","
    "\"categories\":\"lesson+event\",\"country\":\"D\",\"zip\":\"\",\"city\":\"Berlin\"}]";

const std::vector<MethodCase> kMethodCases = {
        // users and sessions
        MethodCase{"Login", "V001_User_Login", Form::Body, "", "&username=demo&password=demo", kAnon, Expect::Json, "0",
                   {"person/clientstate", "person/id"}},
        MethodCase{"LoginWrongPassword", "V001_User_Login", Form::Body, "", "&username=demo&password=nope", kAnon,
                   Expect::Json, "-101", {}},
        MethodCase{"Logout", "V001_User_Logout", Form::Body, "", "", kDemo, Expect::Json, "0", {}},
        // a cookie the server does not know ends nothing and still succeeds
        MethodCase{"LogoutStaleCookie", "V001_User_Logout", Form::Body, "", "", kStale, Expect::Json, "0", {}},
        MethodCase{"UserList", "V001_User_List", Form::Query, "", "", kDemo, Expect::Json, "0", {}},
        MethodCase{"UserListNoLogin", "V001_User_List", Form::Query, "", "", kAnon, Expect::Json, "-3", {}},
        MethodCase{"Register", "V001_User_Register", Form::Query, "",
                   "user={\"name\":\"Neu\",\"username\":\"neu\",\"email\":\"neu@x\",\"password\":\"pw\",\"password2\":\"pw\"}",
                   kAnon, Expect::Json, "0", {"block", "id"}},
        MethodCase{"RegisterTaken", "V001_User_Register", Form::Query, "",
                   "user={\"name\":\"D\",\"username\":\"demo\",\"email\":\"d@x\",\"password\":\"pw\",\"password2\":\"pw\"}",
                   kAnon, Expect::Json, "-110", {}},
        MethodCase{"SetCategories", "V001_User_SetCategories", Form::Query, "",
                   "categories=[\"Stammtisch\",\"Caf\xC3\xA9 & Tanz\"]", kDemo, Expect::Json, "0", {}},
        MethodCase{"SetCategoriesNotAList", "V001_User_SetCategories", Form::Query, "", "categories={\"a\":1}", kDemo,
                   Expect::Json, "-1", {}},
        MethodCase{"SetBackendQueries", "V001_User_SetBackendQueries", Form::Query, "&userid=0", kQueries, kDemo,
                   Expect::Json, "0", {}},
        MethodCase{"SetBackendQueriesOfOther", "V001_User_SetBackendQueries", Form::Query, "&userid={ANNA}",
                   "querylist=[]", kDemo, Expect::Json, "-5", {}},
        MethodCase{"GetBackendQueries", "V001_User_GetBackendQueries", Form::Body, "", "&userid=0", kDemo, Expect::Json,
                   "0", {"querylist/0/name"}},
        MethodCase{"GetBackendQueriesNoLogin", "V001_User_GetBackendQueries", Form::Body, "", "&userid=0", kAnon,
                   Expect::Json, "-3", {}},
        // application
        MethodCase{"GetConfig", "V001_Application_GetConfig", Form::Body, "", "", kDemo, Expect::Json, "0",
                   {"config/pools/0/id", "config/pools/0/name", "config/pools/0/scenes/0/id", "config/edit_categories/0/id",
                    "config/user_categories/0"}},
        // the start-up fetches the configuration with whatever cookie is left
        MethodCase{"GetConfigStaleCookie", "V001_Application_GetConfig", Form::Body, "", "", kStale, Expect::Json, "0",
                   {"config/pools/0/id"}},
        MethodCase{"GetConfigUnknownMethodNeighbour", "V001_Application_GetConfigX", Form::Body, "", "", kAnon,
                   Expect::Json, "-2", {}},
        MethodCase{"CheckUpdate", "V001_Application_CheckUpdate", Form::Body, "",
                   "&application=OrvCalendar&version=1.0.11", kAnon, Expect::Json, "0", {"version", "history"}},
        MethodCase{"CheckUpdateCurrent", "V001_Application_CheckUpdate", Form::Body, "",
                   "&application=OrvCalendar&version=1.0.12", kAnon, Expect::Json, "100", {}},
        MethodCase{"DownloadUpdate", "V001_Application_DownloadUpdate", Form::Body, "",
                   "&application=OrvCalendar&version=1.0.12", kAnon, Expect::File, "", {}},
        MethodCase{"DownloadUpdateUnknownVersion", "V001_Application_DownloadUpdate", Form::Body, "",
                   "&application=OrvCalendar&version=9.9", kAnon, Expect::Json, "-4", {}},
        MethodCase{"DetectLocation", "V001_Geo_DetectLocation", Form::Query, "&country=D&city=Hamburg", "", kAnon,
                   Expect::Json, "0", {"location/zip", "location/city", "location/country"}},
        MethodCase{"DetectLocationNothingGiven", "V001_Geo_DetectLocation", Form::Query, "", "", kAnon, Expect::Json,
                   "-1", {}},
        // events
        MethodCase{"UploadEvent", "V001_Event_UploadEvent", Form::Upload, "&overwrite=false", "", kDemo, Expect::Json,
                   "0", {"eventid"}, "VEVENT", "BEGIN:VEVENT\r\nUID:t1\r\nSUMMARY:Neu\r\nDTSTART:20260301T200000\r\nEND:VEVENT\r\n"},
        MethodCase{"UploadEventWithoutDate", "V001_Event_UploadEvent", Form::Upload, "&overwrite=false", "", kDemo,
                   Expect::Json, "-1", {}, "VEVENT", "BEGIN:VEVENT\r\nSUMMARY:Ohne Datum\r\nEND:VEVENT\r\n"},
        MethodCase{"DeleteEvent", "V001_Event_Delete", Form::Query, "&eventid={EVENT}", "", kDemo, Expect::Json, "0", {}},
        MethodCase{"DeleteForeignEvent", "V001_Event_Delete", Form::Query, "&eventid={FOREIGN}", "", kDemo, Expect::Json,
                   "-5", {}},
        MethodCase{"GetCalendarMy", "V001_Event_GetCalendar", Form::Query, "&type=my", "", kDemo, Expect::File, "", {}},
        MethodCase{"GetCalendarUser", "V001_Event_GetCalendar", Form::Query, "&type=user&userid={ANNA}", "", kDemo,
                   Expect::File, "", {}},
        MethodCase{"GetCalendarSelection", "V001_Event_GetCalendar", Form::Query,
                   "&type=selection&pool=Latin&categories=lesson+event&city=Berlin", "", kAnon, Expect::File, "", {}},
        MethodCase{"GetCalendarMyNoLogin", "V001_Event_GetCalendar", Form::Query, "&type=my", "", kAnon, Expect::Json,
                   "-3", {}},
        MethodCase{"EventSetFile", "V001_Event_SetFile", Form::Upload, "&eventid={EVENT}", "", kDemo, Expect::Json, "0",
                   {"filename"}, "bild.jpg", "\xFF\xD8\xFF\xE0"},
        MethodCase{"EventSetFileForeign", "V001_Event_SetFile", Form::Upload, "&eventid={FOREIGN}", "", kDemo,
                   Expect::Json, "-5", {}, "bild.jpg", "J"},
        MethodCase{"EventGetFile", "V001_Event_GetFile", Form::Body, "", "&eventid={EVENT}&filename=flyer.pdf", kDemo,
                   Expect::File, "", {}},
        MethodCase{"EventGetFileMissing", "V001_Event_GetFile", Form::Body, "", "&eventid={EVENT}&filename=nix.pdf",
                   kDemo, Expect::Json, "-4", {}},
        MethodCase{"EventDeleteFile", "V001_Event_DeleteFile", Form::Body, "", "&eventid={EVENT}&filename=flyer.pdf",
                   kDemo, Expect::Json, "0", {}},
        MethodCase{"EventDeleteFileNoName", "V001_Event_DeleteFile", Form::Body, "", "&eventid={EVENT}&filename=", kDemo,
                   Expect::Json, "-1", {}},
        MethodCase{"Facebook", "V001_Facebook_SetEvent", Form::Body, "", "&eventid={EVENT}&eventnr=1", kDemo,
                   Expect::Json, "0", {"postid"}},
        MethodCase{"FacebookDraft", "V001_Facebook_SetEvent", Form::Body, "", "&eventid={DRAFT}&eventnr=1", kDemo,
                   Expect::Json, "-6", {}},
        MethodCase{"SetValue", "V001_Event_SetValue", Form::Body, "",
                   "&eventid={EVENT}&eventnr=1&key=supraregional&value=0", kDemo, Expect::Json, "0", {"value"}},
        MethodCase{"SetValueUnknownKey", "V001_Event_SetValue", Form::Body, "", "&eventid={EVENT}&eventnr=1&key=color&value=1",
                   kDemo, Expect::Json, "-1", {}},
        MethodCase{"SetHighlight", "V001_Event_SetHighlight", Form::Body, "", "&eventid={EVENT}&eventnr=1&level=1", kDemo,
                   Expect::Json, "0", {"level"}},
        MethodCase{"SetHighlightNoSuchDate", "V001_Event_SetHighlight", Form::Body, "",
                   "&eventid={EVENT}&eventnr=5&level=1", kDemo, Expect::Json, "-4", {}},
        MethodCase{"SetUser", "V001_Event_SetUser", Form::Body, "", "&eventid={EVENT}&userid={ANNA}", kDemo, Expect::Json,
                   "0", {"userid"}},
        MethodCase{"SetUserUnknown", "V001_Event_SetUser", Form::Body, "", "&eventid={EVENT}&userid=4711", kDemo,
                   Expect::Json, "-4", {}},
        // persons
        MethodCase{"PersonSave", "V001_Person_Save", Form::Query, "&category=location", kPerson, kDemo, Expect::Json, "0",
                   {"id"}},
        MethodCase{"PersonSaveNoName", "V001_Person_Save", Form::Query, "",
                   "person={\"pers\":{\"id\":\"0\",\"fullname\":\"\"}}", kDemo, Expect::Json, "-1", {}},
        MethodCase{"PersonRead", "V001_Person_Read", Form::Body, "", "&persid={PERSON}", kDemo, Expect::Json, "0",
                   {"person/id", "person/fullname"}},
        MethodCase{"PersonReadByName", "V001_Person_Read", Form::Body, "", "&fullname=DJ%20Caliente", kDemo, Expect::Json,
                   "0", {"person/id"}},
        MethodCase{"PersonReadUnknown", "V001_Person_Read", Form::Body, "", "&persid=99999", kDemo, Expect::Json, "100",
                   {}},
        MethodCase{"PersonCategories", "V001_Person_GetCategories", Form::Body, "", "&persid={PERSON}", kDemo,
                   Expect::Json, "0", {"table/0/perscat"}},
        MethodCase{"PersonCategoriesBadId", "V001_Person_GetCategories", Form::Body, "", "&persid=abc", kDemo,
                   Expect::Json, "-1", {}},
        MethodCase{"PersonList", "V001_Person_GetList", Form::Body, "",
                   "&category=DJ&field=fullname&value=&direction=ASC&region=", kDemo, Expect::Json, "0",
                   {"table/0/fullname", "table/0/id"}},
        MethodCase{"PersonListBadField", "V001_Person_GetList", Form::Body, "",
                   "&category=DJ&field=password&value=&direction=asc&region=", kDemo, Expect::Json, "-1", {}},
        MethodCase{"PersonSetFile", "V001_Person_SetFile", Form::Upload, "&persid={PERSON}", "", kDemo, Expect::Json, "0",
                   {"filename"}, "portrait.jpg", "\xFF\xD8"},
        MethodCase{"PersonSetFileUnknown", "V001_Person_SetFile", Form::Upload, "&persid=99999", "", kDemo, Expect::Json,
                   "-4", {}, "portrait.jpg", "\xFF\xD8"},
        MethodCase{"PersonGetFile", "V001_Person_GetFile", Form::Body, "", "&persid={PERSON}&filename=logo", kDemo,
                   Expect::File, "", {}},
        MethodCase{"PersonGetFileMissing", "V001_Person_GetFile", Form::Body, "", "&persid={PERSON}&filename=img", kDemo,
                   Expect::Json, "-4", {}},
        MethodCase{"PersonDeleteFile", "V001_Person_DeleteFile", Form::Body, "", "&persid={PERSON}&filename=logo.png",
                   kDemo, Expect::Json, "0", {}},
        MethodCase{"PersonDeleteFileMissing", "V001_Person_DeleteFile", Form::Body, "",
                   "&persid={PERSON}&filename=logo.gif", kDemo, Expect::Json, "-4", {}}};

INSTANTIATE_TEST_SUITE_P(Methods, MethodTable, ::testing::ValuesIn(kMethodCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The table names every method of the service with a main path and an error path.
TEST(MethodTableCoverage, EveryMethodHasAMainAndAnErrorCase) {
    const std::vector<std::string> methods = {
        "V001_Application_CheckUpdate", "V001_Application_DownloadUpdate", "V001_Application_GetConfig",
        "V001_Event_Delete",            "V001_Event_DeleteFile",           "V001_Event_GetCalendar",
        "V001_Event_GetFile",           "V001_Event_SetFile",              "V001_Event_SetHighlight",
        "V001_Event_SetUser",           "V001_Event_SetValue",             "V001_Event_UploadEvent",
        "V001_Facebook_SetEvent",       "V001_Geo_DetectLocation",         "V001_Person_DeleteFile",
        "V001_Person_GetCategories",    "V001_Person_GetFile",             "V001_Person_GetList",
        "V001_Person_Read",             "V001_Person_Save",                "V001_Person_SetFile",
        "V001_User_GetBackendQueries",  "V001_User_List",                  "V001_User_Login",
        "V001_User_Logout",             "V001_User_Register",              "V001_User_SetBackendQueries",
        "V001_User_SetCategories"};
    std::map<std::string, std::pair<int, int>> seen;  // method -> (main cases, error cases)
    for (const auto& c : kMethodCases) {
        bool error = c.login == kStale || (c.expect == Expect::Json && std::string(c.retcode) != "0");
        auto& slot = seen[c.method];
        (error ? slot.second : slot.first)++;
    }
    for (const auto& m : methods) {
        EXPECT_GE(seen[m].first, 1) << m << " has no main-path case";
        EXPECT_GE(seen[m].second, 1) << m << " has no error-path case";
    }
}

// ------------------------------------------------------------------ login and cookie

TEST_F(TransportTest, CookieCarriesTheLoginUntilLogout) {
    Start();
    Session s(port_);
    EXPECT_EQ(s.Query("rpc_accept=json&rpc_method=V001_User_List").retcode(), "-3");
    Reply login = s.Login();
    ASSERT_EQ(login.retcode(), "0");
    EXPECT_EQ(login.result().get("person").get("username").str(), "demo");
    std::string first = s.cookie();
    ASSERT_EQ(first.rfind("orvsession=", 0), 0u) << first;
    EXPECT_EQ(s.Query("rpc_accept=json&rpc_method=V001_User_List").retcode(), "0");

    // A second login hands out a new cookie and ends the old session.
    ASSERT_EQ(s.Login().retcode(), "0");
    EXPECT_NE(s.cookie(), first);
    Session old(port_);
    old.SetCookie(first);
    EXPECT_EQ(old.Query("rpc_accept=json&rpc_method=V001_User_List").retcode(), "-3");

    std::string current = s.cookie();
    EXPECT_EQ(s.Body("rpc_method=V001_User_Logout&rpc_accept=json").retcode(), "0");
    EXPECT_TRUE(s.cookie().empty()) << "logout clears the cookie";
    Session after(port_);
    after.SetCookie(current);
    EXPECT_EQ(after.Query("rpc_accept=json&rpc_method=V001_User_List").retcode(), "-3");
}

TEST_F(TransportTest, LoginFormsAndRefusals) {
    Start({"--block-new-users"});
    Session reg(port_);
    Reply r = reg.Query("rpc_accept=json&rpc_method=V001_User_Register",
                        "user={\"name\":\"J\xC3\xBCrgen\",\"username\":\"j\xC3\xBCrgen k\",\"email\":\"j@x\","
                        "\"password\":\"p&w\",\"password2\":\"p&w\"}");
    ASSERT_EQ(r.retcode(), "0") << r.body;
    EXPECT_EQ(r.result().get("block").str(), "1");
    EXPECT_TRUE(reg.cookie().empty()) << "a blocked registration gets no session";
    struct C {
        const char* body;
        const char* retcode;
    } cases[] = {
        {"&username=demo&password=demo", "0"},
        {"&username=DEMO&password=demo", "-101"},              // names are exact
        {"&username=demo&password=", "-101"},
        {"&username=demo", "-1"},                              // no password field
        {"&username=j%FCrgen%20k&password=p%26w", "-109"},      // Windows-1252, encoded, blocked
        {"&username=j%C3%BCrgen%20k&password=p%26w", "-109"},   // the same in UTF-8
        {"&username=j%C3%BCrgen%20k&password=p&w", "-101"},     // an unencoded "&" cuts the password
    };
    for (const auto& c : cases) {
        Session s(port_);
        Reply lr = s.Body(std::string("rpc_method=V001_User_Login&rpc_accept=json") + c.body);
        EXPECT_EQ(lr.retcode(), c.retcode) << c.body << "\n" << lr.body;
        EXPECT_EQ(s.cookie().empty(), std::string(c.retcode) != "0") << c.body;
    }
}

// ------------------------------------------------------------------ uploads and attachments

TEST_F(TransportTest, UploadedCalendarComesBackWithItsEventId) {
    Start();
    Session s = LoggedIn();
    Reply up = s.Upload("rpc_accept=json&rpc_method=V001_Event_UploadEvent&overwrite=false", "VEVENT",
                        EventText("tr-1", "Transportabend", "20260402T193000", 0,
                                  "DESCRIPTION:Zeile 1\\nZeile 2\r\nX-ORV-SCENES:salsa\r\n"));
    ASSERT_EQ(up.retcode(), "0") << up.body;
    std::string id = up.result().get("eventid").str();
    ASSERT_GT(std::atoi(id.c_str()), 0);
    std::string cal = Calendar(s);
    EXPECT_EQ(cal.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
    EXPECT_NE(cal.find("END:VCALENDAR\r\n"), std::string::npos);
    ASSERT_EQ(EventIds(cal)["Transportabend"], std::atoi(id.c_str()));
    EXPECT_NE(cal.find("DESCRIPTION:Zeile 1\\nZeile 2\r\n"), std::string::npos);

    // Sent again with its id (an edit), it keeps the id and replaces the text.
    Reply again = s.Upload("rpc_accept=json&rpc_method=V001_Event_UploadEvent&overwrite=false", "VEVENT",
                           EventText("tr-1", "Transportabend neu", "20260402T193000", std::atoi(id.c_str())));
    EXPECT_EQ(again.result().get("eventid").str(), id);
    auto ids = EventIds(Calendar(s));
    EXPECT_EQ(ids.count("Transportabend"), 0u);
    EXPECT_EQ(ids["Transportabend neu"], std::atoi(id.c_str()));
}

TEST_F(TransportTest, FilesTravelByteForByte) {
    Start();
    Session s = LoggedIn();
    std::string id = std::to_string(EventIds(Calendar(s))["Salsa Night"]);
    ASSERT_NE(id, "0");
    // Bytes that trip naive multipart readers: NUL, CR LF, a line that looks like the boundary.
    // (The client's boundary is fixed, so a file holding "\r\n--" and the
    // whole boundary cannot be sent by it at all; near misses must pass.)
    std::string data = std::string("\x89PNG\r\n\x1a\n\0\0", 10) + "\r\n--" + kBoundary.substr(0, 10) + "\r\n" +
                       std::string(300000, '\xAB') + "\r\n--" + kBoundary.substr(0, 14) + "--";
    struct C {
        const char* setQuery;
        const char* getBody;
        const char* name;
        const char* served;  // name in the Content-Disposition
    } cases[] = {
        {"rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=", "rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=",
         "bild.png", "bild.png"},
        {"rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=", "rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=",
         "../../etc/evil.png", "evil.png"},  // stored as a bare name
    };
    for (const auto& c : cases) {
        Reply set = s.Upload(c.setQuery + id, c.name, data, "image/png");
        ASSERT_EQ(set.retcode(), "0") << set.body;
        EXPECT_EQ(set.result().get("size").str(), std::to_string(data.size()));
        Reply get = s.Body(std::string(c.getBody) + id + "&filename=" + c.served);
        EXPECT_EQ(get.attachmentName(), c.served) << get.disposition;
        EXPECT_EQ(get.contentLength, std::to_string(data.size()));
        EXPECT_TRUE(get.body == data) << "file changed on the way: " << get.body.size() << " bytes";
        EXPECT_EQ(get.contentType, "image/png");
    }

    // Person pictures are asked for by frame name without extension.
    std::string persid = s.Body("rpc_method=V001_Person_Read&rpc_accept=json&fullname=Tanzhaus%20Mitte")
                             .result().get("person").get("id").str();
    ASSERT_FALSE(persid.empty());
    ASSERT_EQ(s.Upload("rpc_accept=json&rpc_method=V001_Person_SetFile&persid=" + persid, "portrait.jpg", data).retcode(),
              "0");
    Reply pic = s.Body("rpc_method=V001_Person_GetFile&rpc_accept=file&persid=" + persid + "&filename=portrait");
    EXPECT_EQ(pic.attachmentName(), "portrait.jpg");
    EXPECT_TRUE(pic.body == data);
    EXPECT_EQ(s.Body("rpc_method=V001_Person_DeleteFile&rpc_accept=json&persid=" + persid + "&filename=portrait.jpg")
                  .retcode(),
              "0");
    EXPECT_TRUE(s.Body("rpc_method=V001_Person_GetFile&rpc_accept=file&persid=" + persid + "&filename=portrait")
                    .attachmentName()
                    .empty());
}

TEST_F(TransportTest, CalendarForEveryQueryType) {
    Start();
    Session demo = LoggedIn("demo");
    Session anna = LoggedIn("anna");
    ASSERT_EQ(anna.Upload("rpc_accept=json&rpc_method=V001_Event_UploadEvent&overwrite=false", "VEVENT",
                          EventText("a-1", "Annas Kurs", "20260110T200000"))
                  .retcode(),
              "0");
    std::string annaId;
    Reply users = demo.Query("rpc_accept=json&rpc_method=V001_User_List");
    for (const auto& u : users.result().get("userlist").items())
        if (u.get("username").str() == "anna") annaId = u.get("id").str();
    ASSERT_FALSE(annaId.empty()) << users.body;
    Session anon(port_);
    struct C {
        const char* name;
        Session* who;
        std::string fields;
        std::vector<std::string> present, absent;
    } cases[] = {
        {"no query", &demo, "&type=my", {"Salsa Grundkurs", "Salsa Intensivworkshop"}, {"Annas Kurs"}},
        {"my", &demo, "&type=my", {"Salsa Night", "Salsa Intensivworkshop"}, {"Annas Kurs"}},
        {"user", &demo, "&type=user&userid=" + annaId, {"Annas Kurs"}, {"Salsa Night"}},
        {"user without id", &demo, "&type=user", {"Salsa Night"}, {"Annas Kurs"}},
        {"other user's drafts stay hidden", &anna, "&type=user&userid=1", {"Salsa Night"}, {"Salsa Intensivworkshop"}},
        {"selection", &anon, "&type=selection&scenes=tango", {"Tango Milonga"}, {"Salsa Night", "Annas Kurs"}},
        {"selection by category and city", &anon, "&type=selection&categories=lesson&city=Berlin", {"Salsa Grundkurs"},
         {"Salsa Night", "Tango Milonga"}},
        // the client sends query values as they stand: a raw Windows-1252 byte
        {"raw single-byte city", &anon, "&type=selection&city=M\xFCnchen", {"Tango Milonga", "Swing Social"},
         {"Salsa Night"}},
        {"UTF-8 city", &anon, "&type=selection&city=M%C3%BCnchen", {"Tango Milonga"}, {"Salsa Night"}},
    };
    cases[0].fields = "";
    for (auto& c : cases) {
        Reply r = c.who->Query("rpc_accept=file&rpc_method=V001_Event_GetCalendar" + c.fields);
        EXPECT_EQ(r.attachmentName(), "Calendar.ics") << c.name << ": " << r.body.substr(0, 200);
        EXPECT_NE(r.contentType.find("text/calendar"), std::string::npos) << c.name;
        EXPECT_EQ(r.body.rfind("BEGIN:VCALENDAR\r\n", 0), 0u) << c.name;
        auto ids = EventIds(r.body);
        for (const auto& p : c.present) EXPECT_EQ(ids.count(p), 1u) << c.name << " lacks " << p;
        for (const auto& a : c.absent) EXPECT_EQ(ids.count(a), 0u) << c.name << " has " << a;
    }
    // The weekly course comes once, with its rule: the client expands it.
    std::string mine = Calendar(demo);
    size_t course = mine.find("SUMMARY:Salsa Grundkurs\r\n");
    ASSERT_NE(course, std::string::npos);
    size_t end = mine.find("END:VEVENT", course);
    EXPECT_NE(mine.substr(course, end - course).find("RRULE:FREQ=WEEKLY"), std::string::npos);
    EXPECT_EQ(Count(mine, "SUMMARY:Salsa Grundkurs\r\n"), 1u);
}

TEST_F(TransportTest, UpdateIsOfferedAndDownloaded) {
    std::string setup = dir_ + "/setup.bin";
    std::string bytes = std::string("MZ\x90\0\x03", 5) + std::string(5000, '\x7F');
    std::ofstream(setup, std::ios::binary) << bytes;
    Start({"--update-version", "1.0.12", "--update-file", setup, "--update-history", "Neu: Monatsansicht"});
    Session s(port_);
    Reply check = s.Body("rpc_method=V001_Application_CheckUpdate&rpc_accept=json&application=OrvCalendar&version=1.0.11");
    ASSERT_EQ(check.retcode(), "0") << check.body;
    EXPECT_EQ(check.result().get("version").str(), "1.0.12");
    EXPECT_EQ(check.result().get("history").str(), "Neu: Monatsansicht");
    Reply dl = s.Body("rpc_method=V001_Application_DownloadUpdate&rpc_accept=file&application=OrvCalendar&version=1.0.12");
    EXPECT_EQ(dl.attachmentName(), "OrvCalendar_1.0.12_setup.exe");
    EXPECT_TRUE(dl.body == bytes);

    // Started again without the options, the offer stays; --clear-update removes it.
    Restart();
    s.SetPort(port_);
    EXPECT_EQ(s.Body("rpc_method=V001_Application_CheckUpdate&rpc_accept=json&application=OrvCalendar&version=1.0.11")
                  .retcode(),
              "0");
    Restart({"--clear-update"});
    s.SetPort(port_);
    EXPECT_EQ(s.Body("rpc_method=V001_Application_CheckUpdate&rpc_accept=json&application=OrvCalendar&version=1.0.11")
                  .retcode(),
              "100");
}

// ------------------------------------------------------------------ faults

struct FaultCase {
    const char* name;
    const char* rule;
    std::function<void(TransportTest&, Session&, const Reply&)> check;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

// Every case runs the same login request against a server started with
// the rule, then checks that the other methods are untouched.
class FaultModes : public TransportTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultModes, LoginReplyIsBrokenAsAsked) {
    Start({"--fault", std::string(GetParam().rule) + ":V001_User_Login"});
    Session s(port_);
    s.SetTimeout(std::chrono::milliseconds(800));
    Reply r = s.Login();
    GetParam().check(*this, s, r);
    Session other(port_);
    Reply cfg = other.Body("rpc_method=V001_Application_GetConfig&rpc_accept=json");
    EXPECT_EQ(cfg.retcode(), "0") << "a fault for one method leaves the others alone: " << cfg.body.substr(0, 200);
}

bool ParsesAsJson(const std::string& body) {
    try {
        orvportal::ParseJson(body, orvportal::JsonDialect::Standard);
        return true;
    } catch (const orvportal::JsonError&) {
        return false;
    }
}

const FaultCase kFaultCases[] = {
    {"garbage", "badjson",
     [](TransportTest&, Session&, const Reply& r) {
         ASSERT_TRUE(r.ok);
         EXPECT_NE(r.contentType.find("application/json"), std::string::npos);
         EXPECT_EQ(r.body[0], '{') << "passes the client's first-character check";
         EXPECT_FALSE(ParsesAsJson(r.body)) << r.body;
     }},
    {"wrong_content_type", "html",
     [](TransportTest&, Session&, const Reply& r) {
         ASSERT_TRUE(r.ok);
         EXPECT_EQ(r.contentType.find("text/html"), 0u) << r.contentType;
         EXPECT_TRUE(ParsesAsJson(r.body)) << "the body itself is the real reply";
         EXPECT_NE(r.body.find("\"retcode\":\"0\""), std::string::npos);
     }},
    {"truncated", "truncate",
     [](TransportTest&, Session&, const Reply& r) {
         ASSERT_TRUE(r.ok);
         EXPECT_EQ(r.contentLength, std::to_string(r.body.size()));
         EXPECT_FALSE(ParsesAsJson(r.body)) << r.body;
         EXPECT_EQ(r.body.rfind("{\"retcode\":\"0\"", 0), 0u) << r.body;
     }},
    {"dies_after_headers", "drop",
     [](TransportTest& t, Session&, const Reply& r) {
         EXPECT_FALSE(r.ok) << "an incomplete reply is no reply";
         bool closed = false;
         std::string raw = RawExchange(t.Port(), RawPost("rpc_method=V001_User_Login&rpc_accept=json&username=demo&password=demo"),
                                       std::chrono::milliseconds(5000), &closed);
         EXPECT_TRUE(closed);
         size_t head = raw.find("\r\n\r\n");
         ASSERT_NE(head, std::string::npos) << raw;
         EXPECT_EQ(raw.rfind("HTTP/1.1 200", 0), 0u) << raw;
         EXPECT_NE(raw.find("Content-Length: "), std::string::npos);
         EXPECT_EQ(raw.size(), head + 4) << "no body byte after the headers";
     }},
    {"dies_mid_body", "drop=12",
     [](TransportTest& t, Session&, const Reply& r) {
         EXPECT_FALSE(r.ok);
         bool closed = false;
         std::string raw = RawExchange(t.Port(), RawPost("rpc_method=V001_User_Login&rpc_accept=json&username=demo&password=demo"),
                                       std::chrono::milliseconds(5000), &closed);
         EXPECT_TRUE(closed);
         size_t head = raw.find("\r\n\r\n");
         ASSERT_NE(head, std::string::npos);
         EXPECT_EQ(raw.substr(head + 4), "{\"retcode\":\"");
     }},
    {"delay_past_timeout", "delayms=3000",
     [](TransportTest&, Session& s, const Reply& r) {
         EXPECT_FALSE(r.ok);
         EXPECT_EQ(r.error, httplib::Error::Read);
         s.SetTimeout(std::chrono::milliseconds(10000));
         auto t0 = Clock::now();
         Reply slow = s.Login();
         EXPECT_EQ(slow.retcode(), "0") << "a patient client gets the answer";
         EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(2900));
     }},
    {"huge", "huge=3",
     [](TransportTest&, Session&, const Reply& r) {
         ASSERT_TRUE(r.ok);
         EXPECT_GT(r.body.size(), 3u * 1024 * 1024);
         EXPECT_EQ(r.contentLength, std::to_string(r.body.size()));
         EXPECT_TRUE(ParsesAsJson(r.body));
         EXPECT_NE(r.body.find("\"retcode\":\"0\""), std::string::npos);
     }},
    {"empty", "empty",
     [](TransportTest&, Session&, const Reply& r) {
         ASSERT_TRUE(r.ok);
         EXPECT_TRUE(r.body.empty());
         EXPECT_NE(r.contentType.find("application/json"), std::string::npos);
     }},
    {"server_error", "status500",
     [](TransportTest&, Session&, const Reply& r) {
         ASSERT_TRUE(r.ok);
         EXPECT_EQ(r.status, 500);
         EXPECT_EQ(r.contentType.find("text/html"), 0u);
     }},
    {"retcode", "retcode=-7",
     [](TransportTest&, Session&, const Reply& r) {
         ASSERT_TRUE(r.isJson);
         EXPECT_EQ(r.retcode(), "-7");
         EXPECT_FALSE(r.json.get("message").str().empty());
     }},
};

INSTANTIATE_TEST_SUITE_P(Modes, FaultModes, ::testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransportTest, NoAttachmentFaultKeepsTheBody) {
    Start({"--fault", "noattach:V001_Event_GetCalendar"});
    Session s = LoggedIn();
    Reply cal = s.Query("rpc_accept=file&rpc_method=V001_Event_GetCalendar&type=my");
    EXPECT_TRUE(cal.disposition.empty());
    EXPECT_EQ(cal.body.rfind("BEGIN:VCALENDAR", 0), 0u);
    std::string id = std::to_string(EventIds(cal.body)["Salsa Night"]);
    ASSERT_EQ(s.Upload("rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=" + id, "a.txt", "x", "text/plain").retcode(),
              "0");
    EXPECT_EQ(s.Body("rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=" + id + "&filename=a.txt").attachmentName(),
              "a.txt")
        << "the rule names GetCalendar only";
}

TEST_F(TransportTest, SeveralRulesAndSwitchingWhileRunning) {
    Start({"--fault", "retcode=-5:V001_User_List", "--fault", "html:V001_Application_GetConfig"});
    Session s = LoggedIn();
    EXPECT_EQ(s.Query("rpc_accept=json&rpc_method=V001_User_List").retcode(), "-5");
    EXPECT_EQ(s.Body("rpc_method=V001_Application_GetConfig&rpc_accept=json").contentType.find("text/html"), 0u);
    EXPECT_EQ(s.Body("rpc_method=V001_User_GetBackendQueries&rpc_accept=json&userid=0").retcode(), "0");

    SetFault("empty");  // every method
    EXPECT_TRUE(s.Query("rpc_accept=json&rpc_method=V001_User_List").body.empty());
    EXPECT_TRUE(s.Body("rpc_method=V001_User_GetBackendQueries&rpc_accept=json&userid=0").body.empty());
    SetFault("retcode=-9:V001_User_List,badjson");  // the named method first, the rest by the general rule
    EXPECT_EQ(s.Query("rpc_accept=json&rpc_method=V001_User_List").retcode(), "-9");
    EXPECT_FALSE(ParsesAsJson(s.Body("rpc_method=V001_User_GetBackendQueries&rpc_accept=json&userid=0").body));
    SetFault("none");
    EXPECT_EQ(s.Query("rpc_accept=json&rpc_method=V001_User_List").retcode(), "0");

    httplib::Client cli("127.0.0.1", port_);
    auto bad = cli.Post("/orv-test/fault", "mode=melt", "application/x-www-form-urlencoded");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->status, 400);
    EXPECT_EQ(s.Query("rpc_accept=json&rpc_method=V001_User_List").retcode(), "0") << "a refused switch changes nothing";
}

TEST_F(TransportTest, StopsPromptlyWhileAReplyIsHeldBack) {
    Start({"--fault", "delay=120"});
    std::thread waiting([port = port_] {
        Session s(port);
        s.SetTimeout(std::chrono::milliseconds(30000));
        s.Body("rpc_method=V001_Application_GetConfig&rpc_accept=json");
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    auto t0 = Clock::now();
    int status = server_.Stop(std::chrono::milliseconds(8000));
    waiting.join();
    EXPECT_FALSE(server_.killed()) << "SIGTERM did not end a server that holds a reply back";
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(8000));
}

TEST_F(TransportTest, MalformedRequestsGetErrorsNotCrashes) {
    Start();
    Session s(port_);
    struct C {
        const char* name;
        std::string target, contentType, body;
        int status;
        const char* retcode;  // "" when the reply is no JSON
    } cases[] = {
        {"other path", "/index.php?", "application/x-www-form-urlencoded", "rpc_method=V001_User_Login", 404, ""},
        {"no method", "/rpc.php?", "application/x-www-form-urlencoded", "rpc_accept=json", 200, "-1"},
        {"unknown method", "/rpc.php?", "application/x-www-form-urlencoded", "rpc_method=V002_X", 200, "-2"},
        {"json body", "/rpc.php?", "application/json", "{\"rpc_method\":\"V001_User_List\"}", 200, "-1"},
        {"multipart without parts", "/rpc.php?rpc_accept=json&rpc_method=V001_Event_UploadEvent",
         "multipart/form-data; boundary=" + kBoundary, "--" + kBoundary + "--\r\n", 400, "-1"},
        {"broken multipart", "/rpc.php?rpc_accept=json&rpc_method=V001_Application_GetConfig",
         "multipart/form-data; boundary=" + kBoundary, "garbage without boundary", 400, "-1"},
        {"binary junk", "/rpc.php?", "application/x-www-form-urlencoded", std::string("\0\xff\xfe%%%&&==\x01", 12), 200,
         "-1"},
    };
    for (const auto& c : cases) {
        Reply r = s.Post(c.target, c.contentType, c.body);
        ASSERT_TRUE(r.ok) << c.name;
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.body;
        if (*c.retcode) {
            EXPECT_EQ(r.retcode(), c.retcode) << c.name << ": " << r.body;
        }
    }
    EXPECT_EQ(s.Body("rpc_method=V001_Application_GetConfig&rpc_accept=json").retcode(), "0") << "still serving";
}

// ------------------------------------------------------------------ persistence

TEST_F(TransportTest, EverythingSurvivesARestartAndSeedingTwiceAddsNothing) {
    Start();
    Session s = LoggedIn();
    std::string before = Calendar(s);
    auto ids = EventIds(before);
    std::string night = std::to_string(ids["Salsa Night"]);
    Reply up = s.Upload("rpc_accept=json&rpc_method=V001_Event_UploadEvent&overwrite=false", "VEVENT",
                        EventText("keep-1", "Bleibt", "20260502T200000"));
    ASSERT_EQ(up.retcode(), "0");
    std::string kept = up.result().get("eventid").str();
    ASSERT_EQ(s.Upload("rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=" + kept, "plan.pdf", "%PDF-x").retcode(), "0");
    ASSERT_EQ(s.Body("rpc_method=V001_Event_SetHighlight&rpc_accept=json&eventid=" + kept + "&eventnr=1&level=2").retcode(),
              "0");
    ASSERT_EQ(s.Body("rpc_method=V001_Event_SetValue&rpc_accept=json&eventid=" + kept +
                     "&eventnr=1&key=supraregional&value=1")
                  .retcode(),
              "0");
    ASSERT_EQ(s.Query("rpc_accept=json&rpc_method=V001_User_SetBackendQueries&userid=0", kQueries).retcode(), "0");
    ASSERT_EQ(s.Query("rpc_accept=json&rpc_method=V001_User_SetCategories", "categories=[\"Eigene\"]").retcode(), "0");
    Reply saved = s.Query("rpc_accept=json&rpc_method=V001_Person_Save&category=guest", kPerson);
    ASSERT_EQ(saved.retcode(), "0");
    ASSERT_EQ(s.Body("rpc_method=V001_Event_Delete&rpc_accept=json&eventid=" + night).retcode(), "0");
    auto list = [&](const char* cat) {
        return s.Body(std::string("rpc_method=V001_Person_GetList&rpc_accept=json&category=") + cat +
                      "&field=fullname&value=&direction=ASC&region=")
            .result().get("table").items().size();
    };
    size_t locations = list("LOCATION"), guests = list("GUEST");
    size_t users = s.Query("rpc_accept=json&rpc_method=V001_User_List").result().get("userlist").items().size();
    std::string config = s.Body("rpc_method=V001_Application_GetConfig&rpc_accept=json").body;
    std::string calendar = Calendar(s);

    Restart();  // --seed-demo again on the same database
    s.SetPort(port_);
    // The session cookie is stored too, so a running client stays logged in.
    EXPECT_EQ(Calendar(s), calendar);
    EXPECT_EQ(list("LOCATION"), locations);
    EXPECT_EQ(list("GUEST"), guests);
    EXPECT_EQ(s.Query("rpc_accept=json&rpc_method=V001_User_List").result().get("userlist").items().size(), users);
    EXPECT_EQ(s.Body("rpc_method=V001_Application_GetConfig&rpc_accept=json").body, config);
    EXPECT_EQ(EventIds(Calendar(s)).count("Salsa Night"), 0u) << "a deleted demo event is not seeded again";
    EXPECT_EQ(s.Body("rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=" + kept + "&filename=plan.pdf").body, "%PDF-x");
    std::string cal = Calendar(s);
    size_t at = cal.find("SUMMARY:Bleibt");
    ASSERT_NE(at, std::string::npos);
    std::string block = cal.substr(at, cal.find("END:VEVENT", at) - at);
    EXPECT_NE(block.find("X-ORV-HIGHLIGHTS:20260502T200000=2"), std::string::npos) << block;
    EXPECT_NE(block.find("X-ORV-SUPRAREGIONAL:1"), std::string::npos) << block;
    Reply q = s.Body("rpc_method=V001_User_GetBackendQueries&rpc_accept=json&userid=0");
    ASSERT_EQ(q.result().get("querylist").items().size(), 1u);
    EXPECT_EQ(q.result().get("querylist").items()[0].get("name").str(), "Salsa & mehr");
    EXPECT_EQ(s.Body("rpc_method=V001_Person_Read&rpc_accept=json&persid=" + saved.result().get("id").str())
                  .result().get("person").get("text").str(),
              "10% Rabatt");
    // And a fresh login still works with the demo credentials.
    EXPECT_EQ(Session(port_).Login().retcode(), "0");
}

TEST_F(TransportTest, DemoDataIsAroundToday) {
    Start();
    Session s = LoggedIn();
    std::string cal = Calendar(s);
    std::time_t now = std::time(nullptr);
    auto day = [](std::time_t t) {
        std::tm tm{};
        localtime_r(&t, &tm);
        char buf[16];
        std::strftime(buf, sizeof buf, "%Y%m%d", &tm);
        return std::string(buf);
    };
    std::string earliest = day(now - 15 * 86400), latest = day(now + 22 * 86400);
    size_t n = 0;
    for (size_t p = cal.find("\r\nDTSTART:"); p != std::string::npos; p = cal.find("\r\nDTSTART:", p + 1)) {
        std::string d = cal.substr(p + 10, 8);
        EXPECT_GE(d, earliest);
        EXPECT_LE(d, latest);
        ++n;
    }
    EXPECT_GE(n, 8u);
    EXPECT_NE(cal.find("DTSTART:" + day(now)), std::string::npos) << "an event today";
    EXPECT_NE(cal.find("RRULE:FREQ=WEEKLY"), std::string::npos);
}

}  // namespace
