#include "views/editors/OrvEventWizard.h"

#include <QDateTime>
#include <QShowEvent>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "base/OrvText.h"
#include "model/OrvCalReader.h"
#include "platform/qt/OrvMessageWindow.h"
#include "platform/qt/OrvQtEvent.h"
#include "platform/qt/OrvQtText.h"
#include "views/editors/OrvEventWizardPages.h"

namespace {

// Prices are texts with two decimals and a point, whatever the locale.
std::string PriceText(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string text = buffer;
    for (char& c : text)
        if (c == ',') c = '.';
    return text;
}

// Numeric value of a price text as the standard reading takes it: leading
// number, nothing gives 0; a decimal comma is read like a point.
double PriceValue(const std::string& text)
{
    std::string copy = text;
    for (char& c : copy)
        if (c == ',') c = '.';
    // strtod honours the locale's decimal point; read the C form ourselves.
    double whole = 0, fraction = 0, scale = 1;
    const char* p = copy.c_str();
    while (*p == ' ') ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    while (*p >= '0' && *p <= '9') whole = whole * 10 + (*p++ - '0');
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') {
            scale /= 10;
            fraction += (*p++ - '0') * scale;
        }
    }
    double value = whole + fraction;
    return negative ? -value : value;
}

QDate DateOf(const ZafUTimeData& t)
{
    return t.Year() ? QDate(t.Year(), t.Month(), t.Day()) : QDate();
}

QTime TimeOf(const ZafUTimeData& t)
{
    return t.Year() ? QTime(t.Hour(), t.Minute()) : QTime(0, 0);
}

OrvCalTime TimeFrom(const QDate& date, const QTime& time)
{
    if (!date.isValid()) return OrvCalTime();
    QTime t = time.isValid() ? time : QTime(0, 0);
    return OrvCalTime(date.year(), date.month(), date.day(), t.hour(), t.minute(), 0);
}

std::string W(const std::string& utf8)
{
    return OrvToSingleByte(utf8);
}

}  // namespace

// --- kept texts -----------------------------------------------------------------

void OrvKeptText::Load(const std::string& utf8)
{
    original = utf8;
    window = OrvToSingleByte(utf8);
}

std::string OrvKeptText::Store() const
{
    // Unchanged text goes back as it came, with characters the window code
    // page cannot show.
    return window == OrvToSingleByte(original) ? original : OrvToUTF8(window);
}

int OrvEventWorkingCopy::FirstCategory() const
{
    return categories.Count() ? categories.Item(0)->id : 0;
}

// --- page sets ---------------------------------------------------------------------

std::vector<OrvEventPageKind> OrvEventWizardPageSet(int c)
{
    using K = OrvEventPageKind;
    if (c >= 101 && c <= 103)
        return {K::Time, K::Location, K::Costs, K::Organizer, K::Comment, K::Flyer, K::Images, K::Downloads, K::User,
                K::End};
    if (c == 201)
        return {K::Time, K::Location, K::Costs, K::Program, K::Organizer, K::Teacher, K::Comment, K::Flyer,
                K::Images, K::Downloads, K::User, K::End};
    if ((c >= 202 && c <= 204) || (c >= 303 && c <= 307))
        return {K::Time, K::Location, K::Costs, K::Organizer, K::Program, K::Comment, K::Flyer, K::Images,
                K::Downloads, K::User, K::End};
    if (c == 301 || c == 302 || c == 308)
        return {K::Time, K::Location, K::Costs, K::Organizer, K::DJs, K::Guests, K::Program, K::Comment, K::Flyer,
                K::Images, K::Downloads, K::User, K::End};
    return {};
}

int OrvEventPageCaption(OrvEventPageKind kind)
{
    static const int captions[] = {145, 136, 51, 139, 151, 152, 153, 168, 206, 54, 205, 200, 241, 240, 53};
    return captions[static_cast<int>(kind)];
}

