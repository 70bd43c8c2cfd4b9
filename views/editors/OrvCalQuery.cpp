#include "views/editors/OrvCalQuery.h"

#include <cstdlib>

#include "base/OrvText.h"

namespace {
std::string Member(const json::Object& element, const char* name)
{
    // A missing member or one of another kind reads as empty text.
    json::Object::const_iterator it = element.Find(name);
    if (it == element.End()) return std::string();
    return static_cast<const json::String&>(it->element).Value();
}

int Number(const std::string& text)
{
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str()) return 0;
    return static_cast<int>(value);
}
}  // namespace

void OrvAppendQuoted(std::string& out, const char* name, const std::string& value)
{
    out += '"';
    out += name;
    out += "\":\"";
    for (char c : value) {
        if (c == '\t') continue;
        if (c == '"') {
            out += "\\\"";
        } else if (c == '&') {
            out += "#38;";
        } else {
            out += c;
        }
    }
    out += '"';
}

void OrvCalQuery::CopyFieldsFrom(const OrvCalQuery& other)
{
    const int keep = id;
    name = other.name;
    userid = other.userid;
    user = other.user;
    type = other.type;
    pool = other.pool;
    scenes = other.scenes;
    lesson = other.lesson;
    workshop = other.workshop;
    event = other.event;
    country = other.country;
    zip = other.zip;
    city = other.city;
    id = keep;
}

OrvWebServiceJoomla::CalendarQuery OrvCalQuery::ToCalendarQuery() const
{
    OrvWebServiceJoomla::CalendarQuery q;
    q.type = type == 1 || type == 2 ? type : 3;
    q.userID = userid;
    q.pool = pool;
    q.scenes = scenes;
    q.lesson = lesson;
    q.workshop = workshop;
    q.event = event;
    q.country = country;
    q.zip = zip;
    q.city = city;
    return q;
}

std::string OrvCalQuery::JSON() const
{
    std::string out = "{";
    OrvAppendQuoted(out, "name", OrvToUTF8(name));
    out += ',';
    OrvAppendQuoted(out, "type", type == 1 ? "my" : type == 2 ? "user" : "selection");
    if (userid != 0) {
        out += ',';
        OrvAppendQuoted(out, "userid", std::to_string(userid));
        out += ',';
        OrvAppendQuoted(out, "user", OrvToUTF8(user));
    }
    // Pool and scene names come from the portal's configuration as they
    // stand and go back the same way.
    out += ',';
    OrvAppendQuoted(out, "pool", pool);
    out += ',';
    OrvAppendQuoted(out, "scenes", scenes);
    std::string categories;
    auto add = [&categories](bool set, const char* word) {
        if (!set) return;
        if (!categories.empty()) categories += '+';
        categories += word;
    };
    add(lesson, "lesson");
    add(workshop, "workshop");
    add(event, "event");
    out += ',';
    OrvAppendQuoted(out, "categories", categories);
    out += ',';
    OrvAppendQuoted(out, "country", OrvToUTF8(country));
    out += ',';
    OrvAppendQuoted(out, "zip", OrvToUTF8(zip));
    out += ',';
    OrvAppendQuoted(out, "city", OrvToUTF8(city));
    out += '}';
    return out;
}

void OrvCalQuery::Read(const json::Object& element)
{
    name = OrvToSingleByte(Member(element, "name"));
    const std::string kind = Member(element, "type");
    type = kind == "user" ? 2 : kind == "my" ? 1 : 3;
    userid = Number(Member(element, "userid"));
    user = userid != 0 ? OrvToSingleByte(Member(element, "user")) : std::string();
    pool = Member(element, "pool");
    const std::string sceneList = Member(element, "scenes");
    scenes = sceneList.substr(0, sceneList.find('+'));
    const std::string categories = Member(element, "categories");
    lesson = categories.find("lesson") != std::string::npos;
    workshop = categories.find("workshop") != std::string::npos;
    event = categories.find("event") != std::string::npos;
    // Written as UTF-8, so read back into the window code page.
    country = OrvToSingleByte(Member(element, "country"));
    zip = OrvToSingleByte(Member(element, "zip"));
    city = OrvToSingleByte(Member(element, "city"));
}

OrvCalQuery* OrvCalQueryList::FindID(int id) const
{
    for (int i = 0; i < Count(); ++i)
        if (Item(i)->id == id) return Item(i);
    return nullptr;
}

OrvCalQuery* OrvCalQueryList::Append(OrvCalQuery* query)
{
    query->id = Count() + 1;
    Add(query);
    return query;
}

std::string OrvCalQueryList::JSON() const
{
    std::string out = "[";
    for (int i = 0; i < Count(); ++i) {
        if (i > 0) out += ',';
        out += Item(i)->JSON();
    }
    out += ']';
    return out;
}

void OrvCalQueryList::Rebuild(json::Array& list)
{
    Destroy();
    for (size_t i = 0; i < list.Size(); ++i) {
        auto* query = new OrvCalQuery;
        // An element that is no object gives a query with the defaults.
        const json::UnknownElement& element = list[i];
        query->Read(static_cast<const json::Object&>(element));
        Append(query);
    }
}

OrvCalQueryList& OrvCalQueries()
{
    static OrvCalQueryList* list = new OrvCalQueryList;
    return *list;
}

OrvCalQueryList& OrvGetCalQueryList(OrvWebServiceJoomla& portal, int userID)
{
    OrvCalQueryList& list = OrvCalQueries();
    json::Array reply;
    if (portal.UserGetBackendQueries(userID, reply) == 0) list.Rebuild(reply);
    return list;
}

int OrvWriteCalQueryList(OrvWebServiceJoomla& portal, const OrvCalQueryList& list, int userID)
{
    return portal.UserSetBackendQueries(userID, list.JSON());
}
