// The person dialog driven as a user would, against the local portal
// service with its demo address book.
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModalGuard.h"
#include "PortalMethodsSupport.h"
#include "app/OrvLanguageLib.h"
#include "base/OrvText.h"
#include "model/OrvCalendar.h"
#include "platform/OrvEvent.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvMessageWindow.h"
#include "portal/ui/OrvWebPersonDialog.h"
#include "portal/ui/OrvWebPersonTable.h"
#include "portal/ui/OrvWebPersonWindow.h"

using pmtest::LogRow;

#include "tests/support/OrvTestInput.h"

namespace {

const std::string kSued = "Kulturzentrum S\xc3\xbc" "d";   // UTF-8

std::vector<std::string> ListedNames(const OrvWebPersonTable& list)
{
    std::vector<std::string> names;
    for (int n = 0; n < list.Table()->rowCount(); ++n) names.push_back(list.Table()->item(n, 0)->text().toStdString());
    return names;
}

void ClickRow(OrvWebPersonTable* list, int row)
{
    QTableWidget* table = list->Table();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(row, 0)).center());
}

void ClickHeader(OrvWebPersonTable* list, int column)
{
    QHeaderView* header = list->Table()->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

using orvinput::TypeText;

void Type(OrvLineEdit* field, const QString& text)
{
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    TypeText(field, text);
}

std::string WriteImage(const QTemporaryDir& dir, const char* name, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = dir.filePath(QString::fromLatin1(name));
    image.save(path);
    return path.toStdString();
}

bool HasCommand(const std::vector<LogRow>& rows, const std::string& prefix)
{
    for (const LogRow& r : rows)
        if (r.task == "Befehl" && r.message.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

int CountCommands(const std::vector<LogRow>& rows, const std::string& prefix)
{
    int n = 0;
    for (const LogRow& r : rows)
        if (r.task == "Befehl" && r.message.compare(0, prefix.size(), prefix) == 0) ++n;
    return n;
}

} // namespace

class PersonDialog : public pmtest::PortalFixture {
public:
    PersonDialog() { testFaults_ = true; }  // some of its tests switch the service's faults

protected:
    void SetUp() override
    {
        pmtest::PortalFixture::SetUp();
        OrvMessageWindow::ClearRecorded();
    }
    OrvWebServiceJoomla& Portal() { return client_->Service(); }
    int IdOf(const std::string& fullname)
    {
        json::Object person;
        if (Portal().PersonRead(0, fullname.c_str(), person) != 0) return 0;
        return OrvWebServiceJoomla::IntegerOf(person["id"]);
    }
    json::Object Read(int id)
    {
        json::Object person;
        EXPECT_EQ(Portal().PersonRead(id, nullptr, person), 0);
        return person;
    }
    static std::string Member(const json::Object& person, const char* member)
    {
        const json::String& value = person[member];
        return value.Value();
    }
    // Opens the editing window of a listed person by double click.
    OrvWebPersonWindow* OpenRow(OrvWebPersonDialog& dialog, const std::string& name)
    {
        OrvWebPersonTable* list = dialog.List();
        if (!list) return nullptr;
        for (int n = 0; n < list->RowCount(); ++n)
            if (list->Text(n, "fullname") == name) {
                QTableWidget* table = list->Table();
                const QPoint at = table->visualItemRect(table->item(n, 0)).center();
                // A double click comes after the press and release of the
                // first click; the view opens only a row pressed before.
                QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
                if (dialog.Editor()) EXPECT_TRUE(dialog.Editor()->isVisible()) << "shown at once, ready for input";
                return dialog.Editor();
            }
        return nullptr;
    }
};

TEST_F(PersonDialog, ListsEachCategorySortedByNameWithRowNumbers)
{
    const struct {
        int category;
        std::vector<std::string> names;
    } cases[] = {
        {1, {kSued, "Salsa Club Hafen", "Tanzhaus Mitte"}},
        {2, {"Latin Events Nord", "Tanzschule Rhythmus"}},
        {3, {"DJ Caliente", "DJ Tumbao"}},
        {4, {"Carlos Ortega", "Maria S\xc3\xa1nchez"}},
    };
    for (const auto& c : cases) {
        const size_t before = client_->Log().size();
        OrvWebPersonDialog dialog(Portal(), c.category, true);
        dialog.show();
        ASSERT_NE(dialog.List(), nullptr);
        EXPECT_EQ(dialog.Editor(), nullptr);
        EXPECT_EQ(ListedNames(*dialog.List()), c.names) << "category " << c.category;
        EXPECT_EQ(dialog.List()->Table()->verticalHeaderItem(0)->text(), QStringLiteral("1 "));
        EXPECT_EQ(dialog.List()->Table()->columnCount(), 6);
        EXPECT_TRUE(HasCommand(client_->LogFrom(before),
                               "PersonGetList( '" + std::to_string(c.category) + "', '', 'fullname', '', 'ASC')"))
            << "the first request sorts upwards in capitals";
        EXPECT_FALSE(dialog.OkButton()->isEnabled()) << "nothing chosen yet";
    }
}

TEST_F(PersonDialog, HeaderClickSortsBothWaysAndFiltersByTheHeaderField)
{
    OrvWebPersonDialog dialog(Portal(), 1, true);
    dialog.show();
    OrvWebPersonTable* list = dialog.List();
    const struct {
        int column;
        const char* filter;
        const char* command;
        std::vector<std::string> names;
    } clicks[] = {
        // City: Berlin, Hamburg, München upwards, then the other way round.
        {3, "", "PersonGetList( '1', '', 'city', '', 'asc')", {"Tanzhaus Mitte", "Salsa Club Hafen", kSued}},
        {3, "", "PersonGetList( '1', '', 'city', '', 'desc')", {kSued, "Salsa Club Hafen", "Tanzhaus Mitte"}},
        {0, "hafen", "PersonGetList( '1', '', 'fullname', 'hafen', 'asc')", {"Salsa Club Hafen"}},
        {0, "nobody", "PersonGetList( '1', '', 'fullname', 'nobody', 'desc')", {}},
        // A filter beyond ASCII goes out as URL-encoded UTF-8.
        {3, "M\xc3\xbcn", "PersonGetList( '1', '', 'city', 'M%C3%BCn', 'asc')", {kSued}},
    };
    for (const auto& click : clicks) {
        Type(list->FilterField(click.column), QString::fromUtf8(click.filter));
        const size_t before = client_->Log().size();
        ClickHeader(list, click.column);
        EXPECT_TRUE(HasCommand(client_->LogFrom(before), click.command)) << click.command;
        EXPECT_EQ(ListedNames(*list), click.names) << click.command;
        EXPECT_EQ(list->RowCount(), static_cast<int>(click.names.size()));
        Type(list->FilterField(click.column), QString());
    }
    // Return in a filter field asks again for its column.
    Type(list->FilterField(3), QStringLiteral("ham"));
    QTest::keyClick(list->FilterField(3), Qt::Key_Return);
    EXPECT_EQ(ListedNames(*list), std::vector<std::string>{"Salsa Club Hafen"});
}

TEST_F(PersonDialog, ChoosingAPersonReturnsItInTheWindowCodePage)
{
    const int id = IdOf(kSued);
    ASSERT_NE(id, 0);
    OrvAddress person;
    person.room01 = "alter Raum";
    bool ok = OrvChoosePerson(nullptr, Portal(), 1, 301, person, [&](OrvWebPersonDialog& dialog) {
        dialog.show();
        OrvWebPersonTable* list = dialog.List();
        ClickRow(list, list->RowOfId(id));
        EXPECT_TRUE(dialog.OkButton()->isEnabled());
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        return dialog.result();
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(person.portalId, id);
    EXPECT_EQ(person.name, "Kulturzentrum S\xfc" "d") << "window code page";
    EXPECT_EQ(person.street, "Lindwurmstra\xdf" "e 40");
    EXPECT_EQ(person.zip, "80331");
    EXPECT_EQ(person.city, "M\xfcnchen");
    EXPECT_EQ(person.country, "D");
    EXPECT_EQ(person.type, "location");
    EXPECT_EQ(person.room01, "") << "the room belonged to the person before";
}

TEST_F(PersonDialog, CancelledChoiceLeavesThePersonAndPreselectsTheHeldOne)
{
    const int id = IdOf("Latin Events Nord");
    OrvAddress person;
    person.portalId = id;
    person.name = "Latin Events Nord (lokal)";
    int selected = -2;
    bool ok = OrvChoosePerson(nullptr, Portal(), 2, 0, person, [&](OrvWebPersonDialog& dialog) {
        dialog.show();
        selected = dialog.List()->CurrentRow();
        if (selected >= 0) EXPECT_EQ(dialog.List()->Text(selected, "fullname"), "Latin Events Nord");
        QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
        return dialog.result();
    });
    EXPECT_FALSE(ok);
    EXPECT_GE(selected, 0) << "the person held is selected when the list opens";
    EXPECT_EQ(person.name, "Latin Events Nord (lokal)");
    EXPECT_FALSE(OrvChoosePerson(nullptr, Portal(), 9, 0, person, [](OrvWebPersonDialog& d) { return d.result(); }))
        << "no such person kind";
}

TEST_F(PersonDialog, NewPersonWithMissingFieldsShowsTheHintAndStaysOpen)
{
    const struct {
        const char* name;
        const char* zip;
        const char* city;
        std::vector<int> missing;
    } cases[] = {
        {"", "", "", {191, 157, 51}},
        {"Neue Bar", "", "Köln", {157}},
        {"Neue Bar", "50667", "", {51}},
        {"", "50667", "Köln", {191}},
    };
    for (const auto& c : cases) {
        OrvWebPersonDialog dialog(Portal(), 1, true);
        dialog.show();
        QTest::mouseClick(dialog.NewButton(), Qt::LeftButton);
        OrvWebPersonWindow* editor = dialog.Editor();
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(dialog.List(), nullptr);
        OrvWebPersonPage_Contact* contact = editor->Contact();
        TypeText(contact->FieldOf("fullname"), QString::fromUtf8(c.name));
        TypeText(contact->FieldOf("zip"), QString::fromUtf8(c.zip));
        TypeText(contact->FieldOf("city"), QString::fromUtf8(c.city));
        OrvMessageWindow::ClearRecorded();
        const size_t before = client_->Log().size();
        QTest::mouseClick(editor->SaveButton(), Qt::LeftButton);

        ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u) << c.name << "/" << c.zip << "/" << c.city;
        const OrvMessageRecord& message = OrvMessageWindow::Recorded()[0];
        EXPECT_EQ(message.title, QStringLiteral("HINWEIS"));
        EXPECT_TRUE(message.text.startsWith(QString::fromLatin1(OrvText(216))));
        for (int number : {191, 157, 51}) {
            const bool listed = message.text.contains(QLatin1Char('\n') + QString::fromLatin1(OrvText(number)));
            const bool expected = std::find(c.missing.begin(), c.missing.end(), number) != c.missing.end();
            EXPECT_EQ(listed, expected) << "text " << number << " for " << c.name << "/" << c.zip << "/" << c.city;
        }
        EXPECT_EQ(dialog.Editor(), editor) << "the window stays open";
        EXPECT_EQ(contact->FieldOf("fullname")->text(), QString::fromUtf8(c.name)) << "the input is kept";
        EXPECT_EQ(contact->FieldOf("country")->text(), QStringLiteral("D")) << "an empty country becomes D";
        EXPECT_FALSE(HasCommand(client_->LogFrom(before), "PersonSave")) << "nothing is sent";
    }
}

TEST_F(PersonDialog, SavedNewPersonIsListedSelectedAndChosen)
{
    OrvAddress person;
    int listedBefore = 0;
    bool ok = OrvChoosePerson(nullptr, Portal(), 1, 0, person, [&](OrvWebPersonDialog& dialog) {
        dialog.show();
        listedBefore = dialog.List()->RowCount();
        QTest::mouseClick(dialog.NewButton(), Qt::LeftButton);
        OrvWebPersonWindow* editor = dialog.Editor();
        OrvWebPersonPage_Contact* contact = editor->Contact();
        // The category of the list is always selected; a second one can be.
        EXPECT_TRUE(contact->Categories()->Box(1)->isChecked());
        EXPECT_FALSE(contact->Categories()->Box(1)->isEnabled());
        contact->Categories()->Box(2)->click();
        // Ş has no place in the window code page and is refused.
        TypeText(contact->FieldOf("fullname"), QString::fromUtf8("Café Ost\xc5\x9e"));
        EXPECT_EQ(contact->FieldOf("fullname")->text(), QString::fromUtf8("Café Ost"));
        QTest::keyClicks(contact->FieldOf("street"), QStringLiteral("Am \"Markt\" 1"));
        QTest::keyClicks(contact->FieldOf("zip"), QStringLiteral("01067"));
        QTest::keyClicks(contact->FieldOf("city"), QStringLiteral("Dresden"));
        TypeText(editor->Text()->Text(), QString::fromUtf8("Mit\tTanzfläche"));
        QTest::mouseClick(editor->SaveButton(), Qt::LeftButton);
        EXPECT_TRUE(OrvMessageWindow::Recorded().empty());
        EXPECT_EQ(dialog.Editor(), nullptr) << "back to the list";
        OrvWebPersonTable* list = dialog.List();
        EXPECT_EQ(list->RowCount(), listedBefore + 1);
        const int row = list->CurrentRow();
        EXPECT_GE(row, 0) << "the saved person is selected";
        if (row >= 0) EXPECT_EQ(list->Text(row, "fullname"), "Caf\xc3\xa9 Ost");
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        return dialog.result();
    });
    ASSERT_TRUE(ok);
    ASSERT_NE(person.portalId, 0);
    EXPECT_EQ(person.name, "Caf\xe9 Ost");
    const json::Object saved = Read(person.portalId);
    EXPECT_EQ(Member(saved, "street"), "Am \"Markt\" 1");
    EXPECT_EQ(Member(saved, "country"), "D");
    EXPECT_EQ(Member(saved, "text"), "MitTanzfl\xc3\xa4" "che") << "the tab is dropped";
    json::Array categories;
    ASSERT_EQ(Portal().PersonGetCategories(person.portalId, categories), 0);
    std::vector<std::string> names;
    for (const json::Object& e : categories) names.push_back(Member(e, "perscat"));
    EXPECT_EQ(names, (std::vector<std::string>{"location", "organizer"}));
}

TEST_F(PersonDialog, ExistingPersonShowsItsValuesAndSavesOnlyWhatChanged)
{
    const int id = IdOf("Salsa Club Hafen");
    OrvWebPersonDialog dialog(Portal(), 1, false);
    dialog.show();
    OrvWebPersonWindow* editor = OpenRow(dialog, "Salsa Club Hafen");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Record().id, id);
    OrvWebPersonPage_Contact* contact = editor->Contact();
    EXPECT_EQ(contact->FieldOf("street")->text(), QStringLiteral("Am Kai 3"));
    EXPECT_EQ(contact->FieldOf("zip")->text(), QStringLiteral("20095"));
    EXPECT_TRUE(contact->Categories()->Box(1)->isChecked());
    EXPECT_FALSE(contact->Categories()->Box(3)->isChecked());
    Type(contact->FieldOf("street"), QStringLiteral("Am Kai 4"));
    editor->Geo()->Assign()->click();
    QTest::keyClicks(editor->Geo()->Longitude(), QStringLiteral("9.97"));
    const size_t before = client_->Log().size();
    QTest::mouseClick(editor->SaveButton(), Qt::LeftButton);
    EXPECT_TRUE(HasCommand(client_->LogFrom(before), "PersonSave( )"));
    EXPECT_NE(dialog.List(), nullptr);
    EXPECT_EQ(IdOf("Salsa Club Hafen"), id) << "saved as the same person";
    const json::Object saved = Read(id);
    EXPECT_EQ(Member(saved, "street"), "Am Kai 4");
    EXPECT_EQ(Member(saved, "zip"), "20095");
    EXPECT_EQ(Member(saved, "city"), "Hamburg");
    EXPECT_EQ(Member(saved, "longitude"), "9.97");
    EXPECT_EQ(Member(saved, "coordassign"), "2");
    EXPECT_EQ(Member(saved, "params"), "ROOM01=Clubraum\r\n") << "rooms untouched";
}

TEST_F(PersonDialog, PortalRefusalKeepsTheInputInTheWindow)
{
    OrvWebPersonDialog dialog(Portal(), 3, true);
    dialog.show();
    OrvWebPersonWindow* editor = OpenRow(dialog, "DJ Tumbao");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Room(), nullptr) << "only places have rooms";
    Type(editor->Contact()->FieldOf("nickname"), QStringLiteral("Tumbao"));
    ASSERT_TRUE(server_->SetFault("retcode=-7:V001_Person_Save"));
    QTest::mouseClick(editor->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u);
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(dialog.Editor(), editor);
    EXPECT_EQ(editor->Contact()->FieldOf("nickname")->text(), QStringLiteral("Tumbao"));
    ASSERT_TRUE(server_->SetFault("none"));
    QTest::mouseClick(editor->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.Editor(), nullptr);
    EXPECT_EQ(Member(Read(IdOf("DJ Tumbao")), "nickname"), "Tumbao");
}

TEST_F(PersonDialog, EditButtonOpensTheSelectedRowAndCancelSendsNothing)
{
    OrvWebPersonDialog dialog(Portal(), 2, false);
    dialog.show();
    EXPECT_EQ(dialog.OkButton(), nullptr) << "no choice outside choose mode";
    EXPECT_FALSE(dialog.EditButton()->isEnabled());
    OrvWebPersonTable* list = dialog.List();
    const int row = list->RowOfId(IdOf("Tanzschule Rhythmus"));
    ASSERT_GE(row, 0);
    ClickRow(list, row);
    ASSERT_TRUE(dialog.EditButton()->isEnabled());
    QTest::mouseClick(dialog.EditButton(), Qt::LeftButton);
    OrvWebPersonWindow* editor = dialog.Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Contact()->FieldOf("fullname")->text(), QStringLiteral("Tanzschule Rhythmus"));
    Type(editor->Contact()->FieldOf("street"), QStringLiteral("Neue Str. 9"));
    const size_t before = client_->Log().size();
    QTest::mouseClick(editor->CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.Editor(), nullptr);
    ASSERT_NE(dialog.List(), nullptr);
    EXPECT_TRUE(dialog.List()->isVisible());
    EXPECT_FALSE(HasCommand(client_->LogFrom(before), "PersonSave"));
    EXPECT_EQ(Member(Read(IdOf("Tanzschule Rhythmus")), "street"), "Torstra\xc3\x9f" "e 5");
}

