// The settings dialog driven as a user would: opening the pages from the
// tree, typing, ticking, choosing from the list dialogs, OK and cancel,
// checked against the configuration file (a file of each test's own) and,
// for the user's categories and persons, the local portal service.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <sstream>

#include "DialogTestSupport.h"
#include "PortalMethodsSupport.h"
#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvMessageWindow.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"
#include "views/editors/OrvConfigDialog.h"

#include "tests/support/OrvTestInput.h"

namespace {

QString T(int number) { return OrvQString(OrvText(number)); }

// Pool "Latin" is stored as the first pool (identifier 1) but has the
// identifier 17 on the portal, whose pool 1 is "Swing".
const char* const kPortalConfig =
    R"({"pools":[{"id":"17","name":"Latin","scenes":[{"id":"2","name":"salsa"},{"id":"3","name":"bachata"}]},)"
    R"({"id":"1","name":"Swing","scenes":[{"id":"5","name":"swing"}]},)"
    R"({"id":"2","name":"Standard","scenes":[{"id":"4","name":"tango"}]}],)"
    R"("user_categories":["Stammtisch","Schnupperabend"]})";

const char* const kConfigFile =
    "[DEFAULT]\n"
    "CheckForUpdatesOnStart=1\n"
    "ApplicationLanguage=1031\n"
    "Username=alt\n"
    "Password=geheim\n"
    "RememberPassword=1\n"
    "Blocked=0\n"
    "[HOST]\n"
    "Host=portal.invalid\n"
    "[CATEGORIES]\n"
    "1=301\n"
    "2=201\n"
    "[POOLS]\n"
    "1=Latin;1\n"
    "2=Standard;0\n"
    "[SCENES]\n"
    "1=salsa;1\n"
    "2=tango;0\n"
    "[DEFAULTS]\n"
    "1=7;Tanzhaus Mitte\n"
    "2=4;Tanzschule Rhythmus\n"
    "[ICALIMPORTS]\n"
    "1=Salsa Club;salsa;301;7;Tanzhaus Mitte;4;Tanzschule Rhythmus\n";

json::Object Parse(const char* text)
{
    json::Object object;
    std::istringstream in(text);
    json::Reader::Read(object, in);
    return object;
}

// The configuration in a directory of its own for one test; the lists the
// configuration object keeps are read from it afresh.
class ConfigSandbox {
public:
    explicit ConfigSandbox(const std::string& text, const json::Object& portalConfig)
        : dir_(pmtest::MakeTempDir()), previous_(Config().Directory())
    {
        Config().File().SetDirectory(dir_);
        DropLists();
        pmtest::WriteFile(Path(), text);
        Config().SetPortalConfig(portalConfig);
    }
    ~ConfigSandbox()
    {
        DropLists();
        Config().File().SetDirectory(previous_);
        pmtest::RemoveTree(dir_);
    }
    static OrvCalendarConfig& Config() { return *OrvCalendarConfig::Get(); }
    std::string Path() const { return dir_ + "/OrvCalendar.cfg"; }
    std::string Text() const { return pmtest::ReadFile(Path()); }
    // A value as a fresh reader of the file sees it.
    std::string Value(const char* section, const char* key) const
    {
        OrvConfig file(dir_);
        return file.Read(section, key, "<none>");
    }

private:
    // Writing a list drops the kept copy (into this sandbox's file, which
    // is written afresh afterwards).
    static void DropLists()
    {
        OrvCalendarConfig& c = Config();
        c.SetEventCategoryList(OrvEventCategoryList());
        c.SetEventPoolList(OrvEventPoolList());
        c.SetEventSceneList(OrvEventSceneList());
        c.SetICalImportList(OrvICalImportList());
        c.SetPortalConfig(json::Object());
    }
    std::string dir_;
    std::string previous_;
};

using orvinput::Click;
using orvinput::Toggle;
using orvinput::TypeText;

template <class W>
W* Named(QDialog* d, const char* name)
{
    for (W* w : d->findChildren<W*>())
        if (w->objectName() == QLatin1String(name)) return w;
    return nullptr;
}

// The toggle buttons of a selection dialog: text -> enabled.
std::map<QString, bool> Offered(QDialog* d)
{
    std::map<QString, bool> offered;
    for (QCheckBox* box : d->findChildren<QCheckBox*>()) offered[box->text()] = box->isEnabled();
    return offered;
}

// Ticks the named toggle buttons of a selection dialog and confirms it.
void Tick(QDialog* d, const QStringList& names)
{
    for (QCheckBox* box : d->findChildren<QCheckBox*>())
        if (names.contains(box->text())) Toggle(box);
    QPushButton* ok = Named<QPushButton>(d, "ok");
    ASSERT_NE(ok, nullptr);
    Click(ok);
}

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        OrvMessageWindow::ClearRecorded();
        sandbox_ = std::make_unique<ConfigSandbox>(kConfigFile, Parse(kPortalConfig));
    }
    void TearDown() override
    {
        guard_.reset();
        dialog_.reset();
        sandbox_.reset();
    }

    // A fresh configuration file (the old sandbox ends first).
    void Renew(const std::string& text)
    {
        guard_.reset();
        dialog_.reset();
        sandbox_.reset();
        sandbox_ = std::make_unique<ConfigSandbox>(text, Parse(kPortalConfig));
    }

    OrvConfigDialog& Open(OrvWebServiceJoomla* portal = nullptr)
    {
        dialog_ = std::make_unique<OrvConfigDialog>(portal);
        dialog_->show();
        guard_ = std::make_unique<dlgtest::ModalGuard>(dialog_.get());
        return *dialog_;
    }

    // Double click on the tree entry of the page, as the user opens it.
    template <class P>
    P* Show(int pageID)
    {
        QTreeWidget* tree = dialog_->Tree();
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = tree->topLevelItem(i);
            if (item->data(0, Qt::UserRole).toInt() != pageID) continue;
            const QPoint at = tree->visualItemRect(item).center();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        }
        return dynamic_cast<P*>(dialog_->CurrentPage());
    }

    std::unique_ptr<ConfigSandbox> sandbox_;
    std::unique_ptr<OrvConfigDialog> dialog_;
    std::unique_ptr<dlgtest::ModalGuard> guard_;
};

