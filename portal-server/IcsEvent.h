// What the portal needs to know about an uploaded event, read from the
// client's iCalendar text, and the text it serves back.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orvportal {

// Local wall-clock date-time; year 0 means "not set".
struct CalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;

    bool isSet() const { return year != 0; }
    std::string format() const;  // YYYYMMDDTHHMMSS
    // Reads YYYYMMDD[THHMMSS]; unreadable fields stay 0.
    static CalTime Parse(const std::string& text);
    long long daysSinceEpoch() const;  // of the date part
    static CalTime FromDays(long long days, int hour, int minute, int second);
    long long totalSeconds() const;
    static CalTime FromSeconds(long long secs);
    int weekdayMon1() const;  // Monday 1 ... Sunday 7
    bool sameDate(const CalTime& o) const { return year == o.year && month == o.month && day == o.day; }
    bool operator<(const CalTime& o) const { return totalSeconds() < o.totalSeconds(); }
    bool operator==(const CalTime& o) const { return totalSeconds() == o.totalSeconds(); }
};

// Key/value pairs separated by ";" with double quotes protecting separators.
std::vector<std::pair<std::string, std::string>> SplitPairs(const std::string& text);

struct IcsEvent {
    // Logical lines between BEGIN:VEVENT and END:VEVENT, each with its
    // continuation lines kept (joined by CR LF).
    std::vector<std::string> lines;

    std::string uid, summary, rrule;
    CalTime dtstart, dtend;
    std::vector<CalTime> exdates;
    std::vector<std::string> scenes;
    std::vector<int> categories;
    std::string country, zip, city;
    int publishState = 0;
    int eventId = 0;
    int supraregional = 0;
    std::vector<std::pair<CalTime, int>> highlights;

    std::string body() const;  // the lines joined by CR LF
};

// Finds the first VEVENT block of a calendar text (bare or inside a
// VCALENDAR) and reads it. Returns false with a reason when there is none
// or it has no readable DTSTART.
bool ReadFirstEvent(const std::string& text, IcsEvent& out, std::string& error);

// Re-reads a stored body (as produced by IcsEvent::body()).
IcsEvent ReadEventBody(const std::string& body);

// The event block as served: the stored lines with the portal's own values
// for the event id, the supra-regional flag and the highlights.
std::string RenderEvent(const std::string& body, int eventId, int supraregional,
                        const std::vector<std::pair<CalTime, int>>& highlights);

// Starts of the event's dates, in order, up to the given limit (or the rule's
// UNTIL) and at most maxCount of them.
std::vector<CalTime> ExpandOccurrences(const IcsEvent& ev, const CalTime& horizon, size_t maxCount = 5000);

}  // namespace orvportal
