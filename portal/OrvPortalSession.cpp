#include "portal/OrvPortalSession.h"

#include <spawn.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "app/OrvCalendarConfig.h"
#include "platform/OrvEvent.h"
#include "portal/OrvWebServiceJoomla.h"

extern char** environ;

int OrvRefreshPortalConfig(OrvWebServiceJoomla& service, OrvCalendarConfig& config)
{
    return config.RefreshPortalConfig([&service](json::Object& out) { return service.ApplicationGetConfig(out); });
}

int OrvRunLoginSequence(OrvWebServiceJoomla& service, OrvCalendarConfig& config, const OrvLoginSequenceHooks& hooks)
{
    // 1. Internet client and connection.
    if (!service.Connect() || !service.IsInternetOpen()) return -1;

    // 2. Let the main window draw, then the stored login values.
    if (hooks.dispatchPending) hooks.dispatchPending();
    std::string user = config.GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_USERNAME, "");
    std::string password = config.GetValue(ORVCFG_SECTION_DEFAULT, ORVCFG_PASSWORD, "");
    int remember = config.GetIntValue(ORVCFG_REMEMBERPASSWORD) != 0 ? 1 : 0;
    bool blocked = config.GetIntValue(ORVCFG_BLOCKED) != 0;

    // 3. Silent login.
    bool loggedIn = false;
    if (!user.empty() && !password.empty() && !blocked) {
        int rc = service.Login(user.c_str(), password.c_str(), remember);
        if (rc == 0) loggedIn = true;
        else if (rc == ORV_LOGIN_BLOCKED) blocked = true;
    }

    // 4. The login dialog.
    if (!loggedIn) {
        bool registerAsked = false;
        int result = hooks.loginDialog ? hooks.loginDialog(blocked, registerAsked) : 0;
        if (result != ZAF_DIALOG_OK) {
            if (hooks.post) hooks.post(registerAsked ? ORV_EVENT_REGISTER_USER : ORV_EVENT_CLOSE_APPLICATION);
            return 100;
        }
    }

    // 5. Portal configuration.
    OrvRefreshPortalConfig(service, config);

    // 6. Updates.
    if (config.GetIntValue(ORVCFG_CHECKFORUPDATESONSTART) != 0 && hooks.updateCheck) {
        if (hooks.updateCheck() == 0) return 100;  // the program is ending for the update
    }

    // 7. The user's calendar.
    if (hooks.post) hooks.post(ORV_EVENT_DOWNLOAD_CALENDAR);
    return 0;
}

int OrvUpdateCheck(OrvWebServiceJoomla& service, const OrvUpdateHooks& hooks, std::string& setupPath)
{
    if (hooks.renewLogin) hooks.renewLogin();
    std::string history, version;
    int rc = service.CheckUpdate(history, version);
    if (rc != 0) return rc;
    int state = 0;
    std::string path;
    int result = hooks.showDialog ? hooks.showDialog(version, history, state, path) : 0;
    if (result == ZAF_DIALOG_OK && state == ORV_UPDATE_DOWNLOADED) {
        setupPath = path;
        if (hooks.endProgram) hooks.endProgram();
        return 0;
    }
    return 100;
}

int OrvUpdateDownload(OrvWebServiceJoomla& service, const std::string& version, int& state, std::string& path)
{
    std::string file;  // empty: the update directory
    int rc = service.DownloadUpdate(version, file);
    if (rc != 0) return rc;
    state = ORV_UPDATE_DOWNLOADED;
    path = file;
    return 0;
}

int OrvStartSetupProgram(const std::string& path)
{
    if (path.empty()) return 100;
    // A downloaded file carries no execute permission yet.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    ::chmod(path.c_str(), st.st_mode | S_IXUSR);
    // The program outlives us; nobody waits for it.
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    int rc = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ);
    return rc == 0 ? 0 : -1;
}
