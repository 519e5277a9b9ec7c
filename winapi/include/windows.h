/* The Windows API subset that Lumora's programs call, implemented on Linux by winapi/.
 * Only what winapi implements is declared here, so a call to anything else fails to compile. */
#ifndef LUMORA_WINAPI_WINDOWS_H
#define LUMORA_WINAPI_WINDOWS_H

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "winreg.h"
#include "winuser.h"
#ifndef WIN32_LEAN_AND_MEAN
#include "shellapi.h"
#include "winsock.h"
#endif

#endif
