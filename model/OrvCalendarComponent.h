// In-memory iCalendar components. A component is a fat record: every
// property the program understands has a typed field here, the reader hands
// each parsed line to ApplyProperty, and the writer writes the fields back.
// Lines the writer would not reproduce from fields (properties without a
// field, blocks of unknown kinds, whole alarms, to-dos and zone definitions)
// are kept as they were read and written back unchanged, so a calendar of
// another program loses nothing by being saved here.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "model/OrvCalTables.h"
#include "model/OrvCalTime.h"
#include "model/OrvExtension.h"
#include "model/OrvRRule.h"
#include "platform/OrvElement.h"
#include "platform/OrvList.h"

class OrvCalendar;
class OrvAddress;

// Class ids of the model's own elements (the component classes use their
// component kind, see OrvCalTables.h).
enum {
    ORV_CALENDARCOMPONENT = 10025,
    ORV_CALENDARPROPERTY = 10040,
    ORV_CALENDARPARAM = 10041,
    ORV_CALPROPERTYELEMENT = 10042,
    ORV_CALPROPERTYLIST = 10043,
};

// Request modes of the Get operations.
enum { ORV_REQUEST_SUPPORTED = 1, ORV_REQUEST_VALUE = 2 };

// Results of Validate.
enum {
    ORV_INVALID_SCENE = -127,
    ORV_INVALID_CATEGORY = -128,
    ORV_INVALID_LOCATION = -129,
    ORV_INVALID_ORGANIZER = -130,
    ORV_INVALID_SUMMARY = -132,
};

// One parameter of a parsed line.
class OrvCalendarParam : public OrvElement {
    ORV_CLASS(OrvCalendarParam, ORV_CALENDARPARAM, OrvElement)
public:
    OrvCalendarParam(const std::string& name, const std::string& value);
    int kind = 0;
    std::string name;
    std::string value;
};

// One parsed line; lives only while the reader applies it.
class OrvCalendarProperty : public OrvElement {
    ORV_CLASS(OrvCalendarProperty, ORV_CALENDARPROPERTY, OrvElement)
public:
    OrvCalendarProperty(int kind, const std::string& name, const std::string& value);
    ~OrvCalendarProperty() override;
    OrvCalendarProperty(const OrvCalendarProperty&) = delete;
    OrvCalendarProperty& operator=(const OrvCalendarProperty&) = delete;

    void AddParam(const std::string& name, const std::string& value);
    // Value type of the first "VALUE" parameter; 0 without one.
    int ValueType() const;

    int kind = 0;
    std::vector<OrvCalendarParam*> params;
    std::string name;
    std::string value;
    // The parameters as written, from the first ';' to the value's ':'.
    std::string paramText;
};

// One scene or category.
class OrvCalPropertyElement : public OrvElement {
    ORV_CLASS(OrvCalPropertyElement, ORV_CALPROPERTYELEMENT, OrvElement)
public:
    OrvCalPropertyElement() = default;
    OrvCalPropertyElement(int id, const std::string& name) : id(id), name(name) {}
    int id = 0;
    std::string name;
};

// Owns its elements.
class OrvCalPropertyList : public OrvList {
    ORV_CLASS(OrvCalPropertyList, ORV_CALPROPERTYLIST, OrvList)
public:
    OrvCalPropertyList() = default;
    ~OrvCalPropertyList() override { Destroy(); }
    OrvCalPropertyElement* Item(int index) const { return static_cast<OrvCalPropertyElement*>(Get(index)); }
    OrvCalPropertyElement* Append(int id, const std::string& name)
    {
        return static_cast<OrvCalPropertyElement*>(Add(new OrvCalPropertyElement(id, name)));
    }
    // Appends a copy of every element of other.
    void AppendCopies(const OrvCalPropertyList& other);
};

using OrvStringVector = std::vector<std::string>;

// What a calendar text is written for. Local is the calendar file of the
// program (its own dialect, with zones, whole days and the lines of other
// programs); Upload is the text the portal reads (its dialect alone, local
// times); Export is RFC 5545 for other programs.
enum class OrvWriteMode { Local, Upload, Export };

// A time zone offset: sign character (blank until one is read), hours and
// minutes.
struct OrvTZOffset {
    char sign = ' ';
    int hours = 0;
    int minutes = 0;
};

class OrvCalendarComponent : public OrvElement {
    ORV_CLASS(OrvCalendarComponent, ORV_CALENDARCOMPONENT, OrvElement)
public:
    OrvCalendarComponent();
    ~OrvCalendarComponent() override;
    OrvCalendarComponent(const OrvCalendarComponent&) = delete;
    OrvCalendarComponent& operator=(const OrvCalendarComponent&) = delete;