struct PageCase {
    int treeText;
    int id;
    const char* className;
    int headerText;
};

TEST_F(SettingsDialog, EveryPageOpensFromTheTreeInOrderWithItsHeader)
{
    const PageCase pages[] = {
        {22, ORV_PAGE_LOGIN, "OrvConfigPage_Login", 44},
        {23, ORV_PAGE_UPDATE, "OrvConfigPage_Update", 47},
        {122, ORV_PAGE_LANGUAGE, "OrvConfigPage_Language", 122},
        {233, ORV_PAGE_POOLS, "OrvConfigPage_Pools", 233},
        {171, ORV_PAGE_SCENES, "OrvConfigPage_Scenes", 171},
        {126, ORV_PAGE_CATEGORIES, "OrvConfigPage_Categories", 126},
        {219, ORV_PAGE_DEFAULTS, "OrvConfigPage_Defaults", 219},
        {239, ORV_PAGE_USER_CATEGORIES, "OrvConfigPage_UserCategories", 239},
        {59, ORV_PAGE_ICAL_IMPORT, "OrvConfigPage_ICalImport", 59},
    };
    OrvConfigDialog& d = Open();
    EXPECT_EQ(d.windowTitle(), T(48));
    ASSERT_EQ(d.Tree()->topLevelItemCount(), 9);
    // Backwards, so that none is the page shown at first.
    for (int i = 8; i >= 0; --i) {
        const PageCase& c = pages[i];
        SCOPED_TRACE(c.className);
        EXPECT_EQ(d.Tree()->topLevelItem(i)->text(0), T(c.treeText));
        OrvConfigPage* page = Show<OrvConfigPage>(c.id);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->PageID(), c.id);
        EXPECT_STREQ(page->metaObject()->className(), c.className);
        EXPECT_TRUE(page->isVisible());
        auto* header = page->findChild<OrvConfigPageHeader*>();
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->text(), T(c.headerText));
        EXPECT_EQ(header->height(), 26);
        for (OrvConfigPage* other : d.findChildren<OrvConfigPage*>())
            if (other != page) EXPECT_FALSE(other->isVisible()) << other->metaObject()->className();
    }
    EXPECT_EQ(d.findChildren<OrvConfigPage*>().size(), 9) << "a page shown again is the one made before";
}

TEST_F(SettingsDialog, TextTypedOnAPageSurvivesSwitchingPages)
{
    Open();
    auto* login = Show<OrvConfigPage_Login>(ORV_PAGE_LOGIN);
    ASSERT_NE(login, nullptr);
    login->UserField()->clear();
    QTest::keyClicks(login->UserField(), "neu");
    ASSERT_NE(Show<OrvConfigPage_Language>(ORV_PAGE_LANGUAGE), nullptr);
    auto* again = Show<OrvConfigPage_Login>(ORV_PAGE_LOGIN);
    EXPECT_EQ(again, login);
    EXPECT_EQ(again->UserField()->text(), "neu");
    Click(dialog_->OkButton());
    EXPECT_EQ(sandbox_->Value("DEFAULT", "Username"), "neu") << "a page left before OK is applied too";
}

TEST_F(SettingsDialog, OkWithOneChangeRewritesOnlyThatKey)
{
    const std::string before = sandbox_->Text();
    OrvConfigDialog& d = Open();
    // Every page opened and left as it was.
    for (int id : {ORV_PAGE_LANGUAGE, ORV_PAGE_POOLS, ORV_PAGE_SCENES, ORV_PAGE_CATEGORIES, ORV_PAGE_DEFAULTS,
                   ORV_PAGE_USER_CATEGORIES, ORV_PAGE_ICAL_IMPORT, ORV_PAGE_LOGIN})
        ASSERT_NE(Show<OrvConfigPage>(id), nullptr);
    auto* update = Show<OrvConfigPage_Update>(ORV_PAGE_UPDATE);
    ASSERT_NE(update, nullptr);
    EXPECT_TRUE(update->CheckBox()->isChecked());
    Toggle(update->CheckBox());
    Click(d.OkButton());
    EXPECT_EQ(d.result(), ZAF_DIALOG_OK);
    std::string expected = before;
    const std::string key = "CheckForUpdatesOnStart=1";
    expected.replace(expected.find(key), key.size(), "CheckForUpdatesOnStart=0");
    EXPECT_EQ(sandbox_->Text(), expected);
    EXPECT_TRUE(OrvMessageWindow::Recorded().empty());
}

TEST_F(SettingsDialog, CancelOrEscapeAfterEditingEveryPageWritesNothing)
{
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "escape" : "cancel");
        const std::string before = sandbox_->Text();
        OrvConfigDialog& d = Open();
        auto* login = Show<OrvConfigPage_Login>(ORV_PAGE_LOGIN);
        QTest::keyClicks(login->UserField(), "x");
        Toggle(login->RememberBox());
        Toggle(Show<OrvConfigPage_Update>(ORV_PAGE_UPDATE)->CheckBox());
        auto* language = Show<OrvConfigPage_Language>(ORV_PAGE_LANGUAGE);
        language->Box()->setCurrentIndex(language->Box()->findData(OrvLanguageEnglishUK));
        for (int id : {ORV_PAGE_POOLS, ORV_PAGE_SCENES, ORV_PAGE_CATEGORIES, ORV_PAGE_ICAL_IMPORT}) {
            auto* list = Show<OrvConfigListPage>(id);
            ASSERT_NE(list, nullptr);
            list->Table()->setCurrentCell(0, 0);
            Click(list->DeleteButton());
            EXPECT_TRUE(list->Modified());
        }
        Click(Show<OrvConfigPage_Defaults>(ORV_PAGE_DEFAULTS)->Chooser(1)->ClearButton());
        if (escape) QTest::keyClick(&d, Qt::Key_Escape);
        else Click(d.CancelButton());
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), ZAF_DIALOG_CLOSE);
        EXPECT_EQ(sandbox_->Text(), before);
        EXPECT_EQ(ConfigSandbox::Config().GetEventPoolList()->Count(), 2);
        EXPECT_EQ(ConfigSandbox::Config().GetICalImportList()->Count(), 1);
    }
}

