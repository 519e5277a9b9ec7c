// Running the modem installation program beside the hidden wizard.
#include "modem_installation.h"

#include "process.h"
#include "trace.h"

namespace {

constexpr const char* kModemInstaller = "mdm.exe";

struct Installation {
    HANDLE process;
    HWND page;
};

DWORD WINAPI awaitInstallation(LPVOID parameter) {
    const Installation* installation = static_cast<const Installation*>(parameter);
    WaitForSingleObject(installation->process, INFINITE);
    CloseHandle(installation->process);
    // Showing the wizard and filling the page again happen on the wizard's own thread, which
    // owns its windows: a toolkit's windows may only be touched there (GTK's not at all from
    // another thread), so this thread only tells the page.
    PostMessageA(installation->page, kModemInstallationEnded, 0, 0);
    delete installation;
    return 0;
}

}  // namespace

bool startModemInstallation(HWND wizard, HWND page) {
    HANDLE process = startProgram(nullptr, kModemInstaller, SW_SHOW);
    traceLine("modem installation \"%s\": %s\n", kModemInstaller, process ? "started" : "failed");
    if (!process) return false;
    EnableWindow(wizard, FALSE);
    ShowWindow(wizard, SW_HIDE);
    auto* installation = new Installation{process, page};
    HANDLE waiter = CreateThread(nullptr, 0, awaitInstallation, installation, 0, nullptr);
    if (waiter) {
        CloseHandle(waiter);
        return true;
    }
    // Without a thread of its own the wait happens here; the page is told all the same.
    awaitInstallation(installation);
    return true;
}

void endModemInstallation(HWND wizard) {
    EnableWindow(wizard, TRUE);
    ShowWindow(wizard, SW_SHOW);
    traceLine("modem installation ended: wizard %s\n", IsWindowVisible(wizard) ? "shown" : "hidden");
}
