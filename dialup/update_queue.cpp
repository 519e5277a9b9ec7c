// The update queue of the connection monitor: files of the update list queued one after the
// other, the updater started for the head entry at the queue's timer, and its start, end and fail
// reports recording versions, loading skins and replacing the updater itself.
#include "connection_monitor.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files.h"
#include "process.h"
#include "registry.h"
#include "text.h"
#include "trace.h"
#include "update_versions.h"

namespace {

constexpr UINT kIdsUpdateBaseUrl = 104;
constexpr const char* kUpdateList = "update.ini";
constexpr const char* kUpdaterFile = "tnupdate.exe";
constexpr const char* kStartMessage = "WM_TN_UPDATE_START";
constexpr const char* kFailMessage = "WM_TN_UPDATE_FAIL";
constexpr const char* kEndMessage = "WM_TN_UPDATE_END";
// The updater's command line, without the program in front, fits this many bytes.
constexpr size_t kUpdaterLineSize = 1024;
constexpr DWORD kReplaceRetryMilliseconds = 100;

// The skin-loading page is shown; the skin-loaded page has been shown since.
bool g_SkinLoadingShown = false;
bool g_SkinLoadedShown = false;

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

std::string updateBaseUrl() {
    char text[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), kIdsUpdateBaseUrl, text, sizeof text);
    return text;
}

}  // namespace

void CConnectionMonitor::requestFileUpdate(const std::string& fileName) {
    std::string remote = updateBaseUrl();
    if (remote.empty() || remote.back() != '/') remote += '/';
    remote += m_Host->programName() + "/" + fileName;
    const std::string folder = m_Host->installDir();
    std::string local = folder + fileName;
    std::string name = fileName;
    if (const size_t dat = fileName.find(".dat"); dat != std::string::npos) {
        name = fileName.substr(0, dat);
    } else if (!contains(fileName, ".ini")) {
        // Programs and libraries may be in use: they arrive beside the file and are moved into
        // place when that is free.
        local = folder + "_" + fileName;
    }
    enqueueUpdate(remote, local, name, true);
}

void CConnectionMonitor::enqueueUpdate(const std::string& remote, const std::string& local,
                                       const std::string& name, bool onlyIfNew) {
    auto found = m_UpdateQueue.begin();
    while (found != m_UpdateQueue.end() && found->name != name) ++found;
    if (found != m_UpdateQueue.end() && onlyIfNew) return;
    traceLine("remoteFileName: %s\n", remote.c_str());
    traceLine("localFileName: %s\n", local.c_str());
    traceLine("skinName: %s\n", name.c_str());
    UpdateEntry entry;
    if (found != m_UpdateQueue.end()) {
        entry = *found;
        m_UpdateQueue.erase(found);
    } else {
        entry.name = name;
        do {
            entry.identifier = static_cast<unsigned>(std::rand() % 32768);
        } while (findUpdate(entry.identifier) != m_UpdateQueue.end());
    }
    entry.localPath = local;
    entry.remoteUrl = remote;
    m_UpdateQueue.push_back(entry);
    // Every entry restarts the interval: the first file starts one interval after the last one
    // was queued.
    SetTimer(m_hWnd, kUpdateTimer, m_Host->updatePeriodMs(), nullptr);
}

void CConnectionMonitor::startNextUpdate() {
    if (m_UpdateQueue.empty()) {
        if (g_SkinLoadingShown && !g_SkinLoadedShown) {
            g_SkinLoadedShown = true;
            m_Host->showPopup("SKLoaded.htm");
        }
        g_SkinLoadingShown = false;
        return;
    }
    UpdateEntry& head = m_UpdateQueue.front();
    if (head.started) return;
    head.started = true;
    const char* format = contains(head.name, ".")
                             ? "-r\"%s\" -l\"%s\" -s\"%s\" -f\"%s\" -e\"%s\" -i\"%u\""
                             : "-r\"%s\" -l\"%s\" -s\"%s\" -f\"%s\" -e\"%s\" -i\"%u\" -x\"1\"";
    char line[kUpdaterLineSize + 1];
    const int length = std::snprintf(line, sizeof line, format, head.remoteUrl.c_str(),
                                     head.localPath.c_str(), kStartMessage, kFailMessage,
                                     kEndMessage, head.identifier);
    // A line cut short would name another file; a run that never starts would hold the queue
    // for the rest of the program's run.
    if (length < 0 || static_cast<size_t>(length) > kUpdaterLineSize) {
        traceLine("command line for \"%s\" too long: not updated\n", head.remoteUrl.c_str());
        m_UpdateQueue.pop_front();
        return;
    }
    // Registered message names compare without regard to case; the server serves lower-case
    // paths.
    const std::string lowerLine = lowerText(line);
    traceLine("Executing TnUpdate.exe with: \"%s\"\n", lowerLine.c_str());
    traceLine("StartMessageId: %d\n", static_cast<int>(m_UpdateStartMessage));
    traceLine("EndMessageId  : %d\n", static_cast<int>(m_UpdateEndMessage));
    traceLine("FailMessageId : %d\n", static_cast<int>(m_UpdateFailMessage));
    if (!runProgram("TnUpdate.exe", lowerLine.c_str(), SW_SHOW, false)) {
        traceLine("TnUpdate.exe could not be started: \"%s\" not updated\n",
                  head.remoteUrl.c_str());
        m_UpdateQueue.pop_front();
    }
}

