// The telephony binding: "TAPI32.DLL" is loaded on first use, once, and each function is looked
// up by its plain name when first called. The wrappers carry the TAPI names and signatures
// (declared by <tapi.h>), so the rest of the program calls them as if they were linked; an
// unavailable function answers LINEERR_OPERATIONUNAVAIL (tapiGetLocationInfo:
// TAPIERR_REQUESTFAILED), now and on every later call.
#pragma once

#include <windows.h>

#include <tapi.h>

enum class TapiState { NotYet, Done, Failed };

struct TapiApiTable {
    HMODULE library = nullptr;
    TapiState libraryState = TapiState::NotYet;

    struct Entry {
        FARPROC pointer = nullptr;
        TapiState state = TapiState::NotYet;
    };
    Entry lineGetCountry, lineGetProviderList, lineGetTranslateCaps, lineInitialize,
        lineShutdown, tapiGetLocationInfo;
};

// The process's table.
TapiApiTable& tapiApi();
