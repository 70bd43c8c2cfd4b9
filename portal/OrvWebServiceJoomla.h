// Portal client, upper half: the portal's remote methods ("V001_...") and
// the evaluation of "retcode", "message" and "error" that they share.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "portal/OrvWebService.h"

class OrvCalQuery;

// The three request buffers of one remote call and the two placements of
// its fields.
//
//   Body form:  OrvPortalRequest r; r.BodyForm("rpc_method=V001_User_Logout&rpc_accept=json");
//   Query form: r.QueryForm(service.ServicePath(), "rpc_accept=json&rpc_method=V001_User_List");
//
// Field() then appends "&name=value" where the form puts its fields (the
// body in body form, the object path in query form); Data() sets the body
// of a query-form call to "name=value".
class OrvPortalRequest {
public:
    OrvHTTPBuffer object;
    OrvHTTPBuffer header;
    OrvHTTPBuffer body;

    void BodyForm(const char* prefix);
    void QueryForm(const std::string& servicePath, const char* prefix);
    // Value as it stands.
    void Field(const char* name, const char* value);
    // Bytes percent-encoded as they are (no code page conversion): only
    // letters, digits, "-", "_" and "." stay. For file names, whose "&",
    // "%", "[" or "+" would otherwise change the form.
    void FieldBytes(const char* name, const char* value);
    void Field(const char* name, const std::string& value) { Field(name, value.c_str()); }
    void Field(const char* name, int value);
    // Window code page value, sent as UTF-8 and URL-encoded.
    void FieldEncoded(const char* name, const char* value);
    // Appends raw text where the fields go.
    void Append(const char* text);
    // Query form only: body "name=value".
    void Data(const char* name, const char* value);
    void Data(const char* name, const std::string& value) { Data(name, value.c_str()); }

    // Multipart upload: header block and one part with the given bytes;
    // the content type is chosen by contentTypeName (null: fileName).
    void Multipart(const char* fileName, const char* bytes, size_t length, const char* contentTypeName = nullptr);
    // The part's bytes come from the file at localPath (empty part when it
    // cannot be mapped); the content type follows localPath's extension.
    void MultipartFile(const char* fileName, const char* localPath);

private:
    bool query_ = false;
};

// How a method writes its answer row.
enum OrvAnswerStyle {
    // Base CallJson, no evaluation: "OK", 0; the method returns 0.
    ORV_ANSWER_UNEVALUATED,
    // 0: "OK", 0; any other code: the portal's message and code.
    ORV_ANSWER_RETCODE,
    // As ORV_ANSWER_RETCODE, but 100 gives "OK", 100.
    ORV_ANSWER_NOTHING_OK,
    // As ORV_ANSWER_RETCODE, but 100 gives "OK - Keine Updates vorhanden", 100.
    ORV_ANSWER_NO_UPDATES,
};

class OrvWebServiceJoomla : public OrvWebService {
public:
    OrvWebServiceJoomla();
    OrvWebServiceJoomla(const std::string& host, const std::string& servicePath);
    ~OrvWebServiceJoomla() override;

    // Evaluates "retcode" (string, decimal; missing or other kind: 0),
    // "message" and "error" after the base call. -1 on transport or reply
    // failure, leaving return code -1 and an empty message.
    int CallJson(OrvHTTPBuffer& object, OrvHTTPBuffer& header, OrvHTTPBuffer& body, json::Object& result) override;

    // First entry of the error list; each output may be null. 100 when the
    // list is empty, else 0.
    int GetError(int* code, std::string* item, std::string* message, std::string* native) const;

    int ReturnCode() const { return returnCode_; }
    const std::string& Message() const { return message_; }
    const json::Array& ErrorList() const { return errorList_; }

    // --- call helpers shared by every method ---------------------------------
    // Each opens the connection first (on the first request of a run that
    // recreates the request log), so the command row is never lost.
    // Command row, CallJson (the base one for ORV_ANSWER_UNEVALUATED),
    // answer row. Returns -1 after a transport failure (no answer row),
    // else the return code (0 for ORV_ANSWER_UNEVALUATED).
    int CallMethod(const char* command, OrvPortalRequest& request, json::Object& result, OrvAnswerStyle style);
    int CallMethod(const std::string& command, OrvPortalRequest& request, json::Object& result, OrvAnswerStyle style)
    {
        return CallMethod(command.c_str(), request, result, style);
    }
    // Command row, PostToBuffer, answer row "OK", 0. 0 or -1.
    int CallBuffer(const std::string& command, OrvPortalRequest& request, OrvHTTPBuffer& response);
    // Command row, PostToStream, answer row "OK", 0. 0 or -1.
    int CallStream(const std::string& command, OrvPortalRequest& request, std::ostream& stream);
    // Command row, PostToFile into directory, StoreDownload, answer row
    // "OK", 0. 0 (also when the reply was no attachment: path untouched),
    // -1 on transport failure or when the file cannot be written.
    int CallDownload(const std::string& command, OrvPortalRequest& request, const std::string& directory,
                     std::string& path);
    // The file the latest download stored (path empty when none).
    const OrvDownloadedFile& LastDownload() const { return lastDownload_; }

    // Integer of a reply member sent as a string ("eventid", "level", ...):
    // missing or another kind gives 0.
    static int IntegerOf(const json::UnknownElement& element);