    // Deep copy or null; only events can be copied.
    virtual OrvCalendarComponent* Clone() const { return nullptr; }
    // The component's own property lines. Blocks read from a text whose
    // every line is kept write those lines.
    virtual void WriteProperties(std::ostream& out, OrvWriteMode mode) const;
    void WriteProperties(std::ostream& out) const { WriteProperties(out, OrvWriteMode::Upload); }
    // Stores one parsed property into its field.
    virtual void ApplyProperty(const OrvCalendarProperty& property);
    // True when the line of a parsed property is to be kept as written,
    // because the writer does not reproduce it from fields.
    virtual bool KeepsLine(const OrvCalendarProperty& property) const { return true; }

    // Only kind 54 (the location record): fills it from an address book
    // entry; -1 for any other kind or without an entry.
    int SetLocationAddress(int kind, const OrvAddress* address, int flag);
    int GetCost(int ignored, OrvCost& cost, int mode) const;
    int GetStringList(int kind, OrvStringVector& list, int mode) const;
    int GetText(int kind, std::string& text, int mode) const;
    int GetCategories(OrvCalPropertyList& list) const;
    int GetScenes(OrvCalPropertyList& list) const;
    int SetCost(int ignored, const OrvCost& cost);
    int SetStringList(int kind, const OrvStringVector& list);
    int SetText(int kind, const char* text);
    int SetCategories(const OrvCalPropertyList& list);
    int SetScenes(const OrvCalPropertyList& list);
    // 0 or the first failing check (ORV_INVALID_*).
    int Validate() const;

    // Appends a child: it takes this component as parent and its document.
    OrvCalendarComponent* AddChild(OrvCalendarComponent* child);
    OrvCalendarComponent* Child(int index) const { return static_cast<OrvCalendarComponent*>(children.Get(index)); }
    // Sets the document of this component and of all its descendants.
    void SetDocument(OrvCalendar* document);

    std::string name;
    OrvCalendarComponent* parent = nullptr;
    OrvCalendar* document = nullptr;
    OrvList children;
    std::string uid;
    std::string status;
    std::string summary;
    std::string slogan;
    std::string userCategory;
    std::string location;
    std::string organizer;
    std::string description;
    std::string classification;
    std::string url;
    std::string comment;
    std::string tzName;
    OrvCalPropertyList scenes;
    OrvCalPropertyList categories;
    OrvCalImageList images;
    OrvCalDownloadList downloads;
    OrvCalTableList programme;
    OrvStringVector resources;
    OrvCalTime dtStart;
    OrvCalTime dtEnd;
    OrvCalTime dtStamp;
    OrvCalTime created;
    OrvPublish publish;
    std::vector<OrvCalTime> exDates;
    OrvCalTime lastModified;
    OrvRRule rrule;
    int sequence = 0;
    int percentComplete = 0;
    int priority = 0;
    OrvTZOffset tzOffsetFrom;
    OrvTZOffset tzOffsetTo;
    OrvCalTime recurrenceId;
    int32_t eventId = 0;
    OrvCost cost;
    OrvCalTableList costTable;
    OrvPerson locationRecord;
    std::vector<OrvPerson> djs;
    std::vector<OrvPerson> organizers;
    std::vector<OrvPerson> guests;
    OrvCalHighlightsList highlights;
    int supraRegional = 0;
    OrvLesson lesson;

    // Further dates of the event ("RDATE"), local time.
    std::vector<OrvCalTime> rDates;
    // "DURATION" as written, when the text gave one instead of DTEND.
    std::string duration;
    // Parameters of SUMMARY, LOCATION and DESCRIPTION as written
    // (";LANGUAGE=de", say), by property kind.
    std::vector<std::pair<int, std::string>> textParams;
    // Logical lines kept as they were read, in reading order.
    std::vector<std::string> keptLines;
    // Set by the reader: the block came from a text.
    bool readFromText = false;

    // The parameter text kept for a kind ("" for none).
    const std::string& TextParams(int kind) const;

protected:
    // Keeps the parameters of a text property for writing them back.
    void KeepTextParams(const OrvCalendarProperty& property);
    // Copies every base field except parent and children into copy.
    void CopyBaseInto(OrvCalendarComponent& copy) const;
};

class OrvVCALENDAR : public OrvCalendarComponent {
    ORV_CLASS(OrvVCALENDAR, ORV_VCALENDAR, OrvCalendarComponent)
public:
    OrvVCALENDAR() { name = "VCALENDAR"; }
    using OrvCalendarComponent::WriteProperties;
    void WriteProperties(std::ostream& out, OrvWriteMode mode) const override;
    void ApplyProperty(const OrvCalendarProperty& property) override;
    bool KeepsLine(const OrvCalendarProperty& property) const override;
    std::string prodId;
    std::string version;
    std::string method;
    std::string calScale;
};

