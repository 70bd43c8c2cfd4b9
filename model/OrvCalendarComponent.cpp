#include "model/OrvCalendarComponent.h"

#include <cctype>
#include <cstdio>

#include "base/OrvText.h"
#include "model/OrvCalReader.h"
#include "model/OrvCalendar.h"
#include "model/OrvModelLookup.h"
#include "model/OrvPairTokenizer.h"

// --- parsed lines -------------------------------------------------------------

OrvCalendarParam::OrvCalendarParam(const std::string& name, const std::string& value)
    : kind(OrvParameterKind(name.c_str())), name(name), value(value)
{
}

OrvCalendarProperty::OrvCalendarProperty(int kind, const std::string& name, const std::string& value)
    : kind(kind), name(name), value(value)
{
}

OrvCalendarProperty::~OrvCalendarProperty()
{
    for (OrvCalendarParam* param : params) delete param;
}

void OrvCalendarProperty::AddParam(const std::string& paramName, const std::string& paramValue)
{
    params.push_back(new OrvCalendarParam(paramName, paramValue));
}

int OrvCalendarProperty::ValueType() const
{
    for (const OrvCalendarParam* param : params)
        if (param->kind == ORVPARAM_VALUE) return OrvValueType(param->value.c_str());
    return 0;
}

void OrvCalPropertyList::AppendCopies(const OrvCalPropertyList& other)
{
    for (int i = 0; i < other.Count(); ++i) Append(other.Item(i)->id, other.Item(i)->name);
}

// --- value reading and writing ------------------------------------------------

OrvCalTime OrvReadPropertyTime(const OrvCalendarProperty& property)
{
    return OrvReadDateTime(property.value, property.ValueType() == ORVVALUE_DATE);
}

namespace {

bool TwoDigits(const char* text, int& result)
{
    if (!std::isdigit(static_cast<unsigned char>(text[0])) || !std::isdigit(static_cast<unsigned char>(text[1])))
        return false;
    result = (text[0] - '0') * 10 + (text[1] - '0');
    return true;
}

size_t Length(const char* text, size_t atMost)
{
    size_t n = 0;
    while (n < atMost && text[n]) ++n;
    return n;
}

}  // namespace

void OrvReadOffset(const char* text, OrvTZOffset& offset)
{
    if (!text) return;
    if (*text == '+' || *text == '-') offset.sign = *text++;
    if (Length(text, 2) < 2) return;
    TwoDigits(text, offset.hours);
    text += 2;
    if (Length(text, 2) < 2) return;
    TwoDigits(text, offset.minutes);
}

std::string OrvOffsetText(const OrvTZOffset& offset)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%c%s%d%02d", offset.sign, offset.hours < 10 ? "0" : "", offset.hours,
                  offset.minutes);
    return buffer;
}

namespace {

// Configuration ids are looked up by the window code page name.
int SceneID(const std::string& name) { return OrvLookupSceneID(OrvToSingleByte(name).c_str()); }
int CategoryID(const std::string& name) { return OrvLookupCategoryID(OrvToSingleByte(name).c_str()); }
std::string CategoryName(int id) { return OrvToUTF8(OrvLookupCategoryName(id)); }

std::string StripQuotes(const std::string& value)
{
    size_t begin = 0, end = value.size();
    while (begin < end && value[begin] == '"') ++begin;
    while (end > begin && value[end - 1] == '"') --end;
    return value.substr(begin, end - begin);
}

}  // namespace

// --- the component base -------------------------------------------------------

OrvCalendarComponent::OrvCalendarComponent()
{
    highlights.SetOwner(this);
}

OrvCalendarComponent::~OrvCalendarComponent()
{
    children.Destroy();
}

OrvCalendarComponent* OrvCalendarComponent::AddChild(OrvCalendarComponent* child)
{
    if (!child) return nullptr;
    child->parent = this;
    child->SetDocument(document);
    children.Add(child);
    return child;
}

