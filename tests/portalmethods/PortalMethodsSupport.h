// Test support for the portal methods: the local portal service as a child
// process, a one-shot HTTP peer with canned replies, the client set up in a
// temporary program directory, and the request log read back.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/OrvCalendarConfig.h"
#include "portal/OrvWebServiceJoomla.h"

struct sqlite3;

namespace pmtest {

std::string MakeTempDir();
void RemoveTree(const std::string& dir);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// Names of the entries of a directory (no "." and ".."), sorted.
std::vector<std::string> ListDir(const std::string& dir);

// "orvportal --db FILE --port 0 --seed-demo" on a free loopback port, with
// "--test-faults" when testFaults is set (SetFault needs it).
class PortalProcess {
public:
    explicit PortalProcess(const std::string& dbPath, bool testFaults = false);
    ~PortalProcess();
    int Port() const { return port_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    // Fault rules of the running service ("none" clears them).
    bool SetFault(const std::string& mode);
    void Stop();

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// Answers every connection with the same raw HTTP reply and records the
// request bytes.
class CannedPeer {
public:
    explicit CannedPeer(std::string rawReply);
    ~CannedPeer();
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string LastRequest();

private:
    void Serve();
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::string reply_;
    std::mutex mutex_;
    std::string last_;
    std::thread thread_;
};

struct LogRow {
    int retcode = 0;
    std::string task;
    std::string message;   // without the closing CR LF
};

// The client in a temporary program directory (configuration, "Cache",
// "user.db" there), talking to host.
class Client {
public:
    explicit Client(const std::string& host);
    ~Client();
    OrvWebServiceJoomla& Service() { return *service_; }
    OrvCalendarConfig& Config() { return *config_; }
    const std::string& Dir() const { return dir_; }
    std::string CacheDir() const { return dir_ + "/Cache"; }
    std::vector<LogRow> Log() const;
    // Rows from the n-th on (n counted from 0).
    std::vector<LogRow> LogFrom(size_t n) const;
    std::vector<std::string> messages;   // message windows shown

private:
    std::string dir_;
    sqlite3* db_ = nullptr;
    std::unique_ptr<OrvCalendarConfig> config_;
    std::unique_ptr<OrvWebServiceJoomla> service_;
};

// A server with demo data and a logged-in client; both end in TearDown.
class PortalFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // One event as the desktop writes it (CRLF lines).
    static std::string EventText(const std::string& uid, const std::string& summary, const std::string& extra = "");
    // Fixtures whose tests switch the service's faults set this before SetUp.
    bool testFaults_ = false;
    // Uploads an event and returns its id (0 on failure).
    int Upload(const std::string& uid, const std::string& summary, const std::string& extra = "");
    std::string OwnCalendar();

    std::string dir_;
    std::unique_ptr<PortalProcess> server_;
    std::unique_ptr<Client> client_;
};

} // namespace pmtest
