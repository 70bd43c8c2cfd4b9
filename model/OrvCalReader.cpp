#include "model/OrvCalReader.h"

#include <cctype>
#include <cstring>
#include <sstream>

#include "model/OrvCalTables.h"
#include "model/OrvCalZone.h"
#include "model/OrvCalendar.h"
#include "model/OrvCalendarComponent.h"

OrvCalendarComponent* OrvCreateComponent(const char* name)
{
    switch (OrvComponentKind(name)) {
    case ORV_VCALENDAR: return new OrvVCALENDAR;
    case ORV_VEVENT: return new OrvVEVENT;
    case ORV_VTODO: return new OrvVTODO;
    case ORV_VJOURNAL: return new OrvVJOURNAL;
    case ORV_VFREEBUSY: return new OrvVFREEBUSY;
    case ORV_VTIMEZONE: return new OrvVTIMEZONE;
    case ORV_VALARM: return new OrvVALARM;
    case ORV_STANDARD: return new OrvSTANDARD;
    case ORV_DAYLIGHT: return new OrvDAYLIGHT;
    default: return nullptr;
    }
}

namespace {

bool NameCharacter(char c) { return (c >= 'A' && c <= 'Z') || c == '-'; }

// Reads the parameters between the name and the value's ':' into the
// property. Quotes do not protect a ';' here.
void ReadParameters(const std::string& line, size_t position, size_t end, OrvCalendarProperty& property)
{
    while (position < end && line[position] == ';') {
        ++position;
        size_t equals = line.find('=', position);
        if (equals == std::string::npos || equals >= end) return;
        size_t valueEnd = line.find(';', equals + 1);
        if (valueEnd == std::string::npos || valueEnd > end) valueEnd = end;
        property.AddParam(line.substr(position, equals - position), line.substr(equals + 1, valueEnd - equals - 1));
        position = valueEnd;
    }
}

}  // namespace

namespace {

bool IsName(const std::string& line, const char* word)
{
    const size_t n = std::strlen(word);
    return line.compare(0, n, word) == 0 && (line.size() == n || line[n] == ':' || line[n] == ';');
}

std::string TrimmedValue(std::string value)
{
    // "BEGIN:VEVENT " is the event all the same.
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
    return value;
}

}  // namespace

void OrvParseCalendarLine(OrvCalendar& document, const std::string& line)
{
    // Inside a block of a kind the program does not know: its lines are
    // kept whole with the block that holds it, until its END.
    if (!document.rawBlocks_.empty()) {
        if (document.cursor) document.cursor->keptLines.push_back(line);
        if (IsName(line, "BEGIN")) document.rawBlocks_.push_back(TrimmedValue(line.substr(line.find(':') + 1)));
        else if (IsName(line, "END")) document.rawBlocks_.pop_back();
        return;
    }

    size_t nameLength = 0;
    while (nameLength < line.size() && NameCharacter(line[nameLength])) ++nameLength;
    if (nameLength == 0) {
        // Names in lower case and other lines the program cannot read stay
        // as they are.
        if (document.cursor) document.cursor->keptLines.push_back(line);
        return;
    }
    const std::string_view name(line.data(), nameLength);

    bool hasParams = nameLength < line.size() && line[nameLength] == ';';
    size_t paramsEnd = line.size();
    std::string value;
    if (hasParams) {
        bool quoted = false;
        for (size_t i = nameLength; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            else if (line[i] == ':' && !quoted) {
                paramsEnd = i;
                value = line.substr(i + 1);
                break;
            }
        }
    } else if (nameLength < line.size()) {
        value = line.substr(nameLength + 1);
    }

    int kind = OrvPropertyKind(name);
    if (kind == 0) {
        if (document.cursor) document.cursor->keptLines.push_back(line);
        return;
    }

    if (kind == ORVP_BEGIN) {
        // Blocks nested deeper than any calendar program writes are taken
        // as lines of the enclosing block, so that a hostile file cannot
        // exhaust the stack of the recursive writer and destructor.
        int depth = 0;
        for (const OrvCalendarComponent* c = document.cursor; c; c = c->parent) ++depth;
        if (depth >= ORV_MAX_NESTING) {
            ++document.ignoredBlocks_;
            return;
        }
        OrvCalendarComponent* component = OrvCreateComponent(TrimmedValue(value).c_str());
        if (!component) {
            // A block of another kind (VAVAILABILITY, an X- block) stays
            // with its enclosing block as written; its lines must not land
            // in the enclosing event, nor its END close it.
            if (document.cursor) {
                document.cursor->keptLines.push_back(line);
                document.rawBlocks_.push_back(TrimmedValue(value));
            }
            return;
        }
        component->readFromText = true;
        if (document.cursor)
            document.cursor->AddChild(component);
        else if (document.AddEvent(component, nullptr) != 0)
            // Not kept: it still takes its lines until its END.
            document.detached_.push_back(component);
        document.cursor = component;
        return;
    }
    if (kind == ORVP_END) {
        if (document.ignoredBlocks_ > 0) {
            --document.ignoredBlocks_;
            return;
        }
        if (document.cursor) document.cursor = document.cursor->parent;
        return;
    }
    if (!document.cursor) return;

    OrvCalendarProperty property(kind, std::string(name), std::move(value));
    if (hasParams) {
        ReadParameters(line, nameLength, paramsEnd, property);
        property.paramText = line.substr(nameLength, paramsEnd - nameLength);
    }
    if (document.cursor->KeepsLine(property)) document.cursor->keptLines.push_back(line);
    document.cursor->ApplyProperty(property);
}

