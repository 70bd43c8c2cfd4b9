#include "IcsEvent.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace orvportal {

namespace {

int Digits(const std::string& t, size_t pos, size_t n, bool& ok) {
    if (pos + n > t.size()) {
        ok = false;
        return 0;
    }
    int v = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = t[pos + i];
        if (c < '0' || c > '9') {
            ok = false;
            return 0;
        }
        v = v * 10 + (c - '0');
    }
    return v;
}

int DaysInMonth(int y, int m) {
    static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
    return (m >= 1 && m <= 12) ? d[m - 1] : 30;
}

std::string Upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> SplitComma(const std::string& s) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= s.size()) {
        size_t p = s.find(',', start);
        if (p == std::string::npos) p = s.size();
        std::string tok = s.substr(start, p - start);
        if (!tok.empty()) out.push_back(tok);
        start = p + 1;
    }
    return out;
}

struct LineParts {
    std::string name;
    std::string value;
};

LineParts SplitLine(const std::string& logical) {
    // Continuation pieces belong to the value; drop their line breaks.
    std::string line;
    line.reserve(logical.size());
    for (size_t i = 0; i < logical.size(); ++i) {
        if (logical[i] == '\r' && i + 1 < logical.size() && logical[i + 1] == '\n') {
            ++i;
            continue;
        }
        line += logical[i];
    }
    LineParts lp;
    size_t n = 0;
    while (n < line.size() && ((line[n] >= 'A' && line[n] <= 'Z') || line[n] == '-')) ++n;
    lp.name = line.substr(0, n);
    if (n < line.size() && line[n] == ';') {
        bool quoted = false;
        for (size_t i = n; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            else if (line[i] == ':' && !quoted) {
                lp.value = line.substr(i + 1);
                break;
            }
        }
    } else if (n + 1 <= line.size()) {
        lp.value = line.substr(std::min(n + 1, line.size()));
    }
    return lp;
}

// Groups physical lines into logical ones: a line that begins with anything
// but a letter or digit continues the previous one.
std::vector<std::string> LogicalLines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t p = text.find('\n', start);
        if (p == std::string::npos) p = text.size();
        std::string phys = text.substr(start, p - start);
        if (!phys.empty() && phys.back() == '\r') phys.pop_back();
        start = p + 1;
        if (phys.empty()) {
            out.emplace_back();  // an empty line ends the logical line
            continue;
        }
        bool cont = !std::isalnum(static_cast<unsigned char>(phys[0]));
        if (cont && !out.empty() && !out.back().empty())
            out.back() += "\r\n" + phys;
        else
            out.push_back(phys);
    }
    out.erase(std::remove(out.begin(), out.end(), std::string()), out.end());
    return out;
}

void ApplyLine(IcsEvent& ev, const LineParts& lp) {
    const std::string& v = lp.value;
    if (lp.name == "UID") ev.uid = v;
    else if (lp.name == "SUMMARY") {
        std::string s = v;
        while (!s.empty() && s.front() == '"') s.erase(0, 1);
        while (!s.empty() && s.back() == '"') s.pop_back();
        ev.summary = s;
    } else if (lp.name == "DTSTART") ev.dtstart = CalTime::Parse(v);
    else if (lp.name == "DTEND") ev.dtend = CalTime::Parse(v);
    else if (lp.name == "RRULE") ev.rrule = v;
    else if (lp.name == "EXDATE") {
        for (const auto& t : SplitComma(v)) ev.exdates.push_back(CalTime::Parse(t));
    } else if (lp.name == "X-ORV-SCENES") {
        ev.scenes.clear();
        for (auto t : SplitComma(v)) ev.scenes.push_back(t == "2" ? "salsa" : t);
    } else if (lp.name == "X-ORV-CATEGORIES") {
        ev.categories.clear();
        for (const auto& t : SplitComma(v)) {
            int id = std::atoi(t.c_str());
            if (id != 0) ev.categories.push_back(id);
        }
    } else if (lp.name == "X-ORV-LOCATION") {
        for (const auto& kv : SplitPairs(v)) {
            if (kv.first == "COUNTRY") ev.country = kv.second;
            else if (kv.first == "ZIP") ev.zip = kv.second;
            else if (kv.first == "CITY") ev.city = kv.second;
        }
    } else if (lp.name == "X-ORV-PUBLISH") {
        for (const auto& kv : SplitPairs(v))
            if (kv.first == "STATE") ev.publishState = std::atoi(kv.second.c_str());
    } else if (lp.name == "X-ORV-EVENTID") {
        ev.eventId = std::atoi(v.c_str());
    } else if (lp.name == "X-ORV-SUPRAREGIONAL") {
        ev.supraregional = std::atoi(v.c_str());
    } else if (lp.name == "X-ORV-HIGHLIGHTS") {
        for (const auto& kv : SplitPairs(v)) {
            CalTime t = CalTime::Parse(kv.first);
            int level = std::atoi(kv.second.c_str());
            if (t.isSet() && level != 0) ev.highlights.emplace_back(t, level);
        }
    }
}