struct LoginCase {
    const char* name;
    bool remember;
    const char* password;      // typed
    const char* storedPassword;
    const char* storedRemember;
};

TEST_F(SettingsDialog, LoginPageStoresNameAndThePasswordOnlyWhenRemembered)
{
    const LoginCase cases[] = {
        {"remembered", true, "neu123", "neu123", "1"},
        {"not remembered", false, "neu123", "", "0"},
    };
    for (const LoginCase& c : cases) {
        SCOPED_TRACE(c.name);
        Renew(kConfigFile);
        OrvConfigDialog& d = Open();
        auto* login = Show<OrvConfigPage_Login>(ORV_PAGE_LOGIN);
        ASSERT_NE(login, nullptr);
        EXPECT_EQ(login->UserField()->text(), "alt");
        EXPECT_EQ(login->PasswordField()->text(), "geheim");
        EXPECT_EQ(login->PasswordField()->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(login->RememberBox()->isChecked());
        login->UserField()->clear();
        QTest::keyClicks(login->UserField(), "maria");
        login->PasswordField()->clear();
        QTest::keyClicks(login->PasswordField(), c.password);
        if (!c.remember) Toggle(login->RememberBox());
        Click(d.OkButton());
        EXPECT_EQ(sandbox_->Value("DEFAULT", "Username"), "maria");
        EXPECT_EQ(sandbox_->Value("DEFAULT", "Password"), c.storedPassword);
        EXPECT_EQ(sandbox_->Value("DEFAULT", "RememberPassword"), c.storedRemember);
        EXPECT_EQ(sandbox_->Value("DEFAULT", "Blocked"), "0") << "not the page's key";
    }
}

TEST_F(SettingsDialog, TypedTextKeepsOnlyWhatTheWindowCodePageHolds)
{
    OrvConfigDialog& d = Open();
    auto* login = Show<OrvConfigPage_Login>(ORV_PAGE_LOGIN);
    login->UserField()->clear();
    TypeText(login->UserField(), QString::fromUtf8("Zoë€☃"));
    EXPECT_EQ(login->UserField()->text(), QString::fromUtf8("Zoë€"));
    // Pasted text keeps the characters that fit.
    QApplication::clipboard()->setText(QString::fromUtf8(" Ä☃B"));
    login->UserField()->setFocus();
    login->UserField()->end(false);
    QTest::keyClick(login->UserField(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(login->UserField()->text(), QString::fromUtf8("Zoë€ ÄB"));
    Click(d.OkButton());
    EXPECT_EQ(sandbox_->Value("DEFAULT", "Username"), "Zo\xEB\x80 \xC4" "B");
}

struct LanguageCase {
    const char* stored;
    int shown;
};

TEST_F(SettingsDialog, OneClickOnTheListShowsThePage)
{
    OrvConfigDialog& d = Open();
    d.show();
    auto* tree = d.findChild<QTreeWidget*>();
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(d.CurrentPage()->PageID(), ORV_PAGE_LOGIN);
    QTreeWidgetItem* language = tree->topLevelItem(2);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(language).center());
    ASSERT_NE(d.CurrentPage(), nullptr);
    EXPECT_EQ(d.CurrentPage()->PageID(), ORV_PAGE_LANGUAGE);
    // The arrow keys move through the pages as well.
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(d.CurrentPage()->PageID(), ORV_PAGE_POOLS);
}

TEST_F(SettingsDialog, LanguagePagePreselectsTheStoredLanguageAndStoresTheChosenOne)
{
    const int system = OrvSystemLanguageID() == OrvLanguageGerman ? OrvLanguageGerman : OrvLanguageEnglishUK;
    const LanguageCase cases[] = {
        {"1031", OrvLanguageGerman}, {"2057", OrvLanguageEnglishUK}, {"1033", OrvLanguageEnglishUK}, {"1", system}};
    for (const LanguageCase& c : cases) {
        SCOPED_TRACE(c.stored);
        std::string text = kConfigFile;
        text.replace(text.find("ApplicationLanguage=1031"), 24, std::string("ApplicationLanguage=") + c.stored);
        Renew(text);
        OrvConfigDialog& d = Open();
        auto* page = Show<OrvConfigPage_Language>(ORV_PAGE_LANGUAGE);
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(page->Box()->count(), 2);
        EXPECT_EQ(page->Box()->itemText(0), T(124));
        EXPECT_EQ(page->Box()->itemData(0).toInt(), OrvLanguageGerman);
        EXPECT_EQ(page->Box()->itemText(1), T(125));
        EXPECT_EQ(page->Box()->itemData(1).toInt(), OrvLanguageEnglishUK);
        EXPECT_EQ(page->Box()->currentData().toInt(), c.shown);
        // Left alone, a chosen value stays; the system's language (1)
        // becomes the one shown; choosing the other one stores it.
        Click(d.OkButton());
        EXPECT_EQ(sandbox_->Value("DEFAULT", "ApplicationLanguage"),
                  std::string(c.stored) == "1" ? std::to_string(system) : std::string(c.stored));
        Open();
        page = Show<OrvConfigPage_Language>(ORV_PAGE_LANGUAGE);
        const int other = c.shown == OrvLanguageGerman ? OrvLanguageEnglishUK : OrvLanguageGerman;
        page->Box()->setCurrentIndex(page->Box()->findData(other));
        Click(dialog_->OkButton());
        EXPECT_EQ(sandbox_->Value("DEFAULT", "ApplicationLanguage"), std::to_string(other));
    }
}

TEST_F(SettingsDialog, PoolsOffersThePortalsPoolsAndKeepsOneFlag)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_Pools>(ORV_PAGE_POOLS);
    ASSERT_NE(page, nullptr);
    QTableWidget* table = page->Table();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), T(39));
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), T(173));
    EXPECT_EQ(table->item(0, 0)->text(), "Latin");
    EXPECT_EQ(table->item(0, 1)->checkState(), Qt::Checked);
    EXPECT_EQ(table->item(1, 1)->checkState(), Qt::Unchecked);

    std::map<QString, bool> offered;
    QString title;
    dlgtest::OnNextModal([&](QDialog* s) {
        title = s->windowTitle();
        offered = Offered(s);
        Tick(s, {"Swing"});
    }, &d);
    Click(page->AddButton());
    EXPECT_EQ(title, T(232));
    // Those in the list are known by name: the stored pools carry their
    // position, not the portal's identifier.
    const std::map<QString, bool> expected = {{"Latin", false}, {"Swing", true}, {"Standard", false}};
    EXPECT_EQ(offered, expected);
    ASSERT_EQ(page->List().Count(), 3);
    EXPECT_EQ(page->List().Item(2)->name, "Swing");
    EXPECT_EQ(page->List().Item(2)->id, 1);

    // The flag of a second pool turns the first one off.
    table->item(1, 1)->setCheckState(Qt::Checked);
    EXPECT_EQ(table->item(0, 1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(table->item(1, 1)->checkState(), Qt::Checked);
    EXPECT_EQ(sandbox_->Value("POOLS", "3"), "<none>") << "nothing is stored before OK";
    Click(d.OkButton());
    EXPECT_EQ(sandbox_->Value("POOLS", "1"), "Latin;0");
    EXPECT_EQ(sandbox_->Value("POOLS", "2"), "Standard;1");
    EXPECT_EQ(sandbox_->Value("POOLS", "3"), "Swing;0");
    EXPECT_EQ(ConfigSandbox::Config().GetEventPoolList()->Count(), 3);
}

TEST_F(SettingsDialog, SelectionDialogCancelledAddsNothing)
{
    OrvConfigDialog& d = Open();
    for (int id : {ORV_PAGE_POOLS, ORV_PAGE_SCENES, ORV_PAGE_CATEGORIES}) {
        auto* page = Show<OrvConfigListPage>(id);
        ASSERT_NE(page, nullptr);
        const int rows = page->Table()->rowCount();
        dlgtest::OnNextModal([](QDialog* s) {
            for (QCheckBox* box : s->findChildren<QCheckBox*>())
                if (box->isEnabled()) Toggle(box);
            s->done(ZAF_DIALOG_CLOSE);
        }, &d);
        Click(page->AddButton());
        EXPECT_EQ(page->Table()->rowCount(), rows);
        EXPECT_FALSE(page->Modified());
    }
    const std::string before = sandbox_->Text();
    Click(d.OkButton());
    EXPECT_EQ(sandbox_->Text(), before);
}

TEST_F(SettingsDialog, ScenesOffersEveryPoolsScenesAndStoresTheChosenOne)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_Scenes>(ORV_PAGE_SCENES);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->Table()->rowCount(), 2);
    EXPECT_EQ(page->Table()->item(0, 0)->text(), "salsa");
    EXPECT_EQ(page->Table()->item(0, 1)->checkState(), Qt::Checked);
    std::map<QString, bool> offered;
    dlgtest::OnNextModal([&](QDialog* s) {
        offered = Offered(s);
        Tick(s, {"bachata", "swing"});
    }, &d);
    Click(page->AddButton());
    const std::map<QString, bool> expected = {
        {"salsa", false}, {"bachata", true}, {"swing", true}, {"tango", false}};
    EXPECT_EQ(offered, expected);
    ASSERT_EQ(page->List().Count(), 4);
    EXPECT_EQ(page->List().Item(2)->id, 3);
    EXPECT_EQ(page->List().Item(3)->id, 5);
    page->Table()->item(3, 1)->setCheckState(Qt::Checked);
    EXPECT_EQ(page->Table()->item(0, 1)->checkState(), Qt::Unchecked);
    // Turning the only flag off leaves none.
    page->Table()->item(3, 1)->setCheckState(Qt::Unchecked);
    for (int r = 0; r < 4; ++r) EXPECT_FALSE(page->List().Item(r)->flag);
    Click(d.OkButton());
    EXPECT_EQ(sandbox_->Value("SCENES", "1"), "salsa;0");
    EXPECT_EQ(sandbox_->Value("SCENES", "3"), "bachata;0");
    EXPECT_EQ(sandbox_->Value("SCENES", "4"), "swing;0");
    OrvEventSceneList* scenes = ConfigSandbox::Config().GetEventSceneList();
    ASSERT_EQ(scenes->Count(), 4);
    EXPECT_EQ(scenes->Item(2)->id, 3) << "read back by name";
}

