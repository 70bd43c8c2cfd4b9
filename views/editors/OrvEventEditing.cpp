#include "views/editors/OrvEventEditing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <memory>
#include <sstream>

#include "app/OrvCalendarConfig.h"
#include "base/OrvImageData.h"
#include "base/OrvText.h"
#include "model/OrvCalReader.h"
#include "platform/qt/OrvMessageWindow.h"
#include "portal/OrvWebServiceJoomla.h"
#include "views/OrvSharedDate.h"
#include "views/editors/OrvEventRRuleDialog.h"

namespace {

bool Repeats(const OrvCalendarComponent* event)
{
    return event && event->rrule.frequency != ORV_FREQ_NONE && event->rrule.frequency != ORV_FREQ_ONCE;
}

int Ask(const OrvEventEditContext& c, int command, const std::string& summary, int& value)
{
    if (c.askRepeating) return c.askRepeating(command, summary, value);
    OrvRepeatingEventDialog dialog(command, summary, c.parent);
    int result = dialog.Control();
    value = dialog.Value();
    return result;
}

int Run(const OrvEventEditContext& c, OrvEventWizard& wizard)
{
    return c.runWizard ? c.runWizard(wizard) : wizard.Control();
}

bool ScenesConfigured(const OrvEventEditContext& c)
{
    OrvEventSceneList* scenes = OrvCalendarConfig::Get()->GetEventSceneList();
    if (scenes && scenes->Count() > 0) return true;
    OrvMessageWindow::Show(c.parent, QStringLiteral("Hinweis"),
                           QString::fromUtf8("Stellen Sie bitte unter \"Extras > Einstellungen\" die Szenen ein, "
                                             "für die Sie Veranstaltungen erfassen wollen."));
    return false;
}

void Changed(const OrvEventEditContext& c)
{
    c.calendar->RebuildOccurrences();
    if (c.broadcastChange) c.broadcastChange();
}

// Rooms of a location from its portal record's "params" lines.
std::vector<std::string> RoomsOf(const json::Object& person)
{
    std::vector<std::string> rooms;
    const json::String& params = person["params"];
    std::istringstream lines(params.Value());
    std::string line;
    std::vector<std::pair<std::string, std::string>> found;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        found.emplace_back(line.substr(0, line.find('=')),
                           line.find('=') == std::string::npos ? "" : line.substr(line.find('=') + 1));
    }
    for (int n = 1; n <= 99; ++n) {
        char key[16];
        std::snprintf(key, sizeof key, "ROOM%02d", n);
        bool any = false;
        for (const auto& f : found)
            if (f.first == key) {
                rooms.push_back(OrvToSingleByte(f.second));
                any = true;
            }
        if (!any) break;
    }
    return rooms;
}

std::string NewUID()
{
    static unsigned counter = 0;
    ZafUTimeData now = ZafUTimeData::Now();
    char uid[96];
    std::snprintf(uid, sizeof uid, "orv-%04d%02d%02d%02d%02d%02d%03d-%u-%d@orvcalendar", now.Year(), now.Month(),
                  now.Day(), now.Hour(), now.Minute(), now.Second(), now.Milliseconds(), ++counter,
                  static_cast<int>(QCoreApplication::applicationPid()));
    return uid;
}

int Upload(const OrvEventEditContext& c, OrvCalendarComponent* event)
{
    return c.upload ? c.upload(event) : OrvUploadEvent(c, event);
}

// Adds an event below the calendar's first calendar block, creating one for
// an empty calendar so that the new event is not lost; gives it a UID.
void AddToCalendar(OrvCalendar& calendar, OrvCalendarComponent* event)
{
    if (event->uid.empty()) event->uid = NewUID();
    calendar.AdoptEvent(event);
}

}  // namespace

