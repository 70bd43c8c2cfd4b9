#include "portal/OrvWebServiceJoomla.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "app/OrvCalendarConfig.h"

// ---------------------------------------------------------------------------
// OrvPortalRequest

void OrvPortalRequest::BodyForm(const char* prefix)
{
    query_ = false;
    body.Append(prefix);
}

void OrvPortalRequest::QueryForm(const std::string& servicePath, const char* prefix)
{
    query_ = true;
    object.Append(servicePath);
    object.Append(prefix);
}

void OrvPortalRequest::Append(const char* text)
{
    (query_ ? object : body).Append(text);
}

void OrvPortalRequest::Field(const char* name, const char* value)
{
    OrvHTTPBuffer& target = query_ ? object : body;
    target.Append("&");
    target.Append(name);
    target.Append("=");
    target.Append(value ? value : "");
}

void OrvPortalRequest::FieldBytes(const char* name, const char* value)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(value ? value : ""); *p; ++p) {
        unsigned char c = *p;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
    }
    Field(name, encoded);
}

void OrvPortalRequest::Field(const char* name, int value)
{
    Field(name, std::to_string(value).c_str());
}

void OrvPortalRequest::FieldEncoded(const char* name, const char* value)
{
    Field(name, OrvPortalEncode(value).c_str());
}

void OrvPortalRequest::Data(const char* name, const char* value)
{
    // The data fields carry whole JSON texts (records, lists), sent as they
    // stand; the portal reads such a value up to its closing bracket.
    body.Append(name);
    body.Append("=");
    body.Append(value ? value : "");
}

void OrvPortalRequest::Multipart(const char* fileName, const char* bytes, size_t length, const char* contentTypeName)
{
    header.Clear();
    OrvMultipartHeader(header);
    OrvMultipartOpen(body, fileName, contentTypeName);
    size_t left = length;
    const char* p = bytes;
    while (left > 0) {
        int slice = left > (1u << 30) ? (1 << 30) : static_cast<int>(left);
        body.Append(slice, p);
        p += slice;
        left -= static_cast<size_t>(slice);
    }
    OrvMultipartClose(body);
}

void OrvPortalRequest::MultipartFile(const char* fileName, const char* localPath)
{
    header.Clear();
    OrvMultipartHeader(header);
    OrvMultipartOpen(body, fileName, localPath);
    body.AppendFile(localPath);  // a file that cannot be mapped leaves the part empty
    OrvMultipartClose(body);
}

// ---------------------------------------------------------------------------
// OrvWebServiceJoomla

OrvWebServiceJoomla::OrvWebServiceJoomla() = default;

OrvWebServiceJoomla::OrvWebServiceJoomla(const std::string& host, const std::string& servicePath)
    : OrvWebService(host, servicePath)
{
}

OrvWebServiceJoomla::~OrvWebServiceJoomla() = default;

int OrvWebServiceJoomla::IntegerOf(const json::UnknownElement& element)
{
    const json::String& s = element;
    return static_cast<int>(std::strtol(s.Value().c_str(), nullptr, 10));
}

int OrvWebServiceJoomla::CallJson(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body,
                                  json::Object& result)
{
    returnCode_ = -1;
    message_.clear();
    evaluated_ = false;
    int rc = OrvWebService::CallJson(object, header, body, result);
    if (rc != 0) return rc;
    evaluated_ = true;
    // The portal sends its numbers as strings; anything else reads as 0.
    returnCode_ = IntegerOf(result["retcode"]);
    json::String& message = result["message"];
    message_ = message.Value();
    json::Array& errors = result["error"];
    errorList_ = errors;
    return 0;
}

int OrvWebServiceJoomla::GetError(int* code, std::string* item, std::string* message, std::string* native) const
{
    if (errorList_.Empty()) return 100;
    const json::Object& entry = errorList_[0];
    if (code) *code = IntegerOf(entry["error"]);
    if (item) *item = static_cast<const json::String&>(entry["item"]).Value();
    if (message) *message = static_cast<const json::String&>(entry["message"]).Value();
    if (native) *native = static_cast<const json::String&>(entry["native"]).Value();
    return 0;
}

