// Runs a portal service on a free loopback port inside the test process
// and talks to it the way the desktop client does.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "MiniJson.h"
#include "PortalHttp.h"
#include "PortalService.h"

namespace orvtest {

struct Reply {
    bool ok = false;  // a reply arrived
    int status = 0;
    std::string body, contentType, disposition, setCookie;
    orvportal::JsonValue json;
    bool isJson = false;
    int retcode = -9999;

    const orvportal::JsonValue& result() const { return json.get("result"); }
};

std::string MakeTempDir();
std::string CookieFrom(const std::string& setCookie);

// A client-format event block.
std::string EventText(const std::string& uid, const std::string& summary, const std::string& dtstart,
                      const std::string& extra = "", int eventId = 0, int publishState = 1);

class PortalTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void StartServer();
    void StopServer();

    // Body form: everything in the body, the path is the service path alone.
    Reply Body(const std::string& body, const std::string& cookie = "");
    // Query form: fields in the URL query, data field in the body.
    Reply Query(const std::string& query, const std::string& body = "", const std::string& cookie = "",
                const std::string& extraHeader = "");
    // Multipart upload exactly as the client frames it.
    Reply Upload(const std::string& query, const std::string& filename, const std::string& data,
                 const std::string& cookie, const std::string& partType = "application/octet-stream");
    Reply Raw(const std::string& path, const std::string& contentType, const std::string& body,
              const std::string& cookie = "", const std::string& extraHeader = "");

    std::string Login(const std::string& user = "demo", const std::string& pass = "demo");
    int UploadEvent(const std::string& cookie, const std::string& text);
    std::string Calendar(const std::string& cookie, const std::string& fields);

    std::string dir_, dbPath_;
    std::unique_ptr<orvportal::PortalService> service_;
    std::unique_ptr<orvportal::PortalHttpServer> server_;
    std::thread thread_;
    int port_ = 0;
    int demoId_ = 0, annaId_ = 0, blockedId_ = 0;
};

}  // namespace orvtest
