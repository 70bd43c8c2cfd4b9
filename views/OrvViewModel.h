// What the calendar views read from the calendar document: the event dates
// of one day with the values an entry shows. Kept apart from the widgets so
// that the selection rules can be checked on plain values.
#pragma once

#include <string>
#include <vector>

#include "platform/ZafUTimeData.h"

class OrvCalendar;
class OrvEventDate;
class OrvCalendarConfig;

struct OrvDayItem {
    OrvEventDate* date = nullptr;   // the occurrence (not owned)
    ZafUTimeData start;
    std::string summary;            // unescaped, window code page
    int firstCategory = 0;          // 0: the event has no category
    int publishState = 0;
    bool hasHighlightEntry = false; // a highlight stands at the start
    int highlightLevel = 0;         // level of that highlight, 0 = none
    bool supraRegional = false;
    bool allDay = false;            // whole days: shown without a time
};

// Every event date of the day in the document's list order (the
// occurrences are built first when there are none yet); an all-day date
// stands on every day it covers. Null calendar: nothing.
std::vector<OrvDayItem> OrvCalendarDayItems(OrvCalendar* calendar, const ZafUTimeData& day);

// The values of one event date.
OrvDayItem OrvDayItemOf(OrvEventDate* date);

// True when the table shows an entry of that first category: the event has
// one (not 0) and its row in the built-in category table is marked shown.
// A category missing from the table is not shown.
bool OrvCategoryShown(OrvCalendarConfig* config, int firstCategory);

// The items of day that the table shows, in their order.
std::vector<OrvDayItem> OrvShownDayItems(const std::vector<OrvDayItem>& items, OrvCalendarConfig* config);
