// Splits the free-text LOCATION of a foreign calendar event into name,
// street, postal code, city and country, so that imported events can be
// matched against the portal's address book.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct OrvLocationToken {
    std::string text;
    std::string pattern;
};

class OrvLocationAnalysis {
public:
    OrvLocationAnalysis() = default;
    explicit OrvLocationAnalysis(const std::string& location) { Analyse(location); }

    // Replaces every field with the analysis of one LOCATION value (UTF-8,
    // with the escapes of the calendar file still in place).
    void Analyse(const std::string& location);

    // Digits become "0", ASCII letters "a", each byte of a UTF-8 multibyte
    // sequence "a"; an escaped line break and everything else stay. The
    // pattern has the text's length, so positions carry over.
    static std::string Pattern(const std::string& text);

    // The separator that splits the text, or empty when none occurs twice.
    const std::string& Separator() const { return separator_; }

    std::string text;
    std::string pattern;
    std::string NAME;
    std::string STREET;
    std::string COUNTRY;
    std::string ZIP;
    std::string CITY;
    std::string unused;   // kept empty
    std::vector<OrvLocationToken> tokens;
    // Separator candidates in order of first appearance, with their counts.
    std::vector<std::pair<std::string, int>> separators;

private:
    void FindSeparator();
    void Split();
    void ReadTokens();

    std::string separator_;
};
