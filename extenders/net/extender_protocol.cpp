// The extender entry protocol (see extender_protocol.h).
#include "extender_protocol.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

ExtenderCall::ExtenderCall(PXLCALLBACK callback, DWORD_PTR contextA, DWORD_PTR contextB, const PXLHostBuffer* buffer,
                           LPSTR a1, LPSTR a2, LPSTR a3, LPSTR a4, LPSTR a5)
    : callback_(callback), contextA_(contextA), contextB_(contextB), buffer_(buffer), args_{a1, a2, a3, a4, a5} {}

const char* ExtenderCall::arg(int n) const {
    if (n < 1 || n > 5 || !args_[n - 1]) return "";
    return args_[n - 1];
}

long long ExtenderCall::number(int n) const { return parseNumber(arg(n)); }

LONG ExtenderCall::returnNumber(LONG value) const {
    return callback_ ? callback_(0, contextA_, contextB_, 0, value, nullptr) : 0;
}

LONG ExtenderCall::returnText(const std::string& text) const {
    return callback_ ? callback_(0, contextA_, contextB_, 1, 0, text.c_str()) : 0;
}

LONG ExtenderCall::returnError(LONG level, const std::string& message) const {
    return callback_ ? callback_(level, contextA_, contextB_, 1, static_cast<LONG>(message.size()), message.c_str())
                     : level;
}

bool ExtenderCall::inHostBuffer(unsigned long long address, unsigned long long length) const {
    if (!buffer_ || !buffer_->base) return false;
    const auto base = static_cast<unsigned long long>(reinterpret_cast<DWORD_PTR>(buffer_->base));
    return address >= base && address - base <= buffer_->size && length <= buffer_->size - (address - base);
}

long long parseNumber(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    unsigned long long value = 0;
    while (std::isdigit(static_cast<unsigned char>(*text))) {
        // Digits beyond what 64 bits hold are ignored rather than wrapping around.
        if (value < 100000000000000000ULL) value = value * 10 + static_cast<unsigned>(*text - '0');
        ++text;
    }
    return negative ? -static_cast<long long>(value) : static_cast<long long>(value);
}

bool isNone(const char* text) { return !text || !*text || std::strcmp(text, "0") == 0; }

LONG answerTableQuery(const ExtenderFunctionTable* table, const ExtenderCall& call, bool& firstQueryDone,
                      bool& versionAccepted, bool namesAsTheyStand) {
    if (!firstQueryDone) {
        firstQueryDone = true;
        // The host's version: a number above 1000 first, a second word, nothing in the third.
        const char* version = call.arg(3);
        char* end = nullptr;
        const unsigned long long number = std::strtoull(version, &end, 10);
        versionAccepted = *version && end != version && number > 1000 && number <= 0xffffffffULL &&
                          *call.arg(4) && !*call.arg(5);
    }
    auto* record = reinterpret_cast<PXLTableRecord*>(call.rawArg(1));
    const long long index = call.number(2);
    if (!record || index < 0) return 0;
    for (long long i = 0; i < index; ++i)
        if (table[i].id == kTableEnd) return 0;
    const ExtenderFunctionTable& row = table[index];
    if (row.id == kTableEnd) return 0;
    record->id = row.id;
    record->kind = row.kind;
    record->argWord = static_cast<DWORD>(row.argWord) | (static_cast<DWORD>(row.typeMask) << 16);
    size_t length = strnlen(row.name, sizeof row.name);
    record->nameLength = static_cast<WORD>(length);
    for (size_t i = 0; i < length; ++i)
        record->name[i] = namesAsTheyStand ? row.name[i]
                                           : static_cast<char>(std::tolower(static_cast<unsigned char>(row.name[i])));
    record->name[length] = '\0';
    return 1;
}

LONG answerDescription(const ExtenderCall& call, const std::string& text) {
    const long long room = call.number(2);
    char* out = call.rawArg(1);
    if (!out || room <= 0) return 0;
    const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(room) - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return 1;
}

namespace {

// The language file's text of message N in `section`, or "" when there is none.
std::string languageText(HMODULE module, const char* section, UINT id) {
    char language[32] = "";
    GetPrivateProfileStringA("MAIN", "Language", "", language, sizeof language, "PXLHOST.INI");
    if (!*language) GetPrivateProfileStringA("INTL", "sLanguage", "", language, sizeof language, "win.ini");
    if (!*language) std::strcpy(language, "enu");
    // Next to the extender, then in the places of the search path a host sees first: the
    // current folder and the Windows folder.
    const std::string name = std::string("PXLELANG.") + language;
    std::vector<std::string> folders;
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    if (length > 0 && length < sizeof path) {
        std::string folder(path, length);
        const size_t slash = folder.find_last_of("\\/");
        folders.push_back(folder.substr(0, slash == std::string::npos ? 0 : slash + 1));
    }
    if (GetCurrentDirectoryA(sizeof path, path) > 0) folders.push_back(std::string(path) + "\\");
    if (GetWindowsDirectoryA(path, sizeof path) > 0) folders.push_back(std::string(path) + "\\");
    std::string file;
    for (const auto& folder : folders) {
        if (GetFileAttributesA((folder + name).c_str()) != INVALID_FILE_ATTRIBUTES) {
            file = folder + name;
            break;
        }
    }
    if (file.empty()) return "";
    char text[1024] = "";
    const std::string key = "X" + std::to_string(id);
    GetPrivateProfileStringA(section, key.c_str(), "", text, sizeof text, file.c_str());
    return text;
}

}  // namespace

std::string extenderMessage(HMODULE module, const char* section, UINT id) {
    std::string text = id >= 100 ? languageText(module, section, id) : "";
    if (text.empty()) {
        char buffer[1024] = "";
        if (LoadStringA(module, id, buffer, sizeof buffer) > 0) text = buffer;
    }
    for (char& c : text) {
        if (c == '~') c = '\n';
        else if (c == '|') c = '\t';
    }
    return text;
}
