// A portal client over a fresh request-log database and configuration.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "PortalClientSupport.h"
#include "app/OrvCalendarConfig.h"
#include "base/OrvDatabase.h"
#include "portal/OrvWebServiceJoomla.h"

class ClientFixture : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = orvtest::MakeTempDir("orvclient");
        ASSERT_EQ(database_.Open((dir_ + "/user.db").c_str()), 0);
        db_ = database_.Handle();
        config_ = std::make_unique<OrvCalendarConfig>(dir_);
    }
    void TearDown() override
    {
        service_.reset();
        config_.reset();
        database_.Close();
        orvtest::RemoveTree(dir_);
    }
    OrvWebServiceJoomla& MakeService(const std::string& host)
    {
        service_ = std::make_unique<OrvWebServiceJoomla>(host, "rpc.php?");
        service_->SetDatabase(&database_);
        service_->SetConfig(config_.get());
        service_->SetTimeouts(5, 20);
        service_->SetMessageHook([this](const char* title, const char* text) {
            shown_.push_back(std::string(title) + ": " + text);
        });
        return *service_;
    }
    std::vector<std::string> Log() { return orvtest::LogLines(db_); }
    std::string LastLog()
    {
        auto l = Log();
        return l.empty() ? std::string() : l.back();
    }

    std::string dir_;
    OrvDatabaseSQLite database_;
    sqlite3* db_ = nullptr;  // the same connection, for reading the log back
    std::unique_ptr<OrvCalendarConfig> config_;
    std::unique_ptr<OrvWebServiceJoomla> service_;
    std::vector<std::string> shown_;  // message windows: "title: text"
};
