#include "model/OrvRRule.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "model/OrvPairTokenizer.h"

namespace {

struct NameRow {
    const char* name;
    int number;
};

const NameRow frequencyTable[] = {
    {"MINUTELY", ORV_FREQ_MINUTELY}, {"HOURLY", ORV_FREQ_HOURLY},   {"DAILY", ORV_FREQ_DAILY},
    {"WEEKLY", ORV_FREQ_WEEKLY},     {"MONTHLY", ORV_FREQ_MONTHLY}, {"YEARLY", ORV_FREQ_YEARLY},
    {"", 0},
};

const NameRow weekdayTable[] = {
    {"MO", ORV_MO}, {"TU", ORV_TU}, {"WE", ORV_WE}, {"TH", ORV_TH}, {"FR", ORV_FR}, {"SA", ORV_SA}, {"SU", ORV_SU},
    {"", 0},
};

const NameRow rulePartTable[] = {
    {"FREQ", ORV_RPART_FREQ},
    {"COUNT", ORV_RPART_COUNT},
    {"INTERVAL", ORV_RPART_INTERVAL},
    {"UNTIL", ORV_RPART_UNTIL},
    {"BYMINUTE", ORV_RPART_BYMINUTE},
    {"BYHOUR", ORV_RPART_BYHOUR},
    {"BYMONTHDAY", ORV_RPART_BYMONTHDAY},
    {"BYWEEKNO", ORV_RPART_BYWEEKNO},
    {"BYYEARDAY", ORV_RPART_BYYEARDAY},
    {"BYMONTH", ORV_RPART_BYMONTH},
    {"BYDAY", ORV_RPART_BYDAY},
    {"WKST", ORV_RPART_WKST},
    {"", 0},
};

int Lookup(const NameRow* table, const std::string& name)
{
    if (name.empty()) return 0;
    for (const NameRow* row = table; row->number; ++row)
        if (name == row->name) return row->number;
    return 0;
}

const char* NameOf(const NameRow* table, int number)
{
    for (const NameRow* row = table; row->number; ++row)
        if (row->number == number) return row->name;
    return "";
}

void AppendList(std::vector<int>& list, const std::string& value)
{
    for (const std::string& token : OrvSplitTokens(value, ',')) list.push_back(OrvReadInt(token));
}

void WriteList(std::string& out, const char* key, const std::vector<int>& list)
{
    if (list.empty()) return;
    out += key;
    out += '=';
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i) out += ',';
        out += std::to_string(list[i]);
    }
    out += ';';
}

// Day number (days since 1970-01-01) of a date-time's date.
int64_t DayNumber(const ZafUTimeData& t)
{
    return ZafUTimeData::DaysFromCivil(t.Year(), t.Month(), t.Day());
}

bool SameDate(const ZafUTimeData& a, const ZafUTimeData& b)
{
    return a.Year() == b.Year() && a.Month() == b.Month() && a.Day() == b.Day();
}

// Weekday with Monday 1 ... Sunday 7.
int IsoWeekday(const ZafUTimeData& t)
{
    int w = t.DayOfWeek();
    return w == 0 ? 7 : w;
}

// The last moment a date-time of the model can name; limits beyond it are
// cut back so that every loop below ends.
const ZafUTimeData& LatestLimit()
{
    static const ZafUTimeData latest(9999, 12, 31, 23, 59, 59, 999);
    return latest;
}

} // namespace

int OrvRRule::FrequencyOf(const std::string& name) { return Lookup(frequencyTable, name); }
const char* OrvRRule::FrequencyName(int frequency) { return NameOf(frequencyTable, frequency); }
int OrvRRule::WeekdayOf(const std::string& name) { return Lookup(weekdayTable, name); }
const char* OrvRRule::WeekdayName(int weekday) { return NameOf(weekdayTable, weekday); }
int OrvRRule::RulePartOf(const std::string& name) { return Lookup(rulePartTable, name); }
const char* OrvRRule::RulePartName(int part) { return NameOf(rulePartTable, part); }

