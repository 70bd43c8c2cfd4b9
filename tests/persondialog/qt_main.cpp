// Widget tests need one application object and one configuration (in a
// directory of their own) for the whole run.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "ModalGuard.h"
#include "app/OrvCalendarConfig.h"
#include "platform/qt/OrvMessageWindow.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    OrvMessageWindow::SetTestMode(true);
    persondialogtest::InstallModalGuard();
    QTemporaryDir directory;
    OrvCalendarConfig config(directory.path().toStdString());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
