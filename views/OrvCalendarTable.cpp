#include "views/OrvCalendarTable.h"

#include <QAction>
#include <QKeyEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "model/OrvCalendar.h"
#include "platform/qt/OrvMessageWindow.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"
#include "views/OrvViewSupport.h"

namespace {

// Allocated once per process, the first time a table is made.
struct TableColours {
    QColor selectedEntry{186, 196, 204};
    QColor noCategory = OrvFrameworkColour(7);
};
const TableColours& Colours()
{
    static const TableColours colours;
    return colours;
}

QString Text(int number)
{
    return OrvQString(OrvText(number));
}

// Width of an image in the widget's pixels: a high-density image counts
// its device-independent size.
int ImageWidth(const QPixmap& image)
{
    return qRound(image.deviceIndependentSize().width());
}

// Texts of the table's own questions.
constexpr int TEXT_MORE_ENTRIES = 332;

// Caption colour of a day header whose day lies outside the current month.
const QColor kDimmedText(150, 150, 150);

// The title as it fits: whole, with month names cut to three letters and a
// point ("Dez. 2026"), the first of two months alone, or elided.
QString FitTitle(const QFontMetrics& metrics, const QString& title, int room)
{
    if (metrics.horizontalAdvance(title) <= room) return title;
    QString shortTitle;
    const QStringList words = title.split(QLatin1Char(' '));
    for (const QString& word : words) {
        if (!shortTitle.isEmpty()) shortTitle += QLatin1Char(' ');
        const bool name = word.size() > 4 && word.at(0).isLetter();
        shortTitle += name ? word.left(3) + QLatin1Char('.') : word;
    }
    if (metrics.horizontalAdvance(shortTitle) <= room) return shortTitle;
    // Of two months the first one, whole, rather than both cut.
    const QString first = shortTitle.section(QString::fromUtf8(" \u2013 "), 0, 0);
    if (metrics.horizontalAdvance(first) <= room) return first;
    return metrics.elidedText(shortTitle, Qt::ElideRight, room);
}

QString MonthYear(const ZafUTimeData& date)
{
    const int month = date.Month();
    return (month >= 1 && month <= 12 ? Text(5 + month) : QString()) + QLatin1Char(' ') + QString::number(date.Year());
}

QColor CategoryColour(OrvCalendarConfig* config, int category)
{
    if (config && category) {
        const OrvCategoryRow* row = config->GetCategoryRow(category);
        if (row && row->id != 0 && row->HasColour()) return QColor(row->red, row->green, row->blue);
    }
    return Colours().noCategory;
}

}  // namespace

// ---------------------------------------------------------------------------
// OrvFlatButton

OrvFlatButton::OrvFlatButton(QWidget* parent) : QAbstractButton(parent)
{
    background_ = palette().color(QPalette::Button);
    setFocusPolicy(Qt::NoFocus);
}

void OrvFlatButton::SetBackground(const QColor& colour)
{
    if (background_ == colour) return;
    background_ = colour;
    update();
}

void OrvFlatButton::SetTextColour(const QColor& colour)
{
    textColour_ = colour;
    update();
}

void OrvFlatButton::SetAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    update();
}

void OrvFlatButton::SetElided(bool elided)
{
    elided_ = elided;
    update();
}

int OrvFlatButton::TextRoom() const
{
    int room = width() - (left_.isNull() ? 2 : ImageWidth(left_) + 1);
    if (!right_.isNull()) room -= ImageWidth(right_) + 5;
    return std::max(0, room);
}

QString OrvFlatButton::ShownText() const
{
    if (!elided_) return text();
    return fontMetrics().elidedText(text(), Qt::ElideRight, TextRoom());
}

void OrvFlatButton::SetLeftImage(const QPixmap& image)
{
    left_ = image;
    update();
}

void OrvFlatButton::SetRightImage(const QPixmap& image)
{
    right_ = image;
    update();
}

QSize OrvFlatButton::sizeHint() const
{
    QSize text = fontMetrics().size(Qt::TextSingleLine, this->text());
    return QSize(text.width() + 6 + ImageWidth(left_) + ImageWidth(right_), std::max(text.height(), 16));
}

void OrvFlatButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect area = rect();
    painter.fillRect(area, background_);
    if (!left_.isNull()) {
        painter.drawPixmap(0, 0, left_);
        area.setLeft(ImageWidth(left_) + 1);
    } else {
        area.setLeft(2);
    }
    if (!right_.isNull()) {
        painter.drawPixmap(width() - ImageWidth(right_), 0, right_);
        area.setRight(width() - ImageWidth(right_) - 5);
    }
    painter.setPen(isEnabled() ? textColour_ : palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(area, int(alignment_ | Qt::TextSingleLine), ShownText());
}

