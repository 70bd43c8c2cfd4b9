// The portal's person records: the category and attribute tables, the text
// that PersonSave sends, and the room lines of a person's "params".
#pragma once

#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Person categories

struct OrvPersonCategoryRow {
    int number;              // 1 location, 2 organizer, 3 dj, 4 guest
    const char* recordName;  // in a person record and in "perscat"
    const char* listName;    // in PersonGetList
    int textNumber;          // language text
};

constexpr int OrvPersonCategoryCount = 4;
// The four rows in number order.
const OrvPersonCategoryRow* OrvPersonCategories();
// Row of a category number, or null.
const OrvPersonCategoryRow* OrvPersonCategory(int number);
// Row whose record name equals the text, or null.
const OrvPersonCategoryRow* OrvPersonCategoryByName(const char* recordName);

// ---------------------------------------------------------------------------
// Person attributes (members of a person object read from the portal)

struct OrvPersonAttributeRow {
    int number;          // 1000..1019, no 1012
    const char* member;
    int textNumber;      // 0: no label
};

constexpr int OrvPersonAttributeCount = 19;
const OrvPersonAttributeRow* OrvPersonAttributes();
// Row of an attribute number, or null (also for 1012).
const OrvPersonAttributeRow* OrvPersonAttribute(int number);

// ---------------------------------------------------------------------------
// Record text

// Appends a value with the record's quoting: a tab is dropped, a double
// quote and a backslash get a backslash before them, an ampersand becomes
// "#38;" (the record travels unencoded in a form body), line breaks are
// written as the JSON escapes \r and \n. No surrounding quotes.
void OrvAppendRecordValue(std::string& out, const std::string& value);
// Appends "name":"value" with the quoting above.
void OrvAppendRecordMember(std::string& out, const char* name, const std::string& value);

constexpr int OrvPersonRoomCount = 8;

struct OrvPersonRoom {
    std::string name;   // window code page
    bool enabled = false;
};

// What the person editing window holds. Texts are in the window code page;
// the record text converts them to UTF-8.
struct OrvPersonRecord {
    int id = 0;   // 0: a new person
    std::string fullname, firstname, lastname, nickname, title, street, zip, city, country, email, phone, mobil,
        url, longitude, latitude, text;
    int coordassign = 0;   // 2: coordinates assigned by hand, else 0
    // Record names of the selected categories, in category order.
    std::vector<std::string> categories;
    bool hasRooms = false;   // the editing window has a room page
    OrvPersonRoom rooms[OrvPersonRoomCount];

    // The record text PersonSave sends.
    std::string Text() const;

    // The check before saving: fills in "D" for an empty country and
    // returns the language text numbers of the required fields that are
    // empty (full name 191, zip 157, city 51), in that order.
    std::vector<int> CheckInput();

    // Takes "ROOM%02d=" lines of a "params" text: a present line gives the
    // room its name and enables it, a missing line disables the room and
    // gives it the name "<label> <number>".
    void ReadRooms(const std::string& params, const std::string& disabledLabel);
};

// The short record of an address sent by the import page: "pers" with id,
// fullname, street, zip, city and country, the texts as given.
std::string OrvAddressRecordText(int id, const std::string& fullname, const std::string& street,
                                 const std::string& zip, const std::string& city, const std::string& country);
