// The packed file archive: walking its entries, and the browser center's reader.
#include "archive.h"

#include "files.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace {

DWORD littleEndian32(const BYTE* bytes) {
    return static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 |
           static_cast<DWORD>(bytes[2]) << 16 | static_cast<DWORD>(bytes[3]) << 24;
}

void showError(const char* text, const char* caption) { MessageBoxA(nullptr, text, caption, MB_OK); }

}  // namespace

ArchiveRead readArchiveEntry(const BYTE* archive, DWORD size, DWORD& position, ArchiveEntry& entry) {
    if (position >= size) return ArchiveRead::End;
    DWORD left = size - position;
    if (left < 4) return ArchiveRead::Damaged;
    const DWORD nameLength = littleEndian32(archive + position);
    left -= 4;
    if (nameLength == 0 || nameLength > left) return ArchiveRead::Damaged;
    const char* name = reinterpret_cast<const char*>(archive + position + 4);
    if (name[nameLength - 1] != '\0') return ArchiveRead::Damaged;
    left -= nameLength;
    if (left < 4) return ArchiveRead::Damaged;
    const DWORD dataSize = littleEndian32(archive + position + 4 + nameLength);
    left -= 4;
    if (dataSize > left) return ArchiveRead::Damaged;
    entry.name = name;
    entry.dataOffset = position + 8 + nameLength;
    entry.data = archive + entry.dataOffset;
    entry.size = dataSize;
    position = entry.dataOffset + dataSize;
    return ArchiveRead::Entry;
}

void toBackslashes(std::string& path) {
    for (char& c : path)
        if (c == '/') c = '\\';
}

bool isContainedArchiveName(const char* name) {
    if (!name || !*name || *name == '\\' || std::strchr(name, ':')) return false;
    const char* part = name;
    for (;;) {
        const char* end = std::strchr(part, '\\');
        if (!end) end = part + std::strlen(part);
        // An empty part ("x\\y", or a name ending in "\") and a part ending in "." or " " (which
        // Windows trims, so that "x.." is another name for "x", and ".." the folder above).
        if (end == part || end[-1] == '.' || end[-1] == ' ') return false;
        if (!*end) return true;
        part = end + 1;
    }
}

CPackedArchive::CPackedArchive(const char* path) {
    // A path that does not fit is not cut (that would name another file): it opens nothing.
    m_Path[0] = '\0';
    if (path && std::strlen(path) < sizeof m_Path) std::strcpy(m_Path, path);
}

CPackedArchive::~CPackedArchive() { delete[] m_Content; }

bool CPackedArchive::openArchive() {
    delete[] m_Content;
    m_Content = nullptr;
    m_Size = 0;

    HANDLE file = CreateFileA(m_Path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD high = 0;
    const DWORD size = GetFileSize(file, &high);
    if (size == INVALID_FILE_SIZE || high != 0) {
        CloseHandle(file);
        showError("unable to read file", "Error");
        return false;
    }
    BYTE* content = new (std::nothrow) BYTE[size ? size : 1];
    if (!content) {
        CloseHandle(file);
        showError("not enough memory", "Error");
        return false;
    }
    DWORD read = 0;
    const BOOL ok = ReadFile(file, content, size, &read, nullptr);
    CloseHandle(file);
    if (!ok || read != size) {
        delete[] content;
        showError("unable to read file", "Error");
        return false;
    }
    m_Content = content;
    m_Size = size;
    return true;
}

bool CPackedArchive::extractAll(const char* prefix) {
    if (!m_Content) {
        showError("Internal error: use openArchive() first!", "Error");
        return false;
    }
    char text[160];
    std::string lastFolder;
    DWORD position = kArchiveHeaderSize;
    for (;;) {
        const DWORD entryStart = position;
        ArchiveEntry entry;
        const ArchiveRead read = readArchiveEntry(m_Content, m_Size, position, entry);
        if (read == ArchiveRead::End) return true;
        if (read == ArchiveRead::Damaged) {
            std::snprintf(text, sizeof text, "filePos: %d fileSize: %d - damaged archive",
                          static_cast<int>(entryStart), static_cast<int>(m_Size));
            showError(text, m_Path);
            return false;
        }
        std::string name(entry.name);
        toBackslashes(name);
        const std::string output = prefix + name;
        const size_t slash = output.find_last_of('\\');
        if (slash == std::string::npos) return false;
        if (!isContainedArchiveName(name.c_str())) {
            std::snprintf(text, sizeof text,
                          "filePos: %d fileSize: %d - entry name leaves the target folder",
                          static_cast<int>(entry.dataOffset), static_cast<int>(entry.size));
            showError(text, output.c_str());
            return false;
        }
        // Entries of one folder follow each other; its chain is created once.
        const std::string folder = output.substr(0, slash);
        if (folder != lastFolder) {
            createDirectoryPath(folder.c_str());
            lastFolder = folder;
        }
        SetFileAttributesA(output.c_str(), FILE_ATTRIBUTE_NORMAL);
        HANDLE file = CreateFileA(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            std::snprintf(text, sizeof text,
                          "filePos: %d fileSize: %d error: %d - unable to open output file",
                          static_cast<int>(entry.dataOffset), static_cast<int>(entry.size),
                          static_cast<int>(GetLastError()));
            showError(text, output.c_str());
            return false;
        }
        DWORD written = 0;
        const BOOL ok = WriteFile(file, entry.data, entry.size, &written, nullptr);
        CloseHandle(file);
        if (!ok || written != entry.size) return false;
    }
}
