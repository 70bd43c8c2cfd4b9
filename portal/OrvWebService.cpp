#include "portal/OrvWebService.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>

#include "app/OrvCalendarConfig.h"
#include "base/OrvDatabase.h"
#include "base/OrvText.h"
#include "portal/OrvWebServiceJoomla.h"

namespace {

OrvWebService*& TheInstance()
{
    static OrvWebService* instance = nullptr;
    return instance;
}

// Used when the configuration has no value; the local portal service
// listens there by default.
const char* const kDefaultHost = "127.0.0.1:8080";
const char* const kDefaultServicePath = "rpc.php?";

// A reservation from "Content-Length" larger than this is not trusted; the
// buffer then grows with the data that really arrives.
const size_t kMaxReserve = 64u * 1024u * 1024u;

// Incremental SHA-256.
class Sha256 {
public:
    Sha256() : ctx_(EVP_MD_CTX_new())
    {
        if (ctx_ && EVP_DigestInit_ex(ctx_, EVP_sha256(), nullptr) != 1) {
            EVP_MD_CTX_free(ctx_);
            ctx_ = nullptr;
        }
    }
    ~Sha256() { EVP_MD_CTX_free(ctx_); }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    bool Update(const char* data, size_t n) { return ctx_ && EVP_DigestUpdate(ctx_, data, n) == 1; }
    // Lower-case hex; empty when hashing failed.
    std::string Hex()
    {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (!ctx_ || EVP_DigestFinal_ex(ctx_, digest, &length) != 1) return {};
        static const char hex[] = "0123456789abcdef";
        std::string out;
        for (unsigned int i = 0; i < length; ++i) {
            out += hex[digest[i] >> 4];
            out += hex[digest[i] & 15];
        }
        return out;
    }

private:
    EVP_MD_CTX* ctx_;
};

std::string MiBText(uint64_t bytes)
{
    return std::to_string((bytes + 1024 * 1024 - 1) / (1024 * 1024));
}

bool WriteAllTo(int fd, const char* data, size_t length)
{
    while (length > 0) {
        ssize_t n = ::write(fd, data, length);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

bool EqualsNoCase(const char* a, size_t alen, const char* b)
{
    size_t blen = std::strlen(b);
    if (alen != blen) return false;
    for (size_t i = 0; i < alen; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// URL of a request from the host ("name[:port]", optionally with scheme)
// and the object path. Bytes that a URL cannot carry raw (blanks, control
// and high bytes, "#") are percent-encoded; everything else goes as given.
std::string BuildURL(const std::string& host, const char* object)
{
    std::string url;
    std::string h = host;
    if (h.compare(0, 7, "http://") != 0 && h.compare(0, 8, "https://") != 0) url = "http://";
    while (!h.empty() && h.back() == '/') h.pop_back();
    url += h;
    if (*object != '/') url += '/';
    static const char hex[] = "0123456789ABCDEF";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(object); *p; ++p) {
        unsigned char c = *p;
        if (c <= 0x20 || c >= 0x7F || c == '#') {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        } else {
            url += static_cast<char>(c);
        }
    }
    return url;
}

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

void EnsureCurlGlobal()
{
    static CurlGlobal global;
    (void)global;
}

}  // namespace

// ---------------------------------------------------------------------------
// OrvFileToMem

int OrvFileToMem::Map(const char* path)
{
    Unmap();
    if (!path || !*path) return ENOENT;
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int e = errno;
        ::close(fd);
        return e;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return EISDIR;
    }
    size_ = static_cast<size_t>(st.st_size);
    if (size_ > 0) {
        void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) {
            int e = errno;
            ::close(fd);
            size_ = 0;
            return e;
        }
        data_ = static_cast<char*>(p);
    }
    ::close(fd);
    mapped_ = true;
    return 0;
}

void OrvFileToMem::Unmap()
{
    if (data_) ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
    mapped_ = false;
}

// ---------------------------------------------------------------------------
// OrvHTTPBuffer

OrvHTTPBuffer::~OrvHTTPBuffer() { delete[] data_; }

int OrvHTTPBuffer::Append(int length, const char* bytes)
{
    if (length <= 0 || !bytes) return 0;
    size_t n = static_cast<size_t>(length);
    if (!data_) {
        capacity_ = n > 2048 ? n + 2048 : 2048;
        data_ = new char[capacity_ + 1];
        length_ = 0;
        data_[0] = 0;
    }
    if (length_ + n > capacity_) {
        // Growing by half at least keeps a long reply read in small pieces
        // linear in time.
        size_t wanted = length_ + n + 2048;
        size_t grownCapacity = capacity_ + capacity_ / 2;
        if (grownCapacity < wanted) grownCapacity = wanted;
        char* grown = new char[grownCapacity + 1];
        std::memcpy(grown, data_, length_);
        delete[] data_;
        data_ = grown;
        capacity_ = grownCapacity;
    }
    std::memcpy(data_ + length_, bytes, n);
    length_ += n;
    data_[length_] = 0;
    return length;
}

int OrvHTTPBuffer::Append(const char* text)
{
    if (!text) return 0;
    return Append(static_cast<int>(std::strlen(text)), text);
}

int OrvHTTPBuffer::AppendFile(const char* path)
{
    int error = map_.Map(path);
    if (error != 0) return -error;
    int count = 0;
    // Append takes an int count; larger files are appended in slices.
    const char* p = map_.Data();
    size_t left = map_.Size();
    while (left > 0) {
        int slice = left > (1u << 30) ? (1 << 30) : static_cast<int>(left);
        Append(slice, p);
        p += slice;
        left -= static_cast<size_t>(slice);
        count += slice;
    }
    map_.Unmap();
    return count;
}

void OrvHTTPBuffer::Clear()
{
    length_ = 0;
    if (data_) data_[0] = 0;
}

void OrvHTTPBuffer::Reset(size_t capacity)
{
    delete[] data_;
    data_ = nullptr;
    capacity_ = 0;
    length_ = 0;
    if (capacity > 0) {
        data_ = new char[capacity + 1];
        data_[0] = 0;
        capacity_ = capacity;
    }
}

// ---------------------------------------------------------------------------
// OrvLogCounter

void OrvLogCounter::Set(int value)
{
    value_ = value;
    // Copy: a listener may unsubscribe while being told.
    auto listeners = listeners_;
    for (auto& l : listeners)
        if (l.second) l.second(value_);
}

int OrvLogCounter::Subscribe(Listener listener)
{
    int id = nextId_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void OrvLogCounter::Unsubscribe(int id)
{
    for (auto it = listeners_.begin(); it != listeners_.end(); ++it)
        if (it->first == id) {
            listeners_.erase(it);
            return;
        }
}

// ---------------------------------------------------------------------------
// Form values and multipart layout

std::string OrvPortalEncode(const char* singleByteText)
{
    std::string utf8 = OrvSingleByteToUTF8(singleByteText ? singleByteText : "");
    return OrvFormEncode(utf8.c_str());
}

void OrvPortalContentType(const char* fileName, std::string& contentType, std::string& transferEncoding)
{
    const char* dot = fileName ? std::strrchr(fileName, '.') : nullptr;
    std::string ext = dot ? dot + 1 : "";
    contentType = "application/octet-stream";
    transferEncoding = "binary";
    if (ext == "txt") {
        contentType = "text/plain";
        transferEncoding.clear();
    } else if (ext == "gif") {
        contentType = "image/gif";
    } else if (ext == "jpg") {
        contentType = "image/jpeg";
    } else if (ext == "png") {
        contentType = "image/png";
    } else if (ext == "pdf") {
        contentType = "application/pdf";
    }
    // "cal", no extension and every other one: octet stream, binary.
}

void OrvMultipartHeader(OrvHTTPBuffer& header)
{
    header.Append("Content-Type: multipart/form-data; boundary=");
    header.Append(ORV_MULTIPART_BOUNDARY);
    header.Append("\r\n");
    header.Append("Keep-Alive: 115");
    header.Append("\r\n");
    header.Append("Accept: */*");
}

std::string OrvMultipartQuote(const char* name)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name ? name : ""); *p; ++p) {
        unsigned char c = *p;
        if (c == '%' || c == '"' || c < 0x20 || c == 0x7F) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void OrvMultipartOpen(OrvHTTPBuffer& body, const char* fileName, const char* contentTypeName)
{
    std::string type, encoding;
    OrvPortalContentType(contentTypeName ? contentTypeName : fileName, type, encoding);
    body.Append("--");
    body.Append(ORV_MULTIPART_BOUNDARY);
    body.Append("\r\n");
    body.Append("Content-Disposition: form-data; name=\"");
    body.Append(OrvMultipartQuote("Datei"));
    body.Append("\"; filename=\"");
    body.Append(OrvMultipartQuote(fileName));
    body.Append("\"\r\n");
    body.Append("Content-Type: ");
    body.Append(type);
    body.Append("\r\n");
    if (!encoding.empty()) {
        body.Append("Content-Transfer-Encoding: ");
        body.Append(encoding);
        body.Append("\r\n");
    }
    body.Append("\r\n");
}

void OrvMultipartClose(OrvHTTPBuffer& body)
{
    body.Append("\r\n");
    body.Append("--");
    body.Append(ORV_MULTIPART_BOUNDARY);
    body.Append("--");
    body.Append("\r\n");
}

std::string OrvAttachmentFileName(const std::string& contentDisposition)
{
    if (contentDisposition.find("attachment") == std::string::npos) return {};
    size_t first = contentDisposition.find('"');
    if (first == std::string::npos) return {};
    // A quoted string: a name may hold a double quote, sent as \".
    std::string name;
    bool closed = false;
    for (size_t i = first + 1; i < contentDisposition.size(); ++i) {
        char c = contentDisposition[i];
        if (c == '\\' && i + 1 < contentDisposition.size()) {
            name += contentDisposition[++i];
        } else if (c == '"') {
            closed = true;
            break;
        } else {
            name += c;
        }
    }
    if (!closed) return {};
    // The name comes from the portal: only a plain name inside the target
    // directory is accepted.
    if (name.empty() || name == "." || name == "..") return {};
    for (unsigned char c : name)
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) return {};
    return name;
}

