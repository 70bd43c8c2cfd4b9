// The configuration file "OrvCalendar.cfg": sections of "key=value" lines,
// read and written one key at a time. Nothing of the file is cached; every
// read goes to the file and leaves its value in the result buffer.
#pragma once

#include <string>

// Section numbers.
enum OrvConfigSection : int {
    ORVCFG_SECTION_DEFAULT = 0,
    ORVCFG_SECTION_CATEGORIES = 1,
    ORVCFG_SECTION_SCENES = 2,
    ORVCFG_SECTION_DEFAULTS = 3,
    ORVCFG_SECTION_POOLS = 4,
    ORVCFG_SECTION_ICALIMPORTS = 5,
    ORVCFG_SECTION_HOST = 6,
};

// Numbers of the single values.
enum OrvConfigKey : int {
    ORVCFG_CHECKFORUPDATESONSTART = 1,
    ORVCFG_USERNAME = 2,
    ORVCFG_PASSWORD = 3,
    ORVCFG_REMEMBERPASSWORD = 4,
    ORVCFG_APPLICATIONLANGUAGE = 5,
    ORVCFG_BLOCKED = 6,
    ORVCFG_HOST = 7,
    ORVCFG_SERVICEPATH = 8,
};

struct OrvConfigKeyEntry {
    int number;
    const char* key;   // empty in the closing entry
    int section;
};

// The key table, closed by an entry with number 0 and an empty name.
extern const OrvConfigKeyEntry OrvConfigKeyTable[];

// Key name of a key number; null when the table has no such number.
const char* OrvConfigKeyName(int keyNumber);

class OrvConfig {
public:
    static constexpr int ResultSize = 2048;
    // A value is cut after this many bytes.
    static constexpr int MaxValueLength = 2046;

    // directory: where "OrvCalendar.cfg" lives (no trailing slash needed).
    explicit OrvConfig(const std::string& directory);
    virtual ~OrvConfig();

    virtual const char* SectionName(int section) const;

    const std::string& Path() const { return path_; }
    void SetDirectory(const std::string& directory);

    // Reads key of the section into the result buffer and returns it; the
    // default applies when the file, the section or the key is missing.
    const char* Read(int section, const char* key, const char* defaultValue = "");
    const char* Read(const char* section, const char* key, const char* defaultValue = "");

    // Writes one key; a null value removes it. 0 on success, -1 when the
    // file could not be written.
    int Write(int section, const char* key, const char* value);
    int Write(const char* section, const char* key, const char* value);

    // The value of the latest read.
    const char* Result() const { return result_; }

private:
    std::string path_;
    char result_[ResultSize];
};
