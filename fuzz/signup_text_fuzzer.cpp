// Fuzzes what the browser center does with the text of a signup file before it applies one, and
// with the signup page it patches: the refusal of what is no signup file, the line ends of the
// working copy, the raw profile sections cut out of it, and the replacement between the page's
// markers. Each answer must keep to what its callers rely on.
#include "fuzz_check.h"
#include "signup_page.h"
#include "signup_text.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

size_t count(const std::string& text, char c) {
    size_t n = 0;
    for (char t : text) n += t == c;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // A text that is accepted has only text bytes.
    if (signupTextProblem(text).empty()) {
        FUZZ_CHECK(text.size() <= kMaxSignupFileSize);
        FUZZ_CHECK(text.find('\0') == std::string::npos);
    }

    // The copy's line ends: as many CR as LF, nothing but line ends changed, and a second pass
    // changes nothing.
    const std::string copy = normaliseLineEnds(text);
    FUZZ_CHECK(count(copy, '\r') == count(copy, '\n'));
    FUZZ_CHECK(count(copy, '\n') == count(text, '\n'));
    FUZZ_CHECK(copy.size() - count(copy, '\r') == text.size() - count(text, '\r'));
    FUZZ_CHECK(normaliseLineEnds(copy) == copy);

    // A raw section is the text right after the first header, up to a line beginning with "[".
    for (const char* header : {"[Bookmark]", "[PrefsJs]"}) {
        const std::string section = rawSection(copy, header);
        const size_t at = copy.find(header);
        if (at == std::string::npos) {
            FUZZ_CHECK(section.empty());
            continue;
        }
        const size_t start = at + std::string(header).size();
        FUZZ_CHECK(copy.compare(start, section.size(), section) == 0);
        FUZZ_CHECK(section.find("\r\n[") == std::string::npos);
        const size_t end = start + section.size();
        FUZZ_CHECK(end == copy.size() || copy.compare(end, 3, "\r\n[") == 0);
    }

    // The page: either unchanged (empty answer) or the text up to the "=", the quoted
    // extension, and the rest from the end marker on, which is kept whole.
    const std::string extension = "http://anmeldung.example/?k=1";
    const std::string patched = patchedSignupText(text, extension);
    if (!patched.empty()) {
        const std::string endMarker = "<!-- End of SignupURL --->";
        const size_t end = text.find(endMarker, text.find("<!-- Start of SignupURL --->"));
        FUZZ_CHECK(end != std::string::npos);
        const std::string rest = text.substr(end);
        FUZZ_CHECK(patched.size() >= rest.size());
        FUZZ_CHECK(patched.compare(patched.size() - rest.size(), rest.size(), rest) == 0);
        FUZZ_CHECK(patched.find("= \"" + extension + "\"\r\n" + rest) != std::string::npos);
        FUZZ_CHECK(patched.size() <= text.size() + extension.size() + 5);
    }
    return 0;
}