// ---------------------------------------------------------------------------
// OrvCalendarTableEvent

OrvCalendarTableEvent::OrvCalendarTableEvent(OrvCalendarTableDay* cell, const OrvDayItem& item)
    : OrvFlatButton(cell), cell_(cell), item_(item)
{
    setObjectName("OrvCalendarTableEvent");
    OrvSetClassID(this, classID);
    SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    normal_ = CategoryColour(cell->Table()->Config(), item.firstCategory);
    selectedColour_ = Colours().selectedEntry;
    SetBackground(normal_);
    publishImage_ = OrvPublishStateImage(item.publishState);
    highlightImage_ = item.hasHighlightEntry ? ORV_IMAGE_HIGHLIGHT : nullptr;
    SetLeftImage(OrvViewImage(publishImage_));
    SetRightImage(OrvViewImage(highlightImage_));
    SetElided(true);
    setText(OrvQString(OrvEntryCaption(item.start, item.summary, item.allDay)));
    // The whole caption, however narrow the cell.
    setToolTip(text());
}

QString OrvCalendarTableEvent::ShownText() const
{
    const QFontMetrics metrics = fontMetrics();
    const int room = TextRoom();
    const QString caption = text();
    if (metrics.horizontalAdvance(caption) <= room) return caption;
    const QString summary = OrvQString(item_.summary.c_str());
    const QString time = caption.left(caption.size() - summary.size());   // "%H:%M "
    const int timeWidth = metrics.horizontalAdvance(time);
    // The time only with room for a few letters of the title beside it.
    if (room - timeWidth >= metrics.horizontalAdvance(QStringLiteral("Abcd\u2026")))
        return time + metrics.elidedText(summary, Qt::ElideRight, room - timeWidth);
    return metrics.elidedText(summary.isEmpty() ? caption : summary, Qt::ElideRight, room);
}

void OrvCalendarTableEvent::SetSelected(bool selected)
{
    selected_ = selected;
    SetBackground(selected ? selectedColour_ : normal_);
}

void OrvCalendarTableEvent::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) cell_->Table()->SelectEntry(this);
    cell_->Table()->setFocus(Qt::MouseFocusReason);
    event->accept();
}

void OrvCalendarTableEvent::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    OrvCalendarTable* table = cell_->Table();
    table->SelectEntry(this);
    table->SendCommand(OrvEvent(ORV_CMD_EDIT_EVENT, 0, item_.date));
    event->accept();
}

void OrvCalendarTableEvent::contextMenuEvent(QContextMenuEvent* event)
{
    OrvCalendarTable* table = cell_->Table();
    table->SelectEntry(this);
    table->OpenContextMenu(cell_, this, event->globalPos());
    event->accept();
}

void OrvCalendarTableEvent::resizeEvent(QResizeEvent* event)
{
    // The caption follows the event (its summary may have been edited).
    setText(OrvQString(OrvEntryCaption(item_.start, item_.summary, item_.allDay)));
    setToolTip(text());
    OrvFlatButton::resizeEvent(event);
}

// ---------------------------------------------------------------------------
// OrvCalendarTableDayHeader

OrvCalendarTableDayHeader::OrvCalendarTableDayHeader(OrvCalendarTableDay* cell) : QWidget(cell)
{
    OrvSetClassID(this, classID);
    button_ = new OrvFlatButton(this);
    button_->SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont small = font();
    small.setPixelSize(10);
    button_->setFont(small);
    connect(button_, &QAbstractButton::clicked, this, [cell]() { cell->Table()->ChooseDay(cell); });
    more_ = new OrvFlatButton(this);
    more_->setObjectName(QStringLiteral("OrvCalendarTableMore"));
    more_->setFont(small);
    more_->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont bold = small;
    bold.setBold(true);
    more_->setFont(bold);
    more_->hide();
    connect(more_, &QAbstractButton::clicked, this, [cell]() { cell->Table()->OpenDay(cell); });
}

void OrvCalendarTableDayHeader::SetColour(const QColor& colour)
{
    button_->SetBackground(colour);
    more_->SetBackground(colour);
}

