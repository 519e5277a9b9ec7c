// Stand-ins for the parts this build does not contain yet.
#include "unavailable_parts.h"

#include "trace.h"

namespace {

void notAvailable(const char* operation, const std::string& argument = std::string()) {
    traceLine("%s (%s): not available in this build\n", operation, argument.c_str());
}

}  // namespace

void UnavailableDialogFallback::handleDialogFallback() { notAvailable("handleDialogFallback"); }
