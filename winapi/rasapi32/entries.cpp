// rasapi32: phonebook entries and their saved dial parameters.
#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include "entry_fields.h"
#include "exports.h"
#include "list_answer.h"
#include "phonebook.h"

#include <cstring>
#include <string>

using namespace winapi::ras;

namespace {

constexpr DWORD kDialParamsSize = sizeof(RASDIALPARAMSA);
constexpr DWORD kEntryNameSize = sizeof(RASENTRYNAMEA);
// The saved dial parameters live in the entry's section under these keys.
constexpr const char* kUserKey = "User";
constexpr const char* kPasswordKey = "Password";
constexpr const char* kDomainKey = "Domain";
constexpr const char* kSavedPasswordKey = "SavePassword";

// Only the machine's own phonebook exists here.
bool defaultPhonebook(LPCSTR phonebook) { return !phonebook || !*phonebook; }

// Entry names as the dial-up networking folder accepts them.
bool validName(const char* name) {
    if (!name || !*name || name[0] == '.') return false;
    const size_t length = std::strlen(name);
    if (length > RAS_MaxEntryName) return false;
    for (const char* p = name; *p; ++p)
        if (std::strchr("\\/:*?\"<>|[]", *p) || static_cast<unsigned char>(*p) < 32) return false;
    return true;
}

}  // namespace

