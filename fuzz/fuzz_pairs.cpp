// The pair tokenizer and every extension record on arbitrary value text;
// what a record writes must read back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/OrvExtension.h"
#include "model/OrvPairTokenizer.h"

namespace {
void Mismatch(const char* kind, const std::string& written, const std::string& again)
{
    std::fprintf(stderr, "%s: written form does not read back to itself\n  written: %s\n  again:   %s\n", kind,
                 written.c_str(), again.c_str());
    std::abort();
}

template <class Record>
void RoundTrip(const char* kind, const std::string& text)
{
    Record first;
    first.Parse(text);
    const std::string written = first.Format();
    Record second;
    second.Parse(written);
    const std::string again = second.Format();
    if (again != written) Mismatch(kind, written, again);
}

void HighlightsRoundTrip(const std::string& text)
{
    OrvCalHighlightsList first;
    first.Parse(text);
    const std::string written = first.Format();
    OrvCalHighlightsList second;
    second.Parse(written);
    const std::string again = second.Format();
    if (again != written || second.Count() != first.Count()) Mismatch("highlights", written, again);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    OrvPairTokenizer tokenizer(text);
    std::string key, value;
    std::size_t pairs = 0;
    while (tokenizer.Next(key, value)) {
        // Each pair takes at least one byte of the text.
        if (++pairs > text.size()) std::abort();
    }
    RoundTrip<OrvCost>("cost", text);
    RoundTrip<OrvPerson>("person", text);
    RoundTrip<OrvLesson>("lesson", text);
    RoundTrip<OrvPublish>("publish", text);
    RoundTrip<OrvCalTableElement>("table row", text);
    RoundTrip<OrvCalImageElement>("image", text);
    RoundTrip<OrvCalDownloadElement>("download", text);
    HighlightsRoundTrip(text);
    return 0;
}
