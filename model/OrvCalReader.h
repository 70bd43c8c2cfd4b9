// Calendar text to component tree and back. The reader takes the program's
// own iCalendar dialect and RFC 5545 alike (folded lines, any line end,
// zones, whole days); the writer writes the dialect (no folding,
// descriptions with an escaping of their own) for the calendar file and the
// portal, and RFC 5545 for other programs. Bytes are taken and given as the
// model holds them (UTF-8); no code page conversion here.
#pragma once

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>

class OrvCalendar;
class OrvCalendarComponent;
enum class OrvWriteMode;
// BEGIN lines below this many open blocks open nothing; their END lines
// are swallowed.
constexpr int ORV_MAX_NESTING = 64;

// A new empty component for a BEGIN value, or null. Leading blanks are
// skipped and the first component name that begins with the rest wins.
OrvCalendarComponent* OrvCreateComponent(const char* name);

// Parses one logical line into the document, moving its cursor.
void OrvParseCalendarLine(OrvCalendar& document, const std::string& line);

// Cuts text into physical lines (at CR LF, LF or CR, of any length), joins
// continuation lines and hands every non-empty logical line to parse.
void OrvSplitLogicalLines(const std::string& text, const std::function<void(const std::string&)>& parse);

// Reads calendar text into the document (trace hook 1 before each line).
// The cursor is none afterwards; components that could not be kept (an
// event before any calendar block) are deleted. Zoned and UTC times are
// converted to local time at the end (OrvResolveReadTimes).
void OrvReadCalendarText(OrvCalendar& document, const std::string& text);
// Takes the document's zone definitions and converts every time still in
// its written zone to local time.
void OrvResolveReadTimes(OrvCalendar& document);

// Writes BEGIN, the component's property lines, its children and END; line
// ends are single line feeds. Upload (the default) is the portal's text.
void OrvWriteComponent(const OrvCalendarComponent& component, std::ostream& out, OrvWriteMode mode);
void OrvWriteComponent(const OrvCalendarComponent& component, std::ostream& out);
// The same into a string.
std::string OrvComponentText(const OrvCalendarComponent& component, OrvWriteMode mode);
std::string OrvComponentText(const OrvCalendarComponent& component);
// The document as RFC 5545 for other programs: one calendar block with
// VERSION and PRODID, DTSTAMP and UID in every event, no unset dates, RFC
// text escaping, lines folded at 75 octets, zones with their definitions.
// Line ends are line feeds (the file gets CR LF).
std::string OrvExportText(const OrvCalendar& document);

// Description escaping on output: CR LF, a lone LF or CR -> "\n", '"' ->
// "#'", ':' -> "#p", ';' -> "#c"; backslash escapes already in the text
// stay.
std::string OrvEscapeText(const std::string& text);
// Reverse, for display: "\n", "\N" and "#n" -> CR LF, "#'" -> '"', "#p" ->
// ':', "#c" -> ';', and the RFC escapes "\,", "\;", "\\".
std::string OrvUnescapeText(const std::string& text);
