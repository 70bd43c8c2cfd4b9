// The configuration object: single values, lists, defaults, import
// profiles, portal configuration look-ups and the built-in categories.
#include <gtest/gtest.h>

#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "OrvCalendarConfig.h"
#include "OrvProfile.h"
#include "TempDir.h"

namespace {

json::Object ParseJson(const std::string& text)
{
    json::Object o;
    std::istringstream in(text);
    json::Reader::Read(o, in);
    return o;
}

// A portal configuration with two pools; the scene "salsa" exists in both.
// Names are UTF-8, as the portal sends them.
const std::string kPortalConfig = std::string(R"({
  "pools": [
    {"id": "17", "name": "Nord", "scenes": [{"id": "2", "name": "salsa"}, {"id": "5", "name": "tango"}]},
    {"id": "23", "name": "S)") + "\xC3\xBC" + R"(d", "scenes": [{"id": "9", "name": "salsa"}, {"id": 11, "name": "zouk"}]},
    {"id": 40, "name": "Zahl", "scenes": []}
  ],
  "edit_categories": [{"id": "501", "name": "Kurs"}, {"id": "101", "name": "Anf)" + "\xC3\xA4" + R"(nger"}],
  "user_categories": ["Eigene", "Gr)" + "\xC3\xBC\xC3\x9F" + R"(e", "Mit \"Zitat\""]
})";

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override { config = new OrvCalendarConfig(dir.Path()); }
    void TearDown() override { delete config; }

    // Writes one key directly into the file, beside the object.
    void Put(const char* section, const char* key, const char* value)
    {
        ASSERT_EQ(OrvWritePrivateProfileString(section, key, value, config->File().Path().c_str()), 0);
    }
    std::string Raw(const char* section, const char* key)
    {
        char buf[2048];
        OrvGetPrivateProfileString(section, key, "<none>", buf, sizeof buf, config->File().Path().c_str());
        return buf;
    }
    // A fresh object over the same file, as at the next start.
    void Restart()
    {
        delete config;
        config = new OrvCalendarConfig(dir.Path());
    }

    TempDir dir;
    OrvCalendarConfig* config = nullptr;
};

// --- file, sections and keys -------------------------------------------------

TEST_F(ConfigTest, FileLivesInTheGivenDirectory)
{
    EXPECT_EQ(config->File().Path(), dir.Path() + "/OrvCalendar.cfg");
}

TEST(ConfigTables, SectionNames)
{
    TempDir dir;
    OrvConfig cfg(dir.Path());
    struct { int section; const char* name; } cases[] = {
        {1, "CATEGORIES"}, {2, "SCENES"}, {3, "DEFAULTS"}, {4, "POOLS"},
        {5, "ICALIMPORTS"}, {6, "HOST"}, {0, "DEFAULT"}, {7, "DEFAULT"}, {-1, "DEFAULT"},
    };
    for (const auto& c : cases) EXPECT_STREQ(cfg.SectionName(c.section), c.name) << c.section;
}

TEST(ConfigTables, KeyTable)
{
    struct { int number; const char* key; int section; } cases[] = {
        {1, "CheckForUpdatesOnStart", 0}, {2, "Username", 0}, {3, "Password", 0},
        {4, "RememberPassword", 0}, {5, "ApplicationLanguage", 0}, {6, "Blocked", 0},
        {7, "Host", 6}, {8, "ServicePath", 6},
    };
    int n = 0;
    for (const OrvConfigKeyEntry* e = OrvConfigKeyTable; e->number != 0; ++e, ++n) {
        ASSERT_LT(n, 8);
        EXPECT_EQ(e->number, cases[n].number);
        EXPECT_STREQ(e->key, cases[n].key);
        EXPECT_EQ(e->section, cases[n].section);
        EXPECT_STREQ(OrvConfigKeyName(cases[n].number), cases[n].key);
    }
    EXPECT_EQ(n, 8);
    EXPECT_STREQ(OrvConfigKeyTable[8].key, "");
    EXPECT_EQ(OrvConfigKeyName(0), nullptr);
    EXPECT_EQ(OrvConfigKeyName(9), nullptr);
}

TEST(ConfigFile, ValueIsCutAfter2046Bytes)
{
    TempDir dir;
    OrvConfig cfg(dir.Path());
    std::string longValue(2100, 'p');
    longValue[2045] = 'L';
    ASSERT_EQ(cfg.Write("DEFAULT", "Password", longValue.c_str()), 0);
    std::string read = cfg.Read(0, "Password");
    EXPECT_EQ(read.size(), 2046u);
    EXPECT_EQ(read.back(), 'L');
    EXPECT_STREQ(cfg.Result(), read.c_str());
}

