// orvcalendar: the desktop application.
#include <QApplication>

#include "OrvStartup.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OrvCalendar"));
    return OrvExitCode(OrvApplicationMain(argc, argv));
}
