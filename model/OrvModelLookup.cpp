#include "model/OrvModelLookup.h"

namespace {
OrvIdLookup sceneLookup = nullptr;
OrvIdLookup categoryLookup = nullptr;
OrvNameLookup categoryNameLookup = nullptr;
}  // namespace

void OrvSetSceneLookup(OrvIdLookup lookup) { sceneLookup = lookup; }
void OrvSetCategoryLookup(OrvIdLookup lookup) { categoryLookup = lookup; }
void OrvSetCategoryNameLookup(OrvNameLookup lookup) { categoryNameLookup = lookup; }

int OrvLookupSceneID(const char* name)
{
    return (sceneLookup && name) ? sceneLookup(name) : 0;
}

int OrvLookupCategoryID(const char* name)
{
    return (categoryLookup && name) ? categoryLookup(name) : 0;
}

const char* OrvLookupCategoryName(int id)
{
    const char* name = categoryNameLookup ? categoryNameLookup(id) : nullptr;
    return name ? name : "";
}
