// The application's main window: menus, tool bar, status bar, the top area
// (access pane and work pane with the month table) and the bottom area
// (register windows such as the request log). It owns the calendar
// document, the portal client and the plug-in host for the whole run and
// handles every application command (10101 ... 10300).
#pragma once

#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "portal/OrvPortalSession.h"
#include "OrvAccessPane.h"
#include "OrvLocalChanges.h"
#include "OrvPortalFeedback.h"
#include "OrvMainMenus.h"
#include "platform/OrvEvent.h"
#include "portal/OrvWebServiceJoomla.h"
#include "views/OrvRegisterBar.h"
#include "views/editors/OrvEventEditing.h"

class OrvAddress;
class OrvCalendar;
class OrvCalendarComponent;
class OrvCalendarConfig;
class OrvEventDate;
class OrvHTTPClientWindow;
class OrvImportRegisterWindow;
class OrvPluginHost;
class OrvSharedDate;
class QAction;
class QLabel;
class QScrollArea;
class QSplitter;
class QToolBar;

// A portal query as the menus and the access pane offer it.
struct OrvMainQuery {
    int id = 0;                   // position in the list of its fetch, from 1
    std::string name;             // window code page
    OrvWebServiceJoomla::CalendarQuery query;
};

class OrvMainTopArea : public QWidget, public OrvEventHandler {
    Q_OBJECT
public:
    static constexpr int classID = 10002;
    OrvMainTopArea(const OrvPaneSources* sources, QWidget* parent = nullptr);

    OrvAccessPane* AccessPane() const { return access_; }
    // The access pane scrolls when the window is too low for its groups.
    QScrollArea* AccessScroller() const { return scroller_; }
    OrvWorkPane* WorkPane() const { return work_; }
    QSplitter* Splitter() const { return splitter_; }
    bool IsLeftPaneShown() const { return leftShown_; }
    // Width of the access pane while it is shown (kept while hidden).
    int SplitterPosition() const { return position_; }

    // 10134: remove or restore the access pane, keeping the position.
    int Event(const OrvEvent& event) override;

private:
    QSplitter* splitter_;
    QScrollArea* scroller_;
    OrvAccessPane* access_;
    OrvWorkPane* work_;
    bool leftShown_ = true;
    int position_ = 0;
};

class OrvMainBottomArea : public OrvLowerArea {
    Q_OBJECT
public:
    explicit OrvMainBottomArea(QWidget* parent = nullptr) : OrvLowerArea(parent) {}
    // Height of the bottom area inside the main splitter, remembered while
    // the area is hidden (0: not yet shown).
    int rememberedHeight = 0;
    // Room for the tab bar and six rows of the tallest register table, so
    // that neither the splitter nor a small window can squeeze it away.
    QSize minimumSizeHint() const override;
    static constexpr int minimumRows = 6;
};

// Dialogs that the commands open. Each hook may be replaced (tests run
// without modal windows); empty hooks use the real dialogs.
struct OrvMainWindowHooks {
    // The login dialog: result ZAF_DIALOG_OK after a successful login.
    std::function<int(bool blocked, bool& registerAsked)> loginDialog;
    // Question for a repeating event (10108, 10109): ZAF_DIALOG_OK with
    // value 10131 (this date) or 10132 (the series), else cancelled.
    std::function<int(int command, const std::string& summaryUTF8, int& value)> askRepeating;
    // File dialog filtered to "*.ics"; empty when cancelled.
    std::function<QString(bool save)> chooseFile;
    // The registration dialog: ZAF_DIALOG_OK when registered and cleared.
    std::function<int()> registerDialog;
    // The about dialog's control loop.
    std::function<int(QDialog& dialog)> runDialog;
    // The event wizard's control loop (new, edit and the empty wizard).
    std::function<int(OrvEventWizard& wizard)> runWizard;
    // The person dialog of the wizard: true when a person was chosen.
    std::function<bool(int kind, int category, OrvAddress& person)> choosePerson;
    // Settings dialog, calendar manager, transfer dialog: their results.
    std::function<int()> settingsDialog;
    std::function<int()> calendarManager;
    std::function<int()> transferDialog;
    // User selection: the chosen user's id, 0 when cancelled.
    std::function<int()> selectUser;
    // The update dialog: its result (10135 to install, path set).
    std::function<int(const std::string& version, const std::string& history, int& state, std::string& path)>
        updateDialog;
    // The question at exit before a downloaded set-up program starts (name,
    // size, SHA-256): true starts it. Without a hook a question box asks,
    // and in the message windows' test mode the answer is no.
    std::function<bool(const std::string& name, uint64_t size, const std::string& sha256)> confirmSetup;
    // Yes/no questions before something is deleted or thrown away (title,
    // text): true for yes. Without a hook a question box asks, and in the
    // message windows' test mode the answer is no.
    std::function<bool(const QString& title, const QString& text)> confirm;
};

