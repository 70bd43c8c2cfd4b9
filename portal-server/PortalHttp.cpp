#include "PortalHttp.h"

#include <httplib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace orvportal {

namespace {

const char* const kCookie = "orvsession";

std::string SessionFromCookies(const httplib::Request& req) {
    size_t n = req.get_header_value_count("Cookie");
    for (size_t k = 0; k < n; ++k) {
        std::string h = req.get_header_value("Cookie", k);
        size_t pos = 0;
        while (pos < h.size()) {
            size_t end = h.find(';', pos);
            if (end == std::string::npos) end = h.size();
            std::string part = h.substr(pos, end - pos);
            while (!part.empty() && part.front() == ' ') part.erase(0, 1);
            std::string prefix = std::string(kCookie) + "=";
            if (part.compare(0, prefix.size(), prefix) == 0) return part.substr(prefix.size());
            pos = end + 1;
        }
    }
    return {};
}

std::string QueryOf(const httplib::Request& req) {
    size_t q = req.target.find('?');
    return q == std::string::npos ? std::string() : req.target.substr(q + 1);
}

// The file name of a reply header as a quoted string: a double quote and a
// backslash get a backslash before them; stored names hold no control bytes.
std::string QuotedFileName(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
    }
    return out + "\"";
}

// The reply for a request whose body was refused; the method did not run.
void RefuseBody(httplib::Response& res, int status, const std::string& message) {
    JsonValue o = JsonValue::Object();
    o.set("retcode", std::to_string(kBadRequest));
    o.set("message", message);
    JsonValue err = JsonValue::Object();
    err.set("error", std::to_string(kBadRequest));
    err.set("item", "body");
    err.set("message", message);
    err.set("native", "");
    JsonValue list = JsonValue::Array();
    list.push(err);
    o.set("error", list);
    o.set("result", JsonValue::Object());
    res.status = status;
    res.set_header("Connection", "close");
    res.set_content(o.dump(), "application/json");
}

bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void SendStreamed(httplib::Response& res, const std::string& type, std::shared_ptr<std::string> body,
                  size_t sendBytes) {
    // Declares the full length and stops after sendBytes: the peer sees
    // the connection close in the middle of the reply.
    res.set_content_provider(body->size(), type, [body, sendBytes](size_t offset, size_t length, httplib::DataSink& sink) {
        if (offset >= sendBytes) return false;
        size_t n = std::min(length, sendBytes - offset);
        n = std::min<size_t>(n, 64 * 1024);
        sink.write(body->data() + offset, n);
        return true;
    });
}

}  // namespace

bool ParseFaultRule(const std::string& spec, FaultRule& out, std::string& error) {
    out = FaultRule{};
    std::string s = spec;
    size_t colon = s.find(':');
    if (colon != std::string::npos) {
        out.method = s.substr(colon + 1);
        s = s.substr(0, colon);
        if (out.method.empty()) {
            error = "fault method is empty in '" + spec + "'";
            return false;
        }
    }
    std::string name = s;
    bool hasParam = false;
    size_t eq = s.find('=');
    if (eq != std::string::npos) {
        name = s.substr(0, eq);
        char* end = nullptr;
        std::string num = s.substr(eq + 1);
        errno = 0;
        out.param = std::strtol(num.c_str(), &end, 10);
        if (num.empty() || *end != '\0' || errno == ERANGE) {
            error = "fault parameter is not a number: " + num;
            return false;
        }
        hasParam = true;
    }
    using M = FaultRule::Mode;
    static const std::pair<const char*, M> names[] = {
        {"none", M::None},           {"badjson", M::BadJson},   {"html", M::Html},       {"truncate", M::Truncate},
        {"drop", M::Drop},           {"delay", M::Delay},       {"delayms", M::Delay},   {"huge", M::Huge},
        {"empty", M::Empty},         {"status500", M::Status500}, {"noattach", M::NoAttach}, {"retcode", M::RetCode},
        {"slow", M::Slow}};
    for (const auto& n : names) {
        if (name != n.first) continue;
        out.mode = n.second;
        if (name == "delay") {
            if (!hasParam) out.param = 5;
            if (out.param < 0 || out.param > 600) {
                error = "delay must be between 0 and 600 seconds";
                return false;
            }
            out.param *= 1000;
        } else if (name == "delayms") {
            if (!hasParam) out.param = 1500;
            if (out.param < 0 || out.param > 600000) {
                error = "delayms must be between 0 and 600000 milliseconds";
                return false;
            }
        } else if (out.mode == M::Huge) {
            if (!hasParam) out.param = 16;
            if (out.param < 1 || out.param > 1024) {
                error = "huge must be between 1 and 1024 MiB";
                return false;
            }
        } else if (out.mode == M::Drop) {
            if (out.param < 0) {
                error = "drop needs a byte count of 0 or more";
                return false;
            }
        } else if (out.mode == M::RetCode) {
            if (!hasParam) out.param = -1;
        } else if (out.mode == M::Slow) {
            if (!hasParam) out.param = 100;
            if (out.param < 0 || out.param > 10000) {
                error = "slow must be between 0 and 10000 milliseconds";
                return false;
            }
        } else if (hasParam) {
            error = "fault mode '" + name + "' takes no parameter";
            return false;
        }
        return true;
    }
    error = "unknown fault mode: " + name;
    return false;
}

