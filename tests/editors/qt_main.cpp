// Widget tests need one application object for the whole run.
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/qt/OrvMessageWindow.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    OrvMessageWindow::SetTestMode(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
