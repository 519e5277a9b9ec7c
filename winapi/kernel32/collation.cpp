// kernel32: comparing texts as the emulated user's locale does. The prefix's user is German, so
// CompareStringA and lstrcmpiA use ICU's German collation: "Ägypten" sorts between "Afghanistan"
// and "Albanien", and case only decides when nothing else does (or not at all with
// NORM_IGNORECASE). Sorted list and combo boxes order their items with it.
#include <windows.h>

#include "cp1252.h"
#include "loaded_symbols.h"

#include <dlfcn.h>
#include <unicode/errorcode.h>
#include <unicode/ucol.h>
#include <unicode/uvernum.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace {

// ICU is loaded at the first comparison, not with every program: loading and relocating it cost
// a millisecond at each start, and most programs (the updater, the services) never compare a
// text. The names are those of the ICU the library was built against, version suffix and all.
#define LMR_TEXT_OF(name) LMR_TEXT_OF_EXPANDED(name)
#define LMR_TEXT_OF_EXPANDED(name) #name

struct Icu {
    decltype(&ucol_open) open = nullptr;
    decltype(&ucol_close) close = nullptr;
    decltype(&ucol_setStrength) setStrength = nullptr;
    decltype(&ucol_strcollUTF8) strcollUTF8 = nullptr;
};

// The collation functions, or null ones when ICU cannot be loaded (then texts compare by bytes).
const Icu& icu() {
    static Icu loaded;
    static std::once_flag once;
    std::call_once(once, [] {
        void* library = ::dlopen("libicui18n.so." LMR_TEXT_OF(U_ICU_VERSION_MAJOR_NUM), RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        Icu found;
        using winapi::resolveSymbol;
        if (resolveSymbol(library, LMR_TEXT_OF(ucol_open), found.open) &&
            resolveSymbol(library, LMR_TEXT_OF(ucol_close), found.close) &&
            resolveSymbol(library, LMR_TEXT_OF(ucol_setStrength), found.setStrength) &&
            resolveSymbol(library, LMR_TEXT_OF(ucol_strcollUTF8), found.strcollUTF8))
            loaded = found;
    });
    return loaded;
}

struct CollatorClose {
    void operator()(UCollator* c) const { icu().close(c); }
};

// One collator per thread and strength: ICU collators are not shared between threads.
UCollator* germanCollator(bool ignoreCase) {
    thread_local std::unique_ptr<UCollator, CollatorClose> exact, caseless;
    auto& slot = ignoreCase ? caseless : exact;
    if (!slot) {
        const Icu& functions = icu();
        if (!functions.open) return nullptr;
        UErrorCode status = U_ZERO_ERROR;
        slot.reset(functions.open("de", &status));
        if (U_FAILURE(status)) {
            slot.reset();
            return nullptr;
        }
        // Secondary strength tells accents apart but not letter case.
        functions.setStrength(slot.get(), ignoreCase ? UCOL_SECONDARY : UCOL_TERTIARY);
    }
    return slot.get();
}

std::string textOf(LPCSTR text, int count) {
    if (!text) return {};
    const size_t length = count < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(count));
    return winapi::cp1252ToUtf8(std::string_view(text, length));
}

// -1, 0 or 1; a plain byte comparison when ICU has no collator for us.
int collate(const std::string& a, const std::string& b, bool ignoreCase) {
    if (UCollator* collator = germanCollator(ignoreCase)) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult r =
            icu().strcollUTF8(collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                             static_cast<int32_t>(b.size()), &status);
        if (U_SUCCESS(status)) return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
    }
    const int r = a.compare(b);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

}  // namespace

extern "C" {

int WINAPI CompareStringA(LCID, DWORD dwCmpFlags, LPCSTR lpString1, int cchCount1,
                          LPCSTR lpString2, int cchCount2) {
    if (!lpString1 || !lpString2 || (dwCmpFlags & ~static_cast<DWORD>(NORM_IGNORECASE))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CSTR_EQUAL + collate(textOf(lpString1, cchCount1), textOf(lpString2, cchCount2),
                                (dwCmpFlags & NORM_IGNORECASE) != 0);
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
    return collate(textOf(lpString1 ? lpString1 : "", -1), textOf(lpString2 ? lpString2 : "", -1),
                   true);
}

}  // extern "C"
