// The event wizard driven as a user would: page sets by category, typing,
// dates, persons, files, validation on finish, and the rule that text the
// window code page cannot hold survives when the user leaves it alone.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "platform/qt/OrvQtText.h"
#include "base/OrvText.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvMessageWindow.h"
#include "platform/qt/OrvQtEvent.h"
#include "views/editors/OrvEventWizard.h"
#include "views/editors/OrvEventWizardPages.h"

namespace {

// Types text as key presses, also characters without a key of their own.
void Type(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

OrvAddress Person(int id, const char* name, const char* city)
{
    OrvAddress a;
    a.portalId = id;
    a.name = a.key = name;
    a.city = city;
    return a;
}

class EventWizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OrvCalendarConfig* config = OrvCalendarConfig::Get();
        OrvEventSceneList scenes;
        scenes.Add(new OrvEventSceneElement(7, "salsa", true));
        scenes.Add(new OrvEventSceneElement(9, "tango", false));
        config->SetEventSceneList(scenes);
        config->SetClientState(1);
        OrvMessageWindow::ClearRecorded();
        services.choosePerson = [this](int kind, int, OrvAddress& out) {
            askedKinds.push_back(kind);
            out = Person(500 + static_cast<int>(askedKinds.size()), "Tanzhaus West", "K\xF6ln");
            return true;
        };
    }

    // A valid event of the category, or an empty one for 0.
    std::unique_ptr<OrvVEVENT> Event(int category)
    {
        auto e = std::make_unique<OrvVEVENT>();
        if (!category) return e;
        e->summary = "Salsa im Park";
        e->scenes.Append(7, "salsa");
        e->categories.Append(category, "");
        e->locationRecord.id = 11;
        e->locationRecord.name = "Stadtpark";
        OrvPerson organizer;
        organizer.id = 12;
        organizer.name = "Tanzschule";
        e->organizers.push_back(organizer);
        e->dtStart = OrvCalTime(2027, 5, 14, 19, 0, 0);
        e->dtEnd = OrvCalTime(2027, 5, 14, 23, 30, 0);
        return e;
    }

    std::unique_ptr<OrvEventWizard> Open(OrvCalendarComponent* event, int opening = ORV_OPEN_EDIT)
    {
        auto wizard = std::make_unique<OrvEventWizard>(event, nullptr, ORV_EDIT_SERIES, opening, services);
        wizard->Prepare();
        return wizard;
    }

    std::vector<int> Captions(const OrvEventWizard& wizard)
    {
        std::vector<int> out;
        for (int i = 0; i < wizard.PageCount(); ++i)
            out.push_back(OrvEventPageCaption(static_cast<OrvEventWizardPage*>(wizard.Pages().Page(i))->Kind()));
        return out;
    }

    template <class Page>
    Page* PageOf(OrvEventWizard& wizard)
    {
        for (int i = 0; i < wizard.PageCount(); ++i)
            if (auto* p = dynamic_cast<Page*>(wizard.Pages().Page(i))) return p;
        return nullptr;
    }

    OrvEventWizardServices services;
    std::vector<int> askedKinds;
};

TEST_F(EventWizardTest, PageSetFollowsTheFirstCategory)
{
    struct Case {
        int category;
        int pages;
        bool teacher, djs;
    } cases[] = {
        {0, 1, false, false},   {1, 1, false, false},   {101, 11, false, false}, {103, 11, false, false},
        {201, 13, true, false}, {202, 12, false, false}, {305, 12, false, false}, {308, 14, false, true},
        {999, 1, false, false},
    };
    for (const Case& c : cases) {
        auto event = Event(c.category);
        auto wizard = Open(event.get());
        std::vector<int> captions = Captions(*wizard);
        EXPECT_EQ(wizard->PageCount(), c.pages) << c.category;
        EXPECT_EQ(captions.front(), 145) << c.category;
        EXPECT_EQ(std::count(captions.begin(), captions.end(), 168) == 1, c.teacher) << c.category;
        EXPECT_EQ(std::count(captions.begin(), captions.end(), 152) == 1, c.djs) << c.category;
        EXPECT_EQ(wizard->ForwardButton()->isEnabled(), c.pages > 1) << c.category;
        if (c.pages > 1) EXPECT_EQ(captions.back(), 53) << c.category;
    }
}

