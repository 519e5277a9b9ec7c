// The application handles that lineInitialize gives out in this process.
#pragma once

#include <windows.h>

#include <tapi.h>

namespace winapi::tapi {

HLINEAPP openApp();
bool closeApp(HLINEAPP app);
bool validApp(HLINEAPP app);

}  // namespace winapi::tapi
