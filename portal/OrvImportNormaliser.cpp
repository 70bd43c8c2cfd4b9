#include "portal/OrvImportNormaliser.h"

#include "app/OrvCalendarConfig.h"
#include "base/OrvText.h"
#include "model/OrvCalendar.h"
#include "model/OrvModelLookup.h"
#include "portal/OrvLocationAnalysis.h"
#include "portal/OrvWebServiceJoomla.h"

int OrvPortalAddressSource::ReadAddress(int id, const char* fullName, OrvAddress& address)
{
    return service_.PersonReadAddress(id, fullName, address);
}

int OrvPortalAddressSource::DetectPlace(std::string& country, std::string& zip, std::string& city)
{
    return service_.GeoDetectLocation(country, zip, city);
}

namespace {

bool IsUTF8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t n = 0;
        if (c < 0x80) n = 0;
        else if (c >= 0xC2 && c <= 0xDF) n = 1;
        else if ((c >> 4) == 0xE) n = 2;
        else if (c >= 0xF0 && c <= 0xF4) n = 3;
        else return false;
        if (i + n >= text.size()) return false;
        for (size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

// Fills a person (UTF-8) from an address book entry or a portal answer;
// a room the answer does not name stays.
void FillPerson(OrvPerson& person, const OrvAddress& address)
{
    std::string room = person.room01;
    person = address.Person();
    if (person.room01.empty()) person.room01 = room;
}

OrvAddress* NewAddress(const char* type)
{
    OrvAddress* address = new OrvAddress;
    address->type = type;
    return address;
}

bool HasPortalId(const OrvAddress* address) { return address && address->portalId != 0; }

void NormaliseLocation(OrvCalendar& document, OrvCalendarComponent& event, OrvAddressSource& portal)
{
    OrvPerson& location = event.locationRecord;
    if (location.id != 0) return;
    if (OrvResolveImportPerson(document, event, 1, portal)) return;
    if (event.location.empty()) return;

    OrvLocationAnalysis analysis(event.location);
    // A place without a name is still a place the portal does not know: it
    // gets its entry (and the import its -1), so that the user can name it.
    std::string name = OrvToSingleByte(analysis.NAME);
    if (OrvAddress* known = document.addresses.FindByName(name)) {
        if (HasPortalId(known)) FillPerson(location, *known);
        return;
    }
    OrvAddress* entry = NewAddress("location");
    // Nobody can be found by an empty name; the portal is not asked.
    if (!name.empty() && portal.ReadAddress(0, name.c_str(), *entry) == 0) {
        FillPerson(location, *entry);
    } else {
        entry->name = name;
        entry->zip = OrvToSingleByte(analysis.ZIP);
        entry->city = OrvToSingleByte(analysis.CITY);
        entry->country = OrvToSingleByte(analysis.COUNTRY);
        entry->street = OrvToSingleByte(analysis.STREET);
    }
    // The lookup clears the entry; the kind and the key are set afterwards.
    entry->type = "location";
    entry->key = name;
    document.addresses.Add(entry);
}

void NormaliseOrganizer(OrvCalendar& document, OrvCalendarComponent& event, const OrvAddress& defaultOrganizer,
                        OrvAddressSource& portal)
{
    if (OrvResolveImportPerson(document, event, 2, portal)) return;
    if (!event.organizer.empty()) {
        std::string name = OrvToSingleByte(event.organizer);
        if (OrvAddress* known = document.addresses.FindByName(name)) {
            if (HasPortalId(known)) event.organizers.push_back(known->Person());
            return;
        }
        OrvAddress* entry = NewAddress("organizer");
        if (portal.ReadAddress(0, name.c_str(), *entry) == 0) {
            event.organizers.push_back(entry->Person());
        } else {
            entry->name = name;
        }
        entry->type = "organizer";
        document.addresses.Add(entry);
        return;
    }
    if (defaultOrganizer.portalId != 0)
        event.organizers.push_back(defaultOrganizer.Person());
    else if (event.locationRecord.id != 0)
        event.organizers.push_back(event.locationRecord);
}

// "Berlin: Salsa Night" at a location in Berlin becomes "Salsa Night".
void CutCityPrefix(OrvCalendarComponent& event)
{
    const OrvPerson& location = event.locationRecord;
    if (location.id == 0) return;
    const std::string& city = location.city;
    if (event.summary.compare(0, city.size(), city) != 0) return;
    size_t end = city.size();
    while (end < event.summary.size() && (event.summary[end] == ':' || event.summary[end] == ' ')) ++end;
    event.summary.erase(0, end);
}

} // namespace

bool OrvResolveImportPerson(OrvCalendar& document, OrvCalendarComponent& event, int which, OrvAddressSource& portal)
{
    OrvPerson* person = nullptr;
    if (which == 1)
        person = &event.locationRecord;
    else if (which == 2 && !event.organizers.empty())
        person = &event.organizers.front();
    if (!person || person->name.empty()) return false;

    std::string name = OrvToSingleByte(person->name);
    OrvAddress answer;
    if (portal.ReadAddress(0, name.c_str(), answer) == 0) {
        FillPerson(*person, answer);
        return true;
    }
    if (OrvAddress* known = document.addresses.FindByName(name)) {
        FillPerson(*person, *known);
        return true;
    }
    if (!person->zip.empty() && !person->country.empty() && person->city.empty()) {
        std::string country = OrvToSingleByte(person->country);
        std::string zip = OrvToSingleByte(person->zip);
        std::string city;
        // The portal answers in UTF-8, the model's own text; only a reply
        // that is no UTF-8 at all is read as window code page.
        if (portal.DetectPlace(country, zip, city) == 0 && !city.empty())
            person->city = IsUTF8(city) ? city : OrvToUTF8(city);
    }
    OrvAddress* entry = NewAddress(which == 1 ? "location" : "organizer");
    entry->name = name;
    entry->zip = OrvToSingleByte(person->zip);
    entry->city = OrvToSingleByte(person->city);
    entry->country = OrvToSingleByte(person->country);
    entry->street = OrvToSingleByte(person->street);
    document.addresses.Add(entry);
    return true;
}

int OrvNormaliseImport(OrvCalendar& document, const OrvICalImportElement& profile, OrvAddressSource& portal)
{
    OrvAddress defaultOrganizer;
    if (profile.person2ID != 0 && portal.ReadAddress(profile.person2ID, nullptr, defaultOrganizer) != 0)
        defaultOrganizer = OrvAddress();

    document.addresses.Destroy();

    for (int c = 0; c < document.components.Count(); ++c) {
        OrvCalendarComponent* calendar = document.Component(c);
        if (!calendar || !calendar->IsA(ORV_VCALENDAR)) continue;
        for (int e = 0; e < calendar->children.Count(); ++e) {
            OrvCalendarComponent* event = calendar->Child(e);
            if (!event || !event->IsA(ORV_VEVENT)) continue;
            if (event->scenes.Count() == 0)
                event->scenes.Append(OrvLookupSceneID(profile.sceneName.c_str()), OrvToUTF8(profile.sceneName));
            if (event->categories.Count() == 0) event->categories.Append(profile.categoryID, "");
            NormaliseLocation(document, *event, portal);
            NormaliseOrganizer(document, *event, defaultOrganizer, portal);
            CutCityPrefix(*event);
        }
    }

    for (int i = 0; i < document.addresses.Count(); ++i)
        if (document.addresses.Item(i)->portalId == 0) return -1;
    return 0;
}
