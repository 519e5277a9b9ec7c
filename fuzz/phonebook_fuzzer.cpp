// Fuzzes the remote-access phonebook: a file that reads must be written back (as every edit
// writes it) into a file that reads as the same entries, and writing that again changes nothing;
// values that callers store (user names, numbers: texts from outside) must read back as stored
// and never add lines of their own to the file.
#include "fuzz_check.h"
#include "phonebook.h"

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

using winapi::ras::Phonebook;

namespace {

bool sameBook(const Phonebook& a, const Phonebook& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].values != b[i].values) return false;
    return true;
}

// The input's texts between zero bytes, stored as the values of one entry's known keys.
void storedValuesReadBack(std::string_view bytes) {
    static constexpr const char* kKeys[] = {"PhoneNumber", "User", "Domain", "Device", "AreaCode"};
    Phonebook book(1);
    book[0].name = "Lumora";
    size_t index = 0;
    while (!bytes.empty()) {
        const size_t end = std::min(bytes.find('\0'), bytes.size());
        book[0].set(kKeys[index++ % std::size(kKeys)], bytes.substr(0, end));
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
    }
    Phonebook again;
    FUZZ_CHECK(winapi::ras::parsePhonebook(winapi::ras::formatPhonebook(book), again));
    FUZZ_CHECK(again.size() == 1);
    for (const auto& [key, value] : book[0].values) FUZZ_CHECK(again[0].get(key) == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    storedValuesReadBack(bytes);
    Phonebook book;
    if (!winapi::ras::parsePhonebook(bytes, book)) return 0;
    for (const auto& entry : book) FUZZ_CHECK(winapi::ras::findEntry(book, entry.name) != nullptr);
    const std::string written = winapi::ras::formatPhonebook(book);
    Phonebook again;
    FUZZ_CHECK(winapi::ras::parsePhonebook(written, again));
    FUZZ_CHECK(sameBook(again, book));
    FUZZ_CHECK(winapi::ras::formatPhonebook(again) == written);
    return 0;
}
