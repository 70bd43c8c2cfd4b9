// Calendar files as other programs write them, and broken ones; shared by
// the reader tests and the orvcal tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/OrvCalReader.h"
#include "model/OrvCalendar.h"

struct ForeignFile {
    const char* name;
    std::string content;
    int events;        // events directly below the calendar blocks
    int occurrences;   // with a horizon of 2030-01-01 12:00; -1: not checked
    std::function<void(const OrvCalendar&)> check;
    bool lineEndsFree = true;   // CR LF or LF give the same document
};

inline std::string CRLF(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

inline const OrvCalendarComponent* EventNo(const OrvCalendar& calendar, size_t index)
{
    return index < calendar.events.size() ? calendar.events[index] : nullptr;
}

// Deterministic bytes of every value, NUL included.
inline std::string Junk(size_t size, unsigned seed)
{
    std::string junk;
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        junk += static_cast<char>((seed >> 16) & 0xFF);
    }
    return junk;
}

inline std::vector<ForeignFile> ForeignFiles()
{
    std::vector<ForeignFile> files;

    // A web calendar's export: CR LF, a time zone block, zones on the
    // times, folded lines, attendees and an alarm.
    files.push_back({"google.ics",
                     CRLF("BEGIN:VCALENDAR\n"
                          "PRODID:-//Google Inc//Google Calendar 70.9054//EN\n"
                          "VERSION:2.0\n"
                          "CALSCALE:GREGORIAN\n"
                          "METHOD:PUBLISH\n"
                          "X-WR-CALNAME:Tanzgruppe\n"
                          "X-WR-TIMEZONE:Europe/Berlin\n"
                          "BEGIN:VTIMEZONE\n"
                          "TZID:Europe/Berlin\n"
                          "X-LIC-LOCATION:Europe/Berlin\n"
                          "BEGIN:DAYLIGHT\n"
                          "TZOFFSETFROM:+0100\n"
                          "TZOFFSETTO:+0200\n"
                          "TZNAME:CEST\n"
                          "DTSTART:19700329T020000\n"
                          "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\n"
                          "END:DAYLIGHT\n"
                          "BEGIN:STANDARD\n"
                          "TZOFFSETFROM:+0200\n"
                          "TZOFFSETTO:+0100\n"
                          "TZNAME:CET\n"
                          "DTSTART:19701025T030000\n"
                          "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\n"
                          "END:STANDARD\n"
                          "END:VTIMEZONE\n"
                          "BEGIN:VEVENT\n"
                          "DTSTART;TZID=Europe/Berlin:20250303T190000\n"
                          "DTEND;TZID=Europe/Berlin:20250303T203000\n"
                          "RRULE:FREQ=WEEKLY;WKST=MO;UNTIL=20250331T170000Z;BYDAY=MO\n"
                          "DTSTAMP:20250301T120000Z\n"
                          "UID:5q2v1c@google.com\n"
                          "ATTENDEE;CUTYPE=INDIVIDUAL;ROLE=REQ-PARTICIPANT;PARTSTAT=ACCEPTED;CN=Jana M\xc3\xbc\n"
                          " ller;X-NUM-GUESTS=0:mailto:jana@example.org\n"
                          "CREATED:20250220T101500Z\n"
                          "DESCRIPTION:Bitte p\xc3\xbcnktlich sein\\, wir fan\n"
                          " gen um 19 Uhr an.\n"
                          "LAST-MODIFIED:20250221T080000Z\n"
                          "LOCATION:Gemeindesaal\\, Kirchstra\xc3\x9f""e 3\\, 48143 M\xc3\xbcnster\n"
                          "SEQUENCE:2\n"
                          "STATUS:CONFIRMED\n"
                          "SUMMARY:Probe Showgruppe\n"
                          "TRANSP:OPAQUE\n"
                          "BEGIN:VALARM\n"
                          "ACTION:DISPLAY\n"
                          "DESCRIPTION:This is an event reminder\n"
                          "TRIGGER:-P0DT0H30M0S\n"
                          "END:VALARM\n"
                          "END:VEVENT\n"
                          "BEGIN:VEVENT\n"
                          "DTSTART;VALUE=DATE:20250315\n"
                          "DTEND;VALUE=DATE:20250316\n"
                          "UID:allday@google.com\n"
                          "SUMMARY:Tanzwochenende\n"
                          "END:VEVENT\n"
                          "BEGIN:VEVENT\n"
                          "DTSTART;TZID=Europe/Berlin:20250322T200000\n"
                          "DTEND;TZID=Europe/Berlin:20250323T010000\n"
                          "UID:single@google.com\n"
                          "SUMMARY:Ball\n"
                          "END:VEVENT\n"
                          "END:VCALENDAR\n"),
                     3, 7, [](const OrvCalendar& c) {
                         const OrvCalendarComponent* first = EventNo(c, 0);
                         ASSERT_NE(first, nullptr);
                         EXPECT_EQ(first->dtStart.Text(), "20250303T190000");
                         // The fold's blank is gone.
                         EXPECT_EQ(first->description, "Bitte p\xc3\xbcnktlich sein\\, wir fangen um 19 Uhr an.");
                         EXPECT_EQ(first->children.Count(), 1);
                         EXPECT_EQ(EventNo(c, 1)->dtStart.Text(), "20250315T000000");
                         EXPECT_EQ(EventNo(c, 1)->dtEnd.Text(), "20250316T000000");
                         const OrvCalendarComponent* zone = c.Component(0)->Child(0);
                         EXPECT_EQ(zone->children.Count(), 2);
                     }});

    // A desktop mail program's export: quoted zone names, an HTML
    // description far longer than the line buffer, vendor properties.
    std::string html = "X-ALT-DESC;FMTTYPE=text/html:<!DOCTYPE HTML><html><body>";
    for (int i = 0; i < 300; ++i) html += "<p>Absatz " + std::to_string(i) + "</p>";
    html += "</body></html>\n";
    files.push_back({"outlook.ics",
                     CRLF("BEGIN:VCALENDAR\n"
                          "PRODID:-//Microsoft Corporation//Outlook 16.0 MIMEDIR//EN\n"
                          "VERSION:2.0\n"
                          "METHOD:PUBLISH\n"
                          "X-MS-OLK-FORCEINSPECTOROPEN:TRUE\n"
                          "BEGIN:VTIMEZONE\n"
                          "TZID:W. Europe Standard Time\n"
                          "BEGIN:STANDARD\n"
                          "DTSTART:16011028T030000\n"
                          "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\n"
                          "TZOFFSETFROM:+0200\n"
                          "TZOFFSETTO:+0100\n"
                          "END:STANDARD\n"
                          "END:VTIMEZONE\n"
                          "BEGIN:VEVENT\n"
                          "CLASS:PUBLIC\n"
                          "CREATED:20250301T090000Z\n"
                          "DESCRIPTION:Monatliches Treffen.\\nTagesordnung folgt.\\n\n"
                          "DTEND;TZID=\"W. Europe Standard Time\":20250410T110000\n"
                          "DTSTAMP:20250301T090000Z\n"
                          "DTSTART;TZID=\"W. Europe Standard Time\":20250410T090000\n"
                          "PRIORITY:5\n"
                          "RRULE:FREQ=MONTHLY;COUNT=3;BYMONTHDAY=10\n"
                          "SEQUENCE:0\n"
                          "SUMMARY;LANGUAGE=de-de:Vorstandssitzung\n"
                          "TRANSP:OPAQUE\n"
                          "UID:040000008200E00074C5B7101A82E008\n") +
                         html +
                         CRLF("X-MICROSOFT-CDO-BUSYSTATUS:BUSY\n"
                              "X-MICROSOFT-DISALLOW-COUNTER:FALSE\n"
                              "END:VEVENT\n"
                              "BEGIN:VEVENT\n"
                              "DTSTART;TZID=\"W. Europe Standard Time\":20250501T100000\n"
                              "DTEND;TZID=\"W. Europe Standard Time\":20250501T120000\n"
                              "RRULE:FREQ=YEARLY;COUNT=2\n"
                              "SUMMARY:Maitanz\n"
                              "UID:0400000082\n"
                              "END:VEVENT\n"
                              "END:VCALENDAR\n"),
                     2, 5, [](const OrvCalendar& c) {
                         const OrvCalendarComponent* first = EventNo(c, 0);
                         EXPECT_EQ(first->summary, "Vorstandssitzung");
                         EXPECT_EQ(first->priority, 5);
                         EXPECT_EQ(first->dtEnd.Text(), "20250410T110000");
                         EXPECT_EQ(first->uid, "040000008200E00074C5B7101A82E008");
                     }});

    // A desktop calendar of another system: LF only, date-only birthdays
    // repeating without end, vendor lines with quoted colons.
    files.push_back({"apple.ics",
                     "BEGIN:VCALENDAR\n"
                     "VERSION:2.0\n"
                     "PRODID:-//Apple Inc.//macOS 14.0//EN\n"
                     "CALSCALE:GREGORIAN\n"
                     "BEGIN:VEVENT\n"
                     "CREATED:20240101T000000Z\n"
                     "DTSTART;VALUE=DATE:19900517\n"
                     "DTEND;VALUE=DATE:19900518\n"
                     "RRULE:FREQ=YEARLY\n"
                     "SUMMARY:Geburtstag J\xc3\xb6rg\n"
                     "UID:8F1C-BIRTHDAY\n"
                     "X-APPLE-STRUCTURED-LOCATION;VALUE=URI;X-TITLE=\"Caf\xc3\xa9: Mitte\":geo:52.5,13.4\n"
                     "X-APPLE-TRAVEL-ADVISORY-BEHAVIOR:AUTOMATIC\n"
                     "END:VEVENT\n"
                     "BEGIN:VEVENT\n"
                     "DTSTART;TZID=Europe/Berlin:20250601T100000\n"
                     "DURATION:PT2H\n"
                     "SUMMARY:Brunch\n"
                     "UID:brunch\n"
                     "END:VEVENT\n"
                     "END:VCALENDAR\n",
                     2, 41, [](const OrvCalendar& c) {
                         EXPECT_EQ(EventNo(c, 0)->dtStart.Text(), "19900517T000000");
                         EXPECT_EQ(EventNo(c, 0)->summary, "Geburtstag J\xc3\xb6rg");
                         EXPECT_EQ(EventNo(c, 1)->dtStart.Text(), "20250601T100000");
                     }});

    // Cut off in the middle: END lines missing.
    files.push_back({"truncated.ics",
                     "BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\nSUMMARY:Abgeschnitten\nDTSTART:20250101T100000\n"
                     "DTEND:20250101T110000\nBEGIN:VEVENT\nSUMMARY:Zweites\nDTSTART:2025",
                     1, 1, [](const OrvCalendar& c) {
                         EXPECT_EQ(EventNo(c, 0)->summary, "Abgeschnitten");
                         EXPECT_EQ(EventNo(c, 0)->children.Count(), 1);
                     }});

    // Garbage between the lines.
    files.push_back({"garbage.ics",
                     "hello world\n"
                     "::::\n"
                     "-----\n"
                     "BEGIN:VCALENDAR\n"
                     "1234 not a name\n"
                     "BEGIN:VEVENT\n"
                     "SUMMARY:Trotzdem da\n"
                     "garbage line without colon\n"
                     "DTSTART:20250505T200000\n"
                     "DTEND:20250505T220000\n"
                     "%%%%%%\n"
                     "\xff\xfe\xfd\n"
                     "Z\n"
                     "END:VEVENT\n"
                     "END:VCALENDAR\n"
                     "trailing junk\n",
                     1, 1, [](const OrvCalendar& c) {
                         EXPECT_EQ(EventNo(c, 0)->summary, "Trotzdem da");
                         EXPECT_EQ(EventNo(c, 0)->dtEnd.Text(), "20250505T220000");
                     }});

    files.push_back({"empty.ics", "", 0, 0, nullptr});
    files.push_back({"blank-lines.ics", "\r\n\r\n\n   \n", 0, 0, nullptr});
    files.push_back({"binary.ics", Junk(10000, 7), 0, 0, nullptr, false});

    // Long lines: an unfolded description cut by the line buffer, and a
    // summary folded every 75 bytes.
    std::string summary;
    for (int i = 0; i < 40; ++i) summary += (i ? "\n " : "SUMMARY:") + std::string(75, 'A' + i % 26);
    files.push_back({"long-lines.ics",
                     "BEGIN:VCALENDAR\nBEGIN:VEVENT\nDESCRIPTION:" + std::string(4000, 'a') + "\n" + summary +
                         "\nDTSTART:20250701T180000\nDTEND:20250701T190000\nEND:VEVENT\nEND:VCALENDAR\n",
                     1, 1, [](const OrvCalendar& c) {
                         EXPECT_EQ(EventNo(c, 0)->description.size(), 4000u);
                         EXPECT_EQ(EventNo(c, 0)->summary.size(), 40u * 75);
                         EXPECT_EQ(EventNo(c, 0)->dtStart.Text(), "20250701T180000");
                     },
                     true});

    // Events without a calendar block are not kept.
    files.push_back({"no-calendar.ics",
                     "BEGIN:VEVENT\nSUMMARY:lost\nDTSTART:20250101T100000\nEND:VEVENT\n"
                     "BEGIN:VEVENT\nSUMMARY:lost too\nEND:VEVENT\n",
                     0, 0, [](const OrvCalendar& c) { EXPECT_EQ(c.components.Count(), 0); }});

    // Lower-case names are not iCalendar names.
    files.push_back({"lowercase.ics", "begin:vcalendar\nbegin:vevent\nsummary:x\nend:vevent\nend:vcalendar\n", 0, 0,
                     nullptr});

    // A byte order mark before the first line.
    files.push_back({"bom.ics",
                     CRLF("\xef\xbb\xbf""BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:Mit BOM\nDTSTART:20250808T200000\n"
                          "END:VEVENT\nEND:VCALENDAR\n"),
                     1, 1, [](const OrvCalendar& c) { EXPECT_EQ(EventNo(c, 0)->summary, "Mit BOM"); }});

    return files;
}
