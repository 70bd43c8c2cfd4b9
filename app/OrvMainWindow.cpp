#include "OrvMainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QLibraryInfo>
#include <QMenu>
#include <QTranslator>
#include <QHeaderView>
#include <QScrollArea>
#include <QStyle>
#include <QTableView>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "OrvAboutDialog.h"
#include "OrvCalendarConfig.h"
#include "OrvLanguageLib.h"
#include "OrvPluginHost.h"
#include "base/OrvDatabase.h"
#include "base/OrvText.h"
#include "model/OrvCalReader.h"
#include "model/OrvCalendar.h"
#include "platform/qt/OrvLayoutStorage.h"
#include "platform/qt/OrvMessageWindow.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"
#include "portal/OrvPortalSession.h"
#include "portal/ui/OrvHTTPClientWindow.h"
#include "portal/ui/OrvLoginDialog.h"
#include "views/OrvCalendarTable.h"
#include "views/OrvSharedDate.h"
#include "views/editors/OrvEventRRuleDialog.h"
#include "views/editors/OrvCalQuery.h"
#include "views/editors/OrvCalendarManager.h"
#include "views/editors/OrvConfigDialog.h"
#include "views/editors/OrvEventEditing.h"
#include "views/editors/OrvPortalDialogs.h"
#include "portal/OrvImportNormaliser.h"
#include "portal/ui/OrvImportRegisterWindow.h"
#include "portal/ui/OrvWebPersonDialog.h"

namespace {
OrvMainWindow* mainWindow = nullptr;

// Text numbers of the main window's own messages.
constexpr int TEXT_LEFT_AREA = 302;
constexpr int TEXT_BOTTOM_AREA = 303;
constexpr int TEXT_CONNECTED = 304;
constexpr int TEXT_LOGGED_IN = 305;
constexpr int TEXT_NOT_LOGGED_IN = 306;
constexpr int TEXT_EVENT_DATES = 307;
constexpr int TEXT_DOWNLOAD_FAILED = 308;
constexpr int TEXT_ICS_FILES = 309;
constexpr int TEXT_UPLOAD_FAILED = 310;
constexpr int TEXT_DELETE_FAILED = 311;
constexpr int TEXT_SETUP_TITLE = 314;
constexpr int TEXT_SETUP_QUESTION = 315;
constexpr int TEXT_SETUP_KEPT = 316;
constexpr int TEXT_SETUP_NOT_ANNOUNCED = 317;
constexpr int TEXT_SETUP_UNTRUSTED = 318;
constexpr int TEXT_SETUP_CHANGED = 319;
constexpr int TEXT_SETUP_DECLINED = 320;
constexpr int TEXT_SETUP_START_FAILED = 321;
constexpr int TEXT_LOGIN_FAILED = 312;
constexpr int TEXT_UNREACHABLE = 340;
constexpr int TEXT_TIMEOUT = 341;
constexpr int TEXT_INCOMPLETE = 342;
constexpr int TEXT_TOO_LARGE = 343;
constexpr int TEXT_CANCELLED = 344;
constexpr int TEXT_STORAGE = 345;
constexpr int TEXT_PORTAL_SAYS = 346;
constexpr int TEXT_KEPT_LOCALLY = 347;
constexpr int TEXT_STATUS_UNREACHABLE = 348;
constexpr int TEXT_STATUS_PENDING = 349;
constexpr int TEXT_STARTUP_UNREACHABLE = 350;
constexpr int TEXT_LOCAL_KEPT_OVER_PORTAL = 351;
constexpr int TEXT_CHANGES_UPLOADED = 352;
constexpr int TEXT_COMMAND_FAILED = 353;
constexpr int TEXT_QUESTION = 363;
constexpr int TEXT_CONFIRM_DELETE = 364;
constexpr int TEXT_NO_IMPORT_PROFILE = 334;
constexpr int TEXT_EXPORT_TITLE = 335;
constexpr int TEXT_IMPORT_TITLE = 336;

QString Text(int number) { return OrvQString(OrvText(number)); }

// "%s" and "%d" texts of the language library, filled in.
QString TextWith(int number, const QString& value)
{
    QString text = Text(number);
    if (text.contains(QLatin1String("%s"))) return text.replace(QLatin1String("%s"), value);
    if (text.contains(QLatin1String("%d"))) return text.replace(QLatin1String("%d"), value);
    return text;
}

// A download that is read into the calendar without emptying it brings the
// portal's copy of events the calendar already holds; the copy replaces the
// older one (same UID and replaced date) instead of showing the event twice.
// Events the portal did not send stay as they are. The older copies are
// taken out and handed back: the occurrences still point at them until the
// caller rebuilds.
// A change the portal has not confirmed is never replaced: the portal's
// copy gives way instead (counted in keptLocal).
std::vector<std::unique_ptr<OrvCalendarComponent>> DetachSupersededEvents(OrvCalendar& calendar, int firstNewBlock,
                                                                          const OrvLocalChanges& local,
                                                                          int& keptLocal)
{
    std::vector<std::unique_ptr<OrvCalendarComponent>> superseded;
    std::vector<OrvCalendarComponent*> fresh, older;
    for (int i = 0; i < calendar.components.Count(); ++i) {
        OrvCalendarComponent* block = calendar.Component(i);
        if (!block->IsA(ORV_VCALENDAR)) continue;
        for (OrvElement* e = block->children.First(); e; e = e->Next()) {
            auto* event = static_cast<OrvCalendarComponent*>(e);
            if (!event->IsA(ORV_VEVENT) || event->uid.empty()) continue;
            (i >= firstNewBlock ? fresh : older).push_back(event);
        }
    }
    std::set<OrvCalendarComponent*> gone;
    for (OrvCalendarComponent* newer : fresh) {
        bool keep = true;
        for (OrvCalendarComponent* old : older) {
            if (gone.count(old) || !OrvLocalChanges::Same(*old, *newer)) continue;
            if (local.Contains(*old)) {
                keep = false;
            } else {
                OrvDetachEvent(calendar, old);
                superseded.emplace_back(old);
                gone.insert(old);
            }
        }
        if (!keep) {
            OrvDetachEvent(calendar, newer);
            superseded.emplace_back(newer);
            ++keptLocal;
        }
    }
    return superseded;
}

bool Repeats(const OrvCalendarComponent* event) { return event && event->rrule.frequency != 0 && event->rrule.frequency != 7; }

// The portal client in the role the document's publishing needs.
// The UID line of an event's text.
std::string UIDOfText(const std::string& text)
{
    // The event's own lines come before those of its children.
    size_t at = text.find("\nUID:");
    if (at == std::string::npos) return std::string();
    ++at;
    const size_t end = text.find('\n', at);
    std::string uid = text.substr(at + 4, end == std::string::npos ? std::string::npos : end - at - 4);
    if (!uid.empty() && uid.back() == '\r') uid.pop_back();
    return uid;
}

class MainUploader : public OrvEventUploader {
public:
    MainUploader(OrvMainWindow* window, std::set<std::string> holdBack,
                 std::function<void(const std::string&, bool)> failed)
        : window_(window), holdBack_(std::move(holdBack)), failed_(std::move(failed))
    {
    }
    int LoginIfNeeded() override { return window_->EnsureLogin(); }
    int UploadEvent(const char* componentName, const std::string& text, int& eventId) override
    {
        const std::string uid = UIDOfText(text);
        const bool newEvent = text.find("X-ORV-EVENTID:0\n") != std::string::npos ||
                              text.find("X-ORV-EVENTID:") == std::string::npos;
        // Perhaps on the portal already, and its id not known yet.
        if (newEvent && holdBack_.count(uid)) return -1;
        const int result = window_->Portal()->UploadEvent(componentName, text, eventId);
        if (result != 0) failed_(uid, newEvent);
        return result;
    }

private:
    OrvMainWindow* window_;
    std::set<std::string> holdBack_;
    std::function<void(const std::string&, bool)> failed_;
};
}  // namespace

