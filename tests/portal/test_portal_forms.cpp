// Request buffers, value encoding, the multipart layout and download names.
#include <gtest/gtest.h>

#include <string>

#include "PortalClientSupport.h"
#include "portal/OrvWebServiceJoomla.h"

namespace {

// --- buffer growth ------------------------------------------------------------

struct GrowthCase {
    const char* name;
    std::vector<int> appends;  // lengths appended in order
    size_t capacity;           // expected capacity afterwards
};

TEST(OrvHTTPBufferTest, GrowsByTheDocumentedSteps)
{
    const GrowthCase cases[] = {
        {"small first append", {10}, 2048},
        {"first append beyond 2048", {3000}, 5048},
        {"exactly 2048", {2048}, 2048},
        {"fits after growth is not needed", {2000, 48}, 2048},
        {"overflow grows to length + 2048", {2000, 100}, 4148},
        {"second overflow", {2000, 100, 3000}, 7148},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OrvHTTPBuffer b;
        std::string expected;
        for (size_t i = 0; i < c.appends.size(); ++i) {
            std::string piece(static_cast<size_t>(c.appends[i]), static_cast<char>('a' + i));
            EXPECT_EQ(b.Append(static_cast<int>(piece.size()), piece.data()), c.appends[i]);
            expected += piece;
        }
        EXPECT_EQ(b.Capacity(), c.capacity);
        ASSERT_EQ(b.Length(), expected.size());
        EXPECT_EQ(b.String(), expected);
        EXPECT_EQ(b.Data()[b.Length()], '\0');
    }
}

TEST(OrvHTTPBufferTest, ClearKeepsCapacityAndTerminates)
{
    OrvHTTPBuffer b;
    b.Append(std::string(3000, 'x'));
    size_t cap = b.Capacity();
    b.Clear();
    EXPECT_EQ(b.Length(), 0u);
    EXPECT_EQ(b.Capacity(), cap);
    EXPECT_STREQ(b.Text(), "");
    b.Append("abc");
    EXPECT_EQ(b.String(), "abc");
}

TEST(OrvHTTPBufferTest, AppendFileAddsTheWholeFileOrNothing)
{
    std::string dir = orvtest::MakeTempDir("orvbuf");
    std::string bytes("bin\0ary\r\n\xff", 11);
    orvtest::WriteFile(dir + "/f.bin", bytes);
    orvtest::WriteFile(dir + "/empty", "");

    OrvHTTPBuffer b;
    b.Append("head:");
    EXPECT_EQ(b.AppendFile((dir + "/f.bin").c_str()), 11);
    EXPECT_EQ(b.String(), "head:" + bytes);

    int missing = b.AppendFile((dir + "/missing").c_str());
    EXPECT_LT(missing, 0);
    EXPECT_EQ(b.String(), "head:" + bytes);

    EXPECT_LT(b.AppendFile(dir.c_str()), 0);  // a directory is no file
    EXPECT_EQ(b.AppendFile((dir + "/empty").c_str()), 0);
    EXPECT_EQ(b.String(), "head:" + bytes);
    orvtest::RemoveTree(dir);
}

// --- encoded values -------------------------------------------------------------

TEST(OrvPortalEncodeTest, ConvertsToUTF8AndPercentEncodes)
{
    const struct {
        const char* in;  // window code page
        const char* out;
    } cases[] = {
        {"a b-c.d/e", "a%20b%2Dc.d/e"},
        {"M\xFCller", "M%C3%BCller"},           // u umlaut: two UTF-8 bytes
        {"Stra\xDF" "e", "Stra%C3%9Fe"},
        {"\x80", "%E2%82%AC"},                  // euro sign of the code page
        {"[a]\\b", "[a]\\b"},                   // kept as they are
        {"&=+%?#", "%26%3D%2B%25%3F%23"},
        {"_~'\"", "%5F%7E%27%22"},
        {"AZaz09", "AZaz09"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(OrvPortalEncode(c.in), c.out);
    }
    EXPECT_EQ(OrvPortalEncode(nullptr), "");
}

// --- request forms -----------------------------------------------------------------

TEST(OrvPortalRequestTest, BodyFormPutsFieldsInTheBody)
{
    OrvPortalRequest r;
    r.BodyForm("rpc_method=V001_User_Login&rpc_accept=json");
    r.FieldEncoded("username", "Hans M\xFCller");
    r.Field("password", "as is");
    r.Field("userid", -12);
    EXPECT_TRUE(r.object.Empty());
    EXPECT_TRUE(r.header.Empty());
    EXPECT_EQ(r.body.String(),
              "rpc_method=V001_User_Login&rpc_accept=json&username=Hans%20M%C3%BCller&password=as is&userid=-12");
}

TEST(OrvPortalRequestTest, QueryFormPutsFieldsInTheObjectAndDataInTheBody)
{
    OrvPortalRequest r;
    r.QueryForm("rpc.php?", "rpc_accept=json&rpc_method=V001_User_SetBackendQueries");
    r.Field("userid", 7);
    r.Data("querylist", "[{\"name\":\"A\"}]");
    EXPECT_EQ(r.object.String(), "rpc.php?rpc_accept=json&rpc_method=V001_User_SetBackendQueries&userid=7");
    EXPECT_EQ(r.body.String(), "querylist=[{\"name\":\"A\"}]");
}

TEST(OrvPortalRequestTest, DataTextsGoAsTheyStand)
{
    const char* texts[] = {
        "{\"password\":\"a&b\"}",
        "[\"100%\",\"1+1=2\"]",
        "",
    };
    for (const char* t : texts) {
        SCOPED_TRACE(t);
        OrvPortalRequest r;
        r.QueryForm("rpc.php?", "rpc_accept=json");
        r.Data("user", t);
        EXPECT_EQ(r.body.String(), std::string("user=") + t);
        EXPECT_EQ(r.object.String(), "rpc.php?rpc_accept=json");
    }
}

// --- multipart layout ----------------------------------------------------------------

TEST(OrvPortalContentTypeTest, ByExactExtension)
{
    const struct {
        const char* name;
        const char* type;
        const char* encoding;
    } cases[] = {
        {"noextension", "application/octet-stream", "binary"},
        {"trailingdot.", "application/octet-stream", "binary"},
        {"notiz.txt", "text/plain", ""},
        {"bild.gif", "image/gif", "binary"},
        {"bild.jpg", "image/jpeg", "binary"},
        {"BILD.JPG", "application/octet-stream", "binary"},  // comparison is case-sensitive
        {"bild.png", "image/png", "binary"},
        {"flyer.pdf", "application/pdf", "binary"},
        {"file.cal", "application/octet-stream", "binary"},
        {"archiv.tar.gz", "application/octet-stream", "binary"},
        {"only.jpg.txt", "text/plain", ""},                 // the last dot counts
        {"", "application/octet-stream", "binary"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string type, encoding;
        OrvPortalContentType(c.name, type, encoding);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(encoding, c.encoding);
    }
}

TEST(OrvPortalMultipartTest, HeaderAndBodyBytes)
{
    const struct {
        const char* fileName;
        const char* typeName;  // null: the file name
        std::string part;
        std::string expectedBody;
    } cases[] = {
        {"bild.jpg", nullptr, std::string("\xff\xd8\0\x01", 4),
         "--231991966824484\r\n"
         "Content-Disposition: form-data; name=\"Datei\"; filename=\"bild.jpg\"\r\n"
         "Content-Type: image/jpeg\r\n"
         "Content-Transfer-Encoding: binary\r\n"
         "\r\n" +
             std::string("\xff\xd8\0\x01", 4) +
             "\r\n--231991966824484--\r\n"},
        {"notiz.txt", nullptr, "Hallo",
         "--231991966824484\r\n"
         "Content-Disposition: form-data; name=\"Datei\"; filename=\"notiz.txt\"\r\n"
         "Content-Type: text/plain\r\n"
         "\r\n"
         "Hallo\r\n--231991966824484--\r\n"},
        // An event's calendar text goes under the event's name, typed as "file.cal".
        {"Salsa Night", "file.cal", "BEGIN:VEVENT\r\nEND:VEVENT\r\n",
         "--231991966824484\r\n"
         "Content-Disposition: form-data; name=\"Datei\"; filename=\"Salsa Night\"\r\n"
         "Content-Type: application/octet-stream\r\n"
         "Content-Transfer-Encoding: binary\r\n"
         "\r\n"
         "BEGIN:VEVENT\r\nEND:VEVENT\r\n\r\n--231991966824484--\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileName);
        OrvPortalRequest r;
        r.QueryForm("rpc.php?", "rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=");
        r.Append("12");
        r.Multipart(c.fileName, c.part.data(), c.part.size(), c.typeName);
        EXPECT_EQ(r.header.String(),
                  "Content-Type: multipart/form-data; boundary=231991966824484\r\nKeep-Alive: 115\r\nAccept: */*");
        EXPECT_EQ(r.body.String(), c.expectedBody);
        EXPECT_EQ(r.object.String(), "rpc.php?rpc_accept=json&rpc_method=V001_Event_SetFile&eventid=12");
    }
}

TEST(OrvPortalMultipartTest, FilePartTakesTypeFromLocalPathAndSurvivesMissingFile)
{
    std::string dir = orvtest::MakeTempDir("orvmp");
    orvtest::WriteFile(dir + "/local.png", "PNGDATA");
    OrvPortalRequest r;
    r.MultipartFile("portalname.jpg", (dir + "/local.png").c_str());
    EXPECT_NE(r.body.String().find("filename=\"portalname.jpg\"\r\nContent-Type: image/png\r\n"), std::string::npos);
    EXPECT_NE(r.body.String().find("\r\n\r\nPNGDATA\r\n--231991966824484--\r\n"), std::string::npos);

    OrvPortalRequest missing;
    missing.MultipartFile("x.pdf", (dir + "/gone.pdf").c_str());
    EXPECT_NE(missing.body.String().find("Content-Type: application/pdf\r\nContent-Transfer-Encoding: binary\r\n\r\n"
                                         "\r\n--231991966824484--\r\n"),
              std::string::npos);
    orvtest::RemoveTree(dir);
}

// --- download names ----------------------------------------------------------------------

TEST(OrvAttachmentFileNameTest, OnlyPlainNamesOfAttachments)
{
    const struct {
        const char* header;
        const char* name;
    } cases[] = {
        {"attachment; filename=\"OrvCalendar_1.0.12_setup.exe\"", "OrvCalendar_1.0.12_setup.exe"},
        {"attachment; filename=\"Bild mit Leerzeichen.jpg\"; size=10", "Bild mit Leerzeichen.jpg"},
        {"inline; filename=\"a.jpg\"", ""},
        {"attachment", ""},
        {"attachment; filename=\"unterminated", ""},
        {"attachment; filename=\"\"", ""},
        {"attachment; filename=\"../evil.sh\"", ""},
        {"attachment; filename=\"sub/dir.txt\"", ""},
        {"attachment; filename=\"..\\\\evil.exe\"", ""},
        {"attachment; filename=\"/etc/passwd\"", ""},
        {"attachment; filename=\"..\"", ""},
        {"attachment; filename=\".\"", ""},
        {"attachment; filename=\"a\nb\"", ""},
        {"attachment; filename=\"..hidden\"", "..hidden"},  // a name, not a step up
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        EXPECT_EQ(OrvAttachmentFileName(c.header), c.name);
    }
}

}  // namespace
