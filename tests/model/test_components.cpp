// Components: identifier tables, applying properties, Get/Set with request
// modes and code pages, Validate, Clone.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "ModelTestSupport.h"
#include "model/OrvCalTables.h"
#include "model/OrvCalendarComponent.h"

namespace {

// --- identifier tables ----------------------------------------------------------

TEST(OrvTables, PropertyKindsByWholeCaseSensitiveName)
{
    struct Case {
        const char* name;
        int kind;
    } cases[] = {
        {"CALSCALE", 1},        {"DTSTART", 20},         {"END", 49},           {"BEGIN", 48},
        {"CALNAME", 50},        {"X-ORV-EVENTID", 53},   {"X-ORV-SCENES", 51},  {"X-ORV-CATEGORIES", 52},
        {"X-ORV-IMAGE", 62},    {"X-ORV-FILE", 63},      {"X-ORV-PUBLISH", 61}, {"X-ORV-PROGRAM", 65},
        {"X-ORV-HIGHLIGHTS", 64}, {"X-ORV-SUPRAREGIONAL", 70}, {"REQUEST-STATUS", 47},
        // Not in the table.
        {"dtstart", 0},         {"DTSTAR", 0},           {"DTSTARTX", 0},       {"X-WR-CALNAME", 0},
        {"X-ORV-", 0},          {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(OrvPropertyKind(c.name), c.kind) << c.name;
    // Every row but the closing one maps back to its own number.
    for (const OrvCalTableRow* row = OrvPropertyKindTable(); row->number; ++row)
        EXPECT_EQ(OrvPropertyKind(row->name), row->number) << row->name;
}

TEST(OrvTables, ComponentKindMatchesTheBeginningOfTheFirstRow)
{
    struct Case {
        const char* name;
        int kind;
    } cases[] = {
        {"VEVENT", ORV_VEVENT},     {"VEV", ORV_VEVENT},       {"", ORV_VCALENDAR},  {"V", ORV_VCALENDAR},
        {"   VTODO", ORV_VTODO},    {"VT", ORV_VTODO},         {"VTI", ORV_VTIMEZONE}, {"DAYLIGHT", ORV_DAYLIGHT},
        {"STANDARD", ORV_STANDARD}, {"VEVENTX", 0},            {"vevent", 0},        {"X-CUSTOM", 0},
        {"VEVENT ", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(OrvComponentKind(c.name), c.kind) << '"' << c.name << '"';
}

TEST(OrvTables, ParametersValueTypesAndTransparency)
{
    EXPECT_EQ(OrvParameterKind("TZID"), 19);
    EXPECT_EQ(OrvParameterKind("VALUE"), 20);
    EXPECT_EQ(OrvParameterKind("ALTREP"), 1);
    EXPECT_EQ(OrvParameterKind("X-PARAM"), 0);
    EXPECT_EQ(OrvValueType("DATE"), 4);
    EXPECT_EQ(OrvValueType("DATE-TIME"), 5);
    EXPECT_EQ(OrvValueType("OFFSET"), 14);
    EXPECT_EQ(OrvValueType("date"), 0);
    EXPECT_EQ(OrvTransparency("TRANSPARENT"), 1);
    EXPECT_EQ(OrvTransparency("OPAQUE"), 2);
    EXPECT_EQ(OrvTransparency("OPAQ"), 0);
    EXPECT_STREQ(OrvTableName(OrvTransparencyTable(), 2), "OPAQUE");
    EXPECT_STREQ(OrvTableName(OrvTransparencyTable(), 3), "");
}

TEST(OrvComponents, FactoryClassesNamesAndIds)
{
    struct Case {
        const char* name;
        int id;
    } cases[] = {
        {"VCALENDAR", 10029}, {"VEVENT", 10030}, {"VTODO", 10034},   {"VJOURNAL", 10032}, {"VFREEBUSY", 10031},
        {"VTIMEZONE", 10033}, {"VALARM", 10028}, {"STANDARD", 10027}, {"DAYLIGHT", 10026},
    };
    for (const Case& c : cases) {
        std::unique_ptr<OrvCalendarComponent> component(OrvCreateComponent(c.name));
        ASSERT_TRUE(component) << c.name;
        EXPECT_EQ(component->ClassID(), c.id);
        EXPECT_EQ(component->name, c.name);
        EXPECT_TRUE(component->IsA(c.id));
        EXPECT_TRUE(component->IsA(ORV_CALENDARCOMPONENT));
        for (const Case& other : cases)
            if (other.id != c.id) {
                EXPECT_FALSE(component->IsA(other.id)) << c.name << " is not " << other.name;
            }
    }
    EXPECT_EQ(OrvCreateComponent("X-WR-TIMEZONE"), nullptr);
}

// --- applying properties ----------------------------------------------------------

struct ApplyCase {
    const char* lines;
    std::function<void(const OrvCalendarComponent&)> check;
};

TEST(OrvComponents, ApplyPropertyStoresEachKindInItsField)
{
    const ApplyCase cases[] = {
        {"DTSTART;VALUE=DATE:20270301T193000\n",
         [](const OrvCalendarComponent& e) { EXPECT_EQ(e.dtStart.Text(), "20270301T000000"); }},
        {"DTSTART;TZID=Europe/Berlin:20270301T193005\n",
         [](const OrvCalendarComponent& e) { EXPECT_EQ(e.dtStart.Text(), "20270301T193005"); }},
        // UTC becomes local time (these tests run in Europe/Berlin).
        {"DTEND:20270301T193000Z\n", [](const OrvCalendarComponent& e) { EXPECT_EQ(e.dtEnd.Text(), "20270301T203000"); }},
        // A bare date is a whole day.
        {"DTSTART:20270301\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.dtStart.Text(), "20270301T000000");
             EXPECT_TRUE(e.dtStart.dateOnly);
         }},
        // The first VALUE parameter counts.
        {"DTSTART;VALUE=DATE-TIME;VALUE=DATE:20270301T101010\n",
         [](const OrvCalendarComponent& e) { EXPECT_EQ(e.dtStart.Text(), "20270301T101010"); }},
        {"CREATED:20260102T030405\nLAST-MODIFIED:20260203T040506\nDTSTAMP:20260304T050607\n"
         "RECURRENCE-ID:20260405T060708\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.created.Text(), "20260102T030405");
             EXPECT_EQ(e.lastModified.Text(), "20260203T040506");
             EXPECT_EQ(e.dtStamp.Text(), "20260304T050607");
             EXPECT_EQ(e.recurrenceId.Text(), "20260405T060708");
         }},
        {"SUMMARY:\"\"Tanzabend\"\n", [](const OrvCalendarComponent& e) { EXPECT_EQ(e.summary, "Tanzabend"); }},
        // Escapes stay in the stored text; only the quotes go.
        {"DESCRIPTION:\"Ort#p Saal 2\\nEnde\"\n",
         [](const OrvCalendarComponent& e) { EXPECT_EQ(e.description, "Ort#p Saal 2\\nEnde"); }},
        {"X-ORV-SLOGAN:\"Tanz\"\n", [](const OrvCalendarComponent& e) { EXPECT_EQ(e.slogan, "Tanz"); }},
        {"LOCATION:\"Halle\"\n", [](const OrvCalendarComponent& e) { EXPECT_EQ(e.location, "\"Halle\""); }},
        {"UID:abc@x\nSTATUS:CONFIRMED\nCLASS:PUBLIC\nCOMMENT:c\nURL:http://x\nTZNAME:CET\nX-ORV-USERCATEGORY:Kurse\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.uid, "abc@x");
             EXPECT_EQ(e.status, "CONFIRMED");
             EXPECT_EQ(e.classification, "PUBLIC");
             EXPECT_EQ(e.comment, "c");
             EXPECT_EQ(e.url, "http://x");
             EXPECT_EQ(e.tzName, "CET");
             EXPECT_EQ(e.userCategory, "Kurse");
         }},
        {"PRIORITY:7x\nSEQUENCE:abc\nPERCENT-COMPLETE:40\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.priority, 7);
             EXPECT_EQ(e.sequence, 0);
             EXPECT_EQ(e.percentComplete, 40);
         }},
        {"TZOFFSETFROM:+0130\nTZOFFSETTO:-05\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.tzOffsetFrom.sign, '+');
             EXPECT_EQ(e.tzOffsetFrom.hours, 1);
             EXPECT_EQ(e.tzOffsetFrom.minutes, 30);
             EXPECT_EQ(e.tzOffsetTo.sign, '-');
             EXPECT_EQ(e.tzOffsetTo.hours, 5);
             EXPECT_EQ(e.tzOffsetTo.minutes, 0);
         }},
        // Fields that are not read keep their value.
        {"TZOFFSETFROM:+0230\nTZOFFSETFROM:-1\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.tzOffsetFrom.sign, '-');
             EXPECT_EQ(e.tzOffsetFrom.hours, 2);
             EXPECT_EQ(e.tzOffsetFrom.minutes, 30);
         }},
        {"EXDATE:20270101,20270108T100000\nEXDATE;VALUE=DATE:20270115\n",
         [](const OrvCalendarComponent& e) {
             ASSERT_EQ(e.exDates.size(), 3u);
             EXPECT_EQ(e.exDates[0].Text(), "20270101T000000");
             EXPECT_EQ(e.exDates[1].Text(), "20270108T100000");
             EXPECT_EQ(e.exDates[2].Text(), "20270115T000000");
         }},
        {"RESOURCES:Beamer,Bar\nRESOURCES:Bühne\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.resources, (OrvStringVector{"Beamer", "Bar", "Bühne"}));
         }},
        {"RRULE:FREQ=WEEKLY;BYDAY=MO,WE;COUNT=4\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.rrule.frequency, ORV_FREQ_WEEKLY);
             EXPECT_EQ(e.rrule.count, 4);
             EXPECT_EQ(e.rrule.byDay.size(), 2u);
         }},
        {"TRANSP:OPAQUE\n", [](const OrvCalendarComponent& e) { EXPECT_EQ(static_cast<const OrvVEVENT&>(e).transparency, 2); }},
        {"TRANSP:OPAQUE\nTRANSP:SOMETIMES\n",
         [](const OrvCalendarComponent& e) { EXPECT_EQ(static_cast<const OrvVEVENT&>(e).transparency, 0); }},
        {"X-ORV-EVENTID:-5\nX-ORV-SUPRAREGIONAL:1\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.eventId, -5);
             EXPECT_EQ(e.supraRegional, 1);
         }},
        {"X-ORV-LOCATION:ID=12;NAME=\"Saal; oben\";CITY=Köln;\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.locationRecord.id, 12u);
             EXPECT_EQ(e.locationRecord.name, "Saal; oben");
             EXPECT_EQ(e.locationRecord.city, "Köln");
         }},
        {"X-ORV-ORGANIZER:ID=1;NAME=\"A\";\nX-ORV-DJ:ID=2;\nX-ORV-GUEST:ID=3;\nX-ORV-ORGANIZER:ID=4;\n",
         [](const OrvCalendarComponent& e) {
             ASSERT_EQ(e.organizers.size(), 2u);
             EXPECT_EQ(e.organizers[0].id, 1u);
             EXPECT_EQ(e.organizers[1].id, 4u);
             ASSERT_EQ(e.djs.size(), 1u);
             EXPECT_EQ(e.djs[0].id, 2u);
             ASSERT_EQ(e.guests.size(), 1u);
             EXPECT_EQ(e.guests[0].id, 3u);
         }},
        {"X-ORV-COST:PERUNIT=9.50;FREE=1;\nX-ORV-COSTTABLE:COL_1=\"a\";COL_2=\"1\";\nX-ORV-COSTTABLE:COL_1=\"b\";\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.cost.perUnit, "9.50");
             EXPECT_TRUE(e.cost.free);
             ASSERT_EQ(e.costTable.Count(), 2);
             EXPECT_EQ(e.costTable.Row(1)->col1, "b");
         }},
        {"X-ORV-LESSON:SUBJECT=\"Salsa\";\nX-ORV-PUBLISH:STATE=2;PUBLISH_UP=20270101T000000;\n"
         "X-ORV-IMAGE:TYPE=\"a.jpg\";\nX-ORV-DOWNLOAD:NAME=\"b.pdf\";\nX-ORV-PROGRAM:COL_1=\"20:00\";\n"
         "X-ORV-HIGHLIGHTS:20270101T200000=2;20270108T200000=1\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_EQ(e.lesson.subject, "Salsa");
             EXPECT_EQ(e.publish.state, 2u);
             EXPECT_EQ(e.publish.publishUp.Text(), "20270101T000000");
             ASSERT_EQ(e.images.Count(), 1);
             EXPECT_EQ(e.images.Element(0)->name, "a.jpg");
             ASSERT_EQ(e.downloads.Count(), 1);
             EXPECT_TRUE(e.downloads.Element(0)->IsA(OrvCalDownloadElement::classID));
             ASSERT_EQ(e.programme.Count(), 1);
             ASSERT_EQ(e.highlights.Count(), 2);
             EXPECT_EQ(e.highlights.Element(0)->level, 2);
         }},
        // Lines without a field are dropped.
        {"ATTENDEE:mailto:a@b\nORGANIZER:mailto:o@b\nGEO:1;2\nDURATION:PT1H\nX-ORV-USER:u\nX-ORV-FILE:f\nCALNAME:n\n",
         [](const OrvCalendarComponent& e) {
             EXPECT_TRUE(e.organizer.empty());
             EXPECT_EQ(OrvComponentText(e), OrvComponentText(OrvVEVENT()));
         }},
    };
    for (const ApplyCase& c : cases) {
        SCOPED_TRACE(c.lines);
        auto calendar = EventCalendar(c.lines);
        OrvCalendarComponent* event = FirstEvent(*calendar);
        ASSERT_NE(event, nullptr);
        c.check(*event);
    }
}

