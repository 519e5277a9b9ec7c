// The browser center program: one application object per process.
#include <windows.h>

#include "program.h"
#include "resource.h"
#include "string_resources.h"

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
    LumoraProgram program(paths);
    return program.app().run(GetCommandLineA());
}
