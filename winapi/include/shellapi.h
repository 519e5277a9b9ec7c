/* shell32: ShellExecuteA. */
#ifndef LUMORA_WINAPI_SHELLAPI_H
#define LUMORA_WINAPI_SHELLAPI_H

#include "windef.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ShellExecuteA's results up to 32 are errors. */
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_NOASSOC 31

HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd);

#ifdef __cplusplus
}
#endif

#endif
