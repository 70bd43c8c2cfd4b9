// The orvcal program, run as a separate process on good, foreign and
// broken files.

#include <gtest/gtest.h>

#include <sstream>

#include <sys/wait.h>

#include "ForeignFiles.h"
#include "ModelTestSupport.h"

#ifdef ORV_TEST_ORVCAL

namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun Orvcal(const ScratchDir& dir, const std::string& arguments)
{
    std::string out = dir.File("stdout.txt"), err = dir.File("stderr.txt");
    std::string command = std::string("'") + ORV_TEST_ORVCAL + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1000 - (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
    run.out = ScratchDir::ReadFile(out);
    run.err = ScratchDir::ReadFile(err);
    return run;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

const ForeignFile& Foreign(const char* name)
{
    static const std::vector<ForeignFile> files = ForeignFiles();
    for (const ForeignFile& file : files)
        if (std::string(file.name) == name) return file;
    throw std::runtime_error(name);
}

TEST(Orvcal, StatOnForeignAndBrokenFiles)
{
    ScratchDir dir;
    struct Case {
        const char* file;
        const char* output;
    } cases[] = {
        {"google.ics", "events 3 occurrences 7\n"},
        {"outlook.ics", "events 2 occurrences 5\n"},
        {"truncated.ics", "events 1 occurrences 1\n"},
        {"garbage.ics", "events 1 occurrences 1\n"},
        {"empty.ics", "events 0 occurrences 0\n"},
        {"binary.ics", "events 0 occurrences 0\n"},
        {"long-lines.ics", "events 1 occurrences 1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string path = dir.Write(c.file, Foreign(c.file).content);
        ToolRun run = Orvcal(dir, "stat " + Quoted(path));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.output);
        EXPECT_EQ(run.err, "");
    }
}

TEST(Orvcal, OccurrencesOfTheSampleInAPeriod)
{
    ScratchDir dir;
    std::string sample = std::string(ORV_TEST_SAMPLES) + "/demo.ics";
    ToolRun run = Orvcal(dir, "occurrences " + Quoted(sample) + " --from 20261210 --to 20261225");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "20261210T193000 20261210T210000 Salsa-Grundkurs f\xc3\xbcr Einsteiger\n"
              "20261217T200000 20261217T213000 Salsa-Grundkurs f\xc3\xbcr Einsteiger (im Studio 2)\n"
              "20261219T210000 20261220T030000 Weihnachts-Salsaparty\n"
              "20261225T200000 20261225T230000 \xc3\x9c""bungsabend Salsa\n");
    // A period beyond the default horizon is expanded as far as asked.
    run = Orvcal(dir, "occurrences " + Quoted(sample) + " --from 20290301 --to 20290331");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "20290320T180000 20290320T235900 Tanzschul-Jubil\xc3\xa4um\n");
}

TEST(Orvcal, OccurrencesAreSortedByStart)
{
    ScratchDir dir;
    std::string path = dir.Write("two.ics",
                                 "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:late\nDTSTART:20200105T100000\n"
                                 "DTEND:20200105T110000\nEND:VEVENT\nBEGIN:VEVENT\nSUMMARY:daily\n"
                                 "DTSTART:20200103T090000\nDTEND:20200103T093000\nRRULE:FREQ=DAILY;COUNT=3\n"
                                 "END:VEVENT\nEND:VCALENDAR\n");
    ToolRun run = Orvcal(dir, "occurrences " + Quoted(path));
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "20200103T090000 20200103T093000 daily\n"
              "20200104T090000 20200104T093000 daily\n"
              "20200105T090000 20200105T093000 daily\n"
              "20200105T100000 20200105T110000 late\n");
    run = Orvcal(dir, "occurrences " + Quoted(path) + " --to 20200104");
    EXPECT_EQ(run.out, "20200103T090000 20200103T093000 daily\n20200104T090000 20200104T093000 daily\n");
    run = Orvcal(dir, "occurrences " + Quoted(path) + " --from 20200105");
    EXPECT_EQ(run.out, "20200105T090000 20200105T093000 daily\n20200105T100000 20200105T110000 late\n");
}

