// Portal client, lower half: the HTTP exchange with the portal, the request
// buffers, reply evaluation, multipart uploads, file downloads and the
// request log (table "WEBSERVICE" of the local database).
//
// Transport: libcurl's easy interface. The "internet handle" is a share
// object that keeps the portal's cookies for the run; the "connection
// handle" is one easy handle reused for every request.
//
// Log texts: the fixed texts of the client are written here with plain
// apostrophes ("Login( 'demo', '******' )"); the log stores every message
// exactly as given, through bound parameters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "base/json.h"

class OrvCalendarConfig;
class OrvDatabase;
struct sqlite3;

// ---------------------------------------------------------------------------
// A read-only memory mapping of a whole file.
class OrvFileToMem {
public:
    OrvFileToMem() = default;
    ~OrvFileToMem() { Unmap(); }
    OrvFileToMem(const OrvFileToMem&) = delete;
    OrvFileToMem& operator=(const OrvFileToMem&) = delete;

    // 0 on success, else the system's error number (positive). An empty
    // file maps successfully with size 0.
    int Map(const char* path);
    void Unmap();
    const char* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    char* data_ = nullptr;
    size_t size_ = 0;
    bool mapped_ = false;
};

// ---------------------------------------------------------------------------
// Growable byte buffer for the object path, the header block, the body and
// raw replies. The data is always followed by a zero byte.
class OrvHTTPBuffer {
public:
    OrvHTTPBuffer() = default;
    ~OrvHTTPBuffer();
    OrvHTTPBuffer(const OrvHTTPBuffer&) = delete;
    OrvHTTPBuffer& operator=(const OrvHTTPBuffer&) = delete;

    // Appends length bytes; returns the count appended.
    int Append(int length, const char* bytes);
    // Appends a zero-terminated text (null appends nothing).
    int Append(const char* text);
    int Append(const std::string& text) { return Append(static_cast<int>(text.size()), text.data()); }
    // Maps the file and appends all its bytes. Returns the count appended,
    // or the negative error number when the file cannot be mapped (nothing
    // is appended then).
    int AppendFile(const char* path);
    // Length 0, first byte 0; the capacity is kept.
    void Clear();
    // Frees the data (capacity 0), then reserves capacity bytes.
    void Reset(size_t capacity = 0);

    const char* Data() const { return data_ ? data_ : ""; }
    const char* Text() const { return Data(); }
    std::string String() const { return std::string(Data(), length_); }
    size_t Length() const { return length_; }
    size_t Capacity() const { return capacity_; }
    bool Empty() const { return length_ == 0; }

private:
    char* data_ = nullptr;
    size_t capacity_ = 0;
    size_t length_ = 0;
    OrvFileToMem map_;
};

// ---------------------------------------------------------------------------
// Number of request-log rows since the table was last recreated; views
// subscribe to its changes.
class OrvLogCounter {
public:
    using Listener = std::function<void(int value)>;
    int Value() const { return value_; }
    void Set(int value);
    void Increment() { Set(value_ + 1); }
    // Returns an id for Unsubscribe.
    int Subscribe(Listener listener);
    void Unsubscribe(int id);

private:
    int value_ = 0;
    int nextId_ = 1;
    std::vector<std::pair<int, Listener>> listeners_;
};

// ---------------------------------------------------------------------------
// Form values and the multipart layout (pure functions, tested on their own).

// Window code page text to UTF-8, then URL-encoded (letters, digits and
// "./[\]" stay, every other byte becomes %XX).
std::string OrvPortalEncode(const char* singleByteText);

// Content type and transfer encoding of an upload part by the file name's
// extension (text after the last "."; exact, case-sensitive). The transfer
// encoding is empty when the part has none.
void OrvPortalContentType(const char* fileName, std::string& contentType, std::string& transferEncoding);

constexpr const char* ORV_MULTIPART_BOUNDARY = "231991966824484";

// Header block of a multipart upload.
void OrvMultipartHeader(OrvHTTPBuffer& header);
// Part opening of a multipart upload (up to and including the empty line);
// contentTypeName selects the content type (usually the file name itself).
void OrvMultipartOpen(OrvHTTPBuffer& body, const char* fileName, const char* contentTypeName);
// Close delimiter.
void OrvMultipartClose(OrvHTTPBuffer& body);
// A field or file name as it goes between the double quotes of a part's
// header: "%", the double quote and every control byte (CR and LF among
// them) are percent-encoded, so nothing ends the quoted text or the line.
std::string OrvMultipartQuote(const char* name);

// File name of a download from its "Content-Disposition" value: the quoted
// text after the first double quote (a backslash takes the next character
// as it is), and only when the value contains "attachment". Empty when
// there is none, and empty when the name is not a plain file name (path
// separators, "." or "..", control bytes).
std::string OrvAttachmentFileName(const std::string& contentDisposition);

