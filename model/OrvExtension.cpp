#include "model/OrvExtension.h"

#include <string_view>

#include "base/OrvText.h"
#include "model/OrvPairTokenizer.h"

namespace {

// True when KEY=value; reads back as exactly this value: no leading quote,
// balanced quotes and no ';' outside them.
bool ReadsBackUnquoted(const std::string& value)
{
    if (!value.empty() && value[0] == '"') return false;
    bool inside = false;
    for (char ch : value) {
        if (ch == '"')
            inside = !inside;
        else if (ch == ';' && !inside)
            return false;
    }
    return !inside;
}

// Appends "KEY=value;" (or KEY="value"; where the record quotes the key)
// when the value is not empty. The format has no escapes, so a value that
// would not read back in its usual form is written in the other form, and
// one that fits neither gets its double quotes turned into apostrophes:
// a ';' or '"' typed by the user must not cut the value short, swallow the
// pairs after it or smuggle in pairs of its own. Line breaks would end the
// property line and become blanks.
// The form is chosen for the value as it is finally written, so that the
// value read back is written the same way again: a value whose quotes had
// to become apostrophes goes back to the key's usual form where that fits.
void AppendText(std::string& out, const char* key, const std::string& text, bool quoted)
{
    if (text.empty()) return;
    std::string value = text;
    for (char& ch : value)
        if (ch == '\r' || ch == '\n') ch = ' ';
    const bool quotedFits = value.find('"') == std::string::npos;
    const bool unquotedFits = ReadsBackUnquoted(value);
    if (!quotedFits && !unquotedFits) {
        for (char& ch : value)
            if (ch == '"') ch = '\'';
        // No quotes are left, so the quoted form fits now.
        if (!quoted) quoted = !ReadsBackUnquoted(value);
    } else if (quoted ? !quotedFits : !unquotedFits) {
        quoted = !quoted;
    }
    out += key;
    out += '=';
    if (quoted) out += '"';
    out += value;
    if (quoted) out += '"';
    out += ';';
}

void AppendUnsigned(std::string& out, const char* key, uint32_t value)
{
    if (value == 0) return;
    AppendText(out, key, std::to_string(value), false);
}

void AppendFlag(std::string& out, const char* key, bool value)
{
    if (value) AppendText(out, key, "1", false);
}

// Runs handler(key, value) for every pair with a key.
template <typename Handler>
void ForEachPair(const std::string& text, Handler handler)
{
    OrvPairTokenizer tokenizer(text);
    std::string key;
    std::string value;
    while (tokenizer.Next(key, value)) {
        if (key.empty()) continue;
        handler(std::string_view(key), value);
    }
}

} // namespace

// ---- OrvCost ----

void OrvCost::Parse(const std::string& text)
{
    ForEachPair(text, [this](std::string_view key, const std::string& value) {
        if (key == "PERUNIT")
            perUnit = value;
        else if (key == "TOTAL")
            total = value;
        else if (key == "FREE")
            free = value == "1";
        else if (key == "UNITS")
            units = OrvReadUnsigned(value);
        else if (key == "MINUTES")
            minutes = OrvReadUnsigned(value);
        else if (key == "TEXT")
            this->text = value;
        else if (key == "VVK")
            vvk = value;
        else if (key == "AK")
            ak = value;
        else if (key == "USETABLE")
            useTable = value == "1";
    });
}

std::string OrvCost::Format() const
{
    std::string out;
    AppendText(out, "PERUNIT", perUnit, false);
    AppendText(out, "TOTAL", total, false);
    AppendUnsigned(out, "UNITS", units);
    AppendUnsigned(out, "MINUTES", minutes);
    AppendFlag(out, "FREE", free);
    AppendFlag(out, "USETABLE", useTable);
    AppendText(out, "TEXT", text, false);
    AppendText(out, "VVK", vvk, false);
    AppendText(out, "AK", ak, false);
    return out;
}

// ---- cost table and programme rows ----

OrvCalTableList* OrvCalTableElement::OwningList() const
{
    return static_cast<OrvCalTableList*>(List());
}

