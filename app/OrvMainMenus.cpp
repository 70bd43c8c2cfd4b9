#include "OrvMainMenus.h"

#include <QMenuBar>

#include "OrvLanguageLib.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"

QString OrvMenuTitle(const QString& title, char accessKey)
{
    QString escaped = title;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    const int at = escaped.indexOf(QLatin1Char(accessKey), 0, Qt::CaseInsensitive);
    if (at < 0) return escaped;
    return escaped.left(at) + QLatin1Char('&') + escaped.mid(at);
}

namespace {
// Entry captions may hold ampersands of their own (category or query names).
QString EntryText(const QString& caption)
{
    QString text = caption;
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return text;
}
}  // namespace

OrvPullDownItem::OrvPullDownItem(int titleNumber, char accessKey, const OrvMenuSources* sources, QWidget* parent)
    : QMenu(parent), sources_(sources), titleNumber_(titleNumber), preferredKey_(accessKey), accessKey_(accessKey)
{
    Retitle();
    // The framework treats an item as a menu only when it has an entry.
    placeholder_ = addAction(QStringLiteral("x"));
    connect(this, &QMenu::aboutToShow, this, &OrvPullDownItem::Rebuild);
}

void OrvPullDownItem::Retitle()
{
    const QString title = OrvQString(OrvText(titleNumber_));
    setTitle(accessKey_ ? OrvMenuTitle(title, accessKey_) : QString(title).replace(QLatin1Char('&'), QLatin1String("&&")));
}

void OrvPullDownItem::SetAccessKey(char key)
{
    accessKey_ = key;
    Retitle();
}

QKeySequence OrvCommandShortcut(int command)
{
    switch (command) {
    case ORV_CMD_NEW_EVENT_MENU: return QKeySequence(Qt::CTRL | Qt::Key_N);
    case ORV_CMD_EXPORT: return QKeySequence(Qt::CTRL | Qt::Key_E);
    case ORV_CMD_IMPORT: return QKeySequence(Qt::CTRL | Qt::Key_I);
    case ORV_CMD_DOWNLOAD_MY_CALENDAR: return QKeySequence(Qt::Key_F5);
    case ORV_CMD_EXIT: return QKeySequence(Qt::CTRL | Qt::Key_Q);
    default: return QKeySequence();
    }
}

void OrvAssignAccessKeys(const std::vector<OrvPullDownItem*>& menus)
{
    QString taken;
    for (OrvPullDownItem* menu : menus) {
        const QString title = OrvQString(OrvText(menu->TitleNumber())).toUpper();
        QChar key;
        const QChar preferred = QChar(QLatin1Char(menu->PreferredKey())).toUpper();
        if (title.contains(preferred) && !taken.contains(preferred)) key = preferred;
        for (int i = 0; key.isNull() && i < title.size(); ++i)
            if (title.at(i).isLetterOrNumber() && title.at(i).unicode() < 128 && !taken.contains(title.at(i)))
                key = title.at(i);
        if (!key.isNull()) taken += key;
        menu->SetAccessKey(key.isNull() ? 0 : key.toLatin1());
    }
}

void OrvPullDownItem::Rebuild()
{
    setUpdatesEnabled(false);
    // Entries built before, their submenus with them.
    const QList<QAction*> old = actions();
    for (QAction* action : old) {
        if (action == placeholder_) continue;
        removeAction(action);
        if (QMenu* submenu = action->menu()) { delete submenu; continue; }
        if (action->parent() == this) delete action;
    }
    Initialize();
    if (placeholder_) {
        removeAction(placeholder_);
        delete placeholder_;
        placeholder_ = nullptr;
    }
    setUpdatesEnabled(true);
}

QAction* OrvPullDownItem::AddEntryTo(QMenu* menu, const QString& caption, QObject* target, int command,
                                     intptr_t value, void* data)
{
    return OrvAddCommand(menu, EntryText(caption), target, OrvEvent(command, value, data));
}

void OrvPullDownItem::ShowShortcut(QAction* action, int command)
{
    // Shown only: the main window's own action takes the key, and a second
    // action with the same key would make it ambiguous.
    const QKeySequence key = OrvCommandShortcut(command);
    if (action && !key.isEmpty()) action->setText(action->text() + QLatin1Char('\t') + key.toString(QKeySequence::NativeText));
}

QAction* OrvPullDownItem::AddEntry(int textNumber, int command, intptr_t value, void* data)
{
    return AddEntry(OrvQString(OrvText(textNumber)), command, value, data);
}

QAction* OrvPullDownItem::AddEntry(const QString& caption, int command, intptr_t value, void* data)
{
    return AddEntryTo(this, caption, sources_ ? sources_->target.data() : nullptr, command, value, data);
}