bool OrvIsLoopbackAddress(const std::string& address)
{
    std::string a = address;
    if (a.size() > 2 && a.front() == '[' && a.back() == ']') a = a.substr(1, a.size() - 2);
    if (a.compare(0, 7, "::ffff:") == 0) a = a.substr(7);
    if (a == "::1") return true;
    // 127.0.0.0/8: four decimal parts, the first 127.
    unsigned parts[4];
    char tail = 0;
    if (std::sscanf(a.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail) != 4) return false;
    for (unsigned part : parts)
        if (part > 255) return false;
    return parts[0] == 127;
}

bool OrvTrustedOrigin(const OrvReplyOrigin& origin)
{
    if (origin.scheme == "https" && origin.certificateVerified) return true;
    return OrvIsLoopbackAddress(origin.peerAddress);
}

std::string OrvFileSHA256(const std::string& path, uint64_t* size)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    Sha256 hash;
    uint64_t total = 0;
    std::vector<char> buffer(1 << 16);
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        ok = hash.Update(buffer.data(), static_cast<size_t>(n)) && ok;
        total += static_cast<uint64_t>(n);
    }
    ::close(fd);
    if (!ok) return {};
    if (size) *size = total;
    return hash.Hex();
}

// ---------------------------------------------------------------------------
// OrvWebService

