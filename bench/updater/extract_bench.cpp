// updater_extract_bench: unpacks one packed archive exactly as the updater's mode 1 does (staging
// folder, deleting the old folder, the rename), so that a benchmark can time the unpacking alone.
//   updater_extract_bench ARCHIVE.dat      exits with 0 when the archive was installed
#include "install.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: updater_extract_bench ARCHIVE.dat\n");
        return 2;
    }
    return installArchive(argv[1]) ? 0 : 1;
}
