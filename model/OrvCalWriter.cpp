// Property lines of the component classes, in the program's own dialect
// (the calendar file and the portal's upload text), and the RFC 5545 export
// for other programs.

#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>
#include <set>
#include <sstream>

#include "model/OrvCalReader.h"
#include "model/OrvCalZone.h"
#include "model/OrvCalendar.h"
#include "model/OrvCalendarComponent.h"

namespace {

// Every value goes out on one logical line: a line break inside it would
// end the property and start whatever the next line says.
std::string OneLine(const std::string& value)
{
    if (value.find_first_of("\r\n") == std::string::npos) return value;
    std::string out;
    out.reserve(value.size() + 8);
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r') {
            if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
            out += "\\n";
        } else if (value[i] == '\n') {
            out += "\\n";
        } else {
            out += value[i];
        }
    }
    return out;
}

void Line(std::ostream& out, const char* name, const std::string& value, const std::string& params = std::string())
{
    out << name << params << ':' << OneLine(value) << '\n' << std::flush;
}

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

// A parameter value, quoted when it holds a character that ends one.
std::string ParamValue(const std::string& value)
{
    std::string clean;
    for (char c : value)
        if (c != '"' && c != '\r' && c != '\n') clean += c;
    return clean.find_first_of(":;,") == std::string::npos ? clean : "\"" + clean + "\"";
}

// A time in the form it was written in: a whole day, UTC, its zone or
// floating. Unset times keep the dialect's zero form.
std::string LocalTimeValue(const OrvCalTime& t, const OrvZones& zones, std::string& params)
{
    params.clear();
    if (!t.IsSet()) return t.Text();
    if (t.dateOnly) {
        params = ";VALUE=DATE";
        return t.DateText();
    }
    ZafUTimeData value = t;
    // A time still in its zone (never made local) goes out as it came.
    if (t.utc) {
        if (!t.inZone) zones.FromLocal(t, value);
        return OrvCalTime(value).Text() + "Z";
    }
    if (!t.zone.empty()) {
        if (!t.inZone) zones.FromLocal(t, value);   // a zone nobody knows was never converted
        params = ";TZID=" + ParamValue(t.zone);
    }
    return OrvCalTime(value).Text();
}

void TimeLine(std::ostream& out, OrvWriteMode mode, const OrvZones& zones, const char* name, const OrvCalTime& t)
{
    if (mode == OrvWriteMode::Upload) {
        Line(out, name, t.Text());
        return;
    }
    std::string params;
    std::string value = LocalTimeValue(t, zones, params);
    Line(out, name, value, params);
}

// Lists of times go out as one line per form, in the order of their first
// member, so that each line's parameters fit all its values.
void TimeListLines(std::ostream& out, OrvWriteMode mode, const OrvZones& zones, const char* name,
                   const std::vector<OrvCalTime>& times)
{
    if (times.empty()) return;
    if (mode == OrvWriteMode::Upload) {
        Line(out, name, JoinWith(times, [](const OrvCalTime& t) { return t.Text(); }));
        return;
    }
    std::vector<bool> done(times.size(), false);
    for (size_t i = 0; i < times.size(); ++i) {
        if (done[i]) continue;
        std::string params, joined;
        for (size_t j = i; j < times.size(); ++j) {
            if (done[j] || !times[j].SameForm(times[i])) continue;
            done[j] = true;
            std::string p;
            if (!joined.empty()) joined += ',';
            joined += LocalTimeValue(times[j], zones, p);
            params = p;
        }
        Line(out, name, joined, params);
    }
}

std::string UntilValue(const OrvRRule& rule, const OrvZones& zones, OrvWriteMode mode)
{
    if (!rule.until.IsSet()) return "";
    if (mode == OrvWriteMode::Upload) return rule.until.Text();
    if (rule.until.dateOnly) return rule.until.DateText();
    if (rule.until.utc) {
        ZafUTimeData value = rule.until;
        zones.FromLocal(rule.until, value);
        return OrvCalTime(value).Text() + "Z";
    }
    return rule.until.Text();
}

void KeptLines(std::ostream& out, const OrvCalendarComponent& component)
{
    for (const std::string& line : component.keptLines) out << line << '\n' << std::flush;
}