TEST_F(SettingsDialog, CategoriesOfferTheBuiltInTableWithoutTheFirstRow)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_Categories>(ORV_PAGE_CATEGORIES);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->Table()->rowCount(), 2);
    EXPECT_EQ(page->Table()->item(0, 0)->text(), T(OrvCalendarConfig::CategoryTextNumber(301)));
    std::map<QString, bool> offered;
    const QString course = T(OrvCalendarConfig::CategoryTextNumber(101));
    dlgtest::OnNextModal([&](QDialog* s) {
        offered = Offered(s);
        Tick(s, {course});
    }, &d);
    Click(page->AddButton());
    EXPECT_EQ(offered.size(), 15u);
    EXPECT_EQ(offered.count(T(OrvCalendarConfig::CategoryTextNumber(1))), 0u);
    EXPECT_FALSE(offered[T(OrvCalendarConfig::CategoryTextNumber(301))]);
    EXPECT_FALSE(offered[T(OrvCalendarConfig::CategoryTextNumber(201))]);
    EXPECT_TRUE(offered[course]);
    ASSERT_EQ(page->List().Count(), 3);
    EXPECT_EQ(page->List().Item(2)->id, 101);
    EXPECT_EQ(page->List().Item(2)->textNumber, OrvCalendarConfig::CategoryTextNumber(101));
    EXPECT_EQ(page->List().Item(2)->flag, 0);
    // The first row goes.
    page->Table()->setCurrentCell(0, 0);
    Click(page->DeleteButton());
    Click(d.OkButton());
    EXPECT_EQ(sandbox_->Value("CATEGORIES", "1"), "201");
    EXPECT_EQ(sandbox_->Value("CATEGORIES", "2"), "101");
    EXPECT_EQ(sandbox_->Value("CATEGORIES", "3"), "");
}

