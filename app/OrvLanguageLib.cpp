#include "OrvLanguageLib.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "OrvCalendarConfig.h"
#include "OrvProgramDirectory.h"

OrvLanguageLib::OrvLanguageLib(const std::string& path) : OrvLibrary(path) {}

int OrvLanguageLib::Bind()
{
    if (!Handle()) return -1;
    getString_ = reinterpret_cast<OrvGetStringFunc>(Symbol("GetString"));
    getLanguageID_ = reinterpret_cast<OrvGetLanguageIDFunc>(Symbol("GetLanguageID"));
    getLanguage_ = reinterpret_cast<OrvGetLanguageFunc>(Symbol("GetLanguage"));
    return getString_ && getLanguageID_ && getLanguage_ ? 0 : -1;
}

const char* OrvLanguageFallbackText(int number)
{
    // Kept for the whole run so that callers may hold on to the pointer.
    static std::map<int, std::string> texts;
    auto it = texts.find(number);
    if (it == texts.end()) it = texts.emplace(number, "#" + std::to_string(number)).first;
    return it->second.c_str();
}

const char* OrvLanguageLib::GetString(int number) const
{
    const char* text = getString_ ? getString_(number) : nullptr;
    return text ? text : OrvLanguageFallbackText(number);
}

const char* OrvLanguageLib::GetMonthName(int month) const
{
    if (month < 1 || month > 12) return nullptr;
    return GetString(month + 5);
}

int OrvLanguageLib::GetLanguageID() const
{
    return getLanguageID_ ? getLanguageID_() : 0;
}

const char* OrvLanguageLib::GetLanguage() const
{
    return getLanguage_ ? getLanguage_() : nullptr;
}

int OrvSystemLanguageID()
{
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const char* n : names) {
        const char* v = std::getenv(n);
        if (!v || !*v) continue;
        if (std::strncmp(v, "de", 2) == 0) return OrvLanguageGerman;
        if (std::strncmp(v, "en_GB", 5) == 0) return OrvLanguageEnglishUK;
        return OrvLanguageEnglishUS;
    }
    return OrvLanguageEnglishUS;
}

std::string OrvLanguageLibraryPath(int languageID)
{
    if (languageID == 1) languageID = OrvSystemLanguageID();
    return OrvProgramDirectory() + "/lang_" + (languageID == OrvLanguageGerman ? "de" : "en") + ".so";
}

namespace {

struct LanguageState {
    std::unique_ptr<OrvLanguageLib> current;
    std::vector<std::unique_ptr<OrvLanguageLib>> retired;
};

LanguageState& State()
{
    static LanguageState state;
    return state;
}

} // namespace

void OrvInstallLanguage(OrvLanguageLib* library)
{
    if (!library) return;
    LanguageState& s = State();
    if (s.current.get() == library) return;
    if (s.current) s.retired.push_back(std::move(s.current));
    s.current.reset(library);
}

int OrvLoadLanguage()
{
    int id = OrvCalendarConfig::Get()->GetIntValue(ORVCFG_APPLICATIONLANGUAGE);
    auto* lib = new OrvLanguageLib(OrvLanguageLibraryPath(id));
    int result = lib->Bind();
    OrvInstallLanguage(lib);
    return result;
}

OrvLanguageLib* OrvLanguage()
{
    if (!State().current) OrvLoadLanguage();
    return State().current.get();
}

const char* OrvText(int number)
{
    return OrvLanguage()->GetString(number);
}
