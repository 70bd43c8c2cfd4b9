// The sections-and-keys file functions.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "OrvProfile.h"
#include "TempDir.h"

namespace {

std::string ReadKey(const std::string& file, const char* section, const char* key,
                    const char* def = "", std::size_t size = 2048)
{
    std::vector<char> buf(size + 1, 'X');
    std::size_t n = OrvGetPrivateProfileString(section, key, def, buf.data(), size, file.c_str());
    std::string value(buf.data());
    EXPECT_EQ(n, value.size());
    return value;
}

struct ReadCase {
    const char* name;
    const char* content;   // null: no file at all
    const char* section;
    const char* key;
    const char* def;
    const char* expected;
};

const ReadCase kReadCases[] = {
    {"missing file gives default", nullptr, "DEFAULT", "Username", "anon", "anon"},
    {"missing file without default", nullptr, "DEFAULT", "Username", "", ""},
    {"null default reads empty", nullptr, "DEFAULT", "Username", nullptr, ""},
    {"default loses trailing blanks", nullptr, "DEFAULT", "Username", "abc  ", "abc"},
    {"missing section", "[HOST]\nHost=a\n", "DEFAULT", "Host", "d", "d"},
    {"missing key", "[DEFAULT]\nUsername=bob\n", "DEFAULT", "Password", "d", "d"},
    {"plain value", "[DEFAULT]\nUsername=bob\n", "DEFAULT", "Username", "", "bob"},
    {"empty value beats default", "[DEFAULT]\nUsername=\n", "DEFAULT", "Username", "d", ""},
    {"section name without case", "[default]\nUsername=bob\n", "DEFAULT", "Username", "", "bob"},
    {"key name without case", "[DEFAULT]\nUSERNAME=bob\n", "DEFAULT", "username", "", "bob"},
    {"blanks around key and value", "[DEFAULT]\n  Username \t=  bob smith  \n", "DEFAULT", "Username", "", "bob smith"},
    {"blanks inside section brackets", "[ HOST ]\nHost=h\n", "HOST", "Host", "", "h"},
    {"double quotes removed", "[DEFAULT]\nPassword=\" pw \"\n", "DEFAULT", "Password", "", " pw "},
    {"single quotes removed", "[DEFAULT]\nPassword='pw'\n", "DEFAULT", "Password", "", "pw"},
    {"unmatched quote kept", "[DEFAULT]\nPassword=\"pw\n", "DEFAULT", "Password", "", "\"pw"},
    {"value keeps equals signs", "[HOST]\nServicePath=rpc.php?a=b&c=d\n", "HOST", "ServicePath", "", "rpc.php?a=b&c=d"},
    {"comment line is not a key", "[DEFAULT]\n;Username=old\n", "DEFAULT", "Username", "d", "d"},
    {"comment between keys", "[DEFAULT]\n; note\nUsername=bob\n", "DEFAULT", "Username", "", "bob"},
    {"key of another section not found", "[HOST]\nUsername=x\n[DEFAULT]\nHost=y\n", "DEFAULT", "Username", "d", "d"},
    {"first of two equal keys wins", "[DEFAULT]\nUsername=a\nusername=b\n", "DEFAULT", "Username", "", "a"},
    {"only the first section of a name counts", "[DEFAULT]\nA=1\n[DEFAULT]\nB=2\n", "DEFAULT", "B", "d", "d"},
    {"CRLF line ends", "[DEFAULT]\r\nUsername=bob\r\nPassword=pw\r\n", "DEFAULT", "Username", "", "bob"},
    {"last line without line end", "[DEFAULT]\nUsername=bob", "DEFAULT", "Username", "", "bob"},
    {"line without equals sign ignored", "[DEFAULT]\nUsername\nPassword=p\n", "DEFAULT", "Username", "d", "d"},
    {"single-byte text passes unchanged", "[SCENES]\n1=Z\xFCrich;1\n", "SCENES", "1", "", "Z\xFCrich;1"},
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, ReadsValueOrDefault)
{
    const ReadCase& c = GetParam();
    TempDir dir;
    if (c.content) dir.Write("t.cfg", c.content);
    EXPECT_EQ(ReadKey(dir.File("t.cfg"), c.section, c.key, c.def), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileRead, ::testing::ValuesIn(kReadCases));

TEST(ProfileCut, LongValueIsCutToBuffer)
{
    TempDir dir;
    std::string longValue(3000, 'v');
    dir.Write("t.cfg", "[DEFAULT]\nK=" + longValue + "\n");
    struct { std::size_t size; std::size_t expected; } cases[] = {
        {2047, 2046}, {2048, 2047}, {10, 9}, {1, 0}, {4000, 3000},
    };
    for (const auto& c : cases) {
        std::string v = ReadKey(dir.File("t.cfg"), "DEFAULT", "K", "", c.size);
        EXPECT_EQ(v.size(), c.expected) << "buffer " << c.size;
        EXPECT_EQ(v, longValue.substr(0, c.expected));
    }
}

TEST(ProfileCut, DefaultIsCutToBuffer)
{
    TempDir dir;
    EXPECT_EQ(ReadKey(dir.File("none.cfg"), "S", "K", "abcdef", 4), "abc");
}

// --- writing ----------------------------------------------------------------

class ProfileWrite : public ::testing::Test {
protected:
    std::string File() const { return dir.File("t.cfg"); }
    int Write(const char* section, const char* key, const char* value)
    {
        return OrvWritePrivateProfileString(section, key, value, File().c_str());
    }
    TempDir dir;
};

TEST_F(ProfileWrite, FirstWriteCreatesFileWithSection)
{
    ASSERT_EQ(Write("DEFAULT", "Username", "bob"), 0);
    EXPECT_EQ(dir.Read("t.cfg"), "[DEFAULT]\nUsername=bob\n");
}

TEST_F(ProfileWrite, FileIsOwnerOnlyEvenWithOpenUmask)
{
    mode_t old = ::umask(0);
    int r = Write("DEFAULT", "Password", "secret");
    ::umask(old);
    ASSERT_EQ(r, 0);
    struct stat st;
    ASSERT_EQ(::stat(File().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // A later rewrite of a file that someone opened up closes it again.
    ::chmod(File().c_str(), 0644);
    ASSERT_EQ(Write("DEFAULT", "Password", "other"), 0);
    ASSERT_EQ(::stat(File().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ProfileWrite, ReplacesKeyInPlaceAndKeepsOtherLines)
{
    dir.Write("t.cfg", "; settings\n[DEFAULT]\nusername=old\n; keep me\nPassword=pw\n\n[HOST]\nHost=h\n");
    ASSERT_EQ(Write("default", "Username", "new"), 0);
    EXPECT_EQ(dir.Read("t.cfg"),
              "; settings\n[DEFAULT]\nUsername=new\n; keep me\nPassword=pw\n\n[HOST]\nHost=h\n");
}

TEST_F(ProfileWrite, NewKeyGoesAfterLastLineOfItsSection)
{
    dir.Write("t.cfg", "[DEFAULT]\nA=1\n\n[HOST]\nHost=h\n");
    ASSERT_EQ(Write("DEFAULT", "B", "2"), 0);
    EXPECT_EQ(dir.Read("t.cfg"), "[DEFAULT]\nA=1\nB=2\n\n[HOST]\nHost=h\n");
}

TEST_F(ProfileWrite, NewSectionIsAppended)
{
    dir.Write("t.cfg", "[DEFAULT]\nA=1\n");
    ASSERT_EQ(Write("POOLS", "1", "Nord;1"), 0);
    EXPECT_EQ(dir.Read("t.cfg"), "[DEFAULT]\nA=1\n[POOLS]\n1=Nord;1\n");
}

TEST_F(ProfileWrite, KeepsCRLFLineEnds)
{
    dir.Write("t.cfg", "[DEFAULT]\r\nA=1\r\n");
    ASSERT_EQ(Write("DEFAULT", "B", "2"), 0);
    EXPECT_EQ(dir.Read("t.cfg"), "[DEFAULT]\r\nA=1\r\nB=2\r\n");
}

TEST_F(ProfileWrite, NullValueRemovesKeyAndNullKeyRemovesSection)
{
    dir.Write("t.cfg", "[DEFAULT]\nA=1\nB=2\n[HOST]\nHost=h\n[POOLS]\n1=x\n");
    ASSERT_EQ(Write("DEFAULT", "A", nullptr), 0);
    EXPECT_EQ(dir.Read("t.cfg"), "[DEFAULT]\nB=2\n[HOST]\nHost=h\n[POOLS]\n1=x\n");
    ASSERT_EQ(Write("HOST", nullptr, nullptr), 0);
    EXPECT_EQ(dir.Read("t.cfg"), "[DEFAULT]\nB=2\n[POOLS]\n1=x\n");
    // Removing what is not there changes nothing.
    ASSERT_EQ(Write("NOPE", "K", nullptr), 0);
    ASSERT_EQ(Write("NOPE", nullptr, nullptr), 0);
    EXPECT_EQ(dir.Read("t.cfg"), "[DEFAULT]\nB=2\n[POOLS]\n1=x\n");
}

TEST_F(ProfileWrite, ValuesReadBackExactly)
{
    struct { const char* written; const char* read; } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {" leading blank", " leading blank"},
        {"trailing blank ", "trailing blank "},
        {"\"quoted\"", "\"quoted\""},
        {"'single'", "'single'"},
        {"\"", "\""},
        {"\"\"", "\"\""},
        {"a=b;c", "a=b;c"},
        {"[not a section]", "[not a section]"},
        {"; not a comment", "; not a comment"},
        {"Gr\xFC\xDF" "e \x80", "Gr\xFC\xDF" "e \x80"},
        {"two\nlines", "two lines"},
        {"cr\r\nlf", "cr  lf"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Write("DEFAULT", "Password", c.written), 0) << c.written;
        EXPECT_EQ(ReadKey(File(), "DEFAULT", "Password"), c.read) << c.written;
    }
    // A value with a line break never adds a line of its own.
    ASSERT_EQ(Write("DEFAULT", "Password", "x\n[HOST]\nHost=evil"), 0);
    EXPECT_EQ(ReadKey(File(), "HOST", "Host", "none"), "none");
}

TEST_F(ProfileWrite, RewriteReplacesTheFileAsAWhole)
{
    ASSERT_EQ(Write("DEFAULT", "A", "old"), 0);
    int fd = ::open(File().c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    struct stat before;
    ASSERT_EQ(::fstat(fd, &before), 0);
    ASSERT_EQ(Write("DEFAULT", "A", "new value"), 0);
    // The file opened before the write still holds the old content: the
    // new content arrived under the name, the old file was never truncated.
    char buf[64] = {};
    ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    EXPECT_EQ(std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0), "[DEFAULT]\nA=old\n");
    struct stat after;
    ASSERT_EQ(::stat(File().c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(ReadKey(File(), "DEFAULT", "A"), "new value");
}

TEST_F(ProfileWrite, LeavesNoTemporaryFiles)
{
    for (int i = 0; i < 5; ++i) ASSERT_EQ(Write("S", std::to_string(i).c_str(), "v"), 0);
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.Path().c_str());
    ASSERT_NE(d, nullptr);
    while (dirent* e = ::readdir(d))
        if (e->d_name[0] != '.') names.emplace_back(e->d_name);
    ::closedir(d);
    EXPECT_EQ(names, std::vector<std::string>{"t.cfg"});
}

TEST_F(ProfileWrite, FailuresAreReportedAndLoseNothing)
{
    // The directory does not exist.
    EXPECT_EQ(OrvWritePrivateProfileString("S", "K", "v", dir.File("missing/t.cfg").c_str()), -1);
    // The name is taken by a directory.
    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0700), 0);
    EXPECT_EQ(OrvWritePrivateProfileString("S", "K", "v", dir.File("sub").c_str()), -1);
    struct stat st;
    ASSERT_EQ(::stat(dir.File("sub").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    // No section name.
    EXPECT_EQ(OrvWritePrivateProfileString(nullptr, "K", "v", File().c_str()), -1);
}

TEST(ProfileEncode, QuotesOnlyWhereReadingWouldChangeTheValue)
{
    struct { const char* in; const char* out; } cases[] = {
        {"abc", "abc"},
        {"", ""},
        {" a", "\" a\""},
        {"a\t", "\"a\t\""},
        {"\"a\"", "\"\"a\"\""},
        {"\"a", "\"a"},
        {"a\nb", "a b"},
    };
    for (const auto& c : cases) EXPECT_EQ(OrvProfileEncodeValue(c.in), c.out) << c.in;
    EXPECT_EQ(OrvProfileEncodeValue(nullptr), "");
}

} // namespace
