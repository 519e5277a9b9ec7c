// End-to-end tests of the internet extender: pollex runs the example scripts against real servers
// on loopback (the project's HTTP test server, TLS in front of it with a certificate made here,
// pyftpdlib, a tiny Gopher server) and the prefix's remote-access service; the entry protocol is
// checked by loading the library as a host does.
#include <windows.h>

#include <ras.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../../extenders/net/extender_protocol.h"
#include "../pollex_run.h"
#include "httpserver.h"
#include "machine_registry.h"
#include "testenv.h"
#include "xvfb.h"

namespace {

namespace fs = std::filesystem;

const std::string kSource = LUMORA_SOURCE_DIR;
const std::string kScripts = kSource + "/tests/extenders/net/scripts/";

std::string hostPath(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    while (!path.empty() && path.back() == '/') path.pop_back();
    return path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A server program run for one test: started with its arguments, its first output line is its
// port; killed at the end.
class ServerProcess {
public:
    explicit ServerProcess(std::vector<std::string> argv) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            std::vector<char*> args;
            for (auto& a : argv) args.push_back(a.data());
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        close(out[1]);
        FILE* in = fdopen(out[0], "r");
        char line[64] = "";
        if (in && std::fgets(line, sizeof line, in)) port_ = std::atoi(line);
        if (in) std::fclose(in);
    }
    ~ServerProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// The "YYYY-MM-DD hh:mm" after `before` in a detailed find result (the server's clock decides it).
std::string dateOf(const std::string& output, const std::string& before) {
    const size_t at = output.find(before);
    return at == std::string::npos ? "(none)" : output.substr(at + before.size(), 16);
}

class Extender : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = hostPath(lumora_test::scratchDir());
    }
    std::string dir_;
};

// The HTTP script against the test HTTP server. Wine's WinInet answers a few things differently:
// it has no parent of a session handle, encodes only blanks and takes any text as a URL.
void checkHttp(const Host& on, const std::string& dir_) {
    lumora_test::HttpTestServer server;
    ASSERT_TRUE(server.listening());
    server.serveText("/hello.txt", "Hallo Welt\n", "Tue, 08 Dec 2026 10:00:00 GMT");
    lumora_test::HttpAnswer moved;
    moved.status = 302;
    moved.reason = "Found";
    moved.location = server.url("/hello.txt");
    server.setAnswer("/moved", moved);
    lumora_test::HttpAnswer form;
    form.body = "thanks";
    server.setAnswer("/form", form);
    const std::string upload = dir_ + "/upload.txt";
    std::string fileBytes = "first line\r\nbinary \x01\x02\xff end";
    writeFile(upload, fileBytes);
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    // The script's text field goes out as the script holds it (UTF-8 here).
    const std::string boundary = "---------------------------56592736725545";
    const std::string body = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"field\"\r\n\r\n" +
                             "Gr\xc3\xbc\xc3\x9f" "e aus Lumora\r\n" + "--" + boundary +
                             "\r\nContent-Disposition: form-data; name=\"upload\"; filename=\"upload.txt\"\r\n" +
                             "Content-Type: text/plain\r\n\r\n" + fileBytes + "\r\n" + "--" + boundary + "--\r\n";

    const PollexRun run = pollex({on.path(kScripts + "http.pxl"), "HTTP=" + host, "DIR=" + on.path(dir_),
                                  "FILE=" + on.path(upload)},
                                 on);
    EXPECT_EQ(run.exitCode, 0);
    const std::string agent = "Pollex Internet Extender Ver: 25031";
    EXPECT_EQ(run.output,
              "read 1\n"
              "headers HTTP/1.0 200 OK\tLast-Modified: Tue, 08 Dec 2026 10:00:00 GMT\tContent-Length: 11\n"
              "type 13\n"
              "url http://" + host + "/hello.txt\n"
              "missing 404\n"
              "moved 200 1\n"
              "posted 200 " + std::to_string(body.size()) + "\n" +
              lines({"ERROR -1 309: Bad Memory Buffer address or offset",
                     "ERROR -1 309: Bad Memory Buffer address or offset",
                     "ERROR -1 313: Wrong handle type.  Need iHostConnect/ http",
                     "ERROR -1 310: Verb must be GET, POST, or PUT",
                     "ERROR -1 314: Wrong handle type. Need iHttpInit",
                     "ERROR -1 312: Wrong handle type. Need iUrlOpen iFtpOpen iHttpOpen or iGopherOpen",
                     "ERROR -1 311: Wrong handle type.  Need iBegin", "ERROR -1 306: Bad Handle",
                     on.wine ? "parent ERROR" : "parent TOPLEVELHANDLE", "timeout 5000", "ERROR -1 302: Option keyword not recognised"}) +
              "agent " + agent + "\n" +
              (on.wine ? lines({"encoded http://host/a%20b/d?x=<1>", "decoded http://host/a b?", "kein url"})
                       : lines({"encoded http://host/a%20b/d?x=%3C1%3E", "decoded http://host/a b?",
                                "ERROR -1 329: The URL could not be canonicalized. "})));
    EXPECT_EQ(readFile(dir_ + "/hello.txt"), "Hallo Welt\n");
    EXPECT_EQ(readFile(dir_ + "/moved.txt"), "Hallo Welt\n");

    // The form post arrives byte for byte: the script's header after the content type, the text
    // field as the script wrote it, the file part with its name, and the closing boundary.
    std::string post;
    for (const auto& request : server.requests())
        if (request.compare(0, 10, "POST /form") == 0) post = request;
    ASSERT_FALSE(post.empty());
    EXPECT_NE(post.find("\r\nContent-Type: multipart/form-data; boundary=" + boundary + "\r\nX-Test: 1\r\n"),
              std::string::npos);
    EXPECT_NE(post.find("User-Agent: " + agent + "\r\n"), std::string::npos);
    EXPECT_EQ(post.substr(post.find("\r\n\r\n") + 4), body);
}

