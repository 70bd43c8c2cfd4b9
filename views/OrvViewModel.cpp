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
    for (OrvEventDate* date : calendar->OccurrencesOn(day)) items.push_back(OrvDayItemOf(date));
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