void OrvRRule::Parse(const std::string& text)
{
    OrvPairTokenizer tokenizer(text);
    std::string key;
    std::string value;
    while (tokenizer.Next(key, value)) {
        switch (RulePartOf(key)) {
        case ORV_RPART_FREQ: frequency = FrequencyOf(value); break;
        case ORV_RPART_COUNT: count = OrvReadInt(value); break;
        case ORV_RPART_INTERVAL: interval = OrvReadInt(value); break;
        case ORV_RPART_UNTIL: {
            // A date alone, or UTC ("Z"): the reader makes it local time.
            const bool date = value.size() == 8;
            until = OrvReadDateTime(value, date);
            until.dateOnly = date;
            if (!date && !value.empty() && (value.back() == 'Z' || value.back() == 'z')) {
                until.utc = true;
                until.inZone = true;
            }
            break;
        }
        case ORV_RPART_BYMINUTE: AppendList(byMinute, value); break;
        case ORV_RPART_BYHOUR: AppendList(byHour, value); break;
        case ORV_RPART_BYMONTHDAY: AppendList(byMonthDay, value); break;
        case ORV_RPART_BYWEEKNO: AppendList(byWeekNo, value); break;
        case ORV_RPART_BYYEARDAY: AppendList(byYearDay, value); break;
        case ORV_RPART_BYMONTH: AppendList(byMonth, value); break;
        case ORV_RPART_BYDAY:
            for (const std::string& token : OrvSplitTokens(value, ',')) {
                std::size_t split = 0;
                while (split < token.size() && (token[split] == '-' || (token[split] >= '0' && token[split] <= '9')))
                    ++split;
                int weekday = WeekdayOf(token.substr(split));
                if (!weekday) continue; // "+1MO" and unknown names give no entry
                int ordinal = split ? OrvReadInt(token.substr(0, split)) : 0;
                ordinal = std::clamp(ordinal, static_cast<int>(INT16_MIN), static_cast<int>(INT16_MAX));
                byDay.emplace_back(static_cast<int16_t>(ordinal), weekday);
            }
            break;
        case ORV_RPART_WKST: {
            int weekday = WeekdayOf(value);
            if (weekday == ORV_MO || weekday == ORV_SU) weekStart = weekday;
            break;
        }
        default: break; // unknown names, and pairs without a name
        }
    }
}

std::string OrvRRule::Write() const
{
    return Write(until.Year() != 0 ? until.Text() : std::string());
}

std::string OrvRRule::WriteStandard(const std::string& untilValue) const
{
    const char* name = FrequencyName(frequency);
    if (!*name) return "";
    std::string out = "FREQ=";
    out += name;
    std::string days;
    for (const DayEntry& entry : byDay) {
        if (!*WeekdayName(entry.second)) continue;
        if (entry.first < -53 || entry.first > 53) continue;
        if (!days.empty()) days += ',';
        if (entry.first != 0) days += std::to_string(entry.first);
        days += WeekdayName(entry.second);
    }
    if (!days.empty()) out += ";BYDAY=" + days;
    // COUNT and UNTIL exclude each other; the count is the rule's own limit.
    if (count > 0) out += ";COUNT=" + std::to_string(count);
    if (interval > 0) out += ";INTERVAL=" + std::to_string(interval);
    if (count <= 0 && !untilValue.empty()) out += ";UNTIL=" + untilValue;
    auto list = [&out](const char* key, const std::vector<int>& values, int low, int high, bool signedRange) {
        std::string joined;
        for (int v : values) {
            const bool ok = signedRange ? (v != 0 && v >= -high && v <= high) : (v >= low && v <= high);
            if (!ok) continue;
            if (!joined.empty()) joined += ',';
            joined += std::to_string(v);
        }
        if (!joined.empty()) out += std::string(";") + key + "=" + joined;
    };
    list("BYMINUTE", byMinute, 0, 59, false);
    list("BYHOUR", byHour, 0, 23, false);
    list("BYMONTHDAY", byMonthDay, 1, 31, true);
    list("BYWEEKNO", byWeekNo, 1, 53, true);
    list("BYYEARDAY", byYearDay, 1, 366, true);
    list("BYMONTH", byMonth, 1, 12, false);
    if (weekStart != 0) out += std::string(";WKST=") + WeekdayName(weekStart);
    return out;
}