TEST(ConfigFile, EachReadOverwritesTheResult)
{
    TempDir dir;
    OrvConfig cfg(dir.Path());
    cfg.Write(6, "Host", "portal.example");
    const char* first = cfg.Read(6, "Host");
    EXPECT_STREQ(first, "portal.example");
    cfg.Read(6, "ServicePath", "rpc.php?");
    EXPECT_STREQ(first, "rpc.php?");
}

// --- single values -----------------------------------------------------------

TEST_F(ConfigTest, MissingFileGivesDefaultsAndEmptyLists)
{
    // Construction already wrote the two ensured defaults.
    EXPECT_STREQ(config->GetValue(0, ORVCFG_CHECKFORUPDATESONSTART), "1");
    EXPECT_STREQ(config->GetValue(0, ORVCFG_APPLICATIONLANGUAGE), "1");
    EXPECT_STREQ(config->GetValue(0, ORVCFG_USERNAME), "");
    EXPECT_STREQ(config->GetValue(0, ORVCFG_PASSWORD, "x"), "x");
    EXPECT_EQ(config->GetIntValue(ORVCFG_REMEMBERPASSWORD), 0);
    EXPECT_EQ(config->GetIntValue(ORVCFG_BLOCKED), 0);
    EXPECT_STREQ(config->GetValue(ORVCFG_SECTION_HOST, ORVCFG_SERVICEPATH, "rpc.php?"), "rpc.php?");
    EXPECT_STREQ(config->GetValue(ORVCFG_SECTION_HOST, ORVCFG_HOST, "portal.local"), "portal.local");
    EXPECT_EQ(config->GetEventPoolList()->Count(), 0);
    EXPECT_EQ(config->GetEventSceneList()->Count(), 0);
    EXPECT_EQ(config->GetICalImportList()->Count(), 0);
    EXPECT_EQ(config->GetUserCategoryList()->Count(), 0);
}

TEST_F(ConfigTest, EnsuredDefaultsKeepStoredValues)
{
    ASSERT_EQ(config->SetValue(ORVCFG_CHECKFORUPDATESONSTART, "0"), 0);
    ASSERT_EQ(config->SetValue(ORVCFG_APPLICATIONLANGUAGE, "2057"), 0);
    Restart();
    EXPECT_EQ(config->GetIntValue(ORVCFG_CHECKFORUPDATESONSTART), 0);
    EXPECT_EQ(config->GetIntValue(ORVCFG_APPLICATIONLANGUAGE), 2057);
    config->EnsureDefault(ORVCFG_BLOCKED);
    EXPECT_STREQ(config->GetValue(0, ORVCFG_BLOCKED), "1");
}

TEST_F(ConfigTest, IntegerValues)
{
    struct { const char* stored; int expected; } cases[] = {
        {"", 0}, {"0", 0}, {"1", 1}, {"1031", 1031}, {"12abc", 12}, {"abc", 0}, {"-3", -3}, {" 7", 7},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(config->SetValue(ORVCFG_APPLICATIONLANGUAGE, c.stored), 0);
        EXPECT_EQ(config->GetIntValue(ORVCFG_APPLICATIONLANGUAGE), c.expected) << c.stored;
    }
}

TEST_F(ConfigTest, SingleValuesAreWrittenIntoDefaultSection)
{
    ASSERT_EQ(config->SetValue(ORVCFG_HOST, "elsewhere"), 0);
    EXPECT_EQ(Raw("DEFAULT", "Host"), "elsewhere");
    EXPECT_EQ(Raw("HOST", "Host"), "<none>");
    EXPECT_EQ(config->SetValue(99, "x"), -1);
}

TEST_F(ConfigTest, UnknownKeyNumberReadsAsMissing)
{
    Put("DEFAULT", "", "nameless");
    EXPECT_STREQ(config->GetValue(0, 99, "dflt"), "dflt");
    EXPECT_STREQ(config->GetValue(0, 0), "");
    EXPECT_EQ(config->GetIntValue(99), 0);
}

