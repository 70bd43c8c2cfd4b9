// One application object for all tests; message windows are recorded
// instead of shown, so that no test waits for a click.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

#include "platform/qt/OrvMessageWindow.h"

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    OrvMessageWindow::SetTestMode(true);
    return RUN_ALL_TESTS();
}
