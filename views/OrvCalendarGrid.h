// Date arithmetic and geometry of the calendar views, free of widgets so
// that every rule of the grids and the navigation can be checked alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ZafUTimeData.h"

// View modes of the month table.
constexpr int ORV_VIEW_MONTH = 1;
constexpr int ORV_VIEW_FOURWEEKS = 2;
constexpr int ORV_VIEW_WEEK = 3;
constexpr int ORV_VIEW_DAY = 4;

// Rows, columns and cells of a view mode; 0 for an unknown mode.
int OrvGridRows(int mode);
int OrvGridColumns(int mode);
int OrvGridCells(int mode);

// The same calendar day at 12:00:00.000.
ZafUTimeData OrvNoon(const ZafUTimeData& date);
// True when year, month and day agree (time of day ignored).
bool OrvSameDay(const ZafUTimeData& a, const ZafUTimeData& b);
// The Monday on or before the date (same time of day).
ZafUTimeData OrvMondayOnOrBefore(const ZafUTimeData& date);

// Time values of the set-date command. The command's value is read as UTC,
// so the sender builds it as UTC too: a round trip keeps the calendar day in
// every time zone (a local-time conversion would move the day in zones more
// than twelve hours east of UTC).
int64_t OrvTimeValue(const ZafUTimeData& date);
ZafUTimeData OrvDateFromTimeValue(int64_t seconds);

// First day shown by the month table for the current date: month mode
// starts from the Monday on or before the first of the month; four-week
// and week mode from the Monday of the current week. Day mode shows the
// current day itself. Always at 12:00.
ZafUTimeData OrvTableFirstDay(int mode, const ZafUTimeData& current);
// The dates of all cells of a mode, in cell order.
std::vector<ZafUTimeData> OrvTableDays(int mode, const ZafUTimeData& current);

// Navigation of the month table, at 12:00. Month mode keeps the day of the
// month; a day the target month lacks becomes its last day (31 January goes
// to 28 or 29 February). Day mode steps one day, the others seven days.
ZafUTimeData OrvTableForward(int mode, const ZafUTimeData& current);
ZafUTimeData OrvTableBack(int mode, const ZafUTimeData& current);

// Keys of the month table's keyboard navigation.
enum class OrvTableKey { Left, Right, Up, Down, PageUp, PageDown, Home };
// The day a key moves the table's current date to, at 12:00: left and
// right one day, up and down one week (one day in day mode, whose grid has
// no rows), page up and down one month keeping the day of the month as the
// month commands do, home today.
ZafUTimeData OrvTableKeyTarget(int mode, const ZafUTimeData& current, OrvTableKey key, const ZafUTimeData& today);

// True when day lies in the month of the current date: the other days of
// the grid are drawn dimmed.
bool OrvInCurrentMonth(const ZafUTimeData& day, const ZafUTimeData& current);

// Navigation of the small calendar: first of the next or previous month at
// 12:00.
ZafUTimeData OrvMonthForward(const ZafUTimeData& current);
ZafUTimeData OrvMonthBack(const ZafUTimeData& current);

// Month states of the small calendar's day buttons.
constexpr int ORV_MONTHSTATE_NONE = 0;
constexpr int ORV_MONTHSTATE_PREVIOUS = 1;
constexpr int ORV_MONTHSTATE_CURRENT = 2;
constexpr int ORV_MONTHSTATE_NEXT = 3;

struct OrvMonthDay {
    ZafUTimeData date;   // at 12:00
    int monthState;      // ORV_MONTHSTATE_*
};
// The 42 days of the small calendar for the month of the current date:
// six weeks from the Monday on or before the first of the month.
std::vector<OrvMonthDay> OrvMonthGrid(const ZafUTimeData& current);

// Colour states of a month table cell, in order of precedence.
enum class OrvCellState { Selected, Today, Workday, Weekend };
OrvCellState OrvTableCellState(const ZafUTimeData& cell, const ZafUTimeData& current, const ZafUTimeData& today);

struct OrvRgb {
    int red, green, blue;
    bool operator==(const OrvRgb&) const = default;
};
// Background of a cell and of its day header for a state.
OrvRgb OrvCellColour(OrvCellState state);
OrvRgb OrvDayHeaderColour(OrvCellState state);

// A rectangle in pixels.
struct OrvRect {
    int x, y, width, height;
    bool operator==(const OrvRect&) const = default;
};
// Rectangle of a cell in a grid area of the given size. With grid lines one
// pixel stays free between and around the cells; without, cells touch.
OrvRect OrvGridCellRect(int rows, int columns, bool gridLines, int width, int height, int index);

// Caption of a day header: "%d.%m." with two digits each.
std::string OrvDayCaption(const ZafUTimeData& date);
// Caption of an entry: start time "%H:%M", one blank, the summary.
std::string OrvEntryCaption(const ZafUTimeData& start, const std::string& summary, bool allDay = false);

// Image of a publish state; null for a state without image.
const char* OrvPublishStateImage(int state);
constexpr const char* ORV_IMAGE_HIGHLIGHT = "HIGHLIGHT";
constexpr const char* ORV_IMAGE_ARROW_LEFT = "ARROW_LEFT";
constexpr const char* ORV_IMAGE_ARROW_RIGHT = "ARROW_RIGHT";
constexpr const char* ORV_IMAGE_TODAY = "TODAY";