OrvWebService* OrvWebService::Instance()
{
    if (!TheInstance()) new OrvWebServiceJoomla();
    return TheInstance();
}

OrvWebService::OrvWebService()
{
    if (!TheInstance()) TheInstance() = this;
    ReadSettings();
}

OrvWebService::OrvWebService(const std::string& host, const std::string& servicePath)
    : host_(host), servicePath_(servicePath)
{
    if (!TheInstance()) TheInstance() = this;
}

OrvWebService::~OrvWebService()
{
    CloseHandles();
    if (TheInstance() == this) TheInstance() = nullptr;
}

void OrvWebService::ReadSettings()
{
    OrvCalendarConfig* cfg = Config();
    if (!cfg) {
        host_ = kDefaultHost;
        servicePath_ = kDefaultServicePath;
        return;
    }
    host_ = cfg->GetValue(ORVCFG_SECTION_HOST, ORVCFG_HOST, kDefaultHost);
    if (host_.empty()) host_ = kDefaultHost;
    servicePath_ = cfg->GetValue(ORVCFG_SECTION_HOST, ORVCFG_SERVICEPATH, kDefaultServicePath);
    if (servicePath_.empty()) servicePath_ = kDefaultServicePath;
    long c = std::strtol(cfg->File().Read(ORVCFG_SECTION_HOST, "ConnectTimeout", "10"), nullptr, 10);
    long t = std::strtol(cfg->File().Read(ORVCFG_SECTION_HOST, "Timeout", "60"), nullptr, 10);
    SetTimeouts(c, t);
    auto mib = [cfg](const char* key, uint64_t fallback) {
        long long value = std::strtoll(cfg->File().Read(ORVCFG_SECTION_HOST, key, ""), nullptr, 10);
        return value > 0 ? static_cast<uint64_t>(value) * 1024 * 1024 : fallback;
    };
    SetReplyLimits(mib("MaxReplyMiB", kDefaultTextLimit), mib("MaxFileMiB", kDefaultFileLimit));
}

