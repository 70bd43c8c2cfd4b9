// The calendar manager driven as a user would, against the local portal
// service: choosing, editing and adding queries, OK and cancel, reopening.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "PortalMethodsSupport.h"
#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvQtEvent.h"
#include "views/editors/OrvCalQuery.h"
#include "views/editors/OrvCalendarManager.h"
#include "views/editors/OrvPortalDialogs.h"

#include "tests/support/OrvTestInput.h"

namespace {

using orvinput::TypeText;

class CalendarManager : public pmtest::PortalFixture {
protected:
    void SetUp() override
    {
        pmtest::PortalFixture::SetUp();
        OrvCalendarConfig* config = OrvCalendarConfig::Get();
        json::Object portalConfig;
        ASSERT_EQ(client_->Service().ApplicationGetConfig(portalConfig), 0);
        config->SetPortalConfig(portalConfig);
        OrvEventPoolList pools;
        pools.Add(new OrvEventPoolElement(1, "Latin", true));
        pools.Add(new OrvEventPoolElement(2, "Standard", false));
        config->SetEventPoolList(pools);
        OrvEventSceneList scenes;
        scenes.Add(new OrvEventSceneElement(2, "salsa", true));
        scenes.Add(new OrvEventSceneElement(4, "tango", false));
        config->SetEventSceneList(scenes);
    }

    // A fresh manager over the list fetched from the portal, shown.
    std::unique_ptr<OrvCalendarManager> Open()
    {
        OrvCalQueryList& list = OrvGetCalQueryList(client_->Service());
        auto manager = std::make_unique<OrvCalendarManager>(list, &client_->Service(), 0);
        manager->show();
        return manager;
    }

    // The queries on the portal now.
    OrvCalQueryList& OnPortal()
    {
        OrvCalQueryList& list = OrvGetCalQueryList(client_->Service());
        return list;
    }

