// Calendars exported by other programs (Google, Outlook, Apple, Thunderbird,
// a Meetup feed, a holiday calendar): the occurrences land at the right
// local instants in the zone the tests run in, a save and a load keep every
// value and every property, and the export reads in libical without an
// error and in python-icalendar as the same events.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "model/OrvCalReader.h"
#include "model/OrvCalendar.h"

namespace fs = std::filesystem;

namespace {

const char* const kFiles[] = {"google.ics", "outlook.ics", "apple.ics", "thunderbird.ics", "meetup.ics",
                              "holidays.ics"};

std::string Corpus(const std::string& name) { return std::string(ORV_INTEROP_CORPUS) + "/" + name; }

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Which column of the tables below holds this run's zone.
int ZoneColumn()
{
    const char* tz = std::getenv("TZ");
    const std::string zone = tz ? tz : "";
    if (zone == "Europe/Berlin") return 0;
    if (zone == "America/New_York") return 1;
    return -1;
}

class Scratch {
public:
    Scratch()
    {
        std::string tmpl = (fs::temp_directory_path() / "orvinterop.XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data()) ? tmpl : "";
    }
    ~Scratch()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

struct CommandRun {
    int status = -1;
    std::string out;
};

CommandRun Command(const std::string& command)
{
    CommandRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::unique_ptr<OrvCalendar> Load(const std::string& path)
{
    auto calendar = std::make_unique<OrvCalendar>();
    calendar->horizon = ZafUTimeData(2030, 1, 1, 12, 0, 0);
    calendar->Load(path);
    calendar->RebuildOccurrences();
    return calendar;
}

std::string Stamp(const ZafUTimeData& t) { return OrvCalTime(t).Text(); }

// --- occurrences at local instants --------------------------------------------------

struct Expected {
    const char* file;
    const char* summary;
    // Start and end in Europe/Berlin, then in America/New_York.
    const char* start[2];
    const char* end[2];
};

const Expected kOccurrences[] = {
    // A series in its zone: the local time moves where the two zones change
    // to summer time on different days; an exception and an override.
    {"google.ics", "Probe Showgruppe", {"20250303T190000", "20250303T130000"}, {"20250303T203000", "20250303T143000"}},
    {"google.ics", "Probe Showgruppe", {"20250310T190000", "20250310T140000"}, {"20250310T203000", "20250310T153000"}},
    {"google.ics", "Probe Showgruppe", {"20250331T190000", "20250331T130000"}, {"20250331T203000", "20250331T143000"}},
    // UNTIL in UTC is the last start itself.
    {"google.ics", "Probe Showgruppe", {"20250407T190000", "20250407T130000"}, {"20250407T203000", "20250407T143000"}},
    {"google.ics", "Probe Showgruppe (später)", {"20250324T200000", "20250324T150000"},
     {"20250324T213000", "20250324T163000"}},
    {"google.ics", "Frühlingsball", {"20250322T200000", "20250322T150000"}, {"20250323T010000", "20250322T200000"}},
    // A whole day stays on its date wherever the user is.
    {"google.ics", "Tanzwochenende", {"20250315T000000", "20250315T000000"}, {"20250317T000000", "20250317T000000"}},
    // Windows zone names; the override comes before its series.
    {"outlook.ics", "Vorstandssitzung", {"20250410T090000", "20250410T030000"}, {"20250410T110000", "20250410T050000"}},
    {"outlook.ics", "Vorstandssitzung", {"20250710T090000", "20250710T030000"}, {"20250710T110000", "20250710T050000"}},
    {"outlook.ics", "Vorstandssitzung (verschoben)", {"20250512T100000", "20250512T040000"},
     {"20250512T120000", "20250512T060000"}},
    {"outlook.ics", "Maifeiertag", {"20250501T000000", "20250501T000000"}, {"20250502T000000", "20250502T000000"}},
    // DURATION instead of DTEND; a series of New York.
    {"apple.ics", "Call with New York", {"20250306T150000", "20250306T090000"}, {"20250306T163000", "20250306T103000"}},
    {"apple.ics", "Call with New York", {"20250313T140000", "20250313T090000"}, {"20250313T153000", "20250313T103000"}},
    {"apple.ics", "Geburtstag Jörg", {"20250517T000000", "20250517T000000"}, {"20250518T000000", "20250518T000000"}},
    // A vendor-prefixed id of the database, an RDATE, and a zone only the
    // file defines.
    {"thunderbird.ics", "Workshop in London", {"20250405T110000", "20250405T050000"},
     {"20250405T180000", "20250405T120000"}},
    {"thunderbird.ics", "Workshop in London", {"20250412T110000", "20250412T050000"},
     {"20250412T180000", "20250412T120000"}},
    {"thunderbird.ics", "Kurs (Dateizone)", {"20250702T190000", "20250702T130000"},
     {"20250702T210000", "20250702T150000"}},
    // Across the end of summer time: a night of eight hours, and a weekly
    // course that keeps its local time.
    {"meetup.ics", "Salsa-Nacht: Tanz bis in den Morgen", {"20251025T210000", "20251025T150000"},
     {"20251026T040000", "20251025T230000"}},
    {"meetup.ics", "Kurs für Anfänger", {"20251020T193000", "20251020T133000"}, {"20251020T210000", "20251020T150000"}},
    {"meetup.ics", "Kurs für Anfänger", {"20251027T193000", "20251027T143000"}, {"20251027T210000", "20251027T160000"}},
    {"meetup.ics", "Kurs für Anfänger", {"20251103T193000", "20251103T133000"}, {"20251103T210000", "20251103T150000"}},
    // Whole days without DTEND last a day; DURATION of two days.
    {"holidays.ics", "Neujahr", {"20270101T000000", "20270101T000000"}, {"20270102T000000", "20270102T000000"}},
    {"holidays.ics", "Weihnachten", {"20281225T000000", "20281225T000000"}, {"20281227T000000", "20281227T000000"}},
};

const std::map<std::string, int> kCounts = {
    {"google.ics", 7}, {"outlook.ics", 4}, {"apple.ics", 43}, {"thunderbird.ics", 3}, {"meetup.ics", 4},
    {"holidays.ics", 10},
};

TEST(Interop, OccurrencesAtTheirLocalInstants)
{
    const int column = ZoneColumn();
    if (column < 0) GTEST_SKIP() << "run with TZ=Europe/Berlin or TZ=America/New_York";
    for (const Expected& e : kOccurrences) {
        SCOPED_TRACE(std::string(e.file) + " " + e.summary + " " + e.start[column]);
        auto calendar = Load(Corpus(e.file));
        int found = 0;
        for (OrvElement* o = calendar->occurrences.First(); o; o = o->Next()) {
            const auto* date = static_cast<const OrvEventDate*>(o);
            if (date->event->summary == e.summary && Stamp(date->start) == e.start[column]) {
                EXPECT_EQ(Stamp(date->end), e.end[column]);
                ++found;
            }
        }
        EXPECT_EQ(found, 1);
    }
    for (const auto& [file, count] : kCounts) EXPECT_EQ(Load(Corpus(file))->occurrences.Count(), count) << file;
    // Excepted dates are gone: the exception of the series, and the whole
    // days a folded EXDATE list names.
    auto holidays = Load(Corpus("holidays.ics"));
    for (OrvElement* o = holidays->occurrences.First(); o; o = o->Next()) {
        const std::string start = Stamp(static_cast<const OrvEventDate*>(o)->start);
        EXPECT_NE(start, "20261225T000000");
        EXPECT_NE(start, "20271225T000000");
    }
}

TEST(Interop, WholeDaysAreMarkedAndZonesRemembered)
{
    auto google = Load(Corpus("google.ics"));
    const OrvCalendarComponent* weekend = nullptr;
    const OrvCalendarComponent* series = nullptr;
    for (const OrvCalendarComponent* e : google->events) {
        if (e->summary == "Tanzwochenende") weekend = e;
        if (e->summary == "Probe Showgruppe") series = e;
    }
    ASSERT_TRUE(weekend && series);
    EXPECT_TRUE(weekend->dtStart.dateOnly);
    EXPECT_TRUE(weekend->dtEnd.dateOnly);
    EXPECT_EQ(series->dtStart.zone, "Europe/Berlin");
    EXPECT_TRUE(series->rrule.until.utc);
    ASSERT_EQ(series->exDates.size(), 1u);
    EXPECT_EQ(series->exDates[0].zone, "Europe/Berlin");
}

// --- save and load ------------------------------------------------------------------

// Every value of a component tree that the program holds, as text.
void Dump(const OrvCalendarComponent& c, std::ostringstream& out, int depth = 0)
{
    auto time = [](const OrvCalTime& t) {
        return t.Text() + (t.dateOnly ? "/date" : "") + (t.utc ? "/utc" : "") + (t.zone.empty() ? "" : "/" + t.zone.str());
    };
    const std::string indent(depth * 2, ' ');
    out << indent << c.name << " uid=" << c.uid << " summary=" << OrvUnescapeText(c.summary)
        << " description=" << OrvUnescapeText(c.description) << " location=" << OrvUnescapeText(c.location)
        << " start=" << time(c.dtStart) << " end=" << time(c.dtEnd) << " duration=" << c.duration
        << " rid=" << time(c.recurrenceId) << " created=" << time(c.created) << " modified=" << time(c.lastModified)
        << " rule=" << c.rrule.Write() << " until=" << time(c.rrule.until) << " priority=" << c.priority << "\n";
    for (const OrvCalTime& t : c.exDates) out << indent << " exdate " << time(t) << "\n";
    for (const OrvCalTime& t : c.rDates) out << indent << " rdate " << time(t) << "\n";
    for (const auto& p : c.textParams) out << indent << " params " << p.first << p.second << "\n";
    for (const std::string& line : c.keptLines) out << indent << " kept " << line << "\n";
    for (OrvElement* e = c.children.First(); e; e = e->Next())
        Dump(*static_cast<OrvCalendarComponent*>(e), out, depth + 1);
}

std::string Dump(const OrvCalendar& calendar)
{
    std::ostringstream out;
    for (OrvElement* e = calendar.components.First(); e; e = e->Next())
        Dump(*static_cast<OrvCalendarComponent*>(e), out);
    return out.str();
}

// The property names of each block of a text, block by block in order.
std::vector<std::multiset<std::string>> Names(const std::string& text)
{
    std::string unfolded;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((text[i] == '\r' || text[i] == '\n')) {
            size_t next = i + (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1);
            if (next < text.size() && (text[next] == ' ' || text[next] == '\t')) {
                i = next;
                continue;
            }
            unfolded += '\n';
            i = next - 1;
            continue;
        }
        unfolded += text[i];
    }
    std::vector<std::multiset<std::string>> blocks;
    std::vector<size_t> open;
    std::istringstream in(unfolded);
    std::string line;
    while (std::getline(in, line)) {
        const size_t end = line.find_first_of(":;");
        const std::string name = line.substr(0, end);
        if (name == "BEGIN") {
            open.push_back(blocks.size());
            blocks.emplace_back();
        } else if (name == "END") {
            if (!open.empty()) open.pop_back();
        } else if (!open.empty() && !name.empty()) {
            blocks[open.back()].insert(name);
        }
    }
    return blocks;
}

TEST(Interop, SaveAndLoadKeepEveryValueAndEveryProperty)
{
    for (const char* file : kFiles) {
        SCOPED_TRACE(file);
        Scratch dir;
        auto original = Load(Corpus(file));
        ASSERT_EQ(original->Save(dir.File("once.ics")), 0);
        auto again = Load(dir.File("once.ics"));
        EXPECT_EQ(Dump(*again), Dump(*original));
        ASSERT_EQ(again->Save(dir.File("twice.ics")), 0);
        const std::string once = ReadFile(dir.File("once.ics"));
        EXPECT_EQ(ReadFile(dir.File("twice.ics")), once);
        // Every property of every block of the original is in the file.
        const auto before = Names(ReadFile(Corpus(file)));
        const auto after = Names(once);
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i)
            for (const std::string& name : before[i])
                EXPECT_GE(after[i].count(name), before[i].count(name)) << "block " << i << " property " << name;
        // Occurrences come back at the same instants.
        ASSERT_EQ(again->occurrences.Count(), original->occurrences.Count());
        for (int i = 0; i < original->occurrences.Count(); ++i) {
            EXPECT_EQ(Stamp(again->occurrences.Item(i)->start), Stamp(original->occurrences.Item(i)->start));
            EXPECT_EQ(Stamp(again->occurrences.Item(i)->end), Stamp(original->occurrences.Item(i)->end));
        }
    }
}

TEST(Interop, ThePortalsTextStaysInItsDialect)
{
    // Nothing the portal does not know goes up: no zones, no whole-day
    // values, no lines of other programs.
    auto google = Load(Corpus("google.ics"));
    for (const OrvCalendarComponent* event : google->events) {
        const std::string text = OrvComponentText(*event);
        for (const char* foreign : {"TZID", "VALUE=DATE", "ATTENDEE", "X-GOOGLE", "SEQUENCE", "DTSTAMP", "DURATION"})
            EXPECT_EQ(text.find(foreign), std::string::npos) << foreign;
        EXPECT_NE(text.find("\nDTSTART:" + event->dtStart.Text() + "\n"), std::string::npos);
    }
}

// --- export -------------------------------------------------------------------------

#ifdef ORV_INTEROP_ICS_CHECK
TEST(Interop, ExportReadsInLibicalWithoutAnError)
{
    for (const char* file : kFiles) {
        SCOPED_TRACE(file);
        Scratch dir;
        auto calendar = Load(Corpus(file));
        ASSERT_EQ(calendar->Export(dir.File("export.ics")), 0);
        const CommandRun check = Command(std::string(ORV_INTEROP_ICS_CHECK) + " '" + dir.File("export.ics") + "'");
        ASSERT_EQ(check.status, 0) << check.out;
        EXPECT_NE(check.out.find("errors 0\n"), std::string::npos) << check.out;
        EXPECT_NE(check.out.find("events " + std::to_string(calendar->events.size()) + "\n"), std::string::npos)
            << check.out;
    }
}
#endif

TEST(Interop, ExportIsWrittenForOtherPrograms)
{
    for (const char* file : kFiles) {
        SCOPED_TRACE(file);
        auto calendar = Load(Corpus(file));
        const std::string text = OrvExportText(*calendar);
        EXPECT_EQ(text.rfind("BEGIN:VCALENDAR\nVERSION:2.0\n", 0), 0u);
        EXPECT_NE(text.find("\nPRODID:"), std::string::npos);
        EXPECT_EQ(text.find("00000000T000000"), std::string::npos);
        EXPECT_EQ(text.find("#p"), std::string::npos);
        EXPECT_EQ(text.find("FREQ=;"), std::string::npos);
        std::istringstream lines(text);
        std::string line;
        int events = 0, stamps = 0;
        while (std::getline(lines, line)) {
            EXPECT_LE(line.size(), 75u) << line;
            // A fold never splits a character: no line starts with a
            // continuation byte after its blank.
            if (line.size() > 1 && line[0] == ' ') {
                EXPECT_NE(static_cast<unsigned char>(line[1]) & 0xC0, 0x80);
            }
            if (line == "BEGIN:VEVENT") ++events;
            if (line.compare(0, 8, "DTSTAMP:") == 0) ++stamps;
        }
        EXPECT_GE(stamps, events);
    }
    // The file gets CR LF line ends.
    Scratch dir;
    auto calendar = Load(Corpus("apple.ics"));
    ASSERT_EQ(calendar->Export(dir.File("export.ics")), 0);
    const std::string written = ReadFile(dir.File("export.ics"));
    EXPECT_NE(written.find("\r\n"), std::string::npos);
    EXPECT_EQ(written.find("\n\n"), std::string::npos);
    for (size_t i = written.find('\n'); i != std::string::npos; i = written.find('\n', i + 1))
        EXPECT_EQ(written[i - 1], '\r');
}

TEST(Interop, ExportReadsInPythonIcalendarAsTheSameEvents)
{
    if (Command("/usr/bin/python3 -c 'import icalendar' 2>/dev/null").status != 0)
        GTEST_SKIP() << "python-icalendar is not installed";
    for (const char* file : kFiles) {
        SCOPED_TRACE(file);
        Scratch dir;
        auto calendar = Load(Corpus(file));
        ASSERT_EQ(calendar->Export(dir.File("export.ics")), 0);
        const std::string script = std::string("/usr/bin/python3 ") + ORV_INTEROP_EVENTS + " ";
        const CommandRun before = Command(script + "'" + Corpus(file) + "'");
        const CommandRun after = Command(script + "'" + dir.File("export.ics") + "'");
        ASSERT_EQ(before.status, 0);
        ASSERT_EQ(after.status, 0) << ReadFile(dir.File("export.ics"));
        EXPECT_FALSE(before.out.empty());
        EXPECT_EQ(after.out, before.out);
    }
}

TEST(Interop, ExportReadBackGivesTheSameOccurrences)
{
    for (const char* file : kFiles) {
        SCOPED_TRACE(file);
        Scratch dir;
        auto calendar = Load(Corpus(file));
        ASSERT_EQ(calendar->Export(dir.File("export.ics")), 0);
        auto again = Load(dir.File("export.ics"));
        ASSERT_EQ(again->occurrences.Count(), calendar->occurrences.Count());
        std::multiset<std::string> a, b;
        for (int i = 0; i < calendar->occurrences.Count(); ++i) {
            a.insert(Stamp(calendar->occurrences.Item(i)->start) + calendar->occurrences.Item(i)->event->summary);
            b.insert(Stamp(again->occurrences.Item(i)->start) + again->occurrences.Item(i)->event->summary);
        }
        EXPECT_EQ(b, a);
    }
}

}  // namespace
