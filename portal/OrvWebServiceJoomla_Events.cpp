// Remote methods for events, calendars and event files.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "app/OrvCalendarConfig.h"
#include "app/OrvProgramDirectory.h"
#include "portal/OrvWebServiceJoomla.h"

namespace {

std::string Decimal(int value) { return std::to_string(value); }

// Writes bytes to a temporary file in directory and renames it to target,
// so that target is either untouched or completely replaced.
bool ReplaceFile(const std::string& directory, const std::string& target, const char* data, size_t length)
{
    std::string pattern = directory + "/.orv-download-XXXXXX";
    std::string temp = pattern;
    int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    size_t done = 0;
    while (done < length) {
        ssize_t n = write(fd, data + done, length - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        done += static_cast<size_t>(n);
    }
    // mkstemp creates the file for the owner only; a downloaded file gets
    // the usual permissions.
    bool ok = done == length && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0) return true;
    std::remove(temp.c_str());
    return false;
}

// A calendar reply is taken only when it is a whole VCALENDAR: a cut-off
// reply would otherwise replace the local calendar with part of it.
bool IsCompleteCalendar(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || text.compare(first, 15, "BEGIN:VCALENDAR") != 0) return false;
    size_t last = text.find_last_not_of(" \t\r\n");
    const std::string end = "END:VCALENDAR";
    return last + 1 >= end.size() && text.compare(last + 1 - end.size(), end.size(), end) == 0;
}

} // namespace

std::string OrvWebServiceJoomla::CalendarQueryFields(const CalendarQuery* query)
{
    std::string fields;
    if (!query || query->type == 1) {
        fields = "&type=my";
    } else if (query->type == 2) {
        fields = "&type=user";
        if (query->userID != 0) fields += "&userid=" + Decimal(query->userID);
    } else if (query->type == 3) {
        fields = "&type=selection";
        auto text = [&fields](const char* name, const std::string& value) {
            if (value.empty()) return;
            fields += "&";
            fields += name;
            fields += "=";
            fields += value;
        };
        text("pool", query->pool);
        text("scenes", query->scenes);
        std::string categories;
        auto add = [&categories](bool wanted, const char* name) {
            if (!wanted) return;
            if (!categories.empty()) categories += "+";
            categories += name;
        };
        add(query->lesson, "lesson");
        add(query->workshop, "workshop");
        add(query->event, "event");
        if (!categories.empty()) fields += "&categories=" + categories;
        text("country", query->country);
        text("zip", query->zip);
        text("city", query->city);
    }
    return fields;
}

int OrvWebServiceJoomla::UploadEvent(const char* eventName, const std::string& calendarText, int& eventID)
{
    const char* name = eventName ? eventName : "";
    OrvPortalRequest request;
    request.QueryForm(ServicePath(), "rpc_accept=json&rpc_method=V001_Event_UploadEvent&overwrite=");
    request.Append("false");
    request.Multipart(name, calendarText.data(), calendarText.size(), "file.cal");
    json::Object result;
    int code = CallMethod(std::string("UploadEvent( '") + name + "' )", request, result, ORV_ANSWER_RETCODE);
    if (code == 0) {
        const json::Object& reply = result;
        const json::Object& data = reply["result"];
        eventID = IntegerOf(data["eventid"]);
    }
    return code;
}

int OrvWebServiceJoomla::UploadEvent(const char* eventName, std::istream& calendarText, int& eventID)
{
    std::string text((std::istreambuf_iterator<char>(calendarText)), std::istreambuf_iterator<char>());
    return UploadEvent(eventName, text, eventID);
}

int OrvWebServiceJoomla::DeleteEvent(int eventID)
{
    OrvPortalRequest request;
    request.QueryForm(ServicePath(), "rpc_accept=json&rpc_method=V001_Event_Delete&eventid=");
    request.Append(Decimal(eventID).c_str());
    json::Object result;
    return CallMethod("DeleteEvent( )", request, result, ORV_ANSWER_UNEVALUATED);
}

int OrvWebServiceJoomla::GetCalendar(const CalendarQuery* query, std::ostream& stream)
{
    OrvPortalRequest request;
    request.QueryForm(ServicePath(), "rpc_accept=file&rpc_method=V001_Event_GetCalendar");
    request.Append(CalendarQueryFields(query).c_str());
    if (CallStream("GetCalendar( )", request, stream) != 0) return -1;
    if (HeaderContentDisposition().find("attachment") == std::string::npos) {
        Log("Fehler", "Die Antwort enthält keinen Kalender", -1);
        return 100;
    }
    return 0;
}

int OrvWebServiceJoomla::GetCalendarFile(const CalendarQuery* query, const std::string& path)
{
    std::ostringstream text;
    int code = GetCalendar(query, text);
    if (code != 0) return code;
    const std::string body = text.str();
    if ((HttpStatus() != 0 && HttpStatus() != 200) || !IsCompleteCalendar(body)) {
        SetLastFailure(OrvTransportFailure::Incomplete);
        Log("Fehler", "Die Antwort enthält keinen vollständigen Kalender", -1);
        return 100;
    }
    std::string directory = OrvDirectoryOfPath(path);
    if (!ReplaceFile(directory, path, body.data(), body.size())) {
        std::string message = "Der Kalender konnte nicht gespeichert werden: " + path;
        Log("Fehler", message, -1);
        return -1;
    }
    return 0;
}