// The extension lines of an event, in writing order.
std::vector<std::pair<const char*, std::string>> ExtensionLines(const OrvCalendarComponent& e)
{
    std::vector<std::pair<const char*, std::string>> lines;
    if (e.scenes.Count()) lines.emplace_back("X-ORV-SCENES", JoinNames(e.scenes));
    if (e.categories.Count()) lines.emplace_back("X-ORV-CATEGORIES", JoinIds(e.categories));
    lines.emplace_back("X-ORV-EVENTID", std::to_string(e.eventId));
    if (e.supraRegional != 0) lines.emplace_back("X-ORV-SUPRAREGIONAL", std::to_string(e.supraRegional));
    lines.emplace_back("X-ORV-COST", e.cost.Format());
    for (int i = 0; i < e.costTable.Count(); ++i) lines.emplace_back("X-ORV-COSTTABLE", e.costTable.Row(i)->Format());
    lines.emplace_back("X-ORV-LOCATION", e.locationRecord.Format());
    for (const OrvPerson& person : e.organizers) lines.emplace_back("X-ORV-ORGANIZER", person.Format());
    for (const OrvPerson& person : e.guests) lines.emplace_back("X-ORV-GUEST", person.Format());
    for (const OrvPerson& person : e.djs) lines.emplace_back("X-ORV-DJ", person.Format());
    if (!e.lesson.subject.empty()) lines.emplace_back("X-ORV-LESSON", e.lesson.Format());
    for (int i = 0; i < e.images.Count(); ++i) lines.emplace_back("X-ORV-IMAGE", e.images.Element(i)->Format());
    for (int i = 0; i < e.downloads.Count(); ++i) lines.emplace_back("X-ORV-DOWNLOAD", e.downloads.Element(i)->Format());
    for (int i = 0; i < e.programme.Count(); ++i) lines.emplace_back("X-ORV-PROGRAM", e.programme.Row(i)->Format());
    lines.emplace_back("X-ORV-PUBLISH", e.publish.Format());
    lines.emplace_back("X-ORV-HIGHLIGHTS", e.highlights.Format());
    return lines;
}

// True when DURATION still gives the event's end: then it is written as it
// came instead of DTEND.
bool EndIsDuration(const OrvCalendarComponent& e)
{
    if (e.duration.empty() || !e.dtStart.IsSet()) return false;
    int64_t seconds = 0;
    if (!OrvReadDuration(e.duration, seconds)) return false;
    if (!e.dtEnd.IsSet()) return true;
    ZafUTimeData end = e.dtStart;
    end.AddSeconds(seconds);
    return end == e.dtEnd;
}

// Blocks whose every line is kept write those lines when they came from a
// text; otherwise (made by the program) their fields.
bool WritesKept(const OrvCalendarComponent& c, OrvWriteMode mode) { return mode != OrvWriteMode::Upload && c.readFromText; }

}  // namespace

void OrvCalendarComponent::WriteProperties(std::ostream& out, OrvWriteMode mode) const
{
    if (WritesKept(*this, mode)) KeptLines(out, *this);
}

void OrvVCALENDAR::WriteProperties(std::ostream& out, OrvWriteMode mode) const
{
    Line(out, "PRODID", prodId);
    Line(out, "VERSION", version);
    if (!method.empty()) Line(out, "METHOD", method);
    if (!calScale.empty()) Line(out, "CALSCALE", calScale);
    if (mode != OrvWriteMode::Upload) KeptLines(out, *this);
}