TEST_F(EventWizardTest, CategoryChangeOnStartReplacesThePagesAndKeepsEnteredValues)
{
    auto event = Event(101);
    auto wizard = Open(event.get());
    ASSERT_EQ(wizard->PageCount(), 11);
    OrvWPSW_Main* main = wizard->StartPage()->Main();
    main->Title()->selectAll();
    QTest::keyClicks(main->Title(), "Salsa-Nacht");
    int index = main->Categories()->findData(308);
    ASSERT_GE(index, 0);
    main->Categories()->setCurrentIndex(index);
    emit main->Categories()->activated(index);
    QCoreApplication::processEvents();
    EXPECT_EQ(wizard->PageCount(), 14);
    EXPECT_EQ(wizard->Work().FirstCategory(), 308);
    EXPECT_EQ(wizard->Work().title.window, "Salsa-Nacht");
    EXPECT_EQ(wizard->StartPage()->Main()->Title()->text(), QStringLiteral("Salsa-Nacht"));
    EXPECT_EQ(wizard->CurrentPage(), wizard->StartPage());
}

TEST_F(EventWizardTest, PersonsOfTheTeacherPageAreStoredAsGuests)
{
    auto event = Event(201);
    auto wizard = Open(event.get());
    auto* teacher = [&]() -> OrvWizardPage_Person* {
        for (int i = 0; i < wizard->PageCount(); ++i)
            if (auto* p = dynamic_cast<OrvWizardPage_Person*>(wizard->Pages().Page(i)))
                if (p->Kind() == OrvEventPageKind::Teacher) return p;
        return nullptr;
    }();
    ASSERT_NE(teacher, nullptr);
    QTest::mouseClick(teacher->AddButton(), Qt::LeftButton);
    QTest::mouseClick(teacher->AddButton(), Qt::LeftButton);
    EXPECT_EQ(teacher->Table()->rowCount(), 2);
    EXPECT_EQ(askedKinds, (std::vector<int>{ORV_PERSON_GUEST, ORV_PERSON_GUEST}));
    EXPECT_FALSE(teacher->DeleteButton()->isEnabled());
    teacher->Table()->selectRow(0);
    EXPECT_TRUE(teacher->DeleteButton()->isEnabled());
    QTest::mouseClick(teacher->DeleteButton(), Qt::LeftButton);
    ASSERT_EQ(wizard->Store(), 0);
    ASSERT_EQ(event->guests.size(), 1u);
    EXPECT_EQ(event->guests[0].id, 502u);
    EXPECT_EQ(event->guests[0].city, "Köln");
}

