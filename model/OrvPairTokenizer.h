// Reading of the structured property values: the pair tokenizer that splits
// KEY=VALUE;KEY="VALUE";... and the small number and date-time readers the
// value parsers share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/OrvCalTime.h"

class OrvPairTokenizer {
public:
    // Keeps its own copy of the text; the read position starts at its
    // beginning.
    explicit OrvPairTokenizer(std::string text);

    // Next pair of the text. Returns false (key and value empty) when the
    // text is used up. Pairs end at the first ';' outside double quotes (or
    // at the end of the text); the key ends at the first '=' outside quotes.
    // A pair without such an '=' returns true with an empty key and value;
    // callers skip it and go on. A value that begins with '"' runs to the
    // next '"' (text after it up to the ';' is dropped); without a closing
    // quote it runs to the end of the pair.
    bool Next(std::string& key, std::string& value);

private:
    std::string text_;
    std::size_t position_ = 0;
};

// Decimal reading as the C library does it: leading blanks, an optional
// sign, then digits; anything else stops it. No digits gives 0. Values out
// of range are clamped to the result type (negative text gives 0 for the
// unsigned form).
int OrvReadInt(const std::string& text);
uint32_t OrvReadUnsigned(const std::string& text);

// Date-time reading of fixed-width decimal fields: 4-digit year, 2-digit
// month and day, then (unless dateOnly) 'T' and 2-digit hour, minute and
// second. Reading stops at the first field that is not all digits, and
// that field and the ones after it stay 0; a trailing "Z" or anything else
// after the seconds is ignored. Milliseconds are 0.
OrvCalTime OrvReadDateTime(const std::string& text, bool dateOnly = false);

// Splits at every separator; empty tokens are left out (so "" and ",,"
// give no token).
std::vector<std::string> OrvSplitTokens(const std::string& text, char separator);
