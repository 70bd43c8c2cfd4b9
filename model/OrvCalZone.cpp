#include "model/OrvCalZone.h"

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>
#include <algorithm>
#include <deque>
#include <mutex>

#include "model/OrvCalendar.h"
#include "model/OrvCalendarComponent.h"

namespace {

constexpr int64_t kDay = 86400;
// Changes of database zones are listed for these years; before and after,
// the nearest offset holds.
constexpr int kFirstYear = 1850;
constexpr int kLastYear = 2200;

std::string Unquoted(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == '"' || text[begin] == ' ')) ++begin;
    while (end > begin && (text[end - 1] == '"' || text[end - 1] == ' ')) --end;
    return text.substr(begin, end - begin);
}

int32_t OffsetSeconds(const OrvTZOffset& offset)
{
    int32_t seconds = offset.hours * 3600 + offset.minutes * 60;
    return offset.sign == '-' ? -seconds : seconds;
}

std::unique_ptr<OrvZoneTable> TableFromDatabase(const QTimeZone& zone)
{
    auto table = std::make_unique<OrvZoneTable>();
    table->id = zone.id().toStdString();
    const QDateTime from(QDate(kFirstYear, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime to(QDate(kLastYear, 12, 31), QTime(23, 59), Qt::UTC);
    table->initial = zone.offsetFromUtc(from);
    table->initialName = zone.abbreviation(from).toStdString();
    int32_t last = table->initial;
    for (const QTimeZone::OffsetData& change : zone.transitions(from, to)) {
        const int32_t offset = change.offsetFromUtc;
        if (offset == last && !table->changes.empty()) {
            // Only the name changed; nothing to convert.
            continue;
        }
        table->changes.push_back(change.atUtc.toSecsSinceEpoch());
        table->offsets.push_back(offset);
        table->names.push_back(change.abbreviation.toStdString());
        table->daylight.push_back(change.daylightTimeOffset != 0);
        last = offset;
    }
    return table;
}

// Days of a month that a zone rule names: BYMONTHDAY and BYDAY (with or
// without ordinal) restrict the month's days.
std::vector<int> RuleDays(const OrvRRule& rule, int year, int month)
{
    const int days = ZafUTimeData::DaysInMonth(year, month);
    std::vector<int> picked;
    for (int d = 1; d <= days; ++d) {
        if (!rule.byMonthDay.empty()) {
            bool named = false;
            for (int md : rule.byMonthDay)
                if (md == d || (md < 0 && days + md + 1 == d)) named = true;
            if (!named) continue;
        }
        if (!rule.byDay.empty()) {
            ZafUTimeData date(year, month, d);
            const int weekday = date.DayOfWeek() == 0 ? 7 : date.DayOfWeek();
            bool named = false;
            for (const OrvRRule::DayEntry& entry : rule.byDay) {
                if (entry.second != weekday) continue;
                const int nth = (d - 1) / 7 + 1;
                const int nthFromEnd = (days - d) / 7 + 1;
                if (entry.first == 0 || entry.first == nth || -entry.first == nthFromEnd) named = true;
            }
            if (!named) continue;
        }
        picked.push_back(d);
    }
    return picked;
}

// The onsets (wall-clock seconds) of one STANDARD or DAYLIGHT rule.
std::vector<int64_t> Onsets(const OrvCalendarComponent& rule)
{
    std::vector<int64_t> onsets;
    if (!rule.dtStart.IsSet()) return onsets;
    const int64_t start = OrvWallSeconds(rule.dtStart);
    onsets.push_back(start);
    for (const OrvCalTime& date : rule.rDates) onsets.push_back(OrvWallSeconds(date));
    const OrvRRule& r = rule.rrule;
    if (r.frequency == ORV_FREQ_YEARLY) {
        const int step = r.interval > 0 ? r.interval : 1;
        const int lastYear = r.until.IsSet() ? std::min(r.until.Year(), kLastYear) : kLastYear;
        const int64_t until = r.until.IsSet() ? OrvWallSeconds(r.until) : INT64_MAX;
        int counted = 1;
        std::vector<int> months = r.byMonth;
        if (months.empty()) months.push_back(rule.dtStart.Month());
        for (int year = rule.dtStart.Year(); year <= lastYear; year += step) {
            for (int month : months) {
                if (month < 1 || month > 12) continue;
                std::vector<int> days = (r.byDay.empty() && r.byMonthDay.empty())
                                            ? std::vector<int>{rule.dtStart.Day()}
                                            : RuleDays(r, year, month);
                for (int day : days) {
                    if (day > ZafUTimeData::DaysInMonth(year, month)) continue;
                    const int64_t onset = OrvWallSeconds(ZafUTimeData(
                        year, month, day, rule.dtStart.Hour(), rule.dtStart.Minute(), rule.dtStart.Second()));
                    if (onset <= start) continue;
                    if (onset > until) break;
                    if (r.count > 0 && counted >= r.count) break;
                    onsets.push_back(onset);
                    ++counted;
                }
            }
        }
    }
    return onsets;
}

std::unique_ptr<OrvZoneTable> TableFromDefinition(const OrvCalendarComponent& vtimezone, const std::string& tzid)
{
    struct Change {
        int64_t utc;
        int32_t from, to;
        std::string name;
        bool daylight;
    };
    std::vector<Change> list;
    for (OrvElement* e = vtimezone.children.First(); e; e = e->Next()) {
        const OrvCalendarComponent& rule = *static_cast<OrvCalendarComponent*>(e);
        if (!rule.IsA(ORV_STANDARD) && !rule.IsA(ORV_DAYLIGHT)) continue;
        const int32_t from = OffsetSeconds(rule.tzOffsetFrom);
        const int32_t to = OffsetSeconds(rule.tzOffsetTo);
        for (int64_t onset : Onsets(rule)) list.push_back({onset - from, from, to, rule.tzName, rule.IsA(ORV_DAYLIGHT)});
    }
    if (list.empty()) return nullptr;
    std::sort(list.begin(), list.end(), [](const Change& a, const Change& b) { return a.utc < b.utc; });
    auto table = std::make_unique<OrvZoneTable>();
    table->id = tzid;
    table->initial = list.front().from;
    for (const Change& change : list) {
        if (!table->changes.empty() && table->changes.back() == change.utc) continue;
        table->changes.push_back(change.utc);
        table->offsets.push_back(change.to);
        table->names.push_back(change.name);
        table->daylight.push_back(change.daylight);
    }
    return table;
}

std::mutex& DatabaseMutex()
{
    static std::mutex mutex;
    return mutex;
}

}  // namespace

int64_t OrvWallSeconds(const ZafUTimeData& t)
{
    return ZafUTimeData::DaysFromCivil(t.Year(), t.Month(), t.Day()) * kDay + t.Hour() * 3600 + t.Minute() * 60 +
           t.Second();
}

ZafUTimeData OrvFromWallSeconds(int64_t seconds)
{
    int64_t days = seconds / kDay;
    int64_t rest = seconds % kDay;
    if (rest < 0) {
        rest += kDay;
        --days;
    }
    int y, m, d;
    ZafUTimeData::CivilFromDays(days, y, m, d);
    return ZafUTimeData(y, m, d, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                        static_cast<int>(rest % 60), 0);
}

// --- zone names ---------------------------------------------------------------------

namespace {

struct ZoneNames {
    std::mutex mutex;
    std::deque<std::string> names{std::string()};   // references stay valid as it grows
    std::map<std::string, uint32_t> ids;
};

ZoneNames& Names()
{
    static ZoneNames names;
    return names;
}

}  // namespace

OrvZoneName& OrvZoneName::operator=(const std::string& name)
{
    if (name.empty()) {
        id_ = 0;
        return *this;
    }
    ZoneNames& all = Names();
    std::lock_guard<std::mutex> lock(all.mutex);
    auto found = all.ids.find(name);
    if (found != all.ids.end()) {
        id_ = found->second;
    } else {
        id_ = static_cast<uint32_t>(all.names.size());
        all.names.push_back(name);
        all.ids.emplace(name, id_);
    }
    return *this;
}

const std::string& OrvZoneName::str() const
{
    ZoneNames& all = Names();
    std::lock_guard<std::mutex> lock(all.mutex);
    return all.names[id_];
}

// --- one zone ---------------------------------------------------------------------

int32_t OrvZoneTable::OffsetAtUtc(int64_t utc) const
{
    auto after = std::upper_bound(changes.begin(), changes.end(), utc);
    if (after == changes.begin()) return initial;
    return offsets[static_cast<size_t>(after - changes.begin()) - 1];
}

int64_t OrvZoneTable::ToUtc(int64_t wall) const
{
    // The offsets that hold a day before and a day after the wall time
    // (read as UTC) are the only candidates; zones change at most once a
    // day.
    const int32_t before = OffsetAtUtc(wall - kDay);
    const int32_t after = OffsetAtUtc(wall + kDay);
    if (OffsetAtUtc(wall - before) == before) return wall - before;
    if (OffsetAtUtc(wall - after) == after) return wall - after;
    return wall - before;
}

bool OrvZoneTable::SameAs(const OrvZoneTable& other) const
{
    return initial == other.initial && changes == other.changes && offsets == other.offsets;
}

// --- the zones of a document ------------------------------------------------------

OrvZones::OrvZones() = default;
OrvZones::~OrvZones() = default;

void OrvZones::ClearDefinitions() { definitions_.clear(); }

void OrvZones::AddDefinition(const OrvCalendarComponent& vtimezone)
{
    if (!vtimezone.IsA(ORV_VTIMEZONE)) return;
    const std::string tzid = Unquoted(static_cast<const OrvVTIMEZONE&>(vtimezone).tzId);
    if (tzid.empty() || definitions_.count(tzid)) return;
    if (auto table = TableFromDefinition(vtimezone, tzid)) definitions_[tzid] = std::move(table);
}

std::string OrvZones::DatabaseId(const std::string& written)
{
    static std::map<std::string, std::string> known;
    const std::string tzid = Unquoted(written);
    if (tzid.empty()) return "";
    std::lock_guard<std::mutex> lock(DatabaseMutex());
    auto found = known.find(tzid);
    if (found != known.end()) return found->second;
    std::string id;
    auto available = [](const std::string& name) {
        return !name.empty() && QTimeZone::isTimeZoneIdAvailable(QByteArray::fromStdString(name));
    };
    if (tzid == "Z" || tzid == "UTC" || tzid == "GMT" || tzid == "Etc/UTC") {
        id = "UTC";
    } else if (available(tzid)) {
        id = tzid;
    } else {
        const QByteArray windows = QTimeZone::windowsIdToDefaultIanaId(QByteArray::fromStdString(tzid));
        if (!windows.isEmpty()) id = windows.toStdString();
        // Vendor prefixes ("/mozilla.org/20050126_1/Europe/Berlin",
        // "/softwarestudio.org/Olson_20011030_5/America/New_York").
        for (size_t slash = tzid.find('/'); id.empty() && slash != std::string::npos;
             slash = tzid.find('/', slash + 1)) {
            const std::string rest = tzid.substr(slash + 1);
            if (rest.find('/') != std::string::npos && available(rest)) id = rest;
        }
    }
    known[tzid] = id;
    return id;
}

const OrvZoneTable* OrvZones::DatabaseTable(const std::string& id)
{
    static std::map<std::string, std::unique_ptr<OrvZoneTable>> tables;
    if (id.empty()) return nullptr;
    std::lock_guard<std::mutex> lock(DatabaseMutex());
    auto found = tables.find(id);
    if (found != tables.end()) return found->second.get();
    const QTimeZone zone(QByteArray::fromStdString(id));
    std::unique_ptr<OrvZoneTable> table;
    if (zone.isValid()) table = TableFromDatabase(zone);
    const OrvZoneTable* result = table.get();
    tables[id] = std::move(table);
    return result;
}

const OrvZoneTable& OrvZones::Local()
{
    // The zone is taken once per process, as the rest of the program does.
    static const OrvZoneTable* local = [] {
        const OrvZoneTable* table = DatabaseTable(QTimeZone::systemTimeZoneId().toStdString());
        if (!table) {
            // A system zone the database cannot name: its offsets now.
            static OrvZoneTable fixed;
            fixed.id = "local";
            fixed.initial = QDateTime::currentDateTime().offsetFromUtc();
            table = &fixed;
        }
        return table;
    }();
    return *local;
}

const OrvZoneTable& OrvZones::Utc()
{
    static const OrvZoneTable utc = [] {
        OrvZoneTable table;
        table.id = "UTC";
        table.initialName = "UTC";
        return table;
    }();
    return utc;
}

const OrvZoneTable* OrvZones::Find(const std::string& tzid) const
{
    if (const OrvZoneTable* table = DatabaseTable(DatabaseId(tzid))) return table;
    auto found = definitions_.find(Unquoted(tzid));
    return found == definitions_.end() ? nullptr : found->second.get();
}

bool OrvZones::DefinedByFile(const std::string& tzid) const
{
    return DatabaseId(tzid).empty() && definitions_.count(Unquoted(tzid)) != 0;
}

const OrvZoneTable* OrvZones::TableOf(const OrvCalTime& form) const
{
    if (form.dateOnly) return nullptr;
    if (form.utc) return &Utc();
    if (form.zone.empty()) return nullptr;
    return Find(form.zone);
}

bool OrvZones::ToLocal(const OrvCalTime& form, ZafUTimeData& value) const
{
    const OrvZoneTable* zone = TableOf(form);
    if (!zone || !value.Year()) return false;
    const OrvZoneTable& local = Local();
    if (zone == &local) return true;
    const int ms = value.Milliseconds();
    ZafUTimeData converted = OrvFromWallSeconds(local.FromUtc(zone->ToUtc(OrvWallSeconds(value))));
    converted.Set(converted.Year(), converted.Month(), converted.Day(), converted.Hour(), converted.Minute(),
                  converted.Second(), ms);
    value = converted;
    return true;
}

bool OrvZones::FromLocal(const OrvCalTime& form, ZafUTimeData& value) const
{
    const OrvZoneTable* zone = TableOf(form);
    if (!zone || !value.Year()) return false;
    const OrvZoneTable& local = Local();
    if (zone == &local) return true;
    value = OrvFromWallSeconds(zone->FromUtc(local.ToUtc(OrvWallSeconds(value))));
    return true;
}

const OrvZones& OrvZonesOf(const OrvCalendarComponent* component)
{
    static const OrvZones databaseOnly;
    if (component && component->document) return component->document->zones;
    return databaseOnly;
}