TEST(OrvComponents, TheCalendarBlockTakesOnlyItsFourProperties)
{
    auto calendar = ReadCalendar(
        "BEGIN:VCALENDAR\nPRODID:-//A//B\nVERSION:2.0\nMETHOD:PUBLISH\nCALSCALE:GREGORIAN\nSUMMARY:not here\n"
        "UID:nor here\nBEGIN:VEVENT\nPRODID:-//event//X\nVERSION:9\nEND:VEVENT\nEND:VCALENDAR\n");
    auto* top = static_cast<OrvVCALENDAR*>(calendar->Component(0));
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->prodId, "-//A//B");
    EXPECT_EQ(top->version, "2.0");
    EXPECT_EQ(top->method, "PUBLISH");
    EXPECT_EQ(top->calScale, "GREGORIAN");
    EXPECT_TRUE(top->summary.empty());
    EXPECT_TRUE(top->uid.empty());
    // The event has no field for them and writes none.
    std::string eventText = OrvComponentText(*top->Child(0));
    EXPECT_EQ(eventText.find("PRODID"), std::string::npos);
    EXPECT_EQ(eventText.find("VERSION"), std::string::npos);
}

TEST(OrvComponents, ClassSpecificFields)
{
    auto calendar = ReadCalendar(
        "BEGIN:VCALENDAR\nBEGIN:VTODO\nDUE;VALUE=DATE:20270401\nSUMMARY:Plakate\nEND:VTODO\n"
        "BEGIN:VEVENT\nDUE:20270401T100000\nBEGIN:VALARM\nACTION:DISPLAY\nTRIGGER:-PT15M\nDESCRIPTION:Los\nEND:VALARM\n"
        "END:VEVENT\nBEGIN:VTIMEZONE\nTZID:Europe/Berlin\nEND:VTIMEZONE\nEND:VCALENDAR\n");
    OrvCalendarComponent* top = calendar->Component(0);
    ASSERT_EQ(top->children.Count(), 3);
    auto* todo = static_cast<OrvVTODO*>(top->Child(0));
    EXPECT_EQ(todo->due.Text(), "20270401T000000");
    EXPECT_EQ(todo->summary, "Plakate");
    OrvCalendarComponent* event = top->Child(1);
    ASSERT_EQ(event->children.Count(), 1);
    auto* alarm = static_cast<OrvVALARM*>(event->Child(0));
    EXPECT_EQ(alarm->action, "DISPLAY");
    EXPECT_EQ(alarm->trigger, "-PT15M");
    EXPECT_EQ(alarm->description, "Los");
    EXPECT_EQ(alarm->parent, event);
    EXPECT_EQ(alarm->document, calendar.get());
    EXPECT_EQ(static_cast<OrvVTIMEZONE*>(top->Child(2))->tzId, "Europe/Berlin");
}

