// The calendar document: the components of one .ics file, its name, the
// address book entries its events refer to, and the occurrences the views
// draw.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/OrvCalZone.h"
#include "model/OrvCalendarComponent.h"
#include "platform/OrvElement.h"
#include "platform/OrvList.h"
#include "platform/ZafUTimeData.h"

enum {
    ORV_EVENTDATE = 10044,
    ORV_EVENTDATELIST = 10045,
    ORV_ADDRESS = 10046,
    ORV_ADDRESSLIST = 10047,
    ORV_CALENDAR = 10048,
};

// An address book entry of a location or an organizer. Texts are in the
// window code page.
class OrvAddress : public OrvElement {
    ORV_CLASS(OrvAddress, ORV_ADDRESS, OrvElement)
public:
    std::string key;
    std::string name;
    std::string street;
    std::string country;
    std::string zip;
    std::string city;
    std::string phone;
    std::string url;
    std::string email;
    std::string further;
    std::string room01;
    std::string type;   // "location" or "organizer"
    int portalId = 0;   // 0: the portal has not assigned one

    // The person record of this entry, texts converted to UTF-8.
    OrvPerson Person() const;
};

// Owns its entries.
class OrvAddressList : public OrvList {
    ORV_CLASS(OrvAddressList, ORV_ADDRESSLIST, OrvList)
public:
    OrvAddressList() = default;
    ~OrvAddressList() override { Destroy(); }
    OrvAddress* Item(int index) const { return static_cast<OrvAddress*>(Get(index)); }
    // First entry whose key or NAME equals the name exactly, or null.
    OrvAddress* FindByName(const std::string& name) const;
};

// One occurrence of an event.
class OrvEventDate : public OrvElement {
    ORV_CLASS(OrvEventDate, ORV_EVENTDATE, OrvElement)
public:
    OrvEventDate() = default;
    OrvEventDate(const ZafUTimeData& start, const ZafUTimeData& end, OrvCalendarComponent* event)
        : start(start), end(end), event(event) {}
    // A plain copy would share the event; copies go through Copy.
    OrvEventDate(const OrvEventDate&) = delete;
    OrvEventDate& operator=(const OrvEventDate&) = delete;

    // Same start and end, referring to a new copy of the event (the editor
    // turns one occurrence into an event of its own this way). The caller
    // owns the copied event: it adds it to a document or deletes it. Null
    // when the event cannot be copied.
    OrvEventDate* Copy() const;

    ZafUTimeData start;
    ZafUTimeData end;
    OrvCalendarComponent* event = nullptr;   // not owned
};

// Owns its occurrences.
class OrvEventDateList : public OrvList {
    ORV_CLASS(OrvEventDateList, ORV_EVENTDATELIST, OrvList)
public:
    OrvEventDateList() = default;
    ~OrvEventDateList() override { Destroy(); }
    OrvEventDate* Item(int index) const { return static_cast<OrvEventDate*>(Get(index)); }
};

// What publishing needs of the portal client; the portal area implements it.
class OrvEventUploader {
public:
    virtual ~OrvEventUploader() = default;
    // Creates the connection and logs in unless that happened already.
    // 0 on success.
    virtual int LoginIfNeeded() = 0;
    // Uploads one event written as calendar text. 0 on success; eventId
    // receives the portal's id of the event (0 when none was returned).
    virtual int UploadEvent(const char* componentName, const std::string& text, int& eventId) = 0;
};

class OrvCalendar : public OrvElement {
    ORV_CLASS(OrvCalendar, ORV_CALENDAR, OrvElement)
public:
    OrvCalendar();
    ~OrvCalendar() override;
    OrvCalendar(const OrvCalendar&) = delete;
    OrvCalendar& operator=(const OrvCalendar&) = delete;

    // Called with 1 and each logical line before it is parsed, with 2 and
    // the name before a file is read and with 3 and the name after.
    virtual void Trace(int code, const char* text) {}

