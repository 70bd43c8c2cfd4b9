// Portal queries: named filters with which the portal selects the events of
// a calendar. The user's queries live on the portal; the process holds one
// list of them, fetched and written back as a whole ("querylist").
#pragma once

#include <string>

#include "base/json.h"
#include "platform/OrvElement.h"
#include "platform/OrvList.h"
#include "portal/OrvWebServiceJoomla.h"

class OrvCalQuery : public OrvElement {
public:
    ORV_CLASS(OrvCalQuery, 10082, OrvElement)

    int id = 0;           // number within the list, never sent
    std::string name;     // window code page
    int userid = 0;       // type 2: the user whose events are wanted
    std::string user;
    int type = 3;         // 1 "my", 2 "user", 3 "selection"
    std::string pool;
    std::string scenes;
    bool lesson = false;
    bool workshop = false;
    bool event = false;
    std::string country;
    std::string zip;
    std::string city;

    // Every field but the id.
    void CopyFieldsFrom(const OrvCalQuery& other);
    // The fields the calendar download sends.
    OrvWebServiceJoomla::CalendarQuery ToCalendarQuery() const;

    // The query's JSON object.
    std::string JSON() const;
    // Fills the fields (not the id) from one element of the portal's list.
    void Read(const json::Object& element);
};

class OrvCalQueryList : public OrvList {
public:
    OrvCalQueryList() = default;
    OrvCalQueryList(const OrvCalQueryList&) = delete;
    OrvCalQueryList& operator=(const OrvCalQueryList&) = delete;
    ~OrvCalQueryList() override { Destroy(); }

    OrvCalQuery* Item(int index) const { return static_cast<OrvCalQuery*>(Get(index)); }
    // Null when no query has that id.
    OrvCalQuery* FindID(int id) const;
    // Gives the query the id count + 1 and appends it (the list owns it).
    OrvCalQuery* Append(OrvCalQuery* query);

    // "[" objects joined by "," "]".
    std::string JSON() const;
    // Empties the list and rebuilds it from the portal's array.
    void Rebuild(json::Array& list);
};

// Writes "name":"value" with the quoting of the portal's record texts: a tab
// is dropped, a double quote gets a backslash, an ampersand becomes "#38;".
void OrvAppendQuoted(std::string& out, const char* name, const std::string& value);

// The process's list, created empty on first use.
OrvCalQueryList& OrvCalQueries();
// Asks the portal for the user's queries (user 0: the logged-in user); only
// a result of 0 replaces the list. Returns the process's list.
OrvCalQueryList& OrvGetCalQueryList(OrvWebServiceJoomla& portal, int userID = 0);
// Sends the whole list; the portal's result.
int OrvWriteCalQueryList(OrvWebServiceJoomla& portal, const OrvCalQueryList& list, int userID = 0);
