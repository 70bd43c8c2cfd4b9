#include "base/OrvText.h"

#include <cstring>

namespace {

struct Row {
    unsigned char single;
    unsigned char utf8[4];   // zero-terminated sequence
};

// 0xA1..0xFF without 0xAD, then the euro sign; searched in this order.
struct Table {
    Row rows[95];
    int count = 0;
    Table()
    {
        for (int b = 0xA1; b <= 0xFF; ++b) {
            if (b == 0xAD) continue;
            Row& r = rows[count++];
            r.single = static_cast<unsigned char>(b);
            r.utf8[0] = static_cast<unsigned char>(0xC0 | (b >> 6));
            r.utf8[1] = static_cast<unsigned char>(0x80 | (b & 0x3F));
            r.utf8[2] = 0;
        }
        Row& euro = rows[count++];
        euro.single = 0x80;
        euro.utf8[0] = 0xE2;
        euro.utf8[1] = 0x82;
        euro.utf8[2] = 0xAC;
        euro.utf8[3] = 0;
    }
};

const Table& table()
{
    static const Table t;
    return t;
}

int leadingOnes(unsigned char b)
{
    int n = 0;
    while (n < 8 && (b & (0x80 >> n))) ++n;
    return n;
}

// Row for a sequence of length len, or null.
const Row* findSequence(const unsigned char* p, int len)
{
    const Table& t = table();
    for (int i = 0; i < t.count; ++i) {
        const Row& r = t.rows[i];
        int rl = static_cast<int>(std::strlen(reinterpret_cast<const char*>(r.utf8)));
        if (rl == len && std::memcmp(r.utf8, p, len) == 0) return &r;
    }
    return nullptr;
}

} // namespace

const char* OrvUTF8ToSingleByte(const char* text)
{
    thread_local std::string buffer;
    buffer = text ? text : "";
    unsigned char* s = reinterpret_cast<unsigned char*>(buffer.data());
    std::size_t n = buffer.size();
    std::size_t in = 0, out = 0;
    bool stopped = false;
    while (in < n) {
        unsigned char b = s[in];
        if (b < 0x80) {
            s[out++] = s[in++];
            continue;
        }
        int len = leadingOnes(b);
        bool ok = b >= 0xC0 && len >= 2 && len <= 6 && in + len <= n;
        for (int k = 1; ok && k < len; ++k)
            if (s[in + k] == 0 || (s[in + k] & 0x40)) ok = false;
        if (!ok) {
            stopped = true;
            break;
        }
        if (const Row* r = findSequence(s + in, len)) s[out++] = r->single;
        in += len;
    }
    if (stopped) {
        // The rest stays as it stands.
        std::memmove(s + out, s + in, n - in);
        out += n - in;
    }
    buffer.resize(out);
    return buffer.c_str();
}

const char* OrvSingleByteToUTF8(const char* text)
{
    thread_local std::string buffer;
    buffer.clear();
    if (!text) return buffer.c_str();
    const Table& t = table();
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 0x80) {
            buffer += static_cast<char>(*p);
            continue;
        }
        const Row* found = nullptr;
        for (int i = 0; i < t.count && !found; ++i)
            if (t.rows[i].single == *p) found = &t.rows[i];
        buffer += found ? reinterpret_cast<const char*>(found->utf8) : " ";
    }
    return buffer.c_str();
}

bool OrvIsUTF8Sequence(const char* position, int* length)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(position);
    if (!p || !(p[0] & 0x80)) return false;
    int len = leadingOnes(p[0]);
    if (length) *length = len;
    if ((p[0] & 0xC0) != 0xC0 || len > 6) return false;
    for (int k = 1; k < len; ++k)
        if (p[k] == 0 || (p[k] & 0x40)) return false;
    return true;
}

const char* OrvReplaceAll(const char* text, const char* pattern, const char* replacement)
{
    thread_local std::string buffer;
    buffer = text ? text : "";
    if (!pattern || !*pattern) return buffer.c_str();
    std::string with = replacement ? replacement : "";
    std::size_t pl = std::strlen(pattern);
    std::size_t pos = 0;
    while ((pos = buffer.find(pattern, pos)) != std::string::npos) {
        buffer.replace(pos, pl, with);
        pos += with.size();
    }
    return buffer.c_str();
}

const char* OrvSkipLeadingQuotes(const char* text)
{
    if (!text) return "";
    while (*text == '"') ++text;
    return text;
}

const char* OrvCutTrailingQuotes(const char* text)
{
    thread_local std::string buffer;
    buffer = text ? text : "";
    while (!buffer.empty() && buffer.back() == '"') buffer.pop_back();
    return buffer.c_str();
}

const char* OrvFormEncode(const char* text)
{
    thread_local std::string buffer;
    buffer.clear();
    static const char hex[] = "0123456789ABCDEF";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p; ++p) {
        unsigned char c = *p;
        bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '/' || c == '[' || c == '\\' || c == ']';
        if (keep) {
            buffer += static_cast<char>(c);
        } else {
            buffer += '%';
            buffer += hex[c >> 4];
            buffer += hex[c & 15];
        }
    }
    return buffer.c_str();
}

bool OrvFitsSingleByte(const char* utf8)
{
    if (!utf8) return true;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int len = 0;
        if (!OrvIsUTF8Sequence(reinterpret_cast<const char*>(p), &len)) return false;
        if (!findSequence(p, len)) return false;
        p += len;
    }
    return true;
}
