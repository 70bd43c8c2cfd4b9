// The calendar reader on arbitrary text, then rebuild, write and read back.
#include <cstddef>
#include <cstdint>
#include <string>

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
    again.LoadText(calendar.Text());
    again.RebuildOccurrences();
    return 0;
}
