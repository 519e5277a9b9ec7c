// Names the shell tests give their program, unique per test so that the registry key, the
// settings file and the instance counter of one test are its own.
#pragma once

#include <string>

#include "testenv.h"

inline std::string uniqueProgramName() {
    std::string key = lumora_test::uniqueKey("lmr");
    return key.substr(key.find_last_of('\\') + 1);
}
