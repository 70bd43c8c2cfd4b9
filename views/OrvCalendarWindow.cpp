#include "views/OrvCalendarWindow.h"

#include <QLabel>
#include <QPainter>
#include <QToolButton>

#include "app/OrvLanguageLib.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"
#include "views/OrvViewSupport.h"

namespace {
const QColor kHeaderBackground(245, 245, 242);
const QColor kSelected(255, 231, 156);
const QColor kToday(223, 234, 244);
const QColor kShownMonth(245, 245, 242);

QString Text(int number)
{
    return OrvQString(OrvText(number));
}

// The smaller of the application's fonts.
QFont SmallFont(const QFont& base)
{
    QFont font = base;
    font.setPixelSize(10);
    return font;
}
}  // namespace

// ---------------------------------------------------------------------------
// OrvCalendarDayButton

OrvCalendarDayButton::OrvCalendarDayButton(OrvCalendarWindow* window) : OrvFlatButton(window), window_(window)
{
    OrvSetClassID(this, classID);
    SetAlignment(Qt::AlignCenter);
    SetBackground(window->palette().color(QPalette::Window));
    connect(this, &QAbstractButton::clicked, this, [this]() { window_->ChooseDay(this); });
}

void OrvCalendarDayButton::Assign(const ZafUTimeData& date, int monthState)
{
    date_ = OrvNoon(date);
    monthState_ = monthState;
    setText(QString::number(date_.Day()));
}

void OrvCalendarDayButton::SetSelected(bool selected)
{
    selected_ = selected;
    Recolour();
}

void OrvCalendarDayButton::Recolour()
{
    if (monthState_ == ORV_MONTHSTATE_NONE) return;
    bool shownMonth = monthState_ == ORV_MONTHSTATE_CURRENT;
    SetTextColour(shownMonth ? QColor(Qt::black) : OrvFrameworkColour(7));
    if (selected_) SetBackground(kSelected);
    else if (OrvSameDay(date_, ZafUTimeData::Now())) SetBackground(kToday);
    else if (shownMonth) SetBackground(kShownMonth);
    else SetBackground(window_->palette().color(QPalette::Window));
}

// ---------------------------------------------------------------------------
// OrvCalendarWindowHeader

OrvCalendarWindowHeader::OrvCalendarWindowHeader(OrvCalendarWindow* window) : QWidget(window)
{
    OrvSetClassID(this, classID);
    QFont small = SmallFont(font());
    month_ = new OrvFlatButton(this);
    year_ = new OrvFlatButton(this);
    for (OrvFlatButton* b : {month_, year_}) {
        b->setFont(small);
        b->SetBackground(kHeaderBackground);
        b->SetElided(true);
    }
    auto makeButton = [this, window](const char* image, Qt::ArrowType fallback, int command) {
        auto* button = new QToolButton(this);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        QPixmap pixmap = OrvViewImage(image);
        if (!pixmap.isNull()) button->setIcon(pixmap);
        else if (fallback != Qt::NoArrow) button->setArrowType(fallback);
        else button->setText("\xc2\xb7");
        connect(button, &QToolButton::clicked, window, [window, command]() { window->Event(OrvEvent(command)); });
        return button;
    };
    back_ = makeButton(ORV_IMAGE_ARROW_LEFT, Qt::LeftArrow, ORV_CMD_BACK);
    today_ = makeButton(ORV_IMAGE_TODAY, Qt::NoArrow, ORV_CMD_TODAY);
    forward_ = makeButton(ORV_IMAGE_ARROW_RIGHT, Qt::RightArrow, ORV_CMD_FORWARD);
}

void OrvCalendarWindowHeader::resizeEvent(QResizeEvent*)
{
    QFontMetrics metrics(month_->font());
    // The three image buttons keep their places relative to each other but
    // stand at the right edge, so that a long month name in a wide font
    // cannot push the forward arrow out of the window; month and year share
    // what is left.
    const int arrows = std::max(0, width() - 48);
    int yearWidth = metrics.horizontalAdvance("2088") + 13;
    int monthWidth = std::min(metrics.horizontalAdvance(Text(14)) + 13, std::max(0, arrows - yearWidth));
    month_->setGeometry(0, 4, monthWidth, 18);
    year_->setGeometry(monthWidth, 4, std::min(yearWidth, std::max(0, arrows - monthWidth)), 18);
    back_->setGeometry(arrows, 4, 16, 18);
    today_->setGeometry(arrows + 16, 4, 16, 18);
    forward_->setGeometry(arrows + 32, 2, 16, 18);
}

void OrvCalendarWindowHeader::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kHeaderBackground);
}

// ---------------------------------------------------------------------------
// OrvCalendarWindowDayNames

OrvCalendarWindowDayNames::OrvCalendarWindowDayNames(QWidget* parent) : QWidget(parent)
{
    QFont small = SmallFont(font());
    for (int i = 0; i < 7; ++i) {
        auto* label = new QLabel(Text(115 + i), this);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(small);
        labels_.push_back(label);
    }
}

QStringList OrvCalendarWindowDayNames::Names() const
{
    QStringList names;
    for (QLabel* label : labels_) names << label->text();
    return names;
}

