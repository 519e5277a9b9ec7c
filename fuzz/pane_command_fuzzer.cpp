// Fuzzes the command protocol of the skin's pages: a URL goes through what the window does with
// a navigation (its command, the word of each pane's table, the parameters), and every answer
// must lie inside the limits the window relies on.
#include "fuzz_check.h"
#include "pane_command.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

const std::string kSkinFolder = "C:\\Programme\\Lumora\\skin\\";

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Where a pane is sent: the blank page, a web address or a file of the skin folder.
bool isPaneTarget(const std::string& url) {
    return url == "about:blank" || startsWith(url, "http://") || startsWith(url, kSkinFolder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    const auto command = paneCommandOf(url);
    const size_t marker = url.find(kCommandMarker);
    FUZZ_CHECK(command.has_value() == (marker != std::string::npos));
    if (!command) return 0;
    FUZZ_CHECK(url.size() == marker + std::strlen(kCommandMarker) + command->size());
    FUZZ_CHECK(url.compare(url.size() - command->size(), command->size(), *command) == 0);

    const int standard = standardCommandOf(*command);
    FUZZ_CHECK(standard >= 0 && standard <= kStandardCommandCount);
    if (standard) FUZZ_CHECK(command->find(standardCommandName(standard)) != std::string::npos);
    const PortalCommand portal = portalCommandOf(*command);
    FUZZ_CHECK(portal != PortalCommand::Standard || standard != 0);
    FUZZ_CHECK(titleBarCommandOf(*command) != TitleBarCommand::Unknown || command->find("CLOSE") == std::string::npos);
    FUZZ_CHECK(extraCommandOf(*command) != ExtraCommand::Unknown || command->find("CLOSE") == std::string::npos);

    for (const char* word : {"HTTP:", "LOCAL:", "MOVE:", "EXTRA:", "CONNECT"}) {
        const std::string parameters = parameterText(*command, word);
        FUZZ_CHECK(parameters.size() < command->size() || parameters.empty());
        for (const char* key : {"X1=", "Y1=", "X2=", "Y2=", "T=", "V="}) {
            if (const auto number = numberParameter(parameters, key))
                FUZZ_CHECK(*number >= -kNumberParameterMax && *number <= kNumberParameterMax);
        }
        FUZZ_CHECK(isPaneTarget(httpTarget(parameters, kSkinFolder).url));
        std::string placement;
        const std::string page = extraPage(parameters, kSkinFolder, placement);
        FUZZ_CHECK(isPaneTarget(page));
        FUZZ_CHECK(placement.size() < parameters.size() || placement.empty());
        const std::string domain = extraDomainOf(page);
        FUZZ_CHECK(startsWith(page, domain));
        const AccountData account = accountDataOf(parameters);
        FUZZ_CHECK(account.number.size() <= kAccountValueMax && account.user.size() <= kAccountValueMax &&
                   account.password.size() <= kAccountValueMax);
        for (const std::string* value : {&account.number, &account.user, &account.password})
            FUZZ_CHECK(parameters.find(*value) != std::string::npos);
    }
    return 0;
}
