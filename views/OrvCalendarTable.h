// The month table: the main view of the calendar, a grid of day cells in
// whole weeks from Monday, each listing the event dates of its day, with a
// header of navigation and view-mode buttons and a row of weekday names.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "platform/OrvEvent.h"
#include "views/OrvCalendarGrid.h"
#include "views/OrvSharedDate.h"
#include "views/OrvViewModel.h"

class OrvCalendar;
class OrvCalendarConfig;
class OrvCalendarTable;
class OrvCalendarTableDay;
class QMenu;
class QToolButton;
class QLabel;

// Commands of the calendar views.
constexpr int ORV_CMD_NEW_EVENT = 10107;       // data: OrvNewEventRequest*, value: category
constexpr int ORV_CMD_EDIT_EVENT = 10108;      // data: OrvEventDate*
constexpr int ORV_CMD_DELETE_EVENT = 10109;    // data: OrvEventDate*
constexpr int ORV_CMD_HIGHLIGHT = 10118;       // data: OrvEventDate*
constexpr int ORV_CMD_ENTRY_SELECTED = 10119;  // value 1 selected, 2 lost; data: OrvEventDate* (null when gone);
                                               // to the command target, which broadcasts it
constexpr int ORV_CMD_SET_DATE = 10120;        // value: time value in seconds, read as UTC
constexpr int ORV_CMD_FORWARD = 10121;
constexpr int ORV_CMD_BACK = 10122;
constexpr int ORV_CMD_TODAY = 10123;
constexpr int ORV_CMD_VIEW_MODE = 10124;       // value: view mode 1..4
constexpr int ORV_CMD_REBUILD = 10125;
constexpr int ORV_CMD_CATEGORY_FILTER = 10126;
constexpr int ORV_CMD_DAY_CHOSEN = 10127;      // value: time value in seconds, read as UTC
constexpr int ORV_CMD_ASSIGN_USER = 10155;     // data: OrvEventDate*
constexpr int ORV_CMD_SUPRAREGIONAL = 10162;   // data: OrvEventDate*
constexpr int ORV_CMD_SOCIAL_PUBLISH = 10168;  // data: OrvEventDate*

// What 10107 hands to the main window: the day (at 12:00) and the chosen
// category (0 when the user double-clicked a day). Valid during the call.
struct OrvNewEventRequest {
    ZafUTimeData date;
    int category = 0;
};

// A flat button that paints itself: background, an optional image at the
// left, an optional second image at the right, a caption. The views use it
// where the colours must be exactly theirs.
class OrvFlatButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit OrvFlatButton(QWidget* parent = nullptr);
    void SetBackground(const QColor& colour);
    QColor Background() const { return background_; }
    void SetTextColour(const QColor& colour);
    QColor TextColour() const { return textColour_; }
    void SetAlignment(Qt::Alignment alignment);
    void SetLeftImage(const QPixmap& image);
    void SetRightImage(const QPixmap& image);
    // A caption wider than the button ends in an ellipsis instead of being
    // cut off.
    void SetElided(bool elided);
    // The caption as painted (elided when it does not fit).
    virtual QString ShownText() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Width left for the caption beside the images.
    int TextRoom() const;

private:
    QColor background_;
    QColor textColour_ = Qt::black;
    Qt::Alignment alignment_ = Qt::AlignCenter;
    bool elided_ = false;
    QPixmap left_;
    QPixmap right_;
};

// One entry of a cell: one event date.
class OrvCalendarTableEvent : public OrvFlatButton {
    Q_OBJECT
public:
    static constexpr int classID = 10017;
    static constexpr int entryHeight = 22;

    OrvCalendarTableEvent(OrvCalendarTableDay* cell, const OrvDayItem& item);

    OrvEventDate* EventDate() const { return item_.date; }
    const OrvDayItem& Item() const { return item_; }
    QColor NormalColour() const { return normal_; }
    QColor SelectedColour() const { return selectedColour_; }
    bool IsSelected() const { return selected_; }
    // Names of the images chosen from the event (null: none).
    const char* PublishImageName() const { return publishImage_; }
    const char* HighlightImageName() const { return highlightImage_; }
    // "%H:%M summary", the whole caption (also the tooltip).
    QString Caption() const { return text(); }
    // What fits: the caption, else the time and the summary cut with an
    // ellipsis, and in a narrow cell the cut summary alone, since the
    // title tells entries apart better than the time does.
    QString ShownText() const override;

