// Formatted text into and out of byte buffers, and file name helpers.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// snprintf into a buffer of a known size; always terminated.
#define ZafSPrintf(buffer, size, ...) std::snprintf((buffer), (size), __VA_ARGS__)
#define ZafSScanf std::sscanf

// The file name part of a path (after the last '/' or '\').
std::string StripFullPath(const std::string& path);
// The directory part of a path without the trailing separator, or "".
std::string DirectoryOf(const std::string& path);
