// A working directory and program directory of its own per test: the
// configuration, the language libraries (linked from the build), the
// layout storage and the database "user.db".
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>

#include "TempDir.h"
#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "app/OrvProgramDirectory.h"
#include "base/OrvDatabase.h"
#include "platform/qt/OrvLayoutStorage.h"
#include "platform/qt/OrvMessageWindow.h"

inline std::string OrvTestBin(const char* name) { return std::string(ORV_TEST_BIN_DIR) + "/" + name; }

// Processes events until done() holds or the time is up; true when it held.
inline bool OrvWaitFor(const std::function<bool()>& done, int milliseconds = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QApplication::sendPostedEvents();
    }
    return true;
}

class AppGuiFixture : public ::testing::Test {
protected:
    // The configuration file's text; tests override it before SetUp runs
    // by passing it to Prepare.
    static std::string DefaultConfig(const std::string& host = "127.0.0.1:9")
    {
        return "[HOST]\nHost=" + host + "\nServicePath=rpc.php?\n"
               "[DEFAULT]\nCheckForUpdatesOnStart=0\nApplicationLanguage=1031\nUsername=\nPassword=\n";
    }

    void SetUp() override { Prepare(DefaultConfig()); }

    void Prepare(const std::string& configText, bool withStorage = true)
    {
        previous_ = std::filesystem::current_path();
        dir_.Write("OrvCalendar.cfg", configText);
        for (const char* lib : {"lang_de.so", "lang_en.so"}) {
            std::error_code ec;
            std::filesystem::create_symlink(OrvTestBin(lib), dir_.File(lib), ec);
        }
        if (withStorage) std::filesystem::copy_file(OrvTestBin("OrvCalendar.znc"), dir_.File("OrvCalendar.znc"));
        std::filesystem::current_path(dir_.Path());
        OrvSetProgramDirectory(dir_.Path());
        config_ = std::make_unique<OrvCalendarConfig>(dir_.Path());
        OrvLoadLanguage();
        OrvMessageWindow::ClearRecorded();
    }

    void OpenStorageAndDatabase()
    {
        storage_ = std::make_unique<OrvLayoutStorage>();
        ASSERT_TRUE(storage_->Open(QStringLiteral("OrvCalendar.znc")));
        OrvLayoutStorage::Install(storage_.get());
        ASSERT_EQ(OrvGetDatabase().Open("user.db"), 0);
    }

    void TearDown() override
    {
        OrvLayoutStorage::Install(nullptr);
        storage_.reset();
        OrvGetDatabase().Close();
        config_.reset();
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
    }

    TempDir dir_;
    std::filesystem::path previous_;
    std::unique_ptr<OrvCalendarConfig> config_;
    std::unique_ptr<OrvLayoutStorage> storage_;
};
