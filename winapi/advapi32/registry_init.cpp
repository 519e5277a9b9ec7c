// Temporary: the registry template import lands with the registry implementation.
#include "prefix.h"
namespace winapi { bool initialiseRegistry(const std::string&) { return true; } }