TEST_F(PersonDialog, FieldSetBackAfterARefusalSendsItsOldValue)
{
    OrvWebPersonDialog dialog(Portal(), 3, true);
    dialog.show();
    OrvWebPersonWindow* editor = OpenRow(dialog, "DJ Caliente");
    ASSERT_NE(editor, nullptr);
    OrvWebPersonPage_Contact* contact = editor->Contact();
    ASSERT_EQ(contact->FieldOf("nickname")->text(), QString());
    Type(contact->FieldOf("nickname"), QStringLiteral("Cali"));
    ASSERT_TRUE(server_->SetFault("retcode=-7:V001_Person_Save"));
    QTest::mouseClick(editor->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.Editor(), editor) << "refused";
    // The user takes the change back and changes something else instead.
    Type(contact->FieldOf("nickname"), QString());
    Type(contact->FieldOf("city"), QStringLiteral("Bremen"));
    ASSERT_TRUE(server_->SetFault("none"));
    QTest::mouseClick(editor->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.Editor(), nullptr);
    const json::Object saved = Read(IdOf("DJ Caliente"));
    EXPECT_EQ(Member(saved, "nickname"), "") << "the refused value is not sent";
    EXPECT_EQ(Member(saved, "city"), "Bremen");
    EXPECT_EQ(Member(saved, "zip"), "10115");
    ASSERT_NE(dialog.List(), nullptr);
    EXPECT_TRUE(dialog.List()->isVisible()) << "the fresh list is shown at once";
}