// --- persons between the event (UTF-8) and the editor (window code page) ---

namespace {

OrvAddress AddressOf(const OrvPerson& p, const char* type)
{
    OrvAddress a;
    a.portalId = static_cast<int>(p.id);
    a.name = W(p.name);
    a.key = a.name;
    a.street = W(p.street);
    a.city = W(p.city);
    a.zip = W(p.zip);
    a.country = W(p.country);
    a.phone = W(p.phone);
    a.url = W(p.url);
    a.email = W(p.email);
    a.room01 = W(p.room01);
    a.type = type;
    return a;
}

bool SameAddress(const OrvAddress& a, const OrvAddress& b)
{
    return a.portalId == b.portalId && a.name == b.name && a.street == b.street && a.city == b.city &&
           a.zip == b.zip && a.country == b.country && a.phone == b.phone && a.url == b.url && a.email == b.email &&
           a.room01 == b.room01;
}

// The person to store: the original when the editor left it as loaded.
OrvPerson PersonToStore(const OrvAddress& edited, const OrvPerson* original, const char* type)
{
    if (original && SameAddress(edited, AddressOf(*original, type))) return *original;
    return edited.Person();
}

std::vector<OrvPerson> PersonsToStore(const std::vector<OrvAddress>& edited, const std::vector<OrvPerson>& original,
                                      const char* type)
{
    std::vector<OrvPerson> out;
    for (std::size_t i = 0; i < edited.size(); ++i)
        out.push_back(PersonToStore(edited[i], i < original.size() ? &original[i] : nullptr, type));
    return out;
}

void LoadRows(const OrvCalTableList& from, std::vector<std::pair<OrvKeptText, OrvKeptText>>& to)
{
    to.clear();
    for (int i = 0; i < from.Count(); ++i) {
        std::pair<OrvKeptText, OrvKeptText> row;
        row.first.Load(from.Row(i)->col1);
        row.second.Load(from.Row(i)->col2);
        to.push_back(row);
    }
}

void StoreRows(const std::vector<std::pair<OrvKeptText, OrvKeptText>>& from, OrvCalTableList& to)
{
    to.Destroy();
    for (const auto& row : from) to.Add(new OrvCalTableElement(row.first.Store(), row.second.Store()));
}

}  // namespace

// --- wizard --------------------------------------------------------------------

OrvEventWizard::OrvEventWizard(OrvCalendarComponent* event, OrvEventDate* occurrence, int editMode,
                               int openingCommand, const OrvEventWizardServices& services, QWidget* parent)
    : OrvWizard(parent), event_(event), occurrence_(occurrence), editMode_(editMode), opening_(openingCommand),
      services_(services)
{
    setWindowTitle(OrvQString(OrvText(154)));
    setModal(true);
    if (!event_) {
        event_ = new OrvVEVENT;
        ownsEvent_ = true;
    }
}

OrvEventWizard::~OrvEventWizard()
{
    if (ownsEvent_) delete event_;
}

OrvCalendarComponent* OrvEventWizard::TakeEvent()
{
    ownsEvent_ = false;
    return event_;
}

void OrvEventWizard::SetPresetScene(int id, const std::string& name)
{
    presetSceneId_ = id;
    presetSceneName_ = name;
}

bool OrvEventWizard::Restricted() const
{
    return OrvCalendarConfig::Get()->GetClientState() == 0;
}

bool OrvEventWizard::EndDateEditable() const
{
    const OrvCategoryRow* row = OrvCalendarConfig::Get()->GetCategoryRow(work_.FirstCategory());
    return row && row->id != 0 && row->endDate == 2;
}

void OrvEventWizard::Prepare()
{
    if (prepared_) return;
    prepared_ = true;
    OrvSendEvent(this, OrvEvent(ORV_EWIZ_LOAD));
    start_ = new OrvWizardPage_Start(this);
    AddPage(start_);
    AddPageSet();
    Initialise();
    openedText_ = WorkingText();
}

