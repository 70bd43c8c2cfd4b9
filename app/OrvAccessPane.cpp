#include "OrvAccessPane.h"

#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "OrvCalendarConfig.h"
#include "OrvLanguageLib.h"
#include "platform/qt/OrvLayoutStorage.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"
#include "views/OrvCalendarTable.h"
#include "views/OrvCalendarWindow.h"
#include "views/OrvViewSupport.h"

namespace {
QPushButton* MakeItemButton(const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setText(caption);
    button->setCheckable(true);
    button->setFlat(true);
    button->setFixedSize(ORV_ACCESS_ITEM_WIDTH, ORV_ACCESS_ITEM_HEIGHT);
    button->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding-left: 22px; border: none; }"
                                         "QPushButton:checked { background: #dfeaf4; }"
                                         "QPushButton:hover { background: #eef3f8; }"));
    return button;
}
}  // namespace

// --- OrvAccessGroupButton --------------------------------------------------

OrvAccessGroupButton::OrvAccessGroupButton(const QString& caption, const QColor& colour, int categoryID,
                                           QWidget* parent)
    : QAbstractButton(parent), colour_(colour), categoryID_(categoryID)
{
    setText(caption);
    setCheckable(true);
    setFixedSize(ORV_ACCESS_ITEM_WIDTH, ORV_ACCESS_ITEM_HEIGHT);
}

QSize OrvAccessGroupButton::sizeHint() const { return QSize(ORV_ACCESS_ITEM_WIDTH, ORV_ACCESS_ITEM_HEIGHT); }

void OrvAccessGroupButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int middle = height() / 2;
    // Check mark box.
    const QRectF box(4.5, middle - 6.5, 13, 13);
    p.setPen(QPen(QColor(96, 110, 128), 1));
    p.setBrush(Qt::white);
    p.drawRect(box);
    if (isChecked()) {
        p.setPen(QPen(QColor(40, 52, 70), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(box.left() + 3, box.center().y());
        tick.lineTo(box.left() + 5.5, box.bottom() - 3);
        tick.lineTo(box.right() - 2.5, box.top() + 3);
        p.drawPath(tick);
    }
    // The category's colour.
    p.setPen(QPen(colour_.darker(130), 1));
    p.setBrush(colour_);
    p.drawRect(QRectF(24.5, middle - 5.5, 11, 11));
    p.setPen(isEnabled() ? palette().color(QPalette::WindowText) : palette().color(QPalette::Disabled, QPalette::WindowText));
    p.drawText(QRect(42, 0, width() - 44, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

// --- OrvAccessGroup --------------------------------------------------------

OrvAccessGroup::OrvAccessGroup(int captionNumber, const OrvPaneSources* sources, QWidget* parent)
    : QWidget(parent), sources_(sources)
{
    setFixedWidth(ORV_ACCESS_GROUP_WIDTH);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(2, 0, 2, 6);
    layout_->setSpacing(0);
    header_ = new QToolButton(this);
    header_->setCheckable(true);
    header_->setChecked(true);
    header_->setAutoRaise(true);
    header_->setText(OrvQString(OrvText(captionNumber)));
    header_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    header_->setIcon(OrvIcon("ITEM_MINUS"));
    header_->setFixedSize(ORV_ACCESS_GROUP_WIDTH - 4, ORV_ACCESS_HEADER_HEIGHT - 2);
    QFont bold = header_->font();
    bold.setBold(true);
    header_->setFont(bold);
    header_->setStyleSheet(QStringLiteral("QToolButton { text-align: left; border: none; }"));
    layout_->addWidget(header_, 0, Qt::AlignLeft);
    layout_->addSpacing(2);
    OrvConnectCommand(header_, this, OrvEvent(ORV_CMD_GROUP_TOGGLED));
}

std::vector<QWidget*> OrvAccessGroup::Items() const { return items_; }

void OrvAccessGroup::AddItem(QWidget* item)
{
    items_.push_back(item);
    layout_->addWidget(item, 0, Qt::AlignLeft);
}

void OrvAccessGroup::ClearItems()
{
    for (QWidget* item : items_) {
        layout_->removeWidget(item);
        delete item;
    }
    items_.clear();
}

void OrvAccessGroup::SetExpanded(bool expanded)
{
    header_->setChecked(expanded);
    Event(OrvEvent(ORV_CMD_GROUP_TOGGLED));
}

int OrvAccessGroup::Event(const OrvEvent& event)
{
    if (event.type != ORV_CMD_GROUP_TOGGLED) return 0;
    ClearItems();
    expanded_ = header_->isChecked();
    header_->setIcon(OrvIcon(expanded_ ? "ITEM_MINUS" : "ITEM_PLUS"));
    if (expanded_) BuildItems();
    updateGeometry();
    return event.type;
}

void OrvAccessGroup::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(backgroundRole()));
    // The line under the header.
    p.setPen(OrvFrameworkColour(7));
    p.drawLine(0, ORV_ACCESS_HEADER_HEIGHT, width(), ORV_ACCESS_HEADER_HEIGHT);
}

// --- calendars group -------------------------------------------------------

OrvAccessGroup_Calendars::OrvAccessGroup_Calendars(const OrvPaneSources* sources, QWidget* parent)
    : OrvAccessGroup(25, sources, parent)
{
}

OrvAccessGroup_Calendars::~OrvAccessGroup_Calendars() = default;

void OrvAccessGroup_Calendars::BuildItems()
{
    QObject* target = sources_ ? sources_->mainWindow : nullptr;
    QPushButton* mine = MakeItemButton(OrvQString(OrvText(234)), this);
    OrvConnectCommand(mine, target, OrvEvent(ORV_CMD_DOWNLOAD_ALL));
    AddItem(mine);
    calendarIds_ = {0};
    queries_.clear();
    if (sources_ && sources_->fetchQueries) queries_ = sources_->fetchQueries();
    for (const OrvMenuListEntry& query : queries_) {
        QPushButton* button = MakeItemButton(query.caption, this);
        OrvConnectCommand(button, target, OrvEvent(ORV_CMD_DOWNLOAD_QUERY, query.value, query.data));
        AddItem(button);
        calendarIds_.push_back(query.value);
    }
    ShowLoaded(sources_ && sources_->loadedCalendar ? sources_->loadedCalendar() : -1);
}

void OrvAccessGroup_Calendars::ShowLoaded(int calendar)
{
    // One calendar is loaded at a time: its button alone stays pressed, so
    // a click on another one is undone until that download has succeeded.
    const std::vector<QWidget*> items = Items();
    for (size_t i = 0; i < items.size() && i < calendarIds_.size(); ++i)
        if (auto* button = qobject_cast<QAbstractButton*>(items[i])) button->setChecked(calendarIds_[i] == calendar);
}

// --- categories group ------------------------------------------------------

OrvAccessGroup_Categories::OrvAccessGroup_Categories(const OrvPaneSources* sources, QWidget* parent)
    : OrvAccessGroup(126, sources, parent)
{
}

void OrvAccessGroup_Categories::BuildItems()
{
    OrvCalendarConfig* config = sources_ && sources_->config ? sources_->config : OrvCalendarConfig::Get();
    OrvEventCategoryList* list = config->GetEventCategoryList();
    for (int i = 0; i < list->Count(); ++i) {
        const OrvEventCategoryElement* category = list->Item(i);
        if (category->id == 1) continue;
        const OrvCategoryRow* row = config->GetCategoryRow(category->id);
        const bool known = row && row->id != 0;
        const QColor colour = known && row->HasColour() ? QColor(row->red, row->green, row->blue)
                                                        : OrvFrameworkColour(7);
        auto* button = new OrvAccessGroupButton(OrvQString(OrvText(category->textNumber)), colour, category->id, this);
        // Pressed only while the table shows the category, so that the
        // button never claims entries that are hidden.
        button->setChecked(category->flag != 0 && (!known || row->shown != 0));
        OrvConnectCommand(button, this, OrvEvent(ORV_CMD_CATEGORY_TOGGLED, category->id, button));
        AddItem(button);
    }
}

int OrvAccessGroup_Categories::Event(const OrvEvent& event)
{
    if (event.type != ORV_CMD_CATEGORY_TOGGLED) return OrvAccessGroup::Event(event);
    auto* button = static_cast<OrvAccessGroupButton*>(event.data);
    OrvCalendarConfig* config = sources_ && sources_->config ? sources_->config : OrvCalendarConfig::Get();
    if (button) {
        OrvCategoryRow* row = config->GetCategoryRow(button->CategoryID());
        if (row && row->id != 0) row->shown = button->isChecked() ? 1 : 0;
    }
    if (sources_ && sources_->mainWindow) OrvPostEvent(sources_->mainWindow, OrvEvent(ORV_CMD_CATEGORY_FILTER));
    return event.type;
}

// --- panes -----------------------------------------------------------------

OrvAccessPane::OrvAccessPane(const OrvPaneSources* sources, QWidget* parent) : QWidget(parent)
{
    OrvSetClassID(this, classID);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, OrvFrameworkColour(15));
    setPalette(pal);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 6);
    layout->setSpacing(8);
    // Every child keeps its size and stands centred.
    smallCalendar_ = new OrvCalendarWindow(this);
    if (sources && sources->date) smallCalendar_->BindDate(sources->date);
    smallCalendar_->setAutoFillBackground(true);
    smallCalendar_->setPalette(pal);
    layout->addWidget(smallCalendar_, 0, Qt::AlignHCenter | Qt::AlignTop);
    calendars_ = new OrvAccessGroup_Calendars(sources, this);
    layout->addWidget(calendars_, 0, Qt::AlignHCenter | Qt::AlignTop);
    categories_ = new OrvAccessGroup_Categories(sources, this);
    layout->addWidget(categories_, 0, Qt::AlignHCenter | Qt::AlignTop);
    layout->addStretch(1);
    // Groups start expanded, with their items built at once.
    calendars_->SetExpanded(true);
    categories_->SetExpanded(true);
    setMinimumWidth(ORV_ACCESS_GROUP_WIDTH + 8);
}

OrvWorkPane::OrvWorkPane(const OrvPaneSources* sources, QWidget* parent) : QWidget(parent)
{
    OrvSetClassID(this, classID);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, OrvFrameworkColour(8));
    setPalette(pal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    table_ = new OrvCalendarTable(this);
    OrvSetObjectID(table_, ORV_ID_CALENDAR_VIEW);
    if (sources) {
        if (sources->config) table_->SetConfig(sources->config);
        if (sources->date) table_->BindDate(sources->date);
        table_->SetCalendar(sources->calendar);
        table_->SetCommandTarget(sources->mainWindow);
    }
    layout->addWidget(table_);
}
