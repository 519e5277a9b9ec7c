// Fuzzes the remote-access phonebook: a file that reads must be written back (as every edit
// writes it) into a file that reads as the same entries, and writing that again changes nothing.
#include "fuzz_check.h"
#include "phonebook.h"

#include <cstddef>
#include <cstdint>
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
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
