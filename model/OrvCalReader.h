// Calendar text to component tree and back. The text is the program's own
// iCalendar dialect: continuation lines keep their leading character, no
// folding on output, descriptions carry an escaping of their own, and
// date-times are always written with a time part. Bytes are taken and
// given as the model holds them (UTF-8); no code page conversion here.
#pragma once

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>

class OrvCalendar;
class OrvCalendarComponent;

// Physical lines are read in pieces of at most this many bytes minus one;
// a longer line arrives as several pieces.
constexpr int ORV_LINE_BUFFER = 2000;
// BEGIN lines below this many open blocks open nothing; their END lines
// are swallowed.
constexpr int ORV_MAX_NESTING = 64;

// A new empty component for a BEGIN value, or null. Leading blanks are
// skipped and the first component name that begins with the rest wins.
OrvCalendarComponent* OrvCreateComponent(const char* name);

// Parses one logical line into the document, moving its cursor.
void OrvParseCalendarLine(OrvCalendar& document, const std::string& line);

// Cuts text into physical lines (pieces of at most ORV_LINE_BUFFER - 1
// bytes, line feed removed, a carriage return before it dropped), joins
// continuation lines and hands every non-empty logical line to parse.
void OrvSplitLogicalLines(const std::string& text, const std::function<void(const std::string&)>& parse);

// Reads calendar text into the document (trace hook 1 before each line).
// The cursor is none afterwards; components that could not be kept (an
// event before any calendar block) are deleted.
void OrvReadCalendarText(OrvCalendar& document, const std::string& text);

// Writes BEGIN, the component's property lines, its children and END; line
// ends are single line feeds.
void OrvWriteComponent(const OrvCalendarComponent& component, std::ostream& out);
// The same into a string.
std::string OrvComponentText(const OrvCalendarComponent& component);

// Description escaping on output: CR LF -> "\n", '"' -> "#'", ':' -> "#p",
// ';' -> "#c". A line feed alone stays.
std::string OrvEscapeText(const std::string& text);
// Reverse, for display: "\n" and "#n" -> CR LF, "#'" -> '"', "#p" -> ':',
// "#c" -> ';'.
std::string OrvUnescapeText(const std::string& text);