void OrvVEVENT::WriteProperties(std::ostream& out, OrvWriteMode mode) const
{
    const OrvZones& zones = OrvZonesOf(this);
    const bool local = mode != OrvWriteMode::Upload;
    auto params = [&](int kind) { return local ? TextParams(kind) : std::string(); };
    TimeLine(out, mode, zones, "CREATED", created);
    TimeLine(out, mode, zones, "LAST-MODIFIED", lastModified);
    Line(out, "UID", uid);
    Line(out, "SUMMARY", summary, params(ORVP_SUMMARY));
    if (!slogan.empty()) Line(out, "X-ORV-SLOGAN", slogan);
    if (!userCategory.empty()) Line(out, "X-ORV-USERCATEGORY", userCategory);
    if (rrule.frequency != 0) Line(out, "RRULE", rrule.Write(UntilValue(rrule, zones, mode)));
    if (!resources.empty()) Line(out, "RESOURCES", JoinWith(resources, [](const std::string& s) { return s; }));
    TimeListLines(out, mode, zones, "EXDATE", exDates);
    if (transparency != 0) Line(out, "TRANSP", OrvTableName(OrvTransparencyTable(), transparency));
    TimeLine(out, mode, zones, "DTSTART", dtStart);
    if (priority != 0) IntLine(out, "PRIORITY", priority);
    if (local && EndIsDuration(*this))
        Line(out, "DURATION", duration);
    else
        TimeLine(out, mode, zones, "DTEND", mode == OrvWriteMode::Upload ? EffectiveEnd() : dtEnd);
    // Without it a replaced occurrence would come back beside its
    // replacement after the next load.
    if (recurrenceId.IsSet()) TimeLine(out, mode, zones, "RECURRENCE-ID", recurrenceId);
    if (local) TimeListLines(out, mode, zones, "RDATE", rDates);
    Line(out, "LOCATION", location, params(ORVP_LOCATION));
    Line(out, "DESCRIPTION", OrvEscapeText(description), params(ORVP_DESCRIPTION));
    for (const auto& line : ExtensionLines(*this)) Line(out, line.first, line.second);
    if (local) KeptLines(out, *this);
}

void OrvVTODO::WriteProperties(std::ostream& out, OrvWriteMode mode) const
{
    if (WritesKept(*this, mode)) {
        KeptLines(out, *this);
        return;
    }
    const OrvZones& zones = OrvZonesOf(this);
    TimeLine(out, mode, zones, "CREATED", created);
    TimeLine(out, mode, zones, "LAST-MODIFIED", lastModified);
    TimeLine(out, mode, zones, "DTSTAMP", dtStamp);
    Line(out, "UID", uid);
    Line(out, "SUMMARY", summary);
    Line(out, "STATUS", status);
    if (rrule.frequency != 0) Line(out, "RRULE", rrule.Write());
    if (categories.Count()) Line(out, "CATEGORIES", JoinNames(categories));
    TimeLine(out, mode, zones, "DTSTART", dtStart);
    TimeLine(out, mode, zones, "DUE", due);
    Line(out, "LOCATION", location);
    Line(out, "X-ORV-LOCATION", locationRecord.Format());
    if (percentComplete != 0) IntLine(out, "PERCENT-COMPLETE", percentComplete);
    if (priority != 0) IntLine(out, "PRIORITY", priority);
    Line(out, "DESCRIPTION", description);
}

void OrvVALARM::WriteProperties(std::ostream& out, OrvWriteMode mode) const
{
    if (WritesKept(*this, mode)) {
        KeptLines(out, *this);
        return;
    }
    Line(out, "ACTION", action);
    Line(out, "TRIGGER", trigger);
    Line(out, "DESCRIPTION", description);
}

void OrvVTIMEZONE::WriteProperties(std::ostream& out, OrvWriteMode mode) const
{
    if (WritesKept(*this, mode)) {
        KeptLines(out, *this);
        return;
    }
    Line(out, "TZID", tzId);
}

namespace {

void WriteZoneRule(const OrvCalendarComponent& rule, std::ostream& out, OrvWriteMode mode)
{
    if (WritesKept(rule, mode)) {
        KeptLines(out, rule);
        return;
    }
    Line(out, "TZOFFSETFROM", OrvOffsetText(rule.tzOffsetFrom));
    Line(out, "TZOFFSETTO", OrvOffsetText(rule.tzOffsetTo));
    Line(out, "TZNAME", rule.tzName);
    Line(out, "DTSTART", rule.dtStart.Text());
    Line(out, "RRULE", rule.rrule.Write());
}

}  // namespace

void OrvDAYLIGHT::WriteProperties(std::ostream& out, OrvWriteMode mode) const { WriteZoneRule(*this, out, mode); }
void OrvSTANDARD::WriteProperties(std::ostream& out, OrvWriteMode mode) const { WriteZoneRule(*this, out, mode); }

// --- RFC 5545 export ----------------------------------------------------------------

namespace {

// One content line taken apart: name, parameters (values without their
// quotes) and value.
struct ContentLine {
    std::string name;
    std::vector<std::pair<std::string, std::string>> params;
    std::string value;