int OrvWebServiceJoomla::EventSetFile(const char* fileName, int eventID, const char* localPath)
{
    const char* name = fileName ? fileName : "";
    OrvPortalRequest request;
    request.QueryForm(ServicePath(), "rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=");
    request.Append(Decimal(eventID).c_str());
    request.MultipartFile(name, localPath ? localPath : "");
    json::Object result;
    return CallMethod(std::string("EventSetFile( '") + name + "' )", request, result, ORV_ANSWER_RETCODE);
}

int OrvWebServiceJoomla::CallFileDownload(const std::string& command, OrvPortalRequest& request,
                                          std::string& localPath)
{
    OrvCalendarConfig* config = Config();
    std::string directory = config ? config->GetCacheDirectory() : "Cache";
    lastDownload_ = OrvDownloadedFile();
    Connect();  // the first request recreates the log: before its command row
    Log("Befehl", command.c_str(), 0);
    std::string temporary;
    OrvDownloadedFile info;
    if (PostToFile(request.object, request.header, request.body, directory, temporary, info) != 0) return -1;
    Log("Antwort", "OK", 0);
    std::string stored;
    int result = StoreDownload(temporary, directory, stored);
    if (result == 100) Log("Fehler", "Die Antwort enthält keine Datei", -1);
    if (result < 0) return -1;
    if (result == 0) {
        localPath = stored;
        info.path = stored;
        info.name = OrvAttachmentFileName(HeaderContentDisposition());
        lastDownload_ = info;
    }
    return 0;
}

int OrvWebServiceJoomla::EventGetFile(int eventID, const char* fileName, std::string& localPath)
{
    OrvPortalRequest request;
    request.BodyForm("rpc_method=V001_Event_GetFile&rpc_accept=file&eventid=");
    request.Append(Decimal(eventID).c_str());
    request.FieldBytes("filename", fileName ? fileName : "");
    return CallFileDownload("EventGetFile( '" + Decimal(eventID) + "' )", request, localPath);
}

int OrvWebServiceJoomla::EventDelFile(int eventID, const char* fileName)
{
    OrvPortalRequest request;
    request.BodyForm("rpc_method=V001_Event_DeleteFile&rpc_accept=json&eventid=");
    request.Append(Decimal(eventID).c_str());
    request.FieldBytes("filename", fileName ? fileName : "");
    OrvHTTPBuffer response;
    return CallBuffer("EventDelFile( '" + Decimal(eventID) + "' )", request, response);
}

int OrvWebServiceJoomla::FacebookSetEvent(int eventID, int eventNumber)
{
    OrvPortalRequest request;
    request.BodyForm("rpc_method=V001_Facebook_SetEvent&rpc_accept=json&eventid=");
    request.Append(Decimal(eventID).c_str());
    request.Field("eventnr", eventNumber);
    json::Object result;
    return CallMethod("FacebookSetEvent( '" + Decimal(eventID) + "', '" + Decimal(eventNumber) + "' )", request,
                      result, ORV_ANSWER_UNEVALUATED);
}

int OrvWebServiceJoomla::EventSetValue(int eventID, int eventNumber, const char* value)
{
    OrvPortalRequest request;
    request.BodyForm("rpc_method=V001_Event_SetValue&rpc_accept=json&eventid=");
    request.Append(Decimal(eventID).c_str());
    request.Field("eventnr", eventNumber);
    request.Field("key", "supraregional");
    request.Field("value", value ? value : "");
    json::Object result;
    return CallMethod("EventSetValue( '" + Decimal(eventID) + "', '" + Decimal(eventNumber) + "' )", request,
                      result, ORV_ANSWER_UNEVALUATED);
}

int OrvWebServiceJoomla::EventSetHighlight(int eventID, int eventNumber, int& level)
{
    OrvPortalRequest request;
    request.BodyForm("rpc_method=V001_Event_SetHighlight&rpc_accept=json&eventid=");
    request.Append(Decimal(eventID).c_str());
    request.Field("eventnr", eventNumber);
    request.Field("level", level);
    json::Object result;
    int code = CallMethod("EventSetHighlight( '" + Decimal(eventID) + "', '" + Decimal(eventNumber) + "' )",
                          request, result, ORV_ANSWER_UNEVALUATED);
    if (code == 0) {
        const json::Object& reply = result;
        const json::Object& data = reply["result"];
        level = IntegerOf(data["level"]);
    }
    return code;
}

int OrvWebServiceJoomla::EventSetUser(int eventID, int userID)
{
    OrvPortalRequest request;
    request.BodyForm("rpc_method=V001_Event_SetUser&rpc_accept=json&eventid=");
    request.Append(Decimal(eventID).c_str());
    request.Field("userid", userID);
    json::Object result;
    return CallMethod("EventSetUser()", request, result, ORV_ANSWER_UNEVALUATED);
}