bool ParseFault(const std::string& spec, FaultConfig& out, std::string& error) {
    FaultConfig parsed;
    size_t start = 0;
    while (start <= spec.size()) {
        size_t comma = spec.find(',', start);
        if (comma == std::string::npos) comma = spec.size();
        std::string one = spec.substr(start, comma - start);
        start = comma + 1;
        if (one.empty()) continue;
        FaultRule rule;
        if (!ParseFaultRule(one, rule, error)) return false;
        if (rule.mode != FaultRule::Mode::None) parsed.rules.push_back(rule);
    }
    out = parsed;
    return true;
}

FaultRule FaultConfig::For(const std::string& method) const {
    for (const auto& r : rules)
        if (!r.method.empty() && r.method == method) return r;
    for (const auto& r : rules)
        if (r.method.empty()) return r;
    return {};
}

PortalHttpServer::PortalHttpServer(PortalService& service)
    : service_(service), server_(std::make_unique<httplib::Server>()) {
    Install();
}

PortalHttpServer::~PortalHttpServer() { Stop(); }

void PortalHttpServer::SetFault(const FaultConfig& f) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    fault_ = f;
    testFaults_ = true;
}

void PortalHttpServer::SetBodyLimits(size_t upload, size_t form) {
    uploadLimit_ = upload;
    formLimit_ = form;
    server_->set_payload_max_length(std::max(upload, form));
}

int PortalHttpServer::Bind(const std::string& host, int port) {
    std::string h = host == "localhost" ? "127.0.0.1" : host;
    if (h != "127.0.0.1") return -1;  // the test portal never leaves loopback
    if (port == 0) return server_->bind_to_any_port(h);
    return server_->bind_to_port(h, port) ? port : -1;
}

void PortalHttpServer::Run() { server_->listen_after_bind(); }

void PortalHttpServer::Stop() {
    {
        std::lock_guard<std::mutex> lock(faultMutex_);
        stopping_ = true;
    }
    stopCv_.notify_all();
    if (server_) server_->stop();
}

