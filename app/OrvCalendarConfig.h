// The application's one configuration object: single values and lists of
// the configuration file, the portal configuration sent after login, the
// built-in event category table and the program's work directories.
#pragma once

#include <functional>
#include <string>

#include "OrvConfig.h"
#include "base/json.h"
#include "platform/OrvElement.h"
#include "platform/OrvList.h"
#include "platform/ZafUTimeData.h"

// ---------------------------------------------------------------------------
// Built-in event category table

struct OrvCategoryRow {
    int id;             // portal category id; 0 in the closing row
    int textNumber;     // language text that names the category
    int flag;
    int endDate;        // 2: the event has its own end date
    int red, green, blue;  // -1 when the category has no colour
    int shown;          // the month table shows events of this category

    bool HasColour() const { return red >= 0; }
};

// Number of real rows (the closing row with id 0 follows them).
constexpr int OrvCategoryRowCount = 16;

// ---------------------------------------------------------------------------
// List elements and lists

class OrvEventCategoryElement : public OrvElement {
public:
    explicit OrvEventCategoryElement(int id = 0, int textNumber = 0, int flag = 1)
        : id(id), textNumber(textNumber), flag(flag) {}
    int id;
    int textNumber;
    int flag;
};

class OrvEventPoolElement : public OrvElement {
public:
    OrvEventPoolElement() = default;
    OrvEventPoolElement(int id, const std::string& name, bool flag) : id(id), name(name), flag(flag) {}
    int id = 0;
    std::string name;
    bool flag = false;
};

class OrvEventSceneElement : public OrvElement {
public:
    OrvEventSceneElement() = default;
    OrvEventSceneElement(int id, const std::string& name, bool flag) : id(id), name(name), flag(flag) {}
    int id = 0;
    std::string name;
    bool flag = false;
};

class OrvUserCategoryElement : public OrvElement {
public:
    OrvUserCategoryElement() = default;
    OrvUserCategoryElement(int id, const std::string& name) : id(id), name(name) {}
    int id = 0;
    std::string name;   // window code page
};

// An import profile for calendar files of other programs.
class OrvICalImportElement : public OrvElement {
public:
    int id = 0;
    std::string name;
    std::string sceneName;
    int categoryID = 0;
    int person1ID = 0;          // person of kind 1 (location)
    std::string person1Name;
    int person2ID = 0;          // person of kind 2 (organizer)
    std::string person2Name;
};

// Lists own their elements. Item(i) gives the element at position i
// (from 0) or null.
template <class T>
class OrvTypedList : public OrvList {
public:
    OrvTypedList() = default;
    OrvTypedList(const OrvTypedList&) = delete;
    OrvTypedList& operator=(const OrvTypedList&) = delete;
    ~OrvTypedList() override { Destroy(); }
    T* Item(int index) const { return static_cast<T*>(Get(index)); }
    // Appends a copy of every element of other.
    void CopyFrom(const OrvTypedList& other)
    {
        for (int i = 0; i < other.Count(); ++i) Add(new T(*other.Item(i)));
    }
};

class OrvEventCategoryList : public OrvTypedList<OrvEventCategoryElement> {};
class OrvEventPoolList : public OrvTypedList<OrvEventPoolElement> {};
class OrvEventSceneList : public OrvTypedList<OrvEventSceneElement> {};
class OrvUserCategoryList : public OrvTypedList<OrvUserCategoryElement> {};
class OrvICalImportList : public OrvTypedList<OrvICalImportElement> {};

// ---------------------------------------------------------------------------

class OrvCalendarConfig {
public:
    // The single configuration object, created on the first call over the
    // program's directory.
    static OrvCalendarConfig* Get();

    // The first object created becomes the single instance that Get()
    // returns (until it is destroyed). directory: where the configuration
    // file lives and below which "Update" and "Cache" are named.
    explicit OrvCalendarConfig(const std::string& directory);
    ~OrvCalendarConfig();
    OrvCalendarConfig(const OrvCalendarConfig&) = delete;
    OrvCalendarConfig& operator=(const OrvCalendarConfig&) = delete;

    OrvConfig& File() { return config_; }
    const std::string& Directory() const { return directory_; }

    // --- single values -----------------------------------------------------
    // Value of a key number in a section; the text lives in the result
    // buffer until the next read.
    const char* GetValue(int section, int keyNumber, const char* defaultValue = "");
    // Integer value from section "DEFAULT": 0 when empty, otherwise the
    // leading decimal number.
    int GetIntValue(int keyNumber);
    // Writes into section "DEFAULT". 0 on success, -1 on failure.
    int SetValue(int keyNumber, const char* value);
    // Writes "1" when the value in "DEFAULT" is empty.
    void EnsureDefault(int keyNumber);

    // After a login through the dialog or the silent login.
    void StoreLogin(const char* username, const char* password, bool remember, bool blocked);
    // After a registration.
    void StoreRegistration(const char* username, const char* password, bool blocked);