void OrvCalendarComponent::SetDocument(OrvCalendar* owner)
{
    document = owner;
    for (OrvElement* e = children.First(); e; e = e->Next()) static_cast<OrvCalendarComponent*>(e)->SetDocument(owner);
}

void OrvCalendarComponent::ApplyProperty(const OrvCalendarProperty& property)
{
    const std::string& value = property.value;
    switch (property.kind) {
    case ORVP_CATEGORIES:
        for (const std::string& token : OrvSplitTokens(value, ',')) categories.Append(CategoryID(token), token);
        break;
    case ORVP_CLASS: classification = value; break;
    case ORVP_COMMENT: comment = value; break;
    case ORVP_LOCATION: location = value; break;
    case ORVP_STATUS: status = value; break;
    case ORVP_TZNAME: tzName = value; break;
    case ORVP_URL: url = value; break;
    case ORVP_UID: uid = value; break;
    case ORVP_DESCRIPTION: description = StripQuotes(value); break;
    case ORVP_SUMMARY: summary = StripQuotes(value); break;
    case ORVP_SLOGAN: slogan = StripQuotes(value); break;
    case ORVP_PERCENT_COMPLETE: percentComplete = OrvReadInt(value); break;
    case ORVP_PRIORITY: priority = OrvReadInt(value); break;
    case ORVP_SEQUENCE: sequence = OrvReadInt(value); break;
    case ORVP_RESOURCES:
        for (const std::string& token : OrvSplitTokens(value, ',')) resources.push_back(token);
        break;
    case ORVP_DTEND: dtEnd = OrvReadPropertyTime(property); break;
    case ORVP_DTSTART: dtStart = OrvReadPropertyTime(property); break;
    case ORVP_RECURRENCE_ID: recurrenceId = OrvReadPropertyTime(property); break;
    case ORVP_CREATED: created = OrvReadPropertyTime(property); break;
    case ORVP_DTSTAMP: dtStamp = OrvReadPropertyTime(property); break;
    case ORVP_LAST_MODIFIED: lastModified = OrvReadPropertyTime(property); break;
    case ORVP_TZOFFSETFROM: OrvReadOffset(value.c_str(), tzOffsetFrom); break;
    case ORVP_TZOFFSETTO: OrvReadOffset(value.c_str(), tzOffsetTo); break;
    case ORVP_EXDATE:
        // Always the date-time form: a date-only token gives midnight.
        for (const std::string& token : OrvSplitTokens(value, ',')) exDates.push_back(OrvReadDateTime(token));
        break;
    case ORVP_RRULE: rrule.Parse(value); break;
    case ORVP_SCENES:
        scenes.Destroy();
        for (std::string token : OrvSplitTokens(value, ',')) {
            // The portal's old numeric form of the one scene it had.
            if (token == "2") token = "salsa";
            scenes.Append(SceneID(token), token);
        }
        break;
    case ORVP_CATEGORIES_EXT:
        categories.Destroy();
        for (const std::string& token : OrvSplitTokens(value, ',')) {
            int id = OrvReadInt(token);
            if (id != 0)
                categories.Append(id, CategoryName(id));
            else
                categories.Append(CategoryID(token), token);
        }
        break;
    case ORVP_EVENTID: eventId = OrvReadInt(value); break;
    case ORVP_SUPRAREGIONAL: supraRegional = OrvReadInt(value); break;
    case ORVP_LOCATION_EXT: locationRecord.Parse(value); break;
    case ORVP_COST: cost.Parse(value); break;
    case ORVP_COSTTABLE: costTable.AddParsed(value); break;
    case ORVP_ORGANIZER_EXT:
    case ORVP_DJ:
    case ORVP_GUEST: {
        OrvPerson person;
        person.Parse(value);
        std::vector<OrvPerson>& target =
            property.kind == ORVP_ORGANIZER_EXT ? organizers : (property.kind == ORVP_DJ ? djs : guests);
        target.push_back(person);
        break;
    }
    case ORVP_LESSON: lesson.Parse(value); break;
    case ORVP_PUBLISH: publish.Parse(value); break;
    case ORVP_IMAGE: images.AddParsed(value); break;
    case ORVP_DOWNLOAD: downloads.AddParsed(value); break;
    case ORVP_HIGHLIGHTS: highlights.Parse(value); break;
    case ORVP_PROGRAM: programme.AddParsed(value); break;
    case ORVP_USERCATEGORY: userCategory = value; break;
    default: break;   // no field for it
    }
}

