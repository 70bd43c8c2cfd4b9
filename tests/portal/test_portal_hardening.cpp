// The client against replies too large to take and against file names
// that would break a form or a header.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "ClientFixture.h"

namespace {

// Sends one endless-looking reply (chunked or with a length) in 64 KiB
// pieces up to total bytes, and counts what the client took before it
// closed the connection.
class StreamingPeer {
public:
    StreamingPeer(std::string headers, uint64_t total, bool chunked, std::string piece = std::string(64 << 10, 'x'))
        : headers_(std::move(headers)), total_(total), chunked_(chunked), piece_(std::move(piece))
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(fd_, 4);
        socklen_t len = sizeof addr;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~StreamingPeer()
    {
        Finish();
        ::close(fd_);
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    // Waits for the reply's end; the body bytes sent before the client
    // went away.
    uint64_t Finish()
    {
        if (thread_.joinable()) thread_.join();
        return sent_;
    }

private:
    void Serve()
    {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 20000) <= 0) return;
        int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) return;
        // The request (small) is read and dropped.
        char buf[8192];
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos) {
            ssize_t n = ::recv(c, buf, sizeof buf, 0);
            if (n <= 0) break;
            request.append(buf, static_cast<size_t>(n));
        }
        std::string head = "HTTP/1.1 200 OK\r\n" + headers_;
        head += chunked_ ? "Transfer-Encoding: chunked\r\n\r\n" : "Content-Length: " + std::to_string(total_) + "\r\n\r\n";
        bool open = SendAll(c, head);
        while (open && sent_ < total_) {
            std::string piece = piece_.substr(0, static_cast<size_t>(std::min<uint64_t>(piece_.size(), total_ - sent_)));
            if (chunked_) {
                char size[32];
                std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
                open = SendAll(c, size + piece + "\r\n");
            } else {
                open = SendAll(c, piece);
            }
            if (open) sent_ += piece.size();
        }
        if (open && chunked_) SendAll(c, "0\r\n\r\n");
        ::shutdown(c, SHUT_WR);
        while (::recv(c, buf, sizeof buf, 0) > 0) {
        }
        ::close(c);
    }
    static bool SendAll(int c, const std::string& bytes)
    {
        size_t off = 0;
        while (off < bytes.size()) {
            ssize_t n = ::send(c, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
            if (n <= 0) return false;
            off += static_cast<size_t>(n);
        }
        return true;
    }

    std::string headers_;
    uint64_t total_;
    bool chunked_;
    std::string piece_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<uint64_t> sent_{0};
    std::thread thread_;
};

class ReplyLimits : public ClientFixture {};

constexpr uint64_t kMiB = 1024 * 1024;

// A reply over its cap fails with a "Fehler" row, leaves the caller's data
// and files as they were, and is not read to its end: the client stops
// taking bytes soon after the cap, so it never holds the whole reply.
TEST_F(ReplyLimits, ReplyOverTheCapFailsCleanlyWithoutReadingItAll)
{
    struct Case {
        const char* what;
        const char* headers;
        bool chunked;
        bool file;
    };
    const Case cases[] = {
        {"json with a length", "Content-Type: application/json\r\n", false, false},
        {"json chunked", "Content-Type: application/json\r\n", true, false},
        {"file chunked", "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"big.bin\"\r\n",
         true, true},
        {"file with a length",
         "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"big.bin\"\r\n", false,
         true},
    };
    const uint64_t total = 512 * kMiB;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            StreamingPeer peer(c.headers, total, c.chunked, "{\"retcode\":\"0\"," + std::string(64 << 10, ' '));
            OrvWebServiceJoomla& s = MakeService(peer.Host());
            s.SetReplyLimits(2 * kMiB, 4 * kMiB);
            if (c.file) {
                std::string path = "untouched";
                EXPECT_EQ(s.EventGetFile(7, "big.bin", path), -1);
                EXPECT_EQ(path, "untouched");
            } else {
                json::Array users;
                users.Insert(json::String("kept"));
                EXPECT_EQ(s.UserList(users), -1);
                EXPECT_EQ(users.Size(), 1u);
            }
            std::string last = LastLog();
            const std::string cap = c.file ? "4" : "2";
            EXPECT_EQ(last.rfind("Fehler|-1|Die Antwort des Servers ist größer als " + cap + " MiB", 0), 0u) << last;
            service_.reset();  // the connection closes with the client
            // Socket buffers hold a few MiB; the rest of the 512 was never taken.
            EXPECT_LT(peer.Finish(), 64 * kMiB);
        }
    }
    // Nothing half-written stays in the cache.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(config_->GetCacheDirectory(), error))
        ADD_FAILURE() << "left behind: " << entry.path();
}

// Replies up to the cap are taken whole, whichever way they come.
TEST_F(ReplyLimits, ReplyUpToTheCapIsTaken)
{
    for (bool chunked : {false, true}) {
        SCOPED_TRACE(chunked ? "chunked" : "with a length");
        StreamingPeer peer("Content-Disposition: attachment; filename=\"fits.bin\"\r\n", 3 * kMiB, chunked,
                           std::string(64 << 10, 'f'));
        OrvWebServiceJoomla& s = MakeService(peer.Host());
        s.SetReplyLimits(kMiB, 3 * kMiB);
        std::string path;
        ASSERT_EQ(s.EventGetFile(7, "fits.bin", path), 0);
        EXPECT_EQ(path, std::string(config_->GetCacheDirectory()) + "/fits.bin");
        EXPECT_EQ(std::filesystem::file_size(path), 3 * kMiB);
        EXPECT_EQ(s.LastDownload().size, 3 * kMiB);
        EXPECT_EQ(s.LastDownload().sha256, OrvFileSHA256(path));
        service_.reset();
    }
}

