// The two panes of the main window's top area: the access pane on the left
// (small calendar, calendars group, categories group) and the work pane on
// the right with the month table.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QWidget>
#include <functional>
#include <vector>

#include "OrvMainMenus.h"
#include "platform/OrvEvent.h"

class OrvCalendar;
class OrvCalendarConfig;
class OrvCalendarTable;
class OrvCalendarWindow;
class OrvSharedDate;
class QToolButton;
class QVBoxLayout;

constexpr int ORV_CMD_GROUP_TOGGLED = 10001;     // header button of a group
constexpr int ORV_CMD_CATEGORY_TOGGLED = 10002;  // a category button; data: the button

// Size of one unit of the panes' layout values (positions 12, 20, 28 and
// heights 8 are in these units).
constexpr int ORV_ACCESS_ITEM_WIDTH = 190;
constexpr int ORV_ACCESS_ITEM_HEIGHT = 22;
constexpr int ORV_ACCESS_GROUP_WIDTH = 196;
constexpr int ORV_ACCESS_HEADER_HEIGHT = 26;

// What the panes need of the main window.
struct OrvPaneSources {
    QObject* mainWindow = nullptr;                 // receives 10126, 10204, 10205
    OrvCalendar* calendar = nullptr;               // shown by the month table
    OrvSharedDate* date = nullptr;                 // the views' shared date
    OrvCalendarConfig* config = nullptr;           // categories and their colours
    // The portal query list, fetched again on every call.
    std::function<std::vector<OrvMenuListEntry>()> fetchQueries;
    // Which calendar the document holds: 0 the user's whole calendar, a
    // query's id, -1 none of the group's (an imported file, nothing yet).
    std::function<int()> loadedCalendar;
};

// A toggle button of the categories group: check mark box, a small square
// in the category's colour, the caption.
class OrvAccessGroupButton : public QAbstractButton {
    Q_OBJECT
public:
    OrvAccessGroupButton(const QString& caption, const QColor& colour, int categoryID, QWidget* parent);
    int CategoryID() const { return categoryID_; }
    QColor Colour() const { return colour_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
    int categoryID_;
};

// A collapsible group: its header button and, while expanded, its items.
class OrvAccessGroup : public QWidget, public OrvEventHandler {
    Q_OBJECT
public:
    OrvAccessGroup(int captionNumber, const OrvPaneSources* sources, QWidget* parent);

    bool IsExpanded() const { return expanded_; }
    QToolButton* HeaderButton() const { return header_; }
    // The item widgets below the header, top to bottom.
    std::vector<QWidget*> Items() const;
    // Same as clicking the header button.
    void SetExpanded(bool expanded);

    // 10001: header toggled.
    int Event(const OrvEvent& event) override;

protected:
    // Called when the group expands; subclasses add their items.
    virtual void BuildItems() = 0;
    void AddItem(QWidget* item);
    void paintEvent(QPaintEvent* event) override;

    const OrvPaneSources* sources_;

private:
    void ClearItems();

    QToolButton* header_;
    QVBoxLayout* layout_;
    std::vector<QWidget*> items_;
    bool expanded_ = true;
};

class OrvAccessGroup_Calendars : public OrvAccessGroup {
    Q_OBJECT
public:
    OrvAccessGroup_Calendars(const OrvPaneSources* sources, QWidget* parent);
    ~OrvAccessGroup_Calendars() override;
    // Presses the button of the loaded calendar (0 the user's, else the
    // query's id) and releases all others; -1 releases every button.
    void ShowLoaded(int calendar);

protected:
    void BuildItems() override;

private:
    std::vector<int> calendarIds_;   // per item: 0 or the query's id
    // The entries the buttons carry live until the items are rebuilt.
    std::vector<OrvMenuListEntry> queries_;
};

class OrvAccessGroup_Categories : public OrvAccessGroup {
    Q_OBJECT
public:
    OrvAccessGroup_Categories(const OrvPaneSources* sources, QWidget* parent);
    // 10002 besides the base's events.
    int Event(const OrvEvent& event) override;

protected:
    void BuildItems() override;
};

class OrvAccessPane : public QWidget {
    Q_OBJECT
public:
    static constexpr int classID = 10005;
    OrvAccessPane(const OrvPaneSources* sources, QWidget* parent = nullptr);

    OrvCalendarWindow* SmallCalendar() const { return smallCalendar_; }
    OrvAccessGroup_Calendars* CalendarsGroup() const { return calendars_; }
    OrvAccessGroup_Categories* CategoriesGroup() const { return categories_; }

private:
    OrvCalendarWindow* smallCalendar_;
    OrvAccessGroup_Calendars* calendars_;
    OrvAccessGroup_Categories* categories_;
};

class OrvWorkPane : public QWidget {
    Q_OBJECT
public:
    static constexpr int classID = 10004;
    OrvWorkPane(const OrvPaneSources* sources, QWidget* parent = nullptr);
    OrvCalendarTable* Table() const { return table_; }

private:
    OrvCalendarTable* table_;
};
