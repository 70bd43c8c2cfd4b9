// Language libraries: the real lang_de.so and lang_en.so, and the fallbacks
// when a library or its entry points are missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "OrvCalendarConfig.h"
#include "OrvLanguageLib.h"
#include "OrvProgramDirectory.h"
#include "TempDir.h"

namespace {

const std::string kBin = ORV_TEST_BIN_DIR;
const std::string kGerman = kBin + "/lang_de.so";
const std::string kEnglish = kBin + "/lang_en.so";

// Raw "GetString" of a library, without the fallback.
const char* RawText(const OrvLanguageLib& lib, int number)
{
    auto fn = reinterpret_cast<OrvGetStringFunc>(lib.Symbol("GetString"));
    return fn ? fn(number) : nullptr;
}

// Every text number that the program's menus, dialogs, pages and messages use.
const std::set<int> kUsedNumbers = [] {
    std::set<int> s;
    auto range = [&](int a, int b) { for (int i = a; i <= b; ++i) s.insert(i); };
    range(2, 23);
    range(25, 25);
    range(27, 37);
    s.insert(39);
    range(41, 54);
    s.insert(56);
    range(58, 65);
    range(67, 82);
    range(84, 122);
    for (int n : {124, 125, 126, 129, 130, 135, 136, 138, 139, 140, 142, 143, 145}) s.insert(n);
    range(151, 161);
    for (int n : {166, 167, 168, 169, 170, 171, 173, 174}) s.insert(n);
    range(186, 192);
    for (int n : {194, 196, 200, 205, 206, 209, 210}) s.insert(n);
    range(212, 216);
    range(218, 221);
    s.insert(223);
    s.insert(224);
    range(226, 230);
    range(232, 254);
    range(265, 269);
    return s;
}();

struct LibraryCase {
    const std::string* path;
    int languageID;
    const char* language;
    std::map<int, std::string> texts;
};

const LibraryCase kLibraries[] = {
    {&kGerman, 1031, "Deutsch",
     {{6, "Januar"}, {8, "M\xE4rz"}, {18, "Heute"}, {49, "OK"}, {56, "Abbrechen"},
      {72, "\xDC" "ber "}, {107, "Montag"}, {115, "Mo"}, {124, "Deutsch"}, {125, "Englisch"},
      {153, "G\xE4ste"}, {156, "Stra\xDF" "e"}}},
    {&kEnglish, 2057, "English",
     {{6, "January"}, {8, "March"}, {18, "Today"}, {49, "OK"}, {56, "Cancel"},
      {72, "About "}, {107, "Monday"}, {115, "Mon"}, {124, "German"}, {125, "English"},
      {153, "Guests"}, {156, "Street"}}},
};

class RealLibrary : public ::testing::TestWithParam<LibraryCase> {};

TEST_P(RealLibrary, BindsAndAnswers)
{
    const LibraryCase& c = GetParam();
    OrvLanguageLib lib(*c.path);
    ASSERT_TRUE(lib.IsLoaded()) << lib.LoadError();
    EXPECT_EQ(lib.Bind(), 0);
    EXPECT_TRUE(lib.HasGetString());
    EXPECT_EQ(lib.GetLanguageID(), c.languageID);
    ASSERT_NE(lib.GetLanguage(), nullptr);
    EXPECT_STREQ(lib.GetLanguage(), c.language);
    for (const auto& [number, text] : c.texts) EXPECT_EQ(lib.GetString(number), text) << number;
    // Numbers without a text fall back to the number.
    EXPECT_STREQ(lib.GetString(0), "#0");
    EXPECT_STREQ(lib.GetString(99999), "#99999");
    EXPECT_STREQ(lib.GetString(-5), "#-5");
}

TEST_P(RealLibrary, HasEveryUsedText)
{
    OrvLanguageLib lib(*GetParam().path);
    ASSERT_EQ(lib.Bind(), 0);
    for (int n : kUsedNumbers) {
        const char* t = RawText(lib, n);
        ASSERT_NE(t, nullptr) << "text " << n;
        EXPECT_GT(std::strlen(t), 0u) << "text " << n;
    }
}

TEST_P(RealLibrary, TextsAreShowableInTheWindowCodePage)
{
    OrvLanguageLib lib(*GetParam().path);
    ASSERT_EQ(lib.Bind(), 0);
    for (int n = 0; n <= 1000; ++n) {
        const char* t = RawText(lib, n);
        if (!t) continue;
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(t); *p; ++p) {
            bool ok = (*p >= 0x20 && *p < 0x7F) || *p == '\n' || *p == 0x80 || (*p >= 0xA1 && *p != 0xAD);
            EXPECT_TRUE(ok) << "text " << n << " byte " << static_cast<int>(*p);
        }
    }
}

TEST_P(RealLibrary, MonthNames)
{
    OrvLanguageLib lib(*GetParam().path);
    ASSERT_EQ(lib.Bind(), 0);
    for (int m = 1; m <= 12; ++m) {
        ASSERT_NE(lib.GetMonthName(m), nullptr);
        EXPECT_STREQ(lib.GetMonthName(m), lib.GetString(m + 5)) << m;
        EXPECT_NE(lib.GetMonthName(m)[0], '#') << m;
    }
    for (int m : {0, 13, -1, 100}) EXPECT_EQ(lib.GetMonthName(m), nullptr) << m;
}

