// Normalisation of foreign calendars: with an address source whose
// knowledge each case sets, and against the local portal service.
#include <gtest/gtest.h>

#include <map>

#include "PortalMethodsSupport.h"
#include "model/OrvCalTables.h"
#include "model/OrvCalendar.h"
#include "model/OrvModelLookup.h"
#include "portal/OrvImportNormaliser.h"

using namespace pmtest;

namespace {

int SceneId(const char* name) { return std::string(name) == "salsa" ? 2 : 0; }

// Knows the addresses it was given, by name and by id.
class KnownAddresses : public OrvAddressSource {
public:
    void Know(int id, const char* name, const char* street, const char* zip, const char* city)
    {
        OrvAddress a;
        a.portalId = id;
        a.name = name;
        a.street = street;
        a.zip = zip;
        a.city = city;
        a.country = "D";
        byName[name] = a;
    }
    int ReadAddress(int id, const char* fullName, OrvAddress& address) override
    {
        ++reads;
        for (const auto& [name, known] : byName)
            if ((id != 0 && known.portalId == id) || (id == 0 && fullName && name == fullName)) {
                address = known;
                return 0;
            }
        return 100;
    }
    int DetectPlace(std::string& country, std::string& zip, std::string& city) override
    {
        ++detections;
        if (zip == "80331" && country == "D") {
            city = "M\xc3\xbcnchen";  // the portal answers in UTF-8
            return 0;
        }
        return 100;
    }
    std::map<std::string, OrvAddress> byName;
    int reads = 0;
    int detections = 0;
};

std::string Foreign(const std::string& events)
{
    return "BEGIN:VCALENDAR\r\nPRODID:-//Anderes Programm//DE\r\nVERSION:2.0\r\n" + events + "END:VCALENDAR\r\n";
}

std::string Event(const std::string& uid, const std::string& summary, const std::string& lines)
{
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nSUMMARY:" + summary +
           "\r\nDTSTART:20300301T200000\r\nDTEND:20300301T230000\r\n" + lines + "END:VEVENT\r\n";
}

OrvCalendarComponent* EventAt(OrvCalendar& document, int index)
{
    OrvCalendarComponent* calendar = document.Component(0);
    return calendar ? calendar->Child(index) : nullptr;
}

OrvICalImportElement Profile(int organizerID = 0)
{
    OrvICalImportElement profile;
    profile.id = 1;
    profile.name = "Import";
    profile.sceneName = "salsa";
    profile.categoryID = 301;
    profile.person2ID = organizerID;
    return profile;
}

class ImportNormaliser : public ::testing::Test {
protected:
    void SetUp() override
    {
        OrvSetSceneLookup(SceneId);
        portal.Know(11, "Tanzhaus Mitte", "Chausseestr. 12", "10115", "Berlin");
        portal.Know(21, "Tanzschule Rhythmus", "Torstr. 5", "10115", "Berlin");
        portal.Know(22, "Latin Events Nord", "Reeperbahn 1", "20095", "Hamburg");
    }
    void TearDown() override { OrvSetSceneLookup(nullptr); }

    KnownAddresses portal;
    OrvCalendar document;
};

} // namespace

TEST_F(ImportNormaliser, KnownPlaceGetsPortalRecordAndDefaults)
{
    document.LoadText(Foreign(Event("a", "Berlin: Salsa Night",
                                    "LOCATION:Tanzhaus Mitte\\, Chausseestr. 12\\, 10115 Berlin\r\n")));
    ASSERT_NE(EventAt(document, 0), nullptr);
    EXPECT_EQ(OrvNormaliseImport(document, Profile(22), portal), 0);

    OrvCalendarComponent* e = EventAt(document, 0);
    ASSERT_EQ(e->scenes.Count(), 1);
    EXPECT_EQ(e->scenes.Item(0)->name, "salsa");
    EXPECT_EQ(e->scenes.Item(0)->id, 2);
    ASSERT_EQ(e->categories.Count(), 1);
    EXPECT_EQ(e->categories.Item(0)->id, 301);
    EXPECT_EQ(e->locationRecord.id, 11u);
    EXPECT_EQ(e->locationRecord.name, "Tanzhaus Mitte");
    EXPECT_EQ(e->locationRecord.city, "Berlin");
    ASSERT_EQ(e->organizers.size(), 1u);   // the profile's organizer
    EXPECT_EQ(e->organizers[0].id, 22u);
    EXPECT_EQ(e->summary, "Salsa Night");
    ASSERT_EQ(document.addresses.Count(), 1);
    EXPECT_EQ(document.addresses.Item(0)->key, "Tanzhaus Mitte");
    EXPECT_EQ(document.addresses.Item(0)->portalId, 11);
}

