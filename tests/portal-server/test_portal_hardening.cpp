// The service against clients that do not play by the rules: fault requests
// without the test switch, other users' address records, oversized and
// chunked bodies, connections that hang, guessed passwords and old sessions.
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PortalTestSupport.h"

namespace {

using orvtest::Reply;

int RetCode(const Reply& r) { return r.retcode; }

// A raw connection to the service, for requests no library would send.
class RawConnection {
public:
    explicit RawConnection(int port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~RawConnection()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Connected() const { return fd_ >= 0; }
    // False once the peer stopped taking bytes.
    bool Send(const std::string& bytes)
    {
        size_t off = 0;
        while (off < bytes.size()) {
            ssize_t n = ::send(fd_, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
            if (n <= 0) return false;
            off += static_cast<size_t>(n);
        }
        return true;
    }
    // What the peer sends until it closes, or is silent for ms before its
    // first byte and for a moment after.
    std::string Receive(int ms = 5000)
    {
        std::string out;
        char buf[4096];
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, out.empty() ? ms : 300) <= 0) break;
            ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n <= 0) break;
            out.append(buf, static_cast<size_t>(n));
        }
        return out;
    }
    // True while the peer has neither sent anything nor closed.
    bool StillWaiting()
    {
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 0) == 0;
    }

private:
    int fd_ = -1;
};

class Hardening : public orvtest::PortalTest {
protected:
    Reply Login(const std::string& user, const std::string& pass)
    {
        return Body("rpc_method=V001_User_Login&rpc_accept=json&username=" + user + "&password=" + pass);
    }
    std::string Cookie(const std::string& user)
    {
        Reply r = Login(user, user);
        EXPECT_EQ(r.retcode, 0) << r.body;
        return orvtest::CookieFrom(r.setCookie);
    }
    Reply SavePerson(const std::string& cookie, int id, const std::string& street)
    {
        std::string rec = "{\"perscat\":[\"location\"],\"pers\":{\"id\":\"" + std::to_string(id) +
                          "\",\"fullname\":\"Tanzhaus West\",\"street\":\"" + street +
                          "\",\"zip\":\"60311\",\"city\":\"Frankfurt\",\"country\":\"D\"}}";
        return Query("rpc_accept=json&rpc_method=V001_Person_Save", "person=" + rec, cookie);
    }
    Reply ReadPerson(const std::string& cookie, int id)
    {
        return Body("rpc_method=V001_Person_Read&rpc_accept=json&persid=" + std::to_string(id), cookie);
    }
    int64_t now_ = 1000000;
};

// --- fault injection ---------------------------------------------------------