    // --- login, users, application -------------------------------------------
    // Null user name or password and remember < 0 keep the stored values.
    // Stores the client state in the configuration object. Returns the
    // return code, -1 on transport failure.
    int Login(const char* userName = nullptr, const char* password = nullptr, int remember = -1);
    int Logout();
    // 0 with history and version filled; 100: no newer version.
    int CheckUpdate(std::string& history, std::string& version);
    // Stores the set-up program in the directory given in filePath (the
    // update directory when empty); filePath then holds the file's full
    // path. 0 also when the reply was no attachment (filePath untouched).
    int DownloadUpdate(const std::string& version, std::string& filePath);
    // Without evaluation: 0 also when the portal reports an error.
    int UserList(json::Array& userList);
    int Register(const std::string& userRecord, bool& blocked);
    int UserSetCategories(const std::string& categories);
    int UserSetBackendQueries(int userID, const std::string& queryList);
    int UserGetBackendQueries(int userID, json::Array& queryList);
    int ApplicationGetConfig(json::Object& config);
    int GeoDetectLocation(std::string& country, std::string& zip, std::string& city);

    // --- events, calendars, files
    // The fields of a portal query that GetCalendar sends (texts in the
    // window code page).
    struct CalendarQuery {
        int type = 1;   // 1 own calendar, 2 one user's, 3 selection
        int userID = 0;
        std::string pool, scenes;
        bool lesson = false, workshop = false, event = false;
        std::string country, zip, city;
    };
    // The fields GetCalendar appends to the object path for a query (null:
    // the own calendar), values as they stand.
    static std::string CalendarQueryFields(const CalendarQuery* query);

    // Sends one event as iCalendar text (the part's file name is the event
    // name). Returns the return code; on 0 eventID holds the portal's id.
    int UploadEvent(const char* eventName, const std::string& calendarText, int& eventID);
    int UploadEvent(const char* eventName, std::istream& calendarText, int& eventID);
    // Without evaluation: 0 once a reply arrived, -1 on transport failure.
    int DeleteEvent(int eventID);
    // The reply body goes to stream. 0 for a calendar sent as attachment,
    // 100 for any other reply (the stream then holds that reply, which must
    // not be taken for the calendar), -1 on transport failure.
    int GetCalendar(const CalendarQuery* query, std::ostream& stream);
    // GetCalendar into the file at path (normally "Calendar.ics"). The file
    // is replaced only by a complete calendar that came as attachment:
    // the reply is written to a temporary file next to it and renamed.
    // 0 replaced; 100 the reply was no calendar (file untouched); -1
    // transport failure or the file could not be written (file untouched).
    int GetCalendarFile(const CalendarQuery* query, const std::string& path);
    int EventSetFile(const char* fileName, int eventID, const char* localPath);
    // Stores the file in the cache directory; localPath gets its full
    // path. 0 also when the reply was no attachment (localPath untouched).
    int EventGetFile(int eventID, const char* fileName, std::string& localPath);
    // The reply is not parsed: 0 once a reply arrived.
    int EventDelFile(int eventID, const char* fileName);
    // Without evaluation (0 once a reply arrived).
    int FacebookSetEvent(int eventID, int eventNumber);
    int EventSetValue(int eventID, int eventNumber, const char* value);
    // level in: the wanted level; out: "result" -> "level" of the reply (0
    // when missing). Untouched after a transport failure.
    int EventSetHighlight(int eventID, int eventNumber, int& level);
    int EventSetUser(int eventID, int userID);

    // Command row, PostToFile into the cache directory, answer row, then
    // StoreDownload. 0 (also without a file: localPath untouched, a
    // "Fehler" row tells), -1 on transport failure or a failed write.
    int CallFileDownload(const std::string& command, OrvPortalRequest& request, std::string& localPath);

    // --- persons
    // category: sent as "&category=" when not empty; recordText: the person
    // record (OrvPersonRecord::Text). On 0 personID holds the portal's id.
    int PersonSave(const char* category, const std::string& recordText, int& personID);
    // By id when not 0, else by full name (URL-encoded as given, no
    // conversion). 0 with the person object; 100 nobody found.
    int PersonRead(int personID, const char* fullName, json::Object& person);
    int PersonGetCategories(int personID, json::Array& table);
    // category: number of the person category table (1 location .. 4 guest).
    int PersonGetList(int category, const char* field, const char* value, const char* direction,
                      json::Array& table);
    int PersonSetFile(const char* fileName, int personID, const char* localPath);
    // As EventGetFile, for a person's picture.
    int PersonGetFile(int personID, const char* fileName, std::string& localPath);
    int PersonDelFile(int personID, const char* fileName);
    // Reads the person (PersonRead); on 0 clears the address and copies id,
    // fullname, street, country, zip, city, url, phone and email into it
    // (converted to the window code page). Any other result leaves the
    // address as it was. Returns PersonRead's result.
    int PersonReadAddress(int personID, const char* fullName, class OrvAddress& address);

private:
    OrvDownloadedFile lastDownload_;
    int returnCode_ = -1;
    bool evaluated_ = false;  // the latest evaluated call got a readable reply
    std::string message_;
    json::Array errorList_;
};

// Application name and own version sent to the portal.
constexpr const char* ORV_APPLICATION_NAME = "OrvCalendar";
constexpr const char* ORV_APPLICATION_VERSION = "1.0.11";
