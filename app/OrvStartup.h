// The application's start-up: layout storage, local database, program
// directory, main window and the event loop.
#pragma once

// Name of the layout storage: "%s.znc" with "OrvCalendar", opened in the
// working directory.
constexpr const char* ORV_STORAGE_BASENAME = "OrvCalendar";
// Name of the local database in the working directory.
constexpr const char* ORV_DATABASE_NAME = "user.db";

// Runs the application inside an existing QApplication. Returns -1 when the
// layout storage is missing (after the "Fehler" message, before any window
// opens), 1 after the event loop ended.
int OrvApplicationMain(int argc, char** argv);

// Process exit code of a start-up result: 0 for 1, 1 for anything else.
int OrvExitCode(int result);