OrvCalendarConfig* OrvWebService::Config() const
{
    return config_ ? config_ : OrvCalendarConfig::Get();
}

void OrvWebService::SetTimeouts(long connectSeconds, long totalSeconds)
{
    connectTimeout_ = connectSeconds < 0 ? 0 : connectSeconds;
    totalTimeout_ = totalSeconds < 0 ? 0 : totalSeconds;
}

void OrvWebService::ShowMessage(const char* title, const char* text)
{
    if (messageHook_) {
        messageHook_(title, text);
        return;
    }
    std::cerr << title << ": " << text << std::endl;
}

// --- request log --------------------------------------------------------------

OrvDatabase* OrvWebService::LogDatabase() const
{
    if (database_) return database_;
    if (db_) return nullptr;
    OrvDatabase& run = OrvGetDatabase();
    return run.ConnectionHandle() ? &run : nullptr;
}

sqlite3* OrvWebService::DatabaseHandle() const
{
    if (OrvDatabase* d = LogDatabase()) return static_cast<sqlite3*>(d->ConnectionHandle());
    return db_;
}

int OrvWebService::Execute(const char* sql)
{
    if (OrvDatabase* d = LogDatabase()) return d->Execute(sql) == 0 ? SQLITE_OK : SQLITE_ERROR;
    if (!db_) return SQLITE_MISUSE;
    char* error = nullptr;
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &error);
    if (error) sqlite3_free(error);
    return rc;
}