// Where the latest reply came from.
struct OrvReplyOrigin {
    std::string scheme;       // "http" or "https"
    std::string peerAddress;  // the numeric address connected to
    bool certificateVerified = false;  // https with a certificate that passed the checks
};
// True for a reply over https with a verified certificate, or from this
// machine itself (a loopback address).
bool OrvTrustedOrigin(const OrvReplyOrigin& origin);
bool OrvIsLoopbackAddress(const std::string& address);

// A file reply streamed to disk.
struct OrvDownloadedFile {
    std::string path;    // the stored file, empty when none was stored
    std::string name;    // its name as the reply gave it
    uint64_t size = 0;
    std::string sha256;  // lower-case hex of the bytes as they arrived
    OrvReplyOrigin origin;
};

// SHA-256 of a file in lower-case hex; empty when it cannot be read.
std::string OrvFileSHA256(const std::string& path, uint64_t* size = nullptr);

// Why the latest request failed in transport, for messages in the user's
// words (the request log keeps the technical text).
enum class OrvTransportFailure {
    None,         // a reply arrived and was taken
    Unreachable,  // no connection to the portal, or no reply at all
    Timeout,      // the portal did not answer in time
    Incomplete,   // the reply broke off or was not what the method expects
    TooLarge,     // the reply exceeded the limit
    Cancelled,    // the user ended the transfer
    Storage,      // the reply could not be stored on this computer
};

// What the client tells its user interface about a request while it runs.
struct OrvRequestWatcher {
    // A request of the method (e.g. "V001_Event_GetCalendar") starts.
    std::function<void(const std::string& method)> started;
    // Bytes so far (totals 0 while unknown); false ends the transfer as
    // cancelled. Called often while the request waits or moves data.
    std::function<bool(uint64_t downNow, uint64_t downTotal, uint64_t upNow, uint64_t upTotal)> progress;
    // The request ended (ok: a reply was taken).
    std::function<void(const std::string& method, bool ok)> finished;
};

// ---------------------------------------------------------------------------
class OrvWebService {
public:
    // Message window hook: title ("ERROR") and text shown as plain text. The
    // desktop installs a modal message box; without a hook the text goes to
    // standard error.
    using MessageHook = std::function<void(const char* title, const char* text)>;

    // The one portal client; creates an OrvWebServiceJoomla when none exists.
    static OrvWebService* Instance();

    // Registers itself as the instance (when none is registered) and reads
    // host, service path and timeouts from the configuration (section
    // "HOST": "Host", "ServicePath", "ConnectTimeout", "Timeout"; seconds).
    OrvWebService();
    // Explicit host and service path (tests, tools); no configuration read.
    OrvWebService(const std::string& host, const std::string& servicePath);
    virtual ~OrvWebService();
    OrvWebService(const OrvWebService&) = delete;
    OrvWebService& operator=(const OrvWebService&) = delete;

    // Writes one row (task, message + "\r\n", retcode) unless logging is
    // off, then empties message and counts the row.
    virtual int Log(const char* task, std::string& message, int retcode);
    int Log(const char* task, const char* message, int retcode);
    int Log(const char* task, const std::string& message, int retcode);

    // One request whose reply must be JSON (first character "{" or "[" and
    // a "Content-Type" containing "application/json"); 0 or -1.
    virtual int CallJson(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body, json::Object& result);
    // One request; the reply body lands in response. 0 or -1.
    virtual int PostToBuffer(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body,
                             OrvHTTPBuffer& response);
    // One request; the reply body is written to stream. 0 or -1.
    virtual int PostToStream(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body,
                             std::ostream& stream);
    // One request whose reply is a file: the body is streamed into a
    // temporary file in directory (created when missing), hashed on the
    // way, and the file limit applies. 0 with temporaryPath set (the
    // caller renames or removes it), -1 on failure (nothing left behind).
    int PostToFile(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body, const std::string& directory,
                   std::string& temporaryPath, OrvDownloadedFile& info);

    // Starts the internet client when needed (recreating the request log)
    // and opens the connection to host (the configured host when null or
    // empty). Returns the connection handle or null.
    void* Connect(const char* host = nullptr);
    // Closes connection and internet handle; the next request starts the
    // internet client again (new request log, no cookies).
    void CloseHandles();
    bool IsConnected() const { return connection_ != nullptr; }
    bool IsInternetOpen() const { return internet_ != nullptr; }

    // Stores a download (the temporary file of PostToFile, with the
    // latest reply's headers) in directory under the attachment's name. 0
    // with the full path in path; 100 when the reply is no attachment, no
    // HTTP 200 or names no plain file (the temporary file is removed, path
    // untouched); -1 when the file cannot be put in place.
    int StoreDownload(const std::string& temporaryPath, const std::string& directory, std::string& path);

