// Broadcasting the updater's start, progress, end and fail messages.
#include "update_messages.h"

namespace {

UINT registered(const char* name) { return name && *name ? RegisterWindowMessageA(name) : 0; }

}  // namespace

UpdateMessages::UpdateMessages(const char* start, const char* end, const char* fail,
                               unsigned identifier)
    : m_Start(registered(start)), m_End(registered(end)), m_Fail(registered(fail)),
      m_Identifier(identifier) {}

void UpdateMessages::postStart(DWORD percent) const { post(m_Start, percent); }

void UpdateMessages::postEnd() const { post(m_End, 0); }

void UpdateMessages::postFail() const { post(m_Fail, 0); }

void UpdateMessages::post(UINT message, DWORD parameter) const {
    // A failed post changes nothing: the browser center then keeps the file's old version.
    if (message) PostMessageA(HWND_BROADCAST, message, m_Identifier, parameter);
}
