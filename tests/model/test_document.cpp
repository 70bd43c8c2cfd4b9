// The calendar document: load and save, names, the trace hook, adding
// events, occurrences with replacements and exception dates, occurrence
// numbers, highlights, publishing.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "ModelTestSupport.h"
#include "model/OrvCalendar.h"

namespace {

class TracingCalendar : public OrvCalendar {
public:
    void Trace(int code, const char* text) override { trace.emplace_back(code, text); }
    std::vector<std::pair<int, std::string>> trace;
};

const char* kTwoEvents =
    "BEGIN:VCALENDAR\n"
    "BEGIN:VEVENT\nUID:a\nSUMMARY:A\nDTSTART:20200106T100000\nDTEND:20200106T110000\n"
    "RRULE:FREQ=DAILY;COUNT=2\nEND:VEVENT\n"
    "BEGIN:VEVENT\nUID:b\nSUMMARY:B\nDTSTART:20200110T180000\nDTEND:20200110T200000\n"
    "RRULE:FREQ=DAILY;COUNT=4\nEND:VEVENT\n"
    "END:VCALENDAR\n";

TEST(OrvDocument, LoadSetsTheNameAndCallsTheTraceHook)
{
    ScratchDir dir;
    std::string path = dir.Write("mein.kalender.ics", "BEGIN:VCALENDAR\nVERSION:2.0\n\nEND:VCALENDAR\n");
    TracingCalendar calendar;
    calendar.Load(path);
    EXPECT_EQ(calendar.name, "mein");
    std::vector<std::pair<int, std::string>> expected{
        {2, "mein"}, {1, "BEGIN:VCALENDAR"}, {1, "VERSION:2.0"}, {1, "END:VCALENDAR"}, {3, "mein"}};
    EXPECT_EQ(calendar.trace, expected);
    EXPECT_EQ(calendar.cursor, nullptr);
}

TEST(OrvDocument, MissingFileChangesOnlyTheName)
{
    TracingCalendar calendar;
    calendar.LoadText(kTwoEvents);
    std::string before = calendar.Text();
    calendar.trace.clear();
    calendar.Load("/nonexistent/dir/other.ics");
    EXPECT_EQ(calendar.name, "other");
    EXPECT_EQ(calendar.Text(), before);
    ASSERT_EQ(calendar.trace.size(), 1u);
    EXPECT_EQ(calendar.trace[0].first, 2);
}

TEST(OrvDocument, LoadingTwiceWithoutClearKeepsBoth)
{
    ScratchDir dir;
    std::string first = dir.Write("erste.ics", kTwoEvents);
    std::string second = dir.Write("zweite.ics", "BEGIN:VCALENDAR\nBEGIN:VEVENT\nUID:c\nEND:VEVENT\nEND:VCALENDAR\n");
    OrvCalendar calendar;
    calendar.Load(first);
    calendar.Load(second);
    EXPECT_EQ(calendar.name, "zweite");
    ASSERT_EQ(calendar.components.Count(), 2);
    EXPECT_EQ(calendar.Component(1)->Child(0)->uid, "c");
    // The events of the first block stay where they were.
    EXPECT_EQ(calendar.Component(0)->children.Count(), 2);
    calendar.Clear();
    EXPECT_EQ(calendar.components.Count(), 0);
    EXPECT_EQ(calendar.name, "");
    EXPECT_EQ(calendar.occurrences.Count(), 0);
    EXPECT_TRUE(calendar.events.empty());
}

TEST(OrvDocument, SaveWritesCRLFAndReadsBackTheSame)
{
    ScratchDir dir;
    OrvCalendar calendar;
    calendar.LoadText(kTwoEvents);
    std::string path = dir.File("out.ics");
    ASSERT_EQ(calendar.Save(path), 0);
    std::string bytes = dir.Read("out.ics");
    std::string expected;
    for (char c : calendar.Text()) {
        if (c == '\n') expected += '\r';
        expected += c;
    }
    EXPECT_EQ(bytes, expected);
    OrvCalendar again;
    again.Load(path);
    EXPECT_EQ(again.Text(), calendar.Text());
    // Only the target is left in the directory.
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(OrvDocument, SaveReplacesTheFileAndKeepsItsPermissions)
{
    ScratchDir dir;
    std::string path = dir.Write("cal.ics", "old contents");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    OrvCalendar calendar;
    calendar.LoadText(kTwoEvents);
    ASSERT_EQ(calendar.Save(path), 0);
    EXPECT_NE(dir.Read("cal.ics"), "old contents");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// Through a symbolic link the file it points to gets the calendar, in its
// own directory; the link stays a link.
TEST(OrvDocument, SaveThroughASymbolicLinkWritesItsTarget)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links;  // link name -> what it points to
        std::string target;                                       // the file that must get the calendar
        bool targetExists;
    };
    const Case cases[] = {
        {"relative link into a folder", {{"cal.ics", "data/real.ics"}}, "data/real.ics", true},
        {"absolute link", {{"cal.ics", "@/data/real.ics"}}, "data/real.ics", true},
        {"chain of links", {{"cal.ics", "hop.ics"}, {"hop.ics", "data/real.ics"}}, "data/real.ics", true},
        {"relative to the link's own folder", {{"data/cal.ics", "real.ics"}}, "data/real.ics", true},
        {"link to a file not yet there", {{"cal.ics", "data/new.ics"}}, "data/new.ics", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        std::filesystem::create_directory(dir.File("data"));
        if (c.targetExists) {
            dir.Write(c.target, "old contents");
            ASSERT_EQ(::chmod(dir.File(c.target).c_str(), 0640), 0);
        }
        for (const auto& link : c.links) {
            std::string to = link.second[0] == '@' ? dir.File(link.second.substr(2)) : link.second;
            std::filesystem::create_symlink(to, dir.File(link.first));
        }
        OrvCalendar calendar;
        calendar.LoadText(kTwoEvents);
        const std::string first = c.links.front().first;
        ASSERT_EQ(calendar.Save(dir.File(first)), 0);
        for (const auto& link : c.links) EXPECT_TRUE(std::filesystem::is_symlink(dir.File(link.first))) << link.first;
        EXPECT_NE(dir.Read(c.target).find("UID:b"), std::string::npos);
        EXPECT_EQ(dir.Read(first), dir.Read(c.target));
        struct stat info {};
        ASSERT_EQ(::stat(dir.File(c.target).c_str(), &info), 0);
        if (c.targetExists) EXPECT_EQ(info.st_mode & 07777, 0640u);
        // No temporary file is left anywhere.
        int entries = 0;
        for (auto& entry : std::filesystem::recursive_directory_iterator(dir.Path())) {
            (void)entry;
            ++entries;
        }
        EXPECT_EQ(entries, static_cast<int>(c.links.size()) + 2);  // links, "data", the target
    }
}

TEST(OrvDocument, FailedSaveReportsAndDestroysNothing)
{
    ScratchDir dir;
    OrvCalendar calendar;
    calendar.LoadText(kTwoEvents);
    // The directory does not exist.
    EXPECT_EQ(calendar.Save(dir.File("missing/cal.ics")), -1);
    EXPECT_EQ(calendar.Save(""), -1);
    // The target cannot be replaced: a directory with a calendar inside
    // stands where the file should go.
    std::filesystem::create_directory(dir.File("taken.ics"));
    dir.Write("taken.ics/inner.ics", "precious");
    EXPECT_EQ(calendar.Save(dir.File("taken.ics")), -1);
    EXPECT_EQ(dir.Read("taken.ics/inner.ics"), "precious");
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1) << "no temporary file may be left behind";
}

TEST(OrvDocument, AddEventFindsItsCalendarBlock)
{
    OrvCalendar calendar;
    std::unique_ptr<OrvVEVENT> loose(new OrvVEVENT);
    EXPECT_EQ(calendar.AddEvent(loose.get()), -1);
    EXPECT_EQ(loose->parent, nullptr);

    OrvVCALENDAR* first = new OrvVCALENDAR;
    OrvVCALENDAR* second = new OrvVCALENDAR;
    second->name = "Kurse";   // a block found by its name
    EXPECT_EQ(calendar.AddEvent(first), 0);
    EXPECT_EQ(calendar.AddEvent(second), 0);
    EXPECT_EQ(first->document, &calendar);
    EXPECT_EQ(calendar.AddEvent(loose.get(), "Kurse"), 0);
    OrvVEVENT* event = loose.release();
    EXPECT_EQ(event->parent, second);
    EXPECT_EQ(event->document, &calendar);
    OrvVEVENT* other = new OrvVEVENT;
    EXPECT_EQ(calendar.AddEvent(other, "Unbekannt"), 0);
    EXPECT_EQ(other->parent, first);
    OrvVEVENT* third = new OrvVEVENT;
    EXPECT_EQ(calendar.AddEvent(third), 0);
    EXPECT_EQ(third->parent, first);
}

struct Occurrence {
    std::string start, end, summary;
    bool operator==(const Occurrence&) const = default;
};

std::vector<Occurrence> Occurrences(const OrvCalendar& calendar)
{
    std::vector<Occurrence> list;
    for (OrvElement* e = calendar.occurrences.First(); e; e = e->Next()) {
        auto* o = static_cast<OrvEventDate*>(e);
        list.push_back({OrvCalTime(o->start).Text(), OrvCalTime(o->end).Text(), o->event->summary});
    }
    return list;
}

TEST(OrvDocument, RebuildExpandsTheEventsBelowTheCalendarBlocks)
{
    auto calendar = ReadCalendar(
        "BEGIN:VCALENDAR\n"
        "BEGIN:VEVENT\nUID:m\nSUMMARY:Kurs\nDTSTART:20200106T193000\nDTEND:20200106T210000\n"
        "RRULE:FREQ=WEEKLY;COUNT=4\nEXDATE:20200120\nEND:VEVENT\n"
        "BEGIN:VTODO\nBEGIN:VEVENT\nSUMMARY:nested\nDTSTART:20200101T100000\nEND:VEVENT\nEND:VTODO\n"
        "BEGIN:VEVENT\nUID:m\nSUMMARY:Kurs verlegt\nRECURRENCE-ID:20200113T193000\nDTSTART:20200114T200000\n"
        "DTEND:20200114T213000\nEND:VEVENT\n"
        "BEGIN:VEVENT\nSUMMARY:far away\nDTSTART:29990101T100000\nDTEND:29990101T120000\nEND:VEVENT\n"
        "END:VCALENDAR\n");
    calendar->horizon = ZafUTimeData(2021, 1, 1, 12, 0, 0);
    calendar->RebuildOccurrences();
    std::vector<Occurrence> expected{
        {"20200106T193000", "20200106T210000", "Kurs"},
        {"20200127T193000", "20200127T210000", "Kurs"},
        {"20200114T200000", "20200114T213000", "Kurs verlegt"},
        // Without a rule: one occurrence, also beyond the horizon.
        {"29990101T100000", "29990101T120000", "far away"},
    };
    EXPECT_EQ(Occurrences(*calendar), expected);
    ASSERT_EQ(calendar->events.size(), 3u);
    EXPECT_EQ(calendar->events[1]->summary, "Kurs verlegt");
    // A second rebuild gives the same, each event once in the list.
    calendar->RebuildOccurrences();
    EXPECT_EQ(calendar->events.size(), 3u);
    EXPECT_EQ(Occurrences(*calendar), expected);
}

TEST(OrvDocument, ReplacementBeforeItsMasterReplacesAllTheSame)
{
    auto calendar = ReadCalendar(
        "BEGIN:VCALENDAR\n"
        "BEGIN:VEVENT\nUID:m\nSUMMARY:moved\nRECURRENCE-ID:20200107T100000\nDTSTART:20200107T120000\n"
        "DTEND:20200107T130000\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:m\nSUMMARY:daily\nDTSTART:20200106T100000\nDTEND:20200106T110000\n"
        "RRULE:FREQ=DAILY;COUNT=3\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:other\nSUMMARY:other uid\nRECURRENCE-ID:20200108T100000\nDTSTART:20200108T150000\n"
        "END:VEVENT\n"
        "END:VCALENDAR\n");
    calendar->RebuildOccurrences();
    EXPECT_EQ(Occurrences(*calendar), (std::vector<Occurrence>{{"20200107T120000", "20200107T130000", "moved"},
                                                                {"20200106T100000", "20200106T110000", "daily"},
                                                                {"20200108T100000", "20200108T110000", "daily"},
                                                                {"20200108T150000", "20200108T150000", "other uid"}}));
}

// A replacing event with a long series of its own (as a damaged file may
// hold): the master leaves out the replaced day; the replacement keeps all
// of its own dates.
TEST(OrvDocument, ReplacementWithALongSeriesTakesTheMastersDayOnly)
{
    auto calendar = ReadCalendar(
        "BEGIN:VCALENDAR\n"
        "BEGIN:VEVENT\nUID:m\nSUMMARY:weekly\nDTSTART:19000101T100000\nDTEND:19000101T110000\n"
        "RRULE:FREQ=WEEKLY\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:m\nSUMMARY:moved\nRECURRENCE-ID:20200106T100000\nDTSTART:19000102T100000\n"
        "DTEND:19000102T110000\nRRULE:FREQ=DAILY\nEND:VEVENT\n"
        "END:VCALENDAR\n");
    calendar->horizon = ZafUTimeData(2021, 1, 1, 12, 0, 0);
    calendar->RebuildOccurrences();
    const int mondays = 6314; // 1900-01-01 to 2020-12-28
    const int days = 44195;   // 1900-01-02 to 2021-01-01
    EXPECT_EQ(calendar->occurrences.Count(), mondays - 1 + days);
    int onReplacedDay = 0, weeklyNextMonday = 0, movedDayAfter = 0;
    for (OrvElement* e = calendar->occurrences.First(); e; e = e->Next()) {
        auto* o = static_cast<OrvEventDate*>(e);
        const std::string start = OrvCalTime(o->start).Text();
        if (start.compare(0, 8, "20200106") == 0) ++onReplacedDay;
        if (start == "20200113T100000" && o->event->summary == "weekly") ++weeklyNextMonday;
        if (start == "20200107T100000" && o->event->summary == "moved") ++movedDayAfter;
    }
    EXPECT_EQ(onReplacedDay, 1);   // the replacement's own
    EXPECT_EQ(weeklyNextMonday, 1);
    EXPECT_EQ(movedDayAfter, 1);
}

TEST(OrvDocument, EventsWithoutAnyOccurrenceStayInTheEventList)
{
    auto calendar = ReadCalendar(
        "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:all skipped\nDTSTART:20200106T100000\nRRULE:FREQ=DAILY;COUNT=1\n"
        "EXDATE:20200106\nEND:VEVENT\nEND:VCALENDAR\n");
    calendar->RebuildOccurrences();
    EXPECT_EQ(calendar->occurrences.Count(), 0);
    ASSERT_EQ(calendar->events.size(), 1u);
    calendar->RebuildOccurrences();
    EXPECT_EQ(calendar->events.size(), 1u);
}

TEST(OrvDocument, OccurrenceNumberCountsWithinTheEvent)
{
    auto calendar = ReadCalendar(kTwoEvents);
    // The list is empty: the number rebuilds it first. A copy of an
    // occurrence is not in the list, even with the same event and start.
    OrvEventDate probe(ZafUTimeData(2020, 1, 12, 18, 0, 0), ZafUTimeData(), nullptr);
    probe.event = calendar->Component(0)->Child(1);
    EXPECT_EQ(calendar->OccurrenceNumber(&probe), 0);
    ASSERT_EQ(calendar->occurrences.Count(), 6);
    EXPECT_EQ(calendar->occurrences.Item(4)->start, probe.start);
    struct Case {
        int index;
        int number;
    } cases[] = {{0, 1}, {1, 2}, {2, 1}, {4, 3}, {5, 4}};
    for (const Case& c : cases) EXPECT_EQ(calendar->OccurrenceNumber(calendar->occurrences.Item(c.index)), c.number);
    OrvEventDate stranger(ZafUTimeData(2020, 2, 1, 0, 0, 0), ZafUTimeData(), probe.event);
    EXPECT_EQ(calendar->OccurrenceNumber(&stranger), 0);
    EXPECT_EQ(calendar->OccurrenceNumber(nullptr), 0);
}

TEST(OrvDocument, HighlightOfAnOccurrence)
{
    struct Case {
        const char* what;
        const char* highlights;   // before
        int number;
        int level;
        const char* after;
    } cases[] = {
        {"new mark", "", 2, 3, "20200111T180000=3"},
        {"level replaced", "20200111T180000=1", 2, 4, "20200111T180000=4"},
        {"level 0 removes", "20200110T180000=2;20200111T180000=1", 2, 0, "20200110T180000=2"},
        {"level 0 without a mark changes nothing", "20200110T180000=2", 3, 0, "20200110T180000=2"},
        {"no such occurrence", "", 9, 2, ""},
        {"number 0", "", 0, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto calendar = ReadCalendar(kTwoEvents);
        OrvCalendarComponent* event = calendar->Component(0)->Child(1);
        event->highlights.Parse(c.highlights);
        calendar->SetOccurrenceHighlight(event, c.number, c.level);
        EXPECT_EQ(event->highlights.Format(), c.after);
    }
    auto calendar = ReadCalendar(kTwoEvents);
    OrvCalendarComponent* event = calendar->Component(0)->Child(1);
    event->highlights.Parse("20200112T180000=5");
    calendar->RebuildOccurrences();
    EXPECT_EQ(calendar->OccurrenceHighlight(calendar->occurrences.Item(4)), 5);
    EXPECT_EQ(calendar->OccurrenceHighlight(calendar->occurrences.Item(3)), 0);
    EXPECT_EQ(OrvCalendar::HighlightAt(event, ZafUTimeData(2020, 1, 12, 18, 0, 0)), 5);
}

TEST(OrvDocument, OccurrenceTurnedIntoAnEventOfItsOwn)
{
    auto calendar = ReadCalendar(kTwoEvents);
    calendar->RebuildOccurrences();
    OrvEventDate* second = calendar->occurrences.Item(3);   // B, 11 January
    OrvCalendarComponent* master = second->event;
    std::unique_ptr<OrvEventDate> copy(second->Copy());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->event, master);
    EXPECT_EQ(copy->start, second->start);
    EXPECT_EQ(copy->end, second->end);
    OrvCalendarComponent* own = copy->event;
    own->rrule.Clear();
    own->dtStart = OrvCalTime(copy->start);
    own->dtEnd = OrvCalTime(copy->end);
    own->summary = "B single";
    OrvCalendar::AddExceptionDate(master, *copy);
    ASSERT_EQ(calendar->AddEvent(own), 0);
    calendar->RebuildOccurrences();
    std::vector<std::string> days;
    for (const Occurrence& o : Occurrences(*calendar)) days.push_back(o.start + " " + o.summary);
    EXPECT_EQ(days, (std::vector<std::string>{"20200106T100000 A", "20200107T100000 A", "20200110T180000 B",
                                              "20200112T180000 B", "20200113T180000 B", "20200111T180000 B single"}));
    // An occurrence of an event that cannot be copied gives no copy.
    OrvVTODO todo;
    OrvEventDate ofTodo(ZafUTimeData(), ZafUTimeData(), &todo);
    EXPECT_EQ(ofTodo.Copy(), nullptr);
}

class FakeUploader : public OrvEventUploader {
public:
    int LoginIfNeeded() override
    {
        ++logins;
        return loginResult;
    }
    int UploadEvent(const char* componentName, const std::string& text, int& eventId) override
    {
        names.push_back(componentName);
        texts.push_back(text);
        int index = static_cast<int>(texts.size()) - 1;
        eventId = index < static_cast<int>(ids.size()) ? ids[index] : 0;
        return index < static_cast<int>(results.size()) ? results[index] : 0;
    }
    int loginResult = 0;
    int logins = 0;
    std::vector<int> results, ids;
    std::vector<std::string> names, texts;
};

const char* kPublish =
    "BEGIN:VCALENDAR\n"
    "BEGIN:VEVENT\nUID:1\nX-ORV-EVENTID:10\nX-ORV-LOCATION:NAME=\"Tanzhaus M\xc3\xbcnster\";\n"
    "X-ORV-ORGANIZER:NAME=\"Schule\";\nX-ORV-ORGANIZER:NAME=\"Zweite\";\nEND:VEVENT\n"
    "BEGIN:VTODO\nUID:todo\nEND:VTODO\n"
    "BEGIN:VEVENT\nUID:2\nX-ORV-EVENTID:20\nX-ORV-LOCATION:ID=5;NAME=\"Schule\";\nEND:VEVENT\n"
    "BEGIN:VEVENT\nUID:3\nX-ORV-EVENTID:30\nEND:VEVENT\n"
    "END:VCALENDAR\n";

void AddAddress(OrvCalendar& calendar, const char* key, const char* name, int id)
{
    OrvAddress* address = new OrvAddress;
    address->key = key;
    address->name = name;
    address->portalId = id;
    calendar.addresses.Add(address);
}

TEST(OrvDocument, PublishAllUploadsEveryEvent)
{
    auto calendar = ReadCalendar(kPublish);
    AddAddress(*calendar, "loc", "Tanzhaus M\xfcnster", 311);   // window code page
    AddAddress(*calendar, "Schule", "Tanzschule", 87);
    AddAddress(*calendar, "Zweite", "Zweite", 99);
    FakeUploader uploader;
    uploader.results = {0, -1, 0};
    uploader.ids = {1010, 0, 0};
    EXPECT_EQ(calendar->PublishAll(uploader), 1);
    ASSERT_EQ(uploader.texts.size(), 3u);
    EXPECT_EQ(uploader.names, (std::vector<std::string>{"VEVENT", "VEVENT", "VEVENT"}));
    OrvCalendarComponent* top = calendar->Component(0);
    OrvCalendarComponent* first = top->Child(0);
    OrvCalendarComponent* second = top->Child(2);
    OrvCalendarComponent* third = top->Child(3);
    // The text went up with state 1 and the ids found in the address book.
    // Written before the reply: the old event id went up.
    EXPECT_NE(uploader.texts[0].find("X-ORV-EVENTID:10\n"), std::string::npos);
    EXPECT_NE(uploader.texts[0].find("X-ORV-PUBLISH:STATE=1;"), std::string::npos);
    EXPECT_NE(uploader.texts[0].find("X-ORV-LOCATION:ID=311;"), std::string::npos);
    EXPECT_NE(uploader.texts[0].find("X-ORV-ORGANIZER:ID=87;"), std::string::npos);
    EXPECT_NE(uploader.texts[0].find("X-ORV-ORGANIZER:NAME=\"Zweite\";"), std::string::npos) << "only the first organizer";
    EXPECT_EQ(first->eventId, 1010);
    EXPECT_EQ(first->publish.state, 1u);
    // Refused: back to 0, id unchanged; a known id is left as it is.
    EXPECT_EQ(second->publish.state, 0u);
    EXPECT_EQ(second->eventId, 20);
    EXPECT_EQ(second->locationRecord.id, 5u);
    // Accepted without a new id: the old one stays.
    EXPECT_EQ(third->publish.state, 1u);
    EXPECT_EQ(third->eventId, 30);
}

TEST(OrvDocument, PublishAllWithoutLoginUploadsNothing)
{
    auto calendar = ReadCalendar(kPublish);
    FakeUploader uploader;
    uploader.loginResult = -1;
    EXPECT_EQ(calendar->PublishAll(uploader), 3);
    EXPECT_TRUE(uploader.texts.empty());
    for (int i : {0, 2, 3}) EXPECT_EQ(calendar->Component(0)->Child(i)->publish.state, 0u);
}

TEST(OrvDocument, AddressLookupByKeyOrName)
{
    OrvCalendar calendar;
    AddAddress(calendar, "k1", "Saal", 1);
    AddAddress(calendar, "Saal", "Other", 2);
    ASSERT_NE(calendar.addresses.FindByName("Saal"), nullptr);
    EXPECT_EQ(calendar.addresses.FindByName("Saal")->portalId, 1);
    EXPECT_EQ(calendar.addresses.FindByName("Other")->portalId, 2);
    EXPECT_EQ(calendar.addresses.FindByName("saal"), nullptr);
}

TEST(OrvDocument, DefaultHorizonIsTwoYearsAheadAtNoon)
{
    ZafUTimeData today = ZafUTimeData::Now();
    ZafUTimeData horizon = OrvDefaultHorizon();
    EXPECT_EQ(horizon.Year(), today.Year() + 2);
    EXPECT_EQ(horizon.Month(), today.Month());
    EXPECT_EQ(horizon.Hour(), 12);
    EXPECT_EQ(horizon.Minute(), 0);
    EXPECT_EQ(OrvCalendar().horizon, horizon);
}

TEST(OrvDocument, SampleCalendarSurvivesSaveAndLoad)
{
    ScratchDir dir;
    OrvCalendar calendar;
    calendar.Load(std::string(ORV_TEST_SAMPLES) + "/demo.ics");
    ASSERT_EQ(calendar.components.Count(), 1);
    calendar.RebuildOccurrences();
    const int events = static_cast<int>(calendar.events.size());
    const std::vector<Occurrence> before = Occurrences(calendar);
    EXPECT_EQ(events, 12);
    ASSERT_EQ(calendar.Save(dir.File("demo.ics")), 0);
    OrvCalendar again;
    again.Load(dir.File("demo.ics"));
    again.RebuildOccurrences();
    EXPECT_EQ(again.Text(), calendar.Text());
    // The replaced occurrence of the course stays replaced after the save.
    EXPECT_EQ(Occurrences(again), before);
    bool moved = false, original = false;
    for (const Occurrence& o : before) {
        if (o.start == "20261217T200000") moved = true;
        if (o.start == "20261217T193000") original = true;
    }
    EXPECT_TRUE(moved);
    EXPECT_FALSE(original);
}

}  // namespace