void ReadLines(IcsEvent& ev) {
    int depth = 0;
    for (const auto& l : ev.lines) {
        LineParts lp = SplitLine(l);
        if (lp.name == "BEGIN") {
            ++depth;
            continue;
        }
        if (lp.name == "END") {
            if (depth > 0) --depth;
            continue;
        }
        if (depth == 0) ApplyLine(ev, lp);
    }
}

}  // namespace

std::string CalTime::format() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02dT%02d%02d%02d", year, month, day, hour, minute, second);
    return buf;
}

CalTime CalTime::Parse(const std::string& text) {
    CalTime t;
    bool ok = true;
    t.year = Digits(text, 0, 4, ok);
    t.month = ok ? Digits(text, 4, 2, ok) : 0;
    t.day = ok ? Digits(text, 6, 2, ok) : 0;
    if (!ok || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month)) return CalTime{};
    if (text.size() > 8 && text[8] == 'T') {
        bool tok = true;
        int h = Digits(text, 9, 2, tok), mi = tok ? Digits(text, 11, 2, tok) : 0, s = tok ? Digits(text, 13, 2, tok) : 0;
        if (tok && h < 24 && mi < 60 && s < 61) {
            t.hour = h;
            t.minute = mi;
            t.second = s;
        }
    }
    return t;
}

