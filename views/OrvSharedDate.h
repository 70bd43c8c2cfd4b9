// The shared current date of the calendar views: one per process, read and
// set by the month table, the small calendar and the main window's date
// commands. Every change notifies all views bound to it.
#pragma once

#include <vector>

#include "platform/ZafUTimeData.h"

class OrvSharedDate;

// A view that lays itself out again when the shared date changes.
class OrvDateListener {
public:
    virtual ~OrvDateListener() = default;
    virtual void DateChanged(OrvSharedDate* date) = 0;
};

class OrvSharedDate {
public:
    // The process's one shared date, created on first use with today at
    // 12:00.
    static OrvSharedDate* Instance();

    // A date of its own (tests, or a view that must not follow the others).
    OrvSharedDate();
    explicit OrvSharedDate(const ZafUTimeData& date);
    ~OrvSharedDate();
    OrvSharedDate(const OrvSharedDate&) = delete;
    OrvSharedDate& operator=(const OrvSharedDate&) = delete;

    const ZafUTimeData& Get() const { return date_; }
    // Takes the date (as given) and notifies every listener, also when the
    // value did not change: a view that receives the notice re-dates.
    void Set(const ZafUTimeData& date);
    // The notice alone, e.g. after the main window has loaded a calendar.
    void Notify();

    // A listener is notified at most once per change; adding it twice has
    // no effect. Removing during a notice is safe.
    void AddListener(OrvDateListener* listener);
    void RemoveListener(OrvDateListener* listener);
    int ListenerCount() const { return static_cast<int>(listeners_.size()); }

private:
    ZafUTimeData date_;
    std::vector<OrvDateListener*> listeners_;
};
