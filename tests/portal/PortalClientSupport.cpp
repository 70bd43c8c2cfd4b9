#include "PortalClientSupport.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <gtest/gtest.h>

namespace orvtest {

std::string MakeTempDir(const char* stem)
{
    std::string tmpl = testing::TempDir() + stem + "-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    char* d = mkdtemp(buf.data());
    if (!d) throw std::runtime_error("mkdtemp failed");
    return d;
}

void RemoveTree(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<LogRow> ReadLog(sqlite3* db)
{
    std::vector<LogRow> rows;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT id, retcode, task, message FROM WEBSERVICE ORDER BY id", -1, &st, nullptr) !=
        SQLITE_OK)
        return rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        LogRow r;
        r.id = sqlite3_column_int(st, 0);
        r.retcode = sqlite3_column_int(st, 1);
        const unsigned char* t = sqlite3_column_text(st, 2);
        const unsigned char* m = sqlite3_column_text(st, 3);
        r.task = t ? reinterpret_cast<const char*>(t) : "";
        r.message = m ? std::string(reinterpret_cast<const char*>(m), sqlite3_column_bytes(st, 3)) : "";
        rows.push_back(r);
    }
    sqlite3_finalize(st);
    return rows;
}

std::vector<std::string> LogLines(sqlite3* db)
{
    std::vector<std::string> out;
    for (const auto& r : ReadLog(db)) {
        std::string m = r.message;
        if (m.size() >= 2 && m.compare(m.size() - 2, 2, "\r\n") == 0) m.resize(m.size() - 2);
        else m += "<no CRLF>";
        out.push_back(r.task + "|" + std::to_string(r.retcode) + "|" + m);
    }
    return out;
}

// ---------------------------------------------------------------------------

std::string RecordedRequest::Header(const std::string& name) const
{
    size_t pos = 0;
    while (pos < headers.size()) {
        size_t end = headers.find("\r\n", pos);
        if (end == std::string::npos) end = headers.size();
        std::string line = headers.substr(pos, end - pos);
        size_t colon = line.find(':');
        if (colon != std::string::npos && strncasecmp(line.c_str(), name.c_str(), name.size()) == 0 &&
            colon == name.size()) {
            size_t v = colon + 1;
            while (v < line.size() && line[v] == ' ') ++v;
            return line.substr(v);
        }
        pos = end + 2;
    }
    return {};
}

ScriptedPeer::ScriptedPeer()
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd_, 8) != 0)
        throw std::runtime_error("cannot listen");
    socklen_t len = sizeof addr;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

ScriptedPeer::~ScriptedPeer()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    if (thread_.joinable()) thread_.join();
    ::close(listenFd_);
}

void ScriptedPeer::Reply(const std::string& contentType, const std::string& body, const std::string& extraHeaders)
{
    std::string raw = "HTTP/1.1 200 OK\r\n";
    if (!contentType.empty()) raw += "Content-Type: " + contentType + "\r\n";
    raw += extraHeaders;
    raw += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    ReplyRaw(raw);
}

void ScriptedPeer::ReplyRaw(const std::string& raw)
{
    std::lock_guard<std::mutex> lock(mutex_);
    replies_.push_back(raw);
}

std::vector<RecordedRequest> ScriptedPeer::Requests()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void ScriptedPeer::Serve()
{
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) return;
        }
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::string data;
        char buf[4096];
        size_t headerEnd = std::string::npos;
        size_t want = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd q{fd, POLLIN, 0};
            if (::poll(&q, 1, 100) <= 0) continue;
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            data.append(buf, static_cast<size_t>(n));
            if (headerEnd == std::string::npos) {
                headerEnd = data.find("\r\n\r\n");
                if (headerEnd != std::string::npos) {
                    RecordedRequest probe;
                    probe.headers = data.substr(0, headerEnd);
                    want = static_cast<size_t>(std::strtoul(probe.Header("Content-Length").c_str(), nullptr, 10));
                }
            }
            if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + want) break;
        }
        RecordedRequest r;
        if (headerEnd != std::string::npos) {
            size_t firstEnd = data.find("\r\n");
            r.requestLine = data.substr(0, firstEnd);
            size_t s1 = r.requestLine.find(' ');
            size_t s2 = r.requestLine.rfind(' ');
            if (s1 != std::string::npos && s2 > s1) r.target = r.requestLine.substr(s1 + 1, s2 - s1 - 1);
            r.headers = data.substr(firstEnd + 2, headerEnd - firstEnd - 2);
            r.body = data.substr(headerEnd + 4);
        }
        std::string reply;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(r);
            if (!replies_.empty()) {
                reply = replies_.front();
                replies_.pop_front();
            }
        }
        if (reply.empty()) reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        size_t off = 0;
        while (off < reply.size()) {
            ssize_t n = ::send(fd, reply.data() + off, reply.size() - off, MSG_NOSIGNAL);
            if (n <= 0) break;
            off += static_cast<size_t>(n);
        }
        ::shutdown(fd, SHUT_WR);
        ::close(fd);
    }
}

// ---------------------------------------------------------------------------

PortalProcess::PortalProcess(const std::string& dbPath, const std::vector<std::string>& extra)
{
    int pipeFd[2];
    if (::pipe2(pipeFd, O_CLOEXEC) != 0) return;
    // ORVPORTAL_EXE in the environment points at another build of the service.
    const char* exe = std::getenv("ORVPORTAL_EXE");
    std::vector<std::string> args = {exe && *exe ? exe : ORVPORTAL_EXE, "--db", dbPath, "--port", "0", "--seed-demo"};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = ::fork();
    if (pid_ == 0) {
        // The service ends with the test process, even when a test crashes.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::dup2(pipeFd[1], 1);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    ::close(pipeFd[1]);
    if (pid_ < 0) {
        ::close(pipeFd[0]);
        return;
    }
    // First line: "listening on PORT".
    std::string line;
    char c;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{pipeFd[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        if (::read(pipeFd[0], &c, 1) != 1) break;
        if (c == '\n') break;
        line += c;
    }
    ::close(pipeFd[0]);
    if (line.compare(0, 13, "listening on ") == 0) port_ = std::atoi(line.c_str() + 13);
}

PortalProcess::~PortalProcess() { Stop(); }

void PortalProcess::Stop()
{
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 50; ++i) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool PortalProcess::SetFault(const std::string& rules)
{
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    char* escaped = curl_easy_escape(curl, rules.c_str(), static_cast<int>(rules.size()));
    std::string body = std::string("mode=") + escaped;
    curl_free(escaped);
    std::string url = "http://127.0.0.1:" + std::to_string(port_) + "/orv-test/fault";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, +[](char*, size_t s, size_t n, void*) { return s * n; });
    CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    return rc == CURLE_OK && status == 200;
}

}  // namespace orvtest