void OrvCalendarTableDayHeader::SetHiddenCount(int count)
{
    if (count <= 0) {
        more_->hide();
        more_->setText(QString());
    } else {
        more_->setText(QStringLiteral("+%1").arg(count));
        more_->setToolTip(Text(TEXT_MORE_ENTRIES).replace(QLatin1String("%d"), QString::number(count)));
        more_->show();
    }
    resizeEvent(nullptr);
}

void OrvCalendarTableDayHeader::resizeEvent(QResizeEvent*)
{
    // The marker takes the right end; the date keeps the rest.
    const int marker = more_->isVisibleTo(this) ? more_->fontMetrics().horizontalAdvance(more_->text()) + 8 : 0;
    button_->setGeometry(0, 0, std::max(0, width() - marker), height());
    more_->setGeometry(width() - marker, 0, marker, height());
}

// ---------------------------------------------------------------------------
// OrvCalendarTableDay

OrvCalendarTableDay::OrvCalendarTableDay(OrvCalendarTable* table) : QWidget(table), table_(table)
{
    OrvSetClassID(this, classID);
    header_ = new OrvCalendarTableDayHeader(this);
    colour_ = OrvQColor(OrvCellColour(OrvCellState::Workday));
}

OrvCalendarTableDay::~OrvCalendarTableDay()
{
    for (OrvCalendarTableEvent* entry : entries_)
        if (table_->SelectedEntry() == entry) table_->EntryGone(entry);
}

void OrvCalendarTableDay::SetDate(const ZafUTimeData& date)
{
    date_ = OrvNoon(date);
}

void OrvCalendarTableDay::SetSelected(bool selected)
{
    selected_ = selected;
    Recolour();
}

bool OrvCalendarTableDay::InCurrentMonth() const
{
    return OrvInCurrentMonth(date_, table_->CurrentDate());
}

OrvCellState OrvCalendarTableDay::State() const
{
    // The table decides which cell is the current one.
    return OrvTableCellState(date_, selected_ ? date_ : ZafUTimeData(), ZafUTimeData::Now());
}

void OrvCalendarTableDay::Recolour()
{
    OrvCellState state = State();
    colour_ = OrvQColor(OrvCellColour(state));
    header_->SetColour(OrvQColor(OrvDayHeaderColour(state)));
    header_->Button()->SetTextColour(InCurrentMonth() ? QColor(Qt::black) : kDimmedText);
    update();
}

QRect OrvCalendarTableDay::ClientRect() const
{
    return QRect(0, OrvCalendarTableDayHeader::stripHeight, width(), std::max(0, height() - OrvCalendarTableDayHeader::stripHeight));
}

void OrvCalendarTableDay::ClearEntries()
{
    for (OrvCalendarTableEvent* entry : entries_) {
        if (table_->SelectedEntry() == entry) table_->EntryGone(entry);
        entry->hide();
        // A command sent from this entry's own menu may be what rebuilds
        // the cell, so the entry must outlive the current event.
        entry->deleteLater();
    }
    entries_.clear();
}

void OrvCalendarTableDay::RebuildEntries()
{
    ClearEntries();
    std::vector<OrvDayItem> items =
        OrvShownDayItems(OrvCalendarDayItems(table_->Calendar(), date_), table_->Config());
    for (const OrvDayItem& item : items) {
        auto* entry = new OrvCalendarTableEvent(this, item);
        entries_.push_back(entry);
        entry->show();
    }
    StackEntries(OrvCalendarTableEvent::entryHeight + 1);
}

void OrvCalendarTableDay::StackEntries(int step)
{
    QRect client = ClientRect();
    int y = client.top() + 1;
    int hidden = 0;
    for (OrvCalendarTableEvent* entry : entries_) {
        entry->setGeometry(1, y, std::max(0, width() - 2), OrvCalendarTableEvent::entryHeight);
        // An entry that would stick out below the cell is left out and
        // counted by the day header's marker instead.
        const bool fits = y + OrvCalendarTableEvent::entryHeight <= height();
        entry->setVisible(fits);
        if (!fits) ++hidden;
        y += step;
    }
    hidden_ = hidden;
    header_->SetHiddenCount(hidden);
}

int OrvCalendarTableDay::Event(const OrvEvent& event)
{
    switch (event.type) {
    case ORV_CMD_REBUILD:
        RebuildEntries();
        Recolour();
        return event.type;
    case ORV_CMD_DAY_CHOSEN:
        header_->Button()->setText(QString::fromStdString(OrvDayCaption(date_)));
        return event.type;
    default:
        return 0;
    }
}

