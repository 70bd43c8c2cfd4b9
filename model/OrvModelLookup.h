// Scene and category ids by name, and category names by id, come from the
// application's configuration. The model must not depend on it, so the
// configuration registers its functions here; without them every lookup
// yields 0 (or an empty name).
#pragma once

using OrvIdLookup = int (*)(const char* name);
using OrvNameLookup = const char* (*)(int id);

void OrvSetSceneLookup(OrvIdLookup lookup);
void OrvSetCategoryLookup(OrvIdLookup lookup);
// Name of a built-in category id in the current language.
void OrvSetCategoryNameLookup(OrvNameLookup lookup);

int OrvLookupSceneID(const char* name);
int OrvLookupCategoryID(const char* name);
// Never null; "" while no hook is set or for an unknown id.
const char* OrvLookupCategoryName(int id);