OrvEventWizardServices OrvPortalWizardServices(const OrvEventEditContext& c)
{
    OrvEventWizardServices s;
    s.choosePerson = c.choosePerson;
    s.chooseFile = c.chooseFile;
    s.confirm = c.confirm;
    if (!c.portal) return s;
    OrvWebServiceJoomla* portal = c.portal;
    auto login = c.ensureLogin;
    s.readPerson = [portal, login](int id, OrvAddress& person) {
        if (login) login();
        return portal->PersonReadAddress(id, "", person) == 0;
    };
    s.locationRooms = [portal, login](int id) {
        if (login) login();
        json::Object person;
        if (portal->PersonRead(id, "", person) != 0) return std::vector<std::string>();
        return RoomsOf(person);
    };
    s.fetchFile = [portal, login](int eventId, const std::string& name, std::string& path) {
        if (login) login();
        return portal->EventGetFile(eventId, name.c_str(), path) == 0;
    };
    return s;
}

int OrvUploadEvent(const OrvEventEditContext& c, OrvCalendarComponent* event)
{
    if (!c.portal || !event) return -1;
    const std::string text = OrvComponentText(*event);
    if (c.ensureLogin) c.ensureLogin();
    int id = 0;
    int result = c.portal->UploadEvent(event->name.c_str(), text, id);
    if (result == 0 && id != 0) event->eventId = id;
    return result;
}

std::string OrvTransferName(const std::string& name, const std::string& source)
{
    std::string file = QFileInfo(QString::fromStdString(source)).fileName().toStdString();
    std::size_t dot = file.rfind('.');
    return name + (dot == std::string::npos ? std::string() : file.substr(dot));
}

int OrvFitImageForUpload(const std::string& source, const std::string& target, int* width, int* height)
{
    OrvImageData image(source);
    if (!image.LoadImage() || !image.HasImage()) return -1;
    int w = image.ImageWidth(), h = image.ImageHeight();
    if (w <= 0 || h <= 0) return -1;
    if (w <= 650 && h <= 650) {
        if (width) *width = w;
        if (height) *height = h;
        return 100;
    }
    double factor = std::min(650.0 / w, 650.0 / h);
    int nw = static_cast<int>(w * factor), nh = static_cast<int>(h * factor);
    if (image.Resize(nw, nh, ORV_RESAMPLE_SMOOTH) != 0) return -1;
    if (image.Save(target, 75) != 0) return -1;
    if (width) *width = nw;
    if (height) *height = nh;
    return 0;
}

int OrvTransferEventFiles(const OrvEventEditContext& c, OrvCalendarComponent* event,
                          const std::vector<std::string>& clearedImages,
                          const std::vector<std::string>& clearedDownloads)
{
    if (!c.portal || !event || event->eventId == 0) return 0;
    if (c.ensureLogin) c.ensureLogin();
    int failures = 0;
    std::string cache = OrvCalendarConfig::Get()->GetCacheDirectory();
    QDir().mkpath(QString::fromStdString(cache));
    auto transfer = [&](OrvCalImageList& list, bool scale) {
        for (int i = 0; i < list.Count(); ++i) {
            OrvCalImageElement* e = list.Element(i);
            if (!e->changed) continue;
            int result;
            if (e->url.empty()) {
                result = c.portal->EventDelFile(event->eventId, e->name.c_str());
            } else {
                std::string name = OrvTransferName(e->name, e->url);
                std::string file = e->url;
                if (scale) {
                    std::string copy = cache + "/" + name;
                    int fit = OrvFitImageForUpload(e->url, copy);
                    if (fit == 0) file = copy;
                    else if (fit < 0) {
                        ++failures;
                        continue;
                    }
                }
                result = c.portal->EventSetFile(name.c_str(), event->eventId, file.c_str());
            }
            if (result == 0) e->changed = 0;
            else ++failures;
        }
    };
    transfer(event->images, true);
    transfer(event->downloads, false);
    for (const std::string& name : clearedImages)
        if (c.portal->EventDelFile(event->eventId, name.c_str()) != 0) ++failures;
    for (const std::string& name : clearedDownloads)
        if (c.portal->EventDelFile(event->eventId, name.c_str()) != 0) ++failures;
    return failures;
}

