// The recurrence rule parser and its expansion on arbitrary rule text: the
// written rule reads back to the same text, and the expansion stays within
// its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/OrvRRule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    OrvRRule rule;
    rule.Parse(text);
    const std::string written = rule.Write();
    OrvRRule back;
    back.Parse(written);
    if (back.Write() != written) {
        std::fprintf(stderr, "rule does not read back to itself\n  written: %s\n  again:   %s\n", written.c_str(),
                     back.Write().c_str());
        std::abort();
    }
    rule.SimpleFrequency();
    OrvCalTime start(2026, 1, 31, 19, 30, 0), end(2026, 1, 31, 23, 0, 0);
    std::vector<OrvCalTime> exdates{OrvCalTime(2026, 2, 7, 19, 30, 0)};
    ZafUTimeData horizon(2028, 12, 31, 12, 0, 0, 0);
    int count = 0;
    int emitted = rule.Expand(start, end, exdates, {}, horizon, [&](const ZafUTimeData& s, const ZafUTimeData& e) {
        // No occurrence before the event's own start or ending before it starts.
        if (s < start || e < s) std::abort();
        ++count;
    });
    if (emitted != count || count > OrvRRule::maxPerEvent) std::abort();
    return 0;
}
