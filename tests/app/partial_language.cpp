// A language library for the tests that lacks "GetLanguage".
extern "C" __attribute__((visibility("default"))) const char* GetString(int number)
{
    return number == 42 ? "zweiundvierzig" : nullptr;
}

extern "C" __attribute__((visibility("default"))) int GetLanguageID()
{
    return 1031;
}