void OrvSplitLogicalLines(const std::string& text, const std::function<void(const std::string&)>& parse)
{
    // Lines end at CR LF, LF or a lone CR. A line that begins with a blank
    // or a tab continues the one before without that character (RFC 5545
    // folding; the bytes are joined, so a UTF-8 character split by a fold
    // comes back whole). A line that begins with any other character that
    // is not a letter or digit continues it as a whole.
    std::string logical;
    bool open = false;
    const char* data = text.data();
    const size_t size = text.size();
    size_t position = 0;
    // Next line feed and carriage return, found a block at a time.
    size_t nextLf = 0, nextCr = 0;
    auto find = [&](char c, size_t from) {
        const void* hit = from < size ? std::memchr(data + from, c, size - from) : nullptr;
        return hit ? static_cast<size_t>(static_cast<const char*>(hit) - data) : size;
    };
    nextLf = find('\n', 0);
    nextCr = find('\r', 0);
    while (position < size) {
        if (nextLf < position) nextLf = find('\n', position);
        if (nextCr < position) nextCr = find('\r', position);
        const size_t end = std::min(nextLf, nextCr);
        size_t next = end;
        if (next < size) next += (data[next] == '\r' && next + 1 < size && data[next + 1] == '\n') ? 2 : 1;
        const char* nul = static_cast<const char*>(std::memchr(data + position, '\0', end - position));
        const size_t length = (nul ? static_cast<size_t>(nul - data) : end) - position;
        const char* piece = data + position;
        position = next;

        if (!open) {
            if (length) {
                logical.assign(piece, length);
                open = true;
            }
            continue;
        }
        if (length == 0) {
            parse(logical);
            open = false;
            continue;
        }
        const unsigned char first = static_cast<unsigned char>(piece[0]);
        if (first == ' ' || first == '\t') {
            logical.append(piece + 1, length - 1);
        } else if (!std::isalnum(first)) {
            logical.append(piece, length);
        } else {
            parse(logical);
            logical.assign(piece, length);
        }
    }
    if (open && !logical.empty()) parse(logical);
}

void OrvReadCalendarText(OrvCalendar& document, const std::string& text)
{
    // Editors of other systems put a byte order mark before the first
    // line; it would hide the calendar's BEGIN line.
    const bool bom = text.compare(0, 3, "\xef\xbb\xbf") == 0;
    OrvSplitLogicalLines(bom ? text.substr(3) : text, [&document](const std::string& line) {
        document.Trace(1, line.c_str());
        OrvParseCalendarLine(document, line);
    });
    // Kept blocks the text left open are closed, so that what is written
    // reads back as the same blocks.
    if (document.cursor)
        while (!document.rawBlocks_.empty()) {
            document.cursor->keptLines.push_back("END:" + document.rawBlocks_.back());
            document.rawBlocks_.pop_back();
        }
    document.rawBlocks_.clear();
    document.cursor = nullptr;
    document.ignoredBlocks_ = 0;
    for (OrvCalendarComponent* component : document.detached_) delete component;
    document.detached_.clear();
    OrvResolveReadTimes(document);
}

