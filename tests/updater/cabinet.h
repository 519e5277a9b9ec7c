// Writes small uncompressed cabinets, so that the tests of mode 2 need no cabinet tool.
#pragma once

#include <string>
#include <utility>
#include <vector>

// The bytes of a cabinet holding the files (name, content) in one uncompressed folder.
std::string makeCabinet(const std::vector<std::pair<std::string, std::string>>& files);