std::string OrvEventWizard::WorkingText()
{
    std::unique_ptr<OrvCalendarComponent> copy(event_->Clone());
    if (!copy) return std::string();
    StoreInto(*copy);
    return OrvComponentText(*copy, OrvWriteMode::Local);
}

bool OrvEventWizard::HasChanges()
{
    return prepared_ && WorkingText() != openedText_;
}

bool OrvEventWizard::ConfirmCancel()
{
    if (!HasChanges()) return true;
    const QString title = OrvQString(OrvText(363));
    const QString text = OrvQString(OrvText(365));
    if (services_.confirm) return services_.confirm(title, text);
    return OrvMessageWindow::Ask(this, title, text);
}

bool OrvEventWizard::EndBeforeStart() const
{
    if (!work_.startDate.isValid() || !work_.endDate.isValid()) return false;
    const QTime midnight(0, 0);
    const QDateTime start(work_.startDate, work_.startTime.isValid() ? work_.startTime : midnight);
    const QDateTime end(work_.endDate, work_.endTime.isValid() ? work_.endTime : midnight);
    return end < start;
}

int OrvEventWizard::Control()
{
    Prepare();
    return OrvWizard::Control();
}

void OrvEventWizard::AddPageSet()
{
    for (OrvEventPageKind kind : OrvEventWizardPageSet(work_.FirstCategory()))
        AddPage(OrvCreateEventWizardPage(this, kind));
}

void OrvEventWizard::LoadWorkingCopy()
{
    OrvCalendarComponent& e = *event_;
    work_.title.Load(e.summary);
    work_.slogan.Load(e.slogan);
    work_.userCategory.Load(e.userCategory);
    work_.description.Load(e.description);
    work_.scenes.Destroy();
    work_.scenes.AppendCopies(e.scenes);
    work_.categories.Destroy();
    work_.categories.AppendCopies(e.categories);
    if (work_.categories.Count() == 0 && presetCategory_)
        work_.categories.Append(presetCategory_, OrvToUTF8(OrvCalendarConfig::CategoryName(presetCategory_)));
    work_.images.CopyFrom(e.images);
    work_.downloads.CopyFrom(e.downloads);
    LoadRows(e.programme, work_.programme);
    LoadRows(e.costTable, work_.costTable);

    work_.price1 = PriceValue(e.cost.perUnit);
    work_.price2 = PriceValue(e.cost.vvk);
    work_.price3 = PriceValue(e.cost.ak);
    work_.costText.Load(e.cost.text);
    work_.free = e.cost.free;
    work_.useTable = e.cost.useTable;
    work_.units = e.cost.units;
    work_.minutes = e.cost.minutes;

    work_.originalLocation = e.locationRecord;
    work_.location = AddressOf(e.locationRecord, "location");
    work_.originalOrganizers = e.organizers;
    work_.originalDjs = e.djs;
    work_.originalGuests = e.guests;
    work_.organizers.clear();
    work_.djs.clear();
    work_.guests.clear();
    for (const OrvPerson& p : e.organizers) work_.organizers.push_back(AddressOf(p, "organizer"));
    for (const OrvPerson& p : e.djs) work_.djs.push_back(AddressOf(p, "dj"));
    for (const OrvPerson& p : e.guests) work_.guests.push_back(AddressOf(p, "guest"));

    bool fresh = opening_ == ORV_OPEN_CREATE && !occurrence_ && !e.dtStart.IsSet();
    if (fresh) {
        work_.startDate = work_.endDate = DateOf(presetDate_.Year() ? presetDate_ : ZafUTimeData::Now());
        work_.startTime = work_.endTime = QTime(0, 0);
        if (work_.scenes.Count() == 0 && presetSceneId_) work_.scenes.Append(presetSceneId_, presetSceneName_);
    } else {
        work_.startDate = DateOf(e.dtStart);
        work_.startTime = TimeOf(e.dtStart);
        work_.endDate = e.dtEnd.IsSet() ? DateOf(e.dtEnd) : work_.startDate;
        work_.endTime = e.dtEnd.IsSet() ? TimeOf(e.dtEnd) : work_.startTime;
    }
    work_.publishUpDate = DateOf(e.publish.publishUp);
    work_.publishUpTime = TimeOf(e.publish.publishUp);
    work_.publishDownDate = DateOf(e.publish.publishDown);
    work_.publishDownTime = TimeOf(e.publish.publishDown);
    work_.rule = e.rrule;
    if (fresh) ApplyNewEventDefaults();
}

