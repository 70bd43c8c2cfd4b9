// What the user sees while the portal client works: a busy cursor, the
// action in the status bar, and for transfers of files and calendars a
// progress dialog with the bytes done and a cancel button. The client
// blocks the interface during a request; the feedback keeps it painted.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <functional>
#include <string>

#include "portal/OrvWebService.h"

class QWidget;

class OrvPortalFeedback {
public:
    // status shows a text in the status bar; restore puts back the text
    // that stood there before.
    OrvPortalFeedback(QWidget* window, std::function<void(const QString&)> status, std::function<void()> restore);
    ~OrvPortalFeedback();
    OrvPortalFeedback(const OrvPortalFeedback&) = delete;
    OrvPortalFeedback& operator=(const OrvPortalFeedback&) = delete;

    OrvRequestWatcher Watcher();

    // True while a request runs.
    bool Busy() const { return busy_; }
    // The progress dialog of the running transfer, or null.
    QProgressDialog* ProgressDialog() const { return dialog_; }
    // The text naming the action of a remote method.
    static QString ActionText(const std::string& method);
    // Methods that move files or calendars get the progress dialog.
    static bool IsTransfer(const std::string& method);
    // Milliseconds a transfer runs before its dialog shows (short ones
    // flash nothing).
    static void SetProgressDelay(int milliseconds);

private:
    void Started(const std::string& method);
    bool Progress(uint64_t downNow, uint64_t downTotal, uint64_t upNow, uint64_t upTotal);
    void Finished();

    QWidget* window_;
    std::function<void(const QString&)> status_;
    std::function<void()> restore_;
    QPointer<QProgressDialog> dialog_;
    QElapsedTimer timer_;
    std::string method_;
    QString action_;
    bool busy_ = false;
    bool cancelled_ = false;
};