TEST_F(Extender, HttpPagesRedirectsFormPostAndHandleChecks) { checkHttp(Host{}, dir_); }

// The FTP script against pyftpdlib, passive and active. Wine's WinInet reports the extended error
// (12003) as the response code, and the server words its refusal of a missing file differently
// for Wine's relative path.
void checkFtp(const Host& on, const std::string& dir_) {
    const std::string root = dir_ + "/ftproot", data = dir_ + "/data";
    fs::create_directories(root);
    fs::create_directories(data);
    std::string binary;
    for (unsigned i = 0; i < 300000; ++i) binary += static_cast<char>((i * 7919u) >> 3);
    writeFile(data + "/data.bin", binary);
    writeFile(data + "/text.txt", "eins\r\nzwei\r\n");
    for (const char* mode : {"@ftppassive", "@ftp"}) {
        SCOPED_TRACE(mode);
        const std::string local = dir_ + "/" + (mode[4] == 'p' ? "passive" : "active");
        fs::create_directories(local);
        ServerProcess ftp({"/usr/bin/python3", kSource + "/tests/support/netservers/ftp_server.py", root});
        ASSERT_GT(ftp.port(), 0);
        const PollexRun run =
            pollex({on.path(kScripts + "ftp.pxl"), "FTP=127.0.0.1:" + std::to_string(ftp.port()),
                    std::string("MODE=") + mode, "DIR=" + on.path(local), "DATA=" + on.path(data)},
                   on);
        const std::string code = on.wine ? "12003" : "550";
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output,
                  lines({"start /", "mkdir 1"}) + "mkdir again 0 " + code + ": 550 File exists" + (on.wine ? "" : ".") +
                      "\n" + lines({"now in /incoming", "put binary 1", "put ascii 1", "get binary 1", "get ascii 1",
                                    "get existing 0"}) +
                      "get missing 0 " + code +
                      (on.wine ? ": 550 No such file or directory\n" : ": 550 /incoming/nothing.bin is not retrievable.\n") +
                      lines({"rename 1",
                         "streamed up 1", "streamed down 1", "streamed text 1", "found /incoming/renamed.bin", "found []",
                         "ERROR -1 325: FindInit already Open. Cannot have more than FindInit handle open at a time"}) +
                      "found case-blind /incoming/text.txt\t10\t" + dateOf(run.output, "text.txt\t10\t") + "\n" +
                      lines({"found /incoming/deeper/more.txt",
                             "test /pxltest/a.txt\t/pxltest/unter/b.txt in /incoming", "testbad 1",
                             "ERROR -1 316: Wrong Handle type. Need iHostConnect/ftp"}) +
                      "local " + on.path(data) + "\\data.bin\n" +
                      lines({"local []", "delete 1", "rmdir full 0",
                             "ERROR -1 315: Wrong access type - specify 0 for WRITE or 1 for READ",
                             "ERROR -1 319: Wrong flag type. Need to specify @ASCII or @BINARY",
                             "ERROR -1 316: Wrong Handle type. Need iHostConnect/ftp"}));
        EXPECT_TRUE(readFile(local + "/data.bin") == binary) << "readFile(local + \"/data.bin\")";
        EXPECT_TRUE(readFile(local + "/streamed.bin") == binary) << "readFile(local + \"/streamed.bin\")";
        EXPECT_TRUE(readFile(root + "/incoming/streamed.bin") == binary) << "readFile(root + \"/incoming/streamed.bin\")";
        // ASCII both ways: the server stores its own line ends, the download has CR LF again.
        EXPECT_EQ(readFile(root + "/incoming/text.txt"), "eins\nzwei\n");
        EXPECT_EQ(readFile(local + "/text.txt"), "eins\r\nzwei\r\n");
        EXPECT_EQ(readFile(local + "/streamed.asc"), "eins\r\nzwei\r\n");
        EXPECT_FALSE(fs::exists(local + "/nothing.bin")) << "a failed download leaves no file behind";
        fs::remove_all(root + "/incoming");
        fs::remove_all(root + "/pxltest");
    }
}

