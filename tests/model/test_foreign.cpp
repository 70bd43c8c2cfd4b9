// Calendar files written by other programs and broken files: each is read,
// expanded, saved and read again; nothing may crash and what can be read
// is read.

#include <gtest/gtest.h>

#include <random>

#include "ModelTestSupport.h"
#include "model/OrvCalendar.h"
#include "ForeignFiles.h"

namespace {

std::string WithCRLF(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

TEST(OrvForeign, EveryFileLoadsExpandsAndSurvivesARoundTrip)
{
    for (const ForeignFile& file : ForeignFiles()) {
        SCOPED_TRACE(file.name);
        ScratchDir dir;
        std::string path = dir.Write(file.name, file.content);
        OrvCalendar calendar;
        calendar.horizon = ZafUTimeData(2030, 1, 1, 12, 0, 0);
        calendar.Load(path);
        calendar.RebuildOccurrences();
        EXPECT_EQ(static_cast<int>(calendar.events.size()), file.events);
        if (file.occurrences >= 0) {
            EXPECT_EQ(calendar.occurrences.Count(), file.occurrences);
        }
        if (file.check) file.check(calendar);

        ASSERT_EQ(calendar.Save(dir.File("saved.ics")), 0);
        OrvCalendar again;
        again.horizon = calendar.horizon;
        again.Load(dir.File("saved.ics"));
        again.RebuildOccurrences();
        EXPECT_EQ(again.Text(), calendar.Text());
        EXPECT_EQ(again.occurrences.Count(), calendar.occurrences.Count());
    }
}

TEST(OrvForeign, LineEndsDoNotMatter)
{
    for (const ForeignFile& file : ForeignFiles()) {
        if (!file.lineEndsFree) continue;
        SCOPED_TRACE(file.name);
        std::string lf;
        for (size_t i = 0; i < file.content.size(); ++i)
            if (!(file.content[i] == '\r' && i + 1 < file.content.size() && file.content[i + 1] == '\n'))
                lf += file.content[i];
        EXPECT_EQ(ReadCalendar(lf)->Text(), ReadCalendar(WithCRLF(lf))->Text());
    }
}

TEST(OrvForeign, BinaryJunkNeverCrashes)
{
    std::mt19937 random(20261210);
    for (int round = 0; round < 200; ++round) {
        std::string junk;
        int size = static_cast<int>(random() % 6000);
        for (int i = 0; i < size; ++i) junk += static_cast<char>(random() & 0xFF);
        // Half the rounds carry the junk inside an event so that it reaches
        // the property readers.
        if (round % 2)
            junk = "BEGIN:VCALENDAR\nBEGIN:VEVENT\nRRULE:FREQ=DAILY;COUNT=3\nDTSTART:" + junk.substr(0, 40) + "\n" +
                   "X-ORV-COST:" + junk + "\nEND:VEVENT\nEND:VCALENDAR\n";
        auto calendar = ReadCalendar(junk);
        calendar->RebuildOccurrences();
        std::string text = calendar->Text();
        EXPECT_EQ(ReadCalendar(text)->Text(), ReadCalendar(ReadCalendar(text)->Text())->Text());
    }
}

TEST(OrvForeign, HostileValuesStayBounded)
{
    // Rules reaching far back or far ahead, huge counts and intervals.
    const char* lines[] = {
        "DTSTART:00010101T000000\nRRULE:FREQ=DAILY\n",
        "DTSTART:19000101T000000\nRRULE:FREQ=HOURLY;UNTIL=99991231T235959\n",
        "DTSTART:20270101T000000\nRRULE:FREQ=DAILY;COUNT=2147483647;INTERVAL=-5\n",
        "DTSTART:20270101T000000\nRRULE:FREQ=MONTHLY;INTERVAL=2147483647;BYDAY=5MO,-9FR,FR\n",
        "DTSTART:20271345T996099\nDTEND:2027-03-01\nRRULE:FREQ=YEARLY;COUNT=3\n",
        "DTSTART:99999999T999999\nRRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR,SA,SU\n",
        "DTSTART:20270101T100000\nEXDATE:,,,x,\nRRULE:FREQ=SECONDLY;COUNT=-1\n",
        "TZOFFSETFROM:+\nTZOFFSETTO:-9\nPRIORITY:99999999999999999999\nX-ORV-EVENTID:99999999999\n",
        "X-ORV-HIGHLIGHTS:=;==;x=y;;20270101T000000=\n",
        "X-ORV-LOCATION:NAME=\"unterminated\nX-ORV-COST:\"\"\"\";;;===\n",
    };
    for (const char* l : lines) {
        SCOPED_TRACE(l);
        auto calendar = EventCalendar(l);
        calendar->horizon = ZafUTimeData(2030, 1, 1, 12, 0, 0);
        calendar->RebuildOccurrences();
        EXPECT_LE(calendar->occurrences.Count(), ORV_MAX_OCCURRENCES);
        EXPECT_EQ(calendar->events.size(), 1u);
        EXPECT_FALSE(calendar->Text().empty());
    }
}

}  // namespace
