// The modal editor of one event: a working copy of the event's data edited
// page by page, written back into the event only on finish and only when
// the event then validates.
#pragma once

#include <QDate>
#include <QTime>

#include <functional>
#include <string>
#include <vector>

#include "model/OrvCalendar.h"
#include "model/OrvCalendarComponent.h"
#include "views/editors/OrvWizard.h"

class OrvEventWizardPage;
class OrvWizardPage_Start;

// Commands inside the wizard.
enum : int {
    ORV_EWIZ_LOAD = 10005,
    ORV_EWIZ_CATEGORY = 10111,
    ORV_EWIZ_START_CHANGED = 10112,
    ORV_EWIZ_END_CHANGED = 10113,
    ORV_EWIZ_SCENE = 10114,
    ORV_EWIZ_ROOM = 10115,
    ORV_EWIZ_IMAGE_SLOT = 10116,
    ORV_EWIZ_IMAGE_SLOTS = 10117,
    ORV_EWIZ_RECURRENCE = 10128,
    ORV_EWIZ_LOCATION_CHOOSE = 10139,
    ORV_EWIZ_LOCATION_CHANGE = 10140,
    ORV_EWIZ_LOCATION_CLEAR = 10141,
    ORV_EWIZ_ORGANIZER_ADD = 10143,
    ORV_EWIZ_ORGANIZER_EDIT = 10144,
    ORV_EWIZ_ORGANIZER_REMOVE = 10145,
    ORV_EWIZ_STORE = 10152,
    ORV_EWIZ_USER_CATEGORY = 10158,
    ORV_EWIZ_DOWNLOAD_SLOTS = 10159,
    ORV_EWIZ_DOWNLOAD_SLOT = 10160,
};

// Edit modes and opening commands.
constexpr int ORV_EDIT_NEW = 0;
constexpr int ORV_EDIT_OCCURRENCE = 10131;
constexpr int ORV_EDIT_SERIES = 10132;
constexpr int ORV_OPEN_CREATE = 10107;
constexpr int ORV_OPEN_EDIT = 10108;

// Person kinds of the person dialog.
enum { ORV_PERSON_LOCATION = 1, ORV_PERSON_ORGANIZER = 2, ORV_PERSON_DJ = 3, ORV_PERSON_GUEST = 4 };

// Page kinds, in the order of the caption table.
enum class OrvEventPageKind {
    Start, Time, Location, Costs, Organizer, DJs, Guests, Teacher, Program, Comment, Flyer, Images, Downloads,
    User, End
};

// The pages after Start for a first category (no category counts as 0).
std::vector<OrvEventPageKind> OrvEventWizardPageSet(int firstCategory);
// Caption text number of a page kind.
int OrvEventPageCaption(OrvEventPageKind kind);

// A text edited in the window code page that goes back unchanged (with the
// characters the code page cannot hold) unless the user changed it.
struct OrvKeptText {
    std::string original;  // UTF-8 as the event held it
    std::string window;    // what the editor shows and edits
    void Load(const std::string& utf8);
    std::string Store() const;
};

// What the wizard needs from outside: the person dialog, the portal's
// person records and files, the file chooser. Unset hooks do nothing.
struct OrvEventWizardServices {
    // Opens the person dialog for a kind; true when the user accepted,
    // person then holds the choice (window code page texts).
    std::function<bool(int kind, int category, OrvAddress& person)> choosePerson;
    // Reads a person record from the portal; false when it cannot.
    std::function<bool(int personId, OrvAddress& person)> readPerson;
    // The rooms of a location's portal record.
    std::function<std::vector<std::string>(int personId)> locationRooms;
    // Fetches an event file from the portal into a local file.
    std::function<bool(int eventId, const std::string& name, std::string& localPath)> fetchFile;
    // Asks for a local file (images when images is true).
    std::function<std::string(bool images)> chooseFile;
    // Yes/no question before changes are thrown away (title, text); unset:
    // a question box.
    std::function<bool(const QString& title, const QString& text)> confirm;
};

