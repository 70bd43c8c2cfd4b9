// Reader and writer: logical lines, the line parser, blocks, the writing
// order of every class, escaping, round trips.

#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/OrvCalendarComponent.h"

namespace {

std::vector<std::string> LogicalLines(const std::string& text)
{
    std::vector<std::string> lines;
    OrvSplitLogicalLines(text, [&lines](const std::string& line) { lines.push_back(line); });
    return lines;
}

TEST(OrvReader, LogicalLines)
{
    using V = std::vector<std::string>;
    struct Case {
        const char* what;
        std::string text;
        V lines;
    } cases[] = {
        // Folding: the one blank or tab that starts a continuation goes.
        {"blank continuation drops the blank", "DESCRIPTION:abc\n def\nSUMMARY:x\n", V{"DESCRIPTION:abcdef", "SUMMARY:x"}},
        {"only the first blank goes", "DESCRIPTION:Work\n  shop\n", V{"DESCRIPTION:Work shop"}},
        {"tab continuation", "A:1\n\t2\n\t3\n", V{"A:123"}},
        {"a fold inside a UTF-8 character", "SUMMARY:M\xc3\r\n \xbcnchen\r\n", V{"SUMMARY:M\xc3\xbcnchen"}},
        {"any non-alphanumeric character continues", "A:1\n=2\n;3\n\xc3\xa4x\n", V{"A:1=2;3\xc3\xa4x"}},
        {"letters and digits start a line", "A:1\nb:2\n3:3\n", V{"A:1", "b:2", "3:3"}},
        {"CR LF", "A:1\r\n 2\r\nB:3\r\n", V{"A:12", "B:3"}},
        {"CR alone ends lines", "A:1\r 2\rB:3\r", V{"A:12", "B:3"}},
        {"no line end at the end", "A:1\nB:2", V{"A:1", "B:2"}},
        {"empty lines end a line and start nothing", "A:1\n\n 2\n\nB:3\n\n\n", V{"A:1", " 2", "B:3"}},
        {"a lone CR ends the line", "A:1\rB:2\n", V{"A:1", "B:2"}},
        {"empty text", "", V{}},
        {"only line ends", "\n\r\n\n", V{}},
        {"a NUL byte ends the physical line", std::string("A:1\0junk\n 2\n", 11), V{"A:12"}},
    };
    for (const Case& c : cases) EXPECT_EQ(LogicalLines(c.text), c.lines) << c.what;
}

TEST(OrvReader, LinesOfAnyLengthReadWhole)
{
    // Lines far beyond any buffer are neither cut nor split into lines of
    // their own, whether the value begins a new line or not.
    for (size_t length : {1987u, 1999u, 2000u, 4000u, 100000u}) {
        SCOPED_TRACE(length);
        const std::string value = std::string(length, 'a') + "SUMMARY:not a line";
        auto calendar = EventCalendar("DESCRIPTION:" + value + "\nDTSTART:20270101T100000\n");
        OrvCalendarComponent* event = FirstEvent(*calendar);
        EXPECT_TRUE(event->description == value);
        EXPECT_EQ(event->summary, "");
        EXPECT_EQ(event->dtStart.Text(), "20270101T100000");
        // What the program wrote reads back whole.
        auto again = ReadCalendar(calendar->Text());
        EXPECT_TRUE(OrvUnescapeText(FirstEvent(*again)->description) == value);
    }
    // Very long folded values read whole; CR LF counts as one line end.
    std::string big = "DESCRIPTION:";
    for (int i = 0; i < 30; ++i) big += std::string(i ? " " : "") + std::string(1500, 'x' + (i % 2)) + "\r\n";
    auto calendar = EventCalendar(big);
    EXPECT_EQ(FirstEvent(*calendar)->description.size(), 30u * 1500);
}

// Records every property given to it.
class Recorder : public OrvVEVENT {
public:
    struct Seen {
        int kind;
        std::string name, value;
        std::vector<std::pair<std::string, std::string>> params;
        std::vector<int> paramKinds;
    };
    void ApplyProperty(const OrvCalendarProperty& p) override
    {
        Seen s{p.kind, p.name, p.value, {}, {}};
        for (const OrvCalendarParam* param : p.params) {
            s.params.emplace_back(param->name, param->value);
            s.paramKinds.push_back(param->kind);
        }
        seen.push_back(s);
    }
    std::vector<Seen> seen;
};

TEST(OrvReader, LineParser)
{
    using P = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char* line;
        bool applied;
        int kind;
        const char* value;
        P params;
    } cases[] = {
        {"SUMMARY:Party", true, 16, "Party", {}},
        {"SUMMARY", true, 16, "", {}},
        {"SUMMARY:", true, 16, "", {}},
        // Without parameters the value starts one character after the name.
        {"SUMMARY Party", true, 16, "Party", {}},
        {"DTSTART;TZID=Europe/Berlin:20270301T100000", true, 20, "20270301T100000", P{{"TZID", "Europe/Berlin"}}},
        {"DTSTART;TZID=\"Zone:A\";VALUE=DATE:20270301", true, 20, "20270301",
         P{{"TZID", "\"Zone:A\""}, {"VALUE", "DATE"}}},
        // Quotes do not protect a ';' in parameter values: the rest of the
        // quoted text becomes the next parameter's name.
        {"ATTENDEE;CN=\"Doe; J\";ROLE=CHAIR:mailto:j@x", true, 29, "mailto:j@x",
         P{{"CN", "\"Doe"}, {" J\";ROLE", "CHAIR"}}},
        {"DESCRIPTION;LANGUAGE=de:a:b;c", true, 9, "a:b;c", P{{"LANGUAGE", "de"}}},
        // No ':' after the parameters: empty value, every parameter read.
        {"SUMMARY;LANGUAGE=de", true, 16, "", P{{"LANGUAGE", "de"}}},
        {"SUMMARY;NOEQUALS:x", true, 16, "x", {}},
        {"SUMMARY;A=1;B:x", true, 16, "x", P{{"A", "1"}}},
        {"X-ORV-EVENTID:17", true, 53, "17", {}},
        // Ignored lines.
        {"summary:lower", false, 0, "", {}},
        {"X-WR-CALNAME:Mein Kalender", false, 0, "", {}},
        {"X_ORV_EVENTID:1", false, 0, "", {}},
        {":no name", false, 0, "", {}},
        {" SUMMARY:indented", false, 0, "", {}},
        {"SUMMARYX:long", false, 0, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        OrvCalendar calendar;
        Recorder recorder;
        calendar.cursor = &recorder;
        OrvParseCalendarLine(calendar, c.line);
        calendar.cursor = nullptr;
        if (!c.applied) {
            EXPECT_TRUE(recorder.seen.empty());
            continue;
        }
        ASSERT_EQ(recorder.seen.size(), 1u);
        EXPECT_EQ(recorder.seen[0].kind, c.kind);
        EXPECT_EQ(recorder.seen[0].value, c.value);
        EXPECT_EQ(recorder.seen[0].params, c.params);
    }
    OrvCalendar calendar;
    Recorder recorder;
    calendar.cursor = &recorder;
    OrvParseCalendarLine(calendar, "DTSTART;TZID=X;VALUE=DATE;X-FOO=1:20270301");
    calendar.cursor = nullptr;
    EXPECT_EQ(recorder.seen.at(0).paramKinds, (std::vector<int>{19, 20, 0}));
}

TEST(OrvReader, LinesOutsideAnyBlockAreIgnored)
{
    auto calendar = ReadCalendar("SUMMARY:x\nEND:VCALENDAR\nEND:VEVENT\nBEGIN:VCALENDAR\nVERSION:2.0\nEND:VCALENDAR\n");
    ASSERT_EQ(calendar->components.Count(), 1);
    EXPECT_EQ(static_cast<OrvVCALENDAR*>(calendar->Component(0))->version, "2.0");
    EXPECT_EQ(calendar->cursor, nullptr);
}

TEST(OrvReader, EventBeforeAnyCalendarIsNotKept)
{
    auto calendar = ReadCalendar(
        "BEGIN:VEVENT\nSUMMARY:orphan\nBEGIN:VALARM\nACTION:x\nEND:VALARM\nEND:VEVENT\n"
        "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:kept\nEND:VEVENT\nEND:VCALENDAR\n"
        "BEGIN:VTODO\nSUMMARY:open at the end\n");
    ASSERT_EQ(calendar->components.Count(), 1);
    OrvCalendarComponent* top = calendar->Component(0);
    // The later VTODO found the calendar block and went below it.
    ASSERT_EQ(top->children.Count(), 2);
    EXPECT_EQ(top->Child(0)->summary, "kept");
    EXPECT_EQ(top->Child(1)->summary, "open at the end");
    EXPECT_EQ(calendar->cursor, nullptr);
}

TEST(OrvReader, UnknownBlocksAreKeptWholeWithTheBlockThatHoldsThem)
{
    // Neither do the block's lines reach the event, nor does its END close
    // it; nested blocks inside it are kept too.
    const std::string block =
        "BEGIN:X-VENDOR\nLOCATION:inner\nBEGIN:VALARM\nACTION:AUDIO\nEND:VALARM\nEND:X-VENDOR\n";
    auto calendar = ReadCalendar("BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:outer\n" + block +
                                 "UID:stays-with-the-event\nEND:VEVENT\nEND:VCALENDAR\n");
    OrvCalendarComponent* event = FirstEvent(*calendar);
    EXPECT_EQ(event->location, "");
    EXPECT_EQ(event->uid, "stays-with-the-event");
    EXPECT_EQ(event->children.Count(), 0);
    EXPECT_NE(calendar->Text().find(block), std::string::npos);
    EXPECT_EQ(ReadCalendar(calendar->Text())->Text(), calendar->Text());
    // A block the text leaves open is closed in what is written, so the
    // calendar's own END does not fall into it on the next reading.
    auto open = ReadCalendar("BEGIN:VCALENDAR\nBEGIN:X-A\nBEGIN:X-B\nFOO:1\n");
    const std::string written = open->Text();
    EXPECT_NE(written.find("BEGIN:X-A\nBEGIN:X-B\nFOO:1\nEND:X-B\nEND:X-A\nEND:VCALENDAR\n"), std::string::npos);
    EXPECT_EQ(ReadCalendar(written)->Text(), written);
}

TEST(OrvReader, MissingEndKeepsTheRestInTheOpenComponentAndExtraEndIsHarmless)
{
    auto calendar = ReadCalendar(
        "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:first\nBEGIN:VEVENT\nSUMMARY:second\nDTSTART:20270101T100000\n");
    OrvCalendarComponent* first = FirstEvent(*calendar);
    ASSERT_EQ(first->children.Count(), 1);
    EXPECT_EQ(first->Child(0)->summary, "second");
    calendar = ReadCalendar("END:VCALENDAR\nEND:VCALENDAR\nBEGIN:VCALENDAR\nEND:VCALENDAR\nEND:VCALENDAR\nEND:VEVENT\n");
    EXPECT_EQ(calendar->components.Count(), 1);
}

TEST(OrvReader, DeepNestingIsCutSoNothingOverflows)
{
    std::string text = "BEGIN:VCALENDAR\n";
    for (int i = 0; i < 20000; ++i) text += "BEGIN:VALARM\n";
    text += "SUMMARY:deep\n";
    for (int i = 0; i < 20000; ++i) text += "END:VALARM\n";
    text += "BEGIN:VEVENT\nSUMMARY:after\nEND:VEVENT\nEND:VCALENDAR\n";
    auto calendar = ReadCalendar(text);
    int depth = 0;
    OrvCalendarComponent* c = calendar->Component(0);
    while (c->children.Count()) {
        c = c->Child(0);
        ++depth;
    }
    EXPECT_EQ(depth, ORV_MAX_NESTING - 1);
    EXPECT_EQ(c->summary, "deep");
    // The ENDs were matched: the event after the alarms is the calendar's.
    ASSERT_EQ(calendar->Component(0)->children.Count(), 2);
    EXPECT_EQ(calendar->Component(0)->Child(1)->summary, "after");
    EXPECT_FALSE(calendar->Text().empty());
}

// --- writing ---------------------------------------------------------------------

TEST(OrvWriter, EmptyEventWritesThirteenLines)
{
    OrvVEVENT event;
    EXPECT_EQ(OrvComponentText(event),
              "BEGIN:VEVENT\n"
              "CREATED:00000000T000000\n"
              "LAST-MODIFIED:00000000T000000\n"
              "UID:\n"
              "SUMMARY:\n"
              "DTSTART:00000000T000000\n"
              "DTEND:00000000T000000\n"
              "LOCATION:\n"
              "DESCRIPTION:\n"
              "X-ORV-EVENTID:0\n"
              "X-ORV-COST:\n"
              "X-ORV-LOCATION:\n"
              "X-ORV-PUBLISH:STATE=0;PUBLISH_UP=00000000T000000;PUBLISH_DOWN=00000000T000000;\n"
              "X-ORV-HIGHLIGHTS:\n"
              "END:VEVENT\n");
}

// A calendar in the writer's own form: reading and writing it gives the
// same text back, byte for byte, so every line is in its place.
const char* kFullCalendar =
    "BEGIN:VCALENDAR\n"
    "PRODID:-//OrvCalendar//DE\n"
    "VERSION:2.0\n"
    "METHOD:PUBLISH\n"
    "CALSCALE:GREGORIAN\n"
    "BEGIN:VTIMEZONE\n"
    "TZID:Europe/Berlin\n"
    "BEGIN:DAYLIGHT\n"
    "TZOFFSETFROM:+0100\n"
    "TZOFFSETTO:+0200\n"
    "TZNAME:CEST\n"
    "DTSTART:19700329T020000\n"
    "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3;\n"
    "END:DAYLIGHT\n"
    "BEGIN:STANDARD\n"
    "TZOFFSETFROM:+0200\n"
    "TZOFFSETTO:+0100\n"
    "TZNAME:CET\n"
    "DTSTART:19701025T030000\n"
    "RRULE:FREQ=;\n"
    "END:STANDARD\n"
    "END:VTIMEZONE\n"
    "BEGIN:VEVENT\n"
    "CREATED:20261102T091500\n"
    "LAST-MODIFIED:20261120T184200\n"
    "UID:orv-1@example\n"
    "SUMMARY:Salsa für alle; \"offen\" ab 19 Uhr\n"
    "X-ORV-SLOGAN:Tanz!\n"
    "X-ORV-USERCATEGORY:Kurse\n"
    "RRULE:FREQ=WEEKLY;BYDAY=MO,FR;COUNT=8;INTERVAL=2;\n"
    "RESOURCES:Bar,Bühne\n"
    "EXDATE:20261207T193000,20261214T000000\n"
    "TRANSP:TRANSPARENT\n"
    "DTSTART:20261203T193000\n"
    "PRIORITY:3\n"
    "DTEND:20261203T210000\n"
    "RECURRENCE-ID:20261202T193000\n"
    "LOCATION:Tanzhaus\n"
    "DESCRIPTION:Zeile eins\\nZeile #'zwei#' #p drei#c vier\n"
    "X-ORV-SCENES:salsa,tango\n"
    "X-ORV-CATEGORIES:101,201\n"
    "X-ORV-EVENTID:-12\n"
    "X-ORV-SUPRAREGIONAL:1\n"
    "X-ORV-COST:PERUNIT=12.00;TOTAL=95.00;UNITS=10;MINUTES=90;FREE=1;USETABLE=1;TEXT=Rabatt;VVK=8.00;AK=10.00;\n"
    "X-ORV-COSTTABLE:COL_1=\"Früh\";COL_2=\"35.00\";\n"
    "X-ORV-COSTTABLE:COL_1=\"Normal\";COL_2=\"45.00\";\n"
    "X-ORV-LOCATION:ID=311;NAME=\"Tanzhaus\";STREET=Hafenweg 26;ZIP=48155;CITY=Münster;COUNTRY=DE;PHONE=0251;"
    "URL=\"http://t.example\";EMAIL=a@t.example;ROOM01=Saal;\n"
    "X-ORV-ORGANIZER:ID=87;NAME=\"Schule\";\n"
    "X-ORV-ORGANIZER:ID=88;NAME=\"Verein\";\n"
    "X-ORV-GUEST:ID=5;NAME=\"Gast\";\n"
    "X-ORV-DJ:ID=6;NAME=\"DJ A\";\n"
    "X-ORV-DJ:ID=7;NAME=\"DJ B\";\n"
    "X-ORV-LESSON:SUBJECT=\"Salsa\";SPECIAL=\"Rueda\";LEVEL=\"A\";LEVELINTERN=\"A1\";\n"
    "X-ORV-IMAGE:NAME=\"a.jpg\";COMMENT=\"Plakat\";TEXT=\"Text\";\n"
    "X-ORV-IMAGE:NAME=\"b.jpg\";\n"
    "X-ORV-DOWNLOAD:NAME=\"c.pdf\";COMMENT=\"Form\";\n"
    "X-ORV-PROGRAM:COL_1=\"21:00\";COL_2=\"Einlass\";\n"
    "X-ORV-PUBLISH:STATE=1;PUBLISH_UP=20261101T000000;PUBLISH_DOWN=20270215T000000;\n"
    "X-ORV-HIGHLIGHTS:20261203T193000=1;20261207T193000=-2\n"
    "BEGIN:VALARM\n"
    "ACTION:DISPLAY\n"
    "TRIGGER:-PT15M\n"
    "DESCRIPTION:Bald #p los\n"
    "END:VALARM\n"
    "END:VEVENT\n"
    "BEGIN:VTODO\n"
    "CREATED:20261101T000000\n"
    "LAST-MODIFIED:20261102T000000\n"
    "DTSTAMP:20261103T000000\n"
    "UID:todo-1\n"
    "SUMMARY:Plakate drucken\n"
    "STATUS:NEEDS-ACTION\n"
    "RRULE:FREQ=MONTHLY;\n"
    "CATEGORIES:Werbung,Druck\n"
    "DTSTART:20261201T000000\n"
    "DUE:20261215T120000\n"
    "LOCATION:Druckerei\n"
    "X-ORV-LOCATION:NAME=\"Druckerei\";\n"
    "PERCENT-COMPLETE:50\n"
    "PRIORITY:1\n"
    "DESCRIPTION:roh: nicht escaped\n"
    "END:VTODO\n"
    "BEGIN:VJOURNAL\n"
    "END:VJOURNAL\n"
    "BEGIN:VFREEBUSY\n"
    "END:VFREEBUSY\n"
    "END:VCALENDAR\n";

TEST(OrvWriter, EveryClassWritesItsLinesInOrder)
{
    auto calendar = ReadCalendar(kFullCalendar);
    EXPECT_EQ(calendar->Text(), kFullCalendar);
}

TEST(OrvWriter, LinesWithoutAFieldAreKeptInTheFileButNotUploaded)
{
    const char* kept[] = {"STATUS:CONFIRMED",      "CLASS:PUBLIC",   "COMMENT:c",
                          "URL:http://x",          "SEQUENCE:3",     "DTSTAMP:20270101T000000Z",
                          "CATEGORIES:Kurs,Party", "TZNAME:CET",     "PERCENT-COMPLETE:5",
                          "ATTENDEE;CN=\"Doe, J\";RSVP=TRUE:mailto:j@x", "x-lower:case", "X-APPLE-A;X=\"a:b\":c",
                          "RDATE;VALUE=PERIOD:20270101T100000Z/PT1H", "ORGANIZER;CN=Ann:mailto:ann@x"};
    std::string lines;
    for (const char* line : kept) lines += std::string(line) + "\n";
    auto calendar = EventCalendar(lines);
    const std::string upload = OrvComponentText(*FirstEvent(*calendar));
    const std::string file = calendar->Text();
    std::string keptInOrder;
    for (const char* line : kept) {
        EXPECT_EQ(upload.find(std::string("\n") + line + "\n"), std::string::npos) << line;
        keptInOrder += std::string(line) + "\n";
    }
    // Verbatim and in their order, after the lines the program writes.
    EXPECT_NE(file.find("X-ORV-HIGHLIGHTS:\n" + keptInOrder + "END:VEVENT\n"), std::string::npos) << file;
    EXPECT_EQ(ReadCalendar(file)->Text(), file);
}

TEST(OrvWriter, RulesThatAreWrittenWithAnEmptyFrequency)
{
    OrvVEVENT event;
    event.rrule.frequency = ORV_FREQ_ONCE;
    std::string text = OrvComponentText(event);
    EXPECT_NE(text.find("\nRRULE:FREQ=;\n"), std::string::npos);
    auto calendar = ReadCalendar("BEGIN:VCALENDAR\n" + text + "END:VCALENDAR\n");
    EXPECT_EQ(FirstEvent(*calendar)->rrule.frequency, 0);
    OrvDAYLIGHT daylight;
    EXPECT_EQ(OrvComponentText(daylight),
              "BEGIN:DAYLIGHT\nTZOFFSETFROM: 0000\nTZOFFSETTO: 0000\nTZNAME:\nDTSTART:00000000T000000\nRRULE:FREQ=;\n"
              "END:DAYLIGHT\n");
}

TEST(OrvWriter, OffsetsAndDates)
{
    struct Case {
        char sign;
        int hours, minutes;
        const char* text;
    } cases[] = {{'+', 1, 0, "+0100"}, {'-', 11, 30, "-1130"}, {' ', 0, 5, " 0005"}, {'+', 14, 0, "+1400"}};
    for (const Case& c : cases) EXPECT_EQ(OrvOffsetText(OrvTZOffset{c.sign, c.hours, c.minutes}), c.text);
    OrvCalTime unset;
    EXPECT_EQ(unset.Text(), "00000000T000000");
}

TEST(OrvWriter, EscapingTable)
{
    struct Case {
        const char* plain;
        const char* escaped;
    } cases[] = {
        {"a\r\nb", "a\\nb"},   {"\"q\"", "#'q#'"}, {"a:b", "a#pb"}, {"a;b", "a#cb"},
        {"lf\nalone", "lf\\nalone"}, {"cr\ralone", "cr\\nalone"}, {"", ""},
        // Escapes already in the text stay as they are.
        {"a\\, b\\; c\\\\d\\ne", "a\\, b\\; c\\\\d\\ne"}, {"C:\\Temp", "C#p\\Temp"},
    };
    for (const Case& c : cases) EXPECT_EQ(OrvEscapeText(c.plain), c.escaped) << c.plain;
    EXPECT_EQ(OrvUnescapeText("a\\nb#nc#'d#'#pe#cf"), "a\r\nb\r\nc\"d\":e;f");
    // RFC 5545 escapes beside the program's own, in one pass: an escaped
    // backslash before an "n" is a backslash and an "n".
    EXPECT_EQ(OrvUnescapeText("a\\, b\\; c\\Nd\\\\ne"), "a, b; c\r\nd\\ne");
}

TEST(OrvWriter, EditedDescriptionReadsBackTheSame)
{
    const char* edited = "Erste Zeile\r\nZitat: \"Salsa\"; Ende";
    OrvVCALENDAR* top = new OrvVCALENDAR;
    OrvCalendar calendar;
    calendar.AddEvent(top);
    OrvVEVENT* event = new OrvVEVENT;
    calendar.AddEvent(event);
    event->SetText(ORVP_DESCRIPTION, edited);
    auto read = ReadCalendar(calendar.Text());
    std::string shown;
    ASSERT_EQ(FirstEvent(*read)->GetText(ORVP_DESCRIPTION, shown, ORV_REQUEST_VALUE), 0);
    EXPECT_EQ(shown, edited);
    // Text typed with "#n" comes out the same as text with a real break.
    OrvVEVENT typed;
    typed.SetText(ORVP_DESCRIPTION, "Erste Zeile#nZitat: \"Salsa\"; Ende");
    EXPECT_EQ(OrvComponentText(typed), OrvComponentText(*event));
}

TEST(OrvWriter, BlocksTheProgramDoesNotEditAreWrittenAsRead)
{
    // Journals, free-busy blocks, to-dos, alarms and zone definitions keep
    // every line, parameters and order included.
    const std::string blocks =
        "BEGIN:VJOURNAL\nSUMMARY:Notiz\nDTSTART;VALUE=DATE:20270101\nX-FOO:1\nEND:VJOURNAL\n"
        "BEGIN:VFREEBUSY\nFREEBUSY;FBTYPE=BUSY:20270101T100000Z/PT1H\nEND:VFREEBUSY\n"
        "BEGIN:VTODO\nUID:t\nDUE;TZID=Europe/Berlin:20270105T100000\nCOMPLETED:20270104T100000Z\nSTATUS:COMPLETED\n"
        "BEGIN:VALARM\nACTION:EMAIL\nTRIGGER;RELATED=END:-PT5M\nATTENDEE:mailto:a@x\nEND:VALARM\nEND:VTODO\n";
    auto calendar = ReadCalendar("BEGIN:VCALENDAR\n" + blocks + "END:VCALENDAR\n");
    EXPECT_EQ(calendar->Text(), "BEGIN:VCALENDAR\nPRODID:\nVERSION:\n" + blocks + "END:VCALENDAR\n");
    // The portal's text of such blocks stays the dialect's.
    const OrvCalendarComponent* todo = calendar->Component(0)->Child(2);
    EXPECT_EQ(OrvComponentText(*todo).find("\nCOMPLETED:"), std::string::npos);
    OrvVJOURNAL made;
    EXPECT_EQ(OrvComponentText(made, OrvWriteMode::Local), "BEGIN:VJOURNAL\nEND:VJOURNAL\n");
}

TEST(OrvWriter, StableAfterOneRoundTrip)
{
    // Foreign input changes shape once (quotes, date-only values, unknown
    // lines); after that the text is stable.
    auto first = ReadCalendar(
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nSUMMARY:\"Party\"\r\nDTSTART;VALUE=DATE:20270101\r\n"
        "DESCRIPTION:a\\, b\r\n c\r\nATTENDEE:mailto:x@y\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    std::string once = first->Text();
    EXPECT_EQ(ReadCalendar(once)->Text(), once);
    EXPECT_NE(once.find("SUMMARY:Party\n"), std::string::npos);
    EXPECT_NE(once.find("DTSTART;VALUE=DATE:20270101\n"), std::string::npos);
    EXPECT_NE(once.find("ATTENDEE:mailto:x@y\n"), std::string::npos);
}

}  // namespace

namespace {

// True when every line of a written text is a property or block line: a
// value with a raw line break would start a line of its own.
void ExpectOnlyPropertyLines(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        size_t name = 0;
        while (name < line.size() && ((line[name] >= 'A' && line[name] <= 'Z') || line[name] == '-')) ++name;
        ASSERT_GT(name, 0u) << "line: " << line;
        ASSERT_TRUE(name < line.size() && (line[name] == ':' || line[name] == ';')) << "line: " << line;
    }
}

std::string Lf(std::string text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

TEST(OrvWriter, NoWrittenValueHoldsALineBreak)
{
    // Text from the editors (Qt gives line feeds alone) in every text field
    // they can set: after save and load each reads back as typed, and no
    // later line can overwrite the event's start or UID.
    const int kinds[] = {ORVP_SUMMARY, ORVP_DESCRIPTION, ORVP_LOCATION, ORVP_SLOGAN, ORVP_USERCATEGORY};
    const char* texts[] = {"Erste Zeile\nzweite Zeile\nUID: geaendert", "a\r\nDTSTART:19990101T000000\r\nb",
                           "nur\rCR", "Ende mit Umbruch\n"};
    for (int kind : kinds) {
        for (const char* typed : texts) {
            SCOPED_TRACE(std::to_string(kind) + " " + typed);
            OrvCalendar calendar;
            calendar.AddEvent(new OrvVCALENDAR);
            auto* event = new OrvVEVENT;
            calendar.AddEvent(event);
            event->uid = "fest";
            event->dtStart = OrvCalTime(2027, 3, 1, 19, 30);
            event->SetText(kind, typed);
            const std::string text = calendar.Text();
            ExpectOnlyPropertyLines(text);
            ExpectOnlyPropertyLines(OrvComponentText(*event));
            auto read = ReadCalendar(text);
            OrvCalendarComponent* back = FirstEvent(*read);
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(back->uid, "fest");
            EXPECT_EQ(back->dtStart.Text(), "20270301T193000");
            std::string shown;
            if (back->GetText(kind, shown, ORV_REQUEST_VALUE) == 0) EXPECT_EQ(Lf(shown), Lf(typed));
            EXPECT_EQ(read->Text(), text);
        }
    }
    // Values of the extension records keep to one line as well (a break
    // becomes a blank there).
    OrvCalendar calendar;
    calendar.AddEvent(new OrvVCALENDAR);
    auto* event = new OrvVEVENT;
    calendar.AddEvent(event);
    OrvCost cost;
    cost.text = "Rabatt\nUID:x";
    event->SetCost(0, cost);
    OrvPerson person;
    person.name = "Schule\r\nDTSTART:19990101T000000";
    event->organizers.push_back(person);
    event->locationRecord.name = "Saal\r2";
    event->lesson.subject = "Salsa\nRueda";
    ExpectOnlyPropertyLines(calendar.Text());
    auto read = ReadCalendar(calendar.Text());
    EXPECT_EQ(FirstEvent(*read)->uid, "");
    EXPECT_FALSE(FirstEvent(*read)->dtStart.IsSet());
    EXPECT_EQ(FirstEvent(*read)->lesson.subject, "Salsa Rueda");
}

TEST(OrvReader, BlockNamesWithTrailingBlanksAndCarriageReturnsOnly)
{
    auto calendar = ReadCalendar("BEGIN:VCALENDAR \rBEGIN:VEVENT \rSUMMARY:da\rDTSTART:20270101T100000\rEND:VEVENT\r"
                                 "END:VCALENDAR\r");
    ASSERT_NE(FirstEvent(*calendar), nullptr);
    EXPECT_EQ(FirstEvent(*calendar)->summary, "da");
    EXPECT_EQ(FirstEvent(*calendar)->dtStart.Text(), "20270101T100000");
}
