// Fuzzes profile (.ini) text: setting a value must make exactly that value readable and leave every
// other section as it was, and the profile functions must keep to their callers' buffers (a
// result that fits, a terminating zero inside the buffer) whatever the file holds.
#include "fuzz_check.h"
#include "cp1252.h"
#include "profile_text.h"
#include "scratch_prefix.h"

#include <windows.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

using winapi::ProfileText;

namespace {

// A section or key name the file syntax can always carry: no brackets, "=", ";", blanks or
// line breaks; letters of Windows-1252 beyond ASCII included.
std::string nameFrom(FuzzedDataProvider& input) {
    static constexpr char kLetters[] = "abcXYZ09_.\xe4\xc4\xfc";
    std::string name(1 + input.ConsumeIntegralInRange<size_t>(0, 6), 'a');
    for (char& c : name) c = kLetters[input.ConsumeIntegralInRange<size_t>(0, sizeof kLetters - 2)];
    return name;
}

// A value as a caller writes it: no line breaks, no blanks around it (they are not kept).
std::string valueFrom(FuzzedDataProvider& input) {
    std::string value = input.ConsumeRandomLengthString(40);
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    return std::string(winapi::trimProfileBlanks(value));
}

// Calls one of the reading functions with a buffer of exactly `size` bytes and checks the
// buffer protocol: the result fits and the text ends inside the buffer.
void readWithBuffer(int which, const std::string& section, const std::string& key, DWORD size) {
    std::vector<char> buffer(size, '\x7f');
    DWORD result = 0;
    bool list = false;
    switch (which) {
    case 0:
        result = GetPrivateProfileStringA(section.c_str(), key.c_str(), "fallback", buffer.data(),
                                          size, "C:\\fuzz.ini");
        break;
    case 1:
        result = GetPrivateProfileSectionNamesA(buffer.data(), size, "C:\\fuzz.ini");
        list = true;
        break;
    case 2:
        result = GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(), size,
                                          "C:\\fuzz.ini");
        list = true;
        break;
    default:
        result = GetPrivateProfileSectionA(section.c_str(), buffer.data(), size, "C:\\fuzz.ini");
        list = true;
        break;
    }
    FUZZ_CHECK(result < size);
    FUZZ_CHECK(buffer[result] == '\0');
    // A list's items each end in a zero, and the list in one more; a list cut short ends in two
    // zeros at the buffer's end.
    if (list && result > 0)
        FUZZ_CHECK(buffer[result - 1] == '\0' || (result + 2 == size && buffer[result + 1] == '\0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string prefix = useScratchPrefix();
    FuzzedDataProvider input(data, size);
    const std::string section = nameFrom(input);
    const std::string key = nameFrom(input);
    const std::string value = valueFrom(input);
    const int which = input.ConsumeIntegralInRange<int>(0, 3);
    const DWORD bufferSize = input.ConsumeIntegralInRange<DWORD>(1, 48);
    const std::string file = input.ConsumeRemainingBytesAsString();

    const ProfileText text(file);
    const auto names = text.sectionNames();
    for (std::string_view name : names) FUZZ_CHECK(text.hasSection(name));

    // Setting a value: it reads back, and every other section keeps its lines.
    const ProfileText edited(text.withValue(section, key, value));
    std::string_view found;
    FUZZ_CHECK(edited.value(section, key, found));
    FUZZ_CHECK(found == value);
    size_t sameName = 0;
    for (std::string_view name : names) {
        if (winapi::equalsIgnoreCase(name, section)) {
            ++sameName;
            continue;
        }
        FUZZ_CHECK(edited.sectionLines(name) == text.sectionLines(name));
    }
    // Removing the only section of a name removes it.
    if (sameName <= 1) FUZZ_CHECK(!ProfileText(edited.withoutSection(section)).hasSection(section));

    std::ofstream(prefix + "/fuzz.ini", std::ios::binary | std::ios::trunc) << file;
    readWithBuffer(which, section, key, bufferSize);
    return 0;
}
