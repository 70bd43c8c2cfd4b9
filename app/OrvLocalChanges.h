// Changes of the local calendar that the portal has not confirmed yet. They
// are kept in a file of their own beside "Calendar.ics" (which stays the
// portal's last reply), so that they survive a restart, are shown over the
// downloaded calendar, and go up again at the next login.
#pragma once

#include <set>
#include <string>
#include <vector>

class OrvCalendar;
class OrvCalendarComponent;

class OrvLocalChanges {
public:
    explicit OrvLocalChanges(std::string path) : path_(std::move(path)) {}

    // Identity of an event on this computer: UID and replaced date. (The
    // portal keys by its id, which a new event does not have yet.)
    static std::string Key(const OrvCalendarComponent& event);
    // The same event in two calendars: the same portal id, or the same
    // identity where at least one side has no portal id yet. Two events
    // with one UID but different portal ids are different events (dates
    // split off a series by older versions kept the series' UID).
    static bool Same(const OrvCalendarComponent& a, const OrvCalendarComponent& b);

    bool Contains(const OrvCalendarComponent& event) const { return keys_.count(Key(event)) != 0; }
    void Add(const OrvCalendarComponent& event) { keys_.insert(Key(event)); }
    void Remove(const OrvCalendarComponent& event) { keys_.erase(Key(event)); }
    int Count() const { return static_cast<int>(keys_.size()); }
    bool Empty() const { return keys_.empty(); }

    // The calendar's events that carry unconfirmed changes, in list order.
    std::vector<OrvCalendarComponent*> Events(const OrvCalendar& calendar) const;
    // Writes those events to the file (through a temporary file, so a
    // failed write leaves the previous one whole); no file when there are
    // none. 0 on success.
    int Save(const OrvCalendar& calendar) const;
    // Reads the file: each stored event replaces the calendar's events that
    // are the same (Same) or is added, and counts as unconfirmed. The
    // caller rebuilds the occurrences. Returns the number of events read.
    int Restore(OrvCalendar& calendar);

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::set<std::string> keys_;
};

// Every event directly below the calendar's top-level blocks.
std::vector<OrvCalendarComponent*> OrvCalendarEvents(const OrvCalendar& calendar);
// Takes an event out of its calendar without deleting it; the caller
// rebuilds the occurrences before it deletes the event.
void OrvDetachEvent(OrvCalendar& calendar, OrvCalendarComponent* event);
// Adds an event below the first calendar block, creating one when the
// calendar has none.
void OrvAdoptEvent(OrvCalendar& calendar, OrvCalendarComponent* event);