    // --- settings ---------------------------------------------------------
    const std::string& Host() const { return host_; }
    void SetHost(const std::string& host) { host_ = host; }
    const std::string& ServicePath() const { return servicePath_; }
    void SetServicePath(const std::string& path) { servicePath_ = path; }
    // Seconds; 0 leaves libcurl's default (none for the total time).
    void SetTimeouts(long connectSeconds, long totalSeconds);
    long ConnectTimeout() const { return connectTimeout_; }
    long TotalTimeout() const { return totalTimeout_; }
    // Largest replies taken, in bytes: JSON and text replies (also those
    // collected in a buffer), and files. A larger reply fails with a
    // "Fehler" row. Configuration: "MaxReplyMiB" and "MaxFileMiB" in
    // "HOST".
    static constexpr uint64_t kDefaultTextLimit = 64ull * 1024 * 1024;
    static constexpr uint64_t kDefaultFileLimit = 1024ull * 1024 * 1024;
    void SetReplyLimits(uint64_t textBytes, uint64_t fileBytes)
    {
        textLimit_ = textBytes;
        fileLimit_ = fileBytes;
    }
    uint64_t TextLimit() const { return textLimit_; }
    uint64_t FileLimit() const { return fileLimit_; }
    void SetLogging(bool on) { logging_ = on; }
    bool Logging() const { return logging_; }
    void SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }
    void SetRequestWatcher(OrvRequestWatcher watcher) { watcher_ = std::move(watcher); }
    // The transport failure of the latest request (None after a reply).
    OrvTransportFailure LastFailure() const { return lastFailure_; }
    // The database that holds "WEBSERVICE" (not owned); the run's database
    // (OrvGetDatabase) when none is set and that one is open. Rows are
    // written with bound parameters either way.
    void SetDatabase(OrvDatabase* database)
    {
        database_ = database;
        db_ = nullptr;
    }
    // The same over a bare SQLite connection.
    void SetDatabaseHandle(sqlite3* db)
    {
        db_ = db;
        database_ = nullptr;
    }
    sqlite3* DatabaseHandle() const;
    // Configuration object for the client state and the update directory;
    // the single configuration object unless set.
    void SetConfig(OrvCalendarConfig* config) { config_ = config; }
    OrvCalendarConfig* Config() const;

    OrvLogCounter& LogCounter() { return logCounter_; }

    // --- login values (set by Login) ---------------------------------------
    const std::string& UserName() const { return userName_; }
    const std::string& Password() const { return password_; }
    int Remember() const { return remember_; }

    // --- response headers of the latest request -------------------------
    const std::string& HeaderSetCookie() const { return hdrSetCookie_; }
    const std::string& HeaderCookie() const { return hdrCookie_; }
    const std::string& HeaderContentType() const { return hdrContentType_; }
    const std::string& HeaderContentDisposition() const { return hdrContentDisposition_; }
    const std::string& HeaderContentLength() const { return hdrContentLength_; }
    // HTTP status of the latest reply (0 when none arrived).
    long HttpStatus() const { return httpStatus_; }
    const OrvReplyOrigin& ReplyOrigin() const { return origin_; }

protected:
    void ShowMessage(const char* title, const char* text);
    // A reply that arrived but is not what the method expects.
    void SetLastFailure(OrvTransportFailure failure) { lastFailure_ = failure; }

    std::string userName_;
    std::string password_;
    int remember_ = 0;

private:
    void StartInternet();
    // Common part of PostToStream and PostToBuffer: sink receives the body.
    // sink returns false to stop the transfer (a write that failed).
    int Post(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body,
             const std::function<bool(const char*, size_t)>& sink, OrvHTTPBuffer* response, uint64_t limit,
             std::string* reserve = nullptr, const std::string* sinkFailure = nullptr);
    // Executes SQL without rows; 0 or the SQLite result code.
    int Execute(const char* sql);
    int InsertRow(int retcode, const char* task, const std::string& message);
    // The database object in use; null with a bare handle or none at all.
    OrvDatabase* LogDatabase() const;
    void ReadSettings();

    OrvLogCounter logCounter_;
    void* internet_ = nullptr;    // CURLSH*
    void* connection_ = nullptr;  // CURL*
    std::string host_;
    std::string connectedHost_;
    bool logging_ = true;
    std::string servicePath_;
    std::string connectText_;
    std::string hdrSetCookie_, hdrCookie_, hdrContentType_, hdrContentDisposition_, hdrContentLength_;
    long httpStatus_ = 0;
    OrvReplyOrigin origin_;
    uint64_t textLimit_ = kDefaultTextLimit;
    uint64_t fileLimit_ = kDefaultFileLimit;
    long connectTimeout_ = 10;
    long totalTimeout_ = 60;
    OrvDatabase* database_ = nullptr;
    sqlite3* db_ = nullptr;
    OrvCalendarConfig* config_ = nullptr;
    MessageHook messageHook_;
    OrvRequestWatcher watcher_;
    OrvTransportFailure lastFailure_ = OrvTransportFailure::None;
    bool inRequest_ = false;
};