INSTANTIATE_TEST_SUITE_P(Languages, RealLibrary, ::testing::ValuesIn(kLibraries));

TEST(LanguageTables, BothLanguagesHaveTheSameNumbers)
{
    OrvLanguageLib de(kGerman), en(kEnglish);
    ASSERT_EQ(de.Bind(), 0);
    ASSERT_EQ(en.Bind(), 0);
    int count = 0;
    for (int n = -10; n <= 2000; ++n) {
        bool inDe = RawText(de, n) != nullptr;
        bool inEn = RawText(en, n) != nullptr;
        EXPECT_EQ(inDe, inEn) << "text " << n;
        count += inDe;
    }
    EXPECT_GE(count, static_cast<int>(kUsedNumbers.size()));
}

TEST(LanguageTables, OnlyTheUpdateTextsAreFormats)
{
    // Callers fill these in; any other "%" would be taken for a format.
    // Number of conversions, and how many of them are "%s".
    const std::map<int, std::pair<int, int>> formats = {{102, {1, 1}}, {103, {1, 1}}, {104, {1, 1}}, {106, {2, 2}},
                                                        {300, {1, 1}}, {304, {1, 1}}, {305, {1, 1}}, {307, {1, 0}},
                                                        {315, {3, 3}}, {316, {2, 2}}, {332, {1, 0}},
                                                        {346, {1, 1}}, {348, {1, 1}}, {349, {1, 1}}, {351, {1, 1}},
                                                        {352, {1, 1}}, {361, {1, 1}}, {362, {2, 2}}, {364, {1, 1}}};
    for (const std::string* path : {&kGerman, &kEnglish}) {
        OrvLanguageLib lib(*path);
        ASSERT_EQ(lib.Bind(), 0);
        for (int n = 0; n <= 1000; ++n) {
            const char* t = RawText(lib, n);
            if (!t) continue;
            int percents = 0, strings = 0;
            for (const char* p = t; *p; ++p)
                if (*p == '%') {
                    ++percents;
                    if (p[1] == 's') ++strings;
                }
            auto it = formats.find(n);
            std::pair<int, int> expected = it == formats.end() ? std::pair<int, int>(0, 0) : it->second;
            EXPECT_EQ(percents, expected.first) << *path << " text " << n;
            EXPECT_EQ(strings, expected.second) << *path << " text " << n;
        }
    }
}

// --- missing libraries and entry points ----------------------------------------

TEST(LanguageFallback, MissingLibrary)
{
    OrvLanguageLib lib("/nonexistent/lang_xx.so");
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_FALSE(lib.LoadError().empty());
    EXPECT_EQ(lib.Bind(), -1);
    EXPECT_FALSE(lib.HasGetString());
    EXPECT_STREQ(lib.GetString(42), "#42");
    EXPECT_STREQ(lib.GetMonthName(1), "#6");
    EXPECT_EQ(lib.GetMonthName(13), nullptr);
    EXPECT_EQ(lib.GetLanguageID(), 0);
    EXPECT_EQ(lib.GetLanguage(), nullptr);
    EXPECT_EQ(lib.Symbol("GetString"), nullptr);
}

TEST(LanguageFallback, LibraryWithoutAnyEntryPoint)
{
    OrvLanguageLib lib(ORV_TEST_SAMPLE_PLUGIN);
    ASSERT_TRUE(lib.IsLoaded()) << lib.LoadError();
    EXPECT_EQ(lib.Bind(), -1);
    EXPECT_STREQ(lib.GetString(42), "#42");
    EXPECT_EQ(lib.GetLanguageID(), 0);
}

TEST(LanguageFallback, LibraryWithoutGetLanguageStillGivesTexts)
{
    OrvLanguageLib lib(ORV_TEST_PARTIAL_LANGUAGE);
    ASSERT_TRUE(lib.IsLoaded()) << lib.LoadError();
    EXPECT_EQ(lib.Bind(), -1);
    EXPECT_TRUE(lib.HasGetString());
    EXPECT_STREQ(lib.GetString(42), "zweiundvierzig");
    EXPECT_STREQ(lib.GetString(41), "#41");
    EXPECT_EQ(lib.GetLanguageID(), 1031);
    EXPECT_EQ(lib.GetLanguage(), nullptr);
}

TEST(LanguageFallback, FallbackTextsStayValid)
{
    const char* first = OrvLanguageFallbackText(123);
    for (int i = 0; i < 500; ++i) OrvLanguageFallbackText(1000 + i);
    EXPECT_EQ(OrvLanguageFallbackText(123), first);
    EXPECT_STREQ(first, "#123");
}

// --- choosing the library ----------------------------------------------------