TEST_F(ConfigTest, LoginValues)
{
    struct { bool remember; bool blocked; const char* password; const char* remember_s; const char* blocked_s; } cases[] = {
        {true, false, "geheim", "1", "0"},
        {false, false, "", "0", "0"},
        {true, true, "geheim", "1", "1"},
    };
    for (const auto& c : cases) {
        config->StoreLogin("bob", "geheim", c.remember, c.blocked);
        EXPECT_STREQ(config->GetValue(0, ORVCFG_USERNAME), "bob");
        EXPECT_STREQ(config->GetValue(0, ORVCFG_PASSWORD), c.password);
        EXPECT_STREQ(config->GetValue(0, ORVCFG_REMEMBERPASSWORD), c.remember_s);
        EXPECT_STREQ(config->GetValue(0, ORVCFG_BLOCKED), c.blocked_s);
    }
    config->StoreRegistration("neu", "pw", true);
    EXPECT_STREQ(config->GetValue(0, ORVCFG_USERNAME), "neu");
    EXPECT_STREQ(config->GetValue(0, ORVCFG_PASSWORD), "pw");
    EXPECT_STREQ(config->GetValue(0, ORVCFG_REMEMBERPASSWORD), "1");
    EXPECT_STREQ(config->GetValue(0, ORVCFG_BLOCKED), "1");
}

// --- lists -------------------------------------------------------------------

TEST_F(ConfigTest, PoolListStopsAtFirstMissingKey)
{
    Put("POOLS", "1", "Nord;1");
    Put("POOLS", "2", "Ost");
    Put("POOLS", "4", "West;0");
    OrvEventPoolList* pools = config->GetEventPoolList();
    ASSERT_EQ(pools->Count(), 2);
    EXPECT_EQ(pools->Item(0)->id, 1);
    EXPECT_EQ(pools->Item(0)->name, "Nord");
    EXPECT_TRUE(pools->Item(0)->flag);
    EXPECT_EQ(pools->Item(1)->id, 2);
    EXPECT_EQ(pools->Item(1)->name, "Ost");
    EXPECT_FALSE(pools->Item(1)->flag);
}

TEST_F(ConfigTest, PoolFieldsFollowTheSeparatorRule)
{
    struct { const char* value; const char* name; bool flag; } cases[] = {
        {"Nord;1", "Nord", true},
        {"Nord;0", "Nord", false},
        {"Nord;7", "Nord", true},
        {"Nord;x", "Nord", false},
        {"Nord", "Nord", false},
        {";;Nord;;1", "Nord", true},   // empty fields are skipped
        {";", "", false},
    };
    for (const auto& c : cases) {
        OrvEventPoolList none;
        Put("POOLS", "1", c.value);
        OrvEventPoolList* pools = config->GetEventPoolList();
        ASSERT_EQ(pools->Count(), 1) << c.value;
        EXPECT_EQ(pools->Item(0)->name, c.name) << c.value;
        EXPECT_EQ(pools->Item(0)->flag, c.flag) << c.value;
        // Writing drops the cached list, so the next round reads again.
        ASSERT_EQ(config->SetEventPoolList(none), 0);
    }
}

TEST_F(ConfigTest, ListIsCachedUntilWritten)
{
    Put("POOLS", "1", "Nord;1");
    OrvEventPoolList* pools = config->GetEventPoolList();
    ASSERT_EQ(pools->Count(), 1);
    Put("POOLS", "2", "Ost;0");
    EXPECT_EQ(config->GetEventPoolList()->Count(), 1);

    OrvEventPoolList list;
    list.Add(new OrvEventPoolElement(0, "A", true));
    list.Add(new OrvEventPoolElement(0, "B", false));
    list.Add(new OrvEventPoolElement(0, "C", false));
    ASSERT_EQ(config->SetEventPoolList(list), 0);
    EXPECT_EQ(config->GetEventPoolList()->Count(), 3);
}

TEST_F(ConfigTest, ShorterListLeavesOldKeysUnread)
{
    OrvEventPoolList five;
    for (const char* n : {"A", "B", "C", "D", "E"}) five.Add(new OrvEventPoolElement(0, n, false));
    ASSERT_EQ(config->SetEventPoolList(five), 0);
    OrvEventPoolList two;
    two.Add(new OrvEventPoolElement(0, "X", true));
    two.Add(new OrvEventPoolElement(0, "Y", false));
    ASSERT_EQ(config->SetEventPoolList(two), 0);

    EXPECT_EQ(Raw("POOLS", "1"), "X;1");
    EXPECT_EQ(Raw("POOLS", "2"), "Y;0");
    EXPECT_EQ(Raw("POOLS", "3"), "");
    EXPECT_EQ(Raw("POOLS", "4"), "D;0");
    EXPECT_EQ(Raw("POOLS", "5"), "E;0");
    OrvEventPoolList* pools = config->GetEventPoolList();
    ASSERT_EQ(pools->Count(), 2);
    EXPECT_EQ(pools->Item(0)->name, "X");
    EXPECT_EQ(pools->Item(1)->name, "Y");
}

