/* shell32: the user's special folders. */
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

/* The folder's path (at most MAX_PATH characters with the zero); with fCreate a missing folder
   is created. FALSE for a folder the machine does not have. */
BOOL WINAPI SHGetSpecialFolderPathA(HWND hwndOwner, LPSTR lpszPath, int csidl, BOOL fCreate);

#ifdef __cplusplus
}
#endif

#endif
