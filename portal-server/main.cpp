// orvportal: the local portal service the desktop client talks to in
// development and in its integration tests.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <pthread.h>
#include <sstream>
#include <string>
#include <thread>

#include "PortalHttp.h"
#include "PortalService.h"

namespace {

void Usage() {
    std::cout << "usage: orvportal --db FILE [--port N] [--bind 127.0.0.1] [--seed-demo]\n"
                 "                 [--test-faults] [--fault MODE[=N][:METHOD]]... [--block-new-users]\n"
                 "                 [--update-version V [--update-file PATH] [--update-history TEXT]\n"
                 "                  [--update-name NAME]]\n"
                 "                 [--clear-update]\n"
                 "  --port 0 picks a free port; the first output line is \"listening on PORT\".\n"
                 "  --seed-demo adds the demo data once (user \"demo\", password \"demo\").\n"
                 "  --test-faults switches fault injection on (a --fault rule does too); without\n"
                 "  it the service refuses every request for a fault.\n"
                 "  Fault modes (several --fault options, or rules joined by \",\"):\n"
                 "    badjson     garbage body declared as application/json\n"
                 "    html        JSON body declared as text/html\n"
                 "    truncate    first half of the body only\n"
                 "    drop[=N]    headers, N bytes of the body (default 0), then the connection closes\n"
                 "    delay[=S]   reply held back S seconds (default 5); delayms[=MS] likewise\n"
                 "    huge[=MiB]  valid JSON padded to MiB (default 16)\n"
                 "    empty       empty body\n"
                 "    status500   HTTP 500 with an HTML page\n"
                 "    noattach    file replies without Content-Disposition\n"
                 "    retcode[=N] JSON replies carry return code N (default -1)\n"
                 "  \":METHOD\" limits a rule to one method, e.g. drop:V001_User_Login.\n"
                 "  POST /orv-test/fault with mode=RULES switches the rules of a running server,\n"
                 "  and the header X-Orv-Fault or the field orv_fault sets one request's fault.\n";
}

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string db, bind = "127.0.0.1", fault, updVersion, updFile, updHistory, updName;
    int port = 8080;
    bool seed = false, blockNew = false, clearUpdate = false, testFaults = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&](const char* what) -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "orvportal: " << a << " needs " << what << "\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--db") db = next("a file name");
        else if (a == "--port") {
            std::string v = next("a number");
            char* end = nullptr;
            long p = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || p < 0 || p > 65535) {
                std::cerr << "orvportal: bad port '" << v << "'\n";
                return 2;
            }
            port = static_cast<int>(p);
        } else if (a == "--bind") bind = next("an address");
        else if (a == "--seed-demo") seed = true;
        else if (a == "--test-faults") testFaults = true;
        else if (a == "--fault") {
            std::string f = next("a mode");
            fault = fault.empty() ? f : fault + "," + f;
            testFaults = true;
        }
        else if (a == "--block-new-users") blockNew = true;
        else if (a == "--update-version") updVersion = next("a version");
        else if (a == "--update-file") updFile = next("a file name");
        else if (a == "--update-history") updHistory = next("a text");
        else if (a == "--update-name") updName = next("a file name");
        else if (a == "--clear-update") clearUpdate = true;
        else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else {
            std::cerr << "orvportal: unknown option '" << a << "'\n";
            Usage();
            return 2;
        }
    }
    if (db.empty()) {
        std::cerr << "orvportal: --db FILE is required\n";
        Usage();
        return 2;
    }
    if (bind != "127.0.0.1" && bind != "localhost") {
        std::cerr << "orvportal: refusing to listen on '" << bind << "': only 127.0.0.1 is allowed\n";
        return 2;
    }
    orvportal::FaultConfig faultConfig;
    if (!fault.empty()) {
        std::string err;
        if (!orvportal::ParseFault(fault, faultConfig, err)) {
            std::cerr << "orvportal: " << err << "\n";
            return 2;
        }
    }

    // Signals are taken by a dedicated thread so that the server stops cleanly.
    sigset_t sigs;
    sigemptyset(&sigs);
    sigaddset(&sigs, SIGINT);
    sigaddset(&sigs, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &sigs, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        // "--db run/portal.db" on a fresh checkout: the folder is made here.
        std::filesystem::path parent = std::filesystem::path(db).parent_path();
        std::error_code ec;
        if (!parent.empty() && !std::filesystem::exists(parent, ec)) std::filesystem::create_directories(parent, ec);
        orvportal::PortalService service(db);
        service.SetBlockNewUsers(blockNew);
        if (seed) service.SeedDemo();
        if (clearUpdate) service.ClearUpdateOffers();
        if (!updVersion.empty()) {
            orvportal::UpdateOffer offer;
            offer.version = updVersion;
            offer.history = updHistory;
            offer.filename = updName;
            if (!updFile.empty()) {
                if (!ReadFile(updFile, offer.data)) {
                    std::cerr << "orvportal: cannot read update file '" << updFile << "'\n";
                    return 1;
                }
            }
            service.SetUpdateOffer(offer);
        }
        orvportal::PortalHttpServer server(service);
        if (testFaults) server.SetFault(faultConfig);
        int bound = server.Bind(bind, port);
        if (bound < 0) {
            std::cerr << "orvportal: cannot listen on " << bind << ":" << port << "\n";
            return 1;
        }
        std::cout << "listening on " << bound << std::endl;
        std::thread stopper([&] {
            int sig = 0;
            sigwait(&sigs, &sig);
            server.Stop();
        });
        stopper.detach();
        server.Run();
    } catch (const std::exception& e) {
        std::cerr << "orvportal: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
