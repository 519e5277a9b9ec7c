// A phonebook entry made through the dial-up binding, as the setup wizard makes the provider's.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <ras.h>

#include <cstdlib>
#include <cstring>

#include "ras_api.h"
#include "ras_calls.h"

inline void makeDialEntry(const char* name, const char* device) {
    RASENTRYA* entry = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(getEntryProperties("", &entry, &size));
    std::strcpy(entry->szLocalPhoneNumber, "0191011");
    std::strcpy(entry->szDeviceType, "modem");
    std::strcpy(entry->szDeviceName, device);
    EXPECT_EQ(rasApi().pRasSetEntryProperties(nullptr, name, entry, size, nullptr, 0), 0u);
    std::free(entry);
}