    // --- lists (read from the file on first request, kept until written) ---
    OrvEventCategoryList* GetEventCategoryList();
    OrvEventPoolList* GetEventPoolList();
    OrvEventSceneList* GetEventSceneList();
    OrvICalImportList* GetICalImportList();
    // From the portal configuration's "user_categories".
    OrvUserCategoryList* GetUserCategoryList();

    // Write keys "1".."n" and an empty key n+1, then drop the cached list
    // (the given list may be the cached one; it is then emptied too).
    // 0 on success, -1 when a key could not be written.
    int SetEventCategoryList(const OrvEventCategoryList& list);
    int SetEventPoolList(const OrvEventPoolList& list);
    int SetEventSceneList(const OrvEventSceneList& list);
    int SetICalImportList(const OrvICalImportList& list);

    // Import profile by its identifier; null when there is none.
    OrvICalImportElement* GetICalImport(int id);

    // --- "DEFAULTS" entries 1 and 2 ---------------------------------------
    // Returns 0 when the entry holds a value, 100 when it is empty (the
    // outputs are then left alone), -1 for an entry number other than 1, 2.
    int GetDefault(int entry, int& personID, std::string& personName);
    int SetDefault(int entry, int personID, const char* personName);

    // Identifier of the first flagged scene (when not 0), else of the first
    // scene; 0 without scenes.
    int GetDefaultSceneID();

    // --- portal configuration --------------------------------------------
    json::Object& PortalConfig() { return portal_; }
    // Stores a configuration object received from the portal.
    void SetPortalConfig(const json::Object& config);
    // Asks the portal through fetch (the application-configuration method
    // of the portal client) and stores the object when fetch returns 0.
    // Returns the result of fetch.
    int RefreshPortalConfig(const std::function<int(json::Object&)>& fetch);

    // Empty text when no pool or scene has that identifier; the text lives
    // until the next call of the same function.
    const char* GetPoolName(int id);
    const char* GetSceneName(int id);
    // 0 when none matches; for scenes all pools are searched and the last
    // match wins.
    int GetPoolID(const char* name);
    int GetSceneID(const char* name);
    // "edit_categories" first, then the names of the built-in table in the
    // current language; 0 when none matches.
    int GetCategoryID(const char* name);
    // 1-based position in "user_categories"; 0 when none matches.
    int GetUserCategoryID(const char* name);

    // The JSON array of strings sent to the portal for the user categories.
    static std::string UserCategoriesJSON(const OrvUserCategoryList& list);
    // Sends the names through send (the portal client's method for the
    // user's categories); when it returns 0 the elements of list are moved
    // into the configuration's user category list. Returns send's result.
    int SetUserCategories(OrvUserCategoryList& list, const std::function<int(const char*)>& send);

    // --- built-in category table ------------------------------------------
    // The table as shipped (16 rows and the closing row).
    static const OrvCategoryRow* BuiltInCategoryTable();
    // Language text number that names a category; 0 for an unknown id.
    static int CategoryTextNumber(int id);
    // This run's copy of the table, whose shown marks the views change.
    // An unknown id yields the closing row (id 0).
    OrvCategoryRow* GetCategoryRow(int id);
    OrvCategoryRow* CategoryRows() { return categories_; }
    // Name of a category in the current language; empty for an unknown id.
    static const char* CategoryName(int id);

    // --- other state ------------------------------------------------------
    // Same day two years after construction, 12:00:00.
    const ZafUTimeData& GetHorizon() const { return horizon_; }
    int GetClientState() const { return clientState_; }
    void SetClientState(int state) { clientState_ = state; }

    // Program directory followed by "/Update" or "/Cache" (not created).
    const char* GetUpdateDirectory();
    const char* GetCacheDirectory();

private:
    void ReadCategories();
    void ReadPools();
    void ReadScenes();
    void ReadICalImports();
    void BuildUserCategories();
    int WriteListValues(int section, const std::function<std::string(int)>& valueOf, int count);
    void WriteBuiltInCategories();
    // Drops the cached lists whose contents depend on the portal
    // configuration.
    void PortalConfigChanged();

    std::string directory_;
    OrvConfig config_;
    json::Object portal_;
    OrvCategoryRow categories_[OrvCategoryRowCount + 1];
    ZafUTimeData horizon_;
    int clientState_ = 0;

    OrvEventCategoryList* categoryList_ = nullptr;
    OrvEventPoolList* poolList_ = nullptr;
    OrvEventSceneList* sceneList_ = nullptr;
    OrvICalImportList* importList_ = nullptr;
    OrvUserCategoryList* userCategoryList_ = nullptr;

    std::string poolName_;
    std::string sceneName_;
    std::string updateDirectory_;
    std::string cacheDirectory_;
};

// Look-ups for the calendar model, through the single configuration object.
int OrvConfigSceneID(const char* name);
int OrvConfigCategoryID(const char* name);
