// One language library. The texts come from the generated table of the
// language this library is built for (ORV_LANG_TABLE), sorted by number.
#include <algorithm>
#include <iterator>

#define ORV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Text {
    int number;
    const char* text;   // Windows-1252
};

const Text kTexts[] = {
#include ORV_LANG_TABLE
};

} // namespace

ORV_EXPORT const char* GetString(int number)
{
    const Text* end = std::end(kTexts);
    const Text* it = std::lower_bound(std::begin(kTexts), end, number,
                                      [](const Text& t, int n) { return t.number < n; });
    return it != end && it->number == number ? it->text : nullptr;
}

ORV_EXPORT int GetLanguageID(void)
{
    return ORV_LANG_ID;
}

ORV_EXPORT const char* GetLanguage(void)
{
    return ORV_LANG_NAME;
}