// ---------------------------------------------------------------------------
// Top area

OrvMainTopArea::OrvMainTopArea(const OrvPaneSources* sources, QWidget* parent) : QWidget(parent)
{
    OrvSetClassID(this, classID);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setChildrenCollapsible(false);
    splitter_->setHandleWidth(5);
    scroller_ = new QScrollArea(splitter_);
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller_->setWidgetResizable(true);
    access_ = new OrvAccessPane(sources);
    scroller_->setWidget(access_);
    // Wide enough for the pane and a scroll bar beside it.
    scroller_->setMinimumWidth(qMax(access_->minimumWidth(), access_->minimumSizeHint().width()) +
                               scroller_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2);
    scroller_->setMinimumHeight(60);
    work_ = new OrvWorkPane(sources, splitter_);
    splitter_->addWidget(scroller_);
    splitter_->addWidget(work_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    position_ = scroller_->minimumWidth();
    splitter_->setSizes({position_, 1000});
    layout->addWidget(splitter_);
}

int OrvMainTopArea::Event(const OrvEvent& event)
{
    if (event.type != ORV_CMD_TOGGLE_LEFT) return 0;
    if (leftShown_) {
        position_ = splitter_->sizes().value(0, position_);
        scroller_->hide();
        splitter_->handle(1)->hide();
    } else {
        scroller_->show();
        splitter_->handle(1)->show();
        const QList<int> sizes = splitter_->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        splitter_->setSizes({position_, qMax(total - position_, 1)});
    }
    leftShown_ = !leftShown_;
    return event.type;
}

// ---------------------------------------------------------------------------
// Bottom area

QSize OrvMainBottomArea::minimumSizeHint() const
{
    int table = 0;
    for (const QTableView* view : findChildren<QTableView*>()) {
        int height = 2 * view->frameWidth() + minimumRows * view->verticalHeader()->defaultSectionSize();
        if (!view->horizontalHeader()->isHidden()) height += view->horizontalHeader()->sizeHint().height();
        if (view->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
            height += view->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        table = qMax(table, height);
    }
    if (table == 0) table = minimumRows * (fontMetrics().height() + 8);
    return QSize(200, table + Bar()->sizeHint().height());
}

// ---------------------------------------------------------------------------
// Main window

OrvMainWindow* OrvMainWindow::Instance() { return mainWindow; }

OrvMainWindow::OrvMainWindow(QWidget* parent)
    : QMainWindow(parent),
      plugins_(new OrvPluginHost),
      calendar_(new OrvCalendar),
      portal_(new OrvWebServiceJoomla),
      date_(OrvSharedDate::Instance())
{
    OrvSetClassID(this, classID);
    mainWindow = this;
    // The request log goes to the run's local database.
    portal_->SetDatabaseHandle(static_cast<sqlite3*>(OrvGetDatabase().ConnectionHandle()));
    portal_->SetMessageHook([this](const char* title, const char* text) {
        // Reply bodies arrive as UTF-8 or plain ASCII.
        OrvMessageWindow::Show(this, QString::fromUtf8(title), QString::fromUtf8(text));
    });
    feedback_ = std::make_unique<OrvPortalFeedback>(
        this,
        [this](const QString& action) {
            if (!status_) return;
            statusBeforeRequest_ = status_->text();
            status_->setText(action);
        },
        [this]() {
            // The connection state follows what the request met.
            const OrvTransportFailure failure = portal_->LastFailure();
            const bool answered = failure != OrvTransportFailure::Unreachable && failure != OrvTransportFailure::Timeout;
            if (!answered) loggedIn_ = false;  // the next command logs in again
            if (answered != reachable_) {
                reachable_ = answered;
                UpdateStatus();
            } else if (status_) {
                status_->setText(statusBeforeRequest_);
            }
        });
    portal_->SetRequestWatcher(feedback_->Watcher());

    // Geometry and title from the layout "OrvCalendar".
    QMap<QString, QString> layout;
    if (OrvLayoutStorage* storage = OrvLayoutStorage::Installed()) layout = storage->Layout(QStringLiteral("OrvCalendar"));
    setWindowTitle(layout.value(QStringLiteral("title"), QStringLiteral("OrvCalendar")));
    resize(layout.value(QStringLiteral("width"), QStringLiteral("1180")).toInt(),
           layout.value(QStringLiteral("height"), QStringLiteral("780")).toInt());
    setMinimumSize(layout.value(QStringLiteral("minimumWidth"), QStringLiteral("640")).toInt(),
                   layout.value(QStringLiteral("minimumHeight"), QStringLiteral("420")).toInt());

    menuSources_.target = this;
    menuSources_.calendarView = [this]() { return CalendarView(); };
    menuSources_.categories = [this]() { return CategoryEntries(); };
    menuSources_.importProfiles = [this]() { return ImportProfileEntries(); };
    menuSources_.queries = [this]() { return QueryEntries(true); };

    paneSources_.mainWindow = this;
    paneSources_.calendar = calendar_;
    paneSources_.date = date_;
    paneSources_.config = nullptr;
    paneSources_.fetchQueries = [this]() { return QueryEntries(loggedIn_); };
    paneSources_.loadedCalendar = [this]() { return loadedCalendar_; };

    frame_ = new QWidget(this);
    auto* frameLayout = new QVBoxLayout(frame_);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    setCentralWidget(frame_);
}

OrvMainWindow::~OrvMainWindow()
{
    portal_->SetRequestWatcher(OrvRequestWatcher());
    // Views that follow the portal client's log or the document go first.
    if (requestLog_) requestLog_->Detach();
    delete takeCentralWidget();
    topArea_ = nullptr;
    bottomArea_ = nullptr;
    mainSplitter_ = nullptr;
    requestLog_ = nullptr;
    delete portal_;
    delete calendar_;
    delete plugins_;
    if (mainWindow == this) mainWindow = nullptr;
}

OrvCalendarConfig* OrvMainWindow::Config() const { return OrvCalendarConfig::Get(); }

void OrvMainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!initialized_) Initialize();
}

void OrvMainWindow::Initialize()
{
    if (initialized_) return;
    initialized_ = true;
    // 1. The language library, and Qt's own texts in its language.
    OrvLoadLanguage();
    InstallQtTranslations();
    // 2. The calendar horizon.
    calendar_->horizon = Config()->GetHorizon();
    // 3. Colours and fonts.
    CreateColoursAndFonts();
    // 4. Menus, tool bar, status bar, top area.
    menus_ = OrvAddMainMenus(menuBar(), &menuSources_);
    CreateToolBar();
    CreateShortcuts();
    status_ = new QLabel(this);
    statusBar()->addWidget(status_, 1);
    frame_->layout()->addWidget(TopArea());
    // The calendar of the last run, with the changes the portal has not
    // confirmed, shows before the portal is asked.
    LoadLocalCalendar();
    UpdateStatus();
    // The month table takes the keys from the start.
    if (auto* table = qobject_cast<QWidget*>(CalendarView())) table->setFocus(Qt::OtherFocusReason);
    // 5. Login, then the plug-ins.
    OrvPostEvent(this, OrvEvent(ORV_CMD_LOGIN_SEQUENCE));
    OrvPostEvent(this, OrvEvent(ORV_CMD_LOAD_PLUGINS));
}

