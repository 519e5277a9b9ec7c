// Stand-in for the browser installers "BR_32_IE.exe" and "BR_32_NC.exe" that the progress page
// starts: it installs nothing, only reports progress with animation frames and then its end.
#include "standin_messages.h"

#include <windows.h>

int main() {
    int steps = 0;
    DWORD pause = 0;
    progressSettings(GetCommandLineA(), steps, pause);
    reportProgress(steps, pause, true);
    return 0;
}
