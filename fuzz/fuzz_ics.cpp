// The calendar reader on arbitrary text, then rebuild, write and read back:
// after one save the calendar file is a fixed point (what is read is
// written again byte for byte), and the export never fails.
#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <string>

#include "model/OrvCalReader.h"
#include "model/OrvCalendar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    OrvCalendar calendar;
    calendar.horizon.Set(2030, 1, 1, 12, 0, 0, 0);
    calendar.LoadText(text);
    calendar.RebuildOccurrences();
    for (int i = 0; i < calendar.occurrences.Count() && i < 50; ++i)
        calendar.OccurrenceNumber(calendar.occurrences.Item(i));
    OrvCalendar again;
    again.horizon = calendar.horizon;
    const std::string once = calendar.Text();
    again.LoadText(once);
    again.RebuildOccurrences();
    const std::string twice = again.Text();
    OrvCalendar third;
    third.LoadText(twice);
    if (third.Text() != twice) std::abort();
    (void)OrvExportText(again);
    return 0;
}
