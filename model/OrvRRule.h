// Recurrence rule of an event (the value of an "RRULE" line) and its
// expansion into occurrences. Only frequency, interval, count, until and
// the weekday list shape the occurrences; the other list parts and the week
// start are kept and written back unchanged.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/OrvCalTime.h"
#include "platform/ZafUTimeData.h"

// Frequencies. 7 (an event that takes place once) and 8 (a rule the simple
// editor cannot show) are the recurrence editor's own and have no name.
enum {
    ORV_FREQ_NONE = 0,
    ORV_FREQ_MINUTELY = 1,
    ORV_FREQ_HOURLY = 2,
    ORV_FREQ_DAILY = 3,
    ORV_FREQ_WEEKLY = 4,
    ORV_FREQ_MONTHLY = 5,
    ORV_FREQ_YEARLY = 6,
    ORV_FREQ_ONCE = 7,
    ORV_FREQ_CUSTOM = 8,
};

// Weekdays, Monday 1 to Sunday 7.
enum { ORV_MO = 1, ORV_TU, ORV_WE, ORV_TH, ORV_FR, ORV_SA, ORV_SU };

// Rule parts.
enum {
    ORV_RPART_FREQ = 1,
    ORV_RPART_COUNT,
    ORV_RPART_INTERVAL,
    ORV_RPART_UNTIL,
    ORV_RPART_BYMINUTE,
    ORV_RPART_BYHOUR,
    ORV_RPART_BYMONTHDAY,
    ORV_RPART_BYWEEKNO,
    ORV_RPART_BYYEARDAY,
    ORV_RPART_BYMONTH,
    ORV_RPART_BYDAY,
    ORV_RPART_WKST,
};

class OrvRRule {
public:
    // One BYDAY entry: ordinal (0 = none, negative counts from the end) and
    // weekday (1 to 7; the editor may store other values).
    using DayEntry = std::pair<int16_t, int>;
    // Receives one occurrence: its start and end.
    using EmitFunction = std::function<void(const ZafUTimeData& start, const ZafUTimeData& end)>;

    // Upper bound of the occurrences of one event. A series with more
    // before its limit keeps its latest ones (the months around today that
    // the views show); the earlier ones are skipped arithmetically where
    // the rule's steps are regular, so the work follows what is kept.
    static constexpr int maxPerEvent = 100000;

    OrvRRule() = default;
    OrvRRule(const OrvRRule&) = default;
    OrvRRule& operator=(const OrvRRule&) = default;
    virtual ~OrvRRule() = default;

    std::vector<DayEntry> byDay; // BYDAY
    int frequency = 0;           // FREQ, 0 = no rule
    int interval = 0;            // INTERVAL, 0 = not given (counts as 1)
    int count = 0;               // COUNT, 0 = not given
    OrvCalTime until;            // UNTIL, all zero = not given
    std::vector<int> byMinute;   // BYMINUTE
    std::vector<int> byHour;     // BYHOUR
    std::vector<int> byMonth;    // BYMONTH
    std::vector<int> byMonthDay; // BYMONTHDAY
    std::vector<int> byWeekNo;   // BYWEEKNO
    std::vector<int> byYearDay;  // BYYEARDAY
    int weekStart = 0;           // WKST, only 1 or 7 stored; 0 = not given

    // Fills the rule from an RRULE value ("FREQ=WEEKLY;BYDAY=MO,FR;..."). The
    // rule is not cleared first: parts that do not occur keep their values,
    // list parts append. Unknown names and invalid tokens are skipped.
    void Parse(const std::string& text);
    // The rule text; every part is followed by ';' (an empty rule gives
    // "FREQ=;").
    std::string Write() const;
    // The same with the given text for UNTIL (its zone form).
    std::string Write(const std::string& untilValue) const;
    // RFC 5545 form for other programs: no empty frequency, no trailing
    // ';', no parts other programs refuse (a weekday without a name, list
    // values out of range); UNTIL given as text (empty: none). "" when the
    // rule has no frequency other programs know.
    std::string WriteStandard(const std::string& untilValue) const;
    // Frequency, interval, count, week start 0; until all zero; lists empty.
    void Clear();
    static void Copy(const OrvRRule& from, OrvRRule& to) { to = from; }
    bool operator==(const OrvRRule& o) const;

    // True when the weekday list has exactly five entries, all Monday to
    // Friday.
    bool IsWorkdays() const;
    // 8 when the simple editor cannot show the rule (interval 2 or more,
    // until or count given, two or more weekdays, three or more month days,
    // a weekday with an ordinal); otherwise the frequency.
    int SimpleFrequency() const;

    // Expands the rule for one event into its occurrences, calling emit for
    // each in order of making.
    //   start, end       the event's DTSTART and DTEND; every occurrence
    //                    lasts end - start (0 when end is unset or earlier).
    //   exceptionDates   the event's EXDATE values; an occurrence on one of
    //                    their dates (year, month, day) is skipped but still
    //                    counts towards COUNT.
    //   replacedStarts   the RECURRENCE-ID values of the other events of the
    //                    document with this event's UID (pass them for the
    //                    master, i.e. an event without RECURRENCE-ID). Each
    //                    one removes the first occurrence on its date (which
    //                    still counts); the replacing event brings its own.
    //   horizon          the document's horizon: the limit of every rule; an
    //                    until before it ends the rule earlier.
    //   maxOccurrences   stop after emitting this many (the document's
    //                    remaining room).
    // Frequency 0 and 7, and the ones that are not expanded (1 MINUTELY, 8
    // and any unknown value), give the one occurrence start..end, without
    // limit or exception check (replacedStarts still apply). A rule is not
    // expanded either when the start is unset (year 0). Returns the number
    // of occurrences emitted.
    int Expand(const OrvCalTime& start, const OrvCalTime& end, const std::vector<OrvCalTime>& exceptionDates,
               const std::vector<OrvCalTime>& replacedStarts, const ZafUTimeData& horizon, const EmitFunction& emit,
               int maxOccurrences = maxPerEvent) const;

    // Name tables; whole, case-sensitive lookups. Unknown names give 0,
    // unknown numbers "".
    static int FrequencyOf(const std::string& name);
    static const char* FrequencyName(int frequency);
    static int WeekdayOf(const std::string& name);
    static const char* WeekdayName(int weekday);
    static int RulePartOf(const std::string& name);
    static const char* RulePartName(int part);
};
