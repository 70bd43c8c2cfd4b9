#include "model/OrvPairTokenizer.h"

#include <climits>
#include <cstdlib>

namespace {

constexpr char pairSeparator = ';';
constexpr char keySeparator = '=';
constexpr char quote = '"';

// Position of the first separator at or after from that is outside double
// quotes (every quote from 'from' on switches the state), or end.
std::size_t FindUnquoted(const std::string& text, std::size_t from, std::size_t end, char separator)
{
    bool inside = false;
    for (std::size_t i = from; i < end; ++i) {
        if (text[i] == quote)
            inside = !inside;
        else if (text[i] == separator && !inside)
            return i;
    }
    return end;
}

long long ReadLongLong(const std::string& text)
{
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    // strtoll already clamps to LLONG_MIN/MAX on overflow.
    return value;
}

} // namespace

OrvPairTokenizer::OrvPairTokenizer(std::string text) : text_(std::move(text)) {}

bool OrvPairTokenizer::Next(std::string& key, std::string& value)
{
    key.clear();
    value.clear();
    if (position_ >= text_.size()) return false;

    std::size_t pairStart = position_;
    std::size_t pairEnd = FindUnquoted(text_, pairStart, text_.size(), pairSeparator);
    position_ = pairEnd < text_.size() ? pairEnd + 1 : text_.size();

    std::size_t equals = FindUnquoted(text_, pairStart, pairEnd, keySeparator);
    if (equals == pairEnd) return true; // no key: the caller skips this pair

    key.assign(text_, pairStart, equals - pairStart);
    std::size_t valueStart = equals + 1;
    if (valueStart < pairEnd && text_[valueStart] == quote) {
        ++valueStart;
        std::size_t closing = text_.find(quote, valueStart);
        // An unterminated quote takes the rest of the pair instead of
        // running past it.
        if (closing == std::string::npos || closing > pairEnd) closing = pairEnd;
        value.assign(text_, valueStart, closing - valueStart);
    } else {
        value.assign(text_, valueStart, pairEnd - valueStart);
    }
    return true;
}

int OrvReadInt(const std::string& text)
{
    long long value = ReadLongLong(text);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

uint32_t OrvReadUnsigned(const std::string& text)
{
    long long value = ReadLongLong(text);
    if (value < 0) return 0;
    if (value > static_cast<long long>(UINT32_MAX)) return UINT32_MAX;
    return static_cast<uint32_t>(value);
}

OrvCalTime OrvReadDateTime(const std::string& text, bool dateOnly)
{
    int fields[6] = {0, 0, 0, 0, 0, 0};
    static const int widths[6] = {4, 2, 2, 2, 2, 2};
    const int fieldCount = dateOnly ? 3 : 6;
    std::size_t pos = 0;
    for (int f = 0; f < fieldCount; ++f) {
        if (f == 3) {
            if (pos >= text.size() || text[pos] != 'T') break;
            ++pos;
        }
        int value = 0;
        int digits = 0;
        while (digits < widths[f] && pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + (text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits < widths[f]) break;
        fields[f] = value;
    }
    OrvCalTime result;
    result.Set(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], 0);
    return result;
}

std::vector<std::string> OrvSplitTokens(const std::string& text, char separator)
{
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        if (end > start) tokens.emplace_back(text, start, end - start);
        start = end + 1;
    }
    return tokens;
}