// One row, its values bound as parameters: no part of a message is ever
// read as SQL, and an apostrophe in it is stored as it is.
int OrvWebService::InsertRow(int retcode, const char* task, const std::string& message)
{
    static const char* const sql = "INSERT INTO WEBSERVICE VALUES( NULL, ?, ?, ?)";
    if (OrvDatabase* d = LogDatabase())
        return d->ExecuteBound(sql, {retcode, task ? task : "", message}) == 0 ? SQLITE_OK : SQLITE_ERROR;
    if (!db_) return SQLITE_MISUSE;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_int(stmt, 1, retcode);
        sqlite3_bind_text(stmt, 2, task ? task : "", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, message.data(), static_cast<int>(message.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    if (rc != SQLITE_OK) std::printf("%d: %s\n", rc, sqlite3_errmsg(db_));
    sqlite3_finalize(stmt);
    return rc;
}

int OrvWebService::Log(const char* task, std::string& message, int retcode)
{
    if (!logging_) return 0;
    message += "\r\n";
    if (InsertRow(retcode, task, message) != SQLITE_OK) InsertRow(-1, "TRACE", "INSERT FAILED!");
    logCounter_.Increment();
    message.clear();
    return 0;
}

int OrvWebService::Log(const char* task, const char* message, int retcode)
{
    std::string m = message ? message : "";
    return Log(task, m, retcode);
}

int OrvWebService::Log(const char* task, const std::string& message, int retcode)
{
    std::string m = message;
    return Log(task, m, retcode);
}

// --- internet client and connection ----------------------------------------

void OrvWebService::StartInternet()
{
    Execute("DROP TABLE WEBSERVICE");
    logCounter_.Set(0);
    Execute("CREATE TABLE WEBSERVICE ( id INTEGER PRIMARY KEY, retcode INTEGER, task VARCHAR(20), message VARCHAR(200))");
    EnsureCurlGlobal();
    CURLSH* share = curl_share_init();
    if (share) {
        // The portal's login state lives in its cookies: they are kept here
        // for as long as the internet handle exists.
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    internet_ = share;
    Log("Status", "Der Zugriff auf das Internet wird initialisiert", internet_ ? 0 : -1);
}

void* OrvWebService::Connect(const char* host)
{
    if (!internet_) StartInternet();
    if (!connection_) {
        std::string target = host && *host ? std::string(host) : host_;
        CURL* curl = internet_ ? curl_easy_init() : nullptr;
        if (curl) {
            curl_easy_setopt(curl, CURLOPT_SHARE, static_cast<CURLSH*>(internet_));
            curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");  // cookie engine on, nothing read
            connectedHost_ = target;
        }
        connection_ = curl;
        Log("Status", "Die Verbindung zu Domain '" + target + "' wird hergestellt", connection_ ? 0 : -1);
        connectText_.clear();
    }
    return connection_;
}

void OrvWebService::CloseHandles()
{
    if (connection_) curl_easy_cleanup(static_cast<CURL*>(connection_));
    connection_ = nullptr;
    if (internet_) curl_share_cleanup(static_cast<CURLSH*>(internet_));
    internet_ = nullptr;
}

// --- one request ---------------------------------------------------------------

namespace {

struct Exchange {
    OrvWebService* service = nullptr;
    std::string* headers[5] = {};  // Set-Cookie, Cookie, Content-Type, Content-Length, Content-Disposition
    const std::function<bool(const char*, size_t)>* sink = nullptr;
    OrvHTTPBuffer* response = nullptr;
    std::string* reserveText = nullptr;
    bool bodyStarted = false;
    uint64_t limit = 0;     // bytes of body taken at most
    uint64_t received = 0;
    bool overLimit = false;
    bool sinkFailed = false;
    const OrvRequestWatcher* watcher = nullptr;
    bool cancelled = false;
};

int ProgressCallback(void* user, curl_off_t downTotal, curl_off_t downNow, curl_off_t upTotal, curl_off_t upNow)
{
    Exchange* ex = static_cast<Exchange*>(user);
    if (!ex->watcher || !ex->watcher->progress) return 0;
    auto u = [](curl_off_t v) { return v > 0 ? static_cast<uint64_t>(v) : uint64_t(0); };
    if (ex->watcher->progress(u(downNow), u(downTotal), u(upNow), u(upTotal))) return 0;
    ex->cancelled = true;
    return 1;  // ends the transfer
}

// The remote method a request names, from its query or its form body.
std::string MethodOf(const std::string& url, const OrvHTTPBuffer& body)
{
    const char* key = "rpc_method=";
    std::string from;
    if (url.find(key) != std::string::npos) from = url.substr(url.find(key) + std::strlen(key));
    else {
        const std::string text(body.Data(), std::min<size_t>(body.Length(), 4096));
        if (text.find(key) != std::string::npos) from = text.substr(text.find(key) + std::strlen(key));
    }
    size_t end = 0;
    while (end < from.size() && (std::isalnum(static_cast<unsigned char>(from[end])) || from[end] == '_')) ++end;
    return from.substr(0, end);
}

const char* const kHeaderNames[5] = {"Set-Cookie", "Cookie", "Content-Type", "Content-Length", "Content-Disposition"};

size_t HeaderCallback(char* data, size_t size, size_t count, void* user)
{
    Exchange* ex = static_cast<Exchange*>(user);
    size_t n = size * count;
    const char* line = data;
    size_t len = n;
    while (len > 0 && (line[len - 1] == '\r' || line[len - 1] == '\n')) --len;
    // A new status line (after "100 Continue") starts a new set of headers.
    if (len >= 5 && std::memcmp(line, "HTTP/", 5) == 0) {
        for (auto* h : ex->headers) h->clear();
        return n;
    }
    const char* colon = static_cast<const char*>(std::memchr(line, ':', len));
    if (!colon) return n;
    size_t nameLen = static_cast<size_t>(colon - line);
    for (int i = 0; i < 5; ++i) {
        if (!EqualsNoCase(line, nameLen, kHeaderNames[i])) continue;
        // The first occurrence of a header is the one kept.
        if (!ex->headers[i]->empty()) break;
        const char* v = colon + 1;
        const char* end = line + len;
        while (v < end && (*v == ' ' || *v == '\t')) ++v;
        ex->headers[i]->assign(v, static_cast<size_t>(end - v));
        // A reply that announces more than the limit is not read at all.
        if (i == 3 && std::strtoull(ex->headers[i]->c_str(), nullptr, 10) > ex->limit) {
            ex->overLimit = true;
            return 0;
        }
        break;
    }
    return n;
}

void StartBody(Exchange* ex)
{
    if (ex->bodyStarted) return;
    ex->bodyStarted = true;
    size_t reserve = static_cast<size_t>(std::strtoull(ex->headers[3]->c_str(), nullptr, 10));
    if (reserve > kMaxReserve || reserve > ex->limit) reserve = 0;
    if (ex->response) ex->response->Reset(reserve);
    if (ex->reserveText && reserve > 0) ex->reserveText->reserve(reserve);
}

size_t WriteCallback(char* data, size_t size, size_t count, void* user)
{
    Exchange* ex = static_cast<Exchange*>(user);
    size_t n = size * count;
    StartBody(ex);
    ex->received += n;
    if (ex->received > ex->limit) {
        ex->overLimit = true;
        return 0;  // ends the transfer
    }
    // Pieces of at most 1023 bytes, as the body is read.
    for (size_t off = 0; off < n; off += 1023) {
        size_t piece = n - off < 1023 ? n - off : 1023;
        if (!(*ex->sink)(data + off, piece)) {
            ex->sinkFailed = true;
            return 0;
        }
    }
    return n;
}

}  // namespace

int OrvWebService::Post(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body,
                        const std::function<bool(const char*, size_t)>& sink, OrvHTTPBuffer* response, uint64_t limit,
                        std::string* reserve, const std::string* sinkFailure)
{
    lastFailure_ = OrvTransportFailure::None;
    if (inRequest_) {
        // The interface repaints while a request runs; nothing it does may
        // start a second request on the same connection.
        header.Clear();
        body.Clear();
        object.Clear();
        lastFailure_ = OrvTransportFailure::Unreachable;
        Log("Fehler", "Eine Anfrage läuft bereits; die neue wurde nicht gesendet", -1);
        return -1;
    }
    if (!connection_) Connect(host_.c_str());
    if (object.Empty()) object.Append(servicePath_);
    if (header.Empty()) {
        header.Append("Content-Type: application/x-www-form-urlencoded\r\n");
        header.Append("Cache-Control: no-cache\r\n");
        header.Append("Accept: */*");
    }

    // Opening the request.
    CURL* curl = static_cast<CURL*>(connection_);
    std::string url = BuildURL(connectedHost_.empty() ? host_ : connectedHost_, object.Text());
    object.Clear();
    if (response) response->Clear();
    struct curl_slist* list = nullptr;
    bool listOk = true;
    if (curl) {
        std::string block = header.String();
        size_t pos = 0;
        while (pos <= block.size() && listOk) {
            size_t end = block.find("\r\n", pos);
            if (end == std::string::npos) end = block.size();
            std::string line = block.substr(pos, end - pos);
            if (!line.empty()) {
                struct curl_slist* grown = curl_slist_append(list, line.c_str());
                if (!grown) listOk = false;
                else list = grown;
            }
            pos = end + 2;
        }
        // No "Expect: 100-continue" round trip for larger bodies.
        if (listOk) {
            struct curl_slist* grown = curl_slist_append(list, "Expect:");
            if (!grown) listOk = false;
            else list = grown;
        }
    }
    if (!curl || !listOk) {
        curl_slist_free_all(list);
        lastFailure_ = OrvTransportFailure::Unreachable;
        Log("Fehler", "HttpOpenRequest konnte nicht ausgeführt werden.", -1);
        return -1;
    }
    const std::string method = MethodOf(url, body);

    hdrSetCookie_.clear();
    hdrCookie_.clear();
    hdrContentType_.clear();
    hdrContentLength_.clear();
    hdrContentDisposition_.clear();
    httpStatus_ = 0;
    origin_ = OrvReplyOrigin();

    Exchange ex;
    ex.service = this;
    ex.headers[0] = &hdrSetCookie_;
    ex.headers[1] = &hdrCookie_;
    ex.headers[2] = &hdrContentType_;
    ex.headers[3] = &hdrContentLength_;
    ex.headers[4] = &hdrContentDisposition_;
    ex.sink = &sink;
    ex.response = response;
    ex.reserveText = reserve;
    ex.limit = limit;

    char errorText[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "OrvAgent");
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.Data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.Length()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &HeaderCallback);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &ex);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteCallback);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &ex);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connectTimeout_);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, totalTimeout_);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "127.0.0.1,localhost,::1");
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // An https reply counts only with a certificate that passed the checks.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    ex.watcher = &watcher_;
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &ProgressCallback);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &ex);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, watcher_.progress ? 0L : 1L);

    inRequest_ = true;
    if (watcher_.started) watcher_.started(method);
    CURLcode rc = curl_easy_perform(curl);
    inRequest_ = false;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &httpStatus_);
    {
        char* address = nullptr;
        if (curl_easy_getinfo(curl, CURLINFO_PRIMARY_IP, &address) == CURLE_OK && address)
            origin_.peerAddress = address;
        char* scheme = nullptr;
        if (curl_easy_getinfo(curl, CURLINFO_SCHEME, &scheme) == CURLE_OK && scheme) {
            origin_.scheme = scheme;
            for (char& c : origin_.scheme)
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        long verify = 1;
        curl_easy_getinfo(curl, CURLINFO_SSL_VERIFYRESULT, &verify);
        origin_.certificateVerified = origin_.scheme == "https" && rc == CURLE_OK && verify == 0;
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, static_cast<struct curl_slist*>(nullptr));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, static_cast<char*>(nullptr));
    curl_slist_free_all(list);
    if (rc != CURLE_OK)
        lastFailure_ = ex.cancelled                    ? OrvTransportFailure::Cancelled
                       : ex.overLimit                  ? OrvTransportFailure::TooLarge
                       : ex.sinkFailed                 ? OrvTransportFailure::Storage
                       : rc == CURLE_OPERATION_TIMEDOUT ? OrvTransportFailure::Timeout
                       : httpStatus_ == 0              ? OrvTransportFailure::Unreachable
                                                       : OrvTransportFailure::Incomplete;
    if (watcher_.finished) watcher_.finished(method, rc == CURLE_OK);

    if (rc != CURLE_OK) {
        std::string why = errorText[0] ? errorText : curl_easy_strerror(rc);
        if (ex.cancelled) {
            header.Clear();
            body.Clear();
            Log("Fehler", "Die Übertragung wurde vom Benutzer abgebrochen", -1);
            return -1;
        }
        if (ex.overLimit) {
            header.Clear();
            body.Clear();
            Log("Fehler", "Die Antwort des Servers ist größer als " + MiBText(limit) +
                              " MiB; sie wurde abgebrochen und nicht verwendet", -1);
            return -1;
        }
        if (ex.sinkFailed) {
            header.Clear();
            body.Clear();
            Log("Fehler", sinkFailure ? *sinkFailure : std::string("Die Antwort des Servers konnte nicht gespeichert werden"),
                -1);
            return -1;
        }
        if (httpStatus_ == 0) {
            // Nothing came back; the buffers stay as they were.
            Log("Fehler", "Der Server antwortet nicht: " + why, -1);
        } else {
            header.Clear();
            body.Clear();
            Log("Fehler", "Die Antwort des Servers ist unvollständig: " + why, -1);
        }
        return -1;
    }
    header.Clear();
    body.Clear();
    StartBody(&ex);
    return 0;
}

