// The language library: one dynamic library per language ("lang_de.so",
// "lang_en.so" in the program's directory) that hands out every numbered
// text of the user interface in the window code page (Windows-1252).
//
// Entry points of a language library:
//   extern "C" const char* GetString(int number);  // null: no such text
//   extern "C" int GetLanguageID(void);            // 1031 German, 2057 English
//   extern "C" const char* GetLanguage(void);      // the language's own name
#pragma once

#include <string>

#include "OrvLibrary.h"

using OrvGetStringFunc = const char* (*)(int);
using OrvGetLanguageIDFunc = int (*)();
using OrvGetLanguageFunc = const char* (*)();

// Language identifiers.
constexpr int OrvLanguageGerman = 1031;
constexpr int OrvLanguageEnglishUS = 1033;
constexpr int OrvLanguageEnglishUK = 2057;

class OrvLanguageLib : public OrvLibrary {
public:
    explicit OrvLanguageLib(const std::string& path);

    // -1 when the library is not loaded or lacks one of the three entry
    // points (the ones found stay bound), 0 otherwise.
    int Bind() override;

    // The text of a number. When the library or its "GetString" is missing,
    // or it has no text for the number, the text is "#" and the number
    // (for example "#42"), so that every caption still shows something.
    // The text stays valid for the rest of the run.
    const char* GetString(int number) const;

    // Month 1..12 gives texts 6..17; any other month has no name (null).
    const char* GetMonthName(int month) const;

    // Results of the library's own entry points; 0 / null when missing.
    int GetLanguageID() const;
    const char* GetLanguage() const;

    bool HasGetString() const { return getString_ != nullptr; }

private:
    OrvGetStringFunc getString_ = nullptr;
    OrvGetLanguageIDFunc getLanguageID_ = nullptr;
    OrvGetLanguageFunc getLanguage_ = nullptr;
};

// "#" followed by the number; valid for the rest of the run.
const char* OrvLanguageFallbackText(int number);

// The system's default language identifier (from LC_ALL, LC_MESSAGES or
// LANG): 1031 for German, 2057 for British and 1033 for other English or
// any other language.
int OrvSystemLanguageID();

// The library file for a language identifier: the program's directory,
// "/lang_", "de" for 1031 and "en" for every other identifier, ".so".
// The identifier 1 stands for the system's default language.
std::string OrvLanguageLibraryPath(int languageID);

// The globally installed language library. The first call loads the one of
// the configured "ApplicationLanguage" (never null).
OrvLanguageLib* OrvLanguage();

// Installs a library (taking ownership; null is ignored). The library it
// replaces stays loaded until the end of the run, because texts it handed
// out may still be shown.
void OrvInstallLanguage(OrvLanguageLib* library);

// Loads and installs the library of the configured "ApplicationLanguage";
// returns the result of its Bind.
int OrvLoadLanguage();

// Text by number through the installed library.
const char* OrvText(int number);
