#include "portal/OrvLocationAnalysis.h"

#include "base/OrvText.h"

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Characters of the pattern that can belong to a separator.
bool IsSeparatorChar(char c) { return c != ' ' && c != 'a' && c != '0' && c != '-'; }

} // namespace

std::string OrvLocationAnalysis::Pattern(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (IsDigit(c)) {
            out += '0';
            ++i;
        } else if (IsAsciiLetter(c)) {
            out += 'a';
            ++i;
        } else if (c == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += "\\n";
            i += 2;
        } else {
            int length = 0;
            if (OrvIsUTF8Sequence(text.c_str() + i, &length) && length > 1 && i + length <= text.size()) {
                out.append(static_cast<size_t>(length), 'a');
                i += static_cast<size_t>(length);
            } else {
                out += c;
                ++i;
            }
        }
    }
    return out;
}

void OrvLocationAnalysis::Analyse(const std::string& location)
{
    *this = OrvLocationAnalysis();
    // Escaped tabs carry nothing for the address.
    text.reserve(location.size());
    for (size_t i = 0; i < location.size(); ++i) {
        if (location[i] == '\\' && i + 1 < location.size() && location[i + 1] == 't') {
            ++i;
            continue;
        }
        text += location[i];
    }
    pattern = Pattern(text);
    FindSeparator();
    Split();
    ReadTokens();
}

void OrvLocationAnalysis::FindSeparator()
{
    size_t i = 0;
    while (i < pattern.size()) {
        if (!IsSeparatorChar(pattern[i])) {
            ++i;
            continue;
        }
        size_t length = 1;
        while (length < 3 && i + length < pattern.size() && IsSeparatorChar(pattern[i + length])) ++length;
        std::string candidate = text.substr(i, length);
        bool known = false;
        for (auto& entry : separators)
            if (entry.first == candidate) {
                ++entry.second;
                known = true;
                break;
            }
        if (!known) separators.emplace_back(candidate, 1);
        i += length;
    }
    for (const auto& entry : separators)
        if (entry.second >= 2) {
            separator_ = entry.first;
            break;
        }
}

void OrvLocationAnalysis::Split()
{
    if (separator_.empty()) {
        tokens.push_back({text, pattern});
        return;
    }
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator_, start);
        std::string piece = text.substr(start, at == std::string::npos ? std::string::npos : at - start);
        size_t first = piece.find_first_not_of(' ');
        piece = first == std::string::npos ? std::string() : piece.substr(first);
        tokens.push_back({piece, Pattern(piece)});
        if (at == std::string::npos) break;
        start = at + separator_.size();
    }
}

void OrvLocationAnalysis::ReadTokens()
{
    for (size_t n = 0; n < tokens.size(); ++n) {
        const std::string& t = tokens[n].text;
        const std::string& p = tokens[n].pattern;
        size_t zipAt = p.find("0000");
        size_t zipLength = 0;
        if (zipAt != std::string::npos)
            while (zipAt + zipLength < p.size() && p[zipAt + zipLength] == '0') ++zipLength;
        size_t wordAt = p.find("aaa");
        size_t countryAt = p.find("a-");

        if (ZIP.empty() && zipAt != std::string::npos) {
            ZIP = t.substr(zipAt, zipLength);
            if (countryAt != std::string::npos && countryAt < zipAt && zipAt - countryAt < 5) {
                if (countryAt > 0 && p[countryAt - 1] == 'a')
                    COUNTRY = t.substr(countryAt - 1, 2);
                else
                    COUNTRY = t.substr(countryAt, 1);
            }
        }
        if (CITY.empty() && zipAt != std::string::npos && wordAt != std::string::npos) CITY = t.substr(wordAt);
        if (STREET.empty() && zipAt == std::string::npos && n > 0) {
            bool digit = false;
            for (char c : t)
                if (IsDigit(c)) digit = true;
            if (digit) STREET = t;
        }
        if (n == 0) NAME = t;
    }
}