TEST_F(ConfigTest, PoolIdentifierIsItsKeyNumber)
{
    config->SetPortalConfig(ParseJson(kPortalConfig));
    OrvEventPoolList list;
    list.Add(new OrvEventPoolElement(config->GetPoolID("Nord"), "Nord", true));
    ASSERT_EQ(list.Item(0)->id, 17);
    ASSERT_EQ(config->SetEventPoolList(list), 0);
    OrvEventPoolList* pools = config->GetEventPoolList();
    ASSERT_EQ(pools->Count(), 1);
    EXPECT_EQ(pools->Item(0)->id, 1);
}

TEST_F(ConfigTest, WritingTheCachedListItselfKeepsItsContent)
{
    Put("SCENES", "1", "salsa;1");
    Put("SCENES", "2", "tango;0");
    OrvEventSceneList* scenes = config->GetEventSceneList();
    ASSERT_EQ(scenes->Count(), 2);
    ASSERT_EQ(config->SetEventSceneList(*scenes), 0);
    OrvEventSceneList* again = config->GetEventSceneList();
    ASSERT_EQ(again->Count(), 2);
    EXPECT_EQ(again->Item(1)->name, "tango");
}

TEST_F(ConfigTest, ScenesGetTheirIdentifiersByName)
{
    Put("SCENES", "1", "tango;0");
    Put("SCENES", "2", "salsa;1");
    Put("SCENES", "3", "bachata");
    config->SetPortalConfig(ParseJson(kPortalConfig));
    OrvEventSceneList* scenes = config->GetEventSceneList();
    ASSERT_EQ(scenes->Count(), 3);
    EXPECT_EQ(scenes->Item(0)->id, 5);
    EXPECT_FALSE(scenes->Item(0)->flag);
    EXPECT_EQ(scenes->Item(1)->id, 9);   // last match wins
    EXPECT_TRUE(scenes->Item(1)->flag);
    EXPECT_EQ(scenes->Item(2)->id, 0);   // unknown to the portal
    EXPECT_EQ(scenes->Item(2)->name, "bachata");
}

TEST_F(ConfigTest, SceneListAskedBeforePortalConfigIsResolvedAfterwards)
{
    Put("SCENES", "1", "tango;1");
    ASSERT_EQ(config->GetEventSceneList()->Item(0)->id, 0);
    config->SetPortalConfig(ParseJson(kPortalConfig));
    EXPECT_EQ(config->GetEventSceneList()->Item(0)->id, 5);
    EXPECT_EQ(config->GetDefaultSceneID(), 5);
}

TEST_F(ConfigTest, DefaultScene)
{
    config->SetPortalConfig(ParseJson(kPortalConfig));
    struct { std::vector<const char*> values; int expected; } cases[] = {
        {{}, 0},
        {{"tango;0", "salsa;1"}, 9},          // first flagged scene
        {{"tango;0", "zouk;0"}, 5},           // none flagged: the first scene
        {{"tango;0", "bachata;1", "zouk;1"}, 5},  // flagged one unknown: the first scene
        {{"bachata;0", "tango;0"}, 0},        // first scene unknown
    };
    for (const auto& c : cases) {
        OrvEventSceneList list;
        for (const char* v : c.values) {
            std::string s = v;
            std::size_t semi = s.find(';');
            list.Add(new OrvEventSceneElement(0, s.substr(0, semi), s.substr(semi + 1) == "1"));
        }
        ASSERT_EQ(config->SetEventSceneList(list), 0);
        EXPECT_EQ(config->GetDefaultSceneID(), c.expected) << c.values.size();
    }
}

TEST_F(ConfigTest, CategoryListReadsIdentifiersWithTheirTexts)
{
    OrvEventCategoryList list;
    list.Add(new OrvEventCategoryElement(301, 84, 0));
    list.Add(new OrvEventCategoryElement(999, 0, 0));
    list.Add(new OrvEventCategoryElement(101, 169, 0));
    ASSERT_EQ(config->SetEventCategoryList(list), 0);
    EXPECT_EQ(Raw("CATEGORIES", "1"), "301");
    EXPECT_EQ(Raw("CATEGORIES", "4"), "");
    OrvEventCategoryList* cats = config->GetEventCategoryList();
    ASSERT_EQ(cats->Count(), 3);
    struct { int id; int text; } expected[] = {{301, 84}, {999, 0}, {101, 169}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(cats->Item(i)->id, expected[i].id);
        EXPECT_EQ(cats->Item(i)->textNumber, expected[i].text);
        EXPECT_EQ(cats->Item(i)->flag, 1);
    }
}

TEST_F(ConfigTest, FirstStartWritesBuiltInCategoriesWithoutCategoryOne)
{
    OrvEventCategoryList* cats = config->GetEventCategoryList();
    ASSERT_EQ(cats->Count(), 15);
    const OrvCategoryRow* table = OrvCalendarConfig::BuiltInCategoryTable();
    for (int i = 0; i < 15; ++i) EXPECT_EQ(cats->Item(i)->id, table[i + 1].id) << i;
}

