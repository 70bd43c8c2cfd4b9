// Writes a synthetic organiser's calendar of N events: mostly single events,
// every fifth a weekly or monthly series, with the X-ORV-* properties the
// portal uses, folded long descriptions and German text.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ZafUTimeData.h"

namespace {

void Folded(std::FILE* out, const std::string& line)
{
    // Lines longer than 75 bytes continue with a leading blank.
    std::size_t pos = 0;
    std::size_t width = 75;
    while (line.size() - pos > width) {
        std::size_t cut = width;
        // Never split a UTF-8 sequence.
        while (cut > 1 && (static_cast<unsigned char>(line[pos + cut]) & 0xC0) == 0x80) --cut;
        std::fprintf(out, "%s\r\n ", line.substr(pos, cut).c_str());
        pos += cut;
        width = 74;
    }
    std::fprintf(out, "%s\r\n", line.substr(pos).c_str());
}

std::string Stamp(const ZafUTimeData& t)
{
    char b[32];
    std::snprintf(b, sizeof b, "%04d%02d%02dT%02d%02d%02d", t.Year(), t.Month(), t.Day(), t.Hour(), t.Minute(),
                  t.Second());
    return b;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvgen EVENTS OUT.ics\n");
        return 1;
    }
    long events = std::strtol(argv[1], nullptr, 10);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out || events < 0) {
        std::fprintf(stderr, "orvgen: cannot write %s\n", argv[2]);
        return 1;
    }
    static const char* scenes[] = {"salsa", "tango", "swing", "bachata", "kizomba"};
    static const char* towns[] = {"München", "Köln", "Düsseldorf", "Nürnberg", "Würzburg"};
    std::fprintf(out, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//OrvCalendar//bench//DE\r\n");
    unsigned seed = 12345;
    auto next = [&seed]() { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    for (long i = 0; i < events; ++i) {
        ZafUTimeData start(2026, 1, 1, 18 + static_cast<int>(next() % 4), 30 * static_cast<int>(next() % 2), 0);
        start.AddDays(static_cast<int64_t>(next() % 730));
        // A weekly series starts on one of its days: a start off the rule
        // is undefined in iCalendar and handled differently by each library.
        if (i % 10 == 0) {
            int wanted = i % 20 == 0 ? 1 : 4;  // Monday, Thursday
            start.AddDays((wanted - start.DayOfWeek() + 7) % 7);
        }
        ZafUTimeData end = start;
        end.AddSeconds(3600 * (2 + next() % 5));
        const char* scene = scenes[next() % 5];
        const char* town = towns[next() % 5];
        std::fprintf(out, "BEGIN:VEVENT\r\n");
        std::fprintf(out, "UID:bench-%ld@orvcalendar\r\n", i);
        std::fprintf(out, "DTSTAMP:20260101T120000\r\n");
        std::fprintf(out, "DTSTART:%s\r\nDTEND:%s\r\n", Stamp(start).c_str(), Stamp(end).c_str());
        std::fprintf(out, "SUMMARY:%s-Abend %ld in %s\r\n", scene, i, town);
        Folded(out, "DESCRIPTION:Ein langer Abend mit Kurs für Anfänger und Fortgeschrittene\\, danach Party bis "
                    "in die frühen Morgenstunden. Getränke an der Bar\\; Eintritt an der Abendkasse.");
        if (i % 5 == 0) {
            if (i % 10 == 0)
                std::fprintf(out, "RRULE:FREQ=WEEKLY;INTERVAL=1;COUNT=%d;BYDAY=%s\r\n", 10 + static_cast<int>(i % 20),
                             (i % 20 == 0) ? "MO,WE" : "TH");
            else
                std::fprintf(out, "RRULE:FREQ=MONTHLY;INTERVAL=1;UNTIL=20281231T235959\r\n");
            ZafUTimeData ex = start;
            ex.AddDays(i % 10 == 0 ? 7 : 0);
            if (i % 10 == 0) std::fprintf(out, "EXDATE:%s\r\n", Stamp(ex).c_str());
        }
        std::fprintf(out, "X-ORV-EVENTID:%ld\r\n", 1000 + i);
        std::fprintf(out, "X-ORV-SCENES:%s\r\n", scene);
        std::fprintf(out, "X-ORV-CATEGORIES:%d\r\n", 1 + static_cast<int>(next() % 16));
        std::fprintf(out, "X-ORV-COST:PERUNIT=12.50;FREE=0;TEXT=Abendkasse;VVK=10.00;AK=12.50;\r\n");
        Folded(out, std::string("X-ORV-LOCATION:ID=") + std::to_string(100 + next() % 50) + ";NAME=\"Tanzhaus " +
                        town + "\";STREET=Hauptstraße " + std::to_string(1 + next() % 99) +
                        ";ZIP=80331;CITY=" + town + ";COUNTRY=DE;URL=\"https://example.org/tanzhaus\";");
        std::fprintf(out, "X-ORV-ORGANIZER:ID=7;NAME=\"Tanzschule Sonnenschein\";\r\n");
        std::fprintf(out, "X-ORV-PUBLISH:STATE=%d;PUBLISH_UP=00000000T000000;PUBLISH_DOWN=00000000T000000;\r\n",
                     static_cast<int>(next() % 3));
        std::fprintf(out, "X-ORV-HIGHLIGHTS:%s\r\n", i % 7 == 0 ? (Stamp(start) + "=1").c_str() : "");
        std::fprintf(out, "END:VEVENT\r\n");
    }
    std::fprintf(out, "END:VCALENDAR\r\n");
    return std::fclose(out) == 0 ? 0 : 1;
}
