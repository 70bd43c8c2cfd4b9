#include "OrvLocalChanges.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "model/OrvCalReader.h"
#include "model/OrvCalendar.h"

std::string OrvLocalChanges::Key(const OrvCalendarComponent& event)
{
    return event.uid + "|" + event.recurrenceId.Text();
}

bool OrvLocalChanges::Same(const OrvCalendarComponent& a, const OrvCalendarComponent& b)
{
    if (a.eventId != 0 && b.eventId != 0) return a.eventId == b.eventId;
    return !a.uid.empty() && Key(a) == Key(b);
}

std::vector<OrvCalendarComponent*> OrvCalendarEvents(const OrvCalendar& calendar)
{
    std::vector<OrvCalendarComponent*> events;
    for (OrvElement* c = calendar.components.First(); c; c = c->Next()) {
        auto* block = static_cast<OrvCalendarComponent*>(c);
        if (!block->IsA(ORV_VCALENDAR)) continue;
        for (OrvElement* e = block->children.First(); e; e = e->Next()) {
            auto* event = static_cast<OrvCalendarComponent*>(e);
            if (event->IsA(ORV_VEVENT)) events.push_back(event);
        }
    }
    return events;
}

void OrvDetachEvent(OrvCalendar& calendar, OrvCalendarComponent* event)
{
    if (event->parent) event->parent->children.Subtract(event);
    else calendar.components.Subtract(event);
    event->parent = nullptr;
}

void OrvAdoptEvent(OrvCalendar& calendar, OrvCalendarComponent* event)
{
    calendar.AdoptEvent(event);
}

std::vector<OrvCalendarComponent*> OrvLocalChanges::Events(const OrvCalendar& calendar) const
{
    std::vector<OrvCalendarComponent*> pending;
    for (OrvCalendarComponent* event : OrvCalendarEvents(calendar))
        if (Contains(*event)) pending.push_back(event);
    return pending;
}

int OrvLocalChanges::Save(const OrvCalendar& calendar) const
{
    const std::vector<OrvCalendarComponent*> pending = Events(calendar);
    std::error_code error;
    if (pending.empty()) {
        std::filesystem::remove(path_, error);
        return error ? -1 : 0;
    }
    std::string text = "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//OrvCalendar//local changes//DE\n";
    for (OrvCalendarComponent* event : pending) text += OrvComponentText(*event, OrvWriteMode::Local);
    text += "END:VCALENDAR\n";
    const std::string temporary = path_ + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::filesystem::remove(temporary, error);
            return -1;
        }
    }
    std::filesystem::rename(temporary, path_, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return -1;
    }
    return 0;
}

int OrvLocalChanges::Restore(OrvCalendar& calendar)
{
    std::error_code error;
    if (!std::filesystem::exists(path_, error)) return 0;
    OrvCalendar stored;
    stored.Load(path_);
    std::vector<std::unique_ptr<OrvCalendarComponent>> replaced;
    int count = 0;
    for (OrvCalendarComponent* event : OrvCalendarEvents(stored)) {
        for (OrvCalendarComponent* old : OrvCalendarEvents(calendar))
            if (Same(*old, *event)) {
                OrvDetachEvent(calendar, old);
                replaced.emplace_back(old);
            }
        OrvDetachEvent(stored, event);
        OrvAdoptEvent(calendar, event);
        Add(*event);
        ++count;
    }
    // The replaced events are still in the occurrence list.
    calendar.RebuildOccurrences();
    return count;
}
