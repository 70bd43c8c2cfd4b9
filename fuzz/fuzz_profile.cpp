// The configuration file reader on arbitrary file contents, with a write
// through the same file afterwards.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "app/OrvProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string file = "/tmp/orv_fuzz_profile_" + std::to_string(getpid()) + ".cfg";
    // The first byte picks section and key names from the input's start.
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    char buffer[2048];
    static const char* sections[] = {"DEFAULT", "PORTAL", "", "ICALIMPORT_1", "[x]"};
    static const char* keys[] = {"1", "Host", "", "a=b", " "};
    for (const char* s : sections)
        for (const char* k : keys) OrvGetPrivateProfileString(s, k, "def", buffer, sizeof buffer, file.c_str());
    OrvGetPrivateProfileString("DEFAULT", "1", "", buffer, 3, file.c_str());
    std::string value(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
    OrvWritePrivateProfileString("DEFAULT", "Fuzz", OrvProfileEncodeValue(value.c_str()).c_str(), file.c_str());
    OrvGetPrivateProfileString("DEFAULT", "Fuzz", "", buffer, sizeof buffer, file.c_str());
    std::remove(file.c_str());
    return 0;
}