void OrvCalTableElement::Parse(const std::string& text)
{
    ForEachPair(text, [this](std::string_view key, const std::string& value) {
        if (key == "COL_1")
            col1 = value;
        else if (key == "COL_2")
            col2 = value;
    });
}

std::string OrvCalTableElement::Format() const
{
    std::string out;
    AppendText(out, "COL_1", col1, true);
    AppendText(out, "COL_2", col2, true);
    return out;
}

OrvCalTableElement* OrvCalTableList::AddParsed(const std::string& value)
{
    auto* row = new OrvCalTableElement;
    row->Parse(value);
    Add(row);
    return row;
}

void OrvCalTableList::CopyFrom(const OrvCalTableList& other)
{
    if (&other == this) return;
    Destroy();
    for (OrvElement* e = other.First(); e; e = e->Next()) {
        auto* row = static_cast<OrvCalTableElement*>(e);
        Add(new OrvCalTableElement(row->col1, row->col2));
    }
}

// ---- OrvPerson ----

void OrvPerson::Parse(const std::string& text)
{
    ForEachPair(text, [this](std::string_view key, const std::string& value) {
        if (key == "ID")
            id = OrvReadUnsigned(value);
        else if (key == "NAME")
            name = value;
        else if (key == "STREET")
            street = value;
        else if (key == "ZIP")
            zip = value;
        else if (key == "CITY")
            city = value;
        else if (key == "COUNTRY")
            country = value;
        else if (key == "URL")
            url = value;
        else if (key == "EMAIL")
            email = value;
        else if (key == "PHONE")
            phone = value;
        else if (key == "ROOM01")
            room01 = value;
    });
}

std::string OrvPerson::Format() const
{
    std::string out;
    AppendUnsigned(out, "ID", id);
    AppendText(out, "NAME", name, true);
    AppendText(out, "STREET", street, false);
    AppendText(out, "ZIP", zip, false);
    AppendText(out, "CITY", city, false);
    AppendText(out, "COUNTRY", country, false);
    AppendText(out, "PHONE", phone, false);
    AppendText(out, "URL", url, true);
    AppendText(out, "EMAIL", email, false);
    AppendText(out, "ROOM01", room01, false);
    return out;
}

void OrvPerson::FillFromAddress(int portalId, const char* nameText, const char* streetText, const char* cityText,
                                const char* zipText, const char* countryText, const char* phoneText,
                                const char* urlText, const char* emailText, const char* room01Text)
{
    auto utf8 = [](const char* text) { return text ? std::string(OrvSingleByteToUTF8(text)) : std::string(); };
    id = portalId > 0 ? static_cast<uint32_t>(portalId) : 0;
    name = utf8(nameText);
    street = utf8(streetText);
    city = utf8(cityText);
    zip = utf8(zipText);
    country = utf8(countryText);
    phone = utf8(phoneText);
    url = utf8(urlText);
    email = utf8(emailText);
    room01 = utf8(room01Text);
}

// ---- OrvLesson ----

void OrvLesson::Parse(const std::string& text)
{
    ForEachPair(text, [this](std::string_view key, const std::string& value) {
        if (key == "SUBJECT")
            subject = value;
        else if (key == "SPECIAL")
            special = value;
        else if (key == "LEVEL")
            level = value;
        else if (key == "LEVELINTERN")
            levelIntern = value;
    });
}

std::string OrvLesson::Format() const
{
    std::string out;
    AppendText(out, "SUBJECT", subject, true);
    AppendText(out, "SPECIAL", special, true);
    AppendText(out, "LEVEL", level, true);
    AppendText(out, "LEVELINTERN", levelIntern, true);
    return out;
}

// ---- images and downloads ----

void OrvCalImageElement::Parse(const std::string& text)
{
    ForEachPair(text, [this](std::string_view key, const std::string& value) {
        if (key == "TYPE" || key == "NAME")
            name = value;
        else if (key == "URL")
            url = value;
        else if (key == "COMMENT")
            comment = value;
        else if (key == "TEXT")
            this->text = value;
        // WIDTH and HEIGHT are known but carry nothing the model keeps.
    });
}