struct DeleteCase {
    int page;
    const char* section;
    const char* first;    // key 1 after the first row went
    const char* second;   // key 2
};

TEST_F(SettingsDialog, DeleteRemovesTheCurrentRowOnly)
{
    const DeleteCase cases[] = {
        {ORV_PAGE_POOLS, "POOLS", "Standard;0", ""},
        {ORV_PAGE_SCENES, "SCENES", "tango;0", ""},
        {ORV_PAGE_CATEGORIES, "CATEGORIES", "201", ""},
        {ORV_PAGE_ICAL_IMPORT, "ICALIMPORTS", "", "<none>"},
    };
    OrvConfigDialog& d = Open();
    for (const DeleteCase& c : cases) {
        auto* page = Show<OrvConfigListPage>(c.page);
        ASSERT_NE(page, nullptr);
        const int rows = page->Table()->rowCount();
        const QString second = rows > 1 ? page->Table()->item(1, 0)->text() : QString();
        page->Table()->setCurrentCell(0, 0);
        Click(page->DeleteButton());
        EXPECT_EQ(page->Table()->rowCount(), rows - 1) << c.section;
        if (rows > 1) EXPECT_EQ(page->Table()->item(0, 0)->text(), second) << c.section;
    }
    Click(d.OkButton());
    for (const DeleteCase& c : cases) {
        EXPECT_EQ(sandbox_->Value(c.section, "1"), c.first) << c.section;
        EXPECT_EQ(sandbox_->Value(c.section, "2"), c.second) << c.section;
    }
}

TEST_F(SettingsDialog, EmptyListDisablesEditAndDelete)
{
    OrvConfigDialog& d = Open();
    for (int id : {ORV_PAGE_POOLS, ORV_PAGE_SCENES, ORV_PAGE_CATEGORIES, ORV_PAGE_ICAL_IMPORT}) {
        auto* page = Show<OrvConfigListPage>(id);
        ASSERT_NE(page, nullptr);
        SCOPED_TRACE(page->metaObject()->className());
        EXPECT_TRUE(page->EditButton()->isEnabled());
        while (page->Table()->rowCount() > 0) {
            page->Table()->setCurrentCell(0, 0);
            Click(page->DeleteButton());
        }
        EXPECT_FALSE(page->EditButton()->isEnabled());
        EXPECT_FALSE(page->DeleteButton()->isEnabled());
        EXPECT_TRUE(page->AddButton()->isEnabled());
    }
    Click(d.OkButton());
    for (const char* section : {"POOLS", "SCENES", "CATEGORIES", "ICALIMPORTS"})
        EXPECT_EQ(sandbox_->Value(section, "1"), "") << section;
    EXPECT_EQ(ConfigSandbox::Config().GetEventPoolList()->Count(), 0);
}

// Import profiles without the portal: persons cannot be chosen.
TEST_F(SettingsDialog, ImportProfilesAreAddedEditedAndDeleted)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_ICalImport>(ORV_PAGE_ICAL_IMPORT);
    ASSERT_NE(page, nullptr);
    QTableWidget* table = page->Table();
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text(), "Salsa Club");
    EXPECT_EQ(table->item(0, 1)->text(), "salsa");
    EXPECT_EQ(table->item(0, 2)->text(), OrvQString(OrvCalendarConfig::CategoryName(301)));
    EXPECT_EQ(table->verticalHeaderItem(0)->text(), "1 ");
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), T(161));

    // Add: a name longer than 25 characters is cut.
    const int workshop = 201;
    dlgtest::OnNextModal([&](QDialog* dd) {
        auto* p = qobject_cast<OrvICalImportDialog*>(dd);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->windowTitle(), T(239));
        EXPECT_EQ(p->NameField()->text(), "");
        EXPECT_FALSE(p->Person(1)->ChooseButton()->isEnabled());
        TypeText(p->NameField(), QString::fromUtf8("Tango Marathon Hamburg Nord Süd"));
        p->SceneBox()->setCurrentIndex(p->SceneBox()->findText("tango"));
        p->CategoryBox()->setCurrentIndex(p->CategoryBox()->findData(workshop));
        Click(p->OkButton());
    }, &d);
    Click(page->AddButton());
    ASSERT_EQ(page->List().Count(), 2);
    const OrvICalImportElement* made = page->List().Item(1);
    EXPECT_EQ(made->id, 2);
    EXPECT_EQ(made->name, "Tango Marathon Hamburg No");
    EXPECT_EQ(made->sceneName, "tango");
    EXPECT_EQ(made->categoryID, workshop);
    EXPECT_EQ(table->verticalHeaderItem(1)->text(), "2 ");

    // Add with an empty name, and add cancelled: nothing.
    dlgtest::OnNextModal([](QDialog* dd) { Click(qobject_cast<OrvICalImportDialog*>(dd)->OkButton()); }, &d);
    Click(page->AddButton());
    dlgtest::OnNextModal([](QDialog* dd) {
        QTest::keyClicks(qobject_cast<OrvICalImportDialog*>(dd)->NameField(), "Abbruch");
        dd->done(ZAF_DIALOG_CLOSE);
    }, &d);
    Click(page->AddButton());
    EXPECT_EQ(page->List().Count(), 2);

    // Edit the first row: the dialog is filled from it; persons stay.
    table->setCurrentCell(0, 0);
    dlgtest::OnNextModal([](QDialog* dd) {
        auto* p = qobject_cast<OrvICalImportDialog*>(dd);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->NameField()->text(), "Salsa Club");
        EXPECT_EQ(p->SceneBox()->currentText(), "salsa");
        EXPECT_EQ(p->CategoryBox()->currentData().toInt(), 301);
        EXPECT_EQ(p->Person(1)->Field()->text(), "Tanzhaus Mitte");
        EXPECT_EQ(p->Person(2)->Field()->text(), "Tanzschule Rhythmus");
        QTest::keyClicks(p->NameField(), " Berlin");
        Click(p->OkButton());
    }, &d);
    Click(page->EditButton());
    EXPECT_EQ(page->List().Item(0)->name, "Salsa Club Berlin");
    EXPECT_EQ(page->List().Item(0)->id, 1);
    EXPECT_EQ(page->List().Item(0)->person2ID, 4);
    EXPECT_EQ(table->item(0, 0)->text(), "Salsa Club Berlin");

    // An edit that empties the name changes nothing.
    dlgtest::OnNextModal([](QDialog* dd) {
        auto* p = qobject_cast<OrvICalImportDialog*>(dd);
        p->NameField()->clear();
        Click(p->OkButton());
    }, &d);
    Click(page->EditButton());
    EXPECT_EQ(page->List().Item(0)->name, "Salsa Club Berlin");

    Click(d.OkButton());
    EXPECT_EQ(sandbox_->Value("ICALIMPORTS", "1"), "Salsa Club Berlin;salsa;301;7;Tanzhaus Mitte;4;Tanzschule Rhythmus");
    OrvICalImportList* stored = ConfigSandbox::Config().GetICalImportList();
    ASSERT_EQ(stored->Count(), 2);
    EXPECT_EQ(stored->Item(1)->name, "Tango Marathon Hamburg No");
    EXPECT_EQ(stored->Item(1)->sceneName, "tango");
    EXPECT_EQ(stored->Item(1)->categoryID, workshop);
}

