/* user32: string tables, and (with the message system) windows, queues, timers and messages. */
#ifndef LUMORA_WINAPI_WINUSER_H
#define LUMORA_WINAPI_WINUSER_H

#include "windef.h"

#ifdef __cplusplus
extern "C" {
#endif

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

/* Show commands: how a window, or the first window of a started program, is shown. */
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

#ifdef __cplusplus
}
#endif

#endif
