#include "ModalGuard.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace persondialogtest {

namespace {

constexpr int kDefaultLimit = 10000;
int limit = kDefaultLimit;

// The window of the innermost loop: a popup first, then the modal window.
QWidget* LoopWindow()
{
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    return QApplication::activeModalWidget();
}

void Check()
{
    static QPointer<QWidget> seen;
    static int seenLevel = 0;
    static QElapsedTimer since;
    static bool reported = false;
    // The tests never run the application's own loop, so any loop level
    // above 0 is an exec() inside a test.
    const int level = QThread::currentThread()->loopLevel();
    if (level == 0) {
        seen = nullptr;
        seenLevel = 0;
        return;
    }
    QWidget* window = LoopWindow();
    if (window != seen || level != seenLevel || !since.isValid()) {
        seen = window;
        seenLevel = level;
        since.start();
        reported = false;
        return;
    }
    if (since.elapsed() < limit) return;
    if (!window) {
        // A loop without a window cannot be closed from here; it is
        // reported once and left to the run's time limit.
        if (!reported) ADD_FAILURE() << "an event loop without a window ran longer than " << limit << " ms";
        reported = true;
        return;
    }
    ADD_FAILURE() << "modal window \"" << window->windowTitle().toStdString() << "\" ("
                  << window->metaObject()->className() << ") was left open for " << limit
                  << " ms with nobody to close it";
    since.start();
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->reject();
    } else {
        window->close();
    }
}

} // namespace

void InstallModalGuard()
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, qApp, &Check);
    timer->start();
}

int ModalLimit() { return limit; }
void SetModalLimit(int milliseconds) { limit = milliseconds > 0 ? milliseconds : kDefaultLimit; }

} // namespace persondialogtest