long long CalTime::daysSinceEpoch() const {
    // Civil-from-days inverse (proleptic Gregorian).
    int y = year - (month <= 2 ? 1 : 0);
    long long era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned mp = static_cast<unsigned>(month + (month > 2 ? -3 : 9));
    unsigned doy = (153 * mp + 2) / 5 + static_cast<unsigned>(day) - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

CalTime CalTime::FromDays(long long z, int hour, int minute, int second) {
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    unsigned doe = static_cast<unsigned>(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = static_cast<long long>(yoe) + era * 400;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    unsigned d = doy - (153 * mp + 2) / 5 + 1;
    unsigned m = mp < 10 ? mp + 3 : mp - 9;
    CalTime t;
    t.year = static_cast<int>(y + (m <= 2 ? 1 : 0));
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(d);
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

long long CalTime::totalSeconds() const { return daysSinceEpoch() * 86400 + hour * 3600 + minute * 60 + second; }

CalTime CalTime::FromSeconds(long long secs) {
    long long days = secs / 86400;
    long long rem = secs % 86400;
    if (rem < 0) {
        rem += 86400;
        --days;
    }
    return FromDays(days, static_cast<int>(rem / 3600), static_cast<int>(rem % 3600 / 60), static_cast<int>(rem % 60));
}

int CalTime::weekdayMon1() const {
    long long d = daysSinceEpoch();  // 1970-01-01 was a Thursday
    long long w = ((d % 7) + 7 + 3) % 7;  // Monday 0
    return static_cast<int>(w) + 1;
}

std::vector<std::pair<std::string, std::string>> SplitPairs(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t pos = 0;
    while (pos < text.size()) {
        bool q = false;
        size_t end = pos;
        while (end < text.size() && (text[end] != ';' || q)) {
            if (text[end] == '"') q = !q;
            ++end;
        }
        std::string pair = text.substr(pos, end - pos);
        pos = end < text.size() ? end + 1 : end;
        q = false;
        size_t eq = std::string::npos;
        for (size_t i = 0; i < pair.size(); ++i) {
            if (pair[i] == '"') q = !q;
            else if (pair[i] == '=' && !q) {
                eq = i;
                break;
            }
        }
        if (eq == std::string::npos) continue;
        std::string key = pair.substr(0, eq);
        std::string val = pair.substr(eq + 1);
        if (!val.empty() && val[0] == '"') {
            size_t close = val.find('"', 1);
            val = val.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        }
        out.emplace_back(key, val);
    }
    return out;
}

std::string IcsEvent::body() const {
    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

bool ReadFirstEvent(const std::string& text, IcsEvent& out, std::string& error) {
    out = IcsEvent{};
    std::vector<std::string> all = LogicalLines(text);
    bool inEvent = false;
    int depth = 0;
    for (const auto& l : all) {
        LineParts lp = SplitLine(l);
        std::string comp = Upper(lp.value);
        while (!comp.empty() && comp.back() == ' ') comp.pop_back();
        if (!inEvent) {
            if (lp.name == "BEGIN" && comp == "VEVENT") {
                inEvent = true;
                depth = 0;
            }
            continue;
        }
        if (lp.name == "BEGIN") ++depth;
        if (lp.name == "END") {
            if (depth == 0) {
                ReadLines(out);
                if (!out.dtstart.isSet()) {
                    error = "Die Veranstaltung hat kein gültiges DTSTART";
                    return false;
                }
                return true;
            }
            --depth;
        }
        out.lines.push_back(l);
    }
    error = inEvent ? "Der VEVENT-Block ist nicht abgeschlossen" : "Die Daten enthalten keinen VEVENT-Block";
    return false;
}

IcsEvent ReadEventBody(const std::string& body) {
    IcsEvent ev;
    ev.lines = LogicalLines(body);
    ReadLines(ev);
    return ev;
}

std::string RenderEvent(const std::string& body, int eventId, int supraregional,
                        const std::vector<std::pair<CalTime, int>>& highlights) {
    std::string out = "BEGIN:VEVENT\r\n";
    int depth = 0;
    for (const auto& l : LogicalLines(body)) {
        LineParts lp = SplitLine(l);
        if (lp.name == "BEGIN") ++depth;
        if (lp.name == "END" && depth > 0) --depth;
        if (depth == 0 && (lp.name == "X-ORV-EVENTID" || lp.name == "X-ORV-SUPRAREGIONAL" ||
                           lp.name == "X-ORV-HIGHLIGHTS"))
            continue;
        out += l;
        out += "\r\n";
    }
    out += "X-ORV-EVENTID:" + std::to_string(eventId) + "\r\n";
    if (supraregional != 0) out += "X-ORV-SUPRAREGIONAL:" + std::to_string(supraregional) + "\r\n";
    out += "X-ORV-HIGHLIGHTS:";
    for (size_t i = 0; i < highlights.size(); ++i) {
        if (i) out += ';';
        out += highlights[i].first.format() + "=" + std::to_string(highlights[i].second);
    }
    out += "\r\nEND:VEVENT\r\n";
    return out;
}

namespace {

struct Rule {
    int freq = 0, interval = 0, count = 0;
    CalTime until;
    std::vector<std::pair<int, int>> byday;  // ordinal, weekday Monday 1
};

Rule ParseRule(const std::string& text) {
    static const char* freqs[] = {"MINUTELY", "HOURLY", "DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
    static const char* days[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    Rule r;
    for (const auto& kv : SplitPairs(text)) {
        if (kv.first == "FREQ") {
            for (int i = 0; i < 6; ++i)
                if (kv.second == freqs[i]) r.freq = i + 1;
        } else if (kv.first == "COUNT") r.count = std::atoi(kv.second.c_str());
        else if (kv.first == "INTERVAL") r.interval = std::atoi(kv.second.c_str());
        else if (kv.first == "UNTIL") r.until = CalTime::Parse(kv.second);
        else if (kv.first == "BYDAY") {
            for (const auto& tok : SplitComma(kv.second)) {
                size_t n = 0;
                while (n < tok.size() && (tok[n] == '-' || std::isdigit(static_cast<unsigned char>(tok[n])))) ++n;
                std::string wd = tok.substr(n);
                for (int i = 0; i < 7; ++i)
                    if (wd == days[i]) r.byday.emplace_back(std::atoi(tok.substr(0, n).c_str()), i + 1);
            }
        }
    }
    return r;
}

}  // namespace

std::vector<CalTime> ExpandOccurrences(const IcsEvent& ev, const CalTime& horizon, size_t maxCount) {
    std::vector<CalTime> out;
    const CalTime s = ev.dtstart;
    if (!s.isSet()) return out;
    Rule r = ParseRule(ev.rrule);
    if (r.freq == 0) {
        out.push_back(s);
        return out;
    }
    const int interval = r.interval > 0 ? r.interval : 1;
    const CalTime limit = r.until.isSet() ? r.until : horizon;
    int remaining = r.count;
    bool stop = false;
    auto excluded = [&](const CalTime& d) {
        for (const auto& x : ev.exdates)
            if (x.sameDate(d)) return true;
        return false;
    };
    // Returns false when the count is used up.
    auto emit = [&](const CalTime& c) {
        if (!excluded(c)) out.push_back(c);
        if (r.count != 0 && --remaining <= 0) stop = true;
        if (out.size() >= maxCount) stop = true;
    };
    const long long limitSecs = limit.totalSeconds();
    size_t guard = 0;  // bounds the loop even for rules that never emit
    if (r.freq == 2 || r.freq == 3 || (r.freq == 4 && r.byday.empty())) {
        long long step = r.freq == 2 ? 3600LL : (r.freq == 3 ? 86400LL : 604800LL);
        for (long long c = s.totalSeconds(); c <= limitSecs && !stop && guard++ < 200000; c += step * interval) {
            CalTime t = CalTime::FromSeconds(c);
            t.second = 0;
            emit(t);
        }
    } else if (r.freq == 4) {
        long long anchor = s.daysSinceEpoch();
        while (!stop && anchor * 86400 <= limitSecs && guard++ < 200000) {
            CalTime a = CalTime::FromDays(anchor, 0, 0, 0);
            for (const auto& e : r.byday) {
                long long d = anchor + (e.second - a.weekdayMon1());
                if (d < s.daysSinceEpoch()) continue;
                emit(CalTime::FromDays(d, s.hour, s.minute, 0));
                if (stop) break;
            }
            anchor += 7LL * interval;
        }
    } else if (r.freq == 5 || r.freq == 6) {
        int y = s.year, m = s.month;
        while (!stop && guard++ < 20000) {
            if (r.freq == 5 && !r.byday.empty()) {
                CalTime first{y, m, 1, 0, 0, 0};
                if (first.totalSeconds() > limitSecs) break;
                for (const auto& e : r.byday) {
                    std::vector<int> hits;
                    for (int d = 1; d <= DaysInMonth(y, m); ++d)
                        if (CalTime{y, m, d, 0, 0, 0}.weekdayMon1() == e.second) hits.push_back(d);
                    int pick = 0;
                    if (e.first > 0 && e.first <= static_cast<int>(hits.size())) pick = hits[e.first - 1];
                    else if (e.first < 0 && -e.first <= static_cast<int>(hits.size()))
                        pick = hits[hits.size() - static_cast<size_t>(-e.first)];
                    if (pick == 0) continue;
                    CalTime c{y, m, pick, s.hour, s.minute, 0};
                    if (c.totalSeconds() < s.totalSeconds() - s.second) continue;
                    if (c.totalSeconds() > limitSecs) continue;
                    emit(c);
                    if (stop) break;
                }
            } else {
                // A day the month or year lacks (the 31st, 29 February) is skipped.
                if (s.day <= DaysInMonth(y, m)) {
                    CalTime c{y, m, s.day, s.hour, s.minute, 0};
                    if (c.totalSeconds() > limitSecs) break;
                    emit(c);
                } else if (CalTime{y, m, 1, 0, 0, 0}.totalSeconds() > limitSecs) {
                    break;
                }
            }
            if (r.freq == 5) {
                m += interval;
                while (m > 12) {
                    m -= 12;
                    ++y;
                }
            } else {
                y += interval;
            }
        }
    }
    return out;
}

}  // namespace orvportal
