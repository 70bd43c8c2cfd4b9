// orvcal: looks at calendar files the way the program reads them.
//
//   orvcal stat FILE.ics
//   orvcal occurrences FILE.ics [--from YYYYMMDD] [--to YYYYMMDD]
//   orvcal roundtrip IN.ics OUT.ics     the program's own calendar file
//   orvcal export IN.ics OUT.ics        RFC 5545 for other programs
//
// Exit status: 0 done, 1 a file could not be read or written, 2 wrong use.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "model/OrvCalendar.h"

namespace {

const char* kUsage =
    "usage: orvcal stat FILE.ics\n"
    "       orvcal occurrences FILE.ics [--from YYYYMMDD] [--to YYYYMMDD]\n"
    "       orvcal roundtrip IN.ics OUT.ics\n"
    "       orvcal export IN.ics OUT.ics\n";

int Usage(const char* problem = nullptr)
{
    if (problem) std::fprintf(stderr, "orvcal: %s\n", problem);
    std::fputs(kUsage, stderr);
    return 2;
}

// The document's Load says nothing about a file it cannot read, so the
// file is checked here first.
bool Readable(const char* path)
{
    struct stat info {};
    if (::stat(path, &info) != 0) {
        std::fprintf(stderr, "orvcal: cannot open %s: %s\n", path, std::strerror(errno));
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "orvcal: cannot read %s: it is a directory\n", path);
        return false;
    }
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::fprintf(stderr, "orvcal: cannot open %s: %s\n", path, std::strerror(errno));
        return false;
    }
    char byte;
    std::fread(&byte, 1, 1, file);
    bool failed = std::ferror(file) != 0;
    int error = errno;
    std::fclose(file);
    if (failed) {
        std::fprintf(stderr, "orvcal: cannot read %s: %s\n", path, std::strerror(error));
        return false;
    }
    return true;
}

// "YYYYMMDD" with a real calendar date.
bool ParseDay(const char* text, ZafUTimeData& day)
{
    if (std::strlen(text) != 8) return false;
    for (int i = 0; i < 8; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    int year, month, dayOfMonth;
    std::sscanf(text, "%4d%2d%2d", &year, &month, &dayOfMonth);
    if (year < 1 || month < 1 || month > 12 || dayOfMonth < 1 || dayOfMonth > ZafUTimeData::DaysInMonth(year, month))
        return false;
    day.Set(year, month, dayOfMonth, 0, 0, 0, 0);
    return true;
}

std::string Stamp(const ZafUTimeData& time) { return OrvCalTime(time).Text(); }

int Stat(const char* path)
{
    if (!Readable(path)) return 1;
    OrvCalendar calendar;
    calendar.Load(path);
    calendar.RebuildOccurrences();
    std::printf("events %zu occurrences %d\n", calendar.events.size(), calendar.occurrences.Count());
    return 0;
}

int Occurrences(int argc, char** argv)
{
    const char* path = argv[2];
    ZafUTimeData from, to;
    bool haveFrom = false, haveTo = false;
    for (int i = 3; i < argc; ++i) {
        bool isFrom = std::strcmp(argv[i], "--from") == 0;
        bool isTo = std::strcmp(argv[i], "--to") == 0;
        if (!isFrom && !isTo) return Usage((std::string("unknown option ") + argv[i]).c_str());
        if (i + 1 >= argc) return Usage((std::string(argv[i]) + " needs a date YYYYMMDD").c_str());
        ZafUTimeData& day = isFrom ? from : to;
        if (!ParseDay(argv[++i], day)) return Usage((std::string("not a date YYYYMMDD: ") + argv[i]).c_str());
        (isFrom ? haveFrom : haveTo) = true;
    }
    if (haveTo) to.Set(to.Year(), to.Month(), to.Day(), 23, 59, 59, 999);
    if (haveFrom && haveTo && to < from) return Usage("--to lies before --from");
    if (!Readable(path)) return 1;

    OrvCalendar calendar;
    // A period beyond the default horizon is expanded as far as asked.
    if (haveTo && to > calendar.horizon) calendar.horizon = to;
    calendar.Load(path);
    calendar.RebuildOccurrences();

    std::vector<const OrvEventDate*> shown;
    for (OrvElement* e = calendar.occurrences.First(); e; e = e->Next()) {
        const OrvEventDate* occurrence = static_cast<const OrvEventDate*>(e);
        if (haveFrom && occurrence->start < from) continue;
        if (haveTo && occurrence->start > to) continue;
        shown.push_back(occurrence);
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [](const OrvEventDate* a, const OrvEventDate* b) { return a->start < b->start; });
    for (const OrvEventDate* occurrence : shown)
        std::printf("%s %s %s\n", Stamp(occurrence->start).c_str(), Stamp(occurrence->end).c_str(),
                    occurrence->event->summary.c_str());
    return 0;
}

int Roundtrip(const char* in, const char* out, bool standard)
{
    if (!Readable(in)) return 1;
    OrvCalendar calendar;
    calendar.Load(in);
    if ((standard ? calendar.Export(out) : calendar.Save(out)) != 0) {
        std::fprintf(stderr, "orvcal: cannot write %s: %s\n", out, std::strerror(errno));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage();
    std::string command = argv[1];
    if (command == "stat") {
        if (argc != 3) return Usage();
        return Stat(argv[2]);
    }
    if (command == "occurrences") {
        if (argc < 3) return Usage();
        return Occurrences(argc, argv);
    }
    if (command == "roundtrip" || command == "export") {
        if (argc != 4) return Usage();
        return Roundtrip(argv[2], argv[3], command == "export");
    }
    if (command == "-h" || command == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    return Usage((std::string("unknown command ") + command).c_str());
}
