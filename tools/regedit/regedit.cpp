// regedit: the registry editor's command line on the prefix's registry.
//   regedit [/s] FILE.reg...     imports the scripts (/s: silently; otherwise says so on stdout)
//   regedit /e FILE.reg [KEY]    exports KEY, or the whole registry, as a REGEDIT4 script
// Options are case-insensitive and start with / or -. File names are Windows paths under the
// prefix's path rules ("C:\temp\x.reg" is in the prefix) or host paths. A script that does not
// parse is reported with its line and nothing of it is applied.
#include "cp1252.h"
#include "paths.h"
#include "regfile.h"
#include "regscript.h"
#include "regstore.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace winapi::registry;

constexpr int kFailed = 1;
constexpr int kUsage = 2;

int usage() {
    std::fprintf(stderr,
                 "usage: regedit [/s] FILE.reg...\n"
                 "       regedit /e FILE.reg [KEY]\n");
    return kUsage;
}

// A one-letter option: "/s", "-S"; anything longer is a file name (also "/tmp/x.reg").
char optionLetter(const std::string& arg) {
    if (arg.size() == 2 && (arg[0] == '/' || arg[0] == '-') && std::isalpha(static_cast<unsigned char>(arg[1])))
        return static_cast<char>(std::tolower(static_cast<unsigned char>(arg[1])));
    return 0;
}

bool hostPath(const std::string& arg, std::string& path) {
    const std::string windowsPath = winapi::utf8ToCp1252(arg);
    DWORD error = winapi::toHostPath(windowsPath.c_str(), path);
    if (error != ERROR_SUCCESS) {
        std::fprintf(stderr, "regedit: %s: not a valid path (error %lu)\n", arg.c_str(),
                     static_cast<unsigned long>(error));
        return false;
    }
    return true;
}

std::string describe(LONG error) {
    switch (error) {
    case ERROR_BADDB: return "the registry database is damaged";
    case ERROR_BUSY: return "the registry database is locked by another process";
    case ERROR_CHILD_MUST_BE_VOLATILE: return "a key below a volatile key must be volatile";
    case ERROR_FILE_NOT_FOUND: return "the key does not exist";
    default: return "registry error " + std::to_string(error);
    }
}

bool importFile(const std::string& arg, bool silent) {
    std::string path;
    if (!hostPath(arg, path)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "regedit: cannot open %s: %s\n", arg.c_str(), std::strerror(errno));
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::fprintf(stderr, "regedit: cannot read %s\n", arg.c_str());
        return false;
    }
    Script script;
    std::string error;
    if (!parseScript(bytes, script, error)) {
        std::fprintf(stderr, "regedit: %s: %s; nothing was imported\n", arg.c_str(), error.c_str());
        return false;
    }
    if (LONG result = applyScript(Store::forProcess(), script)) {
        std::fprintf(stderr, "regedit: %s: %s; nothing was imported\n", arg.c_str(),
                     describe(result).c_str());
        return false;
    }
    if (!silent) std::printf("The information in %s has been entered into the registry.\n", arg.c_str());
    return true;
}

// Writes beside the target and renames, so that a failed export leaves no half-written file.
bool exportFile(const std::string& arg, const std::string* keyArg) {
    KeyPath key;
    if (keyArg) {
        std::string error;
        if (!parseKeyPath(winapi::utf8ToCp1252(*keyArg), key, error)) {
            std::fprintf(stderr, "regedit: %s: %s\n", keyArg->c_str(), error.c_str());
            return false;
        }
    }
    std::string path;
    if (!hostPath(arg, path)) return false;
    std::string text;
    if (LONG result = exportScript(Store::forProcess(), keyArg ? &key : nullptr, text)) {
        std::fprintf(stderr, "regedit: cannot export %s: %s\n", keyArg ? keyArg->c_str() : "the registry",
                     describe(result).c_str());
        return false;
    }
    const std::string temporary = path + ".part" + std::to_string(::getpid());
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    bool written = out && std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (out && std::fclose(out) != 0) written = false;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "regedit: cannot write %s: %s\n", arg.c_str(), std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool silent = false;
    bool exporting = false;
    std::vector<std::string> operands;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        switch (optionLetter(arg)) {
        case 0: operands.push_back(arg); break;
        case 's': silent = true; break;
        case 'e': exporting = true; break;
        default:
            std::fprintf(stderr, "regedit: unknown option %s\n", arg.c_str());
            return usage();
        }
    }
    if (exporting) {
        if (operands.empty() || operands.size() > 2) return usage();
        return exportFile(operands[0], operands.size() == 2 ? &operands[1] : nullptr) ? 0 : kFailed;
    }
    if (operands.empty()) return usage();
    bool ok = true;
    for (const auto& file : operands) ok = importFile(file, silent) && ok;
    return ok ? 0 : kFailed;
}