void OrvCalendarTableDay::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) table_->ChooseDay(this);
    table_->setFocus(Qt::MouseFocusReason);
    event->accept();
}

void OrvCalendarTableDay::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    OrvNewEventRequest request{date_, 0};
    table_->SendCommand(OrvEvent(ORV_CMD_NEW_EVENT, 0, &request));
    event->accept();
}

void OrvCalendarTableDay::contextMenuEvent(QContextMenuEvent* event)
{
    table_->OpenContextMenu(this, nullptr, event->globalPos());
    event->accept();
}

void OrvCalendarTableDay::resizeEvent(QResizeEvent*)
{
    header_->setGeometry(0, 0, width(), OrvCalendarTableDayHeader::stripHeight);
    StackEntries(OrvCalendarTableEvent::entryHeight + 3);
}

void OrvCalendarTableDay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), colour_);
}

// ---------------------------------------------------------------------------
// OrvCalendarTableHeader

namespace {
constexpr int kModeText[4] = {5, 4, 3, 2};   // modes 1..4: month, four weeks, week, day
constexpr int kHeaderButtonHeight = 24;
}  // namespace

OrvCalendarTableHeader::OrvCalendarTableHeader(OrvCalendarTable* table) : QWidget(table), table_(table)
{
    OrvSetClassID(this, classID);
    auto makeButton = [this](int command) {
        auto* button = new QToolButton(this);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, command]() { table_->Event(OrvEvent(command)); });
        return button;
    };
    back_ = makeButton(ORV_CMD_BACK);
    QPixmap left = OrvViewImage(ORV_IMAGE_ARROW_LEFT);
    if (left.isNull()) back_->setArrowType(Qt::LeftArrow);
    else back_->setIcon(left);
    today_ = makeButton(ORV_CMD_TODAY);
    today_->setText(Text(18));
    forward_ = makeButton(ORV_CMD_FORWARD);
    QPixmap right = OrvViewImage(ORV_IMAGE_ARROW_RIGHT);
    if (right.isNull()) forward_->setArrowType(Qt::RightArrow);
    else forward_->setIcon(right);
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("OrvCalendarTableTitle"));
    QFont titleFont = title_->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.15);
    title_->setFont(titleFont);
    title_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int mode = 1; mode <= 4; ++mode) {
        auto* button = new QToolButton(this);
        button->setAutoRaise(true);
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setText(Text(kModeText[mode - 1]));
        connect(button, &QToolButton::clicked, this, [this, mode]() {
            ShowMode(mode);
            table_->Event(OrvEvent(ORV_CMD_VIEW_MODE, mode));
        });
        modes_[mode - 1] = button;
    }
}

QToolButton* OrvCalendarTableHeader::ModeButton(int mode) const
{
    return (mode >= 1 && mode <= 4) ? modes_[mode - 1] : nullptr;
}

void OrvCalendarTableHeader::ShowMode(int mode)
{
    for (int m = 1; m <= 4; ++m) modes_[m - 1]->setChecked(m == mode);
}

void OrvCalendarTableHeader::SetTitle(const QString& title)
{
    titleText_ = title;
    title_->setToolTip(title);
    resizeEvent(nullptr);
}

QSize OrvCalendarTableHeader::minimumSizeHint() const
{
    int width = 8 + 2 * kHeaderButtonHeight + today_->fontMetrics().horizontalAdvance(today_->text()) + 21;
    for (QToolButton* button : modes_) width += button->fontMetrics().horizontalAdvance(button->text()) + 21;
    width += title_->fontMetrics().horizontalAdvance(QStringLiteral("Mai 2026"));
    return QSize(width, kHeaderButtonHeight);
}

