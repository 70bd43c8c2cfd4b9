// The portal client as the document's uploader for publishing all events.
#pragma once

#include <functional>
#include <string>

#include "model/OrvCalendar.h"

class OrvWebServiceJoomla;

class OrvPortalEventUploader : public OrvEventUploader {
public:
    // login: the main window's login renewal; without one the stored
    // credentials are sent again with Login. Either runs once: after a
    // successful login later calls do nothing.
    explicit OrvPortalEventUploader(OrvWebServiceJoomla& service, std::function<int()> login = {})
        : service_(service), login_(std::move(login)) {}

    int LoginIfNeeded() override;
    // UploadEvent of the portal client; 0 only when the portal accepted the
    // event (return code 0).
    int UploadEvent(const char* componentName, const std::string& text, int& eventId) override;

    bool LoggedIn() const { return loggedIn_; }

private:
    OrvWebServiceJoomla& service_;
    std::function<int()> login_;
    bool loggedIn_ = false;
};