TEST_F(Hardening, FaultRequestsAreRefusedWithoutTheTestSwitch)
{
    struct Case {
        const char* what;
        std::string body;
        std::string header;
    };
    const std::string login = "rpc_method=V001_User_Login&rpc_accept=json&username=demo&password=demo";
    const Case cases[] = {
        {"huge reply by header", login, "X-Orv-Fault: huge=1024"},
        {"delay by form field", login + "&orv_fault=delay=600", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reply r = Raw("/rpc.php?", "application/x-www-form-urlencoded", c.body, "", c.header);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.status, 403);
        EXPECT_EQ(r.retcode, orvportal::kForbidden);
        EXPECT_LT(r.body.size(), 1024u);
        EXPECT_TRUE(r.setCookie.empty()) << "the login ran";
    }
    // Switching every later request is refused too, and changes nothing.
    httplib::Client cli("127.0.0.1", port_);
    auto res = cli.Post("/orv-test/fault", "mode=delay=600", "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 403);
    cli.set_read_timeout(3, 0);
    Reply after = Login("demo", "demo");
    ASSERT_TRUE(after.ok) << "a later request hangs";
    EXPECT_EQ(after.retcode, 0);

    // With the switch the same header does take effect.
    server_->EnableTestFaults(true);
    Reply faulted = Raw("/rpc.php?", "application/x-www-form-urlencoded", login, "", "X-Orv-Fault: retcode=-9");
    EXPECT_EQ(faulted.retcode, -9);
}

// --- persons ------------------------------------------------------------------

TEST_F(Hardening, PersonsAndTheirPicturesBelongToTheirMaker)
{
    const std::string demo = Cookie("demo"), anna = Cookie("anna");
    Reply made = SavePerson(demo, 0, "Hauptstr. 1");
    ASSERT_EQ(made.retcode, 0) << made.body;
    const int id = std::atoi(made.result().get("id").str().c_str());
    ASSERT_GT(id, 0);
    const std::string persid = "&persid=" + std::to_string(id);
    ASSERT_EQ(Upload("rpc_accept=json&rpc_method=V001_Person_SetFile" + persid, "logo.png", "PNG1", demo).retcode, 0);

    // Everything anna tries on demo's record is refused like an event of
    // another user, and leaves it as it was.
    struct Attempt {
        const char* what;
        std::function<Reply()> send;
    };
    const Attempt attempts[] = {
        {"save over it", [&] { return SavePerson(anna, id, "Anderswo 9"); }},
        {"upload a picture",
         [&] { return Upload("rpc_accept=json&rpc_method=V001_Person_SetFile" + persid, "logo.png", "EVIL", anna); }},
        {"delete a picture",
         [&] { return Body("rpc_method=V001_Person_DeleteFile&rpc_accept=json" + persid + "&filename=logo.png", anna); }},
    };
    for (const Attempt& a : attempts) {
        SCOPED_TRACE(a.what);
        EXPECT_EQ(a.send().retcode, orvportal::kForbidden);
    }
    Reply read = ReadPerson(anna, id);  // reading stays open to everybody
    ASSERT_EQ(read.retcode, 0);
    EXPECT_EQ(read.result().get("person").get("street").str(), "Hauptstr. 1");
    Reply picture = Body("rpc_method=V001_Person_GetFile&rpc_accept=file" + persid + "&filename=logo.png", anna);
    EXPECT_EQ(picture.body, "PNG1");

    // The same address sent by anna becomes her own record, not a merge.
    Reply own = SavePerson(anna, 0, "Nebenstr. 2");
    ASSERT_EQ(own.retcode, 0);
    EXPECT_NE(std::atoi(own.result().get("id").str().c_str()), id);
    EXPECT_EQ(ReadPerson(demo, id).result().get("person").get("street").str(), "Hauptstr. 1");

    // The maker still changes it.
    EXPECT_EQ(SavePerson(demo, id, "Hauptstr. 3").retcode, 0);
    EXPECT_EQ(ReadPerson(demo, id).result().get("person").get("street").str(), "Hauptstr. 3");
}

TEST_F(Hardening, DemoAddressBookStaysEditableForTheDemoUserOnly)
{
    service_->SeedDemo();
    const std::string demo = Cookie("demo"), anna = Cookie("anna");
    Reply list = Body("rpc_method=V001_Person_GetList&rpc_accept=json&category=LOCATION&field=fullname&value=&direction=ASC",
                      anna);
    ASSERT_EQ(list.retcode, 0);
    ASSERT_FALSE(list.result().get("table").items().empty());
    const orvportal::JsonValue& first = list.result().get("table").items().front();
    const int id = std::atoi(first.get("id").str().c_str());
    std::string rec = "{\"pers\":{\"id\":\"" + std::to_string(id) + "\",\"fullname\":\"" + first.get("fullname").str() +
                      "\",\"zip\":\"" + first.get("zip").str() + "\",\"city\":\"" + first.get("city").str() + "\"}}";
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_Person_Save", "person=" + rec, anna).retcode, orvportal::kForbidden);
    EXPECT_EQ(Query("rpc_accept=json&rpc_method=V001_Person_Save", "person=" + rec, demo).retcode, 0);
}

// --- request bodies --------------------------------------------------------------

TEST_F(Hardening, BodiesOverTheLimitAreRefusedAsTheyArriveAndNothingRuns)
{
    server_->SetBodyLimits(1u << 20, 256u << 10);
    const std::string boundary = "231991966824484";
    const std::string registerForm =
        "rpc_method=V001_User_Register&rpc_accept=json&user={\"name\":\"Big\",\"username\":\"big\",\"email\":"
        "\"big@localhost\",\"password\":\"pw\",\"password2\":\"pw\"}&pad=";
    struct Case {
        const char* what;
        std::string path, type, head;  // head: the body before the padding
        size_t padding;
        bool chunked;
        int status;
    };
    const Case cases[] = {
        {"chunked form over its limit", "/rpc.php?", "application/x-www-form-urlencoded", registerForm, 300u << 10,
         true, 413},
        {"declared form over every limit", "/rpc.php?", "application/x-www-form-urlencoded", registerForm, 2u << 20,
         false, 413},
        {"chunked upload over its limit", "/rpc.php?rpc_accept=json&rpc_method=V001_User_Register",
         "multipart/form-data; boundary=" + boundary,
         "--" + boundary + "\r\nContent-Disposition: form-data; name=\"user\"\r\n\r\n{\"name\":\"Big\",\"username\":"
         "\"big\",\"email\":\"big@localhost\",\"password\":\"pw\",\"password2\":\"pw\"}\r\n--" + boundary +
         "\r\nContent-Disposition: form-data; name=\"Datei\"; filename=\"pad.bin\"\r\n\r\n",
         3u << 20, true, 413},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawConnection conn(port_);
        ASSERT_TRUE(conn.Connected());
        std::string head = "POST " + c.path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " + c.type + "\r\n";
        size_t total = c.head.size() + c.padding;
        head += c.chunked ? "Transfer-Encoding: chunked\r\n\r\n" : "Content-Length: " + std::to_string(total) + "\r\n\r\n";
        conn.Send(head);
        auto chunk = [&](const std::string& bytes) {
            if (!c.chunked) return conn.Send(bytes);
            char size[32];
            std::snprintf(size, sizeof size, "%zx\r\n", bytes.size());
            return conn.Send(size + bytes + "\r\n");
        };
        bool open = chunk(c.head);
        const std::string piece(64u << 10, 'x');
        for (size_t sent = 0; open && sent < c.padding; sent += piece.size()) open = chunk(piece);
        if (open && c.chunked) conn.Send("0\r\n\r\n");
        std::string reply = conn.Receive();
        EXPECT_EQ(reply.compare(0, 12, "HTTP/1.1 " + std::to_string(c.status)), 0) << reply.substr(0, 200);
    }
    // None of the registrations ran.
    Reply big = Login("big", "pw");
    EXPECT_EQ(big.retcode, orvportal::kLoginFailed) << big.body;
    // A body under the limit still goes through.
    EXPECT_EQ(Login("demo", "demo").retcode, 0);
}

// --- slow connections ----------------------------------------------------------------

TEST_F(Hardening, HangingConnectionsLeaveWorkersForOtherClients)
{
    // More connections than the old pool had workers, each stuck in its
    // request line's headers.
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < 16; ++i) {
        slow.push_back(std::make_unique<RawConnection>(port_));
        ASSERT_TRUE(slow.back()->Connected());
        ASSERT_TRUE(slow.back()->Send("POST /rpc.php? HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: appl"));
    }
    httplib::Client cli("127.0.0.1", port_);
    cli.set_connection_timeout(20, 0);
    cli.set_read_timeout(20, 0);
    auto res = cli.Post("/rpc.php?", "rpc_method=V001_Application_GetConfig&rpc_accept=json",
                        "application/x-www-form-urlencoded");
    ASSERT_TRUE(res) << "a normal client was not served";
    EXPECT_EQ(res->status, 200);
    // Served while every slow connection was still held open, not after
    // the server gave up on them.
    for (auto& s : slow) EXPECT_TRUE(s->StillWaiting());
}

