// A chunked file download of growing size from a peer on loopback: the
// time per MiB should stay flat (the client streams the body into its
// temporary file instead of growing one buffer).
#ifdef ORV_BENCH_PORTAL
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "app/OrvCalendarConfig.h"
#include "portal/OrvWebServiceJoomla.h"

namespace {

// Serves one request with a chunked attachment of mib MiB in 16 KiB chunks.
class ChunkedPeer {
public:
    explicit ChunkedPeer(int mib) : mib_(mib)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(fd_, 1);
        socklen_t len = sizeof addr;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ChunkedPeer()
    {
        thread_.join();
        ::close(fd_);
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    void Serve()
    {
        int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) return;
        char buf[8192];
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos) {
            ssize_t n = ::recv(c, buf, sizeof buf, 0);
            if (n <= 0) break;
            request.append(buf, static_cast<size_t>(n));
        }
        Send(c, "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                "Content-Disposition: attachment; filename=\"big.bin\"\r\nTransfer-Encoding: chunked\r\n\r\n");
        const std::string chunk = "4000\r\n" + std::string(16384, 'b') + "\r\n";
        for (int i = 0; i < mib_ * 64; ++i)
            if (!Send(c, chunk)) break;
        Send(c, "0\r\n\r\n");
        ::shutdown(c, SHUT_WR);
        while (::recv(c, buf, sizeof buf, 0) > 0) {
        }
        ::close(c);
    }
    static bool Send(int c, const std::string& bytes)
    {
        size_t off = 0;
        while (off < bytes.size()) {
            ssize_t n = ::send(c, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
            if (n <= 0) return false;
            off += static_cast<size_t>(n);
        }
        return true;
    }
    int mib_;
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

void BM_ChunkedDownload(benchmark::State& state)
{
    const int mib = static_cast<int>(state.range(0));
    std::string dir = std::filesystem::temp_directory_path() / "orvbench-download";
    std::filesystem::create_directories(dir);
    OrvCalendarConfig config(dir);
    for (auto _ : state) {
        ChunkedPeer peer(mib);
        OrvWebServiceJoomla service(peer.Host(), "rpc.php?");
        service.SetConfig(&config);
        service.SetLogging(false);
        service.SetTimeouts(10, 600);
        std::string path;
        if (service.EventGetFile(1, "big.bin", path) != 0 || std::filesystem::file_size(path) != mib * 1048576ull) {
            state.SkipWithError("download failed");
            break;
        }
        service.CloseHandles();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * mib * 1048576);
    std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_ChunkedDownload)->Arg(25)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);
#endif
