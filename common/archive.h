// The packed file archive in which the provider's page sets and skins travel ("config.dat", the
// skin archives): a header block of 520 bytes that readers skip, then entries back to back up to
// the end of the file. An entry is a 32-bit little-endian name length N that counts the name's
// terminating zero, the N bytes of the relative path ("/" or "\" between folders), a 32-bit
// little-endian data size S and the S bytes of the file. Stored uncompressed, without checksum.
#pragma once

#include <windows.h>

#include <string>

inline constexpr DWORD kArchiveHeaderSize = 520;
inline constexpr DWORD kArchivePathSize = 512;

// One entry as it lies in an archive's buffer.
struct ArchiveEntry {
    const char* name;   // zero-terminated, inside the buffer
    const BYTE* data;   // S bytes, inside the buffer
    DWORD size;         // S
    DWORD dataOffset;   // where the data begins in the archive
};

enum class ArchiveRead { Entry, End, Damaged };

// Reads the entry at `position` (at least the header size) and moves `position` past its data.
// End when `position` has reached the end. Damaged when a name length or size runs past the end
// or the name lacks its terminating zero; nothing beyond `size` bytes of `archive` is read.
ArchiveRead readArchiveEntry(const BYTE* archive, DWORD size, DWORD& position, ArchiveEntry& entry);

// Turns every "/" of a path into "\".
void toBackslashes(std::string& path);

// True when a name (with "\" as its only separator) names a file inside the folder it is
// unpacked into: not empty, not beginning with "\", without ":" (drive letters and streams), with
// no empty part and no part ending in "." or " " (which Windows trims: ".." is the folder above,
// "x.." a folder that cannot be opened or deleted by its name). Archives come from the network,
// so an entry must never reach outside its folder.
bool isContainedArchiveName(const char* name);

// The browser center's reader: reads the whole archive into memory and unpacks it into a folder,
// telling the user in message boxes what went wrong.
class CPackedArchive {
public:
    explicit CPackedArchive(const char* path);
    ~CPackedArchive();
    CPackedArchive(const CPackedArchive&) = delete;
    CPackedArchive& operator=(const CPackedArchive&) = delete;

    // Reads the whole file; false (silently) when it cannot be opened, false with a message box
    // when it cannot be read or its size cannot be allocated.
    bool openArchive();

    // Writes every entry below `prefix` (a folder ending in "\"), creating folders as needed and
    // overwriting read-only files. Stops with false at the first entry that cannot be written, a
    // damaged archive or a name that would leave the folder; entries before it stay on disk.
    bool extractAll(const char* prefix);

private:
    char m_Path[kArchivePathSize];
    BYTE* m_Content = nullptr;
    DWORD m_Size = 0;
};