// --- logins and sessions ---------------------------------------------------------------

TEST_F(Hardening, FailedLoginsAreThrottledPerUserAndPerAddress)
{
    service_->SetClock([this] { return now_; });
    service_->SetLoginThrottle({3, 5, 60});
    struct Step {
        const char* user;
        const char* password;
        int retcode;
        int64_t wait;  // seconds passing before the attempt
    };
    const Step steps[] = {
        {"demo", "wrong1", orvportal::kLoginFailed, 0},
        {"demo", "wrong2", orvportal::kLoginFailed, 0},
        {"demo", "wrong3", orvportal::kLoginFailed, 0},
        // Three failures: even the right password is refused for a while.
        {"demo", "demo", orvportal::kTooManyAttempts, 1},
        {"demo", "wrong4", orvportal::kTooManyAttempts, 0},
        // Another user from the same address is not affected yet.
        {"anna", "anna", 0, 0},
        // Unknown names count for the address like any other failure.
        {"ghost", "x", orvportal::kLoginFailed, 0},
        {"nobody", "x", orvportal::kLoginFailed, 0},
        {"anna", "anna", orvportal::kTooManyAttempts, 0},
        // Once the failures are older than the window, logins work again.
        {"demo", "demo", 0, 60},
        {"anna", "anna", 0, 0},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(++n) + ": " + s.user + "/" + s.password);
        now_ += s.wait;
        Reply r = Login(s.user, s.password);
        EXPECT_EQ(r.retcode, s.retcode) << r.body;
        EXPECT_EQ(r.setCookie.empty(), s.retcode != 0);
    }
}

TEST_F(Hardening, SessionsEndWhenIdleAndAfterTheirLifetime)
{
    service_->SetClock([this] { return now_; });
    service_->SetSessionLimits({100, 300});
    auto users = [this](const std::string& cookie) {
        return RetCode(Query("rpc_accept=json&rpc_method=V001_User_List", "", cookie));
    };
    std::string cookie = Cookie("demo");
    struct Step {
        int64_t wait;
        int retcode;
    };
    // Requests within the idle time keep the session, until its lifetime
    // ends; a pause longer than the idle time ends it at once.
    const Step steps[] = {{90, 0}, {90, 0}, {90, 0}, {40, orvportal::kNotLoggedIn}};
    for (const Step& s : steps) {
        now_ += s.wait;
        EXPECT_EQ(users(cookie), s.retcode) << "after " << s.wait;
    }
    cookie = Cookie("demo");
    EXPECT_EQ(users(cookie), 0);
    now_ += 101;
    EXPECT_EQ(users(cookie), orvportal::kNotLoggedIn);
    now_ -= 101;  // an ended session does not come back
    EXPECT_EQ(users(cookie), orvportal::kNotLoggedIn);
}

}  // namespace
