// Arbitrary value texts (as a damaged or hostile file may carry them) go
// through every parser: nothing crashes or hangs, the tokenizer never yields
// more than the text holds, and what the system writes back is stable: read
// once more, it writes the same text.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "model/OrvExtension.h"
#include "model/OrvPairTokenizer.h"
#include "model/OrvRRule.h"

namespace {

// Texts built from the pieces the grammars react to, in random order.
class TextGenerator {
public:
    explicit TextGenerator(unsigned seed) : random_(seed) {}

    std::string Next()
    {
        static const char* pieces[] = {
            ";", "=", "\"", ",", "-", "+", "T", "Z", " ", "\r\n", "" /* NUL, below */, "0", "1", "7",
            "31", "99", "2147483647", "-2147483648", "99999999999", "20250131", "T201500", "20240229T235959",
            "99991231T235959", "FREQ", "COUNT", "INTERVAL", "UNTIL", "BYDAY", "BYMONTHDAY", "BYMINUTE", "WKST",
            "DAILY", "WEEKLY", "MONTHLY", "YEARLY", "HOURLY", "MINUTELY", "MO", "FR", "SU", "-1", "5",
            "NAME", "TYPE", "URL", "ID", "COL_1", "COL_2", "FREE", "UNITS", "TEXT", "STATE", "PUBLISH_UP",
            "SUBJECT", "\xc3\xa4", "\xff",
        };
        const std::size_t count = sizeof pieces / sizeof pieces[0];
        std::uniform_int_distribution<std::size_t> length(0, 24);
        std::uniform_int_distribution<std::size_t> pick(0, count - 1);
        // Half of the texts are well-formed values with a few pieces put in
        // at random places, so that the parsers get past their first keys.
        static const char* seeds[] = {
            "FREQ=WEEKLY;BYDAY=MO,WE,-1FR;INTERVAL=2;COUNT=5;",
            "FREQ=MONTHLY;BYDAY=5MO;UNTIL=20261231T235959;",
            "FREQ=YEARLY;BYMONTHDAY=29;BYMONTH=2;WKST=SU;",
            "FREQ=DAILY;INTERVAL=3;UNTIL=20250301;",
            "ID=4;NAME=\"Club; Saal\";ZIP=10115;CITY=Berlin;URL=\"http://x\";",
            "PERUNIT=12.50;UNITS=10;FREE=1;TEXT=Eintritt;",
            "STATE=1;PUBLISH_UP=20250301T080000;PUBLISH_DOWN=20250331T235959;",
            "20250103T200000=2;20250110T200000=-1",
            "TYPE=\"a.jpg\";URL=\"u\";WIDTH=650;COMMENT=\"c\";",
        };
        std::string text;
        std::size_t inserts = length(random_);
        if (inserts % 2) {
            text = seeds[pick(random_) % (sizeof seeds / sizeof seeds[0])];
            inserts = inserts % 4 + 1;
        }
        for (; inserts > 0; --inserts) {
            std::size_t p = pick(random_);
            std::string piece = p == 10 ? std::string(1, '\0') : std::string(pieces[p]);
            std::size_t at = std::uniform_int_distribution<std::size_t>(0, text.size())(random_);
            text.insert(at, piece);
        }
        return text;
    }

private:
    std::mt19937 random_;
};

constexpr int rounds = 3000;

TEST(Robustness, TokenizerYieldsNoMoreThanTheTextHolds)
{
    TextGenerator gen(1);
    for (int i = 0; i < rounds; ++i) {
        const std::string text = gen.Next();
        OrvPairTokenizer tokenizer(text);
        std::string key, value;
        std::size_t pairs = 0, bytes = 0;
        while (tokenizer.Next(key, value)) {
            ++pairs;
            bytes += key.size() + value.size();
            ASSERT_LE(pairs, text.size()) << text;
        }
        EXPECT_LE(bytes, text.size()) << text;
    }
}

template <typename Record>
void ExpectStableRecord(const std::string& text)
{
    Record first;
    first.Parse(text);
    const std::string written = first.Format();
    Record second;
    second.Parse(written);
    EXPECT_EQ(second.Format(), written) << "from: " << text;
}

TEST(Robustness, RecordsWriteStableText)
{
    TextGenerator gen(2);
    for (int i = 0; i < rounds; ++i) {
        const std::string text = gen.Next();
        ExpectStableRecord<OrvCost>(text);
        ExpectStableRecord<OrvPerson>(text);
        ExpectStableRecord<OrvLesson>(text);
        ExpectStableRecord<OrvPublish>(text);
        ExpectStableRecord<OrvCalTableElement>(text);
        ExpectStableRecord<OrvCalImageElement>(text);

        OrvCalHighlightsList highlights;
        highlights.Parse(text);
        OrvCalHighlightsList again;
        again.Parse(highlights.Format());
        EXPECT_EQ(again.Format(), highlights.Format()) << "from: " << text;
        EXPECT_EQ(again.Count(), highlights.Count()) << "from: " << text;
    }
}

TEST(Robustness, RulesWriteStableTextAndExpandBriefly)
{
    TextGenerator gen(3);
    const OrvCalTime start(2025, 1, 31, 20, 30, 0);
    const OrvCalTime end(2025, 1, 31, 23, 0, 0);
    const ZafUTimeData horizon(2025, 4, 30, 12, 0, 0);
    for (int i = 0; i < rounds / 3; ++i) {
        std::string text = gen.Next();
        OrvRRule rule;
        rule.Parse(text);
        const std::string written = rule.Write();
        OrvRRule again;
        again.Parse(written);
        EXPECT_EQ(again.Write(), written) << "from: " << text;

        // Random texts rarely name a frequency; give every rule one so the
        // expansion sees the odd parts.
        for (int frequency = ORV_FREQ_HOURLY; frequency <= ORV_FREQ_YEARLY; ++frequency) {
            rule.frequency = frequency;
            int emitted = rule.Expand(start, end, {}, {}, horizon, [&](const ZafUTimeData& s, const ZafUTimeData& e) {
                ASSERT_GE(s, start) << written;
                ASSERT_GE(e, s) << written;
            });
            EXPECT_GE(emitted, 0);
            EXPECT_LE(emitted, OrvRRule::maxPerEvent);
        }
    }
}

} // namespace
