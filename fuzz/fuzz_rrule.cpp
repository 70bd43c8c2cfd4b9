// The recurrence rule parser and its expansion on arbitrary rule text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/OrvRRule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    OrvRRule rule;
    rule.Parse(text);
    OrvRRule back;
    back.Parse(rule.Write());
    rule.SimpleFrequency();
    OrvCalTime start(2026, 1, 31, 19, 30, 0), end(2026, 1, 31, 23, 0, 0);
    std::vector<OrvCalTime> exdates{OrvCalTime(2026, 2, 7, 19, 30, 0)};
    ZafUTimeData horizon(2028, 12, 31, 12, 0, 0, 0);
    int count = 0;
    rule.Expand(start, end, exdates, {}, horizon, [&count](const ZafUTimeData&, const ZafUTimeData&) { ++count; });
    return 0;
}
