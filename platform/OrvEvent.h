// The event structure of the system's own command and notice codes.
#pragma once

#include <cstdint>

// Result codes of a modal dialog's control loop.
constexpr int ZAF_DIALOG_OK = -2999;
constexpr int ZAF_DIALOG_CLOSE = -2996;

// The system's command codes start here (10001 ... 10300).
constexpr int ORV_EVENT_FIRST = 10001;
constexpr int ORV_EVENT_LAST = 10300;

struct OrvEvent {
    OrvEvent() = default;
    OrvEvent(int type, intptr_t value = 0, void* data = nullptr) : type(type), value(value), data(data) {}
    int type = 0;
    intptr_t value = 0;
    void* data = nullptr;   // an optional pointer the sender hands over
};

// Anything that takes the system's events: windows, views, the main window.
class OrvEventHandler {
public:
    virtual ~OrvEventHandler() = default;
    // Returns the event code when handled, 0 (or the framework's "unknown")
    // when not.
    virtual int Event(const OrvEvent& event) = 0;
};
