// The six menus: titles, access keys, entries rebuilt on every opening from
// the current lists, and the commands the entries send.
#include <QAction>
#include <QMenuBar>
#include <QSet>

#include "AppGuiFixture.h"
#include "OrvMainMenus.h"
#include "OrvMainWindow.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"

namespace {

class Recorder : public QObject, public OrvEventHandler {
public:
    int Event(const OrvEvent& event) override
    {
        events.push_back(event);
        return event.type;
    }
    std::vector<OrvEvent> events;
};

// Captions of a menu's entries without the shortcut shown after a tab;
// separators as "-", submenus as ">" caption.
QStringList Captions(const QMenu* menu)
{
    QStringList captions;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) captions << QStringLiteral("-");
        else if (action->menu()) captions << QStringLiteral(">") + action->text();
        else captions << action->text().section(QLatin1Char('\t'), 0, 0);
    }
    return captions;
}

// The shortcut an entry shows after its caption ("" for none).
QString ShownShortcut(const QAction* action)
{
    return action->text().contains(QLatin1Char('\t')) ? action->text().section(QLatin1Char('\t'), 1) : QString();
}

QString T(int number) { return OrvQString(OrvText(number)); }

QMenu* Submenu(QMenu* menu, int index) { return menu->actions().value(index)->menu(); }

class MenuTest : public AppGuiFixture {
protected:
    void SetUp() override
    {
        AppGuiFixture::SetUp();
        sources.target = &window;
        sources.calendarView = [this]() { return &view; };
        sources.categories = [this]() { return categories; };
        sources.importProfiles = [this]() { return profiles; };
        sources.queries = [this]() { return queries; };
        menus = OrvAddMainMenus(&bar, &sources);
    }

    QMenuBar bar;
    Recorder window;
    Recorder view;
    OrvMenuSources sources;
    std::vector<OrvMenuListEntry> categories{{QStringLiteral("Workshop"), 2}, {QStringLiteral("Party & Show"), 6}};
    std::vector<OrvMenuListEntry> profiles{{QStringLiteral("Salsa-Import"), 1}};
    std::vector<OrvMenuListEntry> queries;
    std::vector<OrvPullDownItem*> menus;
};

TEST_F(MenuTest, SixMenusWithTitlesAndAccessKeys)
{
    // Each menu its own key: Kalender and Hilfe cannot have the T and E of
    // Termin and Extras, so they take their first letters.
    const struct {
        int title;
        char key;
    } expected[] = {{58, 'D'}, {62, 'B'}, {67, 'T'}, {25, 'K'}, {69, 'E'}, {70, 'H'}};
    ASSERT_EQ(menus.size(), 6u);
    ASSERT_EQ(bar.actions().size(), 6);
    for (size_t i = 0; i < menus.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(menus[i]->TitleNumber(), expected[i].title);
        EXPECT_EQ(menus[i]->AccessKey(), expected[i].key);
        EXPECT_EQ(bar.actions()[static_cast<int>(i)]->menu(), menus[i]);
        EXPECT_EQ(menus[i]->title(), OrvMenuTitle(T(expected[i].title), expected[i].key));
        // Until it first opens, a menu holds the placeholder only.
        EXPECT_EQ(Captions(menus[i]), QStringList{QStringLiteral("x")});
    }
    EXPECT_EQ(menus[0]->title(), QStringLiteral("&Datei"));
    EXPECT_EQ(menus[3]->title(), QStringLiteral("&Kalender"));
    EXPECT_EQ(menus[5]->title(), QStringLiteral("&Hilfe"));
}

TEST_F(MenuTest, AccessKeysStayUniqueInEveryLanguage)
{
    for (int language : {1031, 2057}) {
        SCOPED_TRACE(language);
        auto* library = new OrvLanguageLib(OrvLanguageLibraryPath(language));
        ASSERT_EQ(library->Bind(), 0);
        OrvInstallLanguage(library);
        ASSERT_EQ(OrvLanguage()->GetLanguageID(), language);
        OrvAssignAccessKeys(menus);
        QSet<char> keys;
        for (OrvPullDownItem* menu : menus) {
            ASSERT_NE(menu->AccessKey(), 0) << menu->title().toStdString();
            EXPECT_FALSE(keys.contains(menu->AccessKey())) << menu->title().toStdString();
            keys.insert(menu->AccessKey());
            // The key is marked in the title the bar shows.
            EXPECT_TRUE(menu->title().contains(QLatin1Char('&'))) << menu->title().toStdString();
            EXPECT_TRUE(T(menu->TitleNumber()).contains(QLatin1Char(menu->AccessKey()), Qt::CaseInsensitive));
        }
    }
    OrvLoadLanguage();
}

