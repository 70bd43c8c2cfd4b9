#include "PortalMethodsSupport.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <curl/curl.h>
#include <sqlite3.h>

namespace pmtest {

std::string MakeTempDir()
{
    char pattern[] = "/tmp/orv-portalmethods-XXXXXX";
    char* dir = mkdtemp(pattern);
    return dir ? dir : "";
}

void RemoveTree(const std::string& dir)
{
    std::error_code error;
    if (!dir.empty()) std::filesystem::remove_all(dir, error);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// ---------------------------------------------------------------------------

PortalProcess::PortalProcess(const std::string& dbPath, bool testFaults)
{
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        // The service ends with the test process, even when a test crashes.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(ORVPORTAL_EXE, ORVPORTAL_EXE, "--db", dbPath.c_str(), "--port", "0", "--seed-demo",
              testFaults ? "--test-faults" : static_cast<char*>(nullptr), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    if (pid_ < 0) {
        close(out[0]);
        return;
    }
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        char buffer[256];
        ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    const char* prefix = "listening on ";
    if (line.compare(0, std::strlen(prefix), prefix) == 0) port_ = std::atoi(line.c_str() + std::strlen(prefix));
}

PortalProcess::~PortalProcess() { Stop(); }

void PortalProcess::Stop()
{
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        usleep(100 * 1000);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

bool PortalProcess::SetFault(const std::string& mode)
{
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    std::string url = "http://" + Host() + "/orv-test/fault";
    std::string body = "mode=" + mode;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, +[](char*, size_t size, size_t count, void*) -> size_t {
        return size * count;
    });
    CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    return rc == CURLE_OK && status == 200;
}

// ---------------------------------------------------------------------------

CannedPeer::CannedPeer(std::string rawReply) : reply_(std::move(rawReply))
{
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd_, 8) != 0) return;
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

CannedPeer::~CannedPeer()
{
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) close(fd_);
}

std::string CannedPeer::LastRequest()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return last_;
}

void CannedPeer::Serve()
{
    while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        int c = accept(fd_, nullptr, nullptr);
        if (c < 0) continue;
        // Read the header block and as much body as Content-Length says.
        std::string request;
        char buffer[4096];
        size_t need = std::string::npos;
        for (;;) {
            pollfd q{c, POLLIN, 0};
            if (poll(&q, 1, 2000) <= 0) break;
            ssize_t n = read(c, buffer, sizeof buffer);
            if (n <= 0) break;
            request.append(buffer, static_cast<size_t>(n));
            size_t end = request.find("\r\n\r\n");
            if (end != std::string::npos && need == std::string::npos) {
                std::string lower = request.substr(0, end);
                std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
                size_t at = lower.find("content-length:");
                need = end + 4 + (at == std::string::npos ? 0 : std::strtoul(lower.c_str() + at + 15, nullptr, 10));
            }
            if (need != std::string::npos && request.size() >= need) break;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            last_ = request;
        }
        size_t done = 0;
        while (done < reply_.size()) {
            ssize_t n = write(c, reply_.data() + done, reply_.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        shutdown(c, SHUT_WR);
        close(c);
    }
}

// ---------------------------------------------------------------------------

Client::Client(const std::string& host) : dir_(MakeTempDir())
{
    sqlite3_open((dir_ + "/user.db").c_str(), &db_);
    config_ = std::make_unique<OrvCalendarConfig>(dir_);
    service_ = std::make_unique<OrvWebServiceJoomla>(host, "rpc.php?");
    service_->SetConfig(config_.get());
    service_->SetDatabaseHandle(db_);
    service_->SetTimeouts(3, 3);
    service_->SetMessageHook([this](const char* title, const char* text) {
        messages.push_back(std::string(title) + ": " + text);
    });
}

Client::~Client()
{
    service_.reset();
    config_.reset();
    if (db_) sqlite3_close(db_);
    RemoveTree(dir_);
}

std::vector<LogRow> Client::Log() const
{
    std::vector<LogRow> rows;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT retcode, task, message FROM WEBSERVICE ORDER BY id", -1, &st, nullptr) !=
        SQLITE_OK)
        return rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        LogRow row;
        row.retcode = sqlite3_column_int(st, 0);
        const unsigned char* task = sqlite3_column_text(st, 1);
        const unsigned char* message = sqlite3_column_text(st, 2);
        row.task = task ? reinterpret_cast<const char*>(task) : "";
        row.message = message ? reinterpret_cast<const char*>(message) : "";
        if (row.message.size() >= 2 && row.message.compare(row.message.size() - 2, 2, "\r\n") == 0)
            row.message.resize(row.message.size() - 2);
        rows.push_back(row);
    }
    sqlite3_finalize(st);
    return rows;
}

std::vector<LogRow> Client::LogFrom(size_t n) const
{
    std::vector<LogRow> rows = Log();
    if (n >= rows.size()) return {};
    return std::vector<LogRow>(rows.begin() + static_cast<long>(n), rows.end());
}

// ---------------------------------------------------------------------------

void PortalFixture::SetUp()
{
    dir_ = MakeTempDir();
    server_ = std::make_unique<PortalProcess>(dir_ + "/portal.db", testFaults_);
    ASSERT_GT(server_->Port(), 0) << "the local portal service did not start";
    client_ = std::make_unique<Client>(server_->Host());
    ASSERT_EQ(client_->Service().Login("demo", "demo", 0), 0);
}

void PortalFixture::TearDown()
{
    client_.reset();
    if (server_) server_->Stop();
    server_.reset();
    RemoveTree(dir_);
}

std::string PortalFixture::EventText(const std::string& uid, const std::string& summary, const std::string& extra)
{
    return "BEGIN:VCALENDAR\r\nPRODID:-//Orv//Test//DE\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:" + uid +
           "\r\nSUMMARY:" + summary +
           "\r\nDTSTART:20300105T200000\r\nDTEND:20300105T230000\r\nX-ORV-SCENES:salsa\r\nX-ORV-CATEGORIES:301\r\n"
           "X-ORV-EVENTID:0\r\nX-ORV-LOCATION:ID=1;NAME=\"Tanzhaus Mitte\";ZIP=10115;CITY=Berlin;COUNTRY=D;\r\n"
           "X-ORV-PUBLISH:STATE=1;PUBLISH_UP=00000000T000000;PUBLISH_DOWN=00000000T000000;\r\n" +
           extra + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

int PortalFixture::Upload(const std::string& uid, const std::string& summary, const std::string& extra)
{
    int id = 0;
    if (client_->Service().UploadEvent("VEVENT", EventText(uid, summary, extra), id) != 0) return 0;
    return id;
}

std::string PortalFixture::OwnCalendar()
{
    std::ostringstream out;
    client_->Service().GetCalendar(nullptr, out);
    return out.str();
}

} // namespace pmtest