TEST_F(PersonDialog, RoomsAreEnabledAndDisabledByTheirButtons)
{
    const int id = IdOf("Tanzhaus Mitte");
    OrvWebPersonDialog dialog(Portal(), 1, true);
    dialog.show();
    OrvWebPersonWindow* editor = OpenRow(dialog, "Tanzhaus Mitte");
    ASSERT_NE(editor, nullptr);
    OrvWebPersonPage_Room* rooms = editor->Room();
    ASSERT_NE(rooms, nullptr);
    editor->Pages()->setCurrentWidget(rooms);
    const std::string label = OrvText(194);
    for (int row = 1; row <= 8; ++row) {
        const bool present = row <= 2;
        EXPECT_EQ(rooms->Toggle(row)->isChecked(), present) << row;
        EXPECT_EQ(rooms->Name(row)->isEnabled(), present) << row;
        if (!present) EXPECT_EQ(rooms->Name(row)->WindowText(), label + " " + std::to_string(row));
    }
    EXPECT_EQ(rooms->Name(1)->WindowText(), "Gro\xdf" "er Saal");
    EXPECT_EQ(rooms->Name(2)->text(), QStringLiteral("Studio"));

    QTest::mouseClick(rooms->Toggle(2), Qt::LeftButton);
    EXPECT_FALSE(rooms->Name(2)->isEnabled());
    QTest::mouseClick(rooms->Toggle(4), Qt::LeftButton);
    EXPECT_TRUE(rooms->Name(4)->isEnabled());
    Type(rooms->Name(4), QStringLiteral("Foyer"));
    QTest::mouseClick(rooms->Toggle(6), Qt::LeftButton);   // enabled with its label as name
    QTest::mouseClick(editor->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.Editor(), nullptr);
    EXPECT_EQ(Member(Read(id), "params"),
              "ROOM01=Gro\xc3\x9f" "er Saal\r\nROOM02=Foyer\r\nROOM03=" + OrvToUTF8(label) + " 6\r\n")
        << "enabled rooms only, in room order";

    OrvWebPersonWindow* again = OpenRow(dialog, "Tanzhaus Mitte");
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->Room()->Toggle(2)->isChecked());
    EXPECT_EQ(again->Room()->Name(2)->text(), QStringLiteral("Foyer"));
    EXPECT_FALSE(again->Room()->Toggle(4)->isChecked());
}

