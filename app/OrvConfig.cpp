#include "OrvConfig.h"

#include "OrvProfile.h"

const OrvConfigKeyEntry OrvConfigKeyTable[] = {
    {ORVCFG_CHECKFORUPDATESONSTART, "CheckForUpdatesOnStart", ORVCFG_SECTION_DEFAULT},
    {ORVCFG_USERNAME, "Username", ORVCFG_SECTION_DEFAULT},
    {ORVCFG_PASSWORD, "Password", ORVCFG_SECTION_DEFAULT},
    {ORVCFG_REMEMBERPASSWORD, "RememberPassword", ORVCFG_SECTION_DEFAULT},
    {ORVCFG_APPLICATIONLANGUAGE, "ApplicationLanguage", ORVCFG_SECTION_DEFAULT},
    {ORVCFG_BLOCKED, "Blocked", ORVCFG_SECTION_DEFAULT},
    {ORVCFG_HOST, "Host", ORVCFG_SECTION_HOST},
    {ORVCFG_SERVICEPATH, "ServicePath", ORVCFG_SECTION_HOST},
    {0, "", 0},
};

const char* OrvConfigKeyName(int keyNumber)
{
    for (const OrvConfigKeyEntry* e = OrvConfigKeyTable; e->number != 0; ++e)
        if (e->number == keyNumber) return e->key;
    return nullptr;
}

OrvConfig::OrvConfig(const std::string& directory)
{
    result_[0] = '\0';
    SetDirectory(directory);
}

OrvConfig::~OrvConfig() = default;

void OrvConfig::SetDirectory(const std::string& directory)
{
    std::string dir = directory.empty() ? "." : directory;
    if (dir.back() != '/') dir += '/';
    path_ = dir + "OrvCalendar" + ".cfg";
}

const char* OrvConfig::SectionName(int section) const
{
    switch (section) {
    case ORVCFG_SECTION_CATEGORIES: return "CATEGORIES";
    case ORVCFG_SECTION_SCENES: return "SCENES";
    case ORVCFG_SECTION_DEFAULTS: return "DEFAULTS";
    case ORVCFG_SECTION_POOLS: return "POOLS";
    case ORVCFG_SECTION_ICALIMPORTS: return "ICALIMPORTS";
    case ORVCFG_SECTION_HOST: return "HOST";
    default: return "DEFAULT";
    }
}

const char* OrvConfig::Read(int section, const char* key, const char* defaultValue)
{
    return Read(SectionName(section), key, defaultValue);
}

const char* OrvConfig::Read(const char* section, const char* key, const char* defaultValue)
{
    OrvGetPrivateProfileString(section, key, defaultValue ? defaultValue : "", result_,
                               MaxValueLength + 1, path_.c_str());
    return result_;
}

int OrvConfig::Write(int section, const char* key, const char* value)
{
    return Write(SectionName(section), key, value);
}

int OrvConfig::Write(const char* section, const char* key, const char* value)
{
    return OrvWritePrivateProfileString(section, key, value, path_.c_str());
}
