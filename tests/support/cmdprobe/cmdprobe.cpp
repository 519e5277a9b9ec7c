// cmdprobe: a program that tests put where the system expects another one (a cabinet extractor, the
// command of a shell verb). It writes its command line and its current folder, one per line, to
// the file named by the environment variable LUMORA_PROBE_RECORD followed by "." and its own
// program name in lower case ("record.extrac32" when it runs as Extrac32.exe), and exits with 0.
// The record is written beside its name and renamed into place, so a test that sees the file
// sees all of it.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <string>

int main() {
    char record[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("LUMORA_PROBE_RECORD", record, sizeof record);
    if (length == 0 || length >= sizeof record) return 1;
    char module[MAX_PATH] = "";
    const DWORD moduleLength = GetModuleFileNameA(nullptr, module, sizeof module);
    std::string name(module, moduleLength < sizeof module ? moduleLength : 0);
    name = name.substr(name.find_last_of("\\/") + 1);
    name = name.substr(0, name.find('.'));
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);

    const std::string target = std::string(record) + "." + name;
    const std::string partial = target + ".part";
    FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out) return 1;
    std::fprintf(out, "%s\n%s\n", GetCommandLineA(), folder);
    std::fclose(out);
    std::remove(target.c_str());
    return std::rename(partial.c_str(), target.c_str()) == 0 ? 0 : 1;
}
