// Sections-and-keys configuration files ("[section]" lines followed by
// "key=value" lines), read and written one key at a time in the manner of the
// classic private-profile functions: section and key names match without
// regard to case, a missing file, section or key reads as the default, and a
// value is cut to fit the caller's buffer.
#pragma once

#include <cstddef>
#include <string>

// Copies the value of key in section of file into buf (at most size - 1
// bytes, always zero-terminated when size > 0) and returns the number of
// bytes copied. When the file, the section or the key is missing, the default
// (null counts as empty, trailing blanks removed) is copied instead.
// Blanks around the value are removed; one matching pair of quotation marks
// (double or single) around it is removed as well.
std::size_t OrvGetPrivateProfileString(const char* section, const char* key,
                                       const char* defaultValue, char* buf,
                                       std::size_t size, const char* file);

// Sets key in section of file to value, adding the section and the key when
// they are missing; a null value removes the key, a null key removes the
// whole section. Other lines, comments included, are kept as they stand.
// The file is rewritten through a temporary file in the same directory that
// then replaces it, and it is readable and writable by its owner only.
// Returns 0 on success and -1 when the file could not be written (the old
// file is then left untouched).
int OrvWritePrivateProfileString(const char* section, const char* key,
                                 const char* value, const char* file);

// The text that a value is stored as, so that reading gives back exactly
// the value written (blanks at its ends and surrounding quotation marks
// would otherwise be taken off on reading; line breaks cannot be stored and
// become blanks).
std::string OrvProfileEncodeValue(const char* value);
