// Plug-ins: every dynamic library in the program's "PLUGIN" directory is
// loaded and kept loaded while the host lives; none of its entry points is
// called.
#pragma once

#include <string>

#include "OrvLibrary.h"
#include "platform/OrvList.h"

class OrvPluginHostStub;

class OrvPlugin : public OrvLibrary {
public:
    explicit OrvPlugin(const std::string& path) : OrvLibrary(path) {}
    int Bind() override { return 0; }

    OrvPluginHostStub* Host() const { return host_; }
    void SetHost(OrvPluginHostStub* host) { host_ = host; }

private:
    OrvPluginHostStub* host_ = nullptr;
};

class OrvPluginHostStub : public OrvList {
public:
    // Extension of loadable libraries on this platform.
    static constexpr const char* DefaultExtensions = "SO";

    OrvPluginHostStub() = default;
    ~OrvPluginHostStub() override;
    OrvPluginHostStub(const OrvPluginHostStub&) = delete;
    OrvPluginHostStub& operator=(const OrvPluginHostStub&) = delete;

    // Sets the plug-in directory to the program's directory and "/PLUGIN"
    // and creates it (one level) when missing. 0 when the directory exists
    // afterwards, -1 otherwise.
    int Prepare();
    // Loads every file of the plug-in directory whose extension (after its
    // last ".", compared without regard to case) is one of the accepted
    // extensions; directories are skipped. Returns the number of plug-ins
    // added; a directory that cannot be listed loads nothing.
    int Load();

    const std::string& Directory() const { return directory_; }
    void SetDirectory(const std::string& directory) { directory_ = directory; }
    // Accepted extensions in upper case, separated by ";" (empty until the
    // first load makes it "SO").
    const std::string& Extensions() const { return extensions_; }
    void SetExtensions(const std::string& extensions) { extensions_ = extensions; }

    OrvPlugin* Plugin(int index) const { return static_cast<OrvPlugin*>(Get(index)); }

    // Whether an extension (any case) is accepted.
    bool Accepts(const std::string& extension) const;

private:
    std::string extensions_;
    std::string directory_;
};

class OrvPluginHost : public OrvPluginHostStub {};