int OrvCalendarComponent::SetLocationAddress(int kind, const OrvAddress* address, int flag)
{
    if (kind != ORVP_LOCATION_EXT || !address) return -1;
    locationRecord = address->Person();
    return 0;
}

int OrvCalendarComponent::GetCost(int ignored, OrvCost& out, int mode) const
{
    if (mode == ORV_REQUEST_SUPPORTED) return 0;
    if (mode != ORV_REQUEST_VALUE) return -1;
    out = cost;
    out.perUnit = OrvToSingleByte(cost.perUnit);
    out.vvk = OrvToSingleByte(cost.vvk);
    out.ak = OrvToSingleByte(cost.ak);
    out.total = OrvToSingleByte(cost.total);
    out.text = OrvToSingleByte(cost.text);
    return 0;
}

int OrvCalendarComponent::SetCost(int ignored, const OrvCost& in)
{
    cost = in;
    cost.perUnit = OrvToUTF8(in.perUnit);
    cost.vvk = OrvToUTF8(in.vvk);
    cost.ak = OrvToUTF8(in.ak);
    cost.total = OrvToUTF8(in.total);
    cost.text = OrvToUTF8(in.text);
    return 0;
}

int OrvCalendarComponent::GetStringList(int kind, OrvStringVector& list, int mode) const
{
    if (kind != ORVP_RESOURCES && kind != ORVP_CATEGORIES) return -1;
    if (mode == ORV_REQUEST_SUPPORTED) return 0;
    if (mode != ORV_REQUEST_VALUE) return -1;
    if (kind == ORVP_RESOURCES)
        for (const std::string& resource : resources) list.push_back(OrvToSingleByte(resource));
    return 0;
}

int OrvCalendarComponent::SetStringList(int kind, const OrvStringVector& list)
{
    if (kind == ORVP_CATEGORIES) return 0;
    if (kind != ORVP_RESOURCES) return -1;
    resources.clear();
    for (const std::string& text : list) resources.push_back(OrvToUTF8(text));
    return 0;
}

int OrvCalendarComponent::GetText(int kind, std::string& text, int mode) const
{
    const std::string* value = nullptr;
    std::string documentName;
    switch (kind) {
    case ORVP_CLASS: value = &classification; break;
    case ORVP_COMMENT: value = &comment; break;
    case ORVP_DESCRIPTION: value = &description; break;
    case ORVP_LOCATION: value = &location; break;
    case ORVP_STATUS: value = &status; break;
    case ORVP_SUMMARY: value = &summary; break;
    case ORVP_TZNAME: value = &tzName; break;
    case ORVP_CALNAME:
        if (document) documentName = document->name;
        value = &documentName;
        break;
    case ORVP_SLOGAN: value = &slogan; break;
    case ORVP_USERCATEGORY: value = &userCategory; break;
    default: return -1;
    }
    if (mode == ORV_REQUEST_SUPPORTED) return 0;
    if (mode != ORV_REQUEST_VALUE) return -1;
    text = OrvToSingleByte(OrvUnescapeText(*value));
    return 0;
}

