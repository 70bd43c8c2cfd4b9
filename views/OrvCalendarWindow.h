// The small calendar window: a compact month navigator of six weeks of day
// buttons. Choosing a day sets the shared current date, which every other
// view follows.
#pragma once

#include <QWidget>
#include <vector>

#include "platform/OrvEvent.h"
#include "views/OrvCalendarGrid.h"
#include "views/OrvCalendarTable.h"
#include "views/OrvSharedDate.h"

class OrvCalendarWindow;
class QToolButton;
class QLabel;

// One day of the small calendar.
class OrvCalendarDayButton : public OrvFlatButton {
    Q_OBJECT
public:
    static constexpr int classID = 10011;
    explicit OrvCalendarDayButton(OrvCalendarWindow* window);

    const ZafUTimeData& Date() const { return date_; }
    int MonthState() const { return monthState_; }
    bool IsSelected() const { return selected_; }
    void Assign(const ZafUTimeData& date, int monthState);
    void SetSelected(bool selected);

private:
    void Recolour();
    OrvCalendarWindow* window_;
    ZafUTimeData date_;
    int monthState_ = ORV_MONTHSTATE_NONE;
    bool selected_ = false;
};

// Month name, year, back, today, forward.
class OrvCalendarWindowHeader : public QWidget {
    Q_OBJECT
public:
    static constexpr int classID = 10009;
    explicit OrvCalendarWindowHeader(OrvCalendarWindow* window);
    OrvFlatButton* MonthButton() const { return month_; }
    OrvFlatButton* YearButton() const { return year_; }
    QToolButton* BackButton() const { return back_; }
    QToolButton* TodayButton() const { return today_; }
    QToolButton* ForwardButton() const { return forward_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    OrvFlatButton* month_;
    OrvFlatButton* year_;
    QToolButton* back_;
    QToolButton* today_;
    QToolButton* forward_;
};

class OrvCalendarWindowDayNames : public QWidget {
    Q_OBJECT
public:
    explicit OrvCalendarWindowDayNames(QWidget* parent);
    QStringList Names() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<QLabel*> labels_;
};

class OrvCalendarWindow : public QWidget, public OrvEventHandler, public OrvDateListener {
    Q_OBJECT
public:
    static constexpr int classID = 10008;
    static constexpr int dayButtonCount = 42;

    // Binds to the process's shared date; the main window may bind another.
    // With fixedSize the window is 148 pixels wide and header, weekday row
    // and 127 pixels high.
    explicit OrvCalendarWindow(QWidget* parent = nullptr, bool fixedSize = true);
    ~OrvCalendarWindow() override;

    void BindDate(OrvSharedDate* date);
    OrvSharedDate* Date() const { return date_; }
    ZafUTimeData CurrentDate() const;

    OrvCalendarWindowHeader* Header() const { return header_; }
    OrvCalendarWindowDayNames* DayNames() const { return dayNames_; }
    OrvCalendarDayButton* DayButton(int index) const;
    // The month name and year shown in the header.
    QString MonthText() const;
    QString YearText() const;

    // 10120 to 10123, and 10127 when addressed to this window (data null or
    // this window).
    int Event(const OrvEvent& event) override;
    void DateChanged(OrvSharedDate* date) override;

    // A day button was clicked.
    void ChooseDay(OrvCalendarDayButton* button);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayoutDates();
    void LayoutGrid();
    void ApplyDate(const ZafUTimeData& date);

    OrvSharedDate* date_ = nullptr;
    ZafUTimeData ownDate_;
    OrvCalendarWindowHeader* header_ = nullptr;
    OrvCalendarWindowDayNames* dayNames_ = nullptr;
    std::vector<OrvCalendarDayButton*> buttons_;
    int dayNamesHeight_ = 18;
    int headerHeight_ = 24;
};
