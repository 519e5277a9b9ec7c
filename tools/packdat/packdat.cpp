// packdat: writes a packed file archive (the format the browser center and the updater unpack)
// from the files below a folder.
//   packdat FOLDER ARCHIVE
#include "pack_folder.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: packdat FOLDER ARCHIVE\n");
        return 2;
    }
    return packFolder(argv[1], argv[2]) ? 0 : 1;
}
