// Normalisation of a calendar imported from another program: every event
// gets a scene, a category, a location record and an organizer; places the
// portal does not know become address book entries of the document.
#pragma once

#include <string>

class OrvAddress;
class OrvCalendar;
class OrvCalendarComponent;
class OrvICalImportElement;
class OrvWebServiceJoomla;

// What the normalisation asks of the portal. Names and texts of addresses
// are in the window code page, like the address book.
class OrvAddressSource {
public:
    virtual ~OrvAddressSource() = default;
    // An address by portal id (when not 0) or by full name. 0 when the
    // portal knows it (address filled), any other value when not.
    virtual int ReadAddress(int id, const char* fullName, OrvAddress& address) = 0;
    // Place detection: fills the city from zip and country (sent in the
    // window code page). 0 on success; the city comes back as the portal
    // sends it, in UTF-8.
    virtual int DetectPlace(std::string& country, std::string& zip, std::string& city) = 0;
};

// The portal client as address source (PersonReadAddress and
// GeoDetectLocation).
class OrvPortalAddressSource : public OrvAddressSource {
public:
    explicit OrvPortalAddressSource(OrvWebServiceJoomla& service) : service_(service) {}
    int ReadAddress(int id, const char* fullName, OrvAddress& address) override;
    int DetectPlace(std::string& country, std::string& zip, std::string& city) override;

private:
    OrvWebServiceJoomla& service_;
};

// Normalises every event directly below a top-level calendar block, with
// the import profile's scene name, category and organizer (its person of
// kind 2). The document's address book is rebuilt. Returns 0, or -1 when an
// address book entry still has no portal id afterwards.
int OrvNormaliseImport(OrvCalendar& document, const OrvICalImportElement& profile, OrvAddressSource& portal);

// Resolving one person of an event (which: 1 the location record, 2 the
// first organizer). False when there is no such person or it has no NAME;
// otherwise the person is filled from the portal or the address book, or a
// new address book entry is made for it, and the result is true.
bool OrvResolveImportPerson(OrvCalendar& document, OrvCalendarComponent& event, int which, OrvAddressSource& portal);
