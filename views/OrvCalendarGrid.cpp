#include "views/OrvCalendarGrid.h"

#include <algorithm>
#include <cstdio>

int OrvGridRows(int mode)
{
    switch (mode) {
    case ORV_VIEW_MONTH: return 6;
    case ORV_VIEW_FOURWEEKS: return 4;
    case ORV_VIEW_WEEK:
    case ORV_VIEW_DAY: return 1;
    default: return 0;
    }
}

int OrvGridColumns(int mode)
{
    switch (mode) {
    case ORV_VIEW_MONTH:
    case ORV_VIEW_FOURWEEKS:
    case ORV_VIEW_WEEK: return 7;
    case ORV_VIEW_DAY: return 1;
    default: return 0;
    }
}

int OrvGridCells(int mode)
{
    return OrvGridRows(mode) * OrvGridColumns(mode);
}

ZafUTimeData OrvNoon(const ZafUTimeData& date)
{
    return ZafUTimeData(date.Year(), date.Month(), date.Day(), 12, 0, 0, 0);
}

bool OrvSameDay(const ZafUTimeData& a, const ZafUTimeData& b)
{
    return a.Year() == b.Year() && a.Month() == b.Month() && a.Day() == b.Day();
}

ZafUTimeData OrvMondayOnOrBefore(const ZafUTimeData& date)
{
    int weekday = date.DayOfWeek();
    if (weekday == 0) weekday = 7;   // Sunday ends the week
    ZafUTimeData monday = date;
    monday.AddDays(-(weekday - 1));
    return monday;
}

int64_t OrvTimeValue(const ZafUTimeData& date)
{
    return ZafUTimeData::DaysFromCivil(date.Year(), date.Month(), date.Day()) * 86400 + date.Hour() * 3600 +
           date.Minute() * 60 + date.Second();
}

ZafUTimeData OrvDateFromTimeValue(int64_t seconds)
{
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int y, m, d;
    ZafUTimeData::CivilFromDays(days, y, m, d);
    return ZafUTimeData(y, m, d, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                        static_cast<int>(rest % 60), 0);
}

ZafUTimeData OrvTableFirstDay(int mode, const ZafUTimeData& current)
{
    ZafUTimeData start = OrvNoon(current);
    if (mode == ORV_VIEW_DAY) return start;
    if (mode == ORV_VIEW_MONTH) start = ZafUTimeData(current.Year(), current.Month(), 1, 12, 0, 0, 0);
    return OrvMondayOnOrBefore(start);
}

std::vector<ZafUTimeData> OrvTableDays(int mode, const ZafUTimeData& current)
{
    std::vector<ZafUTimeData> days;
    ZafUTimeData running = OrvTableFirstDay(mode, current);
    for (int i = 0; i < OrvGridCells(mode); ++i) {
        days.push_back(running);
        running.AddSeconds(86400);
    }
    return days;
}

namespace {

ZafUTimeData SameDayInMonth(int year, int month, int day)
{
    while (month > 12) {
        month -= 12;
        ++year;
    }
    while (month < 1) {
        month += 12;
        --year;
    }
    day = std::min(day, ZafUTimeData::DaysInMonth(year, month));
    return ZafUTimeData(year, month, day, 12, 0, 0, 0);
}

ZafUTimeData Step(int mode, const ZafUTimeData& current, int direction)
{
    if (mode == ORV_VIEW_MONTH) return SameDayInMonth(current.Year(), current.Month() + direction, current.Day());
    ZafUTimeData next = OrvNoon(current);
    next.AddDays(mode == ORV_VIEW_DAY ? direction : 7 * direction);
    return next;
}

}  // namespace

ZafUTimeData OrvTableForward(int mode, const ZafUTimeData& current)
{
    return Step(mode, current, 1);
}

ZafUTimeData OrvTableBack(int mode, const ZafUTimeData& current)
{
    return Step(mode, current, -1);
}