RASAPI_EXPORT DWORD WINAPI RasGetEntryPropertiesA(LPCSTR lpszPhonebook, LPCSTR lpszEntry,
                                                  LPRASENTRYA lpRasEntry,
                                                  LPDWORD lpdwEntryInfoSize, LPBYTE,
                                                  LPDWORD lpdwDeviceInfoSize) {
    if (!lpdwEntryInfoSize) return ERROR_INVALID_PARAMETER;
    if (!defaultPhonebook(lpszPhonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (lpdwDeviceInfoSize) *lpdwDeviceInfoSize = 0;  // no device-specific settings
    const DWORD needed = systemEntrySize();
    if (!lpRasEntry || *lpdwEntryInfoSize < needed) {
        *lpdwEntryInfoSize = needed;
        return ERROR_BUFFER_TOO_SMALL;
    }
    if (!knownEntrySize(lpRasEntry->dwSize)) return ERROR_INVALID_SIZE;
    if (!lpszEntry || !*lpszEntry) {
        defaultEntry(*lpRasEntry);
        return ERROR_SUCCESS;
    }
    Phonebook book;
    if (DWORD error = readPhonebook(book)) return error;
    const PhonebookEntry* stored = findEntry(book, lpszEntry);
    if (!stored) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    entryFromPhonebook(*stored, *lpRasEntry);
    return ERROR_SUCCESS;
}

RASAPI_EXPORT DWORD WINAPI RasSetEntryPropertiesA(LPCSTR lpszPhonebook, LPCSTR lpszEntry,
                                                  LPRASENTRYA lpRasEntry, DWORD dwEntryInfoSize,
                                                  LPBYTE, DWORD) {
    if (!lpRasEntry) return ERROR_INVALID_PARAMETER;
    if (!defaultPhonebook(lpszPhonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (!knownEntrySize(lpRasEntry->dwSize)) return ERROR_INVALID_SIZE;
    if (dwEntryInfoSize < lpRasEntry->dwSize) return ERROR_BUFFER_TOO_SMALL;
    if (!validName(lpszEntry)) return ERROR_INVALID_NAME;
    return editPhonebook([&](Phonebook& book) -> DWORD {
        PhonebookEntry* stored = findEntry(book, lpszEntry);
        if (!stored) stored = &book.emplace_back(PhonebookEntry{lpszEntry, {}});
        entryToPhonebook(*lpRasEntry, *stored);
        return ERROR_SUCCESS;
    });
}

RASAPI_EXPORT DWORD WINAPI RasValidateEntryNameA(LPCSTR lpszPhonebook, LPCSTR lpszEntry) {
    if (!defaultPhonebook(lpszPhonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (!validName(lpszEntry)) return ERROR_INVALID_NAME;
    Phonebook book;
    if (DWORD error = readPhonebook(book)) return error;
    return findEntry(book, lpszEntry) ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
}

RASAPI_EXPORT DWORD WINAPI RasRenameEntryA(LPCSTR lpszPhonebook, LPCSTR lpszOldEntry,
                                           LPCSTR lpszNewEntry) {
    if (!lpszOldEntry) return ERROR_INVALID_PARAMETER;
    if (!defaultPhonebook(lpszPhonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (!validName(lpszNewEntry)) return ERROR_INVALID_NAME;
    return editPhonebook([&](Phonebook& book) -> DWORD {
        PhonebookEntry* stored = findEntry(book, lpszOldEntry);
        if (!stored) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        const PhonebookEntry* other = findEntry(book, lpszNewEntry);
        if (other && other != stored) return ERROR_ALREADY_EXISTS;
        stored->name = lpszNewEntry;
        return ERROR_SUCCESS;
    });
}

RASAPI_EXPORT DWORD WINAPI RasDeleteEntryA(LPCSTR lpszPhonebook, LPCSTR lpszEntry) {
    if (!lpszEntry) return ERROR_INVALID_PARAMETER;
    if (!defaultPhonebook(lpszPhonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    return editPhonebook([&](Phonebook& book) -> DWORD {
        PhonebookEntry* stored = findEntry(book, lpszEntry);
        if (!stored) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        book.erase(book.begin() + (stored - book.data()));
        return ERROR_SUCCESS;
    });
}

RASAPI_EXPORT DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR lpszPhonebook,
                                           LPRASENTRYNAMEA lprasentryname, LPDWORD lpcb,
                                           LPDWORD lpcEntries) {
    if (reserved || !lpcb || !lpcEntries) return ERROR_INVALID_PARAMETER;
    if (!defaultPhonebook(lpszPhonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (lprasentryname && lprasentryname->dwSize != kEntryNameSize) return ERROR_INVALID_SIZE;
    Phonebook book;
    if (DWORD error = readPhonebook(book)) return error;
    return answerList(lprasentryname, lpcb, lpcEntries, book.size(),
                      [&](RASENTRYNAMEA& out, size_t i) {
                          copyText(out.szEntryName, sizeof out.szEntryName, book[i].name);
                      });
}

RASAPI_EXPORT DWORD WINAPI RasGetEntryDialParamsA(LPCSTR lpszPhonebook,
                                                  LPRASDIALPARAMSA lprasdialparams,
                                                  LPBOOL lpfPassword) {
    if (!lprasdialparams || !lpfPassword) return ERROR_INVALID_PARAMETER;
    if (!defaultPhonebook(lpszPhonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (lprasdialparams->dwSize != kDialParamsSize) return ERROR_INVALID_SIZE;
    Phonebook book;
    if (DWORD error = readPhonebook(book)) return error;
    const PhonebookEntry* stored = findEntry(book, memberText(lprasdialparams->szEntryName, sizeof lprasdialparams->szEntryName));
    if (!stored) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    const bool saved = stored->getNumber(kSavedPasswordKey) != 0;
    copyText(lprasdialparams->szPhoneNumber, sizeof lprasdialparams->szPhoneNumber, "");
    copyText(lprasdialparams->szCallbackNumber, sizeof lprasdialparams->szCallbackNumber, "");
    copyText(lprasdialparams->szUserName, sizeof lprasdialparams->szUserName,
             stored->get(kUserKey));
    copyText(lprasdialparams->szPassword, sizeof lprasdialparams->szPassword,
             saved ? stored->get(kPasswordKey) : std::string());
    copyText(lprasdialparams->szDomain, sizeof lprasdialparams->szDomain,
             stored->get(kDomainKey));
    *lpfPassword = saved ? TRUE : FALSE;
    return ERROR_SUCCESS;
}

RASAPI_EXPORT DWORD WINAPI RasSetEntryDialParamsA(LPCSTR lpszPhonebook,
                                                  LPRASDIALPARAMSA lprasdialparams,
                                                  BOOL fRemovePassword) {
    if (!lprasdialparams) return ERROR_INVALID_PARAMETER;
    if (!defaultPhonebook(lpszPhonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (lprasdialparams->dwSize != kDialParamsSize) return ERROR_INVALID_SIZE;
    const RASDIALPARAMSA& p = *lprasdialparams;
    return editPhonebook([&](Phonebook& book) -> DWORD {
        PhonebookEntry* stored = findEntry(book, memberText(p.szEntryName, sizeof p.szEntryName));
        if (!stored) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        stored->set(kUserKey, memberText(p.szUserName, sizeof p.szUserName));
        stored->set(kDomainKey, memberText(p.szDomain, sizeof p.szDomain));
        if (fRemovePassword) {
            stored->erase(kPasswordKey);
            stored->set(kSavedPasswordKey, "0");
        } else {
            stored->set(kPasswordKey,
                        memberText(p.szPassword, sizeof p.szPassword));
            stored->set(kSavedPasswordKey, "1");
        }
        return ERROR_SUCCESS;
    });
}

RASAPI_UNSUFFIXED(RasGetEntryProperties, RasGetEntryPropertiesA)
RASAPI_UNSUFFIXED(RasSetEntryProperties, RasSetEntryPropertiesA)
RASAPI_UNSUFFIXED(RasValidateEntryName, RasValidateEntryNameA)
RASAPI_UNSUFFIXED(RasRenameEntry, RasRenameEntryA)
RASAPI_UNSUFFIXED(RasDeleteEntry, RasDeleteEntryA)
