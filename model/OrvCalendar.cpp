#include "model/OrvCalendar.h"
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

#include "base/OrvText.h"
#include "model/OrvCalReader.h"
#include "platform/ZafString.h"

// --- address book -------------------------------------------------------------

OrvPerson OrvAddress::Person() const
{
    OrvPerson person;
    person.FillFromAddress(portalId, name.c_str(), street.c_str(), city.c_str(), zip.c_str(), country.c_str(),
                           phone.c_str(), url.c_str(), email.c_str(), room01.c_str());
    return person;
}

OrvAddress* OrvAddressList::FindByName(const std::string& name) const
{
    for (OrvElement* e = First(); e; e = e->Next()) {
        OrvAddress* address = static_cast<OrvAddress*>(e);
        if (address->key == name || address->name == name) return address;
    }
    return nullptr;
}

// --- occurrences --------------------------------------------------------------

OrvEventDate* OrvEventDate::Copy() const
{
    OrvCalendarComponent* copy = event ? event->Clone() : nullptr;
    if (!copy) return nullptr;
    return new OrvEventDate(start, end, copy);
}

namespace {


// The file name without directory and without anything from the first ".".
std::string DocumentName(const std::string& path)
{
    std::string name = StripFullPath(path);
    size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool WriteAll(int fd, const std::string& text)
{
    size_t written = 0;
    while (written < text.size()) {
        ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

ZafUTimeData OrvDefaultHorizon()
{
    ZafUTimeData today = ZafUTimeData::Now();
    int day = today.Day();
    // 29 February has no counterpart two years later.
    if (today.Month() == 2 && day == 29) day = 28;
    return ZafUTimeData(today.Year() + 2, today.Month(), day, 12, 0, 0, 0);
}

// --- the document -------------------------------------------------------------

namespace {
int WriteCalendarFile(const std::string& path, const std::string& lines);
}

OrvCalendar::OrvCalendar() : horizon(OrvDefaultHorizon()) {}

OrvCalendar::~OrvCalendar()
{
    Clear();
}

void OrvCalendar::Load(const std::string& path)
{
    name = DocumentName(path);
    Trace(2, name.c_str());
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return;
    std::string text;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
    OrvReadCalendarText(*this, text);
    Trace(3, name.c_str());
}

void OrvCalendar::LoadText(const std::string& text)
{
    OrvReadCalendarText(*this, text);
}

std::string OrvCalendar::Text() const
{
    std::ostringstream out;
    for (OrvElement* e = components.First(); e; e = e->Next())
        OrvWriteComponent(*static_cast<OrvCalendarComponent*>(e), out, OrvWriteMode::Local);
    return out.str();
}

int OrvCalendar::Save(const std::string& path) const
{
    return WriteCalendarFile(path, Text());
}

int OrvCalendar::Export(const std::string& path) const
{
    return WriteCalendarFile(path, OrvExportText(*this));
}

namespace {

int WriteCalendarFile(const std::string& path, const std::string& lines)
{
    if (path.empty()) return -1;
    // The file keeps the CR LF line ends of a text-mode file.
    std::string text;
    text.reserve(lines.size() + lines.size() / 16);
    for (char c : lines) {
        if (c == '\n') text += '\r';
        text += c;
    }

    // Through a symbolic link the file it points to is written and the
    // link stays a link: renaming over the link itself would replace it.
    std::string target = path;
    for (int hops = 0;; ++hops) {
        struct stat link {};
        if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) break;
        if (hops == 40) {
            errno = ELOOP;
            return -1;
        }
        std::string next(link.st_size > 0 ? static_cast<size_t>(link.st_size) + 1 : 4096, '\0');
        ssize_t n = ::readlink(target.c_str(), next.data(), next.size());
        if (n < 0) return -1;
        next.resize(static_cast<size_t>(n));
        // A relative link counts from the link's own directory.
        size_t slash = target.rfind('/');
        if (!next.empty() && next[0] != '/' && slash != std::string::npos) next = target.substr(0, slash + 1) + next;
        target = next;
    }

    // Written beside the target and renamed over it, so that a failed or
    // interrupted save never destroys the calendar that is there.
    std::string temporary = target + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) return -1;
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = WriteAll(fd, text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(temporary.c_str(), target.c_str()) == 0) return 0;
    int error = errno;   // the caller may want to tell why
    ::unlink(temporary.c_str());
    errno = error;
    return -1;
}

}  // namespace

void OrvCalendar::Clear()
{
    byDay_.clear();
    byDayBuilt_ = false;
    components.Destroy();
    cursor = nullptr;
    name.clear();
    occurrences.Destroy();
    events.clear();
}

int OrvCalendar::AddEvent(OrvCalendarComponent* component, const char* calendarName)
{
    if (!component) return -1;
    if (component->IsA(ORV_VCALENDAR)) {
        component->parent = nullptr;
        component->SetDocument(this);
        components.Add(component);
        return 0;
    }
    OrvCalendarComponent* calendar = nullptr;
    if (calendarName)
        for (OrvElement* e = components.First(); e && !calendar; e = e->Next()) {
            OrvCalendarComponent* c = static_cast<OrvCalendarComponent*>(e);
            if (c->IsA(ORV_VCALENDAR) && c->name == calendarName) calendar = c;
        }
    for (OrvElement* e = components.First(); e && !calendar; e = e->Next())
        if (static_cast<OrvCalendarComponent*>(e)->IsA(ORV_VCALENDAR)) calendar = static_cast<OrvCalendarComponent*>(e);
    if (!calendar) return -1;
    calendar->AddChild(component);
    return 0;
}

void OrvCalendar::AdoptEvent(OrvCalendarComponent* event)
{
    if (!event || AddEvent(event) == 0) return;
    auto* block = new OrvVCALENDAR;
    block->version = "2.0";
    block->prodId = "-//OrvCalendar//OrvCalendar 1.0//DE";
    AddEvent(block);
    AddEvent(event);
}

namespace {

// Converts local times into the frame an event repeats in (its zone, or
// UTC) and back.
struct Frame {
    const OrvZoneTable* zone = nullptr;   // null: local wall-clock time
    ZafUTimeData In(const ZafUTimeData& local) const
    {
        if (!zone || !local.Year()) return local;
        return OrvFromWallSeconds(zone->FromUtc(OrvZones::Local().ToUtc(OrvWallSeconds(local))));
    }
    ZafUTimeData Out(const ZafUTimeData& wall) const
    {
        if (!zone || !wall.Year()) return wall;
        return OrvFromWallSeconds(OrvZones::Local().FromUtc(zone->ToUtc(OrvWallSeconds(wall))));
    }
    OrvCalTime In(const OrvCalTime& local) const
    {
        OrvCalTime t = local;
        static_cast<ZafUTimeData&>(t) = In(static_cast<const ZafUTimeData&>(local));
        return t;
    }
};

}  // namespace

void OrvCalendar::RebuildOccurrences()
{
    byDay_.clear();
    byDayBuilt_ = false;
    events.clear();
    occurrences.Destroy();
    for (OrvElement* c = components.First(); c; c = c->Next()) {
        OrvCalendarComponent* calendar = static_cast<OrvCalendarComponent*>(c);
        if (!calendar->IsA(ORV_VCALENDAR)) continue;
        for (OrvElement* e = calendar->children.First(); e; e = e->Next())
            if (static_cast<OrvCalendarComponent*>(e)->IsA(ORV_VEVENT))
                events.push_back(static_cast<OrvCalendarComponent*>(e));
    }
    // The dates that events with a RECURRENCE-ID take from the series of
    // their UID; the series leaves them out, whichever of the two the file
    // has first.
    std::unordered_map<std::string, std::vector<OrvCalTime>> replaced;
    for (const OrvCalendarComponent* event : events)
        if (event->recurrenceId.IsSet()) replaced[event->uid].push_back(event->recurrenceId);
    static const std::vector<OrvCalTime> none;

    for (OrvCalendarComponent* event : events) {
        if (occurrences.Count() >= ORV_MAX_OCCURRENCES) break;
        const std::vector<OrvCalTime>* taken = &none;
        if (!event->recurrenceId.IsSet()) {
            auto found = replaced.find(event->uid);
            if (found != replaced.end()) taken = &found->second;
        }
        const OrvCalTime end = static_cast<OrvVEVENT*>(event)->EffectiveEnd();
        auto add = [this, event](const ZafUTimeData& start, const ZafUTimeData& stop) {
            // A file of many rules reaching far back must not eat the
            // memory of the machine.
            if (occurrences.Count() >= ORV_MAX_OCCURRENCES) return;
            occurrences.Add(new OrvEventDate(start, stop, event));
        };

        // A series in another zone (or in UTC) repeats at the same time of
        // that zone; its dates are made there and shown in local time.
        Frame frame;
        const OrvZoneTable* zone = zones.TableOf(event->dtStart);
        if (zone && zone != &OrvZones::Local() && event->rrule.frequency != 0 && !zone->SameAs(OrvZones::Local()))
            frame.zone = zone;
        const int64_t length = end.IsSet() && end > event->dtStart ? end.Difference(event->dtStart) / 1000 : 0;
        // The whole rebuild stops at the cap, not each event on its own.
        const int room = ORV_MAX_OCCURRENCES - occurrences.Count();
        std::vector<ZafUTimeData> made;
        const bool extraDates = !event->rDates.empty();
        auto emit = [&](const ZafUTimeData& start, const ZafUTimeData& stop) {
            if (!frame.zone) {
                if (extraDates) made.push_back(start);
                add(start, stop);
                return;
            }
            ZafUTimeData shown = frame.Out(start);
            ZafUTimeData shownStop = shown;
            shownStop.AddSeconds(length);
            if (extraDates) made.push_back(shown);
            add(shown, shownStop);
        };
        if (frame.zone) {
            std::vector<OrvCalTime> exceptions, takenIn;
            for (const OrvCalTime& t : event->exDates) exceptions.push_back(frame.In(t));
            for (const OrvCalTime& t : *taken) takenIn.push_back(frame.In(t));
            OrvRRule rule = event->rrule;
            if (rule.until.IsSet()) rule.until = frame.In(rule.until);
            rule.Expand(frame.In(event->dtStart), frame.In(end), exceptions, takenIn, frame.In(horizon), emit, room);
        } else {
            event->rrule.Expand(event->dtStart, end, event->exDates, *taken, horizon, emit, room);
        }
        // Further dates of the event, unless excepted or already made.
        for (const OrvCalTime& date : event->rDates) {
            if (!date.IsSet()) continue;
            auto sameDay = [&date](const OrvCalTime& t) {
                return t.Year() == date.Year() && t.Month() == date.Month() && t.Day() == date.Day();
            };
            if (std::any_of(event->exDates.begin(), event->exDates.end(), sameDay)) continue;
            if (std::any_of(taken->begin(), taken->end(), sameDay)) continue;
            if (std::find(made.begin(), made.end(), static_cast<const ZafUTimeData&>(date)) != made.end()) continue;
            ZafUTimeData stop = date;
            stop.AddSeconds(length);
            made.push_back(date);
            add(date, stop);
        }
    }
}

const std::vector<OrvEventDate*>& OrvCalendar::OccurrencesOn(const ZafUTimeData& day)
{
    auto dayNumber = [](const ZafUTimeData& t) { return ZafUTimeData::DaysFromCivil(t.Year(), t.Month(), t.Day()); };
    if (!byDayBuilt_ || byDayChanges_ != occurrences.Changes()) {
        byDay_.clear();
        byDayChanges_ = occurrences.Changes();
        for (OrvElement* e = occurrences.First(); e; e = e->Next()) {
            auto* date = static_cast<OrvEventDate*>(e);
            const int64_t first = dayNumber(date->start);
            byDay_[first].push_back(date);
            if (!date->event || !date->event->dtStart.dateOnly) continue;
            // The end of whole days is the day after the last; a year at most.
            const int64_t after = std::min(dayNumber(date->end), first + 366);
            for (int64_t d = first + 1; d < after; ++d) byDay_[d].push_back(date);
        }
        byDayBuilt_ = true;
    }
    static const std::vector<OrvEventDate*> none;
    auto found = byDay_.find(dayNumber(day));
    return found == byDay_.end() ? none : found->second;
}

int OrvCalendar::OccurrenceNumber(const OrvEventDate* occurrence)
{
    if (!occurrence) return 0;
    if (occurrences.Count() == 0) RebuildOccurrences();
    int number = 0;
    for (OrvElement* e = occurrences.First(); e; e = e->Next()) {
        OrvEventDate* other = static_cast<OrvEventDate*>(e);
        if (other->event != occurrence->event) continue;
        ++number;
        // The occurrence itself: one that is not in the list has no number.
        if (other == occurrence) return number;
    }
    return 0;
}

int OrvCalendar::HighlightAt(const OrvCalendarComponent* event, const ZafUTimeData& dateTime)
{
    return event ? event->highlights.Level(dateTime) : 0;
}

int OrvCalendar::OccurrenceHighlight(const OrvEventDate* occurrence) const
{
    return occurrence ? HighlightAt(occurrence->event, occurrence->start) : 0;
}

void OrvCalendar::SetOccurrenceHighlight(OrvCalendarComponent* event, int number, int level)
{
    if (!event || number < 1) return;
    if (occurrences.Count() == 0) RebuildOccurrences();
    int seen = 0;
    for (OrvElement* e = occurrences.First(); e; e = e->Next()) {
        OrvEventDate* occurrence = static_cast<OrvEventDate*>(e);
        if (occurrence->event != event || ++seen != number) continue;
        event->highlights.SetLevel(occurrence->start, level);
        return;
    }
}

void OrvCalendar::AddExceptionDate(OrvCalendarComponent* master, const OrvEventDate& occurrence)
{
    if (master) master->exDates.push_back(OrvCalTime(occurrence.start));
}

int OrvCalendar::PublishAll(OrvEventUploader& uploader)
{
    int refused = 0;
    for (OrvElement* c = components.First(); c; c = c->Next()) {
        OrvCalendarComponent* calendar = static_cast<OrvCalendarComponent*>(c);
        if (!calendar->IsA(ORV_VCALENDAR)) continue;
        for (OrvElement* e = calendar->children.First(); e; e = e->Next()) {
            OrvCalendarComponent* event = static_cast<OrvCalendarComponent*>(e);
            if (!event->IsA(ORV_VEVENT)) continue;
            // Known portal ids of the location and the first organizer go
            // into the text that is sent.
            if (event->locationRecord.id == 0 && !event->locationRecord.name.empty())
                if (const OrvAddress* address = addresses.FindByName(OrvToSingleByte(event->locationRecord.name)))
                    event->locationRecord.id = static_cast<uint32_t>(address->portalId);
            if (!event->organizers.empty() && event->organizers.front().id == 0 &&
                !event->organizers.front().name.empty())
                if (const OrvAddress* address = addresses.FindByName(OrvToSingleByte(event->organizers.front().name)))
                    event->organizers.front().id = static_cast<uint32_t>(address->portalId);
            event->publish.state = ORV_PUBLISH_PUBLISHED;
            std::string text = OrvComponentText(*event);
            if (uploader.LoginIfNeeded() != 0) {
                event->publish.state = ORV_PUBLISH_STOPPED;
                ++refused;
                continue;
            }
            int eventId = 0;
            if (uploader.UploadEvent(event->name.c_str(), text, eventId) != 0) {
                event->publish.state = ORV_PUBLISH_STOPPED;
                ++refused;
            } else if (eventId != 0) {
                event->eventId = eventId;
            }
        }
    }
    return refused;
}