int OrvNewEvent(const OrvEventEditContext& c, const ZafUTimeData& day, int category)
{
    if (!c.calendar || !ScenesConfigured(c)) return -1;
    OrvEventWizard wizard(nullptr, nullptr, ORV_EDIT_NEW, ORV_OPEN_CREATE, OrvPortalWizardServices(c), c.parent);
    wizard.SetPresetDate(day.Year() ? day : OrvSharedDate::Instance()->Get());
    if (category) wizard.SetPresetCategory(category);
    OrvCalendarConfig* config = OrvCalendarConfig::Get();
    if (int scene = config->GetDefaultSceneID()) wizard.SetPresetScene(scene, OrvToUTF8(config->GetSceneName(scene)));
    wizard.Prepare();
    if (Run(c, wizard) != ZAF_DIALOG_OK) return -1;
    OrvCalendarComponent* event = wizard.TakeEvent();
    AddToCalendar(*c.calendar, event);
    Changed(c);
    if (Upload(c, event) == 0) {
        OrvTransferEventFiles(c, event, wizard.Work().clearedImages, wizard.Work().clearedDownloads);
        Changed(c);
    }
    return 0;
}

int OrvOpenEmptyWizard(const OrvEventEditContext& c)
{
    // Lets the user look through the pages; the event is thrown away.
    OrvEventWizard wizard(nullptr, nullptr, ORV_EDIT_NEW, ORV_OPEN_CREATE, OrvPortalWizardServices(c), c.parent);
    wizard.SetPresetDate(OrvSharedDate::Instance()->Get());
    wizard.Prepare();
    return Run(c, wizard);
}

int OrvEditEventDate(const OrvEventEditContext& c, OrvEventDate* date)
{
    if (!c.calendar || !date || !date->event || !ScenesConfigured(c)) return -1;
    OrvCalendarComponent* series = date->event;
    int choice = ORV_REPEAT_ALL;
    if (Repeats(series)) {
        int value = 0;
        if (Ask(c, ORV_OPEN_EDIT, series->summary, value) != ZAF_DIALOG_OK) return -1;
        choice = value;
    }
    if (choice == ORV_REPEAT_ONLY_THIS) {
        // A detached copy for this date, without recurrence and portal id.
        std::unique_ptr<OrvEventDate> copy(date->Copy());
        if (!copy) return -1;
        std::unique_ptr<OrvCalendarComponent> single(copy->event);
        single->dtStart.SetKeepingForm(date->start);
        single->dtEnd.SetKeepingForm(date->end);
        // A new event of its own: the portal keys events by id, this
        // computer by UID, and the series keeps both of its own.
        single->eventId = 0;
        single->uid = NewUID();
        single->rrule.Clear();
        single->rDates.clear();   // the series' further dates stay with it
        single->recurrenceId.Clear();
        OrvEventWizard wizard(single.get(), date, ORV_EDIT_OCCURRENCE, ORV_OPEN_EDIT, OrvPortalWizardServices(c),
                              c.parent);
        wizard.Prepare();
        if (Run(c, wizard) != ZAF_DIALOG_OK) return -1;
        OrvCalendar::AddExceptionDate(series, *date);
        OrvCalendarComponent* event = single.release();
        AddToCalendar(*c.calendar, event);
        Changed(c);
        Upload(c, series);
        if (Upload(c, event) == 0)
            OrvTransferEventFiles(c, event, wizard.Work().clearedImages, wizard.Work().clearedDownloads);
        Changed(c);
        return 0;
    }
    OrvEventWizard wizard(series, date, ORV_EDIT_SERIES, ORV_OPEN_EDIT, OrvPortalWizardServices(c), c.parent);
    wizard.Prepare();
    if (Run(c, wizard) != ZAF_DIALOG_OK) return -1;
    std::vector<std::string> clearedImages = wizard.Work().clearedImages;
    std::vector<std::string> clearedDownloads = wizard.Work().clearedDownloads;
    Changed(c);
    if (Upload(c, series) == 0) OrvTransferEventFiles(c, series, clearedImages, clearedDownloads);
    Changed(c);
    return 0;
}
