// The local portal service as a child process on a free port.
#pragma once

#include <csignal>
#include <curl/curl.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class PortalProcess {
public:
    PortalProcess() = default;
    PortalProcess(const PortalProcess&) = delete;
    PortalProcess& operator=(const PortalProcess&) = delete;
    ~PortalProcess() { Stop(); }

    // Starts the service over the database file with the demo data and
    // waits for its "listening on PORT" line; testFaults lets SetFault
    // work. The port, or 0 on failure (output then holds what the service
    // said).
    int Start(const std::string& database, bool testFaults = false)
    {
        // A second start (a restart in a test) reads its own first line.
        said_.clear();
        port_ = 0;
        int out[2];
        if (::pipe(out) != 0) return 0;
        std::vector<std::string> args = {ORV_TEST_PORTAL, "--db", database, "--port", "0", "--seed-demo"};
        if (testFaults) args.push_back("--test-faults");
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            // The service ends with the test process, even when a test crashes.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            ::execv(ORV_TEST_PORTAL, argv.data());
            _exit(127);
        }
        ::close(out[1]);
        output_ = out[0];
        if (pid_ < 0) {
            pid_ = -1;
            return 0;
        }
        pollfd p{output_, POLLIN, 0};
        while (said_.find('\n') == std::string::npos && ::poll(&p, 1, 10000) > 0) {
            char buffer[256];
            const ssize_t n = ::read(output_, buffer, sizeof buffer);
            if (n <= 0) break;
            said_.append(buffer, static_cast<size_t>(n));
        }
        const size_t at = said_.find("listening on ");
        port_ = at == std::string::npos ? 0 : std::atoi(said_.c_str() + at + 13);
        return port_;
    }

    void Stop()
    {
        End(SIGTERM);
        if (output_ >= 0) ::close(output_);
        output_ = -1;
    }

    // Ends the service at once, as a crash would (no reply is finished).
    void Kill() { End(SIGKILL); }

    // Switches the fault rules of the running service ("" for none); the
    // service must have been started with testFaults.
    bool SetFault(const std::string& rules)
    {
        CURL* curl = curl_easy_init();
        if (!curl) return false;
        char* escaped = curl_easy_escape(curl, rules.c_str(), static_cast<int>(rules.size()));
        const std::string body = std::string("mode=") + escaped;
        curl_free(escaped);
        const std::string url = "http://" + Host() + "/orv-test/fault";
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, +[](char*, size_t s, size_t n, void*) { return s * n; });
        const CURLcode rc = curl_easy_perform(curl);
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_cleanup(curl);
        return rc == CURLE_OK && status == 200;
    }

    int Port() const { return port_; }
    const std::string& Output() const { return said_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    void End(int signal)
    {
        if (pid_ > 0) {
            ::kill(pid_, signal);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }

    pid_t pid_ = -1;
    int output_ = -1;
    int port_ = 0;
    std::string said_;
};