int OrvCalendarComponent::SetText(int kind, const char* text)
{
    std::string utf8 = OrvSingleByteToUTF8(text ? text : "");
    switch (kind) {
    case ORVP_CLASS: classification = utf8; break;
    case ORVP_COMMENT: comment = utf8; break;
    case ORVP_DESCRIPTION: description = OrvReplaceAll(utf8.c_str(), "#n", "\r\n"); break;
    case ORVP_LOCATION: location = utf8; break;
    case ORVP_STATUS: status = utf8; break;
    case ORVP_SUMMARY: summary = utf8; break;
    case ORVP_TZNAME: tzName = utf8; break;
    case ORVP_ORGANIZER: organizer = utf8; break;
    case ORVP_SLOGAN: slogan = utf8; break;
    case ORVP_USERCATEGORY: userCategory = utf8; break;
    default: break;
    }
    return 0;
}

int OrvCalendarComponent::GetCategories(OrvCalPropertyList& list) const
{
    list.AppendCopies(categories);
    return 0;
}

int OrvCalendarComponent::GetScenes(OrvCalPropertyList& list) const
{
    list.AppendCopies(scenes);
    return 0;
}

int OrvCalendarComponent::SetCategories(const OrvCalPropertyList& list)
{
    if (&list == &categories) return 0;
    categories.Destroy();
    categories.AppendCopies(list);
    return 0;
}

int OrvCalendarComponent::SetScenes(const OrvCalPropertyList& list)
{
    if (&list == &scenes) return 0;
    scenes.Destroy();
    scenes.AppendCopies(list);
    return 0;
}

int OrvCalendarComponent::Validate() const
{
    if (scenes.Count() == 0 || scenes.Item(0)->id == 0) return ORV_INVALID_SCENE;
    if (categories.Count() == 0 || categories.Item(0)->id == 0) return ORV_INVALID_CATEGORY;
    if (summary.size() < 2) return ORV_INVALID_SUMMARY;
    if (locationRecord.id == 0) return ORV_INVALID_LOCATION;
    if (organizers.empty() || organizers.front().id == 0) return ORV_INVALID_ORGANIZER;
    return 0;
}

void OrvCalendarComponent::CopyBaseInto(OrvCalendarComponent& copy) const
{
    copy.name = name;
    copy.document = document;
    copy.uid = uid;
    copy.status = status;
    copy.summary = summary;
    copy.slogan = slogan;
    copy.userCategory = userCategory;
    copy.location = location;
    copy.organizer = organizer;
    copy.description = description;
    copy.classification = classification;
    copy.url = url;
    copy.comment = comment;
    copy.tzName = tzName;
    copy.scenes.Destroy();
    copy.scenes.AppendCopies(scenes);
    copy.categories.Destroy();
    copy.categories.AppendCopies(categories);
    copy.images.CopyFrom(images);
    copy.downloads.CopyFrom(downloads);
    copy.programme.CopyFrom(programme);
    copy.resources = resources;
    copy.dtStart = dtStart;
    copy.dtEnd = dtEnd;
    copy.dtStamp = dtStamp;
    copy.created = created;
    copy.publish = publish;
    copy.exDates = exDates;
    copy.lastModified = lastModified;
    copy.rrule = rrule;
    copy.sequence = sequence;
    copy.percentComplete = percentComplete;
    copy.priority = priority;
    copy.tzOffsetFrom = tzOffsetFrom;
    copy.tzOffsetTo = tzOffsetTo;
    copy.recurrenceId = recurrenceId;
    copy.eventId = eventId;
    copy.cost = cost;
    copy.costTable.CopyFrom(costTable);
    copy.locationRecord = locationRecord;
    copy.djs = djs;
    copy.organizers = organizers;
    copy.guests = guests;
    copy.highlights.CopyFrom(highlights);
    copy.supraRegional = supraRegional;
    copy.lesson = lesson;
}

// --- writing ------------------------------------------------------------------

