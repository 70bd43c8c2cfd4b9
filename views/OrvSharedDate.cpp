#include "views/OrvSharedDate.h"

#include <algorithm>

#include "views/OrvCalendarGrid.h"

OrvSharedDate* OrvSharedDate::Instance()
{
    static OrvSharedDate shared;
    return &shared;
}

OrvSharedDate::OrvSharedDate() : date_(OrvNoon(ZafUTimeData::Now())) {}

OrvSharedDate::OrvSharedDate(const ZafUTimeData& date) : date_(date) {}

OrvSharedDate::~OrvSharedDate() = default;

void OrvSharedDate::Set(const ZafUTimeData& date)
{
    date_ = date;
    Notify();
}

void OrvSharedDate::Notify()
{
    // A listener may bind itself elsewhere or be destroyed by a notice, so
    // walk a copy and skip those that have left in the meantime.
    std::vector<OrvDateListener*> copy = listeners_;
    for (OrvDateListener* listener : copy) {
        if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end())
            listener->DateChanged(this);
    }
}

void OrvSharedDate::AddListener(OrvDateListener* listener)
{
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void OrvSharedDate::RemoveListener(OrvDateListener* listener)
{
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}