TEST_F(MenuTest, EntriesShowTheStandardShortcuts)
{
    for (OrvPullDownItem* menu : menus) menu->Rebuild();
    const struct {
        QAction* action;
        QKeySequence key;
    } cases[] = {
        {menus[0]->actions()[5], QKeySequence(Qt::CTRL | Qt::Key_E)},   // export
        {menus[0]->actions()[7], QKeySequence(Qt::CTRL | Qt::Key_Q)},   // exit
        {menus[2]->actions()[0], QKeySequence(Qt::CTRL | Qt::Key_N)},   // new event
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShownShortcut(c.action), c.key.toString(QKeySequence::NativeText)) << c.action->text().toStdString();
    // Entries without a standard key show none.
    EXPECT_TRUE(ShownShortcut(menus[0]->actions()[0]).isEmpty());
    EXPECT_TRUE(ShownShortcut(menus[4]->actions()[0]).isEmpty());
}

TEST(MenuTitle, MarksTheFirstOccurrenceOfTheKey)
{
    const struct {
        const char* title;
        char key;
        const char* marked;
    } cases[] = {
        {"Datei", 'D', "&Datei"},   {"Kalender", 'T', "Kalender"},  {"Hilfe", 'E', "Hilf&e"},
        {"Extras", 'E', "&Extras"}, {"Rock & Roll", 'R', "&Rock && Roll"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OrvMenuTitle(QString::fromLatin1(c.title), c.key), QString::fromLatin1(c.marked)) << c.title;
}

TEST_F(MenuTest, FileMenuEntriesAndTheirCommands)
{
    menus[0]->Rebuild();
    const QStringList expected = {T(221), QStringLiteral("-"), QStringLiteral(">") + T(42), QStringLiteral(">") + T(59),
                                  QStringLiteral("Transfer"), T(60), QStringLiteral("-"), T(61)};
    EXPECT_EQ(Captions(menus[0]), expected);
    // Ampersands of list names are shown, not taken for access keys.
    EXPECT_EQ(Captions(Submenu(menus[0], 2)), (QStringList{QStringLiteral("Workshop"), QStringLiteral("Party && Show")}));
    EXPECT_EQ(Captions(Submenu(menus[0], 3)), QStringList{QStringLiteral("Salsa-Import")});

    const struct {
        QAction* action;
        int command;
        intptr_t value;
    } triggers[] = {
        {menus[0]->actions()[0], 10156, 0},
        {Submenu(menus[0], 2)->actions()[1], 10107, 6},
        {Submenu(menus[0], 3)->actions()[0], 10104, 1},
        {menus[0]->actions()[4], 10166, 0},
        {menus[0]->actions()[5], 10105, 0},
        {menus[0]->actions()[7], 10106, 0},
    };
    for (const auto& t : triggers) {
        window.events.clear();
        t.action->trigger();
        ASSERT_EQ(window.events.size(), 1u) << t.command;
        EXPECT_EQ(window.events[0].type, t.command);
        EXPECT_EQ(window.events[0].value, t.value);
    }
    EXPECT_TRUE(view.events.empty());
}

TEST_F(MenuTest, EntriesAreBuiltAnewOnEveryOpening)
{
    menus[0]->Rebuild();
    menus[0]->Rebuild();
    EXPECT_EQ(menus[0]->actions().size(), 8) << "entries of the first opening stayed";
    EXPECT_EQ(Submenu(menus[0], 2)->actions().size(), 2);
    // A list that changed between two openings shows its current state.
    categories.push_back({QStringLiteral("Festival"), 11});
    profiles.clear();
    emit menus[0]->aboutToShow();
    EXPECT_EQ(Captions(Submenu(menus[0], 2)).size(), 3);
    EXPECT_EQ(Captions(Submenu(menus[0], 2)).last(), QStringLiteral("Festival"));
    EXPECT_TRUE(Submenu(menus[0], 3)->actions().isEmpty());
    EXPECT_FALSE(Captions(menus[0]).contains(QStringLiteral("x")));
}

TEST_F(MenuTest, ViewModesGoToTheMonthTable)
{
    menus[1]->Rebuild();
    QMenu* modes = Submenu(menus[1], 0);
    ASSERT_NE(modes, nullptr);
    EXPECT_EQ(Captions(modes), (QStringList{T(63), T(64), T(73), T(65)}));
    const intptr_t values[] = {4, 3, 2, 1};
    for (int i = 0; i < 4; ++i) modes->actions()[i]->trigger();
    ASSERT_EQ(view.events.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(view.events[i].type, 10124);
        EXPECT_EQ(view.events[i].value, values[i]);
    }
    EXPECT_TRUE(window.events.empty());
}

TEST_F(MenuTest, DateCalendarExtrasAndHelpEntries)
{
    int anchor = 0;
    queries = {{QStringLiteral("Salsa in Berlin"), 1, &anchor}, {QStringLiteral("Annas Termine"), 2, nullptr}};
    for (OrvPullDownItem* menu : menus) menu->Rebuild();
    EXPECT_EQ(Captions(menus[2]), QStringList{T(68)});
    EXPECT_EQ(Captions(menus[3]), (QStringList{T(234), QStringLiteral("Salsa in Berlin"), QStringLiteral("Annas Termine")}));
    EXPECT_EQ(Captions(menus[4]), QStringList{T(48)});
    EXPECT_EQ(Captions(menus[5]), (QStringList{T(71), QStringLiteral("-"), T(72) + QStringLiteral("OrvCalendar")}));

    const struct {
        QAction* action;
        int command;
        intptr_t value;
        void* data;
    } triggers[] = {
        {menus[2]->actions()[0], 10107, 0, nullptr}, {menus[3]->actions()[0], 10204, 0, nullptr},
        {menus[3]->actions()[1], 10205, 1, &anchor}, {menus[4]->actions()[0], 10137, 0, nullptr},
        {menus[5]->actions()[0], 10203, 0, nullptr}, {menus[5]->actions()[2], 10136, 0, nullptr},
    };
    for (const auto& t : triggers) {
        window.events.clear();
        t.action->trigger();
        ASSERT_EQ(window.events.size(), 1u) << t.command;
        EXPECT_EQ(window.events[0].type, t.command);
        EXPECT_EQ(window.events[0].value, t.value);
        EXPECT_EQ(window.events[0].data, t.data);
    }
}

// The main window fills the lists from the configuration: no category 1,
// and no import profile that lacks a name, a scene or a category.
class MainWindowMenuTest : public AppGuiFixture {
protected:
    void SetUp() override
    {
        Prepare(DefaultConfig() +
                "[ICALIMPORTS]\n"
                "1=Salsa;salsa;2;0;;0;\n"
                "2=Ohne Kategorie;salsa;0;0;;0;\n"
                "3=Nur ein Name\n"
                "4=Tango;tango;6;0;;0;\n");
        OpenStorageAndDatabase();
    }
};

TEST_F(MainWindowMenuTest, ListsComeFromTheConfiguration)
{
    OrvMainWindow window;
    window.Hooks().loginDialog = [](bool, bool&) { return ZAF_DIALOG_CLOSE; };
    window.Initialize();
    ASSERT_EQ(window.Menus().size(), 6u);
    OrvPullDownItem* file = window.Menus()[0];
    file->Rebuild();
    QStringList categories = Captions(Submenu(file, 2));
    OrvEventCategoryList* list = config_->GetEventCategoryList();
    int expectedCount = 0;
    for (int i = 0; i < list->Count(); ++i)
        if (list->Item(i)->id != 1) ++expectedCount;
    EXPECT_EQ(categories.size(), expectedCount);
    EXPECT_FALSE(categories.contains(OrvQString(OrvCalendarConfig::CategoryName(1))));
    EXPECT_EQ(Captions(Submenu(file, 3)), (QStringList{QStringLiteral("Salsa"), QStringLiteral("Tango")}));
    // The profile entry carries the profile's identifier.
    EXPECT_EQ(OrvCommandOf(Submenu(file, 3)->actions()[1]).value, 4);
    EXPECT_EQ(OrvCommandOf(Submenu(file, 3)->actions()[1]).type, 10104);
}

}  // namespace
