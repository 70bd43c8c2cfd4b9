#include "OrvStartup.h"

#include <QApplication>
#include <QString>
#include <memory>

#include "OrvMainWindow.h"
#include "OrvProgramDirectory.h"
#include "base/OrvDatabase.h"
#include "platform/qt/OrvLayoutStorage.h"
#include "platform/qt/OrvMessageWindow.h"
#include "platform/qt/OrvQtEvent.h"

int OrvApplicationMain(int argc, char** argv)
{
    // 1. The layout storage.
    const QString storageName = QStringLiteral("%1.znc").arg(QLatin1String(ORV_STORAGE_BASENAME));
    auto storage = std::make_unique<OrvLayoutStorage>();
    if (!storage->Open(storageName)) {
        OrvMessageWindow::Error(QStringLiteral("%1 nicht vorhanden").arg(storageName));
        return -1;
    }
    // 2. Install it for every window of the run.
    OrvLayoutStorage::Install(storage.get());

    // 3. The local database; a failure leaves the request log empty.
    OrvGetDatabase().Open(ORV_DATABASE_NAME);

    // 4. The program's directory (configuration, language libraries).
    if (QCoreApplication::instance()) OrvSetProgramDirectory(QCoreApplication::applicationDirPath().toStdString());
    else if (argc > 0 && argv && argv[0]) OrvSetProgramDirectory(OrvDirectoryOfPath(argv[0]));

    // 5. The main window.
    int result = 1;
    {
        auto window = std::make_unique<OrvMainWindow>();
        window->show();
        // 6. The event loop runs until the main window closes.
        QApplication::setQuitOnLastWindowClosed(true);
        QApplication::exec();
        window->Event(OrvEvent(ORV_NOTICE_APPLICATION_ENDS));
    }

    // 7. Release the storage.
    OrvLayoutStorage::Install(nullptr);
    storage.reset();
    return result;
}

int OrvExitCode(int result) { return result == 1 ? 0 : 1; }
