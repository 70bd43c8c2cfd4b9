// The structured values of the X-ORV-* extension properties of an event:
// costs, cost-table and programme rows, persons, lesson, images and
// downloads, the publish record and the highlight marks.
//
// Every record reads its value with Parse (pairs of the pair tokenizer;
// unknown keys are skipped and fields whose key does not occur keep their
// value, nothing is reset first) and writes it with Format (one "KEY=value;"
// per field that is set, in the record's fixed order; the highlights are
// the one exception, see there). All texts are UTF-8. Values are not
// escaped: a quoted value must not contain '"', an unquoted one not ';'.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/OrvCalTime.h"
#include "platform/OrvElement.h"
#include "platform/OrvList.h"
#include "platform/ZafUTimeData.h"

class OrvCalendarComponent;

// Admission of an event ("X-ORV-COST"). Prices are texts ("%.2f" with a
// decimal point when the editor stores a number).
struct OrvCost {
    std::string perUnit; // PERUNIT
    std::string vvk;     // VVK
    std::string ak;      // AK
    std::string total;   // TOTAL
    uint32_t units = 0;   // UNITS
    uint32_t minutes = 0; // MINUTES
    std::string text;    // TEXT
    bool free = false;     // FREE
    bool useTable = false; // USETABLE

    // FREE and USETABLE become true exactly for the value "1" (and false for
    // any other value of their key).
    void Parse(const std::string& value);
    // Order PERUNIT, TOTAL, UNITS, MINUTES, FREE, USETABLE, TEXT, VVK, AK;
    // nothing quoted; an empty record gives "".
    std::string Format() const;
    void Clear() { *this = OrvCost(); }
    bool operator==(const OrvCost&) const = default;
};

class OrvCalTableList;

// One row of the cost table ("X-ORV-COSTTABLE") or of the programme
// ("X-ORV-PROGRAM").
class OrvCalTableElement : public OrvElement {
    ORV_CLASS(OrvCalTableElement, 10100, OrvElement)
public:
    OrvCalTableElement() = default;
    OrvCalTableElement(std::string c1, std::string c2) : col1(std::move(c1)), col2(std::move(c2)) {}

    std::string col1; // COL_1
    std::string col2; // COL_2

    // The list the row was added to, or null.
    OrvCalTableList* OwningList() const;

    void Parse(const std::string& value);
    // COL_1, COL_2, both quoted.
    std::string Format() const;
};

// Owns its rows: the destructor deletes them.
class OrvCalTableList : public OrvList {
    ORV_CLASS(OrvCalTableList, 10101, OrvList)
public:
    OrvCalTableList() = default;
    ~OrvCalTableList() override { Destroy(); }

    OrvCalTableElement* Row(int index) const { return static_cast<OrvCalTableElement*>(Get(index)); }
    // Parses a new row from a property value and appends it.
    OrvCalTableElement* AddParsed(const std::string& value);
    // Replaces the rows by copies of the other list's rows.
    void CopyFrom(const OrvCalTableList& other);
};

// A location, organizer, DJ or guest ("X-ORV-LOCATION", "X-ORV-ORGANIZER",
// "X-ORV-DJ", "X-ORV-GUEST"); held by value.
struct OrvPerson {
    uint32_t id = 0; // ID, the portal's address id; 0 = not assigned yet
    std::string name;    // NAME
    std::string street;  // STREET
    std::string city;    // CITY
    std::string zip;     // ZIP
    std::string country; // COUNTRY
    std::string phone;   // PHONE
    std::string url;     // URL
    std::string email;   // EMAIL
    std::string room01;  // ROOM01, a room at a location

    void Parse(const std::string& value);
    // ID, NAME, STREET, ZIP, CITY, COUNTRY, PHONE, URL, EMAIL, ROOM01; NAME
    // and URL quoted.
    std::string Format() const;
    // Fills every field from an address-book entry: the portal id and the
    // entry's texts in the window code page (Windows-1252), converted to
    // UTF-8. A null text counts as empty; a negative portal id gives 0.
    void FillFromAddress(int portalId, const char* nameText, const char* streetText, const char* cityText,
                         const char* zipText, const char* countryText, const char* phoneText, const char* urlText,
                         const char* emailText, const char* room01Text);
    void Clear() { *this = OrvPerson(); }
    bool operator==(const OrvPerson&) const = default;
};

// Course data of an event ("X-ORV-LESSON").
struct OrvLesson {
    std::string subject;     // SUBJECT
    std::string special;     // SPECIAL
    std::string level;       // LEVEL
    std::string levelIntern; // LEVELINTERN

    void Parse(const std::string& value);
    // SUBJECT, SPECIAL, LEVEL, LEVELINTERN, all quoted.
    std::string Format() const;
    void Clear() { *this = OrvLesson(); }
    bool operator==(const OrvLesson&) const = default;
};

// A picture of the event ("X-ORV-IMAGE").
class OrvCalImageElement : public OrvElement {
    ORV_CLASS(OrvCalImageElement, 10102, OrvElement)
public:
    // Set by the event wizard when the user gives or changes the file; the
    // main window transfers marked elements. No file format carries it.
    int changed = 0;
    std::string name;    // NAME (also read from TYPE)
    std::string url;     // URL, read but never written
    std::string comment; // COMMENT
    std::string text;    // TEXT