class LanguageEnvironment : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* n : kNames) {
            const char* v = std::getenv(n);
            saved_[n] = v ? std::optional<std::string>(v) : std::nullopt;
            ::unsetenv(n);
        }
        savedDir_ = OrvProgramDirectory();
    }
    void TearDown() override
    {
        for (const auto& [n, v] : saved_) {
            if (v) ::setenv(n.c_str(), v->c_str(), 1);
            else ::unsetenv(n.c_str());
        }
        OrvSetProgramDirectory(savedDir_);
    }
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::map<std::string, std::optional<std::string>> saved_;
    std::string savedDir_;
};

TEST_F(LanguageEnvironment, SystemLanguage)
{
    struct { const char* lcAll; const char* lcMessages; const char* lang; int expected; } cases[] = {
        {nullptr, nullptr, nullptr, 1033},
        {nullptr, nullptr, "de_DE.UTF-8", 1031},
        {nullptr, nullptr, "de_AT", 1031},
        {nullptr, nullptr, "en_GB.UTF-8", 2057},
        {nullptr, nullptr, "en_US.UTF-8", 1033},
        {nullptr, nullptr, "fr_FR.UTF-8", 1033},
        {nullptr, nullptr, "C", 1033},
        {"en_GB.UTF-8", nullptr, "de_DE.UTF-8", 2057},
        {nullptr, "de_CH.UTF-8", "en_US.UTF-8", 1031},
        {"", "", "de_DE", 1031},
    };
    for (const auto& c : cases) {
        for (const char* n : kNames) ::unsetenv(n);
        if (c.lcAll) ::setenv("LC_ALL", c.lcAll, 1);
        if (c.lcMessages) ::setenv("LC_MESSAGES", c.lcMessages, 1);
        if (c.lang) ::setenv("LANG", c.lang, 1);
        EXPECT_EQ(OrvSystemLanguageID(), c.expected)
            << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-") << " " << (c.lang ? c.lang : "-");
    }
}

TEST_F(LanguageEnvironment, LibraryPath)
{
    OrvSetProgramDirectory("/opt/orv/");
    struct { int id; const char* lang; const char* path; } cases[] = {
        {1031, nullptr, "/opt/orv/lang_de.so"},
        {2057, nullptr, "/opt/orv/lang_en.so"},
        {1033, nullptr, "/opt/orv/lang_en.so"},
        {0, nullptr, "/opt/orv/lang_en.so"},
        {3082, nullptr, "/opt/orv/lang_en.so"},
        {1, "de_DE.UTF-8", "/opt/orv/lang_de.so"},
        {1, "en_US.UTF-8", "/opt/orv/lang_en.so"},
    };
    for (const auto& c : cases) {
        ::unsetenv("LANG");
        if (c.lang) ::setenv("LANG", c.lang, 1);
        EXPECT_EQ(OrvLanguageLibraryPath(c.id), c.path) << c.id;
    }
}

TEST_F(LanguageEnvironment, LoadsTheConfiguredLanguage)
{
    TempDir dir;
    OrvCalendarConfig config(dir.Path());
    ASSERT_EQ(OrvCalendarConfig::Get(), &config);
    OrvSetProgramDirectory(kBin);

    struct { const char* setting; const char* lang; int id; const char* january; } cases[] = {
        {"1031", nullptr, 1031, "Januar"},
        {"2057", nullptr, 2057, "January"},
        {"1033", nullptr, 2057, "January"},
        {"1", "de_DE.UTF-8", 1031, "Januar"},
        {"1", "en_GB.UTF-8", 2057, "January"},
    };
    for (const auto& c : cases) {
        ::unsetenv("LANG");
        if (c.lang) ::setenv("LANG", c.lang, 1);
        ASSERT_EQ(config.SetValue(ORVCFG_APPLICATIONLANGUAGE, c.setting), 0);
        EXPECT_EQ(OrvLoadLanguage(), 0) << c.setting;
        EXPECT_EQ(OrvLanguage()->GetLanguageID(), c.id) << c.setting;
        EXPECT_STREQ(OrvText(6), c.january) << c.setting;
    }
}

TEST_F(LanguageEnvironment, ReplacedLibraryKeepsItsTextsValid)
{
    OrvInstallLanguage(new OrvLanguageLib(kGerman));
    OrvLanguage()->Bind();
    const char* german = OrvText(6);
    ASSERT_STREQ(german, "Januar");
    OrvInstallLanguage(new OrvLanguageLib(kEnglish));
    OrvLanguage()->Bind();
    EXPECT_STREQ(OrvText(6), "January");
    EXPECT_STREQ(german, "Januar");
    OrvInstallLanguage(nullptr);
    EXPECT_STREQ(OrvText(6), "January");
}

TEST_F(LanguageEnvironment, MissingConfiguredLibraryFallsBackToNumbers)
{
    TempDir dir;
    OrvCalendarConfig config(dir.Path());
    ASSERT_EQ(OrvCalendarConfig::Get(), &config);
    OrvSetProgramDirectory(dir.Path());   // holds no language library
    ASSERT_EQ(config.SetValue(ORVCFG_APPLICATIONLANGUAGE, "1031"), 0);
    EXPECT_EQ(OrvLoadLanguage(), -1);
    EXPECT_STREQ(OrvText(6), "#6");
    EXPECT_STREQ(OrvCalendarConfig::CategoryName(101), "#169");
}

} // namespace