TEST(Orvcal, RoundtripWritesTheProgramsOwnForm)
{
    ScratchDir dir;
    std::string in = dir.Write("google.ics", Foreign("google.ics").content);
    ToolRun run = Orvcal(dir, "roundtrip " + Quoted(in) + " " + Quoted(dir.File("out.ics")));
    ASSERT_EQ(run.status, 0) << run.err;
    OrvCalendar expected;
    expected.Load(in);
    EXPECT_EQ(dir.Read("out.ics"), CRLF(expected.Text()));
    // A second round trip changes nothing.
    run = Orvcal(dir, "roundtrip " + Quoted(dir.File("out.ics")) + " " + Quoted(dir.File("again.ics")));
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(dir.Read("again.ics"), dir.Read("out.ics"));
}

TEST(Orvcal, ExportWritesTheStandardForm)
{
    ScratchDir dir;
    std::string in = dir.Write("google.ics", Foreign("google.ics").content);
    ToolRun run = Orvcal(dir, "export " + Quoted(in) + " " + Quoted(dir.File("out.ics")));
    ASSERT_EQ(run.status, 0) << run.err;
    OrvCalendar expected;
    expected.Load(in);
    // Events without a stamp of their own get the time of the export; the
    // tool ran a moment earlier.
    auto withoutStamps = [](const std::string& text) {
        std::string out;
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line))
            if (line.rfind("DTSTAMP:", 0) != 0) out += line + "\n";
        return out;
    };
    EXPECT_EQ(withoutStamps(dir.Read("out.ics")), withoutStamps(CRLF(OrvExportText(expected))));
    EXPECT_NE(dir.Read("out.ics").find("\r\nDTSTART;TZID=Europe/Berlin:20250303T190000\r\n"), std::string::npos);
}

TEST(Orvcal, FailuresGiveAMessageAndStatusOne)
{
    ScratchDir dir;
    std::string good = dir.Write("good.ics", Foreign("garbage.ics").content);
    struct Case {
        std::string arguments;
        int status;
        const char* message;
    } cases[] = {
        {"stat " + Quoted(dir.File("missing.ics")), 1, "missing.ics"},
        {"stat " + Quoted(dir.Path()), 1, "directory"},
        {"occurrences " + Quoted(dir.File("missing.ics")), 1, "missing.ics"},
        {"roundtrip " + Quoted(dir.File("missing.ics")) + " " + Quoted(dir.File("o.ics")), 1, "missing.ics"},
        {"roundtrip " + Quoted(good) + " " + Quoted(dir.File("no/such/dir/o.ics")), 1, "cannot write"},
        {"export " + Quoted(dir.File("missing.ics")) + " " + Quoted(dir.File("o.ics")), 1, "missing.ics"},
        {"export " + Quoted(good) + " " + Quoted(dir.File("no/such/dir/o.ics")), 1, "cannot write"},
        {"export " + Quoted(good), 2, "usage"},
        {"", 2, "usage"},
        {"stat", 2, "usage"},
        {"frobnicate x", 2, "unknown command"},
        {"occurrences " + Quoted(good) + " --from 2026", 2, "YYYYMMDD"},
        {"occurrences " + Quoted(good) + " --from 20260230", 2, "YYYYMMDD"},
        {"occurrences " + Quoted(good) + " --to", 2, "--to"},
        {"occurrences " + Quoted(good) + " --from 20260301 --to 20260201", 2, "before"},
        {"occurrences " + Quoted(good) + " --between", 2, "unknown option"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        ToolRun run = Orvcal(dir, c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    // The failed round trip left nothing behind and did not touch the input.
    EXPECT_FALSE(std::filesystem::exists(dir.File("o.ics")));
    EXPECT_EQ(dir.Read("good.ics"), Foreign("garbage.ics").content);
}

}  // namespace

#endif
