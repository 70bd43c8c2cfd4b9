#include "OrvCalendarConfig.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "OrvLanguageLib.h"
#include "OrvProgramDirectory.h"
#include "base/OrvText.h"
#include "model/OrvModelLookup.h"

namespace {

OrvCalendarConfig*& Instance()
{
    static OrvCalendarConfig* instance = nullptr;
    return instance;
}

// The portal's categories, in the order the portal defines them.
const OrvCategoryRow kCategoryTable[OrvCategoryRowCount + 1] = {
    {1, 82, 0, 0, -1, -1, -1, 0},
    {101, 169, 1, 2, 252, 231, 116, 1},
    {102, 170, 1, 2, 252, 231, 116, 1},
    {103, 174, 1, 2, 252, 231, 116, 1},
    {301, 84, 1, 2, 255, 195, 109, 1},
    {302, 196, 1, 2, 255, 195, 109, 1},
    {201, 81, 1, 2, 255, 171, 109, 1},
    {303, 85, 1, 2, 255, 195, 109, 1},
    {304, 253, 1, 2, 255, 195, 109, 1},
    {202, 266, 1, 2, 255, 171, 109, 1},
    {307, 267, 1, 2, 255, 195, 109, 1},
    {308, 268, 1, 2, 255, 195, 109, 1},
    {203, 249, 1, 2, 252, 116, 17, 1},
    {305, 250, 1, 2, 252, 116, 17, 1},
    {306, 251, 1, 2, 252, 116, 17, 1},
    {204, 252, 1, 2, 252, 116, 17, 1},
    {0, 0, 0, 0, -1, -1, -1, 0},
};

// Splits at ";". Like strtok, empty fields are skipped; with keepEmpty they
// keep their place. Import profiles are written with every field, empty
// person names included: with empty fields skipped, the fields after an
// empty one would move up and the second person would be lost.
std::vector<std::string> SplitFields(const char* value, bool keepEmpty = false)
{
    std::vector<std::string> fields;
    std::string cur;
    for (const char* p = value; *p; ++p) {
        if (*p == ';') {
            if (keepEmpty || !cur.empty()) fields.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    if (keepEmpty || !cur.empty()) fields.push_back(cur);
    return fields;
}

int LeadingInt(const std::string& s)
{
    return static_cast<int>(std::strtol(s.c_str(), nullptr, 10));
}

// --- portal configuration access (members missing or of another kind read
// as empty values of the wanted kind) ---

json::Array& ArrayMember(json::Object& o, const char* name)
{
    return o[name];
}

json::Object& ObjectAt(json::Array& a, std::size_t i)
{
    return a[i];
}

std::string StringMember(json::Object& o, const char* name)
{
    json::String& s = o[name];
    return s.Value();
}

std::string StringAt(json::Array& a, std::size_t i)
{
    json::String& s = a[i];
    return s.Value();
}

std::size_t ArraySize(const json::Array& a)
{
    return a.Size();
}

std::string ToWindows1252(const std::string& utf8)
{
    return OrvUTF8ToSingleByte(utf8.c_str());
}

std::string ToUTF8(const std::string& text)
{
    return OrvSingleByteToUTF8(text.c_str());
}

void SetHorizonFromToday(ZafUTimeData& horizon)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    int year = local.tm_year + 1900 + 2;
    int month = local.tm_mon + 1;
    int day = local.tm_mday;
    // 29 February has no counterpart two years later.
    if (month == 2 && day == 29) day = 28;
    horizon.Set(year, month, day, 12, 0, 0, 0);
}

} // namespace

// ---------------------------------------------------------------------------

OrvCalendarConfig* OrvCalendarConfig::Get()
{
    if (!Instance()) new OrvCalendarConfig(OrvProgramDirectory());
    return Instance();
}

OrvCalendarConfig::OrvCalendarConfig(const std::string& directory)
    : directory_(directory), config_(directory)
{
    if (!Instance()) Instance() = this;
    // The calendar model asks for scene and category ids and category names
    // through hooks, so that it needs no configuration of its own.
    OrvSetSceneLookup(OrvConfigSceneID);
    OrvSetCategoryLookup(OrvConfigCategoryID);
    OrvSetCategoryNameLookup(OrvCalendarConfig::CategoryName);
    std::memcpy(categories_, kCategoryTable, sizeof(categories_));
    EnsureDefault(ORVCFG_CHECKFORUPDATESONSTART);
    EnsureDefault(ORVCFG_APPLICATIONLANGUAGE);
    WriteBuiltInCategories();
    SetHorizonFromToday(horizon_);
    clientState_ = 0;
}

OrvCalendarConfig::~OrvCalendarConfig()
{
    delete categoryList_;
    delete poolList_;
    delete sceneList_;
    delete importList_;
    delete userCategoryList_;
    if (Instance() == this) {
        Instance() = nullptr;
        // Without a configuration the model's lookups yield 0 again rather
        // than creating a new configuration behind the caller's back.
        OrvSetSceneLookup(nullptr);
        OrvSetCategoryLookup(nullptr);
        OrvSetCategoryNameLookup(nullptr);
    }
}

// --- single values ----------------------------------------------------------

const char* OrvCalendarConfig::GetValue(int section, int keyNumber, const char* defaultValue)
{
    const char* key = OrvConfigKeyName(keyNumber);
    // An unknown key number reads like a missing key.
    if (!key) return config_.Read(section, nullptr, defaultValue);
    return config_.Read(section, key, defaultValue);
}

int OrvCalendarConfig::GetIntValue(int keyNumber)
{
    const char* v = GetValue(ORVCFG_SECTION_DEFAULT, keyNumber, "0");
    if (!*v) return 0;
    return static_cast<int>(std::strtol(v, nullptr, 10));
}

int OrvCalendarConfig::SetValue(int keyNumber, const char* value)
{
    const char* key = OrvConfigKeyName(keyNumber);
    if (!key) return -1;
    return config_.Write(ORVCFG_SECTION_DEFAULT, key, value ? value : "");
}

void OrvCalendarConfig::EnsureDefault(int keyNumber)
{
    if (!*GetValue(ORVCFG_SECTION_DEFAULT, keyNumber, "")) SetValue(keyNumber, "1");
}

void OrvCalendarConfig::StoreLogin(const char* username, const char* password, bool remember, bool blocked)
{
    SetValue(ORVCFG_USERNAME, username);
    SetValue(ORVCFG_REMEMBERPASSWORD, remember ? "1" : "0");
    SetValue(ORVCFG_BLOCKED, blocked ? "1" : "0");
    SetValue(ORVCFG_PASSWORD, remember ? password : "");
}

void OrvCalendarConfig::StoreRegistration(const char* username, const char* password, bool blocked)
{
    SetValue(ORVCFG_USERNAME, username);
    SetValue(ORVCFG_REMEMBERPASSWORD, "1");
    SetValue(ORVCFG_BLOCKED, blocked ? "1" : "0");
    SetValue(ORVCFG_PASSWORD, password);
}

// --- lists ------------------------------------------------------------------

void OrvCalendarConfig::WriteBuiltInCategories()
{
    // A list the user chose stays; only a missing list gets the built-in
    // categories (category 1 stands for "no category" and is not offered).
    if (*config_.Read(ORVCFG_SECTION_CATEGORIES, "1", "")) return;
    int n = 0;
    char key[16], value[16];
    for (const OrvCategoryRow* r = kCategoryTable; r->id != 0; ++r) {
        if (r->id == 1) continue;
        std::snprintf(key, sizeof key, "%d", ++n);
        std::snprintf(value, sizeof value, "%d", r->id);
        config_.Write(ORVCFG_SECTION_CATEGORIES, key, value);
    }
    std::snprintf(key, sizeof key, "%d", n + 1);
    config_.Write(ORVCFG_SECTION_CATEGORIES, key, "");
}

void OrvCalendarConfig::ReadCategories()
{
    categoryList_ = new OrvEventCategoryList;
    char key[16];
    for (int n = 1;; ++n) {
        std::snprintf(key, sizeof key, "%d", n);
        const char* v = config_.Read(ORVCFG_SECTION_CATEGORIES, key, "");
        if (!*v) break;
        std::vector<std::string> f = SplitFields(v);
        int id = f.empty() ? 0 : LeadingInt(f[0]);
        categoryList_->Add(new OrvEventCategoryElement(id, CategoryTextNumber(id), 1));
    }
}

void OrvCalendarConfig::ReadPools()
{
    poolList_ = new OrvEventPoolList;
    char key[16];
    for (int n = 1;; ++n) {
        std::snprintf(key, sizeof key, "%d", n);
        const char* v = config_.Read(ORVCFG_SECTION_POOLS, key, "");
        if (!*v) break;
        std::vector<std::string> f = SplitFields(v);
        auto* e = new OrvEventPoolElement;
        e->id = n;
        if (f.size() > 0) e->name = f[0];
        if (f.size() > 1) e->flag = LeadingInt(f[1]) != 0;
        poolList_->Add(e);
    }
}

void OrvCalendarConfig::ReadScenes()
{
    sceneList_ = new OrvEventSceneList;
    char key[16];
    for (int n = 1;; ++n) {
        std::snprintf(key, sizeof key, "%d", n);
        const char* v = config_.Read(ORVCFG_SECTION_SCENES, key, "");
        if (!*v) break;
        std::vector<std::string> f = SplitFields(v);
        auto* e = new OrvEventSceneElement;
        if (f.size() > 0) e->name = f[0];
        if (f.size() > 1) e->flag = LeadingInt(f[1]) != 0;
        sceneList_->Add(e);
    }
    // Identifiers come from the portal configuration (after the reads, which
    // share the result buffer).
    for (int i = 0; i < sceneList_->Count(); ++i) {
        OrvEventSceneElement* e = sceneList_->Item(i);
        e->id = GetSceneID(e->name.c_str());
    }
}

void OrvCalendarConfig::ReadICalImports()
{
    importList_ = new OrvICalImportList;
    char key[16];
    for (int n = 1;; ++n) {
        std::snprintf(key, sizeof key, "%d", n);
        const char* v = config_.Read(ORVCFG_SECTION_ICALIMPORTS, key, "");
        if (!*v) break;
        std::vector<std::string> f = SplitFields(v, true);
        auto* e = new OrvICalImportElement;
        e->id = n;
        if (f.size() > 0) e->name = f[0];
        if (f.size() > 1) e->sceneName = f[1];
        if (f.size() > 2) e->categoryID = LeadingInt(f[2]);
        if (f.size() > 3) e->person1ID = LeadingInt(f[3]);
        if (f.size() > 4) e->person1Name = f[4];
        if (f.size() > 5) e->person2ID = LeadingInt(f[5]);
        if (f.size() > 6) e->person2Name = f[6];
        importList_->Add(e);
    }
}

void OrvCalendarConfig::BuildUserCategories()
{
    userCategoryList_ = new OrvUserCategoryList;
    json::Array& names = ArrayMember(portal_, "user_categories");
    for (std::size_t i = 0; i < ArraySize(names); ++i)
        userCategoryList_->Add(new OrvUserCategoryElement(static_cast<int>(i + 1), ToWindows1252(StringAt(names, i))));
}

OrvEventCategoryList* OrvCalendarConfig::GetEventCategoryList()
{
    if (!categoryList_) ReadCategories();
    return categoryList_;
}

OrvEventPoolList* OrvCalendarConfig::GetEventPoolList()
{
    if (!poolList_) ReadPools();
    return poolList_;
}

OrvEventSceneList* OrvCalendarConfig::GetEventSceneList()
{
    if (!sceneList_) ReadScenes();
    return sceneList_;
}

OrvICalImportList* OrvCalendarConfig::GetICalImportList()
{
    if (!importList_) ReadICalImports();
    return importList_;
}

OrvUserCategoryList* OrvCalendarConfig::GetUserCategoryList()
{
    if (!userCategoryList_) BuildUserCategories();
    return userCategoryList_;
}

OrvICalImportElement* OrvCalendarConfig::GetICalImport(int id)
{
    OrvICalImportList* list = GetICalImportList();
    for (int i = 0; i < list->Count(); ++i)
        if (list->Item(i)->id == id) return list->Item(i);
    return nullptr;
}

int OrvCalendarConfig::WriteListValues(int section, const std::function<std::string(int)>& valueOf, int count)
{
    int result = 0;
    char key[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(key, sizeof key, "%d", i + 1);
        if (config_.Write(section, key, valueOf(i).c_str()) != 0) result = -1;
    }
    std::snprintf(key, sizeof key, "%d", count + 1);
    if (config_.Write(section, key, "") != 0) result = -1;
    return result;
}

int OrvCalendarConfig::SetEventCategoryList(const OrvEventCategoryList& list)
{
    int r = WriteListValues(
        ORVCFG_SECTION_CATEGORIES,
        [&](int i) { return std::to_string(list.Item(i)->id); }, list.Count());
    delete categoryList_;
    categoryList_ = nullptr;
    return r;
}

int OrvCalendarConfig::SetEventPoolList(const OrvEventPoolList& list)
{
    int r = WriteListValues(
        ORVCFG_SECTION_POOLS,
        [&](int i) { return list.Item(i)->name + ";" + (list.Item(i)->flag ? "1" : "0"); }, list.Count());
    delete poolList_;
    poolList_ = nullptr;
    return r;
}

int OrvCalendarConfig::SetEventSceneList(const OrvEventSceneList& list)
{
    int r = WriteListValues(
        ORVCFG_SECTION_SCENES,
        [&](int i) { return list.Item(i)->name + ";" + (list.Item(i)->flag ? "1" : "0"); }, list.Count());
    delete sceneList_;
    sceneList_ = nullptr;
    return r;
}

int OrvCalendarConfig::SetICalImportList(const OrvICalImportList& list)
{
    int r = WriteListValues(
        ORVCFG_SECTION_ICALIMPORTS,
        [&](int i) {
            const OrvICalImportElement* e = list.Item(i);
            return e->name + ";" + e->sceneName + ";" + std::to_string(e->categoryID) + ";" +
                   std::to_string(e->person1ID) + ";" + e->person1Name + ";" +
                   std::to_string(e->person2ID) + ";" + e->person2Name;
        },
        list.Count());
    delete importList_;
    importList_ = nullptr;
    return r;
}

// --- defaults ---------------------------------------------------------------

int OrvCalendarConfig::GetDefault(int entry, int& personID, std::string& personName)
{
    if (entry != 1 && entry != 2) return -1;
    const char* v = config_.Read(ORVCFG_SECTION_DEFAULTS, entry == 1 ? "1" : "2", "");
    if (!*v) return 100;
    std::vector<std::string> f = SplitFields(v);
    int id = f.empty() ? 0 : LeadingInt(f[0]);
    if (id == 0) {
        personID = 0;
        return 0;
    }
    if (f.size() < 2) {
        personID = 0;
        personName.clear();
        return 0;
    }
    personID = id;
    personName = f[1];
    return 0;
}

int OrvCalendarConfig::SetDefault(int entry, int personID, const char* personName)
{
    if (entry != 1 && entry != 2) return -1;
    std::string v = std::to_string(personID) + ";" + (personName ? personName : "");
    return config_.Write(ORVCFG_SECTION_DEFAULTS, entry == 1 ? "1" : "2", v.c_str());
}

int OrvCalendarConfig::GetDefaultSceneID()
{
    OrvEventSceneList* scenes = GetEventSceneList();
    for (int i = 0; i < scenes->Count(); ++i) {
        OrvEventSceneElement* e = scenes->Item(i);
        if (e->flag) {
            if (e->id != 0) return e->id;
            break;
        }
    }
    return scenes->Count() > 0 ? scenes->Item(0)->id : 0;
}

// --- portal configuration ---------------------------------------------------

void OrvCalendarConfig::PortalConfigChanged()
{
    // Scene identifiers and user categories come from the portal
    // configuration: lists built before it arrived are built again.
    delete sceneList_;
    sceneList_ = nullptr;
    delete userCategoryList_;
    userCategoryList_ = nullptr;
}

void OrvCalendarConfig::SetPortalConfig(const json::Object& config)
{
    portal_ = config;
    PortalConfigChanged();
}

int OrvCalendarConfig::RefreshPortalConfig(const std::function<int(json::Object&)>& fetch)
{
    if (!fetch) return -1;
    json::Object received;
    int r = fetch(received);
    if (r == 0) SetPortalConfig(received);
    return r;
}

const char* OrvCalendarConfig::GetPoolName(int id)
{
    poolName_.clear();
    json::Array& pools = ArrayMember(portal_, "pools");
    for (std::size_t i = 0; i < ArraySize(pools); ++i) {
        json::Object& pool = ObjectAt(pools, i);
        if (LeadingInt(StringMember(pool, "id")) == id) {
            poolName_ = StringMember(pool, "name");
            break;
        }
    }
    return poolName_.c_str();
}

const char* OrvCalendarConfig::GetSceneName(int id)
{
    sceneName_.clear();
    json::Array& pools = ArrayMember(portal_, "pools");
    for (std::size_t i = 0; i < ArraySize(pools); ++i) {
        json::Array& scenes = ArrayMember(ObjectAt(pools, i), "scenes");
        for (std::size_t j = 0; j < ArraySize(scenes); ++j) {
            json::Object& scene = ObjectAt(scenes, j);
            if (LeadingInt(StringMember(scene, "id")) == id) {
                sceneName_ = StringMember(scene, "name");
                return sceneName_.c_str();
            }
        }
    }
    return sceneName_.c_str();
}

int OrvCalendarConfig::GetPoolID(const char* name)
{
    if (!name) return 0;
    json::Array& pools = ArrayMember(portal_, "pools");
    for (std::size_t i = 0; i < ArraySize(pools); ++i) {
        json::Object& pool = ObjectAt(pools, i);
        if (StringMember(pool, "name") == name) return LeadingInt(StringMember(pool, "id"));
    }
    return 0;
}

int OrvCalendarConfig::GetSceneID(const char* name)
{
    if (!name) return 0;
    int id = 0;
    json::Array& pools = ArrayMember(portal_, "pools");
    for (std::size_t i = 0; i < ArraySize(pools); ++i) {
        json::Array& scenes = ArrayMember(ObjectAt(pools, i), "scenes");
        for (std::size_t j = 0; j < ArraySize(scenes); ++j) {
            json::Object& scene = ObjectAt(scenes, j);
            if (StringMember(scene, "name") == name) id = LeadingInt(StringMember(scene, "id"));
        }
    }
    return id;
}

int OrvCalendarConfig::GetCategoryID(const char* name)
{
    if (!name) return 0;
    json::Array& cats = ArrayMember(portal_, "edit_categories");
    for (std::size_t i = 0; i < ArraySize(cats); ++i) {
        json::Object& cat = ObjectAt(cats, i);
        if (StringMember(cat, "name") == name) return LeadingInt(StringMember(cat, "id"));
    }
    for (const OrvCategoryRow* r = kCategoryTable; r->id != 0; ++r)
        if (std::strcmp(OrvText(r->textNumber), name) == 0) return r->id;
    return 0;
}

int OrvCalendarConfig::GetUserCategoryID(const char* name)
{
    if (!name) return 0;
    json::Array& names = ArrayMember(portal_, "user_categories");
    for (std::size_t i = 0; i < ArraySize(names); ++i)
        if (StringAt(names, i) == name) return static_cast<int>(i + 1);
    return 0;
}

std::string OrvCalendarConfig::UserCategoriesJSON(const OrvUserCategoryList& list)
{
    std::string text = "[";
    for (int i = 0; i < list.Count(); ++i) {
        if (i > 0) text += ",";
        text += "\"";
        // Quotation marks and backslashes would end or break the string.
        for (char c : ToUTF8(list.Item(i)->name)) {
            if (c == '"' || c == '\\') text += '\\';
            text += c;
        }
        text += "\"";
    }
    text += "]";
    return text;
}

int OrvCalendarConfig::SetUserCategories(OrvUserCategoryList& list, const std::function<int(const char*)>& send)
{
    if (!send) return -1;
    std::string text = UserCategoriesJSON(list);
    int r = send(text.c_str());
    if (r != 0) return r;
    OrvUserCategoryList* own = GetUserCategoryList();
    if (&list == own) return r;
    own->Destroy();
    while (list.Count() > 0) {
        OrvElement* e = list.Get(0);
        list.Subtract(e);
        own->Add(e);
    }
    return r;
}

// --- built-in category table --------------------------------------------------

const OrvCategoryRow* OrvCalendarConfig::BuiltInCategoryTable()
{
    return kCategoryTable;
}

int OrvCalendarConfig::CategoryTextNumber(int id)
{
    const OrvCategoryRow* r = kCategoryTable;
    while (r->id != 0 && r->id != id) ++r;
    return r->textNumber;
}

OrvCategoryRow* OrvCalendarConfig::GetCategoryRow(int id)
{
    OrvCategoryRow* r = categories_;
    while (r->id != 0 && r->id != id) ++r;
    return r;
}

const char* OrvCalendarConfig::CategoryName(int id)
{
    int number = CategoryTextNumber(id);
    return number ? OrvText(number) : "";
}

// --- directories --------------------------------------------------------------

const char* OrvCalendarConfig::GetUpdateDirectory()
{
    if (updateDirectory_.empty()) updateDirectory_ = directory_ + "/Update";
    return updateDirectory_.c_str();
}

const char* OrvCalendarConfig::GetCacheDirectory()
{
    if (cacheDirectory_.empty()) cacheDirectory_ = directory_ + "/Cache";
    return cacheDirectory_.c_str();
}

// ---------------------------------------------------------------------------

int OrvConfigSceneID(const char* name)
{
    return OrvCalendarConfig::Get()->GetSceneID(name);
}

int OrvConfigCategoryID(const char* name)
{
    return OrvCalendarConfig::Get()->GetCategoryID(name);
}
