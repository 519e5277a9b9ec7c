// Whole files as bytes, through the system's file functions, for the signup file, its working
// copy, the profile files written from it and the signup page.
#pragma once

#include <cstddef>
#include <string>

// True when the whole file was read: the bytes read are as many as its size says. Files larger
// than `limit` are not read; `tooLarge` (when given) tells that case.
bool readFileBytes(const std::string& path, std::string& bytes, size_t limit,
                   bool* tooLarge = nullptr);
// Creates the file anew with exactly these bytes; true when all were written.
bool writeFileBytes(const std::string& path, const std::string& bytes);
