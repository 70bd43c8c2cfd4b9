#include "model/OrvCalReader.h"

#include <cstring>
#include <sstream>

#include "model/OrvCalTables.h"
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

bool StartsLogicalLine(const std::string& piece)
{
    if (piece.empty()) return true;
    unsigned char c = static_cast<unsigned char>(piece[0]);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

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

void OrvParseCalendarLine(OrvCalendar& document, const std::string& line)
{
    size_t nameLength = 0;
    while (nameLength < line.size() && NameCharacter(line[nameLength])) ++nameLength;
    if (nameLength == 0) return;
    std::string name = line.substr(0, nameLength);

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

    int kind = OrvPropertyKind(name.c_str());
    if (kind == 0) return;

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
        OrvCalendarComponent* component = OrvCreateComponent(value.c_str());
        if (!component) return;
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

    OrvCalendarProperty property(kind, name, value);
    if (hasParams) ReadParameters(line, nameLength, paramsEnd, property);
    document.cursor->ApplyProperty(property);
}

void OrvSplitLogicalLines(const std::string& input, const std::function<void(const std::string&)>& parse)
{
    // CR LF becomes a line feed before the text is cut, as a text-mode read
    // does, so pieces have the same length for either line end.
    std::string text;
    text.reserve(input.size());
    for (size_t i = 0; i < input.size(); ++i)
        if (!(input[i] == '\r' && i + 1 < input.size() && input[i + 1] == '\n')) text += input[i];

    std::string logical;
    bool open = false;
    size_t position = 0;
    const size_t size = text.size();
    while (position < size) {
        // One physical piece: up to the line feed, at most 1999 bytes.
        size_t limit = position + (ORV_LINE_BUFFER - 1);
        if (limit > size) limit = size;
        size_t end = position;
        while (end < limit && text[end] != '\n') ++end;
        bool lineFeed = end < limit;   // text[end] is '\n'
        std::string piece = text.substr(position, end - position);
        position = lineFeed ? end + 1 : end;
        // The text is taken as a C string: a NUL byte ends the piece.
        size_t nul = piece.find('\0');
        if (nul != std::string::npos) piece.resize(nul);

        if (!open) {
            if (!piece.empty()) {
                logical = std::move(piece);
                open = true;
            }
            continue;
        }
        if (StartsLogicalLine(piece)) {
            parse(logical);
            open = !piece.empty();
            logical = std::move(piece);
        } else {
            logical += piece;
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
    document.cursor = nullptr;
    document.ignoredBlocks_ = 0;
    for (OrvCalendarComponent* component : document.detached_) delete component;
    document.detached_.clear();
}

void OrvWriteComponent(const OrvCalendarComponent& component, std::ostream& out)
{
    out << "BEGIN:" << component.name << '\n' << std::flush;
    component.WriteProperties(out);
    for (OrvElement* e = component.children.First(); e; e = e->Next())
        OrvWriteComponent(*static_cast<OrvCalendarComponent*>(e), out);
    out << "END:" << component.name << '\n' << std::flush;
}

std::string OrvComponentText(const OrvCalendarComponent& component)
{
    std::ostringstream out;
    OrvWriteComponent(component, out);
    return out.str();
}

namespace {

void ReplaceAll(std::string& text, const char* pattern, const char* replacement)
{
    const size_t patternLength = std::strlen(pattern);
    const size_t replacementLength = std::strlen(replacement);
    size_t position = 0;
    while ((position = text.find(pattern, position)) != std::string::npos) {
        text.replace(position, patternLength, replacement);
        position += replacementLength;
    }
}

}  // namespace

std::string OrvEscapeText(const std::string& text)
{
    std::string result = text;
    ReplaceAll(result, "\r\n", "\\n");
    ReplaceAll(result, "\"", "#'");
    ReplaceAll(result, ":", "#p");
    ReplaceAll(result, ";", "#c");
    return result;
}

std::string OrvUnescapeText(const std::string& text)
{
    std::string result = text;
    ReplaceAll(result, "\\n", "\r\n");
    ReplaceAll(result, "#n", "\r\n");
    ReplaceAll(result, "#'", "\"");
    ReplaceAll(result, "#p", ":");
    ReplaceAll(result, "#c", ";");
    return result;
}