// --- scenes and categories through the configuration hooks ------------------------

int SceneIds(const char* name)
{
    if (std::strcmp(name, "salsa") == 0) return 7;
    if (std::strcmp(name, "tango") == 0) return 9;
    // The configuration sees window code page names.
    if (std::strcmp(name, "T\xfcrkisch") == 0) return 11;
    return 0;
}

int CategoryIds(const char* name) { return std::strcmp(name, "Kurs") == 0 ? 55 : 0; }

const char* CategoryNames(int id)
{
    if (id == 101) return "Kurs f\xfcr Einsteiger";   // window code page
    return "";
}

TEST(OrvComponents, ScenesAndCategoriesTakeTheConfigurationIds)
{
    LookupHooks hooks(SceneIds, CategoryIds, CategoryNames);
    auto calendar = EventCalendar(
        "X-ORV-SCENES:2,tango,Türkisch\nX-ORV-CATEGORIES:101,Kurs,Unbekannt\nCATEGORIES:Kurs,Party\n");
    OrvCalendarComponent* event = FirstEvent(*calendar);
    ASSERT_EQ(event->scenes.Count(), 3);
    EXPECT_EQ(event->scenes.Item(0)->name, "salsa");
    EXPECT_EQ(event->scenes.Item(0)->id, 7);
    EXPECT_EQ(event->scenes.Item(1)->name, "tango");
    EXPECT_EQ(event->scenes.Item(1)->id, 9);
    EXPECT_EQ(event->scenes.Item(2)->id, 11);
    // The extension line replaced nothing yet; CATEGORIES adds configured
    // names that are not there yet (its line is kept with every name).
    ASSERT_EQ(event->categories.Count(), 3);
    EXPECT_EQ(event->categories.Item(0)->id, 101);
    EXPECT_EQ(event->categories.Item(0)->name, "Kurs für Einsteiger");
    EXPECT_EQ(event->categories.Item(1)->id, 55);
    EXPECT_EQ(event->categories.Item(1)->name, "Kurs");
    EXPECT_EQ(event->categories.Item(2)->id, 0);
    EXPECT_EQ(event->categories.Item(2)->name, "Unbekannt");
    EXPECT_NE(calendar->Text().find("\nCATEGORIES:Kurs,Party\n"), std::string::npos);
    // Saving and reading again neither grows the list nor loses a name.
    auto again = ReadCalendar(calendar->Text());
    EXPECT_EQ(FirstEvent(*again)->categories.Count(), 3);
    EXPECT_EQ(again->Text(), calendar->Text());
}