void OrvCalendarWindowDayNames::resizeEvent(QResizeEvent*)
{
    int w = (width() - 6) / 7;
    for (int i = 0; i < 7; ++i) labels_[i]->setGeometry(i * (w + 1), 0, w, height());
}

// ---------------------------------------------------------------------------
// OrvCalendarWindow

OrvCalendarWindow::OrvCalendarWindow(QWidget* parent, bool fixedSize) : QWidget(parent)
{
    OrvSetClassID(this, classID);
    setAutoFillBackground(true);
    if (headerHeight_) header_ = new OrvCalendarWindowHeader(this);
    if (dayNamesHeight_) dayNames_ = new OrvCalendarWindowDayNames(this);
    for (int i = 0; i < dayButtonCount; ++i) buttons_.push_back(new OrvCalendarDayButton(this));
    if (fixedSize) setFixedSize(148, headerHeight_ + dayNamesHeight_ + 127);
    date_ = OrvSharedDate::Instance();
    date_->AddListener(this);
    LayoutDates();
    LayoutGrid();
}

OrvCalendarWindow::~OrvCalendarWindow()
{
    if (date_) date_->RemoveListener(this);
}

void OrvCalendarWindow::BindDate(OrvSharedDate* date)
{
    if (date_ == date) return;
    if (date_) {
        ownDate_ = date_->Get();
        date_->RemoveListener(this);
    }
    date_ = date;
    if (date_) date_->AddListener(this);
    LayoutDates();
}

ZafUTimeData OrvCalendarWindow::CurrentDate() const
{
    return date_ ? date_->Get() : ownDate_;
}

OrvCalendarDayButton* OrvCalendarWindow::DayButton(int index) const
{
    return (index >= 0 && index < dayButtonCount) ? buttons_[index] : nullptr;
}

QString OrvCalendarWindow::MonthText() const
{
    return header_ ? header_->MonthButton()->text() : QString();
}

QString OrvCalendarWindow::YearText() const
{
    return header_ ? header_->YearButton()->text() : QString();
}

void OrvCalendarWindow::LayoutDates()
{
    ZafUTimeData current = CurrentDate();
    if (header_) {
        const char* month = OrvLanguage()->GetMonthName(current.Month());
        header_->MonthButton()->setText(OrvQString(month ? month : ""));
        header_->YearButton()->setText(QString::number(current.Year()));
    }
    std::vector<OrvMonthDay> days = OrvMonthGrid(current);
    for (int i = 0; i < dayButtonCount; ++i) {
        buttons_[i]->Assign(days[i].date, days[i].monthState);
        buttons_[i]->SetSelected(OrvSameDay(days[i].date, current));
    }
}

void OrvCalendarWindow::LayoutGrid()
{
    int y = 0;
    if (header_) {
        header_->setGeometry(0, 0, width(), headerHeight_);
        y += headerHeight_;
    }
    if (dayNames_) {
        dayNames_->setGeometry(0, y, width(), dayNamesHeight_);
        y += dayNamesHeight_;
    }
    int w = (width() + 1) / 7;
    int h = (height() - y + 1) / 6;
    for (int i = 0; i < dayButtonCount; ++i) buttons_[i]->setGeometry((i % 7) * w, y + (i / 7) * h, w, h);
}

void OrvCalendarWindow::resizeEvent(QResizeEvent*)
{
    LayoutGrid();
}

void OrvCalendarWindow::DateChanged(OrvSharedDate*)
{
    LayoutDates();
}

void OrvCalendarWindow::ApplyDate(const ZafUTimeData& date)
{
    if (date_) {
        date_->Set(date);
    } else {
        ownDate_ = date;
        LayoutDates();
    }
}

int OrvCalendarWindow::Event(const OrvEvent& event)
{
    switch (event.type) {
    case ORV_CMD_SET_DATE:
        if (event.value != 0) ApplyDate(OrvNoon(OrvDateFromTimeValue(event.value)));
        return event.type;
    case ORV_CMD_FORWARD:
        return Event(OrvEvent(ORV_CMD_SET_DATE, OrvTimeValue(OrvMonthForward(CurrentDate())))) ? event.type : 0;
    case ORV_CMD_BACK:
        return Event(OrvEvent(ORV_CMD_SET_DATE, OrvTimeValue(OrvMonthBack(CurrentDate())))) ? event.type : 0;
    case ORV_CMD_TODAY:
        return Event(OrvEvent(ORV_CMD_SET_DATE, OrvTimeValue(OrvNoon(ZafUTimeData::Now())))) ? event.type : 0;
    case ORV_CMD_DAY_CHOSEN:
        // Other windows' day choices travel past this one in a broadcast.
        if (event.data && event.data != this) return 0;
        if (event.value != 0) ApplyDate(OrvNoon(OrvDateFromTimeValue(event.value)));
        return event.type;
    default:
        return 0;
    }
}

void OrvCalendarWindow::ChooseDay(OrvCalendarDayButton* button)
{
    Event(OrvEvent(ORV_CMD_DAY_CHOSEN, OrvTimeValue(OrvNoon(button->Date())), this));
}