    void SetSelected(bool selected);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    OrvCalendarTableDay* cell_;
    OrvDayItem item_;
    QColor normal_;
    QColor selectedColour_;
    bool selected_ = false;
    const char* publishImage_ = nullptr;
    const char* highlightImage_ = nullptr;
};

// The 14-pixel strip atop a cell with its "%d.%m." button.
class OrvCalendarTableDayHeader : public QWidget {
    Q_OBJECT
public:
    static constexpr int classID = 10016;
    static constexpr int stripHeight = 14;
    explicit OrvCalendarTableDayHeader(OrvCalendarTableDay* cell);
    OrvFlatButton* Button() const { return button_; }
    // The "+n" marker of entries that do not fit into the cell; a click
    // opens the day alone. Hidden while every entry fits.
    OrvFlatButton* MoreButton() const { return more_; }
    void SetColour(const QColor& colour);
    void SetHiddenCount(int count);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    OrvFlatButton* button_;
    OrvFlatButton* more_;
};

// One day cell.
class OrvCalendarTableDay : public QWidget, public OrvEventHandler {
    Q_OBJECT
public:
    static constexpr int classID = 10015;

    OrvCalendarTableDay(OrvCalendarTable* table);
    ~OrvCalendarTableDay() override;

    OrvCalendarTable* Table() const { return table_; }
    const ZafUTimeData& Date() const { return date_; }
    void SetDate(const ZafUTimeData& date);
    bool IsSelected() const { return selected_; }
    void SetSelected(bool selected);
    OrvCalendarTableDayHeader* DayHeader() const { return header_; }
    const std::vector<OrvCalendarTableEvent*>& Entries() const { return entries_; }
    // Entries left out because the cell is too low for them.
    int HiddenCount() const { return hidden_; }
    // False for a day of another month than the current date's (dimmed).
    bool InCurrentMonth() const;
    QColor Colour() const { return colour_; }
    OrvCellState State() const;

    // Removes the entries and makes them anew from the calendar.
    void RebuildEntries();
    // Colours by the state of the cell.
    void Recolour();

    // 10125 rebuilds and recolours; 10127 refreshes the day header's caption.
    int Event(const OrvEvent& event) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend class OrvCalendarTableEvent;
    void ClearEntries();
    void StackEntries(int step);
    QRect ClientRect() const;

    OrvCalendarTable* table_;
    OrvCalendarTableDayHeader* header_;
    ZafUTimeData date_;
    bool selected_ = false;
    int hidden_ = 0;
    QColor colour_;
    std::vector<OrvCalendarTableEvent*> entries_;
};

// The header strip: back, today, forward at the left; the view modes at the
// right.
class OrvCalendarTableHeader : public QWidget {
    Q_OBJECT
public:
    static constexpr int classID = 10013;
    explicit OrvCalendarTableHeader(OrvCalendarTable* table);
    QToolButton* BackButton() const { return back_; }
    QToolButton* TodayButton() const { return today_; }
    QToolButton* ForwardButton() const { return forward_; }
    // The month and year shown ("Dezember 2026"; two months when the grid
    // spans them).
    QLabel* TitleLabel() const { return title_; }
    QString Title() const { return titleText_; }
    void SetTitle(const QString& title);
    // The button of a view mode (1..4), null for another.
    QToolButton* ModeButton(int mode) const;
    void ShowMode(int mode);
    // Room for the buttons and a short title.
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    OrvCalendarTable* table_;
    QToolButton* back_;
    QToolButton* today_;
    QToolButton* forward_;
    QLabel* title_;
    QString titleText_;
    QToolButton* modes_[4];   // modes 1..4
};

// The row of weekday names.
class OrvCalendarTableDayNames : public QWidget {
    Q_OBJECT
public:
    static constexpr int classID = 10014;
    explicit OrvCalendarTableDayNames(OrvCalendarTable* table);
    // Seven names, or the one of the shown day in day mode.
    void Arrange(int mode, const ZafUTimeData& current);
    QStringList Names() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<QLabel*> labels_;
    int columns_ = 7;
};