TEST_F(PersonDialog, PictureIsSentScaledFetchedBackAndDeleted)
{
    QTemporaryDir dir;
    const std::string big = WriteImage(dir, "plakat.png", 1000, 600);
    const int id = IdOf("Salsa Club Hafen");
    {
        OrvWebPersonDialog dialog(Portal(), 1, true);
        dialog.show();
        OrvWebPersonWindow* editor = OpenRow(dialog, "Salsa Club Hafen");
        ASSERT_NE(editor, nullptr);
        OrvWebImageFrame* logo = editor->Image()->Frame(0);
        EXPECT_EQ(logo->Name(), "logo");
        EXPECT_EQ(editor->Image()->Frame(1)->Name(), "portrait");
        EXPECT_EQ(editor->Image()->Frame(2)->Name(), "img");
        EXPECT_TRUE(logo->File().empty()) << "no picture on the portal yet";
        logo->SetChooser([&big]() { return big; });
        QTest::mouseClick(logo->ChooseButton(), Qt::LeftButton);
        EXPECT_TRUE(logo->Changed());
        EXPECT_FALSE(logo->Picture()->pixmap().isNull());
        const size_t before = client_->Log().size();
        QTest::mouseClick(editor->SaveButton(), Qt::LeftButton);
        EXPECT_TRUE(HasCommand(client_->LogFrom(before), "PersonSetFile( 'logo.png' )"));
        EXPECT_EQ(CountCommands(client_->LogFrom(before), "PersonSetFile"), 1) << "unchanged frames stay";
    }
    std::string fetched;
    ASSERT_EQ(Portal().PersonGetFile(id, "logo", fetched), 0);
    QImage onPortal(QString::fromStdString(fetched));
    EXPECT_EQ(onPortal.width(), 500);
    EXPECT_EQ(onPortal.height(), 300);

    OrvWebPersonDialog dialog(Portal(), 1, true);
    dialog.show();
    OrvWebPersonWindow* editor = OpenRow(dialog, "Salsa Club Hafen");
    ASSERT_NE(editor, nullptr);
    OrvWebImageFrame* logo = editor->Image()->Frame(0);
    EXPECT_FALSE(logo->File().empty()) << "the frame shows the portal's picture";
    EXPECT_FALSE(logo->Changed());
    EXPECT_EQ(QImage(QString::fromStdString(logo->File())).width(), 500);
    EXPECT_TRUE(editor->Image()->Frame(1)->File().empty());
    QTest::mouseClick(logo->ClearButton(), Qt::LeftButton);
    QTest::mouseClick(editor->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(editor->Image()->Failures(), 0);
    std::string gone;
    Portal().PersonGetFile(id, "logo", gone);
    EXPECT_TRUE(gone.empty()) << "the emptied frame deleted the picture";
}

TEST_F(PersonDialog, NewPersonsPictureGoesUpUnderTheReturnedId)
{
    QTemporaryDir dir;
    const std::string small = WriteImage(dir, "bild.bmp", 120, 80);
    OrvWebPersonDialog dialog(Portal(), 4, true);
    dialog.show();
    QTest::mouseClick(dialog.NewButton(), Qt::LeftButton);
    OrvWebPersonWindow* editor = dialog.Editor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor->Contact()->FieldOf("fullname"), QStringLiteral("Ana Lima"));
    QTest::keyClicks(editor->Contact()->FieldOf("zip"), QStringLiteral("10115"));
    QTest::keyClicks(editor->Contact()->FieldOf("city"), QStringLiteral("Berlin"));
    OrvWebImageFrame* portrait = editor->Image()->Frame(1);
    portrait->SetChooser([&small]() { return small; });
    QTest::mouseClick(portrait->ChooseButton(), Qt::LeftButton);
    QTest::mouseClick(editor->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(editor->Record().id, 0) << "the window keeps the id it was opened with";
    const int id = IdOf("Ana Lima");
    ASSERT_NE(id, 0);
    std::string fetched;
    ASSERT_EQ(Portal().PersonGetFile(id, "portrait", fetched), 0);
    EXPECT_EQ(QImage(QString::fromStdString(fetched)).width(), 120) << "a small picture goes up as it is";
}

namespace {

// What the guarded calls below work on: the failure-capturing macros take
// no local variables.
struct Guarded {
    OrvWebServiceJoomla* portal = nullptr;
    OrvAddress* person = nullptr;
    bool chosen = true;
};
Guarded guarded;

// Shorter patience for the guard and message windows as shown outside
// tests, both restored at the end.
struct RealModalLoops {
    int limit = persondialogtest::ModalLimit();
    RealModalLoops()
    {
        persondialogtest::SetModalLimit(300);
        OrvMessageWindow::SetTestMode(false);
    }
    ~RealModalLoops()
    {
        OrvMessageWindow::SetTestMode(true);
        persondialogtest::SetModalLimit(limit);
    }
};

} // namespace

// The modal runs a user would see: left open with nobody to close them,
// they fail the test instead of stopping the run. Closed that way (as by
// Escape), the choice is cancelled and the person stays as it was.
TEST_F(PersonDialog, ModalWindowsLeftOpenFailTheTestInsteadOfHanging)
{
    OrvAddress person;
    person.name = "bleibt";
    guarded = {&Portal(), &person, true};
    RealModalLoops real;
    EXPECT_NONFATAL_FAILURE(guarded.chosen = OrvChoosePerson(nullptr, *guarded.portal, 1, 0, *guarded.person),
                            "with nobody to close it");
    EXPECT_FALSE(guarded.chosen);
    EXPECT_EQ(person.name, "bleibt");
    EXPECT_EQ(person.portalId, 0);
    EXPECT_NONFATAL_FAILURE(OrvMessageWindow::Show(nullptr, QStringLiteral("HINWEIS"), QStringLiteral("offen")),
                            "QMessageBox");
    EXPECT_TRUE(OrvMessageWindow::Recorded().empty()) << "shown, not recorded";
}
