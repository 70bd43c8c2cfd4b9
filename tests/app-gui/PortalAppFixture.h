// A test directory whose configuration points at a local portal service of
// its own, with the demo data and the demo account stored for a silent
// login.
#pragma once

#include "AppGuiFixture.h"
#include "PortalProcess.h"

class PortalAppFixture : public AppGuiFixture {
protected:
    // hostLines and defaultLines go into the sections HOST and DEFAULT;
    // sections follow them.
    void PrepareWithPortal(const std::string& hostLines, const std::string& defaultLines,
                           const std::string& sections = std::string(), bool testFaults = false)
    {
        ASSERT_GT(portal_.Start(dir_.File("portal.db"), testFaults), 0)
            << "the portal service did not start: " << portal_.Output();
        Prepare("[HOST]\nHost=" + portal_.Host() + "\nServicePath=rpc.php?\n" + hostLines +
                "[DEFAULT]\nUsername=demo\nPassword=demo\nRememberPassword=1\nBlocked=0\n"
                "ApplicationLanguage=1031\n" +
                defaultLines + sections);
        OpenStorageAndDatabase();
    }

    // Derived fixtures destroy their windows first.
    void TearDown() override
    {
        portal_.Stop();
        AppGuiFixture::TearDown();
    }

    PortalProcess portal_;
};