TEST_F(ImportNormaliser, UnknownPlaceBecomesAddressWithoutId)
{
    document.addresses.Add(new OrvAddress);   // emptied first
    document.LoadText(Foreign(Event("a", "Irgendwo: Party", "LOCATION:Neuer Club; Weg 5; D-12345 Irgendwo\r\n") +
                              Event("b", "Zweite Party", "LOCATION:Neuer Club; Weg 5; D-12345 Irgendwo\r\n")));
    EXPECT_EQ(OrvNormaliseImport(document, Profile(), portal), -1);

    ASSERT_EQ(document.addresses.Count(), 1);   // the second event finds the first entry
    const OrvAddress* a = document.addresses.Item(0);
    EXPECT_EQ(a->key, "Neuer Club");
    EXPECT_EQ(a->name, "Neuer Club");
    EXPECT_EQ(a->street, "Weg 5");
    EXPECT_EQ(a->zip, "12345");
    EXPECT_EQ(a->city, "Irgendwo");
    EXPECT_EQ(a->country, "D");
    EXPECT_EQ(a->type, "location");
    EXPECT_EQ(a->portalId, 0);
    for (int i = 0; i < 2; ++i) {
        OrvCalendarComponent* e = EventAt(document, i);
        EXPECT_EQ(e->locationRecord.id, 0u);
        EXPECT_TRUE(e->organizers.empty());   // no default, no known location
    }
    EXPECT_EQ(EventAt(document, 0)->summary, "Irgendwo: Party");   // no portal id: prefix stays
}

TEST_F(ImportNormaliser, PlaceWithoutANameIsNotKnown)
{
    // The first part of the LOCATION is empty: the place still needs a
    // portal record, so the import says so and keeps the entry for the user.
    document.LoadText(Foreign(Event("a", "Party", "LOCATION:; Weg 5; D-12345 Irgendwo\r\n")));
    const int readsBefore = portal.reads;
    EXPECT_EQ(OrvNormaliseImport(document, Profile(), portal), -1);
    ASSERT_EQ(document.addresses.Count(), 1);
    const OrvAddress* a = document.addresses.Item(0);
    EXPECT_EQ(a->name, "");
    EXPECT_EQ(a->street, "Weg 5");
    EXPECT_EQ(a->zip, "12345");
    EXPECT_EQ(a->portalId, 0);
    // Nobody is looked up by an empty name.
    EXPECT_EQ(portal.reads, readsBefore);
}

TEST_F(ImportNormaliser, OrganizerCases)
{
    struct {
        const char* what;
        const char* organizer;   // ORGANIZER text (set by the program, not read from files)
        int profileOrganizer;
        const char* location;
        int result;
        int organizerID;   // -1: no organizer
        int addresses;
    } rows[] = {
        {"known organizer text", "Tanzschule Rhythmus", 0, "Tanzhaus Mitte", 0, 21, 2},
        {"unknown organizer text", "Jemand", 22, "Tanzhaus Mitte", -1, -1, 2},
        {"profile organizer", "", 22, "Tanzhaus Mitte", 0, 22, 1},
        {"location as organizer", "", 0, "Tanzhaus Mitte", 0, 11, 1},
        {"nothing known", "", 0, "Unbekannt", -1, -1, 1},
    };
    for (const auto& row : rows) {
        OrvCalendar doc;
        doc.LoadText(Foreign(Event("o", "x", std::string("LOCATION:") + row.location + "\r\n")));
        ASSERT_NE(EventAt(doc, 0), nullptr);
        if (*row.organizer) EventAt(doc, 0)->SetText(ORVP_ORGANIZER, row.organizer);
        EXPECT_EQ(OrvNormaliseImport(doc, Profile(row.profileOrganizer), portal), row.result) << row.what;
        OrvCalendarComponent* e = EventAt(doc, 0);
        ASSERT_NE(e, nullptr);
        if (row.organizerID < 0) {
            EXPECT_TRUE(e->organizers.empty()) << row.what;
        } else {
            ASSERT_EQ(e->organizers.size(), 1u) << row.what;
            EXPECT_EQ(e->organizers[0].id, static_cast<uint32_t>(row.organizerID)) << row.what;
        }
        EXPECT_EQ(doc.addresses.Count(), row.addresses) << row.what;
    }
}