int OrvWebService::PostToStream(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body,
                                std::ostream& stream)
{
    std::function<bool(const char*, size_t)> sink = [&stream](const char* data, size_t n) {
        stream.write(data, static_cast<std::streamsize>(n));
        return static_cast<bool>(stream);
    };
    return Post(object, header, body, sink, nullptr, textLimit_);
}

int OrvWebService::PostToBuffer(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body,
                                OrvHTTPBuffer& response)
{
    std::function<bool(const char*, size_t)> sink = [&response](const char* data, size_t n) {
        response.Append(static_cast<int>(n), data);
        return true;
    };
    return Post(object, header, body, sink, &response, textLimit_);
}

int OrvWebService::PostToFile(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body,
                              const std::string& directory, std::string& temporaryPath, OrvDownloadedFile& info)
{
    info = OrvDownloadedFile();
    temporaryPath.clear();
    int fd = -1;
    std::string temp;
    Sha256 hash;
    uint64_t size = 0;
    // The file is made when the first bytes arrive (or at the end for an
    // empty body), beside its final place, so the rename stays on one disk.
    auto open = [&]() {
        if (fd >= 0) return true;
        std::error_code error;
        std::filesystem::create_directories(directory, error);
        temp = (directory.empty() ? std::string(".") : directory) + "/.orv-download-XXXXXX";
        fd = ::mkstemp(temp.data());
        return fd >= 0;
    };
    std::function<bool(const char*, size_t)> sink = [&](const char* data, size_t n) {
        if (!open() || !WriteAllTo(fd, data, n)) return false;
        size += n;
        return hash.Update(data, n);
    };
    const std::string failure = "Die Datei konnte nicht im Verzeichnis " + directory + " gespeichert werden";
    int rc = Post(object, header, body, sink, nullptr, fileLimit_, nullptr, &failure);
    bool ok = rc == 0 && open();
    // mkstemp makes the file for the owner only; a download gets the
    // usual permissions.
    if (ok) ok = ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    if (fd >= 0 && ::close(fd) != 0) ok = false;
    if (!ok) {
        if (!temp.empty() && fd >= 0) ::unlink(temp.c_str());
        if (rc == 0) Log("Fehler", failure, -1);
        return -1;
    }
    temporaryPath = temp;
    info.size = size;
    info.sha256 = hash.Hex();
    info.origin = origin_;
    return 0;
}

