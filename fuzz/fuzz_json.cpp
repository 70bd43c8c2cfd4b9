// The JSON reader must turn any byte sequence into a document or an
// exception of its own, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "base/json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    json::Object object;
    try {
        json::Reader::Read(object, in);
    } catch (const json::Exception&) {
    }
    return 0;
}