void OrvMainWindow::CreateColoursAndFonts()
{
    const int values[][3] = {
        {247, 247, 247},                                   // grey
        {236, 233, 216}, {245, 245, 242},                  // pairs of the views
        {237, 237, 228}, {217, 197, 133},
        {186, 196, 204}, {223, 234, 244},
        {255, 231, 156}, {252, 231, 116}, {255, 171, 109}, {255, 195, 109}, {252, 116, 17},
    };
    colours_.clear();
    for (const auto& v : values) colours_.emplace_back(v[0], v[1], v[2]);
    fonts_ = {QFont(QStringLiteral("Helvetica"), 10), QFont(QStringLiteral("Helvetica"), 9)};
}

void OrvMainWindow::CreateToolBar()
{
    toolBar_ = addToolBar(QStringLiteral("OrvCalendar"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(16, 16));
    QAction* left = toolBar_->addAction(OrvIcon("LEFTAREA"), Text(TEXT_LEFT_AREA));
    QAction* bottom = toolBar_->addAction(OrvIcon("BOTTOMAREA"), Text(TEXT_BOTTOM_AREA));
    connect(left, &QAction::triggered, this, [this]() { OrvSendEvent(this, OrvEvent(ORV_CMD_TOGGLE_LEFT)); });
    connect(bottom, &QAction::triggered, this, [this]() { OrvSendEvent(this, OrvEvent(ORV_CMD_TOGGLE_BOTTOM)); });
}

void OrvMainWindow::CreateShortcuts()
{
    for (int command : {ORV_CMD_NEW_EVENT_MENU, ORV_CMD_EXPORT, ORV_CMD_IMPORT, ORV_CMD_DOWNLOAD_MY_CALENDAR, ORV_CMD_EXIT}) {
        auto* action = new QAction(this);
        action->setShortcut(OrvCommandShortcut(command));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, command]() {
            switch (command) {
            case ORV_CMD_IMPORT:
                ImportByKey();
                break;
            case ORV_CMD_DOWNLOAD_MY_CALENDAR:
                // F5 fetches again what was fetched last.
                DownloadCalendar(lastQuery_, lastReplace_);
                break;
            default:
                OrvSendEvent(this, OrvEvent(command));
            }
        });
        addAction(action);
        shortcuts_.emplace_back(command, action);
    }
}

QAction* OrvMainWindow::ShortcutAction(int command) const
{
    for (const auto& [c, action] : shortcuts_)
        if (c == command) return action;
    return nullptr;
}

int OrvMainWindow::ImportByKey()
{
    // An import needs a profile; the key offers the profiles the menu lists.
    const std::vector<OrvMenuListEntry> profiles = ImportProfileEntries();
    if (profiles.empty()) {
        OrvMessageWindow::Show(this, QStringLiteral("Hinweis"), Text(TEXT_NO_IMPORT_PROFILE));
        return -1;
    }
    if (profiles.size() == 1) return ImportWithProfile(profiles.front().value);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("OrvImportProfileMenu"));
    for (const OrvMenuListEntry& entry : profiles) {
        QString caption = entry.caption;
        menu.addAction(caption.replace(QLatin1Char('&'), QLatin1String("&&")))->setData(entry.value);
    }
    QWidget* anchor = qobject_cast<QWidget*>(CalendarView());
    const QPoint at = anchor ? anchor->mapToGlobal(anchor->rect().center()) : mapToGlobal(rect().center());
    QAction* chosen = menu.exec(at);
    return chosen ? ImportWithProfile(chosen->data().toInt()) : -1;
}

void OrvMainWindow::InstallQtTranslations()
{
    for (QObject* old : qtTranslators_) {
        QCoreApplication::removeTranslator(static_cast<QTranslator*>(old));
        delete old;
    }
    qtTranslators_.clear();
    const QLocale locale(OrvLanguage()->GetLanguageID() == OrvLanguageGerman ? QLocale::German : QLocale::English);
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase", "qt"}) {
        auto* translator = new QTranslator(this);
        if (translator->load(locale, QLatin1String(catalogue), QStringLiteral("_"), directory)) {
            QCoreApplication::installTranslator(translator);
            qtTranslators_.push_back(translator);
            break;   // "qt" only includes "qtbase" and the other modules
        }
        delete translator;
    }
}

QString OrvMainWindow::WithCalendarSuffix(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1String(".ics"), Qt::CaseInsensitive)) return path;
    // A name ending in a point gets no second one.
    return path + (path.endsWith(QLatin1Char('.')) ? QStringLiteral("ics") : QStringLiteral(".ics"));
}

void OrvMainWindow::ShowLoadedCalendar(int calendar)
{
    loadedCalendar_ = calendar;
    if (topArea_) topArea_->AccessPane()->CalendarsGroup()->ShowLoaded(calendar);
}

void OrvMainWindow::UpdateStatus(const QString& text)
{
    if (!status_) return;
    QStringList parts;
    if (!reachable_) parts << TextWith(TEXT_STATUS_UNREACHABLE, QString::fromStdString(portal_->Host()));
    else if (portal_->IsConnected()) parts << TextWith(TEXT_CONNECTED, QString::fromStdString(portal_->Host()));
    parts << (loggedIn_ ? TextWith(TEXT_LOGGED_IN, OrvQString(portal_->UserName())) : Text(TEXT_NOT_LOGGED_IN));
    parts << TextWith(TEXT_EVENT_DATES, QString::number(calendar_->occurrences.Count()));
    if (!localChanges_.Empty()) parts << TextWith(TEXT_STATUS_PENDING, QString::number(localChanges_.Count()));
    if (!text.isEmpty()) parts << text;
    status_->setText(parts.join(QStringLiteral("   |   ")));
}

OrvMainTopArea* OrvMainWindow::TopArea()
{
    if (!topArea_) topArea_ = new OrvMainTopArea(&paneSources_, frame_);
    return topArea_;
}

OrvMainBottomArea* OrvMainWindow::BottomArea()
{
    if (!bottomArea_) {
        bottomArea_ = new OrvMainBottomArea(frame_);
        bottomArea_->hide();
        // The request log is the first page, shown at once.
        auto* page = new OrvRegisterWindow(QString::fromLatin1(ORV_HTTP_CLIENT_TITLE), true);
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        requestLog_ = new OrvHTTPClientWindow(portal_, page);
        pageLayout->addWidget(requestLog_);
        bottomArea_->AddRegisterWindow(page);
    }
    return bottomArea_;
}

QObject* OrvMainWindow::CalendarView()
{
    return topArea_ ? OrvFindChild(topArea_, ORV_ID_CALENDAR_VIEW) : nullptr;
}

