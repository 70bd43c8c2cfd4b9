// Conversions between the user interface's Windows-1252 text and the
// model's UTF-8, and the small text functions several areas share.
// Every function that returns text returns its own buffer, valid until the
// next call of the same function; callers copy.
#pragma once

#include <string>

const char* OrvUTF8ToSingleByte(const char* text);
const char* OrvSingleByteToUTF8(const char* text);
// True when the bytes at position begin a UTF-8 multibyte sequence; length
// receives the announced length for any first byte with the top bit set.
bool OrvIsUTF8Sequence(const char* position, int* length);
const char* OrvReplaceAll(const char* text, const char* pattern, const char* replacement);
const char* OrvSkipLeadingQuotes(const char* text);
const char* OrvCutTrailingQuotes(const char* text);
const char* OrvFormEncode(const char* text);

// True when every character of the UTF-8 text has a Windows-1252 byte, so a
// round trip through the window code page loses nothing.
bool OrvFitsSingleByte(const char* utf8);

// std::string conveniences over the functions above.
inline std::string OrvToSingleByte(const std::string& utf8) { return OrvUTF8ToSingleByte(utf8.c_str()); }
inline std::string OrvToUTF8(const std::string& text) { return OrvSingleByteToUTF8(text.c_str()); }
