// The flows around the event wizard: file names and image fitting for the
// upload, new events, one date of a series split off, and the whole road of
// a new event against the local portal service: wizard, upload, images,
// calendar download and the month table.
#include <QDialog>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QComboBox>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "PortalMethodsSupport.h"
#include "app/OrvCalendarConfig.h"
#include "model/OrvCalReader.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvMessageWindow.h"
#include "views/OrvCalendarTable.h"
#include "views/OrvSharedDate.h"
#include "views/editors/OrvEventEditing.h"
#include "views/editors/OrvEventRRuleDialog.h"
#include "views/editors/OrvEventWizardPages.h"

namespace {

std::string WriteImage(const QTemporaryDir& dir, const char* name, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    std::string path = (dir.path() + "/" + name).toStdString();
    EXPECT_TRUE(image.save(QString::fromStdString(path)));
    return path;
}

void SetScenes(bool any)
{
    OrvEventSceneList scenes;
    if (any) scenes.Add(new OrvEventSceneElement(7, "salsa", true));
    OrvCalendarConfig::Get()->SetEventSceneList(scenes);
}

TEST(EventTransfer, NameTakesTheSourceExtension)
{
    struct Case {
        const char* name;
        const char* source;
        const char* expected;
    } cases[] = {
        {"flyer", "/home/u/b.x.jpg", "flyer.jpg"},
        {"flyer", "/home/u/plakat", "flyer"},
        {"image_01", "/dir.with.dots/picture", "image_01"},
        {"download_02", "programm.PDF", "download_02.PDF"},
    };
    for (const Case& c : cases) EXPECT_EQ(OrvTransferName(c.name, c.source), c.expected) << c.source;
}

TEST(EventTransfer, LargeImagesAreFittedInto650)
{
    QTemporaryDir dir;
    struct Case {
        int w, h;
        int result, outW, outH;
    } cases[] = {
        {1300, 650, 0, 650, 325}, {600, 650, 100, 600, 650}, {6000, 4000, 0, 650, 433}, {651, 2000, 0, 211, 650},
    };
    for (const Case& c : cases) {
        std::string source = WriteImage(dir, "in.png", c.w, c.h);
        std::string target = (dir.path() + "/out.jpg").toStdString();
        QFile::remove(QString::fromStdString(target));
        int w = 0, h = 0;
        EXPECT_EQ(OrvFitImageForUpload(source, target, &w, &h), c.result) << c.w << "x" << c.h;
        EXPECT_EQ(w, c.outW);
        EXPECT_EQ(h, c.outH);
        if (c.result == 0) {
            QImage saved(QString::fromStdString(target));
            EXPECT_EQ(saved.width(), c.outW);
            EXPECT_EQ(saved.height(), c.outH);
        } else {
            EXPECT_FALSE(QFile::exists(QString::fromStdString(target)));
        }
    }
    std::ofstream(dir.path().toStdString() + "/broken.jpg") << "not a picture";
    EXPECT_EQ(OrvFitImageForUpload(dir.path().toStdString() + "/broken.jpg", dir.path().toStdString() + "/x.jpg"), -1);
}

TEST(EventEditing, NewEventWithoutScenesShowsTheHintAndNoWizard)
{
    SetScenes(false);
    OrvCalendar calendar;
    OrvEventEditContext context;
    context.calendar = &calendar;
    bool ran = false;
    context.runWizard = [&ran](OrvEventWizard&) {
        ran = true;
        return ZAF_DIALOG_OK;
    };
    OrvMessageWindow::ClearRecorded();
    EXPECT_EQ(OrvNewEvent(context, ZafUTimeData(2027, 1, 1), 301), -1);
    EXPECT_FALSE(ran);
    ASSERT_EQ(OrvMessageWindow::Recorded().size(), 1u);
    EXPECT_EQ(OrvMessageWindow::Recorded()[0].title, QStringLiteral("Hinweis"));
    EXPECT_TRUE(OrvMessageWindow::Recorded()[0].text.contains(QStringLiteral("Extras > Einstellungen")));
    SetScenes(true);
}

const char* kSeries =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:kurs-1\r\nSUMMARY:Salsa-Kurs\r\n"
    "DTSTART:20270104T190000\r\nDTEND:20270104T203000\r\nRRULE:FREQ=WEEKLY;COUNT=6;BYDAY=MO\r\n"
    "X-ORV-EVENTID:0\r\nX-ORV-SCENES:salsa\r\nX-ORV-CATEGORIES:201\r\n"
    "X-ORV-LOCATION:ID=3;NAME=\"Tanzhaus\";\r\nX-ORV-ORGANIZER:ID=4;NAME=\"Tanzschule\";\r\n"
    "END:VEVENT\r\nEND:VCALENDAR\r\n";

TEST(EventEditing, EditingOneDateOfASeriesSplitsItOff)
{
    SetScenes(true);
    OrvCalendar calendar;
    calendar.LoadText(kSeries);
    calendar.RebuildOccurrences();
    ASSERT_EQ(calendar.occurrences.Count(), 6);
    OrvEventDate* third = calendar.occurrences.Item(2);
    ASSERT_EQ(third->start.Day(), 18);
    OrvCalendarComponent* series = third->event;
    series->scenes.Destroy();
    series->scenes.Append(7, "salsa");

    OrvEventEditContext context;
    context.calendar = &calendar;
    int broadcasts = 0;
    context.broadcastChange = [&broadcasts]() { ++broadcasts; };
    context.askRepeating = [](int command, const std::string& summary, int& value) {
        EXPECT_EQ(command, ORV_OPEN_EDIT);
        EXPECT_EQ(summary, "Salsa-Kurs");
        value = ORV_REPEAT_ONLY_THIS;
        return ZAF_DIALOG_OK;
    };
    context.runWizard = [](OrvEventWizard& wizard) {
        EXPECT_EQ(wizard.EditMode(), ORV_EDIT_OCCURRENCE);
        // Scene and recurrence are locked for a split-off date.
        EXPECT_FALSE(wizard.StartPage()->Main()->Scenes()->isEnabled());
        EXPECT_FALSE(wizard.StartPage()->Time()->Fields()->Frequency()->isEnabled());
        OrvLineEdit* title = wizard.StartPage()->Main()->Title();
        title->selectAll();
        QTest::keyClicks(title, "Salsa-Kurs (Ersatztermin)");
        wizard.show();
        QTest::mouseClick(wizard.FinishButton(), Qt::LeftButton);
        return wizard.result() == QDialog::Accepted ? ZAF_DIALOG_OK : ZAF_DIALOG_CLOSE;
    };
    ASSERT_EQ(OrvEditEventDate(context, third), 0);
    EXPECT_GE(broadcasts, 1);
    ASSERT_EQ(series->exDates.size(), 1u);
    EXPECT_EQ(series->exDates[0].Text(), "20270118T190000");
    EXPECT_EQ(series->summary, "Salsa-Kurs");
    ASSERT_EQ(calendar.events.size(), 2u);
    OrvCalendarComponent* single = calendar.events[1];
    EXPECT_EQ(single->summary, "Salsa-Kurs (Ersatztermin)");
    EXPECT_EQ(single->rrule.frequency, 0);
    EXPECT_EQ(single->dtStart.Text(), "20270118T190000");
    // Five dates of the series plus the separate one.
    EXPECT_EQ(calendar.occurrences.Count(), 6);
}

TEST(EventEditing, CancellingTheQuestionOrTheWizardChangesNothing)
{
    SetScenes(true);
    OrvCalendar calendar;
    calendar.LoadText(kSeries);
    calendar.RebuildOccurrences();
    std::string before = calendar.Text();
    OrvEventEditContext context;
    context.calendar = &calendar;
    context.askRepeating = [](int, const std::string&, int&) { return ZAF_DIALOG_CLOSE; };
    EXPECT_EQ(OrvEditEventDate(context, calendar.occurrences.Item(0)), -1);
    context.askRepeating = [](int, const std::string&, int& value) {
        value = ORV_REPEAT_ONLY_THIS;
        return ZAF_DIALOG_OK;
    };
    context.runWizard = [](OrvEventWizard& wizard) {
        wizard.Work().title.window = "geändert";
        return ZAF_DIALOG_CLOSE;
    };
    EXPECT_EQ(OrvEditEventDate(context, calendar.occurrences.Item(1)), -1);
    EXPECT_EQ(calendar.Text(), before);
}

class EndToEnd : public pmtest::PortalFixture {};

TEST_F(EndToEnd, NewEventIsUploadedDownloadedAndShownInTheMonthTable)
{
    OrvCalendarConfig* config = OrvCalendarConfig::Get();
    // Scene identifiers come from the portal's configuration.
    json::Object portalConfig;
    ASSERT_EQ(client_->Service().ApplicationGetConfig(portalConfig), 0);
    config->SetPortalConfig(portalConfig);
    SetScenes(true);
    ASSERT_NE(config->GetDefaultSceneID(), 0);
    // The demo portal's first two persons as default location and organizer.
    config->SetDefault(1, 1, "Ort");
    config->SetDefault(2, 2, "Veranstalter");
    QTemporaryDir dir;
    std::string flyer = WriteImage(dir, "plakat.x.png", 1300, 650);

    OrvCalendar calendar;
    OrvEventEditContext context;
    context.calendar = &calendar;
    context.portal = &client_->Service();
    context.ensureLogin = []() { return 0; };
    context.chooseFile = [&flyer](bool images) { return images ? flyer : std::string(); };
    context.runWizard = [&flyer](OrvEventWizard& wizard) {
        // Location and organizer came from the portal.
        EXPECT_EQ(wizard.Work().location.portalId, 1);
        EXPECT_EQ(wizard.Work().organizers.size(), 1u);
        OrvLineEdit* title = wizard.StartPage()->Main()->Title();
        QTest::keyClicks(title, "Salsa am Rhein");
        OrvTimeFields* time = wizard.StartPage()->Time()->Fields();
        time->StartTime()->setTime(QTime(20, 0));
        time->EndTime()->setTime(QTime(23, 30));
        for (int i = 0; i < wizard.PageCount(); ++i)
            if (auto* files = dynamic_cast<OrvWizardPage_Files*>(wizard.Pages().Page(i)))
                if (files->Kind() == OrvEventPageKind::Flyer) {
                    files->Reload();
                    files->Slots()[0]->SetFile(flyer);
                }
        wizard.show();
        QTest::mouseClick(wizard.FinishButton(), Qt::LeftButton);
        return wizard.result() == QDialog::Accepted ? ZAF_DIALOG_OK : ZAF_DIALOG_CLOSE;
    };
    OrvMessageWindow::ClearRecorded();
    ASSERT_EQ(OrvNewEvent(context, ZafUTimeData(2027, 2, 12, 12, 0, 0), 301), 0)
        << (OrvMessageWindow::Recorded().empty() ? std::string() : OrvMessageWindow::Recorded()[0].text.toStdString());
    ASSERT_EQ(calendar.events.size(), 1u);
    OrvCalendarComponent* made = calendar.events[0];
    ASSERT_NE(made->eventId, 0) << "the portal's event id is stored";
    EXPECT_EQ(made->summary, "Salsa am Rhein");
    ASSERT_EQ(made->images.Count(), 1);
    EXPECT_EQ(made->images.Element(0)->changed, 0) << "the flyer was transferred";

    // The flyer on the portal is the fitted copy.
    std::string fetched;
    ASSERT_EQ(client_->Service().EventGetFile(made->eventId, "flyer_01.png", fetched), 0);
    QImage onPortal(QString::fromStdString(fetched));
    EXPECT_EQ(onPortal.width(), 650);
    EXPECT_EQ(onPortal.height(), 325);

    // Download the calendar as the main window does and show it.
    std::string file = client_->Dir() + "/Calendar.ics";
    ASSERT_EQ(client_->Service().GetCalendarFile(nullptr, file), 0);
    OrvCalendar downloaded;
    downloaded.Load(file);
    downloaded.RebuildOccurrences();
    OrvCalendarComponent* found = nullptr;
    for (OrvCalendarComponent* e : downloaded.events)
        if (e->eventId == made->eventId) found = e;
    ASSERT_NE(found, nullptr) << "the uploaded event is in the downloaded calendar";
    EXPECT_EQ(found->summary, "Salsa am Rhein");
    EXPECT_EQ(found->dtStart.Text(), "20270212T200000");

    OrvSharedDate date(ZafUTimeData(2027, 2, 12, 12, 0, 0));
    OrvCalendarTable table;
    table.BindDate(&date);
    table.SetCalendar(&downloaded);
    table.resize(1000, 700);
    OrvCalendarTableDay* day = table.CellOf(ZafUTimeData(2027, 2, 12));
    ASSERT_NE(day, nullptr);
    day->RebuildEntries();
    bool shown = false;
    for (OrvCalendarTableEvent* entry : day->Entries())
        if (entry->Caption().contains(QStringLiteral("Salsa am Rhein"))) shown = true;
    EXPECT_TRUE(shown) << "the event appears in its day cell";
    table.BindDate(nullptr);
    config->SetDefault(1, 0, "");
    config->SetDefault(2, 0, "");
}

}  // namespace
