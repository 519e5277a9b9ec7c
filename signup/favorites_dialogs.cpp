// The program's own favorites dialogs.
#include "favorites_dialogs.h"

#include "dialog.h"
#include "dialog_template.h"
#include "favorites.h"
#include "files.h"
#include "trace.h"

namespace {

constexpr size_t kNameMax = 100;
const char* const kRootName = "Favoriten";

enum AddIds { kAddName = 101, kAddFolder = 102 };
enum OrganizeIds {
    kEntries = 201,
    kNewName = 202,
    kRename = 203,
    kTargetFolder = 204,
    kMove = 205,
    kDelete = 206,
    kNewFolder = 207,
};

const ui::DialogTemplate kAddDialog{
    0, "Zu Favoriten hinzuf\xfcgen", 240, 66, "MS Sans Serif", 8,
    {
        {-1, ui::ControlClass::StaticText, "Name:", {7, 9, 42, 8}},
        {kAddName, ui::ControlClass::Edit, "", {52, 7, 181, 12}, ui::kNone, int(kNameMax)},
        {-1, ui::ControlClass::StaticText, "Erstellen in:", {7, 27, 44, 8}},
        {kAddFolder, ui::ControlClass::DropDownList, "", {52, 25, 181, 80}},
        {IDOK, ui::ControlClass::DefaultButton, "OK", {129, 45, 50, 14}},
        {IDCANCEL, ui::ControlClass::PushButton, "Abbrechen", {183, 45, 50, 14}},
    }};

const ui::DialogTemplate kOrganizeDialog{
    0, "Favoriten verwalten", 300, 170, "MS Sans Serif", 8,
    {
        {kEntries, ui::ControlClass::SortedList, "", {7, 7, 180, 156}},
        {-1, ui::ControlClass::StaticText, "Neuer Name:", {194, 7, 99, 8}},
        {kNewName, ui::ControlClass::Edit, "", {194, 17, 99, 12}, ui::kNone, int(kNameMax)},
        {kRename, ui::ControlClass::PushButton, "Umbenennen", {194, 33, 99, 14}},
        {kNewFolder, ui::ControlClass::PushButton, "Neuer Ordner", {194, 50, 99, 14}},
        {-1, ui::ControlClass::StaticText, "Ordner:", {194, 72, 99, 8}},
        {kTargetFolder, ui::ControlClass::DropDownList, "", {194, 82, 99, 80}},
        {kMove, ui::ControlClass::PushButton, "Verschieben", {194, 98, 99, 14}},
        {kDelete, ui::ControlClass::PushButton, "L\xf6schen", {194, 120, 99, 14}},
        {IDOK, ui::ControlClass::DefaultButton, "Schlie\xdf" "en", {194, 149, 99, 14}},
    }};

std::string shownFolder(const std::string& relative) {
    return relative.empty() ? std::string(kRootName) : std::string(kRootName) + "\\" + relative;
}

std::string inFolder(const std::string& favorites, const std::string& relative) {
    return relative.empty() ? favorites : favorites + "\\" + relative;
}

void collectFolders(const std::string& root, const std::string& relative,
                    std::vector<std::string>& out) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((inFolder(root, relative) + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == ".." || !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const std::string path = relative.empty() ? name : relative + "\\" + name;
        out.push_back(path);
        collectFolders(root, path, out);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void fillFolders(ui::Dialog& dialog, int id, const std::vector<std::string>& folders) {
    dialog.clearItems(id);
    for (const std::string& folder : folders) dialog.addItem(id, shownFolder(folder));
    dialog.setSelection(id, 0);
}

class AddHandler : public ui::DialogHandler {
public:
    AddHandler(const std::string& favorites, const std::string& title)
        : favorites_(favorites), title_(title), folders_(favoriteFolders(favorites)) {}

    void onInit(ui::Dialog& dialog) override {
        dialog.setText(kAddName, favoriteFileName(title_));
        fillFolders(dialog, kAddFolder, folders_);
    }
    bool onCommand(ui::Dialog& dialog, int id, ui::CommandEvent event) override {
        if (id != IDOK || event != ui::CommandEvent::Clicked) return false;
        const std::string name = favoriteFileName(dialog.text(kAddName));
        const int folder = dialog.selection(kAddFolder);
        if (name.empty() || folder < 0 || folder >= int(folders_.size())) return true;
        chosen = inFolder(favorites_, folders_[size_t(folder)]) + "\\" + name + ".url";
        dialog.end(IDOK);
        return true;
    }

    std::string chosen;

private:
    std::string favorites_;
    std::string title_;
    std::vector<std::string> folders_;
};

class OrganizeHandler : public ui::DialogHandler {
public:
    explicit OrganizeHandler(const std::string& favorites) : favorites_(favorites) {}

    void onInit(ui::Dialog& dialog) override { refresh(dialog); }

    bool onCommand(ui::Dialog& dialog, int id, ui::CommandEvent event) override {
        if (event != ui::CommandEvent::Clicked) return false;
        switch (id) {
        case kRename: rename(dialog); break;
        case kNewFolder: newFolder(dialog); break;
        case kMove: move(dialog); break;
        case kDelete: remove(dialog); break;
        default: return false;
        }
        refresh(dialog);
        return true;
    }

private:
    struct Item {
        std::string shown;     // as listed
        std::string relative;  // the file or folder below the favorites folder
        bool folder;
    };

    void collect(const std::string& relative) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((inFolder(favorites_, relative) + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = relative.empty() ? name : relative + "\\" + name;
            const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (folder) {
                items_.push_back({path + "\\", path, true});
                collect(path);
            } else if (path.size() > 4 && path.compare(path.size() - 4, 4, ".url") == 0) {
                items_.push_back({path.substr(0, path.size() - 4), path, false});
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }

    void refresh(ui::Dialog& dialog) {
        items_.clear();
        collect("");
        dialog.clearItems(kEntries);
        for (const Item& item : items_) dialog.addItem(kEntries, item.shown);
        folders_ = favoriteFolders(favorites_);
        fillFolders(dialog, kTargetFolder, folders_);
    }

    const Item* selected(ui::Dialog& dialog) const {
        const int index = dialog.selection(kEntries);
        if (index < 0) return nullptr;
        const std::string shown = dialog.itemText(kEntries, index);
        for (const Item& item : items_)
            if (item.shown == shown) return &item;
        return nullptr;
    }

    std::string folderOf(const std::string& relative) const {
        const size_t slash = relative.rfind('\\');
        return slash == std::string::npos ? std::string() : relative.substr(0, slash);
    }

    std::string nameOf(const std::string& relative) const {
        const size_t slash = relative.rfind('\\');
        return slash == std::string::npos ? relative : relative.substr(slash + 1);
    }

    void rename(ui::Dialog& dialog) {
        const Item* item = selected(dialog);
        const std::string name = favoriteFileName(dialog.text(kNewName));
        if (!item || name.empty()) return;
        const std::string target =
            inFolder(favorites_, folderOf(item->relative)) + "\\" + name + (item->folder ? "" : ".url");
        if (!MoveFileA(inFolder(favorites_, item->relative).c_str(), target.c_str()))
            traceLine("favorites: \"%s\" not renamed\n", item->relative.c_str());
    }

    void newFolder(ui::Dialog& dialog) {
        const std::string name = favoriteFileName(dialog.text(kNewName));
        const int folder = dialog.selection(kTargetFolder);
        if (name.empty() || folder < 0 || folder >= int(folders_.size())) return;
        CreateDirectoryA((inFolder(favorites_, folders_[size_t(folder)]) + "\\" + name).c_str(),
                         nullptr);
    }

    void move(ui::Dialog& dialog) {
        const Item* item = selected(dialog);
        const int folder = dialog.selection(kTargetFolder);
        if (!item || folder < 0 || folder >= int(folders_.size())) return;
        const std::string& target = folders_[size_t(folder)];
        // A folder cannot go into itself or below itself.
        if (item->folder && (target == item->relative ||
                             target.compare(0, item->relative.size() + 1, item->relative + "\\") == 0))
            return;
        MoveFileA(inFolder(favorites_, item->relative).c_str(),
                  (inFolder(favorites_, target) + "\\" + nameOf(item->relative)).c_str());
    }

    void remove(ui::Dialog& dialog) {
        const Item* item = selected(dialog);
        if (!item) return;
        const std::string path = inFolder(favorites_, item->relative);
        if (item->folder)
            deleteDirectoryTree(path.c_str());
        else
            DeleteFileA(path.c_str());
    }

    std::string favorites_;
    std::vector<Item> items_;
    std::vector<std::string> folders_;
};

}  // namespace

std::string favoriteFileName(const std::string& name) {
    std::string out;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        const bool forbidden = u < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' ||
                               c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
        out += forbidden ? '-' : c;
    }
    if (out.size() > kNameMax) out.resize(kNameMax);
    const size_t first = out.find_first_not_of(". ");
    if (first == std::string::npos) return "";
    out.erase(0, first);
    out.erase(out.find_last_not_of(". ") + 1);
    return out;
}

std::vector<std::string> favoriteFolders(const std::string& favorites) {
    std::vector<std::string> folders{std::string()};
    collectFolders(favorites, "", folders);
    return folders;
}

std::string runAddFavoriteDialog(HWND owner, const std::string& favorites,
                                 const std::string& title, const std::string& address) {
    if (!ui::startDialogs()) return "";
    AddHandler handler(favorites, title);
    if (ui::runModal(kAddDialog, handler, owner) != IDOK || handler.chosen.empty()) return "";
    if (!writeInternetShortcut(handler.chosen, address)) return "";
    return handler.chosen;
}

void runOrganizeFavoritesDialog(HWND owner, const std::string& favorites) {
    if (!ui::startDialogs()) return;
    OrganizeHandler handler(favorites);
    ui::runModal(kOrganizeDialog, handler, owner);
}