void PortalHttpServer::Pause(long ms) {
    std::unique_lock<std::mutex> lock(faultMutex_);
    stopCv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void PortalHttpServer::Install() {
    // A declared length is checked by the library; the receivers below count
    // what really arrives, which is what limits a chunked body.
    server_->set_payload_max_length(std::max(uploadLimit_, formLimit_));
    server_->set_read_timeout(kReadTimeoutSeconds, 0);
    server_->set_write_timeout(kReadTimeoutSeconds, 0);
    server_->set_keep_alive_timeout(kKeepAliveSeconds);
    server_->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    // Address reuse only: with the library's default SO_REUSEPORT a second
    // server would silently share a port that is already taken.
    server_->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const void*>(&yes), sizeof yes);
    });

    // Switches the fault mode of a running server (used by integration tests).
    // (Registered with a content reader like the service route below, since
    // the library tries those routes before the plain ones.)
    server_->Post("/orv-test/fault", [this](const httplib::Request& req, httplib::Response& res,
                                            const httplib::ContentReader& reader) {
        if (!testFaults_) {
            res.status = 403;
            res.set_content("fault injection is off (start orvportal with --test-faults)\n", "text/plain");
            return;
        }
        std::string body;
        reader([&](const char* data, size_t len) {
            body.append(data, len);
            return body.size() < 64 * 1024;
        });
        std::string spec;
        for (const auto& kv : ParseFormText(QueryOf(req)))
            if (kv.first == "mode") spec = kv.second;
        for (const auto& kv : ParseFormText(body))
            if (kv.first == "mode") spec = kv.second;
        FaultConfig f;
        std::string err;
        if (!ParseFault(spec, f, err)) {
            res.status = 400;
            res.set_content(err + "\n", "text/plain");
            return;
        }
        SetFault(f);
        res.set_content("fault " + (spec.empty() ? std::string("none") : spec) + "\n", "text/plain");
    });

    server_->Post(".*", [this](const httplib::Request& req, httplib::Response& res,
                               const httplib::ContentReader& reader) {
        if (!EndsWith(req.path, "rpc.php")) {
            res.status = 404;
            res.set_content("<html><body>404 Not Found</body></html>", "text/html");
            return;
        }
        RpcRequest rpc;
        for (auto& kv : ParseFormText(QueryOf(req))) rpc.add(kv.first, kv.second);
        bool complete = true;
        size_t received = 0;
        bool tooLarge = false;
        // Counts what arrives; false stops the reading at the limit.
        auto take = [&](size_t len, size_t limit) {
            received += len;
            if (received > limit) tooLarge = true;
            return !tooLarge;
        };
        // A body that announces more than its kind may carry is not read.
        const size_t limit = req.is_multipart_form_data() ? uploadLimit_ : formLimit_;
        if (req.has_header("Content-Length") &&
            std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10) > limit) {
            RefuseBody(res, 413, "Die Anfrage ist zu groß");
            return;
        }
        if (req.is_multipart_form_data()) {
            std::vector<UploadPart> parts;
            complete = reader(
                [&](const httplib::MultipartFormData& file) {
                    UploadPart p;
                    p.present = true;
                    // The client percent-encodes what a quoted header value
                    // cannot carry ("%", a double quote, CR, LF).
                    p.field = PercentDecode(file.name);
                    p.filename = EnsureUtf8(PercentDecode(file.filename));
                    p.contentType = file.content_type;
                    parts.push_back(std::move(p));
                    return true;
                },
                [&](const char* data, size_t len) {
                    if (!take(len, uploadLimit_)) return false;
                    if (!parts.empty()) parts.back().data.append(data, len);
                    return true;
                });
            for (auto& p : parts) {
                if (!p.filename.empty() && !rpc.file.present) rpc.file = std::move(p);
                else if (p.filename.empty()) rpc.add(p.field, EnsureUtf8(p.data));
            }
        } else {
            std::string body;
            complete = reader([&](const char* data, size_t len) {
                if (!take(len, formLimit_)) return false;
                body.append(data, len);
                return true;
            });
            std::string type = req.get_header_value("Content-Type");
            if (complete && (type.empty() || type.find("application/x-www-form-urlencoded") != std::string::npos))
                for (auto& kv : ParseFormText(body)) rpc.add(kv.first, kv.second);
        }
        rpc.session = SessionFromCookies(req);
        rpc.peer = req.remote_addr;
        if (tooLarge) {
            RefuseBody(res, 413, "Die Anfrage ist zu groß");
            return;
        }
        if (!complete) {
            // Half an upload is never stored: the method does not run.
            RefuseBody(res, 400, "Die Anfrage ist unvollständig oder fehlerhaft");
            return;
        }

        // A single request can ask for its own fault (used by tests that
        // share one server); it replaces the configured rules. Without the
        // test switch such a request is refused before anything runs.
        std::string perRequest = req.get_header_value("X-Orv-Fault");
        bool asked = req.has_header("X-Orv-Fault") || rpc.has("orv_fault");
        if (perRequest.empty()) perRequest = rpc.get("orv_fault");
        if (asked && !testFaults_) {
            JsonValue o = JsonValue::Object();
            o.set("retcode", std::to_string(kForbidden));
            o.set("message", "Fehlerinjektion ist ausgeschaltet");
            o.set("error", JsonValue::Array());
            o.set("result", JsonValue::Object());
            res.status = 403;
            res.set_content(o.dump(), "application/json");
            return;
        }

        RpcReply reply = service_.Handle(rpc);

        FaultRule fault;
        if (testFaults_) {
            std::lock_guard<std::mutex> lock(faultMutex_);
            fault = fault_.For(reply.method);
        }
        if (asked) {
            FaultConfig own;
            std::string err;
            fault = ParseFault(perRequest, own, err) ? own.For(reply.method) : FaultRule{};
        }

        if (!reply.setSession.empty())
            res.set_header("Set-Cookie", std::string(kCookie) + "=" + reply.setSession + "; Path=/; HttpOnly");
        else if (reply.clearSession)
            res.set_header("Set-Cookie", std::string(kCookie) + "=; Path=/; Max-Age=0; HttpOnly");
        res.set_header("Cache-Control", "no-cache");
        bool isJson = reply.contentType.find("application/json") != std::string::npos;
        if (!reply.attachment.empty() && fault.mode != FaultRule::Mode::NoAttach)
            res.set_header("Content-Disposition", "attachment; filename=" + QuotedFileName(reply.attachment));
        res.status = reply.httpStatus;

        using M = FaultRule::Mode;
        switch (fault.mode) {
        case M::None:
        case M::NoAttach:
            break;
        case M::Delay:
            Pause(fault.param);
            break;
        case M::BadJson:
            reply.body = "{\"retcode\":\"0\",\"message\": <<kein JSON>> ,,]";
            reply.contentType = "application/json";
            break;
        case M::Html:
            reply.contentType = "text/html; charset=utf-8";
            break;
        case M::Truncate:
            reply.body = reply.body.substr(0, reply.body.size() / 2);
            break;
        case M::Empty:
            reply.body.clear();
            break;
        case M::Status500:
            res.status = 500;
            reply.body = "<html><body><h1>500 Internal Server Error</h1></body></html>";
            reply.contentType = "text/html";
            break;
        case M::RetCode:
            if (isJson) {
                JsonValue o = JsonValue::Object();
                o.set("retcode", std::to_string(fault.param));
                o.set("message", "Fehler " + std::to_string(fault.param) + " (Testmodus)");
                o.set("error", JsonValue::Array());
                o.set("result", JsonValue::Object());
                reply.body = o.dump();
            }
            break;
        case M::Drop: {
            auto body = std::make_shared<std::string>(reply.body.empty() ? std::string(64, ' ') : reply.body);
            size_t keep = std::min(static_cast<size_t>(fault.param), body->size() - 1);
            SendStreamed(res, reply.contentType, body, keep);
            return;
        }
        case M::Slow: {
            auto body = std::make_shared<std::string>(reply.body);
            const long pause = fault.param;
            res.set_content_provider(body->size(), reply.contentType,
                                     [this, body, pause](size_t offset, size_t length, httplib::DataSink& sink) {
                                         Pause(pause);
                                         size_t n = std::min<size_t>(std::min(length, body->size() - offset), 512);
                                         sink.write(body->data() + offset, n);
                                         return true;
                                     });
            return;
        }
        case M::Huge: {
            auto body = std::make_shared<std::string>("{\"retcode\":\"0\",\"message\":\"OK\",\"padding\":\"");
            body->append(static_cast<size_t>(fault.param) * 1024 * 1024, 'x');
            body->append("\",\"result\":{}}");
            SendStreamed(res, "application/json", body, body->size());
            return;
        }
        }
        res.set_content(reply.body, reply.contentType);
    });
}

}  // namespace orvportal