// An empty scene would leave an empty field in the stored profile.
TEST_F(SettingsDialog, NewImportProfileStartsOnTheDefaultScene)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_ICalImport>(ORV_PAGE_ICAL_IMPORT);
    QString scene;
    dlgtest::OnNextModal([&scene](QDialog* dd) {
        auto* p = qobject_cast<OrvICalImportDialog*>(dd);
        ASSERT_NE(p, nullptr);
        scene = p->SceneBox()->currentText();
        QTest::keyClicks(p->NameField(), "Neu");
        p->CategoryBox()->setCurrentIndex(p->CategoryBox()->findData(302));
        Click(p->OkButton());
    }, &d);
    Click(page->AddButton());
    EXPECT_EQ(scene, "salsa") << "the flagged scene";
    Click(d.OkButton());
    OrvICalImportList* stored = ConfigSandbox::Config().GetICalImportList();
    ASSERT_EQ(stored->Count(), 2);
    EXPECT_EQ(stored->Item(1)->sceneName, "salsa");
    EXPECT_EQ(stored->Item(1)->categoryID, 302);
}

// The profile is stored as fields separated by ";": a name holding one
// would shift every field after it when read back.
TEST_F(SettingsDialog, ImportProfileNameWithTheFieldSeparatorIsRefused)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_ICalImport>(ORV_PAGE_ICAL_IMPORT);
    bool stayedOpen = false;
    dlgtest::OnNextModal([&](QDialog* dd) {
        auto* p = qobject_cast<OrvICalImportDialog*>(dd);
        ASSERT_NE(p, nullptr);
        QTest::keyClicks(p->NameField(), "Salsa;Berlin");
        p->SceneBox()->setCurrentIndex(0);
        Click(p->OkButton());
        stayedOpen = p->isVisible();
        EXPECT_FALSE(OrvMessageWindow::Recorded().empty()) << "the user is told why";
        p->NameField()->clear();
        QTest::keyClicks(p->NameField(), "Salsa Berlin");
        Click(p->OkButton());
    }, &d);
    Click(page->AddButton());
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(page->List().Count(), 2);
    EXPECT_EQ(page->List().Item(1)->name, "Salsa Berlin");
}

TEST_F(SettingsDialog, EntryPointRunsTheDialogModally)
{
    struct RunCase {
        bool ok;
        const char* typed;
        int result;
        const char* username;
    };
    for (const RunCase& c :
         {RunCase{true, "modal", ZAF_DIALOG_OK, "modal"}, RunCase{false, "nie", ZAF_DIALOG_CLOSE, "modal"}}) {
        dlgtest::ModalGuard guard;
        dlgtest::OnNextModal([&c](QDialog* dd) {
            auto* d = qobject_cast<OrvConfigDialog*>(dd);
            ASSERT_NE(d, nullptr);
            auto* login = dynamic_cast<OrvConfigPage_Login*>(d->CurrentPage());
            ASSERT_NE(login, nullptr) << "the login page is shown first";
            login->UserField()->clear();
            QTest::keyClicks(login->UserField(), c.typed);
            Click(c.ok ? d->OkButton() : d->CancelButton());
        });
        EXPECT_EQ(OrvRunSettingsDialog(nullptr, nullptr), c.result);
        EXPECT_EQ(sandbox_->Value("DEFAULT", "Username"), c.username);
    }
}

// --- pages that need the portal ------------------------------------------------

