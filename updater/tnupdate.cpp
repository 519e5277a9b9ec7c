// TnUpdate: the windowless updater the browser center starts once per file. It reads its command
// line, fetches the file (modes 0 to 2) and puts it in place, unpacks (mode 1) or installs (mode
// 2) it, or moves a file onto one that is in use once it is free (modes 3 and 4), and reports to
// the browser center by broadcast messages. It always exits with 0.
#include "download.h"
#include "install.h"
#include "process.h"
#include "update_command_line.h"
#include "update_messages.h"
#include "update_record.h"

#include <windows.h>
#include <winsock.h>

#include <string>

namespace {

void run(const UpdateCommandLine& options) {
    const int mode = options.modeNumber();
    if (mode == 3 || mode == 4) {
        if (!options.remote[0] || !options.local[0]) return;
        replaceFileWhenFree(options.remote, options.local);
        // Quoted, so that a blank in the path does not end the program's name.
        if (mode == 4) runProgram(nullptr, ("\"" + std::string(options.local) + "\"").c_str(), SW_SHOW, false);
        return;
    }

    const UpdateMessages messages(options.startMessage, options.endMessage, options.failMessage,
                                  options.identifierNumber());
    if (mode < 0 || mode > 2) {
        messages.postEnd();
        UpdateRecordKey(options.remote, (std::string(options.local) + ".tmp").c_str()).setSuccess(true);
        return;
    }
    // Without both paths there is nothing to fetch or nowhere to put it.
    if (!options.remote[0] || !options.local[0]) {
        messages.postFail();
        return;
    }

    // "/" instead of "\" makes the temporary path a single registry key name in the record.
    std::string local(options.local);
    for (char& c : local)
        if (c == '\\') c = '/';
    const std::string temporary = local + ".tmp";

    WSADATA winsock;
    WSAStartup(MAKEWORD(1, 1), &winsock);
    const bool fetched = fetchRemoteFile(options.remote, temporary.c_str(), local.c_str(), messages);
    WSACleanup();
    if (!fetched) return;

    // The new file takes the old one's place in one step, or not at all: an old file in use stays
    // whole, and the run is a failure to be repeated in full next time.
    SetFileAttributesA(local.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExA(temporary.c_str(), local.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        DeleteFileA(temporary.c_str());
        messages.postFail();
        return;
    }
    if (mode == 1 && !installArchive(local.c_str())) {
        messages.postFail();
        return;
    }
    if (mode == 2) installCabinetInf(local.c_str());
    messages.postEnd();
    UpdateRecordKey(options.remote, temporary.c_str()).setSuccess(true);
}

}  // namespace

int main() {
    UpdateCommandLine options;
    options.read(GetCommandLineA());
    run(options);
    return 0;
}
