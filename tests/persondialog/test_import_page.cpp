// The import page: addresses of the document sent to the portal's address
// book row by row and all at once.
#include <QAbstractItemView>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

#include "PortalMethodsSupport.h"
#include "model/OrvCalendar.h"
#include "platform/qt/OrvLineEdit.h"
#include "portal/ui/OrvImportRegisterWindow.h"

namespace {

struct Entry {
    const char* name;
    const char* street;
    const char* country;
    const char* zip;
    const char* city;
    const char* type;
    int portalId;
};

void Fill(OrvCalendar& calendar, const std::vector<Entry>& entries)
{
    for (const Entry& e : entries) {
        auto* a = new OrvAddress;
        a->name = e.name;
        a->street = e.street;
        a->country = e.country;
        a->zip = e.zip;
        a->city = e.city;
        a->type = e.type;
        a->portalId = e.portalId;
        calendar.addresses.Add(a);
    }
}

int Count(const std::vector<pmtest::LogRow>& rows, const std::string& message)
{
    int n = 0;
    for (const auto& r : rows)
        if (r.task == "Befehl" && r.message == message) ++n;
    return n;
}

std::string Member(const json::Object& person, const char* member)
{
    const json::String& value = person[member];
    return value.Value();
}

} // namespace

class ImportPage : public pmtest::PortalFixture {
public:
    ImportPage() { testFaults_ = true; }  // some of its tests switch the service's faults

protected:
    OrvWebServiceJoomla& Portal() { return client_->Service(); }
    json::Object Read(int id)
    {
        json::Object person;
        EXPECT_EQ(Portal().PersonRead(id, nullptr, person), 0);
        return person;
    }
    const std::vector<Entry> entries_ = {
        {"Halle K\xf6rner", "Hauptstr. 2", "", "04109", "Leipzig", "location", 0},   // 0: complete
        {"Scheune", "", "D", "", "Lindau", "location", 0},                          // 1: place without zip
        {"Verein Son", "", "A", "1010", "", "organizer", 0},                        // 2: organizer without city
        {"Alter Hof", "Weg 1", "D", "12345", "Nirgendwo", "location", 77},          // 3: on the portal already
        {"", "Ohne Name 1", "D", "12345", "Irgendwo", "organizer", 0},              // 4: no name
    };
};

TEST_F(ImportPage, RowsShowStateTextsAndWhichRowsCanBeSaved)
{
    OrvCalendar calendar;
    Fill(calendar, entries_);
    OrvImportRegisterWindow page(calendar, Portal());
    page.show();
    EXPECT_EQ(page.Title(), QStringLiteral("Import"));
    EXPECT_EQ(page.SaveAllButton()->text(), QStringLiteral("Alle Sichern"));
    OrvImportTable* table = page.Table();
    ASSERT_EQ(table->rowCount(), 5);
    const struct {
        const char* state;
        const char* country;
        bool enabled;
    } rows[] = {
        {"PUBLISHSTATE_STOPPED", "D", true},    {"PUBLISHSTATE_STOPPED", "D", false},
        {"PUBLISHSTATE_STOPPED", "A", true},    {"PUBLISHSTATE_PUBLISHED", "D", true},
        {"PUBLISHSTATE_STOPPED", "D", false},
    };
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(table->StateName(r), QString::fromLatin1(rows[r].state)) << r;
        EXPECT_EQ(table->item(r, OrvImportTable::COL_COUNTRY)->text(), QString::fromLatin1(rows[r].country)) << r;
        EXPECT_EQ(table->SaveButton(r)->text(), QStringLiteral("Sichern"));
        EXPECT_EQ(table->SaveButton(r)->isEnabled(), rows[r].enabled) << r;
        EXPECT_EQ(table->verticalHeaderItem(r)->text(), QString::number(r + 1) + QLatin1Char(' '));
    }
    EXPECT_EQ(table->item(0, OrvImportTable::COL_NAME)->text(), QString::fromUtf8("Halle Körner"));
}

TEST_F(ImportPage, SichernSendsOneRowWithCountryDAndMarksItPublished)
{
    OrvCalendar calendar;
    Fill(calendar, entries_);
    OrvImportRegisterWindow page(calendar, Portal());
    page.show();
    OrvImportTable* table = page.Table();
    const size_t before = client_->Log().size();
    QTest::mouseClick(table->SaveButton(0), Qt::LeftButton);
    OrvAddress* sent = calendar.addresses.Item(0);
    ASSERT_NE(sent->portalId, 0);
    EXPECT_EQ(sent->country, "D") << "the shown default is kept";
    EXPECT_EQ(table->StateName(0), QStringLiteral("PUBLISHSTATE_PUBLISHED"));
    EXPECT_EQ(table->StateName(1), QStringLiteral("PUBLISHSTATE_STOPPED"));
    const json::Object person = Read(sent->portalId);
    EXPECT_EQ(Member(person, "fullname"), "Halle K\xc3\xb6rner") << "sent as UTF-8";
    EXPECT_EQ(Member(person, "country"), "D");
    EXPECT_EQ(Member(person, "street"), "Hauptstr. 2");
    json::Array categories;
    ASSERT_EQ(Portal().PersonGetCategories(sent->portalId, categories), 0);
    ASSERT_EQ(categories.Size(), 1u);
    EXPECT_EQ(Member(categories[0], "perscat"), "location") << "the address's category goes along";

    // Published rows and rows without a name are never sent again.
    const int id = sent->portalId;
    QTest::mouseClick(table->SaveButton(0), Qt::LeftButton);
    QTest::mouseClick(table->SaveButton(3), Qt::LeftButton);
    EXPECT_EQ(table->SaveRow(4), 100);
    EXPECT_EQ(sent->portalId, id);
    EXPECT_EQ(calendar.addresses.Item(3)->portalId, 77);
    EXPECT_EQ(Count(client_->LogFrom(before), "PersonSave( )"), 1);
}