void OrvMainWindow::ToggleBottomArea()
{
    if (mainSplitter_) {
        // Remember the position, detach both panes, drop the splitter.
        bottomArea_->rememberedHeight = mainSplitter_->sizes().value(1);
        topArea_->setParent(frame_);
        bottomArea_->hide();
        bottomArea_->setParent(frame_);
        delete mainSplitter_;
        mainSplitter_ = nullptr;
        frame_->layout()->addWidget(topArea_);
        topArea_->show();
        return;
    }
    OrvMainBottomArea* bottom = BottomArea();
    frame_->layout()->removeWidget(TopArea());
    mainSplitter_ = new QSplitter(Qt::Vertical, frame_);
    mainSplitter_->setHandleWidth(6);
    mainSplitter_->setChildrenCollapsible(false);
    mainSplitter_->addWidget(topArea_);
    mainSplitter_->addWidget(bottom);
    bottom->show();
    topArea_->show();
    frame_->layout()->addWidget(mainSplitter_);
    // The splitter scales sizes that do not add up to its room; give it
    // exactly its room so that the remembered height comes back unchanged.
    const int total = qMax(frame_->height() - mainSplitter_->handleWidth(), 200);
    const int lower = qMax(bottom->rememberedHeight > 0 ? bottom->rememberedHeight : total / 4,
                           bottom->minimumSizeHint().height());
    mainSplitter_->setSizes({qMax(total - lower, 1), lower});
}

void OrvMainWindow::ShowBottomArea()
{
    if (!mainSplitter_) ToggleBottomArea();
}

void OrvMainWindow::BroadcastChange()
{
    OrvBroadcastEvent(OrvEvent(ORV_CMD_REBUILD));
    UpdateStatus();
}

// --- menu lists ------------------------------------------------------------

std::vector<OrvMenuListEntry> OrvMainWindow::CategoryEntries() const
{
    std::vector<OrvMenuListEntry> entries;
    OrvEventCategoryList* list = Config()->GetEventCategoryList();
    for (int i = 0; i < list->Count(); ++i) {
        const OrvEventCategoryElement* category = list->Item(i);
        if (category->id == 1) continue;
        entries.push_back({OrvQString(OrvCalendarConfig::CategoryName(category->id)), category->id, nullptr});
    }
    return entries;
}

std::vector<OrvMenuListEntry> OrvMainWindow::ImportProfileEntries() const
{
    std::vector<OrvMenuListEntry> entries;
    OrvICalImportList* list = Config()->GetICalImportList();
    for (int i = 0; i < list->Count(); ++i) {
        OrvICalImportElement* profile = list->Item(i);
        if (profile->name.empty() || profile->sceneName.empty() || profile->categoryID == 0) continue;
        entries.push_back({OrvQString(profile->name), profile->id, profile});
    }
    return entries;
}

std::vector<OrvMenuListEntry> OrvMainWindow::QueryEntries(bool fetch)
{
    if (fetch) return FetchQueries();
    std::vector<OrvMenuListEntry> entries;
    for (OrvMainQuery* q : queries_) entries.push_back({OrvQString(q->name), q->id, q});
    return entries;
}

std::vector<OrvMenuListEntry> OrvMainWindow::FetchQueries()
{
    if (!loggedIn_) return {};
    // User 0: the logged-in user's own queries; the process keeps one list,
    // which the calendar manager edits too.
    OrvGetCalQueryList(*portal_);
    return SnapshotQueries();
}

std::vector<OrvMenuListEntry> OrvMainWindow::SnapshotQueries()
{
    queries_.clear();
    const OrvCalQueryList& list = OrvCalQueries();
    for (int i = 0; i < list.Count(); ++i) {
        auto query = std::make_unique<OrvMainQuery>();
        query->id = list.Item(i)->id;
        query->name = list.Item(i)->name;
        query->query = list.Item(i)->ToCalendarQuery();
        queries_.push_back(query.get());
        queryStore_.push_back(std::move(query));
    }
    std::vector<OrvMenuListEntry> entries;
    for (OrvMainQuery* q : queries_) entries.push_back({OrvQString(q->name), q->id, q});
    return entries;
}

// --- portal ----------------------------------------------------------------

int OrvMainWindow::LoginSequence()
{
    OrvLoginSequenceHooks hooks;
    hooks.dispatchPending = []() { OrvDispatchPendingEvents(); };
    hooks.loginDialog = [this](bool blocked, bool& registerAsked) {
        if (hooks_.loginDialog) {
            const int result = hooks_.loginDialog(blocked, registerAsked);
            loggedIn_ = result == ZAF_DIALOG_OK;
            return result;
        }
        OrvLoginDialog dialog(*portal_, *Config(), blocked, this);
        const int result = dialog.Control();
        registerAsked = dialog.RegisterAsked();
        loggedIn_ = result == ZAF_DIALOG_OK;
        return result;
    };
    // The sequence checks for updates only after a login.
    hooks.updateCheck = [this]() {
        loggedIn_ = true;
        return CheckForUpdates();
    };
    hooks.post = [this](int event) {
        OrvPostEvent(this, OrvEvent(event, event == ORV_CMD_DOWNLOAD_MY_CALENDAR ? StartupDownload : 0));
    };
    const int result = OrvRunLoginSequence(*portal_, *Config(), hooks);
    // 0: logged in and the download posted; 100 after a login only when an
    // accepted update is ending the program.
    loggedIn_ = result == 0 || (result == 100 && !setup_.path.empty());
    UpdateStatus();
    if (result == -1) {
        // The calendar of the last run stays; the user learns why nothing
        // came from the portal, without a login dialog.
        reachable_ = false;
        UpdateStatus(Text(TEXT_UNREACHABLE));
        OrvMessageWindow::Show(this, QStringLiteral("Hinweis"), Text(TEXT_STARTUP_UNREACHABLE));
        return result;
    }
    if (result == 0) UploadLocalChanges();
    // The calendars group shows the queries of the user now logged in.
    if (loggedIn_ && topArea_ && topArea_->AccessPane()->CalendarsGroup()->IsExpanded())
        topArea_->AccessPane()->CalendarsGroup()->SetExpanded(true);
    return result;
}

int OrvMainWindow::EnsureLogin()
{
    if (portal_->IsConnected() && loggedIn_) return 0;
    const int result = portal_->Login();
    loggedIn_ = result == 0;
    UpdateStatus();
    // A new login takes up what could not go to the portal before.
    if (loggedIn_) UploadLocalChanges();
    return result;
}

// --- changes the portal has not confirmed ----------------------------------

void OrvMainWindow::SaveLocalChanges()
{
    if (localChanges_.Save(*calendar_) != 0)
        OrvMessageWindow::Show(this, QStringLiteral("Fehler"), Text(TEXT_STORAGE));
}

void OrvMainWindow::LoadLocalCalendar()
{
    std::error_code error;
    if (std::filesystem::exists(CalendarFileName, error)) calendar_->Load(CalendarFileName);
    localChanges_.Restore(*calendar_);
    // The last run may have sent them without learning their portal ids.
    for (OrvCalendarComponent* event : localChanges_.Events(*calendar_))
        if (event->eventId == 0 && !event->uid.empty()) uncertain_.insert(event->uid);
    calendar_->RebuildOccurrences();
    date_->Notify();
    BroadcastChange();
}

std::vector<std::unique_ptr<OrvCalendarComponent>> OrvMainWindow::TakeLocalChanges()
{
    std::vector<std::unique_ptr<OrvCalendarComponent>> taken;
    for (OrvCalendarComponent* event : localChanges_.Events(*calendar_)) {
        OrvDetachEvent(*calendar_, event);
        taken.emplace_back(event);
    }
    if (!taken.empty()) calendar_->RebuildOccurrences();
    return taken;
}

