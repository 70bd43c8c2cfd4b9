// The location analysis of imported LOCATION texts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "portal/OrvLocationAnalysis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    OrvLocationAnalysis analysis(text);
    OrvLocationAnalysis::Pattern(text);
    return 0;
}