class SettingsWithPortal : public pmtest::PortalFixture {
public:
    SettingsWithPortal() { testFaults_ = true; }  // some of its tests switch the service's faults

protected:
    void SetUp() override
    {
        pmtest::PortalFixture::SetUp();
        OrvMessageWindow::ClearRecorded();
        json::Object portalConfig;
        ASSERT_EQ(client_->Service().ApplicationGetConfig(portalConfig), 0);
        sandbox_ = std::make_unique<ConfigSandbox>(kConfigFile, portalConfig);
    }
    void TearDown() override
    {
        guard_.reset();
        dialog_.reset();
        sandbox_.reset();
        pmtest::PortalFixture::TearDown();
    }
    OrvConfigDialog& Open()
    {
        dialog_ = std::make_unique<OrvConfigDialog>(&client_->Service());
        dialog_->show();
        guard_ = std::make_unique<dlgtest::ModalGuard>(dialog_.get());
        return *dialog_;
    }
    template <class P>
    P* Show(int pageID)
    {
        OrvSendEvent(dialog_.get(), OrvEvent(ORV_CFG_SHOW_PAGE, pageID));
        return dynamic_cast<P*>(dialog_->CurrentPage());
    }
    // The user categories the portal holds now.
    std::vector<std::string> PortalCategories()
    {
        json::Object config;
        std::vector<std::string> names;
        if (client_->Service().ApplicationGetConfig(config) != 0) return names;
        const json::Array& list = config["user_categories"];
        for (size_t i = 0; i < list.Size(); ++i) names.push_back(static_cast<const json::String&>(list[i]).Value());
        return names;
    }
    // Picks the entry of that text in a person chooser's list dialog.
    static void PickPerson(QDialog* d, const QString& name, QStringList* shown = nullptr)
    {
        auto* list = d->findChild<QListWidget*>();
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->count(); ++i) {
            if (shown) shown->append(list->item(i)->text());
            if (list->item(i)->text() == name) list->setCurrentRow(i);
        }
        QPushButton* ok = Named<QPushButton>(d, "ok");
        ASSERT_NE(ok, nullptr);
        Click(ok);
    }

    std::unique_ptr<ConfigSandbox> sandbox_;
    std::unique_ptr<OrvConfigDialog> dialog_;
    std::unique_ptr<dlgtest::ModalGuard> guard_;
};

TEST_F(SettingsWithPortal, UserCategoriesAreEditedAndReachThePortalOnOk)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_UserCategories>(ORV_PAGE_USER_CATEGORIES);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->Table()->rowCount(), 3);
    EXPECT_EQ(page->Table()->item(0, 0)->text(), "Stammtisch");

    dlgtest::OnNextModal([](QDialog* dd) {
        auto* c = qobject_cast<OrvUserCategorieDialog*>(dd);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->Field()->text(), "");
        TypeText(c->Field(), QString::fromUtf8("Übungs\"abend☃"));
        Click(c->OkButton());
    }, &d);
    Click(page->AddButton());
    ASSERT_EQ(page->List().Count(), 4);
    EXPECT_EQ(page->List().Item(3)->id, 4);
    EXPECT_EQ(page->List().Item(3)->name, "\xDC" "bungs\"abend");

    page->Table()->setCurrentCell(1, 0);
    dlgtest::OnNextModal([](QDialog* dd) {
        auto* c = qobject_cast<OrvUserCategorieDialog*>(dd);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->Field()->text(), "Schnupperabend");
        QTest::keyClicks(c->Field(), " Mitte");
        Click(c->OkButton());
    }, &d);
    Click(page->EditButton());
    // An emptied name leaves the row as it was.
    page->Table()->setCurrentCell(0, 0);
    dlgtest::OnNextModal([](QDialog* dd) {
        auto* c = qobject_cast<OrvUserCategorieDialog*>(dd);
        c->Field()->clear();
        Click(c->OkButton());
    }, &d);
    Click(page->EditButton());
    EXPECT_EQ(page->List().Item(0)->name, "Stammtisch");
    EXPECT_EQ(PortalCategories().size(), 3u) << "nothing sent before OK";

    Click(d.OkButton());
    EXPECT_EQ(d.result(), ZAF_DIALOG_OK);
    EXPECT_EQ(page->ApplyResult(), 0);
    const std::vector<std::string> expected = {"Stammtisch", "Schnupperabend Mitte", "Special",
                                               "\xC3\x9c" "bungs\"abend"};
    EXPECT_EQ(PortalCategories(), expected);
    OrvUserCategoryList* own = ConfigSandbox::Config().GetUserCategoryList();
    ASSERT_EQ(own->Count(), 4);
    EXPECT_EQ(own->Item(1)->name, "Schnupperabend Mitte");
}

TEST_F(SettingsWithPortal, UserCategoriesRefusedByThePortalAreKeptAndTheUserIsTold)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_UserCategories>(ORV_PAGE_USER_CATEGORIES);
    ASSERT_NE(page, nullptr);
    page->Table()->setCurrentCell(2, 0);
    Click(page->DeleteButton());
    Toggle(Show<OrvConfigPage_Update>(ORV_PAGE_UPDATE)->CheckBox());
    Show<OrvConfigPage>(ORV_PAGE_USER_CATEGORIES);
    const std::string before = sandbox_->Text();
    ASSERT_TRUE(server_->SetFault("retcode=-5:V001_User_SetCategories"));
    Click(d.OkButton());
    EXPECT_NE(page->ApplyResult(), 0);
    EXPECT_TRUE(d.isVisible()) << "the edited list is not thrown away";
    EXPECT_EQ(d.CurrentPage(), page);
    EXPECT_EQ(sandbox_->Text(), before) << "nothing else is stored either";
    ASSERT_FALSE(OrvMessageWindow::Recorded().empty());
    EXPECT_EQ(OrvMessageWindow::Recorded().back().title, "ERROR");
    EXPECT_EQ(page->List().Count(), 2);
    EXPECT_EQ(ConfigSandbox::Config().GetUserCategoryList()->Count(), 3) << "the configuration keeps its list";

    // Once the portal takes it, OK closes.
    ASSERT_TRUE(server_->SetFault("none"));
    Click(d.OkButton());
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), ZAF_DIALOG_OK);
    EXPECT_EQ(PortalCategories(), (std::vector<std::string>{"Stammtisch", "Schnupperabend"}));
    EXPECT_EQ(sandbox_->Value("DEFAULT", "CheckForUpdatesOnStart"), "0");
}

TEST_F(SettingsWithPortal, CancelAfterARefusedOkStoresNothing)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_UserCategories>(ORV_PAGE_USER_CATEGORIES);
    page->Table()->setCurrentCell(0, 0);
    Click(page->DeleteButton());
    auto* login = Show<OrvConfigPage_Login>(ORV_PAGE_LOGIN);
    QTest::keyClicks(login->UserField(), "2");
    const std::string before = sandbox_->Text();
    ASSERT_TRUE(server_->SetFault("retcode=-5:V001_User_SetCategories"));
    Click(d.OkButton());
    ASSERT_TRUE(d.isVisible());
    Click(d.CancelButton());
    EXPECT_EQ(d.result(), ZAF_DIALOG_CLOSE);
    EXPECT_EQ(sandbox_->Text(), before);
    EXPECT_EQ(ConfigSandbox::Config().GetUserCategoryList()->Count(), 3);
}

