/* The remote-access dialog interface that a custom-dial library implements: Windows 2000 calls
 * the library's RasCustomDialDlg when an entry naming it (szCustomDialDll) is dialled from the
 * dial-up networking folder. */
#ifndef LUMORA_WINAPI_RASDLG_H
#define LUMORA_WINAPI_RASDLG_H

#include "ras.h"

typedef struct tagRASDIALDLG {
    DWORD dwSize;
#ifdef __cplusplus
    RasHwnd32 hwndOwner;
#else
    DWORD hwndOwner;
#endif
    DWORD dwFlags;
    LONG xDlg;
    LONG yDlg;
    DWORD dwSubEntry;
    DWORD dwError;
    DWORD reserved;
    DWORD reserved2;
} RASDIALDLG, *LPRASDIALDLG;

/* What a custom-dial library's RasCustomEntryDlg receives (the wide form: Windows 2000 calls the
 * custom-dial entry points with wide texts). */
typedef struct tagRASENTRYDLGW {
    DWORD dwSize;
#ifdef __cplusplus
    RasHwnd32 hwndOwner;
#else
    DWORD hwndOwner;
#endif
    DWORD dwFlags;
    LONG xDlg;
    LONG yDlg;
    WCHAR szEntry[RAS_MaxEntryName + 1];
    DWORD dwError;
    ULONG_PTR reserved;
    ULONG_PTR reserved2;
} RASENTRYDLGW, *LPRASENTRYDLGW;

typedef BOOL (WINAPI *PFNRASCUSTOMDIALDLG)(HINSTANCE hInstDll, DWORD dwFlags,
                                           LPWSTR lpszPhonebook, LPWSTR lpszEntry,
                                           LPWSTR lpszPhoneNumber, LPRASDIALDLG lpInfo,
                                           PVOID pvInfo);

#endif