TEST_F(ImportPage, EditingARowStoresTheTextAndChecksTheRequiredFields)
{
    OrvCalendar calendar;
    Fill(calendar, entries_);
    OrvImportRegisterWindow page(calendar, Portal());
    page.show();
    // Keyboard focus (and so the cell editor) needs the active window.
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    OrvImportTable* table = page.Table();
    const struct {
        int row;
        int column;
        const char* typed;
        bool enabled;
    } edits[] = {
        {1, OrvImportTable::COL_ZIP, "88131", true},   // the place is complete now
        {2, OrvImportTable::COL_NAME, "", false},      // name gone
        {2, OrvImportTable::COL_NAME, "Verein Son", false},   // organizer, but city missing after an edit
        {2, OrvImportTable::COL_CITY, "Wien", true},
    };
    for (const auto& e : edits) {
        QTableWidgetItem* item = table->item(e.row, e.column);
        table->setCurrentItem(item);
        table->editItem(item);
        auto* editor = qobject_cast<OrvLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr) << "cells are edited in code page fields";
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClicks(editor, QString::fromLatin1(e.typed));
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits and closes the editor from the event loop.
        QPointer<OrvLineEdit> closing(editor);
        for (int wait = 0; wait < 100 && closing && closing->isVisible(); ++wait) QTest::qWait(10);
        QCoreApplication::processEvents();
        ASSERT_TRUE(!closing || !closing->isVisible()) << "Return ends the editing";
        EXPECT_EQ(table->SaveButton(e.row)->isEnabled(), e.enabled) << e.row << "/" << e.column << " " << e.typed;
    }
    EXPECT_EQ(calendar.addresses.Item(1)->zip, "88131");
    EXPECT_EQ(calendar.addresses.Item(2)->city, "Wien");
    EXPECT_EQ(calendar.addresses.Item(2)->country, "A") << "untouched cells stay as they were";
    EXPECT_EQ(calendar.addresses.Item(1)->street, "");
}

TEST_F(ImportPage, AlleSichernSendsEveryUnpublishedNamedAddress)
{
    OrvCalendar calendar;
    Fill(calendar, entries_);
    OrvImportRegisterWindow page(calendar, Portal());
    page.show();
    const size_t before = client_->Log().size();
    QTest::mouseClick(page.SaveAllButton(), Qt::LeftButton);
    EXPECT_EQ(Count(client_->LogFrom(before), "PersonSave( )"), 3);
    const struct {
        int row;
        bool published;
    } rows[] = {{0, true}, {1, true}, {2, true}, {3, true}, {4, false}};
    for (const auto& r : rows) {
        EXPECT_EQ(calendar.addresses.Item(r.row)->portalId != 0, r.published) << r.row;
        EXPECT_EQ(page.Table()->StateName(r.row),
                  QString::fromLatin1(r.published ? "PUBLISHSTATE_PUBLISHED" : "PUBLISHSTATE_STOPPED"))
            << r.row;
    }
    EXPECT_EQ(calendar.addresses.Item(3)->portalId, 77);
    // The place without zip went up although its own button was disabled;
    // the first address went with its country as held (empty).
    const json::Object scheune = Read(calendar.addresses.Item(1)->portalId);
    EXPECT_EQ(Member(scheune, "city"), "Lindau");
    EXPECT_EQ(Member(Read(calendar.addresses.Item(0)->portalId), "country"), "");
    EXPECT_EQ(calendar.addresses.Item(0)->country, "");
}

TEST_F(ImportPage, RefusedAddressStaysUnpublishedAndTheOthersGoOn)
{
    OrvCalendar calendar;
    Fill(calendar, entries_);
    OrvImportRegisterWindow page(calendar, Portal());
    page.show();
    ASSERT_TRUE(server_->SetFault("retcode=-7:V001_Person_Save"));
    EXPECT_EQ(page.Table()->SaveAll(), 3);
    EXPECT_EQ(page.Table()->SaveRow(0), -7);
    for (int r : {0, 1, 2}) EXPECT_EQ(calendar.addresses.Item(r)->portalId, 0) << r;
    ASSERT_TRUE(server_->SetFault("none"));
    EXPECT_EQ(page.Table()->SaveAll(), 0);
    for (int r : {0, 1, 2}) EXPECT_NE(calendar.addresses.Item(r)->portalId, 0) << r;
}