namespace {

void Line(std::ostream& out, const char* name, const std::string& value)
{
    out << name << ':' << value << '\n' << std::flush;
}

void TimeLine(std::ostream& out, const char* name, const OrvCalTime& time) { Line(out, name, time.Text()); }

void IntLine(std::ostream& out, const char* name, long long value) { Line(out, name, std::to_string(value)); }

std::string JoinNames(const OrvCalPropertyList& list)
{
    std::string joined;
    for (int i = 0; i < list.Count(); ++i) {
        if (i) joined += ',';
        joined += list.Item(i)->name;
    }
    return joined;
}

std::string JoinIds(const OrvCalPropertyList& list)
{
    std::string joined;
    for (int i = 0; i < list.Count(); ++i) {
        if (i) joined += ',';
        joined += std::to_string(list.Item(i)->id);
    }
    return joined;
}

template <class T, class F>
std::string JoinWith(const std::vector<T>& items, F text)
{
    std::string joined;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) joined += ',';
        joined += text(items[i]);
    }
    return joined;
}

}  // namespace

void OrvVCALENDAR::WriteProperties(std::ostream& out) const
{
    Line(out, "PRODID", prodId);
    Line(out, "VERSION", version);
    if (!method.empty()) Line(out, "METHOD", method);
    if (!calScale.empty()) Line(out, "CALSCALE", calScale);
}

void OrvVCALENDAR::ApplyProperty(const OrvCalendarProperty& property)
{
    // Only the calendar's own four properties; nothing reaches the base.
    switch (property.kind) {
    case ORVP_CALSCALE: calScale = property.value; break;
    case ORVP_METHOD: method = property.value; break;
    case ORVP_PRODID: prodId = property.value; break;
    case ORVP_VERSION: version = property.value; break;
    default: break;
    }
}

OrvCalendarComponent* OrvVEVENT::Clone() const
{
    OrvVEVENT* copy = new OrvVEVENT;
    CopyBaseInto(*copy);
    copy->transparency = transparency;
    return copy;
}

void OrvVEVENT::ApplyProperty(const OrvCalendarProperty& property)
{
    if (property.kind == ORVP_TRANSP)
        transparency = OrvTransparency(property.value.c_str());
    else if (property.kind != ORVP_ATTENDEE)
        OrvCalendarComponent::ApplyProperty(property);
}

void OrvVEVENT::WriteProperties(std::ostream& out) const
{
    TimeLine(out, "CREATED", created);
    TimeLine(out, "LAST-MODIFIED", lastModified);
    Line(out, "UID", uid);
    Line(out, "SUMMARY", summary);
    if (!slogan.empty()) Line(out, "X-ORV-SLOGAN", slogan);
    if (!userCategory.empty()) Line(out, "X-ORV-USERCATEGORY", userCategory);
    if (rrule.frequency != 0) Line(out, "RRULE", rrule.Write());
    if (!resources.empty()) Line(out, "RESOURCES", JoinWith(resources, [](const std::string& s) { return s; }));
    if (!exDates.empty()) Line(out, "EXDATE", JoinWith(exDates, [](const OrvCalTime& t) { return t.Text(); }));
    if (transparency != 0) Line(out, "TRANSP", OrvTableName(OrvTransparencyTable(), transparency));
    TimeLine(out, "DTSTART", dtStart);
    if (priority != 0) IntLine(out, "PRIORITY", priority);
    TimeLine(out, "DTEND", dtEnd);
    // Without it a replaced occurrence would come back beside its
    // replacement after the next load.
    if (recurrenceId.IsSet()) TimeLine(out, "RECURRENCE-ID", recurrenceId);
    Line(out, "LOCATION", location);
    Line(out, "DESCRIPTION", OrvEscapeText(description));
    if (scenes.Count()) Line(out, "X-ORV-SCENES", JoinNames(scenes));
    if (categories.Count()) Line(out, "X-ORV-CATEGORIES", JoinIds(categories));
    IntLine(out, "X-ORV-EVENTID", eventId);
    if (supraRegional != 0) IntLine(out, "X-ORV-SUPRAREGIONAL", supraRegional);
    Line(out, "X-ORV-COST", cost.Format());
    for (int i = 0; i < costTable.Count(); ++i) Line(out, "X-ORV-COSTTABLE", costTable.Row(i)->Format());
    Line(out, "X-ORV-LOCATION", locationRecord.Format());
    for (const OrvPerson& person : organizers) Line(out, "X-ORV-ORGANIZER", person.Format());
    for (const OrvPerson& person : guests) Line(out, "X-ORV-GUEST", person.Format());
    for (const OrvPerson& person : djs) Line(out, "X-ORV-DJ", person.Format());
    if (!lesson.subject.empty()) Line(out, "X-ORV-LESSON", lesson.Format());
    for (int i = 0; i < images.Count(); ++i) Line(out, "X-ORV-IMAGE", images.Element(i)->Format());
    for (int i = 0; i < downloads.Count(); ++i) Line(out, "X-ORV-DOWNLOAD", downloads.Element(i)->Format());
    for (int i = 0; i < programme.Count(); ++i) Line(out, "X-ORV-PROGRAM", programme.Row(i)->Format());
    Line(out, "X-ORV-PUBLISH", publish.Format());
    Line(out, "X-ORV-HIGHLIGHTS", highlights.Format());
}