void OrvCalendarTableHeader::resizeEvent(QResizeEvent*)
{
    // The buttons are as wide as their captions plus 21 pixels; in a narrow
    // table they give up part of that margin before the title is cut.
    const QFontMetrics titleMetrics = title_->fontMetrics();
    // Room for at least a short month and year ("Dez. 2026").
    const int wanted = titleMetrics.horizontalAdvance(QStringLiteral("Mmm. 2026"));
    int margin = 21;
    for (; margin > 8; --margin) {
        int used = 4 + 2 * kHeaderButtonHeight + today_->fontMetrics().horizontalAdvance(today_->text()) + margin + 16;
        for (QToolButton* button : modes_) used += button->fontMetrics().horizontalAdvance(button->text()) + margin;
        if (width() - used >= wanted) break;
    }
    int y = std::max(0, (height() - kHeaderButtonHeight) / 2);
    int x = 4;
    back_->setGeometry(x, y, kHeaderButtonHeight, kHeaderButtonHeight);
    x += kHeaderButtonHeight;
    int todayWidth = today_->fontMetrics().horizontalAdvance(today_->text()) + margin;
    today_->setGeometry(x, y, todayWidth, kHeaderButtonHeight);
    x += todayWidth;
    forward_->setGeometry(x, y, kHeaderButtonHeight, kHeaderButtonHeight);
    // From the right edge leftwards: day, week, four weeks, month.
    int right = width() - 4;
    for (int mode = 4; mode >= 1; --mode) {
        QToolButton* button = modes_[mode - 1];
        int w = button->fontMetrics().horizontalAdvance(button->text()) + margin;
        right -= w;
        button->setGeometry(right, y, w, kHeaderButtonHeight);
    }
    // The title between the navigation and the modes, shortened when short
    // of room.
    x += kHeaderButtonHeight + 8;
    const int room = std::max(0, right - 8 - x);
    title_->setGeometry(x, y, room, kHeaderButtonHeight);
    title_->setText(FitTitle(titleMetrics, titleText_, room));
}

// ---------------------------------------------------------------------------
// OrvCalendarTableDayNames

OrvCalendarTableDayNames::OrvCalendarTableDayNames(OrvCalendarTable* table) : QWidget(table)
{
    OrvSetClassID(this, classID);
    for (int i = 0; i < 7; ++i) {
        auto* label = new QLabel(this);
        label->setAlignment(Qt::AlignCenter);
        label->setText(Text(115 + i));
        labels_.push_back(label);
    }
}

void OrvCalendarTableDayNames::Arrange(int mode, const ZafUTimeData& current)
{
    columns_ = OrvGridColumns(mode);
    if (mode == ORV_VIEW_DAY) {
        int weekday = (current.DayOfWeek() + 6) % 7;   // Monday = 0
        labels_[0]->setText(Text(115 + weekday));
    } else {
        labels_[0]->setText(Text(115));
    }
    for (int i = 0; i < 7; ++i) labels_[i]->setVisible(i < columns_);
    resizeEvent(nullptr);
}

QStringList OrvCalendarTableDayNames::Names() const
{
    QStringList names;
    for (int i = 0; i < columns_ && i < 7; ++i) names << labels_[i]->text();
    return names;
}

void OrvCalendarTableDayNames::resizeEvent(QResizeEvent*)
{
    auto* table = static_cast<OrvCalendarTable*>(parentWidget());
    for (int i = 0; i < columns_ && i < 7; ++i) {
        OrvRect r = OrvGridCellRect(1, columns_, table->GridLines(), width(), height() + 2, i);
        labels_[i]->setGeometry(r.x, 0, r.width, height());
    }
}

// ---------------------------------------------------------------------------
// OrvCalendarTable

OrvCalendarTable::OrvCalendarTable(QWidget* parent) : QWidget(parent)
{
    OrvSetClassID(this, classID);
    Colours();
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    date_ = OrvSharedDate::Instance();
    date_->AddListener(this);
    BuildGrid();
}

OrvCalendarTable::~OrvCalendarTable()
{
    if (date_) date_->RemoveListener(this);
    // Cells going with the table must not report a selection to it.
    selectedEntry_ = nullptr;
    cells_.clear();
    // Also the cells of an earlier mode still waiting for their deletion.
    for (OrvCalendarTableDay* cell : findChildren<OrvCalendarTableDay*>(Qt::FindDirectChildrenOnly)) delete cell;
}

void OrvCalendarTable::SetCalendar(OrvCalendar* calendar)
{
    calendar_ = calendar;
    for (OrvCalendarTableDay* cell : cells_) cell->Event(OrvEvent(ORV_CMD_REBUILD));
}

void OrvCalendarTable::BindDate(OrvSharedDate* date)
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

ZafUTimeData OrvCalendarTable::CurrentDate() const
{
    return date_ ? date_->Get() : ownDate_;
}

OrvCalendarConfig* OrvCalendarTable::Config() const
{
    return config_ ? config_ : OrvCalendarConfig::Get();
}

int OrvCalendarTable::SendCommand(const OrvEvent& event)
{
    QObject* target = target_ ? target_.data() : OrvEventParent(this);
    return OrvSendEvent(target, event);
}