std::string OrvCalImageElement::Format() const
{
    std::string out;
    AppendText(out, "NAME", name, true);
    AppendText(out, "COMMENT", comment, true);
    AppendText(out, "TEXT", text, true);
    return out;
}

void OrvCalImageElement::CopyFields(const OrvCalImageElement& other)
{
    changed = other.changed;
    name = other.name;
    url = other.url;
    comment = other.comment;
    text = other.text;
}

OrvCalImageElement* OrvCalImageList::AddParsed(const std::string& value)
{
    OrvCalImageElement* element = NewElement();
    element->Parse(value);
    Add(element);
    return element;
}

void OrvCalImageList::CopyFrom(const OrvCalImageList& other)
{
    if (&other == this) return;
    Destroy();
    for (OrvElement* e = other.First(); e; e = e->Next()) {
        OrvCalImageElement* copy = NewElement();
        copy->CopyFields(*static_cast<OrvCalImageElement*>(e));
        Add(copy);
    }
}

// ---- OrvPublish ----

void OrvPublish::Parse(const std::string& text)
{
    ForEachPair(text, [this](std::string_view key, const std::string& value) {
        if (key == "STATE")
            state = OrvReadUnsigned(value);
        else if (key == "PUBLISH_UP")
            publishUp = OrvReadDateTime(value);
        else if (key == "PUBLISH_DOWN")
            publishDown = OrvReadDateTime(value);
    });
}

std::string OrvPublish::Format() const
{
    return "STATE=" + std::to_string(state) + ";PUBLISH_UP=" + publishUp.Text() +
           ";PUBLISH_DOWN=" + publishDown.Text() + ";";
}

// ---- highlights ----

OrvCalHighlightsList* OrvCalHighlightsElement::OwningList() const
{
    return static_cast<OrvCalHighlightsList*>(List());
}

void OrvCalHighlightsList::Parse(const std::string& text)
{
    ForEachPair(text, [this](std::string_view key, const std::string& value) {
        Add(new OrvCalHighlightsElement(OrvReadDateTime(std::string(key)), OrvReadInt(value)));
    });
}

std::string OrvCalHighlightsList::Format() const
{
    std::string out;
    for (OrvElement* e = First(); e; e = e->Next()) {
        auto* h = static_cast<OrvCalHighlightsElement*>(e);
        if (!out.empty()) out += ';';
        out += OrvCalTime(h->dateTime).Text();
        out += '=';
        out += std::to_string(h->level);
    }
    return out;
}

OrvCalHighlightsElement* OrvCalHighlightsList::FindAt(const ZafUTimeData& dateTime) const
{
    for (OrvElement* e = First(); e; e = e->Next()) {
        auto* h = static_cast<OrvCalHighlightsElement*>(e);
        if (h->dateTime == dateTime) return h;
    }
    return nullptr;
}

int OrvCalHighlightsList::Level(const ZafUTimeData& dateTime) const
{
    OrvCalHighlightsElement* h = FindAt(dateTime);
    return h ? h->level : 0;
}

bool OrvCalHighlightsList::SetLevel(const ZafUTimeData& dateTime, int level)
{
    OrvCalHighlightsElement* h = FindAt(dateTime);
    if (h) {
        if (level != 0) {
            if (h->level == level) return false;
            h->level = level;
        } else {
            Subtract(h);
            delete h;
        }
        return true;
    }
    if (level == 0) return false;
    Add(new OrvCalHighlightsElement(dateTime, level));
    return true;
}

bool OrvCalHighlightsList::SetOccurrenceLevel(const std::vector<ZafUTimeData>& occurrenceStarts, int n, int level)
{
    if (n < 1 || static_cast<std::size_t>(n) > occurrenceStarts.size()) return false;
    return SetLevel(occurrenceStarts[static_cast<std::size_t>(n) - 1], level);
}

void OrvCalHighlightsList::CopyFrom(const OrvCalHighlightsList& other)
{
    if (&other == this) return;
    Destroy();
    for (OrvElement* e = other.First(); e; e = e->Next()) {
        auto* h = static_cast<OrvCalHighlightsElement*>(e);
        Add(new OrvCalHighlightsElement(h->dateTime, h->level));
    }
}
