// Benchmarks of the calendar model, the month table and the image fit.
// Calendars of 1k, 10k and 50k events come from the same generator as the
// comparison with libical and python-icalendar (bench/orvgen).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "model/OrvCalendar.h"

#ifdef ORV_BENCH_VIEWS
#include <QApplication>

#include "views/OrvCalendarTable.h"
#include "views/OrvSharedDate.h"
#endif
#ifdef ORV_BENCH_IMAGE
#include <QImage>

#include "base/OrvImageData.h"
#endif

namespace {

std::string BenchDir()
{
    const char* dir = std::getenv("ORV_BENCH_DATA");
    return dir ? dir : "bench-data";
}

// The generated calendar text of n events (generated on first use).
const std::string& CalendarText(long n)
{
    static std::map<long, std::string> texts;
    auto it = texts.find(n);
    if (it != texts.end()) return it->second;
    std::string path = BenchDir() + "/cal-" + std::to_string(n) + ".ics";
    std::ifstream probe(path);
    if (!probe) {
        std::string cmd = "mkdir -p '" + BenchDir() + "' && '" + ORV_BENCH_ORVGEN + "' " + std::to_string(n) + " '" +
                          path + "'";
        if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "cannot generate %s\n", path.c_str());
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return texts[n] = s.str();
}

void SetHorizon(OrvCalendar& c)
{
    c.horizon.Set(2028, 12, 10, 12, 0, 0, 0);
}

void BM_Load(benchmark::State& state)
{
    const std::string& text = CalendarText(state.range(0));
    for (auto _ : state) {
        OrvCalendar c;
        c.LoadText(text);
        benchmark::DoNotOptimize(c.components.Count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_Save(benchmark::State& state)
{
    OrvCalendar c;
    c.LoadText(CalendarText(state.range(0)));
    std::string path = BenchDir() + "/save-" + std::to_string(state.range(0)) + ".ics";
    for (auto _ : state) benchmark::DoNotOptimize(c.Save(path));
}

void BM_RebuildOccurrences(benchmark::State& state)
{
    OrvCalendar c;
    SetHorizon(c);
    c.LoadText(CalendarText(state.range(0)));
    for (auto _ : state) {
        c.RebuildOccurrences();
        benchmark::DoNotOptimize(c.occurrences.Count());
    }
    state.counters["occurrences"] = c.occurrences.Count();
}

// A hostile calendar: events repeating every hour up to the year 9999.
std::string HostileText(long n)
{
    std::string text = "BEGIN:VCALENDAR\nVERSION:2.0\n";
    for (long i = 0; i < n; ++i) {
        char lines[256];
        std::snprintf(lines, sizeof lines,
                      "BEGIN:VEVENT\nUID:hostile-%ld\nSUMMARY:Stunde %ld\nDTSTART:2025%02ld%02ldT%02ld0000\n"
                      "DTEND:2025%02ld%02ldT%02ld3000\nRRULE:FREQ=HOURLY;UNTIL=99991231T235959\nEND:VEVENT\n",
                      i, i, 1 + i % 12, 1 + i % 28, i % 24, 1 + i % 12, 1 + i % 28, i % 24);
        text += lines;
    }
    return text + "END:VCALENDAR\n";
}

void BM_RebuildHostile(benchmark::State& state)
{
    OrvCalendar c;
    SetHorizon(c);
    const std::string text = HostileText(state.range(0));
    c.LoadText(text);
    for (auto _ : state) {
        c.RebuildOccurrences();
        benchmark::DoNotOptimize(c.occurrences.Count());
    }
    state.counters["occurrences"] = c.occurrences.Count();
    state.counters["file_kB"] = static_cast<double>(text.size()) / 1024;
}

// The occurrences of the 42 days of a month grid, as the views ask for them.
void BM_MonthGridLookup(benchmark::State& state)
{
    OrvCalendar c;
    SetHorizon(c);
    c.LoadText(CalendarText(state.range(0)));
    c.RebuildOccurrences();
    c.OccurrencesOn(ZafUTimeData(2026, 6, 1));   // the index is made once per rebuild
    for (auto _ : state) {
        size_t found = 0;
        for (int d = 0; d < 42; ++d) {
            ZafUTimeData day(2026, 5, 25, 12, 0, 0);
            day.AddDays(d);
            found += c.OccurrencesOn(day).size();
        }
        benchmark::DoNotOptimize(found);
    }
}

#ifdef ORV_BENCH_VIEWS
// One month grid: every day cell rebuilds its entries from the document.
void BM_MonthTableRebuild(benchmark::State& state)
{
    OrvCalendar c;
    SetHorizon(c);
    c.LoadText(CalendarText(state.range(0)));
    c.RebuildOccurrences();
    OrvSharedDate date(ZafUTimeData(2026, 6, 15, 12, 0, 0));
    OrvCalendarTable table;
    table.BindDate(&date);
    table.SetCalendar(&c);
    table.resize(1200, 800);
    for (auto _ : state)
        for (int i = 0; i < table.CellCount(); ++i) table.Cell(i)->RebuildEntries();
    table.BindDate(nullptr);
}
#endif

#ifdef ORV_BENCH_IMAGE
// A 6000 x 4000 camera picture fitted into 650 x 650 and saved for upload.
void BM_ImageFit650(benchmark::State& state)
{
    std::string source = BenchDir() + "/photo-6000x4000.jpg";
    std::ifstream probe(source);
    if (!probe) {
        QImage image(6000, 4000, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); x += 1)
                image.setPixel(x, y, qRgb((x * 7) & 255, (y * 3) & 255, ((x + y) * 5) & 255));
        image.save(QString::fromStdString(source), "JPEG", 90);
    }
    std::string target = BenchDir() + "/photo-650.jpg";
    for (auto _ : state) {
        OrvImageData data(source);
        data.LoadImage();
        data.Resize(650, 433, ORV_RESAMPLE_SMOOTH);
        benchmark::DoNotOptimize(data.Save(target, 75));
    }
}
#endif

}  // namespace

BENCHMARK(BM_Load)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildOccurrences)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
// 3000 events: the hostile file of about 390 kB; 7700: about 1 MB.
BENCHMARK(BM_RebuildHostile)->Arg(300)->Arg(3000)->Arg(7700)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthGridLookup)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond);
#ifdef ORV_BENCH_VIEWS
BENCHMARK(BM_MonthTableRebuild)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
#endif
#ifdef ORV_BENCH_IMAGE
BENCHMARK(BM_ImageFit650)->Unit(benchmark::kMillisecond);
#endif

int main(int argc, char** argv)
{
#ifdef ORV_BENCH_VIEWS
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