TEST(OrvComponents, SecondCategoriesLineAppendsSecondExtensionLineReplaces)
{
    LookupHooks hooks(SceneIds, CategoryIds, CategoryNames);
    auto appended = EventCalendar("CATEGORIES:Party\nCATEGORIES:Kurs\n");
    ASSERT_EQ(FirstEvent(*appended)->categories.Count(), 1);
    EXPECT_EQ(FirstEvent(*appended)->categories.Item(0)->id, 55);
    auto replaced = EventCalendar("X-ORV-CATEGORIES:101,102\nX-ORV-CATEGORIES:201\nX-ORV-SCENES:salsa\nX-ORV-SCENES:tango\n");
    OrvCalendarComponent* event = FirstEvent(*replaced);
    ASSERT_EQ(event->categories.Count(), 1);
    EXPECT_EQ(event->categories.Item(0)->id, 201);
    ASSERT_EQ(event->scenes.Count(), 1);
    EXPECT_EQ(event->scenes.Item(0)->name, "tango");
}

TEST(OrvComponents, WithoutHooksIdsAreZero)
{
    auto calendar = EventCalendar("X-ORV-SCENES:salsa\nCATEGORIES:Kurs\nX-ORV-CATEGORIES:101\n");
    OrvCalendarComponent* event = FirstEvent(*calendar);
    EXPECT_EQ(event->scenes.Item(0)->id, 0);
    ASSERT_EQ(event->categories.Count(), 1);
    EXPECT_EQ(event->categories.Item(0)->id, 101);
    EXPECT_EQ(event->categories.Item(0)->name, "");
    EXPECT_EQ(OrvLookupSceneID("salsa"), 0);
    EXPECT_STREQ(OrvLookupCategoryName(101), "");
}

