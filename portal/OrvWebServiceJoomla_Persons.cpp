// Remote methods for the portal's address book of persons.
#include <string>

#include "app/OrvCalendarConfig.h"
#include "base/OrvText.h"
#include "model/OrvCalendar.h"
#include "portal/OrvPersonRecord.h"
#include "portal/OrvWebServiceJoomla.h"

namespace {

std::string Decimal(int value) { return std::to_string(value); }

// URL-encoding of the bytes as they are (no code page conversion).
std::string EncodeBytes(const char* text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p; ++p) {
        unsigned char c = *p;
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                     c == '/' || c == '[' || c == '\\' || c == ']';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

const std::string& Text(const json::Object& object, const char* member)
{
    const json::String& value = object[member];
    return value.Value();
}

} // namespace

int OrvWebServiceJoomla::PersonSave(const char* category, const std::string& recordText, int& personID)
{
    OrvPortalRequest request;
    request.QueryForm(ServicePath(), "rpc_accept=json&rpc_method=V001_Person_Save");
    if (category && *category) request.Field("category", category);
    request.Data("person", recordText);
    json::Object result;
    int code = CallMethod("PersonSave( )", request, result, ORV_ANSWER_RETCODE);
    if (code == 0) {
        const json::Object& reply = result;
        const json::Object& data = reply["result"];
        personID = IntegerOf(data["id"]);
    }
    return code;
}

int OrvWebServiceJoomla::PersonRead(int personID, const char* fullName, json::Object& person)
{
    OrvPortalRequest request;
    request.BodyForm("rpc_method=V001_Person_Read&rpc_accept=json");
    if (personID != 0)
        request.Field("persid", personID);
    else if (fullName && *fullName)
        request.Field("fullname", EncodeBytes(fullName));
    json::Object result;
    int code = CallMethod("PersonRead( )", request, result, ORV_ANSWER_NOTHING_OK);
    if (code == 0) {
        const json::Object& reply = result;
        const json::Object& data = reply["result"];
        person = data["person"];
    }
    return code;
}

int OrvWebServiceJoomla::PersonGetCategories(int personID, json::Array& table)
{
    OrvPortalRequest request;
    request.BodyForm("rpc_method=V001_Person_GetCategories&rpc_accept=json&persid=");
    request.Append(Decimal(personID).c_str());
    json::Object result;
    int code = CallMethod("PersonGetCategories( '" + Decimal(personID) + "')", request, result,
                          ORV_ANSWER_NOTHING_OK);
    if (code == 0) {
        const json::Object& reply = result;
        const json::Object& data = reply["result"];
        table = data["table"];
    }
    return code;
}

int OrvWebServiceJoomla::PersonGetList(int category, const char* field, const char* value, const char* direction,
                                       json::Array& table)
{
    const OrvPersonCategoryRow* row = OrvPersonCategory(category);
    const char* f = field ? field : "";
    const char* v = value ? value : "";
    const char* d = direction ? direction : "";
    OrvPortalRequest request;
    request.BodyForm("rpc_method=V001_Person_GetList&rpc_accept=json&category=");
    request.Append(row ? row->listName : "");
    request.Field("field", f);
    request.Field("value", v);
    request.Field("direction", d);
    request.Field("region", "");
    json::Object result;
    std::string command = "PersonGetList( '" + Decimal(category) + "', '" + "', '" + f + "', '" + v + "', '" + d +
                          "')";
    int code = CallMethod(command, request, result, ORV_ANSWER_NOTHING_OK);
    if (code == 0) {
        const json::Object& reply = result;
        const json::Object& data = reply["result"];
        table = data["table"];
    }
    return code;
}

int OrvWebServiceJoomla::PersonSetFile(const char* fileName, int personID, const char* localPath)
{
    const char* name = fileName ? fileName : "";
    OrvPortalRequest request;
    request.QueryForm(ServicePath(), "rpc_accept=json&rpc_method=V001_Person_SetFile&persid=");
    request.Append(Decimal(personID).c_str());
    request.MultipartFile(name, localPath ? localPath : "");
    json::Object result;
    return CallMethod(std::string("PersonSetFile( '") + name + "' )", request, result, ORV_ANSWER_RETCODE);
}

int OrvWebServiceJoomla::PersonGetFile(int personID, const char* fileName, std::string& localPath)
{
    OrvPortalRequest request;
    request.BodyForm("rpc_method=V001_Person_GetFile&rpc_accept=file&persid=");
    request.Append(Decimal(personID).c_str());
    request.FieldBytes("filename", fileName ? fileName : "");
    return CallFileDownload("PersonGetFile( '" + Decimal(personID) + "' )", request, localPath);
}

int OrvWebServiceJoomla::PersonDelFile(int personID, const char* fileName)
{
    OrvPortalRequest request;
    request.BodyForm("rpc_method=V001_Person_DeleteFile&rpc_accept=json&persid=");
    request.Append(Decimal(personID).c_str());
    request.FieldBytes("filename", fileName ? fileName : "");
    OrvHTTPBuffer response;
    return CallBuffer("PersonDelFile( '" + Decimal(personID) + "' )", request, response);
}

int OrvWebServiceJoomla::PersonReadAddress(int personID, const char* fullName, OrvAddress& address)
{
    json::Object person;
    int code = PersonRead(personID, fullName, person);
    // Only an answer with a person replaces the record: a failed or empty
    // lookup must not wipe what the caller holds.
    if (code != 0) return code;
    address.key.clear();
    address.name.clear();
    address.street.clear();
    address.country.clear();
    address.zip.clear();
    address.city.clear();
    address.phone.clear();
    address.url.clear();
    address.email.clear();
    address.further.clear();
    address.room01.clear();
    address.type.clear();
    // The portal sends UTF-8; address book entries hold window code page.
    const json::Object& p = person;
    address.portalId = IntegerOf(p["id"]);
    address.name = OrvToSingleByte(Text(p, "fullname"));
    address.street = OrvToSingleByte(Text(p, "street"));
    address.country = OrvToSingleByte(Text(p, "country"));
    address.zip = OrvToSingleByte(Text(p, "zip"));
    address.city = OrvToSingleByte(Text(p, "city"));
    address.url = OrvToSingleByte(Text(p, "url"));
    address.phone = OrvToSingleByte(Text(p, "phone"));
    address.email = OrvToSingleByte(Text(p, "email"));
    return code;
}
