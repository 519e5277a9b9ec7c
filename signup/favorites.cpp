// The favorites pages and the favorites dialogs.
#include "favorites.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "favorites_dialogs.h"
#include "files.h"
#include "registry.h"
#include "trace.h"

namespace {

constexpr int kFontSize = 2;
constexpr DWORD kUrlSize = 1024;
constexpr const char* kPagesFolder = "defhtml\\Favoriten";

struct Entry {
    std::string path;  // below the favorites folder, with backslashes
    bool folder;
};

// Every file and folder below `folder`, each folder before what it holds, in the order the
// folder listing gives them.
void collect(const std::string& root, const std::string& relative, std::vector<Entry>& out) {
    const std::string pattern = root + (relative.empty() ? "" : "\\" + relative) + "\\*";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = relative.empty() ? name : relative + "\\" + name;
        const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        out.push_back({path, folder});
        if (folder) collect(root, path, out);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Text for a page: the characters that would make markup of a name or an address.
std::string htmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A folder name as the path part of a link: the characters that end a path in an address.
std::string linkPath(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (c == '%' || c == '#' || c == '?') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return htmlText(out);
}

class PageWriter {
public:
    PageWriter(std::string pagesRoot, std::string images)
        : root_(std::move(pagesRoot)), images_(std::move(images)) {}

    // Appends a line to the page of the folder (relative, empty for the root); a page that did
    // not exist yet begins with the back line.
    void append(const std::string& folder, const std::string& line) {
        const std::string page = root_ + (folder.empty() ? "" : "\\" + folder) + "\\index.html";
        std::string text;
        if (!fileExists(page.c_str())) {
            char back[512];
            std::snprintf(back, sizeof back,
                          "<font size=\"%d\"><img border=\"0\" src=\"%s\" width=\"14\" "
                          "height=\"14\"><a href=\"../index.html\">ZUR\xDC" "CK</a><br>",
                          kFontSize, (images_ + "back.bmp").c_str());
            text = back;
        }
        text += line;
        HANDLE file = CreateFileA(page.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        SetFilePointer(file, 0, nullptr, FILE_END);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }

    void folderLine(const std::string& parent, const std::string& name) {
        append(parent, "<font size=\"" + std::to_string(kFontSize) +
                           "\"><a href=\"OLECMDID_LOCAL:" + linkPath(name) +
                           "/index.html\"><img border=\"0\" src=\"" + htmlText(images_) +
                           "ordner.bmp\" width=\"14\" height=\"12\">   " + htmlText(name) +
                           " </a></font><br>");
    }

    void linkLine(const std::string& folder, const std::string& title, const std::string& url) {
        append(folder, "<align=\"left\"><font size=\"" + std::to_string(kFontSize) +
                           "\"><a href=\"" + htmlText(url) + "\"><img border=\"0\" src=\"" +
                           htmlText(images_) + "link.bmp\" width=\"14\" height=\"12\"> " +
                           htmlText(title) + " </a></font><br>");
    }

    const std::string& root() const { return root_; }

private:
    std::string root_;
    std::string images_;
};

std::string parentOf(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string favoritesFolder() {
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_FAVORITES, FALSE)) return "";
    std::string folder = path;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

void convertFavorites(const std::string& programFolder) {
    convertFavorites(programFolder, favoritesFolder());
}

void convertFavorites(const std::string& programFolder, const std::string& favorites) {
    traceLine("convert %s\n", favorites.c_str());
    PageWriter pages(programFolder + kPagesFolder, programFolder + "defhtml\\");
    deleteDirectoryTree(pages.root().c_str());
    createDirectoryPath(pages.root().c_str());
    {
        const std::string page = pages.root() + "\\index.html";
        HANDLE file = CreateFileA(page.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const std::string header =
                "<p align=\"center\"><b><font size=\"3\">Favoriten<br></font></b><p "
                "align=\"left\"><body link=\"#0000FF\" vlink=\"#0000FF\">";
            DWORD written = 0;
            WriteFile(file, header.data(), static_cast<DWORD>(header.size()), &written, nullptr);
            CloseHandle(file);
        }
    }
    if (favorites.empty()) return;

    std::vector<Entry> entries;
    collect(favorites, "", entries);
    traceLine("total entrys found : %i\n", static_cast<int>(entries.size()));
    for (const Entry& entry : entries) {
        // The folders on the entry's path, each mirrored with a line in its parent's page.
        const std::string folder = entry.folder ? entry.path : parentOf(entry.path);
        std::vector<std::string> chain;
        for (std::string f = folder; !f.empty(); f = parentOf(f)) chain.insert(chain.begin(), f);
        for (const std::string& f : chain) {
            const std::string mirrored = pages.root() + "\\" + f;
            if (fileExists(mirrored.c_str())) continue;
            if (!CreateDirectoryA(mirrored.c_str(), nullptr)) continue;
            pages.folderLine(parentOf(f), nameOf(f));
        }
        if (entry.folder || entry.path.find(".url") == std::string::npos) continue;
        std::string title = nameOf(entry.path);
        title = title.substr(0, title.find(".url"));
        char url[kUrlSize] = {};
        GetPrivateProfileStringA("InternetShortcut", "URL", "", url, sizeof url,
                                 (favorites + "\\" + entry.path).c_str());
        pages.linkLine(folder, title, url);
    }
}

bool writeInternetShortcut(const std::string& path, const std::string& address) {
    return WritePrivateProfileStringA("InternetShortcut", "URL", address.c_str(), path.c_str()) !=
           FALSE;
}

void organizeFavorites(HWND owner) {
    traceLine("OnOrganizeFavorites \n");
    const std::string path = regReadString(
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Favorites", "");
    HMODULE library = LoadLibraryA("shdocvw.dll");
    using OrganizeDialog = BOOL(WINAPI*)(HWND, LPSTR);
    auto dialog = library ? reinterpret_cast<OrganizeDialog>(reinterpret_cast<void*>(
                                GetProcAddress(library, "DoOrganizeFavDlg")))
                          : nullptr;
    if (dialog) {
        char before[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof before, before);
        SetCurrentDirectoryA(path.c_str());
        std::string folder = path;
        dialog(owner, folder.data());
        SetCurrentDirectoryA(before);
    } else if (!path.empty()) {
        runOrganizeFavoritesDialog(owner, path);
    }
    if (library) FreeLibrary(library);
}

void addFavorite(HWND owner, const std::string& title, const std::string& address) {
    HMODULE library = LoadLibraryA("shdocvw.dll");
    // The shell's dialog: the folder to start in as an item list, the chosen file's path back in
    // the path buffer.
    using AddDialog = BOOL(WINAPI*)(HWND, LPSTR, UINT, LPSTR, UINT, LPITEMIDLIST);
    auto dialog = library ? reinterpret_cast<AddDialog>(reinterpret_cast<void*>(
                                GetProcAddress(library, "DoAddToFavDlg")))
                          : nullptr;
    LPITEMIDLIST folderList = nullptr;
    char folder[MAX_PATH] = {};
    if (SHGetSpecialFolderLocation(owner, CSIDL_FAVORITES, &folderList) != S_OK ||
        !SHGetPathFromIDListA(folderList, folder)) {
        traceLine("ERROR by SHGetSpecialFolderLocation \n");
        if (folderList) ILFree(folderList);
        if (library) FreeLibrary(library);
        return;
    }
    traceLine("URL  :%s-\n", address.c_str());
    traceLine("PATH :%s-\n", folder);
    traceLine("TITLE:%s-\n", title.c_str());
    if (dialog) {
        char path[MAX_PATH] = {};
        char name[MAX_PATH] = {};
        std::snprintf(path, sizeof path, "%s", folder);
        std::snprintf(name, sizeof name, "%s", title.c_str());
        if (dialog(owner, path, sizeof path, name, sizeof name, folderList))
            writeInternetShortcut(path, address);
    } else {
        runAddFavoriteDialog(owner, folder, title, address);
    }
    ILFree(folderList);
    if (library) FreeLibrary(library);
}