TEST(OrvDocument, OccurrencesOnADayFollowTheList)
{
    auto calendar = ReadCalendar(
        "BEGIN:VCALENDAR\n"
        "BEGIN:VEVENT\nSUMMARY:Tage\nDTSTART;VALUE=DATE:20250315\nDTEND;VALUE=DATE:20250318\nEND:VEVENT\n"
        "BEGIN:VEVENT\nSUMMARY:Abend\nDTSTART:20250316T200000\nDTEND:20250317T020000\nEND:VEVENT\n"
        "END:VCALENDAR\n");
    calendar->RebuildOccurrences();
    auto summaries = [&](int day) {
        std::vector<std::string> list;
        for (const OrvEventDate* d : calendar->OccurrencesOn(ZafUTimeData(2025, 3, day, 12, 0, 0)))
            list.push_back(d->event->summary);
        return list;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(summaries(14), V{});
    EXPECT_EQ(summaries(15), V{"Tage"});
    EXPECT_EQ(summaries(16), (V{"Tage", "Abend"}));
    EXPECT_EQ(summaries(17), V{"Tage"});   // the evening belongs to its start day
    EXPECT_EQ(summaries(18), V{});
    // An occurrence put into the list directly is found as well.
    calendar->occurrences.Add(
        new OrvEventDate(ZafUTimeData(2025, 3, 14, 9, 0, 0), ZafUTimeData(2025, 3, 14, 10, 0, 0), calendar->events[1]));
    EXPECT_EQ(summaries(14), V{"Abend"});
    delete calendar->occurrences.Subtract(calendar->occurrences.Last());
    EXPECT_EQ(summaries(14), V{});
}
