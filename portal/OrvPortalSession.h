// The portal steps of the main window that need no window of their own:
// the start-up login sequence, the portal configuration refresh, the update
// check and download, and starting the downloaded set-up program at exit.
// Dialogs and event posting come in through hooks, so the steps run (and
// are tested) without a display.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class OrvCalendarConfig;
class OrvWebServiceJoomla;

// State of the update dialog after a successful download.
constexpr int ORV_UPDATE_DOWNLOADED = 10135;
// Events the login sequence posts.
constexpr int ORV_EVENT_REGISTER_USER = 10151;
constexpr int ORV_EVENT_DOWNLOAD_CALENDAR = 10202;
constexpr int ORV_EVENT_CLOSE_APPLICATION = -11;
// Login result that marks the account as blocked.
constexpr int ORV_LOGIN_BLOCKED = -109;

struct OrvLoginSequenceHooks {
    // Lets the framework draw pending events (may be empty).
    std::function<void()> dispatchPending;
    // The login dialog; blocked tells it that the account counts as
    // blocked. Returns the dialog's result (ZAF_DIALOG_OK after a
    // successful login) and sets registerAsked when the user chose to
    // register.
    std::function<int(bool blocked, bool& registerAsked)> loginDialog;
    // The update check of the main window (usually OrvUpdateCheck with the
    // window's dialog); 0 means an update was accepted and the program is
    // ending.
    std::function<int()> updateCheck;
    // Posts an event to the main window.
    std::function<void(int event)> post;
};

// Connect, silent login with the stored credentials unless "Blocked" is
// set, otherwise the login dialog; then refresh the portal configuration,
// check for updates when "CheckForUpdatesOnStart" is set and post the
// calendar download. Returns 0 when the download was posted, -1 when the
// internet client or the connection failed or the silent login got no
// answer from the portal (no dialog then), 100 when the sequence stopped
// (dialog without OK, or an accepted update).
int OrvRunLoginSequence(OrvWebServiceJoomla& service, OrvCalendarConfig& config, const OrvLoginSequenceHooks& hooks);

// Asks the portal for the application configuration and stores it in the
// configuration object. The portal's return code, -1 on transport failure.
int OrvRefreshPortalConfig(OrvWebServiceJoomla& service, OrvCalendarConfig& config);

struct OrvUpdateHooks {
    // Login renewal before the check (may be empty).
    std::function<int()> renewLogin;
    // The update dialog with the offered version and history. Returns the
    // dialog's result; after a download state is ORV_UPDATE_DOWNLOADED and
    // path the set-up program's path.
    std::function<int(const std::string& version, const std::string& history, int& state, std::string& path)>
        showDialog;
    // Asks the main window to end the program.
    std::function<void()> endProgram;
};

// A downloaded set-up program and what is known of how it came.
struct OrvSetupProgram {
    std::string path;          // the stored file; empty when none
    std::string announced;     // the name the update was announced with
    uint64_t size = 0;         // bytes as they arrived
    std::string sha256;        // of those bytes, lower-case hex
    bool trustedOrigin = false;  // https with a verified certificate, or loopback
};

// The set-up program the latest download of the offered version stored
// (path may be empty). The announced name is "OrvCalendar_<version>_setup.exe".
OrvSetupProgram OrvSetupFromDownload(const OrvWebServiceJoomla& service, const std::string& version,
                                     const std::string& path);

// 0 when an update was downloaded and the program is about to end (the
// set-up program in setup), 100 when the dialog ended otherwise, or the
// non-zero result of CheckUpdate (100: no newer version, -1: transport
// failure, another code: portal error); no dialog is shown then.
int OrvUpdateCheck(OrvWebServiceJoomla& service, const OrvUpdateHooks& hooks, OrvSetupProgram& setup);

// The dialog's download step: DownloadUpdate of version into the update
// directory. On result 0, state becomes ORV_UPDATE_DOWNLOADED and path the
// downloaded file's path (empty when the reply held no file). Other results
// leave state and path as they were.
int OrvUpdateDownload(OrvWebServiceJoomla& service, const std::string& version, int& state, std::string& path);

// Why a set-up program is not started.
enum OrvSetupVerdict {
    ORV_SETUP_MAY_START = 0,
    ORV_SETUP_NOT_ANNOUNCED = 1,  // its name is not the announced one
    ORV_SETUP_UNTRUSTED = 2,      // it came neither over verified https nor from loopback
    ORV_SETUP_CHANGED = 3,        // the file is gone or not the bytes that arrived
    ORV_SETUP_DECLINED = 4,       // the user said no
    ORV_SETUP_START_FAILED = 5,   // the process could not be started
};

// The checks before the question: name, origin, then the file's bytes.
OrvSetupVerdict OrvCheckSetupProgram(const OrvSetupProgram& setup);

struct OrvSetupHooks {
    // The question at exit; true starts the program.
    std::function<bool(const std::string& name, uint64_t size, const std::string& sha256)> confirm;
    // Tells the user where the file stays and why it was not started.
    std::function<void(const std::string& path, OrvSetupVerdict why)> tell;
};

// At the program's end: when the checks pass and the user confirms, starts
// the set-up program (and nothing else) as a new process without
// arguments. 0 when started, 100 when there is no file, otherwise the
// verdict (the file stays where it is and tell was called).
int OrvFinishUpdate(const OrvSetupProgram& setup, const OrvSetupHooks& hooks);
