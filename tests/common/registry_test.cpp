// The registry routines shared by the programs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "registry.h"
#include "testenv.h"

namespace {

void setRaw(const std::string& key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(handle);
}

}  // namespace

TEST(RegistryText, WrittenTextIsReadBackAndMissingOnesGiveTheDefaultItself) {
    std::string key = lumora_test::uniqueKey("text");
    const char* fallback = "fallback";
    EXPECT_EQ(regReadString(key.c_str(), "Name", fallback), fallback);

    ASSERT_TRUE(regWriteString(key.c_str(), "Name", "Lumora Online"));
    EXPECT_STREQ(regReadString(key.c_str(), "Name", fallback), "Lumora Online");
    EXPECT_STREQ(regReadString(key.c_str(), "name", fallback), "Lumora Online");
    EXPECT_EQ(regReadString(key.c_str(), "Other", fallback), fallback);
    EXPECT_EQ(regReadString(key.c_str(), "Other", nullptr), nullptr);

    ASSERT_TRUE(regWriteString(key.c_str(), "Empty", ""));
    const char* empty = regReadString(key.c_str(), "Empty", fallback);
    ASSERT_NE(empty, fallback);
    EXPECT_STREQ(empty, "");
}

TEST(RegistryText, OnlyStringTypesAreTextAndExpandStringsStayUnexpanded) {
    std::string key = lumora_test::uniqueKey("types");
    const char expand[] = "%WINDIR%\\x";
    setRaw(key, "Expand", REG_EXPAND_SZ, expand, sizeof expand);
    EXPECT_STREQ(regReadString(key.c_str(), "Expand", "d"), "%WINDIR%\\x");

    ASSERT_TRUE(regWriteDword(key.c_str(), "Number", 7));
    const char* fallback = "d";
    EXPECT_EQ(regReadString(key.c_str(), "Number", fallback), fallback);
    EXPECT_EQ(regReadDword(key.c_str(), "Number", 9), 7u);
    EXPECT_EQ(regReadDword(key.c_str(), "Expand", 9), 9u);
    EXPECT_EQ(regReadDword(key.c_str(), "Missing", 9), 9u);
}

TEST(RegistryText, TextsLongerThanTheBufferAreRefusedNotCut) {
    std::string key = lumora_test::uniqueKey("long");
    std::string longest(kRegTextSize - 1, 'x');
    ASSERT_TRUE(regWriteString(key.c_str(), "Longest", longest.c_str()));
    EXPECT_EQ(regReadString(key.c_str(), "Longest", "d"), longest);

    std::string tooLong(kRegTextSize, 'y');
    ASSERT_TRUE(regWriteString(key.c_str(), "TooLong", tooLong.c_str()));
    const char* fallback = "d";
    EXPECT_EQ(regReadString(key.c_str(), "TooLong", fallback), fallback);
    // The same length stored without its terminating zero is as long.
    setRaw(key, "Unended", REG_SZ, tooLong.data(), static_cast<DWORD>(tooLong.size()));
    EXPECT_EQ(regReadString(key.c_str(), "Unended", fallback), fallback);
    setRaw(key, "Short", REG_SZ, "abc", 3);
    EXPECT_STREQ(regReadString(key.c_str(), "Short", fallback), "abc");
}

TEST(RegistryValues, BinaryDwordDeleteAndHive) {
    std::string key = lumora_test::uniqueKey("values");
    const BYTE bytes[] = {60, 0, 0, 0, 1, 0, 0, 0, 0xFF};
    ASSERT_TRUE(regWriteBinary(key.c_str(), "Blob", bytes, sizeof bytes));
    HKEY handle = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle), ERROR_SUCCESS);
    BYTE read[16] = {};
    DWORD type = 0, size = sizeof read;
    EXPECT_EQ(RegQueryValueExA(handle, "Blob", nullptr, &type, read, &size), ERROR_SUCCESS);
    RegCloseKey(handle);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(size, sizeof bytes);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(read), size),
              std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));

    EXPECT_TRUE(regDeleteValue(key.c_str(), "Blob"));
    EXPECT_FALSE(regDeleteValue(key.c_str(), "Blob"));
    EXPECT_FALSE(regDeleteValue((key + "\\Missing").c_str(), "Blob"));

    ASSERT_TRUE(regWriteString(key.c_str(), "Where", "machine", HKEY_LOCAL_MACHINE));
    EXPECT_STREQ(regReadString(key.c_str(), "Where", "none", HKEY_LOCAL_MACHINE), "machine");
    EXPECT_STREQ(regReadString(key.c_str(), "Where", "none", HKEY_CURRENT_USER), "none");
    EXPECT_TRUE(regDeleteValue(key.c_str(), "Where", HKEY_LOCAL_MACHINE));
}