TEST_F(EventWizardTest, StartAndEndStayInOrder)
{
    enum Field { StartDate, StartTime, EndDate, EndTime };
    struct Case {
        int category;
        QDate startDate;
        QTime start;
        QDate endDate;
        QTime end;
        Field changed;
        QDate newDate;
        QTime newTime;
        QDate expectStartDate;
        QTime expectStart;
        QDate expectEndDate;
        QTime expectEnd;
    } cases[] = {
        // An end before the start on the same day moves the start.
        {101, {2027, 5, 14}, {20, 0}, {2027, 5, 14}, {23, 0}, EndTime, {}, {18, 0},
         {2027, 5, 14}, {18, 0}, {2027, 5, 14}, {18, 0}},
        // A start after the end moves the end.
        {101, {2027, 5, 14}, {19, 0}, {2027, 5, 14}, {23, 30}, StartTime, {}, {23, 45},
         {2027, 5, 14}, {23, 45}, {2027, 5, 14}, {23, 45}},
        // On different days nothing moves.
        {101, {2027, 5, 14}, {20, 0}, {2027, 5, 15}, {4, 0}, EndTime, {}, {2, 0},
         {2027, 5, 14}, {20, 0}, {2027, 5, 15}, {2, 0}},
        // Without an editable end date the end date follows the start.
        {1, {2027, 5, 14}, {10, 0}, {2027, 5, 14}, {12, 0}, StartDate, {2027, 6, 2}, {},
         {2027, 6, 2}, {10, 0}, {2027, 6, 2}, {12, 0}},
    };
    for (const Case& c : cases) {
        auto event = Event(c.category);
        auto wizard = Open(event.get());
        OrvTimeFields* f = wizard->StartPage()->Time()->Fields();
        EXPECT_EQ(f->EndDate()->isEnabled(), c.category != 1);
        OrvEventWorkingCopy& w = wizard->Work();
        w.startDate = c.startDate;
        w.startTime = c.start;
        w.endDate = c.endDate;
        w.endTime = c.end;
        f->Reload();
        switch (c.changed) {
        case StartDate: f->StartDate()->setDate(c.newDate); break;
        case StartTime: f->StartTime()->setTime(c.newTime); break;
        case EndDate: f->EndDate()->setDate(c.newDate); break;
        case EndTime: f->EndTime()->setTime(c.newTime); break;
        }
        EXPECT_EQ(w.startDate, c.expectStartDate) << c.category << " " << c.changed;
        EXPECT_EQ(w.startTime, c.expectStart) << c.category << " " << c.changed;
        EXPECT_EQ(w.endDate, c.expectEndDate) << c.category << " " << c.changed;
        EXPECT_EQ(w.endTime, c.expectEnd) << c.category << " " << c.changed;
        // The fields show the moved values.
        EXPECT_EQ(f->StartTime()->time(), c.expectStart);
        EXPECT_EQ(f->EndDate()->date(), c.expectEndDate);
    }
}

TEST_F(EventWizardTest, ValidationFailureKeepsTheWizardOpenWithItsMessage)
{
    struct Case {
        const char* title;
        int scene;
        int expectedText;
    } cases[] = {{"S", 7, 248}, {"Salsa", 0, 243}};
    for (const Case& c : cases) {
        auto event = Event(101);
        auto wizard = Open(event.get());
        wizard->Work().title.window = c.title;
        if (!c.scene) wizard->Work().scenes.Destroy();
        wizard->show();
        OrvMessageWindow::ClearRecorded();
        QTest::mouseClick(wizard->FinishButton(), Qt::LeftButton);
        EXPECT_TRUE(wizard->isVisible()) << c.title;
        ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u) << c.title;
        EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, QStringLiteral("Fehler"));
        EXPECT_EQ(OrvMessageWindow::Recorded()[0].text, OrvQString(OrvText(c.expectedText)));
        // The event already holds the working values.
        EXPECT_EQ(event->summary, c.title);
        wizard->hide();
    }
}

TEST_F(EventWizardTest, FinishStoresTheWorkingCopy)
{
    auto event = Event(308);
    event->cost.perUnit = "8";
    event->rrule.Parse("FREQ=WEEKLY;BYDAY=FR;");
    auto wizard = Open(event.get());
    OrvCostFields* cost = wizard->StartPage()->Cost()->Fields();
    EXPECT_DOUBLE_EQ(cost->Price(1)->value(), 8.0);
    cost->Price(1)->setLocale(QLocale(QLocale::German));
    cost->Price(1)->selectAll();
    QTest::keyClicks(cost->Price(1), "12,5");
    QTest::keyClick(cost->Price(1), Qt::Key_Tab);
    QTest::mouseClick(cost->Free(), Qt::LeftButton);
    wizard->show();
    QTest::mouseClick(wizard->FinishButton(), Qt::LeftButton);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_EQ(event->cost.perUnit, "12.50");
    EXPECT_EQ(event->cost.vvk, "0.00");
    EXPECT_TRUE(event->cost.free);
    EXPECT_EQ(event->publish.state, static_cast<unsigned>(ORV_PUBLISH_PUBLISHED));
    EXPECT_EQ(event->dtStart.Text(), "20270514T190000");
    EXPECT_EQ(event->dtEnd.Text(), "20270514T233000");
    EXPECT_EQ(event->rrule.frequency, ORV_FREQ_WEEKLY);
    EXPECT_EQ(event->categories.Item(0)->id, 308);
    EXPECT_EQ(event->locationRecord.name, "Stadtpark");
}

