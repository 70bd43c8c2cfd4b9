// The six pull-down menus of the main window. Each builds its entries anew
// every time it is about to open, so that the lists it shows (categories,
// import profiles, portal queries) are always current.
#pragma once

#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <functional>
#include <vector>

#include "platform/OrvEvent.h"

class QMenuBar;

// Commands of the menus.
constexpr int ORV_CMD_LOAD_PLUGINS = 10101;
constexpr int ORV_CMD_RELOAD_LANGUAGE = 10102;
constexpr int ORV_CMD_LOGIN_SEQUENCE = 10103;
constexpr int ORV_CMD_IMPORT = 10104;              // value: import profile id
constexpr int ORV_CMD_EXPORT = 10105;
constexpr int ORV_CMD_EXIT = 10106;
constexpr int ORV_CMD_NEW_EVENT_MENU = 10107;      // value: category id (0: none)
constexpr int ORV_CMD_TOGGLE_BOTTOM = 10133;
constexpr int ORV_CMD_TOGGLE_LEFT = 10134;
constexpr int ORV_CMD_ABOUT = 10136;
constexpr int ORV_CMD_SETTINGS = 10137;
constexpr int ORV_CMD_EMPTY_WIZARD = 10138;
constexpr int ORV_CMD_REGISTER = 10151;
constexpr int ORV_CMD_CALENDAR_MANAGER = 10156;
constexpr int ORV_CMD_SHOW_IMPORT_TABLE = 10163;
constexpr int ORV_CMD_UPLOAD_ALL = 10165;
constexpr int ORV_CMD_TRANSFER = 10166;
constexpr int ORV_CMD_UPLOAD_EVENT = 10200;
constexpr int ORV_CMD_SHOW_LOG = 10201;
constexpr int ORV_CMD_DOWNLOAD_MY_CALENDAR = 10202;
constexpr int ORV_CMD_CHECK_UPDATE = 10203;
constexpr int ORV_CMD_DOWNLOAD_ALL = 10204;
constexpr int ORV_CMD_DOWNLOAD_QUERY = 10205;      // value: query id, data: the query
constexpr int ORV_CMD_VIEWMODE = 10124;            // value: view mode 1..4

// Identifier of the month table inside the top area.
constexpr int ORV_ID_CALENDAR_VIEW = 10012;

// One named entry a menu lists (a category, an import profile, a query).
struct OrvMenuListEntry {
    QString caption;
    int value = 0;
    void* data = nullptr;
};

// Where the menus get their lists and whom they send to. The main window
// fills it; tests give lists of their own.
struct OrvMenuSources {
    QPointer<QObject> target;                                // the main window
    std::function<QObject*()> calendarView;                  // the month table (10124)
    std::function<std::vector<OrvMenuListEntry>()> categories;
    std::function<std::vector<OrvMenuListEntry>()> importProfiles;
    std::function<std::vector<OrvMenuListEntry>()> queries;
};

class OrvPullDownItem : public QMenu {
    Q_OBJECT
public:
    // titleNumber: language text of the title; accessKey: the letter that
    // opens the menu together with Alt.
    OrvPullDownItem(int titleNumber, char accessKey, const OrvMenuSources* sources, QWidget* parent = nullptr);

    int TitleNumber() const { return titleNumber_; }
    // The letter the menu asks for and the one it got (upper case; 0 when
    // its title has no free letter). They differ where two titles would
    // share a letter.
    char PreferredKey() const { return preferredKey_; }
    char AccessKey() const { return accessKey_; }
    void SetAccessKey(char key);
    // Removes the entries built before and builds them anew (what happens
    // whenever the menu is about to open).
    void Rebuild();
    // Title again from the language library (after a language change).
    void Retitle();

protected:
    // Subclasses add their entries here.
    virtual void Initialize() = 0;

    QAction* AddEntry(int textNumber, int command, intptr_t value = 0, void* data = nullptr);
    QAction* AddEntry(const QString& caption, int command, intptr_t value = 0, void* data = nullptr);
    QMenu* AddSubmenu(int textNumber);
    QAction* AddEntryTo(QMenu* menu, const QString& caption, QObject* target, int command, intptr_t value = 0,
                        void* data = nullptr);
    // Adds the command's standard shortcut to the entry's caption.
    static void ShowShortcut(QAction* action, int command);

    const OrvMenuSources* sources_;

private:
    int titleNumber_;
    char preferredKey_;
    char accessKey_;
    QAction* placeholder_ = nullptr;
};

class OrvFileItem : public OrvPullDownItem {
    Q_OBJECT
public:
    OrvFileItem(const OrvMenuSources* sources, QWidget* parent = nullptr);

protected:
    void Initialize() override;
};

class OrvEditItem : public OrvPullDownItem {
    Q_OBJECT
public:
    OrvEditItem(const OrvMenuSources* sources, QWidget* parent = nullptr);

protected:
    void Initialize() override;
};

class OrvDateItem : public OrvPullDownItem {
    Q_OBJECT
public:
    OrvDateItem(const OrvMenuSources* sources, QWidget* parent = nullptr);

protected:
    void Initialize() override;
};

class OrvCalendarItem : public OrvPullDownItem {
    Q_OBJECT
public:
    OrvCalendarItem(const OrvMenuSources* sources, QWidget* parent = nullptr);

protected:
    void Initialize() override;
};

class OrvExtraItem : public OrvPullDownItem {
    Q_OBJECT
public:
    OrvExtraItem(const OrvMenuSources* sources, QWidget* parent = nullptr);

protected:
    void Initialize() override;
};

class OrvHelpItem : public OrvPullDownItem {
    Q_OBJECT
public:
    OrvHelpItem(const OrvMenuSources* sources, QWidget* parent = nullptr);

protected:
    void Initialize() override;
};

// The standard shortcut of a command (Ctrl+N new event, Ctrl+E export,
// Ctrl+I import, F5 download, Ctrl+Q exit); empty for the others. The main
// window owns the shortcuts; the menus show them beside their entries.
QKeySequence OrvCommandShortcut(int command);

// Gives every menu of the bar an access key of its own, in bar order: its
// preferred letter when the title holds it and no menu before took it,
// else the first letter of its title that is still free.
void OrvAssignAccessKeys(const std::vector<OrvPullDownItem*>& menus);

// Adds the six menus to a menu bar with their access keys; returns them in
// menu bar order.
std::vector<OrvPullDownItem*> OrvAddMainMenus(QMenuBar* bar, const OrvMenuSources* sources);

// A title with the access key marked for Qt ("&" before the first
// occurrence of the letter, any case); the title unchanged when it lacks
// the letter. Ampersands of the title itself are doubled.
QString OrvMenuTitle(const QString& title, char accessKey);