class OrvMainWindow : public QMainWindow, public OrvEventHandler {
    Q_OBJECT
public:
    static constexpr int classID = 10001;

    explicit OrvMainWindow(QWidget* parent = nullptr);
    ~OrvMainWindow() override;

    // The registered main window (null before one exists).
    static OrvMainWindow* Instance();

    int Event(const OrvEvent& event) override;

    OrvCalendar* Calendar() const { return calendar_; }
    OrvWebServiceJoomla* Portal() const { return portal_; }
    OrvPluginHost* Plugins() const { return plugins_; }
    OrvCalendarConfig* Config() const;
    OrvSharedDate* Date() const { return date_; }
    OrvMainWindowHooks& Hooks() { return hooks_; }

    // Created on first use.
    OrvMainTopArea* TopArea();
    OrvMainBottomArea* BottomArea();
    bool IsBottomAreaShown() const { return mainSplitter_ != nullptr; }
    QSplitter* MainSplitter() const { return mainSplitter_; }
    OrvHTTPClientWindow* RequestLog() const { return requestLog_; }
    // Null until an import showed it.
    OrvImportRegisterWindow* ImportTable() const { return importTable_; }
    QObject* CalendarView();
    const std::vector<OrvPullDownItem*>& Menus() const { return menus_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QLabel* StatusText() const { return status_; }

    bool IsLoggedIn() const { return loggedIn_; }
    bool IsInitialized() const { return initialized_; }
    // Path of the set-up program offered when the application ends.
    const std::string& ProgramToStart() const { return setup_.path; }
    const OrvSetupProgram& SetupProgram() const { return setup_; }

    // The named colours and fonts the views use.
    const std::vector<QColor>& Colours() const { return colours_; }
    const std::vector<QFont>& Fonts() const { return fonts_; }

    // Runs the initialisation now (normally done when first shown).
    void Initialize();

    // --- command bodies (also called by tests) ------------------------------
    // 10103. The result of the login sequence.
    int LoginSequence();
    // Logs in with the stored values when there is no connection or no
    // login. 0 when logged in afterwards.
    int EnsureLogin();
    // 10202 (query null, keep), 10204/10205 (replace). 0 on success.
    int DownloadCalendar(const OrvMainQuery* query, bool replace);
    // The portal's query list, fetched now (empty without a login).
    std::vector<OrvMenuListEntry> FetchQueries();
    // Entries for the process's query list as it stands, without fetching.
    std::vector<OrvMenuListEntry> SnapshotQueries();
    // Which calendar the document holds (see OrvPaneSources::loadedCalendar).
    int LoadedCalendar() const { return loadedCalendar_; }
    // The window's own actions of the standard shortcuts, by command.
    QAction* ShortcutAction(int command) const;
    // Qt's own texts (file dialogs, standard buttons) in the interface's
    // language; called whenever the language library is loaded.
    void InstallQtTranslations();
    // A path of the export dialog with ".ics" added when it has no suffix
    // of that name (any case).
    static QString WithCalendarSuffix(const QString& path);
    // The name of the file the calendar download writes.
    static constexpr const char* CalendarFileName = "Calendar.ics";
    // Beside it: the changes the portal has not confirmed yet.
    static constexpr const char* LocalChangesFileName = "Calendar.pending";
    const OrvLocalChanges& LocalChanges() const { return localChanges_; }
    OrvPortalFeedback& Feedback() { return *feedback_; }
    // False after a request that got no answer, until one gets an answer.
    bool IsPortalReachable() const { return reachable_; }
    // Value of the start-up's own calendar download (10202).
    static constexpr intptr_t StartupDownload = 1;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateColoursAndFonts();
    void CreateToolBar();
    void CreateShortcuts();
    int ImportByKey();
    void ShowLoadedCalendar(int calendar);
    void UpdateStatus(const QString& text = QString());
    void ToggleBottomArea();
    void ShowBottomArea();
    void BroadcastChange();
    int Settings();
    int EmptyWizard();
    int CalendarManager();
    void ShowImportTable();
    OrvEventEditContext EditContext();

    int NewOrEditEvent(const OrvEvent& event);
    int DeleteEventDate(OrvEventDate* date);
    int ImportWithProfile(int profileID);
    int ExportCalendar();
    int ToggleHighlight(OrvEventDate* date);
    int ToggleSupraRegional(OrvEventDate* date);
    int PublishSocial(OrvEventDate* date);
    int UploadAll();
    int UploadOne(OrvCalendarComponent* event);
    // Keeps the event as an unconfirmed change, uploads it and, when the
    // portal took it, confirms it. 0 on success.
    int UploadChange(OrvCalendarComponent* event, bool report = true);
    // New events whose upload may have reached the portal although no
    // reply came: their portal id is looked up by UID in the user's own
    // calendar first, so that a second upload does not make a second event.
    // False when the portal could not be asked; those events wait then.
    bool ResolveUncertain(const std::vector<OrvCalendarComponent*>& events);
    bool IsUncertain(const OrvCalendarComponent* event) const
    {
        return event->eventId == 0 && uncertain_.count(event->uid) != 0;
    }
    void NoteUploadFailure(const std::string& uid, bool newEvent);
    // After a login: every unconfirmed change goes up again.
    void UploadLocalChanges();
    void SaveLocalChanges();
    // Calendar.ics and the unconfirmed changes over it, at start-up.
    void LoadLocalCalendar();
    // Takes the unconfirmed events out of the calendar (before it is
    // emptied); PutBack adds them again over what was read meanwhile and
    // returns how many portal copies gave way to them.
    std::vector<std::unique_ptr<OrvCalendarComponent>> TakeLocalChanges();
    int PutBackLocalChanges(std::vector<std::unique_ptr<OrvCalendarComponent>>& taken);
    // The reason of the latest portal failure in the user's words.
    QString FailureReason(int result) const;
    // A failed portal action: message window for a command the user
    // started, always the status bar; kept adds that the change stays.
    void ReportFailure(int actionText, int result, bool kept = false);
    bool Confirm(const QString& text);
    // Commands that reach the portal wait while a request runs.
    static bool IsPortalCommand(int command);
    int CheckForUpdates();
    int About();
    int AssignToUser(OrvEventDate* date);
    void Closing();
    // The set-up program at the end: checked, confirmed, or the user told why not.
    void FinishUpdate();

    std::vector<OrvMenuListEntry> CategoryEntries() const;
    std::vector<OrvMenuListEntry> ImportProfileEntries() const;
    std::vector<OrvMenuListEntry> QueryEntries(bool fetch);

    OrvPluginHost* plugins_;
    OrvCalendar* calendar_;
    OrvWebServiceJoomla* portal_;
    OrvSharedDate* date_;
    bool loggedIn_ = false;
    bool initialized_ = false;
    bool closing_ = false;
    bool broadcasting_ = false;
    bool reachable_ = true;
    bool userCommand_ = false;
    bool uploadingChanges_ = false;
    OrvSetupProgram setup_;
    OrvLocalChanges localChanges_{LocalChangesFileName};
    std::set<std::string> uncertain_;  // UIDs
    std::unique_ptr<OrvPortalFeedback> feedback_;
    QString statusBeforeRequest_;

    OrvMenuSources menuSources_;
    OrvPaneSources paneSources_;
    OrvMainWindowHooks hooks_;
    std::vector<OrvPullDownItem*> menus_;
    QToolBar* toolBar_ = nullptr;
    QLabel* status_ = nullptr;
    QWidget* frame_ = nullptr;          // central widget
    OrvMainTopArea* topArea_ = nullptr;
    OrvMainBottomArea* bottomArea_ = nullptr;
    QSplitter* mainSplitter_ = nullptr;
    OrvHTTPClientWindow* requestLog_ = nullptr;
    OrvRegisterWindow* importPage_ = nullptr;
    OrvImportRegisterWindow* importTable_ = nullptr;

    // Queries of every fetch stay alive for the run: menu entries and
    // buttons of older fetches still carry pointers to them.
    std::deque<std::unique_ptr<OrvMainQuery>> queryStore_;
    std::vector<OrvMainQuery*> queries_;

    std::vector<QColor> colours_;
    std::vector<QFont> fonts_;

    int loadedCalendar_ = -1;
    // The download F5 repeats: the last one asked for (at first the user's
    // calendar, as at start-up).
    const OrvMainQuery* lastQuery_ = nullptr;
    bool lastReplace_ = false;
    std::vector<std::pair<int, QAction*>> shortcuts_;
    std::vector<QObject*> qtTranslators_;
};