TEST_F(EventWizardTest, TextTheWindowCodePageCannotHoldSurvivesUnlessEdited)
{
    auto event = Event(101);
    event->summary = "Salsa \xE2\x80\x93 Open Air";          // en dash
    event->description = "Bring \xF0\x9F\x91\x9F and smile";  // emoji
    event->slogan = "Caf\xC3\xA9 \xE2\x80\x9Cmusic\xE2\x80\x9D";
    event->programme.Add(new OrvCalTableElement("20:00 \xE2\x86\x92 Kurs", "Anf\xC3\xA4nger"));
    auto wizard = Open(event.get());
    // The user edits only the slogan.
    OrvLineEdit* slogan = wizard->StartPage()->Main()->Slogan();
    slogan->setFocus();
    slogan->selectAll();
    Type(slogan, QString::fromUtf8("Café Latino"));
    ASSERT_EQ(wizard->Store(), 0);
    EXPECT_EQ(event->summary, "Salsa \xE2\x80\x93 Open Air");
    EXPECT_EQ(event->description, "Bring \xF0\x9F\x91\x9F and smile");
    EXPECT_EQ(event->programme.Row(0)->col1, "20:00 \xE2\x86\x92 Kurs");
    EXPECT_EQ(event->slogan, "Caf\xC3\xA9 Latino");
    EXPECT_EQ(event->locationRecord.name, "Stadtpark");
}

TEST_F(EventWizardTest, InputsRefuseWhatTheCodePageCannotHold)
{
    auto event = Event(101);
    auto wizard = Open(event.get());
    QPlainTextEdit* description = wizard->StartPage()->Description()->Text();
    description->setFocus();
    Type(description, QString::fromUtf8("Tanz \xE2\x80\x93 Abend"));
    EXPECT_EQ(description->toPlainText(), QString::fromUtf8("Tanz  Abend"));
    EXPECT_TRUE(OrvFitsSingleByte(OrvToUTF8(wizard->Work().description.window).c_str()));
}

TEST_F(EventWizardTest, RestrictedLoginLimitsDescriptionAndLocksSlogan)
{
    OrvCalendarConfig::Get()->SetClientState(0);
    auto event = Event(101);
    auto wizard = Open(event.get());
    EXPECT_FALSE(wizard->StartPage()->Main()->Slogan()->isEnabled());
    QPlainTextEdit* description = wizard->StartPage()->Description()->Text();
    description->setPlainText(QString(600, QLatin1Char('x')));
    EXPECT_EQ(wizard->Work().description.window.size(), 600u);
    description->moveCursor(QTextCursor::End);
    QTest::keyClicks(description, "yz");
    EXPECT_EQ(description->toPlainText().size(), 600);
    EXPECT_EQ(wizard->Work().description.window.size(), 600u);
    OrvCalendarConfig::Get()->SetClientState(1);
}

