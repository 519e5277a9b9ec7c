// The functions rasapi32 exports by their Windows names; everything else in the library stays
// inside it, so GetProcAddress finds exactly what a Windows rasapi32 offers.
#pragma once

#define RASAPI_EXPORT extern "C" __attribute__((visibility("default")))

// The Windows 95 binding looks the entry functions up without the A.
#define RASAPI_UNSUFFIXED(name, suffixed) \
    extern "C" __attribute__((visibility("default"), alias(#suffixed))) decltype(suffixed) name;
