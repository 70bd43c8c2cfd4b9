#include "PortalTestSupport.h"

#include <httplib.h>

#include <cstdlib>
#include <filesystem>

namespace orvtest {

std::string MakeTempDir() {
    std::string tmpl = testing::TempDir() + "orvportal-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    char* d = mkdtemp(buf.data());
    if (!d) throw std::runtime_error("mkdtemp failed");
    return d;
}

std::string CookieFrom(const std::string& setCookie) {
    size_t semi = setCookie.find(';');
    return setCookie.substr(0, semi);
}

std::string EventText(const std::string& uid, const std::string& summary, const std::string& dtstart,
                      const std::string& extra, int eventId, int publishState) {
    return "BEGIN:VEVENT\nCREATED:20260101T000000\nLAST-MODIFIED:20260101T000000\nUID:" + uid + "\nSUMMARY:" + summary +
           "\n" + extra + "DTSTART:" + dtstart + "\nDTEND:" + dtstart.substr(0, 9) + "235900\nLOCATION:\nDESCRIPTION:\n" +
           "X-ORV-EVENTID:" + std::to_string(eventId) + "\nX-ORV-COST:\nX-ORV-LOCATION:\nX-ORV-PUBLISH:STATE=" +
           std::to_string(publishState) + ";PUBLISH_UP=00000000T000000;PUBLISH_DOWN=00000000T000000;\n" +
           "X-ORV-HIGHLIGHTS:\nEND:VEVENT\n";
}

void PortalTest::SetUp() {
    dir_ = MakeTempDir();
    dbPath_ = dir_ + "/portal.db";
    StartServer();
    demoId_ = service_->CreateUser("demo", "demo", "Demo User", "demo@localhost", false, 1);
    annaId_ = service_->CreateUser("anna", "anna", "Anna", "anna@localhost", false, 0);
    blockedId_ = service_->CreateUser("locked", "locked", "Locked", "locked@localhost", true, 0);
}

void PortalTest::TearDown() {
    StopServer();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void PortalTest::StartServer() {
    service_ = std::make_unique<orvportal::PortalService>(dbPath_);
    server_ = std::make_unique<orvportal::PortalHttpServer>(*service_);
    port_ = server_->Bind("127.0.0.1", 0);
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_->Run(); });
}

void PortalTest::StopServer() {
    if (server_) server_->Stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
    service_.reset();
}

Reply PortalTest::Raw(const std::string& path, const std::string& contentType, const std::string& body,
                      const std::string& cookie, const std::string& extraHeader) {
    httplib::Client cli("127.0.0.1", port_);
    cli.set_url_encode(false);
    cli.set_read_timeout(30, 0);
    httplib::Headers h = {{"Cache-Control", "no-cache"}, {"Accept", "*/*"}};
    if (!cookie.empty()) h.emplace("Cookie", cookie);
    if (!extraHeader.empty()) {
        size_t colon = extraHeader.find(':');
        h.emplace(extraHeader.substr(0, colon), extraHeader.substr(colon + 2));
    }
    auto res = cli.Post(path.c_str(), h, body, contentType.c_str());
    Reply r;
    if (!res) return r;
    r.ok = true;
    r.status = res->status;
    r.body = res->body;
    r.contentType = res->get_header_value("Content-Type");
    r.disposition = res->get_header_value("Content-Disposition");
    r.setCookie = res->get_header_value("Set-Cookie");
    if (r.contentType.find("application/json") != std::string::npos) {
        try {
            r.json = orvportal::ParseJson(r.body, orvportal::JsonDialect::Standard);
            r.isJson = true;
            r.retcode = std::atoi(r.json.get("retcode").str().c_str());
        } catch (const orvportal::JsonError&) {
        }
    }
    return r;
}

Reply PortalTest::Body(const std::string& body, const std::string& cookie) {
    return Raw("/rpc.php?", "application/x-www-form-urlencoded", body, cookie);
}

Reply PortalTest::Query(const std::string& query, const std::string& body, const std::string& cookie,
                        const std::string& extraHeader) {
    return Raw("/rpc.php?" + query, "application/x-www-form-urlencoded", body, cookie, extraHeader);
}

Reply PortalTest::Upload(const std::string& query, const std::string& filename, const std::string& data,
                         const std::string& cookie, const std::string& partType) {
    const std::string b = "231991966824484";
    std::string body = "--" + b + "\r\nContent-Disposition: form-data; name=\"Datei\"; filename=\"" + filename +
                       "\"\r\nContent-Type: " + partType + "\r\n";
    if (partType != "text/plain") body += "Content-Transfer-Encoding: binary\r\n";
    body += "\r\n" + data + "\r\n--" + b + "--\r\n";
    return Raw("/rpc.php?" + query, "multipart/form-data; boundary=" + b, body, cookie, "Keep-Alive: 115");
}

std::string PortalTest::Login(const std::string& user, const std::string& pass) {
    Reply r = Body("rpc_method=V001_User_Login&rpc_accept=json&username=" + user + "&password=" + pass);
    EXPECT_EQ(r.retcode, 0) << r.body;
    EXPECT_FALSE(r.setCookie.empty());
    return CookieFrom(r.setCookie);
}

int PortalTest::UploadEvent(const std::string& cookie, const std::string& text) {
    Reply r = Upload("rpc_accept=json&rpc_method=V001_Event_UploadEvent&overwrite=false", "VEVENT", text, cookie);
    EXPECT_EQ(r.retcode, 0) << r.body;
    return std::atoi(r.result().get("eventid").str().c_str());
}

std::string PortalTest::Calendar(const std::string& cookie, const std::string& fields) {
    Reply r = Query("rpc_accept=file&rpc_method=V001_Event_GetCalendar" + fields, "", cookie);
    EXPECT_NE(r.disposition.find("attachment"), std::string::npos) << r.body;
    return r.body;
}

}  // namespace orvtest
