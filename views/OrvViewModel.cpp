#include "views/OrvViewModel.h"

#include "app/OrvCalendarConfig.h"
#include "model/OrvCalendar.h"
#include "views/OrvCalendarGrid.h"

OrvDayItem OrvDayItemOf(OrvEventDate* date)
{
    OrvDayItem item;
    item.date = date;
    if (!date) return item;
    item.start = date->start;
    OrvCalendarComponent* event = date->event;
    if (!event) return item;
    event->GetText(ORVP_SUMMARY, item.summary, ORV_REQUEST_VALUE);
    if (event->categories.Count() > 0) item.firstCategory = event->categories.Item(0)->id;
    item.publishState = static_cast<int>(event->publish.state);
    item.hasHighlightEntry = event->highlights.FindAt(date->start) != nullptr;
    item.highlightLevel = event->highlights.Level(date->start);
    item.supraRegional = event->supraRegional != 0;
    item.allDay = event->dtStart.dateOnly;
    return item;
}

std::vector<OrvDayItem> OrvCalendarDayItems(OrvCalendar* calendar, const ZafUTimeData& day)
{
    std::vector<OrvDayItem> items;
    if (!calendar) return items;
    if (calendar->occurrences.Count() == 0) calendar->RebuildOccurrences();
    const int64_t dayNumber = ZafUTimeData::DaysFromCivil(day.Year(), day.Month(), day.Day());
    for (OrvElement* e = calendar->occurrences.First(); e; e = e->Next()) {
        auto* date = static_cast<OrvEventDate*>(e);
        bool on = OrvSameDay(date->start, day);
        if (!on && date->event && date->event->dtStart.dateOnly) {
            // The end of whole days is the day after the last one.
            const int64_t first = ZafUTimeData::DaysFromCivil(date->start.Year(), date->start.Month(), date->start.Day());
            const int64_t after = ZafUTimeData::DaysFromCivil(date->end.Year(), date->end.Month(), date->end.Day());
            on = first < dayNumber && dayNumber < after;
        }
        if (on) items.push_back(OrvDayItemOf(date));
    }
    return items;
}

bool OrvCategoryShown(OrvCalendarConfig* config, int firstCategory)
{
    if (firstCategory == 0 || !config) return false;
    const OrvCategoryRow* row = config->GetCategoryRow(firstCategory);
    return row && row->id != 0 && row->shown;
}

std::vector<OrvDayItem> OrvShownDayItems(const std::vector<OrvDayItem>& items, OrvCalendarConfig* config)
{
    std::vector<OrvDayItem> shown;
    for (const OrvDayItem& item : items)
        if (OrvCategoryShown(config, item.firstCategory)) shown.push_back(item);
    return shown;
}
