// The registry functions (advapi32): keys, values, the buffer-size protocols, enumeration,
// deletion rules and errors, as Windows NT has them.
#include <windows.h>

#include <gtest/gtest.h>

#include "testenv.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const BYTE* bytes(const char* text) { return reinterpret_cast<const BYTE*>(text); }

// Each test works below a key of its own under HKEY_CURRENT_USER.
class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = lumora_test::uniqueKey("reg");
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override { RegCloseKey(key_); }

    HKEY create(const char* name, HKEY parent = nullptr) {
        HKEY sub = nullptr;
        EXPECT_EQ(RegCreateKeyA(parent ? parent : key_, name, &sub), ERROR_SUCCESS) << name;
        return sub;
    }
    void setString(HKEY key, const char* name, const char* text) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, bytes(text), DWORD(std::strlen(text) + 1)),
                  ERROR_SUCCESS);
    }
    std::string enumValueName(HKEY key, DWORD index) {
        char name[64];
        DWORD size = sizeof name;
        LSTATUS result = RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        return result == ERROR_SUCCESS ? std::string(name, size) : "<" + std::to_string(result) + ">";
    }
    std::string enumKeyName(HKEY key, DWORD index) {
        char name[300];
        LSTATUS result = RegEnumKeyA(key, index, name, sizeof name);
        return result == ERROR_SUCCESS ? std::string(name) : "<" + std::to_string(result) + ">";
    }

    HKEY key_ = nullptr;
    std::string path_;
};

// ---------------------------------------------------------------------------------------------
// Creating and opening keys