void OrvVTODO::ApplyProperty(const OrvCalendarProperty& property)
{
    if (property.kind == ORVP_DUE)
        due = OrvReadPropertyTime(property);
    else
        OrvCalendarComponent::ApplyProperty(property);
}

void OrvVTODO::WriteProperties(std::ostream& out) const
{
    TimeLine(out, "CREATED", created);
    TimeLine(out, "LAST-MODIFIED", lastModified);
    TimeLine(out, "DTSTAMP", dtStamp);
    Line(out, "UID", uid);
    Line(out, "SUMMARY", summary);
    Line(out, "STATUS", status);
    if (rrule.frequency != 0) Line(out, "RRULE", rrule.Write());
    if (categories.Count()) Line(out, "CATEGORIES", JoinNames(categories));
    TimeLine(out, "DTSTART", dtStart);
    TimeLine(out, "DUE", due);
    Line(out, "LOCATION", location);
    Line(out, "X-ORV-LOCATION", locationRecord.Format());
    if (percentComplete != 0) IntLine(out, "PERCENT-COMPLETE", percentComplete);
    if (priority != 0) IntLine(out, "PRIORITY", priority);
    Line(out, "DESCRIPTION", description);
}

void OrvVALARM::ApplyProperty(const OrvCalendarProperty& property)
{
    if (property.kind == ORVP_ACTION)
        action = property.value;
    else if (property.kind == ORVP_TRIGGER)
        trigger = property.value;
    else
        OrvCalendarComponent::ApplyProperty(property);
}

void OrvVALARM::WriteProperties(std::ostream& out) const
{
    Line(out, "ACTION", action);
    Line(out, "TRIGGER", trigger);
    Line(out, "DESCRIPTION", description);
}

void OrvVTIMEZONE::ApplyProperty(const OrvCalendarProperty& property)
{
    if (property.kind == ORVP_TZID)
        tzId = property.value;
    else
        OrvCalendarComponent::ApplyProperty(property);
}

void OrvVTIMEZONE::WriteProperties(std::ostream& out) const
{
    Line(out, "TZID", tzId);
}

namespace {

void WriteZoneRule(const OrvCalendarComponent& rule, std::ostream& out)
{
    Line(out, "TZOFFSETFROM", OrvOffsetText(rule.tzOffsetFrom));
    Line(out, "TZOFFSETTO", OrvOffsetText(rule.tzOffsetTo));
    Line(out, "TZNAME", rule.tzName);
    TimeLine(out, "DTSTART", rule.dtStart);
    Line(out, "RRULE", rule.rrule.Write());
}

}  // namespace

void OrvDAYLIGHT::WriteProperties(std::ostream& out) const { WriteZoneRule(*this, out); }
void OrvSTANDARD::WriteProperties(std::ostream& out) const { WriteZoneRule(*this, out); }
