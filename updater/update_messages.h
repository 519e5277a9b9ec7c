// The updater's reports to the browser center: registered window messages broadcast to every
// top-level window, with the identifier from the command line as the first parameter.
#pragma once

#include <windows.h>

class UpdateMessages {
public:
    // Registers the three names; a missing name registers nothing and its message is not posted.
    UpdateMessages(const char* start, const char* end, const char* fail, unsigned identifier);

    // Start (percent 0, when the host is known) and progress (percent of the body written).
    void postStart(DWORD percent) const;
    void postEnd() const;
    void postFail() const;

private:
    void post(UINT message, DWORD parameter) const;

    UINT m_Start;
    UINT m_End;
    UINT m_Fail;
    unsigned m_Identifier;
};
