// Reading the command protocol of the skin's pages: the command of a URL, its word in each pane's
// table, and the parameters of the words that take them.
#include "pane_command.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace {

template <typename Command, size_t N>
Command firstWordOf(const std::string& command,
                    const std::array<std::pair<const char*, Command>, N>& table, Command none) {
    for (const auto& [word, id] : table) {
        if (command.find(word) != std::string::npos) return id;
    }
    return none;
}

constexpr std::array<std::pair<const char*, PortalCommand>, 19> kPortalWords = {{
    {"BACK", PortalCommand::Back},
    {"NEXT", PortalCommand::Next},
    {"CLOSE", PortalCommand::Close},
    {"ENUM", PortalCommand::Enum},
    {"SHOWCOOKIE", PortalCommand::ShowCookie},
    {"TEST1", PortalCommand::Test1},
    {"TEST2", PortalCommand::Test2},
    {"TEST3", PortalCommand::Test3},
    {"HOME", PortalCommand::Home},
    {"HTTP:", PortalCommand::Http},
    {"LOCAL:", PortalCommand::Local},
    {"MOVE:", PortalCommand::Move},
    {"CONNECT", PortalCommand::Connect},
    {"UPDATE", PortalCommand::Update},
    {"EXTRA:", PortalCommand::Extra},
    {"REFRESH", PortalCommand::Refresh},
    {"ADDFAV", PortalCommand::AddFavorite},
    {"ORGFAV", PortalCommand::OrganiseFavorites},
    {"GET_DLMAN", PortalCommand::ShowDownloadManager},
}};

constexpr std::array<std::pair<const char*, TitleBarCommand>, 6> kTitleBarWords = {{
    {"CLOSE", TitleBarCommand::Close},
    {"MIN", TitleBarCommand::Minimise},
    {"TEST", TitleBarCommand::Test},
    {"MAX", TitleBarCommand::Maximise},
    {"CONNECT", TitleBarCommand::Connect},
    {"HTTP:", TitleBarCommand::Http},
}};

constexpr std::array<std::pair<const char*, ExtraCommand>, 8> kExtraWords = {{
    {"CLOSE", ExtraCommand::Close},
    {"LOCAL:", ExtraCommand::Local},
    {"MOVE:", ExtraCommand::Move},
    {"UPDATE", ExtraCommand::Update},
    {"CONNECT", ExtraCommand::Connect},
    {"BACK", ExtraCommand::Back},
    {"NEXT", ExtraCommand::Next},
    {"ENUM", ExtraCommand::Enum},
}};

// Index i holds the name of standard command i + 1.
constexpr std::array<const char*, kStandardCommandCount> kStandardCommands = {
    "OPEN",           "NEW",              "SAVE",            "SAVEAS",
    "SAVECOPYAS",     "PRINT",            "PRINTPREVIEW",    "PAGESETUP",
    "SPELL",          "PROPERTIES",       "CUT",             "COPY",
    "PASTE",          "PASTESPECIAL",     "UNDO",            "REDO",
    "SELECTALL",      "CLEARSELECTION",   "ZOOM",            "GETZOOMRANGE",
    "UPDATECOMMANDS", "REFRESH",          "STOP",            "HIDETOOLBARS",
    "SETPROGRESSMAX", "SETPROGRESSPOS",   "SETPROGRESSTEXT", "SETTITLE",
    "SETDOWNLOADSTATE", "STOPDOWNLOAD",   "ONTOOLBARACTIVATED", "FIND",
    "DELETE",         "HTTPEQUIV",        "HTTPEQUIV_DONE",  "ENABLE_INTERACTION",
    "ONUNLOAD",       "PROPERTYBAG2",     "PREREFRESH",      "SHOWSCRIPTERROR",
    "SHOWMESSAGE",    "SHOWFIND",         "SHOWPAGESETUP",   "SHOWPRINT",
    "CLOSE",          "ALLOWUILESSSAVEAS", "DONTDOWNLOADCSS",
};