// --- Get and Set --------------------------------------------------------------------

TEST(OrvComponents, RequestModes)
{
    OrvVEVENT event;
    std::string text;
    OrvStringVector list;
    OrvCost cost;
    const int textKinds[] = {7, 8, 9, 11, 15, 16, 25, 50, 66, 68};
    for (int kind : textKinds) {
        EXPECT_EQ(event.GetText(kind, text, ORV_REQUEST_SUPPORTED), 0) << kind;
        EXPECT_EQ(event.GetText(kind, text, ORV_REQUEST_VALUE), 0) << kind;
        EXPECT_EQ(event.GetText(kind, text, 3), -1) << kind;
        EXPECT_EQ(event.GetText(kind, text, 0), -1) << kind;
    }
    const int unsupportedText[] = {0, 1, 6, 14, 20, 31, 35, 53, 99};
    for (int kind : unsupportedText) {
        EXPECT_EQ(event.GetText(kind, text, ORV_REQUEST_SUPPORTED), -1) << kind;
        EXPECT_EQ(event.GetText(kind, text, ORV_REQUEST_VALUE), -1) << kind;
    }
    for (int kind : {6, 14}) {
        EXPECT_EQ(event.GetStringList(kind, list, ORV_REQUEST_SUPPORTED), 0);
        EXPECT_EQ(event.GetStringList(kind, list, ORV_REQUEST_VALUE), 0);
        EXPECT_EQ(event.GetStringList(kind, list, 7), -1);
    }
    EXPECT_EQ(event.GetStringList(16, list, ORV_REQUEST_SUPPORTED), -1);
    EXPECT_EQ(event.GetStringList(16, list, ORV_REQUEST_VALUE), -1);
    EXPECT_EQ(event.GetCost(0, cost, ORV_REQUEST_SUPPORTED), 0);
    EXPECT_EQ(event.GetCost(0, cost, ORV_REQUEST_VALUE), 0);
    EXPECT_EQ(event.GetCost(0, cost, 5), -1);
}

