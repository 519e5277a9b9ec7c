// What the application object needs of signup and branding: the signup file, the packed archive,
// the favorites pages and the standard browser. The signup modules implement these.
#pragma once

#include <memory>
#include <string>

class SignupFile {
public:
    virtual ~SignupFile() = default;
    // Applies a signup file; `closeAll` ends all other running browser centers first. True when
    // the file was applied, false when nothing was (no such file, unreadable, refused).
    virtual bool parseTNIFile(const std::string& customerLabel, const std::string& path,
                              bool closeAll) = 0;
    virtual void patchSignupHtml(const std::string& htmlPath) = 0;
};

// One packed file archive.
class PackedArchive {
public:
    virtual ~PackedArchive() = default;
    virtual bool openArchive() = 0;
    // Extracts every file below `targetFolder` (ending in a backslash).
    virtual bool extractAll(const std::string& targetFolder) = 0;
};

class ArchiveReader {
public:
    virtual ~ArchiveReader() = default;
    // An archive object for the path; nothing is read yet.
    virtual std::unique_ptr<PackedArchive> archive(const std::string& path) = 0;
};

class FavoritesPages {
public:
    virtual ~FavoritesPages() = default;
    // Writes the favorites pages of the skin from the user's favorites.
    virtual void convertFavorites() = 0;
    // Adds a favorite of that name for the address, and opens the dialog that organises them.
    virtual void addFavorite(const std::string& name, const std::string& url) = 0;
    virtual void organiseFavorites() = 0;
};

class StandardBrowser {
public:
    virtual ~StandardBrowser() = default;
    virtual void launchStandardBrowser(const std::string& address) = 0;
    // True while a window of the standard browser is open.
    virtual bool browserWindowOpen() = 0;
};