TEST_F(ConfigTest, LaterStartKeepsTheUsersCategories)
{
    OrvEventCategoryList mine;
    mine.Add(new OrvEventCategoryElement(201, 81, 0));
    ASSERT_EQ(config->SetEventCategoryList(mine), 0);
    Restart();
    OrvEventCategoryList* cats = config->GetEventCategoryList();
    ASSERT_EQ(cats->Count(), 1);
    EXPECT_EQ(cats->Item(0)->id, 201);
}

TEST_F(ConfigTest, ImportProfilesRoundTrip)
{
    OrvICalImportList list;
    auto* a = new OrvICalImportElement;
    a->name = "Kurse";
    a->sceneName = "salsa";
    a->categoryID = 101;
    a->person1ID = 12;
    a->person1Name = "Tanzhaus West";
    a->person2ID = 34;
    a->person2Name = "Verein f\xFCr Tanz";
    list.Add(a);
    auto* b = new OrvICalImportElement;
    b->name = "Leer";
    list.Add(b);
    ASSERT_EQ(config->SetICalImportList(list), 0);
    EXPECT_EQ(Raw("ICALIMPORTS", "1"), "Kurse;salsa;101;12;Tanzhaus West;34;Verein f\xFCr Tanz");

    OrvICalImportList* read = config->GetICalImportList();
    ASSERT_EQ(read->Count(), 2);
    const OrvICalImportElement* r = read->Item(0);
    EXPECT_EQ(r->id, 1);
    EXPECT_EQ(r->name, "Kurse");
    EXPECT_EQ(r->sceneName, "salsa");
    EXPECT_EQ(r->categoryID, 101);
    EXPECT_EQ(r->person1ID, 12);
    EXPECT_EQ(r->person1Name, "Tanzhaus West");
    EXPECT_EQ(r->person2ID, 34);
    EXPECT_EQ(r->person2Name, "Verein f\xFCr Tanz");
    EXPECT_EQ(read->Item(1)->id, 2);
    EXPECT_EQ(config->GetICalImport(2), read->Item(1));
    EXPECT_EQ(config->GetICalImport(3), nullptr);
}

TEST_F(ConfigTest, ImportProfileFieldsMissingOrShifted)
{
    Put("ICALIMPORTS", "1", "Nur Name");
    Put("ICALIMPORTS", "2", "P;;101");   // an empty scene keeps its place
    // As written for a profile whose first person has no name.
    Put("ICALIMPORTS", "3", "X;salsa;301;0;;5;Latin Events Nord");
    OrvICalImportList* read = config->GetICalImportList();
    ASSERT_EQ(read->Count(), 3);
    EXPECT_EQ(read->Item(0)->name, "Nur Name");
    EXPECT_EQ(read->Item(0)->sceneName, "");
    EXPECT_EQ(read->Item(0)->categoryID, 0);
    EXPECT_EQ(read->Item(0)->person2Name, "");
    EXPECT_EQ(read->Item(1)->sceneName, "");
    EXPECT_EQ(read->Item(1)->categoryID, 101);
    EXPECT_EQ(read->Item(2)->person1ID, 0);
    EXPECT_EQ(read->Item(2)->person1Name, "");
    EXPECT_EQ(read->Item(2)->person2ID, 5);
    EXPECT_EQ(read->Item(2)->person2Name, "Latin Events Nord");
}

TEST_F(ConfigTest, ImportProfilesReadBackAsWritten)
{
    const struct {
        const char* name;
        const char* scene;
        int category, person1, person2;
        const char* person1Name;
        const char* person2Name;
    } cases[] = {
        {"Voll", "salsa", 301, 12, 34, "Tanzhaus West", "Verein"},
        {"Ohne Ort", "salsa", 301, 0, 34, "", "Verein"},
        {"Ohne Veranstalter", "tango", 102, 12, 0, "Tanzhaus West", ""},
        {"Leer", "", 0, 0, 0, "", ""},
    };
    OrvICalImportList list;
    for (const auto& c : cases) {
        auto* e = new OrvICalImportElement;
        e->id = list.Count() + 1;
        e->name = c.name;
        e->sceneName = c.scene;
        e->categoryID = c.category;
        e->person1ID = c.person1;
        e->person1Name = c.person1Name;
        e->person2ID = c.person2;
        e->person2Name = c.person2Name;
        list.Add(e);
    }
    ASSERT_EQ(config->SetICalImportList(list), 0);
    OrvICalImportList* read = config->GetICalImportList();
    ASSERT_EQ(read->Count(), static_cast<int>(std::size(cases)));
    for (int i = 0; i < read->Count(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.name);
        const OrvICalImportElement* e = read->Item(i);
        EXPECT_EQ(e->name, c.name);
        EXPECT_EQ(e->sceneName, c.scene);
        EXPECT_EQ(e->categoryID, c.category);
        EXPECT_EQ(e->person1ID, c.person1);
        EXPECT_EQ(e->person1Name, c.person1Name);
        EXPECT_EQ(e->person2ID, c.person2);
        EXPECT_EQ(e->person2Name, c.person2Name);
    }
}