int OrvMainWindow::PutBackLocalChanges(std::vector<std::unique_ptr<OrvCalendarComponent>>& taken)
{
    int replaced = 0;
    std::vector<std::unique_ptr<OrvCalendarComponent>> portalCopies;
    for (auto& event : taken) {
        bool counted = false;
        for (OrvCalendarComponent* copy : OrvCalendarEvents(*calendar_))
            if (OrvLocalChanges::Same(*copy, *event)) {
                OrvDetachEvent(*calendar_, copy);
                portalCopies.emplace_back(copy);
                if (!counted) ++replaced;
                counted = true;
            }
        OrvAdoptEvent(*calendar_, event.release());
    }
    taken.clear();
    calendar_->RebuildOccurrences();
    return replaced;
}

void OrvMainWindow::NoteUploadFailure(const std::string& uid, bool newEvent)
{
    // A refusal is an answer; anything else may have stored the event.
    if (newEvent && !uid.empty() && portal_->LastFailure() != OrvTransportFailure::None) uncertain_.insert(uid);
}

bool OrvMainWindow::ResolveUncertain(const std::vector<OrvCalendarComponent*>& events)
{
    std::vector<OrvCalendarComponent*> open;
    for (OrvCalendarComponent* event : events)
        if (IsUncertain(event)) open.push_back(event);
    if (open.empty()) return true;
    const std::string file = std::string(CalendarFileName) + ".check";
    if (portal_->GetCalendarFile(nullptr, file) != 0) return false;
    OrvCalendar own;
    own.Load(file);
    std::error_code error;
    std::filesystem::remove(file, error);
    for (OrvCalendarComponent* event : open) {
        for (OrvCalendarComponent* stored : OrvCalendarEvents(own))
            if (stored->eventId != 0 && OrvLocalChanges::Key(*stored) == OrvLocalChanges::Key(*event))
                event->eventId = stored->eventId;
        // Found or not: the portal's answer settles it.
        uncertain_.erase(event->uid);
    }
    return true;
}

int OrvMainWindow::UploadChange(OrvCalendarComponent* event, bool report)
{
    if (!event) return -1;
    // Kept before the portal is asked: a failure, or the end of the
    // program, loses nothing.
    localChanges_.Add(*event);
    event->publish.state = ORV_PUBLISH_STOPPED;
    SaveLocalChanges();
    int result = EnsureLogin();
    // The login may have taken it up already.
    if (result == 0 && !localChanges_.Contains(*event)) return 0;
    if (result == 0 && !ResolveUncertain({event})) result = -1;
    if (result == 0) {
        event->publish.state = ORV_PUBLISH_PUBLISHED;
        const std::string text = OrvComponentText(*event);
        int eventID = 0;
        result = portal_->UploadEvent(event->name.c_str(), text, eventID);
        if (result == 0) {
            if (eventID != 0) event->eventId = eventID;
            localChanges_.Remove(*event);
        } else {
            event->publish.state = ORV_PUBLISH_STOPPED;
            NoteUploadFailure(event->uid, event->eventId == 0);
        }
    }
    SaveLocalChanges();
    if (result != 0 && report) ReportFailure(TEXT_UPLOAD_FAILED, result, true);
    if (result == 0) UpdateStatus();
    return result;
}

void OrvMainWindow::UploadLocalChanges()
{
    if (uploadingChanges_ || localChanges_.Empty()) return;
    uploadingChanges_ = true;
    int uploaded = 0;
    const std::vector<OrvCalendarComponent*> events = localChanges_.Events(*calendar_);
    ResolveUncertain(events);
    for (OrvCalendarComponent* event : events) {
        if (IsUncertain(event)) continue;  // waits until the portal can be asked
        event->publish.state = ORV_PUBLISH_PUBLISHED;
        const std::string text = OrvComponentText(*event);
        int eventID = 0;
        if (portal_->UploadEvent(event->name.c_str(), text, eventID) == 0) {
            if (eventID != 0) event->eventId = eventID;
            localChanges_.Remove(*event);
            ++uploaded;
        } else {
            event->publish.state = ORV_PUBLISH_STOPPED;
            NoteUploadFailure(event->uid, event->eventId == 0);
            // Without an answer the rest would wait in vain.
            if (portal_->LastFailure() != OrvTransportFailure::None) break;
        }
    }
    uploadingChanges_ = false;
    SaveLocalChanges();
    if (uploaded) {
        BroadcastChange();
        UpdateStatus(TextWith(TEXT_CHANGES_UPLOADED, QString::number(uploaded)));
    }
}

// --- messages --------------------------------------------------------------

QString OrvMainWindow::FailureReason(int result) const
{
    switch (portal_->LastFailure()) {
    case OrvTransportFailure::Unreachable: return Text(TEXT_UNREACHABLE);
    case OrvTransportFailure::Timeout: return Text(TEXT_TIMEOUT);
    case OrvTransportFailure::Incomplete: return Text(TEXT_INCOMPLETE);
    case OrvTransportFailure::TooLarge: return Text(TEXT_TOO_LARGE);
    case OrvTransportFailure::Cancelled: return Text(TEXT_CANCELLED);
    case OrvTransportFailure::Storage: return Text(TEXT_STORAGE);
    case OrvTransportFailure::None: break;
    }
    // The portal answered and refused: its own words.
    if (result != 0 && !portal_->Message().empty())
        return TextWith(TEXT_PORTAL_SAYS, QString::fromUtf8(portal_->Message().c_str()));
    return QString();
}

void OrvMainWindow::ReportFailure(int actionText, int result, bool kept)
{
    QString text = Text(actionText);
    const QString reason = FailureReason(result);
    if (!reason.isEmpty()) text += QStringLiteral("\n") + reason;
    if (kept) text += QStringLiteral("\n") + Text(TEXT_KEPT_LOCALLY);
    QString line = text;
    UpdateStatus(line.replace(QLatin1Char('\n'), QLatin1Char(' ')));
    if (userCommand_) OrvMessageWindow::Show(this, QStringLiteral("Fehler"), text);
}

bool OrvMainWindow::Confirm(const QString& text)
{
    if (hooks_.confirm) return hooks_.confirm(Text(TEXT_QUESTION), text);
    return OrvMessageWindow::Ask(this, Text(TEXT_QUESTION), text);
}

bool OrvMainWindow::IsPortalCommand(int command)
{
    switch (command) {
    case ORV_CMD_LOGIN_SEQUENCE:
    case ORV_CMD_IMPORT:
    case ORV_CMD_NEW_EVENT:
    case ORV_CMD_EDIT_EVENT:
    case ORV_CMD_DELETE_EVENT:
    case ORV_CMD_HIGHLIGHT:
    case ORV_CMD_ASSIGN_USER:
    case ORV_CMD_SETTINGS:
    case ORV_CMD_EMPTY_WIZARD:
    case ORV_CMD_CALENDAR_MANAGER:
    case ORV_CMD_REGISTER:
    case ORV_CMD_SUPRAREGIONAL:
    case ORV_CMD_UPLOAD_ALL:
    case ORV_CMD_SOCIAL_PUBLISH:
    case ORV_CMD_UPLOAD_EVENT:
    case ORV_CMD_SHOW_LOG:
    case ORV_CMD_DOWNLOAD_MY_CALENDAR:
    case ORV_CMD_CHECK_UPDATE:
    case ORV_CMD_DOWNLOAD_ALL:
    case ORV_CMD_DOWNLOAD_QUERY:
        return true;
    default:
        return false;
    }
}

