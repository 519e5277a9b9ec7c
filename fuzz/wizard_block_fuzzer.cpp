// Fuzzes the wizard's configuration block, as a configuration file and as a block appended to a
// program: reading must stay inside the bytes and end with a status; a block read to its end must
// be written back by the writer into bytes that read as the same block.
#include "config_block.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the input's size, so that a read past it is a sanitizer finding.
    const std::vector<BYTE> bytes(data, data + size);
    for (const bool appended : {false, true}) {
        ConfigBlock block;
        std::string error;
        const BlockStatus status = appended ? readAppendedBytes(bytes.data(), bytes.size(), block, error)
                                            : readConfigFileBytes(bytes.data(), bytes.size(), block, error);
        FUZZ_CHECK((status == BlockStatus::Damaged) == !error.empty());
        if (status != BlockStatus::Read) {
            FUZZ_CHECK(block == ConfigBlock());
            continue;
        }
        const std::vector<BYTE> again = appended ? writeAppendedBlock(block, 0) : writeConfigFile(block);
        ConfigBlock reread;
        const BlockStatus second = appended ? readAppendedBytes(again.data(), again.size(), reread, error)
                                            : readConfigFileBytes(again.data(), again.size(), reread, error);
        FUZZ_CHECK(second == BlockStatus::Read);
        FUZZ_CHECK(reread == block);
    }
    return 0;
}
