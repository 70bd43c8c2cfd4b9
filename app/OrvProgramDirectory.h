// The program's directory: where the configuration file, the language
// libraries and the "PLUGIN", "Update" and "Cache" directories live.
#pragma once

#include <string>

// Without an explicit setting this is the directory of the running
// executable (no trailing slash).
const std::string& OrvProgramDirectory();

// Start-up sets it from the program's own path; tests point it at a
// directory of their own. A trailing slash is removed.
void OrvSetProgramDirectory(const std::string& directory);

// Directory part of a path ("." when the path has no slash).
std::string OrvDirectoryOfPath(const std::string& path);