// The working copy of the event's data.
struct OrvEventWorkingCopy {
    OrvKeptText title, slogan, userCategory, description, costText;
    OrvAddress location;
    std::vector<OrvAddress> organizers, djs, guests;
    OrvCalPropertyList categories, scenes;
    OrvCalImageList images;
    OrvCalDownloadList downloads;
    std::vector<std::pair<OrvKeptText, OrvKeptText>> programme, costTable;
    QDate startDate, endDate, publishUpDate, publishDownDate;
    QTime startTime, endTime, publishUpTime, publishDownTime;
    OrvRRule rule;
    double price1 = 0, price2 = 0, price3 = 0;
    bool free = false, useTable = false;
    unsigned units = 0, minutes = 0;
    // The persons as loaded, so unchanged ones go back as they were.
    OrvPerson originalLocation;
    std::vector<OrvPerson> originalOrganizers, originalDjs, originalGuests;
    // Names of the slots the user cleared; their portal files go too.
    std::vector<std::string> clearedImages, clearedDownloads;
    int FirstCategory() const;
};

class OrvEventWizard : public OrvWizard {
    Q_OBJECT
public:
    // event: the event to edit (not owned; null creates an empty one that
    // the wizard owns until TakeEvent). occurrence: the edited occurrence
    // or null.
    OrvEventWizard(OrvCalendarComponent* event, OrvEventDate* occurrence, int editMode, int openingCommand,
                   const OrvEventWizardServices& services, QWidget* parent = nullptr);
    ~OrvEventWizard() override;

    void SetPresetDate(const ZafUTimeData& date) { presetDate_ = date; }
    void SetPresetCategory(int id) { presetCategory_ = id; }
    // The scene a new event starts with (the configuration's default).
    void SetPresetScene(int id, const std::string& name);

    // Loads the working copy and builds the pages (once).
    void Prepare();
    int Control();

    OrvCalendarComponent* Event() const { return event_; }
    // The event created by the wizard, handed over to the caller.
    OrvCalendarComponent* TakeEvent();
    int EditMode() const { return editMode_; }
    int OpeningCommand() const { return opening_; }
    OrvEventWorkingCopy& Work() { return work_; }
    const OrvEventWizardServices& Services() const { return services_; }
    // True while the login's client state limits the description and locks
    // the slogan.
    bool Restricted() const;
    // The end date is editable for the first category.
    bool EndDateEditable() const;
    // Applies the date and time consistency after a change of start
    // (startChanged) or end.
    void KeepTimesConsistent(bool startChanged);
    // Writes the working copy into the event and validates it; the result
    // of Validate (0 and 1 accept).
    int Store();
    // Message text number for a validation result; 0 when none is shown.
    static int ValidationMessage(int result);
    // The working end lies before the working start.
    bool EndBeforeStart() const;
    // The working copy differs from what the wizard was opened with.
    bool HasChanges();

    int Event(const OrvEvent& event) override;
    OrvWizardPage_Start* StartPage() const { return start_; }

protected:
    void Finish() override;
    bool ConfirmCancel() override;

private:
    int StoreInto(OrvCalendarComponent& event);
    // The event text the working copy gives, written into a copy.
    std::string WorkingText();
    void LoadWorkingCopy();
    void ApplyNewEventDefaults();
    void AddPageSet();
    OrvCalendarComponent* event_;
    bool ownsEvent_ = false;
    OrvEventDate* occurrence_;
    int editMode_;
    int opening_;
    OrvEventWizardServices services_;
    ZafUTimeData presetDate_;
    int presetCategory_ = 0;
    int presetSceneId_ = 0;
    std::string presetSceneName_;
    OrvEventWorkingCopy work_;
    OrvWizardPage_Start* start_ = nullptr;
    bool prepared_ = false;
    std::string openedText_;
};

// Base of the event wizard's pages.
class OrvEventWizardPage : public OrvWizardPage {
    Q_OBJECT
public:
    OrvEventWizardPage(OrvEventWizard* wizard, OrvEventPageKind kind);
    OrvEventPageKind Kind() const { return kind_; }
    OrvEventWizard* EventWizard() const { return wizard_; }
    OrvEventWorkingCopy& Work() const { return wizard_->Work(); }
    // Shows the working copy in the controls.
    virtual void Reload() {}
    int Event(const OrvEvent& event) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    OrvEventWizard* wizard_;
    OrvEventPageKind kind_;
};

// Creates the page of a kind.
OrvEventWizardPage* OrvCreateEventWizardPage(OrvEventWizard* wizard, OrvEventPageKind kind);
