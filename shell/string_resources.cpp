// Reading the program's string table.
#include "string_resources.h"

#include <cstdlib>

std::string loadResourceString(UINT id) {
    char buffer[256];
    int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

int loadResourceNumber(UINT id) {
    return std::atoi(loadResourceString(id).c_str());
}

std::string loadResourceText(UINT id) {
    std::string text = loadResourceString(id);
    return text == " " ? std::string() : text;
}