    static void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    static void Select(OrvCalendarManager& m, int id)
    {
        OrvCMCalendarItem* item = m.ItemOf(id);
        ASSERT_NE(item, nullptr);
        QRect r = m.Tree()->visualItemRect(item);
        QTest::mouseClick(m.Tree()->viewport(), Qt::LeftButton, {}, r.center());
    }
};

TEST_F(CalendarManager, TreeShowsTheQueriesAndTheInactiveButtons)
{
    auto m = Open();
    EXPECT_EQ(m->RootItem()->text(0), QString::fromLatin1(OrvText(235)));
    EXPECT_TRUE(m->RootItem()->isExpanded());
    ASSERT_EQ(m->RootItem()->childCount(), 2);
    EXPECT_EQ(m->RootItem()->child(0)->text(0), "Salsa in Berlin");
    EXPECT_EQ(m->RootItem()->child(1)->text(0), "Annas Termine");
    EXPECT_FALSE(m->OpenButton()->isEnabled());
    EXPECT_FALSE(m->DeleteButton()->isEnabled());
    EXPECT_FALSE(m->RenameButton()->isEnabled());
    EXPECT_TRUE(m->NewButton()->isEnabled());
    EXPECT_EQ(m->CurrentID(), 0);
    EXPECT_FALSE(m->GeneralPage()->NameField()->isEnabled()) << "nothing to edit before a query is chosen";
}

TEST_F(CalendarManager, ChoosingAQueryShowsItAndTheTypeRuleEnablesItsControls)
{
    auto m = Open();
    OrvCMPageGeneral* page = m->GeneralPage();
    Select(*m, 1);
    EXPECT_EQ(m->CurrentID(), 1);
    EXPECT_EQ(page->NameField()->text(), "Salsa in Berlin");
    EXPECT_EQ(page->TypeBox()->Value(), 3);
    EXPECT_EQ(page->PoolBox()->currentText(), "Latin");
    EXPECT_EQ(page->SceneBox()->currentText(), "salsa");
    EXPECT_TRUE(page->LessonBox()->isChecked());
    EXPECT_FALSE(page->WorkshopBox()->isChecked());
    EXPECT_TRUE(page->EventBox()->isChecked());
    EXPECT_EQ(page->CountryField()->text(), "D");
    EXPECT_EQ(page->CityField()->text(), "Berlin");
    // Selection: the place and kind controls, not the user.
    EXPECT_TRUE(page->PoolBox()->isEnabled());
    EXPECT_TRUE(page->CityField()->isEnabled());
    EXPECT_FALSE(page->UserField()->isEnabled());
    EXPECT_FALSE(page->UserButton()->isEnabled());

    Select(*m, 2);
    EXPECT_EQ(m->CurrentID(), 2);
    EXPECT_EQ(page->TypeBox()->Value(), 2);
    EXPECT_EQ(page->UserField()->text(), "Anna Beispiel");
    EXPECT_NE(page->UserID(), 0);
    EXPECT_TRUE(page->UserButton()->isEnabled());
    EXPECT_FALSE(page->PoolBox()->isEnabled());
    EXPECT_FALSE(page->LessonBox()->isEnabled());
    EXPECT_FALSE(page->ZipField()->isEnabled());

    // Changing the type switches the controls at once.
    page->TypeBox()->setCurrentIndex(page->TypeBox()->findData(3));
    EXPECT_TRUE(page->PoolBox()->isEnabled());
    EXPECT_FALSE(page->UserButton()->isEnabled());

    // An id that is not in the list changes nothing.
    OrvSendEvent(m.get(), OrvEvent(ORV_CM_SELECT, 77));
    EXPECT_EQ(m->CurrentID(), 2);
}

// Not passing yet: it stalls or fails in the offscreen run; kept disabled until the dialog is fixed.
TEST_F(CalendarManager, TypingRenamesTheTreeItemAtOnceAndTheQueryOnlyOnOk)
{
    auto m = Open();
    Select(*m, 1);
    OrvLineEdit* name = m->GeneralPage()->NameField();
    name->clear();
    TypeText(name, QString::fromUtf8("Salsa Köln"));
    EXPECT_EQ(m->ItemOf(1)->text(0), QString::fromUtf8("Salsa Köln"));
    EXPECT_EQ(OrvCalQueries().FindID(1)->name, "Salsa in Berlin") << "the query changes only on OK";
    // A character the code page cannot hold is refused.
    TypeText(name, QString::fromUtf8("€☃"));
    EXPECT_EQ(name->text(), QString::fromUtf8("Salsa Köln€"));

    QTest::keyClicks(m->GeneralPage()->ZipField(), "50667");
    Click(m->GeneralPage()->WorkshopBox());
    Click(m->OkButton());
    EXPECT_EQ(m->result(), ZAF_DIALOG_OK);

    OrvCalQueryList& portal = OnPortal();
    ASSERT_EQ(portal.Count(), 2);
    const OrvCalQuery* q = portal.Item(0);
    EXPECT_EQ(q->name, "Salsa K\xF6ln\x80");
    EXPECT_EQ(q->zip, "50667");
    EXPECT_TRUE(q->workshop);
    EXPECT_TRUE(q->lesson) << "fields not touched keep their values";
    EXPECT_EQ(q->pool, "Latin");
    EXPECT_EQ(q->scenes, "salsa");
    EXPECT_EQ(portal.Item(1)->name, "Annas Termine");
}

TEST_F(CalendarManager, CancelWritesNothingAndKeepsTheList)
{
    auto m = Open();
    Select(*m, 1);
    QTest::keyClicks(m->GeneralPage()->CityField(), "-Mitte");
    Click(m->CancelButton());
    EXPECT_EQ(m->result(), ZAF_DIALOG_CLOSE);
    EXPECT_EQ(OrvCalQueries().FindID(1)->city, "Berlin");
    EXPECT_EQ(OnPortal().Item(0)->city, "Berlin");
}

TEST_F(CalendarManager, NewQueryIsAppendedShownAndWrittenOnOk)
{
    auto m = Open();
    Click(m->NewButton());
    ASSERT_EQ(OrvCalQueries().Count(), 3);
    const OrvCalQuery* made = OrvCalQueries().Item(2);
    EXPECT_EQ(made->id, 3);
    EXPECT_EQ(made->type, 3);
    EXPECT_EQ(made->name, OrvText(224));
    EXPECT_EQ(m->CurrentID(), 3);
    ASSERT_NE(m->ItemOf(3), nullptr);
    EXPECT_EQ(m->ItemOf(3)->parent(), m->RootItem());
    OrvCMPageGeneral* page = m->GeneralPage();
    EXPECT_EQ(page->NameField()->text(), QString::fromLatin1(OrvText(224)));
    EXPECT_EQ(page->PoolBox()->currentIndex(), -1);

    page->NameField()->clear();
    QTest::keyClicks(page->NameField(), "Tango");
    page->PoolBox()->setCurrentIndex(page->PoolBox()->findText("Standard"));
    page->SceneBox()->setCurrentIndex(page->SceneBox()->findText("tango"));
    Click(page->LessonBox());
    QTest::keyClicks(page->CityField(), "Hamburg");
    Click(m->OkButton());

    // Reopening reads the list from the portal again.
    auto again = Open();
    ASSERT_EQ(OrvCalQueries().Count(), 3);
    const OrvCalQuery* q = OrvCalQueries().Item(2);
    EXPECT_EQ(q->id, 3);
    EXPECT_EQ(q->name, "Tango");
    EXPECT_EQ(q->pool, "Standard");
    EXPECT_EQ(q->scenes, "tango");
    EXPECT_TRUE(q->lesson);
    EXPECT_FALSE(q->event);
    EXPECT_EQ(q->city, "Hamburg");
    EXPECT_EQ(again->RootItem()->childCount(), 3);
}

TEST_F(CalendarManager, NewQueryStaysAfterCancelUntilTheNextFetch)
{
    auto m = Open();
    Click(m->NewButton());
    Click(m->CancelButton());
    EXPECT_EQ(OrvCalQueries().Count(), 3);
    OrvGetCalQueryList(client_->Service());
    EXPECT_EQ(OrvCalQueries().Count(), 2) << "the portal never got it";
}

TEST_F(CalendarManager, OkWithoutAChosenQueryWritesTheListUnchanged)
{
    auto m = Open();
    const std::string before = OrvCalQueries().JSON();
    const size_t rows = client_->Log().size();
    Click(m->OkButton());
    EXPECT_EQ(m->result(), ZAF_DIALOG_OK);
    bool sent = false;
    for (const pmtest::LogRow& row : client_->LogFrom(rows)) sent = sent || row.task.find("UserSetBackendQueries") != std::string::npos || row.message.find("UserSetBackendQueries") != std::string::npos;
    EXPECT_TRUE(sent) << "OK writes the list";
    EXPECT_EQ(OnPortal().JSON(), before);
}

TEST_F(CalendarManager, QueryOfTypeMyKeepsItsTypeWhenOnlyTheNameChanges)
{
    OrvCalQueryList& list = OrvGetCalQueryList(client_->Service());
    list.Item(0)->type = 1;
    list.Item(0)->pool = "Unbekannt";   // a pool the configuration does not hold
    ASSERT_EQ(OrvWriteCalQueryList(client_->Service(), list), 0);
    auto m = Open();
    Select(*m, 1);
    EXPECT_EQ(m->GeneralPage()->TypeBox()->Value(), -1) << "the box offers no \"my\"";
    EXPECT_TRUE(m->GeneralPage()->PoolBox()->isEnabled());
    QTest::keyClicks(m->GeneralPage()->NameField(), "!");
    Click(m->OkButton());
    const OrvCalQuery* q = OnPortal().Item(0);
    EXPECT_EQ(q->type, 1);
    EXPECT_EQ(q->pool, "Unbekannt");
    EXPECT_EQ(q->name, "Salsa in Berlin!");
}

TEST_F(CalendarManager, UserIsChosenInTheSelectionDialog)
{
    auto m = Open();
    Select(*m, 1);
    OrvCMPageGeneral* page = m->GeneralPage();
    page->TypeBox()->setCurrentIndex(page->TypeBox()->findData(2));
    ASSERT_TRUE(page->UserButton()->isEnabled());
    int chosenRows = 0;
    dlgtest::OnNextModal([&chosenRows](QDialog* d) {
        auto* dialog = qobject_cast<OrvSelectUserDialog*>(d);
        ASSERT_NE(dialog, nullptr);
        OrvUserTable* table = dialog->Table();
        chosenRows = table->rowCount();
        for (int r = 0; r < table->rowCount(); ++r)
            if (table->item(r, 1)->text() == "anna") table->setCurrentCell(r, 0);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    Click(page->UserButton());
    EXPECT_GE(chosenRows, 2);
    EXPECT_EQ(page->UserField()->text(), "Anna Beispiel");
    const int anna = page->UserID();
    EXPECT_NE(anna, 0);

    // Cancel in the selection dialog changes nothing.
    dlgtest::OnNextModal([](QDialog* d) { d->done(ZAF_DIALOG_CLOSE); });
    Click(page->UserButton());
    EXPECT_EQ(page->UserID(), anna);

    Click(m->OkButton());
    const OrvCalQuery* q = OnPortal().Item(0);
    EXPECT_EQ(q->type, 2);
    EXPECT_EQ(q->userid, anna);
    EXPECT_EQ(q->user, "Anna Beispiel");
}

TEST_F(CalendarManager, EntryPointFetchesRunsAndWrites)
{
    dlgtest::OnNextModal([](QDialog* d) {
        auto* m = qobject_cast<OrvCalendarManager*>(d);
        ASSERT_NE(m, nullptr);
        ASSERT_EQ(m->RootItem()->childCount(), 2);
        QRect r = m->Tree()->visualItemRect(m->ItemOf(2));
        QTest::mouseClick(m->Tree()->viewport(), Qt::LeftButton, {}, r.center());
        m->GeneralPage()->NameField()->clear();
        QTest::keyClicks(m->GeneralPage()->NameField(), "Anna");
        QTest::mouseClick(m->OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(OrvRunCalendarManager(nullptr, client_->Service(), 0), ZAF_DIALOG_OK);
    EXPECT_EQ(OnPortal().Item(1)->name, "Anna");
}

}  // namespace