namespace {

void ToLocal(const OrvZones& zones, OrvCalTime& t)
{
    if (!t.inZone) return;
    ZafUTimeData value = t;
    if (zones.ToLocal(t, value)) static_cast<ZafUTimeData&>(t) = value;
    t.inZone = false;
}

void ResolveEvent(const OrvZones& zones, OrvCalendarComponent& e)
{
    const OrvCalTime& start = e.dtStart;
    // An UNTIL without "Z" in a rule of a zoned start is meant in that zone.
    OrvCalTime& until = e.rrule.until;
    if (until.IsSet() && !until.inZone && !until.dateOnly && start.inZone) {
        until.utc = start.utc;
        until.zone = start.zone;
        until.inZone = true;
    }
    ToLocal(zones, e.dtStart);
    ToLocal(zones, e.dtEnd);
    ToLocal(zones, e.recurrenceId);
    ToLocal(zones, e.created);
    ToLocal(zones, e.lastModified);
    ToLocal(zones, e.dtStamp);
    for (OrvCalTime& t : e.exDates) ToLocal(zones, t);
    for (OrvCalTime& t : e.rDates) ToLocal(zones, t);
    if (until.inZone) {
        const bool zoned = !until.zone.empty() && zones.Find(until.zone);
        ToLocal(zones, until);
        // Written back as UTC, the form other programs require.
        if (zoned) {
            until.utc = true;
            until.zone.clear();
        }
    }
    // DURATION instead of DTEND: the end follows from it.
    if (!e.duration.empty() && !e.dtEnd.IsSet() && e.dtStart.IsSet()) {
        int64_t seconds = 0;
        if (OrvReadDuration(e.duration, seconds)) {
            OrvCalTime end = e.dtStart;
            end.AddSeconds(seconds);
            if (end.Hour() || end.Minute() || end.Second()) end.dateOnly = false;
            e.dtEnd = end;
        }
    }
}

void ResolveBlock(const OrvZones& zones, OrvCalendarComponent& c)
{
    // Events wherever they stand; zone definitions keep their own lines.
    if (c.IsA(ORV_VEVENT)) ResolveEvent(zones, c);
    for (OrvElement* e = c.children.First(); e; e = e->Next()) ResolveBlock(zones, *static_cast<OrvCalendarComponent*>(e));
}

}  // namespace

void OrvResolveReadTimes(OrvCalendar& document)
{
    document.zones.ClearDefinitions();
    for (OrvElement* c = document.components.First(); c; c = c->Next())
        for (OrvElement* e = static_cast<OrvCalendarComponent*>(c)->children.First(); e; e = e->Next())
            if (static_cast<OrvCalendarComponent*>(e)->IsA(ORV_VTIMEZONE))
                document.zones.AddDefinition(*static_cast<OrvCalendarComponent*>(e));
    for (OrvElement* c = document.components.First(); c; c = c->Next())
        ResolveBlock(document.zones, *static_cast<OrvCalendarComponent*>(c));
}

void OrvWriteComponent(const OrvCalendarComponent& component, std::ostream& out, OrvWriteMode mode)
{
    out << "BEGIN:" << component.name << '\n' << std::flush;
    component.WriteProperties(out, mode);
    for (OrvElement* e = component.children.First(); e; e = e->Next())
        OrvWriteComponent(*static_cast<OrvCalendarComponent*>(e), out, mode);
    out << "END:" << component.name << '\n' << std::flush;
}

std::string OrvComponentText(const OrvCalendarComponent& component, OrvWriteMode mode)
{
    std::ostringstream out;
    OrvWriteComponent(component, out, mode);
    return out.str();
}

std::string OrvEscapeText(const std::string& text)
{
    // Escapes already in the text (a description read from a file) stay
    // as they are, so that writing what was read gives the same line.
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\':
            if (i + 1 < text.size() && std::strchr("nN,;\\", text[i + 1])) {
                result += c;
                result += text[++i];
            } else {
                result += c;
            }
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            result += "\\n";
            break;
        case '\n': result += "\\n"; break;
        case '"': result += "#'"; break;
        case ':': result += "#p"; break;
        case ';': result += "#c"; break;
        default: result += c;
        }
    }
    return result;
}

std::string OrvUnescapeText(const std::string& text)
{
    // The program's own forms and those of RFC 5545, in one pass, so that
    // an escaped backslash before an "n" stays a backslash and an "n".
    if (text.find_first_of("\\#") == std::string::npos) return text;
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '\\') {
            switch (next) {
            case 'n':
            case 'N': result += "\r\n"; ++i; continue;
            case ',':
            case ';':
            case '\\': result += next; ++i; continue;
            default: break;
            }
        } else if (c == '#') {
            switch (next) {
            case 'n': result += "\r\n"; ++i; continue;
            case '\'': result += '"'; ++i; continue;
            case 'p': result += ':'; ++i; continue;
            case 'c': result += ';'; ++i; continue;
            default: break;
            }
        }
        result += c;
    }
    return result;
}

void OrvWriteComponent(const OrvCalendarComponent& component, std::ostream& out)
{
    OrvWriteComponent(component, out, OrvWriteMode::Upload);
}

std::string OrvComponentText(const OrvCalendarComponent& component)
{
    return OrvComponentText(component, OrvWriteMode::Upload);
}
