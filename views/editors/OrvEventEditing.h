// The main window's flows around the event wizard: a new event, editing one
// date or a whole series, uploading the result and transferring its
// changed images and downloads.
#pragma once

#include <QWidget>

#include <functional>
#include <string>

#include "model/OrvCalendar.h"
#include "views/editors/OrvEventWizard.h"

class OrvWebServiceJoomla;

struct OrvEventEditContext {
    QWidget* parent = nullptr;
    OrvCalendar* calendar = nullptr;
    // Null when working without the portal: nothing is uploaded.
    OrvWebServiceJoomla* portal = nullptr;
    // Logs in when the client has no login yet; 0 on success.
    std::function<int()> ensureLogin;
    // After every change of the calendar (10125 to all views).
    std::function<void()> broadcastChange;
    // The repeating-event question: dialog result, value 10131 or 10132.
    // Unset: the dialog is shown.
    std::function<int(int command, const std::string& summary, int& value)> askRepeating;
    // Runs the wizard; unset: modal Control().
    std::function<int(OrvEventWizard& wizard)> runWizard;
    // The person dialog for the wizard; unset: no person can be chosen.
    std::function<bool(int kind, int category, OrvAddress& person)> choosePerson;
    // Chooses a local file for a slot; unset: a file dialog.
    std::function<std::string(bool images)> chooseFile;
    // Uploads an event after the wizard (0 on success); unset:
    // OrvUploadEvent. The main window keeps what did not go up.
    std::function<int(OrvCalendarComponent* event)> upload;
    // Yes/no question (title, text) before a changed wizard is cancelled;
    // unset: a question box.
    std::function<bool(const QString& title, const QString& text)> confirm;
};

// Wizard services over the portal client (persons, rooms, event files).
OrvEventWizardServices OrvPortalWizardServices(const OrvEventEditContext& context);

// New event (10107) on a day (or the shared date when null) with an
// optional preset category. 0 when the event was stored, -1 otherwise.
int OrvNewEvent(const OrvEventEditContext& context, const ZafUTimeData& day, int category);

// An empty event wizard (10138) that stores nothing; the wizard's result.
int OrvOpenEmptyWizard(const OrvEventEditContext& context);

// Edit an event date (10108): asks whether one date or the series changes
// when the event repeats. 0 when stored, -1 otherwise.
int OrvEditEventDate(const OrvEventEditContext& context, OrvEventDate* date);

// Uploads the event and stores the portal's event id. 0 on success.
int OrvUploadEvent(const OrvEventEditContext& context, OrvCalendarComponent* event);

// Uploads the event's images and downloads marked as changed (or deletes
// them on the portal when they have no local file), and deletes the files
// of the named slots. Returns the number of failed transfers.
int OrvTransferEventFiles(const OrvEventEditContext& context, OrvCalendarComponent* event,
                          const std::vector<std::string>& clearedImages = {},
                          const std::vector<std::string>& clearedDownloads = {});

// The name a file is sent under: the element's name and the extension of
// the source file (from its last '.'; none without one).
std::string OrvTransferName(const std::string& name, const std::string& source);

// Copies an image for upload: larger than 650 pixels in width or height it
// is scaled proportionally into 650 x 650 and saved with quality 75 as
// target; smaller images are not copied (result 100). 0 after a scaled
// copy, -1 when the image cannot be read or written.
int OrvFitImageForUpload(const std::string& source, const std::string& target, int* width = nullptr,
                         int* height = nullptr);
