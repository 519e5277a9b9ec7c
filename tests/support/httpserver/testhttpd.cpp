// testhttpd: the test HTTP server as a program, serving a folder on 127.0.0.1 until it is
// interrupted. Prints its base URL on the first line; with --log, every request to standard error.
//   testhttpd [--address 127.X.Y.Z] [--port N] [--log] FOLDER
#include "httpserver.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    unsigned short port = 0;
    std::string address = "127.0.0.1";
    bool log = false;
    const char* folder = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            port = static_cast<unsigned short>(std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--address") == 0 && i + 1 < argc) {
            address = argv[++i];
        } else if (std::strcmp(argv[i], "--log") == 0) {
            log = true;
        } else if (!folder && argv[i][0] != '-') {
            folder = argv[i];
        } else {
            folder = nullptr;
            break;
        }
    }
    if (!folder) {
        std::fprintf(stderr, "usage: testhttpd [--address 127.X.Y.Z] [--port N] [--log] FOLDER\n");
        return 2;
    }

    // The signals that end the server are taken synchronously, so the server shuts down cleanly.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    lumora_test::HttpTestServer server(port, address);
    if (!server.listening()) {
        std::fprintf(stderr, "testhttpd: cannot listen on %s:%u\n", address.c_str(), port);
        return 1;
    }
    server.serveDirectory(folder);
    if (log) {
        server.onRequest([](const std::string& request) {
            std::fprintf(stderr, "%s", request.c_str());
            std::fflush(stderr);
        });
    }
    std::printf("%s\n", server.url("/").c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    return 0;
}