TEST(OrvComponents, ModeOneDeliversNothing)
{
    auto calendar = EventCalendar("SUMMARY:Party\nRESOURCES:Bar\nX-ORV-COST:PERUNIT=5.00;\n");
    OrvCalendarComponent* event = FirstEvent(*calendar);
    std::string text = "untouched";
    OrvStringVector list;
    OrvCost cost;
    event->GetText(ORVP_SUMMARY, text, ORV_REQUEST_SUPPORTED);
    event->GetStringList(ORVP_RESOURCES, list, ORV_REQUEST_SUPPORTED);
    event->GetCost(0, cost, ORV_REQUEST_SUPPORTED);
    EXPECT_EQ(text, "untouched");
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(cost.perUnit.empty());
}

TEST(OrvComponents, GetTextUnescapesAndConvertsToTheWindowCodePage)
{
    auto calendar = EventCalendar("DESCRIPTION:Gr\xc3\xbc\xc3\x9f""e#p Saal#c oben\\nZeile#nzwei #'x#'\n"
                                  "SUMMARY:Caf\xc3\xa9\n");
    OrvCalendarComponent* event = FirstEvent(*calendar);
    std::string text;
    ASSERT_EQ(event->GetText(ORVP_DESCRIPTION, text, ORV_REQUEST_VALUE), 0);
    EXPECT_EQ(text, "Gr\xfc\xdf""e: Saal; oben\r\nZeile\r\nzwei \"x\"");
    ASSERT_EQ(event->GetText(ORVP_SUMMARY, text, ORV_REQUEST_VALUE), 0);
    EXPECT_EQ(text, "Caf\xe9");
    calendar->name = "Kalender";
    ASSERT_EQ(event->GetText(ORVP_CALNAME, text, ORV_REQUEST_VALUE), 0);
    EXPECT_EQ(text, "Kalender");
    // Without a document the name is empty.
    OrvVEVENT loose;
    text = "x";
    EXPECT_EQ(loose.GetText(ORVP_CALNAME, text, ORV_REQUEST_VALUE), 0);
    EXPECT_EQ(text, "");
}

TEST(OrvComponents, SetTextConvertsToUTF8AndIgnoresOtherKinds)
{
    OrvVEVENT event;
    struct Case {
        int kind;
        std::string OrvCalendarComponent::*field;
    } cases[] = {
        {7, &OrvCalendarComponent::classification}, {8, &OrvCalendarComponent::comment},
        {11, &OrvCalendarComponent::location},      {15, &OrvCalendarComponent::status},
        {16, &OrvCalendarComponent::summary},       {25, &OrvCalendarComponent::tzName},
        {31, &OrvCalendarComponent::organizer},     {66, &OrvCalendarComponent::slogan},
        {68, &OrvCalendarComponent::userCategory},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(event.SetText(c.kind, "M\xfcnster"), 0);
        EXPECT_EQ(event.*c.field, "M\xc3\xbcnster") << c.kind;
    }
    EXPECT_EQ(event.SetText(ORVP_DESCRIPTION, "eins#nzwei \xe4"), 0);
    EXPECT_EQ(event.description, "eins\r\nzwei \xc3\xa4");
    EXPECT_EQ(event.SetText(ORVP_UID, "new-uid"), 0);
    EXPECT_EQ(event.uid, "");
    EXPECT_EQ(event.SetText(ORVP_SUMMARY, nullptr), 0);
    EXPECT_EQ(event.summary, "");
    // ORGANIZER is held but never written.
    EXPECT_EQ(OrvComponentText(event).find("ORGANIZER:M"), std::string::npos);
}

