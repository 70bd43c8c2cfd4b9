// Run-time libraries and the plug-in directory.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>

#include "OrvLibrary.h"
#include "OrvPluginHost.h"
#include "OrvProgramDirectory.h"
#include "TempDir.h"

namespace {

const std::string kSample = ORV_TEST_SAMPLE_PLUGIN;

bool IsLoadedByProcess(const std::string& path)
{
    void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!h) return false;
    ::dlclose(h);
    return true;
}

TEST(Library, LoadsAndFindsSymbols)
{
    TempDir dir;
    std::string copy = dir.File("lib.so");
    std::filesystem::copy_file(kSample, copy);
    {
        OrvLibrary lib(copy);
        ASSERT_TRUE(lib.IsLoaded()) << lib.LoadError();
        EXPECT_EQ(lib.Path(), copy);
        EXPECT_EQ(lib.Bind(), 0);
        auto fn = reinterpret_cast<int (*)()>(lib.Symbol("OrvSamplePluginValue"));
        ASSERT_NE(fn, nullptr);
        EXPECT_EQ(fn(), 7);
        EXPECT_EQ(lib.Symbol("NoSuchSymbol"), nullptr);
        EXPECT_EQ(lib.Symbol(nullptr), nullptr);
        EXPECT_TRUE(IsLoadedByProcess(copy));
    }
    EXPECT_FALSE(IsLoadedByProcess(copy));
}

TEST(Library, FailuresLeaveANullHandle)
{
    TempDir dir;
    dir.Write("garbage.so", "this is not a library");
    const std::string cases[] = {dir.File("missing.so"), dir.File("garbage.so"), dir.Path(), ""};
    for (const std::string& path : cases) {
        OrvLibrary lib(path);
        EXPECT_FALSE(lib.IsLoaded()) << path;
        EXPECT_EQ(lib.Handle(), nullptr) << path;
        EXPECT_EQ(lib.Bind(), -1) << path;
        EXPECT_EQ(lib.Symbol("OrvSamplePluginValue"), nullptr) << path;
    }
}

class PluginHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedDir_ = OrvProgramDirectory();
        OrvSetProgramDirectory(dir.Path());
    }
    void TearDown() override { OrvSetProgramDirectory(savedDir_); }

    std::string PluginDir() const { return dir.File("PLUGIN"); }
    void AddCopy(const std::string& name) const
    {
        std::filesystem::copy_file(kSample, PluginDir() + "/" + name);
    }
    static std::set<std::string> LoadedNames(const OrvPluginHost& host)
    {
        std::set<std::string> names;
        for (int i = 0; i < host.Count(); ++i)
            names.insert(std::filesystem::path(host.Plugin(i)->Path()).filename().string());
        return names;
    }

    TempDir dir;
    std::string savedDir_;
};

TEST_F(PluginHostTest, PrepareCreatesTheDirectory)
{
    OrvPluginHost host;
    EXPECT_EQ(host.Extensions(), "");
    ASSERT_EQ(host.Prepare(), 0);
    EXPECT_EQ(host.Directory(), PluginDir());
    struct stat st;
    ASSERT_EQ(::stat(PluginDir().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(host.Prepare(), 0);   // already there
}

TEST_F(PluginHostTest, PrepareFailsWhenTheNameIsAFile)
{
    dir.Write("PLUGIN", "x");
    OrvPluginHost host;
    EXPECT_EQ(host.Prepare(), -1);
    EXPECT_EQ(host.Load(), 0);
    EXPECT_EQ(host.Count(), 0);
}

TEST_F(PluginHostTest, MissingOrEmptyDirectoryLoadsNothing)
{
    OrvPluginHost host;
    host.SetDirectory(dir.File("nowhere"));
    EXPECT_EQ(host.Load(), 0);
    EXPECT_EQ(host.Count(), 0);
    EXPECT_EQ(host.Extensions(), "SO");
    ASSERT_EQ(host.Prepare(), 0);
    EXPECT_EQ(host.Load(), 0);
    EXPECT_EQ(host.Count(), 0);
}

TEST_F(PluginHostTest, LoadsLibrariesOnly)
{
    OrvPluginHost host;
    ASSERT_EQ(host.Prepare(), 0);
    for (const char* name : {"a.so", "b.SO", "f.sO", "c.txt", "noext", "e.so.bak", "g.sox", "h.s"}) AddCopy(name);
    ASSERT_EQ(::mkdir((PluginDir() + "/d.so").c_str(), 0755), 0);

    EXPECT_EQ(host.Load(), 3);
    EXPECT_EQ(host.Extensions(), "SO");
    EXPECT_EQ(LoadedNames(host), (std::set<std::string>{"a.so", "b.SO", "f.sO"}));
    for (int i = 0; i < host.Count(); ++i) {
        EXPECT_TRUE(host.Plugin(i)->IsLoaded()) << host.Plugin(i)->Path();
        EXPECT_EQ(host.Plugin(i)->Host(), &host);
        EXPECT_EQ(host.Plugin(i)->Bind(), 0);
    }
}

TEST_F(PluginHostTest, BrokenLibraryIsListedButNotLoaded)
{
    OrvPluginHost host;
    ASSERT_EQ(host.Prepare(), 0);
    dir.Write("PLUGIN/broken.so", "not a library");
    AddCopy("good.so");
    EXPECT_EQ(host.Load(), 2);
    ASSERT_EQ(host.Count(), 2);
    EXPECT_FALSE(host.Plugin(0)->IsLoaded());   // names are taken in order
    EXPECT_TRUE(host.Plugin(1)->IsLoaded());
}

TEST_F(PluginHostTest, DestroyingTheHostUnloadsItsPlugins)
{
    std::string path = PluginDir() + "/p.so";
    {
        OrvPluginHost host;
        ASSERT_EQ(host.Prepare(), 0);
        AddCopy("p.so");
        ASSERT_EQ(host.Load(), 1);
        EXPECT_TRUE(IsLoadedByProcess(path));
    }
    EXPECT_FALSE(IsLoadedByProcess(path));
}

TEST(PluginExtensions, WholeExtensionsOnly)
{
    OrvPluginHost host;
    struct { const char* accepted; const char* ext; bool expected; } cases[] = {
        {"SO", "so", true}, {"SO", "SO", true}, {"SO", "So", true},
        {"SO", "S", false}, {"SO", "O", false}, {"SO", "", false}, {"SO", "SOX", false},
        {"SO", "DLL", false},
        {"SO;DLL", "dll", true}, {"SO;DLL", "so", true}, {"SO;DLL", "DL", false}, {"SO;DLL", "O;D", false},
    };
    for (const auto& c : cases) {
        host.SetExtensions(c.accepted);
        EXPECT_EQ(host.Accepts(c.ext), c.expected) << c.accepted << " / " << c.ext;
    }
}

} // namespace
