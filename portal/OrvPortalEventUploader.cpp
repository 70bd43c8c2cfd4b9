#include "portal/OrvPortalEventUploader.h"

#include "portal/OrvWebServiceJoomla.h"

int OrvPortalEventUploader::LoginIfNeeded()
{
    if (loggedIn_) return 0;
    int code = login_ ? login_() : service_.Login();
    loggedIn_ = code == 0;
    return code;
}

int OrvPortalEventUploader::UploadEvent(const char* componentName, const std::string& text, int& eventId)
{
    eventId = 0;
    int id = 0;
    int code = service_.UploadEvent(componentName, text, id);
    if (code == 0) eventId = id;
    return code;
}