TEST(OrvComponents, StringListsAndCosts)
{
    OrvVEVENT event;
    EXPECT_EQ(event.SetStringList(ORVP_RESOURCES, {"B\xfchne", "Bar"}), 0);
    EXPECT_EQ(event.SetStringList(ORVP_RESOURCES, {"Licht", "B\xfchne"}), 0);
    EXPECT_EQ(event.resources, (OrvStringVector{"Licht", "B\xc3\xbchne"}));
    EXPECT_EQ(event.SetStringList(ORVP_CATEGORIES, {"x"}), 0);
    EXPECT_EQ(event.categories.Count(), 0);
    EXPECT_EQ(event.SetStringList(ORVP_SUMMARY, {"x"}), -1);

    OrvStringVector list{"vorher"};
    EXPECT_EQ(event.GetStringList(ORVP_RESOURCES, list, ORV_REQUEST_VALUE), 0);
    EXPECT_EQ(list, (OrvStringVector{"vorher", "Licht", "B\xfchne"}));
    OrvStringVector none;
    EXPECT_EQ(event.GetStringList(ORVP_CATEGORIES, none, ORV_REQUEST_VALUE), 0);
    EXPECT_TRUE(none.empty());

    OrvCost in;
    in.perUnit = "12.50";
    in.text = "Erm\xe4\xdfigung";
    in.units = 3;
    in.free = true;
    in.useTable = true;
    EXPECT_EQ(event.SetCost(0, in), 0);
    EXPECT_EQ(event.cost.text, "Erm\xc3\xa4\xc3\x9figung");
    EXPECT_EQ(event.cost.units, 3u);
    OrvCost out;
    EXPECT_EQ(event.GetCost(0, out, ORV_REQUEST_VALUE), 0);
    EXPECT_TRUE(out == in);
}

TEST(OrvComponents, CategoryAndSceneListsAreCopied)
{
    OrvVEVENT event;
    OrvCalPropertyList given;
    given.Append(101, "Kurs");
    given.Append(201, "Party");
    EXPECT_EQ(event.SetCategories(given), 0);
    EXPECT_EQ(event.SetScenes(given), 0);
    given.Destroy();
    ASSERT_EQ(event.categories.Count(), 2);
    EXPECT_EQ(event.categories.Item(1)->name, "Party");
    // Setting again empties first; getting appends.
    OrvCalPropertyList one;
    one.Append(5, "x");
    event.SetCategories(one);
    EXPECT_EQ(event.categories.Count(), 1);
    OrvCalPropertyList out;
    out.Append(1, "vorher");
    EXPECT_EQ(event.GetScenes(out), 0);
    ASSERT_EQ(out.Count(), 3);
    EXPECT_EQ(out.Item(2)->id, 201);
    EXPECT_NE(out.Item(1), event.scenes.Item(0));
    // Setting a list to itself keeps it.
    event.SetScenes(event.scenes);
    EXPECT_EQ(event.scenes.Count(), 2);
}

TEST(OrvComponents, LocationFromAnAddressEntry)
{
    OrvAddress address;
    address.name = "Tanzhaus M\xfcnster";
    address.city = "M\xfcnster";
    address.room01 = "Saal";
    address.portalId = 311;
    OrvVEVENT event;
    EXPECT_EQ(event.SetLocationAddress(ORVP_ORGANIZER_EXT, &address, 0), -1);
    EXPECT_EQ(event.locationRecord.id, 0u);
    EXPECT_EQ(event.SetLocationAddress(ORVP_LOCATION_EXT, &address, 0), 0);
    EXPECT_EQ(event.locationRecord.id, 311u);
    EXPECT_EQ(event.locationRecord.name, "Tanzhaus M\xc3\xbcnster");
    EXPECT_EQ(event.locationRecord.room01, "Saal");
    EXPECT_EQ(event.SetLocationAddress(ORVP_LOCATION_EXT, nullptr, 0), -1);
}

// --- Validate --------------------------------------------------------------------------