int OrvMainWindow::DownloadCalendar(const OrvMainQuery* query, bool replace)
{
    lastQuery_ = query;
    lastReplace_ = replace;
    const int login = EnsureLogin();
    if (login != 0 && portal_->LastFailure() != OrvTransportFailure::None) {
        ReportFailure(TEXT_DOWNLOAD_FAILED, login);
        // The calendar loaded before is still the one shown.
        ShowLoadedCalendar(loadedCalendar_);
        return login;
    }
    const int result = portal_->GetCalendarFile(query ? &query->query : nullptr, CalendarFileName);
    if (result != 0) {
        ReportFailure(TEXT_DOWNLOAD_FAILED, result);
        ShowLoadedCalendar(loadedCalendar_);
        return result;
    }
    // Merged into what was there, the user's own calendar is no longer the
    // whole content of a query's download.
    if (replace || loadedCalendar_ <= 0) ShowLoadedCalendar(query ? query->id : 0);
    else ShowLoadedCalendar(-1);
    int keptLocal = 0;
    std::vector<std::unique_ptr<OrvCalendarComponent>> taken;
    if (replace) {
        // Changes the portal has not confirmed outlive the emptying.
        taken = TakeLocalChanges();
        calendar_->Clear();
    }
    const int blocksBefore = calendar_->components.Count();
    calendar_->Load(CalendarFileName);
    std::vector<std::unique_ptr<OrvCalendarComponent>> superseded;
    if (!replace) superseded = DetachSupersededEvents(*calendar_, blocksBefore, localChanges_, keptLocal);
    else keptLocal = PutBackLocalChanges(taken);
    calendar_->RebuildOccurrences();
    superseded.clear();  // no occurrence points at them any more
    SaveLocalChanges();
    if (replace) OrvBroadcastEvent(OrvEvent(ORV_CMD_REBUILD));
    else date_->Notify();
    BroadcastChange();
    if (keptLocal > 0) {
        const QString text = TextWith(TEXT_LOCAL_KEPT_OVER_PORTAL, QString::number(keptLocal));
        UpdateStatus(text);
        OrvMessageWindow::Show(this, QStringLiteral("Hinweis"), text);
    }
    return 0;
}

int OrvMainWindow::CheckForUpdates()
{
    OrvUpdateHooks hooks;
    hooks.renewLogin = [this]() { return EnsureLogin(); };
    hooks.showDialog = [this](const std::string& version, const std::string& history, int& state,
                              std::string& path) {
        if (hooks_.updateDialog) return hooks_.updateDialog(version, history, state, path);
        return OrvRunUpdateDialog(this, *portal_, version, history, state, path);
    };
    hooks.endProgram = [this]() { OrvPostEvent(this, OrvEvent(ORV_NOTICE_CLOSE)); };
    return OrvUpdateCheck(*portal_, hooks, setup_);
}

