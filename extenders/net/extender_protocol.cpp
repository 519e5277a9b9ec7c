// The extender entry protocol (see extender_protocol.h).
#include "extender_protocol.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

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
                      bool& versionAccepted) {
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
        record->name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(row.name[i])));
    record->name[length] = '\0';
    return 1;
}