std::string OrvRRule::Write(const std::string& untilValue) const
{
    std::string out = "FREQ=";
    out += FrequencyName(frequency);
    out += ';';
    if (!byDay.empty()) {
        out += "BYDAY=";
        for (std::size_t i = 0; i < byDay.size(); ++i) {
            if (i) out += ',';
            if (byDay[i].first != 0) out += std::to_string(byDay[i].first);
            out += WeekdayName(byDay[i].second);
        }
        out += ';';
    }
    if (count != 0) out += "COUNT=" + std::to_string(count) + ";";
    if (interval != 0) out += "INTERVAL=" + std::to_string(interval) + ";";
    if (!untilValue.empty()) out += "UNTIL=" + untilValue + ";";
    WriteList(out, "BYMINUTE", byMinute);
    WriteList(out, "BYHOUR", byHour);
    WriteList(out, "BYMONTHDAY", byMonthDay);
    WriteList(out, "BYWEEKNO", byWeekNo);
    WriteList(out, "BYYEARDAY", byYearDay);
    WriteList(out, "BYMONTH", byMonth);
    if (weekStart != 0) {
        out += "WKST=";
        out += WeekdayName(weekStart);
        out += ';';
    }
    return out;
}

void OrvRRule::Clear()
{
    frequency = 0;
    interval = 0;
    count = 0;
    weekStart = 0;
    until.Clear();
    byDay.clear();
    byMinute.clear();
    byHour.clear();
    byMonth.clear();
    byMonthDay.clear();
    byWeekNo.clear();
    byYearDay.clear();
}

bool OrvRRule::operator==(const OrvRRule& o) const
{
    return byDay == o.byDay && frequency == o.frequency && interval == o.interval && count == o.count &&
           until == o.until && until.Year() == o.until.Year() && byMinute == o.byMinute && byHour == o.byHour &&
           byMonth == o.byMonth && byMonthDay == o.byMonthDay && byWeekNo == o.byWeekNo &&
           byYearDay == o.byYearDay && weekStart == o.weekStart;
}

bool OrvRRule::IsWorkdays() const
{
    if (byDay.size() != 5) return false;
    for (const DayEntry& entry : byDay)
        if (entry.second > ORV_FR) return false;
    return true;
}

int OrvRRule::SimpleFrequency() const
{
    if (interval >= 2 || until.Year() != 0 || count != 0 || byDay.size() >= 2 || byMonthDay.size() >= 3)
        return ORV_FREQ_CUSTOM;
    for (const DayEntry& entry : byDay)
        if (entry.first != 0) return ORV_FREQ_CUSTOM;
    return frequency;
}

namespace {

// State of the expansion of one event.
class Expansion {
public:
    Expansion(const OrvRRule& rule, const OrvCalTime& start, const OrvCalTime& end,
              const std::vector<OrvCalTime>& exceptionDates, const std::vector<OrvCalTime>& replacedStarts,
              const OrvRRule::EmitFunction& emit, int budget)
        : replacedStarts_(replacedStarts), replacedUsed_(replacedStarts.size(), false), emit_(emit),
          budget_(std::max(0, std::min(budget, OrvRRule::maxPerEvent)))
    {
        counting_ = rule.count > 0;
        remaining_ = rule.count;
        if (end.IsSet() && end > start) duration_ = end.Difference(start) / 1000;
        // Days of the exceptions, sorted: a long list must not be walked
        // for every candidate.
        exceptionDays_.reserve(exceptionDates.size());
        for (const OrvCalTime& ex : exceptionDates) exceptionDays_.push_back(DayNumber(ex));
        std::sort(exceptionDays_.begin(), exceptionDays_.end());
    }

    // Passes one occurrence on unless an event of the same UID replaces it.
    void Deliver(const ZafUTimeData& occurrenceStart, const ZafUTimeData& occurrenceEnd)
    {
        for (std::size_t i = 0; i < replacedStarts_.size(); ++i) {
            if (!replacedUsed_[i] && SameDate(replacedStarts_[i], occurrenceStart)) {
                replacedUsed_[i] = true;
                return;
            }
        }
        if (emitted_ >= budget_) return;
        if (emit_) emit_(occurrenceStart, occurrenceEnd);
        ++emitted_;
    }

    // One candidate on the given day (as a day number) at hour:minute.
    // Returns false when the expansion of the event ends with it.
    bool Candidate(int64_t dayNumber, int hour, int minute)
    {
        if (!std::binary_search(exceptionDays_.begin(), exceptionDays_.end(), dayNumber)) {
            int y, m, d;
            ZafUTimeData::CivilFromDays(dayNumber, y, m, d);
            ZafUTimeData occurrence(y, m, d, hour, minute, 0, 0);
            ZafUTimeData occurrenceEnd = occurrence;
            occurrenceEnd.AddSeconds(duration_);
            Deliver(occurrence, occurrenceEnd);
        }
        if (counting_ && --remaining_ <= 0) return false;
        return emitted_ < budget_;
    }