class OrvCalendarTable : public QWidget, public OrvEventHandler, public OrvDateListener {
    Q_OBJECT
public:
    static constexpr int classID = 10012;

    // Binds to the process's shared date; the main window may bind another.
    explicit OrvCalendarTable(QWidget* parent = nullptr);
    ~OrvCalendarTable() override;

    // The document whose event dates are shown (not owned); the cells
    // rebuild their entries from it.
    void SetCalendar(OrvCalendar* calendar);
    OrvCalendar* Calendar() const { return calendar_; }
    // Releases the date held before and lays out from the new one; null
    // keeps the last date as the table's own.
    void BindDate(OrvSharedDate* date);
    OrvSharedDate* Date() const { return date_; }
    ZafUTimeData CurrentDate() const;
    // The configuration whose category table and event categories the
    // table reads; the application's one object unless set.
    void SetConfig(OrvCalendarConfig* config) { config_ = config; }
    OrvCalendarConfig* Config() const;
    // Where the commands of cells and entries go (10107 ... 10168): the
    // given window, or else the nearest ancestor that takes events.
    void SetCommandTarget(QObject* target) { target_ = target; }
    int SendCommand(const OrvEvent& event);
    // 10119 goes to the command target, which passes it on to all windows;
    // without a target that takes it the table broadcasts it itself.
    int Broadcast(const OrvEvent& event);

    int ViewMode() const { return mode_; }
    // Same as command 10124.
    void SetViewMode(int mode);
    void SetGridLines(bool gridLines);
    bool GridLines() const { return gridLines_; }
    // Heights of the header (40) and the weekday row (16); 0 leaves the
    // strip out.
    void SetHeaderHeight(int height);
    void SetDayNamesHeight(int height);

    int CellCount() const { return static_cast<int>(cells_.size()); }
    OrvCalendarTableDay* Cell(int index) const;
    // The cell showing that day, or null.
    OrvCalendarTableDay* CellOf(const ZafUTimeData& day) const;
    OrvCalendarTableHeader* Header() const { return header_; }
    OrvCalendarTableDayNames* DayNames() const { return dayNames_; }
    OrvCalendarTableEvent* SelectedEntry() const { return selectedEntry_; }

    // 10120 to 10127 (see the command constants).
    int Event(const OrvEvent& event) override;
    void DateChanged(OrvSharedDate* date) override;

    // The context menu of a cell, with the entry's own part when entry is
    // not null. The actions send their commands when triggered.
    void FillContextMenu(QMenu* menu, OrvCalendarTableDay* cell, OrvCalendarTableEvent* entry);

    // Called by cells and entries on user clicks.
    void ChooseDay(OrvCalendarTableDay* cell);
    // The day of the cell alone (day mode), for the entries that did not fit.
    void OpenDay(OrvCalendarTableDay* cell);
    void SelectEntry(OrvCalendarTableEvent* entry);
    void EntryGone(OrvCalendarTableEvent* entry);
    void OpenContextMenu(OrvCalendarTableDay* cell, OrvCalendarTableEvent* entry, const QPoint& globalPos);

    // Header, weekday row and a day header with its marker per cell.
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Arrows move the current day, page up and down the month, home goes
    // to today, enter opens the selected entry or creates an event on the
    // day, delete deletes the selected entry after a question.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void MoveTo(const ZafUTimeData& day);
    void UpdateTitle();
    void BuildGrid();
    void DestroyCells();
    void LayoutDates();
    void LayoutGrid();
    void ApplyDate(const ZafUTimeData& date);

    OrvCalendar* calendar_ = nullptr;
    OrvSharedDate* date_ = nullptr;
    ZafUTimeData ownDate_;   // the date while none is bound
    OrvCalendarConfig* config_ = nullptr;
    QPointer<QObject> target_;
    OrvCalendarTableHeader* header_ = nullptr;
    OrvCalendarTableDayNames* dayNames_ = nullptr;
    std::vector<OrvCalendarTableDay*> cells_;
    OrvCalendarTableEvent* selectedEntry_ = nullptr;
    bool gridLines_ = true;
    int dayNamesHeight_ = 16;
    int headerHeight_ = 40;
    int redate_ = 3;
    int mode_ = ORV_VIEW_FOURWEEKS;
};