TEST_F(Extender, FtpFoldersTransfersFindsActiveAndPassive) { checkFtp(Host{}, dir_); }

// The progress dialog on a display of the test's own, against a server that moves 1 MB a second:
// a download and an upload shown to 100 %, a refused download that leaves the dialog as it was,
// then a download of 8 MB given up by the dialog's time-out pressing Cancel after 2 s. The bar
// stands part of the way, in steps of 10 %; the transfer failed, its connection is gone, the
// entry's next call answered -5 without calling back, and no half file stays behind.
void checkFtpDialog(const Host& on, const std::string& dir_) {
    lumora_test::XvfbServer display;
    ASSERT_TRUE(display.start());
    const std::string root = dir_ + "/ftproot", data = dir_ + "/data", local = dir_ + "/local";
    for (const auto& folder : {root, data, local}) fs::create_directories(folder);
    std::string small, big(8000000, '\0'), up;
    for (unsigned i = 0; i < 300000; ++i) small += static_cast<char>((i * 7919u) >> 5);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31u >> 4);
    for (unsigned i = 0; i < 200000; ++i) up += static_cast<char>((i * 104729u) >> 7);
    writeFile(root + "/small.bin", small);
    writeFile(root + "/big.bin", big);
    writeFile(data + "/up.bin", up);
    ServerProcess ftp({"/usr/bin/python3", kSource + "/tests/support/netservers/ftp_server.py", root, "1000000"});
    ASSERT_GT(ftp.port(), 0);
    const PollexRun run = pollex({on.path(kScripts + "ftpdialog.pxl"), "FTP=127.0.0.1:" + std::to_string(ftp.port()),
                                  "DIR=" + on.path(local), "DATA=" + on.path(data), "WAIT=2000"},
                                 on);
    EXPECT_EQ(run.exitCode, 0);
    std::vector<std::string> lines;
    std::istringstream in(run.output);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 11u) << run.output;

    // What the dialog showed: percent, state, source, target.
    struct Shown {
        int percent = -1;
        std::string status, source, target;
    };
    auto shown = [](const std::string& text) {
        Shown s;
        std::istringstream fields(text);
        std::string percent;
        std::getline(fields, percent, '\t');
        std::getline(fields, s.status, '\t');
        std::getline(fields, s.source, '\t');
        std::getline(fields, s.target, '\t');
        s.percent = percent.empty() ? -1 : std::atoi(percent.c_str());
        return s;
    };
    const std::vector<std::string> states = {
        "Resolving name...",     "Name Resolved...",       "Connecting to Server...", "Connected to Server...",
        "Sending request...",    "Request sent...",        "Receiving response...",   "Response received...",
        "Closing connection...", "Connection closed...",   "Processing..."};
    auto isState = [&](const std::string& status) {
        return std::find(states.begin(), states.end(), status) != states.end();
    };

    EXPECT_EQ(lines[0].compare(0, 7, "dialog "), 0);
    EXPECT_GT(std::atoll(lines[0].c_str() + 7), 0) << "iftpdialog gives the dialog's window";

    ASSERT_EQ(lines[1].compare(0, 6, "get 1|"), 0) << lines[1];
    const Shown got = shown(lines[1].substr(6));
    EXPECT_EQ(got.percent, 100);
    EXPECT_EQ(got.source, "small.bin");
    EXPECT_EQ(got.target, on.path(local) + "/small.bin");
    // Wine's WinInet reports only some states of a synchronous FTP transfer (those of the listing
    // that sizes a download): its status may stay empty.
    auto endState = [&](const std::string& status) {
        return on.wine ? status.empty() || isState(status) : status == "Connection closed...";
    };
    EXPECT_TRUE(endState(got.status)) << got.status;

    ASSERT_EQ(lines[2].compare(0, 6, "put 1|"), 0) << lines[2];
    const Shown put = shown(lines[2].substr(6));
    EXPECT_EQ(put.percent, 100);
    EXPECT_EQ(put.source, on.path(data) + "/up.bin");
    EXPECT_EQ(put.target, "up.bin");
    EXPECT_TRUE(endState(put.status)) << put.status;
    EXPECT_EQ(lines[3], "existing 0|" + lines[2].substr(6)) << "a refused transfer leaves the dialog as it was";

    EXPECT_EQ(lines[4], "cancelled 0");
    EXPECT_EQ(lines[5], "next STATUS -5");
    ASSERT_EQ(lines[6].compare(0, 6, "shown "), 0) << lines[6];
    const Shown cancelled = shown(lines[6].substr(6));
    EXPECT_GE(cancelled.percent, 10);
    EXPECT_LT(cancelled.percent, 100);
    EXPECT_EQ(cancelled.percent % 10, 0) << "the bar moves in the steps the script asked for";
    EXPECT_EQ(cancelled.source, "big.bin");
    EXPECT_TRUE(isState(cancelled.status) || (on.wine && cancelled.status.empty())) << cancelled.status;
    EXPECT_EQ(lines[7], "error 12017");
    EXPECT_EQ(lines[8], "connection ERROR -1 316: Wrong Handle type. Need iHostConnect/ftp");
    EXPECT_EQ(lines[9], "closed 1");
    EXPECT_EQ(lines[10], "again 0");

    EXPECT_TRUE(readFile(local + "/small.bin") == small) << "readFile(local + \"/small.bin\")";
    EXPECT_TRUE(readFile(root + "/up.bin") == up) << "readFile(root + \"/up.bin\")";
    EXPECT_FALSE(fs::exists(local + "/big.bin")) << "a cancelled download leaves no file behind";
}