    bool Parse(const std::string& line)
    {
        size_t i = 0;
        while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '-')) ++i;
        if (i == 0) return false;
        name = line.substr(0, i);
        while (i < line.size() && line[i] == ';') {
            size_t equals = line.find('=', i + 1);
            if (equals == std::string::npos) return false;
            std::string key = line.substr(i + 1, equals - i - 1);
            for (char c : key)
                if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return false;
            i = equals + 1;
            std::string v;
            bool quoted = false;
            while (i < line.size()) {
                const char c = line[i];
                if (c == '"') {
                    quoted = !quoted;
                } else if (!quoted && (c == ';' || c == ':')) {
                    break;
                } else {
                    v += c;
                }
                ++i;
            }
            params.emplace_back(key, v);
        }
        if (i >= line.size() || line[i] != ':') return false;
        value = line.substr(i + 1);
        return true;
    }

    std::string Param(const std::string& key) const
    {
        for (const auto& p : params)
            if (Upper(p.first) == key) return p.second;
        return "";
    }
    bool HasParam(const std::string& key) const
    {
        for (const auto& p : params)
            if (Upper(p.first) == key) return true;
        return false;
    }
    static std::string Upper(std::string text)
    {
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    }
};

// Text as the user reads it, escaped for other programs.
std::string StandardText(const std::string& stored)
{
    const std::string shown = OrvUnescapeText(stored);
    std::string out;
    out.reserve(shown.size() + 8);
    for (size_t i = 0; i < shown.size(); ++i) {
        const char c = shown[i];
        switch (c) {
        case '\\': out += "\\\\"; break;
        case ';': out += "\\;"; break;
        case ',': out += "\\,"; break;
        case '\r':
            if (i + 1 < shown.size() && shown[i + 1] == '\n') ++i;
            out += "\\n";
            break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

std::string OffsetText(int32_t seconds)
{
    char buffer[16];
    const int32_t a = seconds < 0 ? -seconds : seconds;
    if (a % 60)
        std::snprintf(buffer, sizeof buffer, "%c%02d%02d%02d", seconds < 0 ? '-' : '+', a / 3600, a / 60 % 60, a % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%c%02d%02d", seconds < 0 ? '-' : '+', a / 3600, a / 60 % 60);
    return buffer;
}

std::string NowStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts {};
    gmtime_r(&now, &parts);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &parts);
    return buffer;
}

class Exporter {
public:
    explicit Exporter(const OrvCalendar& document) : document_(document), zones_(document.zones) {}

    std::string Run()
    {
        std::string calendarLines;
        const OrvVCALENDAR* first = nullptr;
        for (OrvElement* e = document_.components.First(); e; e = e->Next()) {
            const OrvCalendarComponent* c = static_cast<OrvCalendarComponent*>(e);
            if (!c->IsA(ORV_VCALENDAR)) continue;
            if (!first) first = static_cast<const OrvVCALENDAR*>(c);
            // One calendar block for other programs, whatever the file had.
            for (const std::string& line : c->keptLines) calendarLines += Kept(line, ORV_VCALENDAR);
            for (OrvElement* child = c->children.First(); child; child = child->Next())
                Component(*static_cast<OrvCalendarComponent*>(child));
        }
        std::string head;
        head += Fold("BEGIN:VCALENDAR");
        head += Fold("VERSION:2.0");
        head += Fold("PRODID:-//OrvCalendar//OrvCalendar 1.0//DE");
        if (first && !first->calScale.empty()) head += Fold("CALSCALE:" + OneLine(first->calScale));
        // No METHOD: the file is a calendar, not a scheduling message.
        head += calendarLines;
        for (const std::string& id : databaseZones_) head += DatabaseZone(id);
        for (const std::string& tzid : fileZones_) head += FileZone(tzid);
        return head + body_ + Fold("END:VCALENDAR");
    }

private:
    // A content line folded at 75 octets, never inside a UTF-8 character.
    static std::string Fold(const std::string& line)
    {
        std::string out;
        size_t position = 0;
        size_t room = 75;
        while (line.size() - position > room) {
            size_t cut = position + room;
            while (cut > position + 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
            out.append(line, position, cut - position);
            out += "\n ";
            position = cut;
            room = 74;
        }
        out.append(line, position, std::string::npos);
        out += '\n';
        return out;
    }

    void Put(const std::string& name, const std::string& params, const std::string& value)
    {
        body_ += Fold(name + params + ":" + value);
    }

    // A local time in the form of `form`, noting the zone it needs.
    std::string TimeIn(const OrvCalTime& form, const ZafUTimeData& local, std::string& params)
    {
        params.clear();
        if (form.dateOnly) {
            params = ";VALUE=DATE";
            return OrvCalTime(local).DateText();
        }
        ZafUTimeData value = local;
        if (form.utc) {
            zones_.FromLocal(form, value);
            return OrvCalTime(value).Text() + "Z";
        }
        if (!form.zone.empty() && zones_.Find(form.zone)) {
            zones_.FromLocal(form, value);
            params = ";TZID=" + ParamValue(NeedZone(form.zone));
        }
        return OrvCalTime(value).Text();
    }

    // The TZID to write for a zone, and the definition to go with it.
    std::string NeedZone(const std::string& tzid)
    {
        const std::string id = OrvZones::DatabaseId(tzid);
        if (!id.empty()) {
            databaseZones_.insert(id);
            return id;
        }
        fileZones_.insert(tzid);
        return tzid;
    }

    std::string UtcStamp(const OrvCalTime& t)
    {
        ZafUTimeData value = t;
        if (t.utc) {
            zones_.FromLocal(t, value);
        } else {
            OrvCalTime asUtc;
            asUtc.utc = true;
            zones_.FromLocal(asUtc, value);
        }
        return OrvCalTime(value).Text() + "Z";
    }

    // The day of a local time in the frame the event repeats in, at the
    // event's start time: the instant other programs compare exceptions
    // with (the program itself compares days).
    std::string OnStartTime(const OrvCalendarComponent& event, const OrvCalTime& day, std::string& params)
    {
        const OrvCalTime& start = event.dtStart;
        if (start.dateOnly) return TimeIn(start, day, params);
        const OrvZoneTable* frame = zones_.TableOf(start);
        const OrvZoneTable& local = OrvZones::Local();
        auto toFrame = [&](const ZafUTimeData& t) {
            return frame ? OrvFromWallSeconds(frame->FromUtc(local.ToUtc(OrvWallSeconds(t)))) : t;
        };
        const ZafUTimeData d = toFrame(day), s = toFrame(start);
        ZafUTimeData onTime(d.Year(), d.Month(), d.Day(), s.Hour(), s.Minute(), s.Second(), 0);
        ZafUTimeData back = frame ? OrvFromWallSeconds(local.FromUtc(frame->ToUtc(OrvWallSeconds(onTime)))) : onTime;
        return TimeIn(start, back, params);
    }

    void TimeList(const char* name, const OrvCalendarComponent& event, const std::vector<OrvCalTime>& times,
                  bool onStartTime)
    {
        std::string joined, params;
        for (const OrvCalTime& t : times) {
            if (!t.IsSet()) continue;
            if (!joined.empty()) joined += ',';
            joined += onStartTime ? OnStartTime(event, t, params) : TimeIn(event.dtStart, t, params);
        }
        if (!joined.empty()) Put(name, params, joined);
    }

    std::string Kept(const std::string& raw, int componentKind)
    {
        ContentLine line;
        if (!line.Parse(raw)) return "";
        const std::string upper = ContentLine::Upper(line.name);
        if ((upper == "BEGIN" || upper == "END") && line.name != upper) return "";
        const bool extension = upper.compare(0, 2, "X-") == 0;
        if (line.value.empty() && !extension) return "";
        // Unset times of the dialect and empty rules are not values.
        if (line.value.find("00000000T000000") != std::string::npos) return "";
        if (upper == "RRULE" || upper == "EXRULE") {
            while (!line.value.empty() && line.value.back() == ';') line.value.pop_back();
            if (line.value.find("FREQ=;") != std::string::npos || line.value == "FREQ=" ||
                line.value.find("FREQ=") == std::string::npos)
                return "";
        }
        for (auto& param : line.params) {
            if (ContentLine::Upper(param.first) != "TZID") continue;
            if (zones_.Find(param.second)) param.second = NeedZone(param.second);
        }
        // A zone nobody knows: the time is read as written, without it.
        line.params.erase(std::remove_if(line.params.begin(), line.params.end(),
                                         [this](const std::pair<std::string, std::string>& p) {
                                             return ContentLine::Upper(p.first) == "TZID" && !zones_.Find(p.second);
                                         }),
                          line.params.end());
        if (componentKind == ORV_VALARM && upper == "TRIGGER" && !line.HasParam("VALUE") && !line.value.empty() &&
            std::isdigit(static_cast<unsigned char>(line.value[0])))
            line.params.emplace_back("VALUE", "DATE-TIME");
        std::string text = line.name;
        for (const auto& param : line.params) text += ";" + param.first + "=" + ParamValue(param.second);
        return Fold(text + ":" + line.value);
    }

    std::string GeneratedUid(const OrvCalendarComponent& c)
    {
        // Stable for the same event, so that exporting again names it alike.
        const std::string seed = c.summary + "|" + c.dtStart.Text() + "|" + std::to_string(++anonymous_);
        return "orv-" + std::to_string(std::hash<std::string>()(seed)) + "@orvcalendar";
    }

    void Component(const OrvCalendarComponent& c)
    {
        if (c.IsA(ORV_VTIMEZONE)) return;   // written with the zones in use
        if (c.IsA(ORV_VEVENT)) {
            Event(static_cast<const OrvVEVENT&>(c));
            return;
        }
        Verbatim(c);
    }

    void Verbatim(const OrvCalendarComponent& c)
    {
        std::vector<std::string> lines = c.keptLines;
        if (!c.readFromText) {
            // Made by the program: its fields in the dialect, then mended.
            std::ostringstream fields;
            c.WriteProperties(fields, OrvWriteMode::Upload);
            lines.clear();
            std::string l;
            std::istringstream in(fields.str());
            while (std::getline(in, l)) lines.push_back(l);
        }
        const int kind = c.ClassID();
        if (kind == ORV_VALARM && !(HasKeptIn(lines, "ACTION") && HasKeptIn(lines, "TRIGGER"))) return;
        body_ += Fold("BEGIN:" + c.name);
        const bool needsStamp = kind == ORV_VTODO || kind == ORV_VJOURNAL || kind == ORV_VFREEBUSY;
        if (needsStamp && !HasKeptIn(lines, "UID")) Put("UID", "", GeneratedUid(c));
        if (needsStamp && !HasKeptIn(lines, "DTSTAMP")) Put("DTSTAMP", "", NowStamp());
        for (const std::string& line : lines) body_ += Kept(line, kind);
        for (OrvElement* e = c.children.First(); e; e = e->Next()) Component(*static_cast<OrvCalendarComponent*>(e));
        body_ += Fold("END:" + c.name);
    }

    static bool HasKeptIn(const std::vector<std::string>& lines, const char* name)
    {
        const size_t n = std::strlen(name);
        for (const std::string& line : lines) {
            if (line.size() <= n) continue;
            bool same = true;
            for (size_t i = 0; i < n && same; ++i)
                same = std::toupper(static_cast<unsigned char>(line[i])) == name[i];
            if (same && (line[n] == ':' || line[n] == ';')) {
                ContentLine parsed;
                if (parsed.Parse(line) && !parsed.value.empty()) return true;
            }
        }
        return false;
    }

    void Event(const OrvVEVENT& e)
    {
        body_ += Fold("BEGIN:VEVENT");
        std::string params;
        Put("UID", "", e.uid.empty() ? GeneratedUid(e) : OneLine(e.uid));
        const bool keptStamp = HasKeptIn(e.keptLines, "DTSTAMP");
        if (!keptStamp) {
            if (e.lastModified.IsSet()) Put("DTSTAMP", "", UtcStamp(e.lastModified));
            else if (e.created.IsSet()) Put("DTSTAMP", "", UtcStamp(e.created));
            else Put("DTSTAMP", "", NowStamp());
        }
        if (e.created.IsSet()) Put("CREATED", "", UtcStamp(e.created));
        if (e.lastModified.IsSet()) Put("LAST-MODIFIED", "", UtcStamp(e.lastModified));
        if (!e.summary.empty()) Put("SUMMARY", e.TextParams(ORVP_SUMMARY), StandardText(e.summary));
        if (e.dtStart.IsSet()) {
            std::string value = TimeIn(e.dtStart, e.dtStart, params);
            Put("DTSTART", params, value);
            // Without an end, other programs read what the program reads:
            // a whole day lasts one day, a time lasts no time.
            if (EndIsDuration(e)) {
                Put("DURATION", "", e.duration);
            } else if (e.dtEnd.IsSet() && e.dtEnd > e.dtStart) {
                value = TimeIn(e.dtStart, e.dtEnd, params);
                Put("DTEND", params, value);
            }
            if (e.rrule.frequency != 0) {
                std::string until;
                if (e.rrule.until.IsSet()) {
                    if (e.dtStart.dateOnly)
                        until = OrvCalTime(e.rrule.until).DateText();
                    else if (e.dtStart.utc || zones_.TableOf(e.dtStart))
                        until = UtcStamp(e.rrule.until);
                    else
                        until = e.rrule.until.Text();
                }
                const std::string rule = e.rrule.WriteStandard(until);
                if (!rule.empty()) Put("RRULE", "", rule);
            }
            TimeList("EXDATE", e, e.exDates, true);
            TimeList("RDATE", e, e.rDates, false);
        }
        if (e.recurrenceId.IsSet()) {
            const OrvCalTime& form = (e.recurrenceId.dateOnly || e.recurrenceId.utc || !e.recurrenceId.zone.empty())
                                         ? e.recurrenceId
                                         : e.dtStart;
            std::string value = TimeIn(form, e.recurrenceId, params);
            Put("RECURRENCE-ID", params, value);
        }
        if (!e.location.empty()) Put("LOCATION", e.TextParams(ORVP_LOCATION), StandardText(e.location));
        if (!e.description.empty()) Put("DESCRIPTION", e.TextParams(ORVP_DESCRIPTION), StandardText(e.description));
        if (e.transparency != 0) Put("TRANSP", "", OrvTableName(OrvTransparencyTable(), e.transparency));
        if (e.priority >= 1 && e.priority <= 9) Put("PRIORITY", "", std::to_string(e.priority));
        if (!e.resources.empty())
            Put("RESOURCES", "", JoinWith(e.resources, [](const std::string& r) { return StandardText(r); }));
        if (!e.slogan.empty()) Put("X-ORV-SLOGAN", "", OneLine(e.slogan));
        if (!e.userCategory.empty()) Put("X-ORV-USERCATEGORY", "", OneLine(e.userCategory));
        // Extension lines with nothing in them say nothing to anybody.
        for (const auto& line : ExtensionLines(e)) {
            if (line.second.empty()) continue;
            if (!std::strcmp(line.first, "X-ORV-EVENTID") && e.eventId == 0) continue;
            if (!std::strcmp(line.first, "X-ORV-PUBLISH") && e.publish.state == 0 && !e.publish.publishUp.IsSet() &&
                !e.publish.publishDown.IsSet())
                continue;
            Put(line.first, "", OneLine(line.second));
        }
        for (const std::string& line : e.keptLines) body_ += Kept(line, ORV_VEVENT);
        for (OrvElement* child = e.children.First(); child; child = child->Next())
            Component(*static_cast<OrvCalendarComponent*>(child));
        body_ += Fold("END:VEVENT");
    }

    // The years the calendar's times fall in, widened a little; zone
    // definitions list their changes for these years.
    void YearRange(int& from, int& to) const
    {
        from = 9999;
        to = 0;
        std::vector<const OrvCalendarComponent*> events;
        for (OrvElement* c = document_.components.First(); c; c = c->Next())
            for (OrvElement* e = static_cast<OrvCalendarComponent*>(c)->children.First(); e; e = e->Next())
                if (static_cast<OrvCalendarComponent*>(e)->IsA(ORV_VEVENT))
                    events.push_back(static_cast<OrvCalendarComponent*>(e));
        for (const OrvCalendarComponent* event : events) {
            if (!event->dtStart.IsSet()) continue;
            from = std::min(from, event->dtStart.Year());
            int last = event->dtStart.Year();
            if (event->rrule.frequency != 0)
                last = event->rrule.until.IsSet() ? event->rrule.until.Year() : document_.horizon.Year();
            to = std::max(to, last);
        }
        if (from > to) {
            from = document_.horizon.Year() - 2;
            to = document_.horizon.Year();
        }
        from = std::max(1900, from - 1);
        to = std::min(std::max(to + 1, from), from + 150);
    }

    std::string DatabaseZone(const std::string& id)
    {
        const OrvZoneTable* table = OrvZones::DatabaseTable(id);
        if (!table) return "";
        int from, to;
        YearRange(from, to);
        const int64_t begin = OrvWallSeconds(ZafUTimeData(from, 1, 1));
        const int64_t end = OrvWallSeconds(ZafUTimeData(to, 12, 31, 23, 59, 59));
        struct Group {
            int32_t from, to;
            std::string name;
            bool daylight;
            std::vector<int64_t> onsets;   // wall time in the old offset
        };
        std::vector<Group> groups;
        int32_t previous = table->OffsetAtUtc(begin);
        for (size_t i = 0; i < table->changes.size(); ++i) {
            const int64_t at = table->changes[i];
            const int32_t before = i ? table->offsets[i - 1] : table->initial;
            if (at < begin) continue;
            if (at > end) break;
            const int32_t after = table->offsets[i];
            Group* group = nullptr;
            for (Group& g : groups)
                if (g.from == before && g.to == after && g.name == table->names[i] && g.daylight == table->daylight[i])
                    group = &g;
            if (!group) {
                groups.push_back({before, after, table->names[i], table->daylight[i], {}});
                group = &groups.back();
            }
            group->onsets.push_back(at + before);
            previous = after;
        }
        std::string out = Fold("BEGIN:VTIMEZONE") + Fold("TZID:" + id);
        if (groups.empty()) {
            out += Fold("BEGIN:STANDARD") + Fold("DTSTART:19700101T000000") + Fold("TZOFFSETFROM:" + OffsetText(previous)) +
                   Fold("TZOFFSETTO:" + OffsetText(previous));
            const std::string name = table->changes.empty() ? table->initialName : "";
            if (!name.empty()) out += Fold("TZNAME:" + name);
            out += Fold("END:STANDARD");
        }
        for (const Group& g : groups) {
            const char* kind = g.daylight ? "DAYLIGHT" : "STANDARD";
            out += Fold(std::string("BEGIN:") + kind);
            out += Fold("DTSTART:" + OrvCalTime(OrvFromWallSeconds(g.onsets.front())).Text());
            out += Fold("TZOFFSETFROM:" + OffsetText(g.from));
            out += Fold("TZOFFSETTO:" + OffsetText(g.to));
            if (!g.name.empty()) out += Fold("TZNAME:" + g.name);
            std::string rdates;
            for (size_t i = 1; i < g.onsets.size(); ++i) {
                if (!rdates.empty()) rdates += ',';
                rdates += OrvCalTime(OrvFromWallSeconds(g.onsets[i])).Text();
            }
            if (!rdates.empty()) out += Fold("RDATE:" + rdates);
            out += Fold(std::string("END:") + kind);
        }
        return out + Fold("END:VTIMEZONE");
    }

    // A zone only the file defines: its own definition, mended.
    std::string FileZone(const std::string& tzid)
    {
        for (OrvElement* e = document_.components.First(); e; e = e->Next()) {
            const OrvCalendarComponent* calendar = static_cast<OrvCalendarComponent*>(e);
            for (OrvElement* c = calendar->children.First(); c; c = c->Next()) {
                const OrvCalendarComponent* zone = static_cast<OrvCalendarComponent*>(c);
                if (!zone->IsA(ORV_VTIMEZONE)) continue;
                std::string written = static_cast<const OrvVTIMEZONE*>(zone)->tzId;
                if (written.size() >= 2 && written.front() == '"') written = written.substr(1, written.size() - 2);
                if (written != tzid) continue;
                std::string saved;
                saved.swap(body_);
                Verbatim(*zone);
                saved.swap(body_);
                return saved;
            }
        }
        return "";
    }

    const OrvCalendar& document_;
    const OrvZones& zones_;
    std::set<std::string> databaseZones_;
    std::set<std::string> fileZones_;
    std::string body_;
    int anonymous_ = 0;
};

}  // namespace

std::string OrvExportText(const OrvCalendar& document)
{
    return Exporter(document).Run();
}
