// HTTP front of the local portal service: decodes the client's POST
// requests into RpcRequest, encodes replies, and injects faults for tests.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "PortalService.h"

namespace httplib {
class Server;
}

namespace orvportal {

struct FaultConfig {
    enum class Mode { None, BadJson, Html, Truncate, Drop, Delay, Huge, Empty, Status500, NoAttach, RetCode };
    Mode mode = Mode::None;
    long param = 0;      // seconds for Delay, MiB for Huge, code for RetCode
    std::string method;  // only this method, or every method when empty
};

// Reads "MODE[=N][:METHOD]", e.g. "delay=3", "retcode=-5:V001_User_Login".
bool ParseFault(const std::string& spec, FaultConfig& out, std::string& error);

class PortalHttpServer {
public:
    explicit PortalHttpServer(PortalService& service);
    ~PortalHttpServer();

    void SetFault(const FaultConfig& f);
    // Binds to a loopback address; port 0 picks a free port. Returns the
    // port, or -1 when the address is not loopback or binding failed.
    int Bind(const std::string& host, int port);
    void Run();   // serves until Stop()
    void Stop();

private:
    void Install();

    PortalService& service_;
    std::unique_ptr<httplib::Server> server_;
    std::mutex faultMutex_;
    FaultConfig fault_;
};

}  // namespace orvportal