int OrvCalendarTable::Broadcast(const OrvEvent& event)
{
    // The main window passes a selection notice on to every window; only
    // without one does the table reach the windows itself.
    if (int handled = SendCommand(event)) return handled;
    OrvBroadcastEvent(event);
    return event.type;
}

void OrvCalendarTable::SetViewMode(int mode)
{
    Event(OrvEvent(ORV_CMD_VIEW_MODE, mode));
}

void OrvCalendarTable::SetGridLines(bool gridLines)
{
    gridLines_ = gridLines;
    LayoutGrid();
}

void OrvCalendarTable::SetHeaderHeight(int height)
{
    headerHeight_ = std::max(0, height);
    if (!headerHeight_ && header_) {
        delete header_;
        header_ = nullptr;
    } else if (headerHeight_ && !header_) {
        header_ = new OrvCalendarTableHeader(this);
        header_->ShowMode(mode_);
        header_->show();
    }
    LayoutGrid();
}

void OrvCalendarTable::SetDayNamesHeight(int height)
{
    dayNamesHeight_ = std::max(0, height);
    if (!dayNamesHeight_ && dayNames_) {
        delete dayNames_;
        dayNames_ = nullptr;
    } else if (dayNamesHeight_ && !dayNames_) {
        dayNames_ = new OrvCalendarTableDayNames(this);
        dayNames_->Arrange(mode_, CurrentDate());
        dayNames_->show();
    }
    LayoutGrid();
}

OrvCalendarTableDay* OrvCalendarTable::Cell(int index) const
{
    return (index >= 0 && index < CellCount()) ? cells_[index] : nullptr;
}

OrvCalendarTableDay* OrvCalendarTable::CellOf(const ZafUTimeData& day) const
{
    for (OrvCalendarTableDay* cell : cells_)
        if (OrvSameDay(cell->Date(), day)) return cell;
    return nullptr;
}

void OrvCalendarTable::BuildGrid()
{
    if (headerHeight_ && !header_) header_ = new OrvCalendarTableHeader(this);
    if (dayNamesHeight_ && !dayNames_) dayNames_ = new OrvCalendarTableDayNames(this);
    for (int i = 0; i < OrvGridCells(mode_); ++i) {
        auto* cell = new OrvCalendarTableDay(this);
        cells_.push_back(cell);
        cell->show();
    }
    if (header_) header_->ShowMode(mode_);
    redate_ = 3;
    LayoutDates();
    LayoutGrid();
}

void OrvCalendarTable::DestroyCells()
{
    for (OrvCalendarTableDay* cell : cells_) {
        for (OrvCalendarTableEvent* entry : cell->Entries())
            if (selectedEntry_ == entry) EntryGone(entry);
        cell->hide();
        cell->deleteLater();
    }
    cells_.clear();
}

void OrvCalendarTable::LayoutDates()
{
    ZafUTimeData current = CurrentDate();
    std::vector<ZafUTimeData> days = OrvTableDays(mode_, current);
    for (size_t i = 0; i < cells_.size() && i < days.size(); ++i) {
        OrvCalendarTableDay* cell = cells_[i];
        if (redate_ == 3) {
            cell->SetDate(days[i]);
            cell->RebuildEntries();
            cell->Recolour();
            cell->Event(OrvEvent(ORV_CMD_DAY_CHOSEN, OrvTimeValue(days[i]), cell));
        }
        cell->SetSelected(OrvSameDay(cell->Date(), current));
    }
    redate_ = 3;
    if (dayNames_) dayNames_->Arrange(mode_, current);
    UpdateTitle();
}

void OrvCalendarTable::UpdateTitle()
{
    if (!header_ || cells_.empty()) return;
    const ZafUTimeData current = CurrentDate();
    QString title = MonthYear(current);
    // Four weeks or a week across a month's end name both months.
    if (mode_ == ORV_VIEW_FOURWEEKS || mode_ == ORV_VIEW_WEEK) {
        const ZafUTimeData first = cells_.front()->Date(), last = cells_.back()->Date();
        if (!OrvInCurrentMonth(first, last)) title = MonthYear(first) + QString::fromUtf8(" \u2013 ") + MonthYear(last);
    }
    header_->SetTitle(title);
}

QSize OrvCalendarTable::minimumSizeHint() const
{
    const int rows = std::max(1, OrvGridRows(mode_));
    const int header = header_ ? std::max(headerHeight_, 0) : 0;
    const int width = header_ ? header_->minimumSizeHint().width() : 7 * 30;
    return QSize(width, header + (dayNames_ ? dayNamesHeight_ : 0) +
                            rows * (OrvCalendarTableDayHeader::stripHeight + 2) + 1);
}