// --- defaults ----------------------------------------------------------------

TEST_F(ConfigTest, DefaultEntries)
{
    struct { const char* stored; int result; int id; const char* name; } cases[] = {
        {"", 100, 77, "before"},          // empty: unchanged
        {"0;Club", 0, 0, "before"},       // id 0: name unchanged
        {"5", 0, 0, ""},                  // no second field
        {"5;Club Havanna", 0, 5, "Club Havanna"},
        {"x;Club", 0, 0, "before"},       // not a number reads as 0
    };
    for (const auto& c : cases) {
        Put("DEFAULTS", "2", c.stored);
        int id = 77;
        std::string name = "before";
        EXPECT_EQ(config->GetDefault(2, id, name), c.result) << c.stored;
        EXPECT_EQ(id, c.id) << c.stored;
        EXPECT_EQ(name, c.name) << c.stored;
    }
    int id = 1;
    std::string name;
    EXPECT_EQ(config->GetDefault(3, id, name), -1);
    EXPECT_EQ(config->SetDefault(0, 1, "x"), -1);
}

TEST_F(ConfigTest, DefaultEntriesRoundTrip)
{
    ASSERT_EQ(config->SetDefault(1, 4711, "Salsa-Bar"), 0);
    ASSERT_EQ(config->SetDefault(2, 42, "Verein"), 0);
    EXPECT_EQ(Raw("DEFAULTS", "1"), "4711;Salsa-Bar");
    int id = 0;
    std::string name;
    ASSERT_EQ(config->GetDefault(1, id, name), 0);
    EXPECT_EQ(id, 4711);
    EXPECT_EQ(name, "Salsa-Bar");
    ASSERT_EQ(config->GetDefault(2, id, name), 0);
    EXPECT_EQ(id, 42);
    EXPECT_EQ(name, "Verein");
}

// --- portal configuration ----------------------------------------------------

TEST_F(ConfigTest, PortalLookupsByNameAndIdentifier)
{
    config->SetPortalConfig(ParseJson(kPortalConfig));
    struct { const char* name; int pool; int scene; } byName[] = {
        {"Nord", 17, 0}, {"S\xFC" "d", 0, 0}, {"S\xC3\xBC" "d", 23, 0},
        {"salsa", 0, 9}, {"tango", 0, 5}, {"zouk", 0, 0}, {"Zahl", 0, 0},
        {"nord", 0, 0}, {"", 0, 0},
    };
    for (const auto& c : byName) {
        EXPECT_EQ(config->GetPoolID(c.name), c.pool) << c.name;
        EXPECT_EQ(config->GetSceneID(c.name), c.scene) << c.name;
    }
    EXPECT_EQ(config->GetPoolID(nullptr), 0);
    EXPECT_EQ(config->GetSceneID(nullptr), 0);

    struct { int id; const char* pool; const char* scene; } byId[] = {
        {17, "Nord", ""}, {23, "S\xC3\xBC" "d", ""}, {2, "", "salsa"}, {9, "", "salsa"},
        {5, "", "tango"}, {40, "", ""}, {99, "", ""},
    };
    for (const auto& c : byId) {
        EXPECT_STREQ(config->GetPoolName(c.id), c.pool) << c.id;
        EXPECT_STREQ(config->GetSceneName(c.id), c.scene) << c.id;
    }
}

TEST_F(ConfigTest, NumericIdentifierReadsAsZero)
{
    config->SetPortalConfig(ParseJson(kPortalConfig));
    // "id": 40 of pool "Zahl" and "id": 11 of scene "zouk" are numbers.
    EXPECT_STREQ(config->GetPoolName(40), "");
    EXPECT_STREQ(config->GetPoolName(0), "Zahl");
    EXPECT_EQ(config->GetSceneID("zouk"), 0);
}

