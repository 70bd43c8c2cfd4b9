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

namespace {

std::string ParamValue(const OrvCalendarProperty& property, int kind)
{
    for (const OrvCalendarParam* param : property.params)
        if (param->kind == kind) {
            std::string value = param->value;
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
            return value;
        }
    return "";
}

bool EightDigits(const std::string& text)
{
    if (text.size() != 8) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

OrvCalTime OrvReadPropertyTime(const OrvCalendarProperty& property, const std::string& token)
{
    // A bare date is a whole day whether or not VALUE says so; reading it
    // as midnight would put an all-day event at 00:00.
    const bool date = property.ValueType() == ORVVALUE_DATE || EightDigits(token);
    OrvCalTime time = OrvReadDateTime(token, date);
    if (date) {
        time.dateOnly = true;
        return time;
    }
    if (!token.empty() && (token.back() == 'Z' || token.back() == 'z')) {
        time.utc = true;
        time.inZone = true;
        return time;
    }
    std::string zone = ParamValue(property, ORVPARAM_TZID);
    if (!zone.empty()) {
        time.zone = zone;
        time.inZone = true;
    }
    return time;
}

OrvCalTime OrvReadPropertyTime(const OrvCalendarProperty& property)
{
    return OrvReadPropertyTime(property, property.value);
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

const std::string& OrvCalendarComponent::TextParams(int kind) const
{
    static const std::string none;
    for (const auto& entry : textParams)
        if (entry.first == kind) return entry.second;
    return none;
}

void OrvCalendarComponent::KeepTextParams(const OrvCalendarProperty& property)
{
    for (auto& entry : textParams)
        if (entry.first == property.kind) {
            entry.second = property.paramText;
            return;
        }
    if (!property.paramText.empty()) textParams.emplace_back(property.kind, property.paramText);
}

void OrvCalendarComponent::ApplyProperty(const OrvCalendarProperty& property)
{
    const std::string& value = property.value;
    switch (property.kind) {
    case ORVP_CATEGORIES:
        // Names the configuration does not know, and categories already
        // there, add nothing: the line itself is kept with its names, and
        // reading it again must not grow the list.
        for (const std::string& token : OrvSplitTokens(value, ',')) {
            const int id = CategoryID(OrvUnescapeText(token));
            bool present = id == 0;
            for (int i = 0; i < categories.Count() && !present; ++i) present = categories.Item(i)->id == id;
            if (!present) categories.Append(id, token);
        }
        break;
    case ORVP_CLASS: classification = value; break;
    case ORVP_COMMENT: comment = value; break;
    case ORVP_LOCATION:
        location = value;
        KeepTextParams(property);
        break;
    case ORVP_STATUS: status = value; break;
    case ORVP_TZNAME: tzName = value; break;
    case ORVP_URL: url = value; break;
    case ORVP_UID: uid = value; break;
    case ORVP_DESCRIPTION:
        description = StripQuotes(value);
        KeepTextParams(property);
        break;
    case ORVP_SUMMARY:
        summary = StripQuotes(value);
        KeepTextParams(property);
        break;
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
        for (const std::string& token : OrvSplitTokens(value, ','))
            if (!token.empty()) exDates.push_back(OrvReadPropertyTime(property, token));
        break;
    case ORVP_RDATE:
        // Periods are kept as written; they add no date here.
        if (property.ValueType() == ORVVALUE_PERIOD) break;
        for (const std::string& token : OrvSplitTokens(value, ','))
            if (!token.empty()) rDates.push_back(OrvReadPropertyTime(property, token));
        break;
    case ORVP_DURATION: duration = value; break;
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
    copy.rDates = rDates;
    copy.duration = duration;
    copy.textParams = textParams;
    copy.keptLines = keptLines;
    copy.readFromText = readFromText;
}

// --- the component classes ------------------------------------------------------

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

bool OrvVCALENDAR::KeepsLine(const OrvCalendarProperty& property) const
{
    switch (property.kind) {
    case ORVP_CALSCALE:
    case ORVP_METHOD:
    case ORVP_PRODID:
    case ORVP_VERSION: return false;
    default: return true;
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

bool OrvVEVENT::KeepsLine(const OrvCalendarProperty& property) const
{
    switch (property.kind) {
    case ORVP_CREATED:
    case ORVP_LAST_MODIFIED:
    case ORVP_UID:
    case ORVP_SUMMARY:
    case ORVP_SLOGAN:
    case ORVP_USERCATEGORY:
    case ORVP_RRULE:
    case ORVP_RESOURCES:
    case ORVP_EXDATE:
    case ORVP_TRANSP:
    case ORVP_DTSTART:
    case ORVP_PRIORITY:
    case ORVP_DTEND:
    case ORVP_DURATION:
    case ORVP_RECURRENCE_ID:
    case ORVP_LOCATION:
    case ORVP_DESCRIPTION:
    case ORVP_SCENES:
    case ORVP_CATEGORIES_EXT:
    case ORVP_EVENTID:
    case ORVP_SUPRAREGIONAL:
    case ORVP_COST:
    case ORVP_COSTTABLE:
    case ORVP_LOCATION_EXT:
    case ORVP_ORGANIZER_EXT:
    case ORVP_GUEST:
    case ORVP_DJ:
    case ORVP_IMAGE:
    case ORVP_DOWNLOAD:
    case ORVP_PROGRAM:
    case ORVP_PUBLISH:
    case ORVP_HIGHLIGHTS: return false;
    // Written only while it names a subject.
    case ORVP_LESSON: return false;
    case ORVP_RDATE: return property.ValueType() == ORVVALUE_PERIOD;
    default: return true;
    }
}

OrvCalTime OrvVEVENT::EffectiveEnd() const
{
    if (dtEnd.IsSet()) return dtEnd;
    if (!dtStart.IsSet()) return dtEnd;
    OrvCalTime end = dtStart;
    if (!duration.empty()) {
        int64_t seconds = 0;
        if (OrvReadDuration(duration, seconds)) {
            end.AddSeconds(seconds);
            if (end.dateOnly && (end.Hour() || end.Minute() || end.Second())) end.dateOnly = false;
            return end;
        }
    }
    if (dtStart.dateOnly) end.AddDays(1);
    return end;
}

void OrvVTODO::ApplyProperty(const OrvCalendarProperty& property)
{
    if (property.kind == ORVP_DUE)
        due = OrvReadPropertyTime(property);
    else
        OrvCalendarComponent::ApplyProperty(property);
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

void OrvVTIMEZONE::ApplyProperty(const OrvCalendarProperty& property)
{
    if (property.kind == ORVP_TZID)
        tzId = property.value;
    else
        OrvCalendarComponent::ApplyProperty(property);
}

bool OrvReadDuration(const std::string& text, int64_t& seconds)
{
    // [+|-]P[nW] or [+|-]P[nD][T[nH][nM][nS]]
    size_t i = 0;
    int sign = 1;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) sign = text[i++] == '-' ? -1 : 1;
    if (i >= text.size() || text[i] != 'P') return false;
    ++i;
    bool inTime = false, any = false;
    int64_t total = 0;
    while (i < text.size()) {
        if (text[i] == 'T') {
            inTime = true;
            ++i;
            continue;
        }
        int64_t number = 0;
        int digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 12) {
            number = number * 10 + (text[i] - '0');
            ++i;
            ++digits;
        }
        if (!digits || i >= text.size()) return false;
        const char unit = text[i++];
        if (unit == 'W' && !inTime) total += number * 604800;
        else if (unit == 'D' && !inTime) total += number * 86400;
        else if (unit == 'H' && inTime) total += number * 3600;
        else if (unit == 'M' && inTime) total += number * 60;
        else if (unit == 'S' && inTime) total += number;
        else return false;
        any = true;
    }
    if (!any) return false;
    seconds = sign * total;
    return true;
}
