// The browser center program: one application object per process.
#include <windows.h>

#include "app.h"
#include "dial_services.h"
#include "dialog_fallback.h"
#include "dialup_parts.h"
#include "lmr_windows.h"
#include "packed_archives.h"
#include "resource.h"
#include "signup_parts.h"
#include "skins.h"
#include "status_pages.h"
#include "string_resources.h"
#include "toolkit.h"
#include "win32_framework.h"

int main() {
    AppPaths paths = AppPaths::ofModule();
    // A folder whose path does not fit the system's path buffers leaves the program without its
    // name and folder; such a run would put its files and registry values in the wrong places.
    if (paths.programName.empty() || paths.installDir.empty()) {
        MessageBoxA(nullptr,
                    "Das Programm kann nicht gestartet werden: Der Pfad seines Ordners ist zu "
                    "lang (h\xf6" "chstens 259 Zeichen f\xfc" "r Ordner und Programmname).",
                    loadResourceString(IDS_PRODUCT_TITLE).c_str(), MB_OK | MB_ICONHAND);
        return 1;
    }
    Win32Framework framework;
    PackedArchiveFiles archives;
    CSkinStore skins(paths.installDir, archives);
    std::unique_ptr<ui::Toolkit> toolkit = ui::makeToolkit();
    DialServices dialServices(paths);
    CLmrWindows windows(*toolkit, skins, dialServices);
    ConfigStatusPages statusPages;
    DialupRas ras;
    MonitoredConnection connection;
    SignupParts signup(dialServices);
    CDialogFallback dialogFallback(framework, dialServices, signup, signup);
    AppServices services{framework, skins,    windows,  statusPages, ras,     connection, dialServices,
                         dialogFallback, signup, archives, signup,     signup,  connection};

    CLmrApp app(paths, services);
    windows.attach(app);
    connection.attach(app);
    dialogFallback.attach(app);
    signup.attach(app);
    return app.run(GetCommandLineA());
}
