// ovbpack: builds the wizard's configuration block from its readable source.
//   ovbpack [-b BITMAPFOLDER] SOURCE... OUTPUT            a configuration file (wizard.ovb)
//   ovbpack [-b BITMAPFOLDER] -a PROGRAM SOURCE... OUTPUT  PROGRAM with the block appended
// Bitmap files are looked up in BITMAPFOLDER, by default the first source's own folder. A later
// source's keys replace the earlier ones', so a variant is a short overlay of a full source.
#include "config_block.h"
#include "source_reader.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

bool readFile(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// Written beside the output and renamed over it, so a failed run leaves no half-written file.
// A program keeps its permissions (it must still run with its block appended).
bool writeFile(const fs::path& path, const std::string& head, const std::vector<BYTE>& tail,
               const fs::path& program) {
    const fs::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(head.data(), static_cast<std::streamsize>(head.size()));
        out.write(reinterpret_cast<const char*>(tail.data()), static_cast<std::streamsize>(tail.size()));
        if (!out.flush()) return false;
    }
    std::error_code error;
    if (!program.empty()) fs::permissions(temporary, fs::status(program).permissions(), error);
    fs::rename(temporary, path, error);
    return !error;
}

int usage() {
    std::fprintf(stderr, "usage: ovbpack [-b BITMAPFOLDER] [-a PROGRAM] SOURCE... OUTPUT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path bitmapFolder, program;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        if (!std::strcmp(argv[i], "-b")) bitmapFolder = argv[i + 1];
        else if (!std::strcmp(argv[i], "-a")) program = argv[i + 1];
        else return usage();
    }
    if (argc - i < 2) return usage();
    const fs::path source = argv[i], output = argv[argc - 1];
    if (bitmapFolder.empty()) bitmapFolder = source.parent_path();

    std::string text;
    for (int n = i; n < argc - 1; ++n) {
        std::string part;
        if (!readFile(argv[n], part)) {
            std::fprintf(stderr, "ovbpack: cannot read %s\n", argv[n]);
            return 1;
        }
        // Each source starts on a line of its own, outside the previous one's last section.
        text += "\n" + part + "\n";
    }
    CSourceReader reader(text, bitmapFolder);
    ConfigBlock block;
    block.exchange(reader);
    reader.checkAllUsed();
    if (reader.failed()) {
        std::fprintf(stderr, "ovbpack: %s: %s\n", source.c_str(), reader.error().c_str());
        return 1;
    }

    std::string head;
    std::vector<BYTE> tail;
    if (program.empty()) {
        tail = writeConfigFile(block);
    } else {
        if (!readFile(program, head)) {
            std::fprintf(stderr, "ovbpack: cannot read %s\n", program.c_str());
            return 1;
        }
        if (head.size() > 0xFFFFFFF0u) {
            std::fprintf(stderr, "ovbpack: %s is too large for a block offset\n", program.c_str());
            return 1;
        }
        tail = writeAppendedBlock(block, static_cast<DWORD>(head.size()));
    }
    if (!writeFile(output, head, tail, program)) {
        std::fprintf(stderr, "ovbpack: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
