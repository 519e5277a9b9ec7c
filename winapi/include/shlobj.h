/* shell32: the user's special folders, by path and as item lists. */
#ifndef LUMORA_WINAPI_SHLOBJ_H
#define LUMORA_WINAPI_SHLOBJ_H

#include "windef.h"

#ifdef __cplusplus
extern "C" {
#endif

#define CSIDL_PROGRAMS 0x0002
#define CSIDL_PERSONAL 0x0005
#define CSIDL_FAVORITES 0x0006
#define CSIDL_STARTMENU 0x000b
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_APPDATA 0x001a

#ifndef LUMORA_WINAPI_HRESULT
#define LUMORA_WINAPI_HRESULT
typedef LONG HRESULT;
#define S_OK ((HRESULT)0)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#endif

/* An item list: a sequence of items, each its size (with the size field) and bytes, ended by an
   item of size 0. */
typedef struct _SHITEMID {
    USHORT cb;
    BYTE abID[1];
} SHITEMID;
typedef struct _ITEMIDLIST {
    SHITEMID mkid;
} ITEMIDLIST, *LPITEMIDLIST;
typedef const ITEMIDLIST *LPCITEMIDLIST;

/* The folder as an item list the caller frees with ILFree; E_FAIL for a folder the machine does
   not have. */
HRESULT WINAPI SHGetSpecialFolderLocation(HWND hwnd, int csidl, LPITEMIDLIST *ppidl);
/* The path of a folder's item list into a MAX_PATH buffer. */
BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath);
void WINAPI ILFree(LPITEMIDLIST pidl);

/* The folder's path (at most MAX_PATH characters with the zero); with fCreate a missing folder
   is created. FALSE for a folder the machine does not have. */
BOOL WINAPI SHGetSpecialFolderPathA(HWND hwndOwner, LPSTR lpszPath, int csidl, BOOL fCreate);

#ifdef __cplusplus
}
#endif

#endif