TEST(OrvComponents, ValidateReportsTheFirstFailingCheck)
{
    struct Step {
        const char* what;
        std::function<void(OrvCalendarComponent&)> change;
        int expected;
    } steps[] = {
        {"new event", [](OrvCalendarComponent&) {}, -127},
        {"scene without id", [](OrvCalendarComponent& e) { e.scenes.Append(0, "salsa"); }, -127},
        {"scene with id", [](OrvCalendarComponent& e) { e.scenes.Item(0)->id = 7; }, -128},
        {"category without id", [](OrvCalendarComponent& e) { e.categories.Append(0, "Kurs"); }, -128},
        {"category with id first", [](OrvCalendarComponent& e) { e.categories.Add(new OrvCalPropertyElement(101, "x"), e.categories.First()); }, -132},
        {"one-byte summary", [](OrvCalendarComponent& e) { e.summary = "A"; }, -132},
        {"summary", [](OrvCalendarComponent& e) { e.summary = "AB"; }, -129},
        {"location", [](OrvCalendarComponent& e) { e.locationRecord.id = 311; }, -130},
        {"organizer without id", [](OrvCalendarComponent& e) { e.organizers.push_back(OrvPerson()); }, -130},
        {"second organizer with id", [](OrvCalendarComponent& e) { OrvPerson p; p.id = 9; e.organizers.push_back(p); }, -130},
        {"first organizer with id", [](OrvCalendarComponent& e) { e.organizers.front().id = 87; }, 0},
    };
    OrvVEVENT event;
    for (const Step& step : steps) {
        step.change(event);
        EXPECT_EQ(event.Validate(), step.expected) << step.what;
    }
}

// --- Clone --------------------------------------------------------------------------------

TEST(OrvComponents, CloneCopiesAnEventDeeply)
{
    auto calendar = EventCalendar(
        "UID:u1\nSUMMARY:Kurs\nTRANSP:TRANSPARENT\nRRULE:FREQ=DAILY;COUNT=3\nEXDATE:20270102\nRESOURCES:Bar\n"
        "DTSTART:20270101T190000\nDTEND:20270101T200000\nX-ORV-SCENES:salsa\nX-ORV-CATEGORIES:101\n"
        "X-ORV-COST:PERUNIT=5.00;\nX-ORV-COSTTABLE:COL_1=\"a\";\nX-ORV-LOCATION:ID=3;\nX-ORV-ORGANIZER:ID=4;\n"
        "X-ORV-DJ:ID=5;\nX-ORV-GUEST:ID=6;\nX-ORV-LESSON:SUBJECT=\"S\";\nX-ORV-IMAGE:NAME=\"i\";\n"
        "X-ORV-DOWNLOAD:NAME=\"d\";\nX-ORV-PROGRAM:COL_1=\"p\";\nX-ORV-PUBLISH:STATE=1;\n"
        "X-ORV-HIGHLIGHTS:20270101T190000=2\nRECURRENCE-ID:20261231T190000\nBEGIN:VALARM\nACTION:DISPLAY\nEND:VALARM\n");
    OrvCalendarComponent* event = FirstEvent(*calendar);
    std::string before = OrvComponentText(*event);
    std::unique_ptr<OrvCalendarComponent> copy(event->Clone());
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->IsA(ORV_VEVENT));
    EXPECT_EQ(copy->parent, nullptr);
    EXPECT_EQ(copy->document, calendar.get());
    EXPECT_EQ(static_cast<OrvVEVENT*>(copy.get())->transparency, 1);
    EXPECT_EQ(copy->recurrenceId.Text(), "20261231T190000");
    EXPECT_EQ(copy->highlights.Owner(), copy.get());
    // Children stay with the original.
    EXPECT_EQ(copy->children.Count(), 0);
    // The same property lines apart from the alarm block.
    std::string withoutAlarm = before;
    size_t alarm = withoutAlarm.find("BEGIN:VALARM");
    withoutAlarm.erase(alarm, withoutAlarm.find("END:VEVENT") - alarm);
    EXPECT_EQ(OrvComponentText(*copy), withoutAlarm);

    // Changing the original's lists leaves the copy alone.
    event->scenes.Destroy();
    event->categories.Item(0)->id = 999;
    event->images.Destroy();
    event->costTable.Row(0)->col1 = "changed";
    event->highlights.Element(0)->level = 7;
    event->organizers.clear();
    event->exDates.clear();
    EXPECT_EQ(OrvComponentText(*copy), withoutAlarm);
}

TEST(OrvComponents, OnlyEventsCanBeCloned)
{
    for (const char* name : {"VCALENDAR", "VTODO", "VJOURNAL", "VFREEBUSY", "VTIMEZONE", "VALARM", "STANDARD", "DAYLIGHT"}) {
        std::unique_ptr<OrvCalendarComponent> component(OrvCreateComponent(name));
        EXPECT_EQ(component->Clone(), nullptr) << name;
    }
}

}  // namespace
