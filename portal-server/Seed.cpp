// Demo content for a fresh local portal: users, configuration, address
// book and a few weeks of events around today.
#include <cstdio>
#include <ctime>

#include "IcsEvent.h"
#include "PortalService.h"

namespace orvportal {

namespace {

struct DemoPerson {
    const char* cat;
    const char* fullname;
    const char* street;
    const char* zip;
    const char* city;
    const char* url;
    const char* params;
};

const DemoPerson kPersons[] = {
    {"location", "Tanzhaus Mitte", "Chausseestraße 12", "10115", "Berlin", "http://tanzhaus.example",
     "ROOM01=Großer Saal\r\nROOM02=Studio\r\n"},
    {"location", "Salsa Club Hafen", "Am Kai 3", "20095", "Hamburg", "", "ROOM01=Clubraum\r\n"},
    {"location", "Kulturzentrum Süd", "Lindwurmstraße 40", "80331", "München", "", ""},
    {"organizer", "Tanzschule Rhythmus", "Torstraße 5", "10115", "Berlin", "http://rhythmus.example", ""},
    {"organizer", "Latin Events Nord", "Reeperbahn 1", "20095", "Hamburg", "", ""},
    {"dj", "DJ Caliente", "", "10115", "Berlin", "", ""},
    {"dj", "DJ Tumbao", "", "20095", "Hamburg", "", ""},
    {"guest", "Maria Sánchez", "", "", "", "", ""},
    {"guest", "Carlos Ortega", "", "", "", "", ""},
};

struct DemoEvent {
    int dayOffset, hour, minute, hours;
    const char* summary;
    const char* scene;
    int category;
    int location;      // index into kPersons
    int organizer;
    int dj;            // -1 none
    int guest;         // -1 none
    const char* rrule; // "" none
    int published;
    const char* cost;
    int highlightLevel;  // on the first date; 0 none
    int supraregional;
};

const DemoEvent kEvents[] = {
    {-14, 20, 0, 2, "Salsa Grundkurs", "salsa", 101, 0, 3, -1, -1, "FREQ=WEEKLY;COUNT=8;", 1,
     "PERUNIT=12.00;UNITS=8;TOTAL=96.00;", 0, 0},
    {-10, 22, 0, 4, "Salsa Night", "salsa", 301, 1, 4, 6, -1, "", 1, "VVK=8.00;AK=10.00;", 1, 1},
    {-5, 14, 0, 3, "Bachata Workshop", "bachata", 201, 0, 3, -1, 7, "", 1, "PERUNIT=25.00;TEXT=\"inkl. Getränk\";", 0, 0},
    {-2, 19, 30, 2, "Tango Übungsabend", "tango", 103, 2, 3, -1, -1, "FREQ=WEEKLY;BYDAY=TU,TH;COUNT=10;", 1,
     "FREE=1;", 0, 0},
    {0, 21, 0, 5, "Open Air Salsa", "salsa", 307, 1, 4, 5, 8, "", 1, "FREE=1;", 2, 1},
    {3, 20, 0, 3, "Swing Social", "swing", 301, 2, 3, 5, -1, "FREQ=MONTHLY;COUNT=3;", 1, "AK=6.00;", 0, 0},
    {6, 10, 0, 6, "Salsa Intensivworkshop", "salsa", 202, 0, 3, -1, 7, "", 0, "PERUNIT=49.00;", 0, 0},
    {9, 22, 0, 4, "Latin Party", "salsa", 301, 1, 4, 6, -1, "", 1, "VVK=9.00;AK=12.00;", 1, 0},
    {12, 18, 0, 2, "Bachata Anfänger", "bachata", 101, 0, 3, -1, -1, "FREQ=WEEKLY;COUNT=6;", 0,
     "PERUNIT=10.00;UNITS=6;TOTAL=60.00;", 0, 0},
    {17, 20, 0, 4, "Tango Milonga", "tango", 301, 2, 3, 5, 8, "", 1, "AK=8.00;", 0, 1},
    {21, 21, 0, 5, "Salsa Festival Eröffnung", "salsa", 303, 1, 4, 6, 7, "", 1, "VVK=20.00;AK=25.00;", 3, 1},
};

std::string PersonText(const DemoPerson& p, int id) {
    std::string t = "ID=" + std::to_string(id) + ";NAME=\"" + p.fullname + "\";";
    if (*p.street) t += std::string("STREET=") + p.street + ";";
    if (*p.zip) t += std::string("ZIP=") + p.zip + ";";
    if (*p.city) t += std::string("CITY=") + p.city + ";";
    t += "COUNTRY=D;";
    if (*p.url) t += std::string("URL=\"") + p.url + "\";";
    return t;
}

std::string EventText(const DemoEvent& e, int index, const int* personIds, const CalTime& start, const CalTime& end,
                      const std::string& stamp) {
    std::string t = "BEGIN:VCALENDAR\r\nPRODID:-//OrvPortal//Demo//DE\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n";
    t += "CREATED:" + stamp + "\r\nLAST-MODIFIED:" + stamp + "\r\n";
    t += "UID:orvportal-demo-" + std::to_string(index + 1) + "@localhost\r\n";
    t += std::string("SUMMARY:") + e.summary + "\r\n";
    if (*e.rrule) t += std::string("RRULE:") + e.rrule + "\r\n";
    t += "DTSTART:" + start.format() + "\r\nDTEND:" + end.format() + "\r\n";
    t += std::string("LOCATION:") + kPersons[e.location].fullname + "\r\n";
    t += std::string("DESCRIPTION:") + e.summary + " mit " + kPersons[e.organizer].fullname +
         "\\nAlle Niveaus willkommen.\r\n";
    t += std::string("X-ORV-SCENES:") + e.scene + "\r\n";
    t += "X-ORV-CATEGORIES:" + std::to_string(e.category) + "\r\n";
    t += "X-ORV-EVENTID:0\r\n";
    t += std::string("X-ORV-COST:") + e.cost + "\r\n";
    t += "X-ORV-LOCATION:" + PersonText(kPersons[e.location], personIds[e.location]) + "\r\n";
    t += "X-ORV-ORGANIZER:" + PersonText(kPersons[e.organizer], personIds[e.organizer]) + "\r\n";
    if (e.guest >= 0) t += "X-ORV-GUEST:" + PersonText(kPersons[e.guest], personIds[e.guest]) + "\r\n";
    if (e.dj >= 0) t += "X-ORV-DJ:" + PersonText(kPersons[e.dj], personIds[e.dj]) + "\r\n";
    t += "X-ORV-PUBLISH:STATE=" + std::to_string(e.published) + ";PUBLISH_UP=" + stamp +
         ";PUBLISH_DOWN=00000000T000000;\r\n";
    t += "X-ORV-HIGHLIGHTS:\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    return t;
}

}  // namespace

void PortalService::SeedDemo() {
    std::lock_guard<std::mutex> lock(mutex_);
    {
        Stmt st(*db_, "SELECT value FROM meta WHERE key = 'demo_seeded'");
        if (st.step()) return;
    }
    Transaction tx(*db_);
    // Accounts that somebody registered under these names before are kept as they are.
    auto user = [this](const char* username, const char* name, int clientState) {
        Stmt st(*db_, "SELECT id FROM users WHERE username = ?");
        st.bind(1, username);
        if (st.step()) return static_cast<int>(st.integer(0));
        return CreateUser(username, username, name, std::string(username) + "@localhost", false, clientState);
    };
    int demo = user("demo", "Demo Veranstalter", 1);
    int anna = user("anna", "Anna Beispiel", 0);

    db_->exec(
        "INSERT OR IGNORE INTO pools (id, name) VALUES (1, 'Latin'), (2, 'Standard'), (3, 'Swing');"
        "INSERT OR IGNORE INTO scenes (id, poolid, name) VALUES (2, 1, 'salsa'), (3, 1, 'bachata'),"
        " (4, 2, 'tango'), (5, 3, 'swing'), (6, 1, 'kizomba');"
        // The names the program gives these ids, so both show the same.
        "INSERT OR IGNORE INTO edit_categories (id, name) VALUES (101, 'Tanzkurs'), (102, 'Schnupperkurs'),"
        " (103, 'Übungsabend'), (201, 'Workshop'), (202, 'Intensivkurs'), (203, 'Festival'),"
        " (204, 'Kongress'), (301, 'Party'), (302, 'Konzert'), (303, 'Show'), (304, 'Ball'),"
        " (305, 'Tanzreise'), (306, 'Tanzkreuzfahrt'), (307, 'Open Air'), (308, 'Clubnacht');"
        "INSERT OR IGNORE INTO user_categories (pos, name) VALUES (1, 'Stammtisch'), (2, 'Schnupperabend'),"
        " (3, 'Special');");

    int personIds[sizeof kPersons / sizeof kPersons[0]];
    for (size_t i = 0; i < sizeof kPersons / sizeof kPersons[0]; ++i) {
        const auto& p = kPersons[i];
        Stmt st(*db_,
                "INSERT INTO persons (fullname, street, zip, city, country, url, params, coordassign, text, modified, "
                "owner) VALUES (?, ?, ?, ?, 'D', ?, ?, '0', '', ?, ?)");
        st.bind(1, p.fullname).bind(2, p.street).bind(3, p.zip).bind(4, p.city).bind(5, p.url).bind(6, p.params);
        st.bind(7, "20240101T000000").bind(8, demo).run();
        personIds[i] = static_cast<int>(db_->lastInsertId());
        Stmt c(*db_, "INSERT INTO person_categories VALUES (?, ?)");
        c.bind(1, personIds[i]).bind(2, p.cat).run();
    }

    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    CalTime today{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 0, 0, 0};
    char stampBuf[32];
    std::strftime(stampBuf, sizeof stampBuf, "%Y%m%dT%H%M%S", &tm);
    for (size_t i = 0; i < sizeof kEvents / sizeof kEvents[0]; ++i) {
        const auto& e = kEvents[i];
        CalTime start = CalTime::FromDays(today.daysSinceEpoch() + e.dayOffset, e.hour, e.minute, 0);
        CalTime end = CalTime::FromSeconds(start.totalSeconds() + e.hours * 3600LL);
        std::string err;
        int id = InsertEventText(demo, EventText(e, static_cast<int>(i), personIds, start, end, stampBuf), 0, err);
        if (id <= 0) throw DbError("demo event rejected: " + err);
        if (e.highlightLevel) {
            Stmt h(*db_, "INSERT OR REPLACE INTO highlights VALUES (?, ?, ?)");
            h.bind(1, id).bind(2, start.format()).bind(3, e.highlightLevel).run();
        }
        if (e.supraregional) {
            Stmt s(*db_, "UPDATE events SET supraregional = 1 WHERE id = ?");
            s.bind(1, id).run();
        }
    }

    std::string queries =
        "[{\"name\":\"Salsa in Berlin\",\"type\":\"selection\",\"pool\":\"Latin\",\"scenes\":\"salsa\","
        "\"categories\":\"lesson+event\",\"country\":\"D\",\"zip\":\"\",\"city\":\"Berlin\"},"
        "{\"name\":\"Annas Termine\",\"type\":\"user\",\"userid\":\"" + std::to_string(anna) + "\",\"user\":\"Anna Beispiel\",\"pool\":\"\","
        "\"scenes\":\"\",\"categories\":\"\",\"country\":\"\",\"zip\":\"\",\"city\":\"\"}]";
    Stmt q(*db_, "UPDATE users SET querylist = ? WHERE id = ?");
    q.bind(1, queries).bind(2, demo).run();
    db_->exec("INSERT INTO meta VALUES ('demo_seeded', '1')");
    tx.Commit();
}

}  // namespace orvportal
