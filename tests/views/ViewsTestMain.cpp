// One application object and one configuration for all view tests: the
// configuration lives in a directory of its own, the texts are English.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);

    std::string tmpl = (std::filesystem::temp_directory_path() / "orvviews.XXXXXX").string();
    const char* dir = ::mkdtemp(tmpl.data());
    if (!dir) return 2;
    int result;
    {
        OrvCalendarConfig config(dir);
        OrvInstallLanguage(new OrvLanguageLib(std::string(ORV_TEST_BIN_DIR) + "/lang_en.so"));
        if (OrvLanguage()->Bind() != 0) return 3;
        result = RUN_ALL_TESTS();
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return result;
}
