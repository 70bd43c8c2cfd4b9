// The configuration object hands its scene and category lookups to the
// model while it exists, and takes them back when it goes.

#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "app/OrvCalendarConfig.h"
#include "base/OrvText.h"
#include "model/OrvModelLookup.h"

namespace {

TEST(OrvModelConfigHooks, ConfigurationAnswersTheModelsLookups)
{
    ScratchDir dir;
    {
        OrvCalendarConfig config(dir.Path());
        EXPECT_STREQ(OrvLookupCategoryName(101), OrvCalendarConfig::CategoryName(101));
        EXPECT_EQ(OrvLookupCategoryID("no such category"), config.GetCategoryID("no such category"));
        EXPECT_EQ(OrvLookupSceneID("salsa"), config.GetSceneID("salsa"));
        // An event read now takes the configuration's ids.
        auto calendar = EventCalendar("X-ORV-CATEGORIES:101\n");
        EXPECT_EQ(FirstEvent(*calendar)->categories.Item(0)->name, OrvToUTF8(OrvCalendarConfig::CategoryName(101)));
    }
    // Without the configuration the lookups are empty again and create
    // nothing.
    EXPECT_STREQ(OrvLookupCategoryName(101), "");
    EXPECT_EQ(OrvLookupSceneID("salsa"), 0);
    EXPECT_EQ(OrvLookupCategoryID("x"), 0);
}

}  // namespace