namespace {

// A read-only stream over bytes that stay where they are.
class OrvViewBuffer : public std::streambuf {
public:
    OrvViewBuffer(const char* data, size_t length)
    {
        char* p = const_cast<char*>(data);
        setg(p, p, p + length);
    }
};

}  // namespace

int OrvWebService::CallJson(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body, json::Object& result)
{
    // The reply is held once, as text, while it is read; the parsed object
    // then replaces the caller's.
    std::string text;
    std::function<bool(const char*, size_t)> sink = [&text](const char* data, size_t n) {
        text.append(data, n);
        return true;
    };
    int rc = Post(object, header, body, sink, nullptr, textLimit_, &text);
    if (rc != 0) return rc;
    bool looksJson = !text.empty() && (text[0] == '{' || text[0] == '[') &&
                     hdrContentType_.find("application/json") != std::string::npos;
    if (!looksJson) {
        lastFailure_ = OrvTransportFailure::Incomplete;
        Log("Fehler", "Server antwortet nicht mit 'content-type: application/json'", -1);
        ShowMessage("ERROR", text.c_str());
        return -1;
    }
    // A reply that looks like JSON but cannot be read is a failed call; the
    // caller's object is only replaced by a complete document.
    json::Object parsed;
    try {
        OrvViewBuffer view(text.data(), text.size());
        std::istream in(&view);
        json::Reader::Read(parsed, in);
    } catch (const std::exception& e) {
        lastFailure_ = OrvTransportFailure::Incomplete;
        Log("Fehler", std::string("Die Antwort des Servers ist kein gültiges JSON: ") + e.what(), -1);
        return -1;
    }
    std::string().swap(text);
    result = std::move(parsed);
    return 0;
}

// --- downloads -------------------------------------------------------------------

int OrvWebService::StoreDownload(const std::string& temporaryPath, const std::string& directory, std::string& path)
{
    std::string name = OrvAttachmentFileName(hdrContentDisposition_);
    if (name.empty() || (httpStatus_ != 0 && httpStatus_ != 200)) {
        ::unlink(temporaryPath.c_str());
        return 100;
    }
    std::string target = directory;
    if (!target.empty() && target.back() != '/') target += '/';
    target += name;
    if (std::rename(temporaryPath.c_str(), target.c_str()) != 0) {
        ::unlink(temporaryPath.c_str());
        Log("Fehler", "Die Datei '" + target + "' konnte nicht geschrieben werden", -1);
        return -1;
    }
    path = target;
    return 0;
}