void OrvEventWizard::ApplyNewEventDefaults()
{
    OrvCalendarConfig* config = OrvCalendarConfig::Get();
    for (int entry = 1; entry <= 2; ++entry) {
        int id = 0;
        std::string name;
        if (config->GetDefault(entry, id, name) != 0 || id == 0) continue;
        OrvAddress person;
        if (!services_.readPerson || !services_.readPerson(id, person)) continue;
        if (entry == 1) {
            person.type = "location";
            work_.location = person;
        } else {
            person.type = "organizer";
            work_.organizers.push_back(person);
        }
    }
}

void OrvEventWizard::KeepTimesConsistent(bool startChanged)
{
    auto minutes = [](const QTime& t) { return t.isValid() ? t.hour() * 60 + t.minute() : 0; };
    bool fixedEnd = !EndDateEditable();
    if (startChanged) {
        if (fixedEnd) work_.endDate = work_.startDate;
        if (work_.startDate == work_.endDate && minutes(work_.endTime) < minutes(work_.startTime))
            work_.endTime = work_.startTime;
    } else {
        if (fixedEnd) work_.startDate = work_.endDate;
        if (work_.startDate == work_.endDate && minutes(work_.endTime) < minutes(work_.startTime))
            work_.startTime = work_.endTime;
    }
}

int OrvEventWizard::ValidationMessage(int result)
{
    switch (result) {
    case -127: return 243;
    case -128: return 244;
    case -129: return 245;
    case -130: return 246;
    case -131: return 247;
    case -132: return 248;
    default: return 0;
    }
}

int OrvEventWizard::Store()
{
    return StoreInto(*event_);
}

int OrvEventWizard::StoreInto(OrvCalendarComponent& e)
{
    for (int i = 0; i < Pages().Count(); ++i) OrvSendEvent(Pages().Page(i), OrvEvent(ORV_EWIZ_STORE));
    e.summary = work_.title.Store();
    e.slogan = work_.slogan.Store();
    e.userCategory = work_.userCategory.Store();
    // Copies, so that a second finish after a failed validation still
    // finds the working lists.
    e.images.CopyFrom(work_.images);
    e.downloads.CopyFrom(work_.downloads);
    StoreRows(work_.programme, e.programme);
    e.locationRecord = PersonToStore(work_.location, &work_.originalLocation, "location");
    e.organizers = PersonsToStore(work_.organizers, work_.originalOrganizers, "organizer");
    e.djs = PersonsToStore(work_.djs, work_.originalDjs, "dj");
    e.guests = PersonsToStore(work_.guests, work_.originalGuests, "guest");

    OrvCost cost;
    cost.perUnit = PriceText(work_.price1);
    cost.vvk = PriceText(work_.price2);
    cost.ak = PriceText(work_.price3);
    cost.free = work_.free;
    cost.useTable = work_.useTable;
    cost.text = work_.costText.Store();
    cost.units = work_.units;
    cost.minutes = work_.minutes;
    e.SetCost(0, cost);

    StoreRows(work_.costTable, e.costTable);
    e.scenes.Destroy();
    e.scenes.AppendCopies(work_.scenes);
    e.categories.Destroy();
    e.categories.AppendCopies(work_.categories);

    // The zone or whole day the times were written in stays with them.
    e.dtStart.SetKeepingForm(TimeFrom(work_.startDate, work_.startTime));
    e.dtEnd.SetKeepingForm(TimeFrom(work_.endDate, work_.endTime));
    e.publish.state = ORV_PUBLISH_PUBLISHED;
    e.publish.publishUp = TimeFrom(work_.publishUpDate, work_.publishUpTime);
    e.publish.publishDown = TimeFrom(work_.publishDownDate, work_.publishDownTime);
    e.rrule = work_.rule;
    e.description = work_.description.Store();
    return e.Validate();
}

