#include "OrvPortalFeedback.h"

#include <QApplication>
#include <QLocale>
#include <QProgressDialog>

#include "app/OrvLanguageLib.h"
#include "platform/qt/OrvQtText.h"

namespace {
int progressDelay = 400;

constexpr int TEXT_CANCEL = 56;
constexpr int TEXT_LOGGING_IN = 354;
constexpr int TEXT_LOADING_CALENDAR = 355;
constexpr int TEXT_UPLOADING_EVENT = 356;
constexpr int TEXT_UPLOADING_FILE = 357;
constexpr int TEXT_LOADING_FILE = 358;
constexpr int TEXT_DELETING_EVENT = 359;
constexpr int TEXT_WAITING = 360;
constexpr int TEXT_BYTES = 361;
constexpr int TEXT_BYTES_OF = 362;

QString Text(int number) { return OrvQString(OrvText(number)); }

QString Fill(int number, const QStringList& values)
{
    QString text = Text(number);
    for (const QString& v : values) {
        const int at = text.indexOf(QLatin1String("%s"));
        if (at < 0) break;
        text.replace(at, 2, v);
    }
    return text;
}
}  // namespace

void OrvPortalFeedback::SetProgressDelay(int milliseconds) { progressDelay = milliseconds; }

OrvPortalFeedback::OrvPortalFeedback(QWidget* window, std::function<void(const QString&)> status,
                                     std::function<void()> restore)
    : window_(window), status_(std::move(status)), restore_(std::move(restore))
{
}

OrvPortalFeedback::~OrvPortalFeedback()
{
    delete dialog_.data();
    if (busy_) QApplication::restoreOverrideCursor();
}

OrvRequestWatcher OrvPortalFeedback::Watcher()
{
    OrvRequestWatcher watcher;
    watcher.started = [this](const std::string& method) { Started(method); };
    watcher.progress = [this](uint64_t dn, uint64_t dt, uint64_t un, uint64_t ut) { return Progress(dn, dt, un, ut); };
    watcher.finished = [this](const std::string&, bool) { Finished(); };
    return watcher;
}

QString OrvPortalFeedback::ActionText(const std::string& method)
{
    if (method == "V001_User_Login") return Text(TEXT_LOGGING_IN);
    if (method == "V001_Event_GetCalendar") return Text(TEXT_LOADING_CALENDAR);
    if (method == "V001_Event_UploadEvent") return Text(TEXT_UPLOADING_EVENT);
    if (method == "V001_Event_SetFile" || method == "V001_Person_SetFile") return Text(TEXT_UPLOADING_FILE);
    if (method == "V001_Event_GetFile" || method == "V001_Person_GetFile" || method == "V001_Application_DownloadUpdate")
        return Text(TEXT_LOADING_FILE);
    if (method == "V001_Event_Delete") return Text(TEXT_DELETING_EVENT);
    return Text(TEXT_WAITING);
}

bool OrvPortalFeedback::IsTransfer(const std::string& method)
{
    return method == "V001_Event_GetCalendar" || method == "V001_Event_UploadEvent" || method == "V001_Event_SetFile" ||
           method == "V001_Person_SetFile" || method == "V001_Event_GetFile" || method == "V001_Person_GetFile" ||
           method == "V001_Application_DownloadUpdate";
}

void OrvPortalFeedback::Started(const std::string& method)
{
    method_ = method;
    action_ = ActionText(method);
    cancelled_ = false;
    busy_ = true;
    timer_.start();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (status_) status_(action_);
    // The cursor and the text show before the call blocks.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool OrvPortalFeedback::Progress(uint64_t downNow, uint64_t downTotal, uint64_t upNow, uint64_t upTotal)
{
    if (!busy_) return true;
    if (!dialog_ && IsTransfer(method_) && timer_.elapsed() >= progressDelay && qApp) {
        dialog_ = new QProgressDialog(action_, Text(TEXT_CANCEL), 0, 0, window_);
        dialog_->setObjectName(QStringLiteral("OrvTransferProgress"));
        dialog_->setWindowTitle(QStringLiteral("OrvCalendar"));
        // Modal: while it shows, only its cancel button takes input.
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(0);
        QObject::connect(dialog_.data(), &QProgressDialog::canceled, [this]() { cancelled_ = true; });
        dialog_->show();
    }
    if (dialog_) {
        // Uploads count what was sent, downloads what arrived.
        const bool up = upTotal > 0 && downNow == 0;
        const uint64_t now = up ? upNow : downNow;
        const uint64_t total = up ? upTotal : downTotal;
        const QLocale locale;
        const QString done = locale.toString(static_cast<qulonglong>(now));
        dialog_->setLabelText(action_ + QStringLiteral("\n") +
                              (total > 0 ? Fill(TEXT_BYTES_OF, {done, locale.toString(static_cast<qulonglong>(total))})
                                         : Fill(TEXT_BYTES, {done})));
        if (total > 0) {
            // The bar counts KiB, which an int holds for any file.
            dialog_->setMaximum(static_cast<int>(std::max<uint64_t>(total / 1024, 1)));
            dialog_->setValue(static_cast<int>(std::min<uint64_t>(now / 1024, total / 1024)));
        }
        // Only the modal dialog takes input, so the cancel button works
        // and nothing else can start a second request.
        QApplication::processEvents(QEventLoop::AllEvents);
    } else {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return !cancelled_;
}

void OrvPortalFeedback::Finished()
{
    if (!busy_) return;
    busy_ = false;
    delete dialog_.data();
    QApplication::restoreOverrideCursor();
    if (restore_) restore_();
}
