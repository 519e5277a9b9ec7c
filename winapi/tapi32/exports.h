// The functions tapi32 exports by their Windows names; the rest stays inside the library.
#pragma once

#define TAPI_EXPORT extern "C" __attribute__((visibility("default")))

namespace winapi::tapi {

// The API versions a caller may ask for: 1.4 to 2.2.
inline constexpr DWORD kLowestVersion = 0x00010004;
inline constexpr DWORD kHighestVersion = 0x00020002;
inline bool supportedVersion(DWORD version) {
    return version >= kLowestVersion && version <= kHighestVersion;
}

}  // namespace winapi::tapi