void OrvEventWizard::Finish()
{
    for (int i = 0; i < Pages().Count(); ++i) OrvSendEvent(Pages().Page(i), OrvEvent(ORV_EWIZ_STORE));
    if (EndBeforeStart()) {
        // Nothing is stored; the user sees the fields to correct.
        for (int i = 0; i < Pages().Count(); ++i)
            if (auto* page = dynamic_cast<OrvEventWizardPage*>(Pages().Page(i));
                page && page->Kind() == OrvEventPageKind::Time)
                ShowPage(i);
        OrvMessageWindow::Show(this, QStringLiteral("Fehler"), OrvQString(OrvText(366)));
        return;
    }
    int result = Store();
    if (result == 0 || result == 1) {
        done(QDialog::Accepted);
        return;
    }
    if (int text = ValidationMessage(result))
        OrvMessageWindow::Show(this, QStringLiteral("Fehler"), OrvQString(OrvText(text)));
}

int OrvEventWizard::Event(const OrvEvent& event)
{
    switch (event.type) {
    case ORV_EWIZ_LOAD:
        LoadWorkingCopy();
        return event.type;
    case ORV_EWIZ_CATEGORY: {
        int id = static_cast<int>(event.value);
        work_.categories.Destroy();
        if (id) work_.categories.Append(id, OrvToUTF8(OrvCalendarConfig::CategoryName(id)));
        RemovePagesAfter(0);
        AddPageSet();
        for (int i = 0; i < Pages().Count(); ++i) OrvSendEvent(Pages().Page(i), OrvEvent(ORV_WIZ_REFRESH));
        if (start_) start_->Rebuild();
        return event.type;
    }
    case ORV_EWIZ_SCENE: {
        int id = static_cast<int>(event.value);
        work_.scenes.Destroy();
        if (id) work_.scenes.Append(id, OrvToUTF8(OrvCalendarConfig::Get()->GetSceneName(id)));
        return event.type;
    }
    case ORV_EWIZ_START_CHANGED:
    case ORV_EWIZ_END_CHANGED:
        KeepTimesConsistent(event.type == ORV_EWIZ_START_CHANGED);
        return event.type;
    case ORV_EWIZ_STORE:
        for (int i = 0; i < Pages().Count(); ++i) OrvSendEvent(Pages().Page(i), event);
        return event.type;
    default:
        return OrvWizard::Event(event);
    }
}

// --- page base ----------------------------------------------------------------------

OrvEventWizardPage::OrvEventWizardPage(OrvEventWizard* wizard, OrvEventPageKind kind)
    : OrvWizardPage(nullptr), wizard_(wizard), kind_(kind)
{
    SetCaption(OrvText(OrvEventPageCaption(kind)));
    SetLevel(kind == OrvEventPageKind::Start || kind == OrvEventPageKind::End ? 2 : 1);
}

int OrvEventWizardPage::Event(const OrvEvent& event)
{
    if (event.type == ORV_WIZ_REFRESH) Reload();
    return OrvWizardPage::Event(event);
}

void OrvEventWizardPage::showEvent(QShowEvent* event)
{
    // Other pages may have changed the working copy meanwhile.
    Reload();
    OrvWizardPage::showEvent(event);
}