int OrvWebServiceJoomla::CallMethod(const char* command, OrvPortalRequest& request, json::Object& result,
                                    OrvAnswerStyle style)
{
    Connect();  // the first request recreates the log: before its command row
    Log("Befehl", command, 0);
    if (style == ORV_ANSWER_UNEVALUATED) {
        if (OrvWebService::CallJson(request.object, request.header, request.body, result) != 0) return -1;
        Log("Antwort", "OK", 0);
        return 0;
    }
    if (CallJson(request.object, request.header, request.body, result) != 0) return -1;
    int rc = returnCode_;
    if (rc == 0) {
        Log("Antwort", "OK", 0);
    } else if (rc == 100 && style == ORV_ANSWER_NOTHING_OK) {
        Log("Antwort", "OK", 100);
    } else if (rc == 100 && style == ORV_ANSWER_NO_UPDATES) {
        Log("Antwort", "OK - Keine Updates vorhanden", 100);
    } else {
        Log("Antwort", message_.c_str(), rc);
    }
    return rc;
}

int OrvWebServiceJoomla::CallBuffer(const std::string& command, OrvPortalRequest& request, OrvHTTPBuffer& response)
{
    Connect();  // the first request recreates the log: before its command row
    Log("Befehl", command.c_str(), 0);
    if (PostToBuffer(request.object, request.header, request.body, response) != 0) return -1;
    Log("Antwort", "OK", 0);
    return 0;
}

int OrvWebServiceJoomla::CallStream(const std::string& command, OrvPortalRequest& request, std::ostream& stream)
{
    Connect();  // the first request recreates the log: before its command row
    Log("Befehl", command.c_str(), 0);
    if (PostToStream(request.object, request.header, request.body, stream) != 0) return -1;
    Log("Antwort", "OK", 0);
    return 0;
}

int OrvWebServiceJoomla::CallDownload(const std::string& command, OrvPortalRequest& request,
                                      const std::string& directory, std::string& path)
{
    lastDownload_ = OrvDownloadedFile();
    Connect();  // the first request recreates the log: before its command row
    Log("Befehl", command.c_str(), 0);
    std::string temporary;
    OrvDownloadedFile info;
    if (PostToFile(request.object, request.header, request.body, directory, temporary, info) != 0) return -1;
    // An error page must not be stored as the file asked for.
    if (HttpStatus() != 0 && HttpStatus() != 200) {
        ::unlink(temporary.c_str());
        Log("Fehler", ("Der Server meldet den HTTP-Status " + std::to_string(HttpStatus())).c_str(), -1);
        return -1;
    }
    std::string stored;
    if (StoreDownload(temporary, directory, stored) == -1) return -1;
    if (!stored.empty()) {
        path = stored;
        info.path = stored;
        info.name = OrvAttachmentFileName(HeaderContentDisposition());
        lastDownload_ = info;
    }
    Log("Antwort", "OK", 0);
    return 0;
}

// --- login, users, application -----------------------------------------------

int OrvWebServiceJoomla::Login(const char* userName, const char* password, int remember)
{
    if (userName) userName_ = userName;
    if (password) password_ = password;
    if (remember >= 0) remember_ = remember;
    OrvPortalRequest r;
    r.BodyForm("rpc_method=V001_User_Login&rpc_accept=json");
    r.FieldEncoded("username", userName_.c_str());
    r.FieldEncoded("password", password_.c_str());
    json::Object result;
    // The password never reaches the log.
    int rc = CallMethod("Login( '" + userName_ + "', '******' )", r, result, ORV_ANSWER_RETCODE);
    if (!evaluated_) return -1;  // the request did not complete: the client state stays
    int state = 0;
    if (rc == 0) {
        const json::Object& person = result["result"]["person"];
        if (!person.Empty()) state = IntegerOf(person["clientstate"]);
    }
    if (OrvCalendarConfig* cfg = Config()) cfg->SetClientState(state);
    return rc;
}

int OrvWebServiceJoomla::Logout()
{
    OrvPortalRequest r;
    r.BodyForm("rpc_method=V001_User_Logout&rpc_accept=json");
    json::Object result;
    return CallMethod("Logout()", r, result, ORV_ANSWER_RETCODE);
}

int OrvWebServiceJoomla::CheckUpdate(std::string& history, std::string& version)
{
    OrvPortalRequest r;
    r.BodyForm("rpc_method=V001_Application_CheckUpdate&rpc_accept=json");
    r.Field("application", ORV_APPLICATION_NAME);
    r.Field("version", ORV_APPLICATION_VERSION);
    json::Object result;
    std::string command =
        std::string("CheckUpdate( '") + ORV_APPLICATION_NAME + "', '" + ORV_APPLICATION_VERSION + "')";
    int rc = CallMethod(command, r, result, ORV_ANSWER_NO_UPDATES);
    if (rc == 0) {
        history = static_cast<json::String&>(result["result"]["history"]).Value();
        version = static_cast<json::String&>(result["result"]["version"]).Value();
    }
    return rc;
}