void OrvCalendarTable::MoveTo(const ZafUTimeData& day)
{
    SelectEntry(nullptr);
    // A day the grid shows only moves the selection, as a click does;
    // another day lays the grid out anew around it.
    if (CellOf(day)) Event(OrvEvent(ORV_CMD_DAY_CHOSEN, OrvTimeValue(OrvNoon(day)), this));
    else Event(OrvEvent(ORV_CMD_SET_DATE, OrvTimeValue(OrvNoon(day))));
}

void OrvCalendarTable::keyPressEvent(QKeyEvent* event)
{
    static const struct {
        int key;
        OrvTableKey move;
    } moves[] = {
        {Qt::Key_Left, OrvTableKey::Left},     {Qt::Key_Right, OrvTableKey::Right},
        {Qt::Key_Up, OrvTableKey::Up},         {Qt::Key_Down, OrvTableKey::Down},
        {Qt::Key_PageUp, OrvTableKey::PageUp}, {Qt::Key_PageDown, OrvTableKey::PageDown},
        {Qt::Key_Home, OrvTableKey::Home},
    };
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    for (const auto& m : moves) {
        if (event->key() != m.key) continue;
        MoveTo(OrvTableKeyTarget(mode_, CurrentDate(), m.move, ZafUTimeData::Now()));
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (selectedEntry_) {
            SendCommand(OrvEvent(ORV_CMD_EDIT_EVENT, 0, selectedEntry_->EventDate()));
        } else {
            OrvNewEventRequest request{OrvNoon(CurrentDate()), 0};
            SendCommand(OrvEvent(ORV_CMD_NEW_EVENT, 0, &request));
        }
        event->accept();
        return;
    case Qt::Key_Delete:
        // The delete command asks before anything goes (the series
        // question, or whether the whole event is to go).
        if (selectedEntry_) SendCommand(OrvEvent(ORV_CMD_DELETE_EVENT, 0, selectedEntry_->EventDate()));
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void OrvCalendarTable::LayoutGrid()
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
    int rows = OrvGridRows(mode_), columns = OrvGridColumns(mode_);
    for (int i = 0; i < CellCount(); ++i) {
        OrvRect r = OrvGridCellRect(rows, columns, gridLines_, width(), std::max(0, height() - y), i);
        cells_[i]->setGeometry(r.x, y + r.y, r.width, r.height);
    }
}

void OrvCalendarTable::resizeEvent(QResizeEvent*)
{
    LayoutGrid();
}

void OrvCalendarTable::DateChanged(OrvSharedDate*)
{
    LayoutDates();
}

void OrvCalendarTable::ApplyDate(const ZafUTimeData& date)
{
    if (date_) {
        date_->Set(date);   // notifies this table too
    } else {
        ownDate_ = date;
        LayoutDates();
    }
}

int OrvCalendarTable::Event(const OrvEvent& event)
{
    switch (event.type) {
    case ORV_CMD_SET_DATE:
        if (event.value != 0) ApplyDate(OrvNoon(OrvDateFromTimeValue(event.value)));
        return event.type;
    case ORV_CMD_FORWARD:
        Event(OrvEvent(ORV_CMD_SET_DATE, OrvTimeValue(OrvTableForward(mode_, CurrentDate()))));
        return event.type;
    case ORV_CMD_BACK:
        Event(OrvEvent(ORV_CMD_SET_DATE, OrvTimeValue(OrvTableBack(mode_, CurrentDate()))));
        return event.type;
    case ORV_CMD_TODAY:
        Event(OrvEvent(ORV_CMD_SET_DATE, OrvTimeValue(OrvNoon(ZafUTimeData::Now()))));
        return event.type;
    case ORV_CMD_VIEW_MODE: {
        int mode = static_cast<int>(event.value);
        if (OrvGridCells(mode) == 0) return event.type;   // not a mode of the table
        mode_ = mode;
        DestroyCells();
        BuildGrid();
        return event.type;
    }
    case ORV_CMD_REBUILD:
        for (OrvCalendarTableDay* cell : cells_) cell->Event(event);
        return event.type;
    case ORV_CMD_DAY_CHOSEN:
        if (event.value == 0) return event.type;
        // Only the selection moves; the cells keep their dates and entries.
        redate_ = 2;
        ApplyDate(OrvNoon(OrvDateFromTimeValue(event.value)));
        redate_ = 3;
        return event.type;
    default:
        return 0;
    }
}

void OrvCalendarTable::ChooseDay(OrvCalendarTableDay* cell)
{
    SelectEntry(nullptr);
    Event(OrvEvent(ORV_CMD_DAY_CHOSEN, OrvTimeValue(OrvNoon(cell->Date())), this));
}

void OrvCalendarTable::OpenDay(OrvCalendarTableDay* cell)
{
    if (!cell) return;
    const ZafUTimeData day = OrvNoon(cell->Date());
    SelectEntry(nullptr);
    ApplyDate(day);
    if (mode_ != ORV_VIEW_DAY) {
        Event(OrvEvent(ORV_CMD_VIEW_MODE, ORV_VIEW_DAY));
        if (header_) header_->ShowMode(ORV_VIEW_DAY);
    }
}

void OrvCalendarTable::SelectEntry(OrvCalendarTableEvent* entry)
{
    if (selectedEntry_ == entry) return;
    if (OrvCalendarTableEvent* previous = selectedEntry_) {
        selectedEntry_ = nullptr;
        previous->SetSelected(false);
        Broadcast(OrvEvent(ORV_CMD_ENTRY_SELECTED, 2, previous->EventDate()));
    }
    if (entry) {
        selectedEntry_ = entry;
        entry->SetSelected(true);
        Broadcast(OrvEvent(ORV_CMD_ENTRY_SELECTED, 1, entry->EventDate()));
    }
}

void OrvCalendarTable::EntryGone(OrvCalendarTableEvent* entry)
{
    if (selectedEntry_ != entry) return;
    selectedEntry_ = nullptr;
    // The event date may already be gone with the document's rebuild.
    Broadcast(OrvEvent(ORV_CMD_ENTRY_SELECTED, 2, nullptr));
}

void OrvCalendarTable::FillContextMenu(QMenu* menu, OrvCalendarTableDay* cell, OrvCalendarTableEvent* entry)
{
    QPointer<OrvCalendarTable> self(this);
    auto send = [self](const OrvEvent& event) {
        if (self) self->SendCommand(event);
    };
    auto addEntryCommand = [&](int text, int command, int checked) {
        QAction* action = menu->addAction(Text(text));
        if (checked >= 0) {
            action->setCheckable(true);
            action->setChecked(checked != 0);
        }
        OrvEventDate* date = entry->EventDate();
        connect(action, &QAction::triggered, this, [send, command, date]() { send(OrvEvent(command, 0, date)); });
    };
    if (entry) {
        const OrvDayItem& item = entry->Item();
        addEntryCommand(41, ORV_CMD_EDIT_EVENT, -1);
        addEntryCommand(218, ORV_CMD_HIGHLIGHT, item.highlightLevel != 0);
        addEntryCommand(254, ORV_CMD_SUPRAREGIONAL, item.supraRegional);
        addEntryCommand(269, ORV_CMD_SOCIAL_PUBLISH, -1);
        addEntryCommand(237, ORV_CMD_ASSIGN_USER, -1);
        menu->addSeparator();
    }
    ZafUTimeData day = cell ? cell->Date() : CurrentDate();
    if (OrvCalendarConfig* config = Config()) {
        OrvEventCategoryList* categories = config->GetEventCategoryList();
        for (int i = 0; categories && i < categories->Count(); ++i) {
            OrvEventCategoryElement* category = categories->Item(i);
            if (category->id == 1) continue;
            const char* name = category->textNumber ? OrvText(category->textNumber)
                                                    : OrvCalendarConfig::CategoryName(category->id);
            QAction* action = menu->addAction(Text(42) + "  " + OrvQString(name));
            int id = category->id;
            connect(action, &QAction::triggered, this, [send, day, id]() {
                OrvNewEventRequest request{OrvNoon(day), id};
                send(OrvEvent(ORV_CMD_NEW_EVENT, id, &request));
            });
        }
    }
    if (entry) {
        menu->addSeparator();
        addEntryCommand(43, ORV_CMD_DELETE_EVENT, -1);
    }
}

void OrvCalendarTable::OpenContextMenu(OrvCalendarTableDay* cell, OrvCalendarTableEvent* entry,
                                       const QPoint& globalPos)
{
    QMenu menu(this);
    menu.setObjectName("OrvCalendarTableMenu");
    FillContextMenu(&menu, cell, entry);
    menu.exec(globalPos);
}