TEST_F(EventWizardTest, FileSlotsSetAndClearTheirElements)
{
    auto event = Event(101);
    auto* old = new OrvCalImageElement;
    old->name = "image_02";
    old->url = "/nonexistent/picture.jpg";
    event->images.Add(old);
    int fetched = 0;
    services.fetchFile = [&fetched](int, const std::string& name, std::string&) {
        // The portal has no copy either.
        fetched += name == "image_02";
        return false;
    };
    event->eventId = 4711;
    auto wizard = Open(event.get());
    auto* flyer = [&]() -> OrvWizardPage_Files* {
        for (int i = 0; i < wizard->PageCount(); ++i)
            if (auto* p = dynamic_cast<OrvWizardPage_Files*>(wizard->Pages().Page(i)))
                if (p->Kind() == OrvEventPageKind::Flyer) return p;
        return nullptr;
    }();
    ASSERT_NE(flyer, nullptr);
    ASSERT_EQ(flyer->Slots().size(), 1u);
    OrvFileSlot* slot = flyer->Slots()[0];
    EXPECT_EQ(slot->Name(), "flyer_01");
    QTemporaryDir dir;
    const std::string picture = (dir.path() + "/flyer.png").toStdString();
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(picture)));
    slot->TextField()->SetWindowText("Plakat");
    slot->SetFile(picture);
    EXPECT_FALSE(slot->Preview()->pixmap().isNull());
    ASSERT_EQ(wizard->Work().images.Count(), 2);
    OrvCalImageElement* e = wizard->Work().images.Element(1);
    EXPECT_EQ(e->name, "flyer_01");
    EXPECT_EQ(e->url, picture);
    EXPECT_EQ(e->changed, 1);
    EXPECT_EQ(e->text, "Plakat");

    // The image page's second slot finds the old element; its file is not
    // local, so the portal is asked for it.
    auto* images = [&]() -> OrvWizardPage_Files* {
        for (int i = 0; i < wizard->PageCount(); ++i)
            if (auto* p = dynamic_cast<OrvWizardPage_Files*>(wizard->Pages().Page(i)))
                if (p->Kind() == OrvEventPageKind::Images) return p;
        return nullptr;
    }();
    ASSERT_NE(images, nullptr);
    images->Reload();
    EXPECT_EQ(fetched, 1);
    images->Slots()[1]->ClearFile();
    EXPECT_EQ(wizard->Work().images.Count(), 1);
    EXPECT_EQ(wizard->Work().clearedImages, std::vector<std::string>{"image_02"});
    ASSERT_EQ(wizard->Store(), 0);
    ASSERT_EQ(event->images.Count(), 1);
    EXPECT_EQ(event->images.Element(0)->name, "flyer_01");
}

TEST_F(EventWizardTest, NewEventStartsOnThePresetDateWithDefaults)
{
    OrvCalendarConfig::Get()->SetDefault(1, 31, "Stadthalle");
    OrvCalendarConfig::Get()->SetDefault(2, 32, "Kulturverein");
    services.readPerson = [](int id, OrvAddress& out) {
        out = Person(id, id == 31 ? "Stadthalle" : "Kulturverein", "Bonn");
        return true;
    };
    OrvEventWizard wizard(nullptr, nullptr, ORV_EDIT_NEW, ORV_OPEN_CREATE, services);
    wizard.SetPresetDate(ZafUTimeData(2027, 3, 1, 0, 0, 0));
    wizard.SetPresetCategory(101);
    wizard.SetPresetScene(7, "salsa");
    wizard.Prepare();
    EXPECT_EQ(wizard.Work().startDate, QDate(2027, 3, 1));
    EXPECT_EQ(wizard.Work().endDate, QDate(2027, 3, 1));
    EXPECT_EQ(wizard.PageCount(), 11);
    EXPECT_EQ(wizard.Work().location.portalId, 31);
    ASSERT_EQ(wizard.Work().organizers.size(), 1u);
    EXPECT_EQ(wizard.Work().organizers[0].portalId, 32);
    EXPECT_EQ(wizard.StartPage()->Location()->Fields()->NameLabel()->text(), QStringLiteral("Stadthalle"));
    wizard.Work().title.window = "Neu";
    ASSERT_EQ(wizard.Store(), 0);
    std::unique_ptr<OrvCalendarComponent> made(wizard.TakeEvent());
    EXPECT_EQ(made->summary, "Neu");
    EXPECT_EQ(made->scenes.Item(0)->id, 7);
    OrvCalendarConfig::Get()->SetDefault(1, 0, "");
    OrvCalendarConfig::Get()->SetDefault(2, 0, "");
}

}  // namespace
