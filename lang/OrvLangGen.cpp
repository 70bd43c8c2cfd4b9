// Build tool: turns one language column of texts.tsv into a C++ table of
// Windows-1252 strings.
//
//   orv_langgen <texts.tsv> <column: 1 German, 2 English> <output.inc>
//
// Fails (exit 1, with the line number) on a malformed line, a duplicate
// number, an empty text or a character that the window code page of the
// program cannot show.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Only characters that the program's single-byte conversion maps back are
// allowed: ASCII, U+00A1..U+00FF without the soft hyphen, and the euro sign.
bool ToWindows1252(const std::string& utf8, std::string& out, std::string& error)
{
    out.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                error = "control character";
                return false;
            }
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        unsigned cp = 0;
        int len = 0;
        if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
        else { error = "invalid UTF-8"; return false; }
        if (i + len > utf8.size()) { error = "truncated UTF-8"; return false; }
        for (int k = 1; k < len; ++k) {
            unsigned char d = static_cast<unsigned char>(utf8[i + k]);
            if ((d & 0xC0) != 0x80) { error = "invalid UTF-8"; return false; }
            cp = (cp << 6) | (d & 0x3F);
        }
        i += len;
        if (cp == 0x20AC) out += static_cast<char>(0x80);
        else if (cp >= 0xA1 && cp <= 0xFF && cp != 0xAD) out += static_cast<char>(cp);
        else {
            char buf[64];
            std::snprintf(buf, sizeof buf, "character U+%04X has no place in the window code page", cp);
            error = buf;
            return false;
        }
    }
    return true;
}

bool Unescape(const std::string& in, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') { out += in[i]; continue; }
        if (++i >= in.size()) return false;
        switch (in[i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        default: return false;
        }
    }
    return true;
}

std::string CLiteral(const std::string& bytes)
{
    std::string s = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') { s += '\\'; s += static_cast<char>(c); }
        else if (c >= 0x20 && c < 0x7F) s += static_cast<char>(c);
        else {
            // Octal escapes stop after three digits, unlike hexadecimal ones.
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            s += buf;
        }
    }
    return s + "\"";
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> cols;
    std::size_t pos = 0;
    for (;;) {
        std::size_t tab = line.find('\t', pos);
        cols.push_back(line.substr(pos, tab == std::string::npos ? std::string::npos : tab - pos));
        if (tab == std::string::npos) break;
        pos = tab + 1;
    }
    return cols;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: orv_langgen <texts.tsv> <column> <output>\n";
        return 2;
    }
    int column = std::atoi(argv[2]);
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot open\n";
        return 1;
    }
    std::ostringstream table;
    std::set<long> seen;
    std::string line;
    int lineNo = 0;
    long previous = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        auto fail = [&](const std::string& why) {
            std::cerr << argv[1] << ":" << lineNo << ": " << why << "\n";
            return 1;
        };
        std::vector<std::string> cols = SplitTabs(line);
        if (cols.size() != 3) return fail("expected number, German and English separated by tabs");
        char* end = nullptr;
        long number = std::strtol(cols[0].c_str(), &end, 10);
        if (cols[0].empty() || *end != '\0' || number <= 0) return fail("bad text number");
        if (!seen.insert(number).second) return fail("duplicate text number");
        if (number < previous) return fail("text numbers must ascend");
        previous = number;
        if (column < 1 || column > 2) return fail("bad column");
        std::string text, bytes, error;
        if (!Unescape(cols[static_cast<std::size_t>(column)], text)) return fail("bad escape");
        if (text.empty()) return fail("empty text");
        if (!ToWindows1252(text, bytes, error)) return fail(error);
        table << "    {" << number << ", " << CLiteral(bytes) << "},\n";
    }
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out << "// Generated from texts.tsv; do not edit.\n" << table.str();
    out.close();
    if (!out) {
        std::cerr << argv[3] << ": cannot write\n";
        return 1;
    }
    return 0;
}
