// A plug-in library for the tests: loadable, with nothing the host calls.
extern "C" __attribute__((visibility("default"))) int OrvSamplePluginValue()
{
    return 7;
}