TEST_F(Extender, FtpProgressDialogShowsTransfersAndCancelGivesMinusFive) { checkFtpDialog(Host{}, dir_); }

TEST_F(Extender, PreconfiguredSessionUsesTheProxyOfTheInternetSettings) {
    lumora_test::HttpTestServer proxy;
    ASSERT_TRUE(proxy.listening());
    proxy.serveText("/hello.txt", "durch den Proxy\n", "Tue, 08 Dec 2026 10:00:00 GMT");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                              nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD enable = 1;
    const std::string server = "127.0.0.1:" + std::to_string(proxy.port());
    RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof enable);
    RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>(server.size() + 1));
    RegCloseKey(key);
    const PollexRun run = pollex({kScripts + "proxy.pxl", "DIR=" + dir_});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "proxied 1\ndirect 0\n");
    EXPECT_EQ(readFile(dir_ + "/proxied.txt"), "durch den Proxy\n");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0].compare(0, 45, "GET http://www.lumora.invalid/hello.txt HTTP/"), 0)
        << proxy.requests()[0];
}

TEST_F(Extender, HttpsNeedsTheSecureHandleAndAcceptsAnUnknownAuthorityOnlyWhenAsked) {
    lumora_test::HttpTestServer server;
    ASSERT_TRUE(server.listening());
    server.serveText("/hello.txt", "geheim\n", "Tue, 08 Dec 2026 10:00:00 GMT");
    const std::string cert = dir_ + "/cert.pem", key = dir_ + "/key.pem";
    const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                             "-addext subjectAltName=IP:127.0.0.1 -keyout '" + key + "' -out '" + cert +
                             "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);
    ServerProcess tls({"/usr/bin/python3", kSource + "/tests/support/netservers/tls_forward.py", cert, key,
                       std::to_string(server.port())});
    ASSERT_GT(tls.port(), 0);
    const PollexRun run = pollex({kScripts + "https.pxl", "HTTPS=127.0.0.1:" + std::to_string(tls.port()), "DIR=" + dir_});
    EXPECT_EQ(run.exitCode, 0);
    const size_t s = run.output.find("connection S");
    ASSERT_NE(s, std::string::npos) << run.output;
    EXPECT_EQ(run.output, "plain 0 12045\n" + run.output.substr(s, run.output.find('\n', s) + 1 - s) + "secure 200 1\n");
    EXPECT_EQ(readFile(dir_ + "/secure.txt"), "geheim\n");
}