    // Keys TYPE and NAME both set the name; WIDTH and HEIGHT are ignored.
    void Parse(const std::string& value);
    // NAME, COMMENT, TEXT, all quoted; the URL is not written.
    std::string Format() const;
    // Copies all fields, the changed mark included.
    void CopyFields(const OrvCalImageElement& other);
};

// A downloadable file of the event ("X-ORV-DOWNLOAD"); same text form.
class OrvCalDownloadElement : public OrvCalImageElement {
    ORV_CLASS(OrvCalDownloadElement, 10103, OrvCalImageElement)
};

// Owns its elements: the destructor deletes them.
class OrvCalImageList : public OrvList {
    ORV_CLASS(OrvCalImageList, 10104, OrvList)
public:
    OrvCalImageList() = default;
    ~OrvCalImageList() override { Destroy(); }

    OrvCalImageElement* Element(int index) const { return static_cast<OrvCalImageElement*>(Get(index)); }
    // A new element of the list's kind (image or download), not yet added.
    virtual OrvCalImageElement* NewElement() const { return new OrvCalImageElement; }
    // Parses a new element from a property value and appends it.
    OrvCalImageElement* AddParsed(const std::string& value);
    // Replaces the elements by copies of the other list's elements.
    void CopyFrom(const OrvCalImageList& other);
};

class OrvCalDownloadList : public OrvCalImageList {
    ORV_CLASS(OrvCalDownloadList, 10105, OrvCalImageList)
public:
    OrvCalImageElement* NewElement() const override { return new OrvCalDownloadElement; }
};

// Publication of an event ("X-ORV-PUBLISH").
enum { ORV_PUBLISH_STOPPED = 0, ORV_PUBLISH_PUBLISHED = 1, ORV_PUBLISH_WAITING = 2 };

struct OrvPublish {
    unsigned state = ORV_PUBLISH_STOPPED; // STATE
    OrvCalTime publishUp;                 // PUBLISH_UP
    OrvCalTime publishDown;               // PUBLISH_DOWN

    void Parse(const std::string& value);
    // Always all three pairs: "STATE=n;PUBLISH_UP=yyyymmddThhmmss;
    // PUBLISH_DOWN=yyyymmddThhmmss;", also for unset dates.
    std::string Format() const;
    void Clear() { *this = OrvPublish(); }
    bool operator==(const OrvPublish& o) const
    {
        return state == o.state && publishUp == o.publishUp && publishDown == o.publishDown;
    }
};

class OrvCalHighlightsList;

// Highlight mark of one occurrence: its start and a level.
class OrvCalHighlightsElement : public OrvElement {
    ORV_CLASS(OrvCalHighlightsElement, 10106, OrvElement)
public:
    OrvCalHighlightsElement() = default;
    OrvCalHighlightsElement(const ZafUTimeData& when, int lvl) : dateTime(when), level(lvl) {}

    ZafUTimeData dateTime;
    int level = 0;

    OrvCalHighlightsList* OwningList() const;
};

// The highlights of one event ("X-ORV-HIGHLIGHTS"). Owns its elements.
class OrvCalHighlightsList : public OrvList {
    ORV_CLASS(OrvCalHighlightsList, 10107, OrvList)
public:
    explicit OrvCalHighlightsList(OrvCalendarComponent* owner = nullptr) : owner_(owner) {}
    ~OrvCalHighlightsList() override { Destroy(); }

    OrvCalendarComponent* Owner() const { return owner_; }
    void SetOwner(OrvCalendarComponent* owner) { owner_ = owner; }
    OrvCalHighlightsElement* Element(int index) const { return static_cast<OrvCalHighlightsElement*>(Get(index)); }

    // Appends one highlight per pair "yyyymmddThhmmss=level" (key read as a
    // date-time, value as a decimal level); the list is not emptied first.
    // Pairs without '=' are skipped.
    void Parse(const std::string& value);
    // "dt=level" pairs joined by ';' with none after the last; "" for none.
    std::string Format() const;

    // First highlight whose date-time equals the given one, or null.
    OrvCalHighlightsElement* FindAt(const ZafUTimeData& dateTime) const;
    // Level of the first highlight at that date-time, or 0.
    int Level(const ZafUTimeData& dateTime) const;
    // Sets the highlight of the occurrence that starts at the date-time: an
    // existing one gets the level, or is removed and deleted for level 0; a
    // missing one is appended for a level other than 0 (level 0 then
    // changes nothing). Returns true when the list changed.
    bool SetLevel(const ZafUTimeData& dateTime, int level);
    // The highlight command on the n-th occurrence (from 1) of the event:
    // occurrenceStarts are the starts of the event's occurrences in the
    // document's order. No n-th occurrence: nothing happens (false);
    // otherwise as SetLevel with its start.
    bool SetOccurrenceLevel(const std::vector<ZafUTimeData>& occurrenceStarts, int n, int level);
    // Replaces the elements by copies of the other list's (the owner stays).
    void CopyFrom(const OrvCalHighlightsList& other);

private:
    OrvCalendarComponent* owner_ = nullptr;
};