QMenu* OrvPullDownItem::AddSubmenu(int textNumber)
{
    QMenu* submenu = new QMenu(EntryText(OrvQString(OrvText(textNumber))), this);
    addMenu(submenu);
    return submenu;
}

// --- File ------------------------------------------------------------------

OrvFileItem::OrvFileItem(const OrvMenuSources* sources, QWidget* parent) : OrvPullDownItem(58, 'D', sources, parent) {}

void OrvFileItem::Initialize()
{
    QObject* target = sources_ ? sources_->target.data() : nullptr;
    AddEntry(221, ORV_CMD_CALENDAR_MANAGER);
    addSeparator();
    QMenu* categories = AddSubmenu(42);
    if (sources_ && sources_->categories)
        for (const OrvMenuListEntry& entry : sources_->categories())
            AddEntryTo(categories, entry.caption, target, ORV_CMD_NEW_EVENT_MENU, entry.value, entry.data);
    QMenu* profiles = AddSubmenu(59);
    if (sources_ && sources_->importProfiles)
        for (const OrvMenuListEntry& entry : sources_->importProfiles())
            AddEntryTo(profiles, entry.caption, target, ORV_CMD_IMPORT, entry.value, entry.data);
    AddEntry(QStringLiteral("Transfer"), ORV_CMD_TRANSFER);
    ShowShortcut(AddEntry(60, ORV_CMD_EXPORT), ORV_CMD_EXPORT);
    addSeparator();
    ShowShortcut(AddEntry(61, ORV_CMD_EXIT), ORV_CMD_EXIT);
}

// --- Edit ------------------------------------------------------------------

OrvEditItem::OrvEditItem(const OrvMenuSources* sources, QWidget* parent) : OrvPullDownItem(62, 'B', sources, parent) {}

void OrvEditItem::Initialize()
{
    // The view modes go to the month table itself, not to the main window.
    QObject* view = sources_ && sources_->calendarView ? sources_->calendarView() : nullptr;
    QMenu* modes = AddSubmenu(25);
    const struct {
        int text;
        int mode;
    } entries[] = {{63, 4}, {64, 3}, {73, 2}, {65, 1}};
    for (const auto& entry : entries)
        AddEntryTo(modes, OrvQString(OrvText(entry.text)), view, ORV_CMD_VIEWMODE, entry.mode);
}

// --- Date ------------------------------------------------------------------

OrvDateItem::OrvDateItem(const OrvMenuSources* sources, QWidget* parent) : OrvPullDownItem(67, 'T', sources, parent) {}

void OrvDateItem::Initialize() { ShowShortcut(AddEntry(68, ORV_CMD_NEW_EVENT_MENU), ORV_CMD_NEW_EVENT_MENU); }

// --- Calendar --------------------------------------------------------------

OrvCalendarItem::OrvCalendarItem(const OrvMenuSources* sources, QWidget* parent)
    : OrvPullDownItem(25, 'T', sources, parent)
{
}

void OrvCalendarItem::Initialize()
{
    AddEntry(234, ORV_CMD_DOWNLOAD_ALL);
    if (sources_ && sources_->queries)
        for (const OrvMenuListEntry& entry : sources_->queries())
            AddEntry(entry.caption, ORV_CMD_DOWNLOAD_QUERY, entry.value, entry.data);
}

// --- Extras ----------------------------------------------------------------

OrvExtraItem::OrvExtraItem(const OrvMenuSources* sources, QWidget* parent) : OrvPullDownItem(69, 'E', sources, parent) {}

void OrvExtraItem::Initialize() { AddEntry(48, ORV_CMD_SETTINGS); }

// --- Help ------------------------------------------------------------------

OrvHelpItem::OrvHelpItem(const OrvMenuSources* sources, QWidget* parent) : OrvPullDownItem(70, 'E', sources, parent) {}

void OrvHelpItem::Initialize()
{
    AddEntry(71, ORV_CMD_CHECK_UPDATE);
    addSeparator();
    AddEntry(OrvQString(OrvText(72)) + QStringLiteral("OrvCalendar"), ORV_CMD_ABOUT);
}

std::vector<OrvPullDownItem*> OrvAddMainMenus(QMenuBar* bar, const OrvMenuSources* sources)
{
    std::vector<OrvPullDownItem*> menus = {
        new OrvFileItem(sources, bar),  new OrvEditItem(sources, bar),  new OrvDateItem(sources, bar),
        new OrvCalendarItem(sources, bar), new OrvExtraItem(sources, bar), new OrvHelpItem(sources, bar),
    };
    for (OrvPullDownItem* menu : menus) bar->addMenu(menu);
    OrvAssignAccessKeys(menus);
    return menus;
}