TEST_F(Registry, CreateTellsNewKeysFromExistingOnesAndCreatesWholePaths) {
    HKEY sub = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(key_, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
    RegCloseKey(sub);
    ASSERT_EQ(RegCreateKeyExA(key_, "SUB", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
    RegCloseKey(sub);

    ASSERT_EQ(RegCreateKeyExA(key_, "a\\b\\c", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
    RegCloseKey(sub);
    ASSERT_EQ(RegOpenKeyExA(key_, "A\\B", 0, KEY_READ, &sub), ERROR_SUCCESS);
    EXPECT_EQ(enumKeyName(sub, 0), "c");
    RegCloseKey(sub);
}

TEST_F(Registry, PathsMayNotStartWithABackslashButMayEndWithThem) {
    HKEY sub = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegCreateKeyExA(key_, "\\Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ("\\" + path_).c_str(), 0, KEY_READ, &sub),
              ERROR_BAD_PATHNAME);
    ASSERT_EQ(RegCreateKeyA(key_, "Trailing\\\\", &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    ASSERT_EQ(RegOpenKeyExA(key_, "Trailing\\", 0, KEY_READ, &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
}

TEST_F(Registry, ResultPointersAreRequired) {
    // Wine 8 writes through the null pointers; Windows (and later Wine) refuses them.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(RegCreateKeyExA(key_, "x", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, nullptr, nullptr),
                  ERROR_BADKEY);
        EXPECT_EQ(RegCreateKeyA(key_, "x", nullptr), ERROR_INVALID_PARAMETER);
        EXPECT_EQ(RegOpenKeyExA(key_, "x", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(RegOpenKeyA(key_, "x", nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, AnEmptySubkeyNameOpensTheKeyItself) {
    HKEY again = nullptr;
    ASSERT_EQ(RegOpenKeyExA(key_, "", 0, KEY_ALL_ACCESS, &again), ERROR_SUCCESS);
    EXPECT_NE(again, key_);  // a new handle to the same key
    setString(again, "through", "the second handle");
    EXPECT_EQ(RegQueryValueExA(key_, "through", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(again);

    HKEY same = nullptr;
    ASSERT_EQ(RegOpenKeyA(key_, "", &same), ERROR_SUCCESS);
    EXPECT_EQ(same, key_);  // RegOpenKeyA hands the key back
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, nullptr, &same), ERROR_SUCCESS);
    EXPECT_EQ(same, HKEY_CURRENT_USER);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, &same), ERROR_SUCCESS);
    EXPECT_EQ(same, HKEY_LOCAL_MACHINE);
}

TEST_F(Registry, OpeningAMissingKeyFailsWithoutCreatingIt) {
    HKEY sub = key_;
    EXPECT_EQ(RegOpenKeyExA(key_, "Missing", 0, KEY_READ, &sub), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(sub, nullptr);
    sub = key_;
    EXPECT_EQ(RegOpenKeyA(key_, "Missing\\Deeper", &sub), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(sub, nullptr);
    EXPECT_EQ(enumKeyName(key_, 0), "<" + std::to_string(ERROR_NO_MORE_ITEMS) + ">");
}

TEST_F(Registry, KeyNamesIgnoreWindows1252LetterCaseAndKeepTheirOwn) {
    RegCloseKey(create("\xC4nderung \xDC" "ber"));  // Änderung Über
    HKEY sub = nullptr;
    ASSERT_EQ(RegOpenKeyExA(key_, "\xE4NDERUNG \xFC" "BER", 0, KEY_READ, &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    EXPECT_EQ(enumKeyName(key_, 0), "\xC4nderung \xDC" "ber");
}

TEST_F(Registry, KeyNamesMayHave256Characters) {
    const std::string longest(256, 'k');
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyA(key_, longest.c_str(), &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    char name[300];
    DWORD size = 256;
    EXPECT_EQ(RegEnumKeyExA(key_, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKeyA(key_, 0, name, 257), ERROR_SUCCESS);
    EXPECT_EQ(std::strlen(name), 256u);
    // Wine 8 answers ERROR_MORE_DATA; Windows (and later Wine) ERROR_INVALID_PARAMETER.
    const std::string tooLong(300, 'k');
    if (lumora_test::onLinux()) {
        EXPECT_EQ(RegCreateKeyA(key_, tooLong.c_str(), &sub), ERROR_INVALID_PARAMETER);
    }
    EXPECT_NE(RegOpenKeyA(key_, tooLong.c_str(), &sub), ERROR_SUCCESS);
}

TEST(RegistryRoots, ClassesRootIsTheMachinesSoftwareClasses) {
    const std::string unique = lumora_test::uniqueKey("cls");
    const std::string name = "LumoraTest." + unique.substr(unique.rfind('\\') + 1);
    HKEY machine = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, ("Software\\Classes\\" + name).c_str(), &machine),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(machine, nullptr, 0, REG_SZ, bytes("handler"), 8), ERROR_SUCCESS);
    HKEY classes = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, &classes), ERROR_SUCCESS);
    char data[16] = {};
    DWORD size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(classes, "", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(data, "handler");
    RegCloseKey(classes);
    RegCloseKey(machine);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, name.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("Software\\Classes\\" + name).c_str(), 0, KEY_READ,
                            &machine),
              ERROR_FILE_NOT_FOUND);
}

// ---------------------------------------------------------------------------------------------
// Handles

TEST(RegistryHandles, InvalidHandlesAreRejected) {
    const HKEY bogus = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x0ABCDEF0));
    HKEY result = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x44));
    char name[8];
    DWORD size = sizeof name;
    EXPECT_EQ(RegOpenKeyExA(nullptr, "", 0, KEY_READ, &result), ERROR_INVALID_HANDLE);
    EXPECT_EQ(result, reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x44)));  // left alone
    EXPECT_EQ(RegOpenKeyExA(bogus, "x", 0, KEY_READ, &result), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCreateKeyA(bogus, "x", &result), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(bogus, "v", 0, REG_SZ, bytes("x"), 2), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(bogus, "v", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumValueA(bogus, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumKeyA(bogus, 0, name, sizeof name), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteValueA(bogus, "v"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteKeyA(bogus, "x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryInfoKeyA(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegFlushKey(bogus), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, ClosingTwiceFailsAndPredefinedKeysStayOpen) {
    HKEY sub = create("Sub");
    EXPECT_EQ(RegCloseKey(sub), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(sub), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    HKEY again = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &again), ERROR_SUCCESS);
    RegCloseKey(again);
}

TEST_F(Registry, HandlesCarryTheRightsTheyWereOpenedWith) {
    setString(key_, "v", "data");
    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &reader), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(reader, "w", 0, REG_SZ, bytes("x"), 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(reader, "v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueExA(reader, "v", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(reader);

    HKEY writer = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_SET_VALUE, &writer),
              ERROR_SUCCESS);
    char name[8];
    DWORD size = sizeof name;
    EXPECT_EQ(RegQueryValueExA(writer, "v", nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegEnumValueA(writer, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegEnumKeyA(writer, 0, name, sizeof name), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueExA(writer, "w", 0, REG_SZ, bytes("x"), 2), ERROR_SUCCESS);
    // Creating below a key does not depend on the rights of the parent's handle.
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(writer, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(sub);
    RegCloseKey(writer);
}

// ---------------------------------------------------------------------------------------------
// Values

TEST_F(Registry, ValuesKeepTheirTypesAndBytes) {
    struct Sample {
        const char* name;
        DWORD type;
        std::string data;
    };
    const DWORD number = 0x12345678;
    const std::vector<Sample> samples = {
        {"sz", REG_SZ, std::string("Verbindung\0", 11)},
        {"expand", REG_EXPAND_SZ, std::string("%WINDIR%\\telephon.ini\0", 22)},
        {"dword", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4)},
        {"binary", REG_BINARY, std::string("\x00\x01\xFE\xFF\x00", 5)},
        {"multi", REG_MULTI_SZ, std::string("COM1\0COM2\0\0", 11)},
        {"empty", REG_BINARY, std::string()},
        {"none", REG_NONE, std::string("\x01\x02", 2)},
    };
    for (const auto& s : samples)
        ASSERT_EQ(RegSetValueExA(key_, s.name, 0, s.type, bytes(s.data.data()), DWORD(s.data.size())),
                  ERROR_SUCCESS)
            << s.name;
    for (const auto& s : samples) {
        char data[64];
        std::memset(data, 0x55, sizeof data);
        DWORD type = 0xdeadbeef;
        DWORD size = sizeof data;
        ASSERT_EQ(RegQueryValueExA(key_, s.name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
                  ERROR_SUCCESS)
            << s.name;
        EXPECT_EQ(type, s.type) << s.name;
        EXPECT_EQ(std::string(data, size), s.data) << s.name;
    }
}

TEST_F(Registry, ValueNamesIgnoreLetterCaseAndKeepTheirOwn) {
    setString(key_, "MixedCase", "first");
    setString(key_, "MIXEDCASE", "second");  // the same value
    char data[16];
    DWORD size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(key_, "mixedcase", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(data, "second");
    EXPECT_EQ(enumValueName(key_, 0), "MixedCase");
    EXPECT_EQ(enumValueName(key_, 1), "<" + std::to_string(ERROR_NO_MORE_ITEMS) + ">");

    setString(key_, "\xC4rger", "umlaut");  // Ärger
    EXPECT_EQ(RegQueryValueExA(key_, "\xE4RGER", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
}

TEST_F(Registry, TheDefaultValueIsNamedByNullOrAnEmptyName) {
    ASSERT_EQ(RegSetValueExA(key_, nullptr, 0, REG_SZ, bytes("default"), 8), ERROR_SUCCESS);
    char data[16];
    DWORD size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(key_, "", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(data, "default");
    EXPECT_EQ(enumValueName(key_, 0), "");
    EXPECT_EQ(RegDeleteValueA(key_, ""), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key_, nullptr, nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key_, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, QueryReportsTheSizeAndRefusesSmallBuffers) {
    setString(key_, "Test", "foobar");
    DWORD type = 0;
    DWORD size = 0xdeadbeef;
    ASSERT_EQ(RegQueryValueExA(key_, "Test", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(type, DWORD(REG_SZ));

    char data[16];
    std::memset(data, 'x', sizeof data);
    size = 3;
    EXPECT_EQ(RegQueryValueExA(key_, "Test", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(std::string(data, 7), "xxxxxxx");  // untouched

    size = 7;
    EXPECT_EQ(RegQueryValueExA(key_, "Test", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 7u);
    EXPECT_STREQ(data, "foobar");

    const DWORD number = 42;
    ASSERT_EQ(RegSetValueExA(key_, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4),
              ERROR_SUCCESS);
    size = 2;
    EXPECT_EQ(RegQueryValueExA(key_, "Number", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);

    EXPECT_EQ(RegQueryValueExA(key_, "Test", nullptr, nullptr, reinterpret_cast<BYTE*>(data), nullptr),
              ERROR_INVALID_PARAMETER);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(key_, "Test", &reserved, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, QueryOfAMissingValueReportsSizeZeroOnlyWithoutABuffer) {
    DWORD size = 0xdeadbeef;
    EXPECT_EQ(RegQueryValueExA(key_, "Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 0u);
    char data[8];
    size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key_, "Missing", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, sizeof data);
}

TEST_F(Registry, StringsCountedWithoutTheirNulAreStoredAsWindowsNtDoes) {
    static const char text[] = "FullString";
    BYTE buffer[16];
    // One short: Windows NT sees the NUL after the given length and counts it.
    ASSERT_EQ(RegSetValueExA(key_, "s", 0, REG_SZ, bytes(text), sizeof text - 1), ERROR_SUCCESS);
    DWORD size = sizeof text - 1;
    EXPECT_EQ(RegQueryValueExA(key_, "s", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, DWORD(sizeof text));

    // Two short: no NUL follows, the string is stored without one.
    const DWORD length = sizeof text - 2;
    ASSERT_EQ(RegSetValueExA(key_, "s", 0, REG_SZ, bytes(text), length), ERROR_SUCCESS);
    size = 0;
    ASSERT_EQ(RegQueryValueExA(key_, "s", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, length);
    // Read into an exact buffer it stays unterminated ...
    std::memset(buffer, 0xbd, sizeof buffer);
    size = length;
    ASSERT_EQ(RegQueryValueExA(key_, "s", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, length);
    EXPECT_EQ(std::memcmp(buffer, text, length), 0);
    EXPECT_EQ(buffer[length], 0xbd);
    // ... and gets a NUL, not counted, when there is room.
    size = length + 1;
    ASSERT_EQ(RegQueryValueExA(key_, "s", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, length);
    EXPECT_EQ(buffer[length], 0);
    // Enumeration treats it the same way.
    std::memset(buffer, 0xbd, sizeof buffer);
    char name[8];
    DWORD nameSize = sizeof name;
    size = length + 1;
    ASSERT_EQ(RegEnumValueA(key_, 0, name, &nameSize, nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, length);
    EXPECT_EQ(buffer[length], 0);
}

TEST_F(Registry, AZeroByteStringStaysEmpty) {
    ASSERT_EQ(RegSetValueExA(key_, "empty", 0, REG_SZ, bytes(""), 0), ERROR_SUCCESS);
    BYTE buffer[4] = {0xbd, 0xbd, 0xbd, 0xbd};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExA(key_, "empty", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(buffer[0], 0xbd);
    // No data at all is a value too.
    ASSERT_EQ(RegSetValueExA(key_, "nothing", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key_, "nothing", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
}

TEST_F(Registry, ValueNamesMayHave16383Characters) {
    const std::string longest(16383, 'v');
    ASSERT_EQ(RegSetValueExA(key_, longest.c_str(), 0, REG_SZ, bytes("x"), 2), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key_, longest.c_str(), nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    DWORD maxName = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &maxName, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(maxName, 16383u);
    const std::string tooLong(16384, 'v');
    EXPECT_NE(RegSetValueExA(key_, tooLong.c_str(), 0, REG_SZ, bytes("x"), 2), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key_, std::string(400, 'w').c_str()), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DeletingAValueRemovesOnlyIt) {
    setString(key_, "keep", "1");
    setString(key_, "drop", "2");
    EXPECT_EQ(RegDeleteValueA(key_, "DROP"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key_, "drop", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key_, "keep", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key_, "drop"), ERROR_FILE_NOT_FOUND);
}

// ---------------------------------------------------------------------------------------------
// Enumeration

TEST_F(Registry, ValuesEnumerateInTheOrderTheyWereCreated) {
    for (const char* name : {"A", "C", "D", "B"}) setString(key_, name, name);
    std::vector<std::string> names;
    for (DWORD i = 0; i < 4; ++i) names.push_back(enumValueName(key_, i));
    EXPECT_EQ(enumValueName(key_, 4), "<" + std::to_string(ERROR_NO_MORE_ITEMS) + ">");
    // Wine sorts values by name; Windows keeps them in creation order.
    if (lumora_test::onLinux()) {
        EXPECT_EQ(names, (std::vector<std::string>{"A", "C", "D", "B"}));
        setString(key_, "A", "again");  // keeps its place
        ASSERT_EQ(RegDeleteValueA(key_, "C"), ERROR_SUCCESS);
        names.clear();
        for (DWORD i = 0; i < 3; ++i) names.push_back(enumValueName(key_, i));
        EXPECT_EQ(names, (std::vector<std::string>{"A", "D", "B"}));
    }
}

TEST_F(Registry, EnumValueWritesNothingWhenABufferIsTooSmall) {
    ASSERT_EQ(RegSetValueExA(key_, "Test", 0, REG_SZ, bytes("foobar"), 7), ERROR_SUCCESS);
    char name[20];
    char data[20];
    DWORD nameSize = 20;
    DWORD dataSize = 2;
    DWORD type = 0;
    std::strcpy(name, "xxxxxxxxxx");
    std::strcpy(data, "xxxxxxxxxx");
    EXPECT_EQ(RegEnumValueA(key_, 0, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data),
                            &dataSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(nameSize, 20u);
    EXPECT_EQ(dataSize, 7u);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_STREQ(name, "xxxxxxxxxx");
    EXPECT_STREQ(data, "xxxxxxxxxx");

    nameSize = 4;  // "Test" needs 5 with its NUL
    dataSize = 20;
    EXPECT_EQ(RegEnumValueA(key_, 0, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data),
                            &dataSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(nameSize, 4u);
    EXPECT_EQ(dataSize, 7u);

    nameSize = 5;
    dataSize = 20;
    ASSERT_EQ(RegEnumValueA(key_, 0, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data),
                            &dataSize),
              ERROR_SUCCESS);
    EXPECT_EQ(nameSize, 4u);
    EXPECT_STREQ(name, "Test");
    EXPECT_EQ(dataSize, 7u);
    EXPECT_STREQ(data, "foobar");

    EXPECT_EQ(RegEnumValueA(key_, 0, nullptr, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegEnumValueA(key_, 0, name, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, SubkeysEnumerateByNameIgnoringCase) {
    for (const char* name : {"beta", "Alpha", "gamma", "DELTA"}) RegCloseKey(create(name));
    std::vector<std::string> names;
    for (DWORD i = 0; i < 4; ++i) names.push_back(enumKeyName(key_, i));
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "DELTA", "gamma"}));
    EXPECT_EQ(enumKeyName(key_, 4), "<" + std::to_string(ERROR_NO_MORE_ITEMS) + ">");
}

TEST_F(Registry, EnumKeyNeedsRoomForTheNul) {
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyExA(key_, "Alpha", 0, const_cast<char*>("Kind"), 0, KEY_ALL_ACCESS, nullptr,
                              &sub, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(sub);
    char name[8];
    DWORD size = 5;
    EXPECT_EQ(RegEnumKeyExA(key_, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(RegEnumKeyA(key_, 0, name, 5), ERROR_MORE_DATA);

    char className[8];
    DWORD classSize = sizeof className;
    FILETIME written = {};
    size = 6;
    ASSERT_EQ(RegEnumKeyExA(key_, 0, name, &size, nullptr, className, &classSize, &written),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_STREQ(name, "Alpha");
    EXPECT_EQ(classSize, 4u);
    EXPECT_STREQ(className, "Kind");
    EXPECT_TRUE(written.dwHighDateTime != 0 || written.dwLowDateTime != 0);
}

// ---------------------------------------------------------------------------------------------
// Key information

TEST_F(Registry, QueryInfoCountsSubkeysAndValuesAndTheirLongestNames) {
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyExA(key_, "subkey", 0, const_cast<char*>("subkey class"), 0, KEY_ALL_ACCESS,
                              nullptr, &sub, nullptr),
              ERROR_SUCCESS);
    HKEY subsub = nullptr;
    ASSERT_EQ(RegCreateKeyExA(sub, "subsubkey", 0, const_cast<char*>("subsubkey class"), 0,
                              KEY_ALL_ACCESS, nullptr, &subsub, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(subsub);
    setString(sub, nullptr, "data");
    setString(sub, "value one", "first value data");
    setString(sub, "value 2", "second value data");

    DWORD classLength = 0, subkeys = 0, maxSubkey = 0, maxClass = 0, values = 0, maxName = 0, maxData = 0;
    FILETIME written = {};
    ASSERT_EQ(RegQueryInfoKeyA(sub, nullptr, &classLength, nullptr, &subkeys, &maxSubkey, &maxClass,
                               &values, &maxName, &maxData, nullptr, &written),
              ERROR_SUCCESS);
    EXPECT_EQ(classLength, 12u);
    EXPECT_EQ(subkeys, 1u);
    EXPECT_EQ(maxSubkey, 9u);
    EXPECT_EQ(maxClass, 15u);
    EXPECT_EQ(values, 3u);
    EXPECT_EQ(maxName, 9u);
    // Windows stores strings as UTF-16 and reports that size.
    EXPECT_EQ(maxData, DWORD(sizeof("second value data") * 2));
    EXPECT_TRUE(written.dwHighDateTime != 0 || written.dwLowDateTime != 0);
    RegCloseKey(sub);
}

TEST_F(Registry, QueryInfoCopiesTheClassWhenItFitsWithItsNul) {
    static const char kClass[] = "subkey class";
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyExA(key_, "subkey", 0, const_cast<char*>(kClass), 0, KEY_ALL_ACCESS, nullptr,
                              &sub, nullptr),
              ERROR_SUCCESS);
    char buffer[32];
    EXPECT_EQ(RegQueryInfoKeyA(sub, buffer, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);

    std::memset(buffer, 0x55, sizeof buffer);
    DWORD length = 1;
    EXPECT_EQ(RegQueryInfoKeyA(sub, buffer, &length, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(buffer[0], 0);

    std::memset(buffer, 0x55, sizeof buffer);
    length = sizeof kClass - 1;
    EXPECT_EQ(RegQueryInfoKeyA(sub, buffer, &length, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    EXPECT_EQ(length, sizeof kClass - 2);
    EXPECT_STREQ(buffer, "subkey clas");

    std::memset(buffer, 0x55, sizeof buffer);
    length = sizeof kClass;
    EXPECT_EQ(RegQueryInfoKeyA(sub, buffer, &length, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(length, sizeof kClass - 1);
    EXPECT_STREQ(buffer, kClass);
    RegCloseKey(sub);
}

// ---------------------------------------------------------------------------------------------
// Deleting keys

TEST_F(Registry, OnlyKeysWithoutSubkeysCanBeDeleted) {
    HKEY parent = create("Parent");
    RegCloseKey(create("Child", parent));
    RegCloseKey(parent);
    EXPECT_EQ(RegDeleteKeyA(key_, "Parent"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(key_, "parent\\child"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(key_, "PARENT"), ERROR_SUCCESS);
    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key_, "Parent", 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(key_, "Parent"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(key_, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, DeletingWithAnEmptyNameDeletesTheKeyItself) {
    HKEY sub = create("Sub");
    EXPECT_EQ(RegDeleteKeyA(sub, ""), ERROR_SUCCESS);
    RegCloseKey(sub);
    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key_, "Sub", 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, AHandleToADeletedKeyReportsItUntilClosed) {
    HKEY sub = create("Doomed");
    setString(sub, "v", "x");
    ASSERT_EQ(RegDeleteKeyA(key_, "Doomed"), ERROR_SUCCESS);
    RegCloseKey(create("Doomed"));  // a new key of the same name is another key

    char buffer[16];
    DWORD size = sizeof buffer;
    HKEY other = nullptr;
    EXPECT_EQ(RegEnumValueA(sub, 0, buffer, &size, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumKeyA(sub, 0, buffer, sizeof buffer), ERROR_KEY_DELETED);
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(sub, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExA(sub, "v", 0, REG_SZ, bytes("y"), 2), ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKeyA(sub, "x", &other), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKeyA(sub, "x", &other), ERROR_KEY_DELETED);
    EXPECT_EQ(RegFlushKey(sub), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(sub), ERROR_SUCCESS);
}

TEST_F(Registry, KeysBelowAVolatileKeyMustBeVolatile) {
    HKEY temporary = nullptr;
    ASSERT_EQ(RegCreateKeyExA(key_, "Volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &temporary, nullptr),
              ERROR_SUCCESS);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(temporary, "Lasting", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_CHILD_MUST_BE_VOLATILE);
    ASSERT_EQ(RegCreateKeyExA(temporary, "Lasting", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &sub, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(sub);
    // An existing key opens whatever the options say.
    EXPECT_EQ(RegCreateKeyExA(temporary, "Lasting", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(sub);
    RegCloseKey(temporary);
}

TEST_F(Registry, FailuresLeaveTheLastErrorAlone) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(RegQueryValueExA(key_, "Missing", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    HKEY sub = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key_, "Missing", 0, KEY_READ, &sub), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegFlushKey(key_), ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
}

}  // namespace