ZafUTimeData OrvTableKeyTarget(int mode, const ZafUTimeData& current, OrvTableKey key, const ZafUTimeData& today)
{
    ZafUTimeData next = OrvNoon(current);
    const int week = mode == ORV_VIEW_DAY ? 1 : 7;
    switch (key) {
    case OrvTableKey::Left: next.AddDays(-1); break;
    case OrvTableKey::Right: next.AddDays(1); break;
    case OrvTableKey::Up: next.AddDays(-week); break;
    case OrvTableKey::Down: next.AddDays(week); break;
    case OrvTableKey::PageUp: return Step(ORV_VIEW_MONTH, current, -1);
    case OrvTableKey::PageDown: return Step(ORV_VIEW_MONTH, current, 1);
    case OrvTableKey::Home: return OrvNoon(today);
    }
    return next;
}

bool OrvInCurrentMonth(const ZafUTimeData& day, const ZafUTimeData& current)
{
    return day.Year() == current.Year() && day.Month() == current.Month();
}

ZafUTimeData OrvMonthForward(const ZafUTimeData& current)
{
    return SameDayInMonth(current.Year(), current.Month() + 1, 1);
}

ZafUTimeData OrvMonthBack(const ZafUTimeData& current)
{
    return SameDayInMonth(current.Year(), current.Month() - 1, 1);
}

std::vector<OrvMonthDay> OrvMonthGrid(const ZafUTimeData& current)
{
    std::vector<OrvMonthDay> days;
    ZafUTimeData running = OrvMondayOnOrBefore(ZafUTimeData(current.Year(), current.Month(), 1, 12, 0, 0, 0));
    bool left = false;
    for (int i = 0; i < 42; ++i) {
        bool inMonth = running.Year() == current.Year() && running.Month() == current.Month();
        int state;
        if (inMonth) {
            state = ORV_MONTHSTATE_CURRENT;
        } else {
            state = left ? ORV_MONTHSTATE_NEXT : ORV_MONTHSTATE_PREVIOUS;
        }
        days.push_back({running, state});
        running.AddSeconds(86400);
        if (inMonth && !(running.Year() == current.Year() && running.Month() == current.Month())) left = true;
    }
    return days;
}

OrvCellState OrvTableCellState(const ZafUTimeData& cell, const ZafUTimeData& current, const ZafUTimeData& today)
{
    if (OrvSameDay(cell, current)) return OrvCellState::Selected;
    if (OrvSameDay(cell, today)) return OrvCellState::Today;
    int weekday = cell.DayOfWeek();
    return (weekday == 0 || weekday == 6) ? OrvCellState::Weekend : OrvCellState::Workday;
}

OrvRgb OrvCellColour(OrvCellState state)
{
    switch (state) {
    case OrvCellState::Selected: return {255, 231, 156};
    case OrvCellState::Today: return {223, 234, 244};
    case OrvCellState::Workday: return {255, 255, 255};
    case OrvCellState::Weekend: break;
    }
    return {247, 247, 247};
}

OrvRgb OrvDayHeaderColour(OrvCellState state)
{
    switch (state) {
    case OrvCellState::Selected: return {247, 224, 147};
    case OrvCellState::Today: return {215, 226, 236};
    case OrvCellState::Workday: return {247, 247, 247};
    case OrvCellState::Weekend: break;
    }
    return {239, 239, 239};
}

OrvRect OrvGridCellRect(int rows, int columns, bool gridLines, int width, int height, int index)
{
    if (rows <= 0 || columns <= 0) return {0, 0, 0, 0};
    int row = index / columns;
    int column = index % columns;
    if (gridLines) {
        int w = (width - columns) / columns;
        int h = (height - rows) / rows;
        return {1 + column * (w + 1), 1 + row * (h + 1), w, h};
    }
    int w = (width + 1) / columns;
    int h = (height + 1) / rows;
    return {column * w, row * h, w, h};
}

std::string OrvDayCaption(const ZafUTimeData& date)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.", date.Day() % 100, date.Month() % 100);
    return buffer;
}

std::string OrvEntryCaption(const ZafUTimeData& start, const std::string& summary, bool allDay)
{
    // A whole day has no time of its own.
    if (allDay) return summary;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d ", start.Hour() % 100, start.Minute() % 100);
    return buffer + summary;
}

const char* OrvPublishStateImage(int state)
{
    switch (state) {
    case 0: return "PUBLISHSTATE_STOPPED";
    case 1: return "PUBLISHSTATE_PUBLISHED";
    case 2: return "PUBLISHSTATE_WAITING";
    default: return nullptr;
    }
}
