// fuzz_seeds FOLDER: writes the fuzz targets' seed corpora into FOLDER/<target>, made with the
// system's own writers where it has one (packdat's writer, the registry script writer, profile
// edits, the phonebook writer) and, for the texts only servers and pages write, the answers and
// links they send.
#include "cp1252.h"
#include "pack_folder.h"
#include "phonebook.h"
#include "profile_text.h"
#include "regfile.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path g_Root;

void put(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(g_Root / target);
    std::ofstream(g_Root / target / name, std::ios::binary | std::ios::trunc) << bytes;
}

bool archives() {
    const fs::path folder = g_Root / "archive-source";
    fs::remove_all(folder);
    fs::create_directories(folder / "skin" / "bilder");
    std::ofstream(folder / "index.htm") << "<html><body>Willkommen</body></html>\r\n";
    std::ofstream(folder / "skin" / winapi::cp1252ToUtf8("Gr\xfc\xdf" "e.htm")) << "\xe4\xf6\xfc";
    std::ofstream(folder / "skin" / "bilder" / "leer.gif");
    fs::create_directories(g_Root / "archive");
    const bool ok = packFolder(folder, g_Root / "archive" / "skin.dat");
    fs::remove_all(folder / "skin");
    const bool single = packFolder(folder, g_Root / "archive" / "single.dat");
    fs::remove_all(folder);
    // The updater unpacks the same archives.
    fs::create_directories(g_Root / "update_unpack");
    for (const char* name : {"skin.dat", "single.dat"})
        fs::copy_file(g_Root / "archive" / name, g_Root / "update_unpack" / name, fs::copy_options::overwrite_existing);
    return ok && single;
}

void registryScripts() {
    using winapi::registry::ScriptWriter;
    ScriptWriter writer;
    writer.key("HKEY_LOCAL_MACHINE\\Software\\Lumora");
    writer.value("", REG_SZ, std::string("Standard\0", 9));
    writer.value("Version", REG_DWORD, std::string("\x05\x00\x00\x00", 4));
    writer.value("Daten", REG_BINARY, std::string("\x00\x01\xff", 3));
    writer.value("Pfad", REG_EXPAND_SZ, std::string("%WINDIR%\\x\0", 11));
    writer.value("Liste", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
    writer.key("HKEY_CURRENT_USER\\Software\\Lumora\\Einstellungen");
    writer.value("Gr\xfc\xdf" "e", REG_SZ, std::string("\"zitiert\" \\ \xe4\0", 15));
    put("regfile", "written.reg", writer.text());
    put("regfile", "deletions.reg",
        "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Alt]\r\n\r\n[HKEY_CURRENT_USER\\Software\\Lumora]\r\n"
        "\"Weg\"=-\r\n");
}

void profiles() {
    using winapi::ProfileText;
    std::string text = ProfileText("").withValue("Lumora", "Skin", "standard");
    text = ProfileText(text).withValue("Lumora", "Version", "5");
    text = ProfileText(text).withValue("Dial", "Nummer", "0191011");
    text = "; Kommentar\r\n" + text;
    // The target reads a value (ending in a backslash and another character), then the file.
    put("profile", "written.ini", "wert\\x" + text);
}

void responseHeads() {
    put("response_head", "ok", "HTTP/1.0 200 OK\r\nLast-Modified: Tue, 08 Dec 2026 10:00:00 GMT\r\n"
                               "Content-Length: 5\r\n\r\nhallo");
    put("response_head", "not_modified", "HTTP/1.0 304 Not Modified\r\n\r\n");
    put("response_head", "moved", "HTTP/1.0 302 moved temporarily\r\nLocation: http://127.0.0.1/\r\n\r\n");
}

void paneCommands() {
    const char* urls[] = {
        "file:///skin/OLECMDID_HTTP:#www.example.net/x#a",
        "file:///skin/OLECMDID_HTTP:%23www.example.net/x#a",
        "file:///skin/OLECMDID_LOCAL:start.htm",
        "file:///skin/OLECMDID_EXTRA:T=1V=2:extra.htm:X1=10Y1=20X2=300Y2=400",
        "file:///skin/OLECMDID_CONNECT:number{0191011}user{kunde}pass{geheim}",
        "file:///skin/OLECMDID_MOVE:X1=5Y1=-6",
        "file:///skin/OLECMDID_SAVEAS",
    };
    int n = 0;
    for (const char* url : urls) put("pane_command", "url" + std::to_string(++n), url);
}

void phonebooks() {
    winapi::ras::Phonebook book(2);
    book[0].name = "Lumora";
    book[0].set("PhoneNumber", "0191011");
    book[0].set("Device", "Modem");
    book[1].name = "Gr\xfc\xdf" "e";
    book[1].set("PhoneNumber", "");
    put("phonebook", "written.pbk", "; Telefonbuch\r\n" + winapi::ras::formatPhonebook(book));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    g_Root = argv[1];
    registryScripts();
    profiles();
    responseHeads();
    paneCommands();
    phonebooks();
    return archives() ? 0 : 1;
}