    // Sets the name from the path and reads the file into the components;
    // the document is not emptied first. A file that cannot be opened
    // leaves everything but the name as it was.
    void Load(const std::string& path);
    // Reads calendar text (a portal reply, for instance) like a file.
    void LoadText(const std::string& text);
    // Writes every top-level component to the file, in list order. The text
    // goes to a temporary file beside it that then replaces the file, so a
    // failed save leaves the previous file whole. 0 on success, -1 when the
    // file could not be written.
    int Save(const std::string& path) const;
    // The text Save writes (line ends are line feeds here).
    std::string Text() const;
    // Writes the calendar as RFC 5545 for other programs (OrvExportText),
    // through a temporary file like Save. 0 on success, -1 otherwise.
    int Export(const std::string& path) const;
    // Deletes all components and occurrences, empties the name and the
    // event list.
    void Clear();

    // Adds a component at the top level: a calendar block is appended to
    // the components; anything else becomes a child of the first calendar
    // block whose name equals calendarName (when one is given), else of the
    // first calendar block. Returns 0 when the document took the component,
    // -1 when it has no calendar block (the caller keeps the component).
    int AddEvent(OrvCalendarComponent* component, const char* calendarName = nullptr);
    // Adds an event below the first calendar block, making one (the
    // program's own) in a calendar that has none, so the event is never
    // lost.
    void AdoptEvent(OrvCalendarComponent* event);

    // Rebuilds the event list and the occurrences from the events directly
    // below the top-level calendar blocks.
    void RebuildOccurrences();
    // The occurrences that stand on a day: those starting on it, and whole
    // days covering it; in list order. Indexed on first use after a
    // rebuild, so a month of the views costs a lookup per day.
    const std::vector<OrvEventDate*>& OccurrencesOn(const ZafUTimeData& day);
    // Position from 1 of the occurrence among the occurrences of its event;
    // 0 when it is not in the list. Rebuilds first when the list is empty.
    int OccurrenceNumber(const OrvEventDate* occurrence);
    // Highlight level of an occurrence (0: none).
    int OccurrenceHighlight(const OrvEventDate* occurrence) const;
    // Level of the event's highlight at a date-time, or 0.
    static int HighlightAt(const OrvCalendarComponent* event, const ZafUTimeData& dateTime);
    // Sets the highlight of the n-th occurrence (from 1) of the event; level
    // 0 removes it. Nothing happens when there is no such occurrence.
    void SetOccurrenceHighlight(OrvCalendarComponent* event, int number, int level);
    // The master then skips the occurrence's day.
    static void AddExceptionDate(OrvCalendarComponent* master, const OrvEventDate& occurrence);

    // Publishes every event of every top-level calendar block: its publish
    // state becomes 1, it is written as calendar text and uploaded; a
    // refused upload (or a failed login) sets the state back to 0, an id the
    // portal returns becomes the event id. Returns the number of events that
    // did not go up.
    int PublishAll(OrvEventUploader& uploader);

    OrvCalendarComponent* Component(int index) const { return static_cast<OrvCalendarComponent*>(components.Get(index)); }

    OrvAddressList addresses;
    OrvCalendarComponent* cursor = nullptr;
    OrvList components;
    OrvEventDateList occurrences;
    std::vector<OrvCalendarComponent*> events;
    ZafUTimeData horizon;
    std::string name;
    // The zones the document's times were written in: the database's and
    // the definitions of its VTIMEZONE blocks.
    OrvZones zones;

private:
    friend void OrvParseCalendarLine(OrvCalendar& document, const std::string& line);
    friend void OrvReadCalendarText(OrvCalendar& document, const std::string& text);
    std::unordered_map<int64_t, std::vector<OrvEventDate*>> byDay_;
    bool byDayBuilt_ = false;
    uint64_t byDayChanges_ = 0;   // the list's changes when it was indexed
    // Names of the open blocks of unknown kinds whose lines are being kept
    // (outermost first).
    std::vector<std::string> rawBlocks_;
    // Blocks that BEGIN opened but the document could not keep: they take
    // their lines while open and are deleted after reading.
    std::vector<OrvCalendarComponent*> detached_;
    // BEGIN lines ignored for their depth whose END is still to come.
    int ignoredBlocks_ = 0;
};

// Upper bound of the occurrence list; occurrences beyond it are left out.
constexpr int ORV_MAX_OCCURRENCES = 1000000;

// Same day two years from today, 12:00:00 (the configuration's default).
ZafUTimeData OrvDefaultHorizon();