TEST_F(Extender, GopherDocumentAndMenu) {
    const std::string root = dir_ + "/gopher";
    fs::create_directories(root);
    writeFile(root + "/note.txt", "Notiz\r\n");
    ServerProcess gopher({"/usr/bin/python3", kSource + "/tests/support/netservers/gopher_server.py", root});
    ASSERT_GT(gopher.port(), 0);
    const std::string host = "127.0.0.1:" + std::to_string(gopher.port());
    const PollexRun run = pollex({kScripts + "gopher.pxl", "GOPHER=" + host, "DIR=" + dir_});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "document 11 1\nmenu 1\n");
    EXPECT_EQ(readFile(dir_ + "/note.txt"), "Notiz\r\n");
    EXPECT_EQ(readFile(dir_ + "/menu.txt"), "0note.txt\t/note.txt\t127.0.0.1\t" + std::to_string(gopher.port()) + "\r\n.\r\n");
}

TEST_F(Extender, DialWordsDialThroughTheRemoteAccessService) {
    lumora_test::setProviderNumber("StepDelay", 1);
    lumora_test::setMachineText(lumora_test::kProviderAccountsKey, "kunde", "geheim");
    RASENTRYA entry{};
    entry.dwSize = sizeof entry;
    std::strcpy(entry.szLocalPhoneNumber, "0191011");
    std::strcpy(entry.szDeviceType, RASDT_Modem);
    std::strcpy(entry.szDeviceName, "Simuliertes Modem");
    entry.dwType = RASET_Phone;
    ASSERT_EQ(RasSetEntryPropertiesA(nullptr, "Provider", &entry, sizeof entry, nullptr, 0), 0u);
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::strcpy(params.szEntryName, "Provider");
    std::strcpy(params.szUserName, "kunde");
    std::strcpy(params.szPassword, "veraltet");
    ASSERT_EQ(RasSetEntryDialParamsA(nullptr, &params, FALSE), 0u);

    const PollexRun run = pollex({kScripts + "dial.pxl", "ENTRY=Provider", "PASSWORD=geheim"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, lines({"entries Provider", "online 0", "dialled online 1 flags 81", "hung up 0 online 0",
                                 "again 2"}));
}

// The entry protocol as a host speaks it, called directly.
struct Answer {
    LONG status = 1;
    DWORD type = 9;
    LONG number = 0;
    std::string text;
};

LONG WINAPI record(LONG status, DWORD_PTR a, DWORD_PTR, DWORD type, LONG number, LPCSTR text) {
    auto* answer = reinterpret_cast<Answer*>(a);
    *answer = Answer{status, type, number, text ? text : ""};
    return 7;
}

TEST(ExtenderProtocol, TableVersionCheckDescriptionAndErrors) {
    HMODULE library = LoadLibraryA("pxnet33i.dll");
    ASSERT_TRUE(library != nullptr);
    using Entry = LONG(WINAPI*)(HWND, DWORD_PTR, DWORD_PTR, DWORD, PXLCALLBACK, DWORD_PTR, PXLHostBuffer*, LPSTR,
                                LPSTR, LPSTR, LPSTR, LPSTR);
    auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, "PXLExtender")));
    ASSERT_TRUE(entry != nullptr);
    Answer answer;
    const auto a = reinterpret_cast<DWORD_PTR>(&answer);
    auto call = [&](DWORD id, const char* a1 = "", const char* a2 = "") {
        std::string x1 = a1, x2 = a2, none;
        answer = Answer{};
        return entry(nullptr, 0, a, id, &record, 0, nullptr, x1.data(), x2.data(), none.data(), none.data(),
                     none.data());
    };
    // Before a table query with good version words: the kept error answers, every word is refused.
    EXPECT_EQ(call(11), 7);
    EXPECT_EQ(answer.status, 0);
    EXPECT_EQ(answer.type, 0u);
    call(10);
    EXPECT_EQ(answer.status, kErrorLevelProtocol);
    EXPECT_EQ(answer.text, "903: Need newer version of PXL DLL");
    EXPECT_EQ(answer.number, static_cast<LONG>(answer.text.size()));
    call(250);
    EXPECT_EQ(answer.text, "901: Internal Error - Undefined function");

    // The first table query checks the version words: a host version of 1000 is too old.
    PXLTableRecord row{};
    char index[] = "0", old[] = "1000", name[] = "host", empty[] = "";
    EXPECT_EQ(entry(nullptr, 0, a, kTableQuery, &record, 0, nullptr, reinterpret_cast<LPSTR>(&row), index, old, name,
                    empty),
              1);
    EXPECT_EQ(row.id, 1);
    EXPECT_EQ(std::string(row.name, row.nameLength), "ibegin");
    EXPECT_EQ(row.argWord, 3u | (31u << 16));
    call(10);
    EXPECT_EQ(answer.text, "903: Need newer version of PXL DLL") << "only the first query checks";

    // All 48 rows, names in lower case, the constants with their values.
    std::vector<std::string> names;
    for (int i = 0;; ++i) {
        std::string at = std::to_string(i);
        char good[] = "2600";
        if (entry(nullptr, 0, a, kTableQuery, &record, 0, nullptr, reinterpret_cast<LPSTR>(&row), at.data(), good,
                  name, empty) != 1)
            break;
        names.emplace_back(row.name, row.nameLength);
        if (names.back() == "@binary") {
            EXPECT_EQ(row.argWord, 945u);
        }
        if (names.back() == "idial") {
            EXPECT_EQ(row.id, 40);
        }
    }
    EXPECT_EQ(names.size(), 48u);
    EXPECT_EQ(names[41], "idialitemize");

    char description[8] = "";
    char room[] = "5";
    EXPECT_EQ(entry(nullptr, 0, a, kDescription, &record, 0, nullptr, description, room, nullptr, nullptr, nullptr), 1);
    EXPECT_STREQ(description, "WINI") << "at most the host's room, with its end";
    EXPECT_EQ(entry(nullptr, 0, a, kUnload, &record, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
}

TEST(ExtenderProtocol, NewerHostAcceptedAndNumbersParsedAsTheScriptWroteThem) {
    const PollexRun version = pollex({"--call", "pxnet33i.dll", "iversion"});
    EXPECT_EQ(version.output, "25031\n");
    const PollexRun access = pollex({"--call", "pxnet33i.dll", "ibegin", " +7xyz"});
    EXPECT_EQ(access.exitCode, 1);
    EXPECT_EQ(access.output, "305: Parameter out of range\n");
    const PollexRun session = pollex({"--call", "pxnet33i.dll", "ibegin", "  2 trailing", "<Registry>", "0"});
    EXPECT_EQ(session.exitCode, 0);
    EXPECT_GT(std::atoi(session.output.c_str()), 0);
}

// The Windows build of pollex and the extender under Wine, over Wine's WinInet, with the same
// scripts against the same servers. Needs the wine-tests build (scripts/test.sh runs these after it).
class UnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kWine) || !fs::exists(kWineBin + "pollex.exe") || !fs::exists(kWineBin + "pxnet33i.dll"))
            GTEST_SKIP() << "no Wine or no wine-tests build of pollex and pxnet33i";
        dir_ = hostPath(lumora_test::scratchDir());
        host_.wine = true;
        host_.winePrefix = dir_ + "/wineprefix";
    }
    void TearDown() override {
        if (!host_.winePrefix.empty())
            host_.stopWine();
    }
    std::string dir_;
    Host host_;
};

TEST_F(UnderWine, HttpScript) { checkHttp(host_, dir_); }
TEST_F(UnderWine, FtpScript) { checkFtp(host_, dir_); }
TEST_F(UnderWine, FtpProgressDialogScript) { checkFtpDialog(host_, dir_); }

}  // namespace
