// fuzz_seeds FOLDER: writes the fuzz targets' seed corpora into FOLDER/<target>, made with the
// system's own writers where it has one (packdat's writer, the registry script writer, profile
// edits, the phonebook writer) and, for the texts only servers and pages write, the answers and
// links they send.
#include "config_block.h"
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

// Signup files as providers write them (raw sections last, line feeds alone) and a signup page
// with its markers.
void signupTexts() {
    put("signup_text", "account.tni",
        "[Phone]\r\nPhone_Number=5550123\r\nArea_Code=1805\r\nCountry_Code=49\r\n[User]\r\n"
        "Name=kunde\r\nPassword=geheim\r\nProxy=proxy.example:3128\r\n[Bookmark]\r\n<DL><p>\r\n"
        "<DT><A HREF=\"http://www.example/\">Start</A>\r\n</DL><p>\r\n[PrefsJs]\r\n"
        "user_pref(\"a\", 1);\r\n");
    put("signup_text", "linefeeds.tni", "[PrefsJs]\nuser_pref(\"a\", 1);\n[User]\nName=x\n");
    put("signup_text", "page.htm",
        "<script>\r\n<!-- Start of SignupURL --->\r\nvar url = \"http://alt.example/\";\r\n"
        "<!-- End of SignupURL --->\r\n</script><a href=\"x.htm\">x</a>");
}

}  // namespace

// Small blocks of the oldest, a middle and the newest layout, in both containers.
void wizardBlocks() {
    std::vector<BYTE> rows(4, 0x11);
    const std::vector<CPaletteEntry> colours = {{0, 0, 0}, {255, 255, 255}};
    for (const WORD version : {9, 14, 21}) {
        ConfigBlock block;
        block.m_Version = version;
        block.m_Data.m_ProviderTitle = "Anbieter";
        block.m_Data.m_ShortName = "kurz";
        block.m_Data.m_CleanupHelper.m_CommandLine = "clear.exe";
        std::string error;
        block.m_Pages.prufe.m_Side.setPacked(packDib(2, 2, 8, colours, {1, 0, 0, 0, 0, 1, 0, 0}), error);
        block.m_Pages.progress.m_IeFrames.resize(1);
        block.m_Pages.progress.m_IeFrames[0].setPacked(packDib(1, 1, 24, {}, rows), error);
        block.m_Pages.knoten.m_Nodes = {{"Berlin", "030", "1"}};
        block.m_Pages.prufe.m_Order = 1;
        block.m_IeOptions = {{"Standard", "Beschreibung"}};
        const std::vector<BYTE> file = writeConfigFile(block);
        put("wizard_block", "v" + std::to_string(version) + ".ovb", std::string(file.begin(), file.end()));
        const std::vector<BYTE> appended = writeAppendedBlock(block, 3);
        put("wizard_block", "v" + std::to_string(version) + "-appended",
            "MZ\x90" + std::string(appended.begin(), appended.end()));
    }
}

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
    signupTexts();

    wizardBlocks();
    return archives() ? 0 : 1;
}
