// The build tool that turns the text table into the language libraries'
// tables: what it accepts, what it refuses.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "TempDir.h"

namespace {

struct GenResult {
    int exitCode;
    std::string output;
};

GenResult Generate(const TempDir& dir, const std::string& table, int column)
{
    dir.Write("texts.tsv", table);
    std::string out = dir.File("out.inc");
    std::string cmd = std::string("'") + ORV_TEST_LANGGEN + "' '" + dir.File("texts.tsv") + "' " +
                      std::to_string(column) + " '" + out + "' 2>/dev/null";
    int status = std::system(cmd.c_str());
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return {code, code == 0 ? dir.Read("out.inc") : ""};
}

TEST(LanguageTableTool, ConvertsToWindows1252Literals)
{
    TempDir dir;
    GenResult r = Generate(dir,
                           "# comment\n"
                           "\n"
                           "2\tTag\tDay\n"
                           "8\tM\xC3\xA4rz\tMarch\n"
                           "9\t\xE2\x82\xAC \"x\" a\\\\b\tEuro\n"
                           "10\tzwei\\nZeilen\ttwo\\nlines\n"
                           "11\t\xC3\x9C" "ber \tAbout \n",
                           1);
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("{2, \"Tag\"},"), std::string::npos);
    EXPECT_NE(r.output.find("{8, \"M\\344rz\"},"), std::string::npos);
    EXPECT_NE(r.output.find("{9, \"\\200 \\\"x\\\" a\\\\b\"},"), std::string::npos);
    EXPECT_NE(r.output.find("{10, \"zwei\\012Zeilen\"},"), std::string::npos);
    EXPECT_NE(r.output.find("{11, \"\\334ber \"},"), std::string::npos);   // trailing blank kept

    r = Generate(dir, "2\tTag\tDay\n8\tM\xC3\xA4rz\tMarch\n", 2);
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("{2, \"Day\"},"), std::string::npos);
    EXPECT_NE(r.output.find("{8, \"March\"},"), std::string::npos);
    EXPECT_EQ(r.output.find("Tag"), std::string::npos);
}

TEST(LanguageTableTool, RefusesBrokenTables)
{
    struct { const char* name; const char* table; } cases[] = {
        {"two columns", "2\tTag\n"},
        {"four columns", "2\tTag\tDay\tx\n"},
        {"number missing", "\tTag\tDay\n"},
        {"number not decimal", "2a\tTag\tDay\n"},
        {"number zero", "0\tTag\tDay\n"},
        {"duplicate number", "2\tTag\tDay\n2\tNacht\tNight\n"},
        {"numbers out of order", "3\tTag\tDay\n2\tNacht\tNight\n"},
        {"empty text", "2\t\tDay\n"},
        {"en dash has no place", "2\tA\xE2\x80\x93" "B\tDay\n"},
        {"typographic quote", "2\t\xE2\x80\x9EX\xE2\x80\x9C\tDay\n"},
        {"soft hyphen", "2\tA\xC2\xAD" "B\tDay\n"},
        {"no-break space", "2\tA\xC2\xA0" "B\tDay\n"},
        {"malformed UTF-8", "2\tA\xC3\tDay\n"},
        {"Latin-1 byte instead of UTF-8", "2\tM\xE4rz\tMarch\n"},
        {"unknown escape", "2\tA\\qB\tDay\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        // Checked in the German column, where every case puts its fault
        // (the column checks are the same for English).
        EXPECT_EQ(Generate(dir, c.table, 1).exitCode, 1) << c.name;
    }
    TempDir dir;
    EXPECT_NE(Generate(dir, "2\tTag\tDay\n", 3).exitCode, 0);
}

} // namespace