// The value of `key` in a "key{value}" text: between the first "{" after the key and the next
// "}"; nothing when the key or either brace is missing.
std::string bracedValue(const std::string& text, const char* key) {
    const size_t at = text.find(key);
    if (at == std::string::npos) return std::string();
    const size_t open = text.find('{', at);
    if (open == std::string::npos) return std::string();
    const size_t close = text.find('}', open + 1);
    if (close == std::string::npos) return std::string();
    return text.substr(open + 1, std::min(close - open - 1, kAccountValueMax));
}

}  // namespace

std::optional<std::string> paneCommandOf(const std::string& url) {
    const size_t at = url.find(kCommandMarker);
    if (at == std::string::npos) return std::nullopt;
    return url.substr(at + std::char_traits<char>::length(kCommandMarker));
}

PortalCommand portalCommandOf(const std::string& command) {
    const PortalCommand word = firstWordOf(command, kPortalWords, PortalCommand::Unknown);
    if (word != PortalCommand::Unknown) return word;
    return standardCommandOf(command) ? PortalCommand::Standard : PortalCommand::Unknown;
}

TitleBarCommand titleBarCommandOf(const std::string& command) {
    return firstWordOf(command, kTitleBarWords, TitleBarCommand::Unknown);
}

ExtraCommand extraCommandOf(const std::string& command) {
    return firstWordOf(command, kExtraWords, ExtraCommand::Unknown);
}

int standardCommandOf(const std::string& command) {
    for (size_t i = 0; i < kStandardCommands.size(); ++i) {
        if (command.find(kStandardCommands[i]) != std::string::npos) return static_cast<int>(i + 1);
    }
    return 0;
}

const char* standardCommandName(int id) {
    return id >= 1 && id <= kStandardCommandCount ? kStandardCommands[id - 1] : "";
}

std::string parameterText(const std::string& command, const char* word) {
    const size_t length = std::char_traits<char>::length(word);
    return command.size() > length ? command.substr(length) : std::string();
}

std::optional<long> numberParameter(const std::string& text, const char* key) {
    const size_t at = text.find(key);
    if (at == std::string::npos) return std::nullopt;
    size_t position = at + std::char_traits<char>::length(key);
    bool negative = false;
    if (position < text.size() && (text[position] == '-' || text[position] == '+')) {
        negative = text[position] == '-';
        ++position;
    }
    long value = 0;
    while (position < text.size() && std::isdigit(static_cast<unsigned char>(text[position]))) {
        value = std::min(value * 10 + (text[position] - '0'), kNumberParameterMax);
        ++position;
    }
    return negative ? -value : value;
}

HttpTarget httpTarget(const std::string& text, const std::string& skinFolder) {
    HttpTarget target;
    if (text.empty()) {
        target.url = "about:blank";
        target.blank = true;
    } else if (text[0] == '#') {
        target.url = "http://" + text.substr(1);
        for (char& c : target.url) {
            if (c == '#') c = '?';
        }
        target.rewritten = true;
    } else if (text.compare(0, 3, "%23") == 0) {
        target.url = "http://" + text.substr(3);
    } else {
        target.url = skinFolder + text;
    }
    return target;
}

AccountData accountDataOf(const std::string& text) {
    return {bracedValue(text, "number"), bracedValue(text, "user"), bracedValue(text, "pass")};
}

std::string extraPage(const std::string& text, const std::string& skinFolder,
                      std::string& placement) {
    placement.clear();
    const size_t first = text.find(':');
    const std::string rest = first == std::string::npos ? std::string() : text.substr(first + 1);
    const size_t second = rest.find(':');
    const std::string page = rest.substr(0, second);
    if (second != std::string::npos) placement = rest.substr(second + 1);
    if (page.empty()) return "about:blank";
    if (page[0] == '#') return "http://" + page.substr(1);
    return skinFolder + page;
}

std::string extraDomainOf(const std::string& extraUrl) {
    const size_t slash = extraUrl.find_last_of('\\');
    return slash == std::string::npos ? extraUrl : extraUrl.substr(0, slash + 1);
}