std::list<UpdateEntry>::iterator CConnectionMonitor::findUpdate(unsigned identifier) {
    auto entry = m_UpdateQueue.begin();
    while (entry != m_UpdateQueue.end() && entry->identifier != identifier) ++entry;
    return entry;
}

void CConnectionMonitor::onUpdateStart(unsigned identifier, DWORD percent) {
    auto entry = findUpdate(identifier);
    if (entry == m_UpdateQueue.end() || contains(entry->name, kUpdateList) || percent == 0 ||
        g_SkinLoadingShown)
        return;
    g_SkinLoadingShown = true;
    g_SkinLoadedShown = false;
    m_Host->showPopup("SKLoadin.htm");
}

void CConnectionMonitor::onUpdateEnd(unsigned identifier) {
    auto found = findUpdate(identifier);
    if (found == m_UpdateQueue.end()) {
        traceLine("Update successfull, but invalid ID encountered\n");
        return;
    }
    const UpdateEntry entry = *found;
    m_UpdateQueue.erase(found);
    traceLine("Update of \"%s\" successfull\n", entry.remoteUrl.c_str());
    const std::string folder = m_Host->installDir();
    const std::string program = m_Host->programName();
    if (contains(entry.name, kUpdateList)) {
        queueUpdateFiles(entry.localPath);
    } else if (!contains(entry.name, ".")) {
        storeRemoteFileVersionNumber(folder, program, kUpdateList, entry.name + ".dat");
        m_Host->skinUpdated(entry.name);
    } else {
        storeRemoteFileVersionNumber(folder, program, kUpdateList, entry.name);
        if (entry.name == kUpdaterFile) replaceUpdater(entry);
    }
}

void CConnectionMonitor::replaceUpdater(const UpdateEntry& entry) {
    const std::string& local = entry.localPath;
    if (local.size() <= entry.name.size()) return;
    const std::string target = local.substr(0, local.size() - entry.name.size() - 1) + entry.name;
    // The updater lets its file go when it exits, right after the end message. One that never
    // exits must not hold the window for ever: the new file then stays under its "_" name.
    const DWORD start = GetTickCount();
    auto waited = [&] { return GetTickCount() - start >= m_ReplaceWaitLimit; };
    traceLine("trying to delete file: %s\n", target.c_str());
    while (fileExists(target.c_str()) && !DeleteFileA(target.c_str())) {
        if (waited()) {
            traceLine("%s still in use: the new updater stays as %s\n", target.c_str(),
                      local.c_str());
            return;
        }
        traceLine("Failed to delete file...trying again\n");
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        Sleep(kReplaceRetryMilliseconds);
    }
    traceLine("done deleting file: %s\n", target.c_str());
    traceLine("renaming %s --> %s\n", local.c_str(), target.c_str());
    while (!MoveFileA(local.c_str(), target.c_str())) {
        if (waited()) {
            traceLine("unable to rename %s: the new updater stays under that name\n",
                      local.c_str());
            return;
        }
        traceLine("unable to rename file, trying again...\n");
        SetFileAttributesA(local.c_str(), FILE_ATTRIBUTE_NORMAL);
        Sleep(kReplaceRetryMilliseconds);
    }
}

void CConnectionMonitor::onUpdateFail(unsigned identifier) {
    auto found = findUpdate(identifier);
    if (found == m_UpdateQueue.end()) {
        traceLine("Update failed, but invalid ID encountered\n");
        return;
    }
    const UpdateEntry entry = *found;
    m_UpdateQueue.erase(found);
    traceLine("Update of %s failed\n", entry.remoteUrl.c_str());
    // An unchanged list comes back as a failure (304): the local copy is the current list.
    if (contains(entry.name, kUpdateList)) queueUpdateFiles(entry.localPath);
}

void CConnectionMonitor::queueUpdateFiles(const std::string& listPath) {
    if (!fileExists(listPath.c_str())) {
        traceLine("queueUpdateFiles (%s). File does not exist\n", listPath.c_str());
        return;
    }
    traceLine("queueUpdateFiles (%s)\n", listPath.c_str());
    const std::string versionsKey = recordedVersionsKey(m_Host->programName());
    for (const std::string& key : updateListKeys(listPath)) {
        const std::string remoteVersion = updateListVersion(listPath, key, "");
        const std::string localVersion = regReadString(versionsKey.c_str(), key.c_str(), "");
        traceLine("analysing file: \"%s\" remote version: %s  local version: %s  registry: %s\n",
                  key.c_str(), remoteVersion.c_str(), localVersion.c_str(), versionsKey.c_str());
        // Versions compare as text, byte by byte (Windows-1252 has one byte a character), with
        // no numbers read: "1.10" sorts before "1.9".
        if (localVersion != remoteVersion &&
            std::strcmp(localVersion.c_str(), remoteVersion.c_str()) < 0)
            requestFileUpdate(key);
    }
}