TEST_F(ImportNormaliser, LocationRecordWithNameIsResolved)
{
    document.LoadText(Foreign(
        Event("a", "Berlin Salsa", "X-ORV-LOCATION:ID=0;NAME=\"Tanzhaus Mitte\";ROOM01=Studio;\r\n") +
        Event("b", "x", "X-ORV-LOCATION:ID=0;NAME=\"Kellerbar\";ZIP=80331;COUNTRY=D;STREET=Gasse 1;\r\n") +
        Event("c", "y", "X-ORV-LOCATION:ID=0;NAME=\"Kellerbar\";\r\n") +
        Event("d", "z", "X-ORV-LOCATION:ID=7;NAME=\"Vom Portal\";\r\n")));
    EXPECT_EQ(OrvNormaliseImport(document, Profile(), portal), -1);

    OrvCalendarComponent* known = EventAt(document, 0);
    EXPECT_EQ(known->locationRecord.id, 11u);
    EXPECT_EQ(known->locationRecord.street, "Chausseestr. 12");
    EXPECT_EQ(known->locationRecord.room01, "Studio");   // the answer names no room
    EXPECT_EQ(known->summary, "Salsa");                   // "Berlin" and the blank go

    // Unknown with zip and country but no city: the place detection fills
    // the city, and an entry is made.
    OrvCalendarComponent* unknown = EventAt(document, 1);
    EXPECT_EQ(unknown->locationRecord.id, 0u);
    EXPECT_EQ(unknown->locationRecord.city, "M\xc3\xbcnchen");
    EXPECT_EQ(portal.detections, 1);
    ASSERT_EQ(document.addresses.Count(), 1);
    const OrvAddress* a = document.addresses.Item(0);
    EXPECT_EQ(a->name, "Kellerbar");
    EXPECT_EQ(a->city, "M\xfcnchen");
    EXPECT_EQ(a->street, "Gasse 1");
    EXPECT_EQ(a->type, "location");

    // The third event takes the entry of the second.
    EXPECT_EQ(EventAt(document, 2)->locationRecord.city, "M\xc3\xbcnchen");
    EXPECT_EQ(EventAt(document, 2)->locationRecord.zip, "80331");

    // A record with a portal id is left as it is.
    EXPECT_EQ(EventAt(document, 3)->locationRecord.name, "Vom Portal");
    EXPECT_EQ(EventAt(document, 3)->locationRecord.id, 7u);
}

TEST_F(ImportNormaliser, ExistingScenesAndCategoriesStay)
{
    document.LoadText(Foreign(Event("a", "x", "X-ORV-SCENES:tango\r\nX-ORV-CATEGORIES:102\r\n")));
    OrvNormaliseImport(document, Profile(), portal);
    OrvCalendarComponent* e = EventAt(document, 0);
    ASSERT_EQ(e->scenes.Count(), 1);
    EXPECT_EQ(e->scenes.Item(0)->name, "tango");
    ASSERT_EQ(e->categories.Count(), 1);
    EXPECT_EQ(e->categories.Item(0)->id, 102);
}

TEST_F(ImportNormaliser, CityPrefixCut)
{
    struct {
        const char* summary;
        const char* after;
    } rows[] = {
        {"Berlin: Salsa", "Salsa"},
        {"Berlin :: Salsa", "Salsa"},
        {"Berliner Nacht", "er Nacht"},
        {"Salsa in Berlin", "Salsa in Berlin"},
        {"Berlin", ""},
    };
    for (const auto& row : rows) {
        OrvCalendar doc;
        doc.LoadText(Foreign(Event("a", row.summary, "LOCATION:Tanzhaus Mitte\r\n")));
        OrvNormaliseImport(doc, Profile(), portal);
        EXPECT_EQ(EventAt(doc, 0)->summary, row.after) << row.summary;
    }
}

// --- against the portal ------------------------------------------------------------

class ImportAgainstPortal : public PortalFixture {};

TEST_F(ImportAgainstPortal, ForeignCalendarFile)
{
    OrvSetSceneLookup(SceneId);
    std::string path = client_->Dir() + "/fremd.ics";
    WriteFile(path, Foreign(Event("f1", "Hamburg: Salsa am Hafen",
                                  "LOCATION:Salsa Club Hafen\\, Am Kai 3\\, 20095 Hamburg\r\n") +
                            Event("f2", "Kurs", "LOCATION:Kulturzentrum S\xc3\xbc" "d\r\n")));
    OrvCalendar document;
    document.Load(path);
    ASSERT_NE(EventAt(document, 1), nullptr);
    EventAt(document, 1)->SetText(ORVP_ORGANIZER, "Latin Events Nord");
    OrvPortalAddressSource source(client_->Service());
    EXPECT_EQ(OrvNormaliseImport(document, Profile(), source), 0);

    OrvCalendarComponent* first = EventAt(document, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_GT(first->locationRecord.id, 0u);
    EXPECT_EQ(first->locationRecord.city, "Hamburg");
    EXPECT_EQ(first->summary, "Salsa am Hafen");
    ASSERT_EQ(first->organizers.size(), 1u);   // the location stands in
    EXPECT_EQ(first->organizers[0].id, first->locationRecord.id);

    OrvCalendarComponent* second = EventAt(document, 1);
    EXPECT_GT(second->locationRecord.id, 0u);
    EXPECT_EQ(second->locationRecord.city, "M\xc3\xbcnchen");
    ASSERT_EQ(second->organizers.size(), 1u);
    EXPECT_EQ(second->organizers[0].name, "Latin Events Nord");
    EXPECT_GT(second->organizers[0].id, 0u);

    // A place the portal does not know.
    OrvCalendar other;
    other.LoadText(Foreign(Event("f3", "x", "LOCATION:Nirgendwo Bar\\, Weg 9\\, 99999 Nirgendwo\r\n")));
    EXPECT_EQ(OrvNormaliseImport(other, Profile(), source), -1);
    ASSERT_EQ(other.addresses.Count(), 1);
    EXPECT_EQ(other.addresses.Item(0)->portalId, 0);
    EXPECT_EQ(other.addresses.Item(0)->zip, "99999");
    OrvSetSceneLookup(nullptr);
}