void OrvMainWindow::FinishUpdate()
{
    // "%s" places filled in order.
    auto fill = [](int number, const QStringList& values) {
        QString text = Text(number);
        for (const QString& v : values) {
            int at = text.indexOf(QLatin1String("%s"));
            if (at < 0) break;
            text.replace(at, 2, v);
        }
        return text;
    };
    OrvSetupHooks hooks;
    hooks.confirm = [this, fill](const std::string& name, uint64_t size, const std::string& sha256) {
        if (hooks_.confirmSetup) return hooks_.confirmSetup(name, size, sha256);
        if (OrvMessageWindow::TestMode()) return false;  // nothing may block a test run
        const QString text = fill(TEXT_SETUP_QUESTION, {QString::fromStdString(name), QString::number(size),
                                                        QString::fromStdString(sha256)});
        return QMessageBox::question(nullptr, Text(TEXT_SETUP_TITLE), text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    hooks.tell = [fill](const std::string& path, OrvSetupVerdict why) {
        int reason = TEXT_SETUP_NOT_ANNOUNCED;
        switch (why) {
        case ORV_SETUP_UNTRUSTED: reason = TEXT_SETUP_UNTRUSTED; break;
        case ORV_SETUP_CHANGED: reason = TEXT_SETUP_CHANGED; break;
        case ORV_SETUP_DECLINED: reason = TEXT_SETUP_DECLINED; break;
        case ORV_SETUP_START_FAILED: reason = TEXT_SETUP_START_FAILED; break;
        default: break;
        }
        OrvMessageWindow::Show(nullptr, QStringLiteral("Hinweis"),
                               fill(TEXT_SETUP_KEPT, {QString::fromStdString(path), Text(reason)}));
    };
    OrvFinishUpdate(setup_, hooks);
}

// --- commands --------------------------------------------------------------

OrvEventEditContext OrvMainWindow::EditContext()
{
    OrvEventEditContext context;
    context.parent = this;
    context.calendar = calendar_;
    context.portal = portal_;
    context.ensureLogin = [this]() { return EnsureLogin(); };
    context.broadcastChange = [this]() { BroadcastChange(); };
    context.askRepeating = hooks_.askRepeating;
    context.runWizard = hooks_.runWizard;
    context.upload = [this](OrvCalendarComponent* event) { return UploadChange(event); };
    context.confirm = hooks_.confirm;
    context.choosePerson = [this](int kind, int category, OrvAddress& person) {
        if (hooks_.choosePerson) return hooks_.choosePerson(kind, category, person);
        EnsureLogin();
        return OrvChoosePerson(this, *portal_, kind, category, person);
    };
    return context;
}

int OrvMainWindow::NewOrEditEvent(const OrvEvent& event)
{
    if (Config()->GetEventSceneList()->Count() == 0) {
        OrvMessageWindow::Show(this, QStringLiteral("Hinweis"),
                               QString::fromUtf8("Stellen Sie bitte unter \"Extras > Einstellungen\" die Szenen ein, "
                                                 "für die Sie Veranstaltungen erfassen wollen."));
        return -1;
    }
    const OrvEventEditContext context = EditContext();
    if (event.type == ORV_CMD_EDIT_EVENT) return OrvEditEventDate(context, static_cast<OrvEventDate*>(event.data));
    // From a day of the month table the request names the day and the
    // category; from the menus only the category comes, in the value.
    const auto* request = static_cast<const OrvNewEventRequest*>(event.data);
    return OrvNewEvent(context, request ? request->date : date_->Get(),
                       request && request->category ? request->category : static_cast<int>(event.value));
}

int OrvMainWindow::EmptyWizard()
{
    return OrvOpenEmptyWizard(EditContext());
}

int OrvMainWindow::Settings()
{
    const int result = hooks_.settingsDialog ? hooks_.settingsDialog() : OrvRunSettingsDialog(this, portal_);
    if (result != ZAF_DIALOG_OK) return result;
    // The language, the categories and the scenes may have changed.
    Event(OrvEvent(ORV_CMD_RELOAD_LANGUAGE));
    BroadcastChange();
    return result;
}

int OrvMainWindow::CalendarManager()
{
    EnsureLogin();
    const int result = hooks_.calendarManager ? hooks_.calendarManager() : OrvRunCalendarManager(this, *portal_);
    // The manager may have changed the list; the access pane shows it anew.
    SnapshotQueries();
    if (topArea_ && topArea_->AccessPane()->CalendarsGroup()->IsExpanded())
        topArea_->AccessPane()->CalendarsGroup()->SetExpanded(true);
    return result;
}

void OrvMainWindow::ShowImportTable()
{
    OrvMainBottomArea* bottom = BottomArea();
    if (!importPage_) {
        importTable_ = new OrvImportRegisterWindow(*calendar_, *portal_);
        importPage_ = new OrvRegisterWindow(importTable_->Title(), true);
        auto* pageLayout = new QVBoxLayout(importPage_);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        importTable_->setParent(importPage_);
        pageLayout->addWidget(importTable_);
        bottom->AddRegisterWindow(importPage_);
    } else {
        // A new import: the rows of the addresses now in the calendar.
        importTable_->Reload();
        if (bottom->Shown() != importPage_) bottom->Event(OrvEvent(ORV_CMD_CHOOSE_REGISTER, 0, importPage_));
    }
    ShowBottomArea();
}

int OrvMainWindow::DeleteEventDate(OrvEventDate* date)
{
    if (!date || !date->event) return -1;
    OrvCalendarComponent* event = date->event;
    int choice = ORV_REPEAT_ALL;
    if (Repeats(event)) {
        int value = 0;
        int answer;
        if (hooks_.askRepeating) {
            answer = hooks_.askRepeating(ORV_CMD_DELETE_EVENT, event->summary, value);
        } else {
            OrvRepeatingEventDialog dialog(ORV_CMD_DELETE_EVENT, event->summary, this);
            answer = dialog.Control();
            value = dialog.Value();
        }
        if (answer != ZAF_DIALOG_OK) return -1;
        choice = value;
    }
    // The repeating-event dialog asked already about one date; what takes
    // the whole event is asked once more.
    if (choice != ORV_REPEAT_ONLY_THIS &&
        !Confirm(TextWith(TEXT_CONFIRM_DELETE, QString::fromUtf8(event->summary.c_str()))))
        return -1;
    if (choice == ORV_REPEAT_ONLY_THIS) {
        // The series keeps its other dates; a failed upload keeps the
        // exception date here until the portal takes it.
        OrvCalendar::AddExceptionDate(event, *date);
        calendar_->RebuildOccurrences();
        BroadcastChange();
        UploadChange(event);
    } else {
        if (event->eventId != 0) {
            int result = EnsureLogin();
            if (result == 0) result = portal_->DeleteEvent(event->eventId);
            if (result != 0) {
                // The event stays, so that nothing is gone that the portal
                // still shows.
                ReportFailure(TEXT_DELETE_FAILED, result);
                return -1;
            }
        }
        localChanges_.Remove(*event);
        OrvDetachEvent(*calendar_, event);
        // The occurrences refer to the event; rebuild before it goes.
        calendar_->RebuildOccurrences();
        delete event;
        SaveLocalChanges();
    }
    calendar_->RebuildOccurrences();
    BroadcastChange();
    return 0;
}

int OrvMainWindow::ImportWithProfile(int profileID)
{
    OrvICalImportElement* profile = Config()->GetICalImport(profileID);
    if (!profile) return -1;
    QString path;
    if (hooks_.chooseFile) path = hooks_.chooseFile(false);
    else path = QFileDialog::getOpenFileName(this, Text(TEXT_IMPORT_TITLE), QString(),
                                             Text(TEXT_ICS_FILES) + QStringLiteral(" (*.ics)"));
    if (path.isEmpty()) return -1;
    const QByteArray local = path.toLocal8Bit();
    if (local.size() > 256) return -1;
    std::vector<std::unique_ptr<OrvCalendarComponent>> taken = TakeLocalChanges();
    ShowLoadedCalendar(-1);
    calendar_->Clear();
    calendar_->addresses.Destroy();
    calendar_->Load(local.toStdString());
    // Changes the portal has not confirmed stay in the calendar.
    if (!taken.empty()) PutBackLocalChanges(taken);
    // Scenes, categories, places and organizers of the profile; places the
    // portal does not know become address book entries for the import table.
    EnsureLogin();
    OrvPortalAddressSource source(*portal_);
    OrvNormaliseImport(*calendar_, *profile, source);
    calendar_->RebuildOccurrences();
    BroadcastChange();
    date_->Notify();
    OrvPostEvent(this, OrvEvent(ORV_CMD_SHOW_IMPORT_TABLE, profileID));
    return 0;
}

int OrvMainWindow::ExportCalendar()
{
    QString path;
    if (hooks_.chooseFile) {
        path = hooks_.chooseFile(true);
    } else {
        // Qt's own dialog rather than the desktop's, so that it speaks the
        // interface's language and adds the suffix itself as well.
        QFileDialog dialog(this, Text(TEXT_EXPORT_TITLE), QString(), Text(TEXT_ICS_FILES) + QStringLiteral(" (*.ics)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("ics"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) path = dialog.selectedFiles().first();
    }
    path = WithCalendarSuffix(path);
    if (path.isEmpty()) return -1;
    // Other programs read the file: RFC 5545, not the calendar file's own
    // dialect.
    return calendar_->Export(path.toLocal8Bit().toStdString());
}

int OrvMainWindow::ToggleHighlight(OrvEventDate* date)
{
    if (!date || !date->event) return -1;
    EnsureLogin();
    const int number = calendar_->OccurrenceNumber(date);
    int level = calendar_->OccurrenceHighlight(date) ? 0 : 1;
    OrvCalendarComponent* event = date->event;
    const int result = portal_->EventSetHighlight(event->eventId, number, level);
    if (result != 0) {
        ReportFailure(TEXT_COMMAND_FAILED, result);
        return result;
    }
    calendar_->SetOccurrenceHighlight(event, number, level);
    BroadcastChange();
    return 0;
}

int OrvMainWindow::ToggleSupraRegional(OrvEventDate* date)
{
    if (!date || !date->event) return -1;
    EnsureLogin();
    OrvCalendarComponent* event = date->event;
    const int number = calendar_->OccurrenceNumber(date);
    const int result = portal_->EventSetValue(event->eventId, number, event->supraRegional ? "0" : "1");
    if (result != 0) {
        ReportFailure(TEXT_COMMAND_FAILED, result);
        return result;
    }
    event->supraRegional = event->supraRegional ? 0 : 1;
    BroadcastChange();
    return 0;
}

int OrvMainWindow::PublishSocial(OrvEventDate* date)
{
    if (!date || !date->event) return -1;
    EnsureLogin();
    const int result = portal_->FacebookSetEvent(date->event->eventId, calendar_->OccurrenceNumber(date));
    if (result == 0) BroadcastChange();
    else ReportFailure(TEXT_COMMAND_FAILED, result);
    return result;
}

int OrvMainWindow::UploadOne(OrvCalendarComponent* event)
{
    if (!event) return -1;
    const int result = UploadChange(event);
    BroadcastChange();
    return result;
}

int OrvMainWindow::UploadAll()
{
    EnsureLogin();
    const std::vector<OrvCalendarComponent*> events = OrvCalendarEvents(*calendar_);
    ResolveUncertain(events);
    std::set<std::string> holdBack;
    for (OrvCalendarComponent* event : events)
        if (IsUncertain(event)) holdBack.insert(event->uid);
    MainUploader uploader(this, holdBack,
                          [this](const std::string& uid, bool newEvent) { NoteUploadFailure(uid, newEvent); });
    const int failed = calendar_->PublishAll(uploader);
    // What the portal did not take stays as a change of this computer.
    for (OrvCalendarComponent* event : OrvCalendarEvents(*calendar_)) {
        if (event->publish.state == ORV_PUBLISH_PUBLISHED) localChanges_.Remove(*event);
        else localChanges_.Add(*event);
    }
    SaveLocalChanges();
    date_->Notify();
    BroadcastChange();
    if (failed) ReportFailure(TEXT_UPLOAD_FAILED, -1, true);
    return failed ? -1 : 0;
}

int OrvMainWindow::AssignToUser(OrvEventDate* date)
{
    if (!date || !date->event) return -1;
    EnsureLogin();
    int user = 0;
    if (hooks_.selectUser) {
        user = hooks_.selectUser();
    } else {
        OrvSelectUserDialog dialog(portal_, this);
        if (dialog.Control() != ZAF_DIALOG_OK) return -1;
        user = dialog.SelectedID();
    }
    if (user == 0) return -1;
    const int result = portal_->EventSetUser(date->event->eventId, user);
    if (result != 0) {
        ReportFailure(TEXT_COMMAND_FAILED, result);
        return result;
    }
    calendar_->RebuildOccurrences();
    BroadcastChange();
    return 0;
}

int OrvMainWindow::About()
{
    OrvAboutDialog dialog(this);
    return hooks_.runDialog ? hooks_.runDialog(dialog) : dialog.Control();
}

void OrvMainWindow::Closing()
{
    if (closing_) return;
    closing_ = true;
    if (portal_->IsConnected()) {
        portal_->Logout();
        portal_->CloseHandles();
    }
    loggedIn_ = false;
}

void OrvMainWindow::closeEvent(QCloseEvent* event)
{
    Event(OrvEvent(ORV_NOTICE_WINDOW_CLOSING));
    QMainWindow::closeEvent(event);
}

int OrvMainWindow::Event(const OrvEvent& event)
{
    if (feedback_->Busy() && IsPortalCommand(event.type)) {
        // A request is running (the window repaints meanwhile); the command
        // follows once it has ended.
        OrvPostEvent(this, event);
        return event.type;
    }
    // Failures of commands the user started are told in a message window;
    // the start-up's own steps tell them in the status bar.
    const bool outerUserCommand = userCommand_;
    struct Restore {
        bool& flag;
        bool value;
        ~Restore() { flag = value; }
    } restore{userCommand_, outerUserCommand};
    if (event.type == ORV_CMD_LOGIN_SEQUENCE ||
        (event.type == ORV_CMD_DOWNLOAD_MY_CALENDAR && event.value == StartupDownload))
        userCommand_ = false;
    else if (IsPortalCommand(event.type))
        userCommand_ = true;
    auto* date = static_cast<OrvEventDate*>(event.data);
    switch (event.type) {
    case ORV_CMD_LOAD_PLUGINS:
        plugins_->Prepare();
        plugins_->Load();
        return event.type;
    case ORV_CMD_RELOAD_LANGUAGE:
        OrvLoadLanguage();
        InstallQtTranslations();
        // Other titles may claim other letters.
        OrvAssignAccessKeys(menus_);
        return event.type;
    case ORV_CMD_LOGIN_SEQUENCE:
        LoginSequence();
        return event.type;
    case ORV_CMD_IMPORT:
        ImportWithProfile(static_cast<int>(event.value));
        return event.type;
    case ORV_CMD_EXPORT:
        ExportCalendar();
        return event.type;
    case ORV_CMD_EXIT:
        OrvPostEvent(this, OrvEvent(ORV_NOTICE_CLOSE));
        return event.type;
    case ORV_CMD_NEW_EVENT:
    case ORV_CMD_EDIT_EVENT:
        NewOrEditEvent(event);
        return event.type;
    case ORV_CMD_DELETE_EVENT:
        DeleteEventDate(date);
        return event.type;
    case ORV_CMD_HIGHLIGHT:
        ToggleHighlight(date);
        return event.type;
    case ORV_CMD_ENTRY_SELECTED:
        // Passed on to every view unchanged; the broadcast reaches this
        // window too, which must not pass it on again.
        if (broadcasting_) return 0;
        broadcasting_ = true;
        OrvBroadcastEvent(event);
        broadcasting_ = false;
        return event.type;
    case ORV_CMD_CATEGORY_FILTER:
        BroadcastChange();
        return event.type;
    case ORV_CMD_TOGGLE_BOTTOM:
        ToggleBottomArea();
        return event.type;
    case ORV_CMD_TOGGLE_LEFT:
        TopArea()->Event(event);
        return event.type;
    case ORV_CMD_ABOUT:
        About();
        return event.type;
    case ORV_CMD_TRANSFER:
        if (hooks_.transferDialog) hooks_.transferDialog();
        else OrvRunTransferDialog(this);
        return event.type;
    case ORV_CMD_ASSIGN_USER:
        AssignToUser(date);
        return event.type;
    case ORV_CMD_SETTINGS:
        Settings();
        return event.type;
    case ORV_CMD_EMPTY_WIZARD:
        EmptyWizard();
        return event.type;
    case ORV_CMD_CALENDAR_MANAGER:
        CalendarManager();
        return event.type;
    case ORV_CMD_SHOW_IMPORT_TABLE:
        ShowImportTable();
        return event.type;
    case ORV_CMD_REGISTER: {
        int result;
        if (hooks_.registerDialog) {
            result = hooks_.registerDialog();
        } else {
            OrvRegisterUserDialog dialog(*portal_, *Config(), this);
            result = dialog.Control();
        }
        // Registered but not yet cleared, or given up: the program ends.
        if (result != ZAF_DIALOG_OK) OrvPostEvent(this, OrvEvent(ORV_NOTICE_CLOSE));
        else OrvPostEvent(this, OrvEvent(ORV_CMD_LOGIN_SEQUENCE));
        return event.type;
    }
    case ORV_CMD_SUPRAREGIONAL:
        ToggleSupraRegional(date);
        return event.type;
    case ORV_CMD_UPLOAD_ALL:
        UploadAll();
        return event.type;
    case ORV_CMD_SOCIAL_PUBLISH:
        PublishSocial(date);
        return event.type;
    case ORV_CMD_UPLOAD_EVENT:
        UploadOne(date ? date->event : nullptr);
        return event.type;
    case ORV_CMD_SHOW_LOG:
        ShowBottomArea();
        EnsureLogin();
        return event.type;
    case ORV_CMD_DOWNLOAD_MY_CALENDAR:
        // At start-up the calendar shown is the last run's: the portal's
        // replaces it (changes it has not confirmed stay).
        DownloadCalendar(nullptr, event.value == StartupDownload);
        return event.type;
    case ORV_CMD_CHECK_UPDATE:
        CheckForUpdates();
        return event.type;
    case ORV_CMD_DOWNLOAD_ALL:
        DownloadCalendar(nullptr, true);
        return event.type;
    case ORV_CMD_DOWNLOAD_QUERY:
        DownloadCalendar(static_cast<const OrvMainQuery*>(event.data), true);
        return event.type;
    case ORV_NOTICE_CLOSE:
        close();
        return event.type;
    case ORV_NOTICE_WINDOW_CLOSING:
        Closing();
        return event.type;
    case ORV_NOTICE_APPLICATION_ENDS:
        FinishUpdate();
        return event.type;
    default:
        return 0;
    }
}