TEST_F(ConfigTest, CategoryIdentifierByName)
{
    config->SetPortalConfig(ParseJson(kPortalConfig));
    EXPECT_EQ(config->GetCategoryID("Kurs"), 501);
    EXPECT_EQ(config->GetCategoryID("Anf\xC3\xA4nger"), 101);
    EXPECT_EQ(config->GetCategoryID("Anf\xE4nger"), 0);   // bytes as the portal sent them
    // Then the built-in table, by the names the language library gives.
    EXPECT_EQ(config->GetCategoryID(OrvCalendarConfig::CategoryName(302)), 302);
    EXPECT_EQ(config->GetCategoryID(OrvCalendarConfig::CategoryName(1)), 1);
    EXPECT_EQ(config->GetCategoryID("Gibt es nicht"), 0);
    EXPECT_EQ(config->GetCategoryID(""), 0);
    EXPECT_EQ(config->GetCategoryID(nullptr), 0);
    // The model's look-ups go through the single instance.
    ASSERT_EQ(OrvCalendarConfig::Get(), config);
    EXPECT_EQ(OrvConfigCategoryID("Kurs"), 501);
    EXPECT_EQ(OrvConfigSceneID("tango"), 5);
    EXPECT_EQ(OrvConfigSceneID("bachata"), 0);
}

TEST_F(ConfigTest, UserCategoriesFromPortalConfig)
{
    config->SetPortalConfig(ParseJson(kPortalConfig));
    OrvUserCategoryList* cats = config->GetUserCategoryList();
    ASSERT_EQ(cats->Count(), 3);
    EXPECT_EQ(cats->Item(0)->id, 1);
    EXPECT_EQ(cats->Item(0)->name, "Eigene");
    EXPECT_EQ(cats->Item(1)->id, 2);
    EXPECT_EQ(cats->Item(1)->name, "Gr\xFC\xDF" "e");   // converted to the window code page
    EXPECT_EQ(cats->Item(2)->name, "Mit \"Zitat\"");
    EXPECT_EQ(config->GetUserCategoryID("Eigene"), 1);
    EXPECT_EQ(config->GetUserCategoryID("Gr\xC3\xBC\xC3\x9F" "e"), 2);
    EXPECT_EQ(config->GetUserCategoryID("eigene"), 0);
    EXPECT_EQ(config->GetUserCategoryID(nullptr), 0);
}

TEST(ConfigUserCategories, JsonArrayText)
{
    struct { std::vector<std::string> names; const char* json; } cases[] = {
        {{}, "[]"},
        {{"Eins"}, "[\"Eins\"]"},
        {{"A", "B"}, "[\"A\",\"B\"]"},
        {{"Gr\xFC\xDF" "e"}, "[\"Gr\xC3\xBC\xC3\x9F" "e\"]"},
        {{"Mit \"Zitat\""}, "[\"Mit \\\"Zitat\\\"\"]"},
        {{"a\\b"}, "[\"a\\\\b\"]"},
    };
    for (const auto& c : cases) {
        OrvUserCategoryList list;
        int id = 0;
        for (const auto& n : c.names) list.Add(new OrvUserCategoryElement(++id, n));
        EXPECT_EQ(OrvCalendarConfig::UserCategoriesJSON(list), c.json);
    }
}

TEST_F(ConfigTest, UserCategoriesAreTakenOnlyWhenThePortalAccepts)
{
    config->SetPortalConfig(ParseJson(kPortalConfig));
    OrvUserCategoryList list;
    list.Add(new OrvUserCategoryElement(1, "Neu"));
    std::string sent;
    int calls = 0;
    EXPECT_EQ(config->SetUserCategories(list, [&](const char* text) { sent = text; ++calls; return -1; }), -1);
    EXPECT_EQ(sent, "[\"Neu\"]");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(config->GetUserCategoryList()->Count(), 3);

    EXPECT_EQ(config->SetUserCategories(list, [&](const char*) { ++calls; return 0; }), 0);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(list.Count(), 0);
    ASSERT_EQ(config->GetUserCategoryList()->Count(), 1);
    EXPECT_EQ(config->GetUserCategoryList()->Item(0)->name, "Neu");
}

TEST_F(ConfigTest, RefreshStoresOnlyASuccessfulReply)
{
    int r = config->RefreshPortalConfig([](json::Object& out) {
        out = ParseJson(R"({"pools": [{"id": "3", "name": "Halb"}]})");
        return -1;
    });
    EXPECT_EQ(r, -1);
    EXPECT_EQ(config->GetPoolID("Halb"), 0);

    r = config->RefreshPortalConfig([](json::Object& out) {
        out = ParseJson(kPortalConfig);
        return 0;
    });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(config->GetPoolID("Nord"), 17);
    EXPECT_EQ(config->RefreshPortalConfig(nullptr), -1);
    EXPECT_EQ(config->GetPoolID("Nord"), 17);
}

// --- built-in category table ---------------------------------------------------