    // Candidates passed over without looking at them; they still count.
    // False when the count ends among them.
    bool Skip(int64_t candidates)
    {
        if (!counting_) return true;
        if (candidates >= remaining_) {
            remaining_ = 0;
            return false;
        }
        remaining_ -= static_cast<int>(candidates);
        return true;
    }

    // Candidates the count still allows (the budget otherwise).
    int64_t Allowed() const { return counting_ ? remaining_ : INT64_MAX; }
    int Budget() const { return budget_; }
    int Emitted() const { return emitted_; }

private:
    std::vector<int64_t> exceptionDays_;
    const std::vector<OrvCalTime>& replacedStarts_;
    std::vector<bool> replacedUsed_;
    const OrvRRule::EmitFunction& emit_;
    bool counting_ = false;
    int remaining_ = 0;
    int64_t duration_ = 0;
    int emitted_ = 0;
    int budget_ = 0;
};

} // namespace

int OrvRRule::Expand(const OrvCalTime& start, const OrvCalTime& end, const std::vector<OrvCalTime>& exceptionDates,
                     const std::vector<OrvCalTime>& replacedStarts, const ZafUTimeData& horizon,
                     const EmitFunction& emit, int maxOccurrences) const
{
    Expansion run(*this, start, end, exceptionDates, replacedStarts, emit, maxOccurrences);

    const bool expandable = frequency >= ORV_FREQ_HOURLY && frequency <= ORV_FREQ_YEARLY;
    if (!expandable || !start.IsSet()) {
        // No rule, a one-time event, or a rule that is not expanded: the
        // event still shows once instead of vanishing from the calendar.
        run.Deliver(start, end);
        return run.Emitted();
    }

    const int64_t step = interval > 0 ? interval : 1; // 0 and nonsense count as 1
    // The horizon ends every rule; an until before it ends it earlier. An
    // until far beyond what the views show (9999) makes no work there.
    ZafUTimeData limit = until.IsSet() && until < horizon ? static_cast<const ZafUTimeData&>(until) : horizon;
    // Year first: the millisecond count of an absurd year would overflow.
    if (limit.Year() > LatestLimit().Year() || limit > LatestLimit()) limit = LatestLimit();
    const int hour = start.Hour();
    const int minute = start.Minute();
    const int64_t startDay = DayNumber(start);

    switch (frequency) {
    case ORV_FREQ_HOURLY:
    case ORV_FREQ_DAILY:
    case ORV_FREQ_WEEKLY:
        if (frequency != ORV_FREQ_WEEKLY || byDay.empty()) {
            const int64_t seconds = frequency == ORV_FREQ_HOURLY ? 3600 : frequency == ORV_FREQ_DAILY ? 86400 : 604800;
            ZafUTimeData c = start;
            if (c > limit) break;
            // More candidates than the budget before the limit: jump over the
            // early ones (they still count) to keep the latest.
            const int64_t span = (limit.Milliseconds64() - start.Milliseconds64()) / 1000;
            const int64_t stepSeconds = step * seconds;
            const int64_t total = std::min<int64_t>(span / stepSeconds + 1, run.Allowed());
            if (total > run.Budget()) {
                const int64_t skipped = total - run.Budget();
                if (!run.Skip(skipped)) break;
                c.AddSeconds(skipped * stepSeconds);
            }
            // A huge step leaves the limit behind at once; 64-bit date
            // arithmetic carries it without overflow.
            for (; c <= limit; c.AddSeconds(stepSeconds)) {
                int h = frequency == ORV_FREQ_HOURLY ? c.Hour() : hour;
                int mi = frequency == ORV_FREQ_HOURLY ? c.Minute() : minute;
                if (!run.Candidate(DayNumber(c), h, mi)) break;
            }
            break;
        }
        {
            // Weekly on weekdays: the days of each week in date order, so
            // that COUNT takes the earliest ones whatever the list order.
            std::vector<int64_t> offsets;
            for (const DayEntry& entry : byDay) offsets.push_back(static_cast<int64_t>(entry.second) - 1);
            std::sort(offsets.begin(), offsets.end());
            offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
            const int64_t limitDay = DayNumber(limit);
            bool going = true;
            int64_t monday = startDay - (IsoWeekday(start) - 1);
            // Whole weeks after the first are skipped arithmetically when a
            // series without COUNT would give more than the budget.
            if (run.Allowed() == INT64_MAX && !offsets.empty() && monday <= limitDay) {
                const int64_t weeks = (limitDay - monday) / (7 * step) + 1;
                const int64_t keep = std::max<int64_t>(1, run.Budget() / static_cast<int64_t>(offsets.size()));
                if (weeks > keep) monday += (weeks - keep) * 7 * step;
            }
            for (; going && monday <= limitDay; monday += 7 * step) {
                for (int64_t offset : offsets) {
                    int64_t day = monday + offset;
                    if (day < startDay) continue; // before the event's own start
                    int y, m, d;
                    ZafUTimeData::CivilFromDays(day, y, m, d);
                    if (ZafUTimeData(y, m, d, hour, minute, 0, 0) > limit) break;
                    if (!run.Candidate(day, hour, minute)) {
                        going = false;
                        break;
                    }
                }
            }
        }
        break;

    case ORV_FREQ_MONTHLY: {
        const int64_t firstMonth = static_cast<int64_t>(start.Year()) * 12 + (start.Month() - 1);
        const int sday = start.Day();
        bool going = true;
        for (int64_t k = 0; going; ++k) {
            int64_t index = firstMonth + k * step;
            int64_t y64 = index / 12;
            if (y64 > limit.Year()) break;
            int y = static_cast<int>(y64);
            int m = static_cast<int>(index % 12) + 1;
            if (ZafUTimeData(y, m, 1, 0, 0, 0, 0) > limit) break;
            const int days = ZafUTimeData::DaysInMonth(y, m);
            const int64_t monthDay1 = ZafUTimeData::DaysFromCivil(y, m, 1);
            if (byDay.empty()) {
                // A month without the start's day (the 31st, 29 February)
                // is skipped and not counted.
                if (sday < 1 || sday > days) continue;
                ZafUTimeData c = k == 0 ? ZafUTimeData(start) : ZafUTimeData(y, m, sday, hour, minute, 0, 0);
                if (c > limit) break;
                if (!run.Candidate(monthDay1 + sday - 1, hour, minute)) break;
                continue;
            }
            std::vector<int> picked;
            const int weekdayOfDay1 = IsoWeekday(ZafUTimeData(y, m, 1));
            for (const DayEntry& entry : byDay) {
                if (entry.second < ORV_MO || entry.second > ORV_SU) continue; // no day has such a weekday
                int first = 1 + (entry.second - weekdayOfDay1 + 7) % 7;
                int matches = (days - first) / 7 + 1;
                int n = entry.first;
                if (n > 0) {
                    if (n <= matches) picked.push_back(first + (n - 1) * 7);
                } else if (n < 0) {
                    if (-n <= matches) picked.push_back(first + (matches + n) * 7);
                } else {
                    // A bare weekday stands for every such day of the month.
                    for (int i = 0; i < matches; ++i) picked.push_back(first + i * 7);
                }
            }
            std::sort(picked.begin(), picked.end());
            picked.erase(std::unique(picked.begin(), picked.end()), picked.end());
            for (int d : picked) {
                int64_t day = monthDay1 + d - 1;
                if (day < startDay) continue;
                if (ZafUTimeData(y, m, d, hour, minute, 0, 0) > limit) {
                    going = false;
                    break;
                }
                if (!run.Candidate(day, hour, minute)) {
                    going = false;
                    break;
                }
            }
        }
        break;
    }

    case ORV_FREQ_YEARLY: {
        const int smonth = start.Month();
        const int sday = start.Day();
        for (int64_t k = 0;; ++k) {
            int64_t y64 = start.Year() + k * step;
            if (y64 > limit.Year()) break;
            int y = static_cast<int>(y64);
            // 29 February (or any day the month lacks) skips the year.
            if (sday < 1 || sday > ZafUTimeData::DaysInMonth(y, smonth)) continue;
            ZafUTimeData c = k == 0 ? ZafUTimeData(start) : ZafUTimeData(y, smonth, sday, hour, minute, 0, 0);
            if (c > limit) break;
            if (!run.Candidate(ZafUTimeData::DaysFromCivil(y, smonth, sday), hour, minute)) break;
        }
        break;
    }
    }
    return run.Emitted();
}