class OrvVEVENT : public OrvCalendarComponent {
    ORV_CLASS(OrvVEVENT, ORV_VEVENT, OrvCalendarComponent)
public:
    OrvVEVENT() { name = "VEVENT"; }
    OrvCalendarComponent* Clone() const override;
    using OrvCalendarComponent::WriteProperties;
    void WriteProperties(std::ostream& out, OrvWriteMode mode) const override;
    void ApplyProperty(const OrvCalendarProperty& property) override;
    bool KeepsLine(const OrvCalendarProperty& property) const override;
    // DTEND, or DTSTART plus DURATION when the text gave a duration; a whole
    // day without either lasts one day.
    OrvCalTime EffectiveEnd() const;
    int transparency = 0;
};

class OrvVTODO : public OrvCalendarComponent {
    ORV_CLASS(OrvVTODO, ORV_VTODO, OrvCalendarComponent)
public:
    OrvVTODO() { name = "VTODO"; }
    using OrvCalendarComponent::WriteProperties;
    void WriteProperties(std::ostream& out, OrvWriteMode mode) const override;
    void ApplyProperty(const OrvCalendarProperty& property) override;
    OrvCalTime due;
};

class OrvVALARM : public OrvCalendarComponent {
    ORV_CLASS(OrvVALARM, ORV_VALARM, OrvCalendarComponent)
public:
    OrvVALARM() { name = "VALARM"; }
    using OrvCalendarComponent::WriteProperties;
    void WriteProperties(std::ostream& out, OrvWriteMode mode) const override;
    void ApplyProperty(const OrvCalendarProperty& property) override;
    std::string action;
    std::string trigger;
};

class OrvVTIMEZONE : public OrvCalendarComponent {
    ORV_CLASS(OrvVTIMEZONE, ORV_VTIMEZONE, OrvCalendarComponent)
public:
    OrvVTIMEZONE() { name = "VTIMEZONE"; }
    using OrvCalendarComponent::WriteProperties;
    void WriteProperties(std::ostream& out, OrvWriteMode mode) const override;
    void ApplyProperty(const OrvCalendarProperty& property) override;
    std::string tzId;
};

class OrvDAYLIGHT : public OrvCalendarComponent {
    ORV_CLASS(OrvDAYLIGHT, ORV_DAYLIGHT, OrvCalendarComponent)
public:
    OrvDAYLIGHT() { name = "DAYLIGHT"; }
    using OrvCalendarComponent::WriteProperties;
    void WriteProperties(std::ostream& out, OrvWriteMode mode) const override;
};

class OrvSTANDARD : public OrvCalendarComponent {
    ORV_CLASS(OrvSTANDARD, ORV_STANDARD, OrvCalendarComponent)
public:
    OrvSTANDARD() { name = "STANDARD"; }
    using OrvCalendarComponent::WriteProperties;
    void WriteProperties(std::ostream& out, OrvWriteMode mode) const override;
};

class OrvVFREEBUSY : public OrvCalendarComponent {
    ORV_CLASS(OrvVFREEBUSY, ORV_VFREEBUSY, OrvCalendarComponent)
public:
    OrvVFREEBUSY() { name = "VFREEBUSY"; }
};

class OrvVJOURNAL : public OrvCalendarComponent {
    ORV_CLASS(OrvVJOURNAL, ORV_VJOURNAL, OrvCalendarComponent)
public:
    OrvVJOURNAL() { name = "VJOURNAL"; }
};

// Date-time reading of a property value: DATE values (value type 4, or a
// bare eight-digit date) are read without a time part and marked as whole
// days; a trailing "Z" marks UTC and a TZID parameter names the zone. The
// value stays the written wall-clock time (inZone set) until the reader
// converts it to local time.
OrvCalTime OrvReadPropertyTime(const OrvCalendarProperty& property);
// The same for one token of a list value (EXDATE, RDATE).
OrvCalTime OrvReadPropertyTime(const OrvCalendarProperty& property, const std::string& token);
// Offset reading: an optional sign, two digits of hours, two of minutes;
// fields that are not read keep their value.
void OrvReadOffset(const char* text, OrvTZOffset& offset);
// Sign character, two-digit hours, two-digit minutes.
std::string OrvOffsetText(const OrvTZOffset& offset);
// Reads an RFC 5545 duration ("PT1H30M", "P1D", "-P2W") into seconds.
// False for text that is not one.
bool OrvReadDuration(const std::string& text, int64_t& seconds);