TEST(ConfigCategoryTable, RowsInOrder)
{
    struct { int id; int text; int red, green, blue; } rows[] = {
        {1, 82, -1, -1, -1},
        {101, 169, 252, 231, 116}, {102, 170, 252, 231, 116}, {103, 174, 252, 231, 116},
        {301, 84, 255, 195, 109}, {302, 196, 255, 195, 109}, {201, 81, 255, 171, 109},
        {303, 85, 255, 195, 109}, {304, 253, 255, 195, 109}, {202, 266, 255, 171, 109},
        {307, 267, 255, 195, 109}, {308, 268, 255, 195, 109}, {203, 249, 252, 116, 17},
        {305, 250, 252, 116, 17}, {306, 251, 252, 116, 17}, {204, 252, 252, 116, 17},
    };
    const OrvCategoryRow* t = OrvCalendarConfig::BuiltInCategoryTable();
    for (int i = 0; i < OrvCategoryRowCount; ++i) {
        const OrvCategoryRow& r = t[i];
        EXPECT_EQ(r.id, rows[i].id) << i;
        EXPECT_EQ(r.textNumber, rows[i].text) << r.id;
        EXPECT_EQ(r.red, rows[i].red) << r.id;
        EXPECT_EQ(r.green, rows[i].green) << r.id;
        EXPECT_EQ(r.blue, rows[i].blue) << r.id;
        bool first = r.id == 1;
        EXPECT_EQ(r.flag, first ? 0 : 1) << r.id;
        EXPECT_EQ(r.endDate, first ? 0 : 2) << r.id;
        EXPECT_EQ(r.shown, first ? 0 : 1) << r.id;
        EXPECT_EQ(r.HasColour(), !first) << r.id;
        EXPECT_EQ(OrvCalendarConfig::CategoryTextNumber(r.id), rows[i].text);
    }
    EXPECT_EQ(t[OrvCategoryRowCount].id, 0);
    EXPECT_EQ(t[OrvCategoryRowCount].textNumber, 0);
}

TEST_F(ConfigTest, RowLookupAndShownMarks)
{
    struct { int id; int found; } cases[] = {{1, 1}, {204, 204}, {305, 305}, {0, 0}, {999, 0}, {-1, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(config->GetCategoryRow(c.id)->id, c.found) << c.id;
        if (c.found == 0) {
            EXPECT_EQ(OrvCalendarConfig::CategoryTextNumber(c.id), 0);
            EXPECT_STREQ(OrvCalendarConfig::CategoryName(c.id), "");
        }
    }
    // The shown marks belong to this run's copy, not to the shipped table.
    config->GetCategoryRow(301)->shown = 0;
    EXPECT_EQ(config->GetCategoryRow(301)->shown, 0);
    EXPECT_EQ(config->CategoryRows()[4].shown, 0);
    EXPECT_EQ(OrvCalendarConfig::BuiltInCategoryTable()[4].shown, 1);
}

// --- other state -------------------------------------------------------------

TEST_F(ConfigTest, HorizonIsTwoYearsAheadAtNoon)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const ZafUTimeData& h = config->GetHorizon();
    EXPECT_EQ(h.Year(), local.tm_year + 1900 + 2);
    EXPECT_EQ(h.Month(), local.tm_mon + 1);
    int expectedDay = (local.tm_mon == 1 && local.tm_mday == 29) ? 28 : local.tm_mday;
    EXPECT_EQ(h.Day(), expectedDay);
    EXPECT_EQ(h.Hour(), 12);
    EXPECT_EQ(h.Minute(), 0);
    EXPECT_EQ(h.Second(), 0);
}

TEST_F(ConfigTest, ClientStateAndDirectories)
{
    EXPECT_EQ(config->GetClientState(), 0);
    config->SetClientState(3);
    EXPECT_EQ(config->GetClientState(), 3);
    EXPECT_EQ(std::string(config->GetUpdateDirectory()), dir.Path() + "/Update");
    EXPECT_EQ(std::string(config->GetCacheDirectory()), dir.Path() + "/Cache");
}

TEST(ConfigInstance, FirstObjectIsTheSingleInstanceUntilDestroyed)
{
    TempDir a, b, c;
    {
        OrvCalendarConfig first(a.Path());
        ASSERT_EQ(OrvCalendarConfig::Get(), &first);
        {
            OrvCalendarConfig second(b.Path());
            EXPECT_EQ(OrvCalendarConfig::Get(), &first);
        }
        EXPECT_EQ(OrvCalendarConfig::Get(), &first);
    }
    OrvCalendarConfig third(c.Path());
    EXPECT_EQ(OrvCalendarConfig::Get(), &third);
}

} // namespace
