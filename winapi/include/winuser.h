/* user32: string tables, and (with the message system) windows, queues, timers and messages. */
#ifndef LUMORA_WINAPI_WINUSER_H
#define LUMORA_WINAPI_WINUSER_H

#include "windef.h"

#ifdef __cplusplus
extern "C" {
#endif

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

#ifdef __cplusplus
}
#endif

#endif
