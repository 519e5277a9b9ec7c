// Module handles shared inside winapi: the main program and the libraries LoadLibraryA loaded.
// Implemented with the module functions of kernel32; string tables (LoadStringA) use it to find
// the table of a module.
#pragma once

#include <windows.h>

#include <string>

namespace winapi {

// Host path of the module's file; hModule NULL is the main program. Empty when unknown.
std::string modulePath(HMODULE hModule);

// Host path of the module (program or shared library) whose code or data holds `address`.
std::string modulePathContaining(const void* address);

}  // namespace winapi
