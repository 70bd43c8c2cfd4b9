#include "OrvProfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Names compare like the system's profile functions do: letters without
// regard to case. Only ASCII letters are folded so that single-byte text of
// the window code page compares the same on every locale.
bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

enum class LineKind { Other, Section, Key };

struct Line {
    std::string text;   // the line as stored, without its line end
    LineKind kind = LineKind::Other;
    std::string name;   // section or key name, trimmed
    std::string value;  // raw value (keys only), trimmed
};

Line Classify(const std::string& text)
{
    Line line;
    line.text = text;
    std::string t = Trim(text);
    if (t.empty() || t[0] == ';') return line;
    if (t[0] == '[') {
        std::size_t close = t.find(']');
        line.kind = LineKind::Section;
        line.name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        return line;
    }
    std::size_t eq = t.find('=');
    if (eq == std::string::npos) return line;
    line.kind = LineKind::Key;
    line.name = Trim(t.substr(0, eq));
    line.value = Trim(t.substr(eq + 1));
    return line;
}

// Reads the file into lines. Returns false when the name exists but cannot
// be read as a file; a missing file gives no lines.
bool LoadLines(const char* file, std::vector<Line>& lines, bool& crlf, bool& exists)
{
    lines.clear();
    crlf = false;
    exists = false;
    int fd = ::open(file, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    std::string text;
    char chunk[8192];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        text.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    exists = true;
    std::size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::string l = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        if (!l.empty() && l.back() == '\r') {
            l.pop_back();
            if (first) crlf = true;
        }
        first = false;
        lines.push_back(Classify(l));
        if (nl == std::string::npos) break;
        pos = nl + 1;
    }
    return true;
}

std::string Unquote(const std::string& v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::string DirectoryOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

int WriteAtomically(const std::string& file, const std::string& content)
{
    std::string tmpl = file + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return -1;
    bool ok = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
    const char* p = content.data();
    std::size_t left = content.size();
    while (ok && left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(name.data(), file.c_str()) != 0) ok = false;
    if (!ok) {
        ::unlink(name.data());
        return -1;
    }
    // Make the new name durable as well.
    int dfd = ::open(DirectoryOf(file).c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return 0;
}

} // namespace

std::string OrvProfileEncodeValue(const char* value)
{
    std::string v = value ? value : "";
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    if (v.empty()) return v;
    bool blankEnds = IsBlank(v.front()) || IsBlank(v.back());
    bool quoted = v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
    if (blankEnds || quoted) return "\"" + v + "\"";
    return v;
}

std::size_t OrvGetPrivateProfileString(const char* section, const char* key,
                                       const char* defaultValue, char* buf,
                                       std::size_t size, const char* file)
{
    if (!buf || size == 0) return 0;
    std::string result = defaultValue ? defaultValue : "";
    while (!result.empty() && IsBlank(result.back())) result.pop_back();

    std::vector<Line> lines;
    bool crlf = false, exists = false;
    if (section && key && file && LoadLines(file, lines, crlf, exists)) {
        std::string sec = Trim(section), k = Trim(key);
        bool inSection = false, seenSection = false;
        for (const Line& l : lines) {
            if (l.kind == LineKind::Section) {
                // Only the first section of a name counts, as for writing.
                if (inSection) break;
                inSection = !seenSection && SameName(l.name, sec);
                if (inSection) seenSection = true;
                continue;
            }
            if (inSection && l.kind == LineKind::Key && SameName(l.name, k)) {
                result = Unquote(l.value);
                break;
            }
        }
    }
    std::size_t n = result.size() < size - 1 ? result.size() : size - 1;
    std::memcpy(buf, result.data(), n);
    buf[n] = '\0';
    return n;
}

int OrvWritePrivateProfileString(const char* section, const char* key,
                                 const char* value, const char* file)
{
    if (!section || !file) return -1;
    std::vector<Line> lines;
    bool crlf = false, exists = false;
    if (!LoadLines(file, lines, crlf, exists)) return -1;
    if (!exists) crlf = false;

    std::string sec = Trim(section);
    std::size_t begin = lines.size(), end = lines.size();  // section lines [begin, end)
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section && SameName(lines[i].name, sec)) {
            begin = i;
            end = i + 1;
            while (end < lines.size() && lines[end].kind != LineKind::Section) ++end;
            break;
        }
    }
    bool haveSection = begin < lines.size();

    if (!key) {
        if (!haveSection) return 0;
        lines.erase(lines.begin() + static_cast<long>(begin), lines.begin() + static_cast<long>(end));
    } else {
        std::string k = Trim(key);
        std::size_t found = lines.size();
        if (haveSection)
            for (std::size_t i = begin + 1; i < end; ++i)
                if (lines[i].kind == LineKind::Key && SameName(lines[i].name, k)) {
                    found = i;
                    break;
                }
        if (!value) {
            if (found == lines.size()) return 0;
            lines.erase(lines.begin() + static_cast<long>(found));
        } else {
            Line l;
            l.kind = LineKind::Key;
            l.name = k;
            l.text = k + "=" + OrvProfileEncodeValue(value);
            if (found != lines.size()) {
                lines[found] = l;
            } else if (haveSection) {
                // After the last non-blank line of the section, so that a
                // blank line before the next section stays where it is.
                std::size_t at = end;
                while (at > begin + 1 && Trim(lines[at - 1].text).empty()) --at;
                lines.insert(lines.begin() + static_cast<long>(at), l);
            } else {
                Line h;
                h.kind = LineKind::Section;
                h.name = sec;
                h.text = "[" + sec + "]";
                lines.push_back(h);
                lines.push_back(l);
            }
        }
    }

    std::string eol = crlf ? "\r\n" : "\n";
    std::string content;
    for (const Line& l : lines) content += l.text + eol;
    return WriteAtomically(file, content);
}