TEST_F(SettingsWithPortal, CancelSendsNoCategories)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_UserCategories>(ORV_PAGE_USER_CATEGORIES);
    page->Table()->setCurrentCell(0, 0);
    Click(page->DeleteButton());
    Click(d.CancelButton());
    EXPECT_EQ(PortalCategories().size(), 3u);
}

TEST_F(SettingsWithPortal, DefaultPersonsAreChosenFromThePortalAndCleared)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_Defaults>(ORV_PAGE_DEFAULTS);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Chooser(1)->Field()->text(), "Tanzhaus Mitte");
    EXPECT_EQ(page->Chooser(1)->ID(), 7);
    EXPECT_EQ(page->Chooser(2)->Field()->text(), "Tanzschule Rhythmus");
    EXPECT_TRUE(page->Chooser(1)->ChooseButton()->isEnabled());

    QStringList locations;
    dlgtest::OnNextModal([&](QDialog* dd) { PickPerson(dd, "Salsa Club Hafen", &locations); }, &d);
    Click(page->Chooser(1)->ChooseButton());
    EXPECT_TRUE(locations.contains("Tanzhaus Mitte"));
    EXPECT_TRUE(locations.contains(QString::fromUtf8("Kulturzentrum Süd")));
    EXPECT_FALSE(locations.contains("Tanzschule Rhythmus")) << "only persons of the first kind";
    EXPECT_EQ(page->Chooser(1)->Field()->text(), "Salsa Club Hafen");
    const int club = page->Chooser(1)->ID();
    EXPECT_GT(club, 0);

    // Cancelled: nothing changes.
    dlgtest::OnNextModal([](QDialog* dd) { dd->done(ZAF_DIALOG_CLOSE); }, &d);
    Click(page->Chooser(1)->ChooseButton());
    EXPECT_EQ(page->Chooser(1)->ID(), club);

    Click(page->Chooser(2)->ClearButton());
    EXPECT_EQ(page->Chooser(2)->Field()->text(), "");
    Click(d.OkButton());
    EXPECT_EQ(sandbox_->Value("DEFAULTS", "1"), std::to_string(club) + ";Salsa Club Hafen");
    EXPECT_EQ(sandbox_->Value("DEFAULTS", "2"), "0;");
}

TEST_F(SettingsWithPortal, PersonListThePortalRefusesIsReportedAndChangesNothing)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_Defaults>(ORV_PAGE_DEFAULTS);
    ASSERT_TRUE(server_->SetFault("retcode=-4:V001_Person_GetList"));
    EXPECT_FALSE(page->Chooser(1)->Choose());
    ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u);
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, "ERROR");
    EXPECT_EQ(page->Chooser(1)->ID(), 7);
    EXPECT_EQ(page->Chooser(1)->Field()->text(), "Tanzhaus Mitte");
    const std::string before = sandbox_->Text();
    Click(d.OkButton());
    EXPECT_EQ(sandbox_->Text(), before);
}

// Another person of the same name is a change too.
TEST_F(SettingsWithPortal, DefaultPersonOfTheSameNameButAnotherIdIsStored)
{
    std::string text = kConfigFile;
    text.replace(text.find("1=7;Tanzhaus Mitte"), 18, "1=999;Tanzhaus Mitte");
    const json::Object portalConfig = ConfigSandbox::Config().PortalConfig();
    sandbox_.reset();
    sandbox_ = std::make_unique<ConfigSandbox>(text, portalConfig);
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_Defaults>(ORV_PAGE_DEFAULTS);
    EXPECT_EQ(page->Chooser(1)->ID(), 999);
    dlgtest::OnNextModal([](QDialog* dd) { PickPerson(dd, "Tanzhaus Mitte"); }, &d);
    Click(page->Chooser(1)->ChooseButton());
    const int id = page->Chooser(1)->ID();
    ASSERT_GT(id, 0);
    ASSERT_NE(id, 999);
    Click(d.OkButton());
    EXPECT_EQ(sandbox_->Value("DEFAULTS", "1"), std::to_string(id) + ";Tanzhaus Mitte");
}

TEST_F(SettingsWithPortal, ImportProfileTakesPersonsOfBothKinds)
{
    OrvConfigDialog& d = Open();
    auto* page = Show<OrvConfigPage_ICalImport>(ORV_PAGE_ICAL_IMPORT);
    ASSERT_NE(page, nullptr);
    page->Table()->setCurrentCell(0, 0);
    QStringList organizers;
    dlgtest::OnNextModal([&](QDialog* dd) {
        auto* p = qobject_cast<OrvICalImportDialog*>(dd);
        ASSERT_NE(p, nullptr);
        dlgtest::OnNextModal([&](QDialog* list) { PickPerson(list, "Latin Events Nord", &organizers); }, p);
        Click(p->Person(2)->ChooseButton());
        Click(p->Person(1)->ClearButton());
        Click(p->OkButton());
    }, &d);
    Click(page->EditButton());
    EXPECT_TRUE(organizers.contains("Tanzschule Rhythmus"));
    EXPECT_FALSE(organizers.contains("Tanzhaus Mitte"));
    const OrvICalImportElement* p = page->List().Item(0);
    EXPECT_EQ(p->person1ID, 0);
    EXPECT_EQ(p->person1Name, "");
    EXPECT_EQ(p->person2Name, "Latin Events Nord");
    EXPECT_GT(p->person2ID, 0);
    Click(d.OkButton());
    EXPECT_EQ(sandbox_->Value("ICALIMPORTS", "1"),
              "Salsa Club;salsa;301;0;;" + std::to_string(p->person2ID) + ";Latin Events Nord");
}

}  // namespace
