// HTTP front of the local portal service: decodes the client's POST
// requests into RpcRequest, encodes replies, and injects faults for tests.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "PortalService.h"

namespace httplib {
class Server;
}

namespace orvportal {

// One injected fault. Modes:
//   badjson       the reply body is garbage, still declared as application/json
//   html          the JSON body is declared as text/html (wrong content type)
//   truncate      only the first half of the body is sent, with a matching length
//   drop[=N]      the headers declare the whole body, N bytes of it (default 0)
//                 are sent, then the connection is closed
//   delay[=S]     the reply is held back S seconds (default 5)
//   delayms[=MS]  the same in milliseconds (default 1500)
//   huge[=MiB]    a valid JSON reply padded to that size (default 16)
//   empty         an empty body
//   status500     HTTP 500 with an HTML page
//   noattach      file replies come without Content-Disposition
//   retcode[=N]   JSON replies carry return code N (default -1)
//   slow[=MS]     the real reply is sent in pieces of 512 bytes, each after
//                 a pause of MS milliseconds (default 100)
struct FaultRule {
    enum class Mode { None, BadJson, Html, Truncate, Drop, Delay, Huge, Empty, Status500, NoAttach, RetCode, Slow };
    Mode mode = Mode::None;
    long param = 0;      // milliseconds for Delay and Slow, bytes for Drop, MiB for Huge, code for RetCode
    std::string method;  // only this method, or every method when empty
};

// Several rules at once; the first rule naming the request's method wins,
// then the first rule without a method.
struct FaultConfig {
    std::vector<FaultRule> rules;
    FaultRule For(const std::string& method) const;
};

// Reads "MODE[=N][:METHOD]" into one rule, e.g. "delay=3", "retcode=-5:V001_User_Login".
bool ParseFaultRule(const std::string& spec, FaultRule& out, std::string& error);
// Reads rules separated by ","; "none" or an empty text gives no rules.
bool ParseFault(const std::string& spec, FaultConfig& out, std::string& error);

class PortalHttpServer {
public:
    explicit PortalHttpServer(PortalService& service);
    ~PortalHttpServer();

    // Fault injection exists only when switched on (orvportal's
    // --test-faults, or its --fault rules): otherwise "/orv-test/fault",
    // the header "X-Orv-Fault" and the field "orv_fault" are refused and
    // change nothing.
    void EnableTestFaults(bool on) { testFaults_ = on; }
    bool TestFaults() const { return testFaults_; }
    // Sets the rules (and switches fault injection on).
    void SetFault(const FaultConfig& f);

    // Largest request bodies taken, counted as they arrive (chunked ones
    // too): multipart uploads and form bodies.
    static constexpr size_t kMaxUploadBody = 256u * 1024u * 1024u;
    static constexpr size_t kMaxFormBody = 16u * 1024u * 1024u;
    void SetBodyLimits(size_t upload, size_t form);
    // Worker threads: each connection holds one while it is open, so a
    // few slow clients must leave plenty for the rest.
    static constexpr size_t kWorkers = 64;
    // Seconds a connection may stay silent in a request, and idle between
    // two requests.
    static constexpr int kReadTimeoutSeconds = 5;
    static constexpr int kKeepAliveSeconds = 2;
    // Binds to a loopback address; port 0 picks a free port. Returns the
    // port, or -1 when the address is not loopback or binding failed.
    int Bind(const std::string& host, int port);
    void Run();   // serves until Stop()
    void Stop();

private:
    void Install();
    // Waits up to ms milliseconds; returns early when the server stops.
    void Pause(long ms);

    PortalService& service_;
    std::unique_ptr<httplib::Server> server_;
    std::mutex faultMutex_;
    FaultConfig fault_;
    std::atomic<bool> testFaults_{false};
    size_t uploadLimit_ = kMaxUploadBody;
    size_t formLimit_ = kMaxFormBody;
    std::condition_variable stopCv_;
    bool stopping_ = false;
};

}  // namespace orvportal
