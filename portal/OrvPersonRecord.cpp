#include "portal/OrvPersonRecord.h"

#include <cstdio>
#include <cstring>

#include "base/OrvText.h"

namespace {

const OrvPersonCategoryRow kCategories[OrvPersonCategoryCount] = {
    {1, "location", "LOCATION", 51},
    {2, "organizer", "ORGANIZER", 151},
    {3, "dj", "DJ", 166},
    {4, "guest", "GUEST", 167},
};

const OrvPersonAttributeRow kAttributes[OrvPersonAttributeCount] = {
    {1000, "id", 155},        {1001, "fullname", 39},   {1002, "firstname", 188}, {1003, "lastname", 189},
    {1004, "nickname", 190},  {1005, "title", 50},      {1006, "street", 156},    {1007, "zip", 157},
    {1008, "city", 51},       {1009, "country", 158},   {1010, "url", 138},       {1011, "email", 159},
    {1013, "phone", 160},     {1014, "mobil", 192},     {1015, "params", 0},      {1016, "longitude", 212},
    {1017, "latitude", 213},  {1018, "coordassign", 265}, {1019, "text", 242},
};

} // namespace

const OrvPersonCategoryRow* OrvPersonCategories() { return kCategories; }

const OrvPersonCategoryRow* OrvPersonCategory(int number)
{
    for (const auto& row : kCategories)
        if (row.number == number) return &row;
    return nullptr;
}

const OrvPersonCategoryRow* OrvPersonCategoryByName(const char* recordName)
{
    if (!recordName) return nullptr;
    for (const auto& row : kCategories)
        if (std::strcmp(row.recordName, recordName) == 0) return &row;
    return nullptr;
}

const OrvPersonAttributeRow* OrvPersonAttributes() { return kAttributes; }

const OrvPersonAttributeRow* OrvPersonAttribute(int number)
{
    for (const auto& row : kAttributes)
        if (row.number == number) return &row;
    return nullptr;
}

void OrvAppendRecordValue(std::string& out, const std::string& value)
{
    for (char c : value) {
        switch (c) {
        case '\t':
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '&':
            out += "#38;";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
}

void OrvAppendRecordMember(std::string& out, const char* name, const std::string& value)
{
    out += '"';
    out += name;
    out += "\":\"";
    OrvAppendRecordValue(out, value);
    out += '"';
}

std::string OrvPersonRecord::Text() const
{
    std::string out = "{\"perscat\":[";
    for (size_t i = 0; i < categories.size(); ++i) {
        if (i) out += ',';
        out += '"';
        out += categories[i];
        out += '"';
    }
    out += "],\"pers\":{";
    OrvAppendRecordMember(out, "id", std::to_string(id));
    const struct {
        const char* name;
        const std::string* value;
    } texts[] = {
        {"fullname", &fullname}, {"firstname", &firstname}, {"lastname", &lastname}, {"nickname", &nickname},
        {"title", &title},       {"street", &street},       {"zip", &zip},           {"city", &city},
        {"country", &country},   {"email", &email},         {"phone", &phone},       {"mobil", &mobil},
        {"url", &url},           {"longitude", &longitude}, {"latitude", &latitude},
    };
    for (const auto& member : texts) {
        out += ',';
        OrvAppendRecordMember(out, member.name, OrvToUTF8(*member.value));
    }
    out += ',';
    OrvAppendRecordMember(out, "coordassign", std::to_string(coordassign));
    out += ',';
    OrvAppendRecordMember(out, "text", OrvToUTF8(text));
    if (hasRooms) {
        out += ",\"rooms\":[";
        bool first = true;
        for (const auto& room : rooms) {
            if (!room.enabled) continue;
            if (!first) out += ',';
            first = false;
            out += '"';
            // A quote or an ampersand in a room name would break the record
            // or cut the form body, so room names get the same quoting.
            OrvAppendRecordValue(out, OrvToUTF8(room.name));
            out += '"';
        }
        out += ']';
    }
    out += "}}";
    return out;
}

std::vector<int> OrvPersonRecord::CheckInput()
{
    if (country.empty()) country = "D";
    std::vector<int> missing;
    if (fullname.empty()) missing.push_back(191);
    if (zip.empty()) missing.push_back(157);
    if (city.empty()) missing.push_back(51);
    return missing;
}

void OrvPersonRecord::ReadRooms(const std::string& params, const std::string& disabledLabel)
{
    for (int row = 1; row <= OrvPersonRoomCount; ++row) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "ROOM%02d=", row);
        OrvPersonRoom& room = rooms[row - 1];
        room = OrvPersonRoom();
        size_t at = 0;
        bool found = false;
        while (at < params.size()) {
            size_t end = params.find('\n', at);
            std::string line = params.substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.compare(0, std::strlen(prefix), prefix) == 0) {
                room.name = line.substr(std::strlen(prefix));
                room.enabled = true;
                found = true;
                break;
            }
            if (end == std::string::npos) break;
            at = end + 1;
        }
        if (!found) room.name = disabledLabel + " " + std::to_string(row);   // "%s %d"
    }
}

std::string OrvAddressRecordText(int id, const std::string& fullname, const std::string& street,
                                 const std::string& zip, const std::string& city, const std::string& country)
{
    std::string out = "{\"pers\":{";
    OrvAppendRecordMember(out, "id", std::to_string(id));
    out += ',';
    OrvAppendRecordMember(out, "fullname", fullname);
    out += ',';
    OrvAppendRecordMember(out, "street", street);
    out += ',';
    OrvAppendRecordMember(out, "zip", zip);
    out += ',';
    OrvAppendRecordMember(out, "city", city);
    out += ',';
    OrvAppendRecordMember(out, "country", country);
    out += "}}";
    return out;
}