// --- file names ----------------------------------------------------------------

class HostileNames : public ClientFixture {
protected:
    void SetUp() override
    {
        ClientFixture::SetUp();
        portal_ = std::make_unique<orvtest::PortalProcess>(dir_ + "/portal.db");
        ASSERT_GT(portal_->Port(), 0);
        MakeService(portal_->Host());
        ASSERT_EQ(service_->Login("demo", "demo", 0), 0);
    }
    void TearDown() override
    {
        service_.reset();
        portal_.reset();
        ClientFixture::TearDown();
    }
    std::unique_ptr<orvtest::PortalProcess> portal_;
};

const char* const kNames[] = {"flyer.jpg", "flyer.jpg&v2.jpg", "100%41.jpg", "50% off.jpg", "say \"hi\".jpg",
                              "a+b=c.jpg", "[1].jpg", "x&filename=flyer.jpg"};

// Every name goes up, comes back with its own bytes, and deleting one
// leaves all the others.
TEST_F(HostileNames, NamesWithFormAndQuoteCharactersRoundTrip)
{
    // An event and a person of the demo user to hang the files on.
    int eventID = 0;
    ASSERT_EQ(service_->UploadEvent("VEVENT",
                                    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:names-1\r\nSUMMARY:Namen\r\n"
                                    "DTSTART:20300105T200000\r\nDTEND:20300105T230000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
                                    eventID),
              0);
    ASSERT_GT(eventID, 0);
    int personID = 0;
    ASSERT_EQ(service_->PersonSave("location",
                                   "{\"pers\":{\"id\":\"0\",\"fullname\":\"Namenshaus\",\"zip\":\"10115\",\"city\":\"Berlin\"}}",
                                   personID),
              0);
    ASSERT_GT(personID, 0);

    struct Owner {
        const char* what;
        std::function<int(const char*, const char*)> set;
        std::function<int(const char*, std::string&)> get;
        std::function<int(const char*)> del;
    };
    const Owner owners[] = {
        {"event", [&](const char* n, const char* p) { return service_->EventSetFile(n, eventID, p); },
         [&](const char* n, std::string& out) { return service_->EventGetFile(eventID, n, out); },
         [&](const char* n) { return service_->EventDelFile(eventID, n); }},
        {"person", [&](const char* n, const char* p) { return service_->PersonSetFile(n, personID, p); },
         [&](const char* n, std::string& out) { return service_->PersonGetFile(personID, n, out); },
         [&](const char* n) { return service_->PersonDelFile(personID, n); }},
    };
    for (const Owner& o : owners) {
        SCOPED_TRACE(o.what);
        int i = 0;
        for (const char* name : kNames) {
            std::string local = dir_ + "/upload" + std::to_string(i++) + ".jpg";
            orvtest::WriteFile(local, std::string("bytes of ") + name);
            EXPECT_EQ(o.set(name, local.c_str()), 0) << name;
        }
        auto fetch = [&](const char* name) {
            std::string path;
            if (o.get(name, path) != 0 || path.empty()) return std::string("<none>");
            std::string bytes = orvtest::ReadFile(path);
            std::filesystem::remove(path);
            EXPECT_EQ(std::filesystem::path(path).filename().string(), name);
            return bytes;
        };
        for (const char* name : kNames) EXPECT_EQ(fetch(name), std::string("bytes of ") + name) << name;

        EXPECT_EQ(o.del("flyer.jpg&v2.jpg"), 0);
        EXPECT_EQ(fetch("flyer.jpg&v2.jpg"), "<none>");
        for (const char* name : kNames)
            if (std::string(name) != "flyer.jpg&v2.jpg") EXPECT_EQ(fetch(name), std::string("bytes of ") + name) << name;
        EXPECT_EQ(o.del("x&filename=flyer.jpg"), 0);
        EXPECT_EQ(fetch("flyer.jpg"), "bytes of flyer.jpg");
    }
}

// A name with a double quote, CR or LF cannot end the part's header or add
// one: only percent escapes of them reach the wire.
TEST_F(ReplyLimits, MultipartNamesCannotBreakOutOfTheirHeader)
{
    orvtest::ScriptedPeer peer;
    peer.Reply("application/json", "{\"retcode\":\"0\",\"message\":\"OK\",\"error\":[],\"result\":{\"eventid\":\"1\"}}");
    OrvWebServiceJoomla& s = MakeService(peer.Host());
    int id = 0;
    const char* name = "evil\"; name=\"other\r\nContent-Type: text/html\r\n\r\nINJECTED\r\n--231991966824484\r\n%";
    ASSERT_EQ(s.UploadEvent(name, std::string("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n"), id), 0);
    auto requests = peer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& body = requests[0].body;
    const std::string line =
        "Content-Disposition: form-data; name=\"Datei\"; filename=\"evil%22; name=%22other%0D%0AContent-Type: "
        "text/html%0D%0A%0D%0AINJECTED%0D%0A--231991966824484%0D%0A%25\"\r\n";
    EXPECT_NE(body.find(line), std::string::npos) << body;
    // One part, one boundary opening it and the close delimiter.
    size_t boundaries = 0;
    for (size_t at = body.find("\r\n--231991966824484"); at != std::string::npos;
         at = body.find("\r\n--231991966824484", at + 1))
        ++boundaries;
    EXPECT_EQ(boundaries, 1u);  // the close delimiter; the opening one starts the body
    EXPECT_EQ(body.rfind("--231991966824484\r\n", 0), 0u);
    EXPECT_EQ(OrvMultipartQuote("plain name.jpg"), "plain name.jpg");
}

}  // namespace
