// A portal client over a fresh request-log database and configuration.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "PortalClientSupport.h"
#include "app/OrvCalendarConfig.h"
#include "portal/OrvWebServiceJoomla.h"

class ClientFixture : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = orvtest::MakeTempDir("orvclient");
        ASSERT_EQ(sqlite3_open((dir_ + "/user.db").c_str(), &db_), SQLITE_OK);
        config_ = std::make_unique<OrvCalendarConfig>(dir_);
    }
    void TearDown() override
    {
        service_.reset();
        config_.reset();
        sqlite3_close(db_);
        orvtest::RemoveTree(dir_);
    }
    OrvWebServiceJoomla& MakeService(const std::string& host)
    {
        service_ = std::make_unique<OrvWebServiceJoomla>(host, "rpc.php?");
        service_->SetDatabaseHandle(db_);
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
    sqlite3* db_ = nullptr;
    std::unique_ptr<OrvCalendarConfig> config_;
    std::unique_ptr<OrvWebServiceJoomla> service_;
    std::vector<std::string> shown_;  // message windows: "title: text"
};
