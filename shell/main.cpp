// The browser center program: one application object per process.
#include <windows.h>

#include "app.h"
#include "status_pages.h"
#include "unavailable_parts.h"
#include "win32_framework.h"

int main() {
    Win32Framework framework;
    UnavailableSkins skins;
    UnavailableWindows windows;
    ConfigStatusPages statusPages;
    UnavailableRas ras;
    UnavailableConnection connection;
    UnavailableTelephony telephony;
    UnavailableDialogFallback dialogFallback;
    UnavailableSignup signup;
    UnavailableArchives archives;
    UnavailableFavorites favorites;
    UnavailableBrowser browser;
    UnavailableUpdates updates;
    AppServices services{framework, skins,    windows,  statusPages, ras,     connection, telephony,
                         dialogFallback, signup, archives, favorites,  browser, updates};

    CLmrApp app(AppPaths::ofModule(), services);
    return app.run(GetCommandLineA());
}
