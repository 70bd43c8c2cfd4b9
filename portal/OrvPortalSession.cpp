#include "portal/OrvPortalSession.h"

#include <spawn.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "app/OrvCalendarConfig.h"
#include "platform/OrvEvent.h"
#include "portal/OrvWebService.h"
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
        // No answer at all says nothing about the password: the dialog
        // would ask for it as if it were wrong.
        else if (service.LastFailure() != OrvTransportFailure::None) return -1;
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

OrvSetupProgram OrvSetupFromDownload(const OrvWebServiceJoomla& service, const std::string& version,
                                     const std::string& path)
{
    OrvSetupProgram setup;
    setup.path = path;
    setup.announced = std::string(ORV_APPLICATION_NAME) + "_" + version + "_setup.exe";
    const OrvDownloadedFile& file = service.LastDownload();
    if (!path.empty() && file.path == path) {
        setup.size = file.size;
        setup.sha256 = file.sha256;
        setup.trustedOrigin = OrvTrustedOrigin(file.origin);
    }
    return setup;
}

int OrvUpdateCheck(OrvWebServiceJoomla& service, const OrvUpdateHooks& hooks, OrvSetupProgram& setup)
{
    if (hooks.renewLogin) hooks.renewLogin();
    std::string history, version;
    int rc = service.CheckUpdate(history, version);
    if (rc != 0) return rc;
    int state = 0;
    std::string path;
    int result = hooks.showDialog ? hooks.showDialog(version, history, state, path) : 0;
    if (result == ZAF_DIALOG_OK && state == ORV_UPDATE_DOWNLOADED) {
        setup = OrvSetupFromDownload(service, version, path);
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

OrvSetupVerdict OrvCheckSetupProgram(const OrvSetupProgram& setup)
{
    std::string name = setup.path;
    size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) name = name.substr(slash + 1);
    if (setup.announced.empty() || name != setup.announced) return ORV_SETUP_NOT_ANNOUNCED;
    if (!setup.trustedOrigin) return ORV_SETUP_UNTRUSTED;
    struct stat st {};
    if (::lstat(setup.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return ORV_SETUP_CHANGED;
    uint64_t size = 0;
    std::string sha = OrvFileSHA256(setup.path, &size);
    if (setup.sha256.empty() || sha != setup.sha256 || size != setup.size) return ORV_SETUP_CHANGED;
    return ORV_SETUP_MAY_START;
}

namespace {

// Starts the checked file; the program outlives us, nobody waits for it.
bool StartProgram(const std::string& path)
{
    // A downloaded file carries no execute permission yet.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (::chmod(path.c_str(), (st.st_mode & 07777) | S_IXUSR) != 0) return false;
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    return posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) == 0;
}

}  // namespace

int OrvFinishUpdate(const OrvSetupProgram& setup, const OrvSetupHooks& hooks)
{
    if (setup.path.empty()) return 100;
    OrvSetupVerdict verdict = OrvCheckSetupProgram(setup);
    if (verdict == ORV_SETUP_MAY_START) {
        std::string name = setup.path.substr(setup.path.find_last_of('/') + 1);
        bool yes = hooks.confirm && hooks.confirm(name, setup.size, setup.sha256);
        if (!yes) verdict = ORV_SETUP_DECLINED;
        // The bytes are checked once more right before the start.
        else if (OrvCheckSetupProgram(setup) != ORV_SETUP_MAY_START) verdict = ORV_SETUP_CHANGED;
        else if (!StartProgram(setup.path)) verdict = ORV_SETUP_START_FAILED;
        else return 0;
    }
    if (hooks.tell) hooks.tell(setup.path, verdict);
    return verdict;
}