int OrvWebServiceJoomla::DownloadUpdate(const std::string& version, std::string& filePath)
{
    std::string directory = filePath;
    if (directory.empty()) {
        OrvCalendarConfig* cfg = Config();
        directory = cfg ? cfg->GetUpdateDirectory() : "Update";
    }
    OrvPortalRequest r;
    r.BodyForm("rpc_method=V001_Application_DownloadUpdate&rpc_accept=file");
    r.Field("application", ORV_APPLICATION_NAME);
    r.Field("version", version);
    std::string command = std::string("DownloadUpdate( '") + ORV_APPLICATION_NAME + "_" + version + "_setup.exe' )";
    return CallDownload(command, r, directory, filePath);
}

int OrvWebServiceJoomla::UserList(json::Array& userList)
{
    OrvPortalRequest r;
    r.QueryForm(ServicePath(), "rpc_accept=json&rpc_method=V001_User_List");
    json::Object result;
    int rc = CallMethod("UserList( )", r, result, ORV_ANSWER_UNEVALUATED);
    if (rc != 0) return rc;
    userList = static_cast<json::Array&>(result["result"]["userlist"]);
    return 0;
}

int OrvWebServiceJoomla::Register(const std::string& userRecord, bool& blocked)
{
    OrvPortalRequest r;
    r.QueryForm(ServicePath(), "rpc_accept=json&rpc_method=V001_User_Register");
    r.Data("user", userRecord);
    json::Object result;
    int rc = CallMethod("Register( )", r, result, ORV_ANSWER_RETCODE);
    if (rc == 0) blocked = IntegerOf(result["result"]["block"]) != 0;
    return rc;
}

int OrvWebServiceJoomla::UserSetCategories(const std::string& categories)
{
    OrvPortalRequest r;
    r.QueryForm(ServicePath(), "rpc_accept=json&rpc_method=V001_User_SetCategories");
    r.Data("categories", categories);
    json::Object result;
    return CallMethod("UserSetCategories()", r, result, ORV_ANSWER_RETCODE);
}

int OrvWebServiceJoomla::UserSetBackendQueries(int userID, const std::string& queryList)
{
    OrvPortalRequest r;
    r.QueryForm(ServicePath(), "rpc_accept=json&rpc_method=V001_User_SetBackendQueries");
    r.Field("userid", userID);
    r.Data("querylist", queryList);
    json::Object result;
    return CallMethod("UserSetBackendQueries( )", r, result, ORV_ANSWER_RETCODE);
}

int OrvWebServiceJoomla::UserGetBackendQueries(int userID, json::Array& queryList)
{
    OrvPortalRequest r;
    r.BodyForm("rpc_method=V001_User_GetBackendQueries&rpc_accept=json");
    r.Field("userid", userID);
    json::Object result;
    int rc = CallMethod("UserGetBackendQueries( )", r, result, ORV_ANSWER_NOTHING_OK);
    if (rc == 0) queryList = static_cast<json::Array&>(result["result"]["querylist"]);
    return rc;
}

int OrvWebServiceJoomla::ApplicationGetConfig(json::Object& config)
{
    OrvPortalRequest r;
    r.BodyForm("rpc_method=V001_Application_GetConfig&rpc_accept=json");
    json::Object result;
    int rc = CallMethod("ApplicationGetConfig( )", r, result, ORV_ANSWER_NOTHING_OK);
    if (rc == 0) config = static_cast<json::Object&>(result["result"]["config"]);
    return rc;
}

int OrvWebServiceJoomla::GeoDetectLocation(std::string& country, std::string& zip, std::string& city)
{
    OrvPortalRequest r;
    r.QueryForm(ServicePath(), "rpc_accept=json&rpc_method=V001_Geo_DetectLocation");
    if (!country.empty()) r.Field("country", country);
    if (!zip.empty()) r.Field("zip", zip);
    if (!city.empty()) r.Field("city", city);
    json::Object result;
    int rc = CallMethod("GeoDetectLocation( )", r, result, ORV_ANSWER_RETCODE);
    if (rc == 0) {
        json::UnknownElement& location = result["result"]["location"];
        country = static_cast<json::String&>(location["country"]).Value();
        zip = static_cast<json::String&>(location["zip"]).Value();
        city = static_cast<json::String&>(location["city"]).Value();
    }
    return rc;
}
