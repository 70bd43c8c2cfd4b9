// Helpers for the portal client tests: a temporary directory, the request
// log read back from its database, a scripted HTTP peer that records what
// the client sends, and the local portal service run as a child process.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct sqlite3;

namespace orvtest {

std::string MakeTempDir(const char* stem);
void RemoveTree(const std::string& dir);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

struct LogRow {
    int id = 0;
    int retcode = 0;
    std::string task;
    std::string message;
};
// Every row of "WEBSERVICE" in id order (empty when the table is missing).
std::vector<LogRow> ReadLog(sqlite3* db);
// The messages of the rows, CR LF removed, "task|retcode|message" each.
std::vector<std::string> LogLines(sqlite3* db);

// One request as it arrived.
struct RecordedRequest {
    std::string requestLine;  // "POST /rpc.php?... HTTP/1.1"
    std::string target;       // "/rpc.php?..."
    std::string headers;      // the raw header block
    std::string body;
    std::string Header(const std::string& name) const;  // first value, case-insensitive name
};

// Answers each connection with the next scripted reply (raw bytes of a
// whole HTTP response) and closes it. Listens on a free loopback port.
class ScriptedPeer {
public:
    ScriptedPeer();
    ~ScriptedPeer();
    int Port() const { return port_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    // A complete reply with status 200 and these headers and body.
    void Reply(const std::string& contentType, const std::string& body, const std::string& extraHeaders = "");
    void ReplyRaw(const std::string& raw);
    std::vector<RecordedRequest> Requests();

private:
    void Serve();

    int listenFd_ = -1;
    int port_ = 0;
    bool stop_ = false;
    std::thread thread_;
    std::mutex mutex_;
    std::deque<std::string> replies_;
    std::vector<RecordedRequest> requests_;
};

// The local portal service ("orvportal") on a free loopback port.
class PortalProcess {
public:
    // Starts orvportal with --db FILE --port 0 --seed-demo and the extra
    // arguments; waits for "listening on PORT". Port() is 0 on failure.
    explicit PortalProcess(const std::string& dbPath, const std::vector<std::string>& extra = {});
    ~PortalProcess();
    int Port() const { return port_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    // Switches the fault rules of the running service ("none" clears).
    bool SetFault(const std::string& rules);
    void Stop();

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace orvtest
