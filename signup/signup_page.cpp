// Patching the signup start page.
#include "signup_page.h"

#include "file_bytes.h"
#include "files.h"
#include "registry.h"
#include "trace.h"

namespace {

constexpr const char* kStartMarker = "<!-- Start of SignupURL --->";
constexpr const char* kEndMarker = "<!-- End of SignupURL --->";
// A page is read whole; signup pages are small.
constexpr size_t kMaxPageSize = 4 * 1024 * 1024;

}  // namespace

std::string patchedSignupText(const std::string& page, const std::string& extension) {
    const size_t start = page.find(kStartMarker);
    if (start == std::string::npos) return "";
    traceLine("start marker: \"%s\" found\n", kStartMarker);
    const size_t afterStart = start + std::string(kStartMarker).size();
    const size_t end = page.find(kEndMarker, afterStart);
    if (end == std::string::npos) return "";
    traceLine("end marker: \"%s\" found\n", kEndMarker);
    // Only an assignment between the markers is the address's: an "=" further down belongs to
    // the rest of the page, which would otherwise be written twice.
    const size_t equals = page.find('=', afterStart);
    if (equals == std::string::npos || equals > end) return "";
    return page.substr(0, equals) + "= \"" + extension + "\"\r\n" + page.substr(end);
}

void patchSignupHtml(const std::string& htmlPath, const std::string& programName) {
    const std::string key = "Software\\" + programName;
    const std::string extension = regReadString(key.c_str(), "SignupUrlExtension", " ");
    if (extension == " ") {
        traceLine("key: SignupUrlExtension not found\n");
        return;
    }
    if (!fileExists(htmlPath.c_str())) {
        traceLine("patchSignupHtml() - file: \"%s\" not found. This is ok.\n", htmlPath.c_str());
        return;
    }
    std::string page;
    if (!readFileBytes(htmlPath, page, kMaxPageSize)) {
        traceLine("unable to read file: \"%s\"\n", htmlPath.c_str());
        return;
    }
    const std::string patched = patchedSignupText(page, extension);
    if (patched.empty()) return;
    traceLine("patching line...\n");
    writeFileBytes(htmlPath, patched);
    traceLine("...done patching line\n");
}
