// The packed file archive's writer, used by packdat and by the archive fuzzer's round trip.
#pragma once

#include <filesystem>

// Packs every regular file below `folder` into `archive`. On failure says why on standard error,
// leaves no archive behind and returns false.
bool packFolder(const std::filesystem::path& folder, const std::filesystem::path& archive);
